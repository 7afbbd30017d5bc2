#include "CLvFileSystemNode.h"
#include "CFileSystemModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNodeMgr.h"
#include "CTrace.h"
#include "IFileSystemModel.h"
#include "NodePrefetch.h"
#include "NRThreadHandOff.h"
#include <QObject>
#include <QThreadPool>
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
    {
        CNodeWriteLocker lock(other.m_pinMutex);
        m_pinnedNames = other.m_pinnedNames;
    }
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
    QList<NodeIndex> children;
    {
        CNodeWriteLocker lock(m_childLock);
        children = m_children.values();
        m_children.clear();
        m_rowOrder.clear();
    }
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
        QList<NodeIndex> children;
        {
            CNodeWriteLocker lock(node->m_childLock);
            children = node->m_children.values();
            // Cleared first, so the destructor does not release the children a second time.
            node->m_children.clear();
            ++node->m_childGeneration;
            node->InvalidateRowIds();
        }
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

void CLvFileSystemNode::AddChild(const QString& name, NodeIndex id)
{
    QString key = name;
    if (key.isEmpty()) {
        NodePtr child(CLvFileSystemNodeMgr::GetNode(id));
        if (!child)
            return;
        key = child->Name();
    }
    key = ChildKey(key);
    CNodeWriteLocker lock(m_childLock);
    auto it = m_children.find(key);
    if (it == m_children.end()) {
        m_children.insert(key, id);
        m_rowTables.KeyAdded();
    } else if (it.value() != id) {
        it.value() = id;
        InvalidateRowIds();
    }
    ++m_childGeneration;
}

void CLvFileSystemNode::RemoveChild(const QString& name)
{
    CNodeWriteLocker lock(m_childLock);
    m_children.remove(ChildKey(name));
    ++m_childGeneration;
    InvalidateRowIds();
}

void CLvFileSystemNode::RemoveChildId(NodeIndex id)
{
    CNodeWriteLocker lock(m_childLock);
    ++m_childGeneration;
    InvalidateRowIds();
    for (auto it = m_children.begin(); it != m_children.end();) {
        if (it.value() == id)
            it = m_children.erase(it);
        else
            ++it;
    }
}

void CLvFileSystemNode::ClearChildren()
{
    CNodeWriteLocker lock(m_childLock);
    m_children.clear();
    ++m_childGeneration;
    InvalidateRowIds();
}

void CLvFileSystemNode::RenameChild(const QString& oldName, const QString& newName, NodeIndex id)
{
    const QString newKey = ChildKey(newName);
    const QString oldKey = ChildKey(oldName);
    CNodeWriteLocker lock(m_childLock);
    m_children.remove(oldKey);
    m_children.insert(newKey, id);
    ++m_childGeneration;
    InvalidateRowIds();
    for (int i = 0; i < m_rowOrder.size(); ++i) {
        if (m_rowOrder.at(i) == oldKey) {
            m_rowOrder[i] = newKey;
            InvalidateRowCache();
            break;
        }
    }
}

bool CLvFileSystemNode::HasChild(const QString& name) const
{
    CNodeReadLocker lock(m_childLock);
    return m_children.contains(ChildKey(name));
}

NodeIndex CLvFileSystemNode::ChildByName(const QString& name) const
{
    const QString key = ChildKey(name);
    CNodeReadLocker lock(m_childLock);
    return m_children.value(key, 0);
}

NodeIndex CLvFileSystemNode::ChildByTypedName(const QString& name) const
{
    const QString key = ChildKey(name);
    CNodeReadLocker lock(m_childLock);
    NodeIndex found = m_children.value(key, 0);
    if (found || !m_caseSensitiveNames)
        return found;
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0) {
            if (found)
                return 0;
            found = it.value();
        }
    }
    return found;
}

bool CLvFileSystemNode::HasChildId(NodeIndex id) const
{
    CNodeReadLocker lock(m_childLock);
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it)
        if (it.value() == id)
            return true;
    return false;
}

QStringList CLvFileSystemNode::ChildNames() const
{
    CNodeReadLocker lock(m_childLock);
    return m_children.keys();
}

QList<NodeIndex> CLvFileSystemNode::ChildIds() const
{
    CNodeReadLocker lock(m_childLock);
    return m_children.values();
}

