#include "CBaseSyncExecuter.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemModelPrivate.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "ModelTestTree.h"
#include <QAbstractItemModelTester>
#include <QSortFilterProxyModel>
#include <QThread>
#include <QtTest>
#include <atomic>

using namespace ModelTestTree;
typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

namespace {

QList<TreeSpec> Files(const QString& prefix, int count)
{
    QList<TreeSpec> out;
    for (int i = 0; i < count; ++i)
        out.append({prefix + QString::number(i), false, i, {}});
    return out;
}

// A detached chain of 10000 folders d0 .. d9999; returns their ids, the top first.
QList<NodeIndex> DeepChain()
{
    CLvFileSystemNode* current = CLvFileSystemNodeMgr::CreateNode("d0", 0, nullptr);
    QList<NodeIndex> ids{current->Id()};
    for (int i = 1; i < 10000; ++i) {
        CLvFileSystemNode* child = CLvFileSystemNodeMgr::CreateNode(QString("d%1").arg(i), current->Id(), nullptr);
        current->AddChild(child->Name(), child->Id());
        current = child;
        ids.append(child->Id());
    }
    return ids;
}

} // namespace

// Batches from the library, row announcements, refreshes, path look-ups, removal and release.
class TestModelLoading : public QObject
{
    Q_OBJECT
    int baseNodes = 0;

private slots:
    void init() { baseNodes = CLvFileSystemNodeMgr::NodeCount(); }
    void cleanup()
    {
        WaitForReleases();
        // Every node of every model and batch is gone again.
        QCOMPARE(CLvFileSystemNodeMgr::NodeCount(), baseNodes);
    }

    void batchesUnderTheModelTester()
    {
        auto* m = new CFileSystemModel;
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(m);
        QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inits(m, &CFileSystemModel::DoModelInitFinish);
        const NodeIndex computer = AddComputer(*m);
        QCOMPARE(inits.count(), 1);

        QSignalSpy inserted(m, &QAbstractItemModel::rowsInserted);
        LoadChildren(*m, computer, {{"D:", true, 0, {}}, {"C:", true, 0, {}}, {"E:", true, 0, {}}});
        // Drives are placed in order, each with its own announcement.
        QCOMPARE(inserted.count(), 3);
        QStringList drives;
        for (int r = 0; r < 3; ++r)
            drives << m->index(r, 0, m->IndexOf(computer)).data().toString();
        QCOMPARE(drives, QStringList({"C:", "D:", "E:"}));

        const NodeIndex c = Child(computer, "C:");
        inserted.clear();
        QSignalSpy refresh(m, &CFileSystemModel::DoUpdateView);
        LoadChildren(*m, c, Files("f", 50), 10);
        // Each batch's appended names come as one announcement; small folders refresh every batch.
        QCOMPARE(inserted.count(), 5);
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        QCOMPARE(inserted.at(0).at(2).toInt(), 9);
        QCOMPARE(refresh.count(), 5);
        QCOMPARE(proxy.rowCount(proxy.mapFromSource(m->IndexOf(c))), 50);

        // Removal and re-loading with the testers watching.
        m->RemoveChildRow(c, "F3");
        QCOMPARE(m->rowCount(m->IndexOf(c)), 49);
        m->RemoveAllChildren(c);
        QCOMPARE(m->rowCount(m->IndexOf(c)), 0);
        LoadChildren(*m, c, Files("g", 20), 7);
        m->SetRootIndex(m->IndexOf(c));
        m->sort(1, Qt::DescendingOrder);
        QCOMPARE(m->index(0, 0, m->IndexOf(c)).data().toString(), QString("g19"));
        // New rows of a descending folder show at the top.
        LoadChildren(*m, c, {{"late", false, 1, {}}});
        QCOMPARE(m->index(0, 0, m->IndexOf(c)).data().toString(), QString("late"));
        m->ReleaseRoot(Child(c, "g5"));
        QCOMPARE(m->rowCount(m->IndexOf(c)), 20);
        QVERIFY(!Child(c, "g5"));
        delete m;
    }

