#include "decoders/WBMPImage.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/InvalidGraphic.h"

namespace vellumark {

namespace {

[[noreturn]] void Refuse() { throw EInvalidGraphic("Error reading WBMP file."); }

constexpr int kMaxIntegerBytes = 5;

// Reads a multi-byte integer at `pos`, moving `pos` past it. A header cut
// short is refused.
uint64_t ReadInteger(std::span<const uint8_t> data, std::size_t& pos) {
    uint64_t value = 0;
    for (int i = 0; i < kMaxIntegerBytes; ++i) {
        if (pos >= data.size()) Refuse();
        const uint8_t b = data[pos++];
        value = (value << 7) | (b & 0x7F);
        if ((b & 0x80) == 0) return value;
    }
    return 0;  // five continuation bytes
}

}  // namespace

void TWBMPImage::LoadFromStream(std::span<const uint8_t> data) {
    std::size_t pos = 0;
    if (data.size() < 2 || data[0] != 0 || (data[1] & 0x80) != 0) Refuse();
    pos = 2;
    const uint64_t width = ReadInteger(data, pos);
    const uint64_t height = ReadInteger(data, pos);
    if (width == 0 || height == 0) Refuse();
    if (width > TBMPImage::kMaxDimension || height > TBMPImage::kMaxDimension) Refuse();
    const uint64_t rowBytes = (width + 7) / 8;  // both sizes at most 2^20: no overflow
    if (rowBytes * height > TBMPImage::kMaxBytes) Refuse();

    TBMPImage image;
    image.SetSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 1);
    image.Palette() = {TPaletteEntry{0, 0, 0}, TPaletteEntry{255, 255, 255}};

    // The new bitmap is all 0 (black): rows the data do not reach stay so.
    const std::span<const uint8_t> rows = data.subspan(pos);
    const std::size_t stride = image.RowBytes();
    const uint8_t lastMask = static_cast<uint8_t>(0xFF00u >> (width % 8 == 0 ? 8 : width % 8));
    for (uint32_t y = 0; y < image.Height(); ++y) {
        const uint64_t start = uint64_t{y} * stride;
        if (start >= rows.size()) break;
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(stride, rows.size() - start));
        uint8_t* row = image.Row(y);
        std::memcpy(row, rows.data() + start, n);
        row[stride - 1] &= lastMask;  // bits beyond the width are 0
    }
    bitmap_ = std::move(image);
}

void TWBMPImage::AssignTo(TBMPImage& bitmap) { bitmap = std::move(bitmap_); }

}  // namespace vellumark
