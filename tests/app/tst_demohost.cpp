#include "CFilterBlock.h"
#include "ImageFiles.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The demo host as a user runs it, from bin/ of the build: its command line, a stored task edited
// over a temporary drive table (the page shows the stored selection, OK writes it back to the task
// file and the selected files into an image), and a whole image restored.
class TestDemoHost : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void helpNeedsNoDisplay();
    void badOptionsAreRefused();
    void missingModuleIsReported();
    void badTaskFilesAreRefused_data();
    void badTaskFilesAreRefused();
    void failedCommitIsTheExitCodesToTell();
    void editedTaskIsWrittenIntoImage();
    void failedImageIsReported();
    void recoveryCommitsTheLoadedImage();

private:
    // Edits a stored task holding `block` on page 9 and writes the image; answers the exit code.
    int backUp(const QByteArray& block, const QString& image, QString* out);

    QTemporaryDir m_tmp;
    QByteArray m_block;
};

namespace {

// Runs bin/demohost, from bin/ unless cwd names another folder; -1 when it does not end normally.
int run(const QStringList& args, QString* out, QString* err, const QString& cwd = QString(),
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    const QString bin = QCoreApplication::applicationDirPath();
    QProcess p;
    p.setWorkingDirectory(cwd.isEmpty() ? bin : cwd);
    p.setProcessEnvironment(env);
    p.start(QDir(bin).filePath(QStringLiteral("demohost")), args);
    if (!p.waitForFinished(90000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    *out = QString::fromUtf8(p.readAllStandardOutput());
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

int TestDemoHost::backUp(const QByteArray& block, const QString& image, QString* out)
{
    const QByteArray task = "{\"guid\": \"" + QByteArray(16, '\x5A').toBase64() + "\", \"filter\": \"" + block.toBase64() + "\"}";
    if (!WriteTestFile(m_tmp.filePath("task.json"), task))
        return -1;
    QString err;
    const int rc = run({"--ini", m_tmp.filePath("default.ini"), "--page", "9", "--task", m_tmp.filePath("task.json"),
                        "--image", image, "--auto-commit"},
                       out, &err);
    *out += err;
    return rc;
}

void TestDemoHost::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    const QMap<QString, QByteArray> files{{"c/Work/top.txt", "top"},       {"c/Work/Docs/a.txt", "a"},
                                          {"c/Work/Docs/Keep/k.txt", "kept"}, {"c/Work/Other/o.txt", "o"},
                                          {"c/Case/Makefile", "upper"},   {"c/Case/makefile", "lower"},
                                          {"pub/p.txt", "public"},        {"scans/s.txt", "scanned"}};
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY(WriteTestFile(m_tmp.filePath(it.key()), it.value()));
    QVERIFY(WriteTestFile(m_tmp.filePath("default.ini"),
                          QStringLiteral("[Drives]\nC=%1\n[Network]\n\\\\srv\\pub=%2\n\\\\srv\\scans=%3\n"
                                         "[Options]\nEnvironment=0\n")
                              .arg(m_tmp.filePath("c"), m_tmp.filePath("pub"), m_tmp.filePath("scans"))
                              .toUtf8()));

    // C:\Work without its Docs folder, but with Docs\Keep brought back; a whole server the page
    // never listed; one of two files whose names differ in case.
    CFilterBlock block;
    const uint32_t work = block.AppendInclude("Work", "C:\\Work", true, true, 0);
    block.AppendExclude(work, "Docs", "C:\\Work\\Docs", true, 0);
    block.AppendInclude("Keep", "C:\\Work\\Docs\\Keep", true, true, 0);
    block.AppendInclude("srv", "\\\\srv", true, true, 9);
    block.AppendInclude("Makefile", "C:\\Case\\Makefile", false, true, 0);
    m_block = block.ToByteArray();
    QVERIFY(!m_block.isEmpty());
}

void TestDemoHost::helpNeedsNoDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QString out, err;
    QCOMPARE(run({QStringLiteral("--help")}, &out, &err, QString(), env), 0);
    QVERIFY(out.startsWith(QLatin1String("Usage: demohost")));
}

void TestDemoHost::badOptionsAreRefused()
{
    QString out, err;
    QCOMPARE(run({QStringLiteral("--page"), QStringLiteral("eight")}, &out, &err), 2);
    QVERIFY(err.contains(QLatin1String("--page")));
    QCOMPARE(run({QStringLiteral("stray")}, &out, &err), 2);
    QVERIFY(out.isEmpty());
    // Ids that would signal a process group (0, negative) or are no number never reach the page.
    for (const char* pid : {"0", "-4242", "abc"}) {
        QCOMPARE(run({QStringLiteral("--shell-launch"), QLatin1String(pid), QStringLiteral("--auto-commit")}, &out, &err), 2);
        QVERIFY2(err.contains(QLatin1String("--shell-launch")), pid);
        QVERIFY(!out.contains(QLatin1String("InitPage")));
    }
    // The language becomes part of file names the host loads: a path is no language.
    QCOMPARE(run({QStringLiteral("--lang"), QStringLiteral("../../tmp/x")}, &out, &err), 2);
    QCOMPARE(run({QStringLiteral("--shell-send")}, &out, &err), 2);
    QCOMPARE(run({QStringLiteral("--shell-send"), QStringLiteral("--shell-backup"), QStringLiteral("C:\\x")}, &out, &err), 2);
}

void TestDemoHost::missingModuleIsReported()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NR_HIDDEN_LIBRARIES"), QStringLiteral("UIFileModule"));
    QString out, err;
    QCOMPARE(run({QStringLiteral("--page"), QStringLiteral("8"), QStringLiteral("--auto-commit")}, &out, &err, QString(), env), 3);
    QVERIFY(err.contains(QLatin1String("libUIFileModule.so")));
    QVERIFY(!out.contains(QLatin1String("InitPage")));
}

// Started elsewhere, the host works in its own folder, but a relative task path still names the
// caller's file; a task file it cannot take stops it before the page opens.
void TestDemoHost::badTaskFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("said");
    QTest::newRow("not json") << QByteArray("{ filter: ") << m_tmp.filePath(QStringLiteral("bad.json"));
    QTest::newRow("filter not base64") << QByteArray("{\"filter\": \"@@@@\"}") << QStringLiteral("\"filter\" is not valid base64");
    QTest::newRow("short guid") << QByteArray("{\"guid\": \"AAAA\"}") << QStringLiteral("\"guid\" must hold 16 bytes");
    QTest::newRow("negative kind") << QByteArray("{\"filterKind\": -1}") << QStringLiteral("\"filterKind\"");
}

