#include "writer/PageStreams.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>
#include <version>

#include "base/EPDFError.h"

#ifdef __cpp_lib_jthread
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace vellumark {

unsigned SaveThreadCount(const TPDFDocument& doc) {
    unsigned n = doc.SaveThreads;
    if (n == 0) {
        if (const char* env = std::getenv("VELLUMARK_THREADS")) {
            char* end = nullptr;
            const unsigned long value = std::strtoul(env, &end, 10);
            if (end != env && *end == '\0' && value > 0) n = static_cast<unsigned>(std::min<unsigned long>(value, kMaxSaveThreads));
        }
    }
#ifdef __cpp_lib_jthread
    if (n == 0) n = std::thread::hardware_concurrency();
#endif
    return std::clamp(n, 1u, kMaxSaveThreads);
}

namespace {

// Pages made ahead of the writer, per thread.
constexpr std::size_t kWindowPerThread = 2;

struct TSlot {
    bool Ready = false;
    TPageStream Stream;
    std::exception_ptr Error;
};

}  // namespace

struct TPageStreams::TShared {
    TShared(std::size_t pages, unsigned threads, int level, TMake make)
        : Pages(pages), Level(level), Make(std::move(make)), Slots(std::size_t{threads} * kWindowPerThread) {}

    // Makes page index into its slot, or the error into it.
    void MakeInto(std::size_t index, TPageScratch& scratch, TPageStream& out, std::exception_ptr& error) noexcept {
        try {
            Make(index, scratch, out);
        } catch (...) {
            error = std::current_exception();
        }
    }

    const std::size_t Pages;
    const int Level;
    const TMake Make;
    std::optional<TPageScratch> Own;  // the calling thread's
    std::vector<TSlot> Slots;         // page i in Slots[i % size]
    std::size_t Claimed = 0;          // pages given to a thread
    std::size_t Taken = 0;            // pages handed to the writer

#ifdef __cpp_lib_jthread
    bool CanClaim() const noexcept { return Claimed < Pages && Claimed < Taken + Slots.size(); }

    void Work() {
        std::optional<TPageScratch> scratch;
        try {
            scratch.emplace(Level);
        } catch (...) {
            return;  // the other threads make the pages
        }
        std::unique_lock lock(Mutex);
        for (;;) {
            Changed.wait(lock, [&] { return Stop || Claimed >= Pages || CanClaim(); });
            if (Stop || Claimed >= Pages) return;
            MakeClaimed(lock, *scratch);
        }
    }

    // Claims the next page and makes it with the lock released.
    void MakeClaimed(std::unique_lock<std::mutex>& lock, TPageScratch& scratch) {
        const std::size_t index = Claimed++;
        lock.unlock();
        TPageStream stream;
        std::exception_ptr error;
        MakeInto(index, scratch, stream, error);
        lock.lock();
        TSlot& slot = Slots[index % Slots.size()];
        slot.Stream = std::move(stream);
        slot.Error = error;
        slot.Ready = true;
        Changed.notify_all();
    }

    std::mutex Mutex;
    std::condition_variable Changed;
    bool Stop = false;
    std::vector<std::jthread> Workers;  // last: joined before the rest goes
#endif
};

TPageStreams::TPageStreams(std::size_t pages, unsigned threads, int level, TMake make)
    : shared_(std::make_unique<TShared>(pages, std::max(threads, 1u), level, std::move(make))) {
    shared_->Own.emplace(level);
#ifdef __cpp_lib_jthread
    // The calling thread is one of them.
    const std::size_t workers = std::min<std::size_t>(std::max(threads, 1u) - 1, pages > 0 ? pages - 1 : 0);
    try {
        for (std::size_t i = 0; i < workers; ++i) shared_->Workers.emplace_back([s = shared_.get()] { s->Work(); });
    } catch (...) {
        // Fewer threads than asked for (or none) still make every page.
    }
#endif
}

TPageStreams::~TPageStreams() {
#ifdef __cpp_lib_jthread
    {
        std::lock_guard lock(shared_->Mutex);
        shared_->Stop = true;
    }
    shared_->Changed.notify_all();
    shared_->Workers.clear();  // joins
#endif
}

TPageStream TPageStreams::Next() {
    TShared& s = *shared_;
    if (s.Taken >= s.Pages) throw EPDFError("Error indexing PDF contents.");
    TPageStream stream;
    std::exception_ptr error;
#ifdef __cpp_lib_jthread
    {
        std::unique_lock lock(s.Mutex);
        const std::size_t index = s.Taken;
        TSlot& slot = s.Slots[index % s.Slots.size()];
        // While the page is not there, make the next pages here as well.
        while (!slot.Ready) {
            if (s.CanClaim())
                s.MakeClaimed(lock, *s.Own);
            else
                s.Changed.wait(lock);
        }
        stream = std::move(slot.Stream);
        error = std::exchange(slot.Error, nullptr);
        slot.Ready = false;
        ++s.Taken;
    }
    s.Changed.notify_all();
#else
    s.MakeInto(s.Taken++, *s.Own, stream, error);
#endif
    if (error) std::rethrow_exception(error);
    return stream;
}

}  // namespace vellumark
