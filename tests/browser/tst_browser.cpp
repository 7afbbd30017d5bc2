#include "BrowserFixture.h"
#include "CBrower.h"
#include "CDisableExpendTreeView.h"
#include "CFileTreeHeader.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CMailBackLeftTreeModel.h"
#include "CMailBackRightTreeModel.h"
#include "TreeView.h"
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

using namespace BrowserFixture;

// The browser over a computer with two drives; C: holds folders and files of every check state.
class tst_browser : public QObject, private BrowserWindow
{
    Q_OBJECT
private:
    QTreeView* right() { return browser->RightView(); }
    QTreeView* left() { return browser->LeftView(); }
    QStringList shownSections(QTreeView* view)
    {
        QStringList out;
        for (int i = 0; i < view->header()->count(); ++i)
            if (!view->header()->isSectionHidden(i))
                out << QString::number(i);
        return out;
    }
    // Shows the computer level in the right list, as a press on the computer does.
    void openFolder(NodeIndex node)
    {
        const QPoint p = RowPoint(left(), *fs, node);
        Click(left(), p);
        QCOMPARE(browser->GetCurrentNode(), node);
    }
    quint32 state(NodeIndex id) { return fs->CheckState(id); }

private slots:
    void init()
    {
        OpenBrowser();
        QVERIFY(QTest::qWaitForWindowExposed(browser));
        browser->UpdateLeftView(true);
        // Rows that slide in under an animated expansion do not take clicks yet.
        left()->setAnimated(false);
        left()->expand(ViewIndex(left(), *fs, computer));
        browser->UpdateLeftView(true);
    }
    void cleanup() { CloseBrowser(); }

    void constructionNamesAndColumns()
    {
        // Host scripts find the parts by these names.
        QCOMPARE(browser->accessibleName(), QStringLiteral("CBrower"));
        QCOMPARE(left()->objectName(), QStringLiteral("treeDirView"));
        QCOMPARE(right()->accessibleName(), QStringLiteral("treeRightView"));
        // A zero column mask means Name and the untitled last column; the left header is hidden
        // unless asked for.
        QCOMPARE(browser->LeftColumns(), 0x81u);
        QCOMPARE(shownSections(left()), QStringList({"0", "7"}));
        QVERIFY(left()->header()->isHidden());
    }

    void withoutModelEveryAnswerIsNeutral()
    {
        IBrower* empty = CreateBrower(QSharedPointer<IFileSystemModel>(), nullptr, false, 0, 0, false);
        QCOMPARE(empty->GetMappedValue(5), 0u);
        QVERIFY(empty->GetNodeByPath("C:\\x", false).isEmpty());
        QVERIFY(!empty->SetCheckEnabled(true));
        QCOMPARE(empty->GetModelFilter(), QDir::Filters(QDir::Dirs | QDir::Files | QDir::Drives));
        QVERIFY(!empty->GetNameFilterDisables());
        QVERIFY(empty->GetNameFilters().isEmpty());
        QVERIFY(empty->GetSelectedNodes().isEmpty());
        empty->ShowRightView(true, false);
        empty->ExpandNode(7, true);
        empty->SelectNode(7);
        QCOMPARE(empty->GetCurrentNode(), 0u);
        QPointer<QWidget> widget = empty->GetWidget();
        empty->Destroy();
        QTRY_VERIFY(widget.isNull());
    }

    void rightButtonPressChangesNothing()
    {
        openFolder(computer);
        QSignalSpy select(browser, SIGNAL(DoNodeSelect(NodeIndex)));
        const QModelIndex rootBefore = right()->rootIndex();
        const QPoint p = RowPoint(left(), *fs, driveC);
        Press(left(), p, Qt::RightButton);
        Release(left(), p, Qt::RightButton);
        QCOMPARE(browser->GetCurrentNode(), computer);
        QCOMPARE(right()->rootIndex(), rootBefore);
        QCOMPARE(select.count(), 0);
    }

    void pressOnCurrentFolderOnlyReselects()
    {
        openFolder(driveC);
        QHeaderView* header = right()->header();
        QSignalSpy select(browser, SIGNAL(DoNodeSelect(NodeIndex)));
        Click(left(), RowPoint(left(), *fs, driveC));
        QCOMPARE(select.count(), 1);
        QCOMPARE(select.at(0).at(0).value<NodeIndex>(), driveC);
        // The list was not rebuilt: the same header still stands for C:.
        QCOMPARE(right()->header(), header);
        QCOMPARE(fs->NodeOf(static_cast<QSortFilterProxyModel*>(right()->model())->mapToSource(right()->rootIndex())),
                 driveC);
    }

    void rightListColumnsFollowTheLevel()
    {
        openFolder(computer);
        QCOMPARE(shownSections(right()), QStringList({"0", "5", "6"}));
        Load(*fs, driveC, {Dir("Users"), File("a.txt")});
        openFolder(driveC);
        QCOMPARE(shownSections(right()), QStringList({"0", "1", "2", "3"}));
        auto* header = qobject_cast<CFileTreeHeader*>(right()->header());
        QCOMPARE(header->RootNode(), driveC);
    }

