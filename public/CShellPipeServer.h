#pragma once
#include "NRResult.h"

#include <QByteArray>
#include <QScopedPointer>
#include <QString>
#include <QStringList>

#include <cstdint>

// Server end of the shell-menu path pipe: a local socket that only the current user can reach.
// It reads one transfer (a count message and that many path messages) and never writes. Every
// wait is bounded: the connect by its time-out, and the reading of the whole transfer by one
// time-out counted from the connection.
class CShellPipeServer
{
public:
    static constexpr int kDefaultTimeoutMs = 5000;
    // A transfer announcing more paths than this is refused before anything is read.
    static constexpr uint32_t kMaxPaths = 65536;

    static constexpr uint32_t kPlacePipe = 0x640;
    // The socket could not be set up.
    static constexpr uint32_t kErrListen = NRResult::Make(kPlacePipe, 0x3E7);
    // Nobody connected within the time-out.
    static constexpr uint32_t kErrNoClient = NRResult::Make(kPlacePipe + 1, 0x5B4);
    // A header or body did not arrive in time.
    static constexpr uint32_t kErrTimeout = NRResult::Make(kPlacePipe + 2, 0x5B4);
    // The client hung up before a whole message arrived.
    static constexpr uint32_t kErrClosed = NRResult::Make(kPlacePipe + 3, 0xE8);
    // Wrong magic or a length below the minimum: the stream cannot be trusted any further.
    static constexpr uint32_t kErrBadHeader = NRResult::Make(kPlacePipe + 4, 0xD);
    // A length beyond the reader's buffer.
    static constexpr uint32_t kErrOversized = NRResult::Make(kPlacePipe + 5, 0x6F);
    // The first message is not a 12-byte count message with a count other than 0.
    static constexpr uint32_t kErrBadCount = NRResult::Make(kPlacePipe + 6, 0xD);
    static constexpr uint32_t kErrTooManyPaths = NRResult::Make(kPlacePipe + 7, 0x6F);
    // A path message without a terminator.
    static constexpr uint32_t kErrBadPath = NRResult::Make(kPlacePipe + 8, 0xD);
    // The transfer carried no path.
    static constexpr uint32_t kErrNoPaths = NRResult::Make(kPlacePipe + 9, 0xE8);
    // The peer runs as another user.
    static constexpr uint32_t kErrForeignPeer = NRResult::Make(kPlacePipe + 10, 0x5);

    // "ShellRightMenu_PIPE_0607" in the user's private runtime folder; the client uses the same.
    static QString DefaultName();

    // `connectTimeoutMs` bounds the wait for the client (the same as `timeoutMs` when not given).
    explicit CShellPipeServer(const QString& name = DefaultName(), int timeoutMs = kDefaultTimeoutMs,
                              int connectTimeoutMs = -1);
    ~CShellPipeServer();
    CShellPipeServer(const CShellPipeServer&) = delete;
    CShellPipeServer& operator=(const CShellPipeServer&) = delete;

    // Listens and waits for one client; 0 when one is connected.
    uint32_t Start();
    bool IsConnected() const;
    // Reads one whole message whose header announces at least `minLength` bytes, within the
    // time-out.
    uint32_t ReadMessage(QByteArray* message, size_t minLength);
    // Disconnects the client and stops listening.
    void Close();

    // Start, read a whole transfer, close. 0 with `paths` filled (in the order received, empty
    // paths dropped) when every step succeeded and at least one path arrived; otherwise a code
    // and `paths` left empty.
    uint32_t ReceiveTransfer(QStringList* paths);

private:
    class Private;
    QScopedPointer<Private> d;
};
