#include "writer/PageStreams.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "base/EPDFError.h"
#include "base/Threads.h"

namespace vellumark {

namespace {

// The number doc's SaveThreads or VELLUMARK_THREADS gives; 0 when neither does.
unsigned ChosenThreads(const TPDFDocument& doc) {
    unsigned n = doc.SaveThreads;
    if (n == 0) {
        if (const char* env = std::getenv("VELLUMARK_THREADS")) {
            char* end = nullptr;
            const unsigned long value = std::strtoul(env, &end, 10);
            if (end != env && *end == '\0' && value > 0)
                n = static_cast<unsigned>(std::min<unsigned long>(value, kMaxSaveThreads));
        }
    }
    return n;
}

}  // namespace

unsigned SaveThreadCount(const TPDFDocument& doc) {
    unsigned n = ChosenThreads(doc);
    if (n == 0) n = ProcessorCount();
    return std::clamp(n, 1u, kMaxSaveThreads);
}

std::size_t SaveThreadThreshold(const TPDFDocument& doc) { return ChosenThreads(doc) == 0 ? kSaveThreadBytes : 0; }

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
    TShared(std::size_t pages, unsigned threads, int level, TMake make, std::size_t threadBytes)
        : Pages(pages),
          Level(level),
          Make(std::move(make)),
          Slots(std::size_t{std::max(threads, 1u)} * kWindowPerThread),
          Threads(threads),
          ThreadBytes(threadBytes) {}

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
        scratch.Content.clear();
        try {
            Make(index, scratch, stream);
        } catch (...) {
            error = std::current_exception();
        }
        Mutex.Lock();
        MadeBytes += scratch.Content.size();
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
    unsigned Threads;                               // asked for, the calling thread included; 0 unknown
    const std::size_t ThreadBytes;                  // content made before the workers start
    std::size_t MadeBytes = 0;                      // content made so far
    bool Started = false;                           // the workers were started
    std::vector<std::unique_ptr<TThread>> Workers;  // last: joined before the rest goes

    // Starts the workers once the content made calls for them. Called
    // without the mutex, on the calling thread only.
    void StartWorkers() {
        std::size_t left = 0;
        {
            TLockGuard lock(Mutex);
            if (Started || MadeBytes < ThreadBytes) return;
            Started = true;
            left = Pages - Claimed;
            if (Threads == 0) {
                // The window grows with the threads; no page is in it now
                // (the calling thread alone makes a page only when it is
                // the one to take).
                Threads = std::clamp(ProcessorCount(), 1u, kMaxSaveThreads);
                Slots.resize(std::size_t{Threads} * kWindowPerThread);
            }
        }
        const std::size_t workers = std::min<std::size_t>(Threads - 1, left > 0 ? left - 1 : 0);
        try {
            for (std::size_t i = 0; i < workers; ++i) Workers.push_back(std::make_unique<TThread>([this] { Work(); }));
        } catch (...) {
            // Fewer threads than asked for (or none) still make every page.
        }
    }
};

TPageStreams::TPageStreams(std::size_t pages, unsigned threads, int level, TMake make, std::size_t threadBytes)
    : shared_(std::make_unique<TShared>(pages, threads, level, std::move(make), threadBytes)) {
    shared_->Own.emplace(level);
    // The calling thread is one of them.
    shared_->StartWorkers();
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
    if (!s.Started) s.StartWorkers();
    if (error) std::rethrow_exception(error);
    return stream;
}

}  // namespace vellumark
