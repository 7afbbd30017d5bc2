#pragma once
#include "IMsgHub.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

// One message as the hub received it through Send.
struct CHubRecord
{
    uint32_t id = 0;
    QByteArray payload;
};

// The host's message hub. Subscriptions are kept per id and receiver; subscribing twice means two
// deliveries. Deliveries run on the GUI thread: at once when the sender is on it, otherwise
// queued to it. A queued delivery goes to the subscribers of the moment it runs, so a receiver
// that unsubscribed meanwhile (typically because it was destroyed) is never called.
class CMsgHub : public IMsgHub
{
public:
    static constexpr uint32_t kKindMessage = 0;
    static constexpr uint32_t kKindSignal = 1;

    CMsgHub();
    ~CMsgHub() override;
    CMsgHub(const CMsgHub&) = delete;
    CMsgHub& operator=(const CMsgHub&) = delete;

    int64_t Send(uint32_t id, uint32_t zero, const void* payload, uint32_t length) override;
    int64_t SubscribeMsg(uint32_t id, NRDeliveryCallback callback, void* receiver) override;
    int64_t Unsubscribe(uint32_t id, void* receiver) override;
    int64_t SubscribeSig(uint32_t id, NRDeliveryCallback callback, void* receiver) override;

    // The host's own side: raises a signal (kind 1) or a message (kind 0) for the subscribers of
    // `id` without recording it. Same threading rules as Send.
    int64_t Raise(uint32_t kind, uint32_t id, const QByteArray& payload);

    // Every message sent through Send, in order.
    QList<CHubRecord> Records() const;
    void ClearRecords();
    // Live subscriptions of `id` of that kind (duplicates counted).
    int SubscriptionCount(uint32_t kind, uint32_t id) const;

private:
    class Private;
    Private* d;
};
