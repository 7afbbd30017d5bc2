#include "CShellPipeClient.h"

#include "CShellPipeMessage.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

bool CShellPipeClient::Connect(QLocalSocket* socket, const QString& name, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        socket->connectToServer(name, QIODevice::WriteOnly);
        if (socket->waitForConnected(static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
            return true;
        socket->abort();
        if (deadline.hasExpired())
            return false;
        // The server is not listening yet: look again shortly.
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(50, qMax<qint64>(1, deadline.remainingTime()))));
    }
}

bool CShellPipeClient::WriteAll(QLocalSocket* socket, const QByteArray& data, int timeoutMs)
{
    if (socket->write(data) != data.size())
        return false;
    while (socket->bytesToWrite() > 0)
        if (!socket->waitForBytesWritten(timeoutMs))
            return false;
    return true;
}

uint32_t CShellPipeClient::Send(const QStringList& paths, const QString& name, int timeoutMs)
{
    if (paths.isEmpty())
        return kErrBadPath;
    QByteArray transfer = CShellPipeMessage::MakeCount(static_cast<uint32_t>(paths.size()));
    for (const QString& path : paths) {
        const QByteArray message = CShellPipeMessage::MakePath(path);
        if (message.isEmpty())
            return kErrBadPath;
        transfer += message;
    }
    QLocalSocket socket;
    if (!Connect(&socket, name, timeoutMs))
        return kErrNoServer;
    const bool written = WriteAll(&socket, transfer, timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return written ? 0 : kErrWrite;
}
