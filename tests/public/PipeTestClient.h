#pragma once
// A raw client of the shell pipe for the pipe's own tests and the launch tests: it sends what a
// misbehaving shell helper might, byte for byte.
#include "CShellPipeClient.h"
#include "CShellPipeMessage.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QSemaphore>
#include <QtEndian>

#include <atomic>
#include <thread>

namespace pipetest {

// A short bound keeps the stall cases fast. Cases that must not time out keep the real bound and
// a long connect wait, so a busy machine cannot change their outcome.
constexpr int kTestTimeoutMs = 300;
constexpr int kPatientMs = 10000;

inline QByteArray Header(uint32_t magic, uint16_t length)
{
    QByteArray h(8, '\0');
    qToLittleEndian<quint32>(magic, h.data());
    qToLittleEndian<quint16>(length, h.data() + 4);
    return h;
}

inline QByteArray CountMessage(uint32_t count, uint16_t length = 12)
{
    QByteArray m = Header(CShellPipeMessage::kMagic, length);
    m.resize(length);
    qToLittleEndian<quint32>(count, m.data() + 8);
    return m;
}

// A client on its own thread: connects, writes `bytes` (a message at a time, each well inside the
// bound, when it trickles), optionally hangs up at once, otherwise keeps the connection open
// without a word until told to finish, as a stalled shell helper would.
class RawClient
{
public:
    RawClient(const QString& name, const QByteArray& bytes, bool hangUp, bool trickles = false)
    {
        m_thread = std::thread([=] {
            QLocalSocket socket;
            if (!CShellPipeClient::Connect(&socket, name, kPatientMs))
                return;
            const QFileInfo info(name);
            privateSocket = !(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
            for (int at = 0; at < bytes.size() && socket.state() == QLocalSocket::ConnectedState;) {
                const int part = trickles ? qFromLittleEndian<quint16>(bytes.constData() + at + 4) : bytes.size();
                if (at > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(kTestTimeoutMs / 3));
                CShellPipeClient::WriteAll(&socket, bytes.mid(at, part), kPatientMs);
                at += part;
            }
            if (!hangUp)
                m_done.acquire();
            socket.abort();
        });
    }
    ~RawClient() { finish(); }
    void finish()
    {
        if (m_thread.joinable()) {
            m_done.release();
            m_thread.join();
        }
    }
    std::atomic<bool> privateSocket{false};

private:
    QSemaphore m_done;
    std::thread m_thread;
};

} // namespace pipetest
