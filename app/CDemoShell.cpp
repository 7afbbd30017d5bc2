#include "CDemoShell.h"

#include "CDemoOptions.h"
#include "CShellPipeClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QThread>

int CDemoShell::Send(const QStringList& paths, const QString& pipeName, QTextStream& out, QTextStream& err)
{
    out << "Sending " << paths.size() << " path(s) to " << pipeName << Qt::endl;
    // The page may start listening a moment later; the client keeps trying until the bound.
    const uint32_t rc = CShellPipeClient::Send(paths, pipeName, kConnectTimeoutMs);
    if (rc != 0) {
        err << "demohost: sending the paths failed, code 0x" << QString::number(rc, 16).toUpper() << Qt::endl;
        return kExitNotSent;
    }
    out << "Sent; waiting for the page to end this process" << Qt::endl;
    // The page ends the sender once it holds the paths (as it ends the shell's helper).
    const QDeadlineTimer deadline(kEndWaitMs);
    while (!deadline.hasExpired())
        QThread::msleep(100);
    err << "demohost: the page did not end this process within " << kEndWaitMs / 1000 << " s" << Qt::endl;
    return kExitNotEnded;
}

int CDemoShell::Backup(const CDemoOptions& options, const QString& program, QTextStream& out, QTextStream& err)
{
    QStringList args{QStringLiteral("--page"), QString::number(options.pageId), QStringLiteral("--shell-launch"),
                     QString::number(QCoreApplication::applicationPid())};
    if (!options.taskFile.isEmpty())
        args << QStringLiteral("--task") << options.taskFile;
    if (!options.imagePath.isEmpty())
        args << QStringLiteral("--image") << options.imagePath;
    if (!options.iniFile.isEmpty())
        args << QStringLiteral("--ini") << options.iniFile;
    if (options.autoCommit)
        args << QStringLiteral("--auto-commit");
    if (!options.language.isEmpty())
        args << QStringLiteral("--lang") << options.language;
    // Detached: the page outlives this process, which it ends once it has the paths.
    qint64 hostPid = 0;
    if (!QProcess::startDetached(program, args, QFileInfo(program).absolutePath(), &hostPid)) {
        err << "demohost: cannot start " << program << Qt::endl;
        return kExitHostNotStarted;
    }
    out << "Started the backup page (process " << hostPid << ")" << Qt::endl;
    return Send(options.shellPaths, CShellPipeServer::DefaultName(), out, err);
}
