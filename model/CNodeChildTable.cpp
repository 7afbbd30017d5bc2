#include "CNodeChildTable.h"
#include "CFileSystemModel.h"
#include "NRThreadHandOff.h"

#include <QThreadPool>

#include <algorithm>

// ---- the map of keys to ids

void CNodeChildTable::Add(const QString& key, NodeIndex id)
{
    CNodeWriteLocker lock(m_lock);
    auto it = m_children.find(key);
    if (it == m_children.end()) {
        m_children.insert(key, id);
        m_rowTables.KeyAdded();
    } else if (it.value() != id) {
        it.value() = id;
        m_rowTables.DropIds();
    }
    ++m_generation;
}

void CNodeChildTable::Remove(const QString& key)
{
    CNodeWriteLocker lock(m_lock);
    m_children.remove(key);
    ++m_generation;
    m_rowTables.DropIds();
}

void CNodeChildTable::RemoveId(NodeIndex id)
{
    CNodeWriteLocker lock(m_lock);
    ++m_generation;
    m_rowTables.DropIds();
    for (auto it = m_children.begin(); it != m_children.end();) {
        if (it.value() == id)
            it = m_children.erase(it);
        else
            ++it;
    }
}

void CNodeChildTable::Clear()
{
    CNodeWriteLocker lock(m_lock);
    m_children.clear();
    ++m_generation;
    m_rowTables.DropIds();
}

QList<NodeIndex> CNodeChildTable::TakeChildren(bool rows)
{
    CNodeWriteLocker lock(m_lock);
    const QList<NodeIndex> ids = m_children.values();
    m_children.clear();
    ++m_generation;
    if (rows) {
        m_rowOrder.clear();
        m_rowTables.DropAll();
    } else {
        m_rowTables.DropIds();
    }
    return ids;
}

void CNodeChildTable::Rename(const QString& oldKey, const QString& newKey, NodeIndex id)
{
    CNodeWriteLocker lock(m_lock);
    m_children.remove(oldKey);
    m_children.insert(newKey, id);
    ++m_generation;
    m_rowTables.DropIds();
    const int row = m_rowOrder.indexOf(oldKey);
    if (row >= 0) {
        m_rowOrder[row] = newKey;
        m_rowTables.DropAll();
    }
}

bool CNodeChildTable::Has(const QString& key) const
{
    CNodeReadLocker lock(m_lock);
    return m_children.contains(key);
}

NodeIndex CNodeChildTable::Id(const QString& key) const
{
    CNodeReadLocker lock(m_lock);
    return m_children.value(key, 0);
}

NodeIndex CNodeChildTable::IdTyped(const QString& key, bool caseSensitive) const
{
    CNodeReadLocker lock(m_lock);
    NodeIndex found = m_children.value(key, 0);
    if (found || !caseSensitive)
        return found;
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0) {
            if (found)
                return 0;
            found = it.value();
        }
    }
    return found;
}

bool CNodeChildTable::HasId(NodeIndex id) const
{
    CNodeReadLocker lock(m_lock);
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it)
        if (it.value() == id)
            return true;
    return false;
}

QStringList CNodeChildTable::Keys() const
{
    CNodeReadLocker lock(m_lock);
    return m_children.keys();
}

QList<NodeIndex> CNodeChildTable::Ids() const
{
    CNodeReadLocker lock(m_lock);
    return m_children.values();
}

std::vector<std::pair<QString, NodeIndex>> CNodeChildTable::Entries(quint64* generation) const
{
    std::vector<std::pair<QString, NodeIndex>> entries;
    CNodeReadLocker lock(m_lock);
    if (generation)
        *generation = m_generation;
    entries.reserve(size_t(m_children.size()));
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it)
        entries.emplace_back(it.key(), it.value());
    return entries;
}

quint64 CNodeChildTable::Generation() const
{
    CNodeReadLocker lock(m_lock);
    return m_generation;
}

int CNodeChildTable::Count() const
{
    CNodeReadLocker lock(m_lock);
    return m_children.size();
}

NodeIndex CNodeChildTable::IdAt(int i) const
{
    CNodeReadLocker lock(m_lock);
    if (i < 0 || i >= m_children.size())
        return 0;
    auto it = m_children.cbegin();
    std::advance(it, i);
    return it.value();
}

QStringList CNodeChildTable::KeysAmong(const QStringList& keys) const
{
    QStringList known;
    known.reserve(keys.size());
    CNodeReadLocker lock(m_lock);
    for (const QString& key : keys)
        if (m_children.contains(key))
            known.append(key);
    return known;
}

