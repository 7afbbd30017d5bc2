#include "CNaturalKey.h"
#include <QChar>
#include <algorithm>
#include <cstring>

namespace {

inline bool IsSpace(ushort c)
{
    return c == ' ' || (c >= 9 && c <= 13) || (c > 127 && QChar(c).isSpace());
}
inline bool IsDigit(ushort c)
{
    return (c >= '0' && c <= '9') || (c > 127 && QChar(c).isDigit());
}
inline ushort Lower(ushort c)
{
    if (c < 128)
        return (c >= 'A' && c <= 'Z') ? ushort(c + 32) : c;
    const QChar q(c);
    return q.isLower() ? c : q.toLower().unicode();
}

} // namespace

bool CNaturalKey::Append(const QString& name, std::vector<ushort>& out)
{
    const ushort* p = name.utf16();
    const int n = name.size();
    const size_t start = out.size();
    // Written in place: at most three elements per character (a run of one digit takes three).
    out.resize(start + 3 * size_t(n));
    ushort* const first = out.data() + start;
    ushort* w = first;
    for (int i = 0; i < n;) {
        const ushort c = p[i];
        // ASCII first: names are mostly ASCII, and the sort builds a key for every child.
        if (c < 128) {
            if (c == 0) {
                out.resize(start);
                return false;
            }
            if (c == ' ' || (c >= 9 && c <= 13)) {
                ++i;
                continue;
            }
            if (c < '0' || c > '9') {
                *w++ = (c >= 'A' && c <= 'Z') ? ushort(c + 32) : c;
                ++i;
                continue;
            }
        } else if (IsSpace(c)) {
            ++i;
            continue;
        } else if (!IsDigit(c)) {
            *w++ = Lower(c);
            ++i;
            continue;
        }
        int end = i;
        while (end < n && IsDigit(p[end])) {
            if (p[end] > 127) {
                out.resize(start);
                return false;
            }
            ++end;
        }
        if (p[end - 1] == '0' && end < n && IsSpace(p[end])) {
            out.resize(start);
            return false;
        }
        int lead = i;
        while (lead < end && p[lead] == '0')
            ++lead;
        if (end - lead > 0xFFFF) {
            out.resize(start);
            return false;
        }
        *w++ = kNumber;
        *w++ = ushort(end - lead);
        w = std::copy(p + lead, p + end, w);
        i = end;
    }
    out.resize(start + size_t(w - first));
    return true;
}

int CNaturalKey::Compare(const ushort* a, size_t aLength, const ushort* b, size_t bLength)
{
    const size_t n = aLength < bLength ? aLength : bLength;
    size_t i = 0;
    // Four elements at a time while they agree (keys of one folder share long stretches).
    for (; i + 4 <= n; i += 4) {
        quint64 x, y;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (x != y)
            break;
    }
    for (; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

quint64 CNaturalKey::Prefix(const ushort* key, size_t length)
{
    quint64 packed = 0;
    for (size_t i = 0; i < 4; ++i)
        packed = (packed << 16) | (i < length ? key[i] : 0);
    return packed;
}

bool CNaturalKey::FitsNarrow(const ushort* key, size_t length)
{
    ushort all = 0;
    for (size_t i = 0; i < 8 && i < length; ++i)
        all |= key[i];
    return all < 256;
}

quint64 CNaturalKey::NarrowPrefix(const ushort* key, size_t length)
{
    quint64 packed = 0;
    for (size_t i = 0; i < 8; ++i)
        packed = (packed << 8) | (i < length ? key[i] : 0);
    return packed;
}
