#include "CStoragePath.h"

#include <QtTest>

#include <string>

// Runs a predicate in its narrow, wide and QString forms on the same ASCII/UTF-8 text.
#define ALL_FORMS(fn, text, narrowExpected, wideExpected)                                           \
    do {                                                                                            \
        const QString q = QString::fromUtf8(text);                                                  \
        const std::u16string w = reinterpret_cast<const char16_t*>(q.utf16());                      \
        QCOMPARE(CStoragePath::fn(static_cast<const char*>(text)), narrowExpected);                 \
        QCOMPARE(CStoragePath::fn(w.c_str()), wideExpected);                                        \
        QCOMPARE(CStoragePath::fn(q), wideExpected);                                                \
    } while (0)
#define SAME_IN_ALL(fn, text, expected) ALL_FORMS(fn, text, expected, expected)

namespace {
QStringList g_lookups;
bool fakeResolver(const QString& host)
{
    g_lookups << host;
    return host == QLatin1String("nas.example");
}
} // namespace

class TestStoragePath : public QObject
{
    Q_OBJECT

private slots:
    void nullAndEmptyAreNeverMembers()
    {
        const char* n = nullptr;
        const char16_t* w = nullptr;
        QVERIFY(!CStoragePath::IsDrivePath(n) && !CStoragePath::IsDrivePath(w) && !CStoragePath::IsDrivePath(QString()));
        QVERIFY(!CStoragePath::IsTapePath(n) && !CStoragePath::IsUNCPath(w) && !CStoragePath::IsNASPath(QString()));
        QVERIFY(!CStoragePath::IsCloudPath(n) && !CStoragePath::IsOtherCloudPath(w) && !CStoragePath::IsSecureLocation(QString()));
        QVERIFY(!CStoragePath::IsSecurePartitionName(n) && !CStoragePath::IsValidTargetPath(QString()));
        QVERIFY(!CStoragePath::HasNoForbiddenPathChars(n) && !CStoragePath::HasNoInvalidFileNameChars(QString()));
        QVERIFY(!CStoragePath::IsReachableUNCServer(w) && !CStoragePath::IsReachableUNCServer(QString()));
        QVERIFY(CStoragePath::UNCRoot(w, false).isEmpty());
        SAME_IN_ALL(IsDrivePath, "", false);
        SAME_IN_ALL(IsUNCPath, "", false);
        SAME_IN_ALL(HasNoForbiddenNameChars, "", true);
    }

    void drivePaths()
    {
        SAME_IN_ALL(IsDrivePath, "C:", true);
        SAME_IN_ALL(IsDrivePath, "z:\\Users", true);
        SAME_IN_ALL(IsDrivePath, "1:", false);
        SAME_IN_ALL(IsDrivePath, "C", false);
        SAME_IN_ALL(IsDrivePath, "\xc3\xa9:", false); // a letter, but not an ASCII one
    }

    void tapeAndUncPaths()
    {
        int exact = -1;
        QVERIFY(CStoragePath::IsTapePath("\\\\.\\Tape0", &exact));
        QCOMPARE(exact, 1);
        exact = -1;
        QVERIFY(CStoragePath::IsTapePath(u"\\\\.\\Tape12", &exact));
        QCOMPARE(exact, -1);
        SAME_IN_ALL(IsTapePath, "\\\\.\\tape0", false);
        SAME_IN_ALL(IsUNCPath, "\\\\.\\Tape0", false);

        SAME_IN_ALL(IsUNCPath, "\\\\a", true);
        SAME_IN_ALL(IsUNCPath, "\\\\", false);
        SAME_IN_ALL(IsUNCPath, "\\a\\b", false);
        SAME_IN_ALL(IsUNCPath, "//server/share", false);
    }

    void nasAndFtpPrefixes()
    {
        SAME_IN_ALL(IsNASPath, "nas://dev/share", true);
        SAME_IN_ALL(IsNASPath, "NAS:\\\\dev\\share", true);
        ALL_FORMS(IsNASPath, "NAS:dev", true, false);
        SAME_IN_ALL(IsNASPath, "NA", false);

        SAME_IN_ALL(IsFtpUrl, "FTP://host/dir", true);
        SAME_IN_ALL(IsFtpUrl, "ftp:/host", false);
        SAME_IN_ALL(IsFtpLocation, "Ftp\\site", true);
        SAME_IN_ALL(IsFtpLocation, "ftp\\site", false);
    }

    void cloudFamilies()
    {
        SAME_IN_ALL(IsCloudPath, "Cloud\\Ulvex", true);
        SAME_IN_ALL(IsOwnCloudPath, "Cloud\\Ulvex", true);
        SAME_IN_ALL(IsOtherCloudPath, "Cloud\\Ulvex", false);
        SAME_IN_ALL(IsOtherCloudPath, "Cloud\\Dropbox\\x", true);
        SAME_IN_ALL(IsCloudPath, "cloud\\Dropbox", false);
        SAME_IN_ALL(IsOwnCloudPath, "Cloud\\ulvex", false);
        // The product's display name counts as its own cloud in the wide forms only.
        ALL_FORMS(IsOwnCloudPath, "Ulvex Cloud", false, true);
        SAME_IN_ALL(IsOtherCloudPath, "Ulvex Cloud", false);
    }

    void secureLocations()
    {
        SAME_IN_ALL(IsSecureLocation, "NRSecure\\Zone", true);
        SAME_IN_ALL(IsSecureLocation, "\\\\.\\MBR0", true);
        SAME_IN_ALL(IsSecureLocation, "\\\\.\\GPT1", true);
        SAME_IN_ALL(IsSecureLocation, "\\\\.\\mbr0", false);
        SAME_IN_ALL(IsSecureLocation, "nrsecure\\Zone", false);
        SAME_IN_ALL(IsSecurePartitionName, "Security Partition", true);
        SAME_IN_ALL(IsSecurePartitionName, "Security Partition ", false);
        SAME_IN_ALL(IsSecurePartitionName, "security partition", false);
    }

