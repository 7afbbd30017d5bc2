#include "CLibLoader.h"
#include "CTrace.h"
#include "ICodeLog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

// The trace component present: traces written through the trace client land in ./log/CodeLog.log
// of the working directory, one well-formed line each.
class TestCodeLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void traceClientReachesLogFile();
    void linesFromManyThreadsStayWhole();
    void unknownObjectIdIsRefused();

private:
    QStringList logLines() const;

    QTemporaryDir m_tmp;
};

void TestCodeLog::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    // The log folder is made in the working directory of the first trace.
    QVERIFY(QDir::setCurrent(m_tmp.path()));
    QVERIFY(!QFile::exists(QStringLiteral("log")));
}

QStringList TestCodeLog::logLines() const
{
    QFile f(QDir(m_tmp.path()).filePath(QStringLiteral("log/CodeLog.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestCodeLog::traceClientReachesLogFile()
{
    NR_TRACE(u"File = %s, Line = %u, Invalid para \u00e9", "CFileBRManager", 42u);
    NR_TRACE(u"Begin OnSearch bool = %d, strFilter = %S\n", 1, u"*.docx");
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    // "<UTC time with ms> <thread id> <text>"
    const QRegularExpression shape(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z) (\\d+) (.*)$"));
    const QRegularExpressionMatch first = shape.match(lines[0]);
    QVERIFY2(first.hasMatch(), qPrintable(lines[0]));
    QCOMPARE(first.captured(3), QStringLiteral("File = CFileBRManager, Line = 42, Invalid para \u00e9"));
    QVERIFY(first.captured(2).toLongLong() > 0);
    // The trailing line break of a trace does not leave an empty line behind.
    const QRegularExpressionMatch second = shape.match(lines[1]);
    QVERIFY(second.hasMatch());
    QCOMPARE(second.captured(3), QStringLiteral("Begin OnSearch bool = 1, strFilter = *.docx"));
}

void TestCodeLog::linesFromManyThreadsStayWhole()
{
    const int before = logLines().size();
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    QList<QThread*> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.append(QThread::create([t]() {
            // Each thread has its own object; all of them share the one file.
            std::unique_ptr<ICodeLog> log(static_cast<ICodeLog*>(
                CLibLoader::CreateNRObject(QStringLiteral("CodeLog"), ICodeLog::kObjectId)));
            if (!log)
                return;
            for (int i = 0; i < kLines; ++i) {
                const QString text = QStringLiteral("worker %1 line %2 %3").arg(t).arg(i).arg(QString(40, QLatin1Char('x')));
                log->Trace(1, 4, reinterpret_cast<const char16_t*>(text.utf16()));
            }
            log->Flush();
        }));
        threads.last()->start();
    }
    for (QThread* t : threads) {
        QVERIFY(t->wait(30000));
        delete t;
    }
    const QStringList lines = logLines().mid(before);
    QCOMPARE(lines.size(), kThreads * kLines);
    const QRegularExpression whole(QStringLiteral("^\\S+ \\d+ worker \\d line \\d+ x{40}$"));
    for (const QString& line : lines)
        QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
}

void TestCodeLog::unknownObjectIdIsRefused()
{
    auto factory = reinterpret_cast<NRCreateObjectFn>(CLibLoader::Resolve(QStringLiteral("CodeLog"), "NRCreateObject"));
    QVERIFY(factory);
    void* out = reinterpret_cast<void*>(0x1);
    QVERIFY(factory(ICodeLog::kObjectId + 1, &out) != 0);
    QVERIFY(!out);
    QVERIFY(factory(ICodeLog::kObjectId, nullptr) != 0);
}

QTEST_GUILESS_MAIN(TestCodeLog)
#include "tst_codelog.moc"