    void pressOnUnloadedFolderAsksForIt()
    {
        QSignalSpy expand(browser, SIGNAL(DoExpand(NodeIndex)));
        QSignalSpy byUser(browser, SIGNAL(DoExpandByUser()));
        QSignalSpy select(browser, SIGNAL(DoNodeSelect(NodeIndex)));
        openFolder(driveD);
        QCOMPARE(expand.count(), 1);
        QCOMPARE(expand.at(0).at(0).value<NodeIndex>(), driveD);
        QCOMPARE(byUser.count(), 1);
        QCOMPARE(select.count(), 1);
        QVERIFY(browser->LeftView()->HasPendingTimer(driveD) || browser->LeftView()->Animation(driveD));
        browser->StopNodeLoading(driveD);
        QVERIFY(!browser->LeftView()->HasPendingTimer(driveD));
        QVERIFY(!browser->LeftView()->Animation(driveD));
    }

    void clickInRightListTogglesOnlyRightOfTheCheckBox()
    {
        Load(*fs, driveC, {Dir("Docs"), File("a.txt"), File("b.txt")});
        const NodeIndex docs = Child(driveC, "Docs"), a = Child(driveC, "a.txt");
        Load(*fs, docs, {File("x.txt"), File("y.txt")});
        openFolder(driveC);
        right()->doItemsLayout();
        QSignalSpy changed(browser, SIGNAL(DoCheckStatusChange(NodeIndex, bool)));

        // Inside the 32-pixel strip but off the box itself: nothing changes.
        Click(right(), RowPoint(right(), *fs, a, 26));
        QCOMPARE(state(a), quint32(Qt::Unchecked));
        QCOMPARE(changed.count(), 0);
        // Further right the row toggles.
        Click(right(), RowPoint(right(), *fs, a, 120));
        QCOMPARE(state(a), quint32(Qt::Checked));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(1).toBool(), true);
        Click(right(), RowPoint(right(), *fs, a, 120));
        QCOMPARE(state(a), quint32(Qt::Unchecked));

        // A partly checked folder becomes checked.
        fs->SetNodeData(Child(docs, "x.txt"), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(state(docs), quint32(Qt::PartiallyChecked));
        Click(right(), RowPoint(right(), *fs, docs, 120));
        QCOMPARE(state(docs), quint32(Qt::Checked));

        // Swapping the tested view: the cursor is now measured in the left tree, whose
        // viewport starts further right on screen, so the same spot is within its strip.
        browser->SetInvertClickView(true);
        const int inLeft = left()->viewport()->mapFromGlobal(right()->viewport()->mapToGlobal(QPoint(120, 0))).x();
        if (inLeft <= CBrower::kCheckClickWidth) {
            Click(right(), RowPoint(right(), *fs, docs, 120));
            QCOMPARE(state(docs), quint32(Qt::Checked));
        }
    }

    void selectedNodesAreListedOnce()
    {
        openFolder(computer);
        left()->selectionModel()->select(ViewIndex(left(), *fs, driveC),
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        right()->selectionModel()->select(ViewIndex(right(), *fs, driveC), QItemSelectionModel::ClearAndSelect);
        right()->selectionModel()->select(ViewIndex(right(), *fs, driveD), QItemSelectionModel::Select);
        QCOMPARE(browser->GetSelectedNodes(), QList<NodeIndex>({driveC, driveD}));
    }

    void sortingIsSkippedWhereItCannotMatter_data()
    {
        QTest::addColumn<quint64>("userData");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("sorted");
        QTest::newRow("ordinary folder") << quint64(0) << 5 << -1 << true << true;
        QTest::newRow("small keyed folder") << quint64(0xFFFFFFFF) << 5 << -1 << true << false;
        QTest::newRow("large keyed folder") << quint64(0xFFFFFFFF) << 25 << -1 << true << true;
        QTest::newRow("never-sort kind") << quint64(0) << 5 << int(NodeKind::kNeverSort) << true << false;
        QTest::newRow("folder not on show") << quint64(0) << 5 << -1 << false << false;
    }
    void sortingIsSkippedWhereItCannotMatter()
    {
        QFETCH(quint64, userData);
        QFETCH(int, rows);
        QFETCH(int, kind);
        QFETCH(bool, shown);
        QFETCH(bool, sorted);
        Entry folder = Dir("Big");
        folder.userData = userData;
        folder.nodeKind = kind;
        Load(*fs, driveC, {folder});
        const NodeIndex big = Child(driveC, "Big");
        openFolder(shown ? driveC : computer);
        if (shown)
            browser->SelectNode(big);
        QCOMPARE(browser->GetCurrentNode(), shown ? big : computer);
        QList<Entry> files;
        for (int i = rows; i > 0; --i)
            files << File(QStringLiteral("f%1.txt").arg(i));
        Load(*fs, big, files);
        CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(big));
        QCOMPARE(node->Sorted(), sorted);
        QCOMPARE(node->NameAtRow(0), sorted ? QStringLiteral("F1.TXT") : QStringLiteral("F%1.TXT").arg(rows));
    }

