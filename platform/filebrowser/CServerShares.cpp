#include "CServerShares.h"

#include "CBaseSyncExecuter.h"
#include "CGetDataCommon.h"
#include "CStorageMap.h"
#include "CTrace.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

const QLatin1String kNasPrefix("NAS:");

// "NAS:\\box" -> "box"; "\\srv" -> "srv".
QString serverName(const QString& server, bool* nas)
{
    *nas = server.startsWith(kNasPrefix, Qt::CaseInsensitive);
    const QStringList parts = CStorageMap::Components(*nas ? server.mid(kNasPrefix.size()) : server);
    return parts.isEmpty() ? QString() : parts.first();
}

} // namespace

QList<CServerShares::Share> CServerShares::FromMap(const CStorageMap& map, const QString& server)
{
    bool nas = false;
    const QString name = serverName(server, &nas);
    QList<Share> shares;
    if (name.isEmpty())
        return shares;
    QString device = name;
    int depth = 1;
    if (nas) {
        for (const CStorageMap::NasDevice& dev : map.NasDevices()) {
            if (dev.name.compare(name, Qt::CaseInsensitive) == 0) {
                device = dev.name;
                depth = CStorageMap::Components(dev.uncRoot).size();
            }
        }
    }
    QStringList seen;
    for (const CStorageMap::Share& s : nas ? map.SharesOfNas(device) : map.SharesOfHost(name)) {
        // A mount of a sub-folder of a share is listed under the share's own name.
        const QStringList parts = CStorageMap::Components(s.unc);
        if (parts.size() <= depth || seen.contains(parts.at(depth), Qt::CaseInsensitive))
            continue;
        Share share;
        share.name = parts.at(depth);
        share.unc = s.unc;
        if (nas) {
            share.path = QStringLiteral("NAS:\\\\%1\\%2").arg(device, share.name);
            share.kind = NodeKind::kNasShare;
        } else {
            share.path = QStringLiteral("\\\\%1\\%2").arg(parts.at(0), share.name);
            share.kind = CGetDataCommon::kKindShare;
        }
        seen.append(share.name);
        shares.append(share);
    }
    return shares;
}

uint32_t CServerShares::List(const QStringList& servers, QWidget* waitParent, QHash<QString, QList<Share>>* out,
                             QStringList* unreachable)
{
    CServerShares job;
    job.m_servers = servers;
    typedef qint64 (CServerShares::*RunFn)();
    auto* executer = new CSyncExecuterT0<CServerShares, CServerShares, RunFn>(
        waitParent, QCoreApplication::translate("CServerShares", "Listing the shares of the selected servers..."),
        &job, &job, &CServerShares::Run);
    executer->execute();
    if (executer->isNeedDelete())
        delete executer;
    if (out)
        *out = job.m_found;
    if (unreachable)
        *unreachable = job.m_failed;
    return job.m_failed.isEmpty() ? 0 : kErrUnreachable;
}

qint64 CServerShares::Run()
{
    const auto map = CStorageMap::Current();
    QElapsedTimer clock;
    clock.start();
    for (const QString& server : qAsConst(m_servers)) {
        const int left = kBudgetMs - int(clock.elapsed());
        // A server that does not answer in time is as unreachable as one that says so.
        const uint32_t rc = left > 0 ? map->CheckNetworkPath(server, false, qMin(left, 5000)) : kErrUnreachable;
        const QList<Share> shares = NRResult::Succeeded(rc) ? FromMap(*map, server) : QList<Share>();
        if (shares.isEmpty()) {
            NR_TRACE(u"File = %s, Line = %u, server %S cannot be listed: 0x%08X", __FILE__, __LINE__,
                     reinterpret_cast<const char16_t*>(server.utf16()), unsigned(rc));
            m_failed.append(server);
            continue;
        }
        m_found.insert(server, shares);
    }
    return 0;
}
