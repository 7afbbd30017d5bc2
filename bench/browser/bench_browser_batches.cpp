// A folder of many children delivered to the browser in batches, measured against baselines
// taken in the same run:
//   range    the same rows inserted as one range into a QStandardItemModel behind a sorting
//            QSortFilterProxyModel in a QTreeView (time until laid out);
//   batches  the children handed to CFileSystemModel::AddNode in batches of 1,000 by a worker
//            thread, queued and drained as the file-browser library does (in order, a time
//            budget per turn of the event loop), with the model shown in both
//            views through both proxies and the contents list showing that folder sorted by
//            name (time until the last batch is laid out);
//   qfs      QFileSystemModel + proxy + view loading a real folder of as many files.
// For "batches" and "qfs" the longest gap between ticks of a 5 ms timer is the GUI stall.
// Usage: bench_browser_batches [children=100000] [batch=1000] [passes=range,batches,qfs]
// NR_BENCH_EXPLAIN=1 also prints the slowest event dispatches of the batches pass and when its
// longest gap ended.
#include "CBrower.h"
#include "CDisableExpendTreeView.h"
#include "CFileSystemModel.h"
#include "CGetDataCommon.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "TreeView.h"
#include "BenchTiming.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QRandomGenerator>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <unistd.h>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

// Times every outermost event dispatch, so that a stall can be traced to the event that made
// it (NR_BENCH_EXPLAIN=1 prints the slowest ones of the batches pass).
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    struct Dispatch
    {
        double ms;
        QByteArray what;
    };

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!recording || depth > 0)
            return QApplication::notify(receiver, event);
        ++depth;
        QElapsedTimer t;
        t.start();
        const QByteArray what = QByteArray(receiver->metaObject()->className()) + " event " +
                                QByteArray::number(int(event->type()));
        const bool result = QApplication::notify(receiver, event);
        --depth;
        slowest.push_back({double(t.nsecsElapsed()) / 1e6, what});
        return result;
    }

    bool recording = false;
    int depth = 0;
    std::vector<Dispatch> slowest;
};

// Runs every posted event and the delayed layouts they schedule, then paints the view.
void layOut(QTreeView* view)
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    view->viewport()->repaint();
}

QStringList shuffledNames(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("file_%1.dat").arg(i, 6, 10, QLatin1Char('0'));
    QRandomGenerator rng(20261206);
    for (int i = count - 1; i > 0; --i)
        names.swapItemsAt(i, int(rng.bounded(i + 1)));
    return names;
}

// The baselines' view: the proxy sorted by name, shown at the size of the browser's list.
void showSortedByName(QTreeView* view, QSortFilterProxyModel* proxy)
{
    view->setModel(proxy);
    view->setSortingEnabled(true);
    view->sortByColumn(0, Qt::AscendingOrder);
    view->resize(900, 600);
    view->show();
}

double rangePass(const QStringList& names)
{
    QStandardItemModel model;
    model.setColumnCount(1);
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    QTreeView view;
    showSortedByName(&view, &proxy);
    layOut(&view);

    QElapsedTimer t;
    t.start();
    QList<QStandardItem*> items;
    items.reserve(names.size());
    for (const QString& name : names)
        items << new QStandardItem(name);
    model.invisibleRootItem()->appendRows(items);
    layOut(&view);
    return double(t.nsecsElapsed()) / 1e6;
}

// The GUI side of the library's delivery: batches wait in a queue that the GUI thread drains in
// order, within the library's time budget per turn of the event loop (as CGetDataCommon does), so
// that a fast worker cannot make the GUI thread run a whole folder's batches in one go.
class BatchQueue : public QObject
{
    Q_OBJECT
public:
    BatchQueue(CFileSystemModel* model, NodeIndex parent) : model(model), parent(parent) {}

    void Push(QList<NodeIndex> ids, int stream)
    {
        bool post = false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            queue.append(qMakePair(std::move(ids), stream));
            post = !drainPosted;
            drainPosted = true;
        }
        if (post)
            QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
    }

