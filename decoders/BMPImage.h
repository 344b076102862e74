// TBMPImage: the decoded bitmap every image path hands to the conversion:
// width, height, pixel format, palette, rows (row 0 at the top) and the
// resolution in pixels per metre.
//
// Pixel formats: 1, 4 and 8 bits per pixel with a palette; 24 bits (blue,
// green, red per pixel); 32 bits (blue, green, red, alpha). In 1 and 4-bit
// rows the leftmost pixel is in the most significant bits of the first byte.
// Rows are stored top-down, each RowBytes() long, one after another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vellumark {

struct TPaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    bool operator==(const TPaletteEntry&) const = default;
};

class TBMPImage {
public:
    // Limits on what any decoder may make: at most kMaxDimension pixels a
    // side and kMaxBytes bytes of pixels.
    static constexpr uint32_t kMaxDimension = 1u << 20;
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 30;

    TBMPImage() = default;

    // Makes an image of width x height pixels in the given format (1, 4, 8,
    // 24 or 32 bits), all bytes 0, with an empty palette. Raises
    // EInvalidGraphic "Image is too large" beyond the limits, and for
    // another format "Unsupported pixel format".
    void SetSize(uint32_t width, uint32_t height, uint8_t bitsPerPixel);

    uint32_t Width() const noexcept { return width_; }
    uint32_t Height() const noexcept { return height_; }
    uint8_t BitsPerPixel() const noexcept { return bitsPerPixel_; }
    bool Empty() const noexcept { return width_ == 0 || height_ == 0; }
    // Bytes of one row: (width * bitsPerPixel + 7) / 8.
    std::size_t RowBytes() const noexcept { return rowBytes_; }

    uint8_t* Row(uint32_t y) noexcept { return pixels_.data() + y * rowBytes_; }
    const uint8_t* Row(uint32_t y) const noexcept { return pixels_.data() + y * rowBytes_; }
    std::span<uint8_t> Pixels() noexcept { return pixels_; }
    std::span<const uint8_t> Pixels() const noexcept { return pixels_; }

    // The palette of a 1, 4 or 8-bit image (it may be shorter than 2, 16 or
    // 256 entries; missing entries read as black).
    std::vector<TPaletteEntry>& Palette() noexcept { return palette_; }
    const std::vector<TPaletteEntry>& Palette() const noexcept { return palette_; }
    TPaletteEntry PaletteAt(std::size_t i) const noexcept { return i < palette_.size() ? palette_[i] : TPaletteEntry{}; }

    // The value (palette index or 0) of pixel x of row y of a 1, 4 or 8-bit image.
    uint8_t IndexAt(uint32_t x, uint32_t y) const noexcept;

    // Converts any format to 24 bits in place (palette colours looked up,
    // alpha dropped). Nothing happens when it already is 24 bits.
    void ConvertTo24Bit();

    // Loads a Windows bitmap file ("BM" file header, then a packed
    // device-independent bitmap). Raises EInvalidGraphic on data it cannot read.
    void LoadFromStream(std::span<const uint8_t> data);
    // Loads a packed device-independent bitmap: information header, colour
    // table and pixels, as the clipboard holds them.
    void LoadPackedDIB(std::span<const uint8_t> data);

    // Resolution, 0 when unknown.
    uint32_t XPelsPerMeter = 0;
    uint32_t YPelsPerMeter = 0;

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint8_t bitsPerPixel_ = 24;
    std::size_t rowBytes_ = 0;
    std::vector<uint8_t> pixels_;
    std::vector<TPaletteEntry> palette_;
};

}  // namespace vellumark
