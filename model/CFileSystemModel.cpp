#include "CFileSystemModel.h"
#include "CBaseSyncExecuter.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemModelPrivate.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CModelSortThread.h"
#include "CPathKey.h"
#include "CTrace.h"
#include <QBitmap>
#include <QImage>
#include <QLocale>
#include <QMimeData>
#include <QPixmap>
#include <QSet>
#include <QUrl>
#include <vector>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

NodePtr Node(NodeIndex id)
{
    return NodePtr(CLvFileSystemNodeMgr::GetNode(id));
}

bool IsCheckValue(const QVariant& value, int* state)
{
    bool ok = false;
    const int v = value.toInt(&ok);
    if (!ok || v < Qt::Unchecked || v > Qt::Checked)
        return false;
    *state = v;
    return true;
}

const QLatin1String kNetworkPrefix("\\\\");
const QLatin1String kNasPrefix("NAS:");

} // namespace

CFileSystemModel::CFileSystemModel(QObject* owner)
    : QAbstractItemModel(owner)
{
    RegisterNodeMetaTypes();
    d = new CLvFileSystemModelPrivate(this);
    NodePtr root = Node(d->root);
    if (root)
        root->SetModel(static_cast<IFileSystemModel*>(this));
}

CFileSystemModel::~CFileSystemModel()
{
    delete d;
    d = nullptr;
}

// ---- indexes

NodeIndex CFileSystemModel::NodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return d->root;
    const NodeIndex id = NodeIndex(index.internalId());
    return id ? id : d->root;
}

QModelIndex CFileSystemModel::IndexOf(NodeIndex id, int column) const
{
    if (id == 0 || id == d->root || column < 0 || column >= ColumnCount)
        return QModelIndex();
    NodePtr node = Node(id);
    if (!node || !node->InParentRows())
        return QModelIndex();
    NodePtr parent = Node(node->Parent());
    if (!parent)
        return QModelIndex();
    const int row = parent->RowOfName(node->Name());
    if (row < 0)
        return QModelIndex();
    return createIndex(parent->MapRow(row), column, quintptr(id));
}

CFileSystemModel::HeldRows CFileSystemModel::HoldPersistentRows() const
{
    HeldRows held;
    held.before = persistentIndexList();
    held.nodes.reserve(held.before.size());
    for (const QModelIndex& pi : held.before)
        held.nodes.append(qMakePair(NodeOf(pi), pi.column()));
    return held;
}

void CFileSystemModel::MovePersistentRows(const HeldRows& held)
{
    // The new rows are found per parent in one pass over its rows: looking each node up by name
    // would first build a name table of a large folder that was just reordered.
    QHash<NodeIndex, QHash<NodeIndex, int>> rowsByParent;
    QVector<NodeIndex> parents(held.nodes.size(), 0);
    for (int i = 0; i < held.nodes.size(); ++i) {
        const NodeIndex id = held.nodes.at(i).first;
        const int column = held.nodes.at(i).second;
        if (id == 0 || id == d->root || column < 0 || column >= ColumnCount)
            continue;
        NodePtr node = Node(id);
        if (!node || !node->InParentRows())
            continue;
        parents[i] = node->Parent();
        rowsByParent[parents[i]].insert(id, -1);
    }
    std::vector<NodePtr> keep;
    QHash<NodeIndex, CLvFileSystemNode*> parentNodes;
    for (auto it = rowsByParent.begin(); it != rowsByParent.end(); ++it) {
        NodePtr parent = Node(it.key());
        if (!parent)
            continue;
        parent->FindChildRows(&it.value());
        parentNodes.insert(it.key(), parent.get());
        keep.push_back(std::move(parent));
    }
    QModelIndexList after;
    after.reserve(held.nodes.size());
    for (int i = 0; i < held.nodes.size(); ++i) {
        const CLvFileSystemNode* parent = parentNodes.value(parents[i], nullptr);
        const int row = parent ? rowsByParent.value(parents[i]).value(held.nodes.at(i).first, -1) : -1;
        after.append(row < 0 ? QModelIndex()
                             : createIndex(parent->MapRow(row), held.nodes.at(i).second,
                                           quintptr(held.nodes.at(i).first)));
    }
    changePersistentIndexList(held.before, after);
}

