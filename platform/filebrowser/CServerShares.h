#pragma once
#include "NRResult.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class CStorageMap;
class QWidget;

// The shares a whole server hands out ("\\srv", or a NAS device "NAS:\\box"), as the storage map
// configures them. A selection that ticks a server it never listed is exported as these shares;
// they are listed first, on a worker under the waiting indicator, with every wait bounded.
class CServerShares
{
public:
    // A server of the selection could not be reached (or hands out nothing): no share of it can
    // be listed. 0x35: the network path was not found.
    static constexpr uint32_t kErrUnreachable = NRResult::Make(0x756, 0x35);
    // How long listing all the servers of one export may take.
    static constexpr int kBudgetMs = 10000;

    struct Share
    {
        QString name;
        QString path;   // Windows form: "\\srv\share", "NAS:\\box\vol"
        QString unc;    // where the map finds it: "\\srv\share"
        int kind = 0;   // node kind of a share (host share or NAS share)
    };

    // The shares of server in the map (no reachability check); each name once.
    static QList<Share> FromMap(const CStorageMap& map, const QString& server);

    // Lists each of servers (keys or Windows forms) after checking that it can be reached, on a
    // worker while the GUI thread waits behind the waiting indicator shown over waitParent.
    // Fills out (by the server as given) and answers 0, or kErrUnreachable with the servers
    // that failed in unreachable.
    static uint32_t List(const QStringList& servers, QWidget* waitParent, QHash<QString, QList<Share>>* out,
                         QStringList* unreachable);

private:
    CServerShares() = default;
    // The worker's part: every server in turn, within the budget.
    qint64 Run();

    QStringList m_servers;
    QHash<QString, QList<Share>> m_found;
    QStringList m_failed;
};
