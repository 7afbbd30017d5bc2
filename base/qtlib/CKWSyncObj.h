#pragma once
#include <condition_variable>
#include <mutex>

// A manual-reset event shared between threads: one side sets it when something has happened,
// the others wait for it. CBaseSyncExecuter sets the one it was given once the job has returned.
class CKWSyncObj
{
public:
    explicit CKWSyncObj(bool set = false);

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the object is set; ms < 0 waits without limit. True when it is set.
    bool Wait(int ms = -1) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cond;
    bool m_set;
};
