#include "CFileRecoveryLogicMgr.h"

#include "CBaseSyncExecuter.h"
#include "CFileRecoveryUI.h"
#include "CFilterBlock.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CMsgBox.h"
#include "CSearchSelection.h"
#include "CStoragePath.h"
#include "CTrace.h"
#include "CUIPublic.h"
#include "CUISearchFileData.h"
#include "CWaitSearchFinish.h"
#include "IBackupRecoverUI.h"
#include "IFileBrower.h"
#include "IMsgHub.h"
#include "IObjectCreator.h"
#include "IUICommon.h"
#include "IUIDiskRestore.h"
#include "IUIFileOperation.h"
#include "IUIFileRestore.h"
#include "IUIFindOperator.h"
#include "IUIImage.h"
#include "IUIManager.h"
#include "NRFileBrowserPara.h"
#include "NRResult.h"

#include <QMutexLocker>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;
typedef CSyncExecuterT0<QWidget, CWaitSearchFinish, qint64 (CWaitSearchFinish::*)()> WaitExecuter;

QObject* objectOf(IFileBrower* tree)
{
    return dynamic_cast<QObject*>(tree);
}

} // namespace

CFileRecoveryLogicMgr::CFileRecoveryLogicMgr(uint64_t id, IUIManager* manager, QWidget* parent, int)
    : QObject(parent), uiManager(manager), pageId(id), parentWidget(parent)
{
    page = new CFileRecoveryUI(parent, id);
    if (uiManager)
        service = uiManager->GetService();
}

CFileRecoveryLogicMgr::~CFileRecoveryLogicMgr()
{
    paraBuffer.clear();
    if (auto* restore = dynamic_cast<IUIFileRestore*>(uiCommon.data()))
        restore->NotifyRecovery(0xFFFFFFFF, 0, 0);
    Uinit();
    delete page.data();
}

CFileRecoveryUI* CFileRecoveryLogicMgr::GetPage() const
{
    return page.data();
}

QSharedPointer<CUISearchFileData> CFileRecoveryLogicMgr::RunningSearch() const
{
    QMutexLocker lock(&searchLock);
    return searchData;
}

void CFileRecoveryLogicMgr::buildPara(const QString& imagePath, const uint8_t guid[16])
{
    const QByteArray path = imagePath.toUtf8();
    _CFileBrowserPara para;
    para.service = service;
    uint32_t options = NRBrowserOption::k0001 | NRBrowserOption::k0008 | NRBrowserOption::kImage;
    options |= CUIPublic::Instance()->PageBrowserOptions();
    // The block describes the image whether or not the host gave a service object: a block left
    // zero would make the library browse this machine's disks on a recovery page.
    para.options = options;
    para.byte20 = pageId == NRPage::kDiskRecovery ? 1 : 0;
    para.byte21 = 1;
    if (guid)
        std::memcpy(para.imageGuid, guid, sizeof para.imageGuid);
    // The path lives right behind the block, in the same buffer.
    paraBuffer = QByteArray(reinterpret_cast<const char*>(&para), int(sizeof para));
    if (!imagePath.isEmpty()) {
        paraBuffer.append(path);
        paraBuffer.append('\0');
        auto* stored = reinterpret_cast<_CFileBrowserPara*>(paraBuffer.data());
        stored->imagePath = paraBuffer.constData() + sizeof para;
    }
}

void CFileRecoveryLogicMgr::prepare()
{
    if (prepared || !page)
        return;
    buildPara(QString(), nullptr);
    page->CreateTrees(reinterpret_cast<_CFileBrowserPara*>(paraBuffer.data()), nullptr, parentWidget);
    page->CreateSearchTree();
    connect(page.data(), SIGNAL(DoSearch(bool, QString, QString, QString)), this,
            SLOT(OnSearch(bool, QString, QString, QString)));
    if (QObject* search = objectOf(page->GetSearchTree()))
        connect(search, SIGNAL(DoModelInitFinish()), this, SLOT(OnWaiterStop()));
    if (QObject* tree = objectOf(page->GetDefaultTree())) {
        connect(tree, SIGNAL(DoModelInitFinish()), this, SLOT(OnInitFinish()));
        connect(tree, SIGNAL(DoSetRootIsHide(bool)), this, SLOT(OnSetRootIsHide(bool)), Qt::QueuedConnection);
    }
    prepared = true;
}

