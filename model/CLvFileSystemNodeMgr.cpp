#include "CLvFileSystemNodeMgr.h"
#include "CLvFileSystemNode.h"
#include <mutex>
#include <vector>

namespace {

// The live nodes by id: open addressing with linear probing, at most three quarters full. A
// look-up reads one slot (and its neighbours on the same line) rather than a bucket and then a
// separately allocated entry, and the slot of an id can be asked for ahead of the look-up.
class NodeTable
{
public:
    CLvFileSystemNode* Find(NodeIndex id) const
    {
        if (id == 0 || m_slots.empty())
            return nullptr;
        for (size_t i = Home(id);; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.id == id)
                return slot.node;
            if (slot.id == 0)
                return nullptr;
        }
    }

    void Prefetch(NodeIndex id) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[Home(id)]);
    }

    // id must not be in the table yet.
    void Insert(NodeIndex id, CLvFileSystemNode* node)
    {
        if ((m_size + 1) * 4 > m_slots.size() * 3)
            Rehash(m_slots.empty() ? kMinSlots : m_slots.size() * 2);
        size_t i = Home(id);
        while (m_slots[i].id != 0)
            i = (i + 1) & m_mask;
        m_slots[i] = Slot{id, node};
        ++m_size;
    }

    // Removes id when it maps to node (any node when node is null); true when it was removed.
    bool Erase(NodeIndex id, const CLvFileSystemNode* node)
    {
        if (id == 0 || m_slots.empty())
            return false;
        size_t hole = Home(id);
        while (m_slots[hole].id != id) {
            if (m_slots[hole].id == 0)
                return false;
            hole = (hole + 1) & m_mask;
        }
        if (node && m_slots[hole].node != node)
            return false;
        // Every later entry of the run that may sit in the hole moves back into it, so that no
        // look-up meets an empty slot before its id.
        for (size_t j = (hole + 1) & m_mask; m_slots[j].id != 0; j = (j + 1) & m_mask) {
            const size_t home = Home(m_slots[j].id);
            if (((j - home) & m_mask) >= ((j - hole) & m_mask)) {
                m_slots[hole] = m_slots[j];
                hole = j;
            }
        }
        m_slots[hole] = Slot();
        --m_size;
        // A table that emptied gives most of its memory back.
        if (m_slots.size() > kMinSlots && m_size * 8 < m_slots.size())
            Rehash(m_slots.size() / 2);
        return true;
    }

    size_t Size() const { return m_size; }

private:
    struct Slot
    {
        NodeIndex id = 0; // 0: empty (no node has id 0)
        CLvFileSystemNode* node = nullptr;
    };
    static constexpr size_t kMinSlots = 64;

    // Multiplicative hashing: ids come in runs, which this spreads over the whole table.
    size_t Home(NodeIndex id) const { return size_t((quint64(id) * 0x9E3779B97F4A7C15ull) >> m_shift); }

    // count: a power of two.
    void Rehash(size_t count)
    {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(count, Slot());
        m_mask = count - 1;
        m_shift = 64;
        for (size_t n = count; n > 1; n >>= 1)
            --m_shift;
        for (const Slot& slot : old) {
            if (slot.id == 0)
                continue;
            size_t i = Home(slot.id);
            while (m_slots[i].id != 0)
                i = (i + 1) & m_mask;
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;
    size_t m_mask = 0;
    int m_shift = 64;
    size_t m_size = 0;
};

struct Registry
{
    std::mutex mutex;
    NodeTable nodes;
    NodeIndex next = 1;
};

// How many ids ahead a look-up of many asks for its slot.
constexpr size_t kLookAhead = 8;

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
    CLvFileSystemNode* node = r.nodes.Find(id);
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
        if (i + kLookAhead < count)
            r.nodes.Prefetch(ids[i + kLookAhead]);
        CLvFileSystemNode* node = r.nodes.Find(ids[i]);
        out[i] = node && node->AddRefIfAlive() ? node : nullptr;
    }
}

void CLvFileSystemNodeMgr::PeekNodes(const NodeIndex* ids, size_t count, CLvFileSystemNode** out)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (size_t i = 0; i < count; ++i) {
        if (i + kLookAhead < count)
            r.nodes.Prefetch(ids[i + kLookAhead]);
        out[i] = r.nodes.Find(ids[i]);
    }
}

bool CLvFileSystemNodeMgr::IsValidNode(NodeIndex id)
{
    if (id == 0)
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.nodes.Find(id) != nullptr;
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
    r.nodes.Erase(id, nullptr);
}

int CLvFileSystemNodeMgr::NodeCount()
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return int(r.nodes.Size());
}

NodeIndex CLvFileSystemNodeMgr::Register(CLvFileSystemNode* node)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    // Skip 0 and every id still held by a live node (the counter wraps after 2^32 - 1 ids).
    NodeIndex id = r.next;
    while (id == 0 || r.nodes.Find(id))
        ++id;
    r.next = id + 1;
    r.nodes.Insert(id, node);
    node->SetId(id);
    return id;
}

void CLvFileSystemNodeMgr::Unregister(NodeIndex id, const CLvFileSystemNode* node)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.nodes.Erase(id, node);
}
