#pragma once
#include "CNodeRowCache.h"
#include "CNodeRwLock.h"
#include "NodeKind.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// A node's tables of children: the map of child keys to ids (which owns one reference on each
// child, given back by the node once the key left the map), the row order the views show, the
// names in their last sorted order and the pinned names. Every name given here is already a key
// (the node's ChildKey); this class neither looks nodes up nor touches them, so it can be read and
// tested on its own. Operations that put children into rows answer the ids they showed; the node
// marks those children.
//
// Locks: m_lock guards the map, the row order, the sorted names and the generation; the row
// tables derived from the row order have their own lock inside CNodeRowCache; m_pinLock guards
// the pinned names. Any thread.
//
// Costs: look-ups by key are O(1); row look-ups are O(1) once the row tables are built (O(rows)
// after a change); inserting a row by the position rule is O(rows), appending O(1).
class CNodeChildTable
{
public:
    // Where a new row goes.
    enum PositionRule {
        kAppend,       // at the end, always
        kPinnedFirst,  // pinned names first in the order they were pinned, each once; others appended
        kAlphabetical, // drives: alphabetical, ignoring case
        kNetworkHosts, // pinned names first, then hosts in natural order, each once
    };

    CNodeChildTable() = default;
    CNodeChildTable(const CNodeChildTable&) = delete;
    CNodeChildTable& operator=(const CNodeChildTable&) = delete;

    // ---- the map of keys to ids
    // Adds key -> id, or points key at id.
    void Add(const QString& key, NodeIndex id);
    void Remove(const QString& key);
    // Removes every key that maps to id. O(children).
    void RemoveId(NodeIndex id);
    void Clear();
    // Empties the map (and, with rows, the row order) and answers the ids it held: the caller
    // now holds the references the map held.
    QList<NodeIndex> TakeChildren(bool rows);
    void Rename(const QString& oldKey, const QString& newKey, NodeIndex id);
    bool Has(const QString& key) const;
    NodeIndex Id(const QString& key) const;
    // The id of key, or, when there is none and caseSensitive, the one key that equals it but for
    // case (0 when none or several do). O(children) when key is missing.
    NodeIndex IdTyped(const QString& key, bool caseSensitive) const;
    // O(children).
    bool HasId(NodeIndex id) const;
    // Copies, O(children).
    QStringList Keys() const;
    QList<NodeIndex> Ids() const;
    std::vector<std::pair<QString, NodeIndex>> Entries(quint64* generation) const;
    quint64 Generation() const;
    int Count() const;
    // O(i): the map has no order of its own.
    NodeIndex IdAt(int i) const;
    // See CLvFileSystemNode::ReadChildrenLocked.
    template <class Read>
    void ReadLocked(Read&& read) const
    {
        CNodeReadLocker lock(m_lock);
        read(static_cast<const QHash<QString, NodeIndex>&>(m_children), m_generation);
    }
    // The keys of keys that are in the map, in their order. O(keys).
    QStringList KeysAmong(const QStringList& keys) const;

    // ---- rows
    int RowCount() const;
    QString KeyAtRow(int r) const;
    int RowOf(const QString& key) const;
    // The row that view row r shows when the first sortedCount rows (all when negative) are
    // shown reversed; rows is the row count.
    static int ViewRowToRow(int r, int rows, bool reversed, int sortedCount);
    // The child at view row r (ViewRowToRow applied), or 0.
    NodeIndex IdAtViewRow(int r, bool reversed, int sortedCount) const;
    // See CLvFileSystemNode::FindChildRows.
    void FindRows(QHash<NodeIndex, int>* rows) const;
    void RemoveRow(int i);
    bool RemoveRowKey(const QString& key);
    void ClearRows();
    QStringList RowKeys() const;
    // Where rule puts key: a row index, or -1 when it is refused.
    int InsertPosition(const QString& key, PositionRule rule) const;
    // Puts key at row pos (appends when pos is out of range); answers its child (0 for none).
    NodeIndex InsertRowAt(int pos, const QString& key);
    // Appends keys; answers their children (0 where none), in their order.
    std::vector<NodeIndex> AppendRows(const QStringList& keys);
    // Puts each key where rule puts it (refused ones nowhere); answers the children shown.
    // O(keys) when the rule appends, else O(keys x rows).
    std::vector<NodeIndex> InsertRows(const QStringList& keys, PositionRule rule);
    // Makes keys the whole row order, unless names are pinned (false). The old rows of a large
    // folder are given back on the thread pool.
    bool ReplaceRows(const QStringList& keys);
    // Sorts the rows after the leading pinned ones, ignoring case (network hosts).
    void SortRowsAfterPinned();

    // ---- names in their last sorted order
    void AddSorted(const QStringList& keys);
    void SetSorted(const QStringList& keys);
    QStringList Sorted() const;
    void ClearSorted();
    int SortedCount() const;

    // ---- pinned names (compared ignoring case)
    bool IsPinned(const QString& name) const;
    void Pin(const QString& name);
    bool HasPins() const;
    void CopyPinsFrom(const CNodeChildTable& other);

private:
    int InsertPositionLocked(const QString& key, PositionRule rule) const;
    int LeadingPinnedLocked() const;
    std::vector<NodeIndex> AppendRowsLocked(const QStringList& keys);
    // Puts key at row pos (appends when pos is out of range) and keeps the row tables; answers
    // its child.
    NodeIndex InsertRowLocked(int pos, const QString& key);

    // Kept first: the views ask every row's node for its row count, and the node puts this table
    // on the cache line of its reference count.
    mutable CNodeRwLock m_lock;
    mutable CNodeRwLock m_pinLock; // guards m_pinnedNames
    QStringList m_rowOrder;
    // Owns one reference on each child (the node gives it back once the key left the map).
    QHash<QString, NodeIndex> m_children;
    quint64 m_generation = 0;
    CNodeRowCache m_rowTables;
    QStringList m_sortedNames;
    QStringList m_pinnedNames;
};
