#pragma once
#include "NRResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstddef>
#include <cstdint>

// The "FLTR" block: the selection a tree exports and the host stores with a task.
// All fields little-endian; strings UTF-16LE, zero-terminated. docs/filter-block.md has the layout.

#pragma pack(push, 1)
struct _NR_FILTERS_HEAD
{
    uint32_t magic;         // "FLTR"
    uint32_t version;       // 1
    uint32_t totalSize;     // whole block in bytes, header included
    uint32_t count;         // number of entries
    uint32_t selectionType; // 0 paths, 1 file types
    uint8_t reserved[36];   // zero
};

struct _NR_FILTER_ENTRY_HEAD
{
    uint16_t size;       // whole entry in bytes, padding included
    uint16_t flags;
    uint8_t nodeKind;
    uint8_t nameOffset;  // from the entry start
    uint16_t reserved0;
    uint16_t pathOffset; // from the entry start
    uint16_t reserved1;
    uint32_t owner;      // exclusion: index of its include entry; include: 0xFFFFFFFF
};
#pragma pack(pop)

static_assert(sizeof(_NR_FILTERS_HEAD) == 56, "filter block header is 56 bytes");
static_assert(offsetof(_NR_FILTERS_HEAD, version) == 4, "header layout");
static_assert(offsetof(_NR_FILTERS_HEAD, totalSize) == 8, "header layout");
static_assert(offsetof(_NR_FILTERS_HEAD, count) == 12, "header layout");
static_assert(offsetof(_NR_FILTERS_HEAD, selectionType) == 16, "header layout");
static_assert(offsetof(_NR_FILTERS_HEAD, reserved) == 20, "header layout");
static_assert(sizeof(_NR_FILTER_ENTRY_HEAD) == 16, "filter entry head is 16 bytes");
static_assert(offsetof(_NR_FILTER_ENTRY_HEAD, flags) == 2, "entry layout");
static_assert(offsetof(_NR_FILTER_ENTRY_HEAD, nodeKind) == 4, "entry layout");
static_assert(offsetof(_NR_FILTER_ENTRY_HEAD, nameOffset) == 5, "entry layout");
static_assert(offsetof(_NR_FILTER_ENTRY_HEAD, pathOffset) == 8, "entry layout");
static_assert(offsetof(_NR_FILTER_ENTRY_HEAD, owner) == 12, "entry layout");

class CFilterBlock
{
public:
    static constexpr uint32_t kMagic = 0x52544C46; // "FLTR" read as little-endian
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kHeadSize = sizeof(_NR_FILTERS_HEAD);
    static constexpr uint32_t kEntryHeadSize = sizeof(_NR_FILTER_ENTRY_HEAD);
    static constexpr uint32_t kNoOwner = 0xFFFFFFFFu;

    static constexpr uint16_t kFlagExclude = 0x1;
    static constexpr uint16_t kFlagFolder = 0x4;
    static constexpr uint16_t kFlagWholePath = 0x8;

    static constexpr uint32_t kSelectPaths = 0;
    static constexpr uint32_t kSelectFileTypes = 1;

    // Error numbers (Windows-style, as the host shows them).
    static constexpr uint32_t kErrInvalidData = 0xD;

    // Why a block was refused. Each failure has its own place so a trace pins it down.
    static constexpr uint32_t kErrNullBlock = NRResult::Make(0x700, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrTooShort = NRResult::Make(0x701, kErrInvalidData);
    static constexpr uint32_t kErrBadMagic = NRResult::Make(0x702, kErrInvalidData);
    static constexpr uint32_t kErrBadVersion = NRResult::Make(0x703, kErrInvalidData);
    static constexpr uint32_t kErrBadTotalSize = NRResult::Make(0x704, kErrInvalidData);
    static constexpr uint32_t kErrBadCount = NRResult::Make(0x705, kErrInvalidData);
    static constexpr uint32_t kErrBadSelectionType = NRResult::Make(0x706, kErrInvalidData);
    static constexpr uint32_t kErrReservedNotZero = NRResult::Make(0x707, kErrInvalidData);
    static constexpr uint32_t kErrBadEntrySize = NRResult::Make(0x708, kErrInvalidData);
    static constexpr uint32_t kErrEntryOutside = NRResult::Make(0x709, kErrInvalidData);
    static constexpr uint32_t kErrBadOffset = NRResult::Make(0x70A, kErrInvalidData);
    static constexpr uint32_t kErrNoTerminator = NRResult::Make(0x70B, kErrInvalidData);
    static constexpr uint32_t kErrBadOwner = NRResult::Make(0x70C, kErrInvalidData);
    static constexpr uint32_t kErrTrailingBytes = NRResult::Make(0x70D, kErrInvalidData);
    // Writer: a name or path too long for the 16-bit entry size.
    static constexpr uint32_t kErrEntryTooLarge = NRResult::Make(0x70E, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrBlockTooLarge = NRResult::Make(0x70F, NRResult::kErrInvalidArg);

    struct Entry
    {
        uint16_t flags = 0;
        uint8_t nodeKind = 0;
        QString name;
        QString path;
        uint32_t owner = kNoOwner;

        bool IsExclusion() const { return (flags & kFlagExclude) != 0; }
        bool IsFolder() const { return (flags & kFlagFolder) != 0; }
        bool IsWholePath() const { return (flags & kFlagWholePath) != 0; }
        bool operator==(const Entry& o) const
        {
            return flags == o.flags && nodeKind == o.nodeKind && name == o.name && path == o.path && owner == o.owner;
        }
    };

    CFilterBlock() = default;

    // Reads a block. All or nothing: on any failure the object is left empty and the code says why.
    uint32_t Parse(const void* data, size_t size);
    // Checks a block without keeping anything.
    static uint32_t Validate(const void* data, size_t size);

    // Writes the block; fails (and leaves `out` empty) when the entries cannot be encoded:
    // an entry too large for its 16-bit size, or an owner index that is not an earlier include.
    uint32_t Serialize(QByteArray& out) const;
    QByteArray ToByteArray() const; // empty on failure

    void Clear();
    // Appends an entry, answering its index (what exclusions name as owner).
    uint32_t Append(const Entry& entry);
    uint32_t AppendInclude(const QString& name, const QString& path, bool folder, bool wholePath, uint8_t nodeKind);
    uint32_t AppendExclude(uint32_t owner, const QString& name, const QString& path, bool folder, uint8_t nodeKind);

    const QVector<Entry>& Entries() const { return m_entries; }
    int Count() const { return m_entries.size(); }
    bool IsEmpty() const { return m_entries.isEmpty(); }
    uint32_t SelectionType() const { return m_selectionType; }
    void SetSelectionType(uint32_t type) { m_selectionType = type; }

    // Paths of every entry in reverse entry order (what the credential builder walks).
    QStringList PathList() const;
    // Paths of the include entries, in entry order.
    QStringList IncludedPaths() const;
    // Entry indexes in the order a selection is rebuilt: by path (case-insensitive), so an
    // ancestor's rule comes before its descendants' and the deepest rule for a path wins.
    QVector<int> ApplyOrder() const;

    // Count field of a block after validation; -1 when the block is refused.
    static int CountOf(const void* data, size_t size);

    bool operator==(const CFilterBlock& o) const
    {
        return m_selectionType == o.m_selectionType && m_entries == o.m_entries;
    }

private:
    static uint32_t Read(const uint8_t* data, size_t size, uint32_t* selectionType, QVector<Entry>* entries);
    static uint32_t CheckOwners(const QVector<Entry>& entries);

    uint32_t m_selectionType = kSelectPaths;
    QVector<Entry> m_entries;
};
