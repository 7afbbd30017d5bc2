#include "QAnimateOperation.h"
#include "CFileSystemModel.h"
#include "TreeView.h"
#include <QElapsedTimer>
#include <atomic>

namespace {
std::atomic<QAnimateOperation::Clock> g_clock{nullptr};

qint64 MonotonicNow()
{
    static const QElapsedTimer start = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return start.elapsed();
}
} // namespace

QAnimateOperation::QAnimateOperation(TreeView* view, QSortFilterProxyModel* proxy, CFileSystemModel* fsModel,
                                     NodeIndex node)
    : view(view), node(node), proxy(proxy), fsModel(fsModel)
{
    if (view)
        connect(view, SIGNAL(destroyed()), this, SLOT(OnStop()));
}

void QAnimateOperation::SetClockForTest(Clock clock)
{
    g_clock.store(clock);
}

qint64 QAnimateOperation::Now()
{
    const Clock clock = g_clock.load();
    return clock ? clock() : MonotonicNow();
}

void QAnimateOperation::OnStop()
{
    stop();
    view = nullptr;
}

void QAnimateOperation::updateCurrentValue(const QVariant&)
{
    if (!view)
        return;
    // A monotonic clock: wall time jumps with clock changes and would stall or race the spinner.
    const qint64 now = Now();
    if (ticked && now - lastTick < interval)
        return;
    ticked = true;
    frame += step;
    lastTick = now;
    if (!proxy || !fsModel)
        return;
    const QModelIndex index = proxy->mapFromSource(fsModel->IndexOf(node));
    if (!index.isValid())
        return;
    QRect rect = view->visualRect(index);
    rect.setLeft(0);
    view->viewport()->update(rect);
}
