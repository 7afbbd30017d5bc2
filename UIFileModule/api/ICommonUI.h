#pragma once
#include <cstdint>

// Published interface of the module: the root object's primary base. A host compiled only
// against ICommonUI.h, IBackupRecoverUI.h and IUIWidget.h drives the module through these slots;
// their order is part of the contract and must never change.
class ICommonUI
{
public:
    virtual ~ICommonUI() = default;                 // slot 0
    virtual int64_t QueryValue(uint64_t key) = 0;   // slot 1: always 0
    virtual void Release() = 0;                     // slot 2: tears down the pages
};

extern "C" {
// The module's only export.
typedef ICommonUI* (*NRModuleCreateFn)();
}
