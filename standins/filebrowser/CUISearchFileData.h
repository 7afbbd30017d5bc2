#pragma once
#include "CGetDataCommon.h"
#include "IFileBrower.h"

#include <QElapsedTimer>
#include <QSharedPointer>
#include <QString>
#include <QTimer>

#include <mutex>
#include <vector>

class CImageIndex;
class CKWSyncObj;
class CSearchResultModel;

// The search engine: a wildcard search ('*', '?', no case) over the image index, in a folder and
// below it or in the whole image. Given to the flat search-result browser (slot 6), it runs on a
// worker of its own and hands the hits (index entries, no nodes) to the browser's list as they
// come; at the end the list takes its order and DoSearchFinished is emitted.
// SetExit and then WaitFinish stop it; WaitFinish may be called from any thread.
class CUISearchFileData : public CGetDataCommon
{
    Q_OBJECT
public:
    static constexpr uint32_t kErrFolderNotInImage = NRResult::Make(0x770, 3);

    CUISearchFileData(int searchType, CKWSyncObj* sync, IUIFileSearch* hostSearch, const QString& imagePath,
                      const QString& folder, const QString& filter, const QString& text = QString());
    ~CUISearchFileData() override;

    void SetExit();
    void WaitFinish();
    bool IsFinished() const { return m_finished.load(); }
    // Hits delivered so far (counted on the worker).
    int HitCount() const { return m_hits.load(); }

    int SearchType() const { return m_searchType; }
    QString ImagePath() const { return m_imagePath; }
    QString Folder() const { return m_folder; }
    QString Filter() const { return m_filter; }

    // Results go to the list of a search-result browser; any other browser gets none.
    void SetFileBrower(IFileBrower* browser) override;
    // Starts the search (once).
    void Start() override;

signals:
    void DoSearchFinished(bool succeeded, QString imagePath, QString searchFolder, QString filter);
    // The worker has hits or its end waiting (queued to the GUI thread).
    void DoHitsReady();

private slots:
    void OnHitsReady();

private:
    // The worker's body.
    void Search();

    // The list takes hits at most this often while the search runs: it is laid out again each
    // time, so a list that grew with every batch would cost more than the search.
    static constexpr int kShowEveryMs = 200;

    int m_searchType;
    CKWSyncObj* m_sync;
    IUIFileSearch* m_hostSearch;
    QString m_imagePath;
    QString m_folder;
    QString m_filter;
    QString m_text;
    std::atomic_bool m_finished{false};
    std::atomic<int> m_hits{0};
    QPointer<CSearchResultModel> m_results;
    bool m_started = false;
    bool m_reported = false;
    // Hits on the GUI thread that the list has not taken yet, and when it last took some.
    std::vector<uint32_t> m_unshown;
    QElapsedTimer m_sinceShown;
    QTimer m_showTimer;

    // Handed from the worker to the GUI thread.
    std::mutex m_hitsMutex;
    std::vector<uint32_t> m_pending;
    QSharedPointer<const CImageIndex> m_index;
    bool m_posted = false;
    bool m_done = false;
    uint32_t m_err = 0;
};
