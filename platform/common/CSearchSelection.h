#pragma once
#include "NRResult.h"

#include <QString>
#include <QVector>

#include <cstddef>
#include <cstdint>

// The search-selection block: what the recovery page hands the host's find interface when the
// user confirms ticked search results. The host turns it into a filter block.
//
//   0  u32  record count
//   4  count records of 2572 bytes:
//        0    u32               1 for a folder, else 0
//        4    260 UTF-16 units  the item's path in the image, zero-terminated
//        524  1024 UTF-16 units for a file, the name the row shows, zero-terminated
//
// All little-endian; every unit after a terminator is zero. A record that is zero throughout is
// an item the page could not describe; readers skip it. docs/recovery.md has the details.
// This class is the one writer and the one reader of the format.
class CSearchSelection
{
public:
    static constexpr uint32_t kCountSize = 4;
    static constexpr uint32_t kRecordSize = 2572;
    static constexpr uint32_t kPathOffset = 4;
    static constexpr int kPathUnits = 260;
    static constexpr uint32_t kNameOffset = 524;
    static constexpr int kNameUnits = 1024;
    // The most records a block can hold with its size still a 32-bit number.
    static constexpr uint32_t kMaxRecords = (0xFFFFFFFFu - kCountSize) / kRecordSize;

    static constexpr uint32_t kErrInvalidData = 0xD;
    // Reader: no block, fewer bytes than the count, records reaching past the bytes given,
    // a folder flag other than 0 and 1, a text without its terminator inside its field.
    static constexpr uint32_t kErrNullBlock = NRResult::Make(0x780, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrTooShort = NRResult::Make(0x781, kErrInvalidData);
    static constexpr uint32_t kErrRecordsOutside = NRResult::Make(0x782, kErrInvalidData);
    static constexpr uint32_t kErrBadFolderFlag = NRResult::Make(0x783, kErrInvalidData);
    static constexpr uint32_t kErrNoTerminator = NRResult::Make(0x784, kErrInvalidData);
    // Writer: more records than a block holds, no memory for the block, every record written,
    // an empty path, a path or a name too long for its field (cutting it would name another item).
    static constexpr uint32_t kErrTooManyRecords = NRResult::Make(0x785, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrNoMemory = NRResult::Make(0x786, NRResult::kErrNoMemory);
    static constexpr uint32_t kErrFull = NRResult::Make(0x787, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrEmptyPath = NRResult::Make(0x788, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrPathTooLong = NRResult::Make(0x789, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrNameTooLong = NRResult::Make(0x78A, NRResult::kErrInvalidArg);

    struct Item
    {
        bool folder = false;
        QString path;
        QString name; // files only; a folder's record carries none
    };

    CSearchSelection() = default;
    ~CSearchSelection();
    CSearchSelection(const CSearchSelection&) = delete;
    CSearchSelection& operator=(const CSearchSelection&) = delete;

    // ---- writer
    // A zero-filled block with room for `count` records and the count written. 0, or
    // kErrTooManyRecords / kErrNoMemory with no block.
    uint32_t Allocate(uint32_t count);
    // Writes the next record. An item that does not fit is refused with a trace and nothing is
    // written: its record stays zero and the items after it move up, so the block ends in zeros.
    uint32_t Append(const Item& item);
    const void* Data() const { return m_block; }
    uint32_t Size() const { return m_size; }
    uint32_t Written() const { return m_written; }

    // ---- reader
    // Reads a block of `size` bytes (the buffer may be longer than the count needs). All or
    // nothing: on failure `items` is left empty. Zero records are skipped.
    static uint32_t Read(const void* data, size_t size, QVector<Item>* items);

private:
    char* m_block = nullptr;
    uint32_t m_size = 0;
    uint32_t m_count = 0;
    uint32_t m_written = 0;
};
