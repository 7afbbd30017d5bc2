#include "CCredentialRecord.h"

#include <QtEndian>

static_assert(CCredentialRecord::kShareOffset + CCredentialRecord::kShareBytes == CCredentialRecord::kUserOffset,
              "user name follows the share");
static_assert(CCredentialRecord::kUserOffset + CCredentialRecord::kUserBytes == CCredentialRecord::kPasswordOffset,
              "password follows the user name");
static_assert(CCredentialRecord::kPasswordOffset + CCredentialRecord::kPasswordBytes == CCredentialRecord::kSize,
              "the password ends the record");

namespace {

void writeField(char* field, size_t bytes, const QString& text)
{
    const int maxUnits = static_cast<int>(bytes / 2) - 1;
    int n = qMin(text.size(), maxUnits);
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate())
        --n;
    for (int i = 0; i < n; ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), field + 2 * i);
    // The rest of the field, terminator included, stays zero (the record starts zero-filled).
}

// Reads up to the terminator; `terminated` tells whether one was found inside the field.
QString readField(const char* field, size_t bytes, bool* terminated)
{
    const size_t units = bytes / 2;
    QString out;
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit = qFromLittleEndian<quint16>(field + 2 * i);
        if (unit == 0) {
            if (terminated)
                *terminated = true;
            return out;
        }
        out.append(QChar(unit));
    }
    if (terminated)
        *terminated = false;
    return out;
}

} // namespace

QByteArray CCredentialRecord::Encode() const
{
    QByteArray out(static_cast<int>(kSize), '\0');
    writeField(out.data() + kShareOffset, kShareBytes, share);
    writeField(out.data() + kUserOffset, kUserBytes, user);
    writeField(out.data() + kPasswordOffset, kPasswordBytes, password);
    return out;
}

bool CCredentialRecord::Decode(const char* data, size_t size, CCredentialRecord* out)
{
    if (!data || size < kSize || !out)
        return false;
    bool a = false, b = false, c = false;
    CCredentialRecord r(readField(data + kShareOffset, kShareBytes, &a),
                        readField(data + kUserOffset, kUserBytes, &b),
                        readField(data + kPasswordOffset, kPasswordBytes, &c));
    if (!a || !b || !c)
        return false;
    *out = r;
    return true;
}

QString CCredentialRecord::ShareOf(const char* record1128)
{
    return readField(record1128 + kShareOffset, kShareBytes, nullptr);
}

QList<QByteArray> CCredentialRecord::Split(const char* data, size_t size)
{
    QList<QByteArray> out;
    if (!data)
        return out;
    for (size_t i = 0; i + kSize <= size; i += kSize)
        out.append(QByteArray(data + i, static_cast<int>(kSize)));
    return out;
}

QByteArray CCredentialRecord::Join(const QList<QByteArray>& records)
{
    QByteArray out;
    out.reserve(records.size() * static_cast<int>(kSize));
    for (const QByteArray& r : records)
        if (static_cast<size_t>(r.size()) == kSize)
            out.append(r);
    return out;
}
