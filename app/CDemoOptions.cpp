#include "CDemoOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

void addOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Demo host: shows one page of the file selection module."));
    parser.addOption({QStringLiteral("page"), QStringLiteral("Page id to open (8, 9, 12, 13 backup; 39, 40, 41 recovery)."),
                      QStringLiteral("N"), QStringLiteral("8")});
    parser.addOption({QStringLiteral("image"), QStringLiteral("Backup image the recovery pages browse."), QStringLiteral("PATH")});
    parser.addOption({QStringLiteral("task"), QStringLiteral("Task file (JSON) holding the task's stored selection."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("auto-commit"),
                      QStringLiteral("Commit right after the page is initialised, print the result and quit.")});
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and quit.")});
}

} // namespace

bool CDemoOptions::Parse(const QStringList& arguments, QString* error)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    help = parser.isSet(QStringLiteral("help"));
    if (help)
        return true;
    bool ok = false;
    pageId = parser.value(QStringLiteral("page")).toULongLong(&ok);
    if (!ok) {
        *error = QStringLiteral("--page needs a number, not \"%1\"").arg(parser.value(QStringLiteral("page")));
        return false;
    }
    if (parser.isSet(QStringLiteral("image")))
        imagePath = QFileInfo(parser.value(QStringLiteral("image"))).absoluteFilePath();
    if (parser.isSet(QStringLiteral("task")))
        taskFile = QFileInfo(parser.value(QStringLiteral("task"))).absoluteFilePath();
    autoCommit = parser.isSet(QStringLiteral("auto-commit"));
    return true;
}

QString CDemoOptions::HelpText()
{
    // Written out rather than generated: help must work before (and without) a display.
    return QStringLiteral(
        "Usage: demohost [options]\n"
        "Demo host: shows one page of the file selection module in a window with OK and Cancel.\n"
        "\n"
        "Options:\n"
        "  --page N        Page id to open (8, 9, 12, 13 backup; 39, 40, 41 recovery). Default 8.\n"
        "  --image PATH    Backup image the recovery pages browse.\n"
        "  --task FILE     Task file (JSON) holding the task's stored selection.\n"
        "  --auto-commit   Commit right after the page is initialised, print the result and quit.\n"
        "  -h, --help      Show this help and quit.\n"
        "\n"
        "Run it from the build's bin/ folder, so that ../res and ./default.ini are found.\n");
}
