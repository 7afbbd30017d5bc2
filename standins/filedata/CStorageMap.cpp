#include "CStorageMap.h"

#include "CNameCodec.h"
#include "CTrace.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

QMutex g_currentLock;
QSharedPointer<const CStorageMap> g_current;
QString g_iniPath = QStringLiteral("./default.ini");
QString g_mountsPath = QStringLiteral("/proc/mounts");

bool startsWithUnc(const QString& p)
{
    return p.size() >= 2 && (p[0] == QLatin1Char('\\') || p[0] == QLatin1Char('/')) &&
           (p[1] == QLatin1Char('\\') || p[1] == QLatin1Char('/'));
}

bool isNasPath(const QString& p) { return p.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive); }

bool isDrivePath(const QString& p)
{
    return p.size() >= 2 && p[1] == QLatin1Char(':') && p[0].unicode() < 128 && p[0].isLetter();
}

// "\\srv\share" with single backslashes between components and none at the end; empty when the
// text is not a UNC path.
QString normalUnc(const QString& text)
{
    if (!startsWithUnc(text))
        return QString();
    const QStringList parts = CStorageMap::Components(text);
    if (parts.isEmpty())
        return QString();
    return QStringLiteral("\\\\") + parts.join(QLatin1Char('\\'));
}