QString CFileRecoveryLogicMgr::imagePathFromHost(uint64_t id) const
{
    IUIImagePathSource* source = nullptr;
    if (id == NRPage::kFileRecovery)
        source = dynamic_cast<IUIFileRestore*>(uiCommon.data());
    else if (id == NRPage::kDiskRecovery)
        source = dynamic_cast<IUIDiskRestore*>(uiCommon.data());
    if (!source)
        return QString();
    uint32_t length = 0;
    if (source->GetImagePath(nullptr, &length) != 0 || length == 0 || length > kMaxImagePathChars) {
        NR_TRACE(u"File = %s, Line = %u, no usable image path (%u characters)", __FILE__, __LINE__, length);
        return QString();
    }
    std::vector<char16_t> buffer(size_t(length) + 1, u'\0');
    uint32_t capacity = length + 1;
    if (source->GetImagePath(buffer.data(), &capacity) != 0)
        return QString();
    size_t chars = 0;
    while (chars < length && buffer[chars] != 0)
        ++chars;
    return QString::fromUtf16(buffer.data(), int(chars));
}

uint32_t CFileRecoveryLogicMgr::Init(QSharedPointer<IUICommon> common, uint64_t id)
{
    const uint32_t start = kInitNoImage;
    prepare();
    if (!common)
        return start;
    uiCommon = common;
    auto* image = dynamic_cast<IUIImage*>(common.data());
    if (!image)
        return start;
    uint8_t guid[16] = {};
    image->GetImageGuid(guid);
    const QString imagePath = imagePathFromHost(id);
    if (imagePath.isEmpty())
        return start;

    buildPara(imagePath, guid);
    if (!page)
        return start;
    if (IFileBrower* tree = page->GetDefaultTree())
        tree->SetFilter(nullptr, 0);
    connect(page.data(), SIGNAL(DoTreeHasSelect(bool)), this, SLOT(OnTreeHasSelect(bool)), Qt::UniqueConnection);

    QPointer<CFileRecoveryLogicMgr> self(this);
    if (!endRunningSearch() || !self)
        return start;
    if (imageAccessor) {
        imageAccessor->Stop();
        delete imageAccessor;
        imageAccessor = nullptr;
    }
    IObjectCreator* creator = uiManager ? uiManager->GetObjectCreator() : nullptr;
    void* created = nullptr;
    if (!creator || creator->CreateObject(IObjectCreator::kImageAccessor, &created) != 0 || !created) {
        NR_TRACE(u"QueryInterface failed! File = %S, Line = %d", u"FileRecoveryLogicMgr", __LINE__);
    } else {
        imageAccessor = static_cast<IImageAccessor*>(created);
        imageAccessor->Start();
    }
    return page ? page->InitView(reinterpret_cast<const _CFileBrowserPara*>(paraBuffer.constData())) : start;
}

void CFileRecoveryLogicMgr::OnSearch(bool start, QString strImagePath, QString strSearchFolder, QString strFilter)
{
    NR_TRACE(u"Begin OnSearch bool = %d, strImagePath = %S, strSearchFolder = %S, strFilter = %S\n", int(start),
             strImagePath.utf16(), strSearchFolder.utf16(), strFilter.utf16());
    struct EndTrace
    {
        bool start;
        const QString& path;
        const QString& folder;
        const QString& filter;
        ~EndTrace()
        {
            NR_TRACE(u"End OnSearch bool = %d, strImagePath = %S, strSearchFolder = %S, strFilter = %S\n", int(start),
                     path.utf16(), folder.utf16(), filter.utf16());
        }
    } endTrace{start, strImagePath, strSearchFolder, strFilter};

    if (!start) {
        endRunningSearch();
        return;
    }
    if (strFilter.isEmpty() || !page)
        return;
    if (!CStoragePath::HasNoForbiddenNameChars(strFilter.toUtf8().constData())) {
        CMsgBox::message(0, tr("The input contains illegal characters."), QString(), CMsgBox::OkCancel);
        return;
    }
    IFileBrower* searchTree = page->GetSearchTree();
    QAbstractItemModel* model = searchTree ? searchTree->GetSearchModel() : nullptr;
    if (!model)
        return;
    // The library needs no sync object: the search is waited for through WaitFinish.
    QSharedPointer<CUISearchFileData> data(new (std::nothrow) CUISearchFileData(
        pageId == NRPage::kDiskRecovery ? kSearchDiskImage : kSearchFileImage, nullptr, imageAccessor, strImagePath,
        strSearchFolder, strFilter, QString()));
    if (!data)
        return;
    // A new search starts with nothing ticked, as the page reports: ticks of the last results
    // must not come back with rows of the same path.
    searchTree->SetFilter(nullptr, 0);
    searchTree->SetLoadingState(1);
    QMetaObject::invokeMethod(model, "OnSetRootStatus", Q_ARG(bool, false), Q_ARG(bool, false));
    data->SetFileBrower(searchTree);
    CGetDataCommon::AddInstance(searchTree, data);

    QPointer<CFileRecoveryLogicMgr> self(this);
    if (!endRunningSearch() || !self || !page)
        return;
    {
        QMutexLocker lock(&searchLock);
        searchData = data;
    }
    page->ShowSearching(strImagePath, strFilter, strSearchFolder);
    connect(data.data(), SIGNAL(DoSearchFinished(bool, QString, QString, QString)), this,
            SLOT(OnSearchFinished(bool, QString, QString, QString)));
    page->GetSearchTree()->SetDataSource(data);
}

