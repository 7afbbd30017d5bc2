#pragma once
#include "CFileSystemModel.h"
#include <QList>
#include <QString>
#include <functional>

// Builds folder trees in a model the way the file-browser library does: library nodes with
// their records, delivered to the model in batches through AddNode.
struct TreeSpec
{
    QString name;
    bool isDir = false;
    qint64 size = 0;
    QList<TreeSpec> children;
};

namespace ModelTestTree {

// A library node with a record (one reference, the one a batch carries).
NodeIndex MakeLibNode(const QString& name, bool isDir, qint64 size = 0, int infoKind = -1);
// Delivers children to parent in batches of batchSize (0: one batch); the last batch completes
// the folder (iStream = -1).
void LoadChildren(CFileSystemModel& model, NodeIndex parent, const QList<TreeSpec>& children,
                  int batchSize = 0, bool complete = true);
// Loads children and, recursively, every folder below them.
void LoadTree(CFileSystemModel& model, NodeIndex parent, const QList<TreeSpec>& children);
// The model's child of parent by name (0 when absent).
NodeIndex Child(NodeIndex parent, const QString& name);
// Follows names from parent down; 0 when one is missing.
NodeIndex Descend(NodeIndex parent, const QStringList& names);
// Adds the computer node ("\\Computer", kind 5) under the root and returns it.
NodeIndex AddComputer(CFileSystemModel& model);
// Waits for trees released on the global pool (models that died).
void WaitForReleases();

} // namespace ModelTestTree

// The randomized model check. A random tree lies on disk under two drives, two shares of a
// server and a NAS share, mapped by a storage map. The model is filled the way the library does
// it, folder by folder in batches, while random steps interleave: folders start listing, batches
// arrive (a folder's last one included), clicks tick or untick any shown node (folders still
// loading, servers and NAS devices never listed, the groups), folders are sorted and released.
// After every step the model's invariant checker holds, and the exported block, resolved by the
// demo host's resolver over the tree on disk, backs up exactly the files the clicks ticked; the
// block also reads back as written. Returns an empty string or what went wrong.
namespace RandomModelCheck {
QString RunSequence(quint32 seed, int steps);
} // namespace RandomModelCheck
