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

// The randomized model check: random trees under the computer with two drives, random check and
// uncheck clicks through setData; after every click every node's state is compared with what the
// set of checked leaves says, and the exported selection is replayed into a second model and
// resolved into files the way a consumer does. Returns an empty string or what went wrong.
namespace RandomModelCheck {
QString RunSequence(quint32 seed, int clicks);
} // namespace RandomModelCheck
