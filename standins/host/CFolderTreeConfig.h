#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// What the folder-tree service answers from: drive letters and network shares from the host's
// default.ini (sections Drives and Network, read by the file browser's storage map, CIFS mounts
// included), groups of PCs and
// libraries from the folder-tree file (JSON, described in docs/folder-tree.md).
class CFolderTreeConfig
{
public:
    struct Drive
    {
        QChar letter;      // upper case
        QString directory; // the local directory behind "X:"
    };
    struct Share
    {
        QString unc;       // "\\server\share"
        QString directory;
        QString user;
        QString password;
    };
    struct Group
    {
        QString name;
        QStringList pcs;
    };
    struct Library
    {
        QString name;
        QString path;      // the library's own path; its name when the file gives none
        QStringList nodes; // Windows-form paths of the library's folders
    };

    // Pages of the event manager's PC list hold this many entries unless the file says otherwise.
    static constexpr int kDefaultEventPageSize = 100;

    // A missing or unreadable file leaves its part empty (C: is "/" without a Drives section);
    // entries of the wrong shape are skipped.
    static CFolderTreeConfig Load(const QString& iniPath, const QString& jsonPath);

    // "\\server\share" of a UNC path ("\\server\share\dir", forward slashes too); empty otherwise.
    static QString ShareOf(const QString& path);

    const Group* FindGroup(const QString& name) const;
    // By name or by path, without regard to case.
    const Library* FindLibrary(const QString& nameOrPath) const;
    const Share* FindShare(const QString& unc) const;

    QList<Drive> drives;
    QList<Share> shares;
    QList<Group> groups;
    QList<Library> libraries;
    int eventPageSize = kDefaultEventPageSize;
};
