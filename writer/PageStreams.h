// TPageStreams: makes the compressed content streams of a document's pages
// for the writing pass, which takes them in page order. With more than one
// thread, worker threads make the pages ahead of the writer while it writes;
// the calling thread makes pages too while it waits. At most a window of
// pages is made ahead of the one the writer takes, so the memory in flight
// stays bounded, and every page's stream depends only on the page, so the
// file is the same whatever the number of threads. The workers end, at the
// latest, when the object goes: no thread outlives a save.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Deflate.h"
#include "model/Document.h"
#include "model/TextLayout.h"
#include "writer/Link.h"

namespace vellumark {

// What one thread keeps from page to page.
struct TPageScratch {
    explicit TPageScratch(int level) : Deflater(level) {}
    TTextLayout Layout;
    TDeflater Deflater;
    std::string Content;  // the page's content before compression
};

// One page's compressed content stream and the links its text and images
// carry (entry 0 unused).
struct TPageStream {
    std::string Data;
    std::vector<TLink> Links;
};

// The threads a save of doc uses: its SaveThreads when set, else the number
// in VELLUMARK_THREADS when it is one, else one per processor; at most
// kMaxSaveThreads, at least 1.
unsigned SaveThreadCount(const TPDFDocument& doc);
inline constexpr unsigned kMaxSaveThreads = 8;

// The content (before compression) the calling thread makes alone before a
// save starts its workers, unless doc's SaveThreads or VELLUMARK_THREADS set
// the number (0 then: they start at once). Below it, starting and feeding
// threads costs more than they save; a document whose pages are a few
// image placements never starts one.
std::size_t SaveThreadThreshold(const TPDFDocument& doc);
inline constexpr std::size_t kSaveThreadBytes = 64 * 1024;

class TPageStreams {
public:
    // make(index, scratch, out) fills out for page index, leaving the page's
    // content before compression in scratch.Content; it may run on any
    // thread, for several pages at once.
    using TMake = std::function<void(std::size_t, TPageScratch&, TPageStream&)>;

    // The workers (threads - 1 of them) start once the pages made hold
    // threadBytes bytes of content, and only while pages are left to make.
    // threads 0: one per processor (at most kMaxSaveThreads), counted only
    // when they start.
    TPageStreams(std::size_t pages, unsigned threads, int level, TMake make, std::size_t threadBytes = 0);
    ~TPageStreams();
    TPageStreams(const TPageStreams&) = delete;
    TPageStreams& operator=(const TPageStreams&) = delete;

    // The stream of the next page in order; rethrows what making it threw.
    TPageStream Next();

private:
    struct TShared;
    std::unique_ptr<TShared> shared_;
};

}  // namespace vellumark
