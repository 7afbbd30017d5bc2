#pragma once

class QAbstractItemModel;
class QObject;

// Deferred item layout of the browser's views: a view lays its items out only after it was told
// that something changed (its OnUpdateView slot). Some model changes must always reach that slot.
class CDeferredLayout
{
public:
    // Items may be laid out late, but never from indexes the model has invalidated: a moved,
    // reset or shrunken model always makes the view's next layout run.
    static void WatchModel(QObject* view, QAbstractItemModel* model);
};
