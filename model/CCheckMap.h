#pragma once
#include "NodeKind.h"
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

// The selection of a model as a small ordered set of explicit path decisions: key (CPathKey) ->
// (checked, isDir). A decision covers its path and everything below it; the deepest decision
// above a path wins. Every state a tree shows is derived from here (see docs/model.md), so the
// rules live in one place and know nothing of nodes.
//
// Copies share their data until one of them changes (a copy is a cheap snapshot).
class CCheckMap
{
public:
    // (checked, isDir)
    typedef QPair<bool, bool> Entry;

    bool IsEmpty() const { return m_entries.isEmpty(); }
    int Size() const { return m_entries.size(); }
    const QMap<QString, Entry>& Entries() const { return m_entries; }
    bool Find(const QString& key, Entry* entry) const;
    bool AnyChecked() const { return !m_checked.isEmpty(); }
    int CheckedCount() const { return m_checked.size(); }
    QStringList CheckedKeys() const { return m_checked.keys(); }
    // Whether some checked key starts with prefix (as text, not only at a separator).
    bool AnyCheckedStartingWith(const QString& prefix) const;

    // The node last seen with a key (0 when none); kept for handing out ids with a selection.
    NodeIndex IdOf(const QString& key) const { return m_ids.value(key, 0); }
    void NoteId(const QString& key, NodeIndex id) { m_ids.insert(key, id); }
    const QMap<QString, NodeIndex>& Ids() const { return m_ids; }

    // The deepest key strictly above key (the empty key lies above every other); false when none.
    bool DeepestAncestor(const QString& key, QString* ancestor) const;
    // The state (Qt::CheckState) that the decisions give the path of key.
    quint32 StateOf(const QString& key) const;
    // The state of the folder of key (not empty) derived from its childCount children, each read as StateOf
    // its key would: the children that decisions below key name are looked at one by one (isChild
    // tells which of those keys are children that exist), all others read what key itself
    // inherits. Costs the decisions below key, not the children.
    quint32 StateFromChildren(const QString& key, int childCount,
                              const std::function<bool(const QString& childKey)>& isChild) const;

    // Records a decision: every decision below key goes, and so does this one when the nearest
    // decision above (other than the empty key's) says the same.
    void Set(const QString& key, bool checked, bool isDir);
    void Remove(const QString& key);
    void Clear();
    // Changes with every change of the decisions; two maps with the same revision hold the same
    // decisions (revisions are unique in the process).
    quint64 Revision() const { return m_revision; }

    // What breaks the map's own rules (keys not in key form, a decision that repeats the one
    // above it, the checked index out of step); empty when nothing does.
    QString CheckInvariants() const;

private:
    // The deepest decision at key or above it; false when there is none.
    bool DecisionAtOrAbove(const QString& key, bool* checked) const;
    void Changed();

    QMap<QString, Entry> m_entries;
    // The checked keys, kept in step with m_entries so that "is anything below P checked" is one
    // ordered look-up.
    QMap<QString, bool> m_checked;
    QMap<QString, NodeIndex> m_ids;
    quint64 m_revision = 0;
};
