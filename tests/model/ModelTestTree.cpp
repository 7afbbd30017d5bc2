#include "ModelTestTree.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QHash>
#include <QMap>
#include <QRandomGenerator>
#include <QThreadPool>

namespace {
typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;
}

namespace ModelTestTree {

NodeIndex MakeLibNode(const QString& name, bool isDir, qint64 size, int infoKind)
{
    CLvFileSystemNode* node = CLvFileSystemNodeMgr::CreateNode(name, 0, nullptr);
    auto info = CNodeInfoPtr::create();
    info->kind = infoKind >= 0 ? infoKind : (isDir ? InfoKind::kDirectory : InfoKind::kFile);
    info->size = size;
    node->SetInfo(info);
    return node->Id();
}

void LoadChildren(CFileSystemModel& model, NodeIndex parent, const QList<TreeSpec>& children, int batchSize,
                  bool complete)
{
    const int step = batchSize > 0 ? batchSize : qMax(1, children.size());
    int done = 0;
    do {
        QList<NodeIndex> batch;
        for (int i = done; i < qMin(done + step, children.size()); ++i)
            batch.append(MakeLibNode(children.at(i).name, children.at(i).isDir, children.at(i).size));
        done += step;
        const bool last = done >= children.size();
        model.AddNode(parent, batch, last && complete ? -1 : 0, 0);
    } while (done < children.size());
}

void LoadTree(CFileSystemModel& model, NodeIndex parent, const QList<TreeSpec>& children)
{
    LoadChildren(model, parent, children);
    for (const TreeSpec& spec : children)
        if (spec.isDir)
            LoadTree(model, Child(parent, spec.name), spec.children);
}

NodeIndex Child(NodeIndex parent, const QString& name)
{
    NodePtr node(CLvFileSystemNodeMgr::GetNode(parent));
    return node ? node->ChildByName(name) : 0;
}

NodeIndex Descend(NodeIndex parent, const QStringList& names)
{
    NodeIndex id = parent;
    for (const QString& name : names) {
        id = Child(id, name);
        if (!id)
            return 0;
    }
    return id;
}

NodeIndex AddComputer(CFileSystemModel& model)
{
    CLvFileSystemNode* computer = CLvFileSystemNodeMgr::CreateNode(QStringLiteral("\\\\Computer"), 0, nullptr);
    computer->SetKind(NodeKind::kComputer);
    computer->SetDisplayName(QStringLiteral("Computer"));
    model.AddNode(model.GetRootIndex(), {computer->Id()}, -1, 0);
    return Child(model.GetRootIndex(), QStringLiteral("\\\\Computer"));
}

void WaitForReleases()
{
    QThreadPool::globalInstance()->waitForDone();
}

} // namespace ModelTestTree

namespace RandomModelCheck {

namespace {

// Names chosen so that ordered-map neighbours of a path are not its descendants: " " and "0"
// sort before "\", "_" after it.
const char* const kNames[] = {"A", "A B", "A0", "AB", "A_", "b1", "B", "X", "Y Z"};

QList<TreeSpec> RandomChildren(QRandomGenerator& rng, int depth)
{
    QList<TreeSpec> children;
    const int count = depth == 0 ? 1 + int(rng.bounded(4)) : int(rng.bounded(4));
    QList<int> pool;
    for (int i = 0; i < int(sizeof(kNames) / sizeof(kNames[0])); ++i)
        pool.append(i);
    for (int i = 0; i < count && !pool.isEmpty(); ++i) {
        TreeSpec spec;
        spec.name = QString::fromLatin1(kNames[pool.takeAt(int(rng.bounded(pool.size())))]);
        spec.isDir = depth < 3 && rng.bounded(3) != 0;
        if (spec.isDir)
            spec.children = RandomChildren(rng, depth + 1);
        children.append(spec);
    }
    return children;
}

struct Tree
{
    CFileSystemModel model;
    NodeIndex computer = 0;
    // Every node below the root in depth-first order, and the leaves below each of them.
    QList<NodeIndex> nodes;
    QHash<NodeIndex, QList<NodeIndex>> leavesOf;
    QHash<NodeIndex, QString> path;

    void Build(const QList<TreeSpec>& drives)
    {
        model.SetCheckEnabled(true);
        computer = ModelTestTree::AddComputer(model);
        QList<TreeSpec> driveList = drives;
        for (TreeSpec& d : driveList)
            d.isDir = true;
        QList<NodeIndex> driveLeaves;
        ModelTestTree::LoadChildren(model, computer, driveList, 0, true);
        nodes.append(computer);
        for (const TreeSpec& d : driveList) {
            const NodeIndex id = ModelTestTree::Child(computer, d.name);
            // Drive records say "drive", not "directory".
            NodePtr drive(CLvFileSystemNodeMgr::GetNode(id));
            CNodeInfoPtr info = CNodeInfoPtr::create(*drive->Info());
            info->kind = InfoKind::kDrive;
            drive->SetInfo(info);
            ModelTestTree::LoadTree(model, id, d.children);
            Collect(id);
            driveLeaves += leavesOf.value(id);
        }
        leavesOf.insert(computer, driveLeaves);
        for (NodeIndex id : nodes)
            path.insert(id, QString::fromUtf8(model.GetNodePath(id)).toUpper());
    }

