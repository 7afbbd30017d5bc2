#include "BrowserFixture.h"
#include "CDisableExpendTreeView.h"
#include "CFileBackLeftTreeModel.h"
#include "CFileBackRightTreeModel.h"
#include "QAnimateOperation.h"
#include "TreeView.h"
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QFile>
#include <QMenu>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

using namespace BrowserFixture;

namespace {
qint64 g_now = 0;
qint64 FakeNow() { return g_now; }

// Collects the regions a widget is asked to paint.
class PaintRecorder : public QObject
{
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

bool IsUniform(const QImage& image, const QRect& area)
{
    const QRgb first = image.pixel(area.topLeft());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}
} // namespace

// The folder tree over C: (Alpha with children, Beta not yet enumerated, a file) and the
// contents list.
class tst_treeview : public QObject
{
    Q_OBJECT
private:
    CFileSystemModel* fs = nullptr;
    CFileBackLeftTreeModel* proxy = nullptr;
    TreeView* view = nullptr;
    NodeIndex computer = 0, driveC = 0, alpha = 0, beta = 0, inner = 0;

    QModelIndex idx(NodeIndex n) { return ViewIndex(view, *fs, n); }
    // The branch area left of a row's cell.
    QRect branchArea(NodeIndex n)
    {
        const QRect cell = view->visualRect(idx(n));
        return QRect(0, cell.top(), cell.left(), cell.height());
    }
    QAnimateOperation* startSpinner(NodeIndex n)
    {
        view->OnFetchMore(idx(n), 1);
        // Waits for the start delay; the test fails on the null result when it never ends.
        QElapsedTimer waited;
        waited.start();
        while (!view->Animation(n) && waited.elapsed() < 5000)
            QTest::qWait(5);
        QAnimateOperation* animation = view->Animation(n);
        if (animation)
            animation->pause();
        return animation;
    }
    // Moves the fake clock and lets the animation compute a new value.
    void tick(QAnimateOperation* animation, qint64 now)
    {
        g_now = now;
        animation->setCurrentTime((animation->currentTime() + 37) % animation->duration());
    }

private slots:
    void init()
    {
        fs = new CFileSystemModel();
        computer = AddComputer(*fs);
        driveC = Child(computer, QStringLiteral("C:"));
        Load(*fs, driveC, {Dir("Alpha"), Dir("Beta"), File("f.txt")});
        alpha = Child(driveC, "Alpha");
        beta = Child(driveC, "Beta");
        Load(*fs, alpha, {Dir("Inner"), File("x.txt")});
        inner = Child(alpha, "Inner");
        proxy = new CFileBackLeftTreeModel(nullptr);
        proxy->setSourceModel(fs);
        view = new TreeView();
        view->setModel(proxy);
        connect(fs, SIGNAL(DoUpdateView(bool)), view, SLOT(OnUpdateView(bool)));
        view->setAnimated(false);
        view->resize(400, 300);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        view->expand(idx(computer));
        view->expand(idx(driveC));
        view->OnUpdateView(true);
    }
    void cleanup()
    {
        QAnimateOperation::SetClockForTest(nullptr);
        delete view;
        delete proxy;
        delete fs;
        QThreadPool::globalInstance()->waitForDone();
    }

    void horizontalOffsetIsClamped()
    {
        TreeView plain;
        plain.horizontalScrollBar()->setRange(0, 500);
        plain.SetHorizontalOffset(40);
        QCOMPARE(plain.horizontalScrollBar()->sliderPosition(), 30);
        plain.SetHorizontalOffset(7);
        QCOMPARE(plain.horizontalScrollBar()->sliderPosition(), 7);
    }

    void spinnerStartsAfterItsDelayOnlyOnce()
    {
        view->OnFetchMore(idx(beta), 0);
        QVERIFY(!view->HasPendingTimer(beta));
        view->OnFetchMore(idx(beta), 1);
        QVERIFY(view->HasPendingTimer(beta));
        QVERIFY(!view->Animation(beta));
        const int timers = view->findChildren<QTimer*>().size();
        view->OnFetchMore(idx(beta), 1);
        QCOMPARE(view->findChildren<QTimer*>().size(), timers);
        QTRY_VERIFY(view->Animation(beta));
        QVERIFY(!view->HasPendingTimer(beta));
        // The computer itself never spins.
        view->OnFetchMore(idx(computer), 1);
        QVERIFY(!view->HasPendingTimer(computer));
    }

    void folderLoadedWithinTheDelayNeverSpins()
    {
        view->OnExpanded(idx(beta));
        QVERIFY(view->HasPendingTimer(beta));
        view->StopNodeLoading(beta);
        QTest::qWait(4 * TreeView::kStartDelayMs);
        QVERIFY(!view->HasPendingTimer(beta));
        QVERIFY(!view->Animation(beta));
        // A folder that has finished loading does not ask for a spinner at all.
        view->OnExpanded(idx(alpha));
        QVERIFY(!view->HasPendingTimer(alpha));
    }

