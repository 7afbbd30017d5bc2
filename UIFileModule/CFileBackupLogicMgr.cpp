#include "CFileBackupLogicMgr.h"

#include "CCredentialRecordBuilder.h"
#include "CFileBackupUI.h"
#include "CFilterBlock.h"
#include "CKWBrowserFilterProc.h"
#include "CLibLoader.h"
#include "CStoragePath.h"
#include "CTrace.h"
#include "CUIPublic.h"
#include "CKWIniParser.h"
#include "IBuildNetwork.h"
#include "ICredentialSource.h"
#include "IFileBrower.h"
#include "IMatchStr.h"
#include "IMsgHub.h"
#include "IUIBackup.h"
#include "IUICommon.h"
#include "IUIFileOperation.h"
#include "IUIManager.h"
#include "IUIService.h"
#include "NRFileBrowserPara.h"
#include "NRResult.h"
#include "PropValue.h"

#include <QSet>
#include <cstring>
#include <set>

namespace {

// A block exported by a browser; it goes back through that browser whatever happens.
class ExportedFilter
{
public:
    explicit ExportedFilter(IFileBrower* owner) : browser(owner)
    {
        if (browser)
            ok = browser->GetFilter(&block, &size, &flag);
    }
    ~ExportedFilter()
    {
        if (browser && block)
            browser->FreeFilter(block);
    }
    bool Valid() const { return ok && block; }
    // The browser refused the export and has told the user why: the commit says so with the code
    // that nobody shows again.
    bool ToldUser() const { return !Valid() && flag == IFileBrower::kFilterRefusedUserTold; }
    // The header's entry count; 0 for a block too short to have one.
    uint32_t Count() const
    {
        if (!Valid() || size < CFilterBlock::kHeadSize)
            return 0;
        uint32_t count = 0;
        std::memcpy(&count, static_cast<const char*>(block) + 12, sizeof count);
        return count;
    }
    // The entries, or none when the block does not read back.
    QVector<CFilterBlock::Entry> Entries() const
    {
        CFilterBlock parsed;
        if (!Valid() || parsed.Parse(block, size) != 0)
            return {};
        return parsed.Entries();
    }

    IFileBrower* browser;
    void* block = nullptr;
    uint32_t size = 0;
    uint32_t flag = 0;
    bool ok = false;

    ExportedFilter(const ExportedFilter&) = delete;
    ExportedFilter& operator=(const ExportedFilter&) = delete;
};

// The browser as the credential records see it.
class BrowserCredentials : public ICredentialSource
{
public:
    explicit BrowserCredentials(IFileBrower* b) : browser(b) {}
    QString ShareOfPath(const QString& path) override
    {
        const QString share = browser->GetShareOfPath(path);
        return share.isEmpty() ? QString() : share;
    }
    bool Credentials(const QString& key, QString* user, QString* password) override
    {
        return browser->GetShareCredentials(key, user, password);
    }

private:
    IFileBrower* browser;
};

// Reads a host buffer with the size-query protocol: a null buffer answers 0x24C and the size.
template <class Fn>
QByteArray readSized(Fn read)
{
    uint32_t size = 0;
    if (NRResult::ErrorNumber(read(nullptr, &size)) != NRResult::kBufferTooSmall || size == 0)
        return QByteArray();
    QByteArray buffer(int(size), '\0');
    if (read(buffer.data(), &size) != 0 || size == 0 || size > uint32_t(buffer.size()))
        return QByteArray();
    buffer.truncate(int(size));
    return buffer;
}

} // namespace

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
        // A page whose go-to is waiting has that go-to on the stack: it is released, and the
        // go-to deletes it at its next step. Deleting it here would return the go-to into freed
        // memory.
        if (page->IsBusy())
            page->Release();
        else
            delete page.data();
    }
}

uint32_t CFileBackupLogicMgr::SwitchMode(uint64_t pageId)
{
    smartMode = pageId == 12 || pageId == 13;
    editMode = pageId == 9 || pageId == 13;
    return 0;
}

