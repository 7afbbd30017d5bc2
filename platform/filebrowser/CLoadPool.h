#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The worker threads of a data source: jobs run in the order given on up to `maxThreads`
// threads, started when needed. Built on the standard library's threads and locks so that
// thread checkers see every hand-over between a job and whoever waits for it.
class CLoadPool
{
public:
    explicit CLoadPool(int maxThreads);
    // Waits for the jobs given so far, then ends the threads.
    ~CLoadPool();
    CLoadPool(const CLoadPool&) = delete;
    CLoadPool& operator=(const CLoadPool&) = delete;

    void Start(std::function<void()> job);
    // Blocks until no job is queued or running. Callable from any thread but the pool's own.
    void WaitForDone();
    bool IsIdle() const;
    // Waits for the jobs given so far, then ends the threads; a later Start makes new ones.
    // For owners whose work is over long before they go. Callable from any thread but the pool's.
    void EndThreads();

private:
    void Run();

    const int m_max;
    mutable std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::deque<std::function<void()>> m_jobs;
    std::vector<std::thread> m_threads;
    std::mutex m_endMutex; // one EndThreads at a time
    int m_running = 0;
    int m_idle = 0;
    bool m_stop = false;
};
