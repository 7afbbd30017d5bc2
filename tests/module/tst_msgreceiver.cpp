#include "CMsgReceiver.h"
#include "CUIManagerProbe.h"
#include "IMsgHub.h"
#include "IUIManager.h"

#include "CLibLoader.h"

#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

// Records what a receiver asks of the hub, as "op id".
class RecordingHub : public IMsgHub
{
public:
    QStringList calls;

    int64_t Send(uint32_t id, uint32_t, const void*, uint32_t) override { return record("send", id); }
    int64_t SubscribeMsg(uint32_t id, NRDeliveryCallback, void*) override { return record("msg", id); }
    int64_t Unsubscribe(uint32_t id, void*) override { return record("unsub", id); }
    int64_t SubscribeSig(uint32_t id, NRDeliveryCallback, void*) override { return record("sig", id); }

private:
    int64_t record(const char* op, uint32_t id)
    {
        calls << QStringLiteral("%1 %2").arg(QLatin1String(op)).arg(id);
        return 0;
    }
};

// Captures what the process writes to standard output while it lives.
class StdoutCapture
{
public:
    StdoutCapture()
    {
        file.open();
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        dup2(file.handle(), STDOUT_FILENO);
    }
    QString take()
    {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
        file.seek(0);
        return QString::fromUtf8(file.readAll());
    }

private:
    QTemporaryFile file;
    int saved = -1;
};

class CountingReceiver : public CMsgReceiver
{
public:
    int msgs = 0;
    QList<uint32_t> sigs;
    int64_t OnMsg(NRDeliveryRecord) override
    {
        ++msgs;
        return 0;
    }
    int64_t OnSig(NRDeliveryRecord record) override
    {
        sigs << record.id;
        return 0;
    }
};

IMsgHub* hostHub()
{
    auto create = reinterpret_cast<NRUIManagerCreateFn>(CLibLoader::Resolve(QStringLiteral("UIManager"), "CreateObject"));
    IUIManager* manager = create ? create() : nullptr;
    return manager ? manager->GetHub() : nullptr;
}

} // namespace

class TestMsgReceiver : public QObject
{
    Q_OBJECT
private slots:
    void duplicateRegistrationsAreKeptAndRemovedOneAtATime()
    {
        // What a dying receiver leaves behind shows against the host's hub below.
        RecordingHub hub;
        CMsgReceiver r;
        r.SetHub(&hub);
        r.RegisterMsg(7);
        r.RegisterMsg(7);
        r.RegisterSig(9);
        QCOMPARE(r.MsgIds().size(), size_t(2));
        r.UnregisterMsg(7);
        QCOMPARE(r.MsgIds().size(), size_t(1));
        r.UnregisterMsg(1234); // never registered: ignored
        QCOMPARE(hub.calls, QStringList({"msg 7", "msg 7", "sig 9", "unsub 7"}));
    }

    void unregisterAllWithZeroAndNullHub()
    {
        RecordingHub hub;
        CMsgReceiver r;
        r.RegisterMsg(1); // no hub yet: recorded, not subscribed, nothing replayed later
        r.SetHub(&hub);
        QVERIFY(hub.calls.isEmpty());
        r.RegisterMsg(2);
        r.UnregisterMsg(0);
        QVERIFY(r.MsgIds().empty());
        QCOMPARE(hub.calls, QStringList({"msg 2", "unsub 1", "unsub 2"}));
        r.SetHub(nullptr);
        r.RegisterSig(5);
        r.UnregisterSig(0); // tolerates the missing hub
        QVERIFY(r.SigIds().empty());
    }

    void againstTheHostsHub()
    {
        IMsgHub* hub = hostHub();
        QVERIFY(hub);
        {
            CountingReceiver r;
            r.SetHub(hub);
            r.RegisterMsg(4000);
            r.RegisterSig(4001);
            QCOMPARE(CUIManagerProbe::MessageSubscriptions(4000), 1);
            QCOMPARE(CUIManagerProbe::SignalSubscriptions(4001), 1);
            CUIManagerProbe::SendMessage(4000, QByteArray());
            CUIManagerProbe::SendSignal(4001, QByteArray("\x05\x00\x00\x00", 4));
            QCOMPARE(r.msgs, 1);
            QCOMPARE(r.sigs, QList<uint32_t>({4001}));
            // Kinds the receiver does not know are dropped, and so is a delivery to nobody.
            NRDeliveryRecord unknown;
            unknown.kind = 2;
            QCOMPARE(CMsgReceiver::Deliver(&unknown, &r), int64_t(0));
            QCOMPARE(CMsgReceiver::Deliver(&unknown, nullptr), int64_t(0));
            QCOMPARE(r.msgs, 1);
        }
        // The dead receiver left nothing subscribed.
        QCOMPARE(CUIManagerProbe::MessageSubscriptions(4000), 0);
        QCOMPARE(CUIManagerProbe::SignalSubscriptions(4001), 0);
    }

    void defaultHandlersPrint()
    {
        CMsgReceiver r;
        StdoutCapture capture;
        NRDeliveryRecord msg;
        msg.id = 17;
        CMsgReceiver::Deliver(&msg, &r);

        const unsigned char shortPayload[2] = {0x01, 0x02};
        NRDeliveryRecord sig;
        sig.id = 5;
        sig.kind = 1;
        sig.payload = shortPayload;
        sig.length = 2; // only these bytes count; the rest of the value stays zero
        CMsgReceiver::Deliver(&sig, &r);

        const unsigned char longPayload[6] = {0x10, 0x00, 0x00, 0x00, 0xFF, 0xFF};
        sig.payload = longPayload;
        sig.length = 6;
        CMsgReceiver::Deliver(&sig, &r);
        QCOMPARE(capture.take(), QStringLiteral("receiver msg:17\nreceiver sig:5,513\nreceiver sig:5,16\n"));
    }
};

QTEST_GUILESS_MAIN(TestMsgReceiver)
#include "tst_msgreceiver.moc"