QModelIndex CFileSystemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= columnCount(parent))
        return QModelIndex();
    NodePtr node = Node(NodeOf(parent));
    if (!node)
        return QModelIndex();
    const NodeIndex child = node->ChildAtViewRow(row);
    if (child == 0)
        return QModelIndex();
    return createIndex(row, column, quintptr(child));
}

QModelIndex CFileSystemModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.model() != this)
        return QModelIndex();
    const NodeIndex id = NodeIndex(child.internalId());
    if (id == 0 || id == d->root)
        return QModelIndex();
    NodePtr node = Node(id);
    if (!node)
        return QModelIndex();
    const NodeIndex parentId = node->Parent();
    if (parentId == d->root)
        return QModelIndex();
    NodePtr parentNode = Node(parentId);
    if (!parentNode)
        return QModelIndex();
    NodePtr grand = Node(parentNode->Parent());
    if (!grand)
        return QModelIndex();
    const int row = grand->RowOfName(parentNode->Name());
    if (row < 0)
        return QModelIndex();
    return createIndex(grand->MapRow(row), 0, quintptr(parentId));
}

int CFileSystemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    NodePtr node = Node(NodeOf(parent));
    return node ? node->RowCount() : 0;
}

int CFileSystemModel::columnCount(const QModelIndex& parent) const
{
    return parent.column() < 1 ? ColumnCount : 0;
}

bool CFileSystemModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return false;
    if (!parent.isValid())
        return true;
    NodePtr node = Node(NodeOf(parent));
    if (!node)
        return false;
    // A node with rows has children, whatever its record says (the computer has none).
    return node->RowCount() > 0 || (!node->IsFile() && node->MayHaveChildren());
}

QString CFileSystemModel::SizeText(qint64 bytes)
{
    // An unknown size (the record's default is negative) shows no text rather than "-2 bytes".
    if (bytes < 0)
        return QString();
    const QLocale locale = QLocale::system();
    const qint64 kb = 1024, mb = kb * 1024, gb = mb * 1024, tb = gb * 1024;
    if (bytes >= tb)
        return QStringLiteral("%1 ").arg(locale.toString(double(bytes) / double(tb), 'f', 3)) + tr("TB");
    if (bytes >= gb)
        return QStringLiteral("%1 ").arg(locale.toString(double(bytes) / double(gb), 'f', 2)) + tr("GB");
    if (bytes >= mb)
        return QStringLiteral("%1 ").arg(locale.toString(double(bytes) / double(mb), 'f', 1)) + tr("MB");
    if (bytes >= kb)
        return QStringLiteral("%1 ").arg(bytes / kb) + tr("KB");
    return QStringLiteral("%1 ").arg(bytes) + tr("bytes");
}

QVariant CFileSystemModel::data(const QModelIndex& index, int role) const
{
    auto* self = const_cast<CFileSystemModel*>(this);
    if (!index.isValid() || index.model() != this) {
        if (role == Qt::CheckStateRole)
            return int(self->CheckState(d->root));
        if (role == FilePathRole)
            return !d->rootHidden;
        return QVariant();
    }
    const NodeIndex id = NodeOf(index);
    NodePtr node = Node(id);
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case NameColumn:
            return node->GetShownName();
        case SizeColumn:
        case CapacityColumn:
            return node->IsDir() ? QString() : SizeText(node->GetSize());
        case TypeColumn:
            return node->GetTypeText();
        case DateColumn:
            return node->GetModifiedText();
        case PathColumn:
            return node->PathText();
        case RemainingColumn:
            return node->IsDir() ? QString() : SizeText(node->GetSecondSize());
        default:
            return QVariant();
        }
    case Qt::DecorationRole:
        if (index.column() != NameColumn)
            return QVariant();
        {
            const QIcon icon = node->Icon();
            if (!icon.isNull())
                return icon;
            return iconProvider.icon(node->IsDir() ? QFileIconProvider::Folder : QFileIconProvider::File);
        }
    case Qt::TextAlignmentRole:
        return index.column() == SizeColumn ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (index.column() == NameColumn && (flags(index) & Qt::ItemIsUserCheckable)
            && node->GetKind() != NodeKind::kNoCheckBox)
            return int(self->CheckState(id));
        return QVariant();
    case InitFinishRole:
        return node->InitFinish();
    case FilePathRole:
        return node->GetPath(true, true);
    case ShownNameRole:
        return node->GetShownName();
    case PermissionsRole:
        return node->GetPermissions();
    default:
        return QVariant();
    }
}

