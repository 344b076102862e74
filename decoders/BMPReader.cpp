#include "decoders/BMPReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "base/ByteReader.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"

namespace vellumark::bmp {

namespace {

constexpr const char* kInvalid = "Bitmap image is not valid";

[[noreturn]] void Invalid() { throw EInvalidGraphic(kInvalid); }
[[noreturn]] void Unsupported() { throw EInvalidGraphic("Unsupported bitmap format"); }
[[noreturn]] void TooLarge() { throw EInvalidGraphic("Image is too large"); }

// Compression codes of the information header.
constexpr uint32_t kBiRGB = 0;
constexpr uint32_t kBiRLE8 = 1;
constexpr uint32_t kBiRLE4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
// Headers of at least this size hold the red, green and blue masks at byte 40.
constexpr uint32_t kHeaderWithMasks = 52;

// Colour table entries beyond this count make no sense for any bit depth.
constexpr uint64_t kMaxTableEntries = 65536;

// What the information header says, with the masks wherever they were stored.
struct TInfoHeader {
    uint32_t size = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = kBiRGB;
    uint32_t sizeImage = 0;
    uint32_t xPelsPerMeter = 0;
    uint32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    std::array<uint32_t, 3> masks{};  // red, green, blue
    // Bytes of the colour table entries: 3 after a core header, else 4.
    std::size_t entrySize = 4;
    // Offset of the colour table from the start of the information header:
    // after the header and the masks stored behind it.
    uint64_t tableStart = 0;
    // Entries the colour table occupies, and how many of them are the palette.
    uint64_t tableEntries = 0;
    uint64_t paletteEntries = 0;

