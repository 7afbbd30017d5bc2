#include "CKWSyncObj.h"

#include <chrono>

CKWSyncObj::CKWSyncObj(bool set) : m_set(set) {}

void CKWSyncObj::Set()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_set = true;
    }
    m_cond.notify_all();
}

void CKWSyncObj::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool CKWSyncObj::IsSet() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_set;
}

bool CKWSyncObj::Wait(int ms) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (ms < 0) {
        m_cond.wait(lock, [this] { return m_set; });
        return true;
    }
    return m_cond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_set; });
}