public slots:
    void Drain()
    {
        QElapsedTimer budget;
        budget.start();
        for (;;) {
            QPair<QList<NodeIndex>, int> batch;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (queue.isEmpty()) {
                    drainPosted = false;
                    return;
                }
                if (budget.elapsed() >= CDeliveryQueue::kDrainBudgetMs) {
                    QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
                    return;
                }
                batch = queue.takeFirst();
            }
            model->AddNode(parent, batch.first, batch.second, 0);
        }
    }

private:
    CFileSystemModel* model;
    NodeIndex parent;
    std::mutex mutex;
    QList<QPair<QList<NodeIndex>, int>> queue;
    bool drainPosted = false;
};

// The library side: builds nodes with their records and queues them for the model.
class Deliverer : public QThread
{
public:
    Deliverer(BatchQueue* queue, const QStringList& names, int batch) : queue(queue), names(names), batch(batch) {}

protected:
    void run() override
    {
        for (int done = 0; done < names.size(); done += batch) {
            QList<NodeIndex> ids;
            const int end = qMin(done + batch, names.size());
            for (int i = done; i < end; ++i) {
                CLvFileSystemNode* node = CLvFileSystemNodeMgr::CreateNode(names.at(i), 0, nullptr);
                auto info = CNodeInfoPtr::create();
                info->kind = InfoKind::kFile;
                info->size = 1000 + i;
                node->SetInfo(info);
                ids << node->Id();
            }
            queue->Push(std::move(ids), end >= names.size() ? -1 : 0);
        }
    }

private:
    BatchQueue* queue;
    QStringList names;
    int batch;
};

// Delivers one library node under parent at once and returns the model's copy.
NodeIndex addFolder(CFileSystemModel& model, NodeIndex parent, const QString& name, int nodeKind, int infoKind)
{
    CLvFileSystemNode* node = CLvFileSystemNodeMgr::CreateNode(name, 0, nullptr);
    auto info = CNodeInfoPtr::create();
    info->kind = infoKind;
    node->SetInfo(info);
    if (nodeKind >= 0)
        node->SetKind(nodeKind);
    model.AddNode(parent, {node->Id()}, -1, 0);
    NodePtr p(CLvFileSystemNodeMgr::GetNode(parent));
    return p ? p->ChildByName(name) : 0;
}

