#pragma once
#include "CMsgReceiver.h"
#include "NRResult.h"

#include <QFrame>
#include <QMap>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
#include <QtGlobal>

class CGetDataCommon;
class CKWBox;
class CKWLineEdit;
class CKWPushBtn;
class IFileBrower;
class QKeyEvent;
class QVBoxLayout;
struct _CFileBrowserPara;
typedef quint32 NodeIndex;

// The file backup source page: a path bar (path edit and "Goto...") above a framed box holding
// the file browser. The path bar shows the folder the browser selected last; a typed path is
// validated, checked (network locations on a worker), and the tree is expanded down to it.
//
// The go-to walk (validation, mapped drives, network checks, creating a missing folder, walking
// the tree while folders load) is most of this file and one flow with the path bar; it stays here
// so that flow reads top to bottom.
class CFileBackupUI : public QFrame, public CMsgReceiver
{
    Q_OBJECT
    Q_INTERFACES(CMsgReceiver)
public:
    CFileBackupUI(bool smartMode, bool editMode, QWidget* dialogParent);
    ~CFileBackupUI() override;

    bool CreateBrower(_CFileBrowserPara* para, CGetDataCommon* data, QWidget* parent);
    IFileBrower* GetBrower(int index) const;
    // Before a smart backup: 0 when no checked item lies on a network path; else asks the user
    // and answers how many items were unchecked, or -1 when the user cancelled.
    int ExcludeNetworkItems();
    void Release();
    void ShowPage(bool editMode, uint32_t typeFilter);
    bool GetFilter(void** block, uint32_t* size, uint32_t* flag);
    bool SetFilter(const void* block, uint32_t size);
    bool FreeFilter(void* block);
    void ClearModified(bool modified);
    QString GetCurrentPath() const;

    int64_t OnMsg(NRDeliveryRecord record) override;

    // What the path bar shows for a node; empty for a node without a kind. Updates the node the
    // path bar stands for.
    QString ShownPathOf(NodeIndex node);
    // The last go-to's result code (0 on success).
    uint32_t LastGotoResult() const { return lastGotoResult; }
    NodeIndex CurrentNode() const { return currentNode; }
    bool IsBusy() const { return busy; }

    // Result codes of the go-to.
    static constexpr uint32_t kGotoNoBrowser = 0x2E204245;
    static constexpr uint32_t kGotoInvalidPath = 0x2E304075;
    static constexpr uint32_t kGotoBadText = 0x2EC04245;
    static constexpr uint32_t kBadComponent = 0x24D04075;
    static constexpr uint32_t kDriveNullPath = 0x1F804245;
    static constexpr uint32_t kDriveNoBrowser = 0x1FB04245;
    static constexpr uint32_t kDriveNoInfo = 0x20A04075;
    static constexpr uint32_t kDriveNoTranslation = 0x21104008;
    static constexpr uint32_t kDriveEmptyRoot = 0x16904245;
    static constexpr uint32_t kUncServerOnly = 0x15704075;
    static constexpr uint32_t kNasNoBrowser = 0x13104245;
    static constexpr uint32_t kNasNoDataSource = 0x13304245;
    static constexpr uint32_t kNasNoRoot = 0x13904245;
    static constexpr uint32_t kLocalNoBrowser = 0x17A04245;
    static constexpr uint32_t kLocalNoDataSource = 0x17C04245;
    static constexpr uint32_t kLocalNoParts = 0x18C04245;
    static constexpr uint32_t kLocalDeclined = 0x1940401A;
    static constexpr uint32_t kUncNoBrowser = 0x1A904245;
    static constexpr uint32_t kUncNoDataSource = 0x1AB04245;
    static constexpr uint32_t kUncTooShort = 0x1B504245;
    static constexpr uint32_t kUncNoShare = 0x1C504245;
    static constexpr uint32_t kUncDeclined = 0x1CB0401A;
    static constexpr uint32_t kUncNoRoot = 0x1D304245;
    static constexpr uint32_t kExistsNoService = 0x01B04245;
    static constexpr uint32_t kExistsFailed = 0x02004075;
    static constexpr uint32_t kFolderMissing = 0xB89;
    // The go-to stopped without reaching its folder; the user has been told which path failed.
    static constexpr uint32_t kNotFound = 0x1001;
    // The page was released or destroyed while the go-to waited (a check, a question, a folder
    // still loading): the go-to ends at once and shows nothing.
    static constexpr uint32_t kGotoAbandoned = NRResult::Make(0x2E6, NRResult::kErrGeneral);

    // How long the expansion walk waits for a folder that never reports its end of loading
    // (a negative value: the walk gives up the first time it has to wait).
    static void SetWalkTimeoutForTest(int ms);

public slots:
    void OnTextChanged(const QString& text);
    void OnGotoClicked();
    void OnTextEditKeyReleased(QKeyEvent* event);
    void OnNodeSelect(NodeIndex node);
    void OnRowRemoved(NodeIndex node);
    void OnLoadFinished(NodeIndex node, qint32 nErr);

private:
    bool released() const;
    QString nodePath(NodeIndex node) const;
    QString nasForm(NodeIndex node, const QString& path) const;
    bool isGotoTarget(NodeIndex node, bool* blocked) const;
    bool isNasNode(NodeIndex node) const;
    uint32_t splitComponents(const QString& path, QStringList* components) const;
    uint32_t gotoDriveOrUnc(const QString& b);
    uint32_t gotoNas(const QString& native);
    uint32_t gotoLocal(const QStringList& components, const QString& path, bool mapped, const QString& root);
    uint32_t gotoUnc(const QStringList& components, const QString& path);
    uint32_t checkNetworkPath(const QString& path, bool mapped);
    uint32_t checkFolderExists(const QString& path) const;
    NodeIndex topLevelNode(int kind) const;
    uint32_t expansionWalk(NodeIndex root, const QStringList& components);
    // Tells the user that the go-to could not reach the path typed; `reason` says why.
    void tellUnreachable(const QString& reason);
    bool isNetworkItem(NodeIndex node) const;
    QSharedPointer<CGetDataCommon> dataSource() const;

    IFileBrower* browser = nullptr;
    QPointer<QWidget> dialogParent;
    QVBoxLayout* mainLayout = nullptr;
    CKWBox* browserBox = nullptr;
    bool smartMode = false;
    bool editMode = false;
    CKWLineEdit* pathEdit = nullptr;
    CKWPushBtn* gotoButton = nullptr;
    NodeIndex currentNode = 0;
    bool busy = false;
    QMap<NodeIndex, qint32> loadResults;
    bool releaseRequested = false;
    uint32_t lastGotoResult = 0;
    QString gotoText; // the path the running go-to was asked for
};
