#pragma once
#include "NRResult.h"

#include <QByteArray>
#include <QList>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include <cstdint>

// Where the Windows path forms the pages use ("C:\Users\x", "\\server\share\dir",
// "NAS://device/share/dir") live on this machine. Built from the sections Drives, Network and NAS
// of "./default.ini" and the CIFS mounts of /proc/mounts; immutable once loaded, so one map can be
// read from any thread. docs/storage-mapping.md describes the configuration.
//
// One class for the whole mapping on purpose: drives, shares, NAS devices and mounts resolve
// into one another (a drive letter mapped to a share, a NAS share under a UNC root), and every
// path form is read and written here alone.
class CStorageMap
{
public:
    // Drive types as the pages read them.
    static constexpr uint32_t kDriveNoRoot = 1;      // the letter's directory does not exist
    static constexpr uint32_t kDriveFixed = 3;       // a local directory
    static constexpr uint32_t kDriveMappedShare = 5; // the letter stands for a network share

    // Windows-style error numbers of the codes below.
    static constexpr uint32_t kErrNumPathNotFound = 3;
    static constexpr uint32_t kErrNumAccessDenied = 5;
    static constexpr uint32_t kErrNumInvalidDrive = 0xF;
    static constexpr uint32_t kErrNumBadNetPath = 0x35;
    static constexpr uint32_t kErrNumBadNetName = 0x43;
    static constexpr uint32_t kErrNumBadPathName = 0xA1;
    static constexpr uint32_t kErrNumTimeout = 0x5B4;

    static constexpr uint32_t kErrNotAPath = NRResult::Make(0x710, kErrNumBadPathName);
    static constexpr uint32_t kErrUnknownDrive = NRResult::Make(0x711, kErrNumInvalidDrive);
    static constexpr uint32_t kErrUnknownHost = NRResult::Make(0x712, kErrNumBadNetPath);
    static constexpr uint32_t kErrUnknownShare = NRResult::Make(0x713, kErrNumBadNetName);
    static constexpr uint32_t kErrUnknownNas = NRResult::Make(0x714, kErrNumBadNetPath);
    static constexpr uint32_t kErrParentStep = NRResult::Make(0x715, kErrNumBadPathName);
    static constexpr uint32_t kErrUnencodable = NRResult::Make(0x716, kErrNumBadPathName);
    static constexpr uint32_t kErrHostOnly = NRResult::Make(0x717, kErrNumBadNetName);
    // Network path check.
    static constexpr uint32_t kErrShareOffline = NRResult::Make(0x718, kErrNumBadNetPath);
    static constexpr uint32_t kErrShareDenied = NRResult::Make(0x719, kErrNumAccessDenied);
    static constexpr uint32_t kErrFolderMissing = NRResult::Make(0x71A, kErrNumPathNotFound);
    static constexpr uint32_t kErrCheckTimeout = NRResult::Make(0x71B, kErrNumTimeout);
    static constexpr uint32_t kErrNoHostShares = NRResult::Make(0x71C, kErrNumBadNetPath);

    struct Drive
    {
        QChar letter;      // upper case
        QByteArray dir;    // the directory behind the letter (resolved through the share for type 5)
        QString share;     // type 5: the UNC root the letter stands for ("\\srv\share")
        uint32_t type = kDriveNoRoot;
    };

    struct Share
    {
        QString unc;     // "\\server\share" (more components when a mount covers a sub-folder)
        QByteArray dir;  // where it is mounted or copied on this machine
        QString user;
        QString password;
        bool loginAsk = false;  // "|login=ask": the user is asked for a login when none is known
        bool fromMounts = false;
        QString Server() const;
    };

    struct NasDevice
    {
        QString name;    // as configured
        QString uncRoot; // "\\nas1" (or a deeper UNC prefix) under which its shares lie
    };

    CStorageMap();

    // Reads the configuration and the mount table. A missing INI file leaves C: as "/".
    void Load(const QString& iniPath, const QString& mountsPath);

    // Process-wide map, loaded on first use from the paths below; safe from any thread.
    static QSharedPointer<const CStorageMap> Current();
    static void Reload();
    static void SetIniPath(const QString& path);      // default "./default.ini"
    static void SetMountsPath(const QString& path);   // default "/proc/mounts"

    QList<Drive> Drives() const { return m_drives; }
    QList<Share> Shares() const { return m_shares; }
    QList<NasDevice> NasDevices() const { return m_nas; }
    // Servers of all known shares, in configuration order, each once.
    QStringList Hosts() const;
    QList<Share> SharesOfHost(const QString& server) const;
    QList<Share> SharesOfNas(const QString& device) const;

    // Information of the drive a path starts with ("D:", "d:\x"); false when the letter is unknown.
    bool DriveInfo(const QString& path, Drive* out) const;
    // "Z:\a\b" on a letter of type 5 -> "\\srv\share\a\b"; empty for any other path.
    QString TranslateMappedDrive(const QString& path) const;
    // "NAS://dev/share/d" or "NAS:\dev\share\d" -> "\\nasroot\share\d"; empty when not a NAS path
    // of a known device.
    QString NasToUnc(const QString& path) const;

    // The share that backs a path (UNC, mapped drive or NAS form), as "\\server\share\" with the
    // trailing backslash; empty when the path is not on a known share.
    QString ShareBehind(const QString& path) const;
    // The configured user name and password of a share (trailing backslash optional).
    bool Credentials(const QString& share, QString* user, QString* password) const;
    const Share* FindShare(const QString& unc) const;

    // Windows form -> local path. Components are encoded with the name codec; "." is dropped and
    // ".." refused, so a path never leaves the directory it is mapped to. When the exact path does
    // not exist, components are matched without regard to case, as Windows would.
    uint32_t ToLocal(const QString& path, QByteArray* local) const;
    // Local path -> Windows form through the mapping with the longest matching directory; empty
    // when nothing covers it. Drive roots come back as "C:".
    QString ToWindows(const QByteArray& local) const;

    // Network path check: 0 when the UNC path (or NAS path, or mapped drive root) can be browsed,
    // else a code above. Waits at most timeoutMs for the file system; callable from any thread.
    uint32_t CheckNetworkPath(const QString& path, bool mapped, int timeoutMs = 5000) const;

    // Capacity and free space of the file system holding dir.
    static bool SpaceOf(const QByteArray& dir, qint64* total, qint64* free);
    // Splits a Windows path on both separators, dropping empty parts.
    static QStringList Components(const QString& path);

private:
    const Share* ShareCovering(const QString& unc, QString* rest) const;
    static QByteArray ResolveCase(const QByteArray& exact, const QByteArray& base, const QList<QByteArray>& parts);

    QList<Drive> m_drives;
    QList<Share> m_shares;
    QList<NasDevice> m_nas;
};
