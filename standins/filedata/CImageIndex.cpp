#include "CImageIndex.h"
#include "CPathKey.h"

#include "CImageManifest.h"
#include "CLocalEnumerator.h"
#include "CNameCodec.h"
#include "CStorageMap.h"
#include "CTrace.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <sys/stat.h>

namespace {

constexpr uint32_t kMaxName = 0xFFFF;
constexpr uint32_t kDirMode = S_IFDIR | 0755;

uint32_t hashOf(uint32_t parent, const char* name, size_t len)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < len; ++i) {
        h ^= uint8_t(name[i]);
        h *= 16777619u;
    }
    h ^= parent * 0x9E3779B1u;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    return h;
}

uint8_t typeOfMode(uint32_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return CImageIndex::kTypeDir;
    case 0: // hard links and some zip members carry no type
    case S_IFREG:
        return CImageIndex::kTypeFile;
    case S_IFLNK:
        return CImageIndex::kTypeLink;
    default:
        return CImageIndex::kTypeOther;
    }
}

bool isDotName(const char* p, size_t len) { return len == 1 && p[0] == '.'; }
bool isDotDotName(const char* p, size_t len) { return len == 2 && p[0] == '.' && p[1] == '.'; }

template <typename T>
size_t bytesOf(const std::vector<T>& v)
{
    return v.capacity() * sizeof(T);
}

} // namespace

bool CImageIndex::CountComponents(const char* p, const char* end, uint32_t* depth)
{
    while (p < end) {
        const char* q = static_cast<const char*>(std::memchr(p, '/', size_t(end - p)));
        if (!q)
            q = end;
        const size_t n = size_t(q - p);
        if (isDotDotName(p, n) || n > kMaxName)
            return false;
        if (n > 0 && !isDotName(p, n) && ++*depth > kMaxDepth)
            return false;
        p = q + 1;
    }
    return true;
}

CImageIndex::CImageIndex() { Clear(); }

CImageIndex::~CImageIndex() = default;

void CImageIndex::Clear()
{
    m_names.clear();
    m_nameOff.clear();
    m_nameLen.clear();
    m_parent.clear();
    m_hash.clear();
    m_type.clear();
    m_implied.clear();
    m_mode.clear();
    m_size.clear();
    m_mtime.clear();
    m_member.clear();
    m_headerOffset.clear();
    m_childStart.clear();
    m_childList.clear();
    m_slots.assign(1024, kNone);
    m_skipped = 0;
    m_errorText.clear();
    m_lastDir.clear();
    m_lastDirIndex = kRoot;
    m_lastDirDepth = 0;
    // The root: no name, no parent.
    m_nameOff.push_back(0);
    m_nameLen.push_back(0);
    m_parent.push_back(kNone);
    m_hash.push_back(0);
    m_type.push_back(kTypeDir);
    m_implied.push_back(1);
    m_mode.push_back(kDirMode);
    m_size.push_back(-1);
    m_mtime.push_back(0);
    m_member.push_back(kNone);
    m_childStart.assign(2, 0);
}

uint32_t CImageIndex::Lookup(uint32_t parent, const char* name, size_t len, uint32_t hash) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
        const uint32_t e = m_slots[s];
        if (e == kNone)
            return kNone;
        if (m_hash[e] == hash && m_parent[e] == parent && m_nameLen[e] == len &&
            std::memcmp(m_names.data() + m_nameOff[e], name, len) == 0)
            return e;
    }
}

void CImageIndex::Grow()
{
    std::vector<uint32_t> table(m_slots.size() * 2, kNone);
    const size_t mask = table.size() - 1;
    for (uint32_t e = 1; e < Count(); ++e) {
        size_t s = m_hash[e] & mask;
        while (table[s] != kNone)
            s = (s + 1) & mask;
        table[s] = e;
    }
    m_slots.swap(table);
}

uint32_t CImageIndex::NewEntry(uint32_t parent, const char* name, size_t len, uint32_t hash)
{
    const uint32_t e = Count();
    const size_t off = m_names.size();
    m_names.insert(m_names.end(), name, name + len);
    m_nameOff.push_back(uint32_t(off));
    m_nameLen.push_back(uint16_t(len));
    m_parent.push_back(parent);
    m_hash.push_back(hash);
    m_type.push_back(kTypeDir);
    m_implied.push_back(1);
    m_mode.push_back(kDirMode);
    m_size.push_back(-1);
    m_mtime.push_back(0);
    m_member.push_back(kNone);
    if (size_t(Count()) * 2 > m_slots.size()) {
        Grow();
    } else {
        const size_t mask = m_slots.size() - 1;
        size_t s = hash & mask;
        while (m_slots[s] != kNone)
            s = (s + 1) & mask;
        m_slots[s] = e;
    }
    return e;
}