// ---- rows

int CNodeChildTable::RowCount() const
{
    CNodeReadLocker lock(m_lock);
    return m_rowOrder.size();
}

QString CNodeChildTable::KeyAtRow(int r) const
{
    CNodeReadLocker lock(m_lock);
    return r >= 0 && r < m_rowOrder.size() ? m_rowOrder.at(r) : QString();
}

int CNodeChildTable::RowOf(const QString& key) const
{
    CNodeReadLocker lock(m_lock);
    return m_rowTables.FindRow(m_rowOrder, key);
}

int CNodeChildTable::ViewRowToRow(int r, int rows, bool reversed, int sortedCount)
{
    if (!reversed)
        return r;
    // The sorted range never reaches past the rows: a range left longer by removed rows would
    // map view rows to rows that no longer exist.
    const int sorted = (sortedCount < 0 || sortedCount > rows) ? rows : sortedCount;
    return r < sorted ? sorted - r - 1 : r;
}

NodeIndex CNodeChildTable::IdAtViewRow(int r, bool reversed, int sortedCount) const
{
    CNodeReadLocker lock(m_lock);
    const int rows = m_rowOrder.size();
    if (r < 0 || r >= rows)
        return 0;
    return m_rowTables.IdAt(m_rowOrder, m_children, ViewRowToRow(r, rows, reversed, sortedCount));
}

void CNodeChildTable::FindRows(QHash<NodeIndex, int>* rows) const
{
    for (auto it = rows->begin(); it != rows->end(); ++it)
        it.value() = -1;
    CNodeReadLocker lock(m_lock);
    m_rowTables.FindRows(m_rowOrder, m_children, rows);
}

void CNodeChildTable::RemoveRow(int i)
{
    CNodeWriteLocker lock(m_lock);
    if (i >= 0 && i < m_rowOrder.size()) {
        m_rowOrder.removeAt(i);
        m_rowTables.DropAll();
    }
}

bool CNodeChildTable::RemoveRowKey(const QString& key)
{
    CNodeWriteLocker lock(m_lock);
    const int row = m_rowTables.FindRow(m_rowOrder, key);
    if (row < 0)
        return false;
    m_rowOrder.removeAt(row);
    m_rowTables.DropAll();
    return true;
}

void CNodeChildTable::ClearRows()
{
    CNodeWriteLocker lock(m_lock);
    m_rowOrder.clear();
    m_rowTables.DropAll();
}

QStringList CNodeChildTable::RowKeys() const
{
    CNodeReadLocker lock(m_lock);
    return m_rowOrder;
}

int CNodeChildTable::InsertPosition(const QString& key, PositionRule rule) const
{
    CNodeReadLocker lock(m_lock);
    return InsertPositionLocked(key, rule);
}

int CNodeChildTable::LeadingPinnedLocked() const
{
    int leading = 0;
    while (leading < m_rowOrder.size() && IsPinned(m_rowOrder.at(leading)))
        ++leading;
    return leading;
}

