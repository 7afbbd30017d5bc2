// Measurements of the file-system model, each against a Qt baseline measured in the same run:
//   1. loading 100,000 children in batches of 1,000 (QTreeView attached) against a
//      QStandardItemModel filled one row at a time;
//   2. sorting those rows by name and by size against QFileSystemModel sorting a real folder of
//      100,000 files by name;
//   3. one check click in a folder of 100,000 children with 1,000 exclusions in the map against
//      one plain pass over the folder's children;
//   4. memory per loaded entry (1,000,000 nodes) against QFileSystemModel on 100,000 files
//      (each measured in a child process of its own, so that freed memory does not blur it).
#include "CBaseSyncExecuter.h"
#include "CFileSystemModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTreeView>
#include <algorithm>
#include <cstdio>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;
constexpr int kRows = 100000;

NodeIndex MakeLibNode(const QString& name, qint64 size)
{
    CLvFileSystemNode* node = CLvFileSystemNodeMgr::CreateNode(name, 0, nullptr);
    auto info = CNodeInfoPtr::create();
    info->kind = InfoKind::kFile;
    info->size = size;
    node->SetInfo(info);
    return node->Id();
}

QString FileName(int i)
{
    // Spread so that neither order is the arrival order.
    return QStringLiteral("file%1.dat").arg((i * 7919) % kRows);
}

// Loads rows children into a folder under the root in batches of 1,000; answers the folder.
NodeIndex LoadFolder(CFileSystemModel& model, int rows, QTreeView* view)
{
    CLvFileSystemNode* dir = CLvFileSystemNodeMgr::CreateNode("big", 0, nullptr);
    auto info = CNodeInfoPtr::create();
    info->kind = InfoKind::kDirectory;
    dir->SetInfo(info);
    model.AddNode(model.GetRootIndex(), {dir->Id()}, -1, 0);
    NodePtr root(CLvFileSystemNodeMgr::GetNode(model.GetRootIndex()));
    const NodeIndex folder = root->ChildByName("big");
    if (view)
        view->setRootIndex(model.IndexOf(folder));
    for (int done = 0; done < rows; done += 1000) {
        QList<NodeIndex> batch;
        for (int i = done; i < qMin(rows, done + 1000); ++i)
            batch.append(MakeLibNode(FileName(i), (i * 31) % 977));
        model.AddNode(folder, batch, done + 1000 >= rows ? -1 : 0, 0);
    }
    return folder;
}

qint64 PeakKb()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

void Report(const char* what, double value, const char* unit, double baseline, double limit)
{
    const double ratio = baseline > 0 ? value / baseline : 0;
    std::printf("%-46s %10.2f %s  baseline %10.2f %s  ratio %6.3f  (limit %.2f) %s\n", what, value, unit,
                baseline, unit, ratio, limit, ratio <= limit ? "ok" : "OVER");
}

