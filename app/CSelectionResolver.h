#pragma once
#include "NRResult.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>

class CFilterBlock;
class CStorageMap;

// Turns a committed selection (a filter block) into the files it stands for on this machine.
// Rules are applied in path order, so the deepest rule for a path wins: an excluded folder drops
// its subtree, an include inside it brings its own subtree back. Included folders are walked
// recursively without following symbolic links to directories; paths are mapped through the
// storage map.
class CSelectionResolver
{
public:
    static constexpr uint32_t kPlaceResolver = 0x660;
    // The block is not a readable filter block.
    static constexpr uint32_t kErrBadBlock = NRResult::Make(kPlaceResolver, 0xD);
    // The block selects by file types, which names no files by path.
    static constexpr uint32_t kErrNotPaths = NRResult::Make(kPlaceResolver + 1, 0x32);

    struct Item
    {
        QByteArray member; // archive member: the Windows form with '/' ("C:/Users/x/a.txt")
        QByteArray local;  // where it is on this machine
        bool symlink = false;
    };

    explicit CSelectionResolver(const CStorageMap& map);

    // Resolves `block`; 0 with Items() filled (sorted by member) or a code above. Entries whose
    // path cannot be mapped or read are listed in Problems() and otherwise skipped.
    uint32_t Resolve(const QByteArray& block);
    uint32_t Resolve(const CFilterBlock& block);

    const QVector<Item>& Items() const { return m_items; }
    const QStringList& Problems() const { return m_problems; }

    // "c:\Users\" -> "C:\Users", "\\srv\Share" -> "\\SRV\SHARE": the key rules are compared by.
    // Names on this machine keep their case; shares and the drive letter do not (CPathKey).
    static QString Key(const QString& windowsPath);

private:
    void Walk(const QString& key, const QByteArray& member, const QByteArray& local, bool isRoot);

    const CStorageMap& m_map;
    QHash<QString, bool> m_rules; // key -> included
    QSet<QString> m_walked;       // folders already walked
    QSet<QByteArray> m_members;
    QVector<Item> m_items;
    QStringList m_problems;
};
