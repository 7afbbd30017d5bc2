#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

namespace {

// A parent owns one reference on each child.
NodeIndex AddChild(CLvFileSystemNode* parent, const QString& name)
{
    CLvFileSystemNode* child = CLvFileSystemNodeMgr::CreateNode(name, parent->Id(), nullptr);
    parent->AddChild(name, child->Id());
    parent->InsertChildRowAt(-1, name);
    return child->Id();
}

void AddChildNamed(CLvFileSystemNode* parent, const QString& name)
{
    CLvFileSystemNode* child = CLvFileSystemNodeMgr::CreateNode(name, parent->Id(), nullptr);
    parent->AddChild(name, child->Id());
    parent->InsertChildRows({name});
}

} // namespace

class TestLvNode : public QObject
{
    Q_OBJECT
private slots:
    void viewRowLookupsFollowEveryChange()
    {
        // The child of each view row, as the model reads it, must always be the child whose key
        // the row holds, through appends, re-keyed and removed children and reorders.
        CLvFileSystemNode* n = CLvFileSystemNodeMgr::CreateNode("folder", 0, nullptr);
        auto agrees = [n]() {
            for (int r = -1; r <= n->RowCount(); ++r) {
                const int row = r >= 0 && r < n->RowCount() ? n->MapRow(r) : -1;
                const NodeIndex expected = row >= 0 ? n->ChildByName(n->NameAtRow(row)) : 0;
                if (n->ChildAtViewRow(r) != expected)
                    return false;
            }
            return true;
        };
        for (int i = 0; i < 40; ++i)
            AddChild(n, QStringLiteral("f%1").arg(i));
        QVERIFY(agrees());
        AddChild(n, "late");
        QVERIFY(agrees());

        // A row whose child arrives after it.
        n->InsertChildRowAt(-1, "orphan");
        QCOMPARE(n->ChildAtViewRow(n->RowCount() - 1), 0u);
        CLvFileSystemNode* orphan = CLvFileSystemNodeMgr::CreateNode("orphan", n->Id(), nullptr);
        n->AddChild("orphan", orphan->Id());
        QCOMPARE(n->ChildAtViewRow(n->RowCount() - 1), orphan->Id());

        // The same key given to another node.
        const NodeIndex before = n->ChildByName("f3");
        CLvFileSystemNode* other = CLvFileSystemNodeMgr::CreateNode("f3", n->Id(), nullptr);
        n->AddChild("F3", other->Id());
        QVERIFY(n->ChildAtViewRow(3) != before);
        QVERIFY(agrees());

        n->RemoveChild("f7");
        QCOMPARE(n->ChildAtViewRow(7), 0u);
        QVERIFY(agrees());
        n->RemoveRow(0);
        QVERIFY(agrees());
        QStringList reordered = n->RowNames();
        std::reverse(reordered.begin(), reordered.end());
        QVERIFY(n->ReplaceRowsInOrder(reordered));
        QVERIFY(agrees());
        n->SetReversed(1);
        n->SetSortedCount(10);
        QVERIFY(agrees());
        n->SetReversed(0);
        // A pinned name goes in front of every row.
        n->Pin("pinned");
        AddChildNamed(n, "pinned");
        QCOMPARE(n->NameAtRow(0), QStringLiteral("PINNED"));
        QVERIFY(agrees());
        n->ClearRows();
        QCOMPARE(n->ChildAtViewRow(0), 0u);
        n->Release();
    }

