// Readers for Windows bitmaps: bitmap files ("BM" file header, then an
// information header, a colour table and the pixels) and packed
// device-independent bitmaps (the same without the file header, as a global
// memory handle or the clipboard holds them).
//
// Accepted: the 12-byte core header (OS/2 1.x, 3-byte colour table entries),
// information headers of an even size from 16 to 64 bytes (40 is the
// common one; 52 and 56 carry the colour masks; OS/2 2.x headers may be cut
// short after any field, missing fields reading 0), and the 108 and 124-byte V4 and V5
// headers; 1, 2, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, RLE8,
// RLE4 and bit-field (BI_BITFIELDS, BI_ALPHABITFIELDS) data; rows stored
// bottom-up (positive height) or top-down (negative height).
//
// What the reader delivers:
//   1, 4, 8 bits      as they are, with the colour table as the palette; the
//                     palette keeps the length of the table (entries beyond
//                     it read as black)
//   2 bits            widened to 4 bits, same palette
//   RLE8, RLE4        8 and 4 bits; pixels the data never reaches are index 0
//   16, 32 bits       24 bits; each channel scaled from its mask's width to
//                     8 bits (5-5-5 for 16 and 8-8-8 for 32 bits without masks);
//                     alpha is dropped
//   24 bits           as it is
// The unused low bits of the last byte of a 1 or 4-bit row are 0. The pixels
// per metre come from the information header (0 for the core header).
//
// Bitmap data is untrusted: every read is checked against the end of the
// data, sizes are computed in 64 bits and checked against TBMPImage's limits
// before anything is allocated, and uncompressed pixel data must be complete
// (only the padding of the last row may be missing). Failures raise
// EInvalidGraphic: "Bitmap image is not valid", "Unsupported bitmap format"
// or "Image is too large".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vellumark {

class TBMPImage;

namespace bmp {

// The size of the file header that precedes the information header in a file.
inline constexpr std::size_t kFileHeaderSize = 14;

// Decodes a bitmap file into `image`, which should be new (0 x 0).
void ReadBitmapFile(std::span<const uint8_t> data, TBMPImage& image);

// Decodes a packed device-independent bitmap into `image`, which should be
// new. The pixels follow the colour table (and, for bit-field data with an
// information header shorter than 52 bytes, the masks). A 1-bit bitmap whose
// first colour table entry has a red of 255 gets the palette black, white in
// place of its own; its pixel bits are left as they are.
void ReadPackedDIB(std::span<const uint8_t> data, TBMPImage& image);

}  // namespace bmp
}  // namespace vellumark
