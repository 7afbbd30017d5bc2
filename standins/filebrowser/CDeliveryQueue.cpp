#include "CDeliveryQueue.h"

#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"

#include <QCoreApplication>
#include <QElapsedTimer>

CDeliveryQueue::CDeliveryQueue(std::function<void(NodeIndex, qint32)> onEnd) : m_onEnd(std::move(onEnd))
{
}

CDeliveryQueue::~CDeliveryQueue()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Delivery& d : qAsConst(m_queue))
        ReleaseNodes(d.children);
    m_queue.clear();
}

void CDeliveryQueue::SetModel(CFileSystemModel* model)
{
    if (m_model)
        disconnect(m_model.data(), nullptr, this, nullptr);
    m_model = model;
    OnModelGone();
    if (model) {
        connect(model, &CFileSystemModel::DoFolderLoaded, this, &CDeliveryQueue::OnFolderLoaded);
        connect(model, &QObject::destroyed, this, &CDeliveryQueue::OnModelGone);
    }
}

void CDeliveryQueue::ReleaseNodes(const QList<NodeIndex>& ids)
{
    for (NodeIndex id : ids) {
        CLvFileSystemNode* n = CLvFileSystemNodeMgr::GetNode(id);
        if (!n)
            continue;
        n->Release(); // ours from GetNode
        n->Release(); // the batch's
    }
}

void CDeliveryQueue::DropQueuedRows()
{
    QList<NodeIndex> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (Delivery& d : m_queue) {
            dropped += d.children;
            d.children.clear();
        }
    }
    ReleaseNodes(dropped);
}

bool CDeliveryQueue::IsEmpty() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.isEmpty();
}

void CDeliveryQueue::Push(Delivery&& d)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.append(std::move(d));
    }
    PostDrain();
}

void CDeliveryQueue::PostDrain()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_drainPosted)
            return;
        m_drainPosted = true;
    }
    QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void CDeliveryQueue::OnFolderLoaded(NodeIndex node)
{
    if (m_heldBack.remove(node) && m_parked) {
        m_parked = false;
        PostDrain();
    }
}

void CDeliveryQueue::OnModelGone()
{
    m_heldBack.clear();
    if (m_parked) {
        m_parked = false;
        PostDrain();
    }
}

void CDeliveryQueue::PushLastBatch(NodeIndex parent, QList<NodeIndex> children)
{
    Delivery d;
    d.parent = parent;
    d.children = std::move(children);
    d.iStream = -1;
    Push(std::move(d));
}

void CDeliveryQueue::PushEnd(NodeIndex parent, uint32_t err)
{
    Delivery d;
    d.parent = parent;
    d.done = true;
    d.err = qint32(err);
    Push(std::move(d));
}

void CDeliveryQueue::Drain()
{
    // Deliveries run in order until a small time budget is spent; the rest waits for the next
    // turn of the event loop, so a fast worker never holds the GUI for a whole large folder.
    QElapsedTimer budget;
    budget.start();
    for (;;) {
        Delivery d;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.isEmpty()) {
                m_drainPosted = false;
                return;
            }
            if (m_queue.first().done && m_heldBack.contains(m_queue.first().parent)) {
                // The model holds the folder's last batch back while it sorts; its end is told
                // only once the rows are really there (OnFolderLoaded), and everything queued
                // behind it waits too.
                m_parked = true;
                m_drainPosted = false;
                return;
            }
            if (budget.elapsed() >= kDrainBudgetMs) {
                // Still posted: come back after the events that wait.
                QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
                return;
            }
            d = m_queue.takeFirst();
        }
        if (d.done) {
            m_onEnd(d.parent, d.err);
        } else if (!m_model) {
            ReleaseNodes(d.children);
        } else {
            // The model gives back the batch's references. A last batch it applies at once
            // says so (DoFolderLoaded) before AddNode returns; one it holds back stays marked.
            if (d.iStream == -1)
                m_heldBack.insert(d.parent);
            m_model->AddNode(d.parent, d.children, d.iStream, d.iEnd);
        }
    }
}

void CDeliveryQueue::DrainAll()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.isEmpty())
                return;
        }
        Drain();
        // Lets a model that holds rows back (a sort) finish, so a waiting end can be told.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}
