#pragma once
#include <QSortFilterProxyModel>

// Proxy of the folder tree: keeps files out (unless told to show them), draws an expander only
// where sub-folders are expected, and lets the model sort itself.
class CFileBackLeftTreeModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit CFileBackLeftTreeModel(QObject* parent);

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    bool ShowFiles() const { return showFiles; }
    void SetShowFiles(bool show);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    bool showFiles = false;
};
