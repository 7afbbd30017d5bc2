#pragma once
#include "IUIRecordTaker.h"

// Host interface of the file-restore context (page 39).
class IUIFileRestore : public IUIImagePathSource, public IUIRecordTaker
{
public:
    // The record-taking operation of the primary interface.
    virtual uint32_t TakeRestoreRecord(const void* record, uint32_t size) = 0;
    // Called by the recovery manager's destructor with (0xFFFFFFFF, 0, 0).
    virtual uint32_t NotifyRecovery(uint32_t a, uint32_t b, uint32_t c) = 0;
};
