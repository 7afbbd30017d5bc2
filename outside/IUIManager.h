#pragma once

class IMsgHub;
class IUIService;
class IObjectCreator;
class IUILogic;
class IUIManager;

// The host's global UI data record. It caches the UI-manager pointer for the whole process.
struct NRGlobalUIData
{
    IUIManager* uiManager = nullptr;
    void* reserved[7] = {};
};

// The host's UI-manager object, created by "CreateObject" of the UIManager library.
class IUIManager
{
public:
    virtual ~IUIManager() = default;
    virtual IMsgHub* GetHub() = 0;
    virtual IUIService* GetService() = 0;
    virtual NRGlobalUIData* GetGlobalUIData() = 0;
    virtual IObjectCreator* GetObjectCreator() = 0;
    virtual IUILogic* GetUILogic() = 0;
};

extern "C" {
// Export of the UIManager library: the process's one UI-manager object (never freed by callers).
typedef IUIManager* (*NRUIManagerCreateFn)();
}
