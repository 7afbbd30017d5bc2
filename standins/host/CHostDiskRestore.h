#pragma once
#include "CHostContextCore.h"
#include "IUIDiskRestore.h"

// The disk-restore piece of a host context (page 40): the image path and the restore record.
class CHostDiskRestore : public virtual CHostContextCore, public IUIDiskRestore
{
public:
    uint32_t TakeRecord(const void* record, uint32_t size) override;
    uint32_t GetImagePath(char16_t* buffer, uint32_t* length) override;
    uint32_t DiskRestoreMode() override;
};
