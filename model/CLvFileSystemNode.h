#pragma once
#include "CNodeChildTable.h"
#include "CNodeInfo.h"
#include "CSelectItem.h"
#include "ILVObject.h"
#include "NodeKind.h"
#include <QHash>
#include <QIcon>
#include <QMap>
#include "CNodeRwLock.h"
#include <QSharedPointer>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <utility>
#include <vector>

class IFileSystemModel;

// One entry of the browser: computer, drive, folder, file, network host, share, image entry.
// Nodes are registered in CLvFileSystemNodeMgr and referred to by NodeIndex; a pointer is only
// held for one operation, through CLvAutoPtrEx. A parent owns one reference on each child.
//
// Locks: the children, the row order, the sorted names and the pinned names live in
// CNodeChildTable under its locks (costs there); the second lock guards twins, the info record,
// the selection record and the properties. Plain flags and texts are set by whoever builds the
// node before it is shared, and afterwards changed on the GUI thread only.
//
// The children operations below turn names into keys (ChildKey), pick the position rule from
// the node's kind, and mark the children they show; the tables do the rest.
//
// Still long: every part of the system asks the node about its entry (names, texts, paths, the
// record, the check state, the merge of twins), one short member each. Its children live in
// CNodeChildTable and the tables derived from its rows in CNodeRowCache.
class CLvFileSystemNode : public ILVObject
{
public:
    CLvFileSystemNode(const QString& name, NodeIndex parent, IFileSystemModel* model);
    // Copies the entry's fields of other, its initFinish included, but not its place in a tree
    // (children, rows, sorted names, twins: the source holds the references on those). The copy
    // gets its id from the registry (CLvFileSystemNodeMgr::CopyNode).
    CLvFileSystemNode(const CLvFileSystemNode& other);
    CLvFileSystemNode& operator=(const CLvFileSystemNode&) = delete;

    quint32 AddRef() override;
    // Giving back the last reference takes the node out of the registry, then deletes it.
    quint32 Release() override;
    ~CLvFileSystemNode() override;

    // ---- identity and links
    NodeIndex Id() const { return m_id; }
    NodeIndex Parent() const { return m_parent.load(std::memory_order_acquire); }
    void SetParent(NodeIndex parent) { m_parent.store(parent, std::memory_order_release); }
    IFileSystemModel* Model() const { return m_model.load(std::memory_order_acquire); }
    void SetModel(IFileSystemModel* model) { m_model.store(model, std::memory_order_release); }

