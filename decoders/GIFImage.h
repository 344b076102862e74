// TGIFImage: GIF files (GIF87a and GIF89a). A load decodes the first image
// of the file into the decoder's bitmap; AssignTo hands it over.
//
// The whole block structure is read up to the trailer: header, logical
// screen descriptor, global colour table, then images and extensions. Only
// the first image is decoded (LZW, code sizes 2 to 8, interlaced rows put
// back in order); later images are walked over without decoding, and
// extensions are skipped, except that the graphic control extension before
// the first image is read for its transparent colour index.
//
// The bitmap, always 8 bits per pixel:
// - a first image exactly the size of the logical screen is the bitmap as it
//   stands, with its own colour table (the local one when present, else the
//   global one);
// - any other first image is drawn at its position, clipped to the screen,
//   onto a bitmap of the screen's size whose other pixels are index 0, and
//   the palette is the global colour table (the local one when the file has
//   no global table).
// A file with no colour table at all gets a gray ramp over the image's code
// size. Transparent pixels keep their index; the transparent index is
// reported by TransparentIndex() (the import merges it under MergeAlpha).
//
// Tolerated: an LZW stream that stops (end code or end of its data blocks)
// before every pixel is set leaves the rest at index 0; data after the end
// code is skipped. Refused, as GIFException:
//   "Invalid GIF signature"      no "GIF" at byte 0 nor at byte 4
//   "Premature end of data"      the data end before the trailer
//   "No image in GIF file"       the trailer comes before any image
//   "Invalid GIF image size"     a first image or screen of width or height 0
//   "Image is too large"         a logical screen beyond TBMPImage's limits
//                                (checked before anything is allocated; a
//                                first image is only ever decoded row by row
//                                into the screen or into its own bitmap of
//                                the screen's size)
//   "Invalid LZW code size in GIF image"   a code size outside 2 to 8
//   "Corrupt GIF image data"     an LZW code beyond the table
//   "Unknown block in GIF file"  a block that is neither image, extension
//                                nor trailer
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"

namespace vellumark {

class GIFException : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

class TGIFImage {
public:
    // Reads the file; on an error the decoder is left as it was and
    // GIFException is raised.
    void LoadFromStream(std::span<const uint8_t> data);
    // Hands the decoded bitmap over; the decoder's own is left empty.
    void AssignTo(TBMPImage& bitmap);

    // Logical screen and first image as the file describes them.
    uint32_t ScreenWidth() const noexcept { return screenWidth_; }
    uint32_t ScreenHeight() const noexcept { return screenHeight_; }
    // Number of images in the file.
    uint32_t ImageCount() const noexcept { return imageCount_; }
    // The first image's transparent colour index, if its graphic control
    // extension declares one.
    std::optional<uint8_t> TransparentIndex() const noexcept { return transparent_; }

private:
    TBMPImage bitmap_;
    uint32_t screenWidth_ = 0;
    uint32_t screenHeight_ = 0;
    uint32_t imageCount_ = 0;
    std::optional<uint8_t> transparent_;
};

}  // namespace vellumark
