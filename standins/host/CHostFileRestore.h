#pragma once
#include "CHostContextCore.h"
#include "IUIFileRestore.h"

// The file-restore piece of a host context (page 39): the image path and the restore records.
class CHostFileRestore : public virtual CHostContextCore, public IUIFileRestore
{
public:
    uint32_t GetImagePath(char16_t* buffer, uint32_t* length) override;
    // Secondary base: noted as "IUIFileRestore::TakeRecord".
    uint32_t TakeRecord(const void* record, uint32_t size) override;
    uint32_t TakeRestoreRecord(const void* record, uint32_t size) override;
    uint32_t NotifyRecovery(uint32_t a, uint32_t b, uint32_t c) override;
};
