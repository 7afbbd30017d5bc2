#pragma once
#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QString>
#include <cstdint>

class CFileRecoveryUI;
class CUISearchFileData;
class IImageAccessor;
class IUICommon;
class IUIManager;
class IUIService;
class QWidget;

// Runs the file recovery page (page ids 39, 40, 41): points the page's trees at the backup image
// the host names, runs searches in it, keeps the host told whether anything is selected, and on
// commit hands the host the selection: the image tree's filter block, or the ticked search
// results through the host's find interface.
class CFileRecoveryLogicMgr : public QObject
{
    Q_OBJECT
public:
    CFileRecoveryLogicMgr(uint64_t pageId, IUIManager* uiManager, QWidget* parent, int unused = 0);
    ~CFileRecoveryLogicMgr() override;

    uint32_t Init(QSharedPointer<IUICommon> common, uint64_t pageId);
    uint32_t Commit(uint64_t pageId, QSharedPointer<IUICommon> common);
    // Ends the running search and the image accessor.
    void Uinit();
    CFileRecoveryUI* GetPage() const;

    IImageAccessor* ImageAccessor() const { return imageAccessor; }
    QSharedPointer<CUISearchFileData> RunningSearch() const;
    bool IsPrepared() const { return prepared; }
    const QByteArray& BrowserPara() const { return paraBuffer; }

    static constexpr uint32_t kMsgHasSelection = 4675;
    // Longest image path the host may name, in characters.
    static constexpr uint32_t kMaxImagePathChars = 32767;

    static constexpr uint32_t kInitNoImage = 0x0ED04001;
    static constexpr uint32_t kCommitNoPage = 0x16D04009;
    static constexpr uint32_t kDefaultCommitStart = 0x13404009;
    static constexpr uint32_t kDefaultCommitNoPage = 0x13904009;
    static constexpr uint32_t kDefaultCommitNoFileOperation = 0x13B04009;
    static constexpr uint32_t kDefaultCommitNoTree = 0x13F04009;
    static constexpr uint32_t kDefaultCommitEmptyBlock = 0x14F04009;
    static constexpr uint32_t kDefaultCommitNoMemory = 0x15504008;
    static constexpr uint32_t kSearchCommitNoPage = 0x1B70400A;
    static constexpr uint32_t kSearchCommitNoFindOperator = 0x1B80400A;
    static constexpr uint32_t kSearchCommitNoFileOperation = 0x1B90400A;
    static constexpr uint32_t kSearchCommitNoTree = 0x1BA0400A;
    static constexpr uint32_t kSearchCommitNoMemory = 0x1CC0400A;
    static constexpr uint32_t kSearchCommitEmptyBlock = 0x20D04009;
    static constexpr uint32_t kSearchCommitCopyFailed = 0x21404008;
    static constexpr uint32_t kNothingSelected = 0x1001;

public slots:
    void OnSearch(bool start, QString strImagePath = QString(), QString strSearchFolder = QString(),
                  QString strFilter = QString());
    void OnWaiterStop();
    void OnInitFinish();
    void OnSetRootIsHide(bool bNotHide);
    void OnTreeHasSelect(bool has);
    void OnSearchFinished(bool bSucceed, QString strImagePath, QString strSearchFolder, QString strFilter);

private:
    void prepare();
    // The parameter block with the image's path and GUID.
    void buildPara(const QString& imagePath, const uint8_t guid[16]);
    QString imagePathFromHost(uint64_t pageId) const;
    // Ends every search that runs. False when this object was destroyed during the wait.
    bool endRunningSearch();
    // Waits, behind the waiting indicator, until the search has stopped; the search lock is not
    // held meanwhile, so calls that arrive during the wait may use it. False when this object
    // was destroyed during the wait.
    bool waitSearchEnd(const QSharedPointer<CUISearchFileData>& data);
    uint32_t commitFromDefaultTree(const QSharedPointer<IUICommon>& common);
    uint32_t commitFromSearchTree(const QSharedPointer<IUICommon>& common);

    IUIManager* uiManager = nullptr;
    IUIService* service = nullptr;
    QSharedPointer<IUICommon> uiCommon;
    QPointer<CFileRecoveryUI> page;
    QByteArray paraBuffer; // the 80-byte block, the image path behind it
    IImageAccessor* imageAccessor = nullptr;
    QSharedPointer<CUISearchFileData> searchData;
    mutable QMutex searchLock;
    uint64_t pageId = 0;
    bool prepared = false;
    QWidget* parentWidget = nullptr;
    uint32_t lastHasSelect = 0xFFFFFFFF;
};
