#pragma once
// Reads a backup image back: member path -> content (a symbolic link's target for links); the
// folders' paths go to `folders`. The image's manifest is not one of the backed-up files and is
// left out.
#include "CImageManifest.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>

#include <archive.h>
#include <archive_entry.h>

namespace imagetest {

inline bool ReadImage(const QString& path, QMap<QString, QByteArray>* members, QMap<QString, bool>* links = nullptr,
                      QStringList* folders = nullptr)
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
        const bool link = archive_entry_filetype(entry) == AE_IFLNK;
        if (link) {
            content = archive_entry_symlink(entry);
        } else {
            char buffer[4096];
            la_ssize_t n;
            while ((n = archive_read_data(a, buffer, sizeof buffer)) > 0)
                content.append(buffer, int(n));
            ok = n == 0;
        }
        members->insert(name, content);
        if (links)
            links->insert(name, link);
    }
    archive_read_free(a);
    return ok;
}

} // namespace imagetest
