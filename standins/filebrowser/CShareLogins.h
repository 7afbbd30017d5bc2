#pragma once
#include "NRResult.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>

// The logins a data source holds for the shares it browses: what the user typed in a share's
// login dialog, or what the host handed over. A share marked "|login=ask" in the drive table
// without a known login asks the user once, on this object's (the GUI) thread; a worker that
// needs the login waits for the answer, bounded in time.
class CShareLogins : public QObject
{
    Q_OBJECT
public:
    // The user cancelled the dialog; the configured password was typed wrong kMaxLoginAttempts
    // times; nobody answered within kLoginWaitMs; the source went away while a worker waited; the
    // share's dialog is open already (a re-entrant request on the source's own thread). All but
    // the timeout and the busy one carry access denied (5).
    static constexpr uint32_t kErrLoginCancelled = NRResult::Make(0x745, 5);
    static constexpr uint32_t kErrLoginRefused = NRResult::Make(0x746, 5);
    static constexpr uint32_t kErrLoginTimeout = NRResult::Make(0x747, 0x5B4);
    static constexpr uint32_t kErrLoginAbandoned = NRResult::Make(0x748, 5);
    static constexpr uint32_t kErrLoginBusy = NRResult::Make(0x749, 0xAA);
    static constexpr int kMaxLoginAttempts = 3;
    static constexpr int kLoginWaitMs = 300000;

    CShareLogins() = default;
    // Close() must have run: no worker may still wait.
    ~CShareLogins() override = default;

    // By share ("\\srv\share", trailing backslash optional). Any thread.
    void Set(const QString& share, const QString& user, const QString& password);
    bool Held(const QString& share, QString* user, QString* password) const;
    // 0 when the share needs no login or one is known (held, or a user name configured for it);
    // otherwise asks the user with CShareLoginDialog on this object's thread and holds what was
    // entered. From another thread the caller blocks until the dialog is answered, at most
    // kLoginWaitMs; that thread's event loop must be running (the sync executer keeps it so).
    uint32_t Ensure(const QString& share);
    // Releases every waiting worker with kErrLoginAbandoned, waits until they left, and refuses
    // later requests. Called by the owner before its workers are stopped.
    void Close();

private:
    struct Request;
    bool NeedsLogin(const QString& share) const;
    // The dialog itself, on this object's thread.
    uint32_t Ask(const QString& share);
    // Answers the waiting workers' requests not taken yet. Called by name through the event
    // queue, so that what a worker hands over travels only through m_pendingLogins under its
    // mutex, which thread checkers see (a queued functor would be written on the worker and read
    // here through Qt's own locks, which they do not).
    Q_INVOKABLE void AnswerPending();
    void Answer(std::shared_ptr<Request> request);

    mutable std::mutex m_credentialMutex;                   // guards m_credentials
    QHash<QString, QPair<QString, QString>> m_credentials; // by share, upper case, "\\SRV\SHARE\" form
    QSet<QString> m_askingFor;                              // shares with an open dialog (own thread)
    std::mutex m_loginMutex;                                // guards m_pendingLogins and m_closed
    std::condition_variable m_loginsGone;                   // a waiter left m_pendingLogins
    QList<std::shared_ptr<Request>> m_pendingLogins;        // workers waiting for an answer
    bool m_closed = false;
};
