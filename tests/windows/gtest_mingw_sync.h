// GoogleTest's headers name std::mutex and std::condition_variable, which the
// win32-thread MinGW runtime (the one the product is built with, to carry no
// threading runtime at all) does not define. This stand-in, force-included
// into GoogleTest and the test programs only, supplies the little they use.
#pragma once

#include <mutex>

#if !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>

namespace std {

class mutex {
public:
    mutex() { InitializeCriticalSection(&section_); }
    ~mutex() { DeleteCriticalSection(&section_); }
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class condition_variable {
public:
    void notify_all() {}
    void notify_one() {}
    template <class Lock, class Predicate>
    void wait(Lock& lock, Predicate ready)
    {
        while (!ready()) {
            lock.unlock();
            Sleep(1);
            lock.lock();
        }
    }
};

} // namespace std
#endif
