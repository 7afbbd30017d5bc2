#include "CSelectionFilter.h"

#include "CFileSystemModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CPathKey.h"
#include "CSelectItem.h"
#include "CServerShares.h"
#include "CTrace.h"

#include <algorithm>
#include <atomic>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

NodePtr Node(NodeIndex id) { return NodePtr(CLvFileSystemNodeMgr::GetNode(id)); }

std::atomic<quint64> g_exports{0};

QString lastComponent(const QString& path)
{
    const int sep = path.lastIndexOf(QLatin1Char('\\'));
    return sep < 0 ? path : path.mid(sep + 1);
}

} // namespace

CSelectionFilter::CSelectionFilter(CFileSystemModel* model, QObject* parent) : QObject(parent), m_model(model)
{
    // Stand-ins hang below this node. Its key stops the model's walk up the parents, so setting
    // a stand-in's state never decides anything about the folders above it.
    CLvFileSystemNode* anchor = CLvFileSystemNodeMgr::CreateNode(QString(), 0, nullptr);
    anchor->SetUserData(QVariant(quint64(kNoPropagateUserData)));
    m_anchor = anchor->Id();
    if (m_model)
        connect(m_model.data(), &CFileSystemModel::DoGetNodePath, this, &CSelectionFilter::OnGetNodePath,
                Qt::DirectConnection);
}

CSelectionFilter::~CSelectionFilter()
{
    CLvFileSystemNode* anchor = CLvFileSystemNodeMgr::GetNode(m_anchor);
    if (anchor) {
        anchor->Release(); // ours from GetNode
        anchor->Release(); // the one taken at construction
    }
}

QString CSelectionFilter::KeyOf(const QString& path)
{
    return CPathKey::Of(QString::fromUtf8(path.toUtf8()));
}

bool CSelectionFilter::IsAncestorOrSelf(const QString& ancestor, const QString& path)
{
    if (ancestor.isEmpty())
        return true;
    if (!path.startsWith(ancestor))
        return false;
    return path.size() == ancestor.size() || path.at(ancestor.size()) == QLatin1Char('\\');
}

void CSelectionFilter::OnGetNodePath(NodeIndex node, QByteArray& path)
{
    auto it = m_standIns.constFind(node);
    if (it != m_standIns.constEnd() && path.isEmpty())
        path = it.value();
}

void CSelectionFilter::Describe(const QString& key, NodeIndex id, bool isDir, QString* name, QString* path,
                                uint8_t* kind) const
{
    Q_UNUSED(isDir);
    NodePtr node = Node(id);
    if (node && m_model && !m_standIns.contains(id)) {
        // The model keys paths in UTF-8, where names that are not UTF-8 lose their odd bytes;
        // the node's own names keep them, so they give the path whenever they agree.
        const QString own = node->GetPath(true, true);
        const QString live = KeyOf(own) == key ? own : QString::fromUtf8(m_model->GetNodePath(id));
        if (KeyOf(live) == key) {
            *path = live;
            *name = node->DisplayName().isEmpty() ? node->Name() : node->DisplayName();
            *kind = uint8_t(node->GetKind() & 0xFF);
            return;
        }
    }
    for (const QHash<QString, Known>* table : {&m_known, &m_listed}) {
        auto known = table->constFind(key);
        if (known != table->constEnd()) {
            *path = known->path;
            *name = known->name;
            *kind = known->kind;
            return;
        }
    }
    *path = key;
    *name = lastComponent(key);
    *kind = uint8_t(NodeKind::kNone);
}

uint32_t CSelectionFilter::Export(QByteArray* out, QWidget* waitParent)
{
    out->clear();
    m_listed.clear();
    m_unreachable.clear();
    if (!m_model)
        return kErrNoModel;
    // Servers ticked without ever being listed stand for the shares they hand out: those are
    // listed now, or nothing is exported.
    QHash<QString, QStringList> listed;
    const QStringList servers = m_model->ServersToList();
    if (!servers.isEmpty()) {
        QHash<QString, QList<CServerShares::Share>> found;
        const uint32_t err = CServerShares::List(servers, waitParent, &found, &m_unreachable);
        if (NRResult::Failed(err)) {
            // Named as the tree names them.
            for (QString& server : m_unreachable) {
                const QString key = server;
                QString name;
                uint8_t kind = 0;
                Describe(key, m_model->Checks().IdOf(key), true, &name, &server, &kind);
            }
            return err;
        }
        for (auto it = found.cbegin(); it != found.cend(); ++it) {
            for (const CServerShares::Share& share : it.value()) {
                const QString key = CPathKey::Child(it.key(), share.name);
                listed[it.key()].append(key);
                m_listed.insert(key, Known{share.name, share.path, uint8_t(share.kind & 0xFF)});
            }
        }
    }
    ++g_exports;
    auto selection = CSelectItemPtr::create();
    m_model->CreateCheckStatus(selection, listed);

    CFilterBlock block;
    QStringList includeKeys = selection->includes.keys();
    // The order of the model's ordered check map.
    std::sort(includeKeys.begin(), includeKeys.end());
    for (const QString& key : qAsConst(includeKeys)) {
        const CSelectItemPtr inc = selection->includes.value(key);
        QString name, path;
        uint8_t kind = 0;
        Describe(key, inc->id, inc->isDir, &name, &path, &kind);
        const uint32_t owner = block.AppendInclude(name, path, inc->isDir, true, kind);
        QStringList excludeKeys = inc->excludes.keys();
        std::sort(excludeKeys.begin(), excludeKeys.end());
        for (const QString& ekey : qAsConst(excludeKeys)) {
            const CSelectItemPtr exc = inc->excludes.value(ekey);
            Describe(ekey, exc->id, exc->isDir, &name, &path, &kind);
            block.AppendExclude(owner, name, path, exc->isDir, kind);
        }
    }
    return block.Serialize(*out);
}