QVariant CFileSystemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    switch (role) {
    case Qt::DecorationRole:
        if (section == 0) {
            // Reserves room for the icon in the header without drawing anything.
            QImage image(16, 1, QImage::Format_Mono);
            image.fill(0);
            QPixmap pixmap = QPixmap::fromImage(image);
            QBitmap mask(16, 1);
            mask.fill(Qt::color0);
            pixmap.setMask(mask);
            return pixmap;
        }
        break;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft);
    case Qt::DisplayRole:
        if (orientation == Qt::Horizontal) {
            switch (section) {
            case NameColumn: return tr("Name");
            case SizeColumn: return tr("Size");
            case TypeColumn: return tr("Type", "All other platforms");
            case DateColumn: return tr("Date Modified");
            case PathColumn: return tr("Path");
            case CapacityColumn: return tr("Capacity");
            case RemainingColumn: return tr("Remaining space");
            default: return QVariant();
            }
        }
        break;
    default:
        break;
    }
    return QAbstractItemModel::headerData(section, orientation, role);
}

QStringList CFileSystemModel::mimeTypes() const
{
    return QStringList(QStringLiteral("text/uri-list"));
}

QMimeData* CFileSystemModel::mimeData(const QModelIndexList& indexes) const
{
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes)
        if (index.column() == NameColumn)
            urls << QUrl::fromLocalFile(data(index, FilePathRole).toString());
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

bool CFileSystemModel::dropMimeData(const QMimeData*, Qt::DropAction, int, int, const QModelIndex&)
{
    return false;
}

Qt::DropActions CFileSystemModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

Qt::ItemFlags CFileSystemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return QAbstractItemModel::flags(index);
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const NodeIndex id = NodeOf(index);
    // Views ask for the flags of every row they lay out: the node is read only when name
    // filters can disable it.
    bool filteredOut = false;
    if (d->nameFilterDisablesFlag && !d->nameFilters.isEmpty()) {
        NodePtr node = Node(id);
        filteredOut = node && !d->PassesNameFilters(node.get());
    }
    if (filteredOut || d->disabledNodes.contains(id))
        f &= ~Qt::ItemIsEnabled;
    f |= Qt::ItemIsDragEnabled;
    if (index.column() == NameColumn && d->checkEnabled)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void CFileSystemModel::sort(int column, Qt::SortOrder order)
{
    const NodeIndex id = d->rootIndex.isValid() ? NodeOf(d->rootIndex) : d->root;
    if (CLvFileSystemNodeMgr::IsValidNode(id))
        SortNode(id, column, order);
}

// ---- IFileSystemModel

bool CFileSystemModel::FindNode(const QString& path, bool fetch, bool, QString* outPath, void*)
{
    if (path.isEmpty())
        return false;
    const QList<NodeIndex> found = d->GetNodeByPath(path, fetch);
    // Nothing found is reported as such, not as a found node with an empty path.
    if (found.isEmpty())
        return false;
    if (outPath)
        *outPath = QString::fromUtf8(GetNodePath(found.first()));
    return true;
}

QList<NodeIndex> CFileSystemModel::GetNodeByPath(const QString& path, bool fetch)
{
    return d->GetNodeByPath(path, fetch);
}

void CFileSystemModel::SetDisableNode(NodeIndex id, bool disable)
{
    OnSetDisableNode(id, disable);
}

void CFileSystemModel::NotifyCheckStatus(NodeIndex id, bool)
{
    emit DoCheckStatusChange(id, HasCheckedEntry());
}

NodeIndex CFileSystemModel::GetMappedValue(quint64 key)
{
    return d->idMap.value(key, 0);
}

bool CFileSystemModel::SetNodeData(NodeIndex id, const QVariant& value, int role)
{
    // A node that is not shown (or gone) must not turn into the invalid index, which stands for
    // the root: that would apply the change to everything.
    if (id != d->root && !CLvFileSystemNodeMgr::IsValidNode(id))
        return false;
    return SetDataForNode(id, IndexOf(id), value, role);
}

NodeIndex CFileSystemModel::GetRootIndex()
{
    return d->root;
}

bool CFileSystemModel::SetCheckEnabled(bool enabled)
{
    d->checkEnabled = enabled;
    EmitAllChanged();
    return true;
}

QAbstractItemModel* CFileSystemModel::GetItemModel()
{
    return this;
}

void CFileSystemModel::Release() {}

