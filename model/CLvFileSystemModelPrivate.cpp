#include "CLvFileSystemModelPrivate.h"
#include "CFileSystemModel.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CModelSortThread.h"
#include "CReleaseRoot.h"
#include "CTrace.h"
#include <QFileInfo>
#include <QSet>
#include <QThreadPool>
#include <vector>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

NodePtr Node(NodeIndex id)
{
    return NodePtr(CLvFileSystemNodeMgr::GetNode(id));
}

bool OnlySeparators(const QString& name)
{
    for (QChar c : name)
        if (c != QLatin1Char('\\') && c != QLatin1Char('/'))
            return false;
    return true;
}

// Releases the reference a batch carries on each of its children (but those the model adopted).
void ReleaseBatch(const QList<NodeIndex>& children, const QSet<NodeIndex>& adopted = QSet<NodeIndex>())
{
    for (NodeIndex id : children) {
        if (!adopted.isEmpty() && adopted.contains(id))
            continue;
        NodePtr child = Node(id);
        if (child)
            child->Release();
    }
}

} // namespace

CLvFileSystemModelPrivate::CLvFileSystemModelPrivate(CFileSystemModel* owner)
    : QObject(owner), q(owner)
{
    CLvFileSystemNode* node = CLvFileSystemNodeMgr::CreateNode(QString(), 0, owner);
    // The reference CreateNode hands out is the one this private part keeps on the root.
    root = node->Id();
    node->SetPathStop(true);
    node->SetInParentRows(true);
    sinceUpdate.start();
    elapsedMs = [this] { return sinceUpdate.elapsed(); };
}

CLvFileSystemModelPrivate::~CLvFileSystemModelPrivate()
{
    QMutexLocker lock(&mutex);
    idMap.clear();
    for (const PendingBatch& batch : deferred)
        if (batch.kind == PendingBatch::kBatch)
            ReleaseBatch(batch.children);
    deferred.clear();
    if (QThreadPool* pool = QThreadPool::globalInstance())
        pool->start(new CReleaseRoot(root), 0);
    else
        ReleaseRoot(root);
}

// ---- filters

bool CLvFileSystemModelPrivate::PassesNameFilters(const CLvFileSystemNode* node) const
{
    if (node->Parent() == root || bypassFilters.contains(node->Id()) || nameFilters.isEmpty())
        return true;
    // As for a directory listing: AllDirs lists folders whatever their names.
    if ((filters & QDir::AllDirs) && node->IsDir())
        return true;
    const QString name = node->Name();
    for (const QRegularExpression& re : nameFilters)
        if (re.match(name).hasMatch())
            return true;
    return false;
}

bool CLvFileSystemModelPrivate::Accepts(const CLvFileSystemNode* node) const
{
    return Accepts(node, node->InfoFacts());
}

bool CLvFileSystemModelPrivate::Accepts(const CLvFileSystemNode* node, const CNodeInfoFacts& facts) const
{
    if (node->Parent() == root || bypassFilters.contains(node->Id()))
        return true;
    // One read of the record answers every question below (it is present from here on).
    if (!facts.present)
        return false;
    const int kind = facts.kind;
    const QString name = node->Name();
    const bool dot = name == QLatin1String(".");
    const bool dotDot = name == QLatin1String("..");
    if (!(filters & QDir::Hidden) && facts.hidden && !dot && !dotDot)
        return false;
    if (!(filters & QDir::System) && kind == InfoKind::kSystem)
        return false;
    if (!(filters & (QDir::Dirs | QDir::AllDirs)) && kind == InfoKind::kDirectory)
        return false;
    if (!(filters & QDir::Drives) && kind == InfoKind::kDrive)
        return false;
    if (!(filters & QDir::Files) && kind == InfoKind::kFile)
        return false;
    const QDir::Filters rwx = filters & (QDir::Readable | QDir::Writable | QDir::Executable);
    if (rwx && rwx != (QDir::Readable | QDir::Writable | QDir::Executable)) {
        if ((facts.permissions & 0x400) && !(rwx & QDir::Readable))
            return false;
        if ((facts.permissions & 0x200) && !(rwx & QDir::Writable))
            return false;
        if ((facts.permissions & 0x100) && !(rwx & QDir::Executable))
            return false;
    }
    if ((filters & QDir::NoDot) && dot)
        return false;
    if ((filters & QDir::NoDotDot) && dotDot)
        return false;
    return nameFilterDisablesFlag || PassesNameFilters(node);
}

