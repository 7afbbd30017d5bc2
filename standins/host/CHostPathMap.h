#pragma once
#include <QByteArray>
#include <QString>

// Maps the Windows-form paths the pages carry to directories of this machine. The mapping is the
// file-browser library's (CStorageMap: sections Drives, Network and NAS of default.ini, CIFS
// mounts of /proc/mounts; docs/storage-mapping.md), so the host finds a folder exactly where the
// browser shows it.
class CHostPathMap
{
public:
    enum Outcome
    {
        Mapped,          // the Linux path of the whole Windows path was found
        LocationMissing, // the drive or share is not mapped, or its directory is gone
        BadPath          // not a drive, UNC or NAS path, or it steps out with ".."
    };

    explicit CHostPathMap(const QString& iniPath, const QString& mountsPath = QStringLiteral("/proc/mounts"));

    // The local path as bytes: names on this machine need not be UTF-8.
    Outcome Map(const QString& windowsPath, QByteArray* local) const;
    Outcome Map(const QString& windowsPath, QString* directory) const;

private:
    QString m_iniPath;
    QString m_mountsPath;
};
