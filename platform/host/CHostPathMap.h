#pragma once
#include <QString>

// Maps the Windows-form paths the pages carry to directories of this machine, from the sections
// of the host's default.ini:
//   [Drives]   C=/            a drive letter to a directory (C: is "/" when not listed)
//   [Network]  server\share=/srv/share[, user, password]
//   [NAS]      device=//server   "NAS://device/share/..." is then "\\server\share\..."
// CIFS mounts listed in /proc/mounts stand for their shares too.
class CHostPathMap
{
public:
    enum Outcome
    {
        Mapped,          // `directory` holds the Linux path of the whole Windows path
        LocationMissing, // the drive or share is not mapped, or its directory is gone
        BadPath          // not a drive, UNC or NAS path, or it holds "." / ".." parts
    };

    explicit CHostPathMap(const QString& iniPath, const QString& mountsPath = QStringLiteral("/proc/mounts"));

    Outcome Map(const QString& windowsPath, QString* directory) const;

private:
    QString driveRoot(QChar letter) const;
    QString shareRoot(const QString& server, const QString& share) const;
    QString nasServer(const QString& device) const;

    QString m_iniPath;
    QString m_mountsPath;
};
