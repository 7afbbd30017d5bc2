#pragma once
#include "CFileSystemModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>
#include <mutex>

// The ordered road from a data source's workers to its model: workers push batches of new nodes
// and the ends of folders' loading from any thread; the GUI thread drains them in order, a small
// time budget per turn, so a folder's last batch always reaches the model before its end is told.
//
// Lives on the GUI thread. Owns the node references of every batch not yet handed to the model
// (given back when the model is gone, on DropQueuedRows and on destruction).
class CDeliveryQueue : public QObject
{
    Q_OBJECT
public:
    // How long one turn of delivery may hold the GUI thread (benchmarks deliver the same way).
    static constexpr int kDrainBudgetMs = 8;

    // One delivery: a batch for parent, or the end of a folder's loading.
    struct Delivery
    {
        NodeIndex parent = 0;
        QList<NodeIndex> children;
        int iStream = 0;
        int iEnd = 0;
        bool done = false;   // load finished: no batch, err is the result
        qint32 err = 0;
    };

    // onEnd is called on the GUI thread for each end of loading, in queue order.
    explicit CDeliveryQueue(std::function<void(NodeIndex, qint32)> onEnd);
    ~CDeliveryQueue() override;

    // Batches go to this model from now on (null: they are given back when their turn comes).
    void SetModel(CFileSystemModel* model);

    // Any thread.
    void Push(Delivery&& d);
    // The last batch of parent (children may be none): it completes parent in the model.
    void PushLastBatch(NodeIndex parent, QList<NodeIndex> children = {});
    // The end of parent's loading (onEnd with err), told after what was queued before.
    void PushEnd(NodeIndex parent, uint32_t err);
    // Gives back the rows of every batch that waits; the batches still go, so folders are still
    // completed and their ends told.
    void DropQueuedRows();
    bool IsEmpty() const;

    // Delivers everything queued now, whatever the budget (GUI thread).
    void DrainAll();

    // Drops the two references a queued node holds: the finder's and the batch's.
    static void ReleaseNodes(const QList<NodeIndex>& ids);

private slots:
    void Drain();
    // The model applied the last batch of node: an end of loading that waits for it goes on.
    void OnFolderLoaded(NodeIndex node);
    // The model went away: nothing is held back any more.
    void OnModelGone();

private:
    // Posts a Drain unless one is posted already.
    void PostDrain();

    std::function<void(NodeIndex, qint32)> m_onEnd;
    QPointer<CFileSystemModel> m_model;

    mutable std::mutex m_mutex; // guards m_queue and m_drainPosted
    QList<Delivery> m_queue;
    bool m_drainPosted = false;
    // GUI thread only. Folders whose last batch the model holds back (it sorts): their end of
    // loading, and everything queued behind it, waits until the model tells that the rows are in.
    QSet<NodeIndex> m_heldBack;
    bool m_parked = false; // the queue's head is the end of a held-back folder
};
