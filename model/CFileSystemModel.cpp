#include "CFileSystemModel.h"
#include "CBaseSyncExecuter.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemModelPrivate.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CModelSortThread.h"
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
    d->forceSort = true;
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
    d->forceSort = true;
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

bool CFileSystemModel::IsServerLevelPath(const QString& path)
{
    QString p = path;
    if (!p.endsWith(QLatin1Char('\\')))
        p += QLatin1Char('\\');
    if (!p.startsWith(kNetworkPrefix) && !p.startsWith(kNasPrefix, Qt::CaseInsensitive))
        return false;
    return p.count(QLatin1Char('\\')) == 3;
}

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

QString CFileSystemModel::UpperPath(NodeIndex id)
{
    return QString::fromUtf8(GetNodePath(id)).toUpper();
}

void CFileSystemModel::InsertCheckKey(const QString& key, const CheckEntry& entry)
{
    checkMap.insert(key, entry);
    if (entry.first)
        m_checkedKeys.insert(key);
    else
        m_checkedKeys.erase(key);
}

void CFileSystemModel::EraseCheckKey(const QString& key)
{
    checkMap.remove(key);
    m_checkedKeys.erase(key);
}

QString CFileSystemModel::DeepestAncestorKey(const QString& path, bool* found) const
{
    // The ancestors of a path are the parts in front of each backslash (and the empty key):
    // a few exact look-ups instead of a scan of the map.
    for (int i = path.size() - 1; i > 0; --i) {
        if (path.at(i) == QLatin1Char('\\')) {
            const QString prefix = path.left(i);
            if (checkMap.contains(prefix)) {
                *found = true;
                return prefix;
            }
        }
    }
    if (!path.isEmpty() && checkMap.contains(QString())) {
        *found = true;
        return QString();
    }
    *found = false;
    return QString();
}

quint32 CFileSystemModel::CheckState(NodeIndex id)
{
    // Nothing ticked anywhere: every node reads unchecked (arriving batches ask for each child).
    if (checkMap.isEmpty())
        return Qt::Unchecked;
    NodePtr node = Node(id);
    if (!node || !d)
        return Qt::Unchecked;
    const int kind = node->GetKind();
    if (kind == NodeKind::kComputer)
        return ComputeState(id);
    if (node->InitFinish() && IsServerLevelPath(UpperPath(id)))
        return ComputeState(id);
    if (kind == NodeKind::kNetworkGroup || kind == NodeKind::kNasGroup) {
        const QString prefix = kind == NodeKind::kNetworkGroup ? QString(kNetworkPrefix) : QString(kNasPrefix);
        auto it = m_checkedKeys.lower_bound(prefix);
        return it != m_checkedKeys.end() && it->startsWith(prefix) ? Qt::PartiallyChecked : Qt::Unchecked;
    }
    const QString path = UpperPath(id);
    if (path.isEmpty() && !d->flatMode)
        return ComputeState(id);

    bool ancestorFound = false;
    bool ancestorValue = false;
    const QString ancestor = DeepestAncestorKey(path, &ancestorFound);
    if (ancestorFound)
        ancestorValue = checkMap.value(ancestor).first;
    auto exact = checkMap.constFind(path);
    if (exact != checkMap.constEnd()) {
        ancestorFound = true;
        ancestorValue = exact.value().first;
        pathIds[path] = id;
    }
    bool descendantFound = false;
    bool descendantAny = false;
    if (path.isEmpty()) {
        descendantFound = checkMap.size() > (checkMap.contains(QString()) ? 1 : 0);
        descendantAny = !m_checkedKeys.empty() && !(m_checkedKeys.size() == 1 && m_checkedKeys.count(QString()));
    } else {
        const QString below = path + QLatin1Char('\\');
        auto it = checkMap.lowerBound(below);
        descendantFound = it != checkMap.end() && it.key().startsWith(below);
        auto ct = m_checkedKeys.lower_bound(below);
        descendantAny = ct != m_checkedKeys.end() && ct->startsWith(below);
    }
    if (!ancestorFound)
        return descendantAny ? Qt::PartiallyChecked : Qt::Unchecked;
    if (!descendantFound)
        return ancestorValue ? Qt::Checked : Qt::Unchecked;
    if (ancestorValue != descendantAny)
        return Qt::PartiallyChecked;
    return ancestorValue ? Qt::PartiallyChecked : Qt::Unchecked;
}

