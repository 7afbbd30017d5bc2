#include "CHostPathMap.h"

#include "CNameCodec.h"
#include "CStorageMap.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <sys/stat.h>

namespace {

bool isDirectory(const QByteArray& dir)
{
    struct stat st;
    return !dir.isEmpty() && ::stat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isUnc(const QString& p)
{
    return p.size() >= 2 && (p[0] == QLatin1Char('\\') || p[0] == QLatin1Char('/'))
           && (p[1] == QLatin1Char('\\') || p[1] == QLatin1Char('/'));
}

// Forms the mapping must not take for folders: "C:dir" (relative to a drive's current folder)
// and the device namespace ("\\.\Tape0", "\\?\...").
bool isRefusedForm(const QString& p)
{
    if (p.size() >= 3 && p[1] == QLatin1Char(':') && p[2] != QLatin1Char('\\') && p[2] != QLatin1Char('/'))
        return true;
    return isUnc(p) && p.size() > 2 && (p[2] == QLatin1Char('.') || p[2] == QLatin1Char('?'));
}

// The directory of the drive or share a mapped path starts from.
QByteArray rootOf(const CStorageMap& map, const QString& path)
{
    CStorageMap::Drive drive;
    if (map.DriveInfo(path, &drive) && drive.type != CStorageMap::kDriveMappedShare)
        return drive.dir;
    const QString share = map.ShareBehind(path);
    const CStorageMap::Share* s = share.isEmpty() ? nullptr : map.FindShare(share);
    return s ? s->dir : QByteArray();
}

} // namespace

CHostPathMap::CHostPathMap(const QString& iniPath, const QString& mountsPath)
    : m_iniPath(iniPath), m_mountsPath(mountsPath)
{
}

CHostPathMap::Outcome CHostPathMap::Map(const QString& path, QString* directory) const
{
    QByteArray local;
    const Outcome outcome = Map(path, &local);
    if (outcome == Mapped)
        *directory = CNameCodec::DecodeText(local);
    return outcome;
}

CHostPathMap::Outcome CHostPathMap::Map(const QString& path, QByteArray* local) const
{
    if (path.isEmpty() || isRefusedForm(path))
        return BadPath;
    CStorageMap map;
    map.Load(m_iniPath, m_mountsPath);
    QByteArray out;
    switch (map.ToLocal(path, &out)) {
    case 0: {
        const QByteArray root = rootOf(map, path);
        if (!root.isEmpty() && !isDirectory(root))
            return LocationMissing; // configured, but not there (an unmounted share, a removed disk)
        *local = out;
        return Mapped;
    }
    case CStorageMap::kErrUnknownHost:
    case CStorageMap::kErrUnknownShare:
        return isUnc(path) ? mapShortFormShare(path, local) : LocationMissing;
    case CStorageMap::kErrUnknownDrive:
    case CStorageMap::kErrUnknownNas:
        return LocationMissing;
    default:
        return BadPath;
    }
}

CHostPathMap::Outcome CHostPathMap::mapShortFormShare(const QString& path, QByteArray* local) const
{
    // "server\share=dir[, user, password]" reads as key "server/share" through QSettings.
    const QStringList parts = CStorageMap::Components(path);
    if (parts.size() < 2)
        return BadPath;
    const QString wanted = parts[0] + QLatin1Char('/') + parts[1];
    QByteArray root;
    {
        QSettings ini(m_iniPath, QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Network"));
        const QStringList keys = ini.allKeys();
        for (const QString& key : keys) {
            if (key.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const QVariant v = ini.value(key);
            const QString dir = v.type() == QVariant::StringList ? v.toStringList().value(0) : v.toString();
            root = QFile::encodeName(dir.trimmed());
            break;
        }
    }
    if (root.isEmpty() || !isDirectory(root))
        return LocationMissing;
    QByteArray out = root;
    for (int i = 2; i < parts.size(); ++i) {
        if (parts[i] == QLatin1String(".."))
            return BadPath;
        if (parts[i] == QLatin1String("."))
            continue;
        if (!out.endsWith('/'))
            out += '/';
        out += CNameCodec::EncodeName(parts[i]);
    }
    *local = out;
    return Mapped;
}
