#include "decoders/PCXImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "base/ByteReader.h"
#include "base/InvalidGraphic.h"

namespace vellumark {

namespace {

constexpr const char* kInvalidMessage = "Invalid PCX File";
[[noreturn]] void Invalid() { throw EInvalidGraphic(kInvalidMessage); }
[[noreturn]] void ReadError() { throw EInvalidGraphic("Error reading PCX file."); }

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteOffset = 16;  // 16 entries of red, green, blue
constexpr std::size_t kPalette256Size = 768;
constexpr unsigned kRunFlag = 192;          // bytes from here on are run counts

// The fewest data bytes that can give `count` decoded bytes: runs of 63
// take two bytes each, a single byte one.
uint64_t MinInput(uint64_t count) {
    const uint64_t rest = count % 63;
    return count / 63 * 2 + (rest == 0 ? 0 : rest == 1 ? 1 : 2);
}

// The run-length data as one sequence, decoded one plane line at a time.
class TRunReader {
public:
    explicit TRunReader(std::span<const uint8_t> data) : data_(data) {}

    // Fills `line` completely. A run that goes past its end is cut there; the
    // rest of the run begins the next line.
    void ReadLine(std::span<uint8_t> line) {
        std::size_t n = 0;
        while (n < line.size()) {
            if (pending_ == 0) {
                if (pos_ >= data_.size()) ReadError();
                const uint8_t b = data_[pos_++];
                if (b < kRunFlag) {
                    line[n++] = b;
                    continue;
                }
                if (pos_ >= data_.size()) ReadError();
                pending_ = b - kRunFlag;
                value_ = data_[pos_++];
            }
            const std::size_t take = std::min(pending_, line.size() - n);
            std::memset(line.data() + n, value_, take);
            n += take;
            pending_ -= take;
        }
    }

private:
    std::span<const uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t pending_ = 0;  // bytes of a run still to come
    uint8_t value_ = 0;
};

}  // namespace

void TPCXImage::LoadFromStream(std::span<const uint8_t> data) {
    bitmap_ = TBMPImage();
    xPelsPerMeter_ = yPelsPerMeter_ = 0;
    if (data.size() <= kHeaderSize) Invalid();

    const TByteReader header(data, kInvalidMessage);
    const uint8_t version = data[1];
    const uint8_t encoding = data[2];
    const uint8_t bits = data[3];
    const uint16_t xMin = header.U16LE(4);
    const uint16_t yMin = header.U16LE(6);
    const uint16_t xMax = header.U16LE(8);
    const uint16_t yMax = header.U16LE(10);
    const uint16_t xDpi = header.U16LE(12);
    const uint16_t yDpi = header.U16LE(14);
    const uint8_t planes = data[65];
    const uint16_t lineBytes = header.U16LE(66);
    if (encoding != 1 || bits > 8 || xMax < xMin || yMax < yMin) Invalid();
    if (version > 5) Invalid();

    const uint32_t width = uint32_t{xMax} - xMin + 1;
    const uint32_t height = uint32_t{yMax} - yMin + 1;

    // The bitmap each supported combination gives; 0 for the others.
    uint8_t format = 0;
    if (bits == 8 && planes == 1) format = 8;
    else if (bits == 8 && planes == 3) format = 24;
    else if (bits == 1 && planes == 4) format = 4;
    else if (bits == 1 && planes == 1) format = 1;

    // A bitmap that cannot be made is refused before anything is allocated.
    const uint64_t rowBytes = (uint64_t{width} * std::max<uint8_t>(format, 1) + 7) / 8;
    if (width > TBMPImage::kMaxDimension || height > TBMPImage::kMaxDimension ||
        rowBytes * height > TBMPImage::kMaxBytes)
        Invalid();
    if (format == 0) ReadError();

    // The 256-colour palette takes the last 768 bytes; the rows end before it.
    std::span<const uint8_t> runs = data.subspan(kHeaderSize);
    if (format == 8) {
        if (data.size() < kHeaderSize + kPalette256Size) ReadError();
        runs = data.subspan(kHeaderSize, data.size() - kHeaderSize - kPalette256Size);
    }
    // Data too short to fill every line can be refused before the bitmap is
    // made: this keeps a small file from reserving a large image.
    if (MinInput(uint64_t{height} * planes * lineBytes) > runs.size()) ReadError();

    TBMPImage image;
    image.SetSize(width, height, format);
    auto& palette = image.Palette();
    if (format == 8) {
        const std::span<const uint8_t> p = data.last(kPalette256Size);
        for (std::size_t i = 0; i < 256; ++i) palette.push_back({p[3 * i], p[3 * i + 1], p[3 * i + 2]});
    } else if (format == 4 || format == 1) {
        const std::span<const uint8_t> p = data.subspan(kPaletteOffset, 48);
        const std::size_t entries = format == 4 ? 16 : 2;
        for (std::size_t i = 0; i < entries; ++i) palette.push_back({p[3 * i], p[3 * i + 1], p[3 * i + 2]});
        // Many writers leave the palette of monochrome files empty (all
        // zeros) or give both entries one colour; such a file is meant as
        // black and white, not as black on black.
        if (format == 1 && palette[0] == palette[1]) palette = {{0, 0, 0}, {255, 255, 255}};
    }

    TRunReader reader(runs);
    std::vector<uint8_t> buffer(std::size_t{planes} * lineBytes);
    std::array<const uint8_t*, 4> plane{};
    for (std::size_t k = 0; k < planes; ++k) plane[k] = buffer.data() + k * lineBytes;
    // Pixels that the bytes per line hold.
    const uint32_t byteCover = std::min<uint32_t>(width, lineBytes);
    const uint32_t bitCover = std::min<uint32_t>(width, uint32_t{lineBytes} * 8);

    for (uint32_t y = 0; y < height; ++y) {
        for (std::size_t k = 0; k < planes; ++k)
            reader.ReadLine(std::span<uint8_t>(buffer).subspan(k * lineBytes, lineBytes));
        uint8_t* row = image.Row(y);
        switch (format) {
            case 8:
                if (byteCover != 0) std::memcpy(row, plane[0], byteCover);
                break;
            case 24:
                for (uint32_t x = 0; x < byteCover; ++x) {
                    row[3 * x] = plane[2][x];
                    row[3 * x + 1] = plane[1][x];
                    row[3 * x + 2] = plane[0][x];
                }
                break;
            case 4:
                for (uint32_t x = 0; x < bitCover; ++x) {
                    const unsigned shift = 7 - x % 8;
                    unsigned index = 0;
                    for (unsigned k = 0; k < 4; ++k) index |= ((plane[k][x / 8] >> shift) & 1u) << k;
                    row[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
                }
                break;
            case 1: {
                const std::size_t n = std::min<std::size_t>(image.RowBytes(), lineBytes);
                if (n == 0) break;
                std::memcpy(row, plane[0], n);
                // Bits past the last pixel of the row stay 0.
                if (width % 8 != 0 && n == image.RowBytes())
                    row[n - 1] &= static_cast<uint8_t>(0xFF00u >> (width % 8));
                break;
            }
        }
    }

    bitmap_ = std::move(image);
    xPelsPerMeter_ = static_cast<uint32_t>(std::lround(xDpi * 39.37007874));
    yPelsPerMeter_ = static_cast<uint32_t>(std::lround(yDpi * 39.37007874));
}

void TPCXImage::AssignTo(TBMPImage& bitmap) { bitmap = std::move(bitmap_); }

}  // namespace vellumark
