#include "CUIPublic.h"

#include "CKWIniParser.h"
#include "CLibLoader.h"
#include "IProductOptions.h"
#include "CShellPipeServer.h"
#include "CTrace.h"
#include "IUIManager.h"
#include "NRFileBrowserPara.h"

#include <QAtomicPointer>
#include <QMutex>
#include <QMutexLocker>

#include <memory>

#include <signal.h>
#include <unistd.h>

namespace {
const char* const kUIConfigPath = "../res/UIConfig.ini";
const char* const kUIConfigAddPath = "./UIConfigAdd.ini";
const char* const kDefaultIniPath = "./default.ini";

// Without a UI configuration the browser is told to run with its plain environment.
constexpr uint32_t kEnvNoConfiguration = 4;
constexpr uint32_t kEnvPreBoot = 1;
constexpr int kEnvDefault = 2;
} // namespace

class CUIPublic::Private
{
public:
    std::unique_ptr<CKWIniParser> uiConfig{new CKWIniParser(QString::fromLatin1(kUIConfigPath))};
    std::unique_ptr<CKWIniParser> uiConfigAdd{new CKWIniParser(QString::fromLatin1(kUIConfigAddPath))};
    std::unique_ptr<CKWIniParser> defaultIni{new CKWIniParser(QString::fromLatin1(kDefaultIniPath))};
    QAtomicPointer<IUIManager> manager;

    mutable QMutex stateMutex;
    int shellFlag = 0;
    qint64 shellPid = 0;
    QStringList shellPaths;
    QString pipeName; // empty: the default name, worked out when first needed
    int pipeTimeoutMs = CShellPipeServer::kDefaultTimeoutMs;

    // Held for a whole transfer so that two callers never read the pipe at once.
    QMutex receiveMutex;
};

CUIPublic* CUIPublic::Instance()
{
    static CUIPublic instance;
    return &instance;
}

CUIPublic::CUIPublic() : d(new Private) {}

CUIPublic::~CUIPublic() = default;

CKWIniParser* CUIPublic::GetUIConfig() const
{
    return d->uiConfig.get();
}

CKWIniParser* CUIPublic::GetUIConfigAdd() const
{
    if (!d->uiConfigAdd->FileExists())
        d->uiConfigAdd->Reload();
    return d->uiConfigAdd.get();
}

CKWIniParser* CUIPublic::GetDefaultIni() const
{
    return d->defaultIni.get();
}

void CUIPublic::SetUIManager(IUIManager* manager)
{
    d->manager.storeRelease(manager);
    if (!manager || !manager->GetShellLaunchFlag())
        return;
    // The launch is taken over once: the manager forgets it, so a page opened later in the same
    // process neither waits on the pipe again nor signals an id that may since have been reused.
    const qint64 pid = manager->GetShellProcessId();
    manager->SetShellLaunchFlag(0);
    manager->SetShellProcessId(0);
    QMutexLocker lock(&d->stateMutex);
    d->shellFlag = 1;
    d->shellPid = pid;
    d->shellPaths.clear();
}

IUIManager* CUIPublic::GetUIManager() const
{
    return d->manager.loadAcquire();
}

IMsgHub* CUIPublic::GetHub() const
{
    IUIManager* m = GetUIManager();
    return m ? m->GetHub() : nullptr;
}

IUIService* CUIPublic::GetService() const
{
    IUIManager* m = GetUIManager();
    return m ? m->GetService() : nullptr;
}

uint32_t CUIPublic::PageBrowserOptions(uint32_t* envAnswer) const
{
    uint32_t options = 0;
    CKWIniParser* config = GetUIConfig();
    if (!config || !config->GetBool(QStringLiteral("FileBKSrc"), QStringLiteral("SupportCloud")))
        options |= NRBrowserOption::kNoCloud;
    const uint32_t env = BrowserEnvAnswer();
    if (env == kEnvPreBoot)
        options |= NRBrowserOption::kEnv0200 | NRBrowserOption::kEnv0400 | NRBrowserOption::kEnv2000;
    if (envAnswer)
        *envAnswer = env;
    return options;
}

