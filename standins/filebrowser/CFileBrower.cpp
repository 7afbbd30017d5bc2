#include "CFileBrower.h"

#include "CBrower.h"
#include "CFileSystemModel.h"
#include "CGetDataCommon.h"
#include "CGetImgFileData.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CMsgBox.h"
#include "CNetLocationRecord.h"
#include "CPathKey.h"
#include "CSearchResultBrower.h"
#include "CSelectionFilter.h"
#include "CServerShares.h"
#include "CStorageMap.h"
#include "CTrace.h"

#include <QWidget>

#include <cstdlib>
#include <cstring>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

NodePtr Node(NodeIndex id) { return NodePtr(CLvFileSystemNodeMgr::GetNode(id)); }

QStringList splitPath(const QString& path)
{
    return CStorageMap::Components(path);
}

// A stored or typed path of this machine in another case than the names on disk stands for the
// one file it can mean, as it did on Windows. A path that exists as written, names nothing, or
// could mean two names that differ only in case stays as it is.
QString spellAsOnDisk(const QString& path)
{
    if (!CPathKey::IsCaseSensitive(path))
        return path;
    const auto map = CStorageMap::Current();
    QByteArray local;
    if (NRResult::Failed(map->ToLocal(path, &local)))
        return path;
    QString given = path;
    given.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (given.size() > 2 && given.endsWith(QLatin1Char('\\')))
        given.chop(1);
    const QString found = map->ToWindows(local);
    return !found.isEmpty() && found.compare(given, Qt::CaseInsensitive) == 0 ? found : path;
}

} // namespace

// ---- factories

IFileBrower* IFileBrower::CreateInstance(_CFileBrowserPara* para, CGetDataCommon* data, void* page)
{
    Q_UNUSED(page);
    auto* browser = new CFileBrower(para, nullptr);
    QSharedPointer<CGetDataCommon> source(data);
    const uint32_t options = para ? para->options : 0;
    if (!source) {
        if (options & CFileBrower::kOptImage) {
            // A page that browses an image names it now or hands a source over later (slot 6).
            if (para && para->imagePath)
                source.reset(new CGetImgFileData(para));
        } else {
            source.reset(new CGetDataCommon(options));
        }
    }
    if (source)
        browser->SetDataSource(source);
    if (para && para->filterBlock && para->filterSize > 0) {
        if (!browser->SetFilter(para->filterBlock, para->filterSize))
            NR_TRACE(u"File = %s, Line = %u, initial selection refused", __FILE__, __LINE__);
    }
    browser->ClearModified(false);
    return browser;
}

IFileBrower* IFileBrower::CreateInstanceByType(int treeType, CGetDataCommon* data, void* parent)
{
    if (treeType != kTypeSearchResult) {
        delete data;
        return nullptr;
    }
    auto* browser = new CSearchResultBrower(static_cast<QWidget*>(parent));
    if (data)
        browser->SetDataSource(QSharedPointer<CGetDataCommon>(data));
    return browser;
}

// ---- construction

CFileBrower::CFileBrower(const _CFileBrowserPara* para, QWidget* parentWidget) : m_parentWidget(parentWidget)
{
    RegisterNodeMetaTypes();
    if (para) {
        m_options = para->options;
        if (para->imagePath)
            m_imagePath = QString::fromUtf8(para->imagePath);
    }
    m_model = new CFileSystemModel(nullptr);
    m_modelRef = QSharedPointer<IFileSystemModel>(m_model);
    m_filter = new CSelectionFilter(m_model, this);
    if (!(m_options & kOptImage))
        m_filter->SetSpelling(spellAsOnDisk);
    connect(m_model, &CFileSystemModel::DoGetNodePath, this, &CFileBrower::OnGetNodePath, Qt::DirectConnection);
    connect(m_model, &CFileSystemModel::DoCheckStatusChange, this, &CFileBrower::OnCheckStatusChange);

    QDir::Filters filters = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden;
    if (m_options & kOptFiles)
        filters |= QDir::Files;
    m_model->setFilter(filters);

    IBrower* b = CreateBrower(m_modelRef, parentWidget, m_options & kOptFilesInTree, 0, 0, false);
    m_browser = dynamic_cast<CBrower*>(b);
    if (m_browser) {
        connect(m_browser.data(), &CBrower::DoNodeSelect, this, [this](NodeIndex node) {
            m_currentNode = node;
            emit DoNodeSelect(node);
        });
        connect(m_browser.data(), &CBrower::DoRowRemoved, this, &CFileBrower::DoRowRemoved);
        connect(m_browser.data(), &CBrower::DoModelInitFinish, this, &CFileBrower::DoModelInitFinish);
        connect(m_browser.data(), &CBrower::DoExpand, this, &CFileBrower::OnExpand);
        m_browser->ShowRightView(true, false);
        m_browser->SetCheckEnabled(m_options & kOptCheckBoxes);
    } else {
        m_model->SetCheckEnabled(m_options & kOptCheckBoxes);
    }
}