std::vector<std::pair<QString, NodeIndex>> CLvFileSystemNode::ChildEntries(quint64* generation) const
{
    std::vector<std::pair<QString, NodeIndex>> entries;
    CNodeReadLocker lock(m_childLock);
    if (generation)
        *generation = m_childGeneration;
    entries.reserve(size_t(m_children.size()));
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it)
        entries.emplace_back(it.key(), it.value());
    return entries;
}

quint64 CLvFileSystemNode::ChildGeneration() const
{
    CNodeReadLocker lock(m_childLock);
    return m_childGeneration;
}

int CLvFileSystemNode::ChildCount() const
{
    CNodeReadLocker lock(m_childLock);
    return m_children.size();
}

NodeIndex CLvFileSystemNode::ChildIdAt(int i) const
{
    CNodeReadLocker lock(m_childLock);
    if (i < 0 || i >= m_children.size())
        return 0;
    auto it = m_children.cbegin();
    std::advance(it, i);
    return it.value();
}

int CLvFileSystemNode::RowCount() const
{
    CNodeReadLocker lock(m_childLock);
    return m_rowOrder.size();
}

QString CLvFileSystemNode::NameAtRow(int r) const
{
    CNodeReadLocker lock(m_childLock);
    return r >= 0 && r < m_rowOrder.size() ? m_rowOrder.at(r) : QString();
}

int CLvFileSystemNode::RowOfName(const QString& name) const
{
    const QString key = ChildKey(name);
    CNodeReadLocker lock(m_childLock);
    return FindRowLocked(key);
}

int CLvFileSystemNode::FindRowLocked(const QString& upperName) const
{
    return m_rowTables.FindRow(m_rowOrder, upperName);
}

void CLvFileSystemNode::InvalidateRowCache() const
{
    m_rowTables.DropAll();
}

void CLvFileSystemNode::InvalidateRowIds() const
{
    m_rowTables.DropIds();
}

int CLvFileSystemNode::MapRow(int r) const
{
    if (m_reversed == 0)
        return r;
    const int rows = RowCount();
    // The sorted range never reaches past the rows: a range left longer by removed rows would
    // map view rows to rows that no longer exist.
    const int sorted = (m_sortedCount < 0 || m_sortedCount > rows) ? rows : m_sortedCount;
    return r < sorted ? sorted - r - 1 : r;
}

NodeIndex CLvFileSystemNode::ChildAtViewRow(int r) const
{
    CNodeReadLocker lock(m_childLock);
    const int rows = m_rowOrder.size();
    if (r < 0 || r >= rows)
        return 0;
    if (m_reversed != 0) {
        const int sorted = (m_sortedCount < 0 || m_sortedCount > rows) ? rows : m_sortedCount;
        if (r < sorted)
            r = sorted - r - 1;
    }
    return m_rowTables.IdAt(m_rowOrder, m_children, r);
}

void CLvFileSystemNode::FindChildRows(QHash<NodeIndex, int>* rows) const
{
    for (auto it = rows->begin(); it != rows->end(); ++it)
        it.value() = -1;
    CNodeReadLocker lock(m_childLock);
    m_rowTables.FindRows(m_rowOrder, m_children, rows);
}

void CLvFileSystemNode::RemoveRow(int i)
{
    CNodeWriteLocker lock(m_childLock);
    if (i >= 0 && i < m_rowOrder.size()) {
        m_rowOrder.removeAt(i);
        InvalidateRowCache();
    }
}

bool CLvFileSystemNode::RemoveRowName(const QString& name)
{
    const QString key = ChildKey(name);
    CNodeWriteLocker lock(m_childLock);
    const int row = FindRowLocked(key);
    if (row < 0)
        return false;
    m_rowOrder.removeAt(row);
    InvalidateRowCache();
    return true;
}

void CLvFileSystemNode::ClearRows()
{
    CNodeWriteLocker lock(m_childLock);
    m_rowOrder.clear();
    InvalidateRowCache();
}

QStringList CLvFileSystemNode::RowNames() const
{
    CNodeReadLocker lock(m_childLock);
    return m_rowOrder;
}

