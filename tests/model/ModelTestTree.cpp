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

// Names chosen so that ordered-map neighbours of a path are not its descendants (" " and "0"
// sort before "\", "_" after it); local folders also hold names that differ only in case. Below
// shares every name is upper case: a share ignores case, and so does the key of its paths.
const char* const kLocalNames[] = {"A", "a", "A B", "A0", "AB", "A_", "b1", "B", "X", "Y Z"};
const char* const kShareNames[] = {"A", "A B", "A0", "AB", "A_", "B1", "X", "Y Z"};

struct Spec
{
    QString name;
    bool isDir = false;
    QList<Spec> children;
};

QList<Spec> RandomChildren(QRandomGenerator& rng, int depth, bool local)
{
    QStringList pool;
    if (local)
        for (const char* n : kLocalNames)
            pool << QString::fromLatin1(n);
    else
        for (const char* n : kShareNames)
            pool << QString::fromLatin1(n);
    QList<Spec> children;
    const int count = depth == 0 ? 1 + int(rng.bounded(4)) : int(rng.bounded(4));
    for (int i = 0; i < count && !pool.isEmpty(); ++i) {
        Spec spec;
        spec.name = pool.takeAt(int(rng.bounded(pool.size())));
        spec.isDir = depth < 3 && rng.bounded(3) != 0;
        if (spec.isDir)
            spec.children = RandomChildren(rng, depth + 1, local);
        children.append(spec);
    }
    return children;
}

// What the library would deliver for one folder: its children, their node kind and whether
// their own children keep the case of their names.
struct Folder
{
    QList<Spec> children;
    int childKind = 0;
    bool childCaseSensitive = false;
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
    // ---- the final tree: on disk, in the storage map, and as the folders the library lists

    bool Build()
    {
        const QString root = m_dir.path();
        // The servers list their shares when expanded, as the library does from the map.
        AddFolder("\\\\SRV", {{"s1", true, {}}, {"s2", true, {}}}, CGetDataCommon::kKindShare, false);
        AddFolder("NAS:\\\\BOX", {{"v1", true, {}}}, NodeKind::kNasShare, false);
        const QList<QPair<QString, QString>> places = {{"C:", "C"}, {"D:", "D"}, {"\\\\SRV\\S1", "s1"},
                                                       {"\\\\SRV\\S2", "s2"}, {"NAS:\\\\BOX\\V1", "v1"}};
        for (const auto& place : places) {
            const bool local = place.first.endsWith(QLatin1Char(':'));
            const QList<Spec> children = RandomChildren(m_rng, 0, local);
            if (!WriteTree(root + QLatin1Char('/') + place.second, children))
                return false;
            const int kind = local ? CGetDataCommon::kKindLocal
                           : place.first.startsWith(QLatin1String("NAS")) ? NodeKind::kNasFolder
                                                                           : CGetDataCommon::kKindShare;
            AddFolder(place.first, children, kind, local);
        }
        QFile ini(root + QStringLiteral("/default.ini"));
        if (!ini.open(QIODevice::WriteOnly))
            return false;
        ini.write(QStringLiteral("[Drives]\nC=%1/C\nD=%1/D\n[Network]\n\\\\srv\\s1=%1/s1\n\\\\srv\\s2=%1/s2\n"
                                 "\\\\nas1\\v1=%1/v1\n[NAS]\nbox=\\\\nas1\n").arg(root).toUtf8());
        ini.close();
        CStorageMap::SetIniPath(ini.fileName());
        CStorageMap::SetMountsPath(root + QStringLiteral("/no-mounts"));
        CStorageMap::Reload();

        // The places above the folders, as the local data source lists them.
        m_model.SetCheckEnabled(true);
        const NodeIndex root0 = m_model.GetRootIndex();
        Deliver(root0, QString(), {Group("\\\\Computer", NodeKind::kComputer), Group("Network", NodeKind::kNetworkGroup),
                                   Group("NAS", NodeKind::kNasGroup)}, true);
        const NodeIndex computer = ModelTestTree::Child(root0, QStringLiteral("\\\\Computer"));
        const NodeIndex network = ModelTestTree::Child(root0, QStringLiteral("Network"));
        const NodeIndex nas = ModelTestTree::Child(root0, QStringLiteral("NAS"));
        m_groups = {{computer, QStringLiteral("C:|D:")}, {network, QStringLiteral("\\\\")}, {nas, QStringLiteral("NAS:")}};
        NodeIndex drive = MakeNode("C:", InfoKind::kDrive, CGetDataCommon::kKindDrive, true);
        Deliver(computer, QString(), {drive, MakeNode("D:", InfoKind::kDrive, CGetDataCommon::kKindDrive, true)}, true);
        Deliver(network, QString(), {MakeNode("\\\\srv", InfoKind::kDirectory, CGetDataCommon::kKindHost, false)}, true);
        CLvFileSystemNode* device = CLvFileSystemNodeMgr::GetNode(MakeNode("\\\\nas1", InfoKind::kDirectory, NodeKind::kNasDevice, false));
        device->SetDisplayName(QStringLiteral("box"));
        device->SetPathText(QStringLiteral("\\\\nas1\\"));
        const NodeIndex deviceId = device->Id();
        device->Release();
        Deliver(nas, QString(), {deviceId}, true);
        return true;
    }

