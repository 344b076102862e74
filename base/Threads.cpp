#include "base/Threads.h"

#include <system_error>
#include <utility>
#include <version>

#ifdef __cpp_lib_jthread
#include <condition_variable>
#include <mutex>
#include <thread>
#elif defined(_WIN32)
#include <windows.h>
#else
#error "no threads on this platform"
#endif

namespace vellumark {

#ifdef __cpp_lib_jthread

struct TMutex::TImpl {
    std::mutex Mutex;
};
struct TCondition::TImpl {
    std::condition_variable Condition;
};
struct TThread::TImpl {
    std::jthread Thread;
};

void TMutex::Lock() { impl_->Mutex.lock(); }
void TMutex::Unlock() { impl_->Mutex.unlock(); }

void TCondition::Wait(TMutex& mutex) {
    std::unique_lock lock(mutex.impl_->Mutex, std::adopt_lock);
    impl_->Condition.wait(lock);
    lock.release();  // the caller still holds it
}
void TCondition::NotifyAll() { impl_->Condition.notify_all(); }

TThread::TThread(std::function<void()> work) : impl_(std::make_unique<TImpl>()) {
    impl_->Thread = std::jthread(std::move(work));
}

unsigned ProcessorCount() noexcept {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

#else  // Win32

struct TMutex::TImpl {
    SRWLOCK Lock = SRWLOCK_INIT;
};
struct TCondition::TImpl {
    CONDITION_VARIABLE Condition = CONDITION_VARIABLE_INIT;
};
struct TThread::TImpl {
    HANDLE Handle = nullptr;
};

void TMutex::Lock() { AcquireSRWLockExclusive(&impl_->Lock); }
void TMutex::Unlock() { ReleaseSRWLockExclusive(&impl_->Lock); }

void TCondition::Wait(TMutex& mutex) { SleepConditionVariableSRW(&impl_->Condition, &mutex.impl_->Lock, INFINITE, 0); }
void TCondition::NotifyAll() { WakeAllConditionVariable(&impl_->Condition); }

namespace {
DWORD WINAPI RunWork(LPVOID param) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
    (*work)();
    return 0;
}
}  // namespace

TThread::TThread(std::function<void()> work) : impl_(std::make_unique<TImpl>()) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    impl_->Handle = CreateThread(nullptr, 0, RunWork, owned.get(), 0, nullptr);
    if (!impl_->Handle)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateThread");
    owned.release();  // the thread frees it
}

unsigned ProcessorCount() noexcept {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors == 0 ? 1 : static_cast<unsigned>(info.dwNumberOfProcessors);
}

#endif

TMutex::TMutex() : impl_(std::make_unique<TImpl>()) {}
TMutex::~TMutex() = default;
TCondition::TCondition() : impl_(std::make_unique<TImpl>()) {}
TCondition::~TCondition() = default;

TThread::~TThread() {
#ifndef __cpp_lib_jthread
    WaitForSingleObject(impl_->Handle, INFINITE);
    CloseHandle(impl_->Handle);
#endif
}

}  // namespace vellumark
