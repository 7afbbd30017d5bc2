#include "ModelTestTree.h"
#include "CGetDataCommon.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CNameCodec.h"
#include "CPathKey.h"
#include "CSelectionFilter.h"
#include "CSelectionResolver.h"
#include "CStorageMap.h"
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThreadPool>
#include <algorithm>

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

typedef CLvAutoPtrEx<CLvFileSystemNode> Ptr;

// Names chosen so that ordered-map neighbours of a path are not its descendants (" " and "0"
// sort before "\", "_" after it); local folders also hold names that differ only in case. Below
// shares every name is upper case: a share ignores case, and so does the key of its paths.
const QStringList kLocalNames = {"A", "a", "A B", "A0", "AB", "A_", "b1", "B", "X", "Y Z"};
const QStringList kShareNames = {"A", "A B", "A0", "AB", "A_", "B1", "X", "Y Z"};

// What the library lists in a folder: its children, their node kind and whether their own
// children keep the case of their names.
struct Folder
{
    QList<TreeSpec> children;
    int kind = 0;
    bool caseSensitive = false;
};

class Sequence
{
public:
    explicit Sequence(quint32 seed) : m_rng(seed), m_seed(seed) {}

    QString Run(int steps)
    {
        if (!m_dir.isValid() || !Build())
            return QStringLiteral("seed %1: cannot build the tree on disk").arg(m_seed);
        for (int step = 0; step < steps; ++step) {
            const QString what = Step();
            const QString failure = Check();
            if (!failure.isEmpty())
                return QStringLiteral("seed %1 step %2 (%3): %4").arg(m_seed).arg(step).arg(what, failure);
        }
        return QString();
    }

private:
    QList<TreeSpec> Random(int depth, const QStringList& names)
    {
        QStringList pool = names;
        QList<TreeSpec> children;
        const int count = depth == 0 ? 1 + int(m_rng.bounded(4)) : int(m_rng.bounded(4));
        for (int i = 0; i < count; ++i) {
            TreeSpec spec{pool.takeAt(int(m_rng.bounded(pool.size()))), depth < 3 && m_rng.bounded(3) != 0, 0, {}};
            if (spec.isDir)
                spec.children = Random(depth + 1, names);
            children.append(spec);
        }
        return children;
    }

    // Registers a folder of the final tree and writes its files below dir (none when empty).
    bool AddFolder(const QString& key, const QString& dir, const QList<TreeSpec>& children, int kind, bool caseSensitive)
    {
        m_folders.insert(key, Folder{children, kind, caseSensitive});
        if (!dir.isEmpty() && !QDir().mkpath(dir))
            return false;
        for (const TreeSpec& spec : children) {
            const QString child = CPathKey::Child(key, spec.name);
            const QString path = dir.isEmpty() ? QString() : dir + QLatin1Char('/') + spec.name;
            QFile file(path);
            if (spec.isDir ? !AddFolder(child, path, spec.children, kind, caseSensitive)
                           : (!dir.isEmpty() && (!file.open(QIODevice::WriteOnly) || file.write("x") != 1)))
                return false;
            if (!spec.isDir && !dir.isEmpty())
                m_files.insert(child, false);
        }
        return true;
    }

