#include "BackupFixture.h"

#include "CShellPipeClient.h"
#include "CShellPipeMessage.h"
#include "CTrace.h"
#include "CUIManager.h"

#include <QLocalSocket>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QtEndian>

#include <thread>

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

QByteArray header(uint32_t magic, uint16_t length)
{
    QByteArray h(8, '\0');
    qToLittleEndian<quint32>(magic, h.data());
    qToLittleEndian<quint16>(length, h.data() + 4);
    return h;
}

QByteArray countMessage(uint32_t count)
{
    QByteArray m = header(CShellPipeMessage::kMagic, 12);
    m.resize(12);
    qToLittleEndian<quint32>(count, m.data() + 8);
    return m;
}

// A sender on a thread: connects (within `connectMs`), writes `bytes` and then keeps the
// connection open without a word until told to finish, as a stalled shell helper would.
class StallingSender
{
public:
    StallingSender(const QString& name, const QByteArray& bytes, int connectMs)
    {
        m_thread = std::thread([=] {
            QLocalSocket socket;
            if (!CShellPipeClient::Connect(&socket, name, connectMs))
                return;
            if (!bytes.isEmpty())
                CShellPipeClient::WriteAll(&socket, bytes, connectMs);
            m_done.acquire();
            socket.abort();
        });
    }
    ~StallingSender() { Finish(); }
    void Finish()
    {
        if (m_thread.joinable()) {
            m_done.release();
            m_thread.join();
        }
    }

private:
    QSemaphore m_done;
    std::thread m_thread;
};

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
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void realSenderTicksItsPathsAndIsEnded();
    void badSendersLeaveThePageUnselected_data();
    void badSendersLeaveThePageUnselected();

private:
    void expectUnselected(Page& page);

    Fixture m_fixture;
    QTemporaryDir m_runtime; // private folder of the pipe, as the user's runtime folder is
    QString m_pipe;
};

void TestShellLaunch::initTestCase()
{
    QVERIFY(m_fixture.Build());
    QVERIFY(m_runtime.isValid());
    m_pipe = m_runtime.filePath(QStringLiteral("ShellRightMenu_PIPE_0607"));
    CTrace::SetSink(collectTrace);
}

void TestShellLaunch::init()
{
    CUIPublic::Instance()->ResetShellStateForTest();
    CUIManager::Instance()->SetShellLaunchFlag(0);
    CUIManager::Instance()->SetShellProcessId(0);
    QMutexLocker lock(&g_traceMutex);
    g_traces.clear();
}

void TestShellLaunch::cleanupTestCase()
{
    CTrace::SetSink(nullptr);
    CUIPublic::Instance()->ResetShellStateForTest();
}

void TestShellLaunch::expectUnselected(Page& page)
{
    for (const QStringList& names : {QStringList{"C:", "Work"}, QStringList{"C:", "Temp"}, QStringList{"D:", "Data"}})
        QCOMPARE(page.State(page.ReachLocal(names.first(), names.mid(1))), quint32(Qt::Unchecked));
}

void TestShellLaunch::realSenderTicksItsPathsAndIsEnded()
{
    // The sender finds the pipe where the user's runtime folder is; a generous bound, since the
    // outcome must not depend on how fast the second process starts.
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
    QCOMPARE(page.State(page.ReachLocal("C:", {"Work", "Other"})), quint32(Qt::Unchecked));
    QCOMPARE(page.State(page.ReachLocal("C:", {"Temp"})), quint32(Qt::Unchecked));
    QCOMPARE(page.State(page.ReachLocal("D:", {"Data"})), quint32(Qt::Checked));
    QCOMPARE(page.State(page.ReachLocal("D:", {"Other"})), quint32(Qt::Unchecked));

    // The page ended the sender, and the launch is spent everywhere: the manager no longer
    // names the id, so a later page neither waits on the pipe nor signals a reused id.
    // Its end may already have been taken in while the page ran its event loop, and then there
    // is nothing left to wait for.
    QVERIFY(sender.state() == QProcess::NotRunning || sender.waitForFinished(30000));
    QCOMPARE(sender.exitStatus(), QProcess::CrashExit);
    QCOMPARE(CUIPublic::Instance()->ShellProcessId(), qint64(0));
    QCOMPARE(CUIPublic::Instance()->ShellLaunchFlag(), 0);
    QCOMPARE(CUIManager::Instance()->GetShellLaunchFlag(), 0);
    QCOMPARE(CUIManager::Instance()->GetShellProcessId(), int64_t(0));
}

void TestShellLaunch::badSendersLeaveThePageUnselected_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The pipe's own tests go through the ways a transfer fails; here one refused and one
    // stalled transfer show what the page makes of any failure.
    const QByteArray path = CShellPipeMessage::MakePath("C:\\Work");
    QTest::newRow("wrong magic") << header(0x12345678, 12) + QByteArray(4, '\1') + path;
    QTest::newRow("count, then silence") << countMessage(2) + path;
}

void TestShellLaunch::badSendersLeaveThePageUnselected()
{
    QFETCH(QByteArray, bytes);
    // A short bound: each wait of a stalled transfer ends quickly. Whether the sender makes it
    // in time or not, the outcome is the same: no selection and a trace.
    CUIPublic::Instance()->SetShellPipeForTest(m_pipe, 1000);
    StallingSender sender(m_pipe, bytes, 10000);
    announceLaunch(0);
    Page page;
    QVERIFY(page.Open(8));
    sender.Finish();
    QCOMPARE(page.initResult, 0u);
    expectUnselected(page);
    QVERIFY(CUIPublic::Instance()->ShellPaths().isEmpty());
    QCOMPARE(CUIPublic::Instance()->ShellLaunchFlag(), 0);
    const QStringList seen = traces();
    QVERIFY2(seen.filter(QStringLiteral("read shell pipe failed")).size() == 1, qPrintable(seen.join('\n')));
}

QTEST_MAIN(TestShellLaunch)
#include "tst_shelllaunch.moc"