CFileBackupUI* CFileBackupLogicMgr::GetPage() const
{
    return page.data();
}

IFileBrower* CFileBackupLogicMgr::browserFor(int index) const
{
    return page ? page->GetBrower(index) : nullptr;
}

void CFileBackupLogicMgr::buildBrowser()
{
    if (!page || !service)
        return;
    CUIPublic* shared = CUIPublic::Instance();
    _CFileBrowserPara para;
    para.service = service;
    uint32_t env = 0;
    uint32_t options = NRBrowserOption::k0001 | NRBrowserOption::k0004 | NRBrowserOption::k0008
                       | shared->PageBrowserOptions(&env);
    if (smartMode)
        options |= NRBrowserOption::kSmart1000 | NRBrowserOption::kSmart4000 | NRBrowserOption::kSmart10000;
    para.options = options;
    para.byte20 = 2;
    para.byte21 = 1;

    QByteArray initial;
    if (env == 0 || env == 3) {
        QStringList paths;
        if (shared->ShellLaunchFlag())
            paths = shared->ReceiveShellPaths();
        initial = initialSelection(paths);
    }
    // The parameter block lives in browserPara, the initial selection right behind it.
    browserPara = QByteArray(reinterpret_cast<const char*>(&para), sizeof para) + initial;
    auto* stored = reinterpret_cast<_CFileBrowserPara*>(browserPara.data());
    if (!initial.isEmpty()) {
        stored->filterBlock = browserPara.constData() + sizeof para;
        stored->filterSize = uint32_t(initial.size());
    }
    page->CreateBrower(stored, nullptr, parent() ? qobject_cast<QWidget*>(parent()) : nullptr);
}

QByteArray CFileBackupLogicMgr::initialSelection(const QStringList& paths) const
{
    if (paths.isEmpty())
        return QByteArray();
    auto* match = static_cast<IMatchStr*>(CLibLoader::CreateNRObject(QStringLiteral("MatchStr"), IMatchStr::kObjectId));
    if (!match) {
        NR_TRACE(u"[CFileBackupLogicMgr]File = %s, Line = %u, no match-filter component", __FILE__, unsigned(__LINE__));
        return QByteArray();
    }
    // Room for the header and, per path, an entry head with the name and the path each stored
    // in full (a name is at most as long as its path).
    uint32_t size = CFilterBlock::kHeadSize;
    for (const QString& path : paths) {
        if (!path.isEmpty())
            size += 24 + 4 * uint32_t(path.size() + 1);
    }
    QByteArray block(int(size), '\0');
    QByteArray result;
    if (match->AddItem(block.data(), size, nullptr) == 0) {
        bool ok = true;
        for (const QString& path : paths) {
            if (path.isEmpty())
                continue;
            IMatchStr::Item item;
            QString native = path;
            if (native.endsWith(QLatin1Char('\\')) && native.size() > 3)
                native.chop(1);
            // The host's folder check tells folders from files (0: the folder exists).
            const bool folder = path.endsWith(QLatin1Char('\\')) ||
                                (service && service->CheckFolderExists(reinterpret_cast<const char16_t*>(native.utf16())) == 0);
            item.flags = folder ? IMatchStr::kItemFlagFolder : 0;
            const QString cut = native.left(int(sizeof item.path / 2) - 1);
            std::memcpy(item.path, cut.utf16(), size_t(cut.size()) * 2);
            if (match->AddItem(block.data(), size, &item) != 0) {
                ok = false;
                break;
            }
        }
        const uint32_t used = ok ? match->UsedSize(block.constData(), size) : 0;
        if (used)
            result = block.left(int(used));
    }
    delete match;
    return result;
}

