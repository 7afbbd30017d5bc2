#include "CDeferredLayout.h"

#include <QAbstractItemModel>

void CDeferredLayout::WatchModel(QObject* view, QAbstractItemModel* model)
{
    if (!view || !model)
        return;
    QObject::connect(model, SIGNAL(layoutChanged()), view, SLOT(OnUpdateView()), Qt::UniqueConnection);
    QObject::connect(model, SIGNAL(modelReset()), view, SLOT(OnUpdateView()), Qt::UniqueConnection);
    QObject::connect(model, SIGNAL(rowsRemoved(QModelIndex, int, int)), view, SLOT(OnUpdateView()),
                     Qt::UniqueConnection);
}
