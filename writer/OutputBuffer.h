// TOutputBuffer: a growable in-memory byte stream built of fixed-size blocks,
// so that growing never copies what was written. Positions are 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vellumark {

class TOutputBuffer {
public:
    static constexpr std::size_t kBlockSize = 1 << 20;

    TOutputBuffer() = default;
    TOutputBuffer(const TOutputBuffer&) = delete;
    TOutputBuffer& operator=(const TOutputBuffer&) = delete;

    void append(const char* data, std::size_t size) {
        while (size > 0) {
            if (free_ == 0) NewBlock();
            std::size_t n = size < free_ ? size : free_;
            std::memcpy(cur_, data, n);
            cur_ += n;
            free_ -= n;
            data += n;
            size -= n;
        }
    }
    void append(std::string_view s) { append(s.data(), s.size()); }

    uint64_t Position() const noexcept {
        return blocks_.empty() ? 0 : (blocks_.size() - 1) * uint64_t{kBlockSize} + (kBlockSize - free_);
    }

    // Writes everything to f; false on a write error.
    bool WriteTo(std::FILE* f) const;
    // Copies everything into one string (tests, small documents).
    std::string ToString() const;

private:
    void NewBlock() {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
        cur_ = blocks_.back().get();
        free_ = kBlockSize;
    }

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* cur_ = nullptr;
    std::size_t free_ = 0;
};

}  // namespace vellumark