    bool WriteTree(const QString& dir, const QList<Spec>& children)
    {
        if (!QDir().mkpath(dir))
            return false;
        for (const Spec& spec : children) {
            const QString path = dir + QLatin1Char('/') + spec.name;
            if (spec.isDir) {
                if (!WriteTree(path, spec.children))
                    return false;
            } else {
                QFile f(path);
                if (!f.open(QIODevice::WriteOnly) || f.write("x") != 1)
                    return false;
            }
        }
        return true;
    }

    void AddFolder(const QString& key, const QList<Spec>& children, int kind, bool caseSensitive)
    {
        m_folders.insert(key, Folder{children, kind, caseSensitive});
        for (const Spec& spec : children) {
            const QString child = CPathKey::Child(key, spec.name);
            if (spec.isDir)
                AddFolder(child, spec.children, kind, caseSensitive);
            else if (!m_folders.contains(child))
                m_files.insert(child, false);
        }
    }

    NodeIndex Group(const char* name, int kind)
    {
        CLvFileSystemNode* n = CLvFileSystemNodeMgr::CreateNode(QString::fromLatin1(name), 0, nullptr);
        n->SetKind(kind);
        n->SetPathStop(kind != NodeKind::kComputer);
        auto info = CNodeInfoPtr::create();
        info->kind = InfoKind::kDirectory;
        n->SetInfo(info);
        return n->Id();
    }

    NodeIndex MakeNode(const QString& name, int infoKind, int kind, bool caseSensitive)
    {
        const NodeIndex id = ModelTestTree::MakeLibNode(name, infoKind == InfoKind::kDirectory, 0, infoKind);
        CLvAutoPtrEx<CLvFileSystemNode> n(CLvFileSystemNodeMgr::GetNode(id));
        n->SetKind(kind);
        n->SetCaseSensitiveNames(caseSensitive);
        return id;
    }

    // Hands children to parent as one batch and remembers the nodes the model made of them.
    void Deliver(NodeIndex parent, const QString& parentKey, const QList<NodeIndex>& children, bool last)
    {
        QStringList names;
        for (NodeIndex c : children) {
            CLvAutoPtrEx<CLvFileSystemNode> n(CLvFileSystemNodeMgr::GetNode(c));
            names << n->Name();
        }
        m_model.AddNode(parent, children, last ? -1 : m_stream++, 0);
        CLvAutoPtrEx<CLvFileSystemNode> p(CLvFileSystemNodeMgr::GetNode(parent));
        for (const QString& name : names) {
            const NodeIndex id = p->ChildByName(name);
            m_nodes.insert(id, m_model.KeyOf(id));
        }
        Q_UNUSED(parentKey);
    }

    // ---- steps

