#include "base/OutputBuffer.h"

namespace vellumark {

void TOutputBuffer::AppendSlow(const char* data, std::size_t size) {
    if (sink_ && size >= kDirectWrite) {
        Flush();
        WriteOut(data, size);
        return;
    }
    while (size > 0) {
        if (free_ == 0) NewBlock();
        const std::size_t n = size < free_ ? size : free_;
        std::memcpy(cur_, data, n);
        cur_ += n;
        free_ -= n;
        data += n;
        size -= n;
    }
}

namespace {

// Kept pieces shorter than this are copied all the same; more pieces than
// this waiting are written.
constexpr std::size_t kKeptMin = 2048;
constexpr std::size_t kMaxPending = 128;

}  // namespace

void TOutputBuffer::AppendKept(std::string_view s) {
    if (!sink_ || s.size() < kKeptMin || s.size() >= kDirectWrite) {
        append(s.data(), s.size());
        return;
    }
    EndRun();
    pending_.push_back({s.data(), s.size()});
    keptBytes_ += s.size();
    if (pending_.size() >= kMaxPending) Flush();
}

void TOutputBuffer::EndRun() {
    if (!blocks_.empty() && cur_ > runStart_) {
        pending_.push_back({runStart_, static_cast<std::size_t>(cur_ - runStart_)});
        runStart_ = cur_;
    }
}

void TOutputBuffer::NewBlock() {
    if (sink_ && !blocks_.empty()) {
        Flush();
        return;
    }
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
    cur_ = runStart_ = blocks_.back().get();
    free_ = kBlockSize;
}

void TOutputBuffer::WriteOut(const char* data, std::size_t size) {
    written_ += size;
    if (error_ == 0) error_ = sink_->Write(data, size);
}

bool TOutputBuffer::Flush() {
    if (!sink_) return error_ == 0;
    EndRun();
    if (!pending_.empty()) {
        for (const TOutputPiece& piece : pending_) written_ += piece.Size;
        keptBytes_ = 0;
        if (error_ == 0) error_ = sink_->WriteGather(pending_);
        pending_.clear();
    }
    if (!blocks_.empty()) {
        cur_ = runStart_ = blocks_.front().get();
        free_ = kBlockSize;
    }
    return error_ == 0;
}

bool TOutputBuffer::WriteTo(std::FILE* f) const {
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        const std::size_t n = i + 1 < blocks_.size() ? kBlockSize : kBlockSize - free_;
        if (n > 0 && std::fwrite(blocks_[i].get(), 1, n, f) != n) return false;
    }
    return true;
}

std::string TOutputBuffer::ToString() const {
    std::string s;
    s.reserve(static_cast<std::size_t>(Position()));
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        const std::size_t n = i + 1 < blocks_.size() ? kBlockSize : kBlockSize - free_;
        s.append(blocks_[i].get(), n);
    }
    return s;
}

}  // namespace vellumark
