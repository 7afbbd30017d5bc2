// Listing a folder of 100,000 files: the enumeration engine (records with names through the
// codec, handed out in batches of 1,000) against a bare readdir + fstatat pass, in the same run.
//
//   bench_enumeration [folder]     (default /tmp/nr-bench-100k, filled when missing)
#include "BenchTiming.h"
#include "CLocalEnumerator.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fill(const QByteArray& dir, int count)
{
    if (::mkdir(dir.constData(), 0755) != 0 && errno != EEXIST)
        return false;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = dir + "/document " + QByteArray::number(i) + ".txt";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

int countEntries(const QByteArray& dir)
{
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return -1;
    int n = 0;
    while (::readdir(d))
        ++n;
    ::closedir(d);
    return n - 2;
}

size_t barePass(const QByteArray& dir)
{
    size_t bytes = 0;
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    DIR* d = ::fdopendir(fd);
    while (const struct dirent* e = ::readdir(d)) {
        struct stat st;
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            bytes += size_t(st.st_size) + 1;
    }
    ::closedir(d);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const QByteArray dir = argc > 1 ? QByteArray(argv[1]) : QByteArray("/tmp/nr-bench-100k");
    const int wanted = 100000;
    if (countEntries(dir) < wanted) {
        std::printf("filling %s ...\n", dir.constData());
        if (!fill(dir, wanted)) {
            std::printf("cannot fill the folder\n");
            return 1;
        }
    }

    size_t sink = 0;
    const double floorMs = BestOfMs(5, [&] { sink += barePass(dir); });

    size_t records = 0;
    uint32_t result = 0;
    const CLocalEnumerator enumerator(1000);
    const double oursMs = BestOfMs(5, [&] {
        std::vector<CEntryBatch> kept; // what a data source would queue on
        records = 0;
        result = enumerator.List(dir, [&](CEntryBatch&& batch, bool) {
            records += size_t(batch.size());
            kept.push_back(std::move(batch));
        });
    });
    if (result != 0) {
        std::printf("enumeration failed: 0x%08X\n", result);
        return 1;
    }

    std::printf("folder: %s, %zu entries\n", dir.constData(), records);
    std::printf("readdir + fstatat (floor):   %8.1f ms\n", floorMs);
    std::printf("enumeration in batches:      %8.1f ms   ratio %.2fx floor\n", oursMs, oursMs / floorMs);
    return sink == 0 ? 2 : 0;
}
