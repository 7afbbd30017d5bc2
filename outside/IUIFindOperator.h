#pragma once
#include <cstdint>

// Host interface that turns a search-selection block into a filter block.
class IUIFindOperator
{
public:
    virtual ~IUIFindOperator() = default;
    virtual uint32_t GenerateFilter(const void* selection, uint32_t* size, void** block) = 0;
    virtual void FreeGeneratedFilter(void* block) = 0;
};
