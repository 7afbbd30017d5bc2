#pragma once
#include "IBrower.h"
#include "NodeKind.h"
#include <QModelIndex>
#include <QSharedPointer>
#include <QVector>
#include <QPointer>
#include <QWidget>

class CDisableExpendTreeView;
class CDoubleClickGuard;
class CFileSystemModel;
class IFileSystemModel;
class QHeaderView;
class QMenu;
class QSortFilterProxyModel;
class QSplitter;
class QTreeView;
class TreeView;

// The two-pane browser: a folder tree on the left and the contents of the folder selected there
// on the right, both over one shared model through their own proxies. Clicks, presses,
// expansions and double clicks of the two views become navigation and check changes; the
// model's signals are relayed to the page.
class CBrower : public QWidget, public IBrower
{
    Q_OBJECT
public:
    CBrower(QSharedPointer<IFileSystemModel> model, QWidget* parent = nullptr, bool showFilesInTree = false,
            quint32 leftColumns = 0, quint8 mailMode = 0, bool noSortForKind34 = false);
    ~CBrower() override;

    // ---- IBrower
    void Destroy() override;
    void ShowRightView(bool show, bool mailMode) override;
    void HideLeftView(bool hide) override;
    QSharedPointer<IFileSystemModel> GetModel() override;
    void SetModel(QSharedPointer<IFileSystemModel> model) override;
    NodeIndex GetMappedValue(NodeIndex key) override;
    QList<NodeIndex> GetNodeByPath(const char* utf8Path, bool fetch) override;
    QList<NodeIndex> GetSelectedNodes() override;
    bool SetCheckEnabled(bool enabled) override;
    QWidget* GetWidget() override;
    void SetModelFilter(QDir::Filters filters) override;
    QDir::Filters GetModelFilter() override;
    void SetNameFilterDisables(bool enable) override;
    bool GetNameFilterDisables() override;
    QStringList GetNameFilters() override;
    void SetInvertClickView(bool invert) override;
    void StopNodeLoading(NodeIndex node) override;
    void ExpandNode(NodeIndex node, bool expand) override;
    void SelectNode(NodeIndex node) override;
    NodeIndex GetCurrentNode() override;
    void SetCurrentNode(NodeIndex node) override;
    void SetFlatMode(bool flat) override;
    void UpdateLeftView(bool update) override;

    // ---- parts, for the library's page-facing object and for tests
    TreeView* LeftView() const { return leftView; }
    CDisableExpendTreeView* RightView() const { return rightView; }
    QSplitter* Splitter() const { return splitter; }
    QSortFilterProxyModel* LeftProxy() const { return leftProxy; }
    QSortFilterProxyModel* RightProxy() const { return rightProxy; }
    quint32 LeftColumns() const { return leftColumns; }
    quint32 SectionSize() const { return sectionSize; }

    static constexpr quint32 kDefaultLeftColumns = 0x81;  // Name and the untitled last column
    static constexpr quint32 kDriveColumns = 0x61;        // Name, Capacity, Remaining space
    static constexpr quint32 kFileColumns = 0x0F;         // Name, Size, Type, Date Modified
    static constexpr quint32 kShowLeftHeader = 0x8000;
    // Clicks in the right list this close to the left edge belong to the check box.
    static constexpr int kCheckClickWidth = 32;

signals:
    void DoNodeSelect(NodeIndex node);
    void DoCheckStatusChange(NodeIndex node, bool anyChecked);
    void DoCollapsed(NodeIndex node);
    void DoModelInitFinish();
    void DoSetRowHidden(int row, QModelIndex parent, bool hide);
    void DoGetNodeMenu(NodeIndex node, QMenu** menu);
    void DoHideRoot(QList<NodeIndex> roots, QList<NodeIndex> nodes);
    void DoHideTreeFileNode(QList<NodeIndex> nodes, NodeIndex node);
    void DoExpand(NodeIndex node);
    void DoUpdate(QModelIndex topLeft, QModelIndex bottomRight, QVector<int> roles);
    void DoExpandByUser();
    void DoGetExtendWidget(QWidget** widget);
    void DoRowRemoved(NodeIndex node);

public slots:
    void OnSelectNode(QString path);
    void OnInitFinishRootNode();
    void OnReloadNode();
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles);
    void OnTreeNodeLoading(NodeIndex node, bool topLevelOnly);

private slots:
    void OnChangeCheckStatus(QModelIndex index);
    void OnSelChanged(QModelIndex current, QModelIndex previous);
    void OnNodeExpanded(QModelIndex index, bool byClick = false);
    void OnNodeClicked(QModelIndex index, bool b1 = true, bool b2 = true);
    void OnNodeDouClicked(QModelIndex index, bool b1 = true, bool b2 = true);
    void OnRootNodeChanged(QModelIndex index);
    void SetHeaderSectionHidden(QTreeView* view, int mask);
    void OnHideRoot(QList<NodeIndex> roots, QList<NodeIndex> nodes);
    void OnInterface(QList<NodeIndex> targets, QList<NodeIndex> children, int iEnd, bool rootHidden);
    void OnSelectAndSetCurrentIndex(QModelIndex index, bool emitClick = true);
    void OnNeedSort(NodeIndex node, bool* needSort);
    void OnRightViewDblClicked(QModelIndex index);

private:
    // The model as its Qt object (for signals) and as the concrete model (for node indexes).
    QObject* ModelObject() const;
    CFileSystemModel* FsModel() const;
    // A left-proxy index as a model index in column 0 (the untitled last column counts as 0).
    QModelIndex MapLeftToModel(const QModelIndex& index) const;
    QModelIndex LeftIndexOf(NodeIndex node) const;
    bool IsMailRight() const;
    static void ConnectSortHeader(QTreeView* view, QHeaderView* header);
    void CollectSelected(QTreeView* view, QList<NodeIndex>& out) const;

    CDisableExpendTreeView* rightView = nullptr;
    QPointer<CDoubleClickGuard> clickGuard;
    TreeView* leftView = nullptr;
    QSplitter* splitter = nullptr;
    NodeIndex currentNode = 0;
    QSortFilterProxyModel* leftProxy = nullptr;
    QSortFilterProxyModel* rightProxy = nullptr;
    QSharedPointer<IFileSystemModel> model;
    bool showFilesInTree;
    quint32 sectionSize = 1;
    quint32 leftColumns;
    quint32 rightColumnsDrives = kDriveColumns;
    quint32 rightColumnsFiles = kFileColumns;
    bool invertViewChoice = false;
    quint8 mailMode;
    bool noSortForKind34;
};

// Creates a browser over model; the caller ends it with Destroy().
IBrower* CreateBrower(QSharedPointer<IFileSystemModel> model, QWidget* parent, bool showFilesInTree,
                      quint32 leftColumns, quint8 mailMode, bool noSortForKind34);
