// TPSDImage: Photoshop files. A load decodes the merged image into the
// decoder's bitmap; AssignTo hands it over. Layers are skipped.
//
// Layout, all values big endian: a 26-byte header ("8BPS", version 1, six
// zero bytes, channels 1 to 24, height and width 1 to 30000, depth 1, 8 or
// 16, colour mode 0 to 4 or 7 to 9); the colour mode data (the palette of
// indexed images: 256 red, 256 green, 256 blue bytes); the image resources
// (the resolution resource 8BIM 1005 is read from them); the layer and mask
// information (skipped); the image data: compression 0 (raw) or 1
// (PackBits, with a table of 2-byte row byte counts for every row of every
// channel), then the channel planes one after another.
//
// Bitmaps made:
//   bitmap mode (1 channel, depth 1)      -> 1 bit, palette white, black
//                                            (a stored 1 is black);
//   grayscale and duotone (1 or 2 ch.)    -> 8 bits, gray palette;
//   indexed (depth 8)                     -> 8 bits, the file's palette;
//   RGB (3 or more channels)              -> 24 bits;
//   CMYK (4 or more channels)             -> 24 bits.
// Depth 16 is read uncompressed only, each sample reduced to 8 bits by
// rounding (v + 128) / 257. CMYK samples are stored inverted (the maximum is
// no ink); red = c' x k' / max, green = m' x k' / max, blue = y' x k' / max
// over the stored values, rounded. Channels beyond those a mode uses (alpha,
// spot colours) are not drawn.
//
// Errors raise EInvalidGraphic: "Invalid PSD File" for a header that fails a
// check or is cut short; "Invalid data in PSD File" for a compression other
// than 0 or 1; "Unsupported data format in PSD file" for a mode whose
// channels or depth do not fit; "Multichannel mode in PSD file not
// supported"; "Lab mode in PSD file not supported"; "Invalid PSD Color
// Mode"; "Image data corrupt in PSD File" for sections or pixel data that
// end early or cannot be decoded. Errors inside the image resources are not
// raised: the resolution is then 0. A bitmap is made only once the data
// could fill it.
#pragma once

#include <cstdint>
#include <span>

#include "decoders/BMPImage.h"

namespace vellumark {

class TPSDImage {
public:
    void LoadFromStream(std::span<const uint8_t> data);
    // Hands the decoded bitmap over; the decoder's own is left empty.
    void AssignTo(TBMPImage& bitmap);

    // Dots per inch of the resolution resource, 0 when there is none.
    uint32_t XResolution() const noexcept { return xResolution_; }
    uint32_t YResolution() const noexcept { return yResolution_; }

    // Raises the refusal, if any, for a colour mode with its channel count,
    // depth and compression (0 or 1).
    static void CheckMode(uint16_t mode, uint16_t channels, uint16_t depth, uint16_t compression);

private:
    TBMPImage bitmap_;
    uint32_t xResolution_ = 0;
    uint32_t yResolution_ = 0;
};

}  // namespace vellumark
