#include "CFileBackRightTreeModel.h"
#include "CFileSystemModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QTimer>

CFileBackRightTreeModel::CFileBackRightTreeModel(QObject* parent)
    : QSortFilterProxyModel(parent)
{
}

bool CFileBackRightTreeModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    const QModelIndex index = source->index(sourceRow, 0, sourceParent);
    if (!index.isValid())
        return false;
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(NodeIndex(index.internalId())));
    return node && node->GetKind() != NodeKind::kNoCheckBox;
}

bool CFileBackRightTreeModel::hasChildren(const QModelIndex& parent) const
{
    return sourceModel() ? sourceModel()->hasChildren(mapToSource(parent)) : false;
}

void CFileBackRightTreeModel::sort(int column, Qt::SortOrder order)
{
    requestedColumn = column;
    requestedOrder = order;
    if (!sourceModel()) {
        QSortFilterProxyModel::sort(column, order);
        return;
    }
    if (sortQueued)
        return;
    sortQueued = true;
    QTimer::singleShot(0, this, [this] {
        sortQueued = false;
        if (sourceModel())
            sourceModel()->sort(requestedColumn, requestedOrder);
    });
}

bool CFileBackRightTreeModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    return CFileSystemModel::compareNodes(sortColumn(), NodeIndex(left.internalId()), NodeIndex(right.internalId()));
}
