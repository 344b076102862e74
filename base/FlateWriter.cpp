#include "base/FlateWriter.h"

#include <utility>

#include "base/EPDFError.h"

namespace vellumark {

TFlateWriter::TFlateWriter(TOutputBuffer& out, int level)
    : TFlateWriter([&out](const char* data, std::size_t size) { out.append(data, size); }, level) {}

TFlateWriter::TFlateWriter(std::string& out, int level)
    : TFlateWriter([&out](const char* data, std::size_t size) { out.append(data, size); }, level) {}

TFlateWriter::TFlateWriter(TEmit emit, int level)
    : emit_(std::move(emit)),
      in_(std::make_unique_for_overwrite<char[]>(kBufferSize)),
      outBuf_(std::make_unique_for_overwrite<unsigned char[]>(kBufferSize)) {
    if (deflateInit2(&zs_, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EPDFError("Compression error");
}

TFlateWriter::~TFlateWriter() { deflateEnd(&zs_); }

void TFlateWriter::Deflate(int flush) {
    zs_.next_in = reinterpret_cast<Bytef*>(in_.get());
    zs_.avail_in = static_cast<uInt>(pending_);
    for (;;) {
        zs_.next_out = outBuf_.get();
        zs_.avail_out = static_cast<uInt>(kBufferSize);
        int rc = deflate(&zs_, flush);
        if (rc == Z_STREAM_ERROR) throw EPDFError("Compression error");
        std::size_t produced = kBufferSize - zs_.avail_out;
        if (produced > 0) emit_(reinterpret_cast<const char*>(outBuf_.get()), produced);
        written_ += produced;
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (zs_.avail_in == 0 && zs_.avail_out != 0)) break;
    }
    pending_ = 0;
}

uint64_t TFlateWriter::Finish() {
    Deflate(Z_FINISH);
    const uint64_t size = written_;
    written_ = 0;
    if (deflateReset(&zs_) != Z_OK) throw EPDFError("Compression error");
    return size;
}

}  // namespace vellumark
