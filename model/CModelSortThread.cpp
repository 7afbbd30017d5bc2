#include "CModelSortThread.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemModelPrivate.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CNaturalKey.h"
#include <QDateTime>
#include <QLocale>
#include <QStringView>
#include <algorithm>
#include <vector>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

int NaturalCompareRaw(const ushort* p1, int n1, const ushort* p2, int n2, Qt::CaseSensitivity cs, bool cLocale);

// What a comparison reads besides the hot entry, fetched once per node: the sort compares each
// node many times and must not take the node's locks every time.
struct ColdKey
{
    QString name;   // the shown name: display name, or the name when there is none
    QString upper;  // the child's key in its parent (what the sorted names list holds)
    QString text;
    QDateTime modified;
};

// What the merge sort moves around. A name whose natural key can express its order compares by
// the key (first by its packed prefix); the others, and equal keys, by the full comparison.
struct SortEntry
{
    quint64 prefix = 0;
    qint64 number = 0;
    const ushort* key = nullptr;
    quint32 keyLength = 0;
    quint32 cold = 0;
    bool isDir = false;
    bool simple = false;
};

struct SortData
{
    int column = 0;
    bool cLocale = true;
    std::vector<ColdKey> cold;
    std::vector<SortEntry> entries;
    std::vector<size_t> keyOffsets;
    std::vector<ushort> keys;

    // Reads what column compares from node (which is kept by the caller) into a new entry.
    void Add(const CLvFileSystemNode* node, const QString& upper, const CNodeInfoFacts& info)
    {
        ColdKey c;
        c.name = node->DisplayName();
        if (c.name.isEmpty())
            c.name = node->Name();
        c.upper = upper;
        SortEntry e;
        // The answers of IsDir, GetSize and GetSecondSize from one read of the record.
        const bool isDir = info.present ? info.kind == InfoKind::kDirectory : node->ChildCount() >= 1;
        const bool noSize = !info.present || info.kind == InfoKind::kDirectory;
        switch (column) {
        case 0:
            e.isDir = isDir;
            break;
        case 1:
        case 5:
            e.isDir = isDir;
            e.number = noSize ? 0 : info.size;
            break;
        case 2:
            c.text = node->GetTypeText();
            break;
        case 3:
            c.modified = node->GetModified();
            break;
        case 4:
            c.text = node->PathText();
            break;
        case 6:
            e.isDir = isDir;
            e.number = noSize ? 0 : info.secondSize;
            break;
        default:
            break;
        }
        // Outside the C locale characters compare through the locale: no keys then.
        const size_t offset = keys.size();
        e.simple = cLocale && CNaturalKey::Append(c.name, keys);
        e.keyLength = quint32(keys.size() - offset);
        e.cold = quint32(cold.size());
        keyOffsets.push_back(offset);
        cold.push_back(std::move(c));
        entries.push_back(e);
    }

    // Points the entries at their keys once the key buffer no longer grows. The packed prefix
    // starts after what every simple key shares (names of one folder often begin alike), so
    // that it decides most comparisons on its own.
    void Finish()
    {
        size_t common = 0;
        const SortEntry* first = nullptr;
        for (size_t i = 0; i < entries.size(); ++i) {
            SortEntry& e = entries[i];
            e.key = keys.data() + keyOffsets[i];
            if (!e.simple)
                continue;
            if (!first) {
                first = &e;
                common = e.keyLength;
                continue;
            }
            size_t n = 0;
            while (n < common && n < e.keyLength && e.key[n] == first->key[n])
                ++n;
            common = n;
        }
        skip = common;
        for (SortEntry& e : entries)
            if (e.simple)
                e.prefix = CNaturalKey::Prefix(e.key + skip, e.keyLength - skip);
    }

    // Leading key elements that every simple key holds alike.
    size_t skip = 0;

    bool NameBefore(const SortEntry& l, const SortEntry& r) const
    {
        if (l.simple && r.simple) {
            if (l.prefix != r.prefix)
                return l.prefix < r.prefix;
            const int c = CNaturalKey::Compare(l.key + skip, l.keyLength - skip, r.key + skip, r.keyLength - skip);
            if (c != 0)
                return c < 0;
        }
        const QString& a = cold[l.cold].name;
        const QString& b = cold[r.cold].name;
        return NaturalCompareRaw(a.utf16(), a.size(), b.utf16(), b.size(), Qt::CaseInsensitive, cLocale) < 0;
    }

