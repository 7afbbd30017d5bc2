#include "CNetPathCheckThread.h"

#include "CBaseSyncExecuter.h"
#include "CGetDataCommon.h"

#include <new>

CNetPathCheckThread::CNetPathCheckThread(QSharedPointer<CGetDataCommon> source, const QString& location, bool isMapped)
    : dataSource(source), path(location), mapped(isMapped)
{
}

CNetPathCheckThread::~CNetPathCheckThread() = default;

unsigned int CNetPathCheckThread::Check()
{
    if (!dataSource)
        return kNoDataSource;
    return dataSource->CheckNetworkPath(path, mapped);
}

qint64 CNetPathCheckThread::Run(QWidget* parent, const QString& waitingText, CFileBackupUI* owner, CNetPathCheckThread* job)
{
    using Executer = CSyncExecuterT0<CFileBackupUI, CNetPathCheckThread, unsigned int (CNetPathCheckThread::*)()>;
    auto* executer = new (std::nothrow) Executer(parent, waitingText, owner, job, &CNetPathCheckThread::Check);
    if (!executer)
        return kNoExecuter;
    const qint64 result = executer->execute();
    if (executer->isNeedDelete())
        delete executer;
    return result;
}