bool CLvFileSystemNode::IsPinnedUpper(const QString& upperName) const
{
    CNodeWriteLocker lock(m_pinMutex);
    for (const QString& p : m_pinnedNames)
        if (p.compare(upperName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool CLvFileSystemNode::IsPinned(const QString& name) const
{
    return IsPinnedUpper(name);
}

void CLvFileSystemNode::Pin(const QString& name)
{
    CNodeWriteLocker lock(m_pinMutex);
    for (const QString& p : m_pinnedNames)
        if (p.compare(name, Qt::CaseInsensitive) == 0)
            return;
    m_pinnedNames.append(name);
}

int CLvFileSystemNode::InsertPosition(const QString& name) const
{
    const QString key = ChildKey(name);
    CNodeReadLocker lock(m_childLock);
    return InsertPositionLocked(key);
}

int CLvFileSystemNode::InsertPositionLocked(const QString& key) const
{
    const int rows = m_rowOrder.size();
    if (UserKey() == kNoPropagateUserData)
        return rows;
    const int kind = GetKind();
    if (kind == NodeKind::kComputer) {
        // Drives stay in alphabetical order.
        for (int i = 0; i < rows; ++i)
            if (QString::compare(m_rowOrder.at(i), key, Qt::CaseInsensitive) > 0)
                return i;
        return rows;
    }
    const bool pinned = IsPinnedUpper(key);
    int leadingPinned = 0;
    if (pinned || kind == NodeKind::kNetworkGroup) {
        while (leadingPinned < rows && IsPinnedUpper(m_rowOrder.at(leadingPinned)))
            ++leadingPinned;
    }
    if (kind == NodeKind::kNetworkGroup) {
        if (pinned)
            return FindRowLocked(key) >= 0 ? -1 : leadingPinned;
        // Hosts by binary search in natural order after the pinned names; a known host is refused.
        int lo = leadingPinned, hi = rows;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            const int c = CFileSystemModel::naturalCompare(m_rowOrder.at(mid), key, Qt::CaseInsensitive);
            if (c == 0)
                return -1;
            if (c < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
    if (pinned && kind != NodeKind::kInsertionOrder && kind != NodeKind::kNasGroup) {
        // Pinned names stay first, in the order they were pinned.
        return FindRowLocked(key) >= 0 ? -1 : leadingPinned;
    }
    return rows;
}

void CLvFileSystemNode::InsertChildRowAt(int pos, const QString& name)
{
    const QString key = ChildKey(name);
    NodeIndex childId = 0;
    {
        CNodeWriteLocker lock(m_childLock);
        ++m_childGeneration;
        if (pos < 0 || pos >= m_rowOrder.size()) {
            m_rowOrder.append(key);
            childId = m_children.value(key, 0);
            m_rowTables.Appended(m_rowOrder, m_rowOrder.size() - 1, {childId});
        } else {
            m_rowOrder.insert(pos, key);
            InvalidateRowCache();
            childId = m_children.value(key, 0);
        }
    }
    NodePtr child(CLvFileSystemNodeMgr::GetNode(childId));
    if (child)
        child->SetInParentRows(true);
}

void CLvFileSystemNode::AppendChildRows(const QStringList& names)
{
    std::vector<NodeIndex> shown;
    shown.reserve(size_t(names.size()));
    {
        CNodeWriteLocker lock(m_childLock);
        ++m_childGeneration;
        const int from = m_rowOrder.size();
        m_rowOrder.reserve(from + names.size());
        for (const QString& name : names) {
            // Names that are already keys keep sharing their text with the child's key.
            const QString key = ChildKey(name);
            m_rowOrder.append(key);
            shown.push_back(m_children.value(key, 0));
        }
        m_rowTables.Appended(m_rowOrder, from, shown);
    }
    std::vector<CLvFileSystemNode*> nodes(shown.size(), nullptr);
    CLvFileSystemNodeMgr::GetNodes(shown.data(), shown.size(), nodes.data());
    for (CLvFileSystemNode* child : nodes) {
        if (!child)
            continue;
        child->SetInParentRows(true);
        child->Release();
    }
}

void CLvFileSystemNode::InsertChildRows(const QStringList& names)
{
    const int kind = GetKind();
    bool anyPinned = false;
    {
        CNodeWriteLocker lock(m_pinMutex);
        anyPinned = !m_pinnedNames.isEmpty();
    }
    if (!anyPinned && kind != NodeKind::kComputer && kind != NodeKind::kNetworkGroup) {
        // Without pinned names the position rule of these nodes appends: one pass.
        QList<NodeIndex> shown;
        shown.reserve(names.size());
        {
            CNodeWriteLocker lock(m_childLock);
            ++m_childGeneration;
            m_rowOrder.reserve(m_rowOrder.size() + names.size());
            for (const QString& name : names) {
                const QString key = ChildKey(name);
                m_rowOrder.append(key);
                shown.append(m_children.value(key, 0));
            }
            InvalidateRowCache();
        }
        for (NodeIndex id : shown) {
            NodePtr child(CLvFileSystemNodeMgr::GetNode(id));
            if (child)
                child->SetInParentRows(true);
        }
        if (NeedsNetworkResort())
            SortNetworkRows();
        return;
    }
    for (const QString& name : names) {
        const int pos = InsertPosition(name);
        if (pos >= 0)
            InsertChildRowAt(pos, name);
    }
    if (NeedsNetworkResort())
        SortNetworkRows();
}

bool CLvFileSystemNode::ReplaceRowsInOrder(const QStringList& upperNames)
{
    const int kind = GetKind();
    if (kind == NodeKind::kComputer || kind == NodeKind::kNetworkGroup)
        return false;
    {
        CNodeWriteLocker lock(m_pinMutex);
        if (!m_pinnedNames.isEmpty())
            return false;
    }
    QStringList oldRows;
    QHash<QString, int>* oldCache = nullptr;
    {
        CNodeWriteLocker lock(m_childLock);
        oldRows.swap(m_rowOrder);
        m_rowOrder = upperNames;
        oldCache = m_rowTables.TakeAll();
    }
    // A large folder's old rows and name table take a while to give back: not on the GUI
    // thread, which is in the middle of a layout change.
    if (oldRows.size() > 4096 && QThreadPool::globalInstance()) {
        NRStartOnPool([rows = std::move(oldRows), oldCache]() mutable {
            rows.clear();
            delete oldCache;
        });
    } else {
        delete oldCache;
    }
    if (NeedsNetworkResort())
        SortNetworkRows();
    return true;
}

bool CLvFileSystemNode::NeedsNetworkResort() const
{
    // The group's stored name, which no translation changes.
    return m_displayName == QLatin1String("Network") && RowCount() > 1;
}

void CLvFileSystemNode::SortNetworkRows()
{
    CNodeWriteLocker lock(m_childLock);
    int leadingPinned = 0;
    while (leadingPinned < m_rowOrder.size() && IsPinnedUpper(m_rowOrder.at(leadingPinned)))
        ++leadingPinned;
    std::stable_sort(m_rowOrder.begin() + leadingPinned, m_rowOrder.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    InvalidateRowCache();
}

void CLvFileSystemNode::AddSortedNames(const QStringList& names)
{
    CNodeWriteLocker lock(m_childLock);
    m_sortedNames.reserve(m_sortedNames.size() + names.size());
    for (const QString& n : names)
        m_sortedNames.append(ChildKey(n));
}

void CLvFileSystemNode::SetSortedUpperNames(const QStringList& upperNames)
{
    CNodeWriteLocker lock(m_childLock);
    m_sortedNames = upperNames;
}

QStringList CLvFileSystemNode::ChildKeysAmong(const QStringList& upperNames) const
{
    QStringList known;
    known.reserve(upperNames.size());
    CNodeReadLocker lock(m_childLock);
    for (const QString& name : upperNames)
        if (m_children.contains(name))
            known.append(name);
    return known;
}

QStringList CLvFileSystemNode::SortedNames() const
{
    CNodeReadLocker lock(m_childLock);
    return m_sortedNames;
}

void CLvFileSystemNode::ClearSortedNames()
{
    CNodeWriteLocker lock(m_childLock);
    m_sortedNames.clear();
}

int CLvFileSystemNode::SortedNameCount() const
{
    CNodeReadLocker lock(m_childLock);
    return m_sortedNames.size();
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
