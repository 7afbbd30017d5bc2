#include "TreeView.h"

#include "CDeferredLayout.h"
#include "CFileSystemModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CResPixmap.h"
#include "QAnimateOperation.h"
#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QHeaderView>
#include <QMenu>
#include <QMutexLocker>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace {
constexpr int kBranchSize = 14;
const QString kComputerName = QStringLiteral("\\Computer");
} // namespace

TreeView::TreeView(QWidget* parent)
    : QTreeView(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("TreeView"));
    resize(400, 300);
    if (header()->objectName().isEmpty())
        header()->setDefaultSectionSize(150);
    setWindowTitle(tr("TreeView"));
    setUniformRowHeights(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(this, SIGNAL(collapsed(QModelIndex)), this, SLOT(OnCollapsed(QModelIndex)));
    connect(this, SIGNAL(doubleClicked(QModelIndex)), this, SLOT(OnNodeDouClicked(QModelIndex)));
    setIndentation(14);
}

TreeView::~TreeView()
{
    StopAll();
}

void TreeView::StopAll()
{
    QMutexLocker locker(&lock);
    for (QTimer* timer : qAsConst(timers)) {
        timer->stop();
        delete timer;
    }
    for (QAnimateOperation* animation : qAsConst(animations)) {
        animation->stop();
        delete animation;
    }
    timers.clear();
    animations.clear();
}

bool TreeView::Resolve() const
{
    if (!proxy || !fsModel) {
        proxy = qobject_cast<QSortFilterProxyModel*>(model());
        fsModel = proxy ? qobject_cast<CFileSystemModel*>(proxy->sourceModel()) : nullptr;
    }
    return proxy && fsModel;
}

NodeIndex TreeView::NodeOf(const QModelIndex& viewIndex) const
{
    if (!viewIndex.isValid() || !Resolve() || viewIndex.model() != proxy)
        return 0;
    return NodeIndex(proxy->mapToSource(viewIndex).internalId());
}

QModelIndex TreeView::ViewIndexOf(NodeIndex node) const
{
    if (!Resolve())
        return QModelIndex();
    return proxy->mapFromSource(fsModel->IndexOf(node));
}

bool TreeView::HasPendingTimer(NodeIndex node) const
{
    QMutexLocker locker(&lock);
    return timers.contains(node);
}

QAnimateOperation* TreeView::Animation(NodeIndex node) const
{
    QMutexLocker locker(&lock);
    return animations.value(node);
}

void TreeView::SetHorizontalOffset(int x)
{
    horizontalScrollBar()->setSliderPosition(x > 10 ? x - 10 : x);
}

// ---- deferred layout

void TreeView::setModel(QAbstractItemModel* model)
{
    QTreeView::setModel(model);
    layoutPending = true;
    CDeferredLayout::WatchModel(this, model);
}

void TreeView::doItemsLayout()
{
    if (!layoutPending)
        return;
    QTreeView::doItemsLayout();
    layoutPending = false;
}

void TreeView::OnUpdateView(bool relayoutNow)
{
    layoutPending = true;
    if (relayoutNow)
        doItemsLayout();
}

// ---- loading animation

void TreeView::OnExpanded(const QModelIndex& index)
{
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(NodeOf(index)));
    if (node && node->InitFinish())
        return;
    OnFetchMore(index, 1);
}

void TreeView::OnFetchMore(const QModelIndex& index, int flags)
{
    if (!(flags & 1))
        return;
    const NodeIndex id = NodeOf(index);
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
    if (!node || node->Name() == kComputerName)
        return;
    QMutexLocker locker(&lock);
    if (timers.contains(id) || animations.contains(id))
        return;
    // Folders that finish within the delay never show the spinner at all.
    QTimer* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(kStartDelayMs);
    timer->setProperty("nodeIndex", id);
    connect(timer, SIGNAL(timeout()), this, SLOT(OnIndexTimer()));
    timers.insert(id, timer);
    timer->start();
}

