#include "CCodeLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <mutex>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

class LogFile
{
public:
    static LogFile& Instance()
    {
        // Never destroyed: traces from other objects' static destructors at exit still land.
        static LogFile* const file = new LogFile;
        return *file;
    }

    void Append(const QByteArray& line)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ensureOpen())
            return;
        m_file.write(line);
        // Each line reaches the file at once: the log is read after a crash and by other processes.
        m_file.flush();
    }

    void Flush()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_file.isOpen())
            m_file.flush();
    }

private:
    bool ensureOpen()
    {
        if (m_file.isOpen())
            return true;
        if (m_failed)
            return false;
        // The folder is created on the first trace, in the working directory of that moment.
        const QString folder = QDir::current().absoluteFilePath(QStringLiteral("log"));
        m_file.setFileName(QDir(folder).filePath(QStringLiteral("CodeLog.log")));
        if (!QDir().mkpath(folder) || !m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            m_failed = true; // traces are dropped rather than retried on every call
            return false;
        }
        return true;
    }

    std::mutex m_mutex; // a standard mutex: its hand-overs are visible to the thread sanitizer
    QFile m_file;
    bool m_failed = false;
};

} // namespace

CCodeLog::CCodeLog() = default;
CCodeLog::~CCodeLog() = default;

QString CCodeLog::FormatLine(const QString& text)
{
    QString body = text;
    while (body.endsWith(QLatin1Char('\n')) || body.endsWith(QLatin1Char('\r')))
        body.chop(1);
    // One trace is one line: a break inside the text must not start a forged line of its own.
    body.replace(QLatin1String("\r\n"), QLatin1String(" "));
    body.replace(QLatin1Char('\n'), QLatin1Char(' '));
    body.replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QString time = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
    const long tid = static_cast<long>(syscall(SYS_gettid));
    return QStringLiteral("%1 %2 %3").arg(time).arg(tid).arg(body);
}

void CCodeLog::Trace(int level, int category, const char16_t* text)
{
    Q_UNUSED(level);
    Q_UNUSED(category);
    if (!text)
        return;
    QByteArray line = FormatLine(QString::fromUtf16(text)).toUtf8();
    line += '\n';
    LogFile::Instance().Append(line);
}

void CCodeLog::Flush()
{
    LogFile::Instance().Flush();
}
