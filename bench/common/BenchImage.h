#pragma once
// Backup images the benchmarks share, written with libarchive when they are missing (members
// without content, in any format libarchive writes), and the `bsdtar -tf` listing they are
// measured against. Header-only; link LibArchive.
#include "BenchTiming.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <functional>

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

// Writes a GNU tar image of the members that `each` hands out (path, folder?) until it answers
// false; every file is empty.
inline bool WriteBenchImage(const QString& path, const std::function<bool(QByteArray*, bool*)>& each)
{
    BenchImageWriter image(path, ARCHIVE_FORMAT_TAR_GNUTAR);
    QByteArray name;
    bool folder = false;
    while (each(&name, &folder))
        image.Add(name, folder, 1700000000);
    return image.Close();
}

// 1,000 folders of 999 files each, as GNU tar would store a backup of user profiles; one file in
// ten is a .docx.
inline bool WriteProfileImage(const QString& path)
{
    static const char* const kExt[] = {".docx", ".txt", ".jpg", ".pdf", ".xlsx", ".log", ".png", ".cpp", ".h", ".ini"};
    int d = 0;
    int f = -1;
    QByteArray dir;
    return WriteBenchImage(path, [&](QByteArray* name, bool* folder) {
        if (f == 999) {
            f = -1;
            ++d;
        }
        if (d == 1000)
            return false;
        if (f < 0) {
            dir = "C:/Users/user" + QByteArray::number(d % 10) + "/Documents/folder" + QByteArray::number(d);
            *name = dir + '/';
            *folder = true;
        } else {
            *name = dir + "/Report " + QByteArray::number(f) + kExt[f % 10];
            *folder = false;
        }
        ++f;
        return true;
    });
}

// Writes the image with `write` unless the file exists; false when it cannot be had.
inline bool EnsureBenchImage(const QString& path, bool (*write)(const QString&))
{
    if (QFile::exists(path))
        return true;
    std::printf("writing %s ...\n", qPrintable(path));
    return write(path);
}

// Best time of `bsdtar -tf image` over `runs` runs, in ms; -1 when bsdtar is not installed.
inline double BsdtarListMs(const QString& image, int runs = 3)
{
    const QString bsdtar = QStandardPaths::findExecutable(QStringLiteral("bsdtar"));
    if (bsdtar.isEmpty()) {
        std::printf("bsdtar not found (package libarchive-tools): no baseline\n");
        return -1;
    }
    return BestOfMs(runs, [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(bsdtar, {QStringLiteral("-tf"), image});
        p.waitForFinished(-1);
    });
}
