#pragma once
#include <cstdint>

// Host interface that turns a search-selection block (platform/common/CSearchSelection.h) into a
// filter block.
class IUIFindOperator
{
public:
    virtual ~IUIFindOperator() = default;
    // *size is the selection block's size in bytes on the way in (the host reads nothing beyond
    // it) and the generated block's size on the way out; *block is the generated block, freed
    // with FreeGeneratedFilter. A selection that names nothing answers 0 with no block and size 0.
    virtual uint32_t GenerateFilter(const void* selection, uint32_t* size, void** block) = 0;
    virtual void FreeGeneratedFilter(void* block) = 0;
};