quint64 CSelectionFilter::ExportsMade()
{
    return g_exports.load();
}

QString CSelectionFilter::SingleFolderPath()
{
    if (!m_model)
        return QString();
    const CCheckMap& checks = m_model->Checks();
    if (checks.CheckedCount() != 1)
        return QString();
    QString key = checks.CheckedKeys().first();
    // Anything decided below the one include is left out of it.
    const QString below = key + QLatin1Char('\\');
    auto next = checks.Entries().lowerBound(below);
    if (next != checks.Entries().cend() && next.key().startsWith(below))
        return QString();
    CCheckMap::Entry entry;
    checks.Find(key, &entry);
    NodeIndex id = checks.IdOf(key);
    if (CPathKey::IsServerLevel(key)) {
        // A server is exported as its shares; one share is one folder. A server not listed yet
        // hands out shares nobody knows.
        if (m_model->ServersToList().contains(key))
            return QString();
        auto selection = CSelectItemPtr::create();
        m_model->CreateCheckStatus(selection);
        if (selection->includes.size() != 1 || !selection->includes.cbegin().value()->excludes.isEmpty())
            return QString();
        const CSelectItemPtr share = selection->includes.cbegin().value();
        key = selection->includes.cbegin().key();
        entry.second = share->isDir;
        id = share->id;
    }
    if (!entry.second)
        return QString();
    QString name, path;
    uint8_t kind = 0;
    Describe(key, id, true, &name, &path, &kind);
    return path;
}

uint32_t CSelectionFilter::SetPath(const QString& path, bool checked, bool folder)
{
    CLvFileSystemNode* standIn = CLvFileSystemNodeMgr::CreateNode(lastComponent(path), m_anchor, nullptr);
    auto info = CNodeInfoPtr::create();
    info->kind = folder ? InfoKind::kDirectory : InfoKind::kFile;
    standIn->SetInfo(info);
    const NodeIndex id = standIn->Id();
    m_standIns.insert(id, path.toUtf8());
    m_model->SetCheckState(id, int(checked ? Qt::Checked : Qt::Unchecked));
    m_standIns.remove(id);
    standIn->Release();
    return 0;
}

void CSelectionFilter::Clear()
{
    if (!m_model)
        return;
    // Shallow keys first: clearing one takes every decision below it along.
    const QMap<QString, CFileSystemModel::CheckEntry> entries = m_model->CheckMap();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const auto now = m_model->CheckMap().constFind(it.key());
        if (now != m_model->CheckMap().constEnd() && now.value().first)
            SetPath(it.key(), false, now.value().second);
    }
    m_known.clear();
}

uint32_t CSelectionFilter::Apply(const void* data, size_t size)
{
    if (!m_model)
        return kErrNoModel;
    if (!CLvFileSystemNodeMgr::IsValidNode(m_anchor))
        return kErrNoAnchor;
    CFilterBlock block;
    uint32_t err = block.Parse(data, size);
    if (NRResult::Failed(err))
        return err;
    if (block.SelectionType() != CFilterBlock::kSelectPaths)
        return kErrFileTypes;

    // Everything is checked before anything changes.
    const QVector<CFilterBlock::Entry>& entries = block.Entries();
    QStringList paths;
    for (const CFilterBlock::Entry& e : entries)
        paths.append(m_spelling && !e.path.isEmpty() ? m_spelling(e.path) : e.path);
    QHash<QString, int> seen;
    QStringList includes;
    for (int i = 0; i < entries.size(); ++i) {
        const QString key = KeyOf(paths.at(i));
        if (key.isEmpty())
            return kErrEmptyPath;
        if (seen.contains(key))
            return kErrDuplicatePath;
        seen.insert(key, i);
        if (!entries.at(i).IsExclusion())
            includes.append(key);
    }
    for (int i = 0; i < entries.size(); ++i) {
        if (!entries.at(i).IsExclusion())
            continue;
        // An exclusion must lie below some include of the block; which one the owner index
        // names does not matter (the model attaches it to the nearest one on export).
        const QString key = KeyOf(paths.at(i));
        const bool covered = std::any_of(includes.cbegin(), includes.cend(), [&key](const QString& inc) {
            return inc != key && IsAncestorOrSelf(inc, key);
        });
        if (!covered)
            return kErrOwnerNotAncestor;
    }

    Clear();
    for (int i : block.ApplyOrder()) {
        const CFilterBlock::Entry& e = entries.at(i);
        Known k;
        k.name = e.name;
        k.path = paths.at(i);
        k.kind = e.nodeKind;
        m_known.insert(KeyOf(k.path), k);
        SetPath(k.path, !e.IsExclusion(), e.IsFolder());
    }
    NR_TRACE(u"File = %s, Line = %u, selection of %d entries applied", __FILE__, __LINE__, int(entries.size()));
    return 0;
}