    // The tree on disk under two drives, two shares of \\srv and the share of the NAS device
    // "box", the storage map over it, and the places above the folders as the library lists them.
    bool Build()
    {
        const QString root = m_dir.path();
        AddFolder("\\\\SRV", QString(), {{"s1", true, 0, {}}, {"s2", true, 0, {}}}, CGetDataCommon::kKindShare, false);
        AddFolder("NAS:\\\\BOX", QString(), {{"v1", true, 0, {}}}, NodeKind::kNasShare, false);
        const QList<QPair<QString, QString>> places = {{"C:", "C"}, {"D:", "D"}, {"\\\\SRV\\S1", "s1"},
                                                       {"\\\\SRV\\S2", "s2"}, {"NAS:\\\\BOX\\V1", "v1"}};
        for (const auto& place : places) {
            const bool local = place.first.endsWith(QLatin1Char(':'));
            const int kind = local ? CGetDataCommon::kKindLocal
                                   : place.first.startsWith("NAS") ? NodeKind::kNasFolder : CGetDataCommon::kKindShare;
            if (!AddFolder(place.first, root + '/' + place.second, Random(0, local ? kLocalNames : kShareNames), kind, local))
                return false;
        }
        QFile ini(root + "/default.ini");
        if (!ini.open(QIODevice::WriteOnly))
            return false;
        ini.write(QStringLiteral("[Drives]\nC=%1/C\nD=%1/D\n[Network]\n\\\\srv\\s1=%1/s1\n\\\\srv\\s2=%1/s2\n"
                                 "\\\\nas1\\v1=%1/v1\n[NAS]\nbox=\\\\nas1\n").arg(root).toUtf8());
        ini.close();
        CStorageMap::SetIniPath(ini.fileName());
        CStorageMap::SetMountsPath(root + "/no-mounts");
        CStorageMap::Reload();

        m_model.SetCheckEnabled(true);
        const NodeIndex top = m_model.GetRootIndex();
        Deliver(top, {Lib("\\\\Computer", InfoKind::kDirectory, NodeKind::kComputer, false),
                      Lib("Network", InfoKind::kDirectory, NodeKind::kNetworkGroup, false, true),
                      Lib("NAS", InfoKind::kDirectory, NodeKind::kNasGroup, false, true)}, true);
        const NodeIndex computer = Child(top, "\\\\Computer"), network = Child(top, "Network"), nas = Child(top, "NAS");
        m_groups = {{computer, "C:|D:"}, {network, "\\\\"}, {nas, "NAS:"}};
        Deliver(computer, {Lib("C:", InfoKind::kDrive, CGetDataCommon::kKindDrive, true),
                           Lib("D:", InfoKind::kDrive, CGetDataCommon::kKindDrive, true)}, true);
        Deliver(network, {Lib("\\\\srv", InfoKind::kDirectory, CGetDataCommon::kKindHost, false)}, true);
        const NodeIndex device = Lib("\\\\nas1", InfoKind::kDirectory, NodeKind::kNasDevice, false);
        Ptr(CLvFileSystemNodeMgr::GetNode(device))->SetDisplayName("box");
        Ptr(CLvFileSystemNodeMgr::GetNode(device))->SetPathText("\\\\nas1\\");
        Deliver(nas, {device}, true);
        return true;
    }

    NodeIndex Lib(const QString& name, int infoKind, int kind, bool caseSensitive, bool pathStop = false)
    {
        const NodeIndex id = ModelTestTree::MakeLibNode(name, infoKind == InfoKind::kDirectory, 0, infoKind);
        Ptr n(CLvFileSystemNodeMgr::GetNode(id));
        n->SetKind(kind);
        n->SetCaseSensitiveNames(caseSensitive);
        n->SetPathStop(pathStop);
        return id;
    }

    // Hands children to parent as one batch and remembers the nodes the model made of them.
    void Deliver(NodeIndex parent, const QList<NodeIndex>& children, bool last)
    {
        QStringList names;
        for (NodeIndex c : children)
            names << Ptr(CLvFileSystemNodeMgr::GetNode(c))->Name();
        m_model.AddNode(parent, children, last ? -1 : m_stream++, 0);
        for (const QString& name : names) {
            const NodeIndex id = Child(parent, name);
            m_nodes.insert(id, m_model.KeyOf(id));
        }
    }