void CFileSystemModel::SetRootIndex(const QModelIndex& index)
{
    if (!d->flatMode)
        d->rootIndex = index;
}

void CFileSystemModel::setFilter(QDir::Filters filters)
{
    if (d->filters == filters)
        return;
    d->filters = filters;
    d->SetNameFilters(d->namePatterns);
}

QDir::Filters CFileSystemModel::filter() const
{
    return d->filters;
}

void CFileSystemModel::setNameFilterDisables(bool enable)
{
    if (d->nameFilterDisablesFlag == enable)
        return;
    d->nameFilterDisablesFlag = enable;
    ++d->filterGeneration;
}

bool CFileSystemModel::nameFilterDisables() const
{
    return d->nameFilterDisablesFlag;
}

void CFileSystemModel::setNameFilters(const QStringList& filters)
{
    d->SetNameFilters(filters);
}

QStringList CFileSystemModel::nameFilters() const
{
    return d->namePatterns;
}

// ---- slots

void CFileSystemModel::OnSetRootStatus(bool status, bool hide)
{
    d->rootStatus = status;
    d->rootHidden = hide;
}

void CFileSystemModel::SetRootIsHide(bool hide)
{
    d->rootHidden = hide;
}

void CFileSystemModel::OnSetDisableNode(NodeIndex nodeIndex, bool disable)
{
    if (!disable && !CLvFileSystemNodeMgr::IsValidNode(nodeIndex)) {
        d->disabledNodes.clear();
        EmitAllChanged();
        return;
    }
    // Iterative walk over the node, its twins and everything below them (trees may be deep).
    QList<NodeIndex> work{nodeIndex};
    QSet<NodeIndex> seen;
    while (!work.isEmpty()) {
        const NodeIndex id = work.takeLast();
        if (seen.contains(id))
            continue;
        seen.insert(id);
        NodePtr node = Node(id);
        if (!node)
            continue;
        QList<NodeIndex> group{id};
        group += node->Twins();
        for (NodeIndex member : group) {
            NodePtr m = Node(member);
            if (!m)
                continue;
            work += m->ChildIds();
            if (disable) {
                if (!d->disabledNodes.contains(member))
                    d->disabledNodes.append(member);
            } else {
                d->disabledNodes.removeAll(member);
            }
        }
    }
    EmitAllChanged();
}

bool CFileSystemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (index.isValid() && index.model() != this)
        return false;
    return SetDataForNode(NodeOf(index), index, value, role);
}

bool CFileSystemModel::SetDataForNode(NodeIndex id, const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole && role != Qt::CheckStateRole)
        return false;
    NodePtr node = Node(id);
    bool canCheck = true;
    if (role == Qt::CheckStateRole && node)
        emit DoNodeCanBeCheck(id, value, &canCheck);
    if (role == Qt::CheckStateRole && node && node->Checkable()) {
        if (index.isValid() && index.column() != NameColumn)
            return true;
        if (d->checkEnabled && canCheck) {
            int state = 0;
            // A value outside unchecked..checked is refused instead of being read as unchecked.
            if (!IsCheckValue(value, &state))
                return false;
            SetCheckState(id, state);
            NotifyCheckStatus(id, state == Qt::Checked);
            EmitAllChanged();
        }
    }
    return true;
}

void CFileSystemModel::EmitAllChanged()
{
    // "Everything may look different": a valid range over the top rows. Views repaint their
    // whole viewport for a range; an invalid pair would be dropped by proxy models.
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, ColumnCount - 1), QVector<int>());
}

void CFileSystemModel::AddNode(NodeIndex pParent, QList<NodeIndex> lstChild, int iStream, int iEnd)
{
    d->AddNode(pParent, lstChild, iStream, iEnd);
}

void CFileSystemModel::ReleaseRoot(NodeIndex id)
{
    d->ReleaseSubtree(id);
}

// ---- check map

