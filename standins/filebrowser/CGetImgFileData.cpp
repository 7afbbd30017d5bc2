#include "CGetImgFileData.h"

#include "CImageIndex.h"
#include "CLoadPool.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CTrace.h"

#include <QHash>
#include <QSet>
#include <condition_variable>
#include <mutex>
#include <QWeakPointer>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

std::mutex g_indexMutex;
QHash<QString, QWeakPointer<const CImageIndex>>& indexCache()
{
    static QHash<QString, QWeakPointer<const CImageIndex>> cache;
    return cache;
}

std::condition_variable g_indexBuilt;
QSet<QString>& buildingNow()
{
    static QSet<QString> set;
    return set;
}

} // namespace

CGetImgFileData::CGetImgFileData(const _CFileBrowserPara* para, QObject* parent)
    : CGetDataCommon(para ? para->options : 0, parent)
{
    if (para && para->imagePath)
        m_imagePath = QString::fromUtf8(para->imagePath);
}

CGetImgFileData::~CGetImgFileData()
{
    // Workers hold `this`: they must be gone before the members are.
    m_cancel = true;
    m_pool->WaitForDone();
}

QSharedPointer<const CImageIndex> CGetImgFileData::SharedIndex(const QString& imagePath, const std::atomic_bool& cancel,
                                                               uint32_t* err)
{
    *err = 0;
    {
        // One builder per image: a second source of the same image waits for the first one's
        // index instead of reading the image again, and still stops at once when cancelled.
        std::unique_lock<std::mutex> lock(g_indexMutex);
        for (;;) {
            QSharedPointer<const CImageIndex> index = indexCache().value(imagePath).toStrongRef();
            if (index)
                return index;
            if (!buildingNow().contains(imagePath)) {
                buildingNow().insert(imagePath);
                break;
            }
            g_indexBuilt.wait_for(lock, std::chrono::milliseconds(20));
            if (cancel.load()) {
                *err = CImageIndex::kErrCancelled;
                return QSharedPointer<const CImageIndex>();
            }
        }
    }
    auto built = QSharedPointer<CImageIndex>::create();
    *err = built->Build(imagePath, &cancel);
    std::lock_guard<std::mutex> lock(g_indexMutex);
    buildingNow().remove(imagePath);
    g_indexBuilt.notify_all();
    if (NRResult::Failed(*err)) {
        NR_TRACE(u"File = %s, Line = %u, image %S not indexed: 0x%08X", __FILE__, __LINE__, imagePath.utf16(), unsigned(*err));
        return QSharedPointer<const CImageIndex>();
    }
    indexCache().insert(imagePath, built);
    return built;
}

void CGetImgFileData::SendEntries(NodeIndex node, const CImageIndex& index, uint32_t entry)
{
    const uint32_t* kids = index.Children(entry);
    const uint32_t n = index.ChildCount(entry);
    const int batchSize = kBatchSize;
    int streamNo = 0;
    uint32_t i = 0;
    do {
        Delivery d;
        d.parent = node;
        const uint32_t end = qMin(n, i + uint32_t(batchSize));
        for (; i < end; ++i) {
            const CEntryRecord r = index.Record(kids[i]);
            if (!Shows(r))
                continue;
            CLvFileSystemNode* n = NewNode(r, r.kind == CEntryRecord::kDrive ? kKindDrive : NodeKind::kNone);
            // The entry is found again by the node's path when it is opened: a property per
            // node would cost more than the index entry itself.
            n->SetMayHaveChildren(index.ChildCount(kids[i]) > 0);
            d.children.append(n->Id());
        }
        d.iStream = i >= n ? -1 : streamNo++;
        d.iEnd = 0;
        Push(std::move(d));
    } while (i < n && !m_cancel);
}

void CGetImgFileData::SendRoots()
{
    const NodeIndex root = GetRootIndex();
    if (m_imagePath.isEmpty()) {
        PushLastBatch(root);
        PushEnd(root, kErrNoImage);
        return;
    }
    RunLoad(root, [this, root](const std::atomic_bool& cancel) {
        uint32_t err = 0;
        QSharedPointer<const CImageIndex> index = SharedIndex(m_imagePath, cancel, &err);
        {
            std::lock_guard<std::mutex> lock(m_indexMutex);
            m_index = index;
            m_indexErr = err;
        }
        if (!index) {
            // A damaged image shows as an empty tree; the code tells the page why.
            PushLastBatch(root);
            return err;
        }
        SendEntries(root, *index, CImageIndex::kRoot);
        return uint32_t(0);
    });
}

void CGetImgFileData::Expand(NodeIndex node)
{
    NodePtr n(CLvFileSystemNodeMgr::GetNode(node));
    if (!n) {
        emit DoLoadFinished(node, qint32(kErrNodeGone));
        return;
    }
    const QVariant entry = n->Property(kPropIndexEntry);
    const QString path = WindowsPathOf(node);
    n.reset();
    RunLoad(node, [this, node, entry, path](const std::atomic_bool&) {
        QSharedPointer<const CImageIndex> index;
        uint32_t indexErr = 0;
        {
            std::lock_guard<std::mutex> lock(m_indexMutex);
            index = m_index;
            indexErr = m_indexErr;
        }
        if (!index) {
            PushLastBatch(node);
            return indexErr ? indexErr : kErrNotIndexed;
        }
        uint32_t at = entry.isValid() ? entry.toUInt() : index->Find(path);
        if (at == CImageIndex::kNone || at >= index->Count()) {
            PushLastBatch(node);
            return kErrNotInImage;
        }
        SendEntries(node, *index, at);
        return uint32_t(0);
    });
}

uint32_t CGetImgFileData::CheckNetworkPath(const QString& path, bool mapped)
{
    Q_UNUSED(path);
    Q_UNUSED(mapped);
    // Nothing inside an image lies on a network.
    return kErrNoNetworkPath;
}
