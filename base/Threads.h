// TMutex, TCondition and TThread: what work spread over threads needs. They
// are the standard library's where it has threads; mingw's win32 thread
// model has none, and there they are the Win32 API's (slim reader/writer
// locks, condition variables, CreateThread). A TThread starts its function at
// once and is joined when it goes, so none outlives its owner.
#pragma once

#include <functional>
#include <memory>

namespace vellumark {

class TMutex {
public:
    TMutex();
    ~TMutex();
    TMutex(const TMutex&) = delete;
    TMutex& operator=(const TMutex&) = delete;
    void Lock();
    void Unlock();

private:
    friend class TCondition;
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

// Holds a TMutex locked for its scope.
class TLockGuard {
public:
    explicit TLockGuard(TMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
    ~TLockGuard() { mutex_.Unlock(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TMutex& mutex_;
};

class TCondition {
public:
    TCondition();
    ~TCondition();
    TCondition(const TCondition&) = delete;
    TCondition& operator=(const TCondition&) = delete;
    // Unlocks mutex (which the caller holds), waits for a notification (or
    // wakes spuriously) and locks it again.
    void Wait(TMutex& mutex);
    void NotifyAll();

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

class TThread {
public:
    // Runs work on a new thread; throws std::system_error when none can be
    // made. work must not throw.
    explicit TThread(std::function<void()> work);
    ~TThread();  // joins
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

// The number of processors, at least 1.
unsigned ProcessorCount() noexcept;

}  // namespace vellumark
