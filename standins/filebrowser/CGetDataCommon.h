#pragma once
#include "CDeliveryQueue.h"
#include "CEntryRecord.h"
#include "CFileSystemModel.h"
#include "CShareLogins.h"
#include "NRResult.h"
#include "NodeKind.h"

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class CFileSystemModel;
class CLvFileSystemNode;
class CStorageMap;
class IFileBrower;
class CLoadPool;

// A data source of the browser: enumerates what the browser shows on worker threads and hands
// the results to the model as queued AddNode batches (iStream -1 on the batch that completes a
// folder). This class is the local source: the computer with one drive per letter of the drive
// table, the network group with the configured hosts and shares (and CIFS mounts), the NAS group
// with the configured devices. Image and search sources derive from it.
//
// Lives on the GUI thread. Workers only create library nodes (through the node registry) and
// push finished batches into the delivery queue, so a folder's last batch always reaches the model
// before its DoLoadFinished. Owns the worker pool (its destructor waits for the jobs), the queue
// and the share logins. What remains here is one road: what each place lists, how a folder is
// loaded and how a node's path reads; the image and search sources override parts of it, so it
// stays one class.
class CGetDataCommon : public QObject
{
    Q_OBJECT
public:
    // Codes of DoLoadFinished and of the network path check.
    static constexpr uint32_t kErrNoModel = NRResult::Make(0x740, NRResult::kErrMissingObject);
    static constexpr uint32_t kErrNodeGone = NRResult::Make(0x741, 3);
    static constexpr uint32_t kErrNotAFolder = NRResult::Make(0x742, 0x10B);
    static constexpr uint32_t kErrLinkLoop = NRResult::Make(0x743, 0x780);
    static constexpr uint32_t kErrNoNetworkPath = NRResult::Make(0x744, NRResult::kErrInvalidArg);
    // The share logins' codes, which the network path check passes on.
    static constexpr uint32_t kErrLoginCancelled = CShareLogins::kErrLoginCancelled;
    static constexpr uint32_t kErrLoginRefused = CShareLogins::kErrLoginRefused;
    static constexpr uint32_t kErrLoginTimeout = CShareLogins::kErrLoginTimeout;
    static constexpr uint32_t kErrLoginAbandoned = CShareLogins::kErrLoginAbandoned;
    static constexpr uint32_t kErrLoginBusy = CShareLogins::kErrLoginBusy;

    // Node kinds this source gives (key 1 of a node's properties).
    static constexpr int kKindDrive = NodeKind::kGoToTarget1;
    static constexpr int kKindHost = NodeKind::kGoToTarget9;
    static constexpr int kKindShare = NodeKind::kGoToTarget10;
    // Plain entries carry a kind too (pages show no path for a node without one, and take a
    // local or network entry as a go-to target): local ones the drive's, network ones the share's.
    static constexpr int kKindLocal = NodeKind::kGoToTarget1;

    // Properties this source keeps on its nodes (copied with them into the model).
    static constexpr int kPropLinkLoop = NodeKind::kPropertyKind + 100;   // bool: folder link into its ancestors
    static constexpr int kPropDriveType = NodeKind::kPropertyKind + 101;  // int: CStorageMap drive type
    static constexpr int kPropIndexEntry = NodeKind::kPropertyKind + 102; // uint: entry in the image index

    // Root types (IFileBrower::GetRootType).
    static constexpr int kRootLocal = 0;
    static constexpr int kRootNetwork = 1;
    static constexpr int kRootImage = 2;
    static constexpr int kRootNas = 3;
    static constexpr int kRootMappedDrive = 5;

    // Names of the top-level nodes (the model keys nodes by name). They are stored, compared and
    // written into blocks in English; the tree shows them in the user's language.
    static const QString& ComputerName();  // "\\Computer", shown as "My Computer"
    static const QString& NetworkName();   // "Network"
    static const QString& NasName();       // "NAS"

    explicit CGetDataCommon(uint32_t options = 0, QObject* parent = nullptr);
    // Stops the workers and gives back every batch that has not reached a model.
    ~CGetDataCommon() override;

    uint32_t Options() const { return m_options; }
    // The root of the model results go to (0 before SetFileBrower).
    NodeIndex GetRootIndex() const;
    // Results go to that browser's model (null detaches: later results are dropped).
    virtual void SetFileBrower(IFileBrower* browser);
    // Starts filling the attached model: the top-level nodes (a search source: the search).
    // Once per model.
    virtual void Start();
    IFileBrower* FileBrower() const { return m_browser; }
    CFileSystemModel* Model() const { return m_model.data(); }

