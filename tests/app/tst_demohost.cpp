#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The demo host as a user runs it, from bin/ of the build.
class TestDemoHost : public QObject
{
    Q_OBJECT
private slots:
    void helpNeedsNoDisplay();
    void badOptionsAreRefused();
    void missingModuleIsReported();
    void unknownPageCommitsAndQuits();
    void optionPathsAreTakenFromCallersFolder();
    void recoveryCommitsTheLoadedImage_data();
    void recoveryCommitsTheLoadedImage();

private:
    int run(const QStringList& args, QString* out, QString* err,
            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), const QString& cwd = QString());
};

int TestDemoHost::run(const QStringList& args, QString* out, QString* err, const QProcessEnvironment& env,
                      const QString& cwd)
{
    const QString bin = QCoreApplication::applicationDirPath();
    QProcess p;
    p.setWorkingDirectory(cwd.isEmpty() ? bin : cwd);
    p.setProcessEnvironment(env);
    p.start(QDir(bin).filePath(QStringLiteral("demohost")), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    *out = QString::fromUtf8(p.readAllStandardOutput());
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void TestDemoHost::helpNeedsNoDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QString out, err;
    QCOMPARE(run({QStringLiteral("--help")}, &out, &err, env), 0);
    QVERIFY(out.startsWith(QLatin1String("Usage: demohost")));
    for (const char* option : {"--page", "--image", "--task", "--ini", "--auto-commit", "--shell-launch", "--shell-send",
                               "--shell-backup", "--help"})
        QVERIFY2(out.contains(QLatin1String(option)), option);
}

void TestDemoHost::badOptionsAreRefused()
{
    QString out, err;
    QCOMPARE(run({QStringLiteral("--page"), QStringLiteral("eight")}, &out, &err), 2);
    QVERIFY(err.contains(QLatin1String("--page")));
    QCOMPARE(run({QStringLiteral("stray")}, &out, &err), 2);
    QVERIFY(out.isEmpty());
    // Ids that would signal a process group (0, negative) or are no number never reach the page.
    for (const char* pid : {"0", "-1", "-4242", "abc"}) {
        QCOMPARE(run({QStringLiteral("--shell-launch"), QLatin1String(pid), QStringLiteral("--auto-commit")}, &out, &err), 2);
        QVERIFY2(err.contains(QLatin1String("--shell-launch")), pid);
        QVERIFY(!out.contains(QLatin1String("InitPage")));
    }
    QCOMPARE(run({QStringLiteral("--shell-send")}, &out, &err), 2);
    QCOMPARE(run({QStringLiteral("--shell-send"), QStringLiteral("--shell-backup"), QStringLiteral("C:\\x")}, &out, &err), 2);
}

void TestDemoHost::missingModuleIsReported()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NR_HIDDEN_LIBRARIES"), QStringLiteral("UIFileModule"));
    QString out, err;
    QCOMPARE(run({QStringLiteral("--page"), QStringLiteral("8"), QStringLiteral("--auto-commit")}, &out, &err, env), 3);
    QVERIFY(err.contains(QLatin1String("libUIFileModule.so")));
    QVERIFY(!out.contains(QLatin1String("InitPage")));
}

void TestDemoHost::unknownPageCommitsAndQuits()
{
    // No page 1 exists: the module answers its "no manager" codes and the host still closes cleanly.
    QString out, err;
    QCOMPARE(run({QStringLiteral("--page"), QStringLiteral("1"), QStringLiteral("--auto-commit")}, &out, &err), 0);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 2, qPrintable(out + err));
    QCOMPARE(lines[0], QStringLiteral("InitPage 0x02D0400A"));
    QCOMPARE(lines[1], QStringLiteral("CommitSelection 0x06804001"));
}

void TestDemoHost::optionPathsAreTakenFromCallersFolder()
{
    // Started elsewhere, the host works in its own folder, but a relative task path still names
    // the caller's file.
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QFile bad(tmp.filePath(QStringLiteral("bad.json")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not json");
    bad.close();
    QString out, err;
    QCOMPARE(run({QStringLiteral("--task"), QStringLiteral("bad.json"), QStringLiteral("--auto-commit")}, &out, &err,
                 QProcessEnvironment::systemEnvironment(), tmp.path()),
             3);
    QVERIFY2(err.contains(tmp.filePath(QStringLiteral("bad.json"))), qPrintable(err));

    QCOMPARE(run({QStringLiteral("--page"), QStringLiteral("1"), QStringLiteral("--auto-commit")}, &out, &err,
                 QProcessEnvironment::systemEnvironment(), tmp.path()),
             0);
    QVERIFY(out.startsWith(QLatin1String("InitPage 0x02D0400A")));
    QVERIFY(!QFile::exists(tmp.filePath(QStringLiteral("log"))));
}

void TestDemoHost::recoveryCommitsTheLoadedImage_data()
{
    QTest::addColumn<QByteArray>("garbage"); // written as the image instead of a real one
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("image") << QByteArray()
                           << QStringList{"InitPage 0x00000000", "CommitSelection 0x00000000", "To restore: 2 entries",
                                          "  folder C:", "  folder D:"};
    QTest::newRow("not an image") << QByteArray(4096, 'Z')
                                  << QStringList{"InitPage 0x00000000", "Message: The file is not a backup image.",
                                                 "Message: Please select files or folders to recover.",
                                                 "CommitSelection 0x00001001"};
}

void TestDemoHost::recoveryCommitsTheLoadedImage()
{
    QFETCH(QByteArray, garbage);
    QFETCH(QStringList, expected);
    QTemporaryDir tmp;
    const QString image = tmp.filePath(QStringLiteral("backup.tar.gz"));
    QDir(tmp.path()).mkpath(QStringLiteral("C:/Users/ann"));
    QDir(tmp.path()).mkpath(QStringLiteral("D:/data"));
    QProcess tar;
    tar.setWorkingDirectory(tmp.path());
    tar.start(QStringLiteral("tar"), {QStringLiteral("--force-local"), QStringLiteral("-czf"), image, QStringLiteral("C:"),
                                      QStringLiteral("D:")});
    QVERIFY(tar.waitForFinished(30000) && tar.exitCode() == 0);
    QFile f(image);
    if (!garbage.isEmpty() && f.open(QIODevice::WriteOnly))
        f.write(garbage);
    f.close();
    // With auto-commit the host waits until the page has the image in, then takes all of it.
    QString out, err;
    QCOMPARE(run({"--page", "39", "--image", image, "--auto-commit"}, &out, &err), 0);
    QVERIFY2(out.startsWith(QLatin1String("Image ") + image + QLatin1String(" GUID {")), qPrintable(out));
    for (const QString& line : expected)
        QVERIFY2(out.contains(QLatin1Char('\n') + line), qPrintable(line + QLatin1String(" missing in:\n") + out + err));
}

QTEST_GUILESS_MAIN(TestDemoHost)
#include "tst_demohost.moc"
