// libFuzzer entry for the search pattern matcher. Input: a pattern, a line "====", then member
// paths, one a line. Stored bytes and their decoded text match alike; a plain pattern finds every
// name that holds it; a search of the whole index hands out exactly the entries that match.
#include "CImageIndex.h"
#include "CImageSearch.h"
#include "CNameCodec.h"
#include "FuzzInput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = fuzz::Split(data, size, 2);
    const QString pattern = CNameCodec::DecodeText(parts[0]);
    const CImageSearch search(pattern);
    const bool plain = !pattern.isEmpty() && !pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?'));
    if (plain && !search.Matches(QStringLiteral("x") + pattern + QStringLiteral("y")))
        std::abort();

    CImageIndex index;
    for (const QByteArray& path : parts[1].split('\n'))
        index.AddMember(path.constData(), size_t(path.size()), 0100644, 0, 0);
    index.Finish();
    QVector<bool> expected(int(index.Count()), false);
    for (uint32_t i = 1; i < index.Count(); ++i) {
        expected[int(i)] = search.Matches(index.NameData(i), index.NameSize(i));
        if (expected[int(i)] != search.Matches(index.Name(i)))
            std::abort();
    }
    QVector<bool> found(int(index.Count()), false);
    const uint32_t r = search.Run(index, CImageIndex::kRoot, true, [&](QVector<uint32_t>&& hits) {
        for (uint32_t hit : hits) {
            if (hit == CImageIndex::kRoot || hit >= index.Count() || found[int(hit)])
                std::abort();
            found[int(hit)] = true;
        }
    });
    if (r == 0 && found != expected)
        std::abort();
    return 0;
}
