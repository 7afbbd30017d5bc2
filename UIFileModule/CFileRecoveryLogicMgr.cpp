#include "CFileRecoveryLogicMgr.h"

#include "CFileRecoveryUI.h"
#include "CTrace.h"
#include "IObjectCreator.h"
#include "IUICommon.h"
#include "IUIDiskRestore.h"
#include "IUIFileOperation.h"
#include "IUIFileRestore.h"
#include "IUIImage.h"
#include "IUIManager.h"

#include <QWidget>
#include <vector>

CFileRecoveryLogicMgr::CFileRecoveryLogicMgr(uint64_t id, IUIManager* manager, QWidget* parent, int)
    : QObject(parent), uiManager(manager), pageId(id), parentWidget(parent)
{
    page = new CFileRecoveryUI(parent, id);
    if (uiManager)
        service = uiManager->GetService();
}

CFileRecoveryLogicMgr::~CFileRecoveryLogicMgr()
{
    if (auto* restore = dynamic_cast<IUIFileRestore*>(uiCommon.data()))
        restore->NotifyRecovery(0xFFFFFFFF, 0, 0);
    Uinit();
    delete page.data();
}

uint32_t CFileRecoveryLogicMgr::Init(QSharedPointer<IUICommon> common, uint64_t id)
{
    const uint32_t start = kInitNoImage;
    if (!common)
        return start;
    uiCommon = common;
    auto* image = dynamic_cast<IUIImage*>(common.data());
    if (!image)
        return start;
    uint8_t guid[16] = {};
    image->GetImageGuid(guid);

    IUIImagePathSource* source = nullptr;
    if (id == 39)
        source = dynamic_cast<IUIFileRestore*>(common.data());
    else if (id == 40)
        source = dynamic_cast<IUIDiskRestore*>(common.data());
    if (!source)
        return start;
    uint32_t length = 0;
    source->GetImagePath(nullptr, &length);
    std::vector<char16_t> buffer(size_t(length) + 1, u'\0');
    uint32_t capacity = length + 1;
    source->GetImagePath(buffer.data(), &capacity);
    imagePath = QString::fromUtf16(buffer.data());

    Uinit();
    if (uiManager && uiManager->GetObjectCreator()) {
        void* out = nullptr;
        if (uiManager->GetObjectCreator()->CreateObject(IObjectCreator::kImageAccessor, &out) == 0 && out) {
            imageAccessor = static_cast<IImageAccessor*>(out);
            imageAccessor->Start();
        } else {
            NR_TRACE(u"QueryInterface failed! File = %s, Line = %d", "FileRecoveryLogicMgr", __LINE__);
        }
    }
    return page ? page->InitView(nullptr) : start;
}

uint32_t CFileRecoveryLogicMgr::Commit(uint64_t, QSharedPointer<IUICommon> common)
{
    if (!page)
        return kCommitNoPage;
    uiCommon = common;
    return commitFromDefaultTree();
}

uint32_t CFileRecoveryLogicMgr::commitFromDefaultTree()
{
    if (!page)
        return kDefaultCommitNoPage;
    if (!dynamic_cast<IUIFileOperation*>(uiCommon.data()))
        return kDefaultCommitNoFileOperation;
    // The page builds no default tree yet, so there is nothing to export.
    return kDefaultCommitNoTree;
}

void CFileRecoveryLogicMgr::Uinit()
{
    NR_TRACE(u"CFileRecoveryLogicMgr::Uinit %d", __LINE__);
    if (imageAccessor) {
        imageAccessor->Stop();
        delete imageAccessor;
        imageAccessor = nullptr;
    }
}

CFileRecoveryUI* CFileRecoveryLogicMgr::GetPage() const
{
    return page.data();
}
