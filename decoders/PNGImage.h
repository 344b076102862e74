// TqzPNGImage: PNG files. A load checks the signature and every chunk's CRC,
// inflates the image data and unfilters it into a bitmap, and records the
// transparency in an alpha descriptor.
//
// Bitmaps made:
//   grey 1 bit           1 bit per pixel, palette black and white
//   grey 2, 4 bits       4 bits per pixel, 16 grey entries (entry j = 17 j);
//                        a 2-bit sample v is index 5 v (grey 85 v), a 4-bit
//                        sample is its own index
//   grey 8, 16 bits      8 bits per pixel, 256 grey entries
//   grey + alpha         the same 8-bit bitmap, plus an alpha mask
//   RGB 8, 16 bits       24 bits per pixel
//   RGB + alpha          24 bits per pixel, plus an alpha mask
//   palette 1 / 2, 4 / 8 1 / 4 / 8 bits per pixel, palette from PLTE (at most
//                        as many entries as the bitmap can index; indexes
//                        beyond PLTE read as black)
// 16-bit samples are reduced to 8 bits by rounding: (v * 255 + 32767) / 65535.
// The unused low bits of the last byte of a 1 or 4-bit row are 0. No gamma,
// chromaticity, significant-bits or background information is applied.
//
// Chunks: IHDR (first), PLTE (palette images), IDAT, IEND; bKGD, tRNS, pHYs
// and tIME are read; other chunks are skipped when their type begins with a
// lower-case letter and refused otherwise. Nothing after IEND is read.
//
// The image data is untrusted: the size of the decoded image is computed in
// 64 bits from IHDR and checked against TBMPImage's limits, and against what
// the compressed data could possibly hold (deflate expands at most 1032:1),
// before anything is allocated. Image data that ends before the last scan
// line is refused ("Image is not a valid PNG."), as is a damaged zlib stream;
// data beyond the last scan line is ignored.
//
// Errors raise EInvalidGraphic: "Image does not have a valid PNG signature.",
// "Image is not a valid PNG.", "Invalid CRC in PNG image.", "Image is not a
// valid PNG - no image data." or TBMPImage's "Image is too large".
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "decoders/BMPImage.h"

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
    // kMask of a 16-bit grey or RGB image: made from its tRNS key, so every
    // byte is 0 or 255.
    bool KeyMask = false;
    // kGrayKey, kRGBKey: the transparent sample values as stored.
    uint16_t KeyRed = 0, KeyGreen = 0, KeyBlue = 0, KeyGray = 0;
    // kGrayKey: the bitmap's palette index of the key level (the key's bits
    // beyond the bit depth are ignored).
    uint8_t KeyIndex = 0;
    // kPalette: the alpha of each palette entry (entries beyond are opaque).
    std::vector<uint8_t> PaletteAlpha;
};

// The background colour of a bKGD chunk, as stored (recorded, not applied).
struct TPNGBackground {
    bool Present = false;
    uint8_t Index = 0;  // palette images
    uint16_t Gray = 0;  // grey images
    uint16_t Red = 0, Green = 0, Blue = 0;  // RGB images
};

class TqzPNGImage {
public:
    // Decodes the whole image. On an error EInvalidGraphic is raised and the
    // object keeps what it held before.
    void LoadFromStream(std::span<const uint8_t> data);
    // Reads and checks the chunks as LoadFromStream does, with its errors, but
    // does not decode: when the image data can stand in a PDF Flate stream
    // with the PNG predictors as it is (not interlaced, samples of 8 bits or
    // fewer, no alpha channel) and inflates to exactly the image's filtered
    // scan lines, each with a known filter type, with nothing after the end
    // of the zlib stream, answers true and keeps the concatenated IDAT data
    // (ImageData) and the PLTE entries (PaletteEntries); the bitmap stays
    // empty. Otherwise answers false: LoadFromStream decodes such an image
    // and reports what is wrong with it.
    bool LoadCompressed(std::span<const uint8_t> data);
    // The same for a file's bytes that the image may take over, with the
    // choice of the caller: once the chunks are read and checked, `wanted`
    // is shown an image with their information (size, bit depth, colour
    // type, palette, alpha descriptor; no pixels) and answers whether data
    // that can be kept would be. If so, the IDAT data are joined in place
    // at the front of `bytes` and checked as LoadCompressed checks them:
    // when they pass, the answer is true and ImageData holds them, taken
    // over from `bytes`. Otherwise the image is decoded as LoadFromStream
    // decodes it (from the joined data, `bytes` then no longer being the
    // file), with its errors, and the answer is false.
    bool LoadKeepingData(std::string& bytes, const std::function<bool(const TqzPNGImage&)>& wanted);
    const std::string& ImageData() const noexcept { return imageData_; }
    std::string TakeImageData() noexcept { return std::move(imageData_); }
    // Of a palette image, at most as many entries as its bit depth indexes.
    const std::vector<TPaletteEntry>& PaletteEntries() const noexcept { return palette_; }

    // Hands the decoded bitmap over; the decoder's own is left empty.
    void AssignTo(TBMPImage& bitmap);
    const TAlpha& Alpha() const noexcept { return alpha_; }

    // From IHDR.
    uint32_t Width() const noexcept { return width_; }
    uint32_t Height() const noexcept { return height_; }
    uint8_t BitDepth() const noexcept { return bitDepth_; }
    uint8_t ColorType() const noexcept { return colorType_; }
    bool Interlaced() const noexcept { return interlaced_; }
    // From pHYs when its unit is the metre, else 0. They stay here: the
    // bitmap carries no resolution.
    uint32_t XPelsPerMeter() const noexcept { return xPelsPerMeter_; }
    uint32_t YPelsPerMeter() const noexcept { return yPelsPerMeter_; }
    const TPNGBackground& Background() const noexcept { return background_; }

private:
    struct TChunks;
    static TChunks ReadChunks(std::span<const uint8_t> data);
    void Keep(TChunks& chunks);
    // Decodes the image data `idat` (all IDAT data, joined) of the chunks.
    void Decode(TChunks& chunks, std::span<const uint8_t> idat);
    // Whether the image data can stand as they are (before they are checked).
    static bool Keepable(const TChunks& chunks);
    // All IDAT data in one string.
    static void Join(const TChunks& chunks, std::string& joined);
    // All IDAT data in one span: the one chunk's, or joined in `storage`.
    static std::span<const uint8_t> JoinedImageData(const TChunks& chunks, std::string& storage);

    TBMPImage bitmap_;
    std::string imageData_;
    std::vector<TPaletteEntry> palette_;
    TAlpha alpha_;
    TPNGBackground background_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint8_t bitDepth_ = 0;
    uint8_t colorType_ = 0;
    bool interlaced_ = false;
    uint32_t xPelsPerMeter_ = 0;
    uint32_t yPelsPerMeter_ = 0;
};

}  // namespace vellumark
