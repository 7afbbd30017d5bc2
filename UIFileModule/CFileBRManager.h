#pragma once
#include "IBackupRecoverUI.h"

#include <QPointer>
#include <QSharedPointer>

class CFileBackupLogicMgr;
class CFileRecoveryLogicMgr;
class IUICommon;
class IUIManager;

// The root object handed to the host by CreateObject: creates, initialises, commits and releases
// the backup and recovery pages by page id and forwards each call to the page's logic manager.
class CFileBRManager : public IBackupRecoverUI, public IUIWidget
{
public:
    CFileBRManager();
    ~CFileBRManager() override;

    // ICommonUI
    int64_t QueryValue(uint64_t key) override;
    void Release() override;
    // IBackupRecoverUI
    IUIWidget* CreatePage(uint64_t pageId, int32_t unused) override;
    uint32_t InitPage(uint64_t pageId, QSharedPointer<IUICommon> common, const uint8_t* guid) override;
    uint32_t CommitSelection(uint64_t pageId, int64_t unused, PropValue* doc) override;
    IBackupRecoverUI* SetParentWidget(QWidget* parent) override;
    void DescribeSourceKinds(int64_t unused, PropValue* doc) override;
    // IUIWidget
    int64_t QueryState() override;
    int64_t QueryIndexed(int32_t index) override;
    QWidget* GetWidget() override;
    int64_t QueryExtra() override;
    int64_t QueryFlag(bool flag) override;
    void GetSelectionText(QString* text) override;

    // Result codes produced here.
    static constexpr uint32_t kInitNoManager = 0x02D0400A;
    static constexpr uint32_t kCommitNoManager = 0x06804001;

    // For tests and the host's diagnostics.
    IUIManager* UIManager() const { return uiManager; }
    uint64_t PageId() const { return pageId; }
    QSharedPointer<IUICommon> UICommon() const { return uiCommon; }
    CFileBackupLogicMgr* BackupManager() const;
    CFileRecoveryLogicMgr* RecoveryManager() const;

    CFileBRManager(const CFileBRManager&) = delete;
    CFileBRManager& operator=(const CFileBRManager&) = delete;

private:
    IUIManager* uiManager = nullptr;
    QPointer<QWidget> parentWidget;
    uint64_t pageId = 0;
    QSharedPointer<IUICommon> uiCommon;
    // Guarded: a manager deletes itself when the host destroys its page widget first.
    QPointer<CFileBackupLogicMgr> backupMgr;
    QPointer<CFileRecoveryLogicMgr> recoveryMgr;
};

extern "C" ICommonUI* CreateObject();