    uint64_t TableEnd() const noexcept { return tableStart + tableEntries * entrySize; }
};

// Reads and checks the information header at the start of `dib`, and the
// masks that may follow it.
TInfoHeader ReadInfoHeader(std::span<const uint8_t> dib) {
    const TByteReader in(dib, kInvalid);
    TInfoHeader h;
    h.size = in.U32LE(0);
    const bool core = h.size == kCoreHeaderSize;
    // OS/2 2.x headers have 2 and 4-byte fields and may end after any of them.
    const bool os2 = h.size >= 16 && h.size <= 64 && h.size % 2 == 0;
    if (!core && !os2 && h.size != kV4HeaderSize && h.size != kV5HeaderSize) Unsupported();
    if (dib.size() < h.size) Invalid();

    int64_t width = 0;
    int64_t height = 0;
    if (core) {
        width = in.U16LE(4);
        height = in.U16LE(6);
        h.bitCount = in.U16LE(10);
        h.entrySize = 3;
    } else {
        width = static_cast<int32_t>(in.U32LE(4));
        height = static_cast<int32_t>(in.U32LE(8));
        h.bitCount = in.U16LE(14);
        // OS/2 2.x headers may end early; the fields they leave out are 0.
        auto field = [&](std::size_t at) { return h.size >= at + 4 ? in.U32LE(at) : 0u; };
        h.compression = field(16);
        h.sizeImage = field(20);
        h.xPelsPerMeter = field(24);
        h.yPelsPerMeter = field(28);
        h.clrUsed = field(32);
    }
    if (width <= 0 || height == 0) Invalid();
    h.topDown = height < 0;
    const int64_t rows = height < 0 ? -height : height;
    if (width > TBMPImage::kMaxDimension || rows > TBMPImage::kMaxDimension) TooLarge();
    h.width = static_cast<uint32_t>(width);
    h.height = static_cast<uint32_t>(rows);

    switch (h.bitCount) {
        case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
        default: Unsupported();
    }
    const bool bitfields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    switch (h.compression) {
        case kBiRGB: break;
        case kBiRLE8: if (h.bitCount != 8) Unsupported(); break;
        case kBiRLE4: if (h.bitCount != 4) Unsupported(); break;
        case kBiBitfields:
        case kBiAlphaBitfields: if (h.bitCount != 16 && h.bitCount != 32) Unsupported(); break;
        default: Unsupported();
    }

    // Masks: inside headers of 52 bytes and more, else right behind the
    // header (three, or four with the alpha mask).
    h.tableStart = h.size;
    if (bitfields) {
        const std::size_t at = h.size >= kHeaderWithMasks ? kInfoHeaderSize : h.size;
        for (std::size_t i = 0; i < 3; ++i) h.masks[i] = in.U32LE(at + 4 * i);
        if (h.size < kHeaderWithMasks) {
            const std::size_t count = h.compression == kBiAlphaBitfields ? 4 : 3;
            if (dib.size() - h.size < 4 * count) Invalid();  // the alpha mask is not used
            h.tableStart += 4 * count;
        }
    } else if (h.bitCount == 16) {
        h.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (h.bitCount == 32) {
        h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    }

    // The colour table: the palette of 1 to 8-bit bitmaps (clrUsed entries,
    // or all of them when 0); an optional table that only takes up room for
    // deeper ones.
    const uint64_t full = h.bitCount <= 8 ? uint64_t{1} << h.bitCount : 0;
    h.tableEntries = (h.clrUsed != 0 && !core) ? h.clrUsed : full;
    if (h.tableEntries > kMaxTableEntries) Invalid();
    h.paletteEntries = std::min(h.tableEntries, full);
    return h;
}

// The part of the data from `offset` on; an offset past the end is an error.
std::span<const uint8_t> Tail(std::span<const uint8_t> d, uint64_t offset) {
    if (offset > d.size()) Invalid();
    return d.subspan(static_cast<std::size_t>(offset));
}

std::vector<TPaletteEntry> ReadPalette(std::span<const uint8_t> table, const TInfoHeader& h, uint64_t entries) {
    std::vector<TPaletteEntry> palette;
    palette.reserve(static_cast<std::size_t>(entries));
    for (uint64_t i = 0; i < entries; ++i) {
        const uint64_t at = i * h.entrySize;
        if (at + 3 > table.size()) Invalid();
        palette.push_back(TPaletteEntry{table[at + 2], table[at + 1], table[at]});
    }
    return palette;
}

// One colour channel of 16 and 32-bit pixels: its mask and the scale of its
// values to 8 bits.
class TChannel {
public:
    explicit TChannel(uint32_t mask) : mask_(mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        bits_ = std::bit_width(mask >> shift_);
        if (bits_ <= 8) {
            const uint32_t max = (1u << bits_) - 1;
            for (uint32_t v = 0; v <= max; ++v) scale_[v] = static_cast<uint8_t>((v * 255 + max / 2) / max);
        }
    }
    uint8_t operator()(uint32_t pixel) const noexcept {
        const uint32_t v = (pixel & mask_) >> shift_;
        return bits_ > 8 ? static_cast<uint8_t>(v >> (bits_ - 8)) : scale_[v];
    }

private:
    uint32_t mask_ = 0;
    int shift_ = 0;
    int bits_ = 0;
    std::array<uint8_t, 256> scale_{};
};

uint8_t OutputBitsPerPixel(const TInfoHeader& h) noexcept {
    switch (h.bitCount) {
        case 1: return 1;
        case 2: case 4: return 4;
        case 8: return 8;
        default: return 24;
    }
}

// The image row that the n-th stored row fills.
uint32_t ImageRow(const TInfoHeader& h, uint32_t stored) noexcept {
    return h.topDown ? stored : h.height - 1 - stored;
}

// Clears the bits of the last byte that lie beyond the row's last pixel.
void ClearTrailingBits(uint8_t* row, const TBMPImage& image) noexcept {
    const uint64_t bits = uint64_t{image.Width()} * image.BitsPerPixel();
    const unsigned used = static_cast<unsigned>(bits % 8);
    if (used != 0) row[image.RowBytes() - 1] &= static_cast<uint8_t>(0xFF00u >> used);
}

void DecodeUncompressed(std::span<const uint8_t> pixels, const TInfoHeader& h, TBMPImage& image) {
    const uint64_t rowBits = uint64_t{h.width} * h.bitCount;
    const uint64_t stride = (rowBits + 31) / 32 * 4;
    const uint64_t used = (rowBits + 7) / 8;
    // The last row may lack its padding; everything else must be there.
    if (pixels.size() < stride * (h.height - 1) + used) Invalid();

    image.SetSize(h.width, h.height, OutputBitsPerPixel(h));
    const std::array<TChannel, 3> ch{TChannel(h.masks[0]), TChannel(h.masks[1]), TChannel(h.masks[2])};
    for (uint32_t y = 0; y < h.height; ++y) {
        const uint8_t* src = pixels.data() + y * stride;
        uint8_t* dst = image.Row(ImageRow(h, y));
        switch (h.bitCount) {
            case 1: case 4: case 8: case 24:
                std::memcpy(dst, src, image.RowBytes());
                if (h.bitCount < 8) ClearTrailingBits(dst, image);
                break;
            case 2:
                for (uint32_t x = 0; x < h.width; ++x) {
                    const uint8_t v = (src[x / 4] >> (6 - 2 * (x % 4))) & 3;
                    dst[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? v << 4 : v);
                }
                break;
            case 16:
                for (uint32_t x = 0; x < h.width; ++x, src += 2, dst += 3) {
                    const uint32_t v = static_cast<uint32_t>(src[0] | (src[1] << 8));
                    dst[0] = ch[2](v);
                    dst[1] = ch[1](v);
                    dst[2] = ch[0](v);
                }
                break;
            case 32:
                for (uint32_t x = 0; x < h.width; ++x, src += 4, dst += 3) {
                    const uint32_t v = static_cast<uint32_t>(src[0]) | (static_cast<uint32_t>(src[1]) << 8) |
                                       (static_cast<uint32_t>(src[2]) << 16) | (static_cast<uint32_t>(src[3]) << 24);
                    dst[0] = ch[2](v);
                    dst[1] = ch[1](v);
                    dst[2] = ch[0](v);
                }
                break;
        }
    }
}

// RLE8 and RLE4: runs of one value (a count, then the value; RLE4 values
// hold two pixels that alternate, high nibble first) and escapes after a 0
// count: 0 end of line, 1 end of bitmap, 2 a move right and up by the next
// two bytes, 3 and more that many pixels stored as they are, padded to an
// even number of bytes. Pixels beyond the end of a row are dropped; a move or
// a line past the last row ends the bitmap, and so does the end of the data.
// A run or escape cut short by the end of the data is an error.
void DecodeRunLength(std::span<const uint8_t> data, const TInfoHeader& h, TBMPImage& image) {
    image.SetSize(h.width, h.height, h.compression == kBiRLE8 ? 8 : 4);
    const bool rle8 = h.compression == kBiRLE8;
    uint32_t x = 0;
    uint32_t y = 0;  // stored row, counted from the first stored row
    auto put = [&](uint8_t value) {
        if (x < h.width) {
            uint8_t* row = image.Row(ImageRow(h, y));
            if (rle8)
                row[x] = value;
            else if (x % 2 == 0)
                row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0x0F) | (value << 4));
            else
                row[x / 2] = static_cast<uint8_t>((row[x / 2] & 0xF0) | value);
            ++x;
        }
    };

