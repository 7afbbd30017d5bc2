#include "CRestoreEngine.h"

#include "CGetImgFileData.h"
#include "CImageIndex.h"
#include "CNameCodec.h"
#include "CRestoreSelection.h"
#include "CRestoreTarget.h"
#include "CTransferSink.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Unselected members read through rather than jumping over them with a new reader.
constexpr uint32_t kMaxGapMembers = 64;
constexpr size_t kFirstChunk = 64 * 1024;
constexpr size_t kLargestChunk = 1024 * 1024;
const QString kChanged = QStringLiteral("the image changed since it was opened");
// Members listed one by one when a damaged image ends the run early; the rest are counted.
constexpr int kMaxListedUnread = 1000;

QByteArray leafOf(const char* raw)
{
    QByteArray path(raw);
    while (path.endsWith('/'))
        path.chop(1);
    return path.mid(path.lastIndexOf('/') + 1);
}

QString errorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// An uncompressed tar read from any offset: the reader of a run of members starts at the first
// one's header, and skips data without reading it.
struct SeekSource
{
    int fd = -1;
    qint64 pos = 0;
    size_t chunk = kFirstChunk;
    std::vector<char> buffer = std::vector<char>(kLargestChunk);

    static la_ssize_t Read(archive* a, void* self, const void** out)
    {
        auto* s = static_cast<SeekSource*>(self);
        ssize_t n;
        do
            n = pread(s->fd, s->buffer.data(), s->chunk, s->pos);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            archive_set_error(a, errno, "%s", std::strerror(errno));
            return ARCHIVE_FATAL;
        }
        s->pos += n;
        s->chunk = std::min(s->chunk * 2, kLargestChunk);
        *out = s->buffer.data();
        return n;
    }
    static la_int64_t Skip(archive*, void* self, la_int64_t request)
    {
        static_cast<SeekSource*>(self)->pos += request;
        return request;
    }
};

struct ReaderFree
{
    void operator()(archive* a) const { archive_read_free(a); }
};
typedef std::unique_ptr<archive, ReaderFree> Reader;

} // namespace

struct CRestoreEngine::Private
{
    const CImageIndex* index = nullptr;
    CRestoreTarget* target = nullptr;
    CTransferSink* sink = nullptr;
    CRestoreSelection selection;
    QByteArray file;
    QString folder;
    int restored = 0;
    int folders = 0;
    QStringList refused;
    QStringList failed;
    // The image cannot be read on (damaged, or not what was indexed): the run ends.
    bool broken = false;
    bool cancelled = false;
    // The reader of the current member cannot go on after a data error.
    bool readerFailed = false;

    void Refuse(const QString& member, const QString& why)
    {
        refused << QStringLiteral("%1: %2").arg(member, why);
        sink->Problem(QStringLiteral("Refused %1: %2").arg(member, why));
    }
    void Fail(const QString& member, const QString& why)
    {
        failed << QStringLiteral("%1: %2").arg(member, why);
        sink->Problem(QStringLiteral("Failed %1: %2").arg(member, why));
    }

    // False when the header is not the member the index has under that number: the image is
    // not the one that was indexed.
    bool Restore(archive* a, archive_entry* e, uint32_t entry);
    bool CopyData(archive* a, int fd, qint64 size, QString* why);
    // A member read on the way to a selected one: only a path that climbs out is worth a word
    // (the index could not show it, so it cannot have been asked for).
    void Passed(archive_entry* e);
    // The next header; null at the end of the image or where it cannot be read, with why.
    static archive_entry* NextHeader(archive* a, QString* why);
    // Restores member `number` when it is the next selected one (members()[*next]), and moves on;
    // false when the image turns out not to be the one indexed (the run is then over).
    bool Take(archive* a, archive_entry* e, uint32_t number, size_t* next);
    void ReadSeeking();
    void ReadInOrder();
    // Members not reached because the image ended the run, from selected member `from` on.
    void ListUnread(size_t from, const QString& why);
};

