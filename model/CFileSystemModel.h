#pragma once
#include "CCheckMap.h"
#include "CSelectItem.h"
#include "IFileSystemModel.h"
#include "NodeKind.h"
#include <QAbstractItemModel>
#include <QByteArray>
#include <QFileIconProvider>
#include <QHash>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QSharedPointer>
#include <functional>

class CLvFileSystemModelPrivate;
class CLvFileSystemNode;
class QWidget;

// The checkable item model behind both browser panes: a tree of CLvFileSystemNodes in eight
// columns with a tri-state check box in column 0. The selection is a small ordered map of
// explicit path decisions (CCheckMap); every node's state is derived from it. Lives on the GUI
// thread.
class CFileSystemModel : public QAbstractItemModel, public IFileSystemModel
{
    Q_OBJECT
    Q_PROPERTY(bool nameFilterDisables READ nameFilterDisables WRITE setNameFilterDisables)
public:
    enum Column { NameColumn = 0, SizeColumn, TypeColumn, DateColumn, PathColumn, CapacityColumn,
                  RemainingColumn, ExtraColumn, ColumnCount };
    enum Role { InitFinishRole = 12, FilePathRole = Qt::UserRole + 1, ShownNameRole = Qt::UserRole + 2,
                PermissionsRole = Qt::UserRole + 3 };
    // Value of a check-map entry: (checked, isDir).
    typedef CCheckMap::Entry CheckEntry;

    explicit CFileSystemModel(QObject* owner = nullptr);
    ~CFileSystemModel() override;

    // ---- QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // ---- IFileSystemModel
    bool FindNode(const QString& path, bool fetch, bool reserved, QString* outPath = nullptr,
                  void* extra = nullptr) override;
    QList<NodeIndex> GetNodeByPath(const QString& path, bool fetch) override;
    void SetDisableNode(NodeIndex id, bool disable) override;
    void NotifyCheckStatus(NodeIndex id, bool checked) override;
    NodeIndex GetMappedValue(quint64 key) override;
    bool SetNodeData(NodeIndex id, const QVariant& value, int role) override;
    NodeIndex GetRootIndex() override;
    bool SetCheckEnabled(bool enabled) override;
    QAbstractItemModel* GetItemModel() override;
    void SetRootIndex(const QModelIndex& index) override;
    void setFilter(QDir::Filters filters) override;
    QDir::Filters filter() const override;
    void setNameFilterDisables(bool enable) override;
    bool nameFilterDisables() const override;
    void setNameFilters(const QStringList& filters) override;
    QStringList nameFilters() const override;

    // ---- check map
    quint32 CheckState(NodeIndex id);
    void SetCheckState(NodeIndex id, const QVariant& value);
    quint32 ComputeState(NodeIndex id);
    // Fills selection's includes (each with its excludes) from the check map. A checked server
    // stands for its shares: the ones loaded below it once it was listed, else the share keys
    // listedShares gives for its key (see ServersToList).
    void CreateCheckStatus(const CSelectItemPtr& selection,
                           const QHash<QString, QStringList>& listedShares = QHash<QString, QStringList>());
    // The checked servers (keys) whose shares the tree has not listed: an export must list them.
    QStringList ServersToList();
    // The selection path of a node (UTF-8): what the check map is keyed by, through CPathKey.
    QByteArray GetNodePath(NodeIndex id);
    // The check-map key of a node (empty for the root and nodes without a selection path).
    QString KeyOf(NodeIndex id);
    void SetFlatMode(bool flat);
    bool IsFlatMode() const;
    bool IsCheckEnabled() const;
    const CCheckMap& Checks() const { return m_checks; }
    const QMap<QString, CheckEntry>& CheckMap() const { return m_checks.Entries(); }
    const QMap<QString, NodeIndex>& PathIds() const { return m_checks.Ids(); }
    // True when the map holds at least one checked entry.
    bool HasCheckedEntry() const { return m_checks.AnyChecked(); }
    // Puts back decisions taken earlier (a snapshot from Checks()) and tells the views and
    // listeners, as a click would.
    void RestoreChecks(const CCheckMap& snapshot);
    // Changes whenever rows or children come or go anywhere in the tree.
    quint64 TreeGeneration() const;
    // What breaks the model's rules: the check map's own, row ids against rows, parents against
    // children, and every node's state against the map. Empty when nothing does. For tests; it
    // walks the whole tree.
    QString CheckInvariants();

