// PackBits, the byte-oriented run-length scheme of TIFF (compression 32773)
// and Photoshop files: a header byte n of 0 to 127 is followed by n + 1
// literal bytes; -1 to -127 is followed by one byte repeated 1 - n times;
// -128 is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vellumark {

// Decodes `in` into `out` until `out` is full or `in` is used up. A run or a
// literal that would go past the end of `out` is cut there. Returns the
// number of bytes written; less than out.size() means the data ran short.
std::size_t UnpackBits(std::span<const uint8_t> in, std::span<uint8_t> out) noexcept;

}  // namespace vellumark
