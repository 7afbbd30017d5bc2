#include "CDemoOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

void addOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Demo host: shows one page of the file selection module."));
    parser.addOption({QStringLiteral("page"), QStringLiteral("Page id to open (8, 9, 12, 13 backup; 39, 40, 41 recovery)."),
                      QStringLiteral("N"), QStringLiteral("8")});
    parser.addOption({QStringLiteral("image"),
                      QStringLiteral("Backup image: written on OK of a backup page, browsed by recovery pages."),
                      QStringLiteral("PATH")});
    parser.addOption({QStringLiteral("task"), QStringLiteral("Task file (JSON) holding the task's stored selection."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("ini"), QStringLiteral("Drive table to read instead of ./default.ini."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("auto-commit"),
                      QStringLiteral("Commit right after the page is initialised, print the result and quit.")});
    parser.addOption({QStringLiteral("shell-launch"),
                      QStringLiteral("Open the page as a launch from the desktop shell; PID sends the paths."),
                      QStringLiteral("PID")});
    parser.addOption({QStringLiteral("shell-send"), QStringLiteral("Send the PATH arguments to a page waiting for them.")});
    parser.addOption({QStringLiteral("shell-backup"),
                      QStringLiteral("Start the backup page as a shell launch and send it the PATH arguments.")});
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
    help = parser.isSet(QStringLiteral("help"));
    if (help)
        return true;
    const bool send = parser.isSet(QStringLiteral("shell-send"));
    const bool backup = parser.isSet(QStringLiteral("shell-backup"));
    if (send && backup) {
        *error = QStringLiteral("--shell-send and --shell-backup exclude each other");
        return false;
    }
    mode = send ? Mode::ShellSend : backup ? Mode::ShellBackup : Mode::Page;
    shellPaths = parser.positionalArguments();
    if (mode == Mode::Page && !shellPaths.isEmpty()) {
        *error = QStringLiteral("Unexpected argument: %1").arg(shellPaths.first());
        return false;
    }
    if (mode != Mode::Page && shellPaths.isEmpty()) {
        *error = QStringLiteral("%1 needs at least one PATH").arg(send ? QStringLiteral("--shell-send") : QStringLiteral("--shell-backup"));
        return false;
    }
    if (parser.isSet(QStringLiteral("shell-launch"))) {
        bool pidOk = false;
        shellSenderPid = parser.value(QStringLiteral("shell-launch")).toLongLong(&pidOk);
        // Only a real process may be named: 0 and negative ids would signal whole process groups.
        if (!pidOk || shellSenderPid <= 0) {
            *error = QStringLiteral("--shell-launch needs a process id above 0, not \"%1\"")
                         .arg(parser.value(QStringLiteral("shell-launch")));
            return false;
        }
        shellLaunch = true;
    }
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
    if (parser.isSet(QStringLiteral("ini")))
        iniFile = QFileInfo(parser.value(QStringLiteral("ini"))).absoluteFilePath();
    autoCommit = parser.isSet(QStringLiteral("auto-commit"));
    return true;
}

QString CDemoOptions::HelpText()
{
    // Written out rather than generated: help must work before (and without) a display.
    return QStringLiteral(
        "Usage: demohost [options] [PATH...]\n"
        "Demo host: shows one page of the file selection module in a window with OK and Cancel.\n"
        "\n"
        "Options:\n"
        "  --page N        Page id to open (8, 9, 12, 13 backup; 39, 40, 41 recovery). Default 8.\n"
        "  --image PATH    Backup image: written on OK of a backup page (.tar or .tar.gz),\n"
        "                  browsed by the recovery pages (.tar, .tar.gz, .zip, .7z).\n"
        "  --task FILE     Task file (JSON) holding the task's stored selection.\n"
        "  --ini FILE      Drive table (storage mapping) to read instead of ./default.ini.\n"
        "  --auto-commit   Commit right after the page is initialised, print the result and quit.\n"
        "  --shell-launch PID\n"
        "                  Open the page as a launch from the desktop shell: it takes its initial\n"
        "                  selection from the shell pipe and ends process PID once it has it.\n"
        "  --shell-send PATH...\n"
        "                  Play the shell extension: send the paths to the waiting page, then wait\n"
        "                  (at most 60 s) for the page to end this process.\n"
        "  --shell-backup PATH...\n"
        "                  Both at once: start the backup page (--page, --task and --image are passed\n"
        "                  on) as a shell launch and send it the paths.\n"
        "  -h, --help      Show this help and quit.\n"
        "\n"
        "Run it from the build's bin/ folder, so that ../res and ./default.ini are found.\n");
}