    // Many nodes come and go in a shuffled order, so that the table grows, shrinks and closes
    // gaps in runs of neighbouring slots: every live id keeps resolving to its node (one by one
    // and many at a time), every dead one resolves to nothing.
    void registryKeepsEveryLiveNodeThroughChurn()
    {
        const int base = CLvFileSystemNodeMgr::NodeCount();
        QRandomGenerator rng(42);
        std::vector<CLvFileSystemNode*> live;
        std::vector<NodeIndex> dead{0};
        const auto check = [&] {
            std::vector<NodeIndex> ids;
            for (CLvFileSystemNode* n : live)
                ids.push_back(n->Id());
            ids.insert(ids.end(), dead.begin(), dead.end());
            std::vector<CLvFileSystemNode*> peeked(ids.size());
            CLvFileSystemNodeMgr::PeekNodes(ids.data(), ids.size(), peeked.data());
            for (size_t i = 0; i < ids.size(); ++i) {
                CLvFileSystemNode* expected = i < live.size() ? live[i] : nullptr;
                if (peeked[i] != expected || CLvFileSystemNodeMgr::IsValidNode(ids[i]) != (expected != nullptr))
                    return false;
                // A holding look-up adds a reference (a leaked one keeps the node past the end).
                const quint32 refs = expected ? expected->RefCount() : 0;
                NodePtr held(CLvFileSystemNodeMgr::GetNode(ids[i]));
                if (held.get() != expected || (expected && expected->RefCount() != refs + 1))
                    return false;
            }
            return CLvFileSystemNodeMgr::NodeCount() == base + int(live.size());
        };
        for (int round = 0; round < 3; ++round) {
            while (live.size() < 6000)
                live.push_back(CLvFileSystemNodeMgr::CreateNode("n", 0, nullptr));
            QVERIFY(check());
            // Down to a few, in a shuffled order; some taken out of the registry first.
            while (live.size() > 50) {
                const size_t at = rng.bounded(quint32(live.size()));
                CLvFileSystemNode* n = live[at];
                live[at] = live.back();
                live.pop_back();
                dead.push_back(n->Id());
                if (at % 3 == 0)
                    CLvFileSystemNodeMgr::RemoveNode(n->Id());
                n->Release();
                if (live.size() % 1000 == 0)
                    QVERIFY(check());
            }
            QVERIFY(check());
        }
        for (CLvFileSystemNode* n : live)
            n->Release();
        live.clear();
        QVERIFY(check());
    }

    void concurrentLookupsNeverReviveADyingNode()
    {
        // Workers create, look up and release nodes while others look up the same ids: every
        // lookup either gets a live node or null, and every node goes away in the end.
        const int base = CLvFileSystemNodeMgr::NodeCount();
        std::atomic<NodeIndex> shared{0};
        std::atomic<bool> stop{false};
        std::atomic<int> wrong{0};
        std::vector<std::thread> readers;
        for (int r = 0; r < 3; ++r) {
            readers.emplace_back([&] {
                while (!stop.load()) {
                    NodePtr n(CLvFileSystemNodeMgr::GetNode(shared.load()));
                    if (n && n->Name() != QLatin1String("n"))
                        ++wrong;
                }
            });
        }
        for (int i = 0; i < 20000; ++i) {
            CLvFileSystemNode* n = CLvFileSystemNodeMgr::CreateNode("n", 0, nullptr);
            shared.store(n->Id());
            n->Release();
        }
        stop.store(true);
        for (auto& t : readers)
            t.join();
        QCOMPARE(wrong.load(), 0);
        QCOMPARE(CLvFileSystemNodeMgr::NodeCount(), base);
    }