QByteArray CFileSystemModel::GetNodePath(NodeIndex id)
{
    NodePtr node = Node(id);
    if (!node || !CLvFileSystemNodeMgr::IsValidNode(node->Parent()))
        return QByteArray();
    QByteArray bytes;
    emit DoGetNodePath(id, bytes);
    if (bytes.isEmpty())
        bytes = node->GetPath(true, true).toUtf8();
    const int kind = node->GetKind();
    if (kind == NodeKind::kNasDevice || kind == NodeKind::kNasShare || kind == NodeKind::kNasFolder) {
        NodePtr device;
        if (kind == NodeKind::kNasDevice) {
            device = Node(id);
        } else {
            NodeIndex up = node->Parent();
            while (up) {
                NodePtr n = Node(up);
                if (!n)
                    break;
                if (n->GetKind() == NodeKind::kNasDevice) {
                    device = std::move(n);
                    break;
                }
                up = n->Parent();
            }
        }
        if (!device)
            return QByteArray();
        QString devicePath = device->PathText();
        if (devicePath.endsWith(QLatin1Char('\\')) || devicePath.endsWith(QLatin1Char('/')))
            devicePath.chop(1);
        const QString name = device->DisplayName();
        if (devicePath.isEmpty() || name.isEmpty())
            return QByteArray();
        QString path = QString::fromUtf8(bytes);
        path.replace(devicePath, QStringLiteral("%1\\\\%2").arg(kNasPrefix, name));
        bytes = path.toUtf8();
    }
    return bytes;
}

QString CFileSystemModel::KeyOf(NodeIndex id)
{
    return CPathKey::Of(QString::fromUtf8(GetNodePath(id)));
}

quint32 CFileSystemModel::CheckState(NodeIndex id)
{
    // Nothing ticked anywhere: every node reads unchecked (arriving batches ask for each child).
    if (m_checks.IsEmpty())
        return Qt::Unchecked;
    NodePtr node = Node(id);
    if (!node || !d)
        return Qt::Unchecked;
    const int kind = node->GetKind();
    if (kind == NodeKind::kComputer)
        return ComputeState(id);
    if (kind == NodeKind::kNetworkGroup || kind == NodeKind::kNasGroup)
        return m_checks.AnyCheckedStartingWith(kind == NodeKind::kNetworkGroup ? QString(kNetworkPrefix) : QString(kNasPrefix))
                   ? Qt::PartiallyChecked
                   : Qt::Unchecked;
    const QString key = KeyOf(id);
    if (node->InitFinish() && CPathKey::IsServerLevel(key))
        return ComputeState(id);
    if (key.isEmpty() && !d->flatMode)
        return ComputeState(id);
    if (m_checks.Find(key, nullptr))
        m_checks.NoteId(key, id);
    return m_checks.StateOf(key);
}

quint32 CFileSystemModel::ComputeState(NodeIndex id)
{
    NodePtr node = Node(id);
    if (!node)
        return Qt::Unchecked;
    const int kind = node->GetKind();
    if (m_checks.IsEmpty() || d->flatMode || id == d->root || kind == NodeKind::kComputer
        || kind == NodeKind::kNetworkGroup || kind == NodeKind::kNasGroup)
        return ComputeStateByChildren(id);
    const QString key = KeyOf(id);
    if (key.isEmpty())
        return ComputeStateByChildren(id);
    // A click in a folder of 100,000 entries must not read every child: only the children that
    // decisions below the folder name are looked at; the others read what the folder inherits.
    // Keys go through UTF-8, where a name that is not valid UTF-8 loses its odd characters (they
    // come back as '?', which Windows names never hold): its child cannot be found by the key, so
    // such a folder is counted child by child.
    bool lossy = false;
    const quint32 state = m_checks.StateFromChildren(key, node->ChildCount(), [&](const QString& childKey) {
        NodePtr child = Node(node->ChildByName(childKey.mid(key.size() + 1)));
        if (child && CPathKey::Child(key, child->Name()) == childKey)
            return true;
        lossy = lossy || childKey.contains(QLatin1Char('?')) || childKey.contains(QChar::ReplacementCharacter);
        return false;
    });
    return lossy ? ComputeStateByChildren(id) : state;
}

quint32 CFileSystemModel::ComputeStateByChildren(NodeIndex id)
{
    NodePtr node = Node(id);
    if (!node)
        return Qt::Unchecked;
    int checked = 0, unchecked = 0;
    const QList<NodeIndex> children = node->ChildIds();
    for (NodeIndex child : children) {
        const quint32 s = CheckState(child);
        if (s == Qt::PartiallyChecked)
            return Qt::PartiallyChecked;
        if (s == Qt::Checked)
            ++checked;
        else
            ++unchecked;
        if (checked && unchecked)
            return Qt::PartiallyChecked;
    }
    if (checked == 0)
        return Qt::Unchecked;
    return checked == children.size() ? Qt::Checked : Qt::Unchecked;
}

