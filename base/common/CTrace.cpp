#include "CTrace.h"

#include "CLibLoader.h"
#include "ICodeLog.h"

#include <QAtomicPointer>
#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>

#include <cstdint>

namespace {

QAtomicPointer<void> g_sink;

ICodeLog* codeLog()
{
    // Loaded once per process; a missing library leaves it null for good.
    static ICodeLog* const log =
        static_cast<ICodeLog*>(CLibLoader::CreateNRObject(QStringLiteral("CodeLog"), ICodeLog::kObjectId));
    return log;
}

QString formatNumber(const QByteArray& spec, char conv, const QByteArray& length, va_list& args)
{
    // Build a narrow spec with an explicit 64-bit length so one va_arg type suffices per class.
    QByteArray narrow = spec;
    const bool isSigned = (conv == 'd' || conv == 'i');
    if (length == "ll" || length == "l" || length == "z" || length == "j") {
        narrow += "ll";
        narrow += conv;
        if (isSigned) {
            long long v = (length == "z") ? static_cast<long long>(va_arg(args, ptrdiff_t))
                          : (length == "l") ? static_cast<long long>(va_arg(args, long))
                                            : va_arg(args, long long);
            return QString::asprintf(narrow.constData(), v);
        }
        unsigned long long v = (length == "z") ? static_cast<unsigned long long>(va_arg(args, size_t))
                               : (length == "l") ? static_cast<unsigned long long>(va_arg(args, unsigned long))
                                                 : va_arg(args, unsigned long long);
        return QString::asprintf(narrow.constData(), v);
    }
    narrow += length; // "", "h" or "hh": promoted to int anyway
    narrow += conv;
    if (isSigned)
        return QString::asprintf(narrow.constData(), va_arg(args, int));
    return QString::asprintf(narrow.constData(), va_arg(args, unsigned int));
}

} // namespace

QString CTrace::FormatV(const char16_t* format, va_list argsIn)
{
    QString out;
    if (!format)
        return out;
    va_list args;
    va_copy(args, argsIn);
    const char16_t* p = format;
    while (*p) {
        if (*p != u'%') {
            out += QChar(static_cast<ushort>(*p++));
            continue;
        }
        ++p;
        if (*p == u'%') {
            out += QLatin1Char('%');
            ++p;
            continue;
        }
        QByteArray spec("%");
        while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0')
            spec += static_cast<char>(*p++);
        while (*p >= u'0' && *p <= u'9')
            spec += static_cast<char>(*p++);
        if (*p == u'.') {
            spec += static_cast<char>(*p++);
            while (*p >= u'0' && *p <= u'9')
                spec += static_cast<char>(*p++);
        }
        QByteArray length;
        while (*p == u'h' || *p == u'l' || *p == u'z' || *p == u'j')
            length += static_cast<char>(*p++);
        const char16_t conv = *p;
        if (!conv)
            break;
        ++p;
        switch (conv) {
        case u'S': {
            const char16_t* s = va_arg(args, const char16_t*);
            out += s ? QString::fromUtf16(s) : QStringLiteral("(null)");
            break;
        }
        case u's': {
            const char* s = va_arg(args, const char*);
            if (length == "l") // %ls: a UTF-16 string as well
                out += s ? QString::fromUtf16(reinterpret_cast<const char16_t*>(s)) : QStringLiteral("(null)");
            else
                out += s ? QString::fromUtf8(s) : QStringLiteral("(null)");
            break;
        }
        case u'c':
            out += QChar(static_cast<ushort>(va_arg(args, int)));
            break;
        case u'p':
            out += QStringLiteral("0x%1").arg(reinterpret_cast<quintptr>(va_arg(args, void*)), 0, 16);
            break;
        case u'd': case u'i': case u'u': case u'x': case u'X': case u'o':
            out += formatNumber(spec, static_cast<char>(conv), length, args);
            break;
        default:
            out += QLatin1Char('%');
            out += QChar(static_cast<ushort>(conv));
            break;
        }
    }
    va_end(args);
    return out;
}

QString CTrace::Format(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    QString s = FormatV(format, args);
    va_end(args);
    return s;
}

void CTrace::WriteV(const char16_t* format, va_list args)
{
    auto sink = reinterpret_cast<Sink>(g_sink.loadAcquire());
    ICodeLog* log = codeLog();
    if (!sink && !log)
        return;
    const QString text = FormatV(format, args);
    if (sink)
        sink(text);
    if (log)
        log->Trace(1, 4, reinterpret_cast<const char16_t*>(text.utf16()));
}

void CTrace::Write(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteV(format, args);
    va_end(args);
}

void CTrace::SetSink(Sink sink)
{
    g_sink.storeRelease(reinterpret_cast<void*>(sink));
}