    QString Step()
    {
        QList<NodeIndex> shown;
        for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it)
            if (m_model.IndexOf(it.key()).isValid())
                shown.append(it.key());
        std::sort(shown.begin(), shown.end());
        const NodeIndex node = shown.at(int(m_rng.bounded(shown.size())));
        const QString key = m_nodes.value(node);
        const int choice = int(m_rng.bounded(10));
        if (choice < 2 && m_folders.contains(key) && !m_pending.contains(node) && !Loaded(node)) {
            // The library starts listing a folder: its children come in one to three batches.
            const Folder& folder = m_folders.value(key);
            QList<QList<Spec>> batches;
            const int parts = 1 + int(m_rng.bounded(3));
            for (int i = 0; i < parts; ++i)
                batches.append(QList<Spec>());
            for (const Spec& spec : folder.children)
                batches[int(m_rng.bounded(parts))].append(spec);
            m_pending.insert(node, batches);
            return QStringLiteral("expand %1").arg(key);
        }
        if (choice < 5 && !m_pending.isEmpty()) {
            QList<NodeIndex> loading = m_pending.keys();
            std::sort(loading.begin(), loading.end());
            const NodeIndex folder = loading.at(int(m_rng.bounded(loading.size())));
            const QString folderKey = m_nodes.value(folder);
            const Folder& spec = m_folders.value(folderKey);
            const QList<Spec> batch = m_pending[folder].takeFirst();
            const bool last = m_pending.value(folder).isEmpty();
            if (last)
                m_pending.remove(folder);
            QList<NodeIndex> ids;
            for (const Spec& s : batch)
                ids.append(MakeNode(s.name, s.isDir ? InfoKind::kDirectory : InfoKind::kFile, spec.childKind,
                                    spec.childCaseSensitive));
            Deliver(folder, folderKey, ids, last);
            return QStringLiteral("%1 batch of %2").arg(last ? "last" : "a").arg(folderKey);
        }
        if (choice == 5 && CLvAutoPtrEx<CLvFileSystemNode>(CLvFileSystemNodeMgr::GetNode(node))->RowCount() > 1) {
            const int column = int(m_rng.bounded(2));
            const Qt::SortOrder order = m_rng.bounded(2) ? Qt::DescendingOrder : Qt::AscendingOrder;
            m_model.SortNode(node, column, order);
            return QStringLiteral("sort %1 by %2").arg(key).arg(column);
        }
        if (choice == 6 && m_folders.contains(key) && (Loaded(node) || m_pending.contains(node))) {
            // A refresh: the rows go and the folder waits to be listed again.
            CLvAutoPtrEx<CLvFileSystemNode>(CLvFileSystemNodeMgr::GetNode(node))->SetInitFinish(false);
            m_model.RemoveAllChildren(node);
            m_pending.remove(node);
            for (auto it = m_nodes.begin(); it != m_nodes.end();)
                it = CLvFileSystemNodeMgr::IsValidNode(it.key()) ? std::next(it) : m_nodes.erase(it);
            for (auto it = m_pending.begin(); it != m_pending.end();)
                it = m_nodes.contains(it.key()) ? std::next(it) : m_pending.erase(it);
            return QStringLiteral("release %1").arg(key);
        }
        // A click ticks what is not checked and unticks what is; the oracle sets every file below.
        const int value = m_model.CheckState(node) == Qt::Checked ? Qt::Unchecked : Qt::Checked;
        if (!m_model.setData(m_model.IndexOf(node), value, Qt::CheckStateRole))
            return QStringLiteral("click %1 refused").arg(key);
        const QStringList scope = m_groups.value(node, key).split(QLatin1Char('|'));
        for (auto it = m_files.begin(); it != m_files.end(); ++it) {
            for (const QString& top : scope) {
                const bool group = m_groups.contains(node);
                if (group ? it.key().startsWith(top) : (it.key() == top || it.key().startsWith(top + QLatin1Char('\\'))))
                    it.value() = value == Qt::Checked;
            }
        }
        return QStringLiteral("click %1 -> %2").arg(key).arg(value);
    }

    bool Loaded(NodeIndex node) const
    {
        CLvAutoPtrEx<CLvFileSystemNode> n(CLvFileSystemNodeMgr::GetNode(node));
        return n && n->InitFinish();
    }

    // ---- what must hold after every step

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
            return QStringLiteral("the block does not resolve: %1").arg(resolver.Problems().join(QStringLiteral("; ")));
        QSet<QString> backedUp;
        for (const CSelectionResolver::Item& item : resolver.Items())
            backedUp.insert(CPathKey::Of(CNameCodec::DecodeText(item.member).replace(QLatin1Char('/'), QLatin1Char('\\'))));
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            if (backedUp.contains(it.key()) != it.value())
                return QStringLiteral("%1 is %2").arg(it.key(), it.value() ? "left out" : "backed up");
        // What a stored block gives back is what was stored.
        CFileSystemModel replay;
        CSelectionFilter replayFilter(&replay);
        QByteArray again;
        if (replayFilter.Apply(block.constData(), size_t(block.size())) != 0 || replayFilter.Export(&again) != 0 || again != block)
            return QStringLiteral("the block does not read back as written");
        return QString();
    }

    QRandomGenerator m_rng;
    quint32 m_seed;
    QTemporaryDir m_dir;
    CFileSystemModel m_model;
    CSelectionFilter m_filter{&m_model};
    QHash<QString, Folder> m_folders;       // key -> what the library lists in it
    QMap<QString, bool> m_files;            // key of every file -> ticked by the user's clicks
    QHash<NodeIndex, QString> m_nodes;      // the model's nodes of the final tree -> key
    QHash<NodeIndex, QString> m_groups;     // groups -> the keys they stand for
    QHash<NodeIndex, QList<QList<Spec>>> m_pending; // folders being listed -> batches to come
    int m_stream = 0;
};

} // namespace

QString RunSequence(quint32 seed, int steps)
{
    return Sequence(seed).Run(steps);
}

} // namespace RandomModelCheck
