#include "decoders/BMPImage.h"

#include <utility>

#include "base/InvalidGraphic.h"
#include "decoders/BMPReader.h"

namespace vellumark {

void TBMPImage::SetSize(uint32_t width, uint32_t height, uint8_t bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1: case 4: case 8: case 24: case 32: break;
        default: throw EInvalidGraphic("Unsupported pixel format");
    }
    if (width > kMaxDimension || height > kMaxDimension) throw EInvalidGraphic("Image is too large");
    // Both factors are at most 2^20 and a row at most 2^22 bytes, so the
    // products below fit in 64 bits.
    const uint64_t rowBytes = (uint64_t{width} * bitsPerPixel + 7) / 8;
    const uint64_t total = rowBytes * height;
    if (total > kMaxBytes) throw EInvalidGraphic("Image is too large");

    std::vector<uint8_t> pixels(static_cast<std::size_t>(total));  // may throw; nothing changed yet
    pixels_ = std::move(pixels);
    palette_.clear();
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    rowBytes_ = static_cast<std::size_t>(rowBytes);
}

uint8_t TBMPImage::IndexAt(uint32_t x, uint32_t y) const noexcept {
    if (x >= width_ || y >= height_) return 0;
    const uint8_t* row = Row(y);
    switch (bitsPerPixel_) {
        case 1: return static_cast<uint8_t>((row[x / 8] >> (7 - x % 8)) & 1);
        case 4: return static_cast<uint8_t>(x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
        case 8: return row[x];
        default: return 0;
    }
}

void TBMPImage::ConvertTo24Bit() {
    if (bitsPerPixel_ == 24) return;
    TBMPImage out;
    out.SetSize(width_, height_, 24);
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* src = Row(y);
        uint8_t* dst = out.Row(y);
        for (uint32_t x = 0; x < width_; ++x, dst += 3) {
            if (bitsPerPixel_ == 32) {
                dst[0] = src[4 * x];
                dst[1] = src[4 * x + 1];
                dst[2] = src[4 * x + 2];
            } else {
                const TPaletteEntry c = PaletteAt(IndexAt(x, y));
                dst[0] = c.Blue;
                dst[1] = c.Green;
                dst[2] = c.Red;
            }
        }
    }
    pixels_ = std::move(out.pixels_);
    palette_.clear();
    bitsPerPixel_ = 24;
    rowBytes_ = out.rowBytes_;
}

void TBMPImage::LoadFromStream(std::span<const uint8_t> data) {
    // Decoded into a new bitmap first, so that a failure leaves this one as it was.
    TBMPImage image;
    bmp::ReadBitmapFile(data, image);
    *this = std::move(image);
}

void TBMPImage::LoadPackedDIB(std::span<const uint8_t> data) {
    TBMPImage image;
    bmp::ReadPackedDIB(data, image);
    *this = std::move(image);
}

}  // namespace vellumark