bool FillFolder(const QString& path, int files)
{
    for (int i = 0; i < files; ++i) {
        QFile f(path + QLatin1Char('/') + FileName(i));
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

// QFileSystemModel on a real folder: waits until every entry is there.
QModelIndex LoadFileSystemModel(QFileSystemModel& fsm, const QString& path)
{
    const QModelIndex root = fsm.setRootPath(path);
    QElapsedTimer guard;
    guard.start();
    while (fsm.rowCount(root) < kRows && guard.elapsed() < 120000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (fsm.canFetchMore(root))
            fsm.fetchMore(root);
    }
    return root;
}

int MemoryChild(const QString& mode, const QString& folder)
{
    if (mode == "ours") {
        auto* model = new CFileSystemModel;
        const qint64 before = PeakKb();
        // Ten folders of 100,000 entries.
        for (int f = 0; f < 10; ++f) {
            CLvFileSystemNode* dir = CLvFileSystemNodeMgr::CreateNode(QStringLiteral("d%1").arg(f), 0, nullptr);
            auto info = CNodeInfoPtr::create();
            info->kind = InfoKind::kDirectory;
            dir->SetInfo(info);
            model->AddNode(model->GetRootIndex(), {dir->Id()}, 0, 0);
            NodePtr root(CLvFileSystemNodeMgr::GetNode(model->GetRootIndex()));
            const NodeIndex id = root->ChildByName(QStringLiteral("d%1").arg(f));
            for (int done = 0; done < kRows; done += 1000) {
                QList<NodeIndex> batch;
                for (int i = done; i < done + 1000; ++i)
                    batch.append(MakeLibNode(FileName(i), i));
                model->AddNode(id, batch, done + 1000 >= kRows ? -1 : 0, 0);
            }
        }
        const qint64 after = PeakKb();
        std::printf("%f\n", double(after - before) * 1024.0 / (10.0 * kRows));
        return 0;
    }
    QFileSystemModel fsm;
    const qint64 before = PeakKb();
    const QModelIndex root = LoadFileSystemModel(fsm, folder);
    const qint64 after = PeakKb();
    std::printf("%f\n", double(after - before) * 1024.0 / double(qMax(1, fsm.rowCount(root))));
    return 0;
}

double RunMemoryChild(const QString& mode, const QString& folder)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {"--memory", mode, folder});
    p.waitForFinished(600000);
    return p.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == "--memory")
        return MemoryChild(args.at(2), args.at(3));
    CBaseSyncExecuter::SetWaiterDelay(600000);
    // --ours: only the model's own loading and sorts, without baselines (for profiling).
    if (args.contains("--ours")) {
        CFileSystemModel model;
        QElapsedTimer t;
        NodeIndex big = 0;
        {
            QTreeView view;
            view.setModel(&model);
            view.resize(800, 600);
            view.show();
            t.start();
            big = LoadFolder(model, kRows, &view);
            QCoreApplication::processEvents();
            std::printf("load   %10.2f ms\n", t.nsecsElapsed() / 1e6);
        }
        const int rounds = args.contains("--repeat") ? 10 : 1;
        for (int column = 0; column < 2 * rounds; ++column) {
            t.restart();
            model.SortNode(big, column % 2, Qt::AscendingOrder);
            std::printf("sort %d %10.2f ms\n", column % 2, t.nsecsElapsed() / 1e6);
        }
        return 0;
    }

    QTemporaryDir tmp;
    const QString folder = tmp.path() + "/files";
    QDir().mkpath(folder);
    if (!FillFolder(folder, kRows)) {
        std::printf("cannot create the test folder\n");
        return 1;
    }

    // 1. Loading.
    double ours = 0, base = 0;
    {
        QElapsedTimer t;
        QStandardItemModel sim;
        QTreeView view;
        view.setModel(&sim);
        view.resize(800, 600);
        view.show();
        t.start();
        for (int i = 0; i < kRows; ++i) {
            QList<QStandardItem*> row{new QStandardItem(FileName(i)), new QStandardItem(QString::number((i * 31) % 977))};
            sim.appendRow(row);
        }
        QCoreApplication::processEvents();
        base = t.nsecsElapsed() / 1e6;
    }
    CFileSystemModel model;
    NodeIndex big = 0;
    {
        QTreeView view;
        view.setModel(&model);
        view.resize(800, 600);
        view.show();
        QElapsedTimer t;
        t.start();
        big = LoadFolder(model, kRows, &view);
        QCoreApplication::processEvents();
        ours = t.nsecsElapsed() / 1e6;
    }
    Report("load 100,000 rows in batches of 1,000", ours, "ms", base, 2.0);

    // 2. Sorting.
    double fsmSort = 0, plain = 0;
    {
        QFileSystemModel fsm;
        const QModelIndex root = LoadFileSystemModel(fsm, folder);
        QElapsedTimer t;
        t.start();
        fsm.sort(0, Qt::AscendingOrder);
        fsmSort = t.nsecsElapsed() / 1e6;
        std::printf("QFileSystemModel rows: %d\n", fsm.rowCount(root));
        QStringList names;
        for (int i = 0; i < kRows; ++i)
            names << FileName(i);
        QCollator collator;
        collator.setNumericMode(true);
        t.restart();
        std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        plain = t.nsecsElapsed() / 1e6;
    }
    {
        QElapsedTimer t;
        t.start();
        model.SortNode(big, 0, Qt::AscendingOrder);
        Report("sort 100,000 rows by name", t.nsecsElapsed() / 1e6, "ms", fsmSort, 0.25);
        t.restart();
        model.SortNode(big, 1, Qt::AscendingOrder);
        Report("sort 100,000 rows by size", t.nsecsElapsed() / 1e6, "ms", fsmSort, 0.25);
        std::printf("(a plain natural-order sort of the names: %.2f ms)\n", plain);
    }

    // 3. One click with 1,000 exclusions in the map.
    {
        model.SetCheckEnabled(true);
        QTreeView view;
        view.setModel(&model);
        view.setRootIndex(model.IndexOf(big));
        view.show();
        QCoreApplication::processEvents();
        NodePtr folderNode(CLvFileSystemNodeMgr::GetNode(big));
        const QStringList rows = folderNode->RowNames();
        model.setData(model.IndexOf(big), 2, Qt::CheckStateRole);
        for (int i = 0; i < 1000; ++i)
            model.setData(model.IndexOf(folderNode->ChildByName(rows.at(i * 97))), 0, Qt::CheckStateRole);
        std::printf("check map entries: %d\n", int(model.CheckMap().size()));

        QElapsedTimer t;
        t.start();
        int reps = 0;
        qint64 sum = 0;
        for (; reps < 20; ++reps) {
            const NodeIndex child = folderNode->ChildByName(rows.at(reps * 89 + 1));
            const int value = reps % 2 ? 2 : 0;
            model.setData(model.IndexOf(child), value, Qt::CheckStateRole);
            model.setData(model.IndexOf(child), 2 - value, Qt::CheckStateRole);
        }
        const double click = t.nsecsElapsed() / 1e6 / (2.0 * reps);
        t.restart();
        const int passes = 20;
        for (int p = 0; p < passes; ++p) {
            for (NodeIndex id : folderNode->ChildIds()) {
                NodePtr n(CLvFileSystemNodeMgr::GetNode(id));
                sum += n ? n->Name().size() : 0;
            }
        }
        const double pass = t.nsecsElapsed() / 1e6 / passes;
        Report("one check click (1,000 exclusions)", click, "ms", pass, 20.0);
        QCoreApplication::processEvents();
        if (sum == 0)
            std::printf("\n");
    }

    // 4. Memory per entry.
    const double oursBytes = RunMemoryChild("ours", folder);
    const double fsmBytes = RunMemoryChild("fsm", folder);
    Report("memory per loaded entry", oursBytes, "B ", fsmBytes, 0.75);
    QThreadPool::globalInstance()->waitForDone();
    return 0;
}
