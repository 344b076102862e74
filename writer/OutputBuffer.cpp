#include "writer/OutputBuffer.h"

namespace vellumark {

bool TOutputBuffer::WriteTo(std::FILE* f) const {
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        std::size_t n = i + 1 < blocks_.size() ? kBlockSize : kBlockSize - free_;
        if (n > 0 && std::fwrite(blocks_[i].get(), 1, n, f) != n) return false;
    }
    return true;
}

std::string TOutputBuffer::ToString() const {
    std::string s;
    s.reserve(static_cast<std::size_t>(Position()));
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        std::size_t n = i + 1 < blocks_.size() ? kBlockSize : kBlockSize - free_;
        s.append(blocks_[i].get(), n);
    }
    return s;
}

}  // namespace vellumark
