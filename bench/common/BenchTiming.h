#pragma once
// Timing pieces the benchmarks share: best-of-n wall time, the GUI stall meter and an event-loop
// spin. Header-only; every benchmark's folder has bench/common on its include path.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <functional>

// Best wall time of `runs` runs of f, in milliseconds.
template <typename F>
double BestOfMs(int runs, F f)
{
    double bestMs = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        bestMs = std::min(bestMs, t.nsecsElapsed() / 1e6);
    }
    return bestMs;
}

// Longest gap between ticks of a 5 ms timer while it runs: how long the GUI thread was blocked.
// The gap still open when it stops counts too.
class StallMeter
{
public:
    StallMeter()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
        m_timer.setInterval(5);
    }
    void Start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_longestEnd = 0;
        m_timer.start();
    }
    double StopMs()
    {
        m_timer.stop();
        Tick();
        return double(m_longest) / 1e6;
    }
    // When the longest gap ended, in nanoseconds of CLOCK_MONOTONIC (the clock `perf record -k
    // CLOCK_MONOTONIC` stamps its samples with), to find what ran in it.
    qint64 LongestEndMonotonicNs() const { return m_longestEnd; }

private:
    void Tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        if (now - m_last > m_longest) {
            m_longest = now - m_last;
            timespec ts;
            clock_gettime(CLOCK_MONOTONIC, &ts);
            m_longestEnd = qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
        }
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_longestEnd = 0;
};

// Runs the event loop until done() holds (checked between events).
inline void SpinUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// The same without keeping a core busy: SpinUntil's time-boxed passes never block, which takes
// a core from the workers under test on a small machine. This one sleeps until an event comes, a
// 2 ms tick at the latest.
inline void WaitUntil(const std::function<bool()>& done)
{
    QTimer tick;
    tick.start(2);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
