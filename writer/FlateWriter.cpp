#include "writer/FlateWriter.h"

#include "engine/EPDFError.h"

namespace vellumark {

TFlateWriter::TFlateWriter(TOutputBuffer& out, int level) : out_(out) {
    if (deflateInit2(&zs_, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EPDFError("Compression error");
}

TFlateWriter::~TFlateWriter() { deflateEnd(&zs_); }

void TFlateWriter::Deflate(int flush) {
    zs_.next_in = reinterpret_cast<Bytef*>(in_.data());
    zs_.avail_in = static_cast<uInt>(pending_);
    for (;;) {
        zs_.next_out = outBuf_.data();
        zs_.avail_out = static_cast<uInt>(outBuf_.size());
        int rc = deflate(&zs_, flush);
        if (rc == Z_STREAM_ERROR) throw EPDFError("Compression error");
        std::size_t produced = outBuf_.size() - zs_.avail_out;
        out_.append(reinterpret_cast<const char*>(outBuf_.data()), produced);
        written_ += produced;
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (zs_.avail_in == 0 && zs_.avail_out != 0)) break;
    }
    pending_ = 0;
}

uint64_t TFlateWriter::Finish() {
    if (!finished_) {
        Deflate(Z_FINISH);
        finished_ = true;
    }
    return written_;
}

}  // namespace vellumark
