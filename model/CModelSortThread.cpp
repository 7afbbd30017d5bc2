#include "CModelSortThread.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemModelPrivate.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CNaturalKey.h"
#include "NodePrefetch.h"
#include <QDateTime>
#include <QLocale>
#include <QStringView>
#include <algorithm>
#include <type_traits>
#include <vector>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

int NaturalCompareRaw(const ushort* p1, int n1, const ushort* p2, int n2, Qt::CaseSensitivity cs, bool cLocale);

// What the merge sort moves around: what decides most comparisons, and the index of the rest
// (the columns below, read once per node: the sort compares each node many times and must not
// take the node's locks every time). A name whose natural key can express its order compares by
// the key (first by its packed prefix); the others, and equal keys, by the full comparison.
struct SortEntry
{
    quint64 prefix = 0;
    qint64 number = 0;
    quint32 index = 0;
    bool isDir = false;
    bool simple = false;
};

// Where an entry's natural key lies in the key buffer.
struct KeySpan
{
    quint32 offset = 0;
    quint32 length = 0;
};

// Calls f with the comparison that column sorts by, as a compile-time constant: the size columns
// (1, 5 and 6) compare alike; any other column calls nothing.
template <class F>
void ForColumn(int column, F&& f)
{
    switch (column) {
    case 0:
        f(std::integral_constant<int, 0>());
        break;
    case 1:
    case 5:
    case 6:
        f(std::integral_constant<int, 1>());
        break;
    case 2:
        f(std::integral_constant<int, 2>());
        break;
    case 3:
        f(std::integral_constant<int, 3>());
        break;
    case 4:
        f(std::integral_constant<int, 4>());
        break;
    default:
        break;
    }
}

struct SortData
{
    int column = 0;
    bool cLocale = true;
    std::vector<SortEntry> entries;
    // By entry index: the shown name (display name, or the name when there is none), the child's
    // key in its parent (what the sorted names list holds), and what columns 2 to 4 compare.
    std::vector<QString> names;
    std::vector<QString> uppers;
    std::vector<QString> texts;
    std::vector<QDateTime> modified;
    std::vector<KeySpan> spans;
    std::vector<ushort> keys;

    void Reserve(size_t n)
    {
        entries.reserve(n);
        names.reserve(n);
        uppers.reserve(n);
        if (column == 2 || column == 4)
            texts.reserve(n);
        if (column == 3)
            modified.reserve(n);
        spans.reserve(n);
        keys.reserve(n * 16);
    }

    // Reads what column compares from node (which is kept by the caller) into a new entry.
    void Add(const CLvFileSystemNode* node, const QString& upper, const CNodeInfoFacts& info)
    {
        SortEntry e;
        e.index = quint32(entries.size());
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
            texts.push_back(node->GetTypeText());
            break;
        case 3:
            modified.push_back(node->GetModified());
            break;
        case 4:
            texts.push_back(node->PathText());
            break;
        case 6:
            e.isDir = isDir;
            e.number = noSize ? 0 : info.secondSize;
            break;
        default:
            break;
        }
        const QString& name = node->DisplayOrNameRef();
        // Outside the C locale characters compare through the locale: no keys then.
        KeySpan span;
        span.offset = quint32(keys.size());
        e.simple = cLocale && CNaturalKey::Append(name, keys);
        span.length = quint32(keys.size() - span.offset);
        names.push_back(name);
        uppers.push_back(upper);
        spans.push_back(span);
        entries.push_back(e);
    }

    // The packed prefix starts after what every simple key shares (names of one folder often
    // begin alike), so that it decides most comparisons on its own.
    void Finish()
    {
        size_t common = 0;
        const ushort* first = nullptr;
        for (const SortEntry& e : entries) {
            if (!e.simple)
                continue;
            const KeySpan& span = spans[e.index];
            const ushort* key = keys.data() + span.offset;
            if (!first) {
                first = key;
                common = span.length;
                continue;
            }
            size_t n = 0;
            while (n < common && n < span.length && key[n] == first[n])
                ++n;
            common = n;
        }
        skip = common;
        // A byte per element when every simple key allows it (the usual case), which lets the
        // prefix alone decide nearly every comparison.
        bool narrow = true;
        for (const SortEntry& e : entries)
            if (e.simple && !CNaturalKey::FitsNarrow(Key(e), Length(e))) {
                narrow = false;
                break;
            }
        for (SortEntry& e : entries)
            if (e.simple)
                e.prefix = narrow ? CNaturalKey::NarrowPrefix(Key(e), Length(e)) : CNaturalKey::Prefix(Key(e), Length(e));
    }

    // Leading key elements that every simple key holds alike.
    size_t skip = 0;

    // An entry's key after those leading elements.
    const ushort* Key(const SortEntry& e) const { return keys.data() + spans[e.index].offset + skip; }
    size_t Length(const SortEntry& e) const { return spans[e.index].length - skip; }

    bool NameBefore(const SortEntry& l, const SortEntry& r) const
    {
        if (l.simple && r.simple) {
            if (l.prefix != r.prefix)
                return l.prefix < r.prefix;
            const int c = CNaturalKey::Compare(Key(l), Length(l), Key(r), Length(r));
            if (c != 0)
                return c < 0;
        }
        const QString& a = names[l.index];
        const QString& b = names[r.index];
        return NaturalCompareRaw(a.utf16(), a.size(), b.utf16(), b.size(), Qt::CaseInsensitive, cLocale) < 0;
    }

    // The order of column as a comparison of two entries (inlined into the sort).
    template <int Column>
    bool Before(const SortEntry& l, const SortEntry& r) const
    {
        switch (Column) {
        case 0:
            if (l.isDir != r.isDir)
                return l.isDir;
            return NameBefore(l, r);
        case 1:
            if (l.isDir != r.isDir)
                return l.isDir;
            if (l.number != r.number)
                return l.number < r.number;
            return NameBefore(l, r);
        case 2: {
            const int c = QString::localeAwareCompare(texts[l.index], texts[r.index]);
            return c != 0 ? c < 0 : NameBefore(l, r);
        }
        case 3: {
            const QDateTime& a = modified[l.index];
            const QDateTime& b = modified[r.index];
            if (a == b)
                return NameBefore(l, r);
            return a < b;
        }
        case 4: {
            const QString& a = texts[l.index];
            const QString& b = texts[r.index];
            if (a == b)
                return NameBefore(l, r);
            return a < b;
        }
        default:
            return false;
        }
    }

    bool Before(const SortEntry& l, const SortEntry& r) const
    {
        bool before = false;
        ForColumn(column, [&](auto c) { before = Before<decltype(c)::value>(l, r); });
        return before;
    }

    // Sorts the entries by column (see MergeSort).
    void Sort();
};

