#include "CMsgHub.h"

#include "CTrace.h"
#include "HostResult.h"

#include <QCoreApplication>
#include <mutex>
#include <QThread>
#include <QVector>

namespace {

constexpr uint32_t kSendBadPayload = HostResult::Make(0x101, HostResult::kErrInvalidArg);
constexpr uint32_t kSubscribeBadArg = HostResult::Make(0x102, HostResult::kErrInvalidArg);
constexpr uint32_t kUnsubscribeNotFound = HostResult::Make(0x103, HostResult::kErrNotFound);
constexpr uint32_t kRaiseBadKind = HostResult::Make(0x104, HostResult::kErrInvalidArg);

struct Subscription
{
    uint64_t serial;
    uint32_t kind;
    uint32_t id;
    NRDeliveryCallback callback;
    void* receiver;
};

} // namespace

class CMsgHub::Private
{
public:
    mutable std::mutex mutex; // a standard mutex: its hand-overs are visible to the thread sanitizer
    QVector<Subscription> subscriptions;
    uint64_t nextSerial = 1;
    QList<CHubRecord> records;

    int64_t subscribe(uint32_t kind, uint32_t id, NRDeliveryCallback callback, void* receiver)
    {
        if (!callback)
            return kSubscribeBadArg;
        std::lock_guard<std::mutex> lock(mutex);
        subscriptions.append(Subscription{nextSerial++, kind, id, callback, receiver});
        return 0;
    }

    bool stillSubscribed(uint64_t serial) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const Subscription& s : subscriptions)
            if (s.serial == serial)
                return true;
        return false;
    }

    // Runs on the GUI thread. Callbacks run without the lock: a receiver may subscribe, send or
    // unsubscribe (itself or others) from inside its handler.
    void deliver(uint32_t kind, uint32_t id, const QByteArray& payload)
    {
        QVector<Subscription> targets;
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (const Subscription& s : subscriptions)
                if (s.kind == kind && s.id == id)
                    targets.append(s);
        }
        for (const Subscription& s : targets) {
            if (!stillSubscribed(s.serial))
                continue;
            NRDeliveryRecord record;
            record.id = id;
            record.payload = payload.isEmpty() ? nullptr : payload.constData();
            record.length = static_cast<uint32_t>(payload.size());
            record.kind = kind;
            s.callback(&record, s.receiver);
        }
    }

    void dispatch(uint32_t kind, uint32_t id, const QByteArray& payload)
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread()) {
            deliver(kind, id, payload);
            return;
        }
        // The hub lives as long as the process, so `this` outlives every queued delivery; the
        // application object is the context, so nothing runs once it is gone.
        QMetaObject::invokeMethod(
            app, [this, kind, id, payload]() { deliver(kind, id, payload); }, Qt::QueuedConnection);
    }
};

CMsgHub::CMsgHub() : d(new Private) {}

CMsgHub::~CMsgHub()
{
    delete d;
}

int64_t CMsgHub::Send(uint32_t id, uint32_t zero, const void* payload, uint32_t length)
{
    Q_UNUSED(zero);
    if (!payload && length > 0) {
        NR_TRACE(u"File = %s, Line = %u, message %u without payload", __FILE__, __LINE__, id);
        return kSendBadPayload;
    }
    const QByteArray bytes = length ? QByteArray(static_cast<const char*>(payload), static_cast<int>(length))
                                    : QByteArray();
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->records.append(CHubRecord{id, bytes});
    }
    d->dispatch(kKindMessage, id, bytes);
    return 0;
}

int64_t CMsgHub::SubscribeMsg(uint32_t id, NRDeliveryCallback callback, void* receiver)
{
    return d->subscribe(kKindMessage, id, callback, receiver);
}

int64_t CMsgHub::SubscribeSig(uint32_t id, NRDeliveryCallback callback, void* receiver)
{
    return d->subscribe(kKindSignal, id, callback, receiver);
}

int64_t CMsgHub::Unsubscribe(uint32_t id, void* receiver)
{
    // One call removes one subscription, a message one before a signal one: a receiver that
    // registered an id twice unregisters it twice.
    std::lock_guard<std::mutex> lock(d->mutex);
    for (uint32_t kind : {kKindMessage, kKindSignal}) {
        for (int i = 0; i < d->subscriptions.size(); ++i) {
            const Subscription& s = d->subscriptions.at(i);
            if (s.kind == kind && s.id == id && s.receiver == receiver) {
                d->subscriptions.remove(i);
                return 0;
            }
        }
    }
    return kUnsubscribeNotFound;
}

int64_t CMsgHub::Raise(uint32_t kind, uint32_t id, const QByteArray& payload)
{
    if (kind != kKindMessage && kind != kKindSignal)
        return kRaiseBadKind;
    d->dispatch(kind, id, payload);
    return 0;
}

QList<CHubRecord> CMsgHub::Records() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->records;
}

void CMsgHub::ClearRecords()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->records.clear();
}

int CMsgHub::SubscriptionCount(uint32_t kind, uint32_t id) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    int n = 0;
    for (const Subscription& s : d->subscriptions)
        n += (s.kind == kind && s.id == id) ? 1 : 0;
    return n;
}
