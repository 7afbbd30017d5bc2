#include "CLoadPool.h"

#include <algorithm>

CLoadPool::CLoadPool(int maxThreads) : m_max(std::max(1, maxThreads)) {}

CLoadPool::~CLoadPool()
{
    WaitForDone();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_work.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

void CLoadPool::Start(std::function<void()> job)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs.push_back(std::move(job));
    if (m_idle == 0 && int(m_threads.size()) < m_max)
        m_threads.emplace_back([this] { Run(); });
    else
        m_work.notify_one();
}

void CLoadPool::WaitForDone()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_jobs.empty() && m_running == 0; });
}

void CLoadPool::EndThreads()
{
    std::lock_guard<std::mutex> ending(m_endMutex);
    std::vector<std::thread> threads;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [this] { return m_jobs.empty() && m_running == 0; });
        m_stop = true;
        threads.swap(m_threads);
    }
    m_work.notify_all();
    for (std::thread& t : threads)
        t.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = false;
}

bool CLoadPool::IsIdle() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_jobs.empty() && m_running == 0;
}

void CLoadPool::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_work.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        --m_idle;
        if (m_jobs.empty())
            return; // stopping
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        ++m_running;
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
        --m_running;
        if (m_jobs.empty() && m_running == 0)
            m_done.notify_all();
    }
}
