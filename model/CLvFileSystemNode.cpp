#include "CLvFileSystemNode.h"
#include "CFileSystemModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNodeMgr.h"
#include "CTrace.h"
#include "IFileSystemModel.h"
#include "NodePrefetch.h"
#include <QObject>
#include <algorithm>
#include <vector>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

std::atomic<CLvFileSystemNode::SysIconProvider> g_iconProvider{nullptr};

QString NativeSeparators(QString path)
{
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path;
}

} // namespace

CLvFileSystemNode::CLvFileSystemNode(const QString& name, NodeIndex parent, IFileSystemModel* model)
    : m_parent(parent), m_name(name), m_model(model)
{
}

// The copy takes the entry's description but not its place in a tree: children, rows, sorted
// names and twins are ids that the source owns references on, and the copy builds its own.
CLvFileSystemNode::CLvFileSystemNode(const CLvFileSystemNode& other)
    : ILVObject(other)
{
    {
        CNodeReadLocker lock(other.m_lock2);
        m_properties = other.m_properties;
        m_kind.store(other.m_kind.load(std::memory_order_relaxed), std::memory_order_relaxed);
        m_info = other.m_info;
        m_infoKind.store(other.m_infoKind.load(std::memory_order_relaxed), std::memory_order_relaxed);
        m_selectItem = other.m_selectItem;
    }
    m_childTable.CopyPinsFrom(other.m_childTable);
    m_userData = other.m_userData;
    m_name = other.m_name;
    m_displayName = other.m_displayName;
    m_displaySuffixes = other.m_displaySuffixes;
    m_typeText = other.m_typeText;
    m_icon = other.m_icon;
    m_pathText = other.m_pathText;
    m_model.store(other.Model());
    m_parent.store(other.Parent());
    m_checkState.store(other.GetCheckStatus());
    m_reversed = other.m_reversed;
    m_lastSortColumn = other.m_lastSortColumn;
    m_sortedCount = other.m_sortedCount;
    m_mayHaveChildren = other.m_mayHaveChildren;
    m_hasFolders = other.m_hasFolders;
    m_sticky = other.m_sticky;
    m_checkable = other.m_checkable;
    m_pathStop = other.m_pathStop;
    m_notLoaded = other.m_notLoaded;
    m_inParentRows = other.m_inParentRows;
    m_sorted = other.m_sorted;
    m_initFinish = other.m_initFinish;
    m_caseSensitiveNames = other.m_caseSensitiveNames;
    m_sortFilterGeneration = other.m_sortFilterGeneration;
}

quint32 CLvFileSystemNode::AddRef()
{
    return ILVObject::AddRef();
}

quint32 CLvFileSystemNode::Release()
{
    const quint32 left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
        // From here GetNode can no longer add a reference (the count is 0), so the node leaves
        // the registry exactly when it dies.
        CLvFileSystemNodeMgr::Unregister(m_id, this);
        FinalRelease();
        delete this;
    }
    return left;
}

CLvFileSystemNode::~CLvFileSystemNode()
{
    const QList<NodeIndex> twins = Twins();
    for (NodeIndex twin : twins) {
        NodePtr other(CLvFileSystemNodeMgr::GetNode(twin));
        if (other)
            other->RemoveTwin(m_id);
    }
    if (NodeIndex parentId = Parent()) {
        NodePtr parent(CLvFileSystemNodeMgr::GetNode(parentId));
        if (parent)
            parent->RemoveChildId(m_id);
    }
    const QList<NodeIndex> children = m_childTable.TakeChildren(true);
    for (NodeIndex childId : children) {
        NodePtr child(CLvFileSystemNodeMgr::GetNode(childId));
        if (child) {
            // Detached first, so the child does not come back to this dying node's tables.
            child->SetParent(0);
            child.reset();
            // Breadth-first: a deep tree must not become a deep chain of destructors.
            ReleaseTree(childId);
        }
    }
    SetParent(0);
}

