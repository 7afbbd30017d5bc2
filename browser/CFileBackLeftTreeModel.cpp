#include "CFileBackLeftTreeModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"

CFileBackLeftTreeModel::CFileBackLeftTreeModel(QObject* parent)
    : QSortFilterProxyModel(parent)
{
}

void CFileBackLeftTreeModel::SetShowFiles(bool show)
{
    if (showFiles == show)
        return;
    showFiles = show;
    invalidateFilter();
}

bool CFileBackLeftTreeModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    const QModelIndex index = source->index(sourceRow, 0, sourceParent);
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(NodeIndex(index.internalId())));
    if (!index.isValid() || !node)
        return false;
    return showFiles || !node->IsFile();
}

bool CFileBackLeftTreeModel::hasChildren(const QModelIndex& parent) const
{
    const QModelIndex source = mapToSource(parent);
    if (showFiles)
        return sourceModel() ? sourceModel()->hasChildren(source) : false;
    if (source.column() >= 1)
        return false;
    if (!source.isValid())
        return true;
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(NodeIndex(source.internalId())));
    if (!node || node->IsFile())
        return false;
    // Until the folder is enumerated the library's guess decides; afterwards whether a
    // sub-folder actually arrived. Nothing is loaded to answer this.
    return node->InitFinish() ? node->HasFolders() : node->MayHaveChildren();
}

void CFileBackLeftTreeModel::sort(int column, Qt::SortOrder order)
{
    if (sourceModel())
        sourceModel()->sort(column, order);
    else
        QSortFilterProxyModel::sort(column, order);
}