CRestoreEngine::CRestoreEngine() : d(new Private) {}

CRestoreEngine::~CRestoreEngine() = default;

int CRestoreEngine::Restored() const { return d->restored; }
int CRestoreEngine::Folders() const { return d->folders; }
const QStringList& CRestoreEngine::Refused() const { return d->refused; }
const QStringList& CRestoreEngine::Failed() const { return d->failed; }

QString CRestoreEngine::Summary() const
{
    QString text = QStringLiteral("Restored %1 file(s) and %2 folder(s) into %3, %4 refused, %5 failed")
                       .arg(d->restored)
                       .arg(d->folders)
                       .arg(d->folder)
                       .arg(d->refused.size())
                       .arg(d->failed.size());
    if (d->cancelled)
        text += QStringLiteral(" (cancelled)");
    return text;
}

uint32_t CRestoreEngine::Run(const QString& imagePath, const QByteArray& block, const QString& folder, bool overwrite,
                             CTransferSink& sink, QSharedPointer<const CImageIndex> index)
{
    d.reset(new Private);
    d->sink = &sink;
    d->folder = folder;
    d->file = CNameCodec::EncodeText(imagePath);
    if (!index) {
        uint32_t err = 0;
        index = CGetImgFileData::SharedIndex(imagePath, sink.CancelFlag(), &err);
        if (!index)
            return err;
    }
    d->index = index.data();
    const uint32_t selected = d->selection.Select(*index, block);
    if (selected != 0)
        return selected;
    for (const QString& path : d->selection.Missing())
        d->Fail(path, QStringLiteral("not in the image"));
    sink.Totals(d->selection.Files(), d->selection.Bytes());

    CRestoreTarget target(overwrite);
    QString why;
    if (!target.Open(folder, &why)) {
        sink.Problem(why);
        return kErrTarget;
    }
    d->target = &target;
    if (index->HasHeaderOffsets())
        d->ReadSeeking();
    else
        d->ReadInOrder();
    QStringList problems;
    target.FinishFolders(&problems);
    for (const QString& p : problems) {
        d->failed << p;
        sink.Problem(p);
    }
    d->target = nullptr;
    if (d->cancelled)
        return kErrCancelled;
    return d->broken ? kErrRead : 0;
}

void CRestoreEngine::Private::ReadSeeking()
{
    const std::vector<CRestoreSelection::Member>& members = selection.Members();
    SeekSource source;
    source.fd = open(file.constData(), O_RDONLY | O_CLOEXEC);
    if (source.fd < 0) {
        broken = true;
        ListUnread(0, QStringLiteral("cannot open the image: %1").arg(errorText(errno)));
        return;
    }
    size_t i = 0;
    while (i < members.size() && !broken && !(cancelled = sink->Cancelled())) {
        const qint64 base = index->HeaderOffset(members[i].number);
        source.pos = base;
        source.chunk = kFirstChunk;
        Reader a(archive_read_new());
        archive_read_support_format_tar(a.get());
        if (base < 0 || archive_read_open2(a.get(), &source, nullptr, &SeekSource::Read, &SeekSource::Skip, nullptr) != ARCHIVE_OK) {
            Fail(CNameCodec::DecodeText(index->MemberPath(members[i].entry)),
                 QStringLiteral("cannot be read: %1").arg(QString::fromUtf8(archive_error_string(a.get()))));
            ++i;
            continue;
        }
        readerFailed = false;
        // Reads on from this member while the next selected ones are near; a long way off, a new
        // reader starts at the next one's header.
        for (uint32_t number = members[i].number;; ++number) {
            QString why;
            archive_entry* e = NextHeader(a.get(), &why);
            if (!e) {
                // Only the member the reader was started at is lost; a member on the way to the
                // next one is not worth it: the next reader starts at that one.
                if (number == members[i].number) {
                    Fail(CNameCodec::DecodeText(index->MemberPath(members[i].entry)), QStringLiteral("cannot be read: %1").arg(why));
                    ++i;
                }
                break;
            }
            if (base + archive_read_header_position(a.get()) != index->HeaderOffset(number)) {
                broken = true;
                ListUnread(i, kChanged);
                break;
            }
            if (!Take(a.get(), e, number, &i) || readerFailed || i >= members.size() || (cancelled = sink->Cancelled())
                || members[i].number - number > kMaxGapMembers)
                break;
        }
    }
    close(source.fd);
}

