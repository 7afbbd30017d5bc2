// Backup of a tree of 20,000 files (about 1 GiB) into an uncompressed image, against `tar -cf` of
// the same files, and restore of all of it, against `tar -xf` of the same image, in the same run.
// Both sides read from and write to the page cache, so the figures compare the work each does
// per file and per byte.
//
//   bench_backup_restore [files] [--keep]
//
// Data in /tmp/nr-bench-backup, removed after unless --keep (a later run with the same count then
// reuses the tree).
#include "BenchTiming.h"
#include "CBackupImageWriter.h"
#include "CFilterBlock.h"
#include "CImageIndex.h"
#include "CImageManifest.h"
#include "CRestoreEngine.h"
#include "CSelectionResolver.h"
#include "CStorageMap.h"
#include "CTransferSink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>

namespace {

const QString kRoot = QStringLiteral("/tmp/nr-bench-backup");

bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Files of 0 to 96 KiB in 200 folders three deep, one in a hundred with 600 KiB more.
qint64 makeTree(const QString& dir, int files)
{
    QByteArray pool(8 * 1024 * 1024, '\0');
    QRandomGenerator rng(20240);
    for (char& c : pool)
        c = char(rng.generate());
    qint64 total = 0;
    for (int i = 0; i < files; ++i) {
        const QString folder = QStringLiteral("%1/Users/user%2/Documents/Project %3").arg(dir).arg(i % 4).arg(i % 200);
        if (i < 200)
            QDir().mkpath(folder);
        qint64 size = rng.bounded(96 * 1024 + 1);
        if (i % 100 == 7)
            size += 600 * 1024;
        QFile f(QStringLiteral("%1/file %2.dat").arg(folder).arg(i));
        if (!f.open(QIODevice::WriteOnly) || f.write(pool.constData() + rng.bounded(int(pool.size() - size)), size) != size)
            return -1;
        total += size;
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool keep = args.contains(QStringLiteral("--keep"));
    const int files = !args.isEmpty() && args.first().toInt() > 0 ? args.first().toInt() : 20000;
    const QString source = kRoot + QStringLiteral("/c");
    QFile stamp(kRoot + QStringLiteral("/tree-") + QString::number(files));
    qint64 bytes = -1;
    if (keep && stamp.open(QIODevice::ReadOnly)) {
        bytes = stamp.readAll().toLongLong();
        stamp.close();
    } else {
        QDir(kRoot).removeRecursively();
        std::printf("writing %d files ...\n", files);
        bytes = makeTree(source, files);
        if (stamp.open(QIODevice::WriteOnly)) {
            stamp.write(QByteArray::number(bytes));
            stamp.close();
        }
    }
    if (bytes < 0) {
        std::printf("cannot write the tree\n");
        return 1;
    }
    std::printf("tree: %d files, %.1f MiB\n", files, bytes / 1048576.0);

    QFile ini(kRoot + QStringLiteral("/default.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[Drives]\nC=%1\n").arg(source).toUtf8());
    ini.close();
    CStorageMap map;
    map.Load(ini.fileName(), QString());
    CFilterBlock block;
    block.AppendInclude(QStringLiteral("Users"), QStringLiteral("C:\\Users"), true, true, 0);
    const QByteArray blockBytes = block.ToByteArray();
    CImageManifest manifest;
    manifest.guid = QByteArray(16, '\x42');
    manifest.time = QDateTime::currentDateTimeUtc();

    const QString ours = kRoot + QStringLiteral("/ours.tar");
    const QString theirs = kRoot + QStringLiteral("/theirs.tar");
    uint32_t result = 0;
    // Backup: resolving the selection is part of the backup, as tar's walk is part of tar's.
    const double backupMs = BestOfMs(3, [&] {
        CSelectionResolver resolver(map);
        CTransferSink sink;
        CBackupImageWriter writer;
        result |= resolver.Resolve(blockBytes);
        result |= writer.Write(ours, resolver.Items(), manifest, sink);
    });
    const double tarCreateMs = BestOfMs(3, [&] {
        if (!run(QStringLiteral("tar"), {QStringLiteral("-cf"), theirs, QStringLiteral("-C"), source, QStringLiteral("Users")}))
            result |= 1;
    });

    // Restore of the whole image into an empty folder; the index is the one the recovery page
    // built when it opened the image.
    auto index = QSharedPointer<CImageIndex>::create();
    const double indexMs = BestOfMs(1, [&] { result |= index->Build(ours); });
    CFilterBlock all;
    all.AppendInclude(QStringLiteral("C:"), QStringLiteral("C:"), true, true, 0);
    const QByteArray allBytes = all.ToByteArray();
    int restored = 0;
    double restoreMs = 1e300;
    double tarExtractMs = 1e300;
    // Each run into a folder of its own: file systems make new files more slowly right after
    // many were deleted, which would tax whichever side ran after a clean-up.
    for (int i = 0; i < 3; ++i) {
        const QString target = kRoot + QStringLiteral("/restored-ours-%1").arg(i);
        restoreMs = std::min(restoreMs, BestOfMs(1, [&] {
            CTransferSink sink;
            CRestoreEngine engine;
            result |= engine.Run(ours, allBytes, target, false, sink, index);
            restored = engine.Restored();
        }));
        const QString tarTarget = kRoot + QStringLiteral("/restored-tar-%1").arg(i);
        QDir().mkpath(tarTarget);
        tarExtractMs = std::min(tarExtractMs, BestOfMs(1, [&] {
            if (!run(QStringLiteral("tar"), {QStringLiteral("-xf"), ours, QStringLiteral("-C"), tarTarget}))
                result |= 1;
        }));
    }
    for (int i = 0; i < 3; ++i) {
        QDir(kRoot + QStringLiteral("/restored-ours-%1").arg(i)).removeRecursively();
        QDir(kRoot + QStringLiteral("/restored-tar-%1").arg(i)).removeRecursively();
    }
    if (!keep)
        QDir(kRoot).removeRecursively();
    if (result != 0 || restored != files) {
        std::printf("a run failed (0x%08X, %d of %d restored)\n", result, restored, files);
        return 1;
    }
    const double mib = bytes / 1048576.0;
    std::printf("backup  (resolve + write): %8.1f ms  %7.1f MiB/s\n", backupMs, mib * 1000 / backupMs);
    std::printf("tar -cf:                   %8.1f ms  %7.1f MiB/s   throughput ratio %.2fx (target >= 0.9x)\n",
                tarCreateMs, mib * 1000 / tarCreateMs, tarCreateMs / backupMs);
    std::printf("restore of all:            %8.1f ms  %7.1f MiB/s\n", restoreMs, mib * 1000 / restoreMs);
    std::printf("tar -xf:                   %8.1f ms  %7.1f MiB/s   throughput ratio %.2fx (target >= 0.9x)\n",
                tarExtractMs, mib * 1000 / tarExtractMs, tarExtractMs / restoreMs);
    std::printf("(index build when the image is opened: %.1f ms)\n", indexMs);
    return 0;
}