bool CLvFileSystemModelPrivate::IsHiddenByFilters(NodeIndex id) const
{
    if (id == root)
        return false;
    NodePtr node = Node(id);
    return !node || !Accepts(node.get());
}

void CLvFileSystemModelPrivate::SetNameFilters(const QStringList& patterns)
{
    if (!bypassFilters.isEmpty()) {
        bypassFilters.clear();
        const QModelIndexList persistent = q->persistentIndexList();
        for (const QModelIndex& index : persistent) {
            NodeIndex id = q->NodeOf(index);
            while (id && id != root && !bypassFilters.contains(id)) {
                NodePtr node = Node(id);
                if (!node)
                    break;
                if (node->IsDir())
                    bypassFilters.insert(id, true);
                id = node->Parent();
            }
        }
    }
    namePatterns = patterns;
    nameFilters.clear();
    const bool caseSensitive = filters & QDir::CaseSensitive;
    for (const QString& pattern : patterns) {
        QRegularExpression re(QRegularExpression::anchoredPattern(
                                  QRegularExpression::wildcardToRegularExpression(pattern)),
                              caseSensitive ? QRegularExpression::NoPatternOption
                                            : QRegularExpression::CaseInsensitiveOption);
        nameFilters.append(re);
    }
    ++filterGeneration;
}

// ---- batches

void CLvFileSystemModelPrivate::AddNode(NodeIndex pParent, const QList<NodeIndex>& lstChild, int iStream, int iEnd)
{
    if (sorting) {
        deferred.append({pParent, lstChild, iStream, iEnd, PendingBatch::kBatch});
        return;
    }
    ++treeGeneration;
    // Parent 0 means the root; a parent that no longer resolves drops the batch (its children
    // must not show up somewhere else).
    NodePtr node = Node(pParent == 0 ? root : pParent);
    if (!node) {
        ReleaseBatch(lstChild);
        if (iStream == -1)
            emit q->DoFolderLoaded(pParent);
        return;
    }
    QList<NodeIndex> targets{node->Id()};
    for (NodeIndex twin : node->Twins())
        if (!targets.contains(twin))
            targets.append(twin);
    node.reset();

    if (iStream == -1) {
        for (NodeIndex t : targets) {
            NodePtr n = Node(t);
            if (!n)
                continue;
            const int kind = n->GetKind();
            if (kind != NodeKind::kNoCheckBox && kind != NodeKind::kNoInitFinish23 && kind != NodeKind::kNoInitFinish31)
                n->SetInitFinish(true);
            if (kind == NodeKind::kComputer)
                q->computerLoaded = true;
        }
    }
    // The batch's own nodes may be taken over rather than copied when one folder receives them
    // and no receiver of DoInterface reads them as the library's nodes afterwards.
    NodePtr firstTarget = Node(targets.first());
    const bool interface = firstTarget && !CLvFileSystemNodeMgr::IsValidNode(firstTarget->Parent()) && rootHidden;
    firstTarget.reset();
    QSet<NodeIndex> adopted;
    AddChildren(targets, lstChild, iStream, iEnd, targets.size() == 1 && !interface ? &adopted : nullptr);
    if (iStream == -1) {
        for (NodeIndex t : targets)
            q->SettleFolder(t);
    }

    const bool middle = iStream != -1 && iEnd != -1;
    if (!middle) {
        if (targets.first() == root)
            ModelInitFinish(targets, iStream, iEnd);
        q->EmitAllChanged();
        for (NodeIndex t : targets) {
            NodePtr n = Node(t);
            if (n && (!n->MayHaveChildren() || !n->HasFolders())) {
                const QModelIndex index = q->IndexOf(t);
                if (index.isValid())
                    emit q->dataChanged(index, index);
            }
        }
    }
    if (iEnd == -1) {
        for (NodeIndex t : targets) {
            NodePtr n = Node(t);
            if (!n)
                continue;
            n->SetNotLoaded(false);
            n->SetInitFinish(false);
        }
    }
    NodePtr first = Node(targets.first());
    if (first && !CLvFileSystemNodeMgr::IsValidNode(first->Parent()) && rootHidden)
        emit q->DoInterface(targets, lstChild, iEnd, rootHidden);
    first.reset();
    ReleaseBatch(lstChild, adopted);
    if (iStream == -1) {
        for (NodeIndex t : targets)
            emit q->DoFolderLoaded(t);
    }
}