    QList<NodeIndex> Collect(NodeIndex id)
    {
        nodes.append(id);
        NodePtr node(CLvFileSystemNodeMgr::GetNode(id));
        QList<NodeIndex> leaves;
        const QStringList rows = node->RowNames();
        if (rows.isEmpty())
            leaves.append(id);
        for (const QString& name : rows)
            leaves += Collect(node->ChildByName(name));
        leavesOf.insert(id, leaves);
        return leaves;
    }
};

bool IsAncestorOrSelf(const QString& a, const QString& b)
{
    return b == a || a.isEmpty() || (b.startsWith(a) && b.at(a.size()) == QLatin1Char('\\'));
}

} // namespace

QString RunSequence(quint32 seed, int clicks)
{
    QRandomGenerator rng(seed);
    QList<TreeSpec> drives;
    drives.append({QStringLiteral("C:"), true, 0, RandomChildren(rng, 0)});
    drives.append({QStringLiteral("D:"), true, 0, RandomChildren(rng, 0)});

    Tree tree;
    tree.Build(drives);
    Tree replay;
    replay.Build(drives);
    QHash<NodeIndex, bool> checkedLeaf;
    QString failure;

    for (int step = 0; step < clicks && failure.isEmpty(); ++step) {
        const NodeIndex target = tree.nodes.at(int(rng.bounded(tree.nodes.size())));
        const int before = int(tree.model.CheckState(target));
        const int value = before == Qt::Checked ? Qt::Unchecked : Qt::Checked;
        const QModelIndex index = tree.model.IndexOf(target);
        if (!tree.model.setData(index, value, Qt::CheckStateRole))
            return QStringLiteral("seed %1 step %2: setData refused").arg(seed).arg(step);
        for (NodeIndex leaf : tree.leavesOf.value(target))
            checkedLeaf[leaf] = value == Qt::Checked;

        auto expected = [&](NodeIndex id) {
            int on = 0;
            const QList<NodeIndex> leaves = tree.leavesOf.value(id);
            for (NodeIndex leaf : leaves)
                on += checkedLeaf.value(leaf) ? 1 : 0;
            return on == 0 ? 0 : (on == leaves.size() ? 2 : 1);
        };
        QString what = QStringLiteral("seed %1 step %2 (click %3 -> %4)").arg(seed).arg(step).arg(tree.path.value(target)).arg(value);
        for (NodeIndex id : tree.nodes) {
            const int state = int(tree.model.CheckState(id));
            if (state != expected(id)) {
                failure = QStringLiteral("%1: %2 reads %3, leaves say %4").arg(what, tree.path.value(id)).arg(state).arg(expected(id));
                break;
            }
        }
        if (!failure.isEmpty())
            break;

        // Export, then resolve it into files as a consumer does: every include with its own
        // exclusions.
        auto selection = CSelectItemPtr::create();
        tree.model.CreateCheckStatus(selection);
        QMap<QString, int> rules;
        QList<QPair<QString, QStringList>> includes;
        for (const CSelectItemPtr& inc : selection->includes) {
            const QString p = QString::fromUtf8(inc->path);
            rules.insert(p, Qt::Checked);
            QStringList excl;
            for (const CSelectItemPtr& ex : inc->excludes) {
                excl.append(QString::fromUtf8(ex->path));
                rules.insert(QString::fromUtf8(ex->path), Qt::Unchecked);
            }
            includes.append(qMakePair(p, excl));
        }
        for (NodeIndex leaf : tree.leavesOf.value(tree.computer)) {
            const QString lp = tree.path.value(leaf);
            bool backedUp = false;
            for (const auto& inc : includes) {
                if (!IsAncestorOrSelf(inc.first, lp))
                    continue;
                bool excluded = false;
                for (const QString& ex : inc.second)
                    excluded = excluded || IsAncestorOrSelf(ex, lp);
                backedUp = backedUp || !excluded;
            }
            if (backedUp != checkedLeaf.value(leaf)) {
                failure = QStringLiteral("%1: export %2 %3").arg(what, backedUp ? "backs up" : "leaves out", lp);
                break;
            }
        }
        if (!failure.isEmpty())
            break;

        // Replay in path order (the deepest rule wins) into a cleared second model.
        replay.model.SetCheckState(replay.computer, int(Qt::Unchecked));
        if (!replay.model.CheckMap().isEmpty())
            return QStringLiteral("%1: clearing the replay model left entries").arg(what);
        for (auto it = rules.cbegin(); it != rules.cend(); ++it) {
            const QList<NodeIndex> found = replay.model.GetNodeByPath(it.key(), false);
            if (found.isEmpty())
                return QStringLiteral("%1: replay cannot find %2").arg(what, it.key());
            replay.model.SetCheckState(found.first(), it.value());
        }
        for (int i = 0; i < tree.nodes.size(); ++i) {
            const int a = int(tree.model.CheckState(tree.nodes.at(i)));
            const int b = int(replay.model.CheckState(replay.nodes.at(i)));
            if (a != b) {
                failure = QStringLiteral("%1: replay of the export reads %2 for %3, model %4").arg(what).arg(b).arg(tree.path.value(tree.nodes.at(i))).arg(a);
                break;
            }
        }
    }
    return failure;
}

} // namespace RandomModelCheck