    bool Before(const SortEntry& l, const SortEntry& r) const
    {
        switch (column) {
        case 0:
            if (l.isDir != r.isDir)
                return l.isDir;
            return NameBefore(l, r);
        case 1:
        case 5:
        case 6:
            if (l.isDir != r.isDir)
                return l.isDir;
            if (l.number != r.number)
                return l.number < r.number;
            return NameBefore(l, r);
        case 2: {
            const int c = QString::localeAwareCompare(cold[l.cold].text, cold[r.cold].text);
            return c != 0 ? c < 0 : NameBefore(l, r);
        }
        case 3: {
            const QDateTime& a = cold[l.cold].modified;
            const QDateTime& b = cold[r.cold].modified;
            if (a == b)
                return NameBefore(l, r);
            return a < b;
        }
        case 4: {
            const QString& a = cold[l.cold].text;
            const QString& b = cold[r.cold].text;
            if (a == b)
                return NameBefore(l, r);
            return a < b;
        }
        default:
            return false;
        }
    }
};

// Stable top-down merge sort: equal keys keep their enumeration order. Written out rather than
// std::stable_sort so that a comparison that is not a strict weak order (the full natural
// comparison is intransitive on some names, such as non-ASCII digits) can never make it read
// outside the range, and so that such names keep the order they always had.
// Sorts [lo, hi) of items, reading from source, which holds the same entries on entry: the two
// arrays trade roles at every level, so no merge has to copy its result back.
void MergeSort(const SortData& data, SortEntry* source, SortEntry* items, size_t lo, size_t hi)
{
    if (hi - lo < 2)
        return;
    const size_t mid = lo + (hi - lo) / 2;
    MergeSort(data, items, source, lo, mid);
    MergeSort(data, items, source, mid, hi);
    if (!data.Before(source[mid], source[mid - 1])) {
        std::copy(source + lo, source + hi, items + lo); // already in order
        return;
    }
    size_t i = lo, j = mid, out = lo;
    while (i < mid && j < hi) {
        if (data.Before(source[j], source[i]))
            items[out++] = source[j++];
        else
            items[out++] = source[i++];
    }
    while (i < mid)
        items[out++] = source[i++];
    while (j < hi)
        items[out++] = source[j++];
}

bool IsCLocale()
{
    return QLocale().language() == QLocale::C;
}

int CompareChars(QChar a, QChar b, bool cLocale)
{
    if (a == b)
        return 0;
    // In the C locale a locale-aware comparison is a plain code-unit comparison.
    if (cLocale)
        return a.unicode() < b.unicode() ? -1 : 1;
    return QString::localeAwareCompare(QString(a), QString(b));
}

// Character classes with an ASCII fast path (names are mostly ASCII; the sort compares each
// name many times).
inline bool IsSpace(ushort c)
{
    return c == ' ' || (c >= 9 && c <= 13) || (c > 127 && QChar(c).isSpace());
}
inline bool IsDigit(ushort c)
{
    return (c >= '0' && c <= '9') || (c > 127 && QChar(c).isDigit());
}
inline int DigitValue(ushort c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    return c > 127 ? QChar(c).digitValue() : -1;
}
inline ushort Lower(ushort c)
{
    if (c < 128)
        return (c >= 'A' && c <= 'Z') ? ushort(c + 32) : c;
    const QChar q(c);
    return q.isLower() ? c : q.toLower().unicode();
}

int NaturalCompareRaw(const ushort* p1, int n1, const ushort* p2, int n2, Qt::CaseSensitivity cs, bool cLocale)
{
    // A position equal to the length reads a null character (the data is null-terminated).
    for (int l1 = 0, l2 = 0; l1 <= n1 && l2 <= n2; ++l1, ++l2) {
        ushort c1 = p1[l1];
        while (IsSpace(c1))
            c1 = ++l1 <= n1 ? p1[l1] : 0;
        ushort c2 = p2[l2];
        while (IsSpace(c2))
            c2 = ++l2 <= n2 ? p2[l2] : 0;

        if (IsDigit(c1) && IsDigit(c2)) {
            while (DigitValue(c1) == 0)
                c1 = ++l1 <= n1 ? p1[l1] : 0;
            while (DigitValue(c2) == 0)
                c2 = ++l2 <= n2 ? p2[l2] : 0;
            // Walk both digit runs in parallel: the shorter run is the smaller number; for runs
            // of equal length the first differing digit decides.
            int decided = 0;
            int a = l1, b = l2;
            ushort d1 = c1, d2 = c2;
            while (a <= n1 && b <= n2) {
                const bool digit1 = d1 != 0 && IsDigit(d1);
                const bool digit2 = d2 != 0 && IsDigit(d2);
                if (!digit1 && !digit2)
                    break;
                if (!digit1)
                    return -1;
                if (!digit2)
                    return 1;
                if (decided == 0 && d1 != d2)
                    decided = d1 < d2 ? -1 : 1;
                ++a;
                ++b;
                d1 = a <= n1 ? p1[a] : 0;
                d2 = b <= n2 ? p2[b] : 0;
            }
            if (decided != 0)
                return decided;
        }

        if (cs == Qt::CaseInsensitive) {
            c1 = Lower(c1);
            c2 = Lower(c2);
        }
        const int r = CompareChars(QChar(c1), QChar(c2), cLocale);
        if (r < 0)
            return -1;
        if (r > 0)
            return 1;
    }
    // Equal as numbers and letters (02 against 2): the plain comparison decides.
    return QStringView(reinterpret_cast<const QChar*>(p1), n1)
        .compare(QStringView(reinterpret_cast<const QChar*>(p2), n2), cs);
}

} // namespace