uint32_t CImageIndex::AddMember(const char* path, size_t len, uint32_t mode, qint64 size, qint64 mtimeMs,
                               uint32_t member)
{
    if (!path)
        return kNone;
    const char* begin = path;
    const char* end = path + len;
    while (end > begin && end[-1] == '/')
        --end;
    // Leading slashes and "./" carry no meaning inside an image.
    for (;;) {
        if (begin < end && *begin == '/')
            ++begin;
        else if (end - begin >= 2 && begin[0] == '.' && begin[1] == '/')
            begin += 2;
        else
            break;
    }
    if (begin == end)
        return kNone;
    const char* slash = end;
    while (slash > begin && slash[-1] != '/')
        --slash;
    const char* leaf = slash;
    const size_t leafLen = size_t(end - leaf);
    const char* dirEnd = slash > begin ? slash - 1 : begin;
    const size_t dirLen = size_t(dirEnd - begin);

    // The whole path is judged before anything is made of it, so a member refused at a later
    // component leaves no folders behind.
    const bool sameDir = dirLen == size_t(m_lastDir.size()) && std::memcmp(begin, m_lastDir.constData(), dirLen) == 0;
    uint32_t depth = sameDir ? m_lastDirDepth : 0;
    if (!sameDir && !CountComponents(begin, dirEnd, &depth)) {
        ++m_skipped;
        return kNone;
    }
    const uint32_t dirDepth = depth;
    if (!CountComponents(leaf, end, &depth)) {
        ++m_skipped;
        return kNone;
    }

    uint32_t parent;
    if (sameDir) {
        parent = m_lastDirIndex;
    } else {
        parent = kRoot;
        const char* p = begin;
        while (p < dirEnd) {
            const char* q = static_cast<const char*>(std::memchr(p, '/', size_t(dirEnd - p)));
            if (!q)
                q = dirEnd;
            const size_t n = size_t(q - p);
            if (n > 0 && !isDotName(p, n)) {
                const uint32_t h = hashOf(parent, p, n);
                uint32_t child = Lookup(parent, p, n, h);
                if (child == kNone) {
                    child = NewEntry(parent, p, n, h);
                } else if (m_type[child] != kTypeDir) {
                    // A member lies below what an earlier member made a file: the folder wins.
                    m_type[child] = kTypeDir;
                    m_mode[child] = kDirMode;
                    m_size[child] = -1;
                }
                parent = child;
            }
            p = q + 1;
        }
        m_lastDir = QByteArray(begin, int(dirLen));
        m_lastDirIndex = parent;
        m_lastDirDepth = dirDepth;
    }
    if (isDotName(leaf, leafLen))
        return parent == kRoot ? kNone : parent;

    const uint32_t h = hashOf(parent, leaf, leafLen);
    uint32_t e = Lookup(parent, leaf, leafLen, h);
    const uint8_t type = typeOfMode(mode);
    if (e == kNone) {
        e = NewEntry(parent, leaf, leafLen, h);
    } else if (m_type[e] == kTypeDir && type != kTypeDir) {
        // A later file of a folder's name would orphan what lies below the folder; keep the folder.
        ++m_skipped;
        return e;
    }
    // The last member of a path wins, as when an archive is appended to.
    m_type[e] = type;
    m_implied[e] = 0;
    m_mode[e] = type == kTypeDir ? (mode ? mode : kDirMode) : mode;
    m_size[e] = type == kTypeDir ? -1 : size;
    m_mtime[e] = mtimeMs;
    m_member[e] = member;
    return e;
}

void CImageIndex::Finish()
{
    const uint32_t n = Count();
    m_childStart.assign(size_t(n) + 1, 0);
    for (uint32_t i = 1; i < n; ++i)
        ++m_childStart[m_parent[i] + 1];
    for (uint32_t i = 0; i < n; ++i)
        m_childStart[i + 1] += m_childStart[i];
    m_childList.assign(n > 0 ? n - 1 : 0, 0);
    std::vector<uint32_t> pos(m_childStart.begin(), m_childStart.end() - 1);
    for (uint32_t i = 1; i < n; ++i)
        m_childList[pos[m_parent[i]]++] = i;
    // Vectors grown by doubling keep up to half their room unused.
    m_names.shrink_to_fit();
    m_nameOff.shrink_to_fit();
    m_nameLen.shrink_to_fit();
    m_parent.shrink_to_fit();
    m_hash.shrink_to_fit();
    m_type.shrink_to_fit();
    m_implied.shrink_to_fit();
    m_mode.shrink_to_fit();
    m_size.shrink_to_fit();
    m_mtime.shrink_to_fit();
    m_member.shrink_to_fit();
    m_headerOffset.shrink_to_fit();
    m_lastDir.clear();
    m_lastDirIndex = kRoot;
    m_lastDirDepth = 0;
}

