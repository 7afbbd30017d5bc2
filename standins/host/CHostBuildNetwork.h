#pragma once
#include "CHostContextCore.h"
#include "IBuildNetwork.h"

// The network-building piece of a host context: the network locations of a backup task.
class CHostBuildNetwork : public virtual CHostContextCore, public IBuildNetwork
{
public:
    uint32_t GetTaskNetRecords(void* buffer, uint32_t* size) override;
    uint32_t SetNetworkLocations(const void* records, uint32_t count) override;
};
