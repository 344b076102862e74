#include "writer/PageStreams.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "base/EPDFError.h"
#include "base/Threads.h"

namespace vellumark {

unsigned SaveThreadCount(const TPDFDocument& doc) {
    unsigned n = doc.SaveThreads;
    if (n == 0) {
        if (const char* env = std::getenv("VELLUMARK_THREADS")) {
            char* end = nullptr;
            const unsigned long value = std::strtoul(env, &end, 10);
            if (end != env && *end == '\0' && value > 0)
                n = static_cast<unsigned>(std::min<unsigned long>(value, kMaxSaveThreads));
        }
    }
    if (n == 0) n = ProcessorCount();
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

    bool CanClaim() const noexcept { return Claimed < Pages && Claimed < Taken + Slots.size(); }

    // A worker: makes pages while there are pages to claim.
    void Work() noexcept {
        std::optional<TPageScratch> scratch;
        try {
            scratch.emplace(Level);
        } catch (...) {
            return;  // the other threads make the pages
        }
        TLockGuard lock(Mutex);
        for (;;) {
            while (!Stop && Claimed < Pages && !CanClaim()) Changed.Wait(Mutex);
            if (Stop || Claimed >= Pages) return;
            MakeClaimed(*scratch);
        }
    }

    // Claims the next page and makes it with the mutex (held on entry and on
    // return) released.
    void MakeClaimed(TPageScratch& scratch) noexcept {
        const std::size_t index = Claimed++;
        Mutex.Unlock();
        TPageStream stream;
        std::exception_ptr error;
        try {
            Make(index, scratch, stream);
        } catch (...) {
            error = std::current_exception();
        }
        Mutex.Lock();
        TSlot& slot = Slots[index % Slots.size()];
        slot.Stream = std::move(stream);
        slot.Error = error;
        slot.Ready = true;
        Changed.NotifyAll();
    }

    const std::size_t Pages;
    const int Level;
    const TMake Make;
    std::optional<TPageScratch> Own;  // the calling thread's
    std::vector<TSlot> Slots;         // page i in Slots[i % size]
    std::size_t Claimed = 0;          // pages given to a thread
    std::size_t Taken = 0;            // pages handed to the writer
    TMutex Mutex;
    TCondition Changed;
    bool Stop = false;
    std::vector<std::unique_ptr<TThread>> Workers;  // last: joined before the rest goes
};

TPageStreams::TPageStreams(std::size_t pages, unsigned threads, int level, TMake make)
    : shared_(std::make_unique<TShared>(pages, std::max(threads, 1u), level, std::move(make))) {
    shared_->Own.emplace(level);
    // The calling thread is one of them.
    const std::size_t workers = std::min<std::size_t>(std::max(threads, 1u) - 1, pages > 0 ? pages - 1 : 0);
    try {
        for (std::size_t i = 0; i < workers; ++i)
            shared_->Workers.push_back(std::make_unique<TThread>([s = shared_.get()] { s->Work(); }));
    } catch (...) {
        // Fewer threads than asked for (or none) still make every page.
    }
}

TPageStreams::~TPageStreams() {
    {
        TLockGuard lock(shared_->Mutex);
        shared_->Stop = true;
    }
    shared_->Changed.NotifyAll();
    shared_->Workers.clear();  // joins
}

TPageStream TPageStreams::Next() {
    TShared& s = *shared_;
    TPageStream stream;
    std::exception_ptr error;
    {
        TLockGuard lock(s.Mutex);
        if (s.Taken >= s.Pages) throw EPDFError("Error indexing PDF contents.");
        TSlot& slot = s.Slots[s.Taken % s.Slots.size()];
        // While the page is not there, make the next pages here as well.
        while (!slot.Ready) {
            if (s.CanClaim())
                s.MakeClaimed(*s.Own);
            else
                s.Changed.Wait(s.Mutex);
        }
        stream = std::move(slot.Stream);
        error = std::exchange(slot.Error, nullptr);
        slot.Ready = false;
        ++s.Taken;
    }
    s.Changed.NotifyAll();
    if (error) std::rethrow_exception(error);
    return stream;
}

}  // namespace vellumark
