#include "CDisableExpendTreeView.h"
#include "CTreeListStyle.h"
#include <QScrollBar>

CDisableExpendTreeView::CDisableExpendTreeView(QWidget* parent)
    : QTreeView(parent)
{
    setItemsExpandable(false);
    setSortingEnabled(true);
    setUniformRowHeights(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    QScrollBar* bar = new QScrollBar(Qt::Vertical, this);
    CTreeListStyle* style = new CTreeListStyle();
    style->setParent(bar);
    bar->setStyle(style);
    setVerticalScrollBar(bar);
}

void CDisableExpendTreeView::setRootIndex(const QModelIndex& index)
{
    layoutPending = true;
    QTreeView::setRootIndex(index);
}

void CDisableExpendTreeView::setModel(QAbstractItemModel* model)
{
    QTreeView::setModel(model);
    // Items may be laid out late, but never from indexes the model has invalidated: a moved,
    // reset or shrunken model always makes the next layout run.
    layoutPending = true;
    if (model) {
        connect(model, SIGNAL(layoutChanged()), this, SLOT(OnUpdateView()), Qt::UniqueConnection);
        connect(model, SIGNAL(modelReset()), this, SLOT(OnUpdateView()), Qt::UniqueConnection);
        connect(model, SIGNAL(rowsRemoved(QModelIndex, int, int)), this, SLOT(OnUpdateView()), Qt::UniqueConnection);
    }
}

void CDisableExpendTreeView::doItemsLayout()
{
    if (!layoutPending)
        return;
    QTreeView::doItemsLayout();
    layoutPending = false;
}

void CDisableExpendTreeView::OnUpdateView(bool relayoutNow)
{
    layoutPending = true;
    if (relayoutNow)
        doItemsLayout();
}

void CDisableExpendTreeView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    if (isVisible())
        QTreeView::rowsInserted(parent, start, end);
}

void CDisableExpendTreeView::drawBranches(QPainter*, const QRect&, const QModelIndex&) const
{
}

void CDisableExpendTreeView::showEvent(QShowEvent* e)
{
    // Rows may have arrived while the list was hidden: lay out afresh once it shows.
    layoutPending = true;
    scheduleDelayedItemsLayout();
    QTreeView::showEvent(e);
}