bool CFileRecoveryLogicMgr::endRunningSearch()
{
    // Searches started by calls that arrive while one is waited for are ended too: when this
    // returns, none runs.
    for (;;) {
        QSharedPointer<CUISearchFileData> data;
        {
            QMutexLocker lock(&searchLock);
            data.swap(searchData);
        }
        if (!data)
            return true;
        if (!waitSearchEnd(data))
            return false;
    }
}

bool CFileRecoveryLogicMgr::waitSearchEnd(const QSharedPointer<CUISearchFileData>& data)
{
    if (data->IsFinished()) {
        // Nothing to wait for but the worker's last steps.
        data->SetExit();
        data->WaitFinish();
        return true;
    }
    auto* job = new (std::nothrow) CWaitSearchFinish(data);
    if (!job) {
        data->SetExit();
        data->WaitFinish();
        return true;
    }
    QPointer<CFileRecoveryLogicMgr> self(this);
    QWidget* waitParent = page ? page->parentWidget() : parentWidget;
    auto* executer = new (std::nothrow)
        WaitExecuter(waitParent, tr("Waiting..."), waitParent, job, &CWaitSearchFinish::WaitFinish);
    if (executer) {
        executer->execute();
        if (executer->isNeedDelete())
            delete executer;
    } else {
        job->WaitFinish();
    }
    delete job;
    return !self.isNull();
}

void CFileRecoveryLogicMgr::OnSearchFinished(bool bSucceed, QString strImagePath, QString strSearchFolder,
                                             QString strFilter)
{
    // The end of a search that a newer one replaced says nothing about what the page shows.
    const QObject* from = sender();
    {
        QMutexLocker lock(&searchLock);
        if (from && searchData && searchData.data() != from)
            return;
    }
    if (!page)
        return;
    if (bSucceed)
        page->ShowSearchResult(strImagePath, strFilter, strSearchFolder);
    else
        page->ShowSearchResult(QString(), QString(), QString());
}

void CFileRecoveryLogicMgr::OnTreeHasSelect(bool has)
{
    if (!uiManager)
        return;
    const bool changed = lastHasSelect == 0xFFFFFFFF || (has && lastHasSelect == 0) || (!has && lastHasSelect == 1);
    if (!changed)
        return;
    IMsgHub* hub = uiManager->GetHub();
    if (!hub)
        return;
    const uint8_t payload = has ? 1 : 0;
    hub->Send(kMsgHasSelection, 0, &payload, 1);
    lastHasSelect = has ? 1 : 0;
}

void CFileRecoveryLogicMgr::OnInitFinish()
{
    IFileBrower* tree = page ? page->GetDefaultTree() : nullptr;
    if (!tree)
        return;
    const NodeIndex root = tree->GetRootIndex();
    if (!CLvFileSystemNodeMgr::IsValidNode(root))
        return;
    tree->SetNodeCheckState(root, Qt::Checked);
    NodePtr node(CLvFileSystemNodeMgr::GetNode(root));
    const bool hasChildren = node && node->RowCount() > 0;
    node.reset();
    if (hasChildren && page)
        page->SelectRow(0);
}

void CFileRecoveryLogicMgr::OnWaiterStop()
{
    IFileBrower* tree = page ? page->GetSearchTree() : nullptr;
    if (tree)
        NodePtr(CLvFileSystemNodeMgr::GetNode(tree->GetRootIndex()));
}

void CFileRecoveryLogicMgr::OnSetRootIsHide(bool bNotHide)
{
    if (IFileBrower* tree = page ? page->GetDefaultTree() : nullptr)
        tree->SetRootIsHide(bNotHide);
}

uint32_t CFileRecoveryLogicMgr::Commit(uint64_t, QSharedPointer<IUICommon> common)
{
    if (!page)
        return kCommitNoPage;
    return page->IsSearchShown() ? commitFromSearchTree(common) : commitFromDefaultTree(common);
}

