#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CBaseSyncExecuter.h"
#include "ModelTestTree.h"
#include <QAbstractItemModelTester>
#include <QThreadPool>
#include <QtTest>

using namespace ModelTestTree;
typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

// Sorting: natural name order, the column rules, descending rows and skipped repeats.
class TestModelSort : public QObject
{
    Q_OBJECT

    QStringList Shown(const CFileSystemModel& m, const QModelIndex& parent)
    {
        QStringList out;
        for (int r = 0; r < m.rowCount(parent); ++r)
            out << m.index(r, 0, parent).data().toString();
        return out;
    }

    // The children of folder in a plain stable sort of their enumeration order by column (0 or
    // 1) with naturalCompare: the order the model's sort must show.
    QStringList ExpectedOrder(NodeIndex folder, int column)
    {
        NodePtr node(CLvFileSystemNodeMgr::GetNode(folder));
        QList<NodeIndex> ids = node->ChildIds();
        std::stable_sort(ids.begin(), ids.end(), [&](NodeIndex a, NodeIndex b) {
            NodePtr l(CLvFileSystemNodeMgr::GetNode(a)), r(CLvFileSystemNodeMgr::GetNode(b));
            if (l->IsDir() != r->IsDir())
                return l->IsDir();
            if (column == 1 && l->GetSize() != r->GetSize())
                return l->GetSize() < r->GetSize();
            return CFileSystemModel::naturalCompare(l->Name(), r->Name(), Qt::CaseInsensitive) < 0;
        });
        QStringList names;
        for (NodeIndex id : ids)
            names << NodePtr(CLvFileSystemNodeMgr::GetNode(id))->Name();
        return names;
    }
    void SortsAsStableNaturalOrder(CFileSystemModel& m, NodeIndex folder, int column)
    {
        const QStringList names = ExpectedOrder(folder, column);
        m.SortNode(folder, column, Qt::AscendingOrder);
        QCOMPARE(Shown(m, m.IndexOf(folder)), names);
    }
    // A folder "top" under the root.
    static NodeIndex Top(CFileSystemModel& m)
    {
        LoadChildren(m, m.GetRootIndex(), {{"top", true, 0, {}}});
        return Child(m.GetRootIndex(), "top");
    }

private slots:
    void initTestCase()
    {
        // The orders asserted here are those of the C locale.
        QLocale::setDefault(QLocale::c());
        CBaseSyncExecuter::SetWaiterDelay(60000);
    }
    void cleanup() { WaitForReleases(); }

