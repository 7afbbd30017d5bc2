#include "CDemoHost.h"
#include "CDemoOptions.h"
#include "CDemoShell.h"
#include "CShellPipeServer.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    // Options first: --help and option errors need no display.
    CDemoOptions options;
    QString error;
    if (!options.Parse(arguments, &error)) {
        err << "demohost: " << error << Qt::endl << "Try demohost --help." << Qt::endl;
        return 2;
    }
    if (options.help) {
        out << CDemoOptions::HelpText();
        out.flush();
        return 0;
    }

    if (options.mode != CDemoOptions::Mode::Page) {
        // The sender needs no display, only the local socket.
        QCoreApplication app(argc, argv);
        if (options.mode == CDemoOptions::Mode::ShellSend)
            return CDemoShell::Send(options.shellPaths, CShellPipeServer::DefaultName(), out, err);
        return CDemoShell::Backup(options, QCoreApplication::applicationFilePath(), out, err);
    }

    QApplication app(argc, argv);
    // The product's files are named relative to the host's folder ("../res/...", "./default.ini");
    // option paths were made absolute above, before this change of folder.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    CDemoHost host(options, out, err);
    if (!host.Start())
        return 3;
    const int code = app.exec();
    return code;
}