    void pathsAndChildLookups()
    {
        CLvFileSystemNode* root = CLvFileSystemNodeMgr::CreateNode(QString(), 0, nullptr);
        root->SetPathStop(true);
        NodePtr computer(CLvFileSystemNodeMgr::GetNode(AddChild(root, "\\\\Computer")));
        NodePtr drive(CLvFileSystemNodeMgr::GetNode(AddChild(computer.get(), "C:")));
        NodePtr dir(CLvFileSystemNodeMgr::GetNode(AddChild(drive.get(), "Users")));
        NodePtr file(CLvFileSystemNodeMgr::GetNode(AddChild(dir.get(), "Read Me.txt")));
        dir->SetDisplayName("Benutzer");
        drive->SetDisplayName("Local Disk (C:)");

        QCOMPARE(root->GetPath(true, true), QString());
        QCOMPARE(computer->GetPath(true, true), QString());
        QCOMPARE(drive->GetPath(true, true), QString("C:"));
        QCOMPARE(file->GetPath(true, true), QString("C:\\Users\\Read Me.txt"));
        QCOMPARE(dir->GetDisplayPath(true, true), QString("\\Local Disk (C:)\\Benutzer"));
        // A pathStop node ends the walk.
        dir->SetPathStop(true);
        QCOMPARE(file->GetPath(true, true), QString("Read Me.txt"));

        QCOMPARE(dir->ChildByName("read me.TXT"), file->Id());
        QCOMPARE(dir->RowOfName("read me.txt"), 0);
        QCOMPARE(dir->ChildByName("other"), 0u);
        QCOMPARE(dir->ChildIdAt(5), 0u);

        // Releasing the last reference takes the node out of the registry and its parent.
        const NodeIndex fileId = file->Id();
        file.reset();
        NodePtr(CLvFileSystemNodeMgr::GetNode(fileId))->Release(); // the parent's reference
        QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(fileId));
        QVERIFY(!dir->HasChildId(fileId));
        root->Release();
    }

    void recordsAndRows()
    {
        CLvFileSystemNode* n = CLvFileSystemNodeMgr::CreateNode("x", 0, nullptr);
        // Without a record: a file, and a folder only once it has children.
        QVERIFY(n->IsFile());
        QVERIFY(!n->IsDir());
        AddChild(n, "c");
        QVERIFY(n->IsDir());

        auto info = CNodeInfoPtr::create();
        info->size = 5;
        n->SetInfo(info);
        QCOMPARE(n->Info()->owner, n->Id());
        QCOMPARE(info->owner, 0u); // the caller's record is copied, not changed
        // The default kind reads as a system entry.
        QVERIFY(n->IsSystem());
        QCOMPARE(n->GetSize(), 5);
        info->kind = InfoKind::kDirectory;
        n->SetInfo(info);
        QCOMPARE(n->GetSize(), 0);

        for (const char* name : {"b", "a", "d"})
            AddChild(n, name);
        QCOMPARE(n->RowCount(), 4);
        n->SetReversed(1);
        n->SetSortedCount(3);
        QCOMPARE(QList<int>({n->MapRow(0), n->MapRow(1), n->MapRow(2), n->MapRow(3)}), QList<int>({2, 1, 0, 3}));
        n->SetSortedCount(-1);
        QCOMPARE(n->MapRow(0), 3);
        // A sorted range longer than the rows (rows were removed) never maps past them.
        n->SetSortedCount(10);
        QCOMPARE(n->MapRow(0), 3);
        n->SetReversed(0);
        QCOMPARE(n->MapRow(2), 2);
        n->Release();
    }

    void copyAndMerge()
    {
        CLvFileSystemNode* lib = CLvFileSystemNodeMgr::CreateNode("Docs", 0, nullptr);
        lib->SetKind(NodeKind::kInsertionOrder);
        lib->SetPathText("C:\\Docs");
        lib->SetCheckable(false);
        lib->SetUserData(quint64(77));
        auto info = CNodeInfoPtr::create();
        info->kind = InfoKind::kDirectory;
        lib->SetInfo(info);
        AddChild(lib, "inside");

        CLvFileSystemNode* copy = CLvFileSystemNodeMgr::CopyNode(lib->Id());
        QVERIFY(copy && copy->Id() != lib->Id());
        QCOMPARE(copy->GetKind(), NodeKind::kInsertionOrder);
        QCOMPARE(copy->PathText(), QString("C:\\Docs"));
        QVERIFY(!copy->Checkable());
        QCOMPARE(copy->UserKey(), 77u);
        QVERIFY(copy->IsDir());
        // The copy does not share the source's children (it holds no references on them).
        QCOMPARE(copy->ChildCount(), 0);

        // Merge: true wins for pathStop, false wins for checkable and mayHaveChildren.
        CLvFileSystemNode* other = CLvFileSystemNodeMgr::CreateNode("Docs", 0, nullptr);
        other->SetPathStop(true);
        other->SetMayHaveChildren(false);
        other->SetTypeText("Folder");
        copy->Merge(other->Id(), false);
        QVERIFY(copy->PathStop());
        QVERIFY(!copy->MayHaveChildren());
        QVERIFY(!other->Checkable());
        QCOMPARE(copy->TypeText(), QString("Folder"));
        QCOMPARE(other->PathText(), QString("C:\\Docs"));
        // A record is only taken, as the taker's own copy.
        QVERIFY(!other->HasInfo());
        other->Merge(copy->Id(), false);
        QVERIFY(other->HasInfo());
        QCOMPARE(other->Info()->owner, other->Id());

        copy->Release();
        other->Release();
        lib->Release();
    }
};

QTEST_MAIN(TestLvNode)
#include "tst_lvnode.moc"
