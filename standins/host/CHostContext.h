#pragma once
#include "CHostBackup.h"
#include "CHostBuildNetwork.h"
#include "CHostContextCore.h"
#include "CHostDiskRestore.h"
#include "CHostFileOperation.h"
#include "CHostFileRestore.h"
#include "CHostFindOperator.h"
#include "CHostImage.h"

#include <memory>
#include <utility>

// A host context made of the pieces listed: the module finds exactly those host interfaces by
// dynamic cast, and no others. All pieces share one task record.
//   QSharedPointer<IUICommon> ctx(new CHostContextT<CHostFileOperation, CHostBackup>(data));
template <class... Pieces>
class CHostContextT final : public virtual CHostContextCore, public Pieces...
{
public:
    explicit CHostContextT(std::shared_ptr<CHostTaskData> data = nullptr) : CHostContextCore(std::move(data)) {}
};

// The contexts a real host hands each page.
typedef CHostContextT<CHostFileOperation, CHostBuildNetwork, CHostBackup> CBackupHostContext;
typedef CHostContextT<CHostFileRestore, CHostFileOperation, CHostFindOperator, CHostImage> CFileRestoreHostContext;
typedef CHostContextT<CHostDiskRestore, CHostFileOperation, CHostFindOperator, CHostImage> CDiskRestoreHostContext;
// Only IUICommon.
typedef CHostContextT<> CBareHostContext;
