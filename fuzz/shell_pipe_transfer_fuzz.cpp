// libFuzzer entry for a whole transfer through the shell-menu pipe: a sender writes the input
// to the page's socket and hangs up; the page's reader must end without a fault or a long wait,
// and take exactly the paths that the messages of the input carry (read here message by message
// with the message reader), or nothing at all.
#include "CShellPipeMessage.h"
#include "CShellPipeServer.h"
#include "FuzzInput.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The transfer the input stands for, read straight from the bytes; false when it is refused.
bool expectedPaths(const QByteArray& input, QStringList* paths)
{
    int at = 0;
    auto next = [&](QByteArray* message) {
        CShellPipeMessage::Header header;
        if (!CShellPipeMessage::ParseHeader(input.constData() + at, size_t(input.size() - at), &header) ||
            !CShellPipeMessage::IsAcceptable(header, CShellPipeMessage::kMinPathMessageSize) ||
            input.size() - at < int(header.length))
            return false;
        *message = input.mid(at, header.length);
        at += header.length;
        return true;
    };
    QByteArray message;
    uint32_t count = 0;
    if (!next(&message) || !CShellPipeMessage::ParseCount(message.constData(), size_t(message.size()), &count) ||
        count > CShellPipeServer::kMaxPaths)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        QString path;
        if (!next(&message) || !CShellPipeMessage::ParsePath(message.constData(), size_t(message.size()), &path))
            return false;
        if (!path.isEmpty())
            paths->append(path);
    }
    return !paths->isEmpty();
}

void sendAll(const QByteArray& socketPath, const QByteArray& bytes)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path - 1);
    // The page listens once its reader has started: try until it does (it waits 5 s for us).
    for (int attempt = 0; attempt < 20000; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            for (int sent = 0; sent < bytes.size();) {
                const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += int(n);
            }
            ::close(fd);
            return;
        }
        ::close(fd);
        ::usleep(100);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const QString name = fuzz::ScratchFile(QStringLiteral("pipe"), QByteArray());
    QFile::remove(name);
    CShellPipeServer server(name);
    std::thread sender(sendAll, QFile::encodeName(name), input);
    QStringList paths;
    const uint32_t r = server.ReceiveTransfer(&paths);
    sender.join();
    QStringList expected;
    if (!expectedPaths(input, &expected))
        expected.clear();
    if ((r == 0) != !expected.isEmpty() || paths != expected)
        std::abort();
    return 0;
}
