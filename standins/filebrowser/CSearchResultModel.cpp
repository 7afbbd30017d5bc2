#include "CSearchResultModel.h"

#include "CFileSystemModel.h"
#include "CGetDataCommon.h"
#include "CImageIndex.h"
#include "CKWBrowserIconProc.h"
#include "CLvFileSystemNode.h"
#include "CModelSortThread.h"
#include "CNaturalKey.h"
#include "CNodeInfo.h"

#include <QLocale>
#include <QPixmap>

#include <algorithm>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// What a row is sorted by: what its column compares, then the rank of its name and its ordinal,
// so that no two rows tie and the order does not depend on how the sort goes about it.
struct SortKey
{
    uint64_t major;
    uint64_t minor;
    bool operator<(const SortKey& o) const { return major != o.major ? major < o.major : minor < o.minor; }
};

// Ranks of texts in an order (equal ranks for texts it does not tell apart).
template <class Compare>
std::vector<uint32_t> ranksOf(size_t count, const Compare& compare)
{
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; });
    std::vector<uint32_t> rank(count);
    for (size_t k = 0; k < count; ++k)
        rank[order[k]] = k > 0 && compare(order[k - 1], order[k]) == 0 ? rank[order[k - 1]] : uint32_t(k);
    return rank;
}

// For every hit, the rank of its name in the order a folder's list sorts names in (natural, no
// case). Hits share names (every folder has its "Report 1.docx"): each name is decoded and
// ordered once, not once per hit.
std::vector<uint32_t> nameRanks(const CImageIndex& index, const std::vector<uint32_t>& entries)
{
    std::unordered_map<std::string_view, uint32_t> ids;
    std::vector<uint32_t> idOf(entries.size());
    std::vector<uint32_t> holder; // an entry of each distinct name
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint32_t e = entries[i];
        const auto it = ids.emplace(std::string_view(index.NameData(e), index.NameSize(e)), uint32_t(holder.size()));
        if (it.second)
            holder.push_back(e);
        idOf[i] = it.first->second;
    }
    // The natural key decides where it can (in the C locale); the full comparison the rest.
    const bool cLocale = QLocale().language() == QLocale::C;
    std::vector<QString> names(holder.size());
    std::vector<std::pair<size_t, size_t>> spans(holder.size());
    std::vector<bool> simple(holder.size());
    std::vector<ushort> keys;
    for (size_t u = 0; u < holder.size(); ++u) {
        names[u] = index.Name(holder[u]);
        const size_t offset = keys.size();
        simple[u] = cLocale && CNaturalKey::Append(names[u], keys);
        spans[u] = {offset, keys.size() - offset};
    }
    const std::vector<uint32_t> rank = ranksOf(holder.size(), [&](uint32_t a, uint32_t b) {
        if (simple[a] && simple[b]) {
            const int c = CNaturalKey::Compare(keys.data() + spans[a].first, spans[a].second,
                                               keys.data() + spans[b].first, spans[b].second);
            if (c != 0)
                return c;
        }
        return CModelSortThread::naturalCompare(names[a], names[b], Qt::CaseInsensitive);
    });
    std::vector<uint32_t> out(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        out[i] = rank[idOf[i]];
    return out;
}

// For every hit, the rank of a text derived from its entry (its type, its folder's path) in the
// order given; the text is made once per distinct key.
template <class KeyOf, class TextOf, class Compare>
std::vector<uint32_t> textRanks(const std::vector<uint32_t>& entries, const KeyOf& keyOf, const TextOf& textOf,
                                const Compare& compare)
{
    using Key = decltype(keyOf(0u));
    QHash<QString, uint32_t> ids;
    std::unordered_map<Key, uint32_t> idOfKey;
    std::vector<QString> texts;
    std::vector<uint32_t> idOf(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const Key key = keyOf(entries[i]);
        auto known = idOfKey.find(key);
        if (known == idOfKey.end()) {
            const QString text = textOf(entries[i]);
            auto it = ids.constFind(text);
            if (it == ids.constEnd()) {
                it = ids.insert(text, uint32_t(texts.size()));
                texts.push_back(text);
            }
            known = idOfKey.emplace(key, it.value()).first;
        }
        idOf[i] = known->second;
    }
    const std::vector<uint32_t> rank =
        ranksOf(texts.size(), [&](uint32_t a, uint32_t b) { return compare(texts[a], texts[b]); });
    std::vector<uint32_t> out(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        out[i] = rank[idOf[i]];
    return out;
}

// The type text in the user's language, as a node shows it.
QString shownTypeText(const CImageIndex& index, uint32_t e)
{
    return QObject::tr(index.Record(e).TypeText().toUtf8().constData());
}

// What an entry's type text depends on: its kind, whether it is top-level (drives), and the
// extension of a file or the name of a folder.
std::string typeKeyOf(const CImageIndex& index, uint32_t e)
{
    std::string key(1, char('0' + index.TypeOf(e)));
    key += index.Parent(e) == CImageIndex::kRoot ? 'r' : '-';
    const std::string_view name(index.NameData(e), index.NameSize(e));
    if (index.IsDir(e)) {
        key += name;
    } else {
        const size_t dot = name.rfind('.');
        if (dot != std::string_view::npos && dot > 0)
            key += name.substr(dot);
    }
    return key;
}

} // namespace

