#include "WriteTestFile.h"
#include "CFilterBlock.h"
#include "ImageReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The demo host run as a process, editing a stored task over a temporary drive table: the page
// shows the stored selection, OK writes it back to the task file and the selected files into an
// image.
class TestDemoBackup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void editedTaskIsWrittenIntoImage();
    void serverAndCaseNamesAreBackedUpExactly();
    void failedImageIsReported();

private:
    void write(const QString& relative, const QByteArray& content);
    int run(const QStringList& args, QString* out);
    QString writeTask(const QByteArray& block);

    QTemporaryDir m_tmp;
    QByteArray m_block;
};

void TestDemoBackup::write(const QString& relative, const QByteArray& content)
{
    QVERIFY(WriteTestFile(m_tmp.filePath(relative), content));
}

int TestDemoBackup::run(const QStringList& args, QString* out)
{
    const QString bin = QCoreApplication::applicationDirPath();
    QProcess p;
    p.setWorkingDirectory(bin);
    p.start(QDir(bin).filePath(QStringLiteral("demohost")),
            QStringList{QStringLiteral("--ini"), m_tmp.filePath(QStringLiteral("default.ini"))} + args);
    if (!p.waitForFinished(90000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    *out = QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString TestDemoBackup::writeTask(const QByteArray& block)
{
    QJsonObject task;
    task.insert(QStringLiteral("guid"), QString::fromLatin1(QByteArray(16, '\x5A').toBase64()));
    task.insert(QStringLiteral("filter"), QString::fromLatin1(block.toBase64()));
    task.insert(QStringLiteral("sourceDescription"), QStringLiteral("Local"));
    const QString path = m_tmp.filePath(QStringLiteral("task.json"));
    write(QStringLiteral("task.json"), QJsonDocument(task).toJson());
    return path;
}

void TestDemoBackup::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    write("c/Work/top.txt", "top");
    write("c/Work/Docs/a.txt", "a");
    write("c/Work/Docs/Keep/k.txt", "kept");
    write("c/Work/Other/o.txt", "o");
    write("c/Temp/t.txt", "t");
    write("c/Case/Makefile", "upper");
    write("c/Case/makefile", "lower");
    write("pub/p.txt", "public");
    write("scans/s.txt", "scanned");
    write("default.ini", QStringLiteral("[Drives]\nC=%1\n[Network]\n\\\\srv\\pub=%2\n\\\\srv\\scans=%3\n"
                                        "[Options]\nEnvironment=0\n")
                             .arg(m_tmp.filePath("c"), m_tmp.filePath("pub"), m_tmp.filePath("scans"))
                             .toUtf8());

    // C:\Work without its Docs folder, but with Docs\Keep brought back.
    CFilterBlock block;
    const uint32_t work = block.AppendInclude("Work", "C:\\Work", true, true, 0);
    block.AppendExclude(work, "Docs", "C:\\Work\\Docs", true, 0);
    block.AppendInclude("Keep", "C:\\Work\\Docs\\Keep", true, true, 0);
    m_block = block.ToByteArray();
    QVERIFY(!m_block.isEmpty());
}

void TestDemoBackup::editedTaskIsWrittenIntoImage()
{
    const QString task = writeTask(m_block);
    const QString image = m_tmp.filePath(QStringLiteral("out.tar.gz"));
    QString out;
    const int rc = run({"--page", "9", "--task", task, "--image", image, "--auto-commit"}, &out);
    QVERIFY2(rc == 0, qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("CommitSelection 0x00000000")), qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("Image written: 3 file(s), 0 skipped")), qPrintable(out));

    QMap<QString, QByteArray> members;
    QVERIFY(imagetest::ReadImage(image, &members));
    QCOMPARE(members.keys(), (QStringList{"C:/Work/Docs/Keep/k.txt", "C:/Work/Other/o.txt", "C:/Work/top.txt"}));
    QCOMPARE(members.value("C:/Work/Docs/Keep/k.txt"), QByteArray("kept"));

    // The page committed the stored selection unchanged; the task keeps its identity.
    QFile saved(task);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QJsonObject doc = QJsonDocument::fromJson(saved.readAll()).object();
    QCOMPARE(QByteArray::fromBase64(doc.value("guid").toString().toLatin1()), QByteArray(16, '\x5A'));
    const QByteArray again = QByteArray::fromBase64(doc.value("filter").toString().toLatin1());
    CFilterBlock before, after;
    QCOMPARE(before.Parse(m_block.constData(), size_t(m_block.size())), 0u);
    QCOMPARE(after.Parse(again.constData(), size_t(again.size())), 0u);
    auto rules = [](const CFilterBlock& b) {
        QStringList out;
        for (const CFilterBlock::Entry& e : b.Entries())
            out << (e.IsExclusion() ? "-" : "+") + e.path.toUpper();
        out.sort();
        return out;
    };
    QCOMPARE(rules(after), rules(before));
}

void TestDemoBackup::serverAndCaseNamesAreBackedUpExactly()
{
    // A whole server the page never listed, and one of two files whose names differ in case.
    CFilterBlock block;
    block.AppendInclude("srv", "\\\\srv", true, true, 9);
    block.AppendInclude("Makefile", "C:\\Case\\Makefile", false, true, 0);
    const QString task = writeTask(block.ToByteArray());
    const QString image = m_tmp.filePath(QStringLiteral("server.tar"));
    QString out;
    QVERIFY2(run({"--page", "9", "--task", task, "--image", image, "--auto-commit"}, &out) == 0, qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("CommitSelection 0x00000000")), qPrintable(out));
    QMap<QString, QByteArray> members;
    QVERIFY(imagetest::ReadImage(image, &members));
    QCOMPARE(members, (QMap<QString, QByteArray>{{"//srv/pub/p.txt", "public"},
                                                 {"//srv/scans/s.txt", "scanned"},
                                                 {"C:/Case/Makefile", "upper"}}));
}

void TestDemoBackup::failedImageIsReported()
{
    // An image kind the host cannot write: the commit stands, the run reports the failure.
    const QString task = writeTask(m_block);
    const QString image = m_tmp.filePath(QStringLiteral("out.zip"));
    QString out;
    QCOMPARE(run({"--page", "9", "--task", task, "--image", image, "--auto-commit"}, &out), 1);
    QVERIFY2(out.contains(QLatin1String("writing the image failed")), qPrintable(out));
    QVERIFY(!QFile::exists(image));
}

QTEST_GUILESS_MAIN(TestDemoBackup)
#include "tst_demobackup.moc"