quint32 CFileSystemModel::ComputeState(NodeIndex id)
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
                EraseCheckKey(UpperPath(child));
        }
        return;
    }
    const QString path = UpperPath(id);
    if (path.isEmpty() && !d->flatMode) {
        for (NodeIndex child : node->ChildIds())
            SetCheckState(child, value);
        return;
    }
    const bool checked = state == Qt::Checked;
    InsertCheckKey(path, CheckEntry(checked, !node->IsFile()));
    pathIds[path] = id;

    // Every decision below this path is replaced by this one.
    if (path.isEmpty()) {
        for (auto it = checkMap.begin(); it != checkMap.end();) {
            if (!it.key().isEmpty()) {
                m_checkedKeys.erase(it.key());
                it = checkMap.erase(it);
            } else {
                ++it;
            }
        }
    } else {
        const QString below = path + QLatin1Char('\\');
        for (auto it = checkMap.lowerBound(below); it != checkMap.end() && it.key().startsWith(below);) {
            m_checkedKeys.erase(it.key());
            it = checkMap.erase(it);
        }
    }
    // The entry is redundant when its nearest ancestor decision says the same.
    bool ancestorFound = false;
    const QString ancestor = DeepestAncestorKey(path, &ancestorFound);
    if (ancestorFound && !ancestor.isEmpty() && checkMap.value(ancestor).first == checked)
        EraseCheckKey(path);

    // Walk upwards: an ancestor whose entry already agrees with its children's state needs no
    // change, but the ones above it may still do (their state changed with this one).
    NodeIndex upId = node->Parent();
    while (upId) {
        NodePtr up = Node(upId);
        if (!up || up->GetKind() == NodeKind::kComputer || up->UserKey() == kNoPropagateUserData)
            break;
        const QByteArray upBytes = GetNodePath(upId);
        if (upBytes.isEmpty())
            break;
        const QString upPath = QString::fromUtf8(upBytes).toUpper();
        auto entry = checkMap.constFind(upPath);
        const quint32 s = ComputeState(upId);
        if (entry == checkMap.constEnd()) {
            if (s != Qt::PartiallyChecked) {
                SetCheckState(upId, int(s));
                break;
            }
        } else {
            const bool c = entry.value().first;
            if (c && s == Qt::Unchecked) {
                SetCheckState(upId, int(Qt::Unchecked));
                break;
            }
            if (!c && s == Qt::Checked) {
                SetCheckState(upId, int(Qt::Checked));
                break;
            }
        }
        upId = up->Parent();
    }
}

void CFileSystemModel::CreateCheckStatus(const CSelectItemPtr& selection)
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
    const QMap<QString, CheckEntry> entries = checkMap;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const QString& path = it.key();
        const bool checked = it.value().first;
        const bool isDir = it.value().second;
        const NodeIndex id = pathIds.value(path, 0);
        if (checked && !IsServerLevelPath(path)) {
            auto item = CSelectItemPtr::create(true, isDir, path.toUtf8(), id);
            selection->AddInclude(item);
            includeItems.insert(path, item);
        } else if (checked) {
            // A whole server is handed out as its shares.
            NodePtr server = Node(id);
            if (!server)
                continue;
            for (NodeIndex childId : server->ChildIds()) {
                NodePtr child = Node(childId);
                if (!child)
                    continue;
                const quint32 s = CheckState(childId);
                const QString childPath = UpperPath(childId);
                auto own = checkMap.constFind(childPath);
                if (s == Qt::Checked
                    || (s == Qt::PartiallyChecked && (own == checkMap.constEnd() || own.value().first))) {
                    auto item = CSelectItemPtr::create(true, !child->IsFile(), childPath.toUtf8(), childId);
                    selection->AddInclude(item);
                    // Exclusions inside the share belong to it.
                    includeItems.insert(childPath, item);
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
    if (!node || !d || d->sorting)
        return;
    if (node->Sorted() && node->Reversed() == quint32(order) && d->sortColumn == column && !d->forceSort)
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
        d->forceSort = false;
        t->SetReversed(quint32(order));
        t->SetLastSortColumn(quint32(column));
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