    void frameStepsAtMostOncePerInterval()
    {
        QAnimateOperation::SetClockForTest(FakeNow);
        g_now = 1000;
        QAnimateOperation* animation = startSpinner(beta);
        QVERIFY(animation);
        tick(animation, 1000);
        const int first = animation->Frame();
        QVERIFY(first >= 1);
        tick(animation, 1050);
        tick(animation, 1099);
        QCOMPARE(animation->Frame(), first);
        tick(animation, 1100);
        QCOMPARE(animation->Frame(), first + 1);
        tick(animation, 1150);
        QCOMPARE(animation->Frame(), first + 1);

        // A frame step repaints the folder's row and nothing else.
        QCoreApplication::processEvents();
        PaintRecorder recorder;
        view->viewport()->installEventFilter(&recorder);
        tick(animation, 5000);
        QCOMPARE(animation->Frame(), first + 2);
        QCoreApplication::processEvents();
        view->viewport()->removeEventFilter(&recorder);
        const QRect row = view->visualRect(idx(beta));
        QVERIFY(!recorder.painted.isEmpty());
        QVERIFY(recorder.painted.boundingRect().top() >= row.top());
        QVERIFY(recorder.painted.boundingRect().bottom() <= row.bottom());
        view->StopNodeLoading(beta);
        QVERIFY(!view->Animation(beta));
    }

    void missingFrameDrawsNothing()
    {
        // Only even frames exist in this folder.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (int i = 0; i < TreeView::kFrameCount; i += 2) {
            const QString name = QStringLiteral("loading%1.png").arg(i, 2, 10, QLatin1Char('0'));
            QVERIFY(QFile::copy(QStringLiteral("../res/loading/") + name, dir.filePath(name)));
        }
        view->SetLoadingImagePattern(dir.filePath(QStringLiteral("loading%0.png")));
        QAnimateOperation::SetClockForTest(FakeNow);
        g_now = 1000;
        QAnimateOperation* animation = startSpinner(beta);
        QVERIFY(animation);
        qint64 now = 1000;
        for (int shown = 0; shown < 2; ++shown) {
            const bool even = animation->Frame() % 2 == 0;
            const QImage image = view->viewport()->grab().toImage();
            if (even)
                QVERIFY(Any(image, branchArea(beta), IsBlue));
            else
                QVERIFY(IsUniform(image, branchArea(beta)));
            now += 100;
            tick(animation, now);
        }
    }

    void collapseByDoubleClickIsNotReported()
    {
        view->expand(idx(alpha));
        QSignalSpy collapsed(view, SIGNAL(DoCollapsed(NodeIndex)));
        const QPoint p = RowPoint(view, *fs, alpha);
        DoubleClick(view, p);
        QVERIFY(!view->isExpanded(idx(alpha)));
        QCOMPARE(collapsed.count(), 0);
        // A double click that expands leaves the next collapse to be reported.
        DoubleClick(view, p);
        QVERIFY(view->isExpanded(idx(alpha)));
        view->collapse(idx(alpha));
        QCOMPARE(collapsed.count(), 1);
        QCOMPARE(collapsed.at(0).at(0).value<NodeIndex>(), alpha);
    }

    void contextMenuComesFromTheListener()
    {
        QSignalSpy asked(view, SIGNAL(DoGetNodeMenu(NodeIndex, QMenu**)));
        const QPoint empty(50, view->viewport()->height() - 5);
        QContextMenuEvent onEmpty(QContextMenuEvent::Mouse, empty, view->viewport()->mapToGlobal(empty));
        QApplication::sendEvent(view->viewport(), &onEmpty);
        QCOMPARE(asked.count(), 0);

        // Nobody supplies a menu: nothing shows, nothing is remembered.
        const QPoint onAlpha = RowPoint(view, *fs, alpha);
        QContextMenuEvent plain(QContextMenuEvent::Mouse, onAlpha, view->viewport()->mapToGlobal(onAlpha));
        QApplication::sendEvent(view->viewport(), &plain);
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.at(0).at(0).value<NodeIndex>(), alpha);
        QVERIFY(!QApplication::activePopupWidget());

        QPointer<QMenu> shown;
        connect(view, &TreeView::DoGetNodeMenu, this, [&shown](NodeIndex, QMenu** menu) {
            *menu = new QMenu();
            (*menu)->addAction(QStringLiteral("Reload"));
            shown = *menu;
        });
        QTimer::singleShot(0, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
        QApplication::sendEvent(view->viewport(), &plain);
        QVERIFY(shown);
        QTRY_VERIFY(shown.isNull());

        QSignalSpy expanded(view, SIGNAL(expanded(QModelIndex)));
        view->OnReloadNode();
        QVERIFY(view->isExpanded(idx(alpha)));
        QVERIFY(expanded.count() >= 1);
    }

    void removedRowsReportTheCurrentNode()
    {
        view->expand(idx(alpha));
        view->setCurrentIndex(idx(inner));
        QSignalSpy removed(view, SIGNAL(DoRowRemoved(NodeIndex)));
        fs->RemoveChildRow(driveC, QStringLiteral("Beta"));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).value<NodeIndex>(), inner);
    }

    void contentsListIsFlatAndCatchesUpWhenShown()
    {
        CFileBackRightTreeModel rightProxy(nullptr);
        rightProxy.setSourceModel(fs);
        CDisableExpendTreeView list;
        list.setModel(&rightProxy);
        list.setIndentation(1);
        list.setRootIndex(rightProxy.mapFromSource(fs->IndexOf(driveC)));
        QVERIFY(!list.itemsExpandable());
        list.resize(300, 400);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.OnUpdateView(true);
        QCOMPARE(rightProxy.rowCount(list.rootIndex()), 3);

        // Rows that arrive while the list is hidden show up once it is shown again.
        list.hide();
        Load(*fs, driveC, {File("g.txt"), File("h.txt")}, false);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTRY_VERIFY(!list.IsLayoutPending());
        const QModelIndex last = rightProxy.mapFromSource(fs->IndexOf(Child(driveC, "h.txt")));
        QVERIFY(last.isValid());
        QVERIFY(list.visualRect(last).isValid());
    }
};

QTEST_MAIN(tst_treeview)
#include "tst_treeview.moc"
