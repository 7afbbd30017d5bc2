#pragma once
#include <cstdint>

// Host interface for the network locations of a backup task (records of 783 bytes).
class IBuildNetwork
{
public:
    static constexpr uint32_t kRecordSize = 783;
    virtual ~IBuildNetwork() = default;
    // 0x24C protocol, like IUIFileOperation.
    virtual uint32_t GetTaskNetRecords(void* buffer, uint32_t* size) = 0;
    virtual uint32_t SetNetworkLocations(const void* records, uint32_t count) = 0;
};
