#include "CFilterBlock.h"

#include "CTrace.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

uint16_t readU16(const uint8_t* p) { return qFromLittleEndian<quint16>(p); }
uint32_t readU32(const uint8_t* p) { return qFromLittleEndian<quint32>(p); }

// Reads a zero-terminated UTF-16 string that must end inside [begin + offset, begin + end).
bool readString(const uint8_t* entry, uint32_t offset, uint32_t end, QString* out)
{
    QString text;
    for (uint32_t pos = offset; pos + 2 <= end; pos += 2) {
        const uint16_t unit = readU16(entry + pos);
        if (unit == 0) {
            *out = text;
            return true;
        }
        text.append(QChar(unit));
    }
    return false;
}

void writeString(uint8_t* dst, const QString& s)
{
    const ushort* units = s.utf16();
    for (int i = 0; i < s.size(); ++i)
        qToLittleEndian<quint16>(units[i], dst + 2 * i);
    qToLittleEndian<quint16>(0, dst + 2 * s.size());
}

uint32_t fail(uint32_t code, const char16_t* what, uint32_t at)
{
    NR_TRACE(u"File = %s, Line = %u, filter block refused: %S at %u, code 0x%08X", __FILE__, __LINE__, what, at, code);
    return code;
}

} // namespace

uint32_t CFilterBlock::Read(const uint8_t* data, size_t size, uint32_t* selectionType, QVector<Entry>* entries)
{
    if (!data)
        return fail(kErrNullBlock, u"no block", 0);
    if (size < kHeadSize)
        return fail(kErrTooShort, u"shorter than the header", static_cast<uint32_t>(size));
    if (readU32(data) != kMagic)
        return fail(kErrBadMagic, u"magic", 0);
    if (readU32(data + 4) != kVersion)
        return fail(kErrBadVersion, u"version", 4);
    const uint32_t total = readU32(data + 8);
    if (total < kHeadSize || total > size)
        return fail(kErrBadTotalSize, u"total size", total);
    const uint32_t count = readU32(data + 12);
    // Every entry takes at least its 16-byte head: a larger count cannot be true.
    if (count > (total - kHeadSize) / kEntryHeadSize)
        return fail(kErrBadCount, u"count", count);
    const uint32_t type = readU32(data + 16);
    if (type != kSelectPaths && type != kSelectFileTypes)
        return fail(kErrBadSelectionType, u"selection type", type);
    for (uint32_t i = 20; i < kHeadSize; ++i) {
        if (data[i] != 0)
            return fail(kErrReservedNotZero, u"header reserved byte", i);
    }

    QVector<Entry> list;
    list.reserve(static_cast<int>(count));
    uint32_t pos = kHeadSize;
    for (uint32_t index = 0; index < count; ++index) {
        if (total - pos < kEntryHeadSize)
            return fail(kErrEntryOutside, u"entry head outside the block", index);
        const uint8_t* e = data + pos;
        const uint32_t entrySize = readU16(e);
        // A size below the head (zero included) would stall the walk or overlap the next entry.
        if (entrySize < kEntryHeadSize || (entrySize & 1u))
            return fail(kErrBadEntrySize, u"entry size", index);
        if (entrySize > total - pos)
            return fail(kErrEntryOutside, u"entry outside the block", index);
        if (readU16(e + 6) != 0 || readU16(e + 10) != 0)
            return fail(kErrReservedNotZero, u"entry reserved field", index);
        const uint32_t nameOffset = e[5];
        const uint32_t pathOffset = readU16(e + 8);
        if (nameOffset < kEntryHeadSize || (nameOffset & 1u) || nameOffset >= entrySize)
            return fail(kErrBadOffset, u"name offset", index);
        if (pathOffset < kEntryHeadSize || (pathOffset & 1u) || pathOffset >= entrySize)
            return fail(kErrBadOffset, u"path offset", index);
        Entry entry;
        entry.flags = readU16(e + 2);
        entry.nodeKind = e[4];
        entry.owner = readU32(e + 12);
        if (!readString(e, nameOffset, entrySize, &entry.name))
            return fail(kErrNoTerminator, u"name without terminator", index);
        if (!readString(e, pathOffset, entrySize, &entry.path))
            return fail(kErrNoTerminator, u"path without terminator", index);
        list.append(entry);
        pos += entrySize;
    }
    if (pos != total)
        return fail(kErrTrailingBytes, u"bytes after the last entry", pos);
    const uint32_t owners = CheckOwners(list);
    if (NRResult::Failed(owners))
        return owners;

    if (selectionType)
        *selectionType = type;
    if (entries)
        entries->swap(list);
    return 0;
}

uint32_t CFilterBlock::CheckOwners(const QVector<Entry>& entries)
{
    for (int i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (!e.IsExclusion()) {
            if (e.owner != kNoOwner)
                return fail(kErrBadOwner, u"include entry with an owner", static_cast<uint32_t>(i));
            continue;
        }
        // An exclusion follows the include it belongs to.
        if (e.owner >= static_cast<uint32_t>(i) || entries[static_cast<int>(e.owner)].IsExclusion())
            return fail(kErrBadOwner, u"exclusion owner", static_cast<uint32_t>(i));
    }
    return 0;
}

uint32_t CFilterBlock::Parse(const void* data, size_t size)
{
    m_entries.clear();
    m_selectionType = kSelectPaths;
    uint32_t type = kSelectPaths;
    QVector<Entry> entries;
    const uint32_t r = Read(static_cast<const uint8_t*>(data), size, &type, &entries);
    if (NRResult::Failed(r))
        return r;
    m_selectionType = type;
    m_entries.swap(entries);
    return 0;
}

