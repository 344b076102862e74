// TFlateWriter: a buffered zlib compressor (zlib format, 32 KB window, memory
// level 8, default strategy) that writes its output into a TOutputBuffer or a
// string in blocks of 64 KB. Level -1 is zlib's default; level 0 gives stored blocks.
// After Finish the writer starts the next stream, so one writer serves every
// stream of a document.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <zlib.h>

#include "base/OutputBuffer.h"

namespace vellumark {

class TFlateWriter {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    TFlateWriter(TOutputBuffer& out, int level);
    TFlateWriter(std::string& out, int level);
    ~TFlateWriter();
    TFlateWriter(const TFlateWriter&) = delete;
    TFlateWriter& operator=(const TFlateWriter&) = delete;

    void append(const char* data, std::size_t size) {
        while (size > 0) {
            std::size_t room = kBufferSize - pending_;
            std::size_t n = size < room ? size : room;
            std::memcpy(in_.get() + pending_, data, n);
            pending_ += n;
            data += n;
            size -= n;
            if (pending_ == kBufferSize) Deflate(Z_NO_FLUSH);
        }
    }

    // Ends the zlib stream and returns the number of compressed bytes it
    // took; the next append begins a new stream.
    uint64_t Finish();

private:
    using TEmit = std::function<void(const char*, std::size_t)>;
    TFlateWriter(TEmit emit, int level);
    void Deflate(int flush);

    TEmit emit_;
    z_stream zs_{};
    std::unique_ptr<char[]> in_;
    std::unique_ptr<unsigned char[]> outBuf_;
    std::size_t pending_ = 0;
    uint64_t written_ = 0;
};

}  // namespace vellumark
