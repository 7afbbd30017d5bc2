#include "CFileBRManager.h"

#include "CBaseSyncExecuter.h"
#include "CFileBackupLogicMgr.h"
#include "CFileBackupUI.h"
#include "CFileRecoveryUI.h"
#include "CFileRecoveryLogicMgr.h"
#include "CUIManagerLoader.h"
#include "CUIPublic.h"
#include "IUICommon.h"
#include "IUIFileRestore.h"
#include "PropValue.h"

#include <QWidget>
#include <cstring>
#include <new>

namespace {

// Deletes a page's manager as the host asks. While a job is waited for (a sort, a check, the end
// of a search), the manager and its page are only taken out of the host's window and go once the
// wait is over: deleting them now would return the wait into freed memory.
template <class Manager>
void dropManager(QPointer<Manager>& manager)
{
    Manager* m = manager.data();
    manager = nullptr;
    if (!m)
        return;
    QWidget* page = m->GetPage();
    if (!CBaseSyncExecuter::ReleaseAfterWaits(m)) {
        delete m;
        return;
    }
    CBaseSyncExecuter::ReleaseAfterWaits(page);
}

// The host's window takes the manager and its page along when it is destroyed; during a wait
// they go after it instead.
template <class Manager>
void outliveWaits(Manager* manager, QWidget* window)
{
    if (!manager)
        return;
    CBaseSyncExecuter::ReleaseWithOwner(manager, window);
    CBaseSyncExecuter::ReleaseWithOwner(manager->GetPage(), window);
}

} // namespace

CFileBRManager::CFileBRManager()
{
    uiManager = CUIManagerLoader::Cached();
    CUIPublic::Instance()->SetUIManager(uiManager);
}

CFileBRManager::~CFileBRManager()
{
    Release();
    uiCommon.reset();
}

int64_t CFileBRManager::QueryValue(uint64_t)
{
    return 0;
}

void CFileBRManager::Release()
{
    if (pageId == NRPage::kFileRestoreFamily || NRPage::IsRecovery(pageId)) {
        if (auto* restore = dynamic_cast<IUIFileRestore*>(uiCommon.data())) {
            // The host's file-restore record is reset through both of its record takers.
            uint8_t record[IUIRecordTaker::kRecordSize];
            std::memset(record, 0, sizeof record);
            static_cast<IUIRecordTaker*>(restore)->TakeRecord(record, sizeof record);
            restore->TakeRestoreRecord(record, sizeof record);
        }
    }
    dropManager(backupMgr);
    dropManager(recoveryMgr);
    uiCommon.reset();
}

IUIWidget* CFileBRManager::CreatePage(uint64_t id, int32_t)
{
    if (NRPage::IsBackup(id)) {
        dropManager(backupMgr);
        backupMgr = new (std::nothrow) CFileBackupLogicMgr(id, uiManager, parentWidget);
        outliveWaits(backupMgr.data(), parentWidget);
    } else if (NRPage::IsRecovery(id)) {
        if (recoveryMgr) {
            dropManager(recoveryMgr);
            uiCommon.reset();
        }
        recoveryMgr = new (std::nothrow) CFileRecoveryLogicMgr(id, uiManager, parentWidget);
        outliveWaits(recoveryMgr.data(), parentWidget);
    }
    pageId = id;
    return this;
}

uint32_t CFileBRManager::InitPage(uint64_t id, QSharedPointer<IUICommon> common, const uint8_t* guid)
{
    // Switch between plain and smart backup on a live page: no re-initialisation.
    if ((id == NRPage::kFileBackup || id == NRPage::kSmartBackup) && id != pageId) {
        uint32_t r = kInitNoManager;
        if (backupMgr) {
            r = backupMgr->SwitchMode(id);
            if (r == 0) {
                pageId = id;
                uiCommon = common;
            }
        }
        return r;
    }
    // The disk-restore context detaches the recovery page.
    if (id == NRPage::kDiskRecovery && !common) {
        if (recoveryMgr)
            recoveryMgr->Uinit();
        return 0;
    }
    uiCommon = common;
    // The stored page id decides, not the argument.
    if (NRPage::IsBackup(pageId) && backupMgr) {
        if (guid) {
            uint8_t copy[16];
            std::memcpy(copy, guid, sizeof copy);
            backupMgr->SetTaskGuid(copy);
        }
        return backupMgr->Init(common);
    }
    if (NRPage::IsRecovery(pageId) && recoveryMgr)
        return recoveryMgr->Init(common, pageId);
    return kInitNoManager;
}

uint32_t CFileBRManager::CommitSelection(uint64_t id, int64_t, PropValue* doc)
{
    const uint32_t id32 = static_cast<uint32_t>(id);
    if ((id32 == NRPage::kCommitKeepSelection || id32 == NRPage::kCommitReapply) && backupMgr)
        return backupMgr->Commit(id32, uiCommon, doc);
    if ((NRPage::IsBackup(pageId) || pageId == NRPage::kCommitReapply) && backupMgr)
        return backupMgr->Commit(pageId, uiCommon, doc);
    if (recoveryMgr)
        return recoveryMgr->Commit(pageId, uiCommon);
    return kCommitNoManager;
}

IBackupRecoverUI* CFileBRManager::SetParentWidget(QWidget* parent)
{
    parentWidget = parent;
    return this;
}

void CFileBRManager::DescribeSourceKinds(int64_t, PropValue* doc)
{
    if (backupMgr && (pageId == NRPage::kFileBackup || pageId == NRPage::kFileBackupEdit))
        backupMgr->DescribeSourceKinds(doc);
}

int64_t CFileBRManager::QueryState()
{
    return 0;
}

int64_t CFileBRManager::QueryIndexed(int32_t)
{
    return 0;
}

QWidget* CFileBRManager::GetWidget()
{
    if (NRPage::IsBackup(pageId))
        return backupMgr ? backupMgr->GetPage() : nullptr;
    return recoveryMgr ? recoveryMgr->GetPage() : nullptr;
}

int64_t CFileBRManager::QueryExtra()
{
    return 0;
}

int64_t CFileBRManager::QueryFlag(bool)
{
    return 0;
}

void CFileBRManager::GetSelectionText(QString* text)
{
    if (NRPage::IsBackup(pageId) && backupMgr)
        backupMgr->GetSelectionText(text);
}

CFileBackupLogicMgr* CFileBRManager::BackupManager() const
{
    return backupMgr.data();
}

CFileRecoveryLogicMgr* CFileBRManager::RecoveryManager() const
{
    return recoveryMgr.data();
}

extern "C" __attribute__((visibility("default"))) ICommonUI* CreateObject()
{
    return static_cast<IBackupRecoverUI*>(new (std::nothrow) CFileBRManager);
}
