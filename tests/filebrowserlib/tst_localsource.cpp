// A browser over a temporary drive table: the computer with its drives, folders and files with
// their information, links, undecodable names, vanished folders, the network and NAS groups, and
// the has-selection signal of an applied block.
#include "FbTestUtil.h"

#include "CNameCodec.h"

#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

using namespace fbtest;

class TestLocalSource : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_c, m_d, m_share;
    IFileBrower* m_b = nullptr;
    CFileBrower* B() const { return static_cast<CFileBrower*>(m_b); }

    // A folder of C:, reached and listed.
    NodeIndex listedOnC(const QStringList& names) const
    {
        return Listed(B(), QStringList{CGetDataCommon::ComputerName(), QStringLiteral("C:")} + names);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_c = m_tmp.path() + "/c";
        m_d = m_tmp.path() + "/d";
        m_share = m_tmp.path() + "/share";
        QDir().mkpath(m_c + "/Docs/Sub");
        QDir().mkpath(m_c + "/Gone");
        QDir().mkpath(m_d);
        QDir().mkpath(m_share);
        WriteFile(m_c + "/Docs/a.txt", QByteArray(1536, 'x'));
        WriteFile(m_c + "/Docs/.hidden", "h");
        QDir().mkpath(m_c + "/Case");
        WriteFile(m_c + "/Case/Makefile", "upper");
        WriteFile(m_c + "/Case/makefile", "lower");
        // A name that is not UTF-8.
        const QByteArray raw = QFile::encodeName(m_c + "/Docs/") + QByteArray("caf\xE9.txt");
        FILE* f = ::fopen(raw.constData(), "w");
        QVERIFY(f);
        ::fclose(f);
        // A folder link back to an ancestor.
        QVERIFY(::symlink("..", QFile::encodeName(m_c + "/Docs/Sub/up").constData()) == 0);

        UseIni(m_tmp.path(), QStringLiteral("[Drives]\nC=%1\nD=%2\nZ=\\\\srv\\pub\n"
                                            "[Network]\n\\\\srv\\pub=%3\n[NAS]\nbox=\\\\srv\n")
                                 .arg(m_c, m_d, m_share));
    }

    void init()
    {
        m_b = NewBrowser(CFileBrower::kOptCheckBoxes | CFileBrower::kOptNetworkGroups | CFileBrower::kOptFiles);
        QVERIFY(m_b);
    }

    void cleanup()
    {
        delete m_b;
        m_b = nullptr;
    }

    void cleanupTestCase() { RestoreIni(); }

    void rootsShowComputerDrivesAndGroups()
    {
        const NodeIndex computer = Walk(B(), {CGetDataCommon::ComputerName()});
        QVERIFY(computer);
        NodePtr c = Node(computer);
        QCOMPARE(c->GetKind(), NodeKind::kComputer);
        QCOMPARE(c->GetShownName(), QStringLiteral("My Computer"));
        // One drive per letter of the table (the storage map's own tests cover what each is).
        QCOMPARE(c->RowCount(), 3);
        NRDriveInfo info;
        QVERIFY(m_b->GetDriveInfo("Z:\\x", &info));
        QCOMPARE(info.driveType, NRDriveInfo::kNetworkDrive);
        QCOMPARE(m_b->GetRootType(Child(computer, "Z:")), int(CGetDataCommon::kRootMappedDrive));
        QCOMPARE(m_b->GetRootType(Child(computer, "C:")), int(CGetDataCommon::kRootLocal));

        // Network group: host and share; NAS group: device and its share.
        const NodeIndex share = Walk(B(), {CGetDataCommon::NetworkName(), "srv"});
        QVERIFY(share);
        Load(B(), share);
        QVERIFY(Walk(B(), {CGetDataCommon::NetworkName(), "srv", "pub"}));
        QCOMPARE(m_b->GetRootType(share), int(CGetDataCommon::kRootNetwork));
        const NodeIndex box = Walk(B(), {CGetDataCommon::NasName(), "box"});
        QVERIFY(box);
        Load(B(), box);
        const NodeIndex nasPub = Child(box, "pub");
        QVERIFY(nasPub);
        QCOMPARE(QString::fromUtf8(B()->Model()->GetNodePath(nasPub)), QStringLiteral("NAS:\\\\box\\pub"));
        QCOMPARE(QString::fromUtf8(m_b->GetNodePathUtf8(nasPub, 0)), QStringLiteral("\\\\srv\\pub"));
    }

    void folderEntriesCarryTheirInformation()
    {
        const NodeIndex docs = listedOnC({"Docs"});
        NodePtr a = Node(Child(docs, "a.txt"));
        QVERIFY(a);
        QCOMPARE(a->GetSize(), qint64(1536));
        QVERIFY(a->GetModified().isValid());
        NodePtr hidden = Node(Child(docs, ".hidden"));
        QVERIFY(hidden && hidden->IsHidden());
        NodePtr sub = Node(Child(docs, "Sub"));
        QVERIFY(sub && sub->IsDir());
        // Paths and finding nodes by them are followed through the backup page's go-to.
    }

    void linkLoopIsShownButNotEntered()
    {
        const NodeIndex up = Child(listedOnC({"Docs", "Sub"}), "up");
        QVERIFY(up);
        NodePtr u = Node(up);
        QVERIFY(!u->MayHaveChildren());
        QSignalSpy done(B()->GetDataSource().data(), &CGetDataCommon::DoLoadFinished);
        Load(B(), up);
        QCOMPARE(done.count(), 1);
        QCOMPARE(uint32_t(done.at(0).at(1).toInt()), CGetDataCommon::kErrLinkLoop);
        QCOMPARE(u->RowCount(), 0);
    }

    void undecodableNameIsSelectedWithoutLoss()
    {
        const NodeIndex docs = listedOnC({"Docs"});
        const QString name = CNameCodec::DecodeName(QByteArray("caf\xE9.txt"));
        const NodeIndex odd = Child(docs, name);
        QVERIFY(odd);
        QVERIFY(m_b->SetNodeCheckState(odd, Qt::Checked));
        const CFilterBlock parsed = Selection(m_b);
        QCOMPARE(parsed.Count(), 1);
        // The exported path leads back to the very bytes on disk.
        QByteArray local;
        QCOMPARE(CStorageMap::Current()->ToLocal(parsed.Entries().at(0).path, &local), 0u);
        QCOMPARE(local, QFile::encodeName(m_c) + "/Docs/caf\xE9.txt");
        QCOMPARE(::access(local.constData(), F_OK), 0);
    }

    void vanishedFolderEndsWithClearCode()
    {
        const NodeIndex gone = Reach(B(), {CGetDataCommon::ComputerName(), "C:", "Gone"});
        QVERIFY(gone);
        QVERIFY(QDir(m_c + "/Gone").removeRecursively());
        QSignalSpy done(B()->GetDataSource().data(), &CGetDataCommon::DoLoadFinished);
        Load(B(), gone);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).value<NodeIndex>(), gone);
        const uint32_t err = uint32_t(done.at(0).at(1).toInt());
        QVERIFY(NRResult::Failed(err));
        QCOMPARE(NRResult::ErrorNumber(err), 3u);
        NodePtr g = Node(gone);
        QVERIFY(g->InitFinish());
        QVERIFY(!g->MayHaveChildren());
        QDir().mkpath(m_c + "/Gone");
    }

    void appliedBlockIsHeardButIsNoUserChange()
    {
        const NodeIndex docs = Reach(B(), {CGetDataCommon::ComputerName(), "C:", "Docs"});
        // Ticks reach the page as has-selection messages (the backup page's tests follow them);
        // applying a block is a change the page hears of too, but not one the user made.
        QVERIFY(m_b->SetNodeCheckState(docs, Qt::Checked));
        void* block = nullptr;
        uint32_t size = 0;
        QVERIFY(m_b->GetFilter(&block, &size, nullptr));
        QSignalSpy spy(B(), &CFileBrower::DoTreeHasSelect);
        m_b->ClearModified(false);
        QVERIFY(m_b->SetFilter(nullptr, 0));
        QVERIFY(!m_b->HasSelection());
        QVERIFY(m_b->SetFilter(block, size));
        QVERIFY(m_b->HasSelection());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.last().at(0).toBool(), true);
        QVERIFY(!m_b->IsModified()); // the page's own selection is not a user change
        QVERIFY(m_b->FreeFilter(block));
        QVERIFY(!m_b->FreeFilter(block)); // not twice
    }

    // On this machine "Makefile" and "makefile" are two files: two rows, two decisions.
    void namesDifferingOnlyInCaseAreTwoEntries()
    {
        const NodeIndex dir = listedOnC({"Case"});
        const NodeIndex upper = Child(dir, "Makefile"), lower = Child(dir, "makefile");
        QVERIFY(upper && lower && upper != lower && Node(dir)->RowCount() == 2);
        QVERIFY(m_b->SetNodeCheckState(upper, Qt::Checked));
        QCOMPARE(B()->Model()->CheckState(lower), quint32(Qt::Unchecked));
        QCOMPARE(Selection(m_b).IncludedPaths(), QStringList({"C:\\Case\\Makefile"}));
    }
};

QTEST_MAIN(TestLocalSource)
#include "tst_localsource.moc"
