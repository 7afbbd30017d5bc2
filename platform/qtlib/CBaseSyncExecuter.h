#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class CKWSyncObj;

// Runs one job on a worker thread while the GUI thread spins a local event loop behind a modal
// CKWUISyncWaiter, and hands back the job's 64-bit result. Subclasses supply doJob().
class CBaseSyncExecuter : public QObject
{
    Q_OBJECT
public:
    CBaseSyncExecuter(QWidget* parent, const QString& waitingText, CKWSyncObj* sync = nullptr);
    ~CBaseSyncExecuter() override;

    // Blocks the caller (with a live event loop) until doJob() has returned on the worker.
    qint64 execute();
    // True when the caller must delete this executer after execute().
    bool isNeedDelete() const;

    // Test hook: the longest time in ms the waiter may stay hidden before it shows (default 300;
    // jobs shorter than that never flash a dialog).
    static void SetWaiterDelay(int ms);
    static int WaiterDelay();

    // True when the waiting indicator appeared during the last execute().
    bool WaiterShown() const;

    // How many executers wait for their job now. While one does, the caller of execute() is
    // still on the stack: whoever acts from the event loop meanwhile must not destroy it.
    static int Waiting();

protected:
    virtual qint64 doJob() = 0;

private:
    class Private;
    Private* d;
};

// Executer of a member function `fn` of `job` for `owner`: (job->*fn)() becomes the result.
template <class Owner, class Job, class Fn>
class CSyncExecuterT0 : public CBaseSyncExecuter
{
public:
    CSyncExecuterT0(QWidget* parent, const QString& waitingText, Owner* owner, Job* job, Fn fn,
                    CKWSyncObj* sync = nullptr)
        : CBaseSyncExecuter(parent, waitingText, sync), m_owner(owner), m_job(job), m_fn(fn)
    {
    }
    Owner* owner() const { return m_owner; }

protected:
    qint64 doJob() override { return m_job ? static_cast<qint64>((m_job->*m_fn)()) : -1; }

private:
    Owner* m_owner;
    Job* m_job;
    Fn m_fn;
};