    // ---- plain fields
    QVariant UserData() const { return m_userData; }
    void SetUserData(const QVariant& v) { m_userData = v; }
    // userData as the unsigned 64-bit library key (0 when unset).
    quint64 UserKey() const { return m_userData.toULongLong(); }
    QString Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }
    QString DisplayName() const { return m_displayName; }
    // The shown name (display name, or the name when there is none) without a copy: for a reader
    // that copies only what it keeps (sorting builds keys from it for every child).
    const QString& DisplayOrNameRef() const { return m_displayName.isEmpty() ? m_name : m_displayName; }
    void SetDisplayName(const QString& name) { m_displayName = name; }
    QStringList DisplaySuffixes() const { return m_displaySuffixes; }
    void SetDisplaySuffixes(const QStringList& s) { m_displaySuffixes = s; }
    QString TypeText() const { return m_typeText; }
    void SetTypeText(const QString& t) { m_typeText = t; }
    QIcon Icon() const { return m_icon; }
    void SetIcon(const QIcon& icon) { m_icon = icon; }
    bool MayHaveChildren() const { return m_mayHaveChildren; }
    void SetMayHaveChildren(bool b) { m_mayHaveChildren = b; }
    bool HasFolders() const { return m_hasFolders; }
    void SetHasFolders(bool b) { m_hasFolders = b; }
    bool Sticky() const { return m_sticky; }
    void SetSticky(bool b) { m_sticky = b; }
    bool Checkable() const { return m_checkable; }
    void SetCheckable(bool b) { m_checkable = b; }
    bool PathStop() const { return m_pathStop; }
    void SetPathStop(bool b) { m_pathStop = b; }
    quint32 Reversed() const { return m_reversed; }
    void SetReversed(quint32 r) { m_reversed = r; }
    quint32 LastSortColumn() const { return m_lastSortColumn; }
    void SetLastSortColumn(quint32 c) { m_lastSortColumn = c; }
    // The model's filter generation at the folder's last sort: a sort after a change of filters
    // runs again even for an unchanged column and order.
    quint32 SortFilterGeneration() const { return m_sortFilterGeneration; }
    void SetSortFilterGeneration(quint32 g) { m_sortFilterGeneration = g; }
    // Whether the children are told apart by the case of their names (folders of this machine
    // and of images, where "Makefile" and "makefile" are two files); otherwise names compare
    // upper-cased, as on Windows-form shares. Set by whoever builds the node.
    bool CaseSensitiveNames() const { return m_caseSensitiveNames; }
    void SetCaseSensitiveNames(bool b) { m_caseSensitiveNames = b; }
    // The key under which this node lists a child of that name.
    QString ChildKey(const QString& name) const { return m_caseSensitiveNames ? name : name.toUpper(); }
    QString PathText() const { return m_pathText; }
    void SetPathText(const QString& t) { m_pathText = t; }
    bool NotLoaded() const { return m_notLoaded; }
    void SetNotLoaded(bool b) { m_notLoaded = b; }
    bool InParentRows() const { return m_inParentRows; }
    void SetInParentRows(bool b) { m_inParentRows = b; }
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool b) { m_sorted = b; }
    qint32 SortedCount() const { return m_sortedCount; }
    void SetSortedCount(qint32 n) { m_sortedCount = n; }
    bool InitFinish() const { return m_initFinish; }
    // Sets initFinish (traced) and the not-loaded flag to the inverse value.
    void SetInitFinish(bool finished);

    // ---- guarded by the second lock
    QMap<int, QVariant> Properties() const;
    void SetProperties(const QMap<int, QVariant>& p);
    QVariant Property(int key) const;
    void SetProperty(int key, const QVariant& v);
    // Property 1 as an integer; NodeKind::kNone when absent.
    int GetKind() const;
    void SetKind(int kind) { SetProperty(NodeKind::kPropertyKind, kind); }
    QList<NodeIndex> Twins() const;
    void SetTwins(const QList<NodeIndex>& twins);
    void AddTwin(NodeIndex id);
    void RemoveTwin(NodeIndex id);
    void ClearTwins();
    CSelectItemPtr SelectItem() const;
    void SetSelectItem(const CSelectItemPtr& item);
    CNodeInfoPtr Info() const;
    bool HasInfo() const;
    // The record's plain fields in one read (present = false when there is no record).
    CNodeInfoFacts InfoFacts() const;
    // Stores a copy of record with owner = this node, filling an empty modified text.
    void SetInfo(const CNodeInfoPtr& record);
    // Sets the owner of the stored record (copies share records until one is stored).
    void SetInfoOwner(NodeIndex owner);

    // ---- children; names are compared as keys (ChildKey)
    void AddChild(const QString& name, NodeIndex id);
    void RemoveChild(const QString& name);
    // Removes every key that maps to id.
    void RemoveChildId(NodeIndex id) { m_childTable.RemoveId(id); }
    void ClearChildren() { m_childTable.Clear(); }
    void RenameChild(const QString& oldName, const QString& newName, NodeIndex id);
    bool HasChild(const QString& name) const { return m_childTable.Has(ChildKey(name)); }
    NodeIndex ChildByName(const QString& name) const { return m_childTable.Id(ChildKey(name)); }
    // The child of that name, or, when there is none and exactly one child's key differs from
    // it only in case, that one: a typed path may spell a name in another case, as Windows lets
    // it, but never picks one of two names that differ only in case.
    NodeIndex ChildByTypedName(const QString& name) const
    {
        return m_childTable.IdTyped(ChildKey(name), m_caseSensitiveNames);
    }
    bool HasChildId(NodeIndex id) const { return m_childTable.HasId(id); }
    // Copies, O(children).
    QStringList ChildNames() const { return m_childTable.Keys(); }
    QList<NodeIndex> ChildIds() const { return m_childTable.Ids(); }
    // Every child as (key, id), in the order of ChildIds, read under one lock, and
    // the children generation at that moment (see ChildGeneration).
    std::vector<std::pair<QString, NodeIndex>> ChildEntries(quint64* generation = nullptr) const
    {
        return m_childTable.Entries(generation);
    }
    // Changes whenever a child is added, removed or renamed, and whenever rows are put in (which
    // marks children as shown).
    quint64 ChildGeneration() const { return m_childTable.Generation(); }
    // Runs read(children, generation) with the children lock held for reading: the map of
    // keys to ids and the children generation. Every child in the map stays alive
    // meanwhile, without a reference of the reader's own: this node holds one on each, and gives
    // it back only after the child left the map under the write lock. read must not take this
    // node's children lock again (a waiting writer would keep it out), nor hold on to the map's
    // keys or the children afterwards without references.
    template <class Read>
    void ReadChildrenLocked(Read&& read) const
    {
        m_childTable.ReadLocked(std::forward<Read>(read));
    }
    // For a reader that goes through many nodes in a row: PrefetchNode asks for the node's own
    // memory to be brought into the cache without waiting for it (nothing is read); PrefetchFacts,
    // some nodes later, for what InfoFacts and the names read (the record's address is read under
    // the second lock, so the node's memory should have arrived by then).
    void PrefetchNode() const;
    void PrefetchFacts() const;
    int ChildCount() const { return m_childTable.Count(); }
    NodeIndex ChildIdAt(int i) const { return m_childTable.IdAt(i); }
    int RowCount() const { return m_childTable.RowCount(); }
    QString NameAtRow(int r) const { return m_childTable.KeyAtRow(r); }
    int RowOfName(const QString& name) const { return m_childTable.RowOf(ChildKey(name)); }
    // Row as the views see it: reversed rows read from the end of the sorted range.
    int MapRow(int r) const;
    // The child shown at view row r (MapRow applied), or 0: one lock and no string copies, for
    // the views' per-row look-ups.
    NodeIndex ChildAtViewRow(int r) const { return m_childTable.IdAtViewRow(r, m_reversed != 0, m_sortedCount); }
    // Sets each value of rows (keyed by child id) to the first row of that child, or -1: one
    // pass over the rows, however many children are asked for.
    void FindChildRows(QHash<NodeIndex, int>* rows) const { m_childTable.FindRows(rows); }
    void RemoveRow(int i) { m_childTable.RemoveRow(i); }
    // Removes the key of name from the row order; false when absent.
    bool RemoveRowName(const QString& name) { return m_childTable.RemoveRowKey(ChildKey(name)); }
    void ClearRows() { m_childTable.ClearRows(); }
    QStringList RowNames() const { return m_childTable.RowKeys(); }
    // Where the position rule puts a new name: a row index, or -1 when it is refused.
    int InsertPosition(const QString& name) const { return m_childTable.InsertPosition(ChildKey(name), RowPositionRule()); }
    // Puts each name into the row order by the position rule and marks the child as shown.
    // O(names) when the rule appends, else O(names x rows).
    void InsertChildRows(const QStringList& names);
    // When the position rule of this node appends every name (no pinned names, not a computer
    // or a network group), makes upperNames (children's keys, each once) the whole row order
    // and answers true; the caller marks those children as shown. Otherwise changes nothing.
    bool ReplaceRowsInOrder(const QStringList& upperNames);
    // Inserts the key of name at row pos (appends when pos is out of range) and marks the child.
    void InsertChildRowAt(int pos, const QString& name);
    // InsertChildRowAt(-1, name) for each name, under one lock and one registry look-up.
    void AppendChildRows(const QStringList& names);
    // True when the node's rows should be re-sorted as network hosts after an insertion.
    bool NeedsNetworkResort() const;
    // Sorts the rows after the leading pinned ones case-insensitively (network host rows).
    void SortNetworkRows() { m_childTable.SortRowsAfterPinned(); }
    void AddSortedNames(const QStringList& names);
    // Replaces the sorted names by upperNames, which are already keys.
    void SetSortedUpperNames(const QStringList& upperNames) { m_childTable.SetSorted(upperNames); }
    QStringList SortedNames() const { return m_childTable.Sorted(); }
    // The names of upperNames (already keys) that are keys of this node's children, in
    // their order.
    QStringList ChildKeysAmong(const QStringList& upperNames) const { return m_childTable.KeysAmong(upperNames); }
    void ClearSortedNames() { m_childTable.ClearSorted(); }
    int SortedNameCount() const { return m_childTable.SortedCount(); }
    bool IsPinned(const QString& name) const { return m_childTable.IsPinned(name); }
    void Pin(const QString& name) { m_childTable.Pin(name); }

    // ---- paths and texts
    QString GetPath(bool stop, bool stripComputer) const;
    QString GetDisplayPath(bool stop, bool stripComputer) const;
    QString GetShownName() const;
    QString GetTypeText() const;
    qint64 GetSize() const;
    qint64 GetSecondSize() const;
    QDateTime GetModified() const;
    QString GetModifiedText() const;
    quint32 GetPermissions() const;
    bool IsReadable() const { return GetPermissions() & 0x400; }
    bool IsWritable() const { return GetPermissions() & 0x200; }
    bool IsExecutable() const { return GetPermissions() & 0x100; }
    bool IsDir() const;
    bool IsFile() const;
    bool IsDrive() const;
    bool IsSystem() const;
    bool IsHidden() const;
    bool IsSymLink(bool) const { return false; }

    // ---- check state
    // local = false: runs the model's whole check algorithm for this node; true: stores the
    // value and lets the model announce it.
    void SetCheckStatus(quint32 state, bool local);
    quint32 GetCheckStatus() const { return m_checkState.load(std::memory_order_relaxed); }
    void SetCheckStatusValue(quint32 state) { m_checkState.store(state, std::memory_order_relaxed); }

    bool IsTopLevel() const;
    int GetDepth() const;
    // Icon from the library's icon provider (see SetSysIconProvider).
    void UpdateIcon();
    // Makes this node and otherId agree (see the merge rules); force prefers the other's values.
    void Merge(NodeIndex otherId, bool force);
    // Keeps item as the node's selection record and pushes the state it implies.
    void AttachSelectItem(const CSelectItemPtr& item);

    // Gives back one reference on id (its owner's) and on everything below it, breadth-first
    // without recursion, O(nodes below id): each child is detached (parent 0) and its table
    // cleared before its parent lets go, so no destructor walks down a deep tree. Any thread.
    static void ReleaseTree(NodeIndex id);

    // The provider of system icons (1 = computer, 5 = other) used by UpdateIcon.
    typedef QIcon (*SysIconProvider)(int sysIconType);
    static void SetSysIconProvider(SysIconProvider provider);

