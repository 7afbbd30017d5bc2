#pragma once
#include "CNodeRwLock.h"
#include "NodeKind.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

// What a node derives from its row order for the views' per-row look-ups: the row of each child
// key (kept for large folders only) and the child id of each row. Both are built on demand and
// owned here; this object's lock guards building and changing them. Callers hold the node's
// children lock: for reading to look up, for writing to change or drop.
class CNodeRowCache
{
public:
    CNodeRowCache() = default;
    CNodeRowCache(const CNodeRowCache&) = delete;
    CNodeRowCache& operator=(const CNodeRowCache&) = delete;
    ~CNodeRowCache();

    // The first row holding key, or -1. Linear in a small folder; in a large one the first call
    // after a change builds the key table, O(rows), and later calls are O(1).
    int FindRow(const QStringList& rows, const QString& key) const;
    // The child shown at row r (0 <= r < rows.size()); the first call after a change builds the
    // id table, O(rows).
    NodeIndex IdAt(const QStringList& rows, const QHash<QString, NodeIndex>& children, int r) const;
    // Sets each value of found (keyed by child id) to the first row of that child, or -1: one
    // pass over the rows, however many children are asked for.
    void FindRows(const QStringList& rows, const QHash<QString, NodeIndex>& children,
                  QHash<NodeIndex, int>* found) const;

    // The rows changed: both tables go.
    void DropAll() const;
    // A key changed its child or went: the id table goes.
    void DropIds() const;
    // A new key got a child: only an id table with rows that had none can be wrong.
    void KeyAdded() const;
    // rows[from..] were appended, ids their children (0 for none): kept tables follow.
    void Appended(const QStringList& rows, int from, const std::vector<NodeIndex>& ids) const;
    // Hands the key table to the caller, who gives it back where it costs nothing (a large one
    // takes a while), and drops the id table.
    QHash<QString, int>* TakeAll() const;

private:
    struct RowIds;
    // The id table, built when it is not kept. Called with m_lock held for writing.
    const RowIds* BuildIdsLocked(const QStringList& rows, const QHash<QString, NodeIndex>& children) const;

    mutable CNodeRwLock m_lock;
    // Published complete: readers take it without m_lock, under the children lock.
    mutable std::atomic<RowIds*> m_ids{nullptr};
    mutable QHash<QString, int>* m_rowOf = nullptr;
};
