#include "CFileTreeHeader.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QAbstractProxyModel>
#include <QMouseEvent>

CFileTreeHeader::CFileTreeHeader(int checkSection, NodeIndex rootNode, QWidget* parent)
    : CListHeader(checkSection, parent), rootNode(rootNode)
{
    setObjectName(QStringLiteral("CFileTreeHeader"));
    setStyleSheet(QStringLiteral("CFileTreeHeader#CFileTreeHeader{border-top-right-radius:8px; border:0px solid white; "
                                 "background: white; padding:1px 0px 0px 0px;}"));
    setAttribute(Qt::WA_TranslucentBackground);
    roundLastSection = true;
    sortArrowShown = true;
    UpdateSortIndicator();
}

void CFileTreeHeader::SetRootNode(NodeIndex node)
{
    rootNode = node;
    UpdateSortIndicator();
}

void CFileTreeHeader::UpdateSortIndicator()
{
    int section = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(rootNode));
    if (node) {
        section = int(node->LastSortColumn());
        order = node->Reversed() ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    setSortIndicator(section, order);
}

bool CFileTreeHeader::FolderReady() const
{
    // The root index of the header is a proxy index of its view; its node is read in the model.
    QModelIndex index = rootIndex();
    while (index.isValid()) {
        const QAbstractProxyModel* proxy = qobject_cast<const QAbstractProxyModel*>(index.model());
        if (!proxy)
            break;
        index = proxy->mapToSource(index);
    }
    for (NodeIndex id : {NodeIndex(index.internalId()), rootNode}) {
        CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
        if (node && node->InitFinish())
            return true;
    }
    return false;
}

void CFileTreeHeader::mouseReleaseEvent(QMouseEvent* e)
{
    if (FolderReady())
        CListHeader::mouseReleaseEvent(e);
}
