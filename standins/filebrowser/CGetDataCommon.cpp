#include "CGetDataCommon.h"

#include "CFileBrower.h"
#include "CFileSystemModel.h"
#include "CKWBrowserIconProc.h"
#include "CLoadPool.h"
#include "CLocalEnumerator.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CServerShares.h"
#include "CStorageMap.h"
#include "CTrace.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QMultiHash>
#include <QThread>

#include <mutex>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

NodePtr Node(NodeIndex id) { return NodePtr(CLvFileSystemNodeMgr::GetNode(id)); }

// Owners that keep data sources alive (AddInstance).
std::mutex g_instanceMutex;
QMultiHash<void*, QSharedPointer<CGetDataCommon>>& instances()
{
    static QMultiHash<void*, QSharedPointer<CGetDataCommon>> map;
    return map;
}

// The icon of a place made from the configuration.
CKWBrowserIconProc::Place placeOfGroup(int kind)
{
    switch (kind) {
    case NodeKind::kComputer:
    case CGetDataCommon::kKindHost:
        return CKWBrowserIconProc::kComputer;
    case CGetDataCommon::kKindShare:
    case NodeKind::kNasShare:
        return CKWBrowserIconProc::kShare;
    case NodeKind::kNasGroup:
    case NodeKind::kNasDevice:
        return CKWBrowserIconProc::kNasDevice;
    default:
        return CKWBrowserIconProc::kNetworkGroup;
    }
}

// The icon of a drive letter: a share it stands for, removable media (mounted where the desktop
// mounts them), or a local disk.
CKWBrowserIconProc::Place placeOfDrive(const CStorageMap::Drive& d)
{
    if (d.type == CStorageMap::kDriveMappedShare)
        return CKWBrowserIconProc::kNetworkDrive;
    if (d.dir.startsWith("/media/") || d.dir.startsWith("/run/media/"))
        return CKWBrowserIconProc::kRemovableDrive;
    return CKWBrowserIconProc::kLocalDrive;
}

// A folder of a million files holds a handful of extensions: every node of one extension shares
// one copy of its type text. The table is per worker thread and starts again when a folder of odd
// names fills it.
QString sharedTypeText(const CEntryRecord& r)
{
    const QString text = r.TypeText();
    if (r.kind != CEntryRecord::kFile)
        return text;
    thread_local QHash<QString, QString> texts;
    auto it = texts.constFind(text);
    if (it != texts.constEnd())
        return it.value();
    if (texts.size() >= 256)
        texts.clear();
    return texts.insert(text, text).value();
}

} // namespace

const QString& CGetDataCommon::ComputerName()
{
    static const QString name = QStringLiteral("\\\\Computer");
    return name;
}

const QString& CGetDataCommon::NetworkName()
{
    static const QString name = QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Network"));
    return name;
}

const QString& CGetDataCommon::NasName()
{
    static const QString name = QStringLiteral(QT_TRANSLATE_NOOP("QObject", "NAS"));
    return name;
}

CGetDataCommon::CGetDataCommon(uint32_t options, QObject* parent)
    : QObject(parent), m_options(options),
      m_delivery(new CDeliveryQueue([this](NodeIndex node, qint32 err) { Finished(node, err); })),
      m_logins(new CShareLogins)
{
    RegisterNodeMetaTypes();
    // Each folder is one job; a few run side by side so a slow share does not hold up the rest.
    m_pool = new CLoadPool(qBound(2, QThread::idealThreadCount(), 4));
    // The system icons are made here, on the GUI thread; workers only copy them.
    CKWBrowserIconProc::Instance();
}

CGetDataCommon::~CGetDataCommon()
{
    m_cancel = true;
    // Workers waiting for a login are released and leave before the members go.
    m_logins->Close();
    delete m_pool; // waits for the jobs
    m_pool = nullptr;
    // The queue gives back what no model took when it goes, after the workers.
}

NodeIndex CGetDataCommon::GetRootIndex() const
{
    return m_model ? m_model->GetRootIndex() : 0;
}

void CGetDataCommon::SetFileBrower(IFileBrower* browser)
{
    m_browser = browser;
    auto* fb = dynamic_cast<CFileBrower*>(browser);
    CFileSystemModel* model = fb ? fb->Model() : nullptr;
    if (model == m_model.data())
        return;
    m_started = false;
    m_model = model;
    m_delivery->SetModel(model);
}