    void naturalCompare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("2 before 10") << "file2" << "file10" << -1;
        QTest::newRow("digits before letters") << "a1" << "ab" << -1;
        QTest::newRow("same number") << "v7b" << "v7a" << 1;
        QTest::newRow("leading zero falls back") << "a02" << "a2" << -1;
        QTest::newRow("case-insensitive equal") << "Readme" << "README" << 0;
        QTest::newRow("spaces skipped") << "a b" << "ab" << -1;
        QTest::newRow("empty") << "" << "a" << -1;
        QTest::newRow("zeros only") << "0" << "1" << -1;
    }
    void naturalCompare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(qBound(-1, CFileSystemModel::naturalCompare(a, b, Qt::CaseInsensitive), 1), expected);
        QCOMPARE(qBound(-1, CFileSystemModel::naturalCompare(b, a, Qt::CaseInsensitive), 1), -expected);
    }

    void sortByNameSizeAndOrder()
    {
        CFileSystemModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const NodeIndex top = Top(m);
        LoadChildren(m, top, {{"file10", false, 30, {}}, {"B", true, 0, {}}, {"file2", false, 30, {}},
                              {"FILE2", false, 1, {}}, {"a", false, 5, {}}, {"c", true, 0, {}}}, 2);
        // Case-insensitive names: "FILE2" is the same entry as "file2", shown once.
        const QModelIndex parent = m.IndexOf(top);
        QCOMPARE(Shown(m, parent), QStringList({"file10", "B", "FILE2", "a", "c"}));
        QPersistentModelIndex keep = m.index(0, 0, parent); // file10

        m.SetRootIndex(parent);
        m.sort(0, Qt::AscendingOrder);
        QCOMPARE(Shown(m, parent), QStringList({"B", "c", "a", "FILE2", "file10"}));
        QCOMPARE(keep.data().toString(), QString("file10")); // persistent indexes follow their rows

        m.sort(0, Qt::DescendingOrder);
        QCOMPARE(Shown(m, parent), QStringList({"file10", "FILE2", "a", "c", "B"}));
        QCOMPARE(keep.row(), 0);

        m.sort(1, Qt::AscendingOrder);
        QCOMPARE(Shown(m, parent), QStringList({"B", "c", "FILE2", "a", "file10"}));

        // Rows that arrive after a sort are appended, and the next sort is not skipped.
        LoadChildren(m, top, {{"0first", false, 0, {}}});
        QCOMPARE(Shown(m, parent).last(), QString("0first"));
        m.sort(1, Qt::AscendingOrder);
        QCOMPARE(Shown(m, parent).at(2), QString("0first"));
    }

    // A sort is skipped only when the folder's own last sort was the same and no filter changed
    // since; another folder's sort, or the first sort after a filter change, does not count.
    void repeatedSortIsSkippedUntilFiltersChange()
    {
        CFileSystemModel m;
        const NodeIndex root = m.GetRootIndex();
        LoadChildren(m, root, {{"top", true, 0, {}}, {"B", true, 0, {}}});
        const NodeIndex top = Child(root, "top"), b = Child(root, "B");
        LoadChildren(m, top, {{"b", false, 1, {}}, {"a", false, 2, {}}, {".hidden", false, 3, {}}});
        LoadChildren(m, b, {{"x", false, 1, {}}, {"y", false, 3, {}}, {"z", false, 2, {}}});
        NodePtr(CLvFileSystemNodeMgr::GetNode(Child(top, ".hidden")))->Info()->hidden = true;
        const QModelIndex parent = m.IndexOf(top);
        int layouts = 0;
        connect(&m, &QAbstractItemModel::layoutChanged, this, [&] { ++layouts; });
        m.SortNode(top, 0, Qt::AscendingOrder);
        QCOMPARE(layouts, 1);
        // Entries that fail the filters leave the rows at a sort.
        QCOMPARE(Shown(m, parent), QStringList({"a", "b"}));
        m.SortNode(top, 0, Qt::AscendingOrder);
        QCOMPARE(layouts, 1);
        m.SortNode(b, 0, Qt::AscendingOrder);
        m.SortNode(top, 1, Qt::AscendingOrder);
        m.SortNode(b, 1, Qt::AscendingOrder);
        QCOMPARE(Shown(m, m.IndexOf(b)), QStringList({"x", "z", "y"}));
        layouts = 0;
        m.setFilter(m.filter() | QDir::Hidden);
        m.SortNode(top, 1, Qt::AscendingOrder);
        m.SortNode(b, 1, Qt::AscendingOrder);
        QCOMPARE(layouts, 2);
        QCOMPARE(Shown(m, parent), QStringList({"b", "a", ".hidden"}));
        m.setNameFilterDisables(false);
        m.setNameFilters({"a*"});
        m.SortNode(top, 0, Qt::AscendingOrder);
        QCOMPARE(Shown(m, parent), QStringList({"a"}));
    }

    // A request that comes while another sort runs (the GUI spins an event loop meanwhile) runs
    // after it instead of being dropped.
    void sortRequestedDuringASortIsKept()
    {
        CFileSystemModel m;
        const NodeIndex root = m.GetRootIndex();
        LoadChildren(m, root, {{"big", true, 0, {}}, {"B", true, 0, {}}});
        LoadChildren(m, Child(root, "B"), {{"x", false, 1, {}}, {"y", false, 3, {}}, {"z", false, 2, {}}});
        QList<TreeSpec> specs;
        for (int i = 0; i < 20000; ++i)
            specs.append({QStringLiteral("f%1").arg((i * 7919) % 20000), false, qint64(i % 17), {}});
        LoadChildren(m, Child(root, "big"), specs, 5000);
        bool sorting = false, landedDuringSort = false;
        connect(&m, &CFileSystemModel::DoGetExtendWidget, this, [&](QWidget**) { sorting = true; });
        connect(&m, &QAbstractItemModel::layoutChanged, this, [&] { sorting = false; });
        // Posted before the big sort starts; delivered by the event loop that waits for it. Each
        // round asks for the other order, so a request that is lost shows.
        QStringList expected;
        for (int round = 0; round < 6 && !landedDuringSort; ++round) {
            const Qt::SortOrder order = round % 2 ? Qt::DescendingOrder : Qt::AscendingOrder;
            QTimer::singleShot(0, this, [&, order] {
                landedDuringSort = sorting;
                m.SortNode(Child(root, "B"), 1, order);
            });
            m.SortNode(Child(root, "big"), round % 2, Qt::AscendingOrder);
            QCoreApplication::processEvents();
            expected = order == Qt::AscendingOrder ? QStringList({"x", "z", "y"}) : QStringList({"y", "z", "x"});
        }
        QVERIFY2(landedDuringSort, "no request came in while the sort ran");
        QCOMPARE(Shown(m, m.IndexOf(Child(root, "B"))), expected);
    }

    // The sort against a plain stable sort of the enumeration order with naturalCompare, on
    // names that exercise both the sort keys and the names they leave to the full comparison
    // (but no non-ASCII digits: they make naturalCompare intransitive, so no order is "the" one).
    void sortMatchesStableNaturalOrder()
    {
        CFileSystemModel m;
        const NodeIndex top = Top(m);
        const QString alphabet = QString::fromUtf8("aB0 1.9\u00e9_\t");
        QRandomGenerator rng(7);
        QList<TreeSpec> specs;
        QSet<QString> seen;
        while (specs.size() < 400) {
            QString name = "n";
            for (int c = int(rng.bounded(6)); c > 0; --c)
                name += alphabet.at(int(rng.bounded(alphabet.size())));
            if (name.trimmed() != name || seen.contains(name.toUpper()))
                continue;
            seen.insert(name.toUpper());
            specs.append({name, rng.bounded(5) == 0, qint64(rng.bounded(4)), {}});
        }
        LoadChildren(m, top, specs, 64);
        for (int column : {0, 1})
            SortsAsStableNaturalOrder(m, top, column);
        // Every shown child knows it is shown; a refused one does not.
        m.setNameFilterDisables(false);
        m.setNameFilters({"*1*"});
        m.SortNode(top, 0, Qt::AscendingOrder);
        NodePtr folder(CLvFileSystemNodeMgr::GetNode(top));
        for (NodeIndex id : folder->ChildIds()) {
            NodePtr child(CLvFileSystemNodeMgr::GetNode(id));
            const bool shown = child->IsDir() || child->Name().contains('1');
            QCOMPARE(child->InParentRows(), shown);
            QCOMPARE(folder->RowOfName(child->Name()) >= 0, shown);
        }
    }

    // Large folders: where the packed keys tell every pair of children apart, and where some
    // tie (names alike but for case, leading zeros or spaces, or equal beyond the packed part),
    // with folders, equal and negative sizes among them.
    void largeFolderSortMatchesStableNaturalOrder_data()
    {
        QTest::addColumn<bool>("ties");
        QTest::newRow("keys apart") << false;
        QTest::newRow("keys tie") << true;
    }
    void largeFolderSortMatchesStableNaturalOrder()
    {
        QFETCH(bool, ties);
        CFileSystemModel m;
        const NodeIndex top = Top(m);
        QRandomGenerator rng(11);
        QList<TreeSpec> specs;
        for (int i = 0; i < 1500; ++i) {
            // Spread so that the enumeration order is neither order.
            const int n = (i * 7919) % 1500;
            QStringList names{QStringLiteral("img_%1.jpg").arg(n)};
            if (ties && i % 5 == 0) // the same key: leading zeros, case
                names << QStringLiteral("IMG_%1.jpg").arg(n, 5, 10, QLatin1Char('0'));
            if (ties && i % 7 == 0) // keys that part beyond the packed prefix
                names << QStringLiteral("img_%1-copy-2.jpg").arg(n) << QStringLiteral("img_%1-Copy-1.jpg").arg(n);
            for (const QString& name : names)
                specs.append({name, i % 97 == 0, qint64(rng.bounded(6)) - 2, {}});
        }
        LoadChildren(m, top, specs, 500);
        for (int column : {0, 1})
            SortsAsStableNaturalOrder(m, top, column);
    }

    // A sort of a large folder while a pool thread gives back a tree of its own (the registry
    // is shared): the sort and the release must not disturb each other.
    void sortWhileAnotherTreeIsReleased()
    {
        CFileSystemModel m;
        const NodeIndex top = Top(m);
        QList<TreeSpec> specs;
        for (int i = 0; i < 3000; ++i)
            specs.append({QStringLiteral("f%1").arg((i * 31) % 3000), false, qint64(i % 13), {}});
        LoadChildren(m, top, specs, 1000);
        for (int round = 0; round < 4; ++round) {
            // A detached tree owned by this test: 40 folders of 100 children.
            CLvFileSystemNode* other = CLvFileSystemNodeMgr::CreateNode("other", 0, nullptr);
            for (int f = 0; f < 40; ++f) {
                CLvFileSystemNode* folder = CLvFileSystemNodeMgr::CreateNode(QStringLiteral("d%1").arg(f), other->Id(), nullptr);
                other->AddChild(folder->Name(), folder->Id());
                for (int c = 0; c < 100; ++c) {
                    CLvFileSystemNode* child = CLvFileSystemNodeMgr::CreateNode(QStringLiteral("c%1").arg(c), folder->Id(), nullptr);
                    folder->AddChild(child->Name(), child->Id());
                }
            }
            const NodeIndex otherId = other->Id();
            QThreadPool::globalInstance()->start([otherId] { CLvFileSystemNode::ReleaseTree(otherId); });
            SortsAsStableNaturalOrder(m, top, round % 2);
            QThreadPool::globalInstance()->waitForDone();
            QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(otherId));
        }
    }

    void compareColumns()
    {
        // Name and size are held to a plain sort above; here the other columns.
        const NodeIndex f1 = MakeLibNode("a", false, 10), f2 = MakeLibNode("b", false, 10);
        QVERIFY(!CFileSystemModel::compareNodes(7, f1, f2));
        QVERIFY(!CFileSystemModel::compareNodes(0, f1, 0));
        NodePtr n1(CLvFileSystemNodeMgr::GetNode(f1)), n2(CLvFileSystemNodeMgr::GetNode(f2));
        n1->SetPathText("Z");
        n2->SetPathText("Y");
        QVERIFY(CFileSystemModel::compareNodes(4, f2, f1));
        // Date: the earlier first, equal times by name.
        for (NodePtr* n : {&n1, &n2}) {
            CNodeInfoPtr info = CNodeInfoPtr::create(*(*n)->Info());
            info->modified = QDateTime(QDate(2021, 5, n == &n1 ? 2 : 1), QTime(0, 0), Qt::UTC);
            (*n)->SetInfo(info);
        }
        QVERIFY(CFileSystemModel::compareNodes(3, f2, f1));
        QVERIFY(!CFileSystemModel::compareNodes(3, f1, f2));
        for (NodeIndex id : {f1, f2})
            NodePtr(CLvFileSystemNodeMgr::GetNode(id))->Release();
    }
};

QTEST_MAIN(TestModelSort)
#include "tst_modelsort.moc"
