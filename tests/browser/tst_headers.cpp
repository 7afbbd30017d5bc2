#include "BrowserFixture.h"
#include "CBrower.h"
#include "CDisableExpendTreeView.h"
#include "CFileTreeHeader.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CTreeItemDelegate.h"
#include "TreeView.h"
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTest>

using namespace BrowserFixture;

// The contents list's header over C: (enumerated) and D: (still loading), and the delegate.
class tst_headers : public QObject, private BrowserWindow
{
    Q_OBJECT
private:
    CFileTreeHeader* header() { return qobject_cast<CFileTreeHeader*>(browser->RightView()->header()); }
    quint32 state(NodeIndex id) { return fs->CheckState(id); }
    void open(NodeIndex node)
    {
        browser->SetCurrentNode(node);
        QCOMPARE(browser->GetCurrentNode(), node);
        QVERIFY(header());
        header()->viewport()->grab();  // paints once, which places the check-all box
        QVERIFY(!header()->CheckRect(0).isEmpty());
    }
    void clickHeader(const QPoint& p) { Click(header()->viewport(), p); }

private slots:
    void init()
    {
        OpenBrowser();
        Load(*fs, driveC, {Dir("Docs"), File("a.txt"), File("b.txt")});
        QVERIFY(QTest::qWaitForWindowExposed(browser));
        browser->LeftView()->setAnimated(false);
    }
    void cleanup() { CloseBrowser(); }

    void checkAllBoxTogglesTheFolder()
    {
        open(driveC);
        fs->SetNodeData(Child(driveC, "a.txt"), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(state(driveC), quint32(Qt::PartiallyChecked));
        QCOMPARE(header()->RootCheckState(), int(Qt::PartiallyChecked));
        const int section = header()->sortIndicatorSection();
        const Qt::SortOrder order = header()->sortIndicatorOrder();

        clickHeader(header()->CheckRect(0).center());
        QCOMPARE(state(driveC), quint32(Qt::Checked));
        QCOMPARE(state(Child(driveC, "b.txt")), quint32(Qt::Checked));
        clickHeader(header()->CheckRect(0).center());
        QCOMPARE(state(driveC), quint32(Qt::Unchecked));
        // The box is not a title: no sort click happened.
        QCOMPARE(header()->sortIndicatorSection(), section);
        QCOMPARE(header()->sortIndicatorOrder(), order);
    }

    void loadingFolderIgnoresHeaderClicks()
    {
        open(driveD);
        Load(*fs, driveD, {File("p.txt"), File("q.txt")}, false);
        fs->SetNodeData(Child(driveD, "p.txt"), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(state(driveD), quint32(Qt::PartiallyChecked));
        const Qt::SortOrder order = header()->sortIndicatorOrder();
        QVERIFY(!header()->FolderReady());

        clickHeader(header()->CheckRect(0).center());
        QCOMPARE(state(driveD), quint32(Qt::PartiallyChecked));
        clickHeader(header()->CheckRect(0).center() + QPoint(60, 0));
        QCOMPARE(header()->sortIndicatorOrder(), order);
    }

    void titleClickSortsAndLeavesChecksAlone()
    {
        open(driveC);
        fs->SetNodeData(Child(driveC, "b.txt"), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(header()->sortIndicatorOrder(), Qt::AscendingOrder);
        QSortFilterProxyModel* proxy = browser->RightProxy();
        const QModelIndex root = browser->RightView()->rootIndex();
        QCOMPARE(proxy->index(0, 0, root).data().toString(), QStringLiteral("Docs"));

        clickHeader(header()->CheckRect(0).center() + QPoint(60, 0));
        QCOMPARE(header()->sortIndicatorOrder(), Qt::DescendingOrder);
        CLvAutoPtrEx<CLvFileSystemNode> c(CLvFileSystemNodeMgr::GetNode(driveC));
        QTRY_COMPARE(c->Reversed(), quint32(Qt::DescendingOrder));
        QCOMPARE(proxy->index(0, 0, browser->RightView()->rootIndex()).data().toString(), QStringLiteral("b.txt"));
        QCOMPARE(state(driveC), quint32(Qt::PartiallyChecked));
        QCOMPARE(state(Child(driveC, "b.txt")), quint32(Qt::Checked));
        QCOMPARE(state(Child(driveC, "a.txt")), quint32(Qt::Unchecked));
    }

    void rightMostVisibleSectionIsRounded()
    {
        struct Probe : CFileTreeHeader
        {
            Probe() : CFileTreeHeader(0, 0) {}
            using CFileTreeHeader::paintSection;
        } probe;
        QStandardItemModel items(1, 6);
        probe.setModel(&items);
        probe.setStretchLastSection(false);
        probe.resize(600, 40);
        for (int i = 0; i < 6; ++i)
            probe.resizeSection(i, 100);
        // Sections after 2 are hidden: 2 is the right-most although it ends before the edge.
        for (int i = 3; i < 6; ++i)
            probe.setSectionHidden(i, true);
        QImage image(600, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        for (int i = 0; i < 3; ++i)
            probe.paintSection(&painter, QRect(probe.sectionViewportPosition(i), 0, 100, 40), i);
        painter.end();
        QCOMPARE(image.pixelColor(150, 20), QColor(Qt::white));
        // Section 0 is a plain rectangle; the rounded fill runs to the header's right edge.
        QCOMPARE(image.pixelColor(99, 1), QColor(Qt::white));
        QCOMPARE(image.pixelColor(598, 30), QColor(Qt::white));
        QCOMPARE(image.pixelColor(599, 0).alpha(), 0);
        QVERIFY(image.pixelColor(599, 1).alpha() < 128);
    }

    void delegatePaintsBoxIconAndBackground()
    {
        QStandardItemModel items;
        QPixmap red(16, 16);
        red.fill(Qt::red);
        auto* plain = new QStandardItem(QIcon(red), QStringLiteral("plain"));
        auto* checked = new QStandardItem(QIcon(red), QStringLiteral("checked"));
        checked->setCheckable(true);
        checked->setCheckState(Qt::Checked);
        items.appendRow(plain);
        items.appendRow(checked);
        CTreeItemDelegate delegate(nullptr, 5);

        auto render = [&](const QModelIndex& index, QStyle::State extra) {
            QImage image(200, 24, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.rect = image.rect();
            option.state = QStyle::State_Enabled | extra;
            delegate.paint(&painter, option, index);
            return image;
        };
        // Without a check state the icon starts at the cell's left + 2.
        QImage image = render(items.index(0, 0), QStyle::State_None);
        QCOMPARE(image.pixelColor(2 + 8, 12), QColor(Qt::red));
        QVERIFY(image.pixelColor(1, 12) != QColor(Qt::red));
        // With one, the box comes first and the icon follows after the spacing.
        image = render(items.index(1, 0), QStyle::State_None);
        QVERIFY(IsBlue(image.pixelColor(2 + 2, 12)));
        QCOMPARE(image.pixelColor(2 + 16 + 5 + 8, 12), QColor(Qt::red));
        // Selection and hover backgrounds.
        image = render(items.index(0, 0), QStyle::State_Selected);
        QCOMPARE(image.pixelColor(195, 12), QColor(0x19, 0x19, 0x1a));
        image = render(items.index(0, 0), QStyle::State_MouseOver);
        QCOMPARE(image.pixelColor(195, 12), QColor(0xe7, 0xe9, 0xf2));
    }
};

QTEST_MAIN(tst_headers)
#include "tst_headers.moc"
