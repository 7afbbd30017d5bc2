#pragma once
#include "CHostContextCore.h"
#include "IUIBackup.h"

// The backup piece of a host context: the task's source description.
class CHostBackup : public virtual CHostContextCore, public IUIBackup
{
public:
    static constexpr int kMaxDescription = 259;

    uint32_t SetSourceDescription(const char16_t* text) override;
};
