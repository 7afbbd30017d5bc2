#include "CShellPipeClient.h"
#include "CShellPipeMessage.h"
#include "CShellPipeServer.h"
#include "CUIPublic.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// A short bound keeps the stall cases fast. Cases that must not time out keep the real bound and
// a long connect wait, so a busy machine cannot change their outcome.
constexpr int kTestTimeoutMs = 300;
constexpr int kPatientMs = 10000;

QByteArray header(uint32_t magic, uint16_t length)
{
    QByteArray h(8, '\0');
    qToLittleEndian<quint32>(magic, h.data());
    qToLittleEndian<quint16>(length, h.data() + 4);
    return h;
}

QByteArray countMessage(uint32_t count, uint16_t length = 12)
{
    QByteArray m = header(CShellPipeMessage::kMagic, length);
    m.resize(length);
    qToLittleEndian<quint32>(count, m.data() + 8);
    return m;
}

QByteArray pathMessage(const QString& path)
{
    return CShellPipeMessage::MakePath(path);
}

// A client on its own thread: connects, writes `bytes` (a message at a time, each well inside the
// bound, when it trickles), optionally hangs up at once, otherwise keeps the connection open
// until the server side is done.
class RawClient
{
public:
    RawClient(const QString& name, const QByteArray& bytes, bool hangUp, bool trickles = false)
    {
        m_thread = std::thread([=] {
            QLocalSocket socket;
            if (!CShellPipeClient::Connect(&socket, name, kPatientMs))
                return;
            const QFileInfo info(name);
            privateSocket = !(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
            connected = true;
            for (int at = 0; at < bytes.size() && socket.state() == QLocalSocket::ConnectedState;) {
                const int part = trickles ? qFromLittleEndian<quint16>(bytes.constData() + at + 4) : bytes.size();
                if (at > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(kTestTimeoutMs / 3));
                CShellPipeClient::WriteAll(&socket, bytes.mid(at, part), kPatientMs);
                at += part;
            }
            if (!hangUp)
                m_done.acquire();
            socket.abort();
        });
    }
    ~RawClient() { finish(); }
    void finish()
    {
        if (m_thread.joinable()) {
            m_done.release();
            m_thread.join();
        }
    }
    std::atomic<bool> connected{false};
    std::atomic<bool> privateSocket{false};

private:
    QSemaphore m_done;
    std::thread m_thread;
};

} // namespace

class TestShellPipe : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;
    QString nextName() { return m_dir.filePath(QStringLiteral("pipe%1").arg(++m_serial)); }

    uint32_t receive(const QByteArray& bytes, bool hangUp, bool stalls, QStringList* paths, bool trickles = false)
    {
        const QString name = nextName();
        RawClient client(name, bytes, hangUp, trickles);
        const int readBound = stalls ? kTestTimeoutMs : CShellPipeServer::kDefaultTimeoutMs;
        CShellPipeServer server(name, readBound, kPatientMs);
        QStringList received;
        const uint32_t rc = server.ReceiveTransfer(&received);
        client.finish();
        if (paths)
            *paths = received;
        return rc;
    }