void CRestoreEngine::Private::ReadInOrder()
{
    const std::vector<CRestoreSelection::Member>& members = selection.Members();
    if (members.empty())
        return;
    Reader a(archive_read_new());
    archive_read_support_filter_all(a.get());
    archive_read_support_format_all(a.get());
    if (archive_read_open_filename(a.get(), file.constData(), kLargestChunk) != ARCHIVE_OK) {
        broken = true;
        ListUnread(0, QStringLiteral("cannot open the image: %1").arg(QString::fromUtf8(archive_error_string(a.get()))));
        return;
    }
    size_t i = 0;
    // Numbered as the index numbered them: every header read counts.
    for (uint32_t number = 0; i < members.size(); ++number) {
        if ((cancelled = sink->Cancelled()))
            return;
        QString why;
        archive_entry* e = NextHeader(a.get(), &why);
        if (!e) {
            broken = true;
            ListUnread(i, why);
            return;
        }
        if (!Take(a.get(), e, number, &i))
            return;
        if (readerFailed) {
            broken = true;
            ListUnread(i, QStringLiteral("the image cannot be read past the member before it"));
            return;
        }
    }
}

archive_entry* CRestoreEngine::Private::NextHeader(archive* a, QString* why)
{
    archive_entry* e = nullptr;
    int r;
    do
        r = archive_read_next_header(a, &e);
    while (r == ARCHIVE_RETRY);
    if (r == ARCHIVE_EOF)
        *why = QStringLiteral("the image ends before it");
    else if (r < ARCHIVE_WARN)
        *why = QString::fromUtf8(archive_error_string(a));
    else
        return e;
    return nullptr;
}

bool CRestoreEngine::Private::Take(archive* a, archive_entry* e, uint32_t number, size_t* next)
{
    const std::vector<CRestoreSelection::Member>& members = selection.Members();
    if (number != members[*next].number) {
        Passed(e);
        return true;
    }
    if (!Restore(a, e, members[*next].entry)) {
        broken = true;
        ListUnread(*next, kChanged);
        return false;
    }
    ++*next;
    return true;
}

void CRestoreEngine::Private::ListUnread(size_t from, const QString& why)
{
    const std::vector<CRestoreSelection::Member>& members = selection.Members();
    size_t listed = 0;
    for (size_t k = from; k < members.size() && listed < size_t(kMaxListedUnread); ++k, ++listed)
        Fail(CNameCodec::DecodeText(index->MemberPath(members[k].entry)), QStringLiteral("not read: %1").arg(why));
    if (members.size() - from > listed)
        Fail(QStringLiteral("%1 more member(s)").arg(members.size() - from - listed), QStringLiteral("not read: %1").arg(why));
}

void CRestoreEngine::Private::Passed(archive_entry* e)
{
    const char* raw = archive_entry_pathname(e);
    if (!raw)
        return;
    CRestoreTarget::Parts parts;
    QString why;
    const QByteArray path(raw);
    if ((path == ".." || path.startsWith("../") || path.contains("/../") || path.endsWith("/.."))
        && !CRestoreTarget::MemberParts(path, &parts, &why))
        Refuse(CNameCodec::DecodeText(path), why);
}