void CFileSystemModel::SetCheckState(NodeIndex id, const QVariant& value)
{
    NodePtr node = Node(id);
    if (!node || !d)
        return;
    int state = 0;
    if (!IsCheckValue(value, &state))
        return;
    if (node->GetKind() == NodeKind::kComputer) {
        for (NodeIndex child : node->ChildIds()) {
            SetCheckState(child, value);
            if (state == Qt::Unchecked)
                m_checks.Remove(KeyOf(child));
        }
        return;
    }
    const QString key = KeyOf(id);
    if (key.isEmpty() && !d->flatMode) {
        for (NodeIndex child : node->ChildIds())
            SetCheckState(child, value);
        return;
    }
    m_checks.Set(key, state == Qt::Checked, !node->IsFile());
    m_checks.NoteId(key, id);
    PropagateUp(node->Parent());
}

void CFileSystemModel::PropagateUp(NodeIndex upId)
{
    // An ancestor whose entry already agrees with its children's state needs no change, but the
    // ones above it may still do (their state changed with this one).
    while (upId) {
        NodePtr up = Node(upId);
        if (!up || up->GetKind() == NodeKind::kComputer || up->UserKey() == kNoPropagateUserData)
            break;
        // A folder still loading is never decided from the children it has so far: the ones still
        // to come would follow a decision the user never made. It is decided when its last batch
        // is in (SettleFolder).
        if (!up->InitFinish()) {
            m_unsettled.insert(upId);
            break;
        }
        const QString upKey = KeyOf(upId);
        if (upKey.isEmpty())
            break;
        CheckEntry entry;
        const bool decided = m_checks.Find(upKey, &entry);
        const quint32 s = ComputeState(upId);
        if (!decided) {
            if (s != Qt::PartiallyChecked) {
                SetCheckState(upId, int(s));
                break;
            }
        } else if (entry.first && s == Qt::Unchecked) {
            SetCheckState(upId, int(Qt::Unchecked));
            break;
        } else if (!entry.first && s == Qt::Checked) {
            SetCheckState(upId, int(Qt::Checked));
            break;
        }
        upId = up->Parent();
    }
}

void CFileSystemModel::SettleFolder(NodeIndex id)
{
    if (m_unsettled.remove(id))
        PropagateUp(id);
}

void CFileSystemModel::RestoreChecks(const CCheckMap& snapshot)
{
    if (snapshot.Revision() == m_checks.Revision())
        return;
    m_checks = snapshot;
    NotifyCheckStatus(0, HasCheckedEntry());
    EmitAllChanged();
}

quint64 CFileSystemModel::TreeGeneration() const
{
    return d->treeGeneration;
}

QStringList CFileSystemModel::ServersToList()
{
    QStringList servers;
    for (const QString& key : m_checks.CheckedKeys()) {
        if (!CPathKey::IsServerLevel(key))
            continue;
        const NodeIndex id = m_checks.IdOf(key);
        NodePtr server = Node(id);
        if (!server || !server->InitFinish() || KeyOf(id) != key)
            servers.append(key);
    }
    return servers;
}

