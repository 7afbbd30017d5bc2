#include "CLocalEnumerator.h"

#include "CNameCodec.h"
#include "CNaturalKey.h"
#include "CTrace.h"

#include <QVector>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileId
{
    dev_t dev;
    ino_t ino;
    bool operator==(const FileId& o) const { return dev == o.dev && ino == o.ino; }
};

// The current user's groups, read once.
const std::vector<gid_t>& userGroups()
{
    static const std::vector<gid_t> groups = [] {
        std::vector<gid_t> g;
        const int n = ::getgroups(0, nullptr);
        if (n > 0) {
            g.resize(size_t(n));
            if (::getgroups(n, g.data()) < 0)
                g.clear();
        }
        g.push_back(::getegid());
        return g;
    }();
    return groups;
}

qint64 mtimeMsOf(const struct stat& st)
{
    return CEntryRecord::MsSinceEpoch(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

// Fills a record from lstat data, following a link with `follow` (which answers false when the
// target cannot be reached).
template <typename Follow>
void fillRecord(CEntryRecord& r, const struct stat& lst, Follow follow)
{
    struct stat st = lst;
    if (S_ISLNK(lst.st_mode)) {
        r.symlink = true;
        struct stat target;
        if (follow(&target)) {
            st = target;
        } else {
            // A dangling link, or one that runs in circles: shown as an empty file.
            r.kind = CEntryRecord::kFile;
            r.size = 0;
            r.mtimeMs = mtimeMsOf(lst);
            r.permissions = CLocalEnumerator::PermissionsOf(lst.st_mode, lst.st_uid, lst.st_gid);
            return;
        }
    }
    if (S_ISDIR(st.st_mode)) {
        r.kind = CEntryRecord::kDir;
        r.size = -1;
    } else if (S_ISREG(st.st_mode)) {
        r.kind = CEntryRecord::kFile;
        r.size = st.st_size;
    } else {
        r.kind = CEntryRecord::kSystem;
        r.size = 0;
    }
    r.mtimeMs = mtimeMsOf(st);
    r.permissions = CLocalEnumerator::PermissionsOf(st.st_mode, st.st_uid, st.st_gid);
}

uint32_t openError(int err)
{
    switch (err) {
    case ENOENT:
        return CLocalEnumerator::kErrVanished;
    case EACCES:
    case EPERM:
        return CLocalEnumerator::kErrUnreadable;
    case ENOTDIR:
    case ELOOP:
        return CLocalEnumerator::kErrNotAFolder;
    default:
        return CLocalEnumerator::kErrReadFailed;
    }
}

// A name read but not yet looked at: the bytes for the stat call, the decoded text to sort by.
struct Pending
{
    QByteArray bytes;
    QString name;
};

// The natural name order of the model's name sort in the C locale (numbers by value, case
// left aside), by keys built once per name. The rare names no key can express follow the others
// in plain case-insensitive order; ties fall back to the bytes, so the order is total.
void sortByName(std::vector<Pending>& names)
{
    struct Keyed
    {
        size_t index;
        size_t start;
        size_t length;
        bool simple;
    };
    std::vector<ushort> keys;
    std::vector<Keyed> order;
    order.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t start = keys.size();
        const bool simple = CNaturalKey::Append(names[i].name, keys);
        order.push_back(Keyed{i, start, keys.size() - start, simple});
    }
    std::sort(order.begin(), order.end(), [&](const Keyed& l, const Keyed& r) {
        if (l.simple != r.simple)
            return l.simple;
        int c = l.simple ? CNaturalKey::Compare(keys.data() + l.start, l.length, keys.data() + r.start, r.length)
                         : names[l.index].name.compare(names[r.index].name, Qt::CaseInsensitive);
        if (c == 0)
            c = names[l.index].bytes.compare(names[r.index].bytes);
        return c < 0;
    });
    std::vector<Pending> sorted;
    sorted.reserve(names.size());
    for (const Keyed& k : order)
        sorted.push_back(std::move(names[k.index]));
    names.swap(sorted);
}

} // namespace

