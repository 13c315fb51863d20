// A lock and a condition variable of the system's own (slim reader/writer lock, condition
// variable), in the shapes std::lock_guard and std::unique_lock take. Under Wine they wait on
// futexes in the process; the C++ library's mutex and condition variable of this toolchain wait
// on semaphores, and every wait and wake of those is a call to the server that also answers
// every registry call.
#pragma once

#include <windows.h>

#include <chrono>
#include <mutex>

namespace corvasin
{

class CSrwLock
{
public:
    CSrwLock() noexcept = default;
    CSrwLock(const CSrwLock&) = delete;
    CSrwLock& operator=(const CSrwLock&) = delete;

    void lock() noexcept { ::AcquireSRWLockExclusive(&m_lock); }
    bool try_lock() noexcept { return ::TryAcquireSRWLockExclusive(&m_lock) != FALSE; }
    void unlock() noexcept { ::ReleaseSRWLockExclusive(&m_lock); }
    SRWLOCK* native() noexcept { return &m_lock; }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

class CConditionVariable
{
public:
    CConditionVariable() noexcept = default;
    CConditionVariable(const CConditionVariable&) = delete;
    CConditionVariable& operator=(const CConditionVariable&) = delete;

    // The lock is held on entry and on return.
    void wait(std::unique_lock<CSrwLock>& guard) noexcept
    {
        ::SleepConditionVariableSRW(&m_cv, guard.mutex()->native(), INFINITE, 0);
    }
    template <typename Predicate>
    void wait(std::unique_lock<CSrwLock>& guard, Predicate ready)
    {
        while (!ready())
            wait(guard);
    }
    // False when the deadline passed (a wake may also come early, for no reason).
    bool wait_until(std::unique_lock<CSrwLock>& guard, std::chrono::steady_clock::time_point deadline) noexcept
    {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        const DWORD dwMs = ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
        return ::SleepConditionVariableSRW(&m_cv, guard.mutex()->native(), dwMs, 0) ||
               std::chrono::steady_clock::now() < deadline;
    }
    void notify_one() noexcept { ::WakeConditionVariable(&m_cv); }
    void notify_all() noexcept { ::WakeAllConditionVariable(&m_cv); }

private:
    CONDITION_VARIABLE m_cv = CONDITION_VARIABLE_INIT;
};

} // namespace corvasin
