#pragma once
#include "CLvAutoPtrEx.h"
#include "NodeKind.h"
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

class CLvFileSystemModelPrivate;
class CLvFileSystemNode;

// The sort job that the sync executer runs on its worker: builds the sorted name list of the
// first target and copies it into the twins. Cost: O(n log n) in the folder's children, keys
// built once per child; the copy into the twins is O(n) each. A little over the usual size:
// the natural comparison, the radix pass over name prefixes and the merge sort are file-local
// helpers of this one job.
class CModelSortThread : public QObject
{
public:
    CModelSortThread(CLvFileSystemModelPrivate* d, const QList<NodeIndex>& targets, int column);
    ~CModelSortThread() override;
    qint64 run();
    // Sorts the children of node id that pass the filters by column into its sortedNames.
    void SortChildren(int column, NodeIndex id);

    // What the last SortChildren saw of its node, so that the GUI thread can rebuild the rows
    // without looking every child up again: the children whose shown flag the new rows change
    // (references held). Valid only while the node's ChildGeneration equals SortedGeneration.
    NodeIndex SortedNode() const { return sortedNode; }
    quint64 SortedGeneration() const { return sortedGeneration; }
    const std::vector<CLvAutoPtrEx<CLvFileSystemNode>>& ChildrenToShow() const { return toShow; }
    const std::vector<CLvAutoPtrEx<CLvFileSystemNode>>& ChildrenToHide() const { return toHide; }

    static bool compareNodes(int column, NodeIndex left, NodeIndex right);
    static int naturalCompare(const QString& s1, const QString& s2, Qt::CaseSensitivity cs);

private:
    CLvFileSystemModelPrivate* d;
    QList<NodeIndex> targets;
    int column;
    NodeIndex sortedNode = 0;
    quint64 sortedGeneration = 0;
    std::vector<CLvAutoPtrEx<CLvFileSystemNode>> toShow;
    std::vector<CLvAutoPtrEx<CLvFileSystemNode>> toHide;
};
