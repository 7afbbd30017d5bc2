// Index build and search of a 1,000,000-entry tar image, against `bsdtar -tf` listing the same
// image in the same run.
//
//   bench_image_index [image.tar]     (default /tmp/nr-bench-1m.tar, written when missing)
//
// The image holds 1,000 folders of 999 empty files each, as GNU tar would store a backup of a
// user profile; one file in ten is a .docx.
#include "BenchImage.h"
#include "CImageIndex.h"
#include "CImageSearch.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString image = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/nr-bench-1m.tar");
    if (!EnsureBenchImage(image, WriteProfileImage)) {
        std::printf("cannot write the image\n");
        return 1;
    }
    const double listMs = BsdtarListMs(image);

    CImageIndex index;
    uint32_t result = 0;
    const double buildMs = BestOfMs(3, [&] { result = index.Build(image); });
    if (result != 0) {
        std::printf("index build failed: 0x%08X %s\n", result, qPrintable(index.ErrorText()));
        return 1;
    }

    size_t hits = 0;
    const CImageSearch search(QStringLiteral("*.docx"));
    const double searchMs = BestOfMs(5, [&] {
        hits = 0;
        search.Run(index, CImageIndex::kRoot, true, [&](QVector<uint32_t>&& batch) { hits += size_t(batch.size()); });
    });
    size_t scopedHits = 0;
    const uint32_t scope = index.Find(QStringLiteral("C:\\Users\\user3"));
    const double scopedMs = BestOfMs(5, [&] {
        scopedHits = 0;
        search.Run(index, scope, true, [&](QVector<uint32_t>&& batch) { scopedHits += size_t(batch.size()); });
    });

    std::printf("image: %s, %u entries, index memory %.1f MB\n", qPrintable(image), index.Count() - 1,
                index.MemoryBytes() / 1048576.0);
    if (listMs > 0)
        std::printf("bsdtar -tf listing:          %8.1f ms\n", listMs);
    std::printf("index build:                 %8.1f ms", buildMs);
    if (listMs > 0)
        std::printf("   ratio %.2fx listing (target <= 1.5x)", buildMs / listMs);
    std::printf("\nsearch *.docx, whole image:  %8.1f ms   %zu hits", searchMs, hits);
    if (listMs > 0)
        std::printf("   ratio %.3fx listing (target <= 0.1x)", searchMs / listMs);
    std::printf("\nsearch *.docx, one user:     %8.1f ms   %zu hits\n", scopedMs, scopedHits);
    return 0;
}
