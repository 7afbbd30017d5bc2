#pragma once
#include "CUIBaseThread.h"

#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <cstdint>

class CFileBackupUI;
class CGetDataCommon;
class QWidget;

// Job that has the browser's data source check (and if need be connect) a network location,
// run on a worker thread behind the widget library's waiting indicator.
class CNetPathCheckThread : public QObject, public CUIBaseThread
{
    Q_OBJECT
public:
    CNetPathCheckThread(QSharedPointer<CGetDataCommon> dataSource, const QString& path, bool mapped);
    ~CNetPathCheckThread() override;

    // The job's work on the worker: the data source's answer, unchanged.
    unsigned int Check();

    // Runs `job` under a sync executer with the waiting text; the job's answer, or kNoExecuter.
    // The caller keeps ownership of the job and destroys it after this returns.
    static qint64 Run(QWidget* parent, const QString& waitingText, CFileBackupUI* owner, CNetPathCheckThread* job);

    static constexpr uint32_t kNoDataSource = 0x00C04245;
    static constexpr qint64 kNoExecuter = 255;

private:
    QSharedPointer<CGetDataCommon> dataSource;
    QString path;
    bool mapped = false;
};
