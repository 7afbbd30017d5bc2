#include "CFileBackupLogicMgr.h"

#include "CFileBackupUI.h"
#include "IUICommon.h"
#include "IUIFileOperation.h"
#include "IUIManager.h"
#include "PropValue.h"

CFileBackupLogicMgr::CFileBackupLogicMgr(uint64_t pageId, IUIManager* manager, QWidget* parent)
    : CBackupCommonData(manager, parent)
{
    if (uiManager)
        SetHub(uiManager->GetHub());
    SwitchMode(pageId);
    page = new CFileBackupUI(smartMode, editMode, parent);
    connect(page.data(), &QObject::destroyed, this, &QObject::deleteLater);
}

CFileBackupLogicMgr::~CFileBackupLogicMgr()
{
    if (page) {
        disconnect(page.data(), nullptr, this, nullptr);
        delete page.data();
    }
}

uint32_t CFileBackupLogicMgr::SwitchMode(uint64_t pageId)
{
    smartMode = pageId == 12 || pageId == 13;
    editMode = pageId == 9 || pageId == 13;
    return 0;
}

uint32_t CFileBackupLogicMgr::Init(QSharedPointer<IUICommon> common)
{
    initDone = 0;
    uint32_t result = 0;
    if (!page) {
        result = kInitNoPage;
    } else {
        uiCommon = common;
        backupType = smartMode ? kBackupTypeSmart : kBackupTypePlain;
        if (!service && uiManager)
            service = uiManager->GetService();
        if (!service)
            result = kInitNoService;
        else
            page->ShowPage(editMode, 0);
    }
    initDone = 1;
    return result;
}

uint32_t CFileBackupLogicMgr::Commit(uint64_t pageId, QSharedPointer<IUICommon> common, PropValue* doc)
{
    if (pageId == 70) {
        if (page)
            page->ShowPage(editMode, typeFilter);
        return 0;
    }
    uiCommon = common;
    auto* fileOperation = dynamic_cast<IUIFileOperation*>(uiCommon.data());
    if (!fileOperation || !page)
        return kCommitNoFileOperation;
    if (fileOperation->GetFilterKind() == 1)
        resetAfterCommit = false;
    else
        fileOperation->SetFilterState(0);
    if (!smartMode && doc)
        doc->setMember(u"Content", typeFilter == 1 ? u"Type" : u"Folder");
    if (!page->GetBrower(typeFilter ? 1 : 0))
        return kNewCommitNoBrowser;
    return kNewCommitNoBrowser;
}

void CFileBackupLogicMgr::DescribeSourceKinds(PropValue*)
{
}

void CFileBackupLogicMgr::GetSelectionText(QString* out)
{
    if (out)
        out->clear();
}

CFileBackupUI* CFileBackupLogicMgr::GetPage() const
{
    return page.data();
}

void CFileBackupLogicMgr::OnTreeHasSelect(bool)
{
}

void CFileBackupLogicMgr::OnGetUICommon(QSharedPointer<IUICommon>& p)
{
    p = uiCommon;
}

void CFileBackupLogicMgr::OnSetUserEnterTaskName(bool entered)
{
    userEnteredTaskName = entered;
}
