#include "decoders/PackBits.h"

#include <algorithm>
#include <cstring>

namespace vellumark {

std::size_t UnpackBits(std::span<const uint8_t> in, std::span<uint8_t> out) noexcept {
    std::size_t i = 0;
    std::size_t o = 0;
    while (o < out.size() && i < in.size()) {
        const int n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            // Literal: n + 1 bytes, as many as both sides hold.
            const std::size_t count = std::min({std::size_t(n) + 1, in.size() - i, out.size() - o});
            std::memcpy(out.data() + o, in.data() + i, count);
            i += std::size_t(n) + 1;
            o += count;
        } else if (n != -128) {
            if (i >= in.size()) break;
            const std::size_t count = std::min(std::size_t(1 - n), out.size() - o);
            std::memset(out.data() + o, in[i++], count);
            o += count;
        }
    }
    return o;
}

}  // namespace vellumark
