// TWBMPImage: wireless bitmaps (WBMP, type 0). A load decodes the image into
// the decoder's bitmap; AssignTo hands it over.
//
// Layout: a type byte (0), a fixed header byte whose top bit is 0 (extension
// headers are not supported), the width and the height as multi-byte
// integers, then one row per line of ceil(width / 8) bytes, one bit per
// pixel, the most significant bit first, 0 black and 1 white.
//
// A multi-byte integer is a run of bytes in which every byte but the last
// has its top bit set; the low 7 bits of each make up the value, the first
// byte the most significant. At most five bytes are read: when all five have
// their top bit set the value is 0 (and so refused as a size).
//
// The bitmap is 1 bit per pixel with the palette black (0), white (1), so
// the stored bits are the pixel values. Data that end before the last row
// is complete leave the remaining pixels black. The bitmap carries no
// resolution.
//
// Every refusal (wrong type or fixed header, a header cut short, a width or
// height of 0 or beyond TBMPImage's limits) raises EInvalidGraphic
// "Error reading WBMP file."; nothing is allocated for a refused size.
#pragma once

#include <cstdint>
#include <span>

#include "decoders/BMPImage.h"

namespace vellumark {

class TWBMPImage {
public:
    void LoadFromStream(std::span<const uint8_t> data);
    // Hands the decoded bitmap over; the decoder's own is left empty.
    void AssignTo(TBMPImage& bitmap);

private:
    TBMPImage bitmap_;
};

}  // namespace vellumark
