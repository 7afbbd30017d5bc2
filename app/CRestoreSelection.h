#pragma once
#include "NRResult.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <vector>

class CFilterBlock;
class CImageIndex;

// Which members of an image a received selection (a filter block) stands for. The rules are
// applied in path order over the image's tree, so the deepest rule for a path wins: an exclusion
// drops its subtree, an include inside it brings its own subtree back. Paths are looked up as the
// image spells them; a name differing only in case is another member (an image may hold both
// "Makefile" and "makefile"), and only where no name matches exactly is case ignored.
class CRestoreSelection
{
public:
    static constexpr uint32_t kPlaceSelection = 0x690;
    // The block is not a readable filter block.
    static constexpr uint32_t kErrBadBlock = NRResult::Make(kPlaceSelection, 0xD);
    // The block selects by file types, which names no members by path.
    static constexpr uint32_t kErrNotPaths = NRResult::Make(kPlaceSelection + 1, 0x32);

    struct Member
    {
        uint32_t number; // the member's number in the archive
        uint32_t entry;  // its entry in the index
    };

    uint32_t Select(const CImageIndex& index, const QByteArray& block);
    uint32_t Select(const CImageIndex& index, const CFilterBlock& block);

    // Selected members that have a header of their own (files, links, folders), in archive order.
    // Folders implied by members below them have none; they are made on the way.
    const std::vector<Member>& Members() const { return m_members; }
    int Files() const { return m_files; }
    qint64 Bytes() const { return m_bytes; }
    // Paths of the block that the image does not hold.
    const QStringList& Missing() const { return m_missing; }

private:
    std::vector<Member> m_members;
    int m_files = 0;
    qint64 m_bytes = 0;
    QStringList m_missing;
};
