#include "Util.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
bool writeFile(const QString& path, const QByteArray& bytes = QByteArray())
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
} // namespace

class TestUtil : public QObject
{
    Q_OBJECT
private slots:
    void iniRoundTripKeepsUtf8AndTypes()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("conf.ini"));
        const QString text = QStringLiteral("Sicherung \u00fcber Netz \u4e2d\u6587");
        QVERIFY(Util::writerIni(QStringLiteral("Name"), QStringLiteral("Public"), text, file));
        QVERIFY(Util::writerIni(QStringLiteral("Count"), QStringLiteral("Public"), 42, file));
        QVERIFY(Util::writerIni(QStringLiteral("Loose"), QString(), true, file));

        QVariant v;
        QVERIFY(Util::readIni(QStringLiteral("Name"), QStringLiteral("Public"), v, file));
        QCOMPARE(v.toString(), text);
        QVERIFY(Util::readIni(QStringLiteral("Count"), QStringLiteral("Public"), v, file));
        QCOMPARE(v.toInt(), 42);
        QVERIFY(Util::readIni(QStringLiteral("Loose"), QString(), v, file));
        QCOMPARE(v.toBool(), true);

        // The file holds the text as UTF-8 bytes, readable by other INI readers.
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().contains(text.toUtf8()));

        // Overwriting keeps the other keys.
        QVERIFY(Util::writerIni(QStringLiteral("Count"), QStringLiteral("Public"), 7, file));
        QVERIFY(Util::readIni(QStringLiteral("Count"), QStringLiteral("Public"), v, file));
        QCOMPARE(v.toInt(), 7);
        QVERIFY(Util::readIni(QStringLiteral("Name"), QStringLiteral("Public"), v, file));
        QCOMPARE(v.toString(), text);
    }

    void readIniReportsWhatIsMissing()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("conf.ini"));
        QVERIFY(writeFile(file, "[Public]\nIsWinPE=true\n"));

        QVariant v(QStringLiteral("untouched"));
        QVERIFY(!Util::readIni(QStringLiteral("IsWinPE"), QStringLiteral("Other"), v, file));
        QVERIFY(!Util::readIni(QString(), QStringLiteral("Public"), v, file));
        const QString absent = dir.filePath(QStringLiteral("absent.ini"));
        QVERIFY(!Util::readIni(QStringLiteral("IsWinPE"), QStringLiteral("Public"), v, absent));
        QVERIFY(!QFile::exists(absent)); // reading never creates the file
        QCOMPARE(v.toString(), QStringLiteral("untouched"));

        QVERIFY(Util::readIni(QStringLiteral("IsWinPE"), QStringLiteral("Public"), v, file));
        QCOMPARE(v.toBool(), true);
    }

    void writerIniFailsWhenTheFileCannotBeWritten()
    {
        QTemporaryDir dir;
        // The "folder" of the target is a plain file.
        const QString blocker = dir.filePath(QStringLiteral("blocker"));
        QVERIFY(writeFile(blocker));
        QVERIFY(!Util::writerIni(QStringLiteral("k"), QStringLiteral("s"), 1, blocker + QStringLiteral("/conf.ini")));
        QVERIFY(!Util::writerIni(QString(), QStringLiteral("s"), 1, dir.filePath(QStringLiteral("x.ini"))));
    }

    void resourcePathsResolve()
    {
        QCOMPARE(Util::getResFullPath(QString()), QString());
        QCOMPARE(Util::getResFullPath(QStringLiteral("/a/b/../c.png")), QStringLiteral("/a/c.png"));
        QCOMPARE(Util::getResFullPath(QStringLiteral(":/icons/x.png")), QStringLiteral(":/icons/x.png"));

        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("res")));
        QVERIFY(writeFile(work.filePath(QStringLiteral("res/Foder.png"))));

        const QString oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.filePath(QStringLiteral("bin"))));
        const QString inCwd = Util::getResFullPath(QStringLiteral("../res/Foder.png"));
        // Missing everywhere: still a full path, in the working directory's terms.
        const QString missing = Util::getResFullPath(QStringLiteral("../res/none.png"));

        // Present only beside the application: found there.
        const QString name = QStringLiteral("qtlib_res_probe_%1.txt").arg(QCoreApplication::applicationPid());
        const QString besideApp = QDir(QCoreApplication::applicationDirPath()).filePath(name);
        QVERIFY(writeFile(besideApp));
        const QString fromApp = Util::getResFullPath(QStringLiteral("./") + name);
        QFile::remove(besideApp);
        QDir::setCurrent(oldCwd);

        QCOMPARE(inCwd, QDir(work.path()).absoluteFilePath(QStringLiteral("res/Foder.png")));
        QCOMPARE(missing, QDir(work.path()).absoluteFilePath(QStringLiteral("res/none.png")));
        QCOMPARE(fromApp, QDir::cleanPath(besideApp));
    }
};

QTEST_MAIN(TestUtil)
#include "tst_util.moc"
