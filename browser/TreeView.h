#pragma once
#include "NodeKind.h"
#include <QMap>
#include <QMutex>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QTreeView>

class CFileSystemModel;
class QAnimateOperation;
class QMenu;
class QTimer;

// The browser's folder tree. A folder whose children are being enumerated shows a spinner in
// place of its branch arrow (after a short delay, so quick folders never flash it); the page is
// asked for each row's context menu; collapses and removals are reported by node id; and items
// are laid out only after the model has said that something changed.
class TreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit TreeView(QWidget* parent = nullptr);
    ~TreeView() override;

    // Ends the spinner of node (pending or running) and collapses its row unless the node is
    // marked as not loaded: a folder that could not be listed.
    void StopNodeLoading(NodeIndex node);
    // Scrolls horizontally so that x shows with a small margin.
    void SetHorizontalOffset(int x);

    // Where the spinner frames are read from; "%0" becomes the two-digit frame number.
    void SetLoadingImagePattern(const QString& pattern) { loadingPattern = pattern; }
    QString LoadingImagePattern() const { return loadingPattern; }
    static constexpr int kFrameCount = 24;
    // A folder still loading after this long gets its spinner; quicker ones never flash it.
    static constexpr int kStartDelayMs = 200;

    void setModel(QAbstractItemModel* model) override;

    // State of a node's spinner (for the browser and tests).
    bool HasPendingTimer(NodeIndex node) const;
    QAnimateOperation* Animation(NodeIndex node) const;
    bool IsLayoutPending() const { return layoutPending; }

signals:
    void DoCollapsed(NodeIndex node);
    void DoGetNodeMenu(NodeIndex node, QMenu** menu);
    void DoRowRemoved(NodeIndex node);

public slots:
    void OnFetchMore(const QModelIndex& index, int flags);
    void OnReloadNode();
    void OnExpanded(const QModelIndex& index);
    void OnUpdateView(bool relayoutNow = false);
    void rowsRemoved(const QModelIndex& parent, int start, int end);
    // The folder's last batch is in the views: its spinner ends, the row stays as it is.
    void OnNodeLoaded(NodeIndex node);

private slots:
    void OnNodeDouClicked(const QModelIndex& index);
    void OnCollapsed(const QModelIndex& index);
    void OnIndexTimer();

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void doItemsLayout() override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    // The view's proxy and the model behind it, looked up again when either is gone.
    bool Resolve() const;
    NodeIndex NodeOf(const QModelIndex& viewIndex) const;
    QModelIndex ViewIndexOf(NodeIndex node) const;
    void StopAll();
    // Removes node's pending timer and running animation and repaints; false when it had none.
    bool EndSpinner(NodeIndex node);

    bool dblClickPending = false;
    NodeIndex dblClickNode = 0;
    mutable QMutex lock;
    QMap<NodeIndex, QTimer*> timers;
    QMap<NodeIndex, QAnimateOperation*> animations;
    NodeIndex menuNode = 0;
    mutable QPointer<QSortFilterProxyModel> proxy;
    mutable QPointer<CFileSystemModel> fsModel;
    bool layoutPending = true;
    QString loadingPattern = QStringLiteral("../res/loading/loading%0.png");
};
