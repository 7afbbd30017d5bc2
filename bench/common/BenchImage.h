#pragma once
// Writes the large images the benchmarks read: members without content, in any format libarchive
// writes. Header-only, like the other pieces in bench/common.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <archive.h>
#include <archive_entry.h>

class BenchImageWriter
{
public:
    // `options`: libarchive write options, e.g. "zip:compression=store"; may be null.
    BenchImageWriter(const QString& path, int format, const char* options = nullptr)
        : m_archive(archive_write_new()), m_entry(archive_entry_new())
    {
        archive_write_set_format(m_archive, format);
        if (options)
            archive_write_set_options(m_archive, options);
        m_ok = archive_write_open_filename(m_archive, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    }
    ~BenchImageWriter()
    {
        archive_entry_free(m_entry);
        archive_write_free(m_archive);
    }
    BenchImageWriter(const BenchImageWriter&) = delete;
    BenchImageWriter& operator=(const BenchImageWriter&) = delete;

    // An empty file, or a folder when `dir` (its path should end in '/').
    void Add(const QByteArray& path, bool dir, qint64 mtime)
    {
        archive_entry_clear(m_entry);
        archive_entry_copy_pathname(m_entry, path.constData());
        archive_entry_set_filetype(m_entry, dir ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(m_entry, dir ? 0755 : 0644);
        archive_entry_set_size(m_entry, 0);
        archive_entry_set_mtime(m_entry, time_t(mtime), 0);
        m_ok = m_ok && archive_write_header(m_archive, m_entry) == ARCHIVE_OK;
    }
    // Whether everything was written.
    bool Close() { return m_ok && archive_write_close(m_archive) == ARCHIVE_OK; }

private:
    struct archive* m_archive;
    struct archive_entry* m_entry;
    bool m_ok = false;
};
