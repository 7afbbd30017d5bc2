#include "CLibLoader.h"
#include "CTrace.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QMutex g_mutex;
QStringList g_seen;
void sink(const QString& text)
{
    QMutexLocker lock(&g_mutex);
    g_seen.append(text);
}
} // namespace

// The trace component missing: traces are dropped without harm, and nothing is written.
class TestCodeLogMissing : public QObject
{
    Q_OBJECT
private slots:
    void tracesAreDroppedQuietly();
};

void TestCodeLogMissing::tracesAreDroppedQuietly()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QVERIFY(QDir::setCurrent(tmp.path()));
    // Before the first trace: the client looks the component up once and keeps the answer.
    CLibLoader::SetHiddenLibraries({QStringLiteral("CodeLog")});
    QVERIFY(CLibLoader::Locate(QStringLiteral("CodeLog")).isEmpty());

    for (int i = 0; i < 3; ++i)
        NR_TRACE(u"File = %s, Line = %u, dropped", __FILE__, unsigned(__LINE__));
    QVERIFY(!QFile::exists(QStringLiteral("log/CodeLog.log")));

    // Formatting still works for a sink; only the component's output is missing.
    CTrace::SetSink(sink);
    NR_TRACE(u"kept %d", 7);
    CTrace::SetSink(nullptr);
    QCOMPARE(g_seen, QStringList{QStringLiteral("kept 7")});
    QVERIFY(!QFile::exists(QStringLiteral("log")));
}

QTEST_GUILESS_MAIN(TestCodeLogMissing)
#include "tst_codelog_missing.moc"
