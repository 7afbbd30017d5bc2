#pragma once
#include "CEntryRecord.h"
#include "CFileSystemModel.h"
#include "NRResult.h"
#include "NodeKind.h"

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

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
// push finished batches into a queue that the GUI thread drains in order, so a folder's last
// batch always reaches the model before its DoLoadFinished.
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
    // Login of a share marked for one: the user cancelled the dialog; the configured password was
    // typed wrong kMaxLoginAttempts times; nobody answered within kLoginWaitMs; the source went
    // away while a worker waited; the share's dialog is open already (a re-entrant request on the
    // source's own thread). All but the timeout and the busy one carry access denied (5).
    static constexpr uint32_t kErrLoginCancelled = NRResult::Make(0x745, 5);
    static constexpr uint32_t kErrLoginRefused = NRResult::Make(0x746, 5);
    static constexpr uint32_t kErrLoginTimeout = NRResult::Make(0x747, 0x5B4);
    static constexpr uint32_t kErrLoginAbandoned = NRResult::Make(0x748, 5);
    static constexpr uint32_t kErrLoginBusy = NRResult::Make(0x749, 0xAA);
    static constexpr int kMaxLoginAttempts = 3;
    // How long one turn of delivery may hold the GUI thread (benchmarks deliver the same way).
    static constexpr int kDrainBudgetMs = 8;
    static constexpr int kLoginWaitMs = 300000;

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

    // Names of the top-level nodes (the model keys nodes by name).
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

    // Logins this source holds, by share ("\\srv\share", trailing backslash optional): what the
    // user typed in its login dialog, or what SetCredentials gave. Any thread.
    void SetCredentials(const QString& share, const QString& user, const QString& password);
    bool HeldCredentials(const QString& share, QString* user, QString* password) const;
    // 0 when the share needs no login or one is known (held, or a user name configured for it);
    // otherwise asks the user with CShareLoginDialog on this source's thread and holds what was
    // entered. From another thread the caller blocks until the dialog is answered, at most
    // kLoginWaitMs; that thread's event loop must be running (the sync executer keeps it so).
    uint32_t EnsureLogin(const QString& share);

    // The Windows form of a model node's location ("C:\x", "\\srv\share\x", "NAS:\\dev\share").
    QString WindowsPathOf(NodeIndex node) const;
    // The selection path of a node for the model (network and NAS forms); empty for others.
    QByteArray SelectionPathOf(NodeIndex node) const;
    // What kind of top-level place a node lies under (kRoot* values).
    int RootTypeOf(NodeIndex node) const;

    // Waits until no worker runs and every queued batch was delivered (tests and the picker).
    void WaitIdle();

signals:
    void DoLoadFinished(NodeIndex node, qint32 err);

protected:
    // One delivery of the queue: a batch for parent, or the end of a folder's loading.
    struct Delivery
    {
        NodeIndex parent = 0;
        QList<NodeIndex> children;
        int iStream = 0;
        int iEnd = 0;
        bool done = false;   // load finished: no batch, err is the result
        qint32 err = 0;
    };

    // Sends the top-level nodes (called once a model is attached).
    virtual void SendRoots();
    // Worker body for one folder; returns the result code for DoLoadFinished.
    virtual uint32_t LoadFolder(NodeIndex node, const QString& windowsPath, const std::atomic_bool& cancel);

    // Runs job on a worker; its result ends node's loading.
    void RunLoad(NodeIndex node, std::function<uint32_t(const std::atomic_bool&)> job);
    // Loads a place whose children come from the storage map, as one final batch.
    void LoadList(NodeIndex node, std::function<QList<NodeIndex>(const CStorageMap&)> list);
    void Push(Delivery&& d);
    // The last batch of parent (children may be none): it completes parent in the model.
    void PushLastBatch(NodeIndex parent, QList<NodeIndex> children = {});
    // The end of parent's loading (DoLoadFinished with err), told after what was queued before.
    void PushEnd(NodeIndex parent, uint32_t err);
    // Sends records as batches of library nodes below parent; the last batch completes it.
    void SendRecords(NodeIndex parent, const CEntryBatch& batch, bool last, int* streamNo, int childKind);
    // A new library node (one reference, handed to the model with the batch).
    NodeIndex MakeNode(const CEntryRecord& r, int kind);
    // The same, for a source that sets more of the node before the batch goes (nobody else can
    // reach it before).
    CLvFileSystemNode* NewNode(const CEntryRecord& r, int kind);
    NodeIndex MakeGroupNode(const QString& name, const QString& display, int kind, bool pathStop, const QString& pathText);
    static void ReleaseNodes(const QList<NodeIndex>& ids);
    // Gives back the rows of every batch that waits for delivery; the batches themselves still
    // go, so folders are still completed and their ends told. Any thread.
    void DropQueuedRows();
    // Whether the options let an entry be listed.
    bool Shows(const CEntryRecord& r) const;

    std::atomic_bool m_cancel{false};
    CLoadPool* m_pool = nullptr;

    // Records per batch.
    static constexpr int kBatchSize = 500;

private slots:
    void Drain();
    // The model applied the last batch of node: an end of loading that waits for it goes on.
    void OnFolderLoaded(NodeIndex node);
    // The model went away: nothing is held back any more.
    void OnModelGone();

private:
    // Posts a Drain unless one is posted already.
    void PostDrain();
    // Delivers everything queued now, whatever the budget (WaitIdle).
    void DrainAll();
    void Finished(NodeIndex node, qint32 err);
    void ContinuePath(NodeIndex node, qint32 err);

    struct LoginRequest;
    bool NeedsLogin(const QString& share) const;
    // The dialog itself, on this source's thread.
    uint32_t AskLogin(const QString& share);
    void AnswerLoginRequest(std::shared_ptr<LoginRequest> request);

    uint32_t m_options;
    IFileBrower* m_browser = nullptr;
    QPointer<CFileSystemModel> m_model;
    QSet<NodeIndex> m_loading;
    bool m_started = false;

    mutable std::mutex m_queueMutex;
    QList<Delivery> m_queue;
    bool m_drainPosted = false;
    // Folders whose last batch the model holds back (it sorts): their end of loading, and
    // everything queued behind it, waits until the model tells that the rows are in.
    QSet<NodeIndex> m_heldBack;
    bool m_parked = false; // the queue's head is the end of a held-back folder

    // The path walk of ExpandPath: the folder it waits on and the names still to go.
    NodeIndex m_walkNode = 0;
    QStringList m_walkRest;

    mutable std::mutex m_credentialMutex;
    QHash<QString, QPair<QString, QString>> m_credentials; // by share, upper case, "\\SRV\SHARE\" form
    QSet<QString> m_askingFor;                              // shares with an open dialog (own thread)
    std::mutex m_loginMutex;                                // guards m_pendingLogins
    std::condition_variable m_loginsGone;                   // a waiter left m_pendingLogins
    QList<std::shared_ptr<LoginRequest>> m_pendingLogins;   // workers waiting for an answer
};