    void largeBatchIsOneAnnouncementAndThrottled()
    {
        CFileSystemModel m;
        qint64 clock = 0;
        m.SetRefreshClock([&] { return clock; });
        LoadChildren(m, m.GetRootIndex(), {{"big", true, 0, {}}});
        const NodeIndex big = Child(m.GetRootIndex(), "big");
        NodePtr(CLvFileSystemNodeMgr::GetNode(big))->Pin("pinned");
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        QSignalSpy refresh(&m, &CFileSystemModel::DoUpdateView);
        QList<TreeSpec> batch = Files("n", 999);
        batch.insert(500, {"pinned", false, 0, {}});
        LoadChildren(m, big, batch, 0, false);
        // Appended names before and after the pinned one: two runs and the pinned row.
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(m.index(0, 0, m.IndexOf(big)).data().toString(), QString("pinned"));
        QCOMPARE(refresh.count(), 1); // a pinned name asks for a refresh

        // 1000 to 6000 rows: no refresh before more than 10000 pending rows or 2 seconds.
        refresh.clear();
        for (int i = 1; i < 5; ++i)
            LoadChildren(m, big, Files(QString("b%1_").arg(i), 1000), 0, false);
        QCOMPARE(refresh.count(), 0);
        clock = 2001;
        LoadChildren(m, big, Files("late", 1000), 0, false);
        QCOMPARE(refresh.count(), 1);
        clock = 0;
        LoadChildren(m, big, {}, 0, true);
        QCOMPARE(refresh.count(), 2); // the final batch always refreshes
        QCOMPARE(m.rowCount(m.IndexOf(big)), 6000);
    }

    void emptyFoldersAndBadBatches()
    {
        CFileSystemModel m;
        const NodeIndex root = m.GetRootIndex();
        LoadChildren(m, root, {{"one", true, 0, {}}, {"empty", true, 0, {}}});
        const NodeIndex one = Child(root, "one"), empty = Child(root, "empty");

        // A finished folder without children loses its expand marker.
        QVERIFY(m.hasChildren(m.IndexOf(empty)));
        m.AddNode(empty, {}, -1, 0);
        QVERIFY(!m.hasChildren(m.IndexOf(empty)));
        QVERIFY(m.data(m.IndexOf(empty), CFileSystemModel::InitFinishRole).toBool());

        // Vanished parents, stale children, empty names and separator-only names.
        m.AddNode(0xFFFFFFF0u, {MakeLibNode("orphan", false)}, -1, 0);
        QVERIFY(!Child(root, "orphan"));
        m.AddNode(one, {0xFFFFFFF1u, MakeLibNode("", false), MakeLibNode("\\\\", false), MakeLibNode("/", true),
                        MakeLibNode("ok", false)}, -1, 0);
        QCOMPARE(m.rowCount(m.IndexOf(one)), 1);
    }

    // A node that only its batch holds becomes the model's node as it is; one that the library
    // keeps is copied and stays the library's, untouched.
    void batchNodesAdoptedOnlyWhenNobodyElseHoldsThem()
    {
        CFileSystemModel m;
        const NodeIndex root = m.GetRootIndex();
        LoadChildren(m, root, {{"top", true, 0, {}}});
        const NodeIndex top = Child(root, "top");
        const NodeIndex alone = MakeLibNode("alone", false, 5);
        const NodeIndex kept = MakeLibNode("kept", false, 6);
        NodePtr keptNode(CLvFileSystemNodeMgr::GetNode(kept)); // the library's own reference
        m.AddNode(top, {alone, kept}, -1, 0);

        QCOMPARE(Child(top, "alone"), alone);
        NodePtr adopted(CLvFileSystemNodeMgr::GetNode(alone));
        QCOMPARE(adopted->Parent(), top);
        QCOMPARE(adopted->Info()->owner, alone);
        QCOMPARE(adopted->GetSize(), qint64(5));
        QVERIFY(adopted->InParentRows());
        QCOMPARE(adopted->RefCount(), 2u); // the folder's and this test's

        const NodeIndex copy = Child(top, "kept");
        QVERIFY(copy && copy != kept);
        QCOMPARE(NodePtr(CLvFileSystemNodeMgr::GetNode(copy))->Info()->owner, copy);
        QCOMPARE(keptNode->Parent(), NodeIndex(0));
        QVERIFY(!keptNode->Model());
        QCOMPARE(keptNode->Info()->owner, kept);
        QCOMPARE(keptNode->RefCount(), 1u);
    }

    void networkHostsAndPinnedNames()
    {
        CFileSystemModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        CLvFileSystemNode* group = CLvFileSystemNodeMgr::CreateNode("Hosts", 0, nullptr);
        group->SetKind(NodeKind::kNetworkGroup);
        group->SetUserData(quint64(42));
        QSignalSpy interface(&m, &CFileSystemModel::DoInterface);
        m.AddNode(m.GetRootIndex(), {group->Id()}, -1, 0);
        QCOMPARE(interface.count(), 1); // a batch of the hidden root goes to the browser too
        const NodeIndex hosts = Child(m.GetRootIndex(), "Hosts");
        QCOMPARE(m.GetMappedValue(42), hosts);
        NodePtr node(CLvFileSystemNodeMgr::GetNode(hosts));
        node->Pin("\\\\pin");
        auto rows = [&] { return node->RowNames(); };
        // Hosts in natural order after the pinned names; a known host is not added twice.
        LoadChildren(m, hosts, {{"\\\\h10", true, 0, {}}, {"\\\\pin", true, 0, {}}, {"\\\\h2", true, 0, {}},
                                {"\\\\H2", true, 0, {}}, {"\\\\h1", true, 0, {}}}, 0, false);
        QCOMPARE(rows(), QStringList({"\\\\PIN", "\\\\H1", "\\\\H2", "\\\\H10"}));
        LoadChildren(m, hosts, {{"\\\\h3", true, 0, {}}}, 0, false);
        QCOMPARE(rows().at(3), QString("\\\\H3"));
        // The network node re-sorts its hosts by plain comparison after a batch.
        QPersistentModelIndex h10 = m.IndexOf(Child(hosts, "\\\\h10"));
        node->SetDisplayName(QObject::tr("Network"));
        LoadChildren(m, hosts, {{"\\\\h0", true, 0, {}}}, 0, false);
        QCOMPARE(rows(), QStringList({"\\\\PIN", "\\\\H0", "\\\\H1", "\\\\H10", "\\\\H2", "\\\\H3"}));
        QCOMPARE(h10.data().toString(), QString("\\\\h10"));
        QCOMPARE(h10.row(), 3);
    }

