#include "CMailBackRightTreeModel.h"
#include "CMailBackLeftTreeModel.h"

CMailBackRightTreeModel::CMailBackRightTreeModel(QObject* parent)
    : CFileBackRightTreeModel(parent)
{
}

QVariant CMailBackRightTreeModel::data(const QModelIndex& index, int role) const
{
    return CMailBackLeftTreeModel::MailData(this, index, role, false);
}

QVariant CMailBackRightTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    bool handled = false;
    const QVariant v = CMailBackLeftTreeModel::MailHeaderData(section, orientation, role, &handled);
    return handled ? v : CFileBackRightTreeModel::headerData(section, orientation, role);
}

void CMailBackRightTreeModel::sort(int column, Qt::SortOrder order)
{
    // The proxy sorts itself; lessThan then compares on the mapped model column.
    QSortFilterProxyModel::sort(CMailBackLeftTreeModel::MapMailColumn(column), order);
}