CFileBrower::~CFileBrower()
{
    // Nothing may reach the model once teardown starts.
    if (m_source) {
        disconnect(m_source.data(), nullptr, this, nullptr);
        m_source->SetFileBrower(nullptr);
    }
    CGetDataCommon::RemoveInstances(this);
    CGetDataCommon::RemoveInstances(static_cast<IFileBrower*>(this));
    m_source.reset();
    for (void* block : qAsConst(m_blocks))
        std::free(block);
    m_blocks.clear();
    delete m_browser.data();
    delete m_filter;
    m_filter = nullptr;
    m_modelRef.reset();
    m_model = nullptr;
}

CBrower* CFileBrower::Browser() const
{
    return m_browser.data();
}

// ---- slots of IFileBrower

QWidget* CFileBrower::GetWidget()
{
    return m_browser.data();
}

void CFileBrower::SetParentWidget(QWidget* parent)
{
    m_parentWidget = parent;
    if (m_browser && !m_browser->parentWidget() && parent)
        m_browser->setParent(parent);
}

void CFileBrower::SetPageValue(qint64 value)
{
    m_pageValue = value;
}

void CFileBrower::ShowBrowser(bool flag, uint32_t typeFilter)
{
    Q_UNUSED(flag);
    m_typeFilter = typeFilter;
    if (m_browser)
        m_browser->show();
}

QSharedPointer<CGetDataCommon> CFileBrower::GetDataSource()
{
    return m_source;
}

void CFileBrower::SetDataSource(QSharedPointer<CGetDataCommon> source)
{
    if (m_source == source)
        return;
    if (m_source) {
        disconnect(m_source.data(), nullptr, this, nullptr);
        m_source->SetFileBrower(nullptr);
        // What the old source showed goes; the selection stays (the page clears it if it wants).
        m_model->RemoveAllChildren(m_model->GetRootIndex());
    }
    m_source = source;
    if (!m_source)
        return;
    connect(m_source.data(), &CGetDataCommon::DoLoadFinished, this, &CFileBrower::OnLoadFinished);
    m_source->SetFileBrower(this);
    m_source->Start();
}

QAbstractItemModel* CFileBrower::GetSearchModel()
{
    return nullptr; // the search-result browser's (CSearchResultBrower)
}

bool CFileBrower::SetFilter(const void* block, uint32_t size)
{
    uint32_t err = 0;
    if (!block) {
        m_filter->Clear();
    } else {
        err = m_filter->Apply(block, size);
        if (NRResult::Failed(err)) {
            NR_TRACE(u"File = %s, Line = %u, filter block refused: 0x%08X", __FILE__, __LINE__, unsigned(err));
            return false;
        }
    }
    // Views repaint the states the map now gives; the page hears whether anything is selected.
    // A selection put in place by the page is not a change the user made.
    m_model->SetCheckEnabled(m_model->IsCheckEnabled());
    const bool modified = m_modified;
    m_model->NotifyCheckStatus(0, m_model->HasCheckedEntry());
    m_modified = modified;
    return true;
}

bool CFileBrower::GetFilter(void** block, uint32_t* size, uint32_t* flag)
{
    if (!block || !size)
        return false;
    *block = nullptr;
    *size = 0;
    if (flag)
        *flag = 0;
    QByteArray bytes;
    const uint32_t err = ExportSelection(&bytes);
    if (err == CServerShares::kErrUnreachable) {
        // Leaving the server out would back up less than the tree shows ticked.
        CMsgBox::message(3,
                         tr("%1 cannot be reached, so the shares it hands out cannot be listed and the selection "
                            "cannot be confirmed. Check the network connection and try again, or untick it.")
                             .arg(m_filter->Unreachable().join(QStringLiteral(", "))),
                         QString(), CMsgBox::Ok, QString(), m_browser.data());
        if (flag)
            *flag = kFilterRefusedUserTold;
    }
    if (NRResult::Failed(err) || bytes.isEmpty()) {
        NR_TRACE(u"File = %s, Line = %u, filter export failed: 0x%08X", __FILE__, __LINE__, unsigned(err));
        return false;
    }
    void* out = std::malloc(size_t(bytes.size()));
    if (!out)
        return false;
    std::memcpy(out, bytes.constData(), size_t(bytes.size()));
    m_blocks.insert(out);
    *block = out;
    *size = uint32_t(bytes.size());
    return true;
}

