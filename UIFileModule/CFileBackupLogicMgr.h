#pragma once
#include "CBackupCommonData.h"
#include "CMsgReceiver.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

class CFileBackupUI;
class IFileBrower;
class PropValue;

// Runs the file backup source page (page ids 8, 9, 12, 13): builds the page's browser, loads an
// edited task's selection, keeps the host told whether anything is selected, and on commit hands
// the host the selection's filter block with the credentials and network locations it needs.
// Slightly over the usual size: the commit gathers three records for the host, each a few lines.
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
    QByteArray SavedFilter() const { return savedFilter; }
    const QByteArray& BrowserPara() const { return browserPara; }

    static constexpr uint32_t kMsgHasSelection = 4682;

    static constexpr uint32_t kInitNoPage = 0x1BC04245;
    static constexpr uint32_t kInitNoService = 0x04B0400A;
    static constexpr uint32_t kCommitNoFileOperation = 0x17C04001;
    static constexpr uint32_t kCommitSmartCancelled = 0x18E0401A;
    static constexpr uint32_t kNewNoBrowser = 0x06A04009;
    static constexpr uint32_t kNewExportFailed = 0x07D0420E;
    static constexpr uint32_t kNewNothingSelected = 0x0810420E;
    static constexpr uint32_t kNewSaveCopyFailed = 0x08704008;
    static constexpr uint32_t kNewWorkingCopyFailed = 0x08F04008;
    static constexpr uint32_t kNewNoFileOperation = 0x09504001;
    static constexpr uint32_t kNewNoBuildNetwork = 0x0A704001;
    static constexpr uint32_t kEditNoFileOperation = 0x0BC04001;
    static constexpr uint32_t kEditNoBrowser = 0x0C304009;
    static constexpr uint32_t kEditExportFailed = 0x0CA0432E;
    static constexpr uint32_t kEditNothingSelected = 0x0D00432E;
    static constexpr uint32_t kEditCopyFailed = 0x0D704008;
    static constexpr uint32_t kKeepExportFailed = 0x3EF0420E;
    static constexpr uint32_t kKeepNothingSelected = 0x3F30420E;
    static constexpr uint32_t kKeepAllocFailed = 0x3F604008;

public slots:
    void OnTreeHasSelect(bool has);
    void OnGetUICommon(QSharedPointer<IUICommon>& p);
    void OnSetUserEnterTaskName(bool entered);

private:
    struct TaskFilter
    {
        QByteArray block;
        QByteArray second;
    };

    void buildBrowser();
    QByteArray initialSelection(const QStringList& paths) const;
    void loadTaskSelection();
    void loadTaskNetworkRecords();
    uint32_t commitNew(bool keepCopy, uint32_t* flag);
    uint32_t commitEdit(uint32_t* flag);
    uint32_t keepSelection();
    uint32_t handOver(IFileBrower* browser, const void* block, uint32_t size, bool edit, uint32_t* result);
    IFileBrower* browserFor(int index) const;

    bool resetAfterCommit = true;
    bool smartMode = false;
    bool editMode = false;
    QByteArray browserPara;   // the parameter block and, behind it, the initial selection
    uint32_t typeFilter = 0;
    TaskFilter taskFilters[2];
    QPointer<CFileBackupUI> page;
    QString selectionText;
    QByteArray savedFilter;
    uint32_t initDone = 0;
};
