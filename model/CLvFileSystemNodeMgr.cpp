#include "CLvFileSystemNodeMgr.h"
#include "CLvFileSystemNode.h"
#include <memory>
#include <mutex>
#include <vector>

namespace {

// Ids are handed out in order, so the registry is a table indexed by id, in pages that exist
// while they hold a node: a look-up is two array reads, and the children of one folder (whose ids
// follow each other) share their slots' cache lines.
constexpr unsigned kPageBits = 10;
constexpr NodeIndex kPageSize = NodeIndex(1) << kPageBits;

struct Page
{
    CLvFileSystemNode* entries[kPageSize] = {};
    NodeIndex used = 0;
};

struct Registry
{
    std::mutex mutex;
    std::vector<std::unique_ptr<Page>> pages;
    NodeIndex next = 1;
    int count = 0;

    CLvFileSystemNode* Find(NodeIndex id) const
    {
        const size_t page = id >> kPageBits;
        return page < pages.size() && pages[page] ? pages[page]->entries[id & (kPageSize - 1)] : nullptr;
    }

    void Insert(NodeIndex id, CLvFileSystemNode* node)
    {
        const size_t page = id >> kPageBits;
        if (page >= pages.size())
            pages.resize(page + 1);
        if (!pages[page])
            pages[page].reset(new Page);
        pages[page]->entries[id & (kPageSize - 1)] = node;
        ++pages[page]->used;
        ++count;
    }

    // Empties the slot of id when it holds node (any node when node is null).
    void Erase(NodeIndex id, const CLvFileSystemNode* node)
    {
        const size_t page = id >> kPageBits;
        if (page >= pages.size() || !pages[page])
            return;
        CLvFileSystemNode*& slot = pages[page]->entries[id & (kPageSize - 1)];
        if (!slot || (node && slot != node))
            return;
        slot = nullptr;
        --count;
        if (--pages[page]->used == 0)
            pages[page].reset();
    }
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
    CLvFileSystemNode* node = r.Find(id);
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
        CLvFileSystemNode* node = ids[i] ? r.Find(ids[i]) : nullptr;
        out[i] = node && node->AddRefIfAlive() ? node : nullptr;
    }
}

void CLvFileSystemNodeMgr::PeekNodes(const NodeIndex* ids, size_t count, CLvFileSystemNode** out)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (size_t i = 0; i < count; ++i)
        out[i] = ids[i] ? r.Find(ids[i]) : nullptr;
}

bool CLvFileSystemNodeMgr::IsValidNode(NodeIndex id)
{
    if (id == 0)
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.Find(id) != nullptr;
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
    r.Erase(id, nullptr);
}

int CLvFileSystemNodeMgr::NodeCount()
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.count;
}

NodeIndex CLvFileSystemNodeMgr::Register(CLvFileSystemNode* node)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    // Skip 0 and every id still held by a live node (the counter wraps after 2^32 - 1 ids).
    NodeIndex id = r.next;
    while (id == 0 || r.Find(id))
        ++id;
    r.next = id + 1;
    r.Insert(id, node);
    node->SetId(id);
    return id;
}

void CLvFileSystemNodeMgr::Unregister(NodeIndex id, const CLvFileSystemNode* node)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.Erase(id, node);
}