    // A double click enters a folder and leaves every check state as it was, whether it lands on
    // the row or on its check box (whose first click ticks it), and on a file it changes nothing.
    void doubleClickInRightListEntersFolder_data()
    {
        QTest::addColumn<int>("x");
        QTest::newRow("on the row") << 120;
        QTest::newRow("on the check box") << -1;
    }
    void doubleClickInRightListEntersFolder()
    {
        QFETCH(int, x);
        Load(*fs, driveC, {Dir("Docs"), Dir("Other"), File("a.txt")});
        const NodeIndex docs = Child(driveC, "Docs");
        Load(*fs, docs, {File("x.txt"), File("y.txt")});
        fs->SetNodeData(Child(docs, "x.txt"), Qt::Checked, Qt::CheckStateRole);
        openFolder(driveC);
        right()->doItemsLayout();
        // Where the delegate takes a click as one on the check box.
        QStyleOptionViewItem option;
        option.rect = right()->visualRect(ViewIndex(right(), *fs, docs));
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const int at = x >= 0 ? x
                              : right()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, right()).center().x();
        auto states = [&] {
            return QList<quint32>{state(docs), state(Child(driveC, "a.txt")), state(Child(docs, "y.txt"))};
        };
        const QList<quint32> statesBefore = states();
        QSignalSpy select(browser, SIGNAL(DoNodeSelect(NodeIndex)));
        DoubleClick(right(), RowPoint(right(), *fs, Child(driveC, "a.txt"), at));
        QCOMPARE(browser->GetCurrentNode(), driveC);
        QCOMPARE(states(), statesBefore);
        DoubleClick(right(), RowPoint(right(), *fs, docs, at));
        QCOMPARE(browser->GetCurrentNode(), docs);
        QCOMPARE(select.count(), 1);
        QCOMPARE(fs->NodeOf(static_cast<QSortFilterProxyModel*>(left()->model())->mapToSource(left()->currentIndex())),
                 docs);
        QCOMPARE(states(), statesBefore);
        // The next click is a click of its own again.
        Click(right(), RowPoint(right(), *fs, Child(docs, "y.txt"), 120));
        QCOMPARE(state(docs), quint32(Qt::Checked));
    }

    void setCurrentNodeNavigatesLikeAPress()
    {
        QSignalSpy select(browser, SIGNAL(DoNodeSelect(NodeIndex)));
        browser->SetCurrentNode(driveC);
        QCOMPARE(browser->GetCurrentNode(), driveC);
        QCOMPARE(select.count(), 1);
        browser->ExpandNode(computer, false);
        QVERIFY(!left()->isExpanded(ViewIndex(left(), *fs, computer)));
        browser->ExpandNode(computer, true);
        QVERIFY(left()->isExpanded(ViewIndex(left(), *fs, computer)));
    }

    void hiddenRootHidesTheTopRowsOfTheList()
    {
        QSignalSpy hide(browser, SIGNAL(DoHideRoot(QList<NodeIndex>, QList<NodeIndex>)));
        // What the model reports after a batch under a hidden root.
        QMetaObject::invokeMethod(fs, "DoInterface", Q_ARG(QList<NodeIndex>, {fs->GetRootIndex()}),
                                  Q_ARG(QList<NodeIndex>, {computer}), Q_ARG(int, 0), Q_ARG(bool, true));
        QCOMPARE(hide.count(), 1);
        QVERIFY(right()->isRowHidden(0, QModelIndex()));
        // A first node that has a parent is not the root: nothing is hidden.
        right()->setRowHidden(0, QModelIndex(), false);
        emit browser->DoHideRoot({driveC}, {computer});
        QVERIFY(!right()->isRowHidden(0, QModelIndex()));
    }

    void mailBrowserUsesTheMailVocabulary()
    {
        CBrower mail(model, nullptr, false, 0, 1, false);
        mail.resize(900, 500);
        mail.ShowRightView(true, true);
        mail.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mail));
        QVERIFY(qobject_cast<CMailBackLeftTreeModel*>(mail.LeftProxy()));
        QVERIFY(qobject_cast<CMailBackRightTreeModel*>(mail.RightProxy()));
        mail.SetCurrentNode(driveC);
        QHeaderView* header = mail.RightView()->header();
        QCOMPARE(header->sectionSize(1), 200);
        QCOMPARE(header->sectionSize(2), 130);
    }
};

QTEST_MAIN(tst_browser)
#include "tst_browser.moc"
