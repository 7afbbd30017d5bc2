#pragma once
#include "NRResult.h"

#include <QString>
#include <QVector>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class CImageIndex;

// Wildcard search over an image index: '*' any run of characters, '?' one character, letters
// compared without regard to case. A pattern without wildcards finds names that contain it.
// Runs on the calling thread; hands out entry indexes in batches while it runs and stops soon
// after `cancel` is set.
class CImageSearch
{
public:
    static constexpr uint32_t kErrNumCancelled = 0x4C7;
    static constexpr uint32_t kErrEmptyPattern = NRResult::Make(0x737, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrBadScope = NRResult::Make(0x738, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrCancelled = NRResult::Make(0x739, kErrNumCancelled);

    using BatchFn = std::function<void(QVector<uint32_t>&& hits)>;

    explicit CImageSearch(const QString& pattern);

    // Searches below `scope` (every level when recursive, else its children only); the root as
    // scope searches the whole image. Hits come in index order of a depth-first walk, or of the
    // index when the whole image is searched.
    uint32_t Run(const CImageIndex& index, uint32_t scope, bool recursive, const BatchFn& onBatch,
                 const std::atomic_bool* cancel = nullptr, int batchSize = 1000) const;

    // Whether a name (bytes as stored, decoded like the codec) matches.
    bool Matches(const char* name, size_t len) const;
    bool Matches(const QString& name) const;

private:
    std::vector<uint32_t> m_pattern; // case-folded code points; '*' and '?' are the wildcards
    bool m_valid = false;
};
