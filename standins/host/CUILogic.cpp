#include "CUILogic.h"

#include "CFolderTree.h"
#include "CFolderTreeConfig.h"
#include "CFolderTreeStore.h"
#include "HostResult.h"

#include <QMutex>
#include <QMutexLocker>

#include <memory>
#include <new>

namespace {

constexpr uint32_t kQueryBadArg = HostResult::Make(0x401, HostResult::kErrInvalidArg);
constexpr uint32_t kQueryUnknownId = HostResult::Make(0x402, HostResult::kErrUnsupported);
constexpr uint32_t kQueryNoMemory = HostResult::Make(0x403, 8);

} // namespace

class CUILogic::Private
{
public:
    mutable QMutex mutex;
    QString iniPath;
    QString folderTreePath;
    std::shared_ptr<CFolderTreeStore> store = std::make_shared<CFolderTreeStore>();
};

CUILogic* CUILogic::Instance()
{
    // Never destroyed, like the UI manager that hands it out: services released on worker
    // threads at exit must still find their store.
    static CUILogic* const instance = new CUILogic;
    return instance;
}

CUILogic::CUILogic(const QString& iniPath, const QString& folderTreePath) : d(new Private)
{
    d->iniPath = iniPath;
    d->folderTreePath = folderTreePath;
}

CUILogic::~CUILogic()
{
    delete d;
}

uint32_t CUILogic::Version()
{
    return kVersion;
}

uint32_t CUILogic::QueryInterface(uint32_t id, void** out)
{
    if (!out)
        return kQueryBadArg;
    *out = nullptr;
    if (id != kFolderTreeId)
        return kQueryUnknownId;
    QString iniPath;
    QString folderTreePath;
    std::shared_ptr<CFolderTreeStore> store;
    {
        QMutexLocker lock(&d->mutex);
        iniPath = d->iniPath;
        folderTreePath = d->folderTreePath;
        store = d->store;
    }
    IFolderTree* tree = new (std::nothrow)
        CFolderTree(CFolderTreeConfig::Load(iniPath, folderTreePath), iniPath, std::move(store));
    if (!tree)
        return kQueryNoMemory;
    *out = tree;
    return 0;
}

void CUILogic::SetConfigPaths(const QString& iniPath, const QString& folderTreePath)
{
    QMutexLocker lock(&d->mutex);
    d->iniPath = iniPath;
    d->folderTreePath = folderTreePath;
}

QString CUILogic::PCAccount(const QString& pc) const
{
    QMutexLocker lock(&d->mutex);
    return d->store->PCAccount(pc);
}
