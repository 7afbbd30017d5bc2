#include "CNameCodec.h"

namespace {

void appendUtf8(QByteArray& out, uint32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

} // namespace

QString CNameCodec::Decode(const char* bytes, size_t size, bool escapeBackslash)
{
    if (!bytes || size == 0)
        return QString();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = p + size;
    // Plain ASCII without a backslash is the common case by far.
    bool plain = true;
    for (const unsigned char* q = p; q < end; ++q) {
        if (*q >= 0x80 || (escapeBackslash && *q == '\\')) {
            plain = false;
            break;
        }
    }
    if (plain)
        return QString::fromLatin1(bytes, int(size));

    QString out;
    out.reserve(int(size));
    while (p < end) {
        uint32_t cp = 0;
        const int len = CNameCodec::SequenceLength(p, end, &cp);
        if (len == 0) {
            out.append(QChar(ushort(kEscapeBase + *p)));
            ++p;
            continue;
        }
        if (cp == '\\' && escapeBackslash) {
            out.append(QChar(ushort(kEscapedBackslash)));
        } else if (cp >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(ushort(cp)));
        }
        p += len;
    }
    return out;
}

QByteArray CNameCodec::Encode(const QString& text, bool* ok)
{
    bool good = true;
    QByteArray out;
    out.reserve(text.size() * 3);
    const ushort* u = text.utf16();
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const ushort c = u[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            appendUtf8(out, QChar::surrogateToUcs4(c, u[i + 1]));
            ++i;
        } else if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            out.append(char(c - kEscapeBase));
        } else if (c == kEscapedBackslash) {
            out.append('\\');
        } else if (QChar::isSurrogate(c)) {
            good = false;
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    if (ok)
        *ok = good;
    return out;
}

QString CNameCodec::DecodeName(const char* bytes, size_t size) { return Decode(bytes, size, true); }
QString CNameCodec::DecodeText(const char* bytes, size_t size) { return Decode(bytes, size, false); }
QByteArray CNameCodec::EncodeName(const QString& name, bool* ok) { return Encode(name, ok); }
QByteArray CNameCodec::EncodeText(const QString& text, bool* ok) { return Encode(text, ok); }

bool CNameCodec::IsValidUtf8(const char* bytes, size_t size)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = p + size;
    while (p < end) {
        uint32_t cp = 0;
        const int len = CNameCodec::SequenceLength(p, end, &cp);
        if (len == 0)
            return false;
        p += len;
    }
    return true;
}
