#include "CMsgHub.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>

#include <cstring>

namespace {

// What a receiver saw of one delivery.
struct Seen
{
    uint32_t id;
    uint32_t kind;
    QByteArray payload;
    QThread* thread;
};

struct Receiver
{
    QList<Seen> seen;
    CMsgHub* hub = nullptr;
    bool unsubscribeSelf = false;
};

int64_t onDelivery(NRDeliveryRecord* record, void* receiver)
{
    auto* r = static_cast<Receiver*>(receiver);
    r->seen.append(Seen{record->id, record->kind,
                        record->payload ? QByteArray(static_cast<const char*>(record->payload), int(record->length))
                                        : QByteArray(),
                        QThread::currentThread()});
    if (r->unsubscribeSelf && r->hub)
        r->hub->Unsubscribe(record->id, receiver);
    return 7;
}

} // namespace

class TestMsgHub : public QObject
{
    Q_OBJECT
private slots:
    void subscriptionsCountPerCall();
    void messagesAndSignalsStaySeparate();
    void workerSendIsDeliveredOnGuiThread();
    void queuedDeliverySkipsReceiverGoneMeanwhile();
    void handlerMayUnsubscribeDuringDelivery();
    void badArguments();
};

void TestMsgHub::subscriptionsCountPerCall()
{
    CMsgHub hub;
    Receiver a;
    const char flag = 1;
    QCOMPARE(hub.SubscribeMsg(4682, onDelivery, &a), int64_t(0));
    QCOMPARE(hub.SubscribeMsg(4682, onDelivery, &a), int64_t(0));
    hub.Send(4682, 0, &flag, 1);
    QCOMPARE(a.seen.size(), 2); // once per subscription

    // One unsubscribe removes one of the two subscriptions.
    QCOMPARE(hub.Unsubscribe(4682, &a), int64_t(0));
    QCOMPARE(hub.SubscriptionCount(CMsgHub::kKindMessage, 4682), 1);
    QCOMPARE(hub.Unsubscribe(4682, &a), int64_t(0));
    QVERIFY(hub.Unsubscribe(4682, &a) != 0);
    QCOMPARE(hub.SubscriptionCount(CMsgHub::kKindMessage, 4682), 0);
}

void TestMsgHub::messagesAndSignalsStaySeparate()
{
    CMsgHub hub;
    Receiver msg, sig;
    hub.SubscribeMsg(10, onDelivery, &msg);
    hub.SubscribeSig(10, onDelivery, &sig);
    hub.SubscribeMsg(11, onDelivery, &msg);

    const uint32_t value = 0x01020304;
    hub.Raise(CMsgHub::kKindSignal, 10, QByteArray(reinterpret_cast<const char*>(&value), 4));
    QCOMPARE(msg.seen.size(), 0);
    QCOMPARE(sig.seen.size(), 1);
    QCOMPARE(sig.seen[0].kind, uint32_t(1));
    QCOMPARE(sig.seen[0].payload, QByteArray(reinterpret_cast<const char*>(&value), 4));

    hub.Send(10, 0, "ab", 2);
    QCOMPARE(msg.seen.size(), 1);
    QCOMPARE(msg.seen[0].kind, uint32_t(0));
    QCOMPARE(msg.seen[0].id, uint32_t(10));
    QCOMPARE(sig.seen.size(), 1);

    // Unsubscribe serves both kinds: the message subscription of an id goes first.
    hub.SubscribeSig(11, onDelivery, &msg);
    hub.Unsubscribe(11, &msg);
    QCOMPARE(hub.SubscriptionCount(CMsgHub::kKindMessage, 11), 0);
    QCOMPARE(hub.SubscriptionCount(CMsgHub::kKindSignal, 11), 1);
    QVERIFY(hub.Raise(7, 11, QByteArray()) != 0);
}

void TestMsgHub::workerSendIsDeliveredOnGuiThread()
{
    CMsgHub hub;
    Receiver r;
    hub.SubscribeMsg(4675, onDelivery, &r);
    QThread* worker = QThread::create([&hub]() {
        const char has = 1;
        hub.Send(4675, 0, &has, 1);
    });
    worker->start();
    QVERIFY(worker->wait(10000));
    delete worker;
    // Nothing may run on the worker: the delivery waits for the GUI thread's event loop.
    QVERIFY(r.seen.isEmpty());
    QTRY_COMPARE(r.seen.size(), 1);
    QCOMPARE(r.seen[0].thread, QCoreApplication::instance()->thread());
    QCOMPARE(r.seen[0].payload, QByteArray(1, '\1'));
    // The worker's payload buffer is gone; the delivery carried its own copy.
    QCOMPARE(hub.Records().size(), 1);
}

void TestMsgHub::queuedDeliverySkipsReceiverGoneMeanwhile()
{
    CMsgHub hub;
    Receiver stays, leaves;
    hub.SubscribeMsg(5, onDelivery, &stays);
    hub.SubscribeMsg(5, onDelivery, &leaves);
    QThread* worker = QThread::create([&hub]() { hub.Send(5, 0, nullptr, 0); });
    worker->start();
    QVERIFY(worker->wait(10000));
    delete worker;
    hub.Unsubscribe(5, &leaves);
    QTRY_COMPARE(stays.seen.size(), 1);
    QCoreApplication::processEvents();
    QVERIFY(leaves.seen.isEmpty());
}

void TestMsgHub::handlerMayUnsubscribeDuringDelivery()
{
    CMsgHub hub;
    Receiver first, second;
    first.hub = &hub;
    first.unsubscribeSelf = true;
    hub.SubscribeMsg(9, onDelivery, &first);
    hub.SubscribeMsg(9, onDelivery, &second);
    hub.Send(9, 0, nullptr, 0);
    hub.Send(9, 0, nullptr, 0);
    QCOMPARE(first.seen.size(), 1);
    QCOMPARE(second.seen.size(), 2);
}

void TestMsgHub::badArguments()
{
    CMsgHub hub;
    Receiver r;
    QVERIFY(hub.SubscribeMsg(1, nullptr, &r) != 0);
    QVERIFY(hub.SubscribeSig(1, nullptr, &r) != 0);
    hub.SubscribeMsg(1, onDelivery, &r);
    // A length without bytes is refused, neither recorded nor delivered.
    QVERIFY(hub.Send(1, 0, nullptr, 4) != 0);
    QVERIFY(hub.Records().isEmpty());
    QVERIFY(r.seen.isEmpty());
}

QTEST_GUILESS_MAIN(TestMsgHub)
#include "tst_msghub.moc"