// Stable top-down merge sort: equal keys keep their enumeration order. Written out rather than
// std::stable_sort so that a comparison that is not a strict weak order (the full natural
// comparison is intransitive on some names, such as non-ASCII digits) can never make it read
// outside the range, and so that such names keep the order they always had.
// Sorts [lo, hi) of items, reading from source, which holds the same entries on entry: the two
// arrays trade roles at every level, so no merge has to copy its result back.
template <class Less>
void Merge(const Less& before, const SortEntry* source, SortEntry* items, size_t lo, size_t mid, size_t hi)
{
    if (!before(source[mid], source[mid - 1])) {
        std::copy(source + lo, source + hi, items + lo); // already in order
        return;
    }
    size_t i = lo, j = mid, out = lo;
    while (i < mid && j < hi) {
        // Chosen without a branch: which side wins is a coin toss the processor cannot predict.
        const bool right = before(source[j], source[i]);
        items[out++] = right ? source[j] : source[i];
        j += right;
        i += !right;
    }
    while (i < mid)
        items[out++] = source[i++];
    while (j < hi)
        items[out++] = source[j++];
}

template <class Less>
void MergeSort(const Less& before, SortEntry* source, SortEntry* items, size_t lo, size_t hi)
{
    if (hi - lo < 2)
        return;
    const size_t mid = lo + (hi - lo) / 2;
    MergeSort(before, items, source, lo, mid);
    MergeSort(before, items, source, mid, hi);
    Merge(before, source, items, lo, mid, hi);
}

// Smaller folders are merge-sorted: the radix sort's fixed passes do not pay there.
constexpr size_t kRadixMin = 256;

// Whether two entries tie on everything the radix sort orders by.
template <bool WithNumber>
bool SameRadixKey(const SortEntry& l, const SortEntry& r)
{
    return l.prefix == r.prefix && l.isDir == r.isDir && (!WithNumber || l.number == r.number);
}

// For the name and size columns when every name has a natural key: sorts the entries stably by
// what decides a comparison before the rest of the key (folders first, then the number when
// WithNumber) and the packed prefix, with a radix sort; entries that tie on all of that stay in
// their enumeration order for the caller to sort further. False (entries unchanged) when the
// entries are too few or not every name has a key.
template <bool WithNumber>
bool RadixSortByPrefix(std::vector<SortEntry>& entries)
{
    const size_t n = entries.size();
    if (n < kRadixMin)
        return false;
    for (const SortEntry& e : entries)
        if (!e.simple)
            return false;
    std::vector<SortEntry> spare(n);
    SortEntry* from = entries.data();
    SortEntry* to = spare.data();
    // One counting pass per byte, least significant first; a byte that every entry shares
    // leaves the order as it is and is skipped.
    const auto pass = [&](auto digit) {
        size_t start[256] = {};
        for (size_t i = 0; i < n; ++i)
            ++start[digit(from[i])];
        for (size_t count : start)
            if (count == n)
                return;
        size_t at = 0;
        for (size_t& count : start) {
            const size_t c = count;
            count = at;
            at += c;
        }
        for (size_t i = 0; i < n; ++i)
            to[start[digit(from[i])]++] = from[i];
        std::swap(from, to);
    };
    for (int shift = 0; shift < 64; shift += 8)
        pass([shift](const SortEntry& e) { return unsigned(e.prefix >> shift) & 0xFFu; });
    if (WithNumber) {
        // Signed: the sign bit flipped orders negative numbers first.
        for (int shift = 0; shift < 64; shift += 8)
            pass([shift](const SortEntry& e) { return unsigned((quint64(e.number) ^ (quint64(1) << 63)) >> shift) & 0xFFu; });
    }
    pass([](const SortEntry& e) { return e.isDir ? 0u : 1u; });
    if (from != entries.data())
        std::copy(from, from + n, entries.begin());
    return true;
}

