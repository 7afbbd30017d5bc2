#include "CImageSearch.h"

#include "CImageIndex.h"
#include "CNameCodec.h"

#include <QChar>

#include <chrono>

namespace {

constexpr uint32_t kStar = '*';
constexpr uint32_t kAny = '?';

// Next code point of a stored name, case-folded; a byte outside valid UTF-8 stands for itself as
// the codec's escape U+DC00 + byte.
inline uint32_t nextFolded(const uint8_t*& p, const uint8_t* end)
{
    const uint8_t b0 = *p;
    if (b0 < 0x80) {
        ++p;
        return (b0 >= 'A' && b0 <= 'Z') ? uint32_t(b0 + 32) : b0;
    }
    uint32_t cp = 0;
    const int len = CNameCodec::SequenceLength(p, end, &cp);
    if (len == 0) {
        ++p;
        return 0xDC00u + b0;
    }
    p += len;
    return QChar::toCaseFolded(cp);
}

} // namespace

CImageSearch::CImageSearch(const QString& pattern)
{
    // Code points as the stored names give them: a lone surrogate (the codec's escape of a byte
    // that is not UTF-8, as a name copied from the browser holds it) stands for itself, where
    // QString::toUcs4 would make it U+FFFD and such a name could never be found.
    std::vector<uint32_t> points;
    const ushort* u = pattern.utf16();
    for (int i = 0, n = pattern.size(); i < n; ++i) {
        if (QChar::isHighSurrogate(u[i]) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            points.push_back(QChar::surrogateToUcs4(u[i], u[i + 1]));
            ++i;
        } else {
            points.push_back(u[i]);
        }
    }
    bool wild = false;
    for (uint32_t cp : points) {
        if (cp == kStar || cp == kAny) {
            wild = true;
            // Runs of '*' mean the same as one.
            if (cp == kStar && !m_pattern.empty() && m_pattern.back() == kStar)
                continue;
            m_pattern.push_back(cp);
        } else {
            m_pattern.push_back(QChar::toCaseFolded(cp));
        }
    }
    m_valid = !m_pattern.empty();
    if (m_valid && !wild) {
        m_pattern.insert(m_pattern.begin(), kStar);
        m_pattern.push_back(kStar);
    }
}

bool CImageSearch::Matches(const char* name, size_t len) const
{
    if (!m_valid)
        return false;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(name);
    const uint8_t* end = p + len;
    const size_t count = m_pattern.size();
    const size_t none = size_t(-1);
    size_t pi = 0;
    size_t starPi = none;
    const uint8_t* starAt = nullptr;
    while (p < end) {
        if (pi < count && m_pattern[pi] == kStar) {
            starPi = ++pi;
            starAt = p;
            continue;
        }
        const uint32_t c = nextFolded(p, end);
        if (pi < count && (m_pattern[pi] == kAny || m_pattern[pi] == c)) {
            ++pi;
            continue;
        }
        if (starPi == none)
            return false;
        // Let the last star take one more character and try again from there.
        p = starAt;
        nextFolded(p, end);
        starAt = p;
        pi = starPi;
    }
    while (pi < count && m_pattern[pi] == kStar)
        ++pi;
    return pi == count;
}

bool CImageSearch::Matches(const QString& name) const
{
    const QByteArray bytes = CNameCodec::EncodeName(name);
    return Matches(bytes.constData(), size_t(bytes.size()));
}

uint32_t CImageSearch::Run(const CImageIndex& index, uint32_t scope, bool recursive, const BatchFn& onBatch,
                           const std::atomic_bool* cancel, int batchSize) const
{
    if (!m_valid)
        return kErrEmptyPattern;
    if (scope >= index.Count() || !onBatch)
        return kErrBadScope;
    if (batchSize < 1)
        batchSize = 1;

    using Clock = std::chrono::steady_clock;
    auto lastFlush = Clock::now();
    QVector<uint32_t> hits;
    hits.reserve(batchSize);
    uint32_t visited = 0;
    // Checked every few thousand entries: often enough to stop well within a tenth of a second,
    // rarely enough to cost nothing.
    auto step = [&]() -> bool {
        if ((++visited & 4095) != 0)
            return true;
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const auto now = Clock::now();
        if (!hits.isEmpty() && now - lastFlush > std::chrono::milliseconds(100)) {
            onBatch(std::move(hits));
            hits = QVector<uint32_t>();
            hits.reserve(batchSize);
            lastFlush = now;
        }
        return true;
    };
    auto consider = [&](uint32_t e) {
        if (Matches(index.NameData(e), index.NameSize(e))) {
            hits.append(e);
            if (hits.size() >= batchSize) {
                onBatch(std::move(hits));
                hits = QVector<uint32_t>();
                hits.reserve(batchSize);
                lastFlush = Clock::now();
            }
        }
    };

    if (scope == CImageIndex::kRoot && recursive) {
        const uint32_t n = index.Count();
        for (uint32_t e = 1; e < n; ++e) {
            if (!step())
                return kErrCancelled;
            consider(e);
        }
    } else if (!recursive) {
        const uint32_t* kids = index.Children(scope);
        for (uint32_t k = 0; k < index.ChildCount(scope); ++k) {
            if (!step())
                return kErrCancelled;
            consider(kids[k]);
        }
    } else {
        std::vector<uint32_t> stack(1, scope);
        while (!stack.empty()) {
            const uint32_t at = stack.back();
            stack.pop_back();
            const uint32_t* kids = index.Children(at);
            const uint32_t n = index.ChildCount(at);
            for (uint32_t k = 0; k < n; ++k) {
                if (!step())
                    return kErrCancelled;
                consider(kids[k]);
                if (index.IsDir(kids[k]) && index.ChildCount(kids[k]) > 0)
                    stack.push_back(kids[k]);
            }
        }
    }
    if (cancel && cancel->load(std::memory_order_relaxed))
        return kErrCancelled;
    if (!hits.isEmpty())
        onBatch(std::move(hits));
    return 0;
}