    std::size_t pos = 0;
    while (pos < data.size()) {
        if (data.size() - pos < 2) Invalid();
        const uint8_t count = data[pos];
        const uint8_t value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < h.width; ++i)
                put(rle8 ? value : static_cast<uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F));
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            if (++y >= h.height) return;
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // move
            if (data.size() - pos < 2) Invalid();
            x = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{x} + data[pos], h.width));
            const uint64_t next = uint64_t{y} + data[pos + 1];
            pos += 2;
            if (next >= h.height) return;
            y = static_cast<uint32_t>(next);
        } else {  // pixels as they are
            const std::size_t bytes = rle8 ? value : (value + 1u) / 2;
            if (data.size() - pos < bytes) Invalid();
            for (unsigned i = 0; i < value && x < h.width; ++i) {
                const uint8_t b = data[pos + (rle8 ? i : i / 2)];
                put(rle8 ? b : static_cast<uint8_t>(i % 2 == 0 ? b >> 4 : b & 0x0F));
            }
            // The padding byte may be missing at the very end of the data.
            pos += std::min(bytes + bytes % 2, data.size() - pos);
        }
    }
}

// Decodes the pixels that start at `pixels` as the header describes them.
void DecodePixels(std::span<const uint8_t> pixels, const TInfoHeader& h, TBMPImage& image) {
    if (h.compression == kBiRLE8 || h.compression == kBiRLE4) {
        // The compressed size, when stated and present, bounds the data.
        if (h.sizeImage != 0 && h.sizeImage < pixels.size()) pixels = pixels.first(h.sizeImage);
        DecodeRunLength(pixels, h, image);
    } else {
        DecodeUncompressed(pixels, h, image);
    }
}

}  // namespace

