// Group4Encoder: two-dimensional CCITT Group 4 coding (ITU-T T.6, also
// called MMR) of a black-and-white bitmap, as stored in image XObjects with
// the CCITTFaxDecode filter, K -1 and Columns = the image width.
#pragma once

#include <string>

#include "decoders/BMPImage.h"

namespace vellumark {

// Encodes a bitmap of 1 bit per pixel, rows from the top. A pixel bit of 1
// is white and 0 is black; the palette is not consulted (a caller whose
// palette lists the lighter colour first inverts the bits before).
//
// The result is T.6 code: the rows against an imaginary all-white first
// reference row, no EOL codes between rows and no row alignment, then the
// end-of-facsimile-block code (two EOLs); bits most significant first, the
// last byte padded with 0 bits. An image without pixels (width or height 0)
// gives the end-of-facsimile-block code alone.
//
// Where T.6 leaves the choice between coding modes open, the encoder takes
// pass mode when b2 lies left of a1, else vertical mode when a1 is within 3
// of b1, else horizontal mode; when the reference row has no changing
// element for b1 and its last pixel is of the opposite colour, b1 counts as
// width + 10, which leads to horizontal mode.
//
// Raises std::invalid_argument when the bitmap does not have 1 bit per pixel
// (or its pixel buffer is shorter than its rows), std::length_error when the
// output size cannot be represented, std::bad_alloc when memory runs out.
std::string EncodeGroup4(const TBMPImage& bitmap);

}  // namespace vellumark
