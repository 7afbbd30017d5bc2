#include "CBackupImageWriter.h"

#include "CImageManifest.h"
#include "CTransferSink.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ArchiveCloser
{
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFreer
{
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

constexpr int kBytesPerWrite = 1024 * 1024;

bool isGzip(const QString& path)
{
    return path.endsWith(QLatin1String(".tar.gz"), Qt::CaseInsensitive)
           || path.endsWith(QLatin1String(".tgz"), Qt::CaseInsensitive);
}

// Copies an open file's data into the current entry, at most `size` bytes (a file that grew is
// cut at the size its header announced; one that shrank is padded by the archive). False when
// the archive cannot be written; a cancel ends the copy early, which the caller tells apart.
bool copyData(archive* a, int fd, int64_t size, CTransferSink& sink)
{
    char buffer[64 * 1024];
    int64_t left = size;
    while (left > 0 && !sink.Cancelled()) {
        const ssize_t n = read(fd, buffer, size_t(qMin<int64_t>(left, int64_t(sizeof buffer))));
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (archive_write_data(a, buffer, size_t(n)) != n)
            return false;
        left -= n;
        sink.Bytes(n);
    }
    return true;
}

} // namespace

bool CBackupImageWriter::IsKnownKind(const QString& path)
{
    return isGzip(path) || path.endsWith(QLatin1String(".tar"), Qt::CaseInsensitive);
}

uint32_t CBackupImageWriter::Write(const QString& imagePath, const QVector<CSelectionResolver::Item>& items,
                                   const CImageManifest& manifest, CTransferSink& sink)
{
    m_written = 0;
    m_skipped = 0;
    if (!IsKnownKind(imagePath))
        return kErrUnknownKind;
    const QByteArray target = QFile::encodeName(imagePath);
    const QByteArray part = target + ".part";
    std::unique_ptr<archive, ArchiveCloser> a(archive_write_new());
    // pax keeps long names and names in any encoding; gzip only when the name asks for it.
    archive_write_set_format_pax_restricted(a.get());
    if (isGzip(imagePath))
        archive_write_add_filter_gzip(a.get());
    else
        archive_write_add_filter_none(a.get());
    // Large writes: the file system's cost is per write as much as per byte. The archive still
    // ends right after its end-of-archive blocks.
    archive_write_set_bytes_per_block(a.get(), kBytesPerWrite);
    archive_write_set_bytes_in_last_block(a.get(), 1);
    if (archive_write_open_filename(a.get(), part.constData()) != ARCHIVE_OK) {
        sink.Problem(QStringLiteral("Image: cannot create %1: %2").arg(imagePath, QString::fromUtf8(archive_error_string(a.get()))));
        return kErrWrite;
    }
    qint64 bytes = 0;
    int files = 0;
    for (const CSelectionResolver::Item& item : items) {
        bytes += item.size;
        files += item.folder ? 0 : 1;
    }
    sink.Totals(files, bytes);
    bool failed = !manifest.Write(a.get());
    if (failed)
        sink.Problem(QStringLiteral("Image: writing the manifest failed: %1").arg(QString::fromUtf8(archive_error_string(a.get()))));
    const int total = items.size();
    for (int i = 0; i < total && !failed && !sink.Cancelled(); ++i) {
        const CSelectionResolver::Item& item = items.at(i);
        const QString shown = QString::fromUtf8(item.member);
        struct stat st;
        int fd = -1;
        if (item.symlink || item.folder) {
            if (lstat(item.local.constData(), &st) != 0 || (item.folder ? !S_ISDIR(st.st_mode) : !S_ISLNK(st.st_mode))) {
                sink.Problem(QStringLiteral("Skipped (gone) %1").arg(shown));
                ++m_skipped;
                continue;
            }
        } else {
            // Opened without following a link that replaced the file since it was listed.
            fd = open(item.local.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
                if (fd >= 0)
                    close(fd);
                sink.Problem(QStringLiteral("Skipped (cannot read) %1").arg(shown));
                ++m_skipped;
                continue;
            }
        }
        std::unique_ptr<archive_entry, EntryFreer> entry(archive_entry_new());
        archive_entry_copy_pathname(entry.get(), item.member.constData());
        archive_entry_copy_stat(entry.get(), &st);
        if (item.symlink) {
            QByteArray link(int(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
            const ssize_t n = readlink(item.local.constData(), link.data(), size_t(link.size()));
            link.truncate(n > 0 ? int(n) : 0);
            archive_entry_copy_symlink(entry.get(), link.constData());
        }
        if (archive_write_header(a.get(), entry.get()) != ARCHIVE_OK
            || (fd >= 0 && !copyData(a.get(), fd, int64_t(st.st_size), sink))) {
            sink.Problem(QStringLiteral("Image: writing %1 failed: %2").arg(shown, QString::fromUtf8(archive_error_string(a.get()))));
            failed = true;
        } else if (!sink.Cancelled() && !item.folder) {
            ++m_written;
            sink.FileDone(shown);
        }
        if (fd >= 0)
            close(fd);
    }
    const bool cancelled = sink.Cancelled();
    if (!cancelled && archive_write_close(a.get()) != ARCHIVE_OK)
        failed = true;
    a.reset();
    if (failed || cancelled) {
        unlink(part.constData());
        return cancelled ? kErrCancelled : kErrWrite;
    }
    if (rename(part.constData(), target.constData()) != 0) {
        unlink(part.constData());
        return kErrRename;
    }
    return 0;
}
