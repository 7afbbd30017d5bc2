#pragma once
#include "NodeKind.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSharedPointer>

#include <cstdint>
#include <vector>

class CImageIndex;
class CLvFileSystemNode;

// The rows of the search-result list: one row per hit, read from the image index entry the hit
// names. A row costs two integers and a bit until somebody needs more: the texts are made when a
// view asks for them, and a library node only for a caller that needs one (the commit's checked
// items, a lookup by path); such nodes are kept until the results are cleared.
//
// Hits arrive in batches at the end of the list while the search runs; when it is over they are
// put in the order of the sort column, as a header click puts them. Lives on the GUI thread.
class CSearchResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn = 0, SizeColumn, TypeColumn, DateColumn, PathColumn, ColumnCount };
    // What the header's check-all box asks of the invisible root: whether it has a box.
    static constexpr int kRootCheckableRole = Qt::UserRole + 1;

    explicit CSearchResultModel(QObject* parent = nullptr);
    ~CSearchResultModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Check states only: a row's in column 0, or every row's through the invalid index.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Name, Size and Type order folders and files as a folder's list does; Date Modified by time;
    // Path by the folder a hit lies in. Ties go by name, then by the order the search found them.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Drops every row, tick and node.
    void Clear();
    // Appends the hits (entries of index); every batch of one search names the same index.
    void Append(const QSharedPointer<const CImageIndex>& index, const std::vector<uint32_t>& entries);
    // All hits are in: they take the order of the sort column.
    void Finish();

    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }

    void SetCheckEnabled(bool enabled);
    bool IsCheckEnabled() const { return m_checkEnabled; }
    int CheckedCount() const { return m_checkedCount; }
    // Qt::Checked, Qt::PartiallyChecked or Qt::Unchecked for the results as a whole.
    int AllState() const;
    void SetAllChecked(bool checked);

    // The node of a row, made on first use (0 for a bad row).
    NodeIndex NodeAt(int row);
    // The row of a node this model made; -1 for any other.
    int RowOfNode(NodeIndex node) const;
    // The row of the hit at a path in the image ("C:\Users\x\a.docx"); -1 when none.
    int RowOfPath(const QString& path) const;
    QString PathAt(int row) const;
    // The nodes of the ticked rows, in row order.
    QList<NodeIndex> CheckedNodes();

public slots:
    // The page's call for tree models; the list has no root row to show or hide.
    void OnSetRootStatus(bool status, bool hide);

signals:
    // A tick changed; anyChecked tells whether any row is ticked now.
    void DoCheckStatusChange(bool anyChecked);

private:
    uint32_t EntryAt(int row) const { return m_entries[m_rows[size_t(row)]]; }
    bool SetChecked(uint32_t ordinal, bool checked);
    // Puts the rows in the order given (ordinals, row by row), keeping persistent indexes.
    void ApplyOrder(std::vector<uint32_t>&& rows);
    void ReleaseNodes();

    QSharedPointer<const CImageIndex> m_index;
    // By ordinal (the order the search found the hits in): the index entry and its tick.
    std::vector<uint32_t> m_entries;
    std::vector<bool> m_checked;
    int m_checkedCount = 0;
    // Row to ordinal, and back.
    std::vector<uint32_t> m_rows;
    std::vector<uint32_t> m_rowOf;
    QHash<uint32_t, CLvFileSystemNode*> m_nodes; // by ordinal, one reference each
    QHash<NodeIndex, uint32_t> m_ordinalOf;
    int m_sortColumn = NameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_checkEnabled = true;
};
