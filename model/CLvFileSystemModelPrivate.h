#pragma once
#include "NodeKind.h"
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPersistentModelIndex>
#include <QRegularExpression>
#include <QSet>
#include <functional>
#include <QStringList>

class CFileSystemModel;
class CLvFileSystemNode;
class CModelSortThread;
struct CNodeInfoFacts;

// Tree state, filters and loading duties of CFileSystemModel: copies the library's batches into
// the model's own nodes, announces rows, throttles refreshes, resolves paths and releases trees.
class CLvFileSystemModelPrivate : public QObject
{
    Q_OBJECT
public:
    explicit CLvFileSystemModelPrivate(CFileSystemModel* owner);
    // Releases the whole tree on a thread of the global pool.
    ~CLvFileSystemModelPrivate() override;

    void AddNode(NodeIndex pParent, const QList<NodeIndex>& lstChild, int iStream, int iEnd);
    // adopted, when given, allows taking over a library node that only the batch holds (see
    // AddChildNode) and collects the ids taken over: their batch reference became the parent's.
    void AddChildren(const QList<NodeIndex>& targets, const QList<NodeIndex>& lstChild, int iStream, int iEnd,
                     QSet<NodeIndex>* adopted = nullptr);
    // Registers the child named name under parent: a copy of childId, or, with adopt, childId
    // itself (the caller has checked that only the batch holds it). key, when given, is
    // name upper-cased.
    NodeIndex AddChildNode(NodeIndex parent, const QString& name, NodeIndex childId, bool adopt = false,
                           const QString& key = QString());
    void InsertRows(NodeIndex parent, const QStringList& names, bool final);
    bool ShouldUpdateView(NodeIndex parent);
    void RemoveAllChildren(NodeIndex parent);
    void RemoveChildRow(NodeIndex parent, const QString& name);
    void ModelInitFinish(const QList<NodeIndex>& targets, int iStream, int iEnd);
    QList<NodeIndex> GetNodeByPath(const QString& path, bool fetch);
    // Windows long form of a path; on this platform the path itself in the forms that matter.
    static QString LongPathName(const QString& path);
    // Releases the subtree of id breadth-first without recursion; only reaches nodes through
    // the registry, so it may run on any thread.
    static void ReleaseRoot(NodeIndex id);
    // The ReleaseRoot slot: takes a node that is still listed under its parent out of the rows
    // and the parent's children first (so nothing points at it any more), then releases it.
    void ReleaseSubtree(NodeIndex id);
    // Rebuilds the rows of id from its sorted names (GUI thread, inside a layout change); job,
    // when given, is the finished sort whose snapshot of the children may spare the look-ups.
    void ApplySort(NodeIndex id, const CModelSortThread* job = nullptr);
    // Entry and name filters (used by flags, row insertion and sorting); thread-safe reads.
    bool Accepts(const CLvFileSystemNode* node) const;
    // The same with the node's record already read (sorting reads it once per child).
    bool Accepts(const CLvFileSystemNode* node, const CNodeInfoFacts& facts) const;
    bool IsHiddenByFilters(NodeIndex id) const;
    bool PassesNameFilters(const CLvFileSystemNode* node) const;
    void SetNameFilters(const QStringList& patterns);

    // Fields (see CFileSystemModel)
    QList<QRegularExpression> nameFilters;
    QStringList namePatterns;
    NodeIndex root = 0;
    bool flag1 = true;
    bool rootHidden = true;
    QList<NodeIndex> disabledNodes;
    qint32 sortColumn = -1;
    bool rootStatus = true;
    bool flag2 = false;
    // Changes with every change of the filters: a folder whose last sort saw another
    // generation is sorted again even for an unchanged column and order.
    quint32 filterGeneration = 1;
    bool checkEnabled = false;
    bool nameFilterDisablesFlag = true;
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs | QDir::System;
    QDir rootDir;
    QHash<QString, QString> resolvedSymLinks;
    QHash<NodeIndex, bool> bypassFilters;
    bool flatMode = false;
    QMutex mutex;
    QPersistentModelIndex rootIndex;
    CFileSystemModel* q;
    QElapsedTimer sinceUpdate;
    QMap<quint64, NodeIndex> idMap;
    qint32 pendingRows = 0;
    // Milliseconds since the last refresh; replaceable so that tests need no real waiting.
    std::function<qint64()> elapsedMs;

    // Changes whenever rows or children come or go (batches, removals, releases).
    quint64 treeGeneration = 0;

    // While a sort's worker runs, the GUI thread spins an event loop: batches, releases and sort
    // requests that arrive meanwhile wait here and run once the sort is done.
    bool sorting = false;
    // A batch (iStream, iEnd), a release of parent, or a sort of parent (iStream the column,
    // iEnd the order).
    struct PendingBatch
    {
        enum Kind { kBatch, kRelease, kSort };
        NodeIndex parent;
        QList<NodeIndex> children;
        int iStream;
        int iEnd;
        Kind kind;
    };
    QList<PendingBatch> deferred;
    void RunDeferred();
};