void CLvFileSystemModelPrivate::AddChildren(const QList<NodeIndex>& targets, const QList<NodeIndex>& lstChild,
                                            int iStream, int iEnd, QSet<NodeIndex>* adopted)
{
    Q_UNUSED(iEnd);
    QList<NodeIndex> changed;
    for (NodeIndex t : targets) {
        NodePtr target = Node(t);
        if (!target)
            continue;
        QStringList newNames;
        QSet<NodeIndex> queued;
        for (NodeIndex c : lstChild) {
            NodePtr child = Node(c);
            if (!child)
                continue;
            const QString name = child->Name();
            if (name.isEmpty() || OnlySeparators(name))
                continue;
            const CNodeInfoPtr info = child->Info();
            // Made once: the child's key and its row then share one text.
            const QString key = target->ChildKey(name);
            const NodeIndex existing = target->ChildByName(key);
            const bool existed = existing != 0;
            // Only the batch and this loop hold c, it hangs nowhere and belongs to no model: taking
            // it over gives the same node a copy would, without the copy and the release.
            const bool adopt = adopted && !existed && child->RefCount() == 2 && child->Parent() == 0
                               && !child->Model() && child->ChildCount() == 0 && child->RowCount() == 0
                               && child->Twins().isEmpty();
            const NodeIndex mid = existed ? existing : AddChildNode(t, name, c, adopt, key);
            if (adopt && mid == c)
                adopted->insert(c);
            NodePtr mine = Node(mid);
            if (!mine)
                continue;
            if (!target->HasFolders() && !child->IsFile())
                target->SetHasFolders(true);
            if (existed) {
                mine->SetName(child->Name());
                mine->SetDisplayName(child->DisplayName());
                mine->Merge(c, false);
            }
            if (mine->Name() == name || target->ChildKey(mine->Name()) == key) {
                mine->SetName(name);
                changed.append(mid);
                // A node just copied from c already holds its own copy of c's record.
                if (info && existed)
                    mine->SetInfo(info);
                bypassFilters.remove(mid);
                // One row per node, even when a batch names an entry twice or in two cases.
                if (!mine->InParentRows() && !queued.contains(mid)) {
                    queued.insert(mid);
                    newNames.append(key);
                }
            }
        }
        if (!newNames.isEmpty() || iStream == -1)
            InsertRows(t, newNames, iStream == -1);
        if (iStream == -1)
            target->SetMayHaveChildren(target->RowCount() > 0);
    }

    if (iStream == -1 && targets.size() > 1) {
        // Twins are brought into step: every target knows the others and agrees with the one
        // that has the most children, and so do their children of equal name.
        std::vector<NodePtr> nodes;
        for (NodeIndex t : targets) {
            NodePtr n = Node(t);
            if (n)
                nodes.push_back(std::move(n));
        }
        size_t best = 0;
        for (size_t i = 0; i < nodes.size(); ++i) {
            for (const NodePtr& other : nodes)
                if (other.get() != nodes.at(i).get())
                    nodes.at(i)->AddTwin(other->Id());
            if (nodes.at(i)->ChildCount() > nodes.at(best)->ChildCount())
                best = i;
        }
        QMutexLocker lock(&mutex);
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (i == best)
                continue;
            nodes.at(i)->Merge(nodes.at(best)->Id(), false);
            const QStringList names = nodes.at(best)->ChildNames();
            for (const QString& name : names) {
                NodePtr mine = Node(nodes.at(i)->ChildByName(name));
                const NodeIndex theirs = nodes.at(best)->ChildByName(name);
                if (mine && theirs)
                    mine->Merge(theirs, false);
            }
        }
    }
    if (checkEnabled) {
        for (NodeIndex id : changed) {
            NodePtr n = Node(id);
            if (n)
                n->SetCheckStatusValue(q->CheckState(id));
        }
    }
    if (!targets.isEmpty() && disabledNodes.contains(targets.first()))
        q->OnSetDisableNode(targets.first(), true);
    const bool middle = iStream != -1 && iEnd != -1;
    if (!middle && checkEnabled && !targets.isEmpty()) {
        NodeIndex id = targets.first();
        while (id) {
            NodePtr n = Node(id);
            if (!n)
                break;
            const QList<NodeIndex> twins = n->Twins();
            if (!twins.isEmpty()) {
                NodePtr twin = Node(twins.first());
                if (twin)
                    twin->SetCheckStatusValue(n->GetCheckStatus());
            }
            id = n->Parent();
        }
    }
}

