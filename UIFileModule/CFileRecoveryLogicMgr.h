#pragma once
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <cstdint>

class CFileRecoveryUI;
class IImageAccessor;
class IUICommon;
class IUIManager;
class IUIService;
class QWidget;

// Runs the file recovery page (page ids 39, 40, 41).
class CFileRecoveryLogicMgr : public QObject
{
    Q_OBJECT
public:
    CFileRecoveryLogicMgr(uint64_t pageId, IUIManager* uiManager, QWidget* parent, int unused = 0);
    ~CFileRecoveryLogicMgr() override;

    uint32_t Init(QSharedPointer<IUICommon> common, uint64_t pageId);
    uint32_t Commit(uint64_t pageId, QSharedPointer<IUICommon> common);
    void Uinit();
    CFileRecoveryUI* GetPage() const;
    IImageAccessor* ImageAccessor() const { return imageAccessor; }

    static constexpr uint32_t kInitNoImage = 0x0ED04001;
    static constexpr uint32_t kCommitNoPage = 0x16D04009;
    static constexpr uint32_t kDefaultCommitNoPage = 0x13904009;
    static constexpr uint32_t kDefaultCommitNoFileOperation = 0x13B04009;
    static constexpr uint32_t kDefaultCommitNoTree = 0x13F04009;

private:
    uint32_t commitFromDefaultTree();

    IUIManager* uiManager = nullptr;
    IUIService* service = nullptr;
    QSharedPointer<IUICommon> uiCommon;
    QPointer<CFileRecoveryUI> page;
    IImageAccessor* imageAccessor = nullptr;
    QMutex searchLock;
    uint64_t pageId = 0;
    QWidget* parentWidget = nullptr;
    uint32_t lastHasSelect = 0xFFFFFFFF;
    QString imagePath;
};
