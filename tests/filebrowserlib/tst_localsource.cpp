// A browser over a temporary drive table: the computer with its drives, folders and files with
// their information, links, undecodable names, vanished folders, the network and NAS groups,
// credentials, the path expansion walk and the has-selection signal.
#include "FbTestUtil.h"

#include "CFilterBlock.h"
#include "CNameCodec.h"
#include "CNetLocationRecord.h"

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

    NodeIndex driveC() const { return Walk(B(), {CGetDataCommon::ComputerName(), QStringLiteral("C:")}); }
    // C:\Docs, listed.
    NodeIndex loadDocs() const
    {
        Load(B(), driveC());
        const NodeIndex docs = Child(driveC(), "Docs");
        Load(B(), docs);
        return docs;
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
        QDir().mkpath(m_share + "/Projects");
        WriteFile(m_c + "/Docs/a.txt", QByteArray(1536, 'x'));
        WriteFile(m_c + "/Docs/.hidden", "h");
        WriteFile(m_c + "/Docs/Sub/b.txt", "b");
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
                                            "[Network]\n\\\\srv\\pub=%3\n\\\\srv\\pub|user=alice\n"
                                            "\\\\srv\\pub|password=s3cret\n[NAS]\nbox=\\\\srv\n")
                                 .arg(m_c, m_d, m_share));
    }

    void init()
    {
        _CFileBrowserPara para;
        para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptNetworkGroups | CFileBrower::kOptFiles;
        m_b = IFileBrower::CreateInstance(&para, nullptr, nullptr);
        QVERIFY(m_b);
        Settle(m_b);
    }

    void cleanup()
    {
        delete m_b;
        m_b = nullptr;
    }

    void cleanupTestCase() { CStorageMap::SetIniPath(QStringLiteral("./default.ini")); CStorageMap::Reload(); }

    void rootsShowComputerDrivesAndGroups()
    {
        const NodeIndex computer = Walk(B(), {CGetDataCommon::ComputerName()});
        QVERIFY(computer);
        NodePtr c = Node(computer);
        QCOMPARE(c->GetKind(), NodeKind::kComputer);
        QCOMPARE(c->GetShownName(), QStringLiteral("My Computer"));
        QVERIFY(c->InitFinish());
        // One drive per letter of the table (the storage map's own tests cover what each is).
        QVERIFY(Child(computer, "C:") && Child(computer, "D:") && Child(computer, "Z:"));
        QCOMPARE(c->RowCount(), 3);
        NRDriveInfo info;
        QVERIFY(m_b->GetDriveInfo("Z:\\x", &info));
        QCOMPARE(info.driveType, NRDriveInfo::kNetworkDrive);
        QCOMPARE(m_b->GetRootType(Child(computer, "Z:")), int(CGetDataCommon::kRootMappedDrive));
        QCOMPARE(m_b->GetRootType(Child(computer, "C:")), int(CGetDataCommon::kRootLocal));

        // Network group: host and share; NAS group: device and its share.
        const NodeIndex net = Walk(B(), {CGetDataCommon::NetworkName()});
        const NodeIndex share = Walk(B(), {CGetDataCommon::NetworkName(), "srv"});
        QVERIFY(net && share);
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
        QCOMPARE(m_b->GetRootIdByName("My Computer"), Walk(B(), {CGetDataCommon::ComputerName()}));
    }

    void optionsDecideGroupsAndFiles()
    {
        _CFileBrowserPara para;
        para.options = CFileBrower::kOptCheckBoxes;
        QScopedPointer<IFileBrower> plain(IFileBrower::CreateInstance(&para, nullptr, nullptr));
        Settle(plain.data());
        auto* p = static_cast<CFileBrower*>(plain.data());
        QVERIFY(Walk(p, {CGetDataCommon::ComputerName()}));
        QVERIFY(!Walk(p, {CGetDataCommon::NetworkName()}));
        QVERIFY(!Walk(p, {CGetDataCommon::NasName()}));
        // Without file-level entries a folder lists its sub-folders only.
        const NodeIndex c = Walk(p, {CGetDataCommon::ComputerName(), "C:"});
        Load(p, c);
        const NodeIndex docs = Child(c, "Docs");
        Load(p, docs);
        QVERIFY(Child(docs, "Sub"));
        QVERIFY(!Child(docs, "a.txt"));
        QCOMPARE(Node(docs)->RowCount(), 1);
        QVERIFY(p->Model()->IsCheckEnabled());
    }

    void folderEntriesCarryTheirInformation()
    {
        const NodeIndex docs = loadDocs();
        NodePtr a = Node(Child(docs, "a.txt"));
        QVERIFY(a);
        QCOMPARE(a->GetSize(), qint64(1536));
        QVERIFY(a->GetModified().isValid());
        NodePtr hidden = Node(Child(docs, ".hidden"));
        QVERIFY(hidden && hidden->IsHidden());
        NodePtr sub = Node(Child(docs, "Sub"));
        QVERIFY(sub && sub->IsDir());
        QCOMPARE(QString::fromUtf8(B()->Model()->GetNodePath(sub->Id())), QStringLiteral("C:\\Docs\\Sub"));
        QCOMPARE(m_b->FindNodeByUtf8Path("c:\\docs\\sub"), sub->Id());
        QCOMPARE(m_b->FindNodeByUtf8Path("C:\\Docs\\Nope"), NodeIndex(0));
    }

    void linkLoopIsShownButNotEntered()
    {
        const NodeIndex sub = Child(loadDocs(), "Sub");
        Load(B(), sub);
        const NodeIndex up = Child(sub, "up");
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
        const NodeIndex docs = loadDocs();
        const QString name = CNameCodec::DecodeName(QByteArray("caf\xE9.txt"));
        const NodeIndex odd = Child(docs, name);
        QVERIFY(odd);
        QVERIFY(m_b->SetNodeCheckState(odd, Qt::Checked));
        void* block = nullptr;
        uint32_t size = 0, flag = 0;
        QVERIFY(m_b->GetFilter(&block, &size, &flag));
        CFilterBlock parsed;
        QCOMPARE(parsed.Parse(block, size), 0u);
        m_b->FreeFilter(block);
        QCOMPARE(parsed.Count(), 1);
        // The exported path leads back to the very bytes on disk.
        QByteArray local;
        QCOMPARE(CStorageMap::Current()->ToLocal(parsed.Entries().at(0).path, &local), 0u);
        QCOMPARE(local, QFile::encodeName(m_c) + "/Docs/caf\xE9.txt");
        QCOMPARE(::access(local.constData(), F_OK), 0);
    }

    void vanishedFolderEndsWithClearCode()
    {
        const NodeIndex c = driveC();
        Load(B(), c);
        const NodeIndex gone = Child(c, "Gone");
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

    void expandPathReportsEachFolder()
    {
        const NodeIndex computer = Walk(B(), {CGetDataCommon::ComputerName()});
        QSignalSpy done(B()->GetDataSource().data(), &CGetDataCommon::DoLoadFinished);
        QVERIFY(B()->GetDataSource()->ExpandPath(computer, {"C:", "Docs", "Sub"}));
        for (int i = 0; i < 20 && done.count() < 3; ++i) {
            Settle(m_b);
            QCoreApplication::processEvents();
        }
        QList<NodeIndex> folders;
        for (const QList<QVariant>& args : qAsConst(done))
            folders.append(args.at(0).value<NodeIndex>());
        QVERIFY(folders.contains(computer));
        QVERIFY(folders.contains(driveC()));
        QVERIFY(folders.contains(Child(driveC(), "Docs")));
        QVERIFY(Walk(B(), {CGetDataCommon::ComputerName(), "C:", "Docs", "Sub"}));
    }

    void hasSelectFollowsEveryCheckChange()
    {
        const NodeIndex c = driveC();
        Load(B(), c);
        const NodeIndex docs = Child(c, "Docs");
        QSignalSpy spy(B(), &CFileBrower::DoTreeHasSelect);
        QVERIFY(m_b->SetNodeCheckState(docs, Qt::Checked));
        QVERIFY(m_b->SetNodeCheckState(docs, Qt::Unchecked));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QCOMPARE(spy.at(1).at(0).toBool(), false);
        QVERIFY(m_b->IsModified());
        // Applying a block is a change the page hears of too.
        m_b->SetNodeCheckState(docs, Qt::Checked);
        void* block = nullptr;
        uint32_t size = 0;
        QVERIFY(m_b->GetFilter(&block, &size, nullptr));
        spy.clear();
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
        const NodeIndex c = driveC();
        Load(B(), c);
        const NodeIndex dir = Child(c, "Case");
        Load(B(), dir);
        const NodeIndex upper = Child(dir, "Makefile"), lower = Child(dir, "makefile");
        QVERIFY(upper && lower && upper != lower && Node(dir)->RowCount() == 2);
        QVERIFY(m_b->SetNodeCheckState(upper, Qt::Checked));
        QCOMPARE(B()->Model()->CheckState(lower), quint32(Qt::Unchecked));
        void* block = nullptr;
        uint32_t size = 0;
        QVERIFY(m_b->GetFilter(&block, &size, nullptr));
        CFilterBlock parsed;
        QCOMPARE(parsed.Parse(block, size), 0u);
        QCOMPARE(parsed.IncludedPaths(), QStringList({"C:\\Case\\Makefile"}));
        m_b->FreeFilter(block);
    }

    void sharesGiveCredentialsAndLocations()
    {
        // Credentials configured, and remembered for a share the table does not name.
        QString user, password;
        QVERIFY(m_b->GetShareCredentials("\\\\srv\\pub\\", &user, &password));
        QCOMPARE(password, QStringLiteral("s3cret"));
        B()->RememberCredentials("\\\\other\\x", "bob", "pw");
        QVERIFY(m_b->GetShareCredentials("\\\\OTHER\\X\\", &user, &password));
        QCOMPARE(user, QStringLiteral("bob"));

        // A checked share and a checked folder on the mapped drive: two locations.
        const NodeIndex host = Walk(B(), {CGetDataCommon::NetworkName(), "srv"});
        Load(B(), host);
        const NodeIndex pub = Child(host, "pub");
        Load(B(), pub);
        QVERIFY(m_b->SetNodeCheckState(Child(pub, "Projects"), Qt::Checked));
        uint32_t count = 0;
        const QByteArray records = m_b->GetNetworkLocations(&count);
        QCOMPARE(count, 1u);
        const QList<CNetLocationRecord> list = CNetLocationRecord::DecodeList(records.constData(), size_t(records.size()));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.at(0).location, QStringLiteral("\\\\srv\\pub"));
        QCOMPARE(list.at(0).kind, CNetLocationRecord::kKindShare);
    }
};

QTEST_MAIN(TestLocalSource)
#include "tst_localsource.moc"
