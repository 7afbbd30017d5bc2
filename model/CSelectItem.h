#pragma once
#include "NodeKind.h"
#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSharedPointer>
#include <QString>

class CSelectItem;
typedef QSharedPointer<CSelectItem> CSelectItemPtr;

// One record of a selection. A selection is a root item whose `includes` are the chosen
// entries; each included entry may carry `excludes` below it. Tables are keyed by the entry's
// path (the model's upper-case selection path).
class CSelectItem
{
public:
    CSelectItem() = default;
    CSelectItem(bool include, bool isDir, const QByteArray& path, NodeIndex id);
    CSelectItem(const CSelectItem&) = delete;
    CSelectItem& operator=(const CSelectItem&) = delete;

    // Guards the two tables when an item is shared between threads.
    mutable QMutex mutex;
    bool isDir = false;
    NodeIndex id = 0;
    // UTF-8 path.
    QByteArray path;
    bool include = true;
    QHash<QString, CSelectItemPtr> excludes;
    QHash<QString, CSelectItemPtr> includes;

    // Adds item to the include (or exclude) table under the item's path.
    void AddInclude(const CSelectItemPtr& item);
    void AddExclude(const CSelectItemPtr& item);
    void Clear();
};
