#pragma once
// Files and images the tests write and read: a file with its folders; an image written member by
// member, exactly as given (hostile paths included), in any of the kinds the recovery page opens
// ("tar", "tar.gz", "zip", "7z"); a backup image read back.
#include "CImageManifest.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QVector>

#include <archive.h>
#include <archive_entry.h>

// Writes content to path, creating the folders on the way; false when the file cannot be written.
inline bool WriteTestFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

namespace imagetest {

struct Member
{
    Member(const QByteArray& p, const QByteArray& c, unsigned t = AE_IFREG, unsigned mode = 0644,
           qint64 time = 1700000000, const QByteArray& target = QByteArray())
        : path(p), content(c), type(t), perm(mode), mtime(time), link(target)
    {
    }
    QByteArray path;
    QByteArray content; // a file's data
    unsigned type;      // AE_IFREG, AE_IFDIR or AE_IFLNK
    unsigned perm;
    qint64 mtime;
    QByteArray link; // a link's target
};

inline bool WriteImage(const QString& path, const QString& kind, const QVector<Member>& members)
{
    archive* a = archive_write_new();
    // Tars as restricted pax: plain ustar headers unless a member needs more.
    archive_write_set_format_by_name(a, kind == "zip" ? "zip" : kind == "7z" ? "7zip" : "paxr");
    if (kind == QLatin1String("tar.gz"))
        archive_write_add_filter_gzip(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    archive_entry* e = archive_entry_new();
    for (const Member& m : members) {
        archive_entry_clear(e);
        archive_entry_copy_pathname(e, m.path.constData());
        archive_entry_set_filetype(e, m.type);
        archive_entry_set_perm(e, m.type == AE_IFDIR && m.perm == 0644 ? 0755 : m.perm);
        archive_entry_set_mtime(e, m.mtime, 0);
        if (m.type == AE_IFLNK)
            archive_entry_copy_symlink(e, m.link.constData());
        archive_entry_set_size(e, m.type == AE_IFREG ? m.content.size() : 0);
        ok = ok && archive_write_header(a, e) == ARCHIVE_OK;
        if (ok && m.type == AE_IFREG && !m.content.isEmpty())
            ok = archive_write_data(a, m.content.constData(), size_t(m.content.size())) == m.content.size();
    }
    archive_entry_free(e);
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

// Member path -> content (a symbolic link's target for links); the folders' paths go to
// `folders`. The image's manifest is not one of the backed-up files and is left out.
inline bool ReadImage(const QString& path, QMap<QString, QByteArray>* members, QStringList* folders = nullptr)
{
    archive* a = archive_read_new();
    archive_read_support_filter_all(a);
    archive_read_support_format_all(a);
    bool ok = archive_read_open_filename(a, QFile::encodeName(path).constData(), 16384) == ARCHIVE_OK;
    archive_entry* entry = nullptr;
    for (int n = 0; ok && archive_read_next_header(a, &entry) == ARCHIVE_OK; ++n) {
        if (n == 0 && CImageManifest::IsManifestPath(archive_entry_pathname(entry)))
            continue;
        const QString name = QString::fromUtf8(archive_entry_pathname(entry));
        if (archive_entry_filetype(entry) == AE_IFDIR) {
            if (folders)
                folders->append(name);
            continue;
        }
        QByteArray content;
        if (archive_entry_filetype(entry) == AE_IFLNK) {
            content = archive_entry_symlink(entry);
        } else {
            char buffer[4096];
            la_ssize_t n;
            while ((n = archive_read_data(a, buffer, sizeof buffer)) > 0)
                content.append(buffer, int(n));
            ok = n == 0;
        }
        members->insert(name, content);
    }
    archive_read_free(a);
    return ok;
}

} // namespace imagetest
