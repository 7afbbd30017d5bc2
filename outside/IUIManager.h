#pragma once
#include <cstdint>

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

    // Shell launch: whether the host was started from the desktop shell's menu, and the id of the
    // process that sends the paths. The host sets both before the module is created; the module
    // takes them when it is handed the manager. Managers that predate these answer "not launched".
    virtual int GetShellLaunchFlag() { return 0; }
    virtual int64_t GetShellProcessId() { return 0; }
    virtual void SetShellLaunchFlag(int flag) { (void)flag; }
    virtual void SetShellProcessId(int64_t pid) { (void)pid; }
};

extern "C" {
// Export of the UIManager library: the process's one UI-manager object (never freed by callers).
typedef IUIManager* (*NRUIManagerCreateFn)();
}