void CFileSystemModel::CreateCheckStatus(const CSelectItemPtr& selection, const QHash<QString, QStringList>& listedShares)
{
    if (!selection)
        return;
    if (d->flatMode) {
        selection->Clear();
        NodePtr root = Node(d->root);
        if (!root)
            return;
        for (NodeIndex child : root->ChildIds()) {
            if (CheckState(child) == Qt::Checked)
                selection->AddInclude(CSelectItemPtr::create(true, false, GetNodePath(child), child));
        }
        return;
    }
    selection->Clear();
    includeItems.clear();
    const QStringList toList = ServersToList();
    const QMap<QString, CheckEntry> entries = m_checks.Entries();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const QString& path = it.key();
        const bool checked = it.value().first;
        const bool isDir = it.value().second;
        const NodeIndex id = m_checks.IdOf(path);
        if (checked && !CPathKey::IsServerLevel(path)) {
            auto item = CSelectItemPtr::create(true, isDir, path.toUtf8(), id);
            selection->AddInclude(item);
            includeItems.insert(path, item);
        } else if (checked) {
            // A whole server is handed out as its shares: the ones its node lists, or, while it
            // has not been listed, the ones listed for the export.
            struct Share
            {
                QString key;
                NodeIndex id;
                bool isDir;
            };
            QList<Share> shares;
            if (toList.contains(path)) {
                for (const QString& share : listedShares.value(path))
                    shares.append({share, 0, true});
            } else if (NodePtr server = Node(id)) {
                for (NodeIndex childId : server->ChildIds()) {
                    NodePtr child = Node(childId);
                    if (child)
                        shares.append({KeyOf(childId), childId, !child->IsFile()});
                }
            }
            for (const Share& share : qAsConst(shares)) {
                const quint32 s = m_checks.StateOf(share.key);
                CheckEntry own;
                const bool decided = m_checks.Find(share.key, &own);
                if (s == Qt::Checked || (s == Qt::PartiallyChecked && (!decided || own.first))) {
                    auto item = CSelectItemPtr::create(true, share.isDir, share.key.toUtf8(), share.id);
                    selection->AddInclude(item);
                    // Exclusions inside the share belong to it.
                    includeItems.insert(share.key, item);
                }
            }
        } else {
            // An exclusion belongs to its nearest including ancestor.
            CSelectItemPtr owner;
            for (int i = path.size() - 1; i > 0 && !owner; --i)
                if (path.at(i) == QLatin1Char('\\'))
                    owner = includeItems.value(path.left(i));
            if (!owner && !path.isEmpty())
                owner = includeItems.value(QString());
            if (!owner) {
                NR_TRACE(u"File = %s, Line = %u, %s: no include for exclusion %S", __FILE__, __LINE__,
                         "CFileSystemModel::CreateCheckStatus", reinterpret_cast<const char16_t*>(path.utf16()));
                continue;
            }
            owner->AddExclude(CSelectItemPtr::create(false, isDir, path.toUtf8(), id));
        }
    }
}

QString CFileSystemModel::CheckInvariants()
{
    const QString map = m_checks.CheckInvariants();
    if (!map.isEmpty())
        return QStringLiteral("check map: ") + map;
    return CheckNodeInvariants(d->root, QModelIndex());
}

QString CFileSystemModel::CheckNodeInvariants(NodeIndex id, const QModelIndex& from)
{
    // Iterative over the folders (trees may be deep); each folder checks its own rows.
    QList<QPair<NodeIndex, QPersistentModelIndex>> work{qMakePair(id, QPersistentModelIndex(from))};
    while (!work.isEmpty()) {
        const auto item = work.takeLast();
        NodePtr node = Node(item.first);
        if (!node)
            return QStringLiteral("node %1 is gone").arg(item.first);
        const QModelIndex at = item.second;
        const QString where = item.first == d->root ? QStringLiteral("the root") : QString::fromUtf8(GetNodePath(item.first));
        const QStringList rows = node->RowNames();
        if (rowCount(at) != rows.size())
            return QStringLiteral("%1: %2 rows, %3 names").arg(where).arg(rowCount(at)).arg(rows.size());
        if (QSet<QString>(rows.cbegin(), rows.cend()).size() != rows.size())
            return QStringLiteral("%1 shows a name twice").arg(where);
        for (int r = 0; r < rows.size(); ++r) {
            const QModelIndex child = index(r, 0, at);
            const NodeIndex childId = NodeOf(child);
            NodePtr c = Node(childId);
            if (!child.isValid() || !c || childId != node->ChildByName(rows.at(node->MapRow(r))))
                return QStringLiteral("%1: row %2 is not the child its name says").arg(where).arg(r);
            if (c->Parent() != item.first || !c->InParentRows() || parent(child) != at || IndexOf(childId) != child)
                return QStringLiteral("%1: row %2 disagrees with its parent").arg(where).arg(r);
        }
        for (const auto& entry : node->ChildEntries()) {
            NodePtr c = Node(entry.second);
            if (!c || c->Parent() != item.first || entry.first != node->ChildKey(c->Name()))
                return QStringLiteral("%1: child %2 is not listed under its own key").arg(where, entry.first);
            if (c->InParentRows() != rows.contains(entry.first))
                return QStringLiteral("%1: child %2 says shown %3").arg(where, entry.first).arg(c->InParentRows());
            // Every state agrees with the map: a path's own rule, or its children.
            const QString key = KeyOf(entry.second);
            const int kind = c->GetKind();
            const bool byChildren = kind == NodeKind::kComputer || key.isEmpty()
                                    || (c->InitFinish() && CPathKey::IsServerLevel(key));
            if (!byChildren && kind != NodeKind::kNetworkGroup && kind != NodeKind::kNasGroup
                && CheckState(entry.second) != m_checks.StateOf(key) && !d->flatMode)
                return QStringLiteral("%1 reads %2, the map says %3").arg(key).arg(CheckState(entry.second)).arg(m_checks.StateOf(key));
            if (c->ChildCount() > 0 && ComputeState(entry.second) != ComputeStateByChildren(entry.second))
                return QStringLiteral("%1: the folder's state %2, its children's %3").arg(key).arg(ComputeState(entry.second)).arg(ComputeStateByChildren(entry.second));
            if (c->InParentRows())
                work.append(qMakePair(entry.second, QPersistentModelIndex(IndexOf(entry.second))));
        }
    }
    return QString();
}

