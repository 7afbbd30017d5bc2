#include "CShareLogins.h"

#include "CKWPopWnd.h"
#include "CShareLoginDialog.h"
#include "CStorageMap.h"
#include "CTrace.h"

#include <QPointer>
#include <QThread>
#include <QTimer>

namespace {

QString shareKey(const QString& share)
{
    const QStringList parts = CStorageMap::Components(share);
    if (parts.size() < 2)
        return QString();
    return (QStringLiteral("\\\\") + parts.join(QLatin1Char('\\')) + QLatin1Char('\\')).toUpper();
}

} // namespace

// A worker's wait for the login dialog of a share.
struct CShareLogins::Request
{
    QString share;
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    bool abandoned = false; // the worker stopped waiting: nothing to ask any more
    bool taken = false;     // AnswerPending has taken it (read and written on the owner's thread only)
    uint32_t result = 0;
};

void CShareLogins::Close()
{
    std::unique_lock<std::mutex> lock(m_loginMutex);
    m_closed = true;
    for (const auto& request : qAsConst(m_pendingLogins)) {
        std::lock_guard<std::mutex> rl(request->mutex);
        if (!request->done) {
            request->done = true;
            request->result = kErrLoginAbandoned;
        }
        request->answered.notify_all();
    }
    m_loginsGone.wait(lock, [this] { return m_pendingLogins.isEmpty(); });
}

void CShareLogins::Set(const QString& share, const QString& user, const QString& password)
{
    const QString key = shareKey(share);
    if (key.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(m_credentialMutex);
    m_credentials.insert(key, qMakePair(user, password));
}

bool CShareLogins::Held(const QString& share, QString* user, QString* password) const
{
    const QString key = shareKey(share);
    std::lock_guard<std::mutex> lock(m_credentialMutex);
    auto it = m_credentials.constFind(key);
    if (key.isEmpty() || it == m_credentials.constEnd())
        return false;
    if (user)
        *user = it->first;
    if (password)
        *password = it->second;
    return true;
}

bool CShareLogins::NeedsLogin(const QString& share) const
{
    const auto map = CStorageMap::Current();
    const CStorageMap::Share* s = map->FindShare(share);
    // A configured user name is a known login; a configured password alone is what the typed
    // one is checked against.
    return s && s->loginAsk && s->user.isEmpty() && !Held(share, nullptr, nullptr);
}

uint32_t CShareLogins::Ensure(const QString& share)
{
    if (share.isEmpty() || !NeedsLogin(share))
        return 0;
    if (QThread::currentThread() == thread())
        return Ask(share);

    auto request = std::make_shared<Request>();
    request->share = share;
    {
        std::lock_guard<std::mutex> lock(m_loginMutex);
        if (m_closed)
            return kErrLoginAbandoned;
        m_pendingLogins.append(request);
    }
    QMetaObject::invokeMethod(this, "AnswerPending", Qt::QueuedConnection);
    uint32_t rc;
    {
        std::unique_lock<std::mutex> lock(request->mutex);
        if (request->answered.wait_for(lock, std::chrono::milliseconds(kLoginWaitMs), [&] { return request->done; })) {
            rc = request->result;
        } else {
            request->abandoned = true;
            rc = kErrLoginTimeout;
            NR_TRACE(u"File = %s, Line = %u, no answer to the login of %S", __FILE__, __LINE__, share.utf16());
        }
    }
    std::lock_guard<std::mutex> lock(m_loginMutex);
    m_pendingLogins.removeOne(request);
    m_loginsGone.notify_all();
    return rc;
}

void CShareLogins::AnswerPending()
{
    QList<std::shared_ptr<Request>> pending;
    {
        std::lock_guard<std::mutex> lock(m_loginMutex);
        pending = m_pendingLogins;
    }
    for (const auto& request : qAsConst(pending)) {
        if (request->taken)
            continue;
        request->taken = true;
        Answer(request);
    }
}

void CShareLogins::Answer(std::shared_ptr<Request> request)
{
    {
        std::lock_guard<std::mutex> lock(request->mutex);
        if (request->done || request->abandoned)
            return;
    }
    // One dialog per share: a second asker waits for the first dialog's outcome.
    if (m_askingFor.contains(shareKey(request->share))) {
        QTimer::singleShot(20, this, [this, request] { Answer(request); });
        return;
    }
    const uint32_t rc = NeedsLogin(request->share) ? Ask(request->share) : 0;
    if (rc == kErrLoginAbandoned)
        return; // the owner is gone; Close released the waiter
    std::lock_guard<std::mutex> lock(request->mutex);
    request->result = rc;
    request->done = true;
    request->answered.notify_all();
}

uint32_t CShareLogins::Ask(const QString& share)
{
    const QString key = shareKey(share);
    if (m_askingFor.contains(key))
        return kErrLoginBusy;
    m_askingFor.insert(key);
    // The map is held so the configured password stays valid while the dialog runs.
    const auto map = CStorageMap::Current();
    const CStorageMap::Share* s = map->FindShare(share);
    const QString configured = s ? s->password : QString();
    const QString shown = s ? s->unc : share;

    QPointer<CShareLogins> self(this);
    QString note;
    uint32_t rc = kErrLoginRefused;
    for (int attempt = 0; attempt < kMaxLoginAttempts; ++attempt) {
        QString user, password;
        int answer;
        {
            CShareLoginDialog dialog(shown, note);
            answer = dialog.Run();
            user = dialog.UserName();
            password = dialog.Password();
        }
        if (!self)
            return kErrLoginAbandoned; // deleted while the dialog ran its event loop
        if (answer != CKWPopWnd::BtnOk) {
            rc = kErrLoginCancelled;
            break;
        }
        if (!configured.isEmpty() && password != configured) {
            note = tr("The password is not correct. Try again.");
            continue;
        }
        Set(share, user, password);
        rc = 0;
        break;
    }
    m_askingFor.remove(key);
    return rc;
}

// ---- paths
