#pragma once
#include <QSortFilterProxyModel>

// Proxy of the contents list: hides nodes that never carry a check box row of their own and
// shows the folder in the order the model's node comparator gives.
//
// The list's folder is sorted by the model itself (on a worker, with precomputed keys) and the
// proxy keeps the model's row order. Sorting inside the proxy would cost two model indexes and
// a node comparison per comparison, and every batch of rows arriving in a folder of 100,000
// would be scattered over the sorted rows one insertion at a time; kept in model order, a batch
// stays one appended range.
class CFileBackRightTreeModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit CFileBackRightTreeModel(QObject* parent);

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    // Has the model sort the folder on show (the model's root index) by column and order, once
    // control is back in the event loop: a model sort moves the rows of every view, and must not
    // happen under a view that is walking its items (a header being replaced, a scroll).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The order last asked for (the proxy's own sort column stays -1: rows keep model order).
    int RequestedColumn() const { return requestedColumn; }
    Qt::SortOrder RequestedOrder() const { return requestedOrder; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    int requestedColumn = -1;
    Qt::SortOrder requestedOrder = Qt::AscendingOrder;
    bool sortQueued = false;
};
