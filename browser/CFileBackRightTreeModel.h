#pragma once
#include <QSortFilterProxyModel>

// Proxy of the contents list: hides nodes that never carry a check box row of their own and
// sorts with the model's node comparator.
class CFileBackRightTreeModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit CFileBackRightTreeModel(QObject* parent);

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
