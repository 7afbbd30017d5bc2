#pragma once
#include "CBackupCommonData.h"
#include "CMsgReceiver.h"

#include <QPointer>
#include <QString>

class CFileBackupUI;
class PropValue;

// Runs the file backup source page (page ids 8, 9, 12, 13).
class CFileBackupLogicMgr : public CBackupCommonData, public CMsgReceiver
{
    Q_OBJECT
    Q_INTERFACES(CMsgReceiver)
public:
    CFileBackupLogicMgr(uint64_t pageId, IUIManager* uiManager, QWidget* parent);
    ~CFileBackupLogicMgr() override;

    uint32_t SwitchMode(uint64_t pageId);
    uint32_t Init(QSharedPointer<IUICommon> common);
    uint32_t Commit(uint64_t pageId, QSharedPointer<IUICommon> common, PropValue* doc);
    void DescribeSourceKinds(PropValue* doc);
    void GetSelectionText(QString* out);
    CFileBackupUI* GetPage() const;

    bool SmartMode() const { return smartMode; }
    bool EditMode() const { return editMode; }

    static constexpr uint32_t kInitNoPage = 0x1BC04245;
    static constexpr uint32_t kInitNoService = 0x04B0400A;
    static constexpr uint32_t kCommitNoFileOperation = 0x17C04001;
    static constexpr uint32_t kNewCommitNoBrowser = 0x06A04009;

public slots:
    void OnTreeHasSelect(bool has);
    void OnGetUICommon(QSharedPointer<IUICommon>& p);
    void OnSetUserEnterTaskName(bool entered);

private:
    bool resetAfterCommit = true;
    bool smartMode = false;
    bool editMode = false;
    uint32_t typeFilter = 0;
    QPointer<CFileBackupUI> page;
    QString selectionText;
    uint32_t initDone = 0;
};