    QString Step()
    {
        QList<NodeIndex> shown;
        for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it)
            if (m_model.IndexOf(it.key()).isValid())
                shown.append(it.key());
        std::sort(shown.begin(), shown.end());
        const NodeIndex node = shown.at(int(m_rng.bounded(shown.size())));
        const QString key = m_nodes.value(node);
        Ptr n(CLvFileSystemNodeMgr::GetNode(node));
        const int choice = int(m_rng.bounded(10));
        if (choice < 2 && m_folders.contains(key) && !m_pending.contains(node) && !n->InitFinish()) {
            // The library starts listing a folder: its children come in one to three batches.
            QList<QList<TreeSpec>> batches{{}, {}, {}};
            const int parts = 1 + int(m_rng.bounded(3));
            for (const TreeSpec& spec : m_folders.value(key).children)
                batches[int(m_rng.bounded(parts))].append(spec);
            m_pending.insert(node, batches.mid(0, parts));
            return "expand " + key;
        }
        if (choice < 5 && !m_pending.isEmpty()) {
            QList<NodeIndex> loading = m_pending.keys();
            std::sort(loading.begin(), loading.end());
            const NodeIndex folder = loading.at(int(m_rng.bounded(loading.size())));
            const Folder& spec = m_folders.value(m_nodes.value(folder));
            QList<NodeIndex> ids;
            for (const TreeSpec& s : m_pending[folder].takeFirst())
                ids.append(Lib(s.name, s.isDir ? InfoKind::kDirectory : InfoKind::kFile, spec.kind, spec.caseSensitive));
            const bool last = m_pending.value(folder).isEmpty();
            if (last)
                m_pending.remove(folder);
            Deliver(folder, ids, last);
            return QStringLiteral("%1 batch of %2").arg(last ? "last" : "a", m_nodes.value(folder));
        }
        if (choice == 5 && n->RowCount() > 1) {
            const int column = int(m_rng.bounded(2));
            m_model.SortNode(node, column, m_rng.bounded(2) ? Qt::DescendingOrder : Qt::AscendingOrder);
            return QStringLiteral("sort %1 by %2").arg(key).arg(column);
        }
        if (choice == 6 && m_folders.contains(key) && (n->InitFinish() || m_pending.contains(node))) {
            // A refresh: the rows go and the folder waits to be listed again.
            n->SetInitFinish(false);
            m_model.RemoveAllChildren(node);
            m_pending.remove(node);
            for (auto it = m_nodes.begin(); it != m_nodes.end();)
                it = CLvFileSystemNodeMgr::IsValidNode(it.key()) ? std::next(it) : m_nodes.erase(it);
            for (auto it = m_pending.begin(); it != m_pending.end();)
                it = m_nodes.contains(it.key()) ? std::next(it) : m_pending.erase(it);
            return "release " + key;
        }
        // A click ticks what is not checked and unticks what is; the oracle sets every file below.
        const int value = m_model.CheckState(node) == Qt::Checked ? Qt::Unchecked : Qt::Checked;
        if (!m_model.setData(m_model.IndexOf(node), value, Qt::CheckStateRole))
            return "click refused on " + key;
        const bool group = m_groups.contains(node);
        for (const QString& top : m_groups.value(node, key).split('|'))
            for (auto it = m_files.begin(); it != m_files.end(); ++it)
                if (group ? it.key().startsWith(top) : (it.key() == top || it.key().startsWith(top + '\\')))
                    it.value() = value == Qt::Checked;
        return QStringLiteral("click %1 -> %2").arg(key).arg(value);
    }

    QString Check()
    {
        const QString broken = m_model.CheckInvariants();
        if (!broken.isEmpty())
            return broken;
        QByteArray block;
        const uint32_t err = m_filter.Export(&block);
        if (err != 0)
            return QStringLiteral("export failed: 0x%1").arg(err, 8, 16, QLatin1Char('0'));
        // The host resolves the block over the whole tree on disk.
        CSelectionResolver resolver(*CStorageMap::Current());
        if (resolver.Resolve(block) != 0 || !resolver.Problems().isEmpty())
            return "the block does not resolve: " + resolver.Problems().join("; ");
        QSet<QString> backedUp;
        for (const CSelectionResolver::Item& item : resolver.Items())
            backedUp.insert(CPathKey::Of(CNameCodec::DecodeText(item.member).replace('/', '\\')));
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            if (backedUp.contains(it.key()) != it.value())
                return QStringLiteral("%1 is %2").arg(it.key(), it.value() ? "left out" : "backed up");
        // What a stored block gives back is what was stored.
        CFileSystemModel replay;
        CSelectionFilter replayFilter(&replay);
        QByteArray again;
        if (replayFilter.Apply(block.constData(), size_t(block.size())) != 0 || replayFilter.Export(&again) != 0 || again != block)
            return "the block does not read back as written";
        return QString();
    }

    static NodeIndex Child(NodeIndex parent, const QString& name) { return ModelTestTree::Child(parent, name); }

    QRandomGenerator m_rng;
    quint32 m_seed;
    QTemporaryDir m_dir;
    CFileSystemModel m_model;
    CSelectionFilter m_filter{&m_model};
    QHash<QString, Folder> m_folders;               // key -> what the library lists in it
    QMap<QString, bool> m_files;                    // key of every file -> ticked by the clicks
    QHash<NodeIndex, QString> m_nodes;              // the model's nodes of the final tree -> key
    QHash<NodeIndex, QString> m_groups;             // groups -> the keys they stand for
    QHash<NodeIndex, QList<QList<TreeSpec>>> m_pending; // folders being listed -> batches to come
    int m_stream = 0;
};

} // namespace

QString RunSequence(quint32 seed, int steps)
{
    return Sequence(seed).Run(steps);
}

} // namespace RandomModelCheck
