#pragma once
#include "NodeKind.h"
#include <QDir>
#include <QList>
#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <QVariant>

class QAbstractItemModel;

// What nodes and the file-browser library call on the model. Calls come from the GUI thread;
// library threads reach the model only through queued signals.
class IFileSystemModel
{
public:
    virtual ~IFileSystemModel() = default;
    // False for an empty path; otherwise looks the path up and writes the found node's selection
    // path into outPath when given; true.
    virtual bool FindNode(const QString& path, bool fetch, bool reserved, QString* outPath = nullptr,
                          void* extra = nullptr) = 0;
    // The node and its twins that stand for path (the root for an empty path).
    virtual QList<NodeIndex> GetNodeByPath(const QString& path, bool fetch) = 0;
    virtual void SetDisableNode(NodeIndex id, bool disable) = 0;
    // Announces a check change of id (DoCheckStatusChange); the bool is not used.
    virtual void NotifyCheckStatus(NodeIndex id, bool checked) = 0;
    // The model's node for a library key (a node's userData), 0 when absent.
    virtual NodeIndex GetMappedValue(quint64 key) = 0;
    virtual bool SetNodeData(NodeIndex id, const QVariant& value, int role) = 0;
    // A batch of children for parent: iStream = -1 completes the folder, iEnd = -1 ends a stream.
    virtual void AddNode(NodeIndex parent, QList<NodeIndex> children, int iStream, int iEnd) = 0;
    virtual NodeIndex GetRootIndex() = 0;
    virtual bool SetCheckEnabled(bool enabled) = 0;
    virtual QAbstractItemModel* GetItemModel() = 0;
    virtual void Release() = 0;
    virtual void SetRootIndex(const QModelIndex& index) = 0;
    virtual void setFilter(QDir::Filters filters) = 0;
    virtual QDir::Filters filter() const = 0;
    virtual void setNameFilterDisables(bool enable) = 0;
    virtual bool nameFilterDisables() const = 0;
    virtual void setNameFilters(const QStringList& filters) = 0;
    virtual QStringList nameFilters() const = 0;
};