int CNodeChildTable::InsertPositionLocked(const QString& key, PositionRule rule) const
{
    const int rows = m_rowOrder.size();
    switch (rule) {
    case kAppend:
        return rows;
    case kAlphabetical:
        for (int i = 0; i < rows; ++i)
            if (QString::compare(m_rowOrder.at(i), key, Qt::CaseInsensitive) > 0)
                return i;
        return rows;
    case kPinnedFirst:
        if (!IsPinned(key))
            return rows;
        return m_rowTables.FindRow(m_rowOrder, key) >= 0 ? -1 : LeadingPinnedLocked();
    case kNetworkHosts: {
        const int leadingPinned = LeadingPinnedLocked();
        if (IsPinned(key))
            return m_rowTables.FindRow(m_rowOrder, key) >= 0 ? -1 : leadingPinned;
        // Hosts by binary search in natural order after the pinned names; a known host is refused.
        int lo = leadingPinned, hi = rows;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            const int c = CFileSystemModel::naturalCompare(m_rowOrder.at(mid), key, Qt::CaseInsensitive);
            if (c == 0)
                return -1;
            if (c < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
    }
    return rows;
}

NodeIndex CNodeChildTable::InsertRowLocked(int pos, const QString& key)
{
    const NodeIndex id = m_children.value(key, 0);
    if (pos < 0 || pos >= m_rowOrder.size()) {
        m_rowOrder.append(key);
        m_rowTables.Appended(m_rowOrder, m_rowOrder.size() - 1, {id});
    } else {
        m_rowOrder.insert(pos, key);
        m_rowTables.DropAll();
    }
    return id;
}

NodeIndex CNodeChildTable::InsertRowAt(int pos, const QString& key)
{
    CNodeWriteLocker lock(m_lock);
    ++m_generation;
    return InsertRowLocked(pos, key);
}

std::vector<NodeIndex> CNodeChildTable::AppendRowsLocked(const QStringList& keys)
{
    std::vector<NodeIndex> shown;
    shown.reserve(size_t(keys.size()));
    ++m_generation;
    const int from = m_rowOrder.size();
    m_rowOrder.reserve(from + keys.size());
    for (const QString& key : keys) {
        m_rowOrder.append(key);
        shown.push_back(m_children.value(key, 0));
    }
    m_rowTables.Appended(m_rowOrder, from, shown);
    return shown;
}

std::vector<NodeIndex> CNodeChildTable::AppendRows(const QStringList& keys)
{
    CNodeWriteLocker lock(m_lock);
    return AppendRowsLocked(keys);
}

std::vector<NodeIndex> CNodeChildTable::InsertRows(const QStringList& keys, PositionRule rule)
{
    CNodeWriteLocker lock(m_lock);
    if (rule == kAppend || (rule == kPinnedFirst && !HasPins()))
        return AppendRowsLocked(keys);
    std::vector<NodeIndex> shown;
    for (const QString& key : keys) {
        const int pos = InsertPositionLocked(key, rule);
        if (pos >= 0)
            shown.push_back(InsertRowLocked(pos, key));
    }
    ++m_generation;
    return shown;
}

bool CNodeChildTable::ReplaceRows(const QStringList& keys)
{
    if (HasPins())
        return false;
    QStringList oldRows;
    QHash<QString, int>* oldTable = nullptr;
    {
        CNodeWriteLocker lock(m_lock);
        oldRows.swap(m_rowOrder);
        m_rowOrder = keys;
        oldTable = m_rowTables.TakeAll();
    }
    // A large folder's old rows and name table take a while to give back: not on the GUI
    // thread, which is in the middle of a layout change.
    if (oldRows.size() > 4096 && QThreadPool::globalInstance()) {
        NRStartOnPool([rows = std::move(oldRows), oldTable]() mutable {
            rows.clear();
            delete oldTable;
        });
    } else {
        delete oldTable;
    }
    return true;
}

void CNodeChildTable::SortRowsAfterPinned()
{
    CNodeWriteLocker lock(m_lock);
    std::stable_sort(m_rowOrder.begin() + LeadingPinnedLocked(), m_rowOrder.end(),
                     [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    m_rowTables.DropAll();
}

// ---- names in their last sorted order

void CNodeChildTable::AddSorted(const QStringList& keys)
{
    CNodeWriteLocker lock(m_lock);
    m_sortedNames.append(keys);
}

void CNodeChildTable::SetSorted(const QStringList& keys)
{
    CNodeWriteLocker lock(m_lock);
    m_sortedNames = keys;
}

QStringList CNodeChildTable::Sorted() const
{
    CNodeReadLocker lock(m_lock);
    return m_sortedNames;
}

void CNodeChildTable::ClearSorted()
{
    CNodeWriteLocker lock(m_lock);
    m_sortedNames.clear();
}

int CNodeChildTable::SortedCount() const
{
    CNodeReadLocker lock(m_lock);
    return m_sortedNames.size();
}

// ---- pinned names

bool CNodeChildTable::IsPinned(const QString& name) const
{
    CNodeWriteLocker lock(m_pinLock);
    for (const QString& p : m_pinnedNames)
        if (p.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void CNodeChildTable::Pin(const QString& name)
{
    CNodeWriteLocker lock(m_pinLock);
    for (const QString& p : m_pinnedNames)
        if (p.compare(name, Qt::CaseInsensitive) == 0)
            return;
    m_pinnedNames.append(name);
}

bool CNodeChildTable::HasPins() const
{
    CNodeWriteLocker lock(m_pinLock);
    return !m_pinnedNames.isEmpty();
}

void CNodeChildTable::CopyPinsFrom(const CNodeChildTable& other)
{
    const QStringList pins = [&other] {
        CNodeWriteLocker lock(other.m_pinLock);
        return other.m_pinnedNames;
    }();
    CNodeWriteLocker lock(m_pinLock);
    m_pinnedNames = pins;
}
