#pragma once
#include "CFileBackLeftTreeModel.h"

// Folder tree of a mail browser: mail column titles, alignment, optional icons, and header
// columns mapped onto the model's columns for sorting.
class CMailBackLeftTreeModel : public CFileBackLeftTreeModel
{
    Q_OBJECT
public:
    CMailBackLeftTreeModel(QObject* parent, bool showIcons);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Model column behind a mail column: From sorts by Type, Date by Date Modified, Size by Size.
    static int MapMailColumn(int column);
    // Display, alignment and header answers shared by both mail proxies.
    static QVariant MailData(const QSortFilterProxyModel* proxy, const QModelIndex& index, int role, bool icons);
    static QVariant MailHeaderData(int section, Qt::Orientation orientation, int role, bool* handled);

private:
    bool showIcons;
};
