#pragma once
#include "CShellPipeServer.h"
#include "NRResult.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class QLocalSocket;

// Sending end of the shell-menu path pipe, as the shell extension (or the demo host's
// "--shell-send") uses it: one transfer of paths to the waiting page.
class CShellPipeClient
{
public:
    static constexpr uint32_t kPlaceClient = 0x650;
    // No server accepted the connection within the time-out.
    static constexpr uint32_t kErrNoServer = NRResult::Make(kPlaceClient, 0x5B4);
    // Nothing to send, or a path that is empty or too long for one message.
    static constexpr uint32_t kErrBadPath = NRResult::Make(kPlaceClient + 1, 0xA1);
    // The server stopped reading before everything was written.
    static constexpr uint32_t kErrWrite = NRResult::Make(kPlaceClient + 2, 0xE8);

    // Sends a count message and one path message per path. 0 when everything was handed over.
    static uint32_t Send(const QStringList& paths, const QString& name = CShellPipeServer::DefaultName(),
                         int timeoutMs = CShellPipeServer::kDefaultTimeoutMs);

    // Connects `socket` for writing, trying again until the server listens or the time-out ends
    // (the page may start listening a moment after the sender starts).
    static bool Connect(QLocalSocket* socket, const QString& name, int timeoutMs);
    // Writes `data` and waits until it is handed to the system, each wait bounded.
    static bool WriteAll(QLocalSocket* socket, const QByteArray& data, int timeoutMs);
};
