#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "ModelTestTree.h"
#include <QtTest>

using namespace ModelTestTree;
typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

namespace {

TreeSpec Dir(const QString& name, const QList<TreeSpec>& children = {})
{
    return {name, true, 0, children};
}
TreeSpec File(const QString& name, qint64 size = 1)
{
    return {name, false, size, {}};
}

} // namespace

// The selection map of the model: states derived from explicit path decisions.
class TestCheckMap : public QObject
{
    Q_OBJECT

    CFileSystemModel* model = nullptr;
    NodeIndex computer = 0;

    NodeIndex N(const QString& path)
    {
        QStringList parts = path.split(QLatin1Char('\\'));
        return Descend(computer, parts);
    }
    int State(const QString& path) { return int(model->CheckState(N(path))); }
    // A click as the views make it; the model's rules must hold after each one.
    bool Click(const QString& path, int value)
    {
        const bool accepted = model->setData(model->IndexOf(N(path)), value, Qt::CheckStateRole);
        const QString broken = model->CheckInvariants();
        if (!broken.isEmpty())
            qWarning("%s", qPrintable(broken));
        return accepted && broken.isEmpty();
    }
    QStringList Entries()
    {
        QStringList out;
        for (auto it = model->CheckMap().cbegin(); it != model->CheckMap().cend(); ++it)
            out << QStringLiteral("%1=%2").arg(it.key()).arg(it.value().first ? 1 : 0);
        return out;
    }

private slots:
    void init()
    {
        model = new CFileSystemModel;
        model->SetCheckEnabled(true);
        computer = AddComputer(*model);
        LoadChildren(*model, computer, {Dir("C:"), Dir("D:")});
        LoadTree(*model, N("C:"), {Dir("A0", {Dir("A B", {File("f1"), File("f2")}), File("g")}),
                                   Dir("A", {Dir("B", {Dir("X", {File("x1")}), File("W")}), File("Y")}),
                                   File("Z")});
        LoadTree(*model, N("D:"), {Dir("P", {File("p1"), File("p2")}), File("Q")});
    }
    void cleanup()
    {
        delete model;
        model = nullptr;
        WaitForReleases();
    }

    void randomizedStepsBackUpWhatWasTicked()
    {
        for (quint32 seed = 1; seed <= 80; ++seed) {
            const QString failure = RandomModelCheck::RunSequence(seed, 30);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
    }

    // E: holds only F, whose children a and b came in a batch that is not its last. What the
    // user decides for a and b must not become a decision for F (and E:) while F still loads.
    void loadingFolderWaitsForItsLastBatch_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("driveTicked");
        QTest::addColumn<QStringList>("rest");
        QTest::addColumn<QStringList>("settled");
        QTest::newRow("ticked, more to come") << 2 << false << QStringList({"c", "d"}) << QStringList({"E:\\F\\a=1", "E:\\F\\b=1"});
        QTest::newRow("unticked, more to come") << 0 << true << QStringList({"c", "d"}) << QStringList({"E:=1", "E:\\F\\a=0", "E:\\F\\b=0"});
        QTest::newRow("ticked, nothing more") << 2 << false << QStringList() << QStringList({"E:=1"});
    }
    void loadingFolderWaitsForItsLastBatch()
    {
        QFETCH(int, value);
        QFETCH(bool, driveTicked);
        QFETCH(QStringList, rest);
        QFETCH(QStringList, settled);
        LoadChildren(*model, computer, {Dir("E:")});
        LoadChildren(*model, N("E:"), {Dir("F")});
        LoadChildren(*model, N("E:\\F"), {File("a"), File("b")}, 0, false);
        QVERIFY(!driveTicked || Click("E:", 2));
        QVERIFY(Click("E:\\F\\a", value) && Click("E:\\F\\b", value));
        QCOMPARE(State("E:\\F"), 1);
        // The last batch: the rest read what the user decided above F, not what a and b read.
        QList<TreeSpec> files;
        for (const QString& name : rest)
            files << File(name);
        LoadChildren(*model, N("E:\\F"), files);
        QVERIFY(model->CheckInvariants().isEmpty());
        for (const QString& name : rest)
            QCOMPARE(State("E:\\F\\" + name), driveTicked ? 2 : 0);
        QCOMPARE(Entries(), settled);
        // F is complete now: deciding its last children decides F, and the walk goes on up.
        for (const QString& name : rest)
            QVERIFY(Click("E:\\F\\" + name, value));
        if (!rest.isEmpty())
            QCOMPARE(Entries(), QStringList({value == 2 ? "E:=1" : "E:=0"}));
    }

