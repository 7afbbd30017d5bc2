#include "CUIManager.h"

#include "CMsgHub.h"
#include "CObjectCreator.h"
#include "CUILogic.h"
#include "CUIService.h"

#include <atomic>

class CUIManager::Private
{
public:
    CMsgHub hub;
    CUIService service;
    CObjectCreator creator;
    NRGlobalUIData globalData;
    // Written by the host before the module exists, read by the module's thread of creation.
    std::atomic<int> shellFlag{0};
    std::atomic<int64_t> shellPid{0};
};

CUIManager* CUIManager::Instance()
{
    // Built on first use and never destroyed: modules may still reach the hub from their own
    // static destructors at exit, so the manager must outlive every one of them.
    static CUIManager* const instance = new CUIManager;
    return instance;
}

CUIManager::CUIManager() : d(new Private)
{
    d->globalData.uiManager = this;
}

CUIManager::~CUIManager()
{
    delete d;
}

IMsgHub* CUIManager::GetHub()
{
    return &d->hub;
}

IUIService* CUIManager::GetService()
{
    return &d->service;
}

NRGlobalUIData* CUIManager::GetGlobalUIData()
{
    return &d->globalData;
}

IObjectCreator* CUIManager::GetObjectCreator()
{
    return &d->creator;
}

IUILogic* CUIManager::GetUILogic() { return CUILogic::Instance(); }

int CUIManager::GetShellLaunchFlag()
{
    return d->shellFlag.load();
}

int64_t CUIManager::GetShellProcessId()
{
    return d->shellPid.load();
}

void CUIManager::SetShellLaunchFlag(int flag)
{
    d->shellFlag.store(flag ? 1 : 0);
}

void CUIManager::SetShellProcessId(int64_t pid)
{
    d->shellPid.store(pid);
}

CMsgHub* CUIManager::Hub()
{
    return &d->hub;
}

CUIService* CUIManager::Service()
{
    return &d->service;
}

CObjectCreator* CUIManager::ObjectCreator()
{
    return &d->creator;
}

extern "C" __attribute__((visibility("default"))) IUIManager* CreateObject()
{
    return CUIManager::Instance();
}
