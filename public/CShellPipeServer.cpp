#include "CShellPipeServer.h"

#include "CShellPipeMessage.h"
#include "CTrace.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

#include <sys/socket.h>
#include <unistd.h>

class CShellPipeServer::Private
{
public:
    QString name;
    int timeoutMs = kDefaultTimeoutMs;
    int connectTimeoutMs = kDefaultTimeoutMs;
    QScopedPointer<QLocalServer> server;
    QPointer<QLocalSocket> client;

    // Waits until `n` bytes are buffered, at most until `deadline`.
    uint32_t waitForBytes(qint64 n, const QDeadlineTimer& deadline)
    {
        while (client->bytesAvailable() < n) {
            if (client->state() != QLocalSocket::ConnectedState)
                return kErrClosed;
            if (deadline.hasExpired())
                return kErrTimeout;
            if (!client->waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))
                && client->bytesAvailable() < n) {
                if (client->state() != QLocalSocket::ConnectedState)
                    return kErrClosed;
                if (deadline.hasExpired())
                    return kErrTimeout;
            }
        }
        return 0;
    }

    // One whole message whose header announces at least `minLength` bytes, by `deadline`.
    uint32_t readMessage(QByteArray* message, size_t minLength, const QDeadlineTimer& deadline);

    bool peerIsCurrentUser() const
    {
        ucred cred{};
        socklen_t len = sizeof cred;
        const int fd = static_cast<int>(client->socketDescriptor());
        if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
            return false;
        return cred.uid == geteuid();
    }
};

QString CShellPipeServer::DefaultName()
{
    // The user's runtime folder is private to the user (mode 0700); Qt creates one when the
    // session has none.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString base = QStringLiteral("ShellRightMenu_PIPE_0607");
    return dir.isEmpty() ? base : QDir(dir).filePath(base);
}

CShellPipeServer::CShellPipeServer(const QString& name, int timeoutMs, int connectTimeoutMs) : d(new Private)
{
    d->name = name;
    d->timeoutMs = timeoutMs > 0 ? timeoutMs : kDefaultTimeoutMs;
    d->connectTimeoutMs = connectTimeoutMs > 0 ? connectTimeoutMs : d->timeoutMs;
}

CShellPipeServer::~CShellPipeServer()
{
    Close();
}

uint32_t CShellPipeServer::Start()
{
    Close();
    d->server.reset(new QLocalServer);
    d->server->setSocketOptions(QLocalServer::UserAccessOption);
    d->server->setMaxPendingConnections(1);
    if (!d->server->listen(d->name)) {
        // A socket left behind by a process that died: it lies in the user's own folder.
        if (d->server->serverError() != QAbstractSocket::AddressInUseError || !QLocalServer::removeServer(d->name)
            || !d->server->listen(d->name)) {
            NR_TRACE(u"File = %s, Line = %u, shell pipe listen failed: %S", __FILE__, __LINE__,
                     reinterpret_cast<const char16_t*>(d->server->errorString().utf16()));
            d->server.reset();
            return kErrListen;
        }
    }
    const QDeadlineTimer deadline(d->connectTimeoutMs);
    while (!deadline.hasExpired()) {
        bool timedOut = false;
        if (!d->server->waitForNewConnection(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())), &timedOut)) {
            if (timedOut)
                continue;
            break;
        }
        QLocalSocket* socket = d->server->nextPendingConnection();
        if (!socket)
            continue;
        d->client = socket;
        if (d->peerIsCurrentUser())
            return 0;
        socket->abort();
        delete socket;
        d->client = nullptr;
        NR_TRACE(u"File = %s, Line = %u, shell pipe peer of another user refused", __FILE__, __LINE__);
        Close();
        return kErrForeignPeer;
    }
    Close();
    return kErrNoClient;
}

bool CShellPipeServer::IsConnected() const
{
    return d->client && d->client->state() == QLocalSocket::ConnectedState;
}

uint32_t CShellPipeServer::ReadMessage(QByteArray* message, size_t minLength)
{
    return d->readMessage(message, minLength, QDeadlineTimer(d->timeoutMs));
}

uint32_t CShellPipeServer::Private::readMessage(QByteArray* message, size_t minLength, const QDeadlineTimer& deadline)
{
    if (!client)
        return kErrClosed;
    uint32_t rc = waitForBytes(CShellPipeMessage::kHeaderSize, deadline);
    if (rc != 0)
        return rc;
    char raw[CShellPipeMessage::kHeaderSize];
    client->peek(raw, sizeof raw);
    CShellPipeMessage::Header header;
    CShellPipeMessage::ParseHeader(raw, sizeof raw, &header);
    if (header.magic != CShellPipeMessage::kMagic || header.length < minLength)
        return kErrBadHeader;
    if (header.length > CShellPipeMessage::kMaxMessageSize)
        return kErrOversized;
    rc = waitForBytes(header.length, deadline);
    if (rc != 0)
        return rc;
    *message = client->read(header.length);
    return message->size() == header.length ? 0 : kErrClosed;
}

void CShellPipeServer::Close()
{
    if (d->client) {
        d->client->abort();
        delete d->client.data();
    }
    d->client = nullptr;
    if (d->server)
        d->server->close();
    d->server.reset();
}

uint32_t CShellPipeServer::ReceiveTransfer(QStringList* paths)
{
    if (paths)
        paths->clear();
    uint32_t rc = Start();
    QStringList received;
    QByteArray message;
    uint32_t count = 0;
    // One bound for the whole transfer: a sender that trickles its messages, each just inside
    // a bound of its own, cannot hold the page any longer than one that stalls.
    const QDeadlineTimer deadline(d->timeoutMs);
    if (rc == 0)
        rc = d->readMessage(&message, CShellPipeMessage::kMinPathMessageSize, deadline);
    if (rc == 0 && !CShellPipeMessage::ParseCount(message.constData(), static_cast<size_t>(message.size()), &count))
        rc = kErrBadCount;
    if (rc == 0 && count > kMaxPaths)
        rc = kErrTooManyPaths;
    for (uint32_t i = 0; rc == 0 && i < count; ++i) {
        rc = d->readMessage(&message, CShellPipeMessage::kMinPathMessageSize, deadline);
        QString path;
        if (rc == 0 && !CShellPipeMessage::ParsePath(message.constData(), static_cast<size_t>(message.size()), &path))
            rc = kErrBadPath;
        if (rc == 0 && !path.isEmpty())
            received.append(path);
    }
    Close();
    if (rc == 0 && received.isEmpty())
        rc = kErrNoPaths;
    if (rc == 0 && paths)
        *paths = received;
    return rc;
}