uint32_t CFileRecoveryLogicMgr::commitFromDefaultTree(const QSharedPointer<IUICommon>& common)
{
    if (!page)
        return kDefaultCommitNoPage;
    auto* fileOperation = dynamic_cast<IUIFileOperation*>(common.data());
    if (!fileOperation)
        return kDefaultCommitNoFileOperation;
    IFileBrower* tree = page->GetDefaultTree();
    if (!tree)
        return kDefaultCommitNoTree;
    fileOperation->SetFilterState(0);

    void* block = nullptr;
    uint32_t size = 0;
    uint32_t flag = 0;
    const bool exported = tree->GetFilter(&block, &size, &flag);
    if (exported && block && size == 0) {
        tree->FreeFilter(block);
        return kDefaultCommitEmptyBlock;
    }
    if (!exported || !block || CFilterBlock::CountOf(block, size) <= 0) {
        if (block)
            tree->FreeFilter(block);
        CMsgBox::message(0, tr("Please select files or folders to recover."), QString(), CMsgBox::Ok);
        return kNothingSelected;
    }
    void* copy = std::malloc(size);
    if (!copy) {
        tree->FreeFilter(block);
        return kDefaultCommitNoMemory;
    }
    std::memcpy(copy, block, size);
    tree->FreeFilter(block);
    const uint32_t r = fileOperation->SetFilter(copy, size);
    std::free(copy);
    return NRResult::Failed(r) ? r : 0;
}

uint32_t CFileRecoveryLogicMgr::commitFromSearchTree(const QSharedPointer<IUICommon>& common)
{
    const QSharedPointer<CUISearchFileData> running = RunningSearch();
    if (running && !waitSearchEnd(running))
        return kSearchCommitNoPage;
    if (!page)
        return kSearchCommitNoPage;
    auto* find = dynamic_cast<IUIFindOperator*>(common.data());
    if (!find)
        return kSearchCommitNoFindOperator;
    auto* fileOperation = dynamic_cast<IUIFileOperation*>(common.data());
    if (!fileOperation)
        return kSearchCommitNoFileOperation;
    IFileBrower* tree = page->GetSearchTree();
    if (!tree)
        return kSearchCommitNoTree;

    QList<NodeIndex> items;
    NR_TRACE(u"File = %s, Line = %u, Begin GetCheckedItems", __FILE__, __LINE__);
    tree->GetCheckedItems(&items, 1, 0);
    NR_TRACE(u"File = %s, Line = %u, Leave GetCheckedItems: %d item(s)", __FILE__, __LINE__, int(items.size()));
    if (items.isEmpty()) {
        CMsgBox::message(2, tr("Select files to recover"), QString(), CMsgBox::Ok);
        return kNothingSelected;
    }
    CSearchSelection selection;
    if (selection.Allocate(uint32_t(items.size())) != 0)
        return kSearchCommitNoMemory;
    for (NodeIndex id : qAsConst(items)) {
        NodePtr node(CLvFileSystemNodeMgr::GetNode(id));
        if (node)
            selection.Append({node->IsDir() || node->IsDrive(), node->PathText(), node->DisplayName()});
    }

    uint32_t size = selection.Size();
    void* generated = nullptr;
    NR_TRACE(u"File = %s, Line = %u, Begin GenerateFilter", __FILE__, __LINE__);
    uint32_t r = find->GenerateFilter(selection.Data(), &size, &generated);
    NR_TRACE(u"File = %s, Line = %u, Leave GenerateFilter: 0x%08X", __FILE__, __LINE__, r);
    void* copy = nullptr;
    if (r != 0) {
        CMsgBox::message(0, tr("GenerateFilter failed! "), QString(), CMsgBox::Ok);
    } else if (size == 0 || !generated) {
        CMsgBox::message(0, tr("GenerateFilter Buffer Length is 0 "), QString(), CMsgBox::Ok);
        r = kSearchCommitEmptyBlock;
    } else if (!(copy = std::malloc(size))) {
        r = kSearchCommitCopyFailed;
    } else {
        std::memcpy(copy, generated, size);
        NR_TRACE(u"File = %s, Line = %u, Begin SetFilter", __FILE__, __LINE__);
        r = fileOperation->SetFilter(copy, size);
        NR_TRACE(u"File = %s, Line = %u, Leave SetFilter: 0x%08X", __FILE__, __LINE__, r);
    }
    find->FreeGeneratedFilter(generated);
    std::free(copy);
    return r;
}

void CFileRecoveryLogicMgr::Uinit()
{
    NR_TRACE(u"CFileRecoveryLogicMgr::Uinit %d", __LINE__);
    const QSharedPointer<CUISearchFileData> running = RunningSearch();
    if (running && !waitSearchEnd(running))
        return;
    if (imageAccessor) {
        imageAccessor->Stop();
        delete imageAccessor;
        imageAccessor = nullptr;
    }
}
