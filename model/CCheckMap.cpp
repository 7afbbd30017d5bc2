#include "CCheckMap.h"
#include "CPathKey.h"
#include <QHash>
#include <atomic>

namespace {

std::atomic<quint64> g_revisions{0};

const QLatin1Char kSep('\\');

// The state of a path from what lies above it (the deepest decision at or above) and below it.
quint32 Combine(bool decided, bool value, bool below, bool belowChecked)
{
    if (!decided)
        return belowChecked ? Qt::PartiallyChecked : Qt::Unchecked;
    if (!below)
        return value ? Qt::Checked : Qt::Unchecked;
    if (value != belowChecked)
        return Qt::PartiallyChecked;
    return value ? Qt::PartiallyChecked : Qt::Unchecked;
}

} // namespace

bool CCheckMap::Find(const QString& key, Entry* entry) const
{
    auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd())
        return false;
    if (entry)
        *entry = it.value();
    return true;
}

bool CCheckMap::AnyCheckedStartingWith(const QString& prefix) const
{
    auto it = m_checked.lowerBound(prefix);
    return it != m_checked.constEnd() && it.key().startsWith(prefix);
}

bool CCheckMap::DeepestAncestor(const QString& key, QString* ancestor) const
{
    // The ancestors of a path are the parts in front of each backslash (and the empty key): a few
    // exact look-ups instead of a scan of the map.
    for (int i = key.size() - 1; i > 0; --i) {
        if (key.at(i) == kSep) {
            const QString prefix = key.left(i);
            if (m_entries.contains(prefix)) {
                *ancestor = prefix;
                return true;
            }
        }
    }
    if (!key.isEmpty() && m_entries.contains(QString())) {
        *ancestor = QString();
        return true;
    }
    return false;
}

bool CCheckMap::DecisionAtOrAbove(const QString& key, bool* checked) const
{
    Entry exact;
    if (Find(key, &exact)) {
        *checked = exact.first;
        return true;
    }
    QString ancestor;
    if (!DeepestAncestor(key, &ancestor))
        return false;
    *checked = m_entries.value(ancestor).first;
    return true;
}

quint32 CCheckMap::StateOf(const QString& key) const
{
    if (m_entries.isEmpty())
        return Qt::Unchecked;
    bool value = false;
    const bool decided = DecisionAtOrAbove(key, &value);
    bool below = false;
    bool belowChecked = false;
    if (key.isEmpty()) {
        const bool own = m_entries.contains(QString());
        below = m_entries.size() > (own ? 1 : 0);
        belowChecked = m_checked.size() > (own && m_checked.contains(QString()) ? 1 : 0);
    } else {
        const QString prefix = key + kSep;
        auto it = m_entries.lowerBound(prefix);
        below = it != m_entries.constEnd() && it.key().startsWith(prefix);
        belowChecked = AnyCheckedStartingWith(prefix);
    }
    return Combine(decided, value, below, belowChecked);
}

quint32 CCheckMap::StateFromChildren(const QString& key, int childCount,
                                     const std::function<bool(const QString&)>& isChild) const
{
    if (childCount <= 0)
        return Qt::Unchecked;
    // What every child without decisions of its own reads: the decision at or above key.
    bool inheritedValue = false;
    const bool inherited = DecisionAtOrAbove(key, &inheritedValue);
    // The children named by decisions below key. Keys of one child need not be neighbours in the
    // map ("P\a", "P\a b", "P\a\x"), so they are gathered by child.
    struct Seen
    {
        bool own = false;
        bool ownValue = false;
        bool below = false;
        bool belowChecked = false;
    };
    QHash<QString, Seen> named;
    const QString prefix = key + kSep;
    for (auto it = m_entries.lowerBound(prefix); it != m_entries.constEnd(); ++it) {
        const QString& k = it.key();
        if (!k.startsWith(prefix))
            break;
        const int sep = k.indexOf(kSep, prefix.size());
        Seen& s = named[sep < 0 ? k : k.left(sep)];
        if (sep < 0) {
            s.own = true;
            s.ownValue = it.value().first;
        } else {
            s.below = true;
            s.belowChecked = s.belowChecked || it.value().first;
        }
    }
    int checked = 0;
    int unchecked = 0;
    int children = 0;
    for (auto it = named.cbegin(); it != named.cend(); ++it) {
        if (!isChild(it.key()))
            continue;
        ++children;
        const Seen& s = it.value();
        const quint32 state = Combine(s.own || inherited, s.own ? s.ownValue : inheritedValue, s.below, s.belowChecked);
        if (state == Qt::PartiallyChecked)
            return Qt::PartiallyChecked;
        ++(state == Qt::Checked ? checked : unchecked);
        if (checked && unchecked)
            return Qt::PartiallyChecked;
    }
    const int rest = childCount - children;
    if (rest > 0)
        (inherited && inheritedValue ? checked : unchecked) += rest;
    if (checked && unchecked)
        return Qt::PartiallyChecked;
    return checked == childCount ? Qt::Checked : Qt::Unchecked;
}

void CCheckMap::Set(const QString& key, bool checked, bool isDir)
{
    m_entries.insert(key, Entry(checked, isDir));
    if (checked)
        m_checked.insert(key, true);
    else
        m_checked.remove(key);
    // Every decision below this path is replaced by this one.
    const QString prefix = key.isEmpty() ? QString() : key + kSep;
    for (auto it = m_entries.lowerBound(prefix); it != m_entries.end();) {
        if (!it.key().startsWith(prefix))
            break;
        if (it.key() == key) {
            ++it;
            continue;
        }
        m_checked.remove(it.key());
        it = m_entries.erase(it);
    }
    // A decision that repeats the nearest one above it says nothing.
    QString ancestor;
    if (DeepestAncestor(key, &ancestor) && !ancestor.isEmpty() && m_entries.value(ancestor).first == checked) {
        m_entries.remove(key);
        m_checked.remove(key);
    }
    Changed();
}

void CCheckMap::Remove(const QString& key)
{
    if (m_entries.remove(key) == 0)
        return;
    m_checked.remove(key);
    Changed();
}

void CCheckMap::Clear()
{
    if (m_entries.isEmpty())
        return;
    m_entries.clear();
    m_checked.clear();
    Changed();
}

void CCheckMap::Changed()
{
    m_revision = ++g_revisions;
}

QString CCheckMap::CheckInvariants() const
{
    int checkedKeys = 0;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        const QString& key = it.key();
        if (CPathKey::Of(key) != key || key.endsWith(kSep))
            return QStringLiteral("key %1 is not in key form").arg(key);
        if (it.value().first != m_checked.contains(key))
            return QStringLiteral("checked index disagrees on %1").arg(key);
        checkedKeys += it.value().first ? 1 : 0;
        QString ancestor;
        if (DeepestAncestor(key, &ancestor) && !ancestor.isEmpty()
            && m_entries.value(ancestor).first == it.value().first)
            return QStringLiteral("decision %1 repeats %2").arg(key, ancestor);
    }
    if (checkedKeys != m_checked.size())
        return QStringLiteral("checked index holds %1 keys, the map %2").arg(m_checked.size()).arg(checkedKeys);
    return QString();
}