NodeIndex CLvFileSystemModelPrivate::AddChildNode(NodeIndex parent, const QString& name, NodeIndex childId, bool adopt,
                                                  const QString& key)
{
    NodePtr parentNode = Node(parent);
    if (!parentNode)
        return 0;
    CLvFileSystemNode* created = nullptr;
    if (childId && adopt) {
        // The batch's reference is the one handed on; the look-up's own is given back.
        NodePtr held = Node(childId);
        created = held.get();
    }
    if (!created && childId)
        created = CLvFileSystemNodeMgr::CopyNode(childId);
    if (!created)
        created = CLvFileSystemNodeMgr::CreateNode(name, parent, nullptr);
    // The reference the registry handed out becomes the parent's.
    const NodeIndex id = created->Id();
    created->SetInfoOwner(id);
    created->SetModel(q);
    created->SetName(name);
    created->SetParent(parent);
    // The copy is placed in this tree's rows by InsertRows, whatever its source showed.
    created->SetInParentRows(false);
    parentNode->AddChild(key.isEmpty() ? name : key, id);
    idMap.insert(created->UserKey(), id);
    return id;
}

void CLvFileSystemModelPrivate::InsertRows(NodeIndex parent, const QStringList& names, bool final)
{
    NodePtr node = Node(parent);
    if (!q || !node || (names.isEmpty() && !final))
        return;
    if (parent != root && IsHiddenByFilters(parent))
        return;

    const QModelIndex parentIndex = parent == root ? QModelIndex() : q->IndexOf(parent);
    // A folder that no view can reach yet takes its rows without announcements.
    const bool announce = parent == root || parentIndex.isValid();
    const int kind = node->GetKind();
    const bool ordered = kind == NodeKind::kComputer || kind == NodeKind::kNetworkGroup;
    bool needed = false;
    bool inserted = false;

    // Names that the position rule appends are announced as one run: a proxy rebuilds its
    // mapping on every insert, so one pair per row would freeze the GUI on large folders.
    QStringList run;
    auto flush = [&]() {
        if (run.isEmpty())
            return;
        const int rows = node->RowCount();
        const int count = run.size();
        const bool reversed = node->Reversed() != 0;
        const int sorted = node->SortedCount();
        const bool partial = reversed && sorted >= 0 && sorted < rows;
        if (!announce || partial) {
            if (announce)
                emit q->layoutAboutToBeChanged();
            const CFileSystemModel::HeldRows held = announce ? q->HoldPersistentRows() : CFileSystemModel::HeldRows();
            node->AppendChildRows(run);
            node->SetSortedCount(node->RowCount());
            if (announce) {
                q->MovePersistentRows(held);
                emit q->layoutChanged();
            }
        } else {
            // Reversed rows read from the end: appended names show at the top.
            const int first = reversed ? 0 : rows;
            q->beginInsertRows(parentIndex, first, first + count - 1);
            node->AppendChildRows(run);
            node->SetSortedCount(node->RowCount());
            q->endInsertRows();
        }
        run.clear();
        inserted = true;
    };

    for (const QString& name : names) {
        const bool pinned = node->IsPinned(name);
        if (pinned)
            needed = true;
        // Outside the computer and the network group, the position rule appends every name
        // that is not pinned.
        if (!ordered && !pinned) {
            run.append(name);
            continue;
        }
        flush();
        const int pos = node->InsertPosition(name);
        if (pos < 0)
            continue;
        const int rows = node->RowCount();
        if (!announce) {
            node->InsertChildRowAt(pos, name);
            node->SetSortedCount(node->RowCount());
        } else {
            const int viewRow = node->Reversed() ? rows - pos : pos;
            q->beginInsertRows(parentIndex, viewRow, viewRow);
            node->InsertChildRowAt(pos, name);
            node->SetSortedCount(node->RowCount());
            q->endInsertRows();
        }
        inserted = true;
    }
    flush();

    if (inserted && node->NeedsNetworkResort()) {
        emit q->layoutAboutToBeChanged();
        const CFileSystemModel::HeldRows held = q->HoldPersistentRows();
        node->SortNetworkRows();
        q->MovePersistentRows(held);
        emit q->layoutChanged();
    }
    // Rows appended after a sort are not sorted: a repeated sort must not be skipped.
    if (inserted)
        node->SetSorted(false);

    pendingRows += names.size();
    if (final && kind != NodeKind::kComputer) {
        bool need = false;
        emit q->DoNeedSort(parent, &need);
        if (need) {
            q->SortNode(parent, 0, Qt::AscendingOrder);
            node->SetSorted(true);
        }
    }
    if (final || (!flatMode && parent == root))
        needed = true;
    if (needed || ShouldUpdateView(parent)) {
        pendingRows = 0;
        emit q->DoUpdateView(needed);
        sinceUpdate.restart();
    }
}

