// LZW as TIFF stores it (compression 5): codes of 9 to 12 bits, most
// significant bit first, 256 clears the table, 257 ends the data, and the
// code width grows one code early (after entry 510, 1022 and 2046). The
// horizontal-differencing predictor (Predictor 2) that often accompanies it
// is undone by UndoHorizontalDifferencing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vellumark::lzw {

// Data of the old LZW variant written before TIFF 6.0 (bits least
// significant first, codes growing one code late). It starts with a clear
// code stored that way: a zero byte and then a byte with its lowest bit set.
// Decode refuses it; DecodeOldStyle reads it.
bool IsOldStyle(std::span<const uint8_t> in) noexcept;

struct TResult {
    std::size_t Written = 0;  // bytes written to the output
    bool Valid = true;        // false: a code that cannot occur, or old-style data
};

// Decodes `in` into `out` until `out` is full, the end code or the end of
// `in`. Written < out.size() with Valid set means the data ran short. Never
// reads outside `in` or writes outside `out`.
TResult Decode(std::span<const uint8_t> in, std::span<uint8_t> out) noexcept;
// The same for the old variant.
TResult DecodeOldStyle(std::span<const uint8_t> in, std::span<uint8_t> out) noexcept;

// Undoes horizontal differencing on `rows` (whole rows of `rowBytes` bytes):
// each sample becomes the sum, modulo 2^bits, of its stored difference and
// the same sample of the pixel to its left. Samples of 8 or 16 bits (16-bit
// samples in the file's byte order, `bigEndian`); `samplesPerPixel` samples
// per pixel, interleaved. Returns false for other sample sizes.
bool UndoHorizontalDifferencing(std::span<uint8_t> rows, std::size_t rowBytes, unsigned samplesPerPixel,
                                unsigned bitsPerSample, bool bigEndian) noexcept;

}  // namespace vellumark::lzw