// Components compared the way Windows compares names.
bool samePrefix(const QStringList& prefix, const QStringList& parts)
{
    if (prefix.size() > parts.size())
        return false;
    for (int i = 0; i < prefix.size(); ++i) {
        if (prefix[i].compare(parts[i], Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

QByteArray joinLocal(const QByteArray& base, const QList<QByteArray>& parts)
{
    QByteArray out = base;
    for (const QByteArray& part : parts) {
        if (!out.endsWith('/'))
            out.append('/');
        out.append(part);
    }
    return out;
}

// /proc/mounts escapes blanks, tabs, newlines and backslashes as three octal digits.
QByteArray unescapeMountField(const QByteArray& field)
{
    QByteArray out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray oct = field.mid(i + 1, 3);
            bool ok = false;
            const int v = oct.toInt(&ok, 8);
            if (ok && oct.size() == 3 && v < 256) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

struct IniSection
{
    QList<QPair<QString, QByteArray>> items; // key (UTF-8 decoded), raw value bytes
};

// A small INI reader: [Section], key=value, comments starting with ';' or '#'. Values are kept as
// bytes so that directory names need not be UTF-8; surrounding double quotes are removed.
QHash<QString, IniSection> readIni(const QString& path)
{
    QHash<QString, IniSection> sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sections;
    QString current;
    QByteArray text = file.readAll();
    // Editors on the other platform like to start the file with a byte order mark.
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const QList<QByteArray> lines = text.split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            current = QString::fromUtf8(line.mid(1, line.size() - 2).trimmed()).toLower();
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        QByteArray value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        sections[current].items.append(qMakePair(QString::fromUtf8(line.left(eq).trimmed()), value));
    }
    return sections;
}

bool isDirectory(const QByteArray& dir)
{
    struct stat st;
    return !dir.isEmpty() && ::stat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A directory named by the configuration or the mount table, or none when it holds a zero byte:
// the file system would cut the path there and every path mapped into it would name another place.
QByteArray localDir(const QByteArray& dir)
{
    return dir.contains('\0') ? QByteArray() : dir;
}

} // namespace

QString CStorageMap::Share::Server() const
{
    const QStringList parts = Components(unc);
    return parts.isEmpty() ? QString() : parts.first();
}

CStorageMap::CStorageMap()
{
    Drive c;
    c.letter = QLatin1Char('C');
    c.dir = "/";
    c.type = kDriveFixed;
    m_drives.append(c);
}

QStringList CStorageMap::Components(const QString& path)
{
    QStringList parts;
    int start = 0;
    for (int i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == QLatin1Char('\\') || path[i] == QLatin1Char('/')) {
            if (i > start)
                parts.append(path.mid(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

void CStorageMap::Load(const QString& iniPath, const QString& mountsPath)
{
    m_drives.clear();
    m_shares.clear();
    m_nas.clear();
    const QHash<QString, IniSection> ini = readIni(iniPath);

    // Shares first: mapped drive letters resolve through them.
    QHash<QString, int> byUnc;
    const QList<QPair<QString, QByteArray>> network = ini.value(QStringLiteral("network")).items;
    for (const auto& item : network) {
        const int bar = item.first.indexOf(QLatin1Char('|'));
        const QString unc = normalUnc(bar < 0 ? item.first : item.first.left(bar));
        if (Components(unc).size() < 2) {
            NR_TRACE(u"File = %s, Line = %u, ignored network entry %S", __FILE__, __LINE__, item.first.utf16());
            continue;
        }
        const QString key = unc.toUpper();
        if (!byUnc.contains(key)) {
            Share share;
            share.unc = unc;
            byUnc.insert(key, m_shares.size());
            m_shares.append(share);
        }
        Share& share = m_shares[byUnc.value(key)];
        const QString field = bar < 0 ? QString() : item.first.mid(bar + 1).trimmed().toLower();
        if (field.isEmpty())
            share.dir = localDir(item.second);
        else if (field == QLatin1String("user"))
            share.user = QString::fromUtf8(item.second);
        else if (field == QLatin1String("password"))
            share.password = QString::fromUtf8(item.second);
        else if (field == QLatin1String("login"))
            share.loginAsk = item.second.trimmed().toLower() == "ask";
    }
    // Credentials without a directory name no share on this machine.
    for (int i = m_shares.size() - 1; i >= 0; --i) {
        if (m_shares[i].dir.isEmpty())
            m_shares.removeAt(i);
    }
    byUnc.clear();
    for (int i = 0; i < m_shares.size(); ++i)
        byUnc.insert(m_shares[i].unc.toUpper(), i);

    QFile mounts(mountsPath);
    if (!mountsPath.isEmpty() && mounts.open(QIODevice::ReadOnly)) {
        // /proc files report size 0: read until the end instead of by size.
        const QList<QByteArray> lines = mounts.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() < 3 || (f[2] != "cifs" && f[2] != "smb3"))
                continue;
            const QString unc = normalUnc(CNameCodec::DecodeText(unescapeMountField(f[0])));
            if (Components(unc).size() < 2 || byUnc.contains(unc.toUpper()))
                continue;
            Share share;
            share.unc = unc;
            share.dir = localDir(unescapeMountField(f[1]));
            if (share.dir.isEmpty())
                continue;
            share.fromMounts = true;
            byUnc.insert(unc.toUpper(), m_shares.size());
            m_shares.append(share);
        }
    }

    const QList<QPair<QString, QByteArray>> nas = ini.value(QStringLiteral("nas")).items;
    for (const auto& item : nas) {
        const QString root = normalUnc(QString::fromUtf8(item.second));
        if (root.isEmpty() || item.first.isEmpty())
            continue;
        m_nas.append(NasDevice{item.first, root});
    }

    const QList<QPair<QString, QByteArray>> drives = ini.value(QStringLiteral("drives")).items;
    for (const auto& item : drives) {
        if (item.first.size() != 1 || item.first[0].unicode() >= 128 || !item.first[0].isLetter())
            continue;
        const QChar letter = item.first[0].toUpper();
        bool taken = false;
        for (const Drive& d : qAsConst(m_drives))
            taken = taken || d.letter == letter;
        if (taken)
            continue;
        Drive drive;
        drive.letter = letter;
        const QString text = QString::fromUtf8(item.second);
        if (startsWithUnc(text)) {
            drive.share = normalUnc(text);
            drive.type = kDriveMappedShare;
            QString rest;
            if (const Share* s = ShareCovering(drive.share, &rest)) {
                QList<QByteArray> parts;
                for (const QString& c : Components(rest))
                    parts.append(CNameCodec::EncodeName(c));
                drive.dir = joinLocal(s->dir, parts);
            }
        } else {
            drive.dir = localDir(item.second);
            drive.type = isDirectory(drive.dir) ? kDriveFixed : kDriveNoRoot;
        }
        m_drives.append(drive);
    }
    if (drives.isEmpty()) {
        Drive c;
        c.letter = QLatin1Char('C');
        c.dir = "/";
        c.type = kDriveFixed;
        m_drives.append(c);
    }
    std::sort(m_drives.begin(), m_drives.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
}

QSharedPointer<const CStorageMap> CStorageMap::Current()
{
    QMutexLocker lock(&g_currentLock);
    if (!g_current) {
        QSharedPointer<CStorageMap> map(new CStorageMap);
        map->Load(g_iniPath, g_mountsPath);
        g_current = map;
    }
    return g_current;
}

void CStorageMap::Reload()
{
    QMutexLocker lock(&g_currentLock);
    g_current.reset();
}

void CStorageMap::SetIniPath(const QString& path)
{
    QMutexLocker lock(&g_currentLock);
    g_iniPath = path;
    g_current.reset();
}

void CStorageMap::SetMountsPath(const QString& path)
{
    QMutexLocker lock(&g_currentLock);
    g_mountsPath = path;
    g_current.reset();
}

QStringList CStorageMap::Hosts() const
{
    QStringList hosts;
    for (const Share& s : m_shares) {
        const QString server = s.Server();
        if (!hosts.contains(server, Qt::CaseInsensitive))
            hosts.append(server);
    }
    return hosts;
}

QList<CStorageMap::Share> CStorageMap::SharesOfHost(const QString& server) const
{
    QList<Share> out;
    for (const Share& s : m_shares) {
        if (s.Server().compare(server, Qt::CaseInsensitive) == 0)
            out.append(s);
    }
    return out;
}

QList<CStorageMap::Share> CStorageMap::SharesOfNas(const QString& device) const
{
    QList<Share> out;
    for (const NasDevice& d : m_nas) {
        if (d.name.compare(device, Qt::CaseInsensitive) != 0)
            continue;
        const QStringList root = Components(d.uncRoot);
        for (const Share& s : m_shares) {
            const QStringList parts = Components(s.unc);
            if (parts.size() > root.size() && samePrefix(root, parts))
                out.append(s);
        }
        break;
    }
    return out;
}

bool CStorageMap::DriveInfo(const QString& path, Drive* out) const
{
    if (!isDrivePath(path))
        return false;
    const QChar letter = path[0].toUpper();
    for (const Drive& d : m_drives) {
        if (d.letter == letter) {
            if (out)
                *out = d;
            return true;
        }
    }
    return false;
}

QString CStorageMap::TranslateMappedDrive(const QString& path) const
{
    Drive d;
    if (!DriveInfo(path, &d) || d.type != kDriveMappedShare)
        return QString();
    const QStringList rest = Components(path.mid(2));
    return rest.isEmpty() ? d.share : d.share + QLatin1Char('\\') + rest.join(QLatin1Char('\\'));
}

QString CStorageMap::NasToUnc(const QString& path) const
{
    if (!isNasPath(path))
        return QString();
    const QStringList parts = Components(path.mid(4));
    if (parts.isEmpty())
        return QString();
    for (const NasDevice& d : m_nas) {
        if (d.name.compare(parts.first(), Qt::CaseInsensitive) == 0) {
            const QStringList rest = parts.mid(1);
            return rest.isEmpty() ? d.uncRoot : d.uncRoot + QLatin1Char('\\') + rest.join(QLatin1Char('\\'));
        }
    }
    return QString();
}

const CStorageMap::Share* CStorageMap::ShareCovering(const QString& unc, QString* rest) const
{
    const QStringList parts = Components(unc);
    const Share* best = nullptr;
    int bestLen = 0;
    for (const Share& s : m_shares) {
        const QStringList sp = Components(s.unc);
        if (sp.size() > bestLen && samePrefix(sp, parts)) {
            best = &s;
            bestLen = sp.size();
        }
    }
    if (best && rest)
        *rest = parts.mid(bestLen).join(QLatin1Char('\\'));
    return best;
}

const CStorageMap::Share* CStorageMap::FindShare(const QString& unc) const
{
    const QString key = normalUnc(unc);
    for (const Share& s : m_shares) {
        if (s.unc.compare(key, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

QString CStorageMap::ShareBehind(const QString& path) const
{
    QString unc;
    if (startsWithUnc(path))
        unc = path;
    else if (isNasPath(path))
        unc = NasToUnc(path);
    else
        unc = TranslateMappedDrive(path);
    if (unc.isEmpty())
        return QString();
    const Share* s = ShareCovering(unc, nullptr);
    return s ? s->unc + QLatin1Char('\\') : QString();
}

bool CStorageMap::Credentials(const QString& share, QString* user, QString* password) const
{
    const Share* s = FindShare(share);
    if (!s || (s->user.isEmpty() && s->password.isEmpty()))
        return false;
    if (user)
        *user = s->user;
    if (password)
        *password = s->password;
    return true;
}

uint32_t CStorageMap::ToLocal(const QString& path, QByteArray* local) const
{
    QByteArray base;
    QStringList rest;
    if (startsWithUnc(path)) {
        const QStringList parts = Components(path);
        if (parts.isEmpty())
            return kErrNotAPath;
        if (parts.size() == 1)
            return Hosts().contains(parts.first(), Qt::CaseInsensitive) ? kErrHostOnly : kErrUnknownHost;
        QString tail;
        const Share* s = ShareCovering(path, &tail);
        if (!s)
            return Hosts().contains(parts.first(), Qt::CaseInsensitive) ? kErrUnknownShare : kErrUnknownHost;
        base = s->dir;
        rest = Components(tail);
    } else if (isNasPath(path)) {
        const QString unc = NasToUnc(path);
        if (unc.isEmpty())
            return kErrUnknownNas;
        return ToLocal(unc, local);
    } else if (isDrivePath(path)) {
        Drive d;
        if (!DriveInfo(path, &d))
            return kErrUnknownDrive;
        if (d.dir.isEmpty())
            return kErrUnknownShare; // a letter mapped to a share this machine does not have
        base = d.dir;
        rest = Components(path.mid(2));
    } else {
        return kErrNotAPath;
    }

    QList<QByteArray> parts;
    for (const QString& c : qAsConst(rest)) {
        if (c == QLatin1String("."))
            continue;
        if (c == QLatin1String(".."))
            return kErrParentStep;
        bool ok = true;
        parts.append(CNameCodec::EncodeName(c, &ok));
        // A zero byte would end the path early for the file system: no name holds one.
        if (!ok || parts.last().contains('\0'))
            return kErrUnencodable;
    }
    const QByteArray exact = joinLocal(base, parts);
    struct stat st;
    if (parts.isEmpty() || ::lstat(exact.constData(), &st) == 0)
        *local = exact;
    else
        *local = ResolveCase(exact, base, parts);
    return 0;
}

QByteArray CStorageMap::ResolveCase(const QByteArray& exact, const QByteArray& base, const QList<QByteArray>& parts)
{
    QByteArray dir = base;
    for (int i = 0; i < parts.size(); ++i) {
        const QByteArray direct = joinLocal(dir, {parts[i]});
        struct stat st;
        if (::lstat(direct.constData(), &st) == 0) {
            dir = direct;
            continue;
        }
        DIR* d = ::opendir(dir.constData());
        if (!d)
            return exact;
        const QString wanted = CNameCodec::DecodeName(parts[i]).toCaseFolded();
        QByteArray found;
        bool ambiguous = false;
        while (struct dirent* e = ::readdir(d)) {
            const size_t len = strlen(e->d_name);
            if (CNameCodec::DecodeName(e->d_name, len).toCaseFolded() == wanted) {
                // "Makefile" and "makefile" are two files here: a name in another case names
                // neither of them.
                ambiguous = !found.isEmpty();
                if (ambiguous)
                    break;
                found = QByteArray(e->d_name, int(len));
            }
        }
        ::closedir(d);
        if (found.isEmpty() || ambiguous)
            return exact;
        dir = joinLocal(dir, {found});
    }
    return dir;
}

QString CStorageMap::ToWindows(const QByteArray& localIn) const
{
    if (!localIn.startsWith('/'))
        return QString();
    QByteArray local = localIn;
    while (local.size() > 1 && local.endsWith('/'))
        local.chop(1);
    auto covers = [&local](QByteArray dir) -> int {
        while (dir.size() > 1 && dir.endsWith('/'))
            dir.chop(1);
        if (dir.isEmpty())
            return -1;
        if (dir == "/")
            return 1;
        if (local == dir || local.startsWith(dir + '/'))
            return dir.size();
        return -1;
    };
    QString head;
    int best = -1;
    for (const Drive& d : m_drives) {
        if (d.type != kDriveFixed)
            continue;
        const int n = covers(d.dir);
        if (n > best) {
            best = n;
            head = QString(d.letter) + QLatin1Char(':');
        }
    }
    for (const Share& s : m_shares) {
        const int n = covers(s.dir);
        if (n > best) {
            best = n;
            head = s.unc;
        }
    }
    if (best < 0)
        return QString();
    QString out = head;
    for (const QByteArray& part : local.mid(best).split('/')) {
        if (!part.isEmpty())
            out += QLatin1Char('\\') + CNameCodec::DecodeName(part);
    }
    return out;
}

namespace {

struct ProbeState
{
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    uint32_t result = 0;
};

} // namespace

uint32_t CStorageMap::CheckNetworkPath(const QString& pathIn, bool mapped, int timeoutMs) const
{
    QString path = pathIn.trimmed();
    if (isNasPath(path)) {
        path = NasToUnc(path);
        if (path.isEmpty())
            return kErrUnknownNas;
    } else if (mapped && isDrivePath(path)) {
        path = TranslateMappedDrive(path);
    }
    if (!startsWithUnc(path))
        return kErrNotAPath;
    const QStringList parts = Components(path);
    if (parts.isEmpty())
        return kErrNotAPath;

    // What the probe needs is copied, so a probe that outlives a timeout touches nothing of ours.
    // Mapping a path to a directory touches the file system too, so it runs in the probe.
    QList<QByteArray> dirs;
    bool shareRoot = false;
    if (parts.size() == 1) {
        const QList<Share> shares = SharesOfHost(parts.first());
        if (shares.isEmpty())
            return kErrUnknownHost;
        for (const Share& s : shares)
            dirs.append(s.dir);
    } else {
        QString tail;
        const Share* s = ShareCovering(path, &tail);
        if (!s)
            return Hosts().contains(parts.first(), Qt::CaseInsensitive) ? kErrUnknownShare : kErrUnknownHost;
        shareRoot = Components(tail).isEmpty();
    }

    auto state = std::make_shared<ProbeState>();
    const CStorageMap copy = *this;
    const bool hostOnly = parts.size() == 1;
    std::thread([state, copy, path, dirs, hostOnly, shareRoot]() {
        uint32_t result = 0;
        auto probe = [](const QByteArray& dir, bool root) -> uint32_t {
            struct stat st;
            if (::stat(dir.constData(), &st) != 0)
                return (errno == EACCES || errno == EPERM) ? kErrShareDenied : root ? kErrShareOffline : kErrFolderMissing;
            if (!S_ISDIR(st.st_mode))
                return root ? kErrShareOffline : kErrFolderMissing;
            DIR* d = ::opendir(dir.constData());
            if (!d)
                return (errno == EACCES || errno == EPERM) ? kErrShareDenied : kErrShareOffline;
            ::closedir(d);
            return 0;
        };
        if (hostOnly) {
            result = kErrNoHostShares;
            for (const QByteArray& dir : dirs) {
                if (probe(dir, true) == 0) {
                    result = 0;
                    break;
                }
            }
        } else {
            QByteArray local;
            result = copy.ToLocal(path, &local);
            if (NRResult::Succeeded(result))
                result = probe(local, shareRoot);
        }
        std::lock_guard<std::mutex> g(state->lock);
        state->result = result;
        state->finished = true;
        state->done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> g(state->lock);
    if (!state->done.wait_for(g, std::chrono::milliseconds(timeoutMs), [&state] { return state->finished; })) {
        NR_TRACE(u"File = %s, Line = %u, network path check timed out: %S", __FILE__, __LINE__, path.utf16());
        return kErrCheckTimeout;
    }
    return state->result;
}

bool CStorageMap::SpaceOf(const QByteArray& dir, qint64* total, qint64* free)
{
    struct statvfs vfs;
    if (dir.isEmpty() || ::statvfs(dir.constData(), &vfs) != 0)
        return false;
    if (total)
        *total = qint64(vfs.f_blocks) * qint64(vfs.f_frsize);
    if (free)
        *free = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
    return true;
}