CSearchResultModel::CSearchResultModel(QObject* parent) : QAbstractTableModel(parent) {}

CSearchResultModel::~CSearchResultModel()
{
    ReleaseNodes();
}

int CSearchResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CSearchResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CSearchResultModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        // The header's check-all box stands for every row.
        if (role == Qt::CheckStateRole && m_checkEnabled)
            return AllState();
        if (role == kRootCheckableRole)
            return m_checkEnabled && !m_rows.empty();
        return QVariant();
    }
    if (index.model() != this || index.row() >= int(m_rows.size()) || !m_index)
        return QVariant();
    const uint32_t e = EntryAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case NameColumn:
            return m_index->Name(e);
        case SizeColumn:
            return m_index->IsDir(e) ? QString() : CFileSystemModel::SizeText(m_index->Size(e));
        case TypeColumn:
            return shownTypeText(*m_index, e);
        case DateColumn: {
            CNodeInfo info;
            info.modified = QDateTime::fromMSecsSinceEpoch(m_index->MtimeMs(e), Qt::UTC);
            return info.ModifiedText();
        }
        case PathColumn:
            return m_index->Path(e);
        default:
            return QVariant();
        }
    case Qt::DecorationRole:
        if (index.column() == NameColumn)
            return CKWBrowserIconProc::Instance().EntryIcon(m_index->Record(e));
        return QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == SizeColumn ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (index.column() == NameColumn && m_checkEnabled)
            return m_checked[m_rows[size_t(index.row())]] ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant CSearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        // The titles of a folder's list, in its words.
        switch (section) {
        case NameColumn: return CFileSystemModel::tr("Name");
        case SizeColumn: return CFileSystemModel::tr("Size");
        case TypeColumn: return CFileSystemModel::tr("Type", "All other platforms");
        case DateColumn: return CFileSystemModel::tr("Date Modified");
        case PathColumn: return CFileSystemModel::tr("Path");
        default: return QVariant();
        }
    case Qt::DecorationRole:
        if (section == NameColumn) {
            // Room for the rows' icons, so that the title stands above the names.
            QPixmap room(16, 1);
            room.fill(Qt::transparent);
            return room;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft);
    default:
        return QVariant();
    }
}

Qt::ItemFlags CSearchResultModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == NameColumn && m_checkEnabled)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool CSearchResultModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !m_checkEnabled)
        return false;
    const int state = value.toInt();
    // A hit is ticked or not; only the results as a whole are partly ticked.
    if (state != Qt::Checked && state != Qt::Unchecked)
        return false;
    if (!index.isValid()) {
        SetAllChecked(state == Qt::Checked);
        return true;
    }
    if (index.model() != this || index.column() != NameColumn || index.row() >= int(m_rows.size()))
        return false;
    if (SetChecked(m_rows[size_t(index.row())], state == Qt::Checked)) {
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit DoCheckStatusChange(m_checkedCount > 0);
    }
    return true;
}

bool CSearchResultModel::SetChecked(uint32_t ordinal, bool checked)
{
    if (m_checked[ordinal] == checked)
        return false;
    m_checked[ordinal] = checked;
    m_checkedCount += checked ? 1 : -1;
    return true;
}

int CSearchResultModel::AllState() const
{
    if (m_checkedCount == 0)
        return Qt::Unchecked;
    return size_t(m_checkedCount) == m_entries.size() ? Qt::Checked : Qt::PartiallyChecked;
}

void CSearchResultModel::SetAllChecked(bool checked)
{
    const bool changed = m_checkedCount != (checked ? int(m_entries.size()) : 0);
    m_checked.assign(m_entries.size(), checked);
    m_checkedCount = checked ? int(m_entries.size()) : 0;
    if (!changed)
        return;
    emit dataChanged(index(0, NameColumn), index(int(m_rows.size()) - 1, NameColumn), {Qt::CheckStateRole});
    emit DoCheckStatusChange(m_checkedCount > 0);
}

void CSearchResultModel::SetCheckEnabled(bool enabled)
{
    if (m_checkEnabled == enabled)
        return;
    m_checkEnabled = enabled;
    if (!m_rows.empty())
        emit dataChanged(index(0, NameColumn), index(int(m_rows.size()) - 1, NameColumn), {Qt::CheckStateRole});
}

void CSearchResultModel::OnSetRootStatus(bool, bool) {}

void CSearchResultModel::Clear()
{
    beginResetModel();
    ReleaseNodes();
    m_index.reset();
    m_entries.clear();
    m_checked.clear();
    m_checkedCount = 0;
    m_rows.clear();
    m_rowOf.clear();
    endResetModel();
}

