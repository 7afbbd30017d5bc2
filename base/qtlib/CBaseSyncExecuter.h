#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

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

    // The rule for releasing while a job is waited for. The caller of a waiting execute() (a
    // sort, a check, the end of a search) and whatever event handler started it are still on the
    // GUI thread's stack, so nothing they use may be freed until the wait has returned. When a job
    // is waited for on the GUI thread, obj is hidden, taken from its parent (so that its parent's
    // destruction does not take it along), counted as released, and deleted once the outermost
    // wait has returned and the event that started it is handled; the answer is true. Otherwise
    // the answer is false and obj is left as it is: the caller deletes it as usual.
    static bool ReleaseAfterWaits(QObject* obj);
    // Applies that rule when owner is destroyed: obj, usually a child of owner, then goes after
    // the waits instead of with owner; without a wait it goes with owner as before.
    static void ReleaseWithOwner(QObject* obj, QObject* owner);
    // True when obj or one of its ancestors was released by ReleaseAfterWaits and is not yet
    // deleted: a wait's continuation on it has nobody to work for and ends.
    static bool IsReleased(const QObject* obj);

    // True when the widget the waiter was shown over was destroyed or released during the last
    // execute(): what the job was for is gone.
    bool Abandoned() const;

    // Test hook: called on the worker right before each job (null: none).
    static void SetBeforeJobForTest(std::function<void()> hook);

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
