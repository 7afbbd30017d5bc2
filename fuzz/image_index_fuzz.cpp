// libFuzzer entry for the image index over archive bytes: any file must be indexed or refused
// without a fault; a refused image keeps nothing, an index stays within its bounds, and every
// entry is found again by its path.
#include "CImageIndex.h"
#include "FuzzInput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString image = fuzz::ScratchFile(QStringLiteral("image"), QByteArray(reinterpret_cast<const char*>(data), int(size)));
    CImageIndex index;
    if (index.Build(image) != 0) {
        if (index.Count() != 1)
            std::abort();
        return 0;
    }
    if (index.MemoryBytes() > CImageIndex::kMemoryFloor + size * CImageIndex::kMemoryPerImageByte)
        std::abort();
    // Paths of the first entries only: an input may imply a million of them.
    const uint32_t checked = qMin(index.Count(), 5000u);
    for (uint32_t i = 1; i < checked; ++i) {
        uint32_t depth = 0;
        for (uint32_t at = i; at != CImageIndex::kRoot; at = index.Parent(at))
            if (++depth > CImageIndex::kMaxDepth)
                std::abort();
        if (index.Find(index.Path(i)) != i)
            std::abort();
        (void)index.Record(i);
    }
    return 0;
}