void CGetDataCommon::Start()
{
    if (!m_model || m_started)
        return;
    m_started = true;
    SendRoots();
}

void CGetDataCommon::AddInstance(void* owner, QSharedPointer<CGetDataCommon> data)
{
    if (!owner || !data)
        return;
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    instances().insert(owner, data);
}

void CGetDataCommon::RemoveInstances(void* owner)
{
    QList<QSharedPointer<CGetDataCommon>> dropped;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        dropped = instances().values(owner);
        instances().remove(owner);
    }
    // The last references may go here, outside the lock: destruction waits for workers.
    dropped.clear();
}

int CGetDataCommon::InstanceCount(void* owner)
{
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    return instances().count(owner);
}

// ---- nodes

NodeIndex CGetDataCommon::MakeNode(const CEntryRecord& r, int kind)
{
    return NewNode(r, kind)->Id();
}

CLvFileSystemNode* CGetDataCommon::NewNode(const CEntryRecord& r, int kind)
{
    CLvFileSystemNode* n = CLvFileSystemNodeMgr::CreateNode(r.name, 0, nullptr);
    auto info = CNodeInfoPtr::create();
    info->kind = r.kind;
    info->size = r.IsDir() ? 0 : r.size;
    info->modified = r.Modified();
    info->permissions = r.permissions;
    info->hidden = r.hidden;
    info->typeText = sharedTypeText(r);
    info->icon = CKWBrowserIconProc::Instance().EntryIcon(r);
    n->SetInfo(info);
    // The views show a node's own icon and otherwise a folder's or a file's: a drive needs its own.
    if (r.kind == CEntryRecord::kDrive)
        n->SetIcon(info->icon);
    if (kind == NodeKind::kNone)
        kind = kKindLocal;
    n->SetKind(kind);
    // Names below a folder of this machine or of an image keep their case ("Makefile" and
    // "makefile" are two files); below a share they do not.
    n->SetCaseSensitiveNames(kind != kKindShare && kind != NodeKind::kNasFolder);
    // A link back into its own ancestors is shown but never entered.
    n->SetMayHaveChildren(r.IsDir() && !r.loop);
    if (r.loop)
        n->SetProperty(kPropLinkLoop, true);
    // The reference goes with the batch; the model gives it back once it has copied the node.
    return n;
}

NodeIndex CGetDataCommon::MakeGroupNode(const QString& name, const QString& display, int kind, bool pathStop,
                                        const QString& pathText)
{
    CLvFileSystemNode* n = CLvFileSystemNodeMgr::CreateNode(name, 0, nullptr);
    n->SetDisplayName(display);
    n->SetKind(kind);
    n->SetPathStop(pathStop);
    n->SetPathText(pathText);
    n->SetIcon(CKWBrowserIconProc::Instance().PlaceIcon(placeOfGroup(kind)));
    // Groups, hosts and shares are folders to the views (and not drives to the pages' walks): a
    // node without a record reads as a file, and the folder tree shows no files.
    auto info = CNodeInfoPtr::create();
    info->kind = InfoKind::kDirectory;
    if (kind == kKindHost || kind == NodeKind::kNasDevice)
        info->typeText = QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Computer"));
    else if (kind == kKindShare || kind == NodeKind::kNasShare)
        info->typeText = QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Network share"));
    else
        info->typeText = QStringLiteral(QT_TRANSLATE_NOOP("QObject", "System Folder"));
    info->icon = n->Icon();
    n->SetInfo(info);
    return n->Id();
}

bool CGetDataCommon::Shows(const CEntryRecord& r) const
{
    // Without file-level entries only drives and folders are listed (links to folders included).
    return (m_options & CFileBrower::kOptFiles) || r.IsDir();
}

void CGetDataCommon::SendRecords(NodeIndex parent, const CEntryBatch& batch, bool last, int* streamNo, int childKind)
{
    Delivery d;
    d.parent = parent;
    d.children.reserve(batch.size());
    for (const CEntryRecord& r : batch)
        if (Shows(r))
            d.children.append(MakeNode(r, childKind));
    d.iStream = last ? -1 : (*streamNo)++;
    d.iEnd = 0;
    Push(std::move(d));
}

