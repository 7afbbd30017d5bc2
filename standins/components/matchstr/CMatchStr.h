#pragma once
#include "IMatchStr.h"

// Writes the initial selection of a shell launch: one include entry per path, each naming the
// whole file or folder by its path.
class CMatchStr : public IMatchStr
{
public:
    uint32_t AddItem(void* block, uint32_t size, const Item* item) override;
    uint32_t UsedSize(const void* block, uint32_t size) override;

    static constexpr uint32_t kErrNullBlock = 0x7D004245;
    static constexpr uint32_t kErrTooSmall = 0x7D10424C;
    static constexpr uint32_t kErrBadBlock = 0x7D20400D;
    static constexpr uint32_t kErrBadItem = 0x7D304245;
};
