#include "CLvFileSystemNodeMgr.h"
#include "CLvFileSystemNode.h"
#include <QHash>
#include <mutex>

namespace {

struct Registry
{
    std::mutex mutex;
    QHash<NodeIndex, CLvFileSystemNode*> nodes;
    NodeIndex next = 1;
};

Registry& registry()
{
    // Never destroyed: nodes may still be released by pool threads while the process exits.
    static Registry* r = new Registry;
    return *r;
}

} // namespace

CLvFileSystemNode* CLvFileSystemNodeMgr::GetNode(NodeIndex id)
{
    if (id == 0)
        return nullptr;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    CLvFileSystemNode* node = r.nodes.value(id, nullptr);
    // A node whose count already reached zero is being destroyed: it no longer resolves.
    if (node && node->AddRefIfAlive())
        return node;
    return nullptr;
}

void CLvFileSystemNodeMgr::GetNodes(const NodeIndex* ids, size_t count, CLvFileSystemNode** out)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (size_t i = 0; i < count; ++i) {
        CLvFileSystemNode* node = ids[i] ? r.nodes.value(ids[i], nullptr) : nullptr;
        out[i] = node && node->AddRefIfAlive() ? node : nullptr;
    }
}

void CLvFileSystemNodeMgr::PeekNodes(const NodeIndex* ids, size_t count, CLvFileSystemNode** out)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (size_t i = 0; i < count; ++i)
        out[i] = ids[i] ? r.nodes.value(ids[i], nullptr) : nullptr;
}

bool CLvFileSystemNodeMgr::IsValidNode(NodeIndex id)
{
    if (id == 0)
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.nodes.contains(id);
}

CLvFileSystemNode* CLvFileSystemNodeMgr::CreateNode(const QString& name, NodeIndex parent, IFileSystemModel* model)
{
    auto* node = new CLvFileSystemNode(name, parent, model);
    Register(node);
    return node;
}

CLvFileSystemNode* CLvFileSystemNodeMgr::CopyNode(NodeIndex id)
{
    CLvFileSystemNode* source = GetNode(id);
    if (!source)
        return nullptr;
    auto* copy = new CLvFileSystemNode(*source);
    Register(copy);
    // The copy constructor took every value of the source, so merging the two (force off)
    // would change neither: every rule keeps equal values equal.
    source->Release();
    return copy;
}

void CLvFileSystemNodeMgr::RemoveNode(NodeIndex id)
{
    if (id == 0)
        return;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.nodes.remove(id);
}

int CLvFileSystemNodeMgr::NodeCount()
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.nodes.size();
}

NodeIndex CLvFileSystemNodeMgr::Register(CLvFileSystemNode* node)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    // Skip 0 and every id still held by a live node (the counter wraps after 2^32 - 1 ids).
    NodeIndex id = r.next;
    while (id == 0 || r.nodes.contains(id))
        ++id;
    r.next = id + 1;
    r.nodes.insert(id, node);
    node->SetId(id);
    return id;
}

void CLvFileSystemNodeMgr::Unregister(NodeIndex id, const CLvFileSystemNode* node)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.nodes.find(id);
    if (it != r.nodes.end() && it.value() == node)
        r.nodes.erase(it);
}
