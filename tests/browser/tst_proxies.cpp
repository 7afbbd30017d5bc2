#include "BrowserFixture.h"
#include "CFileBackLeftTreeModel.h"
#include "CFileBackRightTreeModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CMailBackLeftTreeModel.h"
#include "CMailBackRightTreeModel.h"
#include <QImage>
#include <QTest>
#include <QThreadPool>

using namespace BrowserFixture;

// The four proxies over C: with an enumerated folder of files only, a folder still loading
// that may have sub-folders, one that may not, a node without a check box and some files.
class tst_proxies : public QObject
{
    Q_OBJECT
private:
    CFileSystemModel* fs = nullptr;
    NodeIndex driveC = 0, files = 0, pending = 0, barren = 0;

    QStringList names(const QAbstractItemModel& proxy, const QModelIndex& parent)
    {
        QStringList out;
        for (int r = 0; r < proxy.rowCount(parent); ++r)
            out << proxy.index(r, 0, parent).data().toString();
        return out;
    }

private slots:
    void init()
    {
        fs = new CFileSystemModel();
        const NodeIndex computer = AddComputer(*fs);
        driveC = Child(computer, QStringLiteral("C:"));
        Entry barrenEntry = Dir("Barren");
        barrenEntry.mayHaveChildren = false;
        Entry noBox = File("nobox.txt");
        noBox.nodeKind = NodeKind::kNoCheckBox;
        Load(*fs, driveC, {Dir("Files"), Dir("Pending"), barrenEntry, File("f10.txt", 5), File("f2.txt", 9), noBox});
        files = Child(driveC, "Files");
        pending = Child(driveC, "Pending");
        barren = Child(driveC, "Barren");
        Load(*fs, files, {File("a"), File("b")});
    }
    void cleanup()
    {
        delete fs;
        QThreadPool::globalInstance()->waitForDone();
    }

    void leftTreeShowsFoldersAndExpectedExpanders()
    {
        CFileBackLeftTreeModel left(nullptr);
        left.setSourceModel(fs);
        const QModelIndex c = left.mapFromSource(fs->IndexOf(driveC));
        QCOMPARE(names(left, c), QStringList({"Files", "Pending", "Barren"}));
        QVERIFY(left.hasChildren(QModelIndex()));
        // Enumerated with files only: no expander. Still loading: the library's guess.
        QVERIFY(!left.hasChildren(left.mapFromSource(fs->IndexOf(files))));
        QVERIFY(left.hasChildren(left.mapFromSource(fs->IndexOf(pending))));
        QVERIFY(!left.hasChildren(left.mapFromSource(fs->IndexOf(barren))));
        QVERIFY(!left.hasChildren(left.mapFromSource(fs->IndexOf(files, 1))));
        // Once a sub-folder arrives and the folder is finished, that decides.
        Load(*fs, barren, {Dir("Sub")});
        QVERIFY(left.hasChildren(left.mapFromSource(fs->IndexOf(barren))));
        Load(*fs, pending, {File("only.txt")});
        QVERIFY(!left.hasChildren(left.mapFromSource(fs->IndexOf(pending))));

        left.SetShowFiles(true);
        QCOMPARE(names(left, c).size(), 6);
        QVERIFY(left.hasChildren(left.mapFromSource(fs->IndexOf(files))));
    }

    void rightListHidesBoxlessNodesAndSortsLikeTheModel()
    {
        CFileBackRightTreeModel right(nullptr);
        right.setSourceModel(fs);
        auto c = [&] { return right.mapFromSource(fs->IndexOf(driveC)); };
        // Rows keep the model's order; the box-less node is gone.
        QCOMPARE(names(right, c()), QStringList({"Files", "Pending", "Barren", "f10.txt", "f2.txt"}));
        // A sort is the model's, for the folder on show: folders first, numbers in natural order.
        fs->SetRootIndex(fs->IndexOf(driveC));
        right.sort(0, Qt::AscendingOrder);
        QCOMPARE(right.RequestedColumn(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(names(right, c()), QStringList({"Barren", "Files", "Pending", "f2.txt", "f10.txt"}));
        right.sort(1, Qt::AscendingOrder);
        QCoreApplication::processEvents();
        QCOMPARE(names(right, c()).mid(3), QStringList({"f10.txt", "f2.txt"}));
        right.sort(0, Qt::DescendingOrder);
        QCoreApplication::processEvents();
        QCOMPARE(names(right, c()), QStringList({"f10.txt", "f2.txt", "Pending", "Files", "Barren"}));
        QVERIFY(right.hasChildren(right.mapFromSource(fs->IndexOf(files))));
    }

    void mailListMapsColumnsAndDropsIcons()
    {
        CMailBackRightTreeModel mail(nullptr);
        mail.setSourceModel(fs);
        // Subject, From, Date and Size sort the model's Name, Type, Date and Size columns.
        const QList<QPair<int, int>> columns{{0, 0}, {1, 2}, {2, 3}, {3, 1}};
        for (const auto& column : columns) {
            mail.sort(column.first, Qt::AscendingOrder);
            QCOMPARE(mail.sortColumn(), column.second);
        }

        const QModelIndex c = mail.mapFromSource(fs->IndexOf(driveC));
        const QModelIndex row = mail.index(0, 0, c);
        QVERIFY(!row.data(Qt::DecorationRole).isValid());
        QCOMPARE(row.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignVCenter));
        QCOMPARE(row.sibling(0, 3).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignVCenter | Qt::AlignRight));
        QCOMPARE(mail.headerData(1, Qt::Horizontal).toString(), QStringLiteral("From"));
        QCOMPARE(mail.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Path"));
        QVERIFY(!mail.headerData(5, Qt::Horizontal).isValid());
        const QImage strip = mail.headerData(0, Qt::Horizontal, Qt::DecorationRole).value<QImage>();
        QCOMPARE(strip.size(), QSize(16, 1));
        QCOMPARE(strip.pixelColor(8, 0).alpha(), 0);
    }

    void mailTreeSortsTheModelOnTheMappedColumn()
    {
        CMailBackLeftTreeModel withIcons(nullptr, true);
        CMailBackLeftTreeModel without(nullptr, false);
        withIcons.setSourceModel(fs);
        without.setSourceModel(fs);
        const QModelIndex a = withIcons.mapFromSource(fs->IndexOf(files));
        const QModelIndex b = without.mapFromSource(fs->IndexOf(files));
        QVERIFY(a.data(Qt::DecorationRole).isValid());
        QVERIFY(!b.data(Qt::DecorationRole).isValid());

        fs->SetRootIndex(fs->IndexOf(driveC));
        withIcons.sort(3, Qt::DescendingOrder);  // "Size" sorts the model by its Size column
        CLvAutoPtrEx<CLvFileSystemNode> node(CLvFileSystemNodeMgr::GetNode(driveC));
        QCOMPARE(node->LastSortColumn(), 1u);
        QCOMPARE(node->Reversed(), quint32(Qt::DescendingOrder));
    }
};

QTEST_MAIN(tst_proxies)
#include "tst_proxies.moc"
