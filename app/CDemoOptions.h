#pragma once
#include <QString>
#include <QtGlobal>
#include <QStringList>

#include <cstdint>

// The demo host's command line.
class CDemoOptions
{
public:
    // Parses the arguments (program name first). False with `error` set when they make no sense.
    bool Parse(const QStringList& arguments, QString* error);
    static QString HelpText();

    bool help = false;
    uint64_t pageId = 8;
    QString imagePath;
    QString taskFile;
    // Installation defaults to read instead of the host folder's ./default.ini (drive table).
    QString iniFile;
    bool autoCommit = false;
    // Recovery pages: the folder OK restores into (asked for in a folder dialog when empty), and
    // whether existing files there are replaced rather than kept beside the restored ones.
    QString targetDir;
    bool overwrite = false;
    // --lang: the language the texts are shown in; empty for the source language (English).
    QString language;

    // What the run does: show a page (the default), play the shell extension sending `shellPaths`
    // to a waiting page, or both: start a page as a shell launch and send it the paths.
    enum class Mode { Page, ShellSend, ShellBackup };
    Mode mode = Mode::Page;
    QStringList shellPaths;
    // --shell-launch: the page is opened as a launch from the shell; the id of the sending process.
    bool shellLaunch = false;
    qint64 shellSenderPid = 0;
};
