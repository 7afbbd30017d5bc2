#pragma once
#include "CEntryRecord.h"
#include "NRResult.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <vector>

// In-memory index of a backup image (any archive libarchive reads: tar, tar.gz, zip, 7z). Member
// paths become a tree: "C:/Users/x/a.txt" is C: > Users > x > a.txt, and every folder a member
// path implies exists even when the archive has no entry of its own for it.
//
// Built once on a worker, then read-only: any number of threads may browse and search it. Entries
// live in parallel arrays (names in one byte pool, parent and child lists as index arrays), about
// 50 bytes per entry plus the name bytes. A little over the usual size: the archive reading and
// the path checks that build the tree are one pass over the members.
class CImageIndex
{
public:
    static constexpr uint32_t kRoot = 0;
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    enum Type : uint8_t { kTypeDir = 0, kTypeFile = 1, kTypeLink = 2, kTypeOther = 3 };

    static constexpr uint32_t kErrNumFileNotFound = 2;
    static constexpr uint32_t kErrNumAccessDenied = 5;
    static constexpr uint32_t kErrNumInvalidData = 0xD;
    static constexpr uint32_t kErrNumHandleEof = 0x26;
    static constexpr uint32_t kErrNumCancelled = 0x4C7;
    static constexpr uint32_t kErrNumFileCorrupt = 0x570;

    static constexpr uint32_t kErrOpenFailed = NRResult::Make(0x730, kErrNumFileNotFound);
    static constexpr uint32_t kErrUnreadable = NRResult::Make(0x731, kErrNumAccessDenied);
    static constexpr uint32_t kErrNotAnImage = NRResult::Make(0x732, kErrNumInvalidData);
    static constexpr uint32_t kErrCorrupt = NRResult::Make(0x733, kErrNumFileCorrupt);
    static constexpr uint32_t kErrTruncated = NRResult::Make(0x734, kErrNumHandleEof);
    static constexpr uint32_t kErrCancelled = NRResult::Make(0x735, kErrNumCancelled);
    static constexpr uint32_t kErrTooLarge = NRResult::Make(0x736, NRResult::kErrNoMemory);

    // Practical bounds (docs/image-index.md). Members nested deeper than kMaxDepth levels are
    // skipped like members that climb out with "..": nobody browses that deep, and walkers of
    // the tree need not be ready for it. The index may take kMemoryFloor bytes plus
    // kMemoryPerImageByte for every byte of the image file; an image that needs more (a few KB
    // of compressed paths can imply millions of folders) is refused with kErrTooLarge.
    static constexpr uint32_t kMaxDepth = 256;
    static constexpr size_t kMemoryFloor = size_t(64) << 20;
    static constexpr size_t kMemoryPerImageByte = 128;

    CImageIndex();
    ~CImageIndex();
    CImageIndex(const CImageIndex&) = delete;
    CImageIndex& operator=(const CImageIndex&) = delete;

    // Reads the archive and builds the index. On any failure (unreadable, not an archive, corrupt,
    // truncated, cancelled) the index is left with its root alone and the code says why.
    uint32_t Build(const QString& archivePath, const std::atomic_bool* cancel = nullptr);
    // Adds one member by its path, as Build does for every archive entry; for tests and builders
    // of synthetic images. `member` is its number in the archive (the n-th header, from 0).
    // Answers the entry, or kNone when the path names nothing ("", "..").
    uint32_t AddMember(const char* path, size_t len, uint32_t mode, qint64 size, qint64 mtimeMs,
                       uint32_t member = kNone);
    // Makes the child lists after AddMember calls (Build does it itself).
    void Finish();
    void Clear();

    uint32_t Count() const { return uint32_t(m_parent.size()); } // the root included
    // Members skipped because their path climbed out with "..", a name was too long or the path
    // was nested deeper than kMaxDepth.
    uint32_t SkippedCount() const { return m_skipped; }
    QString ErrorText() const { return m_errorText; }

