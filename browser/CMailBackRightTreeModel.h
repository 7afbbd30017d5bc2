#pragma once
#include "CFileBackRightTreeModel.h"

// Contents list of a mail browser: mail titles and alignment, no icons, and sorting on the model
// column behind each mail column.
class CMailBackRightTreeModel : public CFileBackRightTreeModel
{
    Q_OBJECT
public:
    explicit CMailBackRightTreeModel(QObject* parent);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
};
