// TqzPNGImage: PNG files. A load checks the signature and every chunk's CRC,
// inflates the image data and unfilters it into a bitmap, and records the
// transparency in an alpha descriptor.
//
// Errors raise EInvalidGraphic with the reader's messages.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "images/BMPImage.h"

namespace vellumark {

// The transparency of a PNG image.
struct TAlpha {
    static constexpr int kNone = -1;
    static constexpr int kGrayKey = 0;   // one transparent grey level
    static constexpr int kRGBKey = 3;    // one transparent RGB colour
    static constexpr int kMask = 4;      // a per-pixel alpha mask
    static constexpr int kPalette = 1;   // alpha values per palette entry

    int Kind = kNone;
    // kMask: Width x Height bytes, row by row, 0 transparent, 255 opaque.
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<uint8_t> Mask;
    // kGrayKey, kRGBKey: the transparent sample values as stored.
    uint16_t KeyRed = 0, KeyGreen = 0, KeyBlue = 0, KeyGray = 0;
    // kPalette: the alpha of each palette entry (entries beyond are opaque).
    std::vector<uint8_t> PaletteAlpha;
};

class TqzPNGImage {
public:
    void LoadFromStream(std::span<const uint8_t> data);
    // Hands the decoded bitmap over; the decoder's own is left empty.
    void AssignTo(TBMPImage& bitmap);
    const TAlpha& Alpha() const noexcept { return alpha_; }

private:
    TBMPImage bitmap_;
    TAlpha alpha_;
};

}  // namespace vellumark