bool CLvFileSystemModelPrivate::ShouldUpdateView(NodeIndex parent)
{
    NodePtr node = Node(parent);
    if (!node)
        return false;
    const int kind = node->GetKind();
    if (kind == NodeKind::kNetworkGroup || kind == NodeKind::kNasGroup || kind == NodeKind::kAlwaysRefresh)
        return true;
    const int rows = node->RowCount();
    if (rows < 100)
        return true;
    if (pendingRows > (rows / 5000 + 1) * 5000)
        return true;
    return elapsedMs() > qint64(rows / 10000 + 1) * 2000;
}

void CLvFileSystemModelPrivate::ModelInitFinish(const QList<NodeIndex>& targets, int iStream, int iEnd)
{
    if (targets.isEmpty() || (iStream != -1 && iEnd != -1))
        return;
    if (targets.first() == root) {
        NR_TRACE(u"File = %s, Line = %u, model init finished", __FILE__, __LINE__);
        emit q->DoModelInitFinish();
    }
}

// ---- removal and release

void CLvFileSystemModelPrivate::RemoveAllChildren(NodeIndex parent)
{
    NodePtr node = Node(parent);
    if (!q || !node || (parent != root && IsHiddenByFilters(parent)))
        return;
    ++treeGeneration;
    const QList<NodeIndex> children = node->ChildIds();
    const int rows = node->RowCount();
    const QModelIndex parentIndex = parent == root ? QModelIndex() : q->IndexOf(parent);
    const bool announce = rows > 0 && (parent == root || parentIndex.isValid());
    if (announce)
        q->beginRemoveRows(parentIndex, 0, rows - 1);
    node->ClearChildren();
    node->ClearRows();
    if (announce)
        q->endRemoveRows();
    emit q->DoUpdateView(true);
    for (NodeIndex child : children)
        ReleaseRoot(child);
}