void CFileBackupLogicMgr::loadTaskSelection()
{
    auto* fileOperation = dynamic_cast<IUIFileOperation*>(uiCommon.data());
    if (!fileOperation)
        return;
    typeFilter = fileOperation->GetFilterKind();
    QByteArray block = readSized([&](void* buffer, uint32_t* size) { return fileOperation->GetTaskFilter(buffer, size); });
    if (block.isEmpty())
        return;
    if (block.size() >= int(CFilterBlock::kHeadSize)) {
        CKWBrowserFilterProc identify(true);
        identify.IDentifyFilterType(reinterpret_cast<_NR_FILTERS_HEAD*>(block.data()));
    }
    taskFilters[0].block = block;
    if (IFileBrower* browser = browserFor(0)) {
        if (!browser->SetFilter(block.constData(), uint32_t(block.size())))
            NR_TRACE(u"[CFileBackupLogicMgr]File = %s, Line = %u, the task's stored selection was refused",
                     __FILE__, unsigned(__LINE__));
    }
    taskFilters[0].second =
        readSized([&](void* buffer, uint32_t* size) { return fileOperation->GetTaskSecondFilter(buffer, size); });
}

void CFileBackupLogicMgr::loadTaskNetworkRecords()
{
    auto* network = dynamic_cast<IBuildNetwork*>(uiCommon.data());
    IFileBrower* browser = browserFor(0);
    if (!network || !browser)
        return;
    const QByteArray records =
        readSized([&](void* buffer, uint32_t* size) { return network->GetTaskNetRecords(buffer, size); });
    if (!records.isEmpty())
        browser->SetNetworkRecords(records.constData(), uint32_t(records.size()) / IBuildNetwork::kRecordSize);
}

uint32_t CFileBackupLogicMgr::Init(QSharedPointer<IUICommon> common)
{
    initDone = 0;
    uint32_t result = 0;
    if (!page) {
        result = kInitNoPage;
    } else {
        buildBrowser();
        uiCommon = common;
        backupType = smartMode ? kBackupTypeSmart : kBackupTypePlain;
        if (!service && uiManager)
            service = uiManager->GetService();
        if (!service) {
            result = kInitNoService;
        } else {
            if (editMode) {
                loadTaskSelection();
            } else if (IFileBrower* browser = browserFor(0)) {
                if (savedFilter.size() >= int(CFilterBlock::kHeadSize))
                    browser->SetFilter(savedFilter.constData(), uint32_t(savedFilter.size()));
            }
            if (editMode)
                loadTaskNetworkRecords();
            if (auto* object = dynamic_cast<QObject*>(browserFor(0))) {
                const QMetaObject* meta = object->metaObject();
                if (meta->indexOfSignal("DoGetUICommon(QSharedPointer<IUICommon>&)") >= 0)
                    connect(object, SIGNAL(DoGetUICommon(QSharedPointer<IUICommon>&)), this,
                            SLOT(OnGetUICommon(QSharedPointer<IUICommon>&)), Qt::UniqueConnection);
                if (meta->indexOfSignal("DoTreeHasSelect(bool)") >= 0)
                    connect(object, SIGNAL(DoTreeHasSelect(bool)), this, SLOT(OnTreeHasSelect(bool)),
                            Qt::UniqueConnection);
            }
            page->ShowPage(editMode, 0);
        }
    }
    // A launch from the desktop shell ends its helper process once the paths were taken.
    CUIPublic* shared = CUIPublic::Instance();
    if (shared->ShellLaunchFlag()) {
        shared->TerminateShellProcess();
        shared->SetShellLaunchFlag(0);
    }
    initDone = 1;
    return result;
}

void CFileBackupLogicMgr::OnTreeHasSelect(bool has)
{
    QString name = tr("File Backup");
    bool flag = has;
    if (editMode && initDone == 0)
        flag = false;
    if (Hub() && typeFilter == 0) {
        const uint8_t payload = flag ? 1 : 0;
        Hub()->Send(kMsgHasSelection, 0, &payload, 1);
    }
    // Every tick comes here: the name is read from the selection itself, no block is made.
    if (IFileBrower* browser = browserFor(0)) {
        const QString path = browser->GetSingleFolderSelection();
        if (!path.isEmpty()) {
            int cut = path.lastIndexOf(QLatin1Char('\\'));
            if (cut < 0)
                cut = path.lastIndexOf(QLatin1Char('/'));
            name = path.mid(cut + 1);
        }
    }
    if (smartMode)
        name = tr("Smart Backup");
    ProposeTaskName(name, tr("File Backup"));
}

