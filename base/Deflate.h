// TDeflater: compresses a whole buffer at once into one zlib-format stream
// (libdeflate). Levels run from 0 (stored blocks) to 12; 6 matches zlib's
// default. A compressor holds sizeable tables, so one is kept for many
// buffers; it is not to be shared between threads.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct libdeflate_compressor;

namespace vellumark {

class TDeflater {
public:
    static constexpr int kDefaultLevel = 6;

    explicit TDeflater(int level = kDefaultLevel);
    ~TDeflater();
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    // Appends the zlib stream of data[0..size) to out; returns its length.
    std::size_t Compress(const void* data, std::size_t size, std::string& out);

private:
    // Compresses into room_ (grown as needed, never cleared); the length.
    std::size_t CompressToRoom(const void* data, std::size_t size);

    struct TFree {
        void operator()(libdeflate_compressor* c) const noexcept;
    };
    std::unique_ptr<libdeflate_compressor, TFree> compressor_;
    std::unique_ptr<char[]> room_;  // the worst case of the longest input so far
    std::size_t roomSize_ = 0;
};

// One buffer as a zlib stream at the default level, in a string no longer
// than it needs (for data that is kept, such as an image's stream).
std::string DeflateBuffer(const void* data, std::size_t size);

}  // namespace vellumark
