#pragma once
#include "IUIRecordTaker.h"

// Host interface of the disk-restore context (page 40); the image path comes from its
// IUIImagePathSource base.
class IUIDiskRestore : public IUIRecordTaker, public IUIImagePathSource
{
public:
    virtual uint32_t DiskRestoreMode() = 0;
};
