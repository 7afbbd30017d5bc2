#pragma once
#include <cstdint>

// The match-filter component "MatchStr": writes an initial selection ("FLTR" block) from a list
// of paths. Created through NRCreateObject with kObjectId.
class IMatchStr
{
public:
    static constexpr unsigned kObjectId = 0x4D53;
    static constexpr uint32_t kItemSize = 2988;
    static constexpr uint32_t kItemFlagFolder = 0x4;

    // The 2988-byte item record handed per path.
    struct Item
    {
        uint32_t flags = 0;        // kItemFlagFolder for a folder
        uint32_t nodeKind = 0;
        char16_t path[1490] = {};  // zero-terminated UTF-16
    };

    virtual ~IMatchStr() = default;
    // With item null: starts an empty block of `size` bytes. With an item: appends it as an include
    // entry. 0 on success; a failure when the block is too small or invalid.
    virtual uint32_t AddItem(void* block, uint32_t size, const Item* item) = 0;
    // Bytes the block uses so far (header included); 0 for an invalid block.
    virtual uint32_t UsedSize(const void* block, uint32_t size) = 0;
};
static_assert(sizeof(IMatchStr::Item) == IMatchStr::kItemSize, "item record is 2988 bytes");