void CLvFileSystemNode::ReleaseTree(NodeIndex id)
{
    QList<NodeIndex> queue{id};
    for (int next = 0; next < queue.size(); ++next) {
        const NodeIndex current = queue.at(next);
        NodePtr node(CLvFileSystemNodeMgr::GetNode(current));
        if (!node)
            continue;
        // Taken first, so the destructor does not release the children a second time.
        const QList<NodeIndex> children = node->m_childTable.TakeChildren(false);
        for (NodeIndex childId : children) {
            NodePtr child(CLvFileSystemNodeMgr::GetNode(childId));
            if (!child)
                continue;
            child->SetParent(0);
            queue.append(childId);
        }
        for (NodeIndex twin : node->Twins()) {
            NodePtr other(CLvFileSystemNodeMgr::GetNode(twin));
            if (other)
                other->RemoveTwin(current);
        }
        node->ClearTwins();
        node->Release();
        // Ids already handled are dropped now and then, so the queue stays as wide as a level.
        if (next > 4096) {
            queue.erase(queue.begin(), queue.begin() + next + 1);
            next = -1;
        }
    }
}

void CLvFileSystemNode::SetInitFinish(bool finished)
{
    NR_TRACE(u"File = %s, Line = %u, SetInitFinish %u, id = %u", __FILE__, __LINE__, unsigned(finished), unsigned(m_id));
    m_initFinish = finished;
    m_notLoaded = !finished;
}

// ---- second lock

QMap<int, QVariant> CLvFileSystemNode::Properties() const
{
    CNodeReadLocker lock(m_lock2);
    return m_properties;
}

void CLvFileSystemNode::SetProperties(const QMap<int, QVariant>& p)
{
    CNodeWriteLocker lock(m_lock2);
    m_properties = p;
    auto it = m_properties.constFind(NodeKind::kPropertyKind);
    m_kind.store(it == m_properties.constEnd() ? NodeKind::kNone : it.value().toInt(), std::memory_order_relaxed);
}

QVariant CLvFileSystemNode::Property(int key) const
{
    CNodeReadLocker lock(m_lock2);
    return m_properties.value(key);
}

void CLvFileSystemNode::SetProperty(int key, const QVariant& v)
{
    CNodeWriteLocker lock(m_lock2);
    m_properties.insert(key, v);
    if (key == NodeKind::kPropertyKind)
        m_kind.store(v.toInt(), std::memory_order_relaxed);
}

int CLvFileSystemNode::GetKind() const
{
    return m_kind.load(std::memory_order_relaxed);
}

QList<NodeIndex> CLvFileSystemNode::Twins() const
{
    CNodeReadLocker lock(m_lock2);
    return m_twins;
}

void CLvFileSystemNode::SetTwins(const QList<NodeIndex>& twins)
{
    CNodeWriteLocker lock(m_lock2);
    m_twins = twins;
}

void CLvFileSystemNode::AddTwin(NodeIndex id)
{
    CNodeWriteLocker lock(m_lock2);
    if (id != m_id && !m_twins.contains(id))
        m_twins.append(id);
}

void CLvFileSystemNode::RemoveTwin(NodeIndex id)
{
    CNodeWriteLocker lock(m_lock2);
    m_twins.removeAll(id);
}

void CLvFileSystemNode::ClearTwins()
{
    CNodeWriteLocker lock(m_lock2);
    m_twins.clear();
}

CSelectItemPtr CLvFileSystemNode::SelectItem() const
{
    CNodeReadLocker lock(m_lock2);
    return m_selectItem;
}

void CLvFileSystemNode::SetSelectItem(const CSelectItemPtr& item)
{
    CNodeWriteLocker lock(m_lock2);
    m_selectItem = item;
}

CNodeInfoPtr CLvFileSystemNode::Info() const
{
    CNodeReadLocker lock(m_lock2);
    return m_info;
}

