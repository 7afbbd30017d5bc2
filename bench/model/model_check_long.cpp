// Runs the randomized model check (tests/model/ModelTestTree.h) over many seeds:
// model_check_long [sequences] [steps] [first seed]
#include "ModelTestTree.h"
#include <QApplication>
#include <QLocale>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    const QStringList args = app.arguments();
    const int sequences = args.size() > 1 ? args.at(1).toInt() : 3000;
    const int steps = args.size() > 2 ? args.at(2).toInt() : 30;
    const quint32 first = args.size() > 3 ? args.at(3).toUInt() : 1000;
    int failed = 0;
    for (int i = 0; i < sequences; ++i) {
        const QString failure = RandomModelCheck::RunSequence(first + quint32(i), steps);
        if (!failure.isEmpty()) {
            ++failed;
            std::printf("%s\n", qPrintable(failure));
        }
        if (i % 100 == 99)
            ModelTestTree::WaitForReleases();
    }
    ModelTestTree::WaitForReleases();
    std::printf("%d of %d sequences of %d steps diverged\n", failed, sequences, steps);
    return failed == 0 ? 0 : 1;
}
