// TOutputBuffer: the byte stream the document writer produces, built of
// fixed-size blocks so that growing never copies what was written.
//
// In memory (the default constructor) every block is kept until the buffer
// goes. Streaming to a sink, the buffer holds one block: a full
// block is written out and used again, and large pieces go to the file
// directly, so that saving a document does not hold a second copy of it.
// Pieces appended as kept (AppendKept) are not copied at all then: they go
// to the sink from where they are, gathered with the block's bytes around
// them into one write.
// Positions are 64-bit and count everything appended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/OutputSink.h"

namespace vellumark {

class TOutputBuffer {
public:
    static constexpr std::size_t kBlockSize = 1 << 20;
    // Streaming, pieces at least this long skip the block.
    static constexpr std::size_t kDirectWrite = kBlockSize / 4;

    TOutputBuffer() = default;
    explicit TOutputBuffer(TOutputSink& sink) : sink_(&sink) {}
    TOutputBuffer(const TOutputBuffer&) = delete;
    TOutputBuffer& operator=(const TOutputBuffer&) = delete;

    void append(const char* data, std::size_t size) {
        if (size != 0 && size <= free_) {
            std::memcpy(cur_, data, size);
            cur_ += size;
            free_ -= size;
            return;
        }
        AppendSlow(data, size);
    }
    void append(std::string_view s) { append(s.data(), s.size()); }

    // Appends bytes that stay where they are, unchanged, until the buffer is
    // flushed or goes (the document's image data during a save). In memory
    // they are copied as by append.
    void AppendKept(std::string_view s);

    uint64_t Position() const noexcept {
        return written_ + keptBytes_ +
               (blocks_.empty() ? 0 : (blocks_.size() - 1) * uint64_t{kBlockSize} + (kBlockSize - free_));
    }

    // Streaming: writes what the block holds. False when this or an earlier
    // write failed; Error() gives the errno value then.
    bool Flush();
    int Error() const noexcept { return error_; }

    // In memory: writes everything to f; false on a write error.
    bool WriteTo(std::FILE* f) const;
    // In memory: copies everything into one string (tests, small documents).
    std::string ToString() const;

private:
    void AppendSlow(const char* data, std::size_t size);
    void NewBlock();
    // Streaming: hands the bytes to the sink unless an earlier write failed.
    void WriteOut(const char* data, std::size_t size);
    // Streaming: ends the block's run of bytes before a kept piece.
    void EndRun();

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* cur_ = nullptr;
    std::size_t free_ = 0;
    uint64_t written_ = 0;  // streaming: bytes handed to the sink
    TOutputSink* sink_ = nullptr;  // streaming when set
    int error_ = 0;
    // Streaming: the pieces not written yet, in order (runs of the block and
    // kept pieces), the start of the block's current run, and the bytes of
    // the kept pieces among them.
    std::vector<TOutputPiece> pending_;
    char* runStart_ = nullptr;
    uint64_t keptBytes_ = 0;
};

}  // namespace vellumark
