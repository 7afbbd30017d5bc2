#include "NodeKind.h"
#include <QModelIndexList>
#include <QVector>

void RegisterNodeMetaTypes()
{
    qRegisterMetaType<NodeIndex>("NodeIndex");
    qRegisterMetaType<QList<NodeIndex>>("QList<NodeIndex>");
    qRegisterMetaType<QVector<int>>("QVector<int>");
    qRegisterMetaType<QModelIndexList>("QModelIndexList");
}