void CFileSystemModel::SetFlatMode(bool flat)
{
    d->flatMode = flat;
}

bool CFileSystemModel::IsFlatMode() const
{
    return d->flatMode;
}

bool CFileSystemModel::IsCheckEnabled() const
{
    return d->checkEnabled;
}

bool CFileSystemModel::IsRootHidden() const
{
    return d->rootHidden;
}

bool CFileSystemModel::IsNodeDisabled(NodeIndex id) const
{
    return d->disabledNodes.contains(id);
}

bool CFileSystemModel::AcceptsNode(NodeIndex id) const
{
    NodePtr node = Node(id);
    return node && d->Accepts(node.get());
}

// ---- loading, removal, sorting

void CFileSystemModel::RemoveAllChildren(NodeIndex parent)
{
    d->RemoveAllChildren(parent);
}

void CFileSystemModel::RemoveChildRow(NodeIndex parent, const QString& name)
{
    d->RemoveChildRow(parent, name);
}

void CFileSystemModel::SortNode(NodeIndex id, int column, Qt::SortOrder order)
{
    NodePtr node = Node(id);
    if (!node || !d)
        return;
    if (d->sorting) {
        // A request that comes while another sort runs (a header click during the wait) is kept
        // and runs after it.
        d->deferred.append({id, {}, column, int(order), CLvFileSystemModelPrivate::PendingBatch::kSort});
        return;
    }
    // Skipped only when this folder's own last sort was the same, since the last change of
    // filters, and no rows came in since.
    if (node->Sorted() && node->Reversed() == quint32(order) && node->LastSortColumn() == quint32(column)
        && node->SortFilterGeneration() == d->filterGeneration)
        return;
    QList<NodeIndex> targets{id};
    targets += node->Twins();

    QWidget* widget = nullptr;
    emit DoGetExtendWidget(&widget);
    CModelSortThread job(d, targets, column);
    {
        typedef qint64 (CModelSortThread::*RunFn)();
        auto* executer = new CSyncExecuterT0<CFileSystemModel, CModelSortThread, RunFn>(
            widget, tr(""), this, &job, &CModelSortThread::run);
        d->sorting = true;
        executer->execute();
        d->sorting = false;
        if (executer->isNeedDelete())
            delete executer;
    }

    emit layoutAboutToBeChanged(QList<QPersistentModelIndex>(), QAbstractItemModel::NoLayoutChangeHint);
    const HeldRows held = HoldPersistentRows();
    for (NodeIndex target : targets) {
        NodePtr t = Node(target);
        if (!t)
            continue;
        d->ApplySort(target, &job);
        d->sortColumn = column;
        t->SetReversed(quint32(order));
        t->SetLastSortColumn(quint32(column));
        t->SetSortFilterGeneration(d->filterGeneration);
        t->SetSorted(true);
    }
    // Rows moved: every persistent index (selections, expanded folders, proxies) follows its node.
    MovePersistentRows(held);
    emit layoutChanged(QList<QPersistentModelIndex>(), QAbstractItemModel::NoLayoutChangeHint);
    d->RunDeferred();
}

void CFileSystemModel::SetRefreshClock(std::function<qint64()> clock)
{
    d->elapsedMs = clock ? std::move(clock) : std::function<qint64()>([this] { return d->sinceUpdate.elapsed(); });
}

bool CFileSystemModel::compareNodes(int column, NodeIndex left, NodeIndex right)
{
    return CModelSortThread::compareNodes(column, left, right);
}

int CFileSystemModel::naturalCompare(const QString& s1, const QString& s2, Qt::CaseSensitivity cs)
{
    return CModelSortThread::naturalCompare(s1, s2, cs);
}
