#pragma once
#include "NodeKind.h"
#include <QList>
#include <QObject>
#include <QString>

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

    static bool compareNodes(int column, NodeIndex left, NodeIndex right);
    static int naturalCompare(const QString& s1, const QString& s2, Qt::CaseSensitivity cs);

private:
    CLvFileSystemModelPrivate* d;
    QList<NodeIndex> targets;
    int column;
};