uint32_t CImageIndex::Build(const QString& archivePath, const std::atomic_bool* cancel)
{
    Clear();
    const QByteArray file = CNameCodec::EncodeText(archivePath);
    struct stat st;
    if (file.isEmpty() || ::stat(file.constData(), &st) != 0) {
        m_errorText = QString::fromLocal8Bit(strerror(errno));
        return (errno == EACCES || errno == EPERM) ? kErrUnreadable : kErrOpenFailed;
    }
    if (!S_ISREG(st.st_mode)) {
        m_errorText = QStringLiteral("not a file");
        return kErrNotAnImage;
    }

    // What a user can browse grows with the image; a small image that implies millions of
    // folders is refused before it takes the machine's memory.
    const uint64_t imageBytes = uint64_t(st.st_size);
    const size_t budget = imageBytes >= (SIZE_MAX - kMemoryFloor) / kMemoryPerImageByte
                              ? SIZE_MAX
                              : kMemoryFloor + size_t(imageBytes) * kMemoryPerImageByte;

    struct archive* a = archive_read_new();
    if (!a)
        return kErrTooLarge;
    // Archive formats and in-library decompressors only: an mtree text would make the reader open
    // the files it names on this machine, and some filters run an outside program.
    for (auto support : {archive_read_support_filter_gzip, archive_read_support_filter_bzip2,
                         archive_read_support_filter_xz, archive_read_support_filter_lzma,
                         archive_read_support_filter_lzip, archive_read_support_filter_zstd,
                         archive_read_support_filter_lz4, archive_read_support_filter_compress,
                         archive_read_support_format_tar, archive_read_support_format_gnutar,
                         archive_read_support_format_zip, archive_read_support_format_7zip,
                         archive_read_support_format_empty})
        support(a);
    uint32_t result = 0;
    uint32_t members = 0;
    // What libarchive's complaint means for the user; it reads ahead, so even opening can hit
    // the cut of a truncated image.
    auto classify = [&]() -> uint32_t {
        const int err = archive_errno(a);
        m_errorText = QString::fromUtf8(archive_error_string(a));
        if (err == EACCES || err == EPERM)
            return kErrUnreadable;
        if (err == ENOENT)
            return kErrOpenFailed;
        if (m_errorText.contains(QLatin1String("runcated")) ||
            m_errorText.contains(QLatin1String("premature end"), Qt::CaseInsensitive))
            return kErrTruncated;
        if (members == 0 && (archive_format(a) == 0 || m_errorText.contains(QLatin1String("Unrecognized"))))
            return kErrNotAnImage;
        return kErrCorrupt;
    };
    if (archive_read_open_filename(a, file.constData(), 1 << 16) != ARCHIVE_OK)
        result = classify();
    struct archive_entry* entry = nullptr;
    bool plainTar = false;
    while (result == 0) {
        const int r = archive_read_next_header(a, &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r == ARCHIVE_RETRY)
            continue;
        if (r < ARCHIVE_WARN) {
            result = classify();
            break;
        }
        // Members are numbered by every header read, whatever becomes of them, so a restore
        // reading the archive again counts the same way.
        const uint32_t member = members++;
        if (member == 0)
            plainTar = archive_filter_code(a, 0) == ARCHIVE_FILTER_NONE &&
                       (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_TAR;
        if (plainTar)
            m_headerOffset.push_back(archive_read_header_position(a));
        const char* path = archive_entry_pathname(entry);
        if (!path)
            path = archive_entry_pathname_utf8(entry);
        if (!path || (member == 0 && CImageManifest::IsManifestPath(path))) {
            // The manifest describes the image; it is not part of what was backed up.
            m_skipped += path ? 0 : 1;
            continue;
        }
        const qint64 size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        const qint64 mtime = archive_entry_mtime_is_set(entry)
                                 ? CEntryRecord::MsSinceEpoch(archive_entry_mtime(entry), archive_entry_mtime_nsec(entry))
                                 : 0;
        AddMember(path, strlen(path), uint32_t(archive_entry_mode(entry)), size, mtime, member);
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result = kErrCancelled;
        } else if (MemoryBytes() > budget || Count() >= 0xFFFFF000u || m_names.size() >= 0xFFFF0000u) {
            m_errorText = QStringLiteral("the image holds more entries than can be browsed (%1 entries from "
                                         "%2 members, over %3 MB of index)")
                              .arg(Count() - 1)
                              .arg(members)
                              .arg(budget >> 20);
            result = kErrTooLarge;
        }
    }
    // An empty file reads as an archive without members; nobody makes such an image.
    if (result == 0 && members == 0 && archive_format(a) == ARCHIVE_FORMAT_EMPTY) {
        m_errorText = QStringLiteral("empty file");
        result = kErrNotAnImage;
    }
    archive_read_free(a);

    if (result != 0) {
        NR_TRACE(u"File = %s, Line = %u, image index failed: 0x%08X %S", __FILE__, __LINE__, result, m_errorText.utf16());
        const QString text = m_errorText;
        Clear();
        m_errorText = text;
        return result;
    }
    Finish();
    return 0;
}