double batchPass(const QStringList& names, int batch, double* stallMs)
{
    RegisterNodeMetaTypes();
    auto* fs = new CFileSystemModel();
    QSharedPointer<IFileSystemModel> model(fs);
    fs->SetCheckEnabled(true);
    CBrower browser(model, nullptr);
    browser.resize(1000, 700);
    browser.ShowRightView(true, false);
    const NodeIndex computer = addFolder(*fs, fs->GetRootIndex(), QStringLiteral("\\Computer"), NodeKind::kComputer,
                                         InfoKind::kSystem);
    const NodeIndex drive = addFolder(*fs, computer, QStringLiteral("C:"), -1, InfoKind::kDrive);
    browser.show();
    browser.UpdateLeftView(true);
    browser.LeftView()->setAnimated(false);
    browser.ExpandNode(computer, true);
    // The folder is shown in the list (sorted by name) while its children arrive.
    CLvFileSystemNode* libFolder = CLvFileSystemNodeMgr::CreateNode(QStringLiteral("Big"), 0, nullptr);
    auto info = CNodeInfoPtr::create();
    info->kind = InfoKind::kDirectory;
    libFolder->SetInfo(info);
    fs->AddNode(drive, {libFolder->Id()}, -1, 0);
    NodePtr d(CLvFileSystemNodeMgr::GetNode(drive));
    const NodeIndex folder = d->ChildByName(QStringLiteral("Big"));
    browser.ExpandNode(drive, true);
    browser.SelectNode(folder);
    layOut(browser.RightView());
    if (browser.GetCurrentNode() != folder)
        std::fprintf(stderr, "the list does not show the folder\n");

    StallMeter meter;
    BatchQueue queue(fs, folder);
    Deliverer deliverer(&queue, names, batch);
    QElapsedTimer t;
    meter.Start();
    t.start();
    deliverer.start();
    NodePtr f(CLvFileSystemNodeMgr::GetNode(folder));
    auto* app = static_cast<TimedApplication*>(QCoreApplication::instance());
    app->recording = qEnvironmentVariableIsSet("NR_BENCH_EXPLAIN");
    SpinUntil([&] { return deliverer.isFinished() && f->RowCount() >= names.size() && f->InitFinish(); });
    layOut(browser.RightView());
    const double ms = double(t.nsecsElapsed()) / 1e6;
    *stallMs = meter.StopMs();
    const bool explain = app->recording;
    app->recording = false;
    std::sort(app->slowest.begin(), app->slowest.end(),
              [](const TimedApplication::Dispatch& a, const TimedApplication::Dispatch& b) { return a.ms > b.ms; });
    for (size_t i = 0; i < app->slowest.size() && i < 8; ++i)
        std::printf("slow dispatch %8.1f ms  %s\n", app->slowest[i].ms, app->slowest[i].what.constData());
    if (explain)
        std::printf("longest gap ended at %.6f s of CLOCK_MONOTONIC\n", double(meter.LongestEndMonotonicNs()) / 1e9);
    deliverer.wait();
    const QModelIndex root = browser.RightView()->rootIndex();
    const int shown = browser.RightProxy()->rowCount(root);
    const QString first = browser.RightProxy()->index(0, 0, root).data().toString();
    if (shown != names.size() || first != QStringLiteral("file_000000.dat"))
        std::fprintf(stderr, "unexpected list: %d rows, first %s\n", shown, qPrintable(first));
    browser.StopNodeLoading(folder);
    return ms;
}

double qfsPass(int files, double* stallMs)
{
    QTemporaryDir dir;
    for (int i = 0; i < files; ++i) {
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("file_%1.dat").arg(i, 6, 10, QLatin1Char('0'))));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    StallMeter meter;
    QFileSystemModel model;
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    QTreeView view;
    showSortedByName(&view, &proxy);
    bool loaded = false;
    QObject::connect(&model, &QFileSystemModel::directoryLoaded, [&](const QString& path) {
        if (QDir(path) == QDir(dir.path()))
            loaded = true;
    });
    QElapsedTimer t;
    meter.Start();
    t.start();
    const QModelIndex root = model.setRootPath(dir.path());
    view.setRootIndex(proxy.mapFromSource(root));
    SpinUntil([&] { return loaded && model.rowCount(model.index(dir.path())) >= files; });
    layOut(&view);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    *stallMs = meter.StopMs();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    TimedApplication app(argc, argv);
    const int children = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int batch = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    const QString passes = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("range,batches,qfs");
    const QStringList names = shuffledNames(children);

    double range = 0, batches = 0, qfs = 0, batchStall = 0, qfsStall = 0;
    if (passes.contains(QLatin1String("range")))
        range = rangePass(names);
    if (passes.contains(QLatin1String("batches")))
        batches = batchPass(names, batch, &batchStall);
    if (passes.contains(QLatin1String("qfs")))
        qfs = qfsPass(children, &qfsStall);

    std::printf("children %d, batch %d\n", children, batch);
    std::printf("range    (QStandardItemModel, one range, sorted proxy): %9.1f ms\n", range);
    std::printf("batches  (browser, both views, list sorted by name):   %9.1f ms   longest GUI gap %7.1f ms\n",
                batches, batchStall);
    std::printf("qfs      (QFileSystemModel + proxy + view):             %9.1f ms   longest GUI gap %7.1f ms\n", qfs,
                qfsStall);
    std::printf("ratio time  batches / range:      %.2f (target at most 1.5)\n", range > 0 ? batches / range : 0.0);
    std::printf("ratio stall batches / qfs:        %.3f (target at most 0.1)\n", qfsStall > 0 ? batchStall / qfsStall : 0.0);
    return 0;
}

#include "bench_browser_batches.moc"
