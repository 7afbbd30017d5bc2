#pragma once
#include <atomic>
#include <thread>

// The reader-writer lock of a node: four bytes (nodes come by the million) and built on
// std::atomic, so that thread checkers see every hand-over. Critical sections are short; a
// waiting writer keeps new readers out. Not recursive.
class CNodeRwLock
{
public:
    void lockForRead()
    {
        for (;;) {
            int s = m_state.load(std::memory_order_relaxed);
            if (!(s & (kWriter | kPending))
                && m_state.compare_exchange_weak(s, s + 1, std::memory_order_acquire, std::memory_order_relaxed))
                return;
            std::this_thread::yield();
        }
    }
    void unlockRead() { m_state.fetch_sub(1, std::memory_order_release); }
    void lockForWrite()
    {
        for (;;) {
            int s = m_state.load(std::memory_order_relaxed);
            if ((s & ~kPending) == 0
                && m_state.compare_exchange_weak(s, kWriter, std::memory_order_acquire, std::memory_order_relaxed))
                return;
            m_state.fetch_or(kPending, std::memory_order_relaxed);
            std::this_thread::yield();
        }
    }
    void unlockWrite() { m_state.fetch_and(~kWriter, std::memory_order_release); }

private:
    static constexpr int kWriter = 1 << 30;
    static constexpr int kPending = 1 << 29;
    std::atomic<int> m_state{0};
};

class CNodeReadLocker
{
public:
    explicit CNodeReadLocker(CNodeRwLock& lock) : m_lock(lock) { m_lock.lockForRead(); }
    ~CNodeReadLocker() { m_lock.unlockRead(); }
    CNodeReadLocker(const CNodeReadLocker&) = delete;
    CNodeReadLocker& operator=(const CNodeReadLocker&) = delete;

private:
    CNodeRwLock& m_lock;
};

class CNodeWriteLocker
{
public:
    explicit CNodeWriteLocker(CNodeRwLock& lock) : m_lock(lock) { m_lock.lockForWrite(); }
    ~CNodeWriteLocker() { m_lock.unlockWrite(); }
    CNodeWriteLocker(const CNodeWriteLocker&) = delete;
    CNodeWriteLocker& operator=(const CNodeWriteLocker&) = delete;

private:
    CNodeRwLock& m_lock;
};