uint32_t CFilterBlock::Validate(const void* data, size_t size)
{
    return Read(static_cast<const uint8_t*>(data), size, nullptr, nullptr);
}

int CFilterBlock::CountOf(const void* data, size_t size)
{
    if (NRResult::Failed(Validate(data, size)))
        return -1;
    return static_cast<int>(readU32(static_cast<const uint8_t*>(data) + 12));
}

uint32_t CFilterBlock::Serialize(QByteArray& out) const
{
    out.clear();
    if (m_selectionType != kSelectPaths && m_selectionType != kSelectFileTypes)
        return fail(kErrBadSelectionType, u"selection type to write", m_selectionType);
    const uint32_t owners = CheckOwners(m_entries);
    if (NRResult::Failed(owners))
        return owners;

    uint64_t total = kHeadSize;
    QVector<uint32_t> sizes;
    sizes.reserve(m_entries.size());
    for (int i = 0; i < m_entries.size(); ++i) {
        const Entry& e = m_entries[i];
        const uint64_t pathOffset = kEntryHeadSize + 2ull * (static_cast<uint64_t>(e.name.size()) + 1);
        const uint64_t end = pathOffset + 2ull * (static_cast<uint64_t>(e.path.size()) + 1);
        const uint64_t padded = (end + 3) & ~uint64_t(3);
        if (pathOffset > 0xFFFF || padded > 0xFFFF)
            return fail(kErrEntryTooLarge, u"entry too large", static_cast<uint32_t>(i));
        sizes.append(static_cast<uint32_t>(padded));
        total += padded;
    }
    if (total > 0x7FFFFFFF)
        return fail(kErrBlockTooLarge, u"block too large", m_entries.size());

    QByteArray block(static_cast<int>(total), '\0');
    uint8_t* p = reinterpret_cast<uint8_t*>(block.data());
    qToLittleEndian<quint32>(kMagic, p);
    qToLittleEndian<quint32>(kVersion, p + 4);
    qToLittleEndian<quint32>(static_cast<uint32_t>(total), p + 8);
    qToLittleEndian<quint32>(static_cast<uint32_t>(m_entries.size()), p + 12);
    qToLittleEndian<quint32>(m_selectionType, p + 16);
    uint32_t pos = kHeadSize;
    for (int i = 0; i < m_entries.size(); ++i) {
        const Entry& e = m_entries[i];
        uint8_t* q = p + pos;
        const uint32_t pathOffset = kEntryHeadSize + 2u * (static_cast<uint32_t>(e.name.size()) + 1);
        qToLittleEndian<quint16>(static_cast<quint16>(sizes[i]), q);
        qToLittleEndian<quint16>(e.flags, q + 2);
        q[4] = e.nodeKind;
        q[5] = static_cast<uint8_t>(kEntryHeadSize);
        qToLittleEndian<quint16>(static_cast<quint16>(pathOffset), q + 8);
        qToLittleEndian<quint32>(e.IsExclusion() ? e.owner : kNoOwner, q + 12);
        writeString(q + kEntryHeadSize, e.name);
        writeString(q + pathOffset, e.path);
        pos += sizes[i];
    }
    out = block;
    return 0;
}

QByteArray CFilterBlock::ToByteArray() const
{
    QByteArray out;
    Serialize(out);
    return out;
}

void CFilterBlock::Clear()
{
    m_entries.clear();
    m_selectionType = kSelectPaths;
}

uint32_t CFilterBlock::Append(const Entry& entry)
{
    m_entries.append(entry);
    return static_cast<uint32_t>(m_entries.size() - 1);
}

uint32_t CFilterBlock::AppendInclude(const QString& name, const QString& path, bool folder, bool wholePath,
                                     uint8_t nodeKind)
{
    Entry e;
    e.flags = static_cast<uint16_t>((folder ? kFlagFolder : 0) | (wholePath ? kFlagWholePath : 0));
    e.nodeKind = nodeKind;
    e.name = name;
    e.path = path;
    e.owner = kNoOwner;
    return Append(e);
}

uint32_t CFilterBlock::AppendExclude(uint32_t owner, const QString& name, const QString& path, bool folder,
                                     uint8_t nodeKind)
{
    Entry e;
    e.flags = static_cast<uint16_t>(kFlagExclude | (folder ? kFlagFolder : 0) | kFlagWholePath);
    e.nodeKind = nodeKind;
    e.name = name;
    e.path = path;
    e.owner = owner;
    return Append(e);
}

QStringList CFilterBlock::PathList() const
{
    QStringList paths;
    paths.reserve(m_entries.size());
    for (int i = m_entries.size() - 1; i >= 0; --i)
        paths.append(m_entries[i].path);
    return paths;
}

QStringList CFilterBlock::IncludedPaths() const
{
    QStringList paths;
    for (const Entry& e : m_entries) {
        if (!e.IsExclusion())
            paths.append(e.path);
    }
    return paths;
}

QVector<int> CFilterBlock::ApplyOrder() const
{
    QVector<int> order(m_entries.size());
    QStringList keys;
    keys.reserve(m_entries.size());
    for (int i = 0; i < m_entries.size(); ++i) {
        order[i] = i;
        keys.append(m_entries[i].path.toUpper());
    }
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) { return keys[a] < keys[b]; });
    return order;
}