    void excludingAndReincludingAChild()
    {
        QVERIFY(Click("D:\\P", 2));
        QVERIFY(Click("D:\\P\\p1", 0));
        QCOMPARE(Entries(), QStringList({"D:\\P=1", "D:\\P\\p1=0"}));
        QCOMPARE(State("D:\\P\\p2"), 2);
        QCOMPARE(State("D:"), 1);
        QCOMPARE(model->CheckState(computer), 1u);

        QVERIFY(Click("D:\\P\\p1", 2));
        QCOMPARE(Entries(), QStringList({"D:\\P=1"}));
        QCOMPARE(State("D:\\P"), 2);
        QVERIFY(Click("D:\\Q", 2));
        QCOMPARE(Entries(), QStringList({"D:=1"})); // every child of D: is checked now

        // Unchecking both children of a folder without any decision leaves an unchecked entry.
        QVERIFY(Click("C:\\A0\\A B\\f1", 0));
        QVERIFY(Click("C:\\A0\\A B\\f2", 0));
        QCOMPARE(State("C:\\A0\\A B"), 0);
        QCOMPARE(model->CheckMap().value("C:").first, false);
        QCOMPARE(model->CheckMap().size(), 2);
    }

    void exclusionBelongsToItsNearestInclude()
    {
        QVERIFY(Click("C:", 2));
        QVERIFY(Click("C:\\A", 0));
        QVERIFY(Click("C:\\A\\B", 2));
        QVERIFY(Click("C:\\A\\B\\X", 0));
        QCOMPARE(Entries(), QStringList({"C:=1", "C:\\A=0", "C:\\A\\B=1", "C:\\A\\B\\X=0"}));
        auto selection = CSelectItemPtr::create();
        model->CreateCheckStatus(selection);
        QCOMPARE(selection->includes.size(), 2);
        const CSelectItemPtr drive = selection->includes.value("C:");
        const CSelectItemPtr inner = selection->includes.value("C:\\A\\B");
        QVERIFY(drive && inner);
        QCOMPARE(drive->excludes.keys(), QStringList({"C:\\A"}));
        QCOMPARE(inner->excludes.keys(), QStringList({"C:\\A\\B\\X"}));
        QVERIFY(!inner->excludes.value("C:\\A\\B\\X")->include);
    }

    void setDataRules()
    {
        QStringList events;
        connect(model, &CFileSystemModel::DoNodeCanBeCheck, this, [&](NodeIndex, QVariant, bool*) { events << "can"; });
        connect(model, &CFileSystemModel::DoGetNodePath, this, [&](NodeIndex, QByteArray&) {
            if (events.isEmpty() || events.last() != "path")
                events << "path";
        }, Qt::DirectConnection);
        connect(model, &CFileSystemModel::DoCheckStatusChange, this, [&](NodeIndex, bool any) { events << (any ? "change1" : "change0"); });
        connect(model, &QAbstractItemModel::dataChanged, this, [&] { events << "data"; });
        QVERIFY(model->setData(model->IndexOf(N("C:\\Z")), 2, Qt::CheckStateRole));
        QCOMPARE(events, QStringList({"can", "path", "change1", "data"}));

        // Other roles are refused; check values outside 0..2 change nothing.
        QVERIFY(!model->setData(model->IndexOf(N("C:\\Z")), 0, Qt::DisplayRole));
        const QStringList before = Entries();
        for (const QVariant& bad : {QVariant(3), QVariant(-1), QVariant("x"), QVariant()})
            QVERIFY(!model->setData(model->IndexOf(N("C:\\A\\Y")), bad, Qt::CheckStateRole));
        QCOMPARE(Entries(), before);

        // Another column answers true without a change; so does a disabled check box.
        QVERIFY(model->setData(model->IndexOf(N("C:\\A\\Y"), 1), 2, Qt::CheckStateRole));
        model->SetCheckEnabled(false);
        QVERIFY(Click("C:\\A\\Y", 2));
        QCOMPARE(Entries(), before);
        model->SetCheckEnabled(true);

        // A receiver may veto; a node that is not checkable ignores clicks.
        auto veto = connect(model, &CFileSystemModel::DoNodeCanBeCheck, this, [](NodeIndex, QVariant, bool* ok) { *ok = false; });
        QVERIFY(Click("C:\\A\\Y", 2));
        QCOMPARE(Entries(), before);
        disconnect(veto);
        NodePtr(CLvFileSystemNodeMgr::GetNode(N("C:\\A\\Y")))->SetCheckable(false);
        QVERIFY(Click("C:\\A\\Y", 2));
        QCOMPARE(Entries(), before);
    }

    void staleIdsAnswerNeutrally()
    {
        const NodeIndex gone = N("D:\\P\\p1");
        QVERIFY(Click("D:\\P", 2));
        model->RemoveChildRow(N("D:\\P"), "p1");
        QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(gone));
        QCOMPARE(model->CheckState(gone), 0u);
        QCOMPARE(model->ComputeState(gone), 0u);
        model->SetCheckState(gone, 0);
        QVERIFY(model->GetNodePath(gone).isEmpty());
        QVERIFY(!model->IndexOf(gone).isValid());
        // Not turned into the root's invalid index: nothing else gets unchecked.
        QVERIFY(!model->SetNodeData(gone, 0, Qt::CheckStateRole));
        QCOMPARE(Entries(), QStringList({"D:\\P=1"}));
        // The map keeps decisions for paths whose nodes went away.
        QCOMPARE(State("D:\\P\\p2"), 2);
    }
};

QTEST_MAIN(TestCheckMap)
#include "tst_checkmap.moc"
