#include "CRestoreTarget.h"

#include "CNameCodec.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Variants tried before a restored file gives up on finding a free name.
constexpr int kMaxVariants = 10000;

QString errorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

QByteArray joined(const CRestoreTarget::Parts& parts, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        if (i)
            out += '/';
        out += parts.at(i);
    }
    return out;
}

// "report.txt" -> "report (2).txt"; a name whose only dot leads it (".profile") keeps it.
QByteArray variant(const QByteArray& name, int n)
{
    const int dot = name.lastIndexOf('.');
    const QByteArray suffix = " (" + QByteArray::number(n) + ")";
    if (dot <= 0)
        return name + suffix;
    return name.left(dot) + suffix + name.mid(dot);
}

bool IsLink(int dirFd, const QByteArray& name)
{
    struct stat st;
    return fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Why a name on a path cannot be walked through.
QString inTheWay(int dirFd, const QByteArray& name, const QString& shown)
{
    struct stat st;
    if (fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return QStringLiteral("%1 is a symbolic link, which is never followed").arg(shown);
        if (!S_ISDIR(st.st_mode))
            return QStringLiteral("%1 is a file, not a folder").arg(shown);
    }
    return QString();
}

} // namespace

CRestoreTarget::CRestoreTarget(bool overwrite) : m_overwrite(overwrite) {}

CRestoreTarget::~CRestoreTarget()
{
    AbortFile();
    DropCachedParent();
    if (m_rootFd >= 0)
        close(m_rootFd);
}

bool CRestoreTarget::Open(const QString& folder, QString* why)
{
    // The folder itself is the user's choice and may be reached through links; inside it nothing is.
    if (!QDir().mkpath(folder)) {
        *why = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    m_rootFd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_rootFd < 0) {
        *why = QStringLiteral("cannot open the folder %1: %2").arg(folder, errorText(errno));
        return false;
    }
    return true;
}

bool CRestoreTarget::MemberParts(const QByteArray& member, Parts* parts, QString* why)
{
    parts->clear();
    // "//server/share/..." is a share's Windows form; one leading slash is an absolute path.
    const bool share = member.startsWith("//") && member.size() > 2 && member.at(2) != '/';
    if (member.startsWith('/') && !share) {
        *why = QStringLiteral("an absolute path");
        return false;
    }
    for (const QByteArray& name : member.split('/')) {
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            *why = QStringLiteral("a path that climbs out with \"..\"");
            parts->clear();
            return false;
        }
        parts->append(name);
    }
    // The drive (or "NAS:") is the first folder, without its colon.
    if (!share && !parts->isEmpty() && parts->first().endsWith(':')) {
        parts->first().chop(1);
        if (parts->first().isEmpty())
            parts->removeFirst();
    }
    if (parts->isEmpty()) {
        *why = QStringLiteral("a path that names nothing");
        return false;
    }
    return true;
}

QString CRestoreTarget::Shown(const Parts& parts)
{
    return CNameCodec::DecodeText(joined(parts, parts.size()));
}

void CRestoreTarget::DropCachedParent()
{
    if (m_cachedFd >= 0 && m_cachedFd != m_rootFd)
        close(m_cachedFd);
    m_cachedFd = -1;
    m_cachedPath.clear();
}

int CRestoreTarget::ParentFd(const Parts& parts, bool create, QString* why)
{
    m_refusal = false;
    const int depth = parts.size() - 1;
    const QByteArray path = joined(parts, depth);
    if (m_cachedFd >= 0 && path == m_cachedPath)
        return m_cachedFd;
    DropCachedParent();
    int fd = m_rootFd;
    for (int i = 0; i < depth; ++i) {
        const QByteArray& name = parts.at(i);
        int next = openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            if (mkdirat(fd, name.constData(), 0777) == 0)
                m_created.insert(joined(parts, i + 1));
            next = openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            const int err = errno;
            const QString shown = Shown(parts.mid(0, i + 1));
            *why = inTheWay(fd, name, shown);
            m_refusal = IsLink(fd, name);
            if (why->isEmpty())
                *why = QStringLiteral("cannot open the folder %1: %2").arg(shown, errorText(err));
            if (fd != m_rootFd)
                close(fd);
            return -1;
        }
        if (fd != m_rootFd)
            close(fd);
        fd = next;
    }
    m_cachedFd = fd;
    m_cachedPath = path;
    return fd;
}

