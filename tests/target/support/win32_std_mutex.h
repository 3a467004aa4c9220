// The win32 thread model of MinGW's C++ library has no std::mutex or
// std::condition_variable, which GoogleTest's Windows code needs. This header,
// force-included into GoogleTest and the test programs only, supplies both on top
// of the system's own primitives. Product code never sees it.
#pragma once
#if defined(__MINGW32__) && !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>
#include <mutex>

namespace std {

class mutex {
public:
    mutex() { ::InitializeSRWLock(&m_lock); }
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { ::AcquireSRWLockExclusive(&m_lock); }
    bool try_lock() { return ::TryAcquireSRWLockExclusive(&m_lock) != 0; }
    void unlock() { ::ReleaseSRWLockExclusive(&m_lock); }
    SRWLOCK* native_handle() { return &m_lock; }

private:
    SRWLOCK m_lock;
};

class condition_variable {
public:
    condition_variable() { ::InitializeConditionVariable(&m_cv); }
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() { ::WakeConditionVariable(&m_cv); }
    void notify_all() { ::WakeAllConditionVariable(&m_cv); }
    void wait(unique_lock<mutex>& lock)
    {
        ::SleepConditionVariableSRW(&m_cv, lock.mutex()->native_handle(), INFINITE, 0);
    }
    template <class Predicate>
    void wait(unique_lock<mutex>& lock, Predicate pred)
    {
        while (!pred())
            wait(lock);
    }

private:
    CONDITION_VARIABLE m_cv;
};

} // namespace std
#endif