uint32_t CFileBrower::ExportSelection(QByteArray* out)
{
    const quint64 revision = m_model->Checks().Revision();
    const quint64 tree = m_model->TreeGeneration();
    if (m_exportValid && revision == m_exportRevision && tree == m_exportTree) {
        *out = m_export;
        return 0;
    }
    m_exportValid = false;
    const uint32_t err = m_filter->Export(out, m_browser.data());
    if (NRResult::Failed(err))
        return err;
    // What the selection and the tree were before the export: anything that came in while it
    // waited for servers makes the next caller export again.
    m_export = *out;
    m_exportRevision = revision;
    m_exportTree = tree;
    m_exportValid = true;
    return 0;
}

QString CFileBrower::GetSingleFolderSelection()
{
    return m_filter->SingleFolderPath();
}

bool CFileBrower::FreeFilter(void* block)
{
    // Only blocks this browser handed out are freed; anything else is left alone.
    if (!block || !m_blocks.remove(block))
        return false;
    std::free(block);
    return true;
}

void CFileBrower::ClearModified(bool modified)
{
    m_modified = modified;
}

QString CFileBrower::GetCurrentPath()
{
    return WindowsPathOf(GetCurrentNode());
}

QString CFileBrower::WindowsPathOf(NodeIndex node) const
{
    return m_source ? m_source->WindowsPathOf(node) : QString();
}

QByteArray CFileBrower::GetNodePathUtf8(NodeIndex node, int flag)
{
    if (flag == 1)
        return m_model->GetNodePath(node);
    QString path = WindowsPathOf(node);
    if (path.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive)) {
        // Pages find the device's UNC root in this form and show it as NAS://device/...
        const QString unc = CStorageMap::Current()->NasToUnc(path);
        if (!unc.isEmpty())
            path = unc;
    }
    return path.toUtf8();
}

NodeIndex CFileBrower::ChildNamed(NodeIndex parent, const QString& name) const
{
    NodePtr n = Node(parent);
    if (!n)
        return 0;
    NodeIndex child = n->ChildByTypedName(name);
    if (child)
        return child;
    // Top-level places are also found by the name they show.
    for (NodeIndex id : n->ChildIds()) {
        NodePtr c = Node(id);
        if (c && !c->DisplayName().isEmpty() && c->DisplayName().compare(name, Qt::CaseInsensitive) == 0)
            return id;
    }
    return 0;
}

NodeIndex CFileBrower::TopLevelOfKind(int kind) const
{
    NodePtr root = Node(m_model->GetRootIndex());
    if (!root)
        return 0;
    for (int r = 0; r < root->RowCount(); ++r) {
        const NodeIndex id = root->ChildByName(root->NameAtRow(r));
        NodePtr c = Node(id);
        if (c && c->GetKind() == kind)
            return id;
    }
    return 0;
}

NodeIndex CFileBrower::FindNodeByUtf8Path(const char* utf8Path)
{
    if (!utf8Path)
        return 0;
    const QString path = QString::fromUtf8(utf8Path);
    if (path.isEmpty())
        return 0;
    NodeIndex node = 0;
    QStringList parts;
    if (path.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive)) {
        node = TopLevelOfKind(NodeKind::kNasGroup);
        parts = splitPath(path.mid(4));
    } else if (path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//"))) {
        node = TopLevelOfKind(NodeKind::kNetworkGroup);
        parts = splitPath(path);
    } else if (m_options & kOptImage) {
        node = m_model->GetRootIndex();
        parts = splitPath(path);
    } else {
        node = TopLevelOfKind(NodeKind::kComputer);
        parts = splitPath(path);
        if (parts.size() == 1 && (parts.first() == CGetDataCommon::ComputerName().mid(2)
                                  || parts.first().compare(QLatin1String("My Computer"), Qt::CaseInsensitive) == 0))
            return node;
    }
    for (const QString& part : qAsConst(parts)) {
        node = ChildNamed(node, part);
        if (!node)
            return 0;
    }
    return parts.isEmpty() ? 0 : node;
}