QString CImageIndex::Name(uint32_t i) const { return CNameCodec::DecodeName(NameData(i), NameSize(i)); }

uint32_t CImageIndex::FindChild(uint32_t parent, const char* name, size_t len) const
{
    if (parent >= Count() || len > kMaxName)
        return kNone;
    return Lookup(parent, name, len, hashOf(parent, name, len));
}

uint32_t CImageIndex::Find(const QString& path) const
{
    uint32_t at = kRoot;
    // Names in an image keep their case ("Makefile" and "makefile" are two members); only what
    // Windows itself folds is looked up without it: a share path and the drive letter.
    const bool folded = !CPathKey::IsCaseSensitive(path);
    for (const QString& part : CStorageMap::Components(path)) {
        if (part == QLatin1String("."))
            continue;
        const QByteArray bytes = CNameCodec::EncodeName(part);
        uint32_t next = FindChild(at, bytes.constData(), size_t(bytes.size()));
        const bool driveLetter = at == kRoot && part.size() == 2 && part.at(1) == QLatin1Char(':');
        if (next == kNone && (folded || driveLetter)) {
            const uint32_t* kids = Children(at);
            for (uint32_t k = 0; k < ChildCount(at); ++k) {
                if (Name(kids[k]).compare(part, Qt::CaseInsensitive) == 0) {
                    next = kids[k];
                    break;
                }
            }
        }
        if (next == kNone)
            return kNone;
        at = next;
    }
    return at;
}

QString CImageIndex::Path(uint32_t i) const
{
    QStringList parts;
    for (uint32_t at = i; at != kRoot && at != kNone; at = m_parent[at])
        parts.prepend(Name(at));
    return parts.join(QLatin1Char('\\'));
}

QByteArray CImageIndex::MemberPath(uint32_t i) const
{
    QByteArray out;
    for (uint32_t at = i; at != kRoot && at != kNone; at = m_parent[at]) {
        out.prepend(NameData(at), int(NameSize(at)));
        if (m_parent[at] != kRoot)
            out.prepend('/');
    }
    return out;
}

CEntryRecord CImageIndex::Record(uint32_t i) const
{
    CEntryRecord r;
    r.name = Name(i);
    r.key = i;
    r.size = m_size[i];
    r.mtimeMs = m_mtime[i];
    // Image entries belong to nobody here: the owner's bits stand for the user's.
    const uint32_t mode = m_mode[i];
    r.permissions = CLocalEnumerator::PermissionsOf(mode, ~0u, ~0u) & 0x7077u;
    r.permissions |= ((mode >> 6) & 07u) << 8;
    r.hidden = NameSize(i) > 0 && NameData(i)[0] == '.';
    switch (m_type[i]) {
    case kTypeDir: {
        const char* n = NameData(i);
        const bool drive = m_parent[i] == kRoot && NameSize(i) == 2 && n[1] == ':' &&
                           ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= 'a' && n[0] <= 'z'));
        r.kind = drive ? CEntryRecord::kDrive : CEntryRecord::kDir;
        break;
    }
    case kTypeLink:
        r.kind = CEntryRecord::kFile;
        r.symlink = true;
        break;
    case kTypeFile:
        r.kind = CEntryRecord::kFile;
        break;
    default:
        r.kind = CEntryRecord::kSystem;
        break;
    }
    return r;
}

size_t CImageIndex::MemoryBytes() const
{
    return bytesOf(m_names) + bytesOf(m_nameOff) + bytesOf(m_nameLen) + bytesOf(m_parent) + bytesOf(m_hash) +
           bytesOf(m_type) + bytesOf(m_implied) + bytesOf(m_mode) + bytesOf(m_size) + bytesOf(m_mtime) +
           bytesOf(m_member) + bytesOf(m_headerOffset) + bytesOf(m_childStart) + bytesOf(m_childList) + bytesOf(m_slots);
}