uint32_t CUIPublic::BrowserEnvAnswer() const
{
    if (!d->uiConfig->FileExists())
        return kEnvNoConfiguration;
    if (d->uiConfig->GetBool(QStringLiteral("IsWinPE"), QStringLiteral("Public")))
        return kEnvPreBoot;
    // The options component knows the session; without it the installation's default.ini may
    // still name one.
    std::unique_ptr<IProductOptions> options(static_cast<IProductOptions*>(
        CLibLoader::CreateNRObject(QStringLiteral("NROptions"), IProductOptions::kObjectId)));
    if (options)
        return options->EnvironmentAnswer();
    const int answer = d->defaultIni->GetInt(QStringLiteral("EnvAnswer"), QStringLiteral("Public"), kEnvDefault);
    return static_cast<uint32_t>(answer);
}

void CUIPublic::SetShellLaunchFlag(int flag)
{
    QMutexLocker lock(&d->stateMutex);
    d->shellFlag = flag ? 1 : 0;
}

int CUIPublic::ShellLaunchFlag() const
{
    QMutexLocker lock(&d->stateMutex);
    return d->shellFlag;
}

void CUIPublic::SetShellProcessId(qint64 pid)
{
    QMutexLocker lock(&d->stateMutex);
    d->shellPid = pid;
}

qint64 CUIPublic::ShellProcessId() const
{
    QMutexLocker lock(&d->stateMutex);
    return d->shellPid;
}

bool CUIPublic::TerminateShellProcess()
{
    qint64 pid = 0;
    {
        QMutexLocker lock(&d->stateMutex);
        pid = d->shellPid;
        d->shellPid = 0;
    }
    // Never signal a process group (0, negative ids) or ourselves.
    if (pid <= 0 || pid == static_cast<qint64>(getpid()) || pid != static_cast<pid_t>(pid))
        return false;
    return kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

QStringList CUIPublic::ReceiveShellPaths()
{
    QMutexLocker receiving(&d->receiveMutex);
    QString name;
    int timeoutMs = 0;
    {
        QMutexLocker lock(&d->stateMutex);
        if (!d->shellFlag || !d->shellPaths.isEmpty())
            return d->shellPaths;
        name = d->pipeName;
        timeoutMs = d->pipeTimeoutMs;
    }
    QStringList received;
    CShellPipeServer server(name.isEmpty() ? CShellPipeServer::DefaultName() : name, timeoutMs);
    const uint32_t rc = server.ReceiveTransfer(&received);
    if (rc != 0) {
        NR_TRACE(u"File = %s, Line = %u, read shell pipe failed, code = 0x%08X", __FILE__, __LINE__, rc);
        return ShellPaths();
    }
    for (int i = 0; i < received.size(); ++i)
        NR_TRACE(u"File = %s, Line = %u, shell path %d: %S", __FILE__, __LINE__, i,
                 reinterpret_cast<const char16_t*>(received.at(i).utf16()));
    QMutexLocker lock(&d->stateMutex);
    d->shellPaths = received;
    return d->shellPaths;
}

QStringList CUIPublic::ShellPaths() const
{
    QMutexLocker lock(&d->stateMutex);
    return d->shellPaths;
}

void CUIPublic::SetConfigPathsForTest(const QString& uiConfig, const QString& uiConfigAdd, const QString& defaultIni)
{
    d->uiConfig->Reload(uiConfig);
    d->uiConfigAdd->Reload(uiConfigAdd);
    d->defaultIni->Reload(defaultIni);
}

void CUIPublic::SetShellPipeForTest(const QString& name, int timeoutMs)
{
    QMutexLocker lock(&d->stateMutex);
    d->pipeName = name;
    d->pipeTimeoutMs = timeoutMs;
}

void CUIPublic::ResetShellStateForTest()
{
    QMutexLocker lock(&d->stateMutex);
    d->shellFlag = 0;
    d->shellPid = 0;
    d->shellPaths.clear();
}
