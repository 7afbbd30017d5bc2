#pragma once
#include "NodeKind.h"
#include <QList>
#include <QObject>

class CLvFileSystemModelPrivate;

// The sort job that the sync executer runs on its worker: builds the sorted name list of the
// first target and copies it into the twins.
class CModelSortThread : public QObject
{
public:
    CModelSortThread(CLvFileSystemModelPrivate* d, const QList<NodeIndex>& targets, int column);
    qint64 run();
    // Sorts the children of node id that pass the filters by column into its sortedNames.
    void SortChildren(int column, NodeIndex id);

private:
    CLvFileSystemModelPrivate* d;
    QList<NodeIndex> targets;
    int column;
};
