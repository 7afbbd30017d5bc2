// The road from ticks in the backup page to files restored through the recovery page, over many
// seeds and bigger trees than the suite runs: each seed backs up a random selection of a random
// tree, then restores a random selection of the image made in its tree and one made through a
// search, and checks what came back.
//
//   restore_roundtrip_long [seeds=50] [files=200] [first seed=1]   (offscreen; data in /tmp, removed after)
#include "RoundTrip.h"

#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seeds = argc > 1 ? atoi(argv[1]) : 50;
    const int files = argc > 2 ? atoi(argv[2]) : 200;
    CMsgBox::SetAutoAnswer([](const CMsgBox::Record& r) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(r.text));
        return int(CMsgBox::Ok);
    });
    const int first = argc > 3 ? atoi(argv[3]) : 1;
    int failed = 0;
    for (int seed = first; seed < first + seeds; ++seed) {
        QTemporaryDir dir(QStringLiteral("/tmp/nr-roundtrip-XXXXXX"));
        roundtrip::Run run(dir.path(), quint32(seed), files);
        const bool ok = run.MakeTree() && run.Backup(12) && run.Restore(10, false) && run.Restore(6, true);
        std::printf("seed %d: %s\n", seed, ok ? "ok" : qPrintable(run.Why()));
        std::fflush(stdout);
        failed += ok ? 0 : 1;
    }
    std::printf("%d of %d seeds failed\n", failed, seeds);
    return failed == 0 ? 0 : 1;
}
