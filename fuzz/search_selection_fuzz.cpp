// libFuzzer entry for the search-selection reader: any input must be refused or read without a
// fault, and what is read must write back to a block that reads the same.
#include "CSearchSelection.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QVector<CSearchSelection::Item> items;
    if (NRResult::Failed(CSearchSelection::Read(data, size, &items)))
        return 0;
    CSearchSelection block;
    if (block.Allocate(uint32_t(items.size())) != 0)
        std::abort();
    for (CSearchSelection::Item& item : items) {
        if (block.Append(item) != 0)
            std::abort();
        // A folder's record carries no name; the writer leaves the field zero.
        if (item.folder)
            item.name.clear();
    }
    QVector<CSearchSelection::Item> again;
    if (CSearchSelection::Read(block.Data(), block.Size(), &again) != 0 || again.size() != items.size())
        std::abort();
    for (int i = 0; i < items.size(); ++i) {
        if (again[i].folder != items[i].folder || again[i].path != items[i].path || again[i].name != items[i].name)
            std::abort();
    }
    return 0;
}
