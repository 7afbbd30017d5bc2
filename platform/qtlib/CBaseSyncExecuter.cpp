#include "CBaseSyncExecuter.h"

#include "CKWSyncObj.h"
#include "CKWUISyncWaiter.h"
#include "CTrace.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

std::atomic<int> g_waiterDelayMs{300};
std::atomic<int> g_waiting{0};

// Result of execute() when it is called again while it already runs, or when the job throws.
constexpr qint64 kJobFailed = -1;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

// Also the input filter while a job runs: until the waiter shows, the GUI still paints and
// delivers timers and queued signals, but the user's clicks and keys to the windows that were
// open when the wait began are dropped, as a modal dialog would drop them, so nothing can start
// a second go-to underneath the running one. Windows opened during the wait (a prompt that the
// job asks the GUI thread to show, say) take input as usual.
class CBaseSyncExecuter::Private : public QObject
{
public:
    QPointer<QWidget> parent;
    QString text;
    CKWSyncObj* sync = nullptr;
    bool running = false;
    bool waiterShown = false;
    QSet<const QWidget*> blockedWindows; // compared only, never dereferenced

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (isUserInput(event->type()) && watched->isWidgetType()
            && blockedWindows.contains(static_cast<QWidget*>(watched)->window()))
            return true;
        return QObject::eventFilter(watched, event);
    }
};

CBaseSyncExecuter::CBaseSyncExecuter(QWidget* parent, const QString& waitingText, CKWSyncObj* sync)
    : d(new Private)
{
    d->parent = parent;
    d->text = waitingText;
    d->sync = sync;
}

CBaseSyncExecuter::~CBaseSyncExecuter()
{
    delete d;
}

void CBaseSyncExecuter::SetWaiterDelay(int ms) { g_waiterDelayMs.store(ms); }

int CBaseSyncExecuter::WaiterDelay() { return g_waiterDelayMs.load(); }

bool CBaseSyncExecuter::isNeedDelete() const { return true; }

bool CBaseSyncExecuter::WaiterShown() const { return d->waiterShown; }

int CBaseSyncExecuter::Waiting() { return g_waiting.load(); }

qint64 CBaseSyncExecuter::execute()
{
    if (d->running) {
        NR_TRACE(u"File = %s, Line = %u, execute() called while running", __FILE__, __LINE__);
        return kJobFailed;
    }
    d->running = true;
    ++g_waiting;
    d->waiterShown = false;
    if (d->sync)
        d->sync->Reset();

    // The worker publishes the result before it raises `done`; the GUI side reads the result only
    // after it has seen `done` (release/acquire), and joins the worker before returning. The worker
    // hands nothing else across: it only wakes this thread's event dispatcher, which is thread-safe
    // and allocates nothing.
    std::atomic<qint64> result{0};
    std::atomic<bool> done{false};
    QCoreApplication* app = QCoreApplication::instance();
    QAbstractEventDispatcher* dispatcher = app ? QAbstractEventDispatcher::instance() : nullptr;
    const bool onGuiThread = qobject_cast<QApplication*>(app) && QThread::currentThread() == app->thread();
    CKWSyncObj* const sync = d->sync;

    std::thread worker([&] {
        qint64 r = kJobFailed;
        try {
            r = doJob();
        } catch (...) {
            NR_TRACE(u"File = %s, Line = %u, the job threw", __FILE__, __LINE__);
        }
        result.store(r, std::memory_order_relaxed);
        done.store(true, std::memory_order_release);
        if (sync)
            sync->Set();
        if (dispatcher)
            dispatcher->wakeUp();
    });

    if (dispatcher) {
        QPointer<CKWUISyncWaiter> waiter;
        QTimer delay;
        if (onGuiThread) {
            d->blockedWindows.clear();
            for (QWidget* w : QApplication::topLevelWidgets())
                d->blockedWindows.insert(w);
            app->installEventFilter(d);
            delay.setSingleShot(true);
            QObject::connect(&delay, &QTimer::timeout, [&] {
                if (done.load(std::memory_order_acquire))
                    return;
                waiter = new CKWUISyncWaiter(d->parent ? d->parent->window() : nullptr);
                waiter->setWaitingText(d->text);
                waiter->Start();
                d->waiterShown = true;
            });
            const int ms = g_waiterDelayMs.load();
            if (ms >= 0)
                delay.start(ms);
        }
        // Events are processed at the caller's loop level, not in a new one: an object the caller
        // scheduled for deletion (deleteLater) before calling us is not deleted underneath it.
        // A nested execute() in an event handler keeps this loop waiting until it returns, and the
        // wake-up of a job that ended meanwhile is not lost: `done` is checked after every pass.
        QEventLoop loop;
        while (!done.load(std::memory_order_acquire))
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        delay.stop();
        if (onGuiThread) {
            app->removeEventFilter(d);
            d->blockedWindows.clear();
        }
        if (waiter) {
            waiter->Finish();
            delete waiter.data();
        }
    }
    worker.join();

    --g_waiting;
    d->running = false;
    return result.load(std::memory_order_relaxed);
}
