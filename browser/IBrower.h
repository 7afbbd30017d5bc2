#pragma once
#include "NodeKind.h"
#include <QDir>
#include <QList>
#include <QSharedPointer>
#include <QStringList>

class IFileSystemModel;
class QWidget;

// What the pages see of the two-pane browser. The operations keep this order: callers built
// against an earlier copy of the interface reach them by their position.
class IBrower
{
public:
    virtual ~IBrower() = default;
    // Detaches the widget from its parent and deletes it once control is back in the event loop.
    virtual void Destroy() = 0;
    virtual void ShowRightView(bool show, bool mailMode) = 0;
    virtual void HideLeftView(bool hide) = 0;
    virtual QSharedPointer<IFileSystemModel> GetModel() = 0;
    virtual void SetModel(QSharedPointer<IFileSystemModel> model) = 0;
    // The model's node for a library key; 0 without a model.
    virtual NodeIndex GetMappedValue(NodeIndex key) = 0;
    // The nodes that stand for a UTF-8 path; empty without a model.
    virtual QList<NodeIndex> GetNodeByPath(const char* utf8Path, bool fetch) = 0;
    // Selected rows of the left tree, then of the right list; each node once.
    virtual QList<NodeIndex> GetSelectedNodes() = 0;
    virtual bool SetCheckEnabled(bool enabled) = 0;
    virtual QWidget* GetWidget() = 0;
    virtual void SetModelFilter(QDir::Filters filters) = 0;
    virtual QDir::Filters GetModelFilter() = 0;
    virtual void SetNameFilterDisables(bool enable) = 0;
    virtual bool GetNameFilterDisables() = 0;
    virtual QStringList GetNameFilters() = 0;
    // Swaps which view's cursor position decides a click in the right list.
    virtual void SetInvertClickView(bool invert) = 0;
    virtual void StopNodeLoading(NodeIndex node) = 0;
    virtual void ExpandNode(NodeIndex node, bool expand) = 0;
    virtual void SelectNode(NodeIndex node) = 0;
    virtual NodeIndex GetCurrentNode() = 0;
    virtual void SetCurrentNode(NodeIndex node) = 0;
    virtual void SetFlatMode(bool flat) = 0;
    virtual void UpdateLeftView(bool update) = 0;
};
