#include "CHostPathMap.h"

#include "CNameCodec.h"
#include "CStorageMap.h"

#include <QStringList>

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
    case CStorageMap::kErrUnknownDrive:
    case CStorageMap::kErrUnknownNas:
        return LocationMissing;
    default:
        return BadPath;
    }
}
