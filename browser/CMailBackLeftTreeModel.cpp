#include "CMailBackLeftTreeModel.h"
#include <QCoreApplication>
#include <QImage>

CMailBackLeftTreeModel::CMailBackLeftTreeModel(QObject* parent, bool showIcons)
    : CFileBackLeftTreeModel(parent), showIcons(showIcons)
{
}

int CMailBackLeftTreeModel::MapMailColumn(int column)
{
    switch (column) {
    case 1: return 2;
    case 2: return 3;
    case 3: return 1;
    default: return column;
    }
}

QVariant CMailBackLeftTreeModel::MailData(const QSortFilterProxyModel* proxy, const QModelIndex& index, int role,
                                          bool icons)
{
    const QAbstractItemModel* source = proxy->sourceModel();
    if (!source)
        return QVariant();
    // An index of some other model is answered like the invisible root rather than mapped
    // through a proxy it does not belong to.
    if (!index.isValid() || index.model() != proxy)
        return source->data(QModelIndex(), role);
    const QModelIndex mapped = proxy->mapToSource(index);
    switch (role) {
    case Qt::DecorationRole:
        return icons ? source->data(mapped, role) : QVariant();
    case Qt::TextAlignmentRole:
        return int(index.column() == 3 ? (Qt::AlignVCenter | Qt::AlignRight) : Qt::AlignVCenter);
    default:
        return source->data(mapped, role);
    }
}

QVariant CMailBackLeftTreeModel::MailHeaderData(int section, Qt::Orientation orientation, int role, bool* handled)
{
    *handled = true;
    if (role == Qt::DecorationRole && section == 0) {
        // A fully transparent strip the width of an icon, so that the title of the first
        // column lines up with the row texts.
        QImage strip(16, 1, QImage::Format_ARGB32);
        strip.fill(Qt::transparent);
        return strip;
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft);
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal) {
        static const char* const titles[] = {QT_TRANSLATE_NOOP("CMailBackLeftTreeModel", "Subject"),
                                             QT_TRANSLATE_NOOP("CMailBackLeftTreeModel", "From"),
                                             QT_TRANSLATE_NOOP("CMailBackLeftTreeModel", "Date"),
                                             QT_TRANSLATE_NOOP("CMailBackLeftTreeModel", "Size"),
                                             QT_TRANSLATE_NOOP("CMailBackLeftTreeModel", "Path")};
        if (section >= 0 && section < 5)
            return QCoreApplication::translate("CMailBackLeftTreeModel", titles[section]);
        return QVariant();
    }
    *handled = false;
    return QVariant();
}

QVariant CMailBackLeftTreeModel::data(const QModelIndex& index, int role) const
{
    return MailData(this, index, role, showIcons);
}

QVariant CMailBackLeftTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    bool handled = false;
    const QVariant v = MailHeaderData(section, orientation, role, &handled);
    return handled ? v : CFileBackLeftTreeModel::headerData(section, orientation, role);
}

void CMailBackLeftTreeModel::sort(int column, Qt::SortOrder order)
{
    if (sourceModel())
        sourceModel()->sort(MapMailColumn(column), order);
}