private:
    friend class CLvFileSystemNodeMgr;
    void SetId(NodeIndex id) { m_id = id; }
    QString BuildPath(bool stop, bool stripComputer, bool display) const;
    CNodeChildTable::PositionRule RowPositionRule() const;

    // What the views read of every row they lay out comes first, so that it shares the
    // reference count's cache line: a folder of 100,000 rows touches each child cold.
    // The record's Kind(), kept beside it so that the per-row questions of the views (file,
    // folder, drive) read the node alone; kNoRecord without a record.
    static constexpr qint32 kNoRecord = -0x7fffffff;
    std::atomic<qint32> m_infoKind{kNoRecord};
    // The kind property, kept beside the properties for the same reason.
    std::atomic<int> m_kind{NodeKind::kNone};
    std::atomic<NodeIndex> m_parent{0};
    NodeIndex m_id = 0;
    qint32 m_sortedCount = -1;
    // Owns one reference on each child (see CNodeChildTable).
    CNodeChildTable m_childTable;
    quint32 m_reversed = 0;
    bool m_mayHaveChildren = true;
    bool m_inParentRows = false;
    bool m_sorted = false;
    bool m_initFinish = false;
    std::atomic<quint32> m_checkState{0};
    mutable CNodeRwLock m_lock2;
    QVariant m_userData;
    QString m_name;
    QString m_displayName;
    QStringList m_displaySuffixes;
    QString m_typeText;
    QIcon m_icon;
    CNodeInfoPtr m_info;
    QString m_pathText;
    QMap<int, QVariant> m_properties;
    QList<NodeIndex> m_twins;
    CSelectItemPtr m_selectItem;
    std::atomic<IFileSystemModel*> m_model{nullptr};
    quint32 m_lastSortColumn = 0;
    quint32 m_sortFilterGeneration = 0;
    bool m_hasFolders = false;
    bool m_sticky = false;
    bool m_checkable = true;
    bool m_pathStop = false;
    bool m_notLoaded = false;
    bool m_caseSensitiveNames = false;
};
