#pragma once
#include <cstddef>
#include <cstdint>

// What the host's message hub hands a receiver for each delivery (32 bytes).
struct NRDeliveryRecord
{
    uint32_t id = 0;          // message or signal id
    uint32_t reserved0 = 0;
    const void* payload = nullptr; // payload of a signal
    uint64_t reserved1 = 0;
    uint32_t length = 0;      // payload length in bytes
    uint32_t kind = 0;        // 0 message, 1 signal
};
static_assert(sizeof(NRDeliveryRecord) == 32, "delivery record is 32 bytes");
static_assert(offsetof(NRDeliveryRecord, payload) == 8, "payload at 8");
static_assert(offsetof(NRDeliveryRecord, length) == 24, "length at 24");
static_assert(offsetof(NRDeliveryRecord, kind) == 28, "kind at 28");

extern "C" {
// Delivery callback: (record, receiver) -> result handed back to the hub.
typedef int64_t (*NRDeliveryCallback)(NRDeliveryRecord* record, void* receiver);
}
