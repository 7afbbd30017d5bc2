#include "CUISearchFileData.h"

#include "CGetImgFileData.h"
#include "CImageIndex.h"
#include "CImageSearch.h"
#include "CKWSyncObj.h"
#include "CLoadPool.h"
#include "CSearchResultBrower.h"
#include "CSearchResultModel.h"
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
    connect(this, &CUISearchFileData::DoHitsReady, this, &CUISearchFileData::OnHitsReady, Qt::QueuedConnection);
    m_showTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &CUISearchFileData::OnHitsReady);
}

CUISearchFileData::~CUISearchFileData()
{
    m_cancel = true;
    m_pool->WaitForDone();
}

void CUISearchFileData::SetExit()
{
    m_cancel = true;
    // Results of a stopped search are not shown: what waits for the GUI thread goes.
    std::lock_guard<std::mutex> lock(m_hitsMutex);
    m_pending.clear();
}

void CUISearchFileData::WaitFinish()
{
    // A search runs once: its thread is given back as soon as it has stopped, however long the
    // library keeps the search alive.
    m_pool->EndThreads();
}

void CUISearchFileData::SetFileBrower(IFileBrower* browser)
{
    CGetDataCommon::SetFileBrower(browser);
    auto* results = dynamic_cast<CSearchResultBrower*>(browser);
    m_results = results ? results->ResultModel() : nullptr;
}

void CUISearchFileData::Start()
{
    if (!m_results || m_started)
        return;
    m_started = true;
    m_sinceShown.start();
    m_pool->Start([this] { Search(); });
}

void CUISearchFileData::Search()
{
    uint32_t err = 0;
    const QSharedPointer<const CImageIndex> index = CGetImgFileData::SharedIndex(m_imagePath, m_cancel, &err);
    // Hands what is there to the GUI thread, unless a hand-over is on its way already.
    auto post = [this](bool done, uint32_t code) {
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(m_hitsMutex);
            m_done = done;
            m_err = code;
            wake = !m_posted;
            m_posted = true;
        }
        if (wake)
            emit DoHitsReady();
    };
    if (index) {
        uint32_t scope = CImageIndex::kRoot;
        if (!m_folder.isEmpty()) {
            scope = index->Find(m_folder);
            if (scope == CImageIndex::kNone)
                err = kErrFolderNotInImage;
        }
        if (NRResult::Succeeded(err)) {
            const CImageSearch search(m_filter);
            err = search.Run(
                *index, scope, true,
                [&](QVector<uint32_t>&& hits) {
                    {
                        std::lock_guard<std::mutex> lock(m_hitsMutex);
                        // A stopped search hands over nothing more.
                        if (m_cancel.load(std::memory_order_relaxed))
                            return;
                        m_index = index;
                        m_pending.insert(m_pending.end(), hits.cbegin(), hits.cend());
                    }
                    m_hits += hits.size();
                    post(false, 0);
                },
                &m_cancel);
        }
    }
    post(true, err);
    m_finished = true;
    if (m_sync)
        m_sync->Set();
}

void CUISearchFileData::OnHitsReady()
{
    std::vector<uint32_t> hits;
    QSharedPointer<const CImageIndex> index;
    bool done = false;
    uint32_t err = 0;
    {
        std::lock_guard<std::mutex> lock(m_hitsMutex);
        hits.swap(m_pending);
        index = m_index;
        done = m_done;
        err = m_err;
        m_posted = false;
    }
    if (m_reported)
        return;
    const bool shown = m_results && !m_cancel;
    if (!shown)
        m_unshown.clear();
    else
        m_unshown.insert(m_unshown.end(), hits.cbegin(), hits.cend());
    if (!done) {
        if (m_unshown.empty())
            return;
        const qint64 wait = kShowEveryMs - m_sinceShown.elapsed();
        if (wait > 0) {
            if (!m_showTimer.isActive())
                m_showTimer.start(int(wait));
            return;
        }
    }
    if (shown && !m_unshown.empty()) {
        m_results->Append(index, m_unshown);
        m_unshown.clear();
    }
    m_sinceShown.restart();
    if (!done)
        return;
    m_reported = true;
    m_pool->EndThreads(); // the worker is past its last hand-over
    if (shown)
        m_results->Finish();
    // A search stopped before the list took all its hits did not show what it found, even when
    // its worker had got to the end: the page must not take the list for its results.
    const bool ok = shown && NRResult::Succeeded(err);
    NR_TRACE(u"File = %s, Line = %u, search %S finished: %d hits, 0x%08X", __FILE__, __LINE__, m_filter.utf16(),
             HitCount(), unsigned(err));
    emit DoSearchFinished(ok, m_imagePath, m_folder, m_filter);
}