private slots:
    void pathMessageCodec()
    {
        const QString path = QStringLiteral("C:\\Users\\J\u00f6rg\\\U0001F4C1 Photos");
        const QByteArray m = CShellPipeMessage::MakePath(path);
        QCOMPARE(m.size(), 8 + (path.size() + 1) * 2);
        QString back;
        QVERIFY(CShellPipeMessage::ParsePath(m.constData(), static_cast<size_t>(m.size()), &back));
        QCOMPARE(back, path);

        // Nothing is read past the message: without a terminator inside it, it is refused.
        QByteArray open = m.left(m.size() - 2);
        qToLittleEndian<quint16>(static_cast<quint16>(open.size()), open.data() + 4);
        QVERIFY(!CShellPipeMessage::ParsePath(open.constData(), static_cast<size_t>(open.size()), &back));
        const QByteArray nine = header(CShellPipeMessage::kMagic, 9) + QByteArray(1, '\0');
        QVERIFY(!CShellPipeMessage::ParsePath(nine.constData(), 9, &back));
        QVERIFY(!CShellPipeMessage::ParsePath(m.constData(), static_cast<size_t>(m.size()) - 1, &back));

        QVERIFY(CShellPipeMessage::MakePath(QString()).isEmpty());
        QVERIFY(CShellPipeMessage::MakePath(QString(CShellPipeMessage::kMaxPathChars + 1, QLatin1Char('a'))).isEmpty());
        const QByteArray longest = CShellPipeMessage::MakePath(QString(CShellPipeMessage::kMaxPathChars, QLatin1Char('a')));
        QVERIFY(static_cast<size_t>(longest.size()) <= CShellPipeMessage::kMaxMessageSize);
    }

    void goodTransferThroughTheClient()
    {
        const QString name = nextName();
        const QStringList sent = {QStringLiteral("C:\\Users\\a\\Documents"), QStringLiteral("\\\\srv\\pub\\\u00e9t\u00e9.txt")};
        std::atomic<uint32_t> clientRc{1};
        std::thread client([&] { clientRc = CShellPipeClient::Send(sent, name, kPatientMs); });
        CShellPipeServer server(name, kPatientMs);
        QStringList received;
        QCOMPARE(server.ReceiveTransfer(&received), 0u);
        client.join();
        QCOMPARE(clientRc.load(), 0u);
        QCOMPARE(received, sent);
        QVERIFY(!QFileInfo::exists(name)); // the socket is gone once the transfer is over
    }

    void socketIsPrivateToTheUser()
    {
        const QString name = nextName();
        RawClient client(name, CShellPipeMessage::MakeCount(1) + pathMessage(QStringLiteral("C:\\a")), false);
        CShellPipeServer server(name, kPatientMs);
        QStringList paths;
        QCOMPARE(server.ReceiveTransfer(&paths), 0u);
        client.finish();
        QVERIFY(client.privateSocket);
    }

    void refusedTransfers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hangUp");
        QTest::addColumn<uint32_t>("expected");
        const QByteArray good = pathMessage(QStringLiteral("C:\\a"));
        QByteArray noTerminator = header(CShellPipeMessage::kMagic, 12) + QByteArray("a\0b\0", 4);

        QTest::newRow("wrong magic") << header(0x12345678, 12) + QByteArray(4, '\1') << false << CShellPipeServer::kErrBadHeader;
        QTest::newRow("count 0") << countMessage(0) << false << CShellPipeServer::kErrBadCount;
        QTest::newRow("16-byte first message") << countMessage(1, 16) + good << false << CShellPipeServer::kErrBadCount;
        QTest::newRow("too many paths") << countMessage(CShellPipeServer::kMaxPaths + 1) << false << CShellPipeServer::kErrTooManyPaths;
        QTest::newRow("path below 9 bytes") << countMessage(1) + header(CShellPipeMessage::kMagic, 8) << false << CShellPipeServer::kErrBadHeader;
        QTest::newRow("oversized length") << countMessage(1) + header(CShellPipeMessage::kMagic, 40000) << false << CShellPipeServer::kErrOversized;
        QTest::newRow("path without terminator") << countMessage(1) + noTerminator << false << CShellPipeServer::kErrBadPath;
        QTest::newRow("only an empty path") << countMessage(1) + header(CShellPipeMessage::kMagic, 10) + QByteArray(2, '\0')
                                            << false << CShellPipeServer::kErrNoPaths;
        QTest::newRow("short header, stalls") << countMessage(1).left(5) << false << CShellPipeServer::kErrTimeout;
        QTest::newRow("short body, stalls") << countMessage(1) + good.left(good.size() - 1) << false << CShellPipeServer::kErrTimeout;
        QTest::newRow("connects, sends nothing") << QByteArray() << false << CShellPipeServer::kErrTimeout;
        QTest::newRow("fewer paths than counted") << countMessage(2) + good << true << CShellPipeServer::kErrClosed;
        QTest::newRow("hangs up in a header") << countMessage(1).left(6) << true << CShellPipeServer::kErrClosed;
    }
    void refusedTransfers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hangUp);
        QFETCH(uint32_t, expected);
        QStringList paths;
        QCOMPARE(receive(bytes, hangUp, expected == CShellPipeServer::kErrTimeout, &paths), expected);
        QVERIFY(paths.isEmpty());
    }

    void tricklingSenderIsBoundedAsAWhole()
    {
        QByteArray messages = countMessage(12);
        for (int i = 0; i < 12; ++i)
            messages += pathMessage(QStringLiteral("C:\\p%1").arg(i));
        QCOMPARE(receive(messages, false, true, nullptr, true), CShellPipeServer::kErrTimeout);
    }

    void eitherEndAloneGivesUp()
    {
        CShellPipeServer server(nextName(), kTestTimeoutMs);
        QStringList paths;
        QCOMPARE(server.ReceiveTransfer(&paths), CShellPipeServer::kErrNoClient);
        QVERIFY(paths.isEmpty());
        QCOMPARE(CShellPipeClient::Send({QStringLiteral("C:\\a")}, nextName(), kTestTimeoutMs), CShellPipeClient::kErrNoServer);
        QCOMPARE(CShellPipeClient::Send({}, nextName(), kTestTimeoutMs), CShellPipeClient::kErrBadPath);
        QCOMPARE(CShellPipeClient::Send({QString()}, nextName(), kTestTimeoutMs), CShellPipeClient::kErrBadPath);
    }

    void sharedListIsFilledOnce()
    {
        CUIPublic* pub = CUIPublic::Instance();
        pub->ResetShellStateForTest();
        const QString name = nextName();
        pub->SetShellPipeForTest(name, kPatientMs);

        // Without the launch flag nothing is read.
        QVERIFY(pub->ReceiveShellPaths().isEmpty());

        pub->SetShellLaunchFlag(1);
        const QStringList first = {QStringLiteral("D:\\Projects"), QStringLiteral("D:\\notes.txt")};
        std::atomic<uint32_t> firstRc{1};
        std::thread sender([&] { firstRc = CShellPipeClient::Send(first, name, kPatientMs); });
        QCOMPARE(pub->ReceiveShellPaths(), first);
        sender.join();
        QCOMPARE(firstRc.load(), 0u);

        // A second call answers the first list; a second sender finds nobody listening.
        std::atomic<uint32_t> secondRc{0};
        std::thread late([&] { secondRc = CShellPipeClient::Send({QStringLiteral("E:\\other")}, name, kTestTimeoutMs); });
        QCOMPARE(pub->ReceiveShellPaths(), first);
        late.join();
        QCOMPARE(secondRc.load(), CShellPipeClient::kErrNoServer);
        QCOMPARE(pub->ShellPaths(), first);
        pub->ResetShellStateForTest();
    }

    void failedTransferLeavesTheListEmpty()
    {
        CUIPublic* pub = CUIPublic::Instance();
        pub->ResetShellStateForTest();
        pub->SetShellPipeForTest(nextName(), kTestTimeoutMs);
        pub->SetShellLaunchFlag(1);
        QVERIFY(pub->ReceiveShellPaths().isEmpty());
        QVERIFY(pub->ShellPaths().isEmpty());
        pub->ResetShellStateForTest();
    }
};

QTEST_GUILESS_MAIN(TestShellPipe)
#include "tst_shellpipe.moc"