QByteArray CRestoreTarget::TempName()
{
    return ".restore-" + QByteArray::number(qint64(getpid())) + "-" + QByteArray::number(++m_tmpCounter) + ".part";
}

bool CRestoreTarget::Place(int dirFd, const QByteArray& tmp, const QByteArray& name, QByteArray* placed, QString* why)
{
    if (m_overwrite) {
        // Replaces a file or a link of that name (the link itself, never what it points to).
        if (renameat(dirFd, tmp.constData(), dirFd, name.constData()) == 0) {
            *placed = name;
            return true;
        }
        *why = errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST
                   ? QStringLiteral("a folder of that name is in the way")
                   : errorText(errno);
        return false;
    }
    for (int n = 0; n < kMaxVariants; ++n) {
        const QByteArray candidate = n == 0 ? name : variant(name, n);
        int r = renameat2(dirFd, tmp.constData(), dirFd, candidate.constData(), RENAME_NOREPLACE);
        if (r != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the no-replace rename: a hard link never replaces either.
            r = linkat(dirFd, tmp.constData(), dirFd, candidate.constData(), 0);
            if (r == 0)
                unlinkat(dirFd, tmp.constData(), 0);
        }
        if (r == 0) {
            *placed = candidate;
            return true;
        }
        if (errno != EEXIST) {
            *why = errorText(errno);
            return false;
        }
    }
    *why = QStringLiteral("no free name left beside the existing file");
    return false;
}

int CRestoreTarget::BeginFile(const Parts& parts, QString* why)
{
    AbortFile();
    const int dirFd = ParentFd(parts, true, why);
    if (dirFd < 0)
        return -1;
    // Its own descriptor: the cached folder may change before the file is placed.
    m_fileDirFd = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (m_fileDirFd < 0) {
        *why = errorText(errno);
        return -1;
    }
    for (int attempt = 0; attempt < 8 && m_fileFd < 0; ++attempt) {
        m_fileTmp = TempName();
        // Readable by nobody else until it is complete and has its own permission bits.
        m_fileFd = openat(m_fileDirFd, m_fileTmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fileFd < 0 && errno != EEXIST)
            break;
    }
    if (m_fileFd < 0) {
        *why = errorText(errno);
        close(m_fileDirFd);
        m_fileDirFd = -1;
        return -1;
    }
    m_fileParts = parts;
    return m_fileFd;
}

bool CRestoreTarget::CommitFile(uint32_t mode, const timespec& mtime, QString* finalName, QString* why)
{
    if (m_fileFd < 0) {
        *why = QStringLiteral("no file is being written");
        return false;
    }
    const timespec times[2] = {{0, UTIME_OMIT}, mtime};
    bool ok = fchmod(m_fileFd, mode & 0777) == 0 && futimens(m_fileFd, times) == 0;
    if (!ok)
        *why = errorText(errno);
    // Some file systems report a failed write only when the file is closed.
    if (close(m_fileFd) != 0 && ok) {
        *why = errorText(errno);
        ok = false;
    }
    m_fileFd = -1;
    QByteArray placed;
    if (ok && Place(m_fileDirFd, m_fileTmp, m_fileParts.last(), &placed, why)) {
        Parts final = m_fileParts;
        final.last() = placed;
        if (placed != m_fileParts.last())
            m_moved.insert(joined(m_fileParts, m_fileParts.size()), final);
        *finalName = Shown(final);
        close(m_fileDirFd);
        m_fileDirFd = -1;
        return true;
    }
    AbortFile();
    return false;
}