void CFileBrower::SelectNode(NodeIndex node)
{
    if (m_browser)
        m_browser->SelectNode(node);
    m_currentNode = node;
}

QList<NodeIndex> CFileBrower::GetCheckedNodes()
{
    QList<NodeIndex> out;
    const QMap<QString, CFileSystemModel::CheckEntry> map = m_model->CheckMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (!it.value().first)
            continue;
        const NodeIndex id = m_model->PathIds().value(it.key(), 0);
        // Paths selected but not loaded have no node to hand out.
        if (id && CLvFileSystemNodeMgr::IsValidNode(id) && m_model->KeyOf(id) == it.key() && !out.contains(id))
            out.append(id);
    }
    return out;
}

int CFileBrower::GetRootType(NodeIndex node)
{
    if (m_options & kOptImage)
        return CGetDataCommon::kRootImage;
    return m_source ? m_source->RootTypeOf(node) : CGetDataCommon::kRootLocal;
}

bool CFileBrower::GetDriveInfo(const QString& drivePath, NRDriveInfo* info)
{
    CStorageMap::Drive d;
    if (!info || !CStorageMap::Current()->DriveInfo(drivePath, &d))
        return false;
    info->driveType = int(d.type);
    info->label = QString(d.letter) + QLatin1Char(':');
    info->linuxPath = QString::fromLocal8Bit(d.dir);
    info->networkPath = d.share;
    return true;
}

QString CFileBrower::TranslateMappedPath(const QString& drivePath)
{
    return CStorageMap::Current()->TranslateMappedDrive(drivePath);
}

bool CFileBrower::SetNodeCheckState(NodeIndex node, int state)
{
    if (!CLvFileSystemNodeMgr::IsValidNode(node) || state < 0 || state > 2)
        return false;
    return m_model->SetNodeData(node, state, Qt::CheckStateRole);
}

void CFileBrower::SetNetworkRecords(const void* records, uint32_t count)
{
    m_netRecords.clear();
    if (records && count)
        m_netRecords = QByteArray(static_cast<const char*>(records), int(count * CNetLocationRecord::kSize));
}

bool CFileBrower::GetShareCredentials(const QString& shareKey, QString* user, QString* password)
{
    QString u, p;
    // What the user typed in the source's login dialog, then what the configuration gives.
    if (m_source && m_source->HeldCredentials(shareKey, &u, &p)) {
        if (user)
            *user = u;
        if (password)
            *password = p;
        return true;
    }
    if (!CStorageMap::Current()->Credentials(shareKey, &u, &p) || (u.isEmpty() && p.isEmpty()))
        return false;
    if (user)
        *user = u;
    if (password)
        *password = p;
    return true;
}

QString CFileBrower::GetShareOfPath(const QString& path)
{
    return CStorageMap::Current()->ShareBehind(path);
}

QByteArray CFileBrower::GetNetworkLocations(uint32_t* count)
{
    QList<CNetLocationRecord> records;
    QByteArray block;
    if (NRResult::Succeeded(ExportSelection(&block))) {
        CFilterBlock parsed;
        if (NRResult::Succeeded(parsed.Parse(block.constData(), size_t(block.size())))) {
            const auto map = CStorageMap::Current();
            for (const QString& path : parsed.IncludedPaths()) {
                QString share = map->ShareBehind(path);
                if (share.isEmpty())
                    continue;
                if (share.endsWith(QLatin1Char('\\')))
                    share.chop(1);
                CNetLocationRecord r(CNetLocationRecord::kKindShare, share, share);
                if (path.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive)) {
                    const QStringList parts = CStorageMap::Components(path.mid(4));
                    r.kind = CNetLocationRecord::kKindNasShare;
                    r.label = parts.size() >= 2 ? QStringLiteral("NAS:\\\\%1\\%2").arg(parts.at(0), parts.at(1)) : path;
                } else if (!path.startsWith(QLatin1String("\\\\"))) {
                    r.kind = CNetLocationRecord::kKindMappedDrive;
                    r.label = path.left(2).toUpper();
                }
                if (!records.contains(r))
                    records.append(r);
            }
        }
    }
    if (count)
        *count = uint32_t(records.size());
    return CNetLocationRecord::EncodeList(records);
}

