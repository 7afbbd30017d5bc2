#pragma once
#include "NRDeliveryRecord.h"

#include <QtPlugin>
#include <cstdint>
#include <vector>

class IMsgHub;

// The module's side of the host's message hub: remembers what it subscribed to, unsubscribes
// from all of it when it dies, and dispatches deliveries to OnMsg / OnSig.
class CMsgReceiver
{
public:
    CMsgReceiver() = default;
    virtual ~CMsgReceiver();

    virtual void SetHub(IMsgHub* hub);
    virtual void RegisterMsg(uint32_t id);
    virtual void UnregisterMsg(uint32_t id);   // 0: every recorded id
    virtual void RegisterSig(uint32_t id);
    virtual void UnregisterSig(uint32_t id);   // 0: every recorded id
    virtual int64_t OnMsg(NRDeliveryRecord record);
    virtual int64_t OnSig(NRDeliveryRecord record);

    IMsgHub* Hub() const { return hub; }
    const std::vector<uint32_t>& MsgIds() const { return msgIds; }
    const std::vector<uint32_t>& SigIds() const { return sigIds; }

    // The callback the receiver hands the hub: dispatches by the record's kind.
    static int64_t Deliver(NRDeliveryRecord* record, void* receiver);

    CMsgReceiver(const CMsgReceiver&) = delete;
    CMsgReceiver& operator=(const CMsgReceiver&) = delete;

private:
    void unregister(std::vector<uint32_t>& ids, uint32_t id);

    IMsgHub* hub = nullptr;
    std::vector<uint32_t> msgIds;
    std::vector<uint32_t> sigIds;
};

// Lets the host reach the receiver of a page object it holds as a QObject:
// qobject_cast / qt_metacast("CMsgReceiver").
Q_DECLARE_INTERFACE(CMsgReceiver, "CMsgReceiver")
