// libFuzzer entry for the filter-block reader: any input must be refused or read without a fault,
// and whatever is read must write back to a block that reads the same.
#include "CFilterBlock.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFilterBlock block;
    if (NRResult::Failed(block.Parse(data, size)))
        return 0;
    QByteArray again;
    // Overlapping strings may read fine yet need more room than one entry has once written apart.
    if (block.Serialize(again) == CFilterBlock::kErrEntryTooLarge)
        return 0;
    // Writing normalises the padding and the string offsets, so compare what reads back.
    CFilterBlock reread;
    if (NRResult::Failed(reread.Parse(again.constData(), static_cast<size_t>(again.size()))) || !(reread == block))
        std::abort();
    (void)block.PathList();
    (void)block.ApplyOrder();
    return 0;
}
