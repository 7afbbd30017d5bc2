#pragma once
#include "NRDeliveryRecord.h"
#include <cstdint>

// The host's message hub. Deliveries reach subscribers on the GUI thread.
class IMsgHub
{
public:
    virtual ~IMsgHub() = default;
    virtual int64_t Send(uint32_t id, uint32_t zero, const void* payload, uint32_t length) = 0;
    virtual int64_t SubscribeMsg(uint32_t id, NRDeliveryCallback callback, void* receiver) = 0;
    // Used for messages and signals alike.
    virtual int64_t Unsubscribe(uint32_t id, void* receiver) = 0;
    virtual int64_t SubscribeSig(uint32_t id, NRDeliveryCallback callback, void* receiver) = 0;
};