CModelSortThread::CModelSortThread(CLvFileSystemModelPrivate* d_, const QList<NodeIndex>& targets_, int column_)
    : d(d_), targets(targets_), column(column_)
{
}

CModelSortThread::~CModelSortThread() = default;

qint64 CModelSortThread::run()
{
    NodeIndex first = 0;
    for (NodeIndex t : targets) {
        NodePtr node(CLvFileSystemNodeMgr::GetNode(t));
        if (!node)
            continue;
        if (!first) {
            first = t;
            SortChildren(column, t);
            continue;
        }
        NodePtr firstNode(CLvFileSystemNodeMgr::GetNode(first));
        node->ClearSortedNames();
        if (firstNode)
            node->AddSortedNames(firstNode->SortedNames());
    }
    return 0;
}

void CModelSortThread::SortChildren(int col, NodeIndex id)
{
    NodePtr node(CLvFileSystemNodeMgr::GetNode(id));
    if (!node)
        return;
    // One snapshot of the children, under one lock.
    quint64 generation = 0;
    const std::vector<std::pair<QString, NodeIndex>> children = node->ChildEntries(&generation);
    std::vector<NodeIndex> ids;
    ids.reserve(children.size());
    for (const auto& entry : children)
        ids.push_back(entry.second);
    toShow.clear();
    toHide.clear();

    SortData data;
    data.column = col;
    data.cLocale = IsCLocale();
    data.cold.reserve(children.size());
    data.entries.reserve(children.size());
    data.keyOffsets.reserve(children.size());
    data.keys.reserve(children.size() * 16);
    // The registry is asked for a few hundred children at a time (one lock each), and each
    // chunk is read while its nodes are still in the cache.
    constexpr size_t kChunk = 256;
    CLvFileSystemNode* nodes[kChunk];
    for (size_t base = 0; base < ids.size(); base += kChunk) {
        const size_t count = std::min(kChunk, ids.size() - base);
        CLvFileSystemNodeMgr::GetNodes(ids.data() + base, count, nodes);
        for (size_t i = 0; i < count; ++i) {
            // The children lie all over the heap: ask for the next ones early, so that reading
            // them does not wait for memory one node at a time (for writing: their locks are
            // taken, which needs the lines exclusively).
            if (i + 8 < count && nodes[i + 8]) {
                const char* ahead = reinterpret_cast<const char*>(nodes[i + 8]);
                for (size_t line = 0; line < sizeof(CLvFileSystemNode); line += 64)
                    __builtin_prefetch(ahead + line, 1);
            }
            NodePtr child(nodes[i]); // adopts the reference GetNodes added
            if (!child)
                continue;
            const CNodeInfoFacts facts = child->InfoFacts();
            // Only children whose shown flag the new rows change are kept for the GUI thread.
            if (!d || d->Accepts(child.get(), facts)) {
                data.Add(child.get(), children[base + i].first, facts);
                if (!child->InParentRows())
                    toShow.push_back(std::move(child));
            } else if (child->InParentRows()) {
                toHide.push_back(std::move(child));
            }
        }
    }
    data.Finish();
    std::vector<SortEntry> buffer(data.entries);
    MergeSort(data, buffer.data(), data.entries.data(), 0, data.entries.size());

    QStringList sorted;
    sorted.reserve(int(data.entries.size()));
    for (const SortEntry& e : data.entries) {
        // Handed over rather than copied: no reference count to touch per name.
        sorted.append(QString());
        sorted.last().swap(data.cold[e.cold].upper);
    }
    node->SetSortedUpperNames(sorted);
    sortedNode = id;
    sortedGeneration = generation;
}

bool CModelSortThread::compareNodes(int column, NodeIndex left, NodeIndex right)
{
    NodePtr l(CLvFileSystemNodeMgr::GetNode(left));
    NodePtr r(CLvFileSystemNodeMgr::GetNode(right));
    if (!l || !r)
        return false;
    SortData data;
    data.column = column;
    data.cLocale = IsCLocale();
    data.Add(l.get(), QString(), l->InfoFacts());
    data.Add(r.get(), QString(), r->InfoFacts());
    data.Finish();
    return data.Before(data.entries[0], data.entries[1]);
}

int CModelSortThread::naturalCompare(const QString& s1, const QString& s2, Qt::CaseSensitivity cs)
{
    return NaturalCompareRaw(s1.utf16(), s1.size(), s2.utf16(), s2.size(), cs, IsCLocale());
}