    uint32_t Parent(uint32_t i) const { return m_parent[i]; }
    Type TypeOf(uint32_t i) const { return Type(m_type[i]); }
    bool IsDir(uint32_t i) const { return m_type[i] == kTypeDir; }
    // A folder that only exists because members lie below it.
    bool IsImplied(uint32_t i) const { return m_implied[i] != 0; }
    qint64 Size(uint32_t i) const { return m_size[i]; }
    qint64 MtimeMs(uint32_t i) const { return m_mtime[i]; }
    uint32_t Mode(uint32_t i) const { return m_mode[i]; }
    // The number of the archive member an entry was read from (the n-th header, from 0, every
    // header counted); kNone for implied folders. What a restore reads the entry's data by.
    uint32_t MemberNumber(uint32_t i) const { return m_member[i]; }
    // For an uncompressed tar, where each member's headers start in the file, by member number,
    // so a restore can go straight to a few members of a large image; empty for other images.
    bool HasHeaderOffsets() const { return !m_headerOffset.empty(); }
    qint64 HeaderOffset(uint32_t member) const { return member < m_headerOffset.size() ? m_headerOffset[member] : -1; }

    const char* NameData(uint32_t i) const { return m_names.data() + m_nameOff[i]; }
    uint32_t NameSize(uint32_t i) const { return m_nameLen[i]; }
    QByteArray NameBytes(uint32_t i) const { return QByteArray(NameData(i), int(NameSize(i))); }
    QString Name(uint32_t i) const; // through the name codec

    uint32_t ChildCount(uint32_t i) const { return m_childStart[i + 1] - m_childStart[i]; }
    const uint32_t* Children(uint32_t i) const { return m_childList.data() + m_childStart[i]; }

    // Child by exact name bytes; kNone when absent.
    uint32_t FindChild(uint32_t parent, const char* name, size_t len) const;
    // Entry by path in either separator ("C:\Users\x" or "C:/Users/x"); names match exactly
    // first, else without regard to case. kRoot for an empty path, kNone when absent.
    uint32_t Find(const QString& path) const;
    // "C:\Users\x\a.txt" (Windows form, names through the codec); "" for the root.
    QString Path(uint32_t i) const;
    // The member path as the archive holds it, joined with '/'.
    QByteArray MemberPath(uint32_t i) const;
    // What the browser shows of an entry; top-level "X:" folders are drives.
    CEntryRecord Record(uint32_t i) const;

    size_t MemoryBytes() const;

private:
    // Counts the components of p..end into *depth ("" and "." do not count); false for "..", a
    // name too long or a depth beyond kMaxDepth.
    static bool CountComponents(const char* p, const char* end, uint32_t* depth);
    uint32_t NewEntry(uint32_t parent, const char* name, size_t len, uint32_t hash);
    uint32_t Lookup(uint32_t parent, const char* name, size_t len, uint32_t hash) const;
    void Grow();

    std::vector<char> m_names;
    std::vector<uint32_t> m_nameOff;
    std::vector<uint16_t> m_nameLen;
    std::vector<uint32_t> m_parent;
    std::vector<uint32_t> m_hash;
    std::vector<uint8_t> m_type;
    std::vector<uint8_t> m_implied;
    std::vector<uint32_t> m_mode;
    std::vector<qint64> m_size;
    std::vector<qint64> m_mtime;
    std::vector<uint32_t> m_member;
    std::vector<qint64> m_headerOffset; // by member number, plain tar only
    std::vector<uint32_t> m_childStart; // Count() + 1 offsets into m_childList
    std::vector<uint32_t> m_childList;
    std::vector<uint32_t> m_slots;      // open addressing over (parent, name)
    uint32_t m_skipped = 0;
    QString m_errorText;
    // The folder of the last member, so members of one folder skip the walk from the root.
    QByteArray m_lastDir;
    uint32_t m_lastDirIndex = kRoot;
    uint32_t m_lastDirDepth = 0;
};
