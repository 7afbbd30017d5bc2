#pragma once
// Backup images the benchmarks share, written with libarchive when they are missing, and the
// `bsdtar -tf` listing they are measured against. Header-only; link LibArchive.
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

// Writes a GNU tar image of the members that `each` hands out (path, folder?) until it answers
// false; every file is empty.
inline bool WriteBenchImage(const QString& path, const std::function<bool(QByteArray*, bool*)>& each)
{
    struct archive* a = archive_write_new();
    archive_write_set_format_gnutar(a);
    if (archive_write_open_filename(a, QFile::encodeName(path).constData()) != ARCHIVE_OK) {
        archive_write_free(a);
        return false;
    }
    struct archive_entry* e = archive_entry_new();
    QByteArray name;
    bool folder = false;
    while (each(&name, &folder)) {
        archive_entry_clear(e);
        archive_entry_copy_pathname(e, name.constData());
        archive_entry_set_filetype(e, folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(e, folder ? 0755 : 0644);
        archive_entry_set_size(e, 0);
        archive_entry_set_mtime(e, 1700000000, 0);
        archive_write_header(a, e);
    }
    archive_entry_free(e);
    const bool ok = archive_write_close(a) == ARCHIVE_OK;
    archive_write_free(a);
    return ok;
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
