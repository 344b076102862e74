// TTIFImage: TIFF files. A load reads the header, walks to the selected page
// (PageNumber, 1-based), reads its directory and gathers its strips; AssignTo
// decodes the page into a bitmap. The Group 4 pass-through reads the
// compression, fill order, strip count and strip bytes without decoding.
//
// Errors raise EInvalidGraphic with the reader's messages.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "images/BMPImage.h"

namespace vellumark {

class TTIFImage {
public:
    // The page the next load reads, 1-based.
    int32_t PageNumber = 1;

    void LoadFromStream(std::span<const uint8_t> data);

    uint32_t Width() const noexcept { return width_; }
    uint32_t Height() const noexcept { return height_; }
    // Dots per inch, 0 when unknown.
    uint32_t XResolution() const noexcept { return xResolution_; }
    uint32_t YResolution() const noexcept { return yResolution_; }
    // The Compression tag (1 when absent).
    uint16_t Compression() const noexcept { return compression_; }
    // The PhotometricInterpretation tag (0 when absent).
    uint16_t Photometric() const noexcept { return photometric_; }
    // The FillOrder tag (1 when absent or not 1 or 2).
    uint16_t FillOrder() const noexcept { return fillOrder_; }
    // Strips per image.
    uint32_t StripCount() const noexcept { return stripCount_; }
    // The bytes of all strips, in strip order.
    const std::vector<uint8_t>& StripBytes() const noexcept { return strips_; }

    // Decodes the page into `bitmap` (1, 4, 8 or 24 bits per pixel). The
    // bitmap's pixels per metre are left 0: the resolution is read above.
    void AssignTo(TBMPImage& bitmap) const;

private:
    std::vector<uint8_t> strips_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t xResolution_ = 0;
    uint32_t yResolution_ = 0;
    uint32_t stripCount_ = 0;
    uint16_t compression_ = 1;
    uint16_t photometric_ = 0;
    uint16_t fillOrder_ = 1;
};

}  // namespace vellumark
