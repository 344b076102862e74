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

#include "decoders/BMPImage.h"

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
    // The BitsPerSample values (one value, 1, when the tag is absent).
    const std::vector<uint16_t>& BitsPerSample() const noexcept { return bits_; }
    uint16_t SamplesPerPixel() const noexcept { return samplesPerPixel_; }

    // Decodes the page into `bitmap` (1, 4, 8 or 24 bits per pixel). The
    // bitmap's pixels per metre are left 0: the resolution is read above.
    void AssignTo(TBMPImage& bitmap) const;

private:
    void Reset() noexcept;
    void ReadDirectory(std::span<const uint8_t> data, uint64_t at);
    void ReadStrips(std::span<const uint8_t> data);
    // Strip `index` (planes one after the other) decompressed into `out`.
    void DecodeStrip(std::size_t index, std::span<uint8_t> out, bool bilevel) const;
    void DecodeBilevel(TBMPImage& bitmap) const;
    void DecodeGray(TBMPImage& bitmap) const;
    void DecodePalette(TBMPImage& bitmap) const;
    void DecodeColour(TBMPImage& bitmap, bool cmyk) const;

    std::vector<uint8_t> strips_;
    std::vector<std::size_t> stripStarts_;  // where each strip begins in strips_, and the end
    std::vector<uint32_t> stripOffsets_;
    std::vector<uint32_t> stripByteCounts_;
    std::vector<uint16_t> bits_{1};
    std::vector<uint16_t> colorMap_;
    uint32_t rowsPerStrip_ = UINT32_MAX;
    uint32_t t4Options_ = 0;
    double xResolutionValue_ = 0;
    double yResolutionValue_ = 0;
    bool bigEndian_ = false;
    bool haveWidth_ = false;
    bool haveHeight_ = false;
    bool haveBits_ = false;
    bool havePhotometric_ = false;
    bool haveOffsets_ = false;
    bool haveByteCounts_ = false;
    bool haveInkSet_ = false;
    bool haveNumberOfInks_ = false;
    uint16_t samplesPerPixel_ = 1;
    uint16_t planarConfiguration_ = 1;
    uint16_t resolutionUnit_ = 2;
    uint16_t predictor_ = 1;
    uint16_t inkSet_ = 1;
    uint16_t numberOfInks_ = 4;
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
