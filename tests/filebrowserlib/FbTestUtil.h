#pragma once
// Helpers shared by the file-browser library tests: a temporary drive table, waiting for a
// data source to settle, and reading the model's tree by names.
#include "CFileBrower.h"
#include "CFileSystemModel.h"
#include "CGetDataCommon.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CStorageMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace fbtest {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

inline NodePtr Node(NodeIndex id) { return NodePtr(CLvFileSystemNodeMgr::GetNode(id)); }

// Writes default.ini into dir with the given text and makes the storage map read it.
inline void UseIni(const QString& dir, const QString& text)
{
    const QString path = dir + QStringLiteral("/default.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.toUtf8());
    f.close();
    CStorageMap::SetIniPath(path);
    CStorageMap::SetMountsPath(QString());
    CStorageMap::Reload();
}

// Lets a browser's source finish everything it has started.
inline void Settle(IFileBrower* b)
{
    if (b && b->GetDataSource())
        b->GetDataSource()->WaitIdle();
}

// The child of parent named name (case-insensitive), 0 when absent.
inline NodeIndex Child(NodeIndex parent, const QString& name)
{
    NodePtr n = Node(parent);
    return n ? n->ChildByName(name) : 0;
}

// Walks names from the model's root.
inline NodeIndex Walk(CFileBrower* b, const QStringList& names)
{
    NodeIndex id = b->GetRootIndex();
    for (const QString& name : names) {
        id = Child(id, name);
        if (!id)
            return 0;
    }
    return id;
}

// Loads a node's children and waits for them.
inline void Load(CFileBrower* b, NodeIndex node)
{
    b->GetDataSource()->Expand(node);
    Settle(b);
}

// Walks names from the model's root, loading each folder on the way whose child is not there yet.
inline NodeIndex Reach(CFileBrower* b, const QStringList& names)
{
    NodeIndex id = b->GetRootIndex();
    for (const QString& name : names) {
        if (!Child(id, name))
            Load(b, id);
        id = Child(id, name);
        if (!id)
            return 0;
    }
    return id;
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

} // namespace fbtest
