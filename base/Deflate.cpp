#include "base/Deflate.h"

#include <libdeflate.h>

#include "base/EPDFError.h"

namespace vellumark {

namespace {
const char* const kCompressionError = "Compression error";
}

void TDeflater::TFree::operator()(libdeflate_compressor* c) const noexcept { libdeflate_free_compressor(c); }

TDeflater::TDeflater(int level) : compressor_(libdeflate_alloc_compressor(level)) {
    if (!compressor_) throw EPDFError(kCompressionError);
}

TDeflater::~TDeflater() = default;

std::size_t TDeflater::CompressToRoom(const void* data, std::size_t size) {
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor_.get(), size);
    // The bound is a little over the input; on a 32-bit target a huge input
    // can wrap it.
    if (bound < size) throw EPDFError(kCompressionError);
    if (bound > roomSize_) {
        room_.reset();
        roomSize_ = 0;
        room_ = std::make_unique_for_overwrite<char[]>(bound);
        roomSize_ = bound;
    }
    const std::size_t n = libdeflate_zlib_compress(compressor_.get(), data, size, room_.get(), roomSize_);
    if (n == 0) throw EPDFError(kCompressionError);
    return n;
}

std::size_t TDeflater::Compress(const void* data, std::size_t size, std::string& out) {
    const std::size_t n = CompressToRoom(data, size);
    if (n > out.max_size() - out.size()) throw EPDFError(kCompressionError);
    out.append(room_.get(), n);
    return n;
}

std::string DeflateBuffer(const void* data, std::size_t size) {
    std::string buffer;  // exactly as long as the stream
    TDeflater(TDeflater::kDefaultLevel).Compress(data, size, buffer);
    return buffer;
}

}  // namespace vellumark
