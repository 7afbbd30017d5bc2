#include "CFloderReader.h"
#include "CJSONBuf.h"
#include "CUIManager.h"
#include "CUILogic.h"
#include "IFolderTree.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

class TestFolderTreeService : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString ini;
    QString json;
    QString share;

    void write(const QString& path, const QByteArray& text)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        ini = tmp.filePath(QStringLiteral("default.ini"));
        json = tmp.filePath(QStringLiteral("FolderTree.json"));
        share = tmp.filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkpath(share));
        QVERIFY(QDir().mkpath(tmp.filePath(QStringLiteral("c"))));
        write(ini, QStringLiteral("[Drives]\nD=%1\nC=%2\nE=%1/missing\n[Network]\n\\\\srv\\data=%3\n"
                                          "\\\\srv\\data|user=alice\n\\\\srv\\data|password=secret\n")
                       .arg(tmp.path(), tmp.filePath(QStringLiteral("c")), share).toUtf8());
        QByteArray groups = "{\"Groups\":[";
        for (int g = 0; g < 12; ++g) {
            groups += QStringLiteral("%1{\"Name\":\"Group %2\",\"PCs\":[").arg(g ? "," : "").arg(g).toUtf8();
            for (int p = 0; p < 25; ++p)
                groups += QStringLiteral("%1\"pc-%2-%3\"").arg(p ? "," : "").arg(g).arg(p).toUtf8();
            groups += "]}";
        }
        groups += "],\"Libraries\":[{\"Name\":\"Docs\",\"Nodes\":[\"C:\\\\a\\\\Reports\",\"D:\\\\b\"]},"
                  "{\"Name\":7},\"junk\"],\"EventPageSize\":40}";
        write(json, groups);
    }

    void queryInterface()
    {
        CUILogic logic(ini, json);
        void* out = &logic;
        QVERIFY((logic.QueryInterface(3, &out) & 0xFFF) != 0);
        QVERIFY(!out);
        QVERIFY((logic.QueryInterface(10, nullptr) & 0xFFF) != 0);
        QCOMPARE(logic.QueryInterface(10, &out), 0u);
        QVERIFY(out);
        static_cast<IFolderTree*>(out)->Release();

        // The UI manager hands out the process's UI logic.
        IUILogic* host = CUIManager::Instance()->GetUILogic();
        QVERIFY(host);
        QCOMPARE(host, CUIManager::Instance()->GetUILogic());
        QCOMPARE(host->QueryInterface(10, &out), 0u);
        static_cast<IFolderTree*>(out)->Release();
    }

    void driveLetters()
    {
        CUILogic logic(ini, json);
        CFloderReader reader(&logic, nullptr, 2);
        NRDriveRecord* drives = nullptr;
        int n = 0;
        QCOMPARE(reader.GetPCDriverLetter(&drives, &n), 0u);
        QCOMPARE(n, 3);
        QCOMPARE(NRFolderTreeRecords::DriveName(drives[0]), std::u16string(u"C:"));
        QCOMPARE(NRFolderTreeRecords::DriveName(drives[2]), std::u16string(u"E:"));
        const QStorageInfo storage(tmp.path());
        QCOMPARE(NRFolderTreeRecords::DriveTotal(drives[1]), uint64_t(storage.bytesTotal()));
        QVERIFY(NRFolderTreeRecords::DriveFree(drives[1]) <= NRFolderTreeRecords::DriveTotal(drives[1]));
        QCOMPARE(NRFolderTreeRecords::DriveType(drives[1]), NRFolderTreeRecords::kDriveFixed);
        // A letter whose directory is gone is marked to be skipped, its free size unknown.
        QCOMPARE(NRFolderTreeRecords::DriveType(drives[2]), NRFolderTreeRecords::kDriveSkip);
        QCOMPARE(NRFolderTreeRecords::DriveFree(drives[2]), NRFolderTreeRecords::kUnknownSize);
        CFloderReader::Free(drives);
    }

    void groupsPCsAndLibraries()
    {
        CUILogic logic(ini, json);
        CFloderReader reader(&logic, nullptr, 2);
        NRNameRecord* names = nullptr;
        int n = 0;
        // 12 groups do not fit the first room of 10: the service says "too small" and the reader grows.
        QCOMPARE(reader.GetGroupInfo(&names, &n), 0u);
        QCOMPARE(n, 12);
        QCOMPARE(NRFolderTreeRecords::Name(names[11]), std::u16string(u"Group 11"));
        CFloderReader::Free(names);

        n = 0;
        QCOMPARE(reader.GetGroupPCInfo("GROUP 3", &names, &n), 0u);
        QCOMPARE(n, 25);
        QCOMPARE(NRFolderTreeRecords::Name(names[24]), std::u16string(u"pc-3-24"));
        CFloderReader::Free(names);
        QVERIFY((reader.GetGroupPCInfo("nobody", &names, &n) & 0xFFF) != 0);

        NRLibRecord* libs = nullptr;
        n = 0;
        QCOMPARE(reader.GetLibInfo(&libs, &n), 0u);
        QCOMPARE(n, 1); // entries of the wrong shape are left out
        QCOMPARE(NRFolderTreeRecords::LibPath(libs[0]), std::u16string(u"Docs"));
        CFloderReader::Free(libs);
        n = 0;
        QCOMPARE(reader.GetLibNodeInfo(u"docs", &libs, &n), 0u);
        QCOMPARE(n, 2);
        QCOMPARE(NRFolderTreeRecords::LibName(libs[0]), std::u16string(u"Reports"));
        QCOMPARE(NRFolderTreeRecords::LibPath(libs[1]), std::u16string(u"D:\\b"));
        QCOMPARE(NRFolderTreeRecords::LibKind(libs[1]), NRFolderTreeRecords::kLibNode);
        CFloderReader::Free(libs);
    }

    void mappedPathsAndDirectories()
    {
        CUILogic logic(ini, json);
        CFloderReader reader(&logic, nullptr, 2);
        char16_t out[CFloderReader::kMapPathChars];
        QCOMPARE(reader.GetNetMapPath(u"\\\\SRV\\data\\x\\y", out), 0u);
        QCOMPARE(QString::fromUtf16(out), share + QStringLiteral("/x/y"));

        QCOMPARE(reader.CreateNewDir("\\\\srv\\data\\new\\déeper"), 0u);
        QVERIFY(QFileInfo(share + QString::fromUtf8("/new/déeper")).isDir());
        write(share + QStringLiteral("/file"), "x");
        // The paths the mapping refuses are proved against the host's folder check; here only
        // what is particular to making a folder: something else in the way.
        QVERIFY((reader.CreateNewDir("\\\\srv\\data\\file\\sub") & 0xFFF) != 0);
    }

    void accountsAreKeptAcrossServices()
    {
        CUILogic logic(ini, json);
        char* user = nullptr;
        char* password = nullptr;
        {
            CFloderReader reader(&logic, nullptr, 2);
            // From the configuration until something else is handed over.
            QCOMPARE(reader.GetNetAcount("\\\\srv\\data\\sub", &user, &password), 0u);
            QCOMPARE(QByteArray(user), QByteArray("alice"));
            QCOMPARE(QByteArray(password), QByteArray("secret"));
            CFloderReader::Free(user);
            CFloderReader::Free(password);
            QCOMPARE(reader.SetNetAcount("\\\\SRV\\Data", "bob", "pässword"), 0u);
            QVERIFY((reader.SetNetAcount("C:\\x", "bob", "pw") & 0xFFF) != 0);
            QCOMPARE(reader.SetNetPCAccout("pc-1", "admin"), 0u);
        }
        CFloderReader later(&logic, nullptr, 2);
        QCOMPARE(later.GetNetAcount("\\\\srv\\data", &user, &password), 0u);
        QCOMPARE(QByteArray(user), QByteArray("bob"));
        QCOMPARE(QString::fromUtf8(password), QString::fromUtf8("pässword"));
        CFloderReader::Free(user);
        CFloderReader::Free(password);
        QCOMPARE(logic.PCAccount(QStringLiteral("PC-1")), QStringLiteral("admin"));

        // A password longer than the reader's room is refused, not cut.
        QCOMPARE(later.SetNetAcount("\\\\srv\\data", "bob", QByteArray(300, 'p').constData()), 0u);
        QVERIFY((later.GetNetAcount("\\\\srv\\data", &user, &password) & 0xFFF) != 0);
        QCOMPARE(QByteArray(password), QByteArray());
        CFloderReader::Free(user);
        CFloderReader::Free(password);
        QThreadPool::globalInstance()->waitForDone();
    }

    void eventManagerPagesItsPCList()
    {
        CUILogic logic(ini, json);
        CFloderReader reader(&logic, nullptr, 2);
        unsigned id = 0;
        QCOMPARE(reader.GetEventId(&id), 0u);
        QVERIFY(id != 0);
        QSet<QString> names;
        int start = 0;
        bool more = false;
        QCOMPARE(reader.GetPCData(id, &start, &names, &more), 0u);
        QVERIFY(more && start == 40); // pages of the configured size
        QCOMPARE(reader.CollectPCNames(id, &names), 0u);
        QCOMPARE(names.size(), 300);
        QVERIFY(names.contains(QStringLiteral("PC-11-24")));

        QVERIFY((reader.GetPCData(id + 1000, &start, &names, &more) & 0xFFF) != 0);
        QVERIFY(!more);
        QThreadPool::globalInstance()->waitForDone();
    }

    void badRequestsAreRefused()
    {
        CUILogic logic(ini, json);
        void* out = nullptr;
        QCOMPARE(logic.QueryInterface(10, &out), 0u);
        IFolderTree* tree = static_cast<IFolderTree*>(out);
        const QStringList requests = {
            QStringLiteral("{\"EventMgrEventID\":1,\"EventMgrGetDataType\":2,\"EventMgrPCStartIndex\":-1}"),
            QStringLiteral("{\"EventMgrEventID\":1,\"EventMgrGetDataType\":3,\"EventMgrPCStartIndex\":0}"),
            QStringLiteral("{\"EventMgrEventID\":1"),
        };
        for (const QString& r : requests) {
            CJSONBuf* request = new CJSONBuf;
            request->SetString(reinterpret_cast<const char16_t*>(r.utf16()));
            IJSONBuf* reply = nullptr;
            QVERIFY2((tree->JSONRequest(request, &reply, 1000) & 0xFFF) != 0, qPrintable(r));
            QVERIFY(!reply);
            request->Release();
        }
        int count = 5;
        QVERIFY((tree->GetGroupInfo(nullptr, &count, 1000) & 0xFFF) != 0);
        tree->Release();
    }
};

QTEST_GUILESS_MAIN(TestFolderTreeService)
#include "tst_foldertreeservice.moc"
