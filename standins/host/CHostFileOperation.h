#pragma once
#include "CHostContextCore.h"
#include "IUIFileOperation.h"

// The file-operation piece of a host context: takes a page's filter block and credential
// records, and serves the edited task's blocks.
class CHostFileOperation : public virtual CHostContextCore, public IUIFileOperation
{
public:
    static constexpr uint32_t kCredentialRecordSize = 1128;

    uint32_t SetFilter(const void* block, uint32_t size) override;
    uint32_t SetCredentials(const void* records, uint32_t count) override;
    uint32_t GetTaskFilter(void* buffer, uint32_t* size) override;
    uint32_t GetTaskSecondFilter(void* buffer, uint32_t* size) override;
    uint32_t GetFilterKind() override;
    uint32_t SetFilterState(uint32_t value) override;
};
