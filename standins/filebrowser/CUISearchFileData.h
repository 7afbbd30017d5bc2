#pragma once
#include "CGetDataCommon.h"
#include "IFileBrower.h"

#include <QSharedPointer>
#include <QString>

class CImageIndex;
class CKWSyncObj;

// The search engine: a wildcard search ('*', '?', no case) over the image index, in a folder and
// below it or in the whole image. Given to the flat search-result browser (slot 6), it fills
// it with the hits in batches while it runs and emits DoSearchFinished at the end.
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

    // Search results are never expanded.
    void Expand(NodeIndex node) override;

signals:
    void DoSearchFinished(bool succeeded, QString imagePath, QString searchFolder, QString filter);

protected:
    void SendRoots() override;

private slots:
    void OnRootLoaded(NodeIndex node, qint32 err);

private:
    int m_searchType;
    CKWSyncObj* m_sync;
    IUIFileSearch* m_hostSearch;
    QString m_imagePath;
    QString m_folder;
    QString m_filter;
    QString m_text;
    std::atomic_bool m_finished{false};
    std::atomic<int> m_hits{0};
    bool m_reported = false;
};
