#include "CNetLocationRecord.h"

#include <cstring>

namespace {

void putText(QByteArray& out, size_t offset, size_t bytes, const QString& text)
{
    const size_t units = bytes / 2 - 1; // the terminator always fits
    int n = int(qMin<size_t>(size_t(text.size()), units));
    // Never keep the first half of a surrogate pair without the second.
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate())
        --n;
    char* p = out.data() + offset;
    for (int i = 0; i < n; ++i) {
        const ushort u = text.at(i).unicode();
        p[2 * i] = char(u & 0xFF);
        p[2 * i + 1] = char(u >> 8);
    }
}

bool getText(const char* data, size_t offset, size_t bytes, QString* out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data + offset);
    QString text;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const char16_t u = char16_t(p[i] | (p[i + 1] << 8));
        if (u == 0) {
            *out = text;
            return true;
        }
        text.append(QChar(u));
    }
    return false;
}

} // namespace

QByteArray CNetLocationRecord::Encode() const
{
    QByteArray out(int(kSize), '\0');
    out[int(kKindOffset)] = char(kind);
    putText(out, kLocationOffset, kLocationBytes, location);
    putText(out, kLabelOffset, kLabelBytes, label);
    return out;
}

bool CNetLocationRecord::Decode(const char* data, size_t size, CNetLocationRecord* out)
{
    if (!data || size < kSize || !out)
        return false;
    const uint8_t k = uint8_t(data[kKindOffset]);
    if (k != kKindShare && k != kKindNasShare && k != kKindMappedDrive)
        return false;
    if (data[kReservedOffset] != 0 || data[kReservedOffset + 1] != 0)
        return false;
    CNetLocationRecord r;
    r.kind = k;
    if (!getText(data, kLocationOffset, kLocationBytes, &r.location) || !getText(data, kLabelOffset, kLabelBytes, &r.label))
        return false;
    *out = r;
    return true;
}

QList<CNetLocationRecord> CNetLocationRecord::DecodeList(const char* data, size_t size)
{
    QList<CNetLocationRecord> list;
    if (!data)
        return list;
    for (size_t off = 0; off + kSize <= size; off += kSize) {
        CNetLocationRecord r;
        if (Decode(data + off, kSize, &r))
            list.append(r);
    }
    return list;
}

QByteArray CNetLocationRecord::EncodeList(const QList<CNetLocationRecord>& records)
{
    QByteArray out;
    out.reserve(int(kSize) * records.size());
    for (const CNetLocationRecord& r : records)
        out += r.Encode();
    return out;
}