bool CLvFileSystemNode::HasInfo() const
{
    CNodeReadLocker lock(m_lock2);
    return !m_info.isNull();
}

CNodeInfoFacts CLvFileSystemNode::InfoFacts() const
{
    CNodeInfoFacts facts;
    CNodeReadLocker lock(m_lock2);
    if (const CNodeInfo* info = m_info.data()) {
        facts.present = true;
        facts.hidden = info->hidden;
        facts.kind = info->Kind();
        facts.permissions = info->permissions;
        facts.size = info->size;
        facts.secondSize = info->secondSize;
    }
    return facts;
}

void CLvFileSystemNode::PrefetchNode() const
{
    // Every line of the node: it need not start on one, so its last byte may lie on one more.
    const char* p = reinterpret_cast<const char*>(this);
    for (size_t line = 0; line < sizeof(CLvFileSystemNode); line += 64)
        PrefetchForWrite(p + line);
    PrefetchForWrite(p + sizeof(CLvFileSystemNode) - 1);
}

void CLvFileSystemNode::PrefetchFacts() const
{
    {
        CNodeReadLocker lock(m_lock2);
        if (const CNodeInfo* info = m_info.data()) {
            // Only addresses are taken: the record's facts lie between these two fields.
            __builtin_prefetch(&info->permissions);
            __builtin_prefetch(&info->kind);
        }
    }
    // The texts' headers (their reference counts, which copies change) and characters, as far
    // as a usual name goes. data_ptr() only hands out the pointer; it is not const in Qt 5 for
    // no reason that matters here.
    const QString& shown = DisplayOrNameRef();
    const char* text = reinterpret_cast<const char*>(const_cast<QString&>(shown).data_ptr());
    PrefetchForWrite(text);
    __builtin_prefetch(text + 64);
    if (&shown != &m_name)
        PrefetchForWrite(const_cast<QString&>(m_name).data_ptr());
}

void CLvFileSystemNode::SetInfo(const CNodeInfoPtr& record)
{
    CNodeInfoPtr copy;
    if (record) {
        copy = CNodeInfoPtr::create(*record);
        copy->owner = m_id;
    }
    CNodeWriteLocker lock(m_lock2);
    m_info = copy;
    m_infoKind.store(copy ? copy->Kind() : kNoRecord, std::memory_order_relaxed);
}

void CLvFileSystemNode::SetInfoOwner(NodeIndex owner)
{
    CNodeWriteLocker lock(m_lock2);
    if (m_info && m_info->owner != owner) {
        // The record may still be shared with the node this one was copied from.
        m_info = CNodeInfoPtr::create(*m_info);
        m_info->owner = owner;
    }
}

// ---- children

namespace {

// Marks the children that were put into rows as shown: one registry look-up for all.
void MarkShown(const std::vector<NodeIndex>& shown)
{
    std::vector<CLvFileSystemNode*> nodes(shown.size(), nullptr);
    CLvFileSystemNodeMgr::GetNodes(shown.data(), shown.size(), nodes.data());
    for (CLvFileSystemNode* child : nodes) {
        if (!child)
            continue;
        child->SetInParentRows(true);
        child->Release();
    }
}

QStringList Keys(const CLvFileSystemNode& node, const QStringList& names)
{
    QStringList keys;
    keys.reserve(names.size());
    // Names that are already keys keep sharing their text with the child's key.
    for (const QString& name : names)
        keys.append(node.ChildKey(name));
    return keys;
}

} // namespace

void CLvFileSystemNode::AddChild(const QString& name, NodeIndex id)
{
    QString key = name;
    if (key.isEmpty()) {
        NodePtr child(CLvFileSystemNodeMgr::GetNode(id));
        if (!child)
            return;
        key = child->Name();
    }
    m_childTable.Add(ChildKey(key), id);
}

void CLvFileSystemNode::RemoveChild(const QString& name)
{
    m_childTable.Remove(ChildKey(name));
}

