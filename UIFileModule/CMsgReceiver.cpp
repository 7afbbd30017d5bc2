#include "CMsgReceiver.h"

#include "IMsgHub.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t kKindMessage = 0;
constexpr uint32_t kKindSignal = 1;
} // namespace

CMsgReceiver::~CMsgReceiver()
{
    // Leave no dangling receiver behind in the hub.
    UnregisterMsg(0);
    UnregisterSig(0);
}

void CMsgReceiver::SetHub(IMsgHub* newHub)
{
    hub = newHub;
}

void CMsgReceiver::RegisterMsg(uint32_t id)
{
    msgIds.push_back(id);
    if (hub)
        hub->SubscribeMsg(id, &CMsgReceiver::Deliver, this);
}

void CMsgReceiver::RegisterSig(uint32_t id)
{
    sigIds.push_back(id);
    if (hub)
        hub->SubscribeSig(id, &CMsgReceiver::Deliver, this);
}

void CMsgReceiver::unregister(std::vector<uint32_t>& ids, uint32_t id)
{
    if (id == 0) {
        if (hub) {
            for (uint32_t each : ids)
                hub->Unsubscribe(each, this);
        }
        ids.clear();
        return;
    }
    auto it = std::find(ids.begin(), ids.end(), id);
    if (it == ids.end())
        return;
    if (hub)
        hub->Unsubscribe(id, this);
    ids.erase(it);
}

void CMsgReceiver::UnregisterMsg(uint32_t id)
{
    unregister(msgIds, id);
}

void CMsgReceiver::UnregisterSig(uint32_t id)
{
    unregister(sigIds, id);
}

int64_t CMsgReceiver::OnMsg(NRDeliveryRecord record)
{
    std::printf("receiver msg:%d\n", static_cast<int>(record.id));
    std::fflush(stdout);
    return 0;
}

int64_t CMsgReceiver::OnSig(NRDeliveryRecord record)
{
    // Little-endian value of at most the first four payload bytes; the rest stay zero.
    uint8_t bytes[4] = {0, 0, 0, 0};
    const uint32_t n = std::min<uint32_t>(record.length, 4);
    if (record.payload && n)
        std::memcpy(bytes, record.payload, n);
    const int32_t value = static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                               uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
    std::printf("receiver sig:%d,%d\n", static_cast<int>(record.id), static_cast<int>(value));
    std::fflush(stdout);
    return 0;
}

int64_t CMsgReceiver::Deliver(NRDeliveryRecord* record, void* receiver)
{
    if (!receiver || !record)
        return 0;
    auto* self = static_cast<CMsgReceiver*>(receiver);
    switch (record->kind) {
    case kKindMessage: return self->OnMsg(*record);
    case kKindSignal: return self->OnSig(*record);
    default: return 0;
    }
}