IBrower* CFileBrower::GetBrower()
{
    return m_browser.data();
}

bool CFileBrower::IsModified()
{
    return m_modified;
}

bool CFileBrower::GetCheckedItems(QList<NodeIndex>* items, int flag, int reserved)
{
    Q_UNUSED(flag);
    Q_UNUSED(reserved);
    if (!items)
        return false;
    *items = GetCheckedNodes();
    return !items->isEmpty();
}

NodeIndex CFileBrower::GetRootIndex()
{
    return m_model->GetRootIndex();
}

NodeIndex CFileBrower::GetRootIdByName(const QString& name)
{
    return ChildNamed(m_model->GetRootIndex(), name);
}

bool CFileBrower::SetCheckEnabled(bool enabled)
{
    if (m_browser)
        return m_browser->SetCheckEnabled(enabled);
    return m_model->SetCheckEnabled(enabled);
}

void CFileBrower::ExpandNode(NodeIndex node, bool expand)
{
    if (m_browser)
        m_browser->ExpandNode(node, expand);
    NodePtr n = Node(node);
    if (expand && n && !n->InitFinish() && m_source)
        m_source->Expand(node);
}

void CFileBrower::SetRootIsHide(bool hide)
{
    m_model->SetRootIsHide(hide);
}

void CFileBrower::ShowRightView(bool show)
{
    if (m_browser)
        m_browser->ShowRightView(show, false);
}

bool CFileBrower::HasSelection()
{
    return m_model->HasCheckedEntry();
}

void CFileBrower::SetNameFilters(const QStringList& patterns)
{
    m_model->setNameFilters(patterns);
}

QStringList CFileBrower::GetNameFilters()
{
    return m_model->nameFilters();
}

void CFileBrower::StopNodeLoading(NodeIndex node)
{
    if (m_browser)
        m_browser->StopNodeLoading(node);
}

bool CFileBrower::IsNodeLoaded(NodeIndex node)
{
    NodePtr n = Node(node);
    return n && n->InitFinish();
}

QString CFileBrower::GetNodeDisplayPath(NodeIndex node)
{
    NodePtr n = Node(node);
    return n ? n->GetDisplayPath(true, true) : QString();
}

void CFileBrower::Refresh(NodeIndex node)
{
    NodePtr n = Node(node);
    if (!n || !m_source)
        return;
    n->SetInitFinish(false);
    n.reset();
    m_model->RemoveAllChildren(node);
    m_source->Expand(node);
}

uint32_t CFileBrower::GetOptions()
{
    return m_options;
}

void CFileBrower::SetCurrentNode(NodeIndex node)
{
    if (m_browser)
        m_browser->SetCurrentNode(node);
    m_currentNode = node;
}

NodeIndex CFileBrower::GetCurrentNode()
{
    if (m_browser && m_browser->GetCurrentNode())
        return m_browser->GetCurrentNode();
    return m_currentNode;
}

int CFileBrower::GetLoadingState()
{
    return m_loadingState;
}

void CFileBrower::SetLoadingState(int state)
{
    m_loadingState = state;
}

// ---- model and source signals

void CFileBrower::OnCheckStatusChange(NodeIndex node, bool anyChecked)
{
    Q_UNUSED(node);
    m_modified = true;
    m_lastHasSelect = anyChecked;
    emit DoTreeHasSelect(anyChecked);
}

void CFileBrower::OnGetNodePath(NodeIndex node, QByteArray& path)
{
    if (path.isEmpty() && m_source)
        path = m_source->SelectionPathOf(node);
}

void CFileBrower::OnExpand(NodeIndex node)
{
    if (m_source)
        m_source->Expand(node);
}

void CFileBrower::OnLoadFinished(NodeIndex node, qint32 err)
{
    // A folder that could not be listed stops its loading animation (and folds); a listed one
    // stopped it when its last batch reached the views (the model's DoFolderLoaded).
    if (m_browser && NRResult::Failed(uint32_t(err)))
        m_browser->StopNodeLoading(node);
    if (node == m_model->GetRootIndex()) {
        if (m_loadingState == kStateLoading)
            m_loadingState = kStateIdle;
        if (m_options & kOptImage)
            emit DoSetRootIsHide(true);
    }
}