void CGetDataCommon::RunLoad(NodeIndex node, std::function<uint32_t(const std::atomic_bool&)> job)
{
    if (m_loading.contains(node))
        return;
    m_loading.insert(node);
    m_pool->Start([this, node, job]() {
        // The job itself watches the flag, so a cancelled job still ends its folder properly.
        const uint32_t err = job(m_cancel);
        PushEnd(node, err);
    });
}

void CGetDataCommon::LoadList(NodeIndex node, std::function<QList<NodeIndex>(const CStorageMap&)> list)
{
    // Places made from the configuration arrive as one final batch.
    RunLoad(node, [this, node, list](const std::atomic_bool&) {
        PushLastBatch(node, list(*CStorageMap::Current()));
        return 0u;
    });
}

void CGetDataCommon::Finished(NodeIndex node, qint32 err)
{
    m_loading.remove(node);
    if (NRResult::Failed(uint32_t(err)))
        NR_TRACE(u"File = %s, Line = %u, loading node %u failed: 0x%08X", __FILE__, __LINE__, unsigned(node), unsigned(err));
    const NodeIndex root = GetRootIndex();
    if (node == root && m_model) {
        // The groups are cheap to list: they load as soon as they exist.
        NodePtr r = Node(root);
        if (r) {
            for (NodeIndex child : r->ChildIds()) {
                NodePtr c = Node(child);
                const int kind = c ? c->GetKind() : NodeKind::kNone;
                if (kind == NodeKind::kComputer || kind == NodeKind::kNetworkGroup || kind == NodeKind::kNasGroup)
                    Expand(child);
            }
        }
    }
    emit DoLoadFinished(node, err);
    if (node == m_walkNode)
        ContinuePath(node, err);
}

void CGetDataCommon::WaitIdle()
{
    for (;;) {
        m_pool->WaitForDone();
        QCoreApplication::sendPostedEvents(this);
        m_delivery->DrainAll();
        // Delivering may have started more loads (the groups below the root).
        if (m_delivery->IsEmpty() && m_pool->IsIdle())
            return;
    }
}

// ---- what each node lists

void CGetDataCommon::SendRoots()
{
    QList<NodeIndex> tops;
    tops.append(MakeGroupNode(ComputerName(), QStringLiteral(QT_TRANSLATE_NOOP("QObject", "My Computer")),
                              NodeKind::kComputer, false, QString()));
    if (m_options & CFileBrower::kOptNetworkGroups) {
        tops.append(MakeGroupNode(NetworkName(), NetworkName(), NodeKind::kNetworkGroup, true, QString()));
        tops.append(MakeGroupNode(NasName(), NasName(), NodeKind::kNasGroup, true, QString()));
    }
    PushLastBatch(GetRootIndex(), tops);
    PushEnd(GetRootIndex(), 0);
}

