#include "BackupFixture.h"
#include "PipeTestClient.h"

#include "CTrace.h"
#include "CUIManager.h"

#include <QMutex>
#include <QProcess>

using namespace backuptest;

namespace {

QMutex g_traceMutex;
QStringList g_traces;

void collectTrace(const QString& text)
{
    QMutexLocker lock(&g_traceMutex);
    g_traces << text;
}

QStringList traces()
{
    QMutexLocker lock(&g_traceMutex);
    return g_traces;
}

// The host's side of a launch: the UI manager learns it before the module is created.
void announceLaunch(qint64 senderPid)
{
    CUIManager::Instance()->SetShellLaunchFlag(1);
    CUIManager::Instance()->SetShellProcessId(senderPid);
}

} // namespace

class TestShellLaunch : public QObject
{
    Q_OBJECT

    Fixture m_fixture;
    QTemporaryDir m_runtime; // private folder of the pipe, as the user's runtime folder is
    QString m_pipe;

private slots:
    void initTestCase()
    {
        QVERIFY(m_fixture.Build());
        QVERIFY(m_runtime.isValid());
        m_pipe = m_runtime.filePath(QStringLiteral("ShellRightMenu_PIPE_0607"));
        CTrace::SetSink(collectTrace);
    }

    void init()
    {
        CUIPublic::Instance()->ResetShellStateForTest();
        CUIManager::Instance()->SetShellLaunchFlag(0);
        CUIManager::Instance()->SetShellProcessId(0);
        QMutexLocker lock(&g_traceMutex);
        g_traces.clear();
    }

    void cleanupTestCase()
    {
        CTrace::SetSink(nullptr);
        CUIPublic::Instance()->ResetShellStateForTest();
    }

    void realSenderTicksItsPathsAndIsEnded()
    {
        // The sender finds the pipe where the user's runtime folder is; a generous bound, since
        // the outcome must not depend on how fast the second process starts.
        CUIPublic::Instance()->SetShellPipeForTest(m_pipe, 30000);
        QProcess sender;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        sender.setProcessEnvironment(env);
        sender.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("demohost")),
                     {QStringLiteral("--shell-send"), QStringLiteral("C:\\Work\\Docs"), QStringLiteral("d:\\data")});
        QVERIFY(sender.waitForStarted(30000));
        announceLaunch(sender.processId());

        Page page;
        QVERIFY(page.Open(8));
        QCOMPARE(page.initResult, 0u);
        QCOMPARE(page.State(page.ReachLocal("C:", {"Work", "Docs"})), quint32(Qt::Checked));
        QCOMPARE(page.State(page.ReachLocal("C:", {"Work"})), quint32(Qt::PartiallyChecked));
        QCOMPARE(page.State(page.ReachLocal("C:", {"Temp"})), quint32(Qt::Unchecked));
        QCOMPARE(page.State(page.ReachLocal("D:", {"Data"})), quint32(Qt::Checked));
        QCOMPARE(page.State(page.ReachLocal("D:", {"Other"})), quint32(Qt::Unchecked));

        // The page ended the sender, and the launch is spent everywhere: the manager no longer
        // names the id, so a later page neither waits on the pipe nor signals a reused id.
        // Its end may already have been taken in while the page ran its event loop, and then
        // there is nothing left to wait for.
        QVERIFY(sender.state() == QProcess::NotRunning || sender.waitForFinished(30000));
        QCOMPARE(sender.exitStatus(), QProcess::CrashExit);
        QCOMPARE(CUIPublic::Instance()->ShellProcessId(), qint64(0));
        QCOMPARE(CUIPublic::Instance()->ShellLaunchFlag(), 0);
        QCOMPARE(CUIManager::Instance()->GetShellLaunchFlag(), 0);
        QCOMPARE(CUIManager::Instance()->GetShellProcessId(), int64_t(0));
    }

    void badSendersLeaveThePageUnselected_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // The pipe's own tests go through the ways a transfer fails; here one refused and one
        // stalled transfer show what the page makes of any failure.
        const QByteArray path = CShellPipeMessage::MakePath("C:\\Work");
        QTest::newRow("wrong magic") << pipetest::Header(0x12345678, 12) + QByteArray(4, '\1') + path;
        QTest::newRow("count, then silence") << pipetest::CountMessage(2) + path;
    }

    void badSendersLeaveThePageUnselected()
    {
        QFETCH(QByteArray, bytes);
        // A short bound: each wait of a stalled transfer ends quickly. Whether the sender makes
        // it in time or not, the outcome is the same: no selection and a trace.
        CUIPublic::Instance()->SetShellPipeForTest(m_pipe, 1000);
        pipetest::RawClient sender(m_pipe, bytes, false);
        announceLaunch(0);
        Page page;
        QVERIFY(page.Open(8));
        sender.finish();
        QCOMPARE(page.initResult, 0u);
        for (const QStringList& names : {QStringList{"C:", "Work"}, QStringList{"C:", "Temp"}, QStringList{"D:", "Data"}})
            QCOMPARE(page.State(page.ReachLocal(names.first(), names.mid(1))), quint32(Qt::Unchecked));
        QVERIFY(CUIPublic::Instance()->ShellPaths().isEmpty());
        QCOMPARE(CUIPublic::Instance()->ShellLaunchFlag(), 0);
        const QStringList seen = traces();
        QVERIFY2(seen.filter(QStringLiteral("read shell pipe failed")).size() == 1, qPrintable(seen.join('\n')));
    }
};

QTEST_MAIN(TestShellLaunch)
#include "tst_shelllaunch.moc"
