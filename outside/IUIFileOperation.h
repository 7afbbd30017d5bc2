#pragma once
#include <cstdint>

// Host interface that takes a page's selection. Size queries follow the 0x24C protocol: with no
// buffer or one too small the call answers 0x24C and writes the needed size.
class IUIFileOperation
{
public:
    virtual ~IUIFileOperation() = default;
    virtual uint32_t SetFilter(const void* block, uint32_t size) = 0;
    virtual uint32_t SetCredentials(const void* records, uint32_t count) = 0;
    virtual uint32_t GetTaskFilter(void* buffer, uint32_t* size) = 0;
    virtual uint32_t GetTaskSecondFilter(void* buffer, uint32_t* size) = 0;
    // 1 when the task selects by file type, else 0.
    virtual uint32_t GetFilterKind() = 0;
    // The setter the pages call with 0 before and after handing over a selection.
    virtual uint32_t SetFilterState(uint32_t value) = 0;
};