    // A batch of one twin fills both, each with copies of its own (one node cannot hang under two
    // folders), and the twins are sorted and disabled together.
    void twinsShareBatchesAndSort()
    {
        CFileSystemModel m;
        CBaseSyncExecuter::SetWaiterDelay(60000);
        const NodeIndex root = m.GetRootIndex();
        LoadChildren(m, root, {{"one", true, 0, {}}, {"two", true, 0, {}}});
        const NodeIndex one = Child(root, "one"), two = Child(root, "two");
        NodePtr(CLvFileSystemNodeMgr::GetNode(one))->AddTwin(two);
        const NodeIndex b = MakeLibNode("b", false);
        m.AddNode(one, {b, MakeLibNode("a", false), MakeLibNode("c", false)}, -1, 0);
        QVERIFY(NodePtr(CLvFileSystemNodeMgr::GetNode(two))->Twins().contains(one));
        QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(b));
        QVERIFY(Child(two, "b") && Child(two, "b") != Child(one, "b"));
        m.SortNode(one, 0, Qt::DescendingOrder);
        for (NodeIndex id : {one, two}) {
            const QModelIndex p = m.IndexOf(id);
            QCOMPARE(m.index(0, 0, p).data().toString(), QString("c"));
            QCOMPARE(m.index(2, 0, p).data().toString(), QString("a"));
        }
        // A twin that lost a child keeps exactly its own children through a sort of the other:
        // the shared sorted names must not bring back a row without a node.
        m.RemoveChildRow(two, "b");
        m.SortNode(one, 0, Qt::AscendingOrder);
        const QModelIndex twoIndex = m.IndexOf(two);
        QCOMPARE(m.rowCount(twoIndex), 2);
        QCOMPARE(m.index(0, 0, twoIndex).data().toString(), QString("a"));
        QCOMPARE(m.index(1, 0, twoIndex).data().toString(), QString("c"));
        QCOMPARE(m.rowCount(m.IndexOf(one)), 3);
        // Disabling a node disables its twin and everything below both.
        m.SetDisableNode(one, true);
        QVERIFY(m.IsNodeDisabled(two));
        QVERIFY(m.IsNodeDisabled(Child(two, "a")));
        m.SetDisableNode(one, false);
        QVERIFY(!m.IsNodeDisabled(Child(two, "a")));
    }

    void pathLookups()
    {
        CFileSystemModel m;
        const NodeIndex root = m.GetRootIndex();
        const NodeIndex computer = AddComputer(m);
        LoadChildren(m, computer, {{"C:", true, 0, {}}});
        LoadChildren(m, Child(computer, "C:"), {{"Users", true, 0, {}}});
        const NodeIndex users = Descend(computer, {"C:", "Users"});
        QCOMPARE(m.GetNodeByPath("", false), QList<NodeIndex>({root}));
        QCOMPARE(m.GetNodeByPath("c:\\USERS\\", false), QList<NodeIndex>({users}));
        QCOMPARE(m.GetNodeByPath("C:/Users", false), QList<NodeIndex>({users}));
        QVERIFY(m.GetNodeByPath("C:\\Users\\x\\y", false).isEmpty());
        QCOMPARE(m.GetNodeByPath("\\\\srv", false), QList<NodeIndex>({root}));
        const QList<NodeIndex> made = m.GetNodeByPath("C:\\Users\\x\\y", true);
        QCOMPARE(made, QList<NodeIndex>({Descend(users, {"x", "y"})}));
        QString out;
        QVERIFY(m.FindNode("c:\\users\\X", false, false, &out));
        QCOMPARE(out, QString("C:\\Users\\x"));
        QVERIFY(!m.FindNode("", false, false, &out));
        QVERIFY(!m.FindNode("Q:\\nothing", false, false, &out));
        // A path of this machine is no path of the tree.
        QVERIFY(m.GetNodeByPath("/etc", true).isEmpty());
    }

    void columnsRolesAndFlags()
    {
        CFileSystemModel m;
        LoadChildren(m, m.GetRootIndex(), {{"top", true, 0, {}}});
        const NodeIndex top = Child(m.GetRootIndex(), "top");
        LoadChildren(m, top, {{"dir", true, 0, {}}, {"k", false, 1536, {}}, {"m", false, 1048576, {}},
                              {"g", false, qint64(3) << 30, {}}});
        const QModelIndex p = m.IndexOf(top);
        auto cell = [&](const QString& name, int column) {
            return m.IndexOf(Child(top, name), column).data().toString();
        };
        QCOMPARE(cell("dir", 1), QString());
        QCOMPARE(cell("k", 1), QString("1 KB"));
        QCOMPARE(cell("m", 1), QString("1.0 MB"));
        QCOMPARE(cell("g", 5), QString("3.00 GB"));
        QCOMPARE(CFileSystemModel::SizeText(12), QString("12 bytes"));
        QCOMPARE(CFileSystemModel::SizeText(qint64(1) << 40), QString("1.000 TB"));
        QCOMPARE(m.rowCount(m.index(0, 1, p)), 0);
        QCOMPARE(m.data(m.IndexOf(Child(top, "k")), CFileSystemModel::FilePathRole).toString(), QString("top\\k"));

        const QModelIndex k = m.IndexOf(Child(top, "k"));
        QVERIFY(!(m.flags(k) & Qt::ItemIsUserCheckable));
        QVERIFY(!m.data(k, Qt::CheckStateRole).isValid());
        m.SetCheckEnabled(true);
        QVERIFY(m.flags(k) & Qt::ItemIsUserCheckable);
        QVERIFY(!(m.flags(m.IndexOf(Child(top, "k"), 1)) & Qt::ItemIsUserCheckable));
        QCOMPARE(m.data(k, Qt::CheckStateRole).toInt(), 0);
        m.SetDisableNode(top, true);
        QVERIFY(!(m.flags(k) & Qt::ItemIsEnabled));
        m.SetDisableNode(0, false);
        QVERIFY(m.flags(k) & Qt::ItemIsEnabled);
        m.setNameFilters({"*.txt"});
        QVERIFY(!(m.flags(k) & Qt::ItemIsEnabled)); // shown disabled, not hidden
        QVERIFY(m.flags(m.IndexOf(Child(top, "dir"))) & Qt::ItemIsEnabled);
    }

    void deepReleaseOnAWorker()
    {
        // A chain of 10000 folders, released on a thread with a small stack while this thread
        // keeps resolving the ids: no recursion, no crash, nothing left.
        const QList<NodeIndex> ids = DeepChain();
        const NodeIndex topId = ids.first();
        std::atomic<bool> done{false};
        QThread* worker = QThread::create([&] {
            CLvFileSystemModelPrivate::ReleaseRoot(topId);
            done.store(true);
        });
        worker->setStackSize(256 * 1024);
        worker->start();
        int seen = 0;
        while (!done.load()) {
            for (int i = 0; i < ids.size(); i += 97) {
                NodePtr n(CLvFileSystemNodeMgr::GetNode(ids.at(i)));
                if (n && n->Name() == QString("d%1").arg(i) && n->ChildCount() <= 1)
                    ++seen;
                (void)n.get();
            }
        }
        worker->wait();
        delete worker;
        for (NodeIndex id : ids)
            QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(id));
        Q_UNUSED(seen);
    }

    void lastReferenceOfADeepTreeDoesNotRecurse()
    {
        // The top of a deep chain dies by its last Release on a thread with a small stack.
        const QList<NodeIndex> ids = DeepChain();
        // The chain's own reference on its top, taken back without looking the node up.
        CLvFileSystemNode* top = nullptr;
        CLvFileSystemNodeMgr::PeekNodes(&ids.first(), 1, &top);
        QThread* worker = QThread::create([top] { top->Release(); });
        worker->setStackSize(256 * 1024);
        worker->start();
        worker->wait();
        delete worker;
        QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(ids.last()));
    }

    void modelDeathReleasesTheTreeOnThePool()
    {
        auto* m = new CFileSystemModel;
        NodeIndex parent = m->GetRootIndex();
        for (int i = 0; i < 2000; ++i) {
            LoadChildren(*m, parent, {{QString("level%1").arg(i), true, 0, {}}, {"leaf", false, 0, {}}});
            parent = Child(parent, QString("level%1").arg(i));
        }
        QVERIFY(CLvFileSystemNodeMgr::NodeCount() >= baseNodes + 4000);
        delete m;
    }
};

QTEST_MAIN(TestModelLoading)
#include "tst_modelloading.moc"
