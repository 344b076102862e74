// TFlateWriter: a buffered zlib compressor (zlib format, 32 KB window, memory
// level 8, default strategy) that writes its output into a TOutputBuffer in
// blocks of 64 KB. Level -1 is zlib's default; level 0 gives stored blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <zlib.h>

#include "writer/OutputBuffer.h"

namespace vellumark {

class TFlateWriter {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    TFlateWriter(TOutputBuffer& out, int level);
    ~TFlateWriter();
    TFlateWriter(const TFlateWriter&) = delete;
    TFlateWriter& operator=(const TFlateWriter&) = delete;

    void append(const char* data, std::size_t size) {
        while (size > 0) {
            std::size_t room = kBufferSize - pending_;
            std::size_t n = size < room ? size : room;
            std::memcpy(in_.data() + pending_, data, n);
            pending_ += n;
            data += n;
            size -= n;
            if (pending_ == kBufferSize) Deflate(Z_NO_FLUSH);
        }
    }

    // Ends the zlib stream; returns the number of compressed bytes written.
    uint64_t Finish();

private:
    void Deflate(int flush);

    TOutputBuffer& out_;
    z_stream zs_{};
    std::array<char, kBufferSize> in_;
    std::array<unsigned char, kBufferSize> outBuf_;
    std::size_t pending_ = 0;
    uint64_t written_ = 0;
    bool finished_ = false;
};

}  // namespace vellumark