void CSearchResultModel::Append(const QSharedPointer<const CImageIndex>& index, const std::vector<uint32_t>& entries)
{
    if (!index || entries.empty())
        return;
    // Hits of another index belong to another search: they replace what is there.
    if (m_index && m_index != index)
        Clear();
    m_index = index;
    const size_t first = m_rows.size();
    beginInsertRows(QModelIndex(), int(first), int(first + entries.size() - 1));
    for (uint32_t e : entries) {
        const uint32_t ordinal = uint32_t(m_entries.size());
        m_entries.push_back(e);
        m_checked.push_back(false);
        m_rowOf.push_back(uint32_t(m_rows.size()));
        m_rows.push_back(ordinal);
    }
    endInsertRows();
}

void CSearchResultModel::Finish()
{
    sort(m_sortColumn, m_sortOrder);
}

void CSearchResultModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    if (m_rows.size() < 2 || !m_index)
        return;
    const CImageIndex& index = *m_index;
    const std::vector<uint32_t> names = nameRanks(index, m_entries);
    std::vector<uint32_t> ranks;
    if (column == TypeColumn) {
        ranks = textRanks(
            m_entries, [&](uint32_t e) { return typeKeyOf(index, e); },
            [&](uint32_t e) { return shownTypeText(index, e); },
            [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b); });
    } else if (column == PathColumn) {
        ranks = textRanks(
            m_entries, [&](uint32_t e) { return index.Parent(e); },
            [&](uint32_t e) { return index.Path(index.Parent(e)); },
            [](const QString& a, const QString& b) { return a < b ? -1 : b < a ? 1 : 0; });
    }
    const size_t n = m_entries.size();
    std::vector<SortKey> keys(n);
    for (size_t o = 0; o < n; ++o) {
        const uint32_t e = m_entries[o];
        const bool file = !index.IsDir(e);
        uint64_t major = 0;
        switch (column) {
        case NameColumn:
            major = file;
            break;
        case SizeColumn:
            // Folders first, then files by size.
            major = file ? (uint64_t(1) << 63) | uint64_t(qMax<qint64>(0, index.Size(e))) : 0;
            break;
        case DateColumn:
            major = uint64_t(index.MtimeMs(e)) ^ (uint64_t(1) << 63);
            break;
        default:
            major = ranks[o];
            break;
        }
        keys[o] = {major, (uint64_t(names[o]) << 32) | o};
    }
    std::sort(keys.begin(), keys.end());
    std::vector<uint32_t> rows(n);
    for (size_t r = 0; r < n; ++r)
        rows[order == Qt::AscendingOrder ? r : n - 1 - r] = uint32_t(keys[r].minor & 0xFFFFFFFFu);
    ApplyOrder(std::move(rows));
}

void CSearchResultModel::ApplyOrder(std::vector<uint32_t>&& rows)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    const std::vector<uint32_t> old = std::move(m_rows);
    m_rows = std::move(rows);
    for (size_t r = 0; r < m_rows.size(); ++r)
        m_rowOf[m_rows[r]] = uint32_t(r);
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from)
        to.append(index(int(m_rowOf[old[size_t(i.row())]]), i.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

NodeIndex CSearchResultModel::NodeAt(int row)
{
    if (row < 0 || row >= int(m_rows.size()) || !m_index)
        return 0;
    const uint32_t ordinal = m_rows[size_t(row)];
    if (CLvFileSystemNode* made = m_nodes.value(ordinal))
        return made->Id();
    const uint32_t e = m_entries[ordinal];
    CEntryRecord r = m_index->Record(e);
    const QString name = r.name;
    const QString path = m_index->Path(e);
    // Hits often share names: the node is named by its path, and shows its own name.
    r.name = path;
    CLvFileSystemNode* n = CGetDataCommon::NewNode(r, NodeKind::kNone);
    n->SetDisplayName(name);
    n->SetPathText(path);
    n->SetMayHaveChildren(false);
    m_nodes.insert(ordinal, n);
    m_ordinalOf.insert(n->Id(), ordinal);
    return n->Id();
}

int CSearchResultModel::RowOfNode(NodeIndex node) const
{
    const auto it = m_ordinalOf.constFind(node);
    return it == m_ordinalOf.constEnd() ? -1 : int(m_rowOf[it.value()]);
}

int CSearchResultModel::RowOfPath(const QString& path) const
{
    const uint32_t e = m_index && !path.isEmpty() ? m_index->Find(path) : CImageIndex::kNone;
    if (e == CImageIndex::kNone)
        return -1;
    const auto it = std::find(m_entries.begin(), m_entries.end(), e);
    return it == m_entries.end() ? -1 : int(m_rowOf[size_t(it - m_entries.begin())]);
}

QString CSearchResultModel::PathAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) && m_index ? m_index->Path(EntryAt(row)) : QString();
}

QList<NodeIndex> CSearchResultModel::CheckedNodes()
{
    QList<NodeIndex> out;
    for (size_t r = 0; r < m_rows.size() && out.size() < m_checkedCount; ++r)
        if (m_checked[m_rows[r]])
            out.append(NodeAt(int(r)));
    return out;
}

void CSearchResultModel::ReleaseNodes()
{
    for (CLvFileSystemNode* n : qAsConst(m_nodes))
        n->Release();
    m_nodes.clear();
    m_ordinalOf.clear();
}
