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

std::size_t TDeflater::Compress(const void* data, std::size_t size, std::string& out) {
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor_.get(), size);
    const std::size_t start = out.size();
    // The bound is a little over the input; on a 32-bit target a huge input
    // can wrap it.
    if (bound < size || bound > out.max_size() - start) throw EPDFError(kCompressionError);
    out.resize(start + bound);
    const std::size_t n = libdeflate_zlib_compress(compressor_.get(), data, size, out.data() + start, bound);
    if (n == 0) {
        out.resize(start);
        throw EPDFError(kCompressionError);
    }
    out.resize(start + n);
    return n;
}

std::string DeflateBuffer(const void* data, std::size_t size) {
    std::string buffer;
    TDeflater(TDeflater::kDefaultLevel).Compress(data, size, buffer);
    return std::string(buffer);  // a copy holds only the bytes
}

}  // namespace vellumark