void ReadBitmapFile(std::span<const uint8_t> data, TBMPImage& image) {
    if (data.size() < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') Invalid();
    const uint32_t offBits = TByteReader(data, kInvalid).U32LE(10);
    const std::span<const uint8_t> dib = data.subspan(kFileHeaderSize);
    const TInfoHeader h = ReadInfoHeader(dib);

    // The pixels start at bfOffBits when it lies between the end of the
    // header (with its masks) and the end of the file. The colour table then
    // ends there at the latest, so a table cut short by bfOffBits gives a
    // shorter palette. Otherwise the pixels follow the whole colour table;
    // so they do when bfOffBits leaves a palette bitmap no room for any
    // colour at all (writers that forget to count the table).
    uint64_t paletteEntries = h.paletteEntries;
    uint64_t pixelStart = 0;
    const bool noRoomForPalette = h.paletteEntries > 0 && offBits == kFileHeaderSize + h.tableStart;
    if (offBits >= kFileHeaderSize + h.tableStart && offBits < data.size() && !noRoomForPalette) {
        pixelStart = offBits - kFileHeaderSize;
        paletteEntries = std::min(paletteEntries, (pixelStart - h.tableStart) / h.entrySize);
    } else {
        pixelStart = h.TableEnd();
    }
    std::vector<TPaletteEntry> palette = ReadPalette(Tail(dib, h.tableStart), h, paletteEntries);
    DecodePixels(Tail(dib, pixelStart), h, image);
    image.Palette() = std::move(palette);
    image.XPelsPerMeter = h.xPelsPerMeter;
    image.YPelsPerMeter = h.yPelsPerMeter;
}

void ReadPackedDIB(std::span<const uint8_t> data, TBMPImage& image) {
    const TInfoHeader h = ReadInfoHeader(data);
    const uint64_t pixelStart = h.TableEnd();
    std::vector<TPaletteEntry> palette = ReadPalette(Tail(data, h.tableStart), h, h.paletteEntries);
    DecodePixels(Tail(data, pixelStart), h, image);
    image.Palette() = std::move(palette);
    // Two-colour bitmaps whose first colour has full red are shown in black
    // and white, black first; the bits stay as they are.
    if (h.bitCount == 1 && !image.Palette().empty() && image.Palette()[0].Red == 255)
        image.Palette() = {TPaletteEntry{0, 0, 0}, TPaletteEntry{255, 255, 255}};
    image.XPelsPerMeter = h.xPelsPerMeter;
    image.YPelsPerMeter = h.yPelsPerMeter;
}

}  // namespace vellumark::bmp
