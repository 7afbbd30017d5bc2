#include "CUISearchFileData.h"

#include "CGetImgFileData.h"
#include "CImageIndex.h"
#include "CLoadPool.h"
#include "CImageSearch.h"
#include "CKWSyncObj.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CTrace.h"


CUISearchFileData::CUISearchFileData(int searchType, CKWSyncObj* sync, IUIFileSearch* hostSearch,
                                     const QString& imagePath, const QString& folder, const QString& filter,
                                     const QString& text)
    : CGetDataCommon(0),
      m_searchType(searchType),
      m_sync(sync),
      m_hostSearch(hostSearch),
      m_imagePath(imagePath),
      m_folder(folder),
      m_filter(filter),
      m_text(text)
{
    connect(this, &CGetDataCommon::DoLoadFinished, this, &CUISearchFileData::OnRootLoaded);
}

CUISearchFileData::~CUISearchFileData()
{
    m_cancel = true;
    m_pool->WaitForDone();
}

void CUISearchFileData::SetExit()
{
    m_cancel = true;
    // Results of a stopped search are not shown: the GUI thread need not insert what waits.
    DropQueuedRows();
}

void CUISearchFileData::WaitFinish()
{
    // A search runs once: its thread is given back as soon as it has stopped, however long the
    // library keeps the search alive.
    m_pool->EndThreads();
}

void CUISearchFileData::Expand(NodeIndex node)
{
    emit DoLoadFinished(node, qint32(kErrNotAFolder));
}

void CUISearchFileData::SendRoots()
{
    const NodeIndex root = GetRootIndex();
    RunLoad(root, [this, root](const std::atomic_bool& cancel) -> uint32_t {
        uint32_t err = 0;
        const QSharedPointer<const CImageIndex> index = CGetImgFileData::SharedIndex(m_imagePath, cancel, &err);
        int streamNo = 0;
        if (index) {
            uint32_t scope = CImageIndex::kRoot;
            if (!m_folder.isEmpty()) {
                scope = index->Find(m_folder);
                if (scope == CImageIndex::kNone)
                    err = kErrFolderNotInImage;
            }
            if (NRResult::Succeeded(err)) {
                const CImageSearch search(m_filter);
                uint32_t lastParent = CImageIndex::kNone;
                QString parentPath;
                err = search.Run(
                    *index, scope, true,
                    [&](QVector<uint32_t>&& hits) {
                        Delivery d;
                        d.parent = root;
                        d.children.reserve(hits.size());
                        for (uint32_t i : qAsConst(hits)) {
                            // A stopped search hands over nothing more.
                            if (cancel.load(std::memory_order_relaxed))
                                break;
                            CEntryRecord r = index->Record(i);
                            const QString name = r.name;
                            // Hits of one folder come one after the other: its path is made once.
                            if (index->Parent(i) != lastParent) {
                                lastParent = index->Parent(i);
                                parentPath = index->Path(lastParent);
                            }
                            // A flat list names rows by their full path (two hits may share a
                            // name); the row shows the entry's own name.
                            r.name = parentPath.isEmpty() ? name : parentPath + QLatin1Char('\\') + name;
                            CLvFileSystemNode* n = NewNode(r, NodeKind::kNone);
                            n->SetDisplayName(name);
                            n->SetPathText(r.name);
                            n->SetMayHaveChildren(false);
                            d.children.append(n->Id());
                        }
                        if (cancel.load(std::memory_order_relaxed)) {
                            ReleaseNodes(d.children);
                            return;
                        }
                        m_hits += d.children.size();
                        d.iStream = streamNo++;
                        Push(std::move(d));
                    },
                    &cancel);
            }
        }
        PushLastBatch(root);
        m_finished = true;
        if (m_sync)
            m_sync->Set();
        return err;
    });
}

void CUISearchFileData::OnRootLoaded(NodeIndex node, qint32 err)
{
    if (m_reported || node != GetRootIndex())
        return;
    m_reported = true;
    m_pool->EndThreads(); // the worker is past its last delivery
    const bool ok = NRResult::Succeeded(uint32_t(err));
    NR_TRACE(u"File = %s, Line = %u, search %S finished: %d hits, 0x%08X", __FILE__, __LINE__, m_filter.utf16(),
             HitCount(), unsigned(err));
    emit DoSearchFinished(ok, m_imagePath, m_folder, m_filter);
}