void CLvFileSystemNode::RenameChild(const QString& oldName, const QString& newName, NodeIndex id)
{
    m_childTable.Rename(ChildKey(oldName), ChildKey(newName), id);
}

int CLvFileSystemNode::MapRow(int r) const
{
    return m_reversed == 0 ? r : CNodeChildTable::ViewRowToRow(r, RowCount(), true, m_sortedCount);
}

CNodeChildTable::PositionRule CLvFileSystemNode::RowPositionRule() const
{
    if (UserKey() == kNoPropagateUserData)
        return CNodeChildTable::kAppend;
    switch (GetKind()) {
    case NodeKind::kComputer:
        return CNodeChildTable::kAlphabetical;
    case NodeKind::kNetworkGroup:
        return CNodeChildTable::kNetworkHosts;
    case NodeKind::kInsertionOrder:
    case NodeKind::kNasGroup:
        return CNodeChildTable::kAppend;
    default:
        return CNodeChildTable::kPinnedFirst;
    }
}

void CLvFileSystemNode::InsertChildRowAt(int pos, const QString& name)
{
    MarkShown({m_childTable.InsertRowAt(pos, ChildKey(name))});
}

void CLvFileSystemNode::AppendChildRows(const QStringList& names)
{
    MarkShown(m_childTable.AppendRows(Keys(*this, names)));
}

void CLvFileSystemNode::InsertChildRows(const QStringList& names)
{
    MarkShown(m_childTable.InsertRows(Keys(*this, names), RowPositionRule()));
    if (NeedsNetworkResort())
        m_childTable.SortRowsAfterPinned();
}

bool CLvFileSystemNode::ReplaceRowsInOrder(const QStringList& upperNames)
{
    const int kind = GetKind();
    if (kind == NodeKind::kComputer || kind == NodeKind::kNetworkGroup)
        return false;
    if (!m_childTable.ReplaceRows(upperNames))
        return false;
    if (NeedsNetworkResort())
        m_childTable.SortRowsAfterPinned();
    return true;
}

void CLvFileSystemNode::AddSortedNames(const QStringList& names)
{
    m_childTable.AddSorted(Keys(*this, names));
}

bool CLvFileSystemNode::NeedsNetworkResort() const
{
    // The group's stored name, which no translation changes.
    return m_displayName == QLatin1String("Network") && RowCount() > 1;
}

// ---- paths and texts

