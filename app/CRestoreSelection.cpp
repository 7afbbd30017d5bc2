#include "CRestoreSelection.h"

#include "CFilterBlock.h"
#include "CImageIndex.h"

#include <algorithm>

namespace {
constexpr int8_t kNoRule = -1;
constexpr int8_t kExclude = 0;
constexpr int8_t kInclude = 1;
// An include whose subtree was taken: a second rule for the same path adds nothing.
constexpr int8_t kWalked = 2;
} // namespace

uint32_t CRestoreSelection::Select(const CImageIndex& index, const QByteArray& block)
{
    CFilterBlock parsed;
    if (parsed.Parse(block.constData(), size_t(block.size())) != 0) {
        m_members.clear();
        m_missing.clear();
        m_files = 0;
        m_bytes = 0;
        return kErrBadBlock;
    }
    return Select(index, parsed);
}

uint32_t CRestoreSelection::Select(const CImageIndex& index, const CFilterBlock& block)
{
    m_members.clear();
    m_missing.clear();
    m_files = 0;
    m_bytes = 0;
    if (block.SelectionType() != CFilterBlock::kSelectPaths)
        return kErrNotPaths;

    // One rule per entry of the tree; for the same path the later rule in path order stands.
    std::vector<int8_t> rule(index.Count(), kNoRule);
    std::vector<uint32_t> roots;
    for (int i : block.ApplyOrder()) {
        const CFilterBlock::Entry& e = block.Entries().at(i);
        const uint32_t at = index.Find(e.path);
        if (at == CImageIndex::kNone) {
            m_missing << e.path;
            continue;
        }
        rule[at] = e.IsExclusion() ? kExclude : kInclude;
        roots.push_back(at);
    }
    // Each include walks its own subtree; below it, any entry with a rule of its own is left to
    // that rule (an exclusion drops it, an include is a root of its own), so nothing is taken twice.
    std::vector<uint32_t> stack;
    for (uint32_t root : roots) {
        if (rule[root] != kInclude)
            continue;
        rule[root] = kWalked;
        stack.assign(1, root);
        while (!stack.empty()) {
            const uint32_t at = stack.back();
            stack.pop_back();
            if (index.MemberNumber(at) != CImageIndex::kNone) {
                m_members.push_back(Member{index.MemberNumber(at), at});
                if (!index.IsDir(at)) {
                    ++m_files;
                    if (index.TypeOf(at) == CImageIndex::kTypeFile)
                        m_bytes += qMax<qint64>(0, index.Size(at));
                }
            }
            const uint32_t* kids = index.Children(at);
            for (uint32_t k = 0, n = index.ChildCount(at); k < n; ++k) {
                if (rule[kids[k]] == kNoRule)
                    stack.push_back(kids[k]);
            }
        }
    }
    std::sort(m_members.begin(), m_members.end(), [](const Member& a, const Member& b) { return a.number < b.number; });
    return 0;
}
