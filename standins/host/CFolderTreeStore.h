#pragma once
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>

#include <cstdint>

// What the folder-tree service keeps between its interfaces, for the life of the process: the
// share and PC accounts it was handed, and the event manager's snapshots of the PC list. Shared
// by every service interface of the UI logic; any thread may use it.
class CFolderTreeStore
{
public:
    struct PC
    {
        QString name;
        QString group;
    };

    // Snapshots kept at most; the oldest goes first.
    static constexpr int kMaxEvents = 64;

    void SetShareAccount(const QString& unc, const QString& user, const QString& password);
    // False when nothing is stored for the share.
    bool ShareAccount(const QString& unc, QString* user, QString* password) const;

    void SetPCAccount(const QString& pc, const QString& account);
    QString PCAccount(const QString& pc) const;

    // Keeps `pcs` as a new snapshot; its id (never 0).
    uint32_t AddEvent(const QList<PC>& pcs);
    // False for an unknown id.
    bool Event(uint32_t id, QList<PC>* pcs) const;

private:
    mutable QMutex mutex;
    QHash<QString, QPair<QString, QString>> shareAccounts; // by upper-case UNC
    QHash<QString, QString> pcAccounts;                    // by upper-case PC name
    QList<QPair<uint32_t, QList<PC>>> events;              // oldest first
    uint32_t lastEventId = 0;
};
