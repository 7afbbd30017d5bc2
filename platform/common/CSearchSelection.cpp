#include "CSearchSelection.h"

#include "CTrace.h"

#include <cstdlib>
#include <cstring>

namespace {

// A UTF-16 text of a field of `units` units: its length up to the terminator, or -1 when the
// field holds none. Reads the field unit by unit (records are packed: fields are unaligned).
int fieldLength(const char* field, int units)
{
    for (int i = 0; i < units; ++i) {
        char16_t c = 0;
        std::memcpy(&c, field + 2 * i, 2);
        if (c == 0)
            return i;
    }
    return -1;
}

QString fieldText(const char* field, int length)
{
    QString text(length, Qt::Uninitialized);
    std::memcpy(text.data(), field, size_t(length) * 2);
    return text;
}

} // namespace

CSearchSelection::~CSearchSelection()
{
    std::free(m_block);
}

uint32_t CSearchSelection::Allocate(uint32_t count)
{
    std::free(m_block);
    m_block = nullptr;
    m_size = m_count = m_written = 0;
    if (count > kMaxRecords)
        return kErrTooManyRecords;
    const uint32_t size = kCountSize + count * kRecordSize;
    m_block = static_cast<char*>(std::calloc(1, size));
    if (!m_block)
        return kErrNoMemory;
    std::memcpy(m_block, &count, sizeof count);
    m_size = size;
    m_count = count;
    return 0;
}

uint32_t CSearchSelection::Append(const Item& item)
{
    if (!m_block || m_written >= m_count)
        return kErrFull;
    uint32_t refused = 0;
    if (item.path.isEmpty())
        refused = kErrEmptyPath;
    else if (item.path.size() >= kPathUnits)
        refused = kErrPathTooLong;
    else if (!item.folder && item.name.size() >= kNameUnits)
        refused = kErrNameTooLong;
    if (refused) {
        NR_TRACE(u"File = %s, Line = %u, search result left out (0x%08X): %d-unit path %S", __FILE__, __LINE__,
                 refused, int(item.path.size()), item.path.utf16());
        return refused;
    }
    char* record = m_block + kCountSize + size_t(m_written) * kRecordSize;
    const uint32_t folder = item.folder ? 1 : 0;
    std::memcpy(record, &folder, sizeof folder);
    std::memcpy(record + kPathOffset, item.path.utf16(), size_t(item.path.size()) * 2);
    if (!item.folder)
        std::memcpy(record + kNameOffset, item.name.utf16(), size_t(item.name.size()) * 2);
    ++m_written;
    return 0;
}

uint32_t CSearchSelection::Read(const void* data, size_t size, QVector<Item>* items)
{
    if (items)
        items->clear();
    if (!data)
        return kErrNullBlock;
    if (size < kCountSize)
        return kErrTooShort;
    const char* bytes = static_cast<const char*>(data);
    uint32_t count = 0;
    std::memcpy(&count, bytes, sizeof count);
    if ((size - kCountSize) / kRecordSize < count)
        return kErrRecordsOutside;
    QVector<Item> read;
    for (uint32_t i = 0; i < count; ++i) {
        const char* record = bytes + kCountSize + size_t(i) * kRecordSize;
        uint32_t folder = 0;
        std::memcpy(&folder, record, sizeof folder);
        if (folder > 1)
            return kErrBadFolderFlag;
        const int pathLength = fieldLength(record + kPathOffset, kPathUnits);
        const int nameLength = fieldLength(record + kNameOffset, kNameUnits);
        if (pathLength < 0 || nameLength < 0)
            return kErrNoTerminator;
        if (pathLength == 0)
            continue;
        Item item;
        item.folder = folder == 1;
        item.path = fieldText(record + kPathOffset, pathLength);
        item.name = fieldText(record + kNameOffset, nameLength);
        read.append(item);
    }
    if (items)
        *items = read;
    return 0;
}
