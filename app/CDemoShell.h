#pragma once
#include <QString>
#include <QStringList>

class CDemoOptions;
class QTextStream;

// The desktop shell's part of a launch from its context menu: the sender that hands the chosen
// paths to the waiting backup page over the shell pipe and is then ended by the page, and the
// whole flow that first starts the page as a shell launch.
class CDemoShell
{
public:
    // How long the sender waits for the page: to connect, and to be ended once it has sent.
    static constexpr int kConnectTimeoutMs = 30000;
    static constexpr int kEndWaitMs = 60000;

    // Exit codes of a sender run.
    static constexpr int kExitNotSent = 4;
    static constexpr int kExitNotEnded = 5;
    static constexpr int kExitHostNotStarted = 6;

    // Sends the paths to the pipe `pipeName` and waits to be ended. Answers an exit code when
    // the transfer failed or the page did not end this process in time.
    static int Send(const QStringList& paths, const QString& pipeName, QTextStream& out, QTextStream& err);
    // Starts `program` as a detached page host naming this process as the sender, then Send.
    static int Backup(const CDemoOptions& options, const QString& program, QTextStream& out, QTextStream& err);
};