void CLvFileSystemModelPrivate::RemoveChildRow(NodeIndex parent, const QString& name)
{
    NodePtr node = Node(parent);
    if (!q || !node)
        return;
    const int row = node->RowOfName(name);
    if (row < 0 || (parent != root && IsHiddenByFilters(parent)))
        return;
    ++treeGeneration;
    const NodeIndex childId = node->ChildByName(name);
    const QModelIndex parentIndex = parent == root ? QModelIndex() : q->IndexOf(parent);
    const bool announce = parent == root || parentIndex.isValid();
    if (announce) {
        const int r = node->MapRow(row);
        q->beginRemoveRows(parentIndex, r, r);
    }
    node->RemoveChild(name);
    node->RemoveRowName(name);
    if (announce)
        q->endRemoveRows();
    emit q->DoUpdateView(true);
    // The parent's reference on the removed child is given back with its subtree.
    if (childId)
        ReleaseRoot(childId);
}

void CLvFileSystemModelPrivate::ReleaseSubtree(NodeIndex id)
{
    if (sorting) {
        deferred.append({id, {}, 0, 0, PendingBatch::kRelease});
        return;
    }
    ++treeGeneration;
    // The root's reference belongs to this private part and goes at destruction.
    if (id == root)
        return;
    NodePtr node = Node(id);
    if (!node)
        return;
    const NodeIndex parentId = node->Parent();
    if (CLvFileSystemNodeMgr::IsValidNode(parentId)) {
        NodePtr parent = Node(parentId);
        // Already taken out of its parent (and that reference given back): nothing to release.
        if (!parent || !parent->HasChildId(id))
            return;
        const QString name = node->Name();
        if (parent->RowOfName(name) >= 0 && node->InParentRows())
            RemoveChildRow(parentId, name);
        if (parent->HasChildId(id)) {
            // Not announced (the folder is not visible): taken out quietly.
            parent->RemoveRowName(name);
            parent->RemoveChildId(id);
            node->SetParent(0);
            node.reset();
            ReleaseRoot(id);
        }
        return;
    }
    node.reset();
    ReleaseRoot(id);
}

void CLvFileSystemModelPrivate::ReleaseRoot(NodeIndex id)
{
    CLvFileSystemNode::ReleaseTree(id);
}

// ---- paths

QString CLvFileSystemModelPrivate::LongPathName(const QString& path)
{
    auto fromNative = [](QString p) { return p.replace(QLatin1Char('\\'), QLatin1Char('/')); };
    if (path.isEmpty() || path == QLatin1String(".") || path == QLatin1String(".."))
        return path;
    if (path.size() == 2 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':'))
        return path.toUpper();
    if (path.startsWith(QLatin1String("//")) || path.startsWith(QLatin1String("\\\\")))
        return fromNative(path);
    if (path.startsWith(QLatin1Char('/')))
        return QString();
    // There are no short names here: the long form is the path itself.
    return fromNative(path);
}

