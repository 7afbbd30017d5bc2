#include "CFolderTreeStore.h"

#include <QMutexLocker>

void CFolderTreeStore::SetShareAccount(const QString& unc, const QString& user, const QString& password)
{
    QMutexLocker lock(&mutex);
    shareAccounts.insert(unc.toUpper(), qMakePair(user, password));
}

bool CFolderTreeStore::ShareAccount(const QString& unc, QString* user, QString* password) const
{
    QMutexLocker lock(&mutex);
    const auto it = shareAccounts.constFind(unc.toUpper());
    if (it == shareAccounts.constEnd())
        return false;
    *user = it->first;
    *password = it->second;
    return true;
}

void CFolderTreeStore::SetPCAccount(const QString& pc, const QString& account)
{
    QMutexLocker lock(&mutex);
    pcAccounts.insert(pc.toUpper(), account);
}

QString CFolderTreeStore::PCAccount(const QString& pc) const
{
    QMutexLocker lock(&mutex);
    return pcAccounts.value(pc.toUpper());
}

uint32_t CFolderTreeStore::AddEvent(const QList<PC>& pcs)
{
    QMutexLocker lock(&mutex);
    if (++lastEventId == 0)
        lastEventId = 1;
    events.append(qMakePair(lastEventId, pcs));
    while (events.size() > kMaxEvents)
        events.removeFirst();
    return lastEventId;
}

bool CFolderTreeStore::Event(uint32_t id, QList<PC>* pcs) const
{
    QMutexLocker lock(&mutex);
    for (const auto& e : events) {
        if (e.first == id) {
            *pcs = e.second;
            return true;
        }
    }
    return false;
}
