#pragma once
#include "IFileBrower.h"
#include "NRResult.h"
#include "NodeKind.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSharedPointer>

class CBrower;
class CFileSystemModel;
class CSelectionFilter;
class IFileSystemModel;
class IUICommon;

// The browser the library hands to a page: the model, the two-pane browser widget over it and
// the data source that fills it, behind the IFileBrower slots. Lives on the GUI thread.
//
// Its size is the IFileBrower interface itself, one slot per entry of the library's table; each
// slot is a few lines that hand over to the model, the widget or the data source.
class CFileBrower : public QObject, public IFileBrower
{
    Q_OBJECT
public:
    // Option bits of the parameter block this browser gives a meaning to (docs/browser-options.md).
    static constexpr uint32_t kOptCheckBoxes = 0x1;       // rows carry check boxes
    static constexpr uint32_t kOptNetworkGroups = 0x4;    // the Network and NAS groups are shown
    static constexpr uint32_t kOptFiles = 0x8;            // file-level entries are shown
    static constexpr uint32_t kOptFilesInTree = 0x20;     // the left tree lists files too
    static constexpr uint32_t kOptImage = 0x80;           // the tree is a backup image's contents
    static constexpr uint32_t kOptNoCloud = 0x100;        // cloud locations are not offered
    static constexpr uint32_t kOptSmart = 0x1000;         // smart backup: network places are shown disabled

    // Loading states (slots 44, 45).
    static constexpr int kStateIdle = 0;
    static constexpr int kStateLoading = 1;

    // The browser for a page; the flat search-result browser is CSearchResultBrower.
    CFileBrower(const _CFileBrowserPara* para, QWidget* parentWidget);
    ~CFileBrower() override;

    // ---- IFileBrower
    QWidget* GetWidget() override;
    void SetParentWidget(QWidget* parent) override;
    void SetPageValue(qint64 value) override;
    void ShowBrowser(bool flag, uint32_t typeFilter) override;
    QSharedPointer<CGetDataCommon> GetDataSource() override;
    void SetDataSource(QSharedPointer<CGetDataCommon> source) override;
    QAbstractItemModel* GetSearchModel() override;
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
    // Slot 22: remembered here, else held by the source (typed in its login dialog), else
    // configured.
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

    // ---- for the library's data sources and tests
    CFileSystemModel* Model() const { return m_model; }
    CBrower* Browser() const;
    // The Windows form of a node's location (empty for the root and the groups).
    QString WindowsPathOf(NodeIndex node) const;

signals:
    void DoTreeHasSelect(bool hasSelect);
    void DoGetUICommon(QSharedPointer<IUICommon>& common);
    void DoNodeSelect(NodeIndex node);
    void DoRowRemoved(NodeIndex node);
    void DoModelInitFinish();
    void DoSetRootIsHide(bool notHide);

private slots:
    void OnCheckStatusChange(NodeIndex node, bool anyChecked);
    void OnGetNodePath(NodeIndex node, QByteArray& path);
    void OnExpand(NodeIndex node);
    void OnLoadFinished(NodeIndex node, qint32 err);

private:
    // The block of the selection, made once per state of the selection and the tree: the commit,
    // its credential records and its network locations all read the same block.
    uint32_t ExportSelection(QByteArray* out);
    NodeIndex TopLevelOfKind(int kind) const;
    NodeIndex ChildNamed(NodeIndex parent, const QString& name) const;

    uint32_t m_options = 0;
    QPointer<QWidget> m_parentWidget;
    CFileSystemModel* m_model = nullptr;
    QSharedPointer<IFileSystemModel> m_modelRef;
    QPointer<CBrower> m_browser;
    QSharedPointer<CGetDataCommon> m_source;
    CSelectionFilter* m_filter = nullptr;
    QSet<void*> m_blocks;
    QByteArray m_export;
    quint64 m_exportRevision = 0;
    quint64 m_exportTree = 0;
    bool m_exportValid = false;
    QByteArray m_netRecords;
    QString m_imagePath;
    qint64 m_pageValue = 0;
    uint32_t m_typeFilter = 0;
    NodeIndex m_currentNode = 0;
    int m_loadingState = kStateIdle;
    bool m_modified = false;
    bool m_lastHasSelect = false;
};
