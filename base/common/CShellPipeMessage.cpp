#include "CShellPipeMessage.h"

#include <QtEndian>

#include <cstring>

bool CShellPipeMessage::ParseHeader(const char* data, size_t size, Header* out)
{
    if (!data || !out || size < kHeaderSize)
        return false;
    out->magic = qFromLittleEndian<quint32>(data);
    out->length = qFromLittleEndian<quint16>(data + 4);
    return true;
}

bool CShellPipeMessage::IsAcceptable(const Header& header, size_t minLength)
{
    return header.magic == kMagic && header.length >= minLength && header.length <= kMaxMessageSize;
}

static QByteArray makeHeader(size_t length)
{
    QByteArray out(static_cast<int>(CShellPipeMessage::kHeaderSize), '\0');
    qToLittleEndian<quint32>(CShellPipeMessage::kMagic, out.data());
    qToLittleEndian<quint16>(static_cast<quint16>(length), out.data() + 4);
    return out;
}

QByteArray CShellPipeMessage::MakeCount(uint32_t count)
{
    QByteArray out = makeHeader(kCountMessageSize);
    out.resize(static_cast<int>(kCountMessageSize));
    qToLittleEndian<quint32>(count, out.data() + kHeaderSize);
    return out;
}

QByteArray CShellPipeMessage::MakePath(const QString& path)
{
    if (path.isEmpty() || path.size() > kMaxPathChars)
        return QByteArray();
    const size_t length = kHeaderSize + (static_cast<size_t>(path.size()) + 1) * 2;
    QByteArray out = makeHeader(length);
    out.resize(static_cast<int>(length));
    char* p = out.data() + kHeaderSize;
    for (QChar c : path) {
        qToLittleEndian<quint16>(c.unicode(), p);
        p += 2;
    }
    qToLittleEndian<quint16>(0, p);
    return out;
}

bool CShellPipeMessage::ParseCount(const char* data, size_t size, uint32_t* count)
{
    Header h;
    if (size != kCountMessageSize || !ParseHeader(data, size, &h) || h.magic != kMagic
        || h.length != kCountMessageSize || !count)
        return false;
    const uint32_t n = qFromLittleEndian<quint32>(data + kHeaderSize);
    if (n == 0)
        return false;
    *count = n;
    return true;
}

bool CShellPipeMessage::ParsePath(const char* data, size_t size, QString* path)
{
    Header h;
    if (!ParseHeader(data, size, &h) || !IsAcceptable(h, kMinPathMessageSize) || h.length != size || !path)
        return false;
    // Whole UTF-16 units only; an odd trailing byte cannot hold a terminator.
    const size_t units = (size - kHeaderSize) / 2;
    const char* p = data + kHeaderSize;
    QString out;
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit = qFromLittleEndian<quint16>(p + 2 * i);
        if (unit == 0) {
            *path = out;
            return true;
        }
        out.append(QChar(unit));
    }
    return false;
}