void CGetDataCommon::Expand(NodeIndex node)
{
    NodePtr n = Node(node);
    if (!n || !m_model) {
        emit DoLoadFinished(node, qint32(n ? kErrNoModel : kErrNodeGone));
        return;
    }
    if (n->Property(kPropLinkLoop).toBool()) {
        // A folder link into its own ancestors: shown, finished empty, never entered.
        PushLastBatch(node);
        PushEnd(node, kErrLinkLoop);
        return;
    }
    const int kind = n->GetKind();
    const QString name = n->Name();
    const QString display = n->DisplayName();
    const QString windowsPath = WindowsPathOf(node);
    n.reset();

    // A share that wants a login gets one before anything below it is listed; without one it
    // shows no children.
    const uint32_t login = EnsureLogin(CStorageMap::Current()->ShareBehind(windowsPath));
    if (login != 0) {
        PushLastBatch(node);
        PushEnd(node, login);
        return;
    }

    if (kind == NodeKind::kComputer) {
        LoadList(node, [this](const CStorageMap& map) {
            const QList<CStorageMap::Drive> table = map.Drives();
            CEntryBatch drives;
            for (const CStorageMap::Drive& d : table) {
                CEntryRecord r;
                r.name = QString(d.letter) + QLatin1Char(':');
                r.kind = CEntryRecord::kDrive;
                r.permissions = 0x7777;
                drives.append(r);
            }
            QList<NodeIndex> ids;
            for (int i = 0; i < drives.size(); ++i) {
                const CStorageMap::Drive& d = table.at(i);
                const NodeIndex id = MakeNode(drives.at(i), kKindDrive);
                NodePtr dn = Node(id);
                if (dn) {
                    const QIcon icon = CKWBrowserIconProc::Instance().PlaceIcon(placeOfDrive(d));
                    CNodeInfoPtr info = CNodeInfoPtr::create(*dn->Info());
                    info->icon = icon;
                    qint64 total = 0, free = 0;
                    if (!d.dir.isEmpty() && CStorageMap::SpaceOf(d.dir, &total, &free)) {
                        info->size = total;
                        info->secondSize = free;
                    }
                    dn->SetInfo(info);
                    dn->SetIcon(icon);
                    dn->SetPathText(d.type == CStorageMap::kDriveMappedShare ? d.share : drives.at(i).name + QLatin1Char('\\'));
                    dn->SetProperty(kPropDriveType, int(d.type));
                }
                ids.append(id);
            }
            return ids;
        });
        return;
    }
    if (kind == NodeKind::kNetworkGroup) {
        LoadList(node, [this](const CStorageMap& map) {
            QList<NodeIndex> hosts;
            for (const QString& host : map.Hosts())
                hosts.append(MakeGroupNode(host, QString(), kKindHost, false, QStringLiteral("\\\\") + host));
            return hosts;
        });
        return;
    }
    if (kind == kKindHost || kind == NodeKind::kNasDevice) {
        const QString server = kind == kKindHost ? QStringLiteral("\\") + name
                                                 : QStringLiteral("NAS:\\") + (display.isEmpty() ? name : display);
        LoadList(node, [this, server](const CStorageMap& map) {
            QList<NodeIndex> shares;
            for (const CServerShares::Share& s : CServerShares::FromMap(map, server))
                shares.append(MakeGroupNode(s.name, QString(), s.kind, false, s.unc));
            return shares;
        });
        return;
    }
    if (kind == NodeKind::kNasGroup) {
        LoadList(node, [this](const CStorageMap& map) {
            QList<NodeIndex> devices;
            for (const CStorageMap::NasDevice& dev : map.NasDevices())
                devices.append(MakeGroupNode(dev.name, dev.name, NodeKind::kNasDevice, false, dev.uncRoot));
            return devices;
        });
        return;
    }
    if (windowsPath.isEmpty()) {
        emit DoLoadFinished(node, qint32(kErrNotAFolder));
        return;
    }
    RunLoad(node, [this, node, windowsPath](const std::atomic_bool& cancel) {
        return LoadFolder(node, windowsPath, cancel);
    });
}

uint32_t CGetDataCommon::LoadFolder(NodeIndex node, const QString& windowsPath, const std::atomic_bool& cancel)
{
    const auto map = CStorageMap::Current();
    QByteArray local;
    uint32_t err = map->ToLocal(windowsPath, &local);
    int childKind = NodeKind::kNone;
    if (windowsPath.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive))
        childKind = NodeKind::kNasFolder;
    else if (windowsPath.startsWith(QLatin1String("\\\\")))
        childKind = kKindShare;
    bool finished = false;
    int streamNo = 0;
    if (NRResult::Succeeded(err)) {
        CLocalEnumerator enumerator(kBatchSize);
        err = enumerator.List(
            local,
            [&](CEntryBatch&& batch, bool last) {
                SendRecords(node, batch, last, &streamNo, childKind);
                finished = finished || last;
            },
            &cancel);
    }
    if (!finished) {
        // An unreadable or vanished folder still ends its loading, with no (more) children.
        PushLastBatch(node);
    }
    return err;
}

uint32_t CGetDataCommon::CheckNetworkPath(const QString& path, bool mapped)
{
    if (path.isEmpty())
        return kErrNoNetworkPath;
    const auto map = CStorageMap::Current();
    const uint32_t rc = map->CheckNetworkPath(path, mapped, 5000);
    if (rc != 0)
        return rc;
    return EnsureLogin(map->ShareBehind(path));
}

// ---- paths

