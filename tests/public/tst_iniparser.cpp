#include "CKWIniParser.h"
#include "CUIPublic.h"

#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

} // namespace

class TestIniParser : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void missingFileReadsEmptyAndSettersCreateIt()
    {
        const QString file = path("missing.ini");
        CKWIniParser ini(file);
        const QString g = QStringLiteral("Public");
        int w = -7, h = -7, x = -7;
        QVERIFY(!ini.GetBool(QStringLiteral("IsWinPE"), g));
        QCOMPARE(ini.GetString(QStringLiteral("Version"), g), QString());
        QCOMPARE(ini.GetStringList(QStringLiteral("CloudSortRule"), g), QStringList());
        QCOMPARE(ini.GetSize(QStringLiteral("MainWndSize"), &w, &h, g), -1);
        QCOMPARE(ini.GetRect(QStringLiteral("Rect"), &x, &x, &w, &h, g), -1);
        QCOMPARE(w, -7); // outputs untouched on failure
        QVERIFY(!ini.HasGroup(g));
        QVERIFY(!ini.HasKey(QStringLiteral("IsWinPE"), g));
        QCOMPARE(ini.ChildKeys(g), QStringList());
        QVERIFY(!QFile::exists(file));

        QVERIFY(ini.SetBool(QStringLiteral("IsFirst"), true, QStringLiteral("RunInfo")));
        QVERIFY(QFile::exists(file)); // flushed at once
        QVERIFY(ini.GetBool(QStringLiteral("IsFirst"), QStringLiteral("RunInfo")));
        QVERIFY(!ini.GetBool(QString(), QStringLiteral("RunInfo")));
        QVERIFY(!ini.GetBool(QStringLiteral("IsFirst"), QString()));
    }

    void readsHandWrittenValues()
    {
        const QString file = path("read.ini");
        writeFile(file, "[Public]\n"
                        "MainWndSize=1132,732\n"
                        "Spaced=800 600\n"
                        "Stored=@Size(10 20)\n"
                        "Negative=-1,5\n"
                        "NotASize=wide,tall\n"
                        "Rect=@Rect(1 2 30 40)\n"
                        "RectList=5,6,70,80\n"
                        "IsWinPE=true\n"
                        "Off=false\n"
                        "productName=Ulvex Backup \xc3\x9c\n"
                        "[SupportCloud]\n"
                        "CloudNodeType=a,b,c\n"
                        "Single=x\n"
                        "Empty=\n");
        CKWIniParser ini(file);
        const QString p = QStringLiteral("Public");
        int w = 0, h = 0, x = 0, y = 0;
        // Sizes as "w,h", "w h" and the stored form; an invalid size is no size.
        const QList<QPair<const char*, QSize>> sizes = {{"MainWndSize", QSize(1132, 732)}, {"Spaced", QSize(800, 600)},
                                                        {"Stored", QSize(10, 20)}, {"Negative", QSize()}, {"NotASize", QSize()}};
        for (const auto& size : sizes) {
            const int r = ini.GetSize(QLatin1String(size.first), &w, &h, p);
            QCOMPARE(r == 0 ? QSize(w, h) : QSize(), size.second);
        }
        QCOMPARE(ini.GetRect(QStringLiteral("Rect"), &x, &y, &w, &h, p), 0);
        QCOMPARE(QRect(x, y, w, h), QRect(1, 2, 30, 40));
        QCOMPARE(ini.GetRect(QStringLiteral("RectList"), &x, &y, &w, &h, p), 0);
        QCOMPARE(QRect(x, y, w, h), QRect(5, 6, 70, 80));
        QCOMPARE(ini.GetRect(QStringLiteral("MainWndSize"), &x, &y, &w, &h, p), -1);

        QVERIFY(ini.GetBool(QStringLiteral("IsWinPE"), p));
        QVERIFY(!ini.GetBool(QStringLiteral("Off"), p));
        QCOMPARE(ini.GetString(QStringLiteral("productName"), p), QStringLiteral("Ulvex Backup \u00dc"));

        const QString c = QStringLiteral("SupportCloud");
        QCOMPARE(ini.GetStringList(QStringLiteral("CloudNodeType"), c), QStringList({"a", "b", "c"}));
        QCOMPARE(ini.GetString(QStringLiteral("CloudNodeType"), c), QStringLiteral("a,b,c"));
        QCOMPARE(ini.GetStringList(QStringLiteral("Single"), c), QStringList({"x"}));
        QCOMPARE(ini.GetStringList(QStringLiteral("Empty"), c), QStringList());
        QCOMPARE(ini.ChildKeys(c), QStringList({"CloudNodeType", "Empty", "Single"}));
    }

    void intListIsWrittenWithATrailingSeparator()
    {
        const QString file = path("list.ini");
        CKWIniParser ini(file);
        const int values[] = {1, -2, 30};
        QVERIFY(ini.SetIntList(QStringLiteral("Widths"), values, 3, QLatin1Char(';'), QStringLiteral("Columns")));
        QVERIFY(ini.SetIntList(QStringLiteral("None"), values, 0, QLatin1Char(','), QStringLiteral("Columns")));
        QVERIFY(ini.SetInt(QStringLiteral("Count"), 3, QStringLiteral("Columns")));
        QCOMPARE(ini.GetString(QStringLiteral("None"), QStringLiteral("Columns")), QString());

        // Another reader of the file sees the values at once.
        CKWIniParser other(file);
        QCOMPARE(other.GetString(QStringLiteral("Widths"), QStringLiteral("Columns")), QStringLiteral("1;-2;30;"));
        QCOMPARE(other.GetInt(QStringLiteral("Count"), QStringLiteral("Columns")), 3);
    }

    void additionsFileIsReopenedWhenItVanishes()
    {
        CUIPublic* pub = CUIPublic::Instance();
        pub->SetConfigPathsForTest(path("ui.ini"), path("add.ini"), path("default.ini"));

        // The additions file is re-opened when it has vanished: nothing stale is served.
        CKWIniParser* add = pub->GetUIConfigAdd();
        QVERIFY(add->SetBool(QStringLiteral("NoFirstFileBackup"), true, QStringLiteral("Boot")));
        QVERIFY(pub->GetUIConfigAdd()->GetBool(QStringLiteral("NoFirstFileBackup"), QStringLiteral("Boot")));
        QVERIFY(QFile::remove(path("add.ini")));
        QCOMPARE(pub->GetUIConfigAdd(), add);
        QVERIFY(!add->HasKey(QStringLiteral("NoFirstFileBackup"), QStringLiteral("Boot")));
    }

    void browserEnvironmentAnswer()
    {
        CUIPublic* pub = CUIPublic::Instance();
        pub->SetConfigPathsForTest(path("env-ui.ini"), path("env-add.ini"), path("env-default.ini"));
        QCOMPARE(pub->BrowserEnvAnswer(), 4u); // no UI configuration
        writeFile(path("env-ui.ini"), "[Public]\nIsWinPE=false\n");
        pub->GetUIConfig()->Reload();
        // The options component (loaded from the working directory's default.ini) answers a
        // desktop session.
        QCOMPARE(pub->BrowserEnvAnswer(), 0u);
        // Without the component the installation's own default.ini decides, 2 when silent.
        qputenv("NR_HIDDEN_LIBRARIES", "NROptions");
        QCOMPARE(pub->BrowserEnvAnswer(), 2u);
        writeFile(path("env-default.ini"), "[Public]\nEnvAnswer=6\n");
        pub->GetDefaultIni()->Reload();
        QCOMPARE(pub->BrowserEnvAnswer(), 6u);
        qunsetenv("NR_HIDDEN_LIBRARIES");
        QVERIFY(pub->GetUIConfig()->SetBool(QStringLiteral("IsWinPE"), true, QStringLiteral("Public")));
        QCOMPARE(pub->BrowserEnvAnswer(), 1u);
    }

    void shellProcessIsKilledOnlyWhenSafe()
    {
        CUIPublic* pub = CUIPublic::Instance();
        pub->SetShellLaunchFlag(5);
        QCOMPARE(pub->ShellLaunchFlag(), 1);
        for (qint64 pid : {qint64(0), qint64(-1), qint64(getpid()), qint64(1) << 40}) {
            pub->SetShellProcessId(pid);
            QVERIFY(!pub->TerminateShellProcess());
        }

        // Ending a real sender, and forgetting its id, is the launch test's part.
        pub->ResetShellStateForTest();
    }
};

QTEST_GUILESS_MAIN(TestIniParser)
#include "tst_iniparser.moc"
