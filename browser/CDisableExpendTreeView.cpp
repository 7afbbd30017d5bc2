#include "CDisableExpendTreeView.h"

#include "CDeferredLayout.h"
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
    layoutPending = true;
    CDeferredLayout::WatchModel(this, model);
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