QString CGetDataCommon::WindowsPathOf(NodeIndex node) const
{
    QStringList names;
    NodeIndex id = node;
    NodeIndex top = 0;
    while (id) {
        NodePtr n = Node(id);
        if (!n)
            return QString();
        const NodeIndex parent = n->Parent();
        if (!CLvFileSystemNodeMgr::IsValidNode(parent))
            return QString(); // the root itself
        NodePtr p = Node(parent);
        if (p && !CLvFileSystemNodeMgr::IsValidNode(p->Parent())) {
            top = id;
            break;
        }
        names.prepend(n->Name());
        id = parent;
    }
    NodePtr t = Node(top);
    if (!t)
        return QString();
    switch (t->GetKind()) {
    case NodeKind::kComputer:
        return names.join(QLatin1Char('\\'));
    case NodeKind::kNetworkGroup:
        return names.isEmpty() ? QString() : QStringLiteral("\\\\") + names.join(QLatin1Char('\\'));
    case NodeKind::kNasGroup:
        return names.isEmpty() ? QString() : QStringLiteral("NAS:\\") + names.join(QLatin1Char('\\'));
    default:
        break;
    }
    names.prepend(t->Name());
    return names.join(QLatin1Char('\\'));
}

QByteArray CGetDataCommon::SelectionPathOf(NodeIndex node) const
{
    const int type = RootTypeOf(node);
    if (type == kRootNetwork) {
        const QString p = WindowsPathOf(node);
        return p.toUtf8();
    }
    if (type == kRootNas) {
        // The model turns the device's UNC root into the NAS form itself.
        const QString p = WindowsPathOf(node);
        const QString unc = CStorageMap::Current()->NasToUnc(p);
        return unc.toUtf8();
    }
    return QByteArray();
}

int CGetDataCommon::RootTypeOf(NodeIndex node) const
{
    NodeIndex id = node;
    int driveType = 0;
    while (id) {
        NodePtr n = Node(id);
        if (!n)
            return kRootLocal;
        if (n->GetKind() == kKindDrive)
            driveType = n->Property(kPropDriveType).toInt();
        switch (n->GetKind()) {
        case NodeKind::kNetworkGroup:
            return kRootNetwork;
        case NodeKind::kNasGroup:
            return kRootNas;
        case NodeKind::kComputer:
            return driveType == int(CStorageMap::kDriveMappedShare) ? kRootMappedDrive : kRootLocal;
        default:
            break;
        }
        id = n->Parent();
    }
    return kRootLocal;
}

// ---- path walk

bool CGetDataCommon::ExpandPath(NodeIndex root, const QStringList& components)
{
    if (!m_model || !CLvFileSystemNodeMgr::IsValidNode(root) || components.isEmpty())
        return false;
    m_walkNode = root;
    m_walkRest = components;
    NodePtr n = Node(root);
    if (n && n->InitFinish()) {
        // Already loaded: walk on as if it had just finished.
        n.reset();
        QMetaObject::invokeMethod(
            this, [this, root]() { if (m_walkNode == root) { emit DoLoadFinished(root, 0); ContinuePath(root, 0); } },
            Qt::QueuedConnection);
        return true;
    }
    n.reset();
    Expand(root);
    return true;
}

void CGetDataCommon::ContinuePath(NodeIndex node, qint32 err)
{
    if (NRResult::Failed(uint32_t(err)) || m_walkRest.isEmpty()) {
        m_walkNode = 0;
        m_walkRest.clear();
        return;
    }
    NodePtr n = Node(node);
    const NodeIndex child = n ? n->ChildByTypedName(m_walkRest.first()) : 0;
    n.reset();
    m_walkRest.removeFirst();
    NodePtr c = Node(child);
    if (!c || m_walkRest.isEmpty() || !(c->IsDir() || c->IsDrive())) {
        m_walkNode = 0;
        m_walkRest.clear();
        return;
    }
    m_walkNode = child;
    if (c->InitFinish()) {
        c.reset();
        QMetaObject::invokeMethod(
            this, [this, child]() { if (m_walkNode == child) { emit DoLoadFinished(child, 0); ContinuePath(child, 0); } },
            Qt::QueuedConnection);
        return;
    }
    c.reset();
    Expand(child);
}
