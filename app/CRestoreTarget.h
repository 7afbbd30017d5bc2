#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

#include <ctime>

// The folder a restore writes into, and the only way anything is written there. Every path is
// walked from the folder's own descriptor one name at a time (openat with O_NOFOLLOW), so no
// symbolic link inside the folder is ever followed, whoever put it there: a member that would be
// written through one is refused. Files are written under a temporary name and renamed into place
// when complete; an existing file keeps its name and the restored one gets a " (N)" suffix, unless
// the restore overwrites.
//
// Paths are lists of names below the folder ("C", "Users", "x", "a.txt"); MemberParts() makes them
// from an image's member path.
class CRestoreTarget
{
public:
    typedef QList<QByteArray> Parts;

    explicit CRestoreTarget(bool overwrite);
    ~CRestoreTarget();
    CRestoreTarget(const CRestoreTarget&) = delete;
    CRestoreTarget& operator=(const CRestoreTarget&) = delete;

    // Opens the folder, creating it when missing; false with the reason in *why.
    bool Open(const QString& folder, QString* why);

    // Where a member lands: its path's names, the drive's colon dropped ("C:/Users/x" -> C, Users,
    // x; "//server/share/d" -> server, share, d). False with the reason for anything that would
    // leave the folder or names nothing: an absolute path, a ".." name, an empty path.
    static bool MemberParts(const QByteArray& member, Parts* parts, QString* why);

    // A file being written: Begin gives a descriptor to write to (-1 and *why on failure); Commit
    // sets its permission bits and modification time and moves it into place under the name it
    // answers (the part's own, or a free " (N)" variant); Abort removes what was written.
    int BeginFile(const Parts& parts, QString* why);
    bool CommitFile(uint32_t mode, const timespec& mtime, QString* finalName, QString* why);
    void AbortFile();

    bool MakeLink(const Parts& parts, const QByteArray& linkTarget, const timespec& mtime, QString* why);
    // A hard link to a file restored earlier (or already in the folder) at `existing`.
    bool MakeHardLink(const Parts& parts, const Parts& existing, QString* why);
    // A folder; one that is already there is used as it is. Folders this restore created get
    // their permission bits and time in FinishFolders(), once nothing more is written into them.
    bool MakeFolder(const Parts& parts, uint32_t mode, const timespec& mtime, QString* why);
    // Failures are listed in *problems.
    void FinishFolders(QStringList* problems);

    // Whether the last failure was a refusal: a symbolic link stood where a folder of the path
    // had to be, so what was asked would have been written outside the folder's tree.
    bool LastWasRefusal() const { return m_refusal; }

    // "C/Users/x/a.txt": how a part list is shown.
    static QString Shown(const Parts& parts);

private:
    // The folder holding the last part, created on the way when `create`; -1 and *why when a name
    // on the way is not a folder (a link, a file) or cannot be made. The descriptor stays owned.
    int ParentFd(const Parts& parts, bool create, QString* why);
    void DropCachedParent();
    // Moves the temporary `tmp` of `dirFd` to `name` or a free variant; *placed gets the name used.
    bool Place(int dirFd, const QByteArray& tmp, const QByteArray& name, QByteArray* placed, QString* why);
    QByteArray TempName();

    struct Folder
    {
        Parts parts;
        uint32_t mode;
        timespec mtime;
    };

    bool m_overwrite;
    bool m_refusal = false;
    int m_rootFd = -1;
    // The folder of the last path, kept open: members of one folder come one after another.
    QByteArray m_cachedPath;
    int m_cachedFd = -1;
    // The file being written.
    int m_fileFd = -1;
    int m_fileDirFd = -1;
    QByteArray m_fileTmp;
    Parts m_fileParts;
    unsigned m_tmpCounter = 0;
    QSet<QByteArray> m_created;     // folders this restore made, by joined path
    QVector<Folder> m_folders;       // their attributes, applied at the end
    QHash<QByteArray, Parts> m_moved; // files placed under another name, for hard links to them
};
