#include "CShellPipeServer.h"
#include "CUIPublic.h"

#include "PipeTestClient.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace pipetest;

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
        const QByteArray nine = Header(CShellPipeMessage::kMagic, 9) + QByteArray(1, '\0');
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
        RawClient client(name, CShellPipeMessage::MakeCount(1) + CShellPipeMessage::MakePath(QStringLiteral("C:\\a")), false);
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
        const QByteArray good = CShellPipeMessage::MakePath(QStringLiteral("C:\\a"));
        QByteArray noTerminator = Header(CShellPipeMessage::kMagic, 12) + QByteArray("a\0b\0", 4);

        QTest::newRow("wrong magic") << Header(0x12345678, 12) + QByteArray(4, '\1') << false << CShellPipeServer::kErrBadHeader;
        QTest::newRow("count 0") << CountMessage(0) << false << CShellPipeServer::kErrBadCount;
        QTest::newRow("16-byte first message") << CountMessage(1, 16) + good << false << CShellPipeServer::kErrBadCount;
        QTest::newRow("too many paths") << CountMessage(CShellPipeServer::kMaxPaths + 1) << false << CShellPipeServer::kErrTooManyPaths;
        QTest::newRow("path below 9 bytes") << CountMessage(1) + Header(CShellPipeMessage::kMagic, 8) << false << CShellPipeServer::kErrBadHeader;
        QTest::newRow("oversized length") << CountMessage(1) + Header(CShellPipeMessage::kMagic, 40000) << false << CShellPipeServer::kErrOversized;
        QTest::newRow("path without terminator") << CountMessage(1) + noTerminator << false << CShellPipeServer::kErrBadPath;
        QTest::newRow("only an empty path") << CountMessage(1) + Header(CShellPipeMessage::kMagic, 10) + QByteArray(2, '\0')
                                            << false << CShellPipeServer::kErrNoPaths;
        QTest::newRow("short header, stalls") << CountMessage(1).left(5) << false << CShellPipeServer::kErrTimeout;
        QTest::newRow("short body, stalls") << CountMessage(1) + good.left(good.size() - 1) << false << CShellPipeServer::kErrTimeout;
        QTest::newRow("connects, sends nothing") << QByteArray() << false << CShellPipeServer::kErrTimeout;
        QTest::newRow("fewer paths than counted") << CountMessage(2) + good << true << CShellPipeServer::kErrClosed;
        QTest::newRow("hangs up in a header") << CountMessage(1).left(6) << true << CShellPipeServer::kErrClosed;
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
        QByteArray messages = CountMessage(12);
        for (int i = 0; i < 12; ++i)
            messages += CShellPipeMessage::MakePath(QStringLiteral("C:\\p%1").arg(i));
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
};

QTEST_GUILESS_MAIN(TestShellPipe)
#include "tst_shellpipe.moc"
