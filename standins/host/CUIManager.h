#pragma once
#include "IUIManager.h"

class CMsgHub;
class CUIService;
class CObjectCreator;

// The process's one UI manager: it owns the hub, the service object, the object creator and the
// global UI data record, and lives until the process ends.
class CUIManager : public IUIManager
{
public:
    static CUIManager* Instance();

    IMsgHub* GetHub() override;
    IUIService* GetService() override;
    NRGlobalUIData* GetGlobalUIData() override;
    IObjectCreator* GetObjectCreator() override;
    IUILogic* GetUILogic() override;
    int GetShellLaunchFlag() override;
    int64_t GetShellProcessId() override;
    void SetShellLaunchFlag(int flag) override;
    void SetShellProcessId(int64_t pid) override;

    CMsgHub* Hub();
    CUIService* Service();
    CObjectCreator* ObjectCreator();

private:
    CUIManager();
    ~CUIManager() override;
    CUIManager(const CUIManager&) = delete;
    CUIManager& operator=(const CUIManager&) = delete;

    class Private;
    Private* d;
};