    // The library keeps data alive for as long as owner is registered (see RemoveInstances).
    static void AddInstance(void* owner, QSharedPointer<CGetDataCommon> data);
    static void RemoveInstances(void* owner);
    static int InstanceCount(void* owner);

    // Starts loading the children of a model node (a view expanded it). Repeated requests while
    // the node loads are ignored.
    virtual void Expand(NodeIndex node);
    // Loads the folders of a path below root one after the other, each with DoLoadFinished;
    // missing components end the walk (the last DoLoadFinished names the folder that lacks it).
    bool ExpandPath(NodeIndex root, const QStringList& components);
    bool IsLoading(NodeIndex node) const { return m_loading.contains(node); }

    // 0 when the UNC path (or the network root behind a mapped drive) can be browsed, else a
    // failure code. Bounded in time; callable from any thread.
    // A share marked "|login=ask" without a known login asks the user first (see EnsureLogin).
    virtual uint32_t CheckNetworkPath(const QString& path, bool mapped);

    // Logins this source holds, by share: see CShareLogins. Any thread.
    bool HeldCredentials(const QString& share, QString* user, QString* password) const
    {
        return m_logins->Held(share, user, password);
    }
    uint32_t EnsureLogin(const QString& share) { return m_logins->Ensure(share); }

    // The Windows form of a model node's location ("C:\x", "\\srv\share\x", "NAS:\\dev\share").
    QString WindowsPathOf(NodeIndex node) const;
    // The selection path of a node for the model (network and NAS forms); empty for others.
    QByteArray SelectionPathOf(NodeIndex node) const;
    // What kind of top-level place a node lies under (kRoot* values).
    int RootTypeOf(NodeIndex node) const;

    // Waits until no worker runs and every queued batch was delivered (tests and the picker).
    void WaitIdle();

    // A new library node for an entry, with one reference for the caller, who may set more of
    // it before anybody else can reach it (MakeNode hands the reference to a batch).
    static CLvFileSystemNode* NewNode(const CEntryRecord& r, int kind);

signals:
    void DoLoadFinished(NodeIndex node, qint32 err);

protected:
    typedef CDeliveryQueue::Delivery Delivery;

    // Sends the top-level nodes (called once a model is attached).
    virtual void SendRoots();
    // Worker body for one folder; returns the result code for DoLoadFinished.
    virtual uint32_t LoadFolder(NodeIndex node, const QString& windowsPath, const std::atomic_bool& cancel);

    // Runs job on a worker; its result ends node's loading.
    void RunLoad(NodeIndex node, std::function<uint32_t(const std::atomic_bool&)> job);
    // Loads a place whose children come from the storage map, as one final batch.
    void LoadList(NodeIndex node, std::function<QList<NodeIndex>(const CStorageMap&)> list);
    void Push(Delivery&& d) { m_delivery->Push(std::move(d)); }
    void PushLastBatch(NodeIndex parent, QList<NodeIndex> children = {})
    {
        m_delivery->PushLastBatch(parent, std::move(children));
    }
    // The end of parent's loading (DoLoadFinished with err), told after what was queued before.
    void PushEnd(NodeIndex parent, uint32_t err) { m_delivery->PushEnd(parent, err); }
    // Sends records as batches of library nodes below parent; the last batch completes it.
    void SendRecords(NodeIndex parent, const CEntryBatch& batch, bool last, int* streamNo, int childKind);
    // A new library node (one reference, handed to the model with the batch).
    NodeIndex MakeNode(const CEntryRecord& r, int kind);
    NodeIndex MakeGroupNode(const QString& name, const QString& display, int kind, bool pathStop, const QString& pathText);
    static void ReleaseNodes(const QList<NodeIndex>& ids) { CDeliveryQueue::ReleaseNodes(ids); }
    void DropQueuedRows() { m_delivery->DropQueuedRows(); }
    // Whether the options let an entry be listed.
    bool Shows(const CEntryRecord& r) const;

    std::atomic_bool m_cancel{false};
    CLoadPool* m_pool = nullptr;

    // Records per batch.
    static constexpr int kBatchSize = 500;

private:
    void Finished(NodeIndex node, qint32 err);
    void ContinuePath(NodeIndex node, qint32 err);

    uint32_t m_options;
    IFileBrower* m_browser = nullptr;
    QPointer<CFileSystemModel> m_model;
    QSet<NodeIndex> m_loading; // folders with a load on the way (GUI thread)
    bool m_started = false;
    std::unique_ptr<CDeliveryQueue> m_delivery;
    std::unique_ptr<CShareLogins> m_logins;

    // The path walk of ExpandPath: the folder it waits on and the names still to go.
    NodeIndex m_walkNode = 0;
    QStringList m_walkRest;

};