    // ---- nodes and indexes
    // The index of a node in column 0 (invalid for the root, a missing node or a hidden row).
    QModelIndex IndexOf(NodeIndex id, int column = 0) const;
    // The node id behind an index of this model; the root for an invalid index.
    NodeIndex NodeOf(const QModelIndex& index) const;
    bool IsRootHidden() const;
    bool IsNodeDisabled(NodeIndex id) const;
    // Whether node passes the entry and name filters.
    bool AcceptsNode(NodeIndex id) const;

    // ---- loading, removal, sorting
    void RemoveAllChildren(NodeIndex parent);
    void RemoveChildRow(NodeIndex parent, const QString& name);
    void SortNode(NodeIndex id, int column, Qt::SortOrder order);
    // Three-way natural comparison of file names: digit runs compare as numbers.
    static int naturalCompare(const QString& s1, const QString& s2, Qt::CaseSensitivity cs);
    // True when left sorts before right by column.
    static bool compareNodes(int column, NodeIndex left, NodeIndex right);
    // Test hook: the clock (milliseconds since the last refresh) of the refresh throttle.
    void SetRefreshClock(std::function<qint64()> clock);
    // Size text of a byte count in the system locale ("1 KB", "1.0 MB").
    static QString SizeText(qint64 bytes);

signals:
    void DoModelInitFinish();
    void DoCheckStatusChange(NodeIndex nodeIndex, bool anyChecked);
    void DoGetNodePath(NodeIndex nodeIndex, QByteArray& path);
    void DoNodeCanBeCheck(NodeIndex nodeIndex, QVariant value, bool* canCheck);
    void DoInterface(QList<NodeIndex> targets, QList<NodeIndex> children, int iEnd, bool rootHidden);
    void DoUpdateView(bool needed);
    void DoNeedSort(NodeIndex nodeIndex, bool* needSort);
    void DoGetExtendWidget(QWidget** widget);
    void DoEnumRootNodeFinished(bool finished);
    // A folder's last batch is in its rows (or was dropped with a folder that is gone); a batch
    // held back while the model sorts is told when it is finally applied.
    void DoFolderLoaded(NodeIndex nodeIndex);

public slots:
    void Release() override;
    void OnSetRootStatus(bool status, bool hide);
    void SetRootIsHide(bool hide);
    void OnSetDisableNode(NodeIndex nodeIndex, bool disable);
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    void AddNode(NodeIndex pParent, QList<NodeIndex> lstChild, int iStream, int iEnd) override;
    void ReleaseRoot(NodeIndex id);

private:
    friend class CLvFileSystemModelPrivate;
    friend class CModelSortThread;
    bool SetDataForNode(NodeIndex id, const QModelIndex& index, const QVariant& value, int role);
    void EmitAllChanged();
    // The state of a folder counted child by child (the rule the faster ways must agree with).
    quint32 ComputeStateByChildren(NodeIndex id);
    // Takes the folders from upId upwards to the state their children now give them, as a click
    // below them asks; stops at the first one that changes (its own SetCheckState goes on).
    void PropagateUp(NodeIndex upId);
    // A folder's last batch is in: the decision a click below it waited for is taken now.
    void SettleFolder(NodeIndex id);
    QString CheckNodeInvariants(NodeIndex id, const QModelIndex& from);
    // Persistent indexes held across a change of row order: HoldPersistentRows before it,
    // MovePersistentRows after it, so that every index follows its node.
    struct HeldRows
    {
        QModelIndexList before;
        QList<QPair<NodeIndex, int>> nodes;
    };
    HeldRows HoldPersistentRows() const;
    void MovePersistentRows(const HeldRows& held);

    CLvFileSystemModelPrivate* d;
    QFileIconProvider iconProvider;
    bool computerLoaded = false;
    CCheckMap m_checks;
    QMap<QString, CSelectItemPtr> includeItems;
    // Folders a click below waited for: still loading then, decided once their last batch is in.
    QSet<NodeIndex> m_unsettled;
};
