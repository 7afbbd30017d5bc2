#pragma once
#include "NodeKind.h"
#include <QString>

class CLvFileSystemNode;
class IFileSystemModel;

// The process-wide node registry: maps ids to live nodes. It owns no reference; a node leaves
// it when its last reference goes. Ids are never 0 and are not handed out again while a node
// with that id lives. Every operation is thread-safe.
class CLvFileSystemNodeMgr
{
public:
    // The node with a reference added for the caller (hold it in a CLvAutoPtrEx), or null.
    static CLvFileSystemNode* GetNode(NodeIndex id);
    static bool IsValidNode(NodeIndex id);
    // GetNode for count ids under one lock of the registry: out[i] is the node of ids[i] with a
    // reference added for the caller, or null.
    static void GetNodes(const NodeIndex* ids, size_t count, CLvFileSystemNode** out);
    // GetNodes without references: out[i] is the node of ids[i] or null, for a caller that keeps
    // those nodes alive by other means (a parent's children lock held for reading, see
    // CLvFileSystemNode::ReadChildrenLocked).
    static void PeekNodes(const NodeIndex* ids, size_t count, CLvFileSystemNode** out);
    // A new registered node with one reference (the caller's).
    static CLvFileSystemNode* CreateNode(const QString& name, NodeIndex parent, IFileSystemModel* model);
    // A registered copy of id merged with it, with one reference; null when id does not resolve.
    static CLvFileSystemNode* CopyNode(NodeIndex id);
    // Takes id out of the registry: it no longer resolves.
    static void RemoveNode(NodeIndex id);
    // Number of registered nodes (diagnostics and tests).
    static int NodeCount();

private:
    friend class CLvFileSystemNode;
    static NodeIndex Register(CLvFileSystemNode* node);
    // Removes id only while it still maps to node.
    static void Unregister(NodeIndex id, const CLvFileSystemNode* node);
};