QString CLvFileSystemNode::BuildPath(bool stop, bool stripComputer, bool display) const
{
    QStringList parts;
    NodePtr holder; // keeps the current node alive while the walk is above this node
    const CLvFileSystemNode* current = this;
    NodePtr above(CLvFileSystemNodeMgr::GetNode(Parent()));
    while (above) {
        if (stop && current->PathStop())
            break;
        parts.prepend(display ? current->DisplayName() : current->Name());
        NodePtr next(CLvFileSystemNodeMgr::GetNode(above->Parent()));
        holder = std::move(above);
        current = holder.get();
        above = std::move(next);
    }
    QString path = NativeSeparators(parts.join(QLatin1Char('\\')));
    if (stripComputer && path.startsWith(QLatin1String("\\\\Computer")))
        path.remove(0, 11);
    if (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}

QString CLvFileSystemNode::GetPath(bool stop, bool stripComputer) const
{
    return BuildPath(stop, stripComputer, false);
}

QString CLvFileSystemNode::GetDisplayPath(bool stop, bool stripComputer) const
{
    return BuildPath(stop, stripComputer, true);
}

QString CLvFileSystemNode::GetShownName() const
{
    QString shown = m_displayName.isEmpty() ? m_name : m_displayName;
    NodePtr parent(CLvFileSystemNodeMgr::GetNode(Parent()));
    if (parent && !CLvFileSystemNodeMgr::IsValidNode(parent->Parent()))
        shown = QObject::tr(shown.toUtf8().constData());
    for (const QString& suffix : m_displaySuffixes)
        shown += QObject::tr(suffix.toUtf8().constData());
    return shown;
}

QString CLvFileSystemNode::GetTypeText() const
{
    const CNodeInfoPtr info = Info();
    if (info && !info->typeText.isEmpty())
        return QObject::tr(info->typeText.toUtf8().constData());
    return QObject::tr(m_typeText.toUtf8().constData());
}

qint64 CLvFileSystemNode::GetSize() const
{
    const CNodeInfoPtr info = Info();
    if (!info || info->Kind() == InfoKind::kDirectory)
        return 0;
    return info->size;
}

qint64 CLvFileSystemNode::GetSecondSize() const
{
    const CNodeInfoPtr info = Info();
    if (!info || info->Kind() == InfoKind::kDirectory)
        return 0;
    return info->secondSize;
}

QDateTime CLvFileSystemNode::GetModified() const
{
    const CNodeInfoPtr info = Info();
    return info ? info->modified : QDateTime();
}

QString CLvFileSystemNode::GetModifiedText() const
{
    const CNodeInfoPtr info = Info();
    return info ? info->ModifiedText() : QString();
}

quint32 CLvFileSystemNode::GetPermissions() const
{
    const CNodeInfoPtr info = Info();
    return info ? info->permissions : 0;
}

bool CLvFileSystemNode::IsDir() const
{
    const qint32 kind = m_infoKind.load(std::memory_order_relaxed);
    return kind != kNoRecord ? kind == InfoKind::kDirectory : ChildCount() >= 1;
}

bool CLvFileSystemNode::IsFile() const
{
    const qint32 kind = m_infoKind.load(std::memory_order_relaxed);
    return kind != kNoRecord ? kind == InfoKind::kFile : true;
}

bool CLvFileSystemNode::IsDrive() const
{
    const qint32 kind = m_infoKind.load(std::memory_order_relaxed);
    return kind != kNoRecord ? kind == InfoKind::kDrive : true;
}

bool CLvFileSystemNode::IsSystem() const
{
    const qint32 kind = m_infoKind.load(std::memory_order_relaxed);
    return kind != kNoRecord ? kind == InfoKind::kSystem : true;
}

bool CLvFileSystemNode::IsHidden() const
{
    const CNodeInfoPtr info = Info();
    return info ? info->hidden : false;
}

// ---- check state

void CLvFileSystemNode::SetCheckStatus(quint32 state, bool local)
{
    IFileSystemModel* model = Model();
    if (!model)
        return;
    if (!local) {
        model->SetNodeData(m_id, QVariant(int(state)), Qt::CheckStateRole);
    } else {
        SetCheckStatusValue(state);
        model->NotifyCheckStatus(m_id, state == Qt::Checked);
    }
}

bool CLvFileSystemNode::IsTopLevel() const
{
    NodePtr parent(CLvFileSystemNodeMgr::GetNode(Parent()));
    return parent && !CLvFileSystemNodeMgr::IsValidNode(parent->Parent());
}

int CLvFileSystemNode::GetDepth() const
{
    int depth = 0;
    NodeIndex up = Parent();
    while (CLvFileSystemNodeMgr::IsValidNode(up)) {
        ++depth;
        NodePtr node(CLvFileSystemNodeMgr::GetNode(up));
        if (!node)
            break;
        up = node->Parent();
    }
    return depth;
}

void CLvFileSystemNode::UpdateIcon()
{
    if (!CLvFileSystemNodeMgr::IsValidNode(Parent()))
        return;
    SysIconProvider provider = g_iconProvider.load();
    if (provider)
        m_icon = provider(GetKind() == NodeKind::kComputer ? 1 : 5);
}

void CLvFileSystemNode::SetSysIconProvider(SysIconProvider provider)
{
    g_iconProvider.store(provider);
}

void CLvFileSystemNode::Merge(NodeIndex otherId, bool force)
{
    if (otherId == m_id)
        return;
    NodePtr other(CLvFileSystemNodeMgr::GetNode(otherId));
    if (!other)
        return;
    CLvFileSystemNode& o = *other;

    const QMap<int, QVariant> myProps = Properties();
    const QMap<int, QVariant> otherProps = o.Properties();
    if (!myProps.isEmpty() && otherProps.isEmpty() && !force)
        o.SetProperties(myProps);
    else
        SetProperties(otherProps);

    if (!m_initFinish || force)
        m_initFinish = o.m_initFinish;
    else if (!o.m_initFinish)
        o.m_initFinish = m_initFinish;

    if (m_sortedCount != -1 || force)
        m_sortedCount = o.m_sortedCount;
    if (!Model())
        SetModel(o.Model());
    if (m_reversed == 0 || force) {
        m_reversed = o.m_reversed;
        m_lastSortColumn = o.m_lastSortColumn;
    }

    // true wins
    if (!m_sticky || force)
        m_sticky = o.m_sticky;
    else if (!o.m_sticky)
        o.m_sticky = m_sticky;
    if (!m_pathStop || force)
        m_pathStop = o.m_pathStop;
    else if (!o.m_pathStop)
        o.m_pathStop = m_pathStop;
    // false wins
    if (m_checkable || force)
        m_checkable = o.m_checkable;
    else
        o.m_checkable = m_checkable;
    if (m_mayHaveChildren)
        m_mayHaveChildren = o.m_mayHaveChildren;

    if (!m_userData.isValid() || force)
        m_userData = o.m_userData;
    else if (!o.m_userData.isValid())
        o.m_userData = m_userData;

    const CSelectItemPtr mySel = SelectItem();
    const CSelectItemPtr otherSel = o.SelectItem();
    if (otherSel || force)
        SetSelectItem(otherSel);
    else if (mySel)
        o.SetSelectItem(mySel);

    if (m_pathText.isEmpty())
        m_pathText = o.m_pathText;
    else if (o.m_pathText.isEmpty())
        o.m_pathText = m_pathText;
    if (m_typeText.isEmpty())
        m_typeText = o.m_typeText;
    else if (o.m_typeText.isEmpty())
        o.m_typeText = m_typeText;
    if (m_displaySuffixes.isEmpty() || force)
        m_displaySuffixes = o.m_displaySuffixes;
    else if (o.m_displaySuffixes.isEmpty())
        o.m_displaySuffixes = m_displaySuffixes;

    if (GetCheckStatus() == 0 || force)
        SetCheckStatusValue(o.GetCheckStatus());
    else
        o.SetCheckStatusValue(GetCheckStatus());

    if (!HasInfo()) {
        const CNodeInfoPtr theirs = o.Info();
        if (theirs)
            SetInfo(theirs);
    }
}

void CLvFileSystemNode::AttachSelectItem(const CSelectItemPtr& item)
{
    if (!item)
        return;
    const CSelectItemPtr old = SelectItem();
    if (old && old != item) {
        QHash<QString, CSelectItemPtr> excludes, includes;
        {
            QMutexLocker lock(&old->mutex);
            excludes = old->excludes;
            includes = old->includes;
        }
        QMutexLocker lock(&item->mutex);
        for (auto it = excludes.cbegin(); it != excludes.cend(); ++it)
            item->excludes.insert(it.key(), it.value());
        for (auto it = includes.cbegin(); it != includes.cend(); ++it)
            item->includes.insert(it.key(), it.value());
    }
    SetSelectItem(item);
    quint32 state;
    {
        QMutexLocker lock(&item->mutex);
        item->id = m_id;
        if (item->include)
            state = item->excludes.isEmpty() ? Qt::Checked : Qt::PartiallyChecked;
        else
            state = item->includes.isEmpty() ? Qt::Unchecked : Qt::PartiallyChecked;
    }
    SetCheckStatus(state, false);
}
