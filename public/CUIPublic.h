#pragma once
#include <QScopedPointer>
#include <QString>
#include <QStringList>

#include <cstdint>

class CKWIniParser;
class IMsgHub;
class IUIManager;
class IUIService;

// The module's shared utility object: the three INI parsers, the host's UI manager and the shared
// shell-launch state. One per process; every member is safe to call from any thread.
class CUIPublic
{
public:
    static CUIPublic* Instance();

    // "../res/UIConfig.ini": the UI configuration.
    CKWIniParser* GetUIConfig() const;
    // "./UIConfigAdd.ini": additions written at run time. When the file has gone missing the
    // parser is re-opened so that nothing stale is served.
    CKWIniParser* GetUIConfigAdd() const;
    // "./default.ini": installation defaults.
    CKWIniParser* GetDefaultIni() const;

    // Set by the module's root object; null until then. When the manager says the host was
    // launched from the shell, its flag and sender id become the shared shell state (and the
    // manager's are cleared).
    void SetUIManager(IUIManager* manager);
    IUIManager* GetUIManager() const;
    IMsgHub* GetHub() const;
    IUIService* GetService() const;

    // Answer for the browser's environment option bits: 4 without a UI configuration, 1 in the
    // pre-boot environment ("IsWinPE" of "Public"), otherwise "EnvAnswer" of "Public" in
    // default.ini (2 when absent).
    uint32_t BrowserEnvAnswer() const;
    // The option bits every page's browser takes from the configuration: "cloud locations are not
    // offered" unless "FileBKSrc" of "SupportCloud" offers them, and the three environment bits
    // when the environment answer (also handed back through envAnswer) is 1.
    uint32_t PageBrowserOptions(uint32_t* envAnswer = nullptr) const;

    // Shell launch: the flag (0 or 1) and the process id of the shell extension's helper, taken
    // from the UI manager; the setters are for tests.
    void SetShellLaunchFlag(int flag);
    int ShellLaunchFlag() const;
    void SetShellProcessId(qint64 pid);
    qint64 ShellProcessId() const;
    // Sends SIGKILL to the stored process when its id is positive and not this process, then
    // forgets the id (a recycled id is never hit later). Answers whether a signal was sent.
    bool TerminateShellProcess();

    // The paths received through the shell pipe. When the flag is set and nothing has been
    // received yet, this blocks the calling thread for one transfer (every wait bounded); later
    // calls answer the same list without reading again.
    QStringList ReceiveShellPaths();
    QStringList ShellPaths() const;

    // Test hooks: other files for the three parsers (re-opened at once; pointers handed out stay
    // valid), another pipe name and wait bound, and a clean shell state.
    void SetConfigPathsForTest(const QString& uiConfig, const QString& uiConfigAdd, const QString& defaultIni);
    void SetShellPipeForTest(const QString& name, int timeoutMs);
    void ResetShellStateForTest();

    ~CUIPublic();

private:
    CUIPublic();
    class Private;
    QScopedPointer<Private> d;
};
