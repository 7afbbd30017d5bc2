#include "CModelSortThread.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemModelPrivate.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include <QDateTime>
#include <QLocale>
#include <QStringView>
#include <algorithm>
#include <vector>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

// What the comparison of one column reads from a node, fetched once per node: the merge sort
// compares each node many times and must not take the node's locks every time.
struct SortKey
{
    NodeIndex id = 0;
    int pos = 0;
    QString name;
    QString text;
    QDateTime modified;
    qint64 number = 0;
    bool isDir = false;
};

SortKey MakeKey(int column, const CLvFileSystemNode* node, int pos)
{
    SortKey k;
    k.id = node->Id();
    k.pos = pos;
    // The shown name sorts; a node without a display name shows (and sorts by) its name.
    k.name = node->DisplayName();
    if (k.name.isEmpty())
        k.name = node->Name();
    // The answers of IsDir, GetSize and GetSecondSize from one read of the record.
    const CNodeInfoPtr info = node->Info();
    const bool isDir = info ? info->Kind() == InfoKind::kDirectory : node->ChildCount() >= 1;
    const bool noSize = !info || info->Kind() == InfoKind::kDirectory;
    switch (column) {
    case 0:
        k.isDir = isDir;
        break;
    case 1:
    case 5:
        k.isDir = isDir;
        k.number = noSize ? 0 : info->size;
        break;
    case 2:
        k.text = node->GetTypeText();
        break;
    case 3:
        k.modified = info ? info->modified : QDateTime();
        break;
    case 4:
        k.text = node->PathText();
        break;
    case 6:
        k.isDir = isDir;
        k.number = noSize ? 0 : info->secondSize;
        break;
    default:
        break;
    }
    return k;
}

int NaturalCompareRaw(const ushort* p1, int n1, const ushort* p2, int n2, Qt::CaseSensitivity cs, bool cLocale);

// Whether the running sort compares in the C locale (decided once per sort, not per pair).
thread_local bool t_cLocale = true;

// What the merge sort moves around: the name inline when it is short, so that comparing two
// entries reads the sort array itself instead of two strings elsewhere on the heap.
struct HotKey
{
    static constexpr int kInline = 22;
    ushort chars[kInline + 1];
    quint16 len;
    bool isLong;
    bool isDir;
    qint64 number;
    const SortKey* cold;

    void Set(const SortKey& key)
    {
        cold = &key;
        isDir = key.isDir;
        number = key.number;
        isLong = key.name.size() > kInline;
        len = isLong ? 0 : quint16(key.name.size());
        if (!isLong) {
            const ushort* src = key.name.utf16();
            for (int i = 0; i < len; ++i)
                chars[i] = src[i];
            chars[len] = 0;
        }
    }
    const ushort* Name() const { return isLong ? cold->name.utf16() : chars; }
    int NameLength() const { return isLong ? cold->name.size() : len; }
};

bool NameBefore(const HotKey& l, const HotKey& r)
{
    return NaturalCompareRaw(l.Name(), l.NameLength(), r.Name(), r.NameLength(), Qt::CaseInsensitive, t_cLocale) < 0;
}

bool KeyBefore(int column, const HotKey& l, const HotKey& r)
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
        const int c = QString::localeAwareCompare(l.cold->text, r.cold->text);
        return c != 0 ? c < 0 : NameBefore(l, r);
    }
    case 3:
        if (l.cold->modified == r.cold->modified)
            return NameBefore(l, r);
        return l.cold->modified < r.cold->modified;
    case 4:
        if (l.cold->text == r.cold->text)
            return NameBefore(l, r);
        return l.cold->text < r.cold->text;
    default:
        return false;
    }
}

// Stable top-down merge sort: equal keys keep their enumeration order. Written out rather than
// std::stable_sort so that a comparison that is not a strict weak order can never make it read
// outside the range.
void MergeSort(int column, std::vector<HotKey>& items, std::vector<HotKey>& buffer, size_t lo, size_t hi)
{
    if (hi - lo < 2)
        return;
    const size_t mid = lo + (hi - lo) / 2;
    MergeSort(column, items, buffer, lo, mid);
    MergeSort(column, items, buffer, mid, hi);
    if (!KeyBefore(column, items[mid], items[mid - 1]))
        return; // already in order
    size_t i = lo, j = mid, out = lo;
    while (i < mid && j < hi) {
        if (KeyBefore(column, items[j], items[i]))
            buffer[out++] = items[j++];
        else
            buffer[out++] = items[i++];
    }
    while (i < mid)
        buffer[out++] = items[i++];
    while (j < hi)
        buffer[out++] = items[j++];
    std::copy(buffer.begin() + long(lo), buffer.begin() + long(hi), items.begin() + long(lo));
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
    const QList<NodeIndex> children = node->ChildIds();
    if (children.isEmpty())
        return;
    std::vector<SortKey> keys;
    std::vector<QString> names;
    keys.reserve(children.size());
    names.reserve(children.size());
    int pos = 0;
    for (NodeIndex childId : children) {
        NodePtr child(CLvFileSystemNodeMgr::GetNode(childId));
        if (!child)
            continue;
        if (!d || d->Accepts(child.get())) {
            keys.push_back(MakeKey(col, child.get(), pos));
            names.push_back(child->Name().toUpper());
        }
        ++pos;
    }
    std::vector<HotKey> order(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        order[i].Set(keys[i]);
    std::vector<HotKey> buffer(keys.size());
    t_cLocale = IsCLocale();
    MergeSort(col, order, buffer, 0, order.size());

    QStringList sorted;
    sorted.reserve(int(order.size()));
    for (const HotKey& k : order)
        sorted.append(names[size_t(k.cold - keys.data())]);
    node->ClearSortedNames();
    node->AddSortedNames(sorted);
}

bool CModelSortThread::compareNodes(int column, NodeIndex left, NodeIndex right)
{
    NodePtr l(CLvFileSystemNodeMgr::GetNode(left));
    NodePtr r(CLvFileSystemNodeMgr::GetNode(right));
    if (!l || !r)
        return false;
    t_cLocale = IsCLocale();
    const SortKey lk = MakeKey(column, l.get(), 0);
    const SortKey rk = MakeKey(column, r.get(), 1);
    HotKey lh, rh;
    lh.Set(lk);
    rh.Set(rk);
    return KeyBefore(column, lh, rh);
}

int CModelSortThread::naturalCompare(const QString& s1, const QString& s2, Qt::CaseSensitivity cs)
{
    return NaturalCompareRaw(s1.utf16(), s1.size(), s2.utf16(), s2.size(), cs, IsCLocale());
}
