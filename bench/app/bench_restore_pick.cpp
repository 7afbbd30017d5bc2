// Restore of 100 files picked from an uncompressed image of 1,000,000 entries, against `tar -xf`
// of the same image naming the same 100 members, in the same run. The image is indexed once, as
// the recovery page does when it opens it; the index build is shown apart.
//
//   bench_restore_pick     (image in /tmp/nr-bench-pick.tar, removed after)
#include "BenchTiming.h"
#include "CFilterBlock.h"
#include "CImageIndex.h"
#include "CRestoreEngine.h"
#include "CTransferSink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>

namespace {

const QString kImage = QStringLiteral("/tmp/nr-bench-pick.tar");
const QString kTarget = QStringLiteral("/tmp/nr-bench-pick-out");

QByteArray memberName(int folder, int file)
{
    return "C:/Users/user" + QByteArray::number(folder % 10) + "/Documents/folder " + QByteArray::number(folder) + "/Report " +
           QByteArray::number(file) + ".txt";
}

// 1,000 folders of 999 files of 100 bytes each.
bool writeImage()
{
    archive* a = archive_write_new();
    archive_write_set_format_pax_restricted(a);
    if (archive_write_open_filename(a, QFile::encodeName(kImage).constData()) != ARCHIVE_OK) {
        archive_write_free(a);
        return false;
    }
    const QByteArray content(100, 'x');
    archive_entry* e = archive_entry_new();
    bool ok = true;
    for (int d = 0; d < 1000 && ok; ++d) {
        for (int f = 0; f < 999 && ok; ++f) {
            archive_entry_clear(e);
            archive_entry_copy_pathname(e, memberName(d, f).constData());
            archive_entry_set_filetype(e, AE_IFREG);
            archive_entry_set_perm(e, 0644);
            archive_entry_set_size(e, content.size());
            archive_entry_set_mtime(e, 1700000000 + f, 0);
            ok = archive_write_header(a, e) == ARCHIVE_OK && archive_write_data(a, content.constData(), size_t(content.size())) == content.size();
        }
    }
    archive_entry_free(e);
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::printf("writing %s ...\n", qPrintable(kImage));
    if (!writeImage()) {
        std::printf("cannot write the image\n");
        return 1;
    }
    auto index = QSharedPointer<CImageIndex>::create();
    uint32_t result = 0;
    const double indexMs = BestOfMs(1, [&] { result |= index->Build(kImage); });

    // 100 members spread over the whole image.
    QRandomGenerator rng(100);
    CFilterBlock block;
    QStringList names;
    for (int i = 0; i < 100; ++i) {
        const QByteArray member = memberName(int(rng.bounded(1000)), int(rng.bounded(999)));
        names << QString::fromUtf8(member);
        QString path = names.last();
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        block.AppendInclude(path.section(QLatin1Char('\\'), -1), path, false, true, 0);
    }
    names.removeDuplicates();
    const QByteArray blockBytes = block.ToByteArray();
    int restored = 0;
    const double restoreMs = BestOfMs(5, [&] {
        QDir(kTarget).removeRecursively();
        CTransferSink sink;
        CRestoreEngine engine;
        result |= engine.Run(kImage, blockBytes, kTarget, false, sink, index);
        restored = engine.Restored();
    });
    const double tarMs = BestOfMs(3, [&] {
        QDir(kTarget).removeRecursively();
        QDir().mkpath(kTarget);
        QProcess p;
        p.start(QStringLiteral("tar"), QStringList{QStringLiteral("-xf"), kImage, QStringLiteral("-C"), kTarget} + names);
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            result |= 1;
    });
    QDir(kTarget).removeRecursively();
    QFile::remove(kImage);
    if (result != 0 || restored != names.size()) {
        std::printf("a run failed (0x%08X, %d of %d restored)\n", result, restored, int(names.size()));
        return 1;
    }
    std::printf("image: 1,000,000 entries; index build when opened: %.1f ms\n", indexMs);
    std::printf("restore of %d picked files: %8.2f ms\n", restored, restoreMs);
    std::printf("tar -xf of the same members: %8.2f ms   ratio %.3fx (target <= 0.5x)\n", tarMs, restoreMs / tarMs);
    return 0;
}
