// Decoding of CCITT bilevel data as TIFF stores it: modified Huffman
// (TIFF compression 2), T.4 Group 3 one- and two-dimensional (compression 3)
// and T.6 Group 4 (compression 4).
//
// Output rows are packed one bit per pixel, the leftmost pixel in the most
// significant bit; pixels of white runs are 0 bits and pixels of black runs
// 1 bits (the sample values of a WhiteIsZero image).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vellumark::ccitt {

enum class TScheme : uint8_t {
    ModifiedHuffman,  // rows one-dimensional, each starting on a byte boundary, no EOL codes
    Group3,           // T.4: EOL codes, one- or two-dimensional rows
    Group4,           // T.6: two-dimensional rows, the first referring to a white row
};

struct TDecodeOptions {
    TScheme Scheme = TScheme::Group4;
    uint32_t Width = 0;   // pixels per row
    uint32_t Rows = 0;    // rows to decode
    bool TwoDimensional = false;   // Group 3: T4Options bit 0
    bool ByteAlignedEOL = false;   // Group 3: T4Options bit 2 (fill bits before each EOL)
    bool LeastSignificantBitFirst = false;  // FillOrder 2
};

// Decodes `options.Rows` rows from `data` into `rows`, row r starting at
// rows[r * stride] (stride >= (Width + 7) / 8). Returns false when the data
// cannot be decoded (bad codes, runs past the row's end, data ending before
// the last row); the rows decoded so far are kept. Never reads outside
// `data` or writes outside `rows`.
//
// Group 3 rows may be preceded by any number of 0 fill bits and an EOL code,
// whether or not ByteAlignedEOL is set; the first row may go without its
// EOL (it is then one-dimensional), and in one-dimensional data any row may.
// Whatever follows the last row (RTC, EOFB, padding) is not read. The
// uncompressed mode extension is refused. Bytes past each row's width in a
// stride wider than the row are left as they are.
bool Decode(std::span<const uint8_t> data, const TDecodeOptions& options, std::span<uint8_t> rows,
            std::size_t stride);

}  // namespace vellumark::ccitt
