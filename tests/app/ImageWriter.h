#pragma once
// Writes an image member by member, exactly as given (hostile paths included), in any of the
// kinds the recovery page opens: "tar", "tar.gz", "zip", "7z".
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVector>

#include <archive.h>
#include <archive_entry.h>

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
    if (kind == QLatin1String("zip"))
        archive_write_set_format_zip(a);
    else if (kind == QLatin1String("7z"))
        archive_write_set_format_7zip(a);
    else
        archive_write_set_format_pax_restricted(a);
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

} // namespace imagetest