void CRestoreTarget::AbortFile()
{
    if (m_fileFd >= 0) {
        close(m_fileFd);
        m_fileFd = -1;
    }
    if (m_fileDirFd >= 0) {
        unlinkat(m_fileDirFd, m_fileTmp.constData(), 0);
        close(m_fileDirFd);
        m_fileDirFd = -1;
    }
}

bool CRestoreTarget::MakeLink(const Parts& parts, const QByteArray& linkTarget, const timespec& mtime, QString* why)
{
    const int dirFd = ParentFd(parts, true, why);
    if (dirFd < 0)
        return false;
    const QByteArray tmp = TempName();
    if (symlinkat(linkTarget.constData(), dirFd, tmp.constData()) != 0) {
        *why = errorText(errno);
        return false;
    }
    const timespec times[2] = {{0, UTIME_OMIT}, mtime};
    utimensat(dirFd, tmp.constData(), times, AT_SYMLINK_NOFOLLOW);
    QByteArray placed;
    if (Place(dirFd, tmp, parts.last(), &placed, why))
        return true;
    unlinkat(dirFd, tmp.constData(), 0);
    return false;
}

bool CRestoreTarget::MakeHardLink(const Parts& parts, const Parts& existing, QString* why)
{
    const Parts source = m_moved.value(joined(existing, existing.size()), existing);
    const int sourceDir = ParentFd(source, false, why);
    if (sourceDir < 0)
        return false;
    struct stat st;
    if (fstatat(sourceDir, source.last().constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        *why = QStringLiteral("its target %1 was not restored").arg(Shown(source));
        return false;
    }
    const int held = fcntl(sourceDir, F_DUPFD_CLOEXEC, 0);
    const int dirFd = held < 0 ? -1 : ParentFd(parts, true, why);
    bool ok = false;
    if (held < 0) {
        *why = errorText(errno);
    } else if (dirFd >= 0) {
        const QByteArray tmp = TempName();
        QByteArray placed;
        if (linkat(held, source.last().constData(), dirFd, tmp.constData(), 0) != 0)
            *why = errorText(errno);
        else if (!(ok = Place(dirFd, tmp, parts.last(), &placed, why)))
            unlinkat(dirFd, tmp.constData(), 0);
    }
    if (held >= 0)
        close(held);
    return ok;
}

bool CRestoreTarget::MakeFolder(const Parts& parts, uint32_t mode, const timespec& mtime, QString* why)
{
    const int dirFd = ParentFd(parts, true, why);
    if (dirFd < 0)
        return false;
    const QByteArray key = joined(parts, parts.size());
    const QByteArray& name = parts.last();
    if (mkdirat(dirFd, name.constData(), 0700) == 0) {
        m_created.insert(key);
    } else if (errno != EEXIST) {
        *why = errorText(errno);
        return false;
    } else {
        const QString inWay = inTheWay(dirFd, name, Shown(parts));
        if (!inWay.isEmpty()) {
            *why = inWay;
            return false;
        }
    }
    // A folder that was there before keeps its own permission bits and time.
    if (m_created.contains(key))
        m_folders.append(Folder{parts, mode, mtime});
    return true;
}

void CRestoreTarget::FinishFolders(QStringList* problems)
{
    // Deepest first, so a folder made read-only no longer needs to be written into.
    std::stable_sort(m_folders.begin(), m_folders.end(),
                     [](const Folder& a, const Folder& b) { return a.parts.size() > b.parts.size(); });
    for (const Folder& f : m_folders) {
        QString why;
        const int dirFd = ParentFd(f.parts, false, &why);
        const int fd = dirFd < 0 ? -1 : openat(dirFd, f.parts.last().constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const timespec times[2] = {{0, UTIME_OMIT}, f.mtime};
        if (fd < 0 || fchmod(fd, f.mode & 0777) != 0 || futimens(fd, times) != 0) {
            if (why.isEmpty())
                why = errorText(errno);
            problems->append(QStringLiteral("Failed %1: cannot set the folder's permissions and time: %2").arg(Shown(f.parts), why));
        }
        if (fd >= 0)
            close(fd);
    }
    m_folders.clear();
    DropCachedParent();
}
