#pragma once
// Helpers shared by the file-browser library tests: a temporary drive table, waiting for a
// data source to settle, reading the model's tree by names, and reading a browser's selection.
#include "CFileBrower.h"
#include "CFileSystemModel.h"
#include "CFilterBlock.h"
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

// Points the storage map back at the working directory's drive table.
inline void RestoreIni()
{
    CStorageMap::SetIniPath(QStringLiteral("./default.ini"));
    CStorageMap::Reload();
}

// Lets a browser's source finish everything it has started.
inline void Settle(IFileBrower* b)
{
    if (b && b->GetDataSource())
        b->GetDataSource()->WaitIdle();
}

// A browser with the given options over the data source they call for (the image's when one is
// named), settled.
inline IFileBrower* NewBrowser(uint32_t options, const QString& image = QString())
{
    const QByteArray path = image.toUtf8();
    _CFileBrowserPara para;
    para.options = options;
    if (!image.isEmpty())
        para.imagePath = path.constData(); // the source copies it
    IFileBrower* b = IFileBrower::CreateInstance(&para, nullptr, nullptr);
    Settle(b);
    return b;
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

// Reaches a folder as Reach does and lists it.
inline NodeIndex Listed(CFileBrower* b, const QStringList& names)
{
    const NodeIndex id = Reach(b, names);
    if (id)
        Load(b, id);
    return id;
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

// The filter block a browser exports, as bytes; empty when it gives none.
inline QByteArray ExportOf(IFileBrower* b)
{
    void* block = nullptr;
    uint32_t size = 0, flag = 7;
    if (!b->GetFilter(&block, &size, &flag))
        return QByteArray();
    const QByteArray bytes(static_cast<const char*>(block), int(size));
    b->FreeFilter(block);
    return bytes;
}

// The selection a browser exports, read back; an empty block when it cannot be read.
inline CFilterBlock Selection(IFileBrower* b)
{
    const QByteArray bytes = ExportOf(b);
    CFilterBlock parsed;
    if (parsed.Parse(bytes.constData(), size_t(bytes.size())) != 0)
        return CFilterBlock();
    return parsed;
}

} // namespace fbtest