CLocalEnumerator::CLocalEnumerator(int batchSize) : m_batchSize(std::max(1, batchSize)) {}

uint32_t CLocalEnumerator::PermissionsOf(uint32_t mode, uint32_t uid, uint32_t gid)
{
    // QFile::Permissions keeps one hex digit per class: owner 0x7000, user 0x700, group 0x70, other 0x7.
    uint32_t p = (((mode >> 6) & 07) << 12) | (((mode >> 3) & 07) << 4) | (mode & 07);
    uint32_t mine;
    if (::geteuid() == 0)
        mine = 06 | ((mode & 0111) ? 01 : 0);
    else if (uid == ::geteuid())
        mine = (mode >> 6) & 07;
    else if (std::find(userGroups().begin(), userGroups().end(), gid_t(gid)) != userGroups().end())
        mine = (mode >> 3) & 07;
    else
        mine = mode & 07;
    p |= mine << 8;
    return p;
}

uint32_t CLocalEnumerator::List(const QByteArray& dir, const BatchFn& onBatch, const std::atomic_bool* cancel) const
{
    if (dir.isEmpty() || !onBatch)
        return kErrBadArgument;
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const uint32_t r = openError(errno);
        NR_TRACE(u"File = %s, Line = %u, cannot list %s: errno %d, code 0x%08X", __FILE__, __LINE__, dir.constData(),
                 errno, r);
        return r;
    }
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return kErrReadFailed;
    }

    // Every folder on the way to this one, links followed: a link to any of them is a loop.
    std::vector<FileId> chain;
    {
        QByteArray prefix;
        const QList<QByteArray> parts = dir.split('/');
        struct stat st;
        if (::stat("/", &st) == 0)
            chain.push_back(FileId{st.st_dev, st.st_ino});
        for (const QByteArray& part : parts) {
            if (part.isEmpty())
                continue;
            prefix += '/';
            prefix += part;
            if (::stat(prefix.constData(), &st) == 0 && S_ISDIR(st.st_mode))
                chain.push_back(FileId{st.st_dev, st.st_ino});
        }
        if (::fstat(fd, &st) == 0)
            chain.push_back(FileId{st.st_dev, st.st_ino});
    }

    // Names first (cheap), then the stat calls in name order: the folders of the original
    // platform list their entries sorted, and the tree shows a folder in the order it arrives
    // until the user sorts it, so the hash order of readdir would look random there.
    std::vector<Pending> names;
    uint32_t result = 0;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result = kErrCancelled;
            break;
        }
        errno = 0;
        const struct dirent* e = ::readdir(d);
        if (!e) {
            if (errno != 0)
                result = kErrReadFailed;
            break;
        }
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const size_t len = strlen(name);
        names.push_back(Pending{QByteArray(name, int(len)), CNameCodec::DecodeName(name, len)});
    }
    if (!NRResult::Failed(result))
        sortByName(names);

    CEntryBatch batch;
    batch.reserve(m_batchSize);
    for (Pending& p : names) {
        if (NRResult::Failed(result))
            break;
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result = kErrCancelled;
            break;
        }
        const char* name = p.bytes.constData();
        struct stat lst;
        if (::fstatat(fd, name, &lst, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // removed while we were listing
        CEntryRecord r;
        r.name = std::move(p.name);
        r.hidden = name[0] == '.';
        struct stat target;
        fillRecord(r, lst, [fd, name, &target](struct stat* st) {
            if (::fstatat(fd, name, &target, 0) != 0)
                return false;
            *st = target;
            return true;
        });
        if (r.symlink && r.kind == CEntryRecord::kDir) {
            const FileId id{target.st_dev, target.st_ino};
            r.loop = std::find(chain.begin(), chain.end(), id) != chain.end();
        }
        batch.append(std::move(r));
        if (batch.size() >= m_batchSize) {
            onBatch(std::move(batch), false);
            batch = CEntryBatch();
            batch.reserve(m_batchSize);
        }
    }
    ::closedir(d);
    if (NRResult::Failed(result))
        return result;
    onBatch(std::move(batch), true);
    return 0;
}