void TestDemoHost::badTaskFilesAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, said);
    QVERIFY(WriteTestFile(m_tmp.filePath(QStringLiteral("bad.json")), content));
    QString out, err;
    QCOMPARE(run({QStringLiteral("--task"), QStringLiteral("bad.json"), QStringLiteral("--auto-commit")}, &out, &err, m_tmp.path()), 3);
    QVERIFY2(err.contains(said), qPrintable(err));
    QVERIFY(!out.contains(QLatin1String("InitPage")));
}

void TestDemoHost::failedCommitIsTheExitCodesToTell()
{
    // No page 1 exists: the module answers its "no manager" codes and the host still closes
    // cleanly, in its own folder, telling a script of the failed commit by its exit code.
    QString out, err;
    QCOMPARE(run({QStringLiteral("--page"), QStringLiteral("1"), QStringLiteral("--auto-commit")}, &out, &err, m_tmp.path()), 7);
    QVERIFY2(out.startsWith(QLatin1String("InitPage 0x02D0400A\nCommitSelection 0x06804001\n")), qPrintable(out + err));
    QVERIFY(!QFile::exists(m_tmp.filePath(QStringLiteral("log"))));
}

void TestDemoHost::editedTaskIsWrittenIntoImage()
{
    const QString image = m_tmp.filePath(QStringLiteral("out.tar.gz"));
    QString out;
    QVERIFY2(backUp(m_block, image, &out) == 0, qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("CommitSelection 0x00000000")), qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("Image written: 6 file(s), 0 skipped")), qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("Progress: 6 of 6 file(s), 26 B of 26 B")), qPrintable(out));

    QMap<QString, QByteArray> members;
    QVERIFY(imagetest::ReadImage(image, &members));
    QCOMPARE(members, (QMap<QString, QByteArray>{{"//srv/pub/p.txt", "public"},
                                                 {"//srv/scans/s.txt", "scanned"},
                                                 {"C:/Case/Makefile", "upper"},
                                                 {"C:/Work/Docs/Keep/k.txt", "kept"},
                                                 {"C:/Work/Other/o.txt", "o"},
                                                 {"C:/Work/top.txt", "top"}}));

    // The task keeps its identity and holds the selection the image was written from (that the
    // page commits a stored selection unchanged is the backup road's to show).
    QFile saved(m_tmp.filePath("task.json"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QJsonObject doc = QJsonDocument::fromJson(saved.readAll()).object();
    QCOMPARE(QByteArray::fromBase64(doc.value("guid").toString().toLatin1()), QByteArray(16, '\x5A'));
    const QByteArray again = QByteArray::fromBase64(doc.value("filter").toString().toLatin1());
    CFilterBlock after;
    QCOMPARE(after.Parse(again.constData(), size_t(again.size())), 0u);
}

void TestDemoHost::failedImageIsReported()
{
    // An image kind the host cannot write: the commit stands, the run reports the failure.
    const QString image = m_tmp.filePath(QStringLiteral("out.zip"));
    QString out;
    QCOMPARE(backUp(m_block, image, &out), 1);
    QVERIFY2(out.contains(QLatin1String("writing the image failed")), qPrintable(out));
    QVERIFY(!QFile::exists(image));
}

void TestDemoHost::recoveryCommitsTheLoadedImage()
{
    const QString image = m_tmp.filePath(QStringLiteral("backup.tar.gz"));
    QVERIFY(imagetest::WriteImage(image, "tar.gz",
                                  {{"C:/", "", AE_IFDIR}, {"C:/Users/", "", AE_IFDIR}, {"C:/Users/ann/", "", AE_IFDIR},
                                   {"C:/Users/ann/plan.txt", "plan"}, {"D:/", "", AE_IFDIR}, {"D:/data/", "", AE_IFDIR}}));
    // With auto-commit the host waits until the page has the image in, then restores all of it.
    QString out, err;
    const QString target = m_tmp.filePath(QStringLiteral("back"));
    QCOMPARE(run({"--page", "39", "--image", image, "--target", target, "--auto-commit"}, &out, &err), 0);
    QFile back(target + QStringLiteral("/C/Users/ann/plan.txt"));
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray("plan"));
    QVERIFY2(out.startsWith(QLatin1String("Image ") + image + QLatin1String(" GUID {")), qPrintable(out));
    for (const char* line : {"InitPage 0x00000000", "CommitSelection 0x00000000", "To restore: 2 entries", "  folder C:",
                             "  folder D:", "Restored 1 file(s) and 5 folder(s) into "})
        QVERIFY2(out.contains(QLatin1Char('\n') + QLatin1String(line)), qPrintable(QLatin1String(line) + " missing in:\n" + out + err));
}

QTEST_GUILESS_MAIN(TestDemoHost)
#include "tst_demohost.moc"