    void validTargets()
    {
        for (const char* ok : {"D:\\Backup", "\\\\srv\\share", "\\\\.\\Tape0", "Cloud\\Box", "Security Partition"}) {
            QVERIFY2(CStoragePath::IsValidTargetPath(ok), ok);
            QVERIFY2(CStoragePath::IsValidTargetPath(QString::fromUtf8(ok)), ok);
        }
        for (const char* bad : {"NAS://dev/share", "Ftp\\site", "relative\\dir", "NRSecure\\Zone", ""})
            QVERIFY2(!CStoragePath::IsValidTargetPath(bad), bad);
    }

    void characterSets()
    {
        for (char c : std::string("\"*?<>|"))
            QVERIFY(!CStoragePath::HasNoForbiddenPathChars((std::string("a") + c + "b").c_str()));
        SAME_IN_ALL(HasNoForbiddenPathChars, "C:\\dir\\f.txt", true);
        for (char c : std::string(":\\/<>|"))
            QVERIFY(!CStoragePath::HasNoForbiddenNameChars(QString::fromLatin1(&c, 1)));
        SAME_IN_ALL(HasNoForbiddenNameChars, "name*?\".txt", true);
        for (char c : std::string("\t\":*\\/?<>|")) {
            const std::u16string w = std::u16string(u"x") + static_cast<char16_t>(c);
            QVERIFY(!CStoragePath::HasNoInvalidFileNameChars(w.c_str()));
        }
        SAME_IN_ALL(HasNoInvalidFileNameChars, "Report (final) n\xc3\xa4me.docx", true);
    }

    void stripInvalidFileNameChars()
    {
        QCOMPARE(CStoragePath::StripInvalidFileNameChars(QStringLiteral("Task:1")), QStringLiteral("Task1"));
        QCOMPARE(CStoragePath::StripInvalidFileNameChars(QStringLiteral("\t\":*\\/?<>|")), QString());
        QCOMPARE(CStoragePath::StripInvalidFileNameChars(QStringLiteral("n\u00e4me \U0001F600")),
                 QStringLiteral("n\u00e4me \U0001F600"));
    }

    void uncRoot_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("share");
        QTest::addColumn<QString>("server");
        QTest::newRow("share and folder") << "\\\\srv\\pub\\dir\\sub" << "\\\\srv\\pub" << "\\\\srv";
        QTest::newRow("share last") << "\\\\srv\\pub" << "\\\\srv\\pub" << "\\\\srv";
        QTest::newRow("server only") << "\\\\srv" << "\\\\srv" << "\\\\srv";
        QTest::newRow("trailing backslash") << "\\\\srv\\" << "\\\\srv\\" << "\\\\srv";
        QTest::newRow("device") << "\\\\.\\Tape0" << QString() << QString();
        QTest::newRow("drive") << "C:\\x" << QString() << QString();
        QTest::newRow("too short") << "\\\\" << QString() << QString();
    }
    void uncRoot()
    {
        QFETCH(QString, path);
        QFETCH(QString, share);
        QFETCH(QString, server);
        QCOMPARE(CStoragePath::UNCRoot(path, false), share);
        QCOMPARE(CStoragePath::UNCRoot(path, true), server);
        QCOMPARE(CStoragePath::UNCRoot(reinterpret_cast<const char16_t*>(path.utf16()), false), share);
    }

    void reachableServerDecidesWithoutLookupWhereItCan()
    {
        CStoragePath::SetResolverForTest(&fakeResolver);
        g_lookups.clear();
        QVERIFY(CStoragePath::IsReachableUNCServer("\\\\192.168.1.10\\share"));
        QVERIFY(CStoragePath::IsReachableUNCServer(u"\\\\0.0.0.255\\share"));
        QVERIFY(!CStoragePath::IsReachableUNCServer(QStringLiteral("\\\\1.2.3.256\\share")));
        QVERIFY(!CStoragePath::IsReachableUNCServer("\\\\1.2.3.99999999999999999999"));
        QVERIFY(CStoragePath::IsReachableUNCServer("\\\\fileserver\\share"));
        QVERIFY(!CStoragePath::IsReachableUNCServer("\\\\\\share"));
        QVERIFY(!CStoragePath::IsReachableUNCServer("\\\\.\\Tape0"));
        QVERIFY(!CStoragePath::IsReachableUNCServer("\\/server"));
        QVERIFY(!CStoragePath::IsReachableUNCServer("\\\\"));
        QCOMPARE(g_lookups, QStringList());

        // Dotted names that are not four numbers go to the resolver.
        QVERIFY(CStoragePath::IsReachableUNCServer("\\\\nas.example\\share\\dir"));
        QVERIFY(!CStoragePath::IsReachableUNCServer(u"\\\\other.example"));
        QVERIFY(!CStoragePath::IsReachableUNCServer(QStringLiteral("\\\\1.2.3\\s")));
        QCOMPARE(g_lookups, QStringList({"nas.example", "other.example", "1.2.3"}));
        CStoragePath::SetResolverForTest(nullptr);
    }

    void realResolverUsesTheHostsFile()
    {
        QVERIFY(CStoragePath::ResolvesToIPv4(QStringLiteral("localhost")));
        QVERIFY(CStoragePath::ResolvesToIPv4(QStringLiteral("127.0.0.1")));
        QVERIFY(!CStoragePath::ResolvesToIPv4(QString()));
    }
};

QTEST_GUILESS_MAIN(TestStoragePath)
#include "tst_storagepath.moc"
