#include "CStorageMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestStorageMap : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QByteArray m_root;
    CStorageMap m_map;

    QByteArray local(const char* rel) const { return m_root + '/' + rel; }

    void write(const QString& name, const QByteArray& text)
    {
        QFile f(m_tmp.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_root = QFile::encodeName(m_tmp.path());
        for (const char* d : {"data/Projects/Alpha", "shares/pub/Docs", "shares/home", "mnt/cifs space", "nas/media/Films"})
            QVERIFY(QDir().mkpath(QString::fromUtf8(local(d))));
        // A name that is not UTF-8, reached through the codec's escape.
        QVERIFY(::mkdir(local("data/caf\xE9").constData(), 0755) == 0);

        write(QStringLiteral("default.ini"),
              "\xEF\xBB\xBF[Drives]\r\n; storage of the test machine, with a byte order mark and CRLF\r\n"
              "d = " + local("data") + "\n"
              "C=" + m_root + "\n"
              "Z=\\\\fileserver\\pub\n"
              "Y=\\\\nowhere\\gone\n"
              "Q=" + local("missing") + "\n"
              "[Network]\n"
              "\\\\fileserver\\pub=" + local("shares/pub") + "\n"
              "//fileserver/home=\"" + local("shares/home") + "\"\n"
              "\\\\nas1\\media=" + local("nas/media") + "\n"
              "\\\\orphan\\nodir|user=bob\n"
              "[NAS]\n"
              "Box=\\\\nas1\n");
        write(QStringLiteral("mounts"),
              "proc /proc proc rw 0 0\n"
              "//winhost/backup " + local("mnt/cifs\\040space") + " cifs rw,username=x 0 0\n"
              "//fileserver/pub /elsewhere cifs rw 0 0\n");
        m_map.Load(m_tmp.filePath(QStringLiteral("default.ini")), m_tmp.filePath(QStringLiteral("mounts")));
    }

    void cleanupTestCase()
    {
        // QDir cannot name what is not UTF-8, so this one goes by its bytes.
        ::rmdir(local("data/caf\xE9").constData());
    }

    void drivesAndTheirTypes()
    {
        const QList<CStorageMap::Drive> drives = m_map.Drives();
        QCOMPARE(drives.size(), 5);
        QCOMPARE(drives.first().letter, QLatin1Char('C')); // sorted by letter
        CStorageMap::Drive d;
        QVERIFY(m_map.DriveInfo(QStringLiteral("d:\\x"), &d));
        QCOMPARE(d.type, CStorageMap::kDriveFixed);
        QVERIFY(m_map.DriveInfo(QStringLiteral("Q:"), &d));
        QCOMPARE(d.type, CStorageMap::kDriveNoRoot);
        QVERIFY(m_map.DriveInfo(QStringLiteral("Z:"), &d));
        QCOMPARE(d.type, CStorageMap::kDriveMappedShare);
        QCOMPARE(d.dir, local("shares/pub"));
        QVERIFY(!m_map.DriveInfo(QStringLiteral("K:\\"), &d));
        QVERIFY(!m_map.DriveInfo(QStringLiteral("\\\\fileserver\\pub"), &d));

        QCOMPARE(m_map.TranslateMappedDrive(QStringLiteral("z:\\Docs\\a.txt")), QStringLiteral("\\\\fileserver\\pub\\Docs\\a.txt"));
        QCOMPARE(m_map.TranslateMappedDrive(QStringLiteral("Z:")), QStringLiteral("\\\\fileserver\\pub"));
        QVERIFY(m_map.TranslateMappedDrive(QStringLiteral("D:\\x")).isEmpty());

        // Without a Drives section C: is the root directory.
        CStorageMap bare;
        bare.Load(m_tmp.filePath(QStringLiteral("no-such.ini")), QString());
        QVERIFY(bare.DriveInfo(QStringLiteral("C:"), &d));
        QCOMPARE(d.dir, QByteArray("/"));
        QCOMPARE(bare.Drives().size(), 1);
        QVERIFY(bare.Shares().isEmpty());
    }

    void windowsFormsToLocal_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("drive root") << QStringLiteral("D:") << local("data");
        QTest::newRow("forward slashes, dot") << QStringLiteral("d:/Projects/./Alpha/") << local("data/Projects/Alpha");
        QTest::newRow("case folded") << QStringLiteral("D:\\PROJECTS\\alpha") << local("data/Projects/Alpha");
        QTest::newRow("missing keeps form") << QStringLiteral("D:\\New\\x") << local("data/New/x");
        QTest::newRow("undecodable name") << QStringLiteral("D:\\caf") + QChar(0xDCE9) << local("data/caf\xE9");
        QTest::newRow("unc") << QStringLiteral("\\\\FILESERVER\\Pub\\Docs") << local("shares/pub/Docs");
        QTest::newRow("unc quoted dir") << QStringLiteral("\\\\fileserver\\home") << local("shares/home");
        QTest::newRow("mapped drive") << QStringLiteral("Z:\\Docs") << local("shares/pub/Docs");
        QTest::newRow("nas url") << QStringLiteral("NAS://box/media/Films") << local("nas/media/Films");
        QTest::newRow("nas backslashes") << QStringLiteral("NAS:\\Box\\media") << local("nas/media");
        QTest::newRow("cifs mount") << QStringLiteral("\\\\winhost\\backup\\x") << local("mnt/cifs space/x");
    }

    void windowsFormsToLocal()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, expected);
        QByteArray out;
        QCOMPARE(m_map.ToLocal(path, &out), 0u);
        QCOMPARE(out, expected);
    }

    void pathsThatDoNotMap_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<uint32_t>("code");
        QTest::newRow("relative") << QStringLiteral("Projects\\x") << CStorageMap::kErrNotAPath;
        QTest::newRow("unknown drive") << QStringLiteral("K:\\x") << CStorageMap::kErrUnknownDrive;
        QTest::newRow("climbing out") << QStringLiteral("\\\\fileserver\\pub\\..\\..\\etc") << CStorageMap::kErrParentStep;
        QTest::newRow("host only") << QStringLiteral("\\\\fileserver") << CStorageMap::kErrHostOnly;
        QTest::newRow("unknown share") << QStringLiteral("\\\\fileserver\\nope") << CStorageMap::kErrUnknownShare;
        QTest::newRow("unknown host") << QStringLiteral("\\\\mars\\pub") << CStorageMap::kErrUnknownHost;
        QTest::newRow("share without dir") << QStringLiteral("\\\\orphan\\nodir") << CStorageMap::kErrUnknownHost;
        QTest::newRow("mapped to unknown share") << QStringLiteral("Y:\\a") << CStorageMap::kErrUnknownShare;
        QTest::newRow("unknown nas") << QStringLiteral("NAS://other/media") << CStorageMap::kErrUnknownNas;
        QTest::newRow("unwritable surrogate") << QStringLiteral("D:\\") + QChar(0xD800) << CStorageMap::kErrUnencodable;
    }

    void pathsThatDoNotMap()
    {
        QFETCH(QString, path);
        QFETCH(uint32_t, code);
        QByteArray out("untouched");
        QCOMPARE(m_map.ToLocal(path, &out), code);
        QCOMPARE(out, QByteArray("untouched"));
    }

    void localToWindows()
    {
        QCOMPARE(m_map.ToWindows(local("data/Projects/Alpha/")), QStringLiteral("D:\\Projects\\Alpha"));
        QCOMPARE(m_map.ToWindows(local("data")), QStringLiteral("D:"));
        QCOMPARE(m_map.ToWindows(local("data/caf\xE9")), QStringLiteral("D:\\caf") + QChar(0xDCE9));
        // The longest mapped directory wins: the share over C:, which covers the whole tree.
        QCOMPARE(m_map.ToWindows(local("shares/pub/Docs")), QStringLiteral("\\\\fileserver\\pub\\Docs"));
        QCOMPARE(m_map.ToWindows(local("other")), QStringLiteral("C:\\other"));
        QVERIFY(m_map.ToWindows("/usr").isEmpty());
        QVERIFY(m_map.ToWindows("relative").isEmpty());
    }

    void sharesAndHosts()
    {
        QCOMPARE(m_map.Hosts(), (QStringList{"fileserver", "nas1", "winhost"}));
        QCOMPARE(m_map.SharesOfHost(QStringLiteral("FILESERVER")).size(), 2);
        // The configured share wins over a mount of the same name.
        QCOMPARE(m_map.FindShare(QStringLiteral("\\\\fileserver\\pub\\"))->dir, local("shares/pub"));
        QVERIFY(m_map.FindShare(QStringLiteral("\\\\winhost\\backup"))->fromMounts);
        QCOMPARE(m_map.SharesOfNas(QStringLiteral("box")).size(), 1);

        QCOMPARE(m_map.ShareBehind(QStringLiteral("\\\\fileserver\\PUB\\Docs\\x")), QStringLiteral("\\\\fileserver\\pub\\"));
        QCOMPARE(m_map.ShareBehind(QStringLiteral("Z:\\Docs")), QStringLiteral("\\\\fileserver\\pub\\"));
        QCOMPARE(m_map.ShareBehind(QStringLiteral("NAS://Box/media/Films")), QStringLiteral("\\\\nas1\\media\\"));
        QVERIFY(m_map.ShareBehind(QStringLiteral("D:\\Projects")).isEmpty());
        QVERIFY(m_map.ShareBehind(QStringLiteral("\\\\mars\\x")).isEmpty());
        // Credentials are read through the browser by the share-login tests and the backup page.
    }

    void networkPathCheck()
    {
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("\\\\fileserver\\pub\\Docs"), false), 0u);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("\\\\fileserver"), false), 0u);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("\\\\fileserver\\pub"), true), 0u);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("Z:\\Docs"), true), 0u);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("NAS://box/media"), false), 0u);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("\\\\fileserver\\pub\\Nope"), false), CStorageMap::kErrFolderMissing);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("\\\\mars\\pub"), false), CStorageMap::kErrUnknownHost);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("\\\\fileserver\\gone"), false), CStorageMap::kErrUnknownShare);
        QCOMPARE(m_map.CheckNetworkPath(QStringLiteral("D:\\Projects"), false), CStorageMap::kErrNotAPath);
        // A share whose directory has gone (an unmounted mount point) is offline, not missing.
        CStorageMap offline;
        write(QStringLiteral("offline.ini"), "[Network]\n\\\\srv\\off=" + local("unmounted") + "\n");
        offline.Load(m_tmp.filePath(QStringLiteral("offline.ini")), QString());
        QCOMPARE(offline.CheckNetworkPath(QStringLiteral("\\\\srv\\off"), false), CStorageMap::kErrShareOffline);
        QCOMPARE(offline.CheckNetworkPath(QStringLiteral("\\\\srv"), false), CStorageMap::kErrNoHostShares);
    }

    void processWideMapFollowsTheIniPath()
    {
        CStorageMap::SetIniPath(m_tmp.filePath(QStringLiteral("default.ini")));
        CStorageMap::SetMountsPath(QString());
        QSharedPointer<const CStorageMap> a = CStorageMap::Current();
        QCOMPARE(a->Drives().size(), 5);
        QCOMPARE(CStorageMap::Current().data(), a.data());
        CStorageMap::SetIniPath(m_tmp.filePath(QStringLiteral("offline.ini")));
        QCOMPARE(CStorageMap::Current()->Drives().size(), 1);
        QCOMPARE(a->Drives().size(), 5); // a holder keeps its map
    }
};

QTEST_GUILESS_MAIN(TestStorageMap)
#include "tst_storagemap.moc"