QList<NodeIndex> CLvFileSystemModelPrivate::GetNodeByPath(const QString& path, bool fetch)
{
    if (path.isEmpty() || path == CFileSystemModel::tr("My Computer") || path.startsWith(QLatin1Char(':')))
        return {root};
    QString native = LongPathName(path);
    native.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (native.isEmpty())
        return {};

    QList<NodeIndex> current{root};
    QStringList elements;
    if (native.startsWith(QLatin1String("\\\\"))) {
        const QString rest = native.mid(2);
        const int sep = rest.indexOf(QLatin1Char('\\'));
        const QString hostName = rest.left(sep);
        if (hostName.isEmpty() || sep < 0)
            return {root};
        const QString host = QStringLiteral("\\\\") + hostName;
        NodePtr rootNode = Node(root);
        if (!rootNode)
            return {};
        NodeIndex hostId = rootNode->ChildByName(host);
        if (!hostId) {
            if (!QFileInfo(host).isDir())
                return {root};
            hostId = AddChildNode(root, host, 0);
            InsertRows(root, QStringList(host), false);
        }
        current = {hostId};
        elements = rest.mid(sep + 1).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    } else {
        elements = native.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    }

    for (const QString& element : elements) {
        QList<NodeIndex> next;
        for (NodeIndex id : current) {
            NodePtr node = Node(id);
            if (!node)
                continue;
            NodeIndex found = node->ChildByName(element);
            NodeIndex owner = id;
            if (!found && id == root) {
                // Drives live under the computer node.
                for (NodeIndex top : node->ChildIds()) {
                    NodePtr t = Node(top);
                    if (t && t->GetKind() == NodeKind::kComputer) {
                        owner = top;
                        found = t->ChildByName(element);
                        break;
                    }
                }
            }
            if (!found && fetch) {
                found = AddChildNode(owner, element, 0);
                if (found)
                    InsertRows(owner, QStringList(element), false);
            }
            if (!found)
                continue;
            if (!next.contains(found))
                next.append(found);
            NodePtr f = Node(found);
            if (f)
                for (NodeIndex twin : f->Twins())
                    if (!next.contains(twin))
                        next.append(twin);
        }
        current = next;
        if (current.isEmpty())
            break;
    }
    return current;
}

// ---- sorting

void CLvFileSystemModelPrivate::ApplySort(NodeIndex id, const CModelSortThread* job)
{
    NodePtr node = Node(id);
    if (!node)
        return;
    // The job's view of the children still holds when none came or went and no row was put in
    // since it sorted them: the rows are then the sorted names as they are, and only the
    // children whose shown flag changes are touched (usually none).
    if (job && job->SortedNode() == id && job->SortedGeneration() == node->ChildGeneration()) {
        for (const NodePtr& child : job->ChildrenToHide())
            child->SetInParentRows(false);
        if (node->ReplaceRowsInOrder(node->SortedNames())) {
            for (const NodePtr& child : job->ChildrenToShow())
                child->SetInParentRows(true);
            node->SetSortedCount(node->RowCount());
            return;
        }
    }
    // Every child leaves the rows and the sorted ones come back. A child that is not among the
    // sorted names (it fails the filters, or a twin's list does not know it) must not keep a
    // flag saying it is shown: it would never be put back into the rows.
    for (NodeIndex childId : node->ChildIds()) {
        NodePtr child = Node(childId);
        if (child)
            child->SetInParentRows(false);
    }
    node->ClearRows();
    // Sorted names can outlive their children: a twin's list names children this node lost, and
    // a row removed while the sort ran is still in the list. Such a name must not come back as a
    // row without a node.
    node->InsertChildRows(node->ChildKeysAmong(node->SortedNames()));
    // The sorted range is what the rows now hold.
    node->SetSortedCount(node->RowCount());
}

void CLvFileSystemModelPrivate::RunDeferred()
{
    while (!deferred.isEmpty() && !sorting) {
        const PendingBatch batch = deferred.takeFirst();
        if (batch.kind == PendingBatch::kRelease)
            ReleaseSubtree(batch.parent);
        else if (batch.kind == PendingBatch::kSort)
            q->SortNode(batch.parent, batch.iStream, Qt::SortOrder(batch.iEnd));
        else
            AddNode(batch.parent, batch.children, batch.iStream, batch.iEnd);
    }
}