bool CRestoreEngine::Private::CopyData(archive* a, int fd, qint64 size, QString* why)
{
    qint64 end = 0;
    for (;;) {
        if ((cancelled = sink->Cancelled()))
            return false;
        const void* data = nullptr;
        size_t length = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(a, &data, &length, &offset);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN) {
            *why = QStringLiteral("cannot be read: %1").arg(QString::fromUtf8(archive_error_string(a)));
            readerFailed = r == ARCHIVE_FATAL;
            return false;
        }
        const char* p = static_cast<const char*>(data);
        size_t left = length;
        // Blocks come with their offset: a sparse member leaves holes between them.
        qint64 at = offset;
        while (left > 0) {
            const ssize_t n = pwrite(fd, p, left, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                *why = QStringLiteral("cannot be written: %1").arg(errorText(n < 0 ? errno : ENOSPC));
                return false;
            }
            p += n;
            left -= size_t(n);
            at += n;
        }
        end = std::max<qint64>(end, at);
        sink->Bytes(qint64(length));
    }
    if (end < size && ftruncate(fd, size) != 0) {
        *why = QStringLiteral("cannot be written: %1").arg(errorText(errno));
        return false;
    }
    return true;
}

bool CRestoreEngine::Private::Restore(archive* a, archive_entry* e, uint32_t entry)
{
    const char* raw = archive_entry_pathname(e);
    if (!raw)
        raw = archive_entry_pathname_utf8(e);
    if (!raw || leafOf(raw) != index->NameBytes(entry))
        return false;
    const QString shown = CNameCodec::DecodeText(raw, std::strlen(raw));
    CRestoreTarget::Parts parts;
    QString why;
    if (!CRestoreTarget::MemberParts(QByteArray(raw), &parts, &why)) {
        Refuse(shown, why);
        return true;
    }
    timespec mtime = {0, UTIME_NOW};
    if (archive_entry_mtime_is_set(e))
        mtime = {archive_entry_mtime(e), archive_entry_mtime_nsec(e)};
    const uint32_t mode = archive_entry_perm(e);

    if (const char* hard = archive_entry_hardlink(e)) {
        CRestoreTarget::Parts existing;
        if (!CRestoreTarget::MemberParts(QByteArray(hard), &existing, &why))
            Refuse(shown, QStringLiteral("a hard link to %1").arg(why));
        else if (target->MakeHardLink(parts, existing, &why))
            ++restored, sink->FileDone(shown);
        else
            Fail(shown, why);
        return true;
    }
    switch (archive_entry_filetype(e)) {
    case AE_IFDIR:
        if (target->MakeFolder(parts, mode, mtime, &why))
            ++folders;
        else
            Fail(shown, why);
        return true;
    case AE_IFLNK: {
        const char* link = archive_entry_symlink(e);
        if (!link)
            Fail(shown, QStringLiteral("a link without a target"));
        else if (target->MakeLink(parts, QByteArray(link), mtime, &why))
            ++restored, sink->FileDone(shown);
        else if (target->LastWasRefusal())
            Refuse(shown, why);
        else
            Fail(shown, why);
        return true;
    }
    case 0:
    case AE_IFREG:
        break;
    default:
        Fail(shown, QStringLiteral("a device, pipe or socket, which a restore does not make"));
        return true;
    }

    const int fd = target->BeginFile(parts, &why);
    if (fd < 0) {
        if (target->LastWasRefusal())
            Refuse(shown, why);
        else
            Fail(shown, why);
        return true;
    }
    const qint64 size = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
    QString finalName;
    if (!CopyData(a, fd, size, &why)) {
        target->AbortFile();
        if (!cancelled)
            Fail(shown, why);
        return true;
    }
    if (!target->CommitFile(mode, mtime, &finalName, &why)) {
        Fail(shown, QStringLiteral("cannot be written: %1").arg(why));
        return true;
    }
    ++restored;
    if (finalName == CRestoreTarget::Shown(parts))
        sink->FileDone(shown);
    else
        sink->FileDone(QStringLiteral("%1 (kept beside an existing file as %2)").arg(shown, finalName));
    return true;
}
