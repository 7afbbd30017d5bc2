#pragma once
#include "IFileBrower.h"

#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QTreeView>

class CSearchResultModel;

// The flat search-result browser (IFileBrower::kTypeSearchResult): one list with the columns
// Name, Size, Type, Date Modified and Path over the hits of the search given as its data source
// (CUISearchFileData), each row with a check box and a check-all box in the header. Rows cost
// only what is shown (CSearchResultModel); the slots that only mean something for a tree of
// folders answer as for an empty one. Lives on the GUI thread.
class CSearchResultBrower : public QObject, public IFileBrower
{
    Q_OBJECT
public:
    explicit CSearchResultBrower(QWidget* parentWidget);
    ~CSearchResultBrower() override;

    CSearchResultModel* ResultModel() const { return m_model; }
    QTreeView* View() const { return m_view.data(); }

    // ---- IFileBrower
    QWidget* GetWidget() override;
    void SetParentWidget(QWidget* parent) override;
    void SetPageValue(qint64 value) override;
    void ShowBrowser(bool flag, uint32_t typeFilter) override;
    QSharedPointer<CGetDataCommon> GetDataSource() override;
    void SetDataSource(QSharedPointer<CGetDataCommon> source) override;
    QAbstractItemModel* GetSearchModel() override;
    // Only clearing (a null block): what the results select goes to the host as ticked items.
    bool SetFilter(const void* block, uint32_t size) override;
    bool GetFilter(void** block, uint32_t* size, uint32_t* flag) override;
    bool FreeFilter(void* block) override;
    void ClearModified(bool modified) override;
    QString GetCurrentPath() override;
    QByteArray GetNodePathUtf8(NodeIndex node, int flag) override;
    NodeIndex FindNodeByUtf8Path(const char* utf8Path) override;
    void SelectNode(NodeIndex node) override;
    QList<NodeIndex> GetCheckedNodes() override;
    int GetRootType(NodeIndex node) override;
    bool GetDriveInfo(const QString& drivePath, NRDriveInfo* info) override;
    QString TranslateMappedPath(const QString& drivePath) override;
    bool SetNodeCheckState(NodeIndex node, int state) override;
    void SetNetworkRecords(const void* records, uint32_t count) override;
    bool GetShareCredentials(const QString& shareKey, QString* user, QString* password) override;
    QString GetShareOfPath(const QString& path) override;
    QByteArray GetNetworkLocations(uint32_t* count) override;
    IBrower* GetBrower() override;
    bool IsModified() override;
    bool GetCheckedItems(QList<NodeIndex>* items, int flag, int reserved) override;
    NodeIndex GetRootIndex() override;
    NodeIndex GetRootIdByName(const QString& name) override;
    bool SetCheckEnabled(bool enabled) override;
    void ExpandNode(NodeIndex node, bool expand) override;
    void SetRootIsHide(bool hide) override;
    void ShowRightView(bool show) override;
    bool HasSelection() override;
    void SetNameFilters(const QStringList& patterns) override;
    QStringList GetNameFilters() override;
    void StopNodeLoading(NodeIndex node) override;
    bool IsNodeLoaded(NodeIndex node) override;
    QString GetNodeDisplayPath(NodeIndex node) override;
    void Refresh(NodeIndex node) override;
    uint32_t GetOptions() override;
    void SetCurrentNode(NodeIndex node) override;
    NodeIndex GetCurrentNode() override;
    int GetLoadingState() override;
    void SetLoadingState(int state) override;
    QString GetSingleFolderSelection() override;

signals:
    void DoTreeHasSelect(bool hasSelect);
    // The search's results are all in and in order.
    void DoModelInitFinish();

private slots:
    void OnCheckStatusChange(bool anyChecked);
    void OnSearchFinished();

private:
    CSearchResultModel* m_model = nullptr;
    QPointer<QTreeView> m_view;
    QSharedPointer<CGetDataCommon> m_source;
    int m_loadingState = 0;
    bool m_modified = false;
};