void TreeView::OnIndexTimer()
{
    QTimer* timer = qobject_cast<QTimer*>(sender());
    if (!timer)
        return;
    NodeIndex id = 0;
    {
        QMutexLocker locker(&lock);
        id = timers.key(timer, 0);
        if (!id)
            return;
        timers.remove(id);
    }
    timer->deleteLater();
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
    if (!Resolve() || !node || node->InitFinish())
        return; // gone, or done loading by now
    node.reset();
    QAnimateOperation* animation = new QAnimateOperation(this, proxy, fsModel, id);
    animation->setStartValue(0);
    animation->setEndValue(360);
    animation->setDuration(1500);
    animation->setLoopCount(-1);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    {
        QMutexLocker locker(&lock);
        animations.insert(id, animation);
    }
    animation->start();
}

bool TreeView::EndSpinner(NodeIndex id)
{
    bool had = false;
    {
        QMutexLocker locker(&lock);
        if (QTimer* timer = timers.take(id)) {
            timer->stop();
            timer->deleteLater();
            had = true;
        }
        if (QAnimateOperation* animation = animations.take(id)) {
            animation->stop();
            delete animation;
            had = true;
        }
    }
    if (had)
        viewport()->update();
    return had;
}

void TreeView::StopNodeLoading(NodeIndex id)
{
    EndSpinner(id);
    if (!Resolve())
        return;
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
    if (node && !node->NotLoaded())
        collapse(ViewIndexOf(id));
    viewport()->update();
}

void TreeView::OnNodeLoaded(NodeIndex id)
{
    EndSpinner(id);
}

void TreeView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    const NodeIndex id = NodeOf(index);
    int frame = -1;
    {
        QMutexLocker locker(&lock);
        if (const QAnimateOperation* animation = animations.value(id))
            frame = animation->Frame();
    }
    if (frame >= 0) {
        const QString name =
            QString(loadingPattern).replace(QLatin1String("%0"), QStringLiteral("%1").arg(frame % kFrameCount, 2, 10, QLatin1Char('0')));
        const QPixmap pm = CResPixmap::Load(name, painter->device()->devicePixelRatioF());
        if (pm.isNull())
            return;
        const QSizeF size = QSizeF(pm.size()) / pm.devicePixelRatio();
        const qreal x = rect.right() + 1 - size.width();
        const qreal y = rect.top() + rect.height() / 2.0 - size.height() / 2.0 + 0.5;
        painter->drawPixmap(QPointF(x, int(y)), pm);
        return;
    }
    CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(id));
    if (node && node->Sticky())
        return;
    const QRect square(rect.right() + 1 - kBranchSize, rect.top() + (rect.height() - kBranchSize) / 2, kBranchSize,
                       kBranchSize);
    QTreeView::drawBranches(painter, square, index);
}

// ---- context menu

void TreeView::contextMenuEvent(QContextMenuEvent* e)
{
    const QModelIndex index = indexAt(e->pos());
    if (!index.isValid())
        return;
    const NodeIndex id = NodeOf(index);
    QMenu* menu = nullptr;
    emit DoGetNodeMenu(id, &menu);
    if (!menu)
        return;
    menuNode = id;
    menu->exec(e->globalPos());
    menu->deleteLater();
}

void TreeView::OnReloadNode()
{
    if (!Resolve())
        return;
    const QModelIndex index = ViewIndexOf(menuNode);
    if (!index.isValid())
        return;
    emit expanded(index);
    expand(index);
}

// ---- collapse reporting

void TreeView::OnNodeDouClicked(const QModelIndex& index)
{
    dblClickPending = true;
    dblClickNode = NodeOf(index);
}

void TreeView::OnCollapsed(const QModelIndex& index)
{
    const NodeIndex id = NodeOf(index);
    if (dblClickPending && id == dblClickNode) {
        dblClickPending = false;
        return;
    }
    if (CLvFileSystemNodeMgr::IsValidNode(id))
        emit DoCollapsed(id);
}

void TreeView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTreeView::mouseDoubleClickEvent(e);
    // A double click that expanded its row (or did nothing) must not swallow the next,
    // unrelated collapse of that row.
    dblClickPending = false;
}

void TreeView::rowsRemoved(const QModelIndex& parent, int start, int end)
{
    QTreeView::rowsRemoved(parent, start, end);
    emit DoRowRemoved(NodeOf(currentIndex()));
}
