#include "decoders/PSDImage.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "base/ByteReader.h"
#include "base/InvalidGraphic.h"
#include "decoders/PackBits.h"

namespace vellumark {

namespace {

constexpr const char* kInvalidFile = "Invalid PSD File";
constexpr const char* kInvalidData = "Invalid data in PSD File";
constexpr const char* kUnsupported = "Unsupported data format in PSD file";
constexpr const char* kCorrupt = "Image data corrupt in PSD File";

constexpr uint32_t kMaxSide = 30000;
constexpr uint16_t kMaxChannels = 24;

enum : uint16_t {
    kModeBitmap = 0,
    kModeGray = 1,
    kModeIndexed = 2,
    kModeRGB = 3,
    kModeCMYK = 4,
    kModeMultichannel = 7,
    kModeDuotone = 8,
    kModeLab = 9,
};

// 16.16 fixed point to whole dots: the integer part, plus one when the
// fraction is a half or more.
uint32_t FixedToWhole(uint32_t v) { return (v >> 16) + ((v >> 15) & 1u); }

// The resolution resource: "8BIM", id 1005, a padded Pascal name, the data
// size, then horizontal resolution (16.16), two units, vertical resolution
// (16.16), two units. The first match decides; anything out of place gives 0.
void ReadResolution(std::span<const uint8_t> block, uint32_t& x, uint32_t& y) noexcept {
    x = y = 0;
    static constexpr uint8_t kKey[6] = {'8', 'B', 'I', 'M', 0x03, 0xED};
    const auto at = std::search(block.begin(), block.end(), std::begin(kKey), std::end(kKey));
    if (at == block.end()) return;
    std::size_t pos = static_cast<std::size_t>(at - block.begin()) + sizeof kKey;
    if (pos >= block.size()) return;
    pos += (std::size_t{block[pos]} + 2) & ~std::size_t{1};  // length byte and name, padded to even
    if (pos > block.size() || block.size() - pos < 4) return;
    const uint32_t size = LoadU32BE(&block[pos]);
    pos += 4;
    if (size < 16 || block.size() - pos < 16) return;
    x = FixedToWhole(LoadU32BE(&block[pos]));
    y = FixedToWhole(LoadU32BE(&block[pos + 8]));
}

// The channels a mode draws.
std::size_t UsedChannels(uint16_t mode) {
    switch (mode) {
        case kModeRGB: return 3;
        case kModeCMYK: return 4;
        default: return 1;
    }
}

// The fewest PackBits bytes that can hold `n` bytes: a two-byte run per 128.
uint64_t MinPacked(uint64_t n) { return (n + 127) / 128 * 2; }

// A 16-bit sample to 8 bits, rounded.
uint8_t Reduce16(uint32_t v) { return static_cast<uint8_t>((v + 128) / 257); }

}  // namespace

void TPSDImage::CheckMode(uint16_t mode, uint16_t channels, uint16_t depth, uint16_t compression) {
    // Depth 8, or 16 uncompressed.
    const bool byteOrRaw16 = depth == 8 || (depth == 16 && compression == 0);
    switch (mode) {
        case kModeBitmap:
            if (channels != 1 || depth != 1) throw EInvalidGraphic(kUnsupported);
            return;
        case kModeGray:
        case kModeDuotone:
            if (channels < 1 || channels > 2 || !byteOrRaw16) throw EInvalidGraphic(kUnsupported);
            return;
        case kModeIndexed:
            if (channels < 1 || depth != 8) throw EInvalidGraphic(kUnsupported);
            return;
        case kModeRGB:
            if (channels < 3 || !byteOrRaw16) throw EInvalidGraphic(kUnsupported);
            return;
        case kModeCMYK:
            if (channels < 4 || !byteOrRaw16) throw EInvalidGraphic(kUnsupported);
            return;
        case kModeMultichannel:
            throw EInvalidGraphic("Multichannel mode in PSD file not supported");
        case kModeLab:
            throw EInvalidGraphic("Lab mode in PSD file not supported");
        default:
            throw EInvalidGraphic("Invalid PSD Color Mode");
    }
}

void TPSDImage::LoadFromStream(std::span<const uint8_t> data) {
    bitmap_ = TBMPImage();
    xResolution_ = yResolution_ = 0;

    TByteReader r(data, kInvalidFile);
    const auto signature = r.Take(4);
    if (std::memcmp(signature.data(), "8BPS", 4) != 0) throw EInvalidGraphic(kInvalidFile);
    if (r.ReadU16BE() != 1) throw EInvalidGraphic(kInvalidFile);
    const auto reserved = r.Take(6);
    if (std::any_of(reserved.begin(), reserved.end(), [](uint8_t b) { return b != 0; }))
        throw EInvalidGraphic(kInvalidFile);
    const uint16_t channels = r.ReadU16BE();
    const uint32_t height = r.ReadU32BE();
    const uint32_t width = r.ReadU32BE();
    const uint16_t depth = r.ReadU16BE();
    const uint16_t mode = r.ReadU16BE();
    if (channels < 1 || channels > kMaxChannels || height < 1 || height > kMaxSide || width < 1 ||
        width > kMaxSide || (depth != 1 && depth != 8 && depth != 16) || !(mode <= 4 || (mode >= 7 && mode <= 9)))
        throw EInvalidGraphic(kInvalidFile);

    r.SetShortRead(kCorrupt);
    const auto colourModeData = r.Take(r.ReadU32BE());
    uint32_t xRes = 0, yRes = 0;
    ReadResolution(r.Take(r.ReadU32BE()), xRes, yRes);
    r.Take(r.ReadU32BE());  // layers and masks
    const uint16_t compression = r.ReadU16BE();
    if (compression > 1) throw EInvalidGraphic(kInvalidData);
    CheckMode(mode, channels, depth, compression);

    const std::size_t used = UsedChannels(mode);
    const uint64_t rowBytes = (uint64_t{width} * depth + 7) / 8;

    // Where each row of each used channel lies, and how many bytes it has.
    // All of it is checked against the data before the bitmap is made.
    std::vector<std::span<const uint8_t>> rows(used * height);
    if (compression == 0) {
        const uint64_t plane = rowBytes * height;
        const auto pixels = r.Take(plane * used);
        for (std::size_t c = 0; c < used; ++c)
            for (uint32_t y = 0; y < height; ++y)
                rows[c * height + y] = pixels.subspan(static_cast<std::size_t>(c * plane + y * rowBytes),
                                                      static_cast<std::size_t>(rowBytes));
    } else {
        const auto counts = r.Take(uint64_t{channels} * height * 2);
        const uint64_t minimum = MinPacked(rowBytes);
        for (std::size_t i = 0; i < used * height; ++i) {
            const uint16_t n = LoadU16BE(&counts[2 * i]);
            if (n < minimum) throw EInvalidGraphic(kCorrupt);  // cannot hold a whole row
            rows[i] = r.Take(n);
        }
    }

    uint8_t format = 24;
    if (mode == kModeBitmap) format = 1;
    else if (mode == kModeGray || mode == kModeDuotone || mode == kModeIndexed) format = 8;
    TBMPImage image;
    image.SetSize(width, height, format);
    auto& palette = image.Palette();
    switch (mode) {
        case kModeBitmap:
            palette = {{255, 255, 255}, {0, 0, 0}};
            break;
        case kModeIndexed:
            if (colourModeData.size() < 768) throw EInvalidGraphic(kCorrupt);
            for (std::size_t i = 0; i < 256; ++i)
                palette.push_back({colourModeData[i], colourModeData[256 + i], colourModeData[512 + i]});
            break;
        case kModeGray:
        case kModeDuotone:
            for (unsigned i = 0; i < 256; ++i)
                palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
            break;
        default:
            break;
    }

    // One decoded row per used channel.
    std::vector<std::vector<uint8_t>> unpacked(used, std::vector<uint8_t>(static_cast<std::size_t>(rowBytes)));
    std::vector<const uint8_t*> in(used);
    for (uint32_t y = 0; y < height; ++y) {
        for (std::size_t c = 0; c < used; ++c) {
            const auto stored = rows[c * height + y];
            if (compression == 0) {
                in[c] = stored.data();
            } else {
                if (UnpackBits(stored, unpacked[c]) != rowBytes) throw EInvalidGraphic(kCorrupt);
                in[c] = unpacked[c].data();
            }
        }
        // Sample x of channel c, reduced to 8 bits.
        auto sample = [&](std::size_t c, uint32_t x) -> uint8_t {
            return depth == 16 ? Reduce16(uint32_t{in[c][2 * x]} << 8 | in[c][2 * x + 1]) : in[c][x];
        };
        uint8_t* out = image.Row(y);
        switch (mode) {
            case kModeBitmap:
                std::memcpy(out, in[0], image.RowBytes());
                if (width % 8 != 0) out[image.RowBytes() - 1] &= static_cast<uint8_t>(0xFF00u >> (width % 8));
                break;
            case kModeGray:
            case kModeDuotone:
            case kModeIndexed:
                for (uint32_t x = 0; x < width; ++x) out[x] = sample(0, x);
                break;
            case kModeRGB:
                for (uint32_t x = 0; x < width; ++x) {
                    out[3 * x] = sample(2, x);
                    out[3 * x + 1] = sample(1, x);
                    out[3 * x + 2] = sample(0, x);
                }
                break;
            case kModeCMYK:
                // Stored inverted: the maximum is no ink, so each colour is
                // the product of its ink's and black's stored values.
                for (uint32_t x = 0; x < width; ++x) {
                    uint32_t v[4];
                    for (std::size_t c = 0; c < 4; ++c)
                        v[c] = depth == 16 ? (uint32_t{in[c][2 * x]} << 8 | in[c][2 * x + 1]) : in[c][x];
                    for (std::size_t c = 0; c < 3; ++c) {
                        const uint8_t value = depth == 16 ? Reduce16((v[c] * v[3] + 32767) / 65535)
                                                          : static_cast<uint8_t>((v[c] * v[3] + 127) / 255);
                        out[3 * x + 2 - c] = value;
                    }
                }
                break;
            default:
                break;
        }
    }

    bitmap_ = std::move(image);
    xResolution_ = xRes;
    yResolution_ = yRes;
}

void TPSDImage::AssignTo(TBMPImage& bitmap) { bitmap = std::move(bitmap_); }

}  // namespace vellumark