void CFileBackupLogicMgr::OnGetUICommon(QSharedPointer<IUICommon>& p)
{
    p = uiCommon;
}

void CFileBackupLogicMgr::OnSetUserEnterTaskName(bool entered)
{
    userEnteredTaskName = entered;
}

uint32_t CFileBackupLogicMgr::Commit(uint64_t pageId, QSharedPointer<IUICommon> common, PropValue* doc)
{
    if (pageId == 70) {
        if (page) {
            page->SetFilter(savedFilter.isEmpty() ? nullptr : savedFilter.constData(), uint32_t(savedFilter.size()));
            page->ShowPage(editMode, typeFilter);
        }
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

    int excluded = 0;
    if (smartMode) {
        excluded = page->ExcludeNetworkItems();
        if (excluded == -1)
            return kCommitSmartCancelled;
        GetSelectionText(&selectionText);
    } else if (doc) {
        doc->setMember(u"Content", typeFilter == 1 ? u"Type" : u"Folder");
    }

    uint32_t flag = 0;
    uint32_t r = 0;
    if (editMode)
        r = commitEdit(&flag);
    else if (pageId == 65)
        r = keepSelection();
    else
        r = commitNew(smartMode && excluded >= 1, &flag);
    if (NRResult::Failed(r))
        return r;
    if (resetAfterCommit && flag == 1)
        r = fileOperation->SetFilterState(0);
    if (!selectionText.isEmpty()) {
        if (auto* backup = dynamic_cast<IUIBackup*>(uiCommon.data())) {
            const QString text = selectionText.left(259);
            backup->SetSourceDescription(reinterpret_cast<const char16_t*>(text.utf16()));
        }
    }
    return r;
}

uint32_t CFileBackupLogicMgr::commitNew(bool keepCopy, uint32_t* flag)
{
    IFileBrower* browser = browserFor(typeFilter ? 1 : 0);
    if (!page || !browser)
        return kNewNoBrowser;
    if (keepCopy)
        savedFilter.clear();
    ExportedFilter exported(browser);
    *flag = exported.flag;
    if (!exported.Valid())
        return exported.ToldUser() ? NRResult::kNothingSelectedShown : kNewExportFailed;
    if (exported.Count() == 0)
        return kNewNothingSelected;
    const QByteArray copy(static_cast<const char*>(exported.block), int(exported.size));
    if (keepCopy)
        savedFilter = copy;
    auto* fileOperation = dynamic_cast<IUIFileOperation*>(uiCommon.data());
    if (!fileOperation)
        return kNewNoFileOperation;
    uint32_t r = fileOperation->SetFilter(copy.constData(), uint32_t(copy.size()));
    if (NRResult::Failed(r))
        return r;
    BrowserCredentials credentials(browser);
    const QByteArray records =
        CCredentialRecordBuilder::Build(exported.block, exported.size, nullptr, 0, &credentials);
    if (records.isEmpty())
        return r;
    r = fileOperation->SetCredentials(records.constData(), uint32_t(records.size()) / 1128);
    auto* network = dynamic_cast<IBuildNetwork*>(uiCommon.data());
    if (!network)
        return kNewNoBuildNetwork;
    uint32_t count = 0;
    const QByteArray locations = browser->GetNetworkLocations(&count);
    network->SetNetworkLocations(locations.constData(), count);
    return r;
}

uint32_t CFileBackupLogicMgr::commitEdit(uint32_t* flag)
{
    auto* fileOperation = dynamic_cast<IUIFileOperation*>(uiCommon.data());
    if (!fileOperation)
        return kEditNoFileOperation;
    IFileBrower* browser = browserFor(0);
    if (!browser)
        return kEditNoBrowser;
    ExportedFilter exported(browser);
    *flag = exported.flag;
    if (!exported.Valid())
        return exported.ToldUser() ? NRResult::kNothingSelectedShown : kEditExportFailed;
    if (exported.Count() == 0)
        return kEditNothingSelected;
    const QByteArray copy(static_cast<const char*>(exported.block), int(exported.size));
    uint32_t r = fileOperation->SetFilter(copy.constData(), uint32_t(copy.size()));
    if (NRResult::Failed(r))
        return r;
    // The task's stored credential records carry shares the tree may no longer know.
    if (taskFilters[1].second.isEmpty())
        taskFilters[1].second =
            readSized([&](void* buffer, uint32_t* size) { return fileOperation->GetTaskSecondFilter(buffer, size); });
    if (auto* network = dynamic_cast<IBuildNetwork*>(uiCommon.data())) {
        uint32_t count = 0;
        const QByteArray locations = browser->GetNetworkLocations(&count);
        network->SetNetworkLocations(locations.constData(), count);
    }
    BrowserCredentials credentials(browser);
    const QByteArray& old = taskFilters[1].second;
    const QByteArray records = CCredentialRecordBuilder::Build(exported.block, exported.size, old.constData(),
                                                               size_t(old.size()), &credentials);
    if (!records.isEmpty())
        r = fileOperation->SetCredentials(records.constData(), uint32_t(records.size()) / 1128);
    return NRResult::Failed(r) ? r : 0;
}

uint32_t CFileBackupLogicMgr::keepSelection()
{
    IFileBrower* browser = browserFor(typeFilter ? 1 : 0);
    if (!page || !browser)
        return 0;
    uint32_t r = 0;
    {
        ExportedFilter exported(browser);
        if (!exported.Valid())
            r = kKeepExportFailed;
        else if (exported.Count() == 0)
            r = kKeepNothingSelected;
        else
            savedFilter = QByteArray(static_cast<const char*>(exported.block), int(exported.size));
        if (exported.block)
            page->ClearModified(false);
    }
    return r;
}

void CFileBackupLogicMgr::DescribeSourceKinds(PropValue* doc)
{
    if (!doc)
        return;
    ExportedFilter exported(browserFor(0));
    std::set<QString> kinds;
    for (const CFilterBlock::Entry& entry : exported.Entries()) {
        if (entry.IsExclusion() || entry.path.isEmpty())
            continue;
        const char16_t* wide = reinterpret_cast<const char16_t*>(entry.path.utf16());
        if (CStoragePath::IsNASPath(wide))
            kinds.insert(QStringLiteral("NAS"));
        else if (CStoragePath::IsUNCPath(wide))
            kinds.insert(QStringLiteral("Network"));
        else
            kinds.insert(QStringLiteral("Local"));
    }
    QStringList joined;
    for (const QString& kind : kinds)
        joined << kind;
    const QString text = joined.join(QStringLiteral(", ")).left(259);
    doc->setMember(u"Content", std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())));
}

void CFileBackupLogicMgr::GetSelectionText(QString* out)
{
    if (!out)
        return;
    out->clear();
    ExportedFilter exported(browserFor(0));
    QString text;
    for (const CFilterBlock::Entry& entry : exported.Entries()) {
        if (entry.IsExclusion() || entry.path.isEmpty())
            continue;
        if (entry.IsWholePath()) {
            const int cut = entry.path.lastIndexOf(QLatin1Char('\\'));
            text += cut <= 0 ? entry.path : entry.path.mid(cut + 1);
        } else {
            text += entry.name;
        }
        text += QStringLiteral(", ");
    }
    if (text.endsWith(QStringLiteral(", ")))
        text.chop(2);
    selectionText = text;
    *out = text;
}
