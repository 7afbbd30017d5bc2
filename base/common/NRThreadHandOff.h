#pragma once
#include <QThreadPool>

#include <memory>
#include <utility>

// Work handed to Qt's thread pool reaches its thread through Qt's own queue and locks, which the
// thread checker cannot see (Qt is not built with it); it would take every write made before the
// hand-over and read by the job for a race. NRHandOff marks the hand-over and NRTakeOver its
// arrival, on one address, so the checker knows the job sees everything written before. Both are
// empty outside thread-checking builds.
#if defined(__SANITIZE_THREAD__)
#define NR_THREAD_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define NR_THREAD_CHECKS 1
#endif
#endif

#ifdef NR_THREAD_CHECKS
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
inline void NRHandOff(const void* token) { __tsan_release(const_cast<void*>(token)); }
inline void NRTakeOver(const void* token) { __tsan_acquire(const_cast<void*>(token)); }
#else
inline void NRHandOff(const void*) {}
inline void NRTakeOver(const void*) {}
#endif

// Runs `job` on Qt's global pool (on the calling thread when there is none), handed over as above.
template <typename Job>
void NRStartOnPool(Job job)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    if (!pool) {
        job();
        return;
    }
    auto token = std::make_shared<char>(0);
    NRHandOff(token.get());
    pool->start([token, job = std::move(job)]() mutable {
        NRTakeOver(token.get());
        job();
    });
}
