#include "CNodeRowCache.h"

namespace {
// Folders up to this many rows find a name by a plain scan; larger ones keep a name -> row table.
constexpr int kRowTableThreshold = 32;
} // namespace

struct CNodeRowCache::RowIds
{
    std::vector<NodeIndex> ids;
    // Rows whose key had no child when their id was taken.
    int missing = 0;

    void Add(NodeIndex id)
    {
        ids.push_back(id);
        if (id == 0)
            ++missing;
    }
};

CNodeRowCache::~CNodeRowCache()
{
    delete m_rowOf;
    delete m_ids.exchange(nullptr);
}

int CNodeRowCache::FindRow(const QStringList& rows, const QString& key) const
{
    if (rows.size() <= kRowTableThreshold)
        return rows.indexOf(key);
    CNodeWriteLocker lock(m_lock);
    if (!m_rowOf) {
        m_rowOf = new QHash<QString, int>;
        m_rowOf->reserve(rows.size());
        for (int i = 0; i < rows.size(); ++i)
            if (!m_rowOf->contains(rows.at(i)))
                m_rowOf->insert(rows.at(i), i);
    }
    return m_rowOf->value(key, -1);
}

NodeIndex CNodeRowCache::IdAt(const QStringList& rows, const QHash<QString, NodeIndex>& children, int r) const
{
    const RowIds* ids = m_ids.load(std::memory_order_acquire);
    if (!ids) {
        CNodeWriteLocker lock(m_lock);
        ids = BuildIdsLocked(rows, children);
    }
    return ids->ids[size_t(r)];
}

void CNodeRowCache::FindRows(const QStringList& rows, const QHash<QString, NodeIndex>& children,
                             QHash<NodeIndex, int>* found) const
{
    CNodeWriteLocker lock(m_lock);
    int left = found->size();
    const std::vector<NodeIndex>& ids = BuildIdsLocked(rows, children)->ids;
    for (size_t r = 0; r < ids.size() && left > 0; ++r) {
        auto it = found->find(ids[r]);
        if (it != found->end() && it.value() < 0) {
            it.value() = int(r);
            --left;
        }
    }
}

const CNodeRowCache::RowIds* CNodeRowCache::BuildIdsLocked(const QStringList& rows,
                                                           const QHash<QString, NodeIndex>& children) const
{
    if (const RowIds* ids = m_ids.load(std::memory_order_acquire))
        return ids;
    auto* ids = new RowIds;
    ids->ids.reserve(size_t(rows.size()));
    // Rows hold the children's keys as they are (already upper-cased).
    for (const QString& key : rows)
        ids->Add(children.value(key, 0));
    m_ids.store(ids, std::memory_order_release);
    return ids;
}

void CNodeRowCache::DropAll() const
{
    CNodeWriteLocker lock(m_lock);
    delete m_rowOf;
    m_rowOf = nullptr;
    delete m_ids.exchange(nullptr);
}

void CNodeRowCache::DropIds() const
{
    CNodeWriteLocker lock(m_lock);
    delete m_ids.exchange(nullptr);
}

void CNodeRowCache::KeyAdded() const
{
    CNodeWriteLocker lock(m_lock);
    const RowIds* ids = m_ids.load(std::memory_order_relaxed);
    if (ids && ids->missing > 0)
        delete m_ids.exchange(nullptr);
}

void CNodeRowCache::Appended(const QStringList& rows, int from, const std::vector<NodeIndex>& ids) const
{
    CNodeWriteLocker lock(m_lock);
    RowIds* kept = m_ids.load(std::memory_order_relaxed);
    for (int i = from; i < rows.size(); ++i) {
        if (m_rowOf && !m_rowOf->contains(rows.at(i)))
            m_rowOf->insert(rows.at(i), i);
        if (kept)
            kept->Add(ids[size_t(i - from)]);
    }
}

QHash<QString, int>* CNodeRowCache::TakeAll() const
{
    CNodeWriteLocker lock(m_lock);
    QHash<QString, int>* rowOf = m_rowOf;
    m_rowOf = nullptr;
    delete m_ids.exchange(nullptr);
    return rowOf;
}