template <int Column>
void SortBy(const SortData& data, std::vector<SortEntry>& entries)
{
    const auto before = [&data](const SortEntry& l, const SortEntry& r) { return data.Before<Column>(l, r); };
    constexpr bool kRadix = Column == 0 || Column == 1;
    if (kRadix && RadixSortByPrefix<Column == 1>(entries)) {
        // When every name has a key the order is a strict weak one: keys compare element by
        // element, and names with equal keys differ only in case, white space and leading
        // zeros, where the full comparison comes down to a plain case-insensitive one. So every
        // stable sort gives the same order as the merge sort below: the radix sort's, with each
        // run of entries that tie on its key merge-sorted in place.
        std::vector<SortEntry> buffer;
        const size_t n = entries.size();
        for (size_t lo = 0; lo < n;) {
            size_t hi = lo + 1;
            while (hi < n && SameRadixKey<Column == 1>(entries[lo], entries[hi]))
                ++hi;
            if (hi - lo > 1) {
                buffer.assign(entries.begin() + lo, entries.begin() + hi);
                MergeSort(before, buffer.data(), entries.data() + lo, 0, hi - lo);
            }
            lo = hi;
        }
        return;
    }
    std::vector<SortEntry> buffer(entries);
    MergeSort(before, buffer.data(), entries.data(), 0, entries.size());
}

void SortData::Sort()
{
    // Other columns compare every pair equal: the enumeration order stays.
    ForColumn(column, [this](auto c) { SortBy<decltype(c)::value>(*this, entries); });
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
    toShow.clear();
    toHide.clear();

    SortData data;
    data.column = col;
    data.cLocale = IsCLocale();
    quint64 generation = 0;
    // The children are read under one hold of the folder's children lock: while it is held the
    // folder's references keep every child alive, so the children are looked at without taking
    // references of their own (two atomic operations on cold memory per child), and the map's
    // keys are read in place.
    node->ReadChildrenLocked([&](const QHash<QString, NodeIndex>& children, quint64 childGeneration) {
        generation = childGeneration;
        const size_t total = size_t(children.size());
        std::vector<const QString*> keys;
        std::vector<NodeIndex> ids;
        keys.reserve(total);
        ids.reserve(total);
        // In the order of the map's iterators: equal names keep it.
        for (auto it = children.cbegin(); it != children.cend(); ++it) {
            keys.push_back(&it.key());
            ids.push_back(it.value());
        }
        data.Reserve(total);
        // The registry is asked for a few hundred children at a time (one lock each).
        std::vector<CLvFileSystemNode*> nodes(total, nullptr);
        constexpr size_t kChunk = 256;
        for (size_t base = 0; base < total; base += kChunk)
            CLvFileSystemNodeMgr::PeekNodes(ids.data() + base, std::min(kChunk, total - base), nodes.data() + base);
        // How far ahead the node and its key are asked for, and then what the node points to.
        constexpr size_t kFar = 16;
        constexpr size_t kNear = 8;
        for (size_t i = 0; i < total; ++i) {
            // The children lie all over the heap: each one's memory is asked for early, in two
            // steps (the node and its key, then what they point to), so that reading them does
            // not wait for memory one node at a time. For writing: locks are taken.
            if (i + kFar < total && nodes[i + kFar]) {
                nodes[i + kFar]->PrefetchNode();
                __builtin_prefetch(keys[i + kFar]);
            }
            if (i + kNear < total && nodes[i + kNear]) {
                nodes[i + kNear]->PrefetchFacts();
                PrefetchForWrite(const_cast<QString*>(keys[i + kNear])->data_ptr());
            }
            CLvFileSystemNode* child = nodes[i];
            if (!child)
                continue;
            const CNodeInfoFacts facts = child->InfoFacts();
            // Only children whose shown flag the new rows change are kept for the GUI thread,
            // with references of their own (they outlive the lock).
            if (!d || d->Accepts(child, facts)) {
                data.Add(child, *keys[i], facts);
                if (!child->InParentRows()) {
                    child->AddRef();
                    toShow.emplace_back(child);
                }
            } else if (child->InParentRows()) {
                child->AddRef();
                toHide.emplace_back(child);
            }
        }
    });
    data.Finish();
    data.Sort();

    QStringList sorted;
    sorted.reserve(int(data.entries.size()));
    for (const SortEntry& e : data.entries) {
        // Handed over rather than copied: no reference count to touch per name.
        sorted.append(QString());
        sorted.last().swap(data.uppers[e.index]);
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
