#include "decoders/GIFImage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "base/ByteReader.h"

namespace vellumark {

namespace {

[[noreturn]] void Fail(const char* message) { throw GIFException(message); }
[[noreturn]] void Corrupt() { Fail("Corrupt GIF image data"); }

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr unsigned kMaxCodes = 4096;  // 12-bit codes

// The file's bytes, read checked; the data ending early is "Premature end of data".
TByteReader FileReader(std::span<const uint8_t> data) {
    return TByteReader(data, "Premature end of data", &Raise<GIFException>);
}

// The next data sub-block (empty for the block terminator).
std::span<const uint8_t> SubBlock(TByteReader& in) { return in.Take(in.ReadU8()); }
void SkipSubBlocks(TByteReader& in) {
    while (!SubBlock(in).empty()) {
    }
}

std::vector<TPaletteEntry> ReadColourTable(TByteReader& in, uint8_t sizeBits) {
    const std::size_t entries = std::size_t{2} << sizeBits;
    const auto bytes = in.Take(entries * 3);
    std::vector<TPaletteEntry> table(entries);
    for (std::size_t i = 0; i < entries; ++i) table[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    return table;
}

// A gray ramp for files that carry no colour table at all.
std::vector<TPaletteEntry> GrayRamp(unsigned codeSize) {
    const unsigned n = 1u << codeSize;
    std::vector<TPaletteEntry> table(n);
    for (unsigned i = 0; i < n; ++i) {
        const auto v = static_cast<uint8_t>(i * 255 / (n - 1));
        table[i] = {v, v, v};
    }
    return table;
}

// Decodes an LZW stream (the data sub-blocks joined) into pixel indices, as
// many at a time as the caller asks for. The stream ends at the end code or
// at the end of its data. After 4096 codes the table stays full (and the code
// size 12) until a clear code comes.
class TLZWDecoder {
public:
    TLZWDecoder(std::span<const uint8_t> in, unsigned minCodeSize)
        : in_(in), minCodeSize_(minCodeSize), clear_(1u << minCodeSize) {
        for (unsigned i = 0; i < clear_; ++i) {
            suffix_[i] = first_[i] = static_cast<uint8_t>(i);
            length_[i] = 1;
        }
        Reset();
    }

    // Fills `out`; returns how many pixels were written, fewer than asked
    // only when the stream has ended.
    std::size_t Read(std::span<uint8_t> out) {
        std::size_t done = 0;
        while (done < out.size()) {
            if (pendingPos_ == pendingEnd_ && !DecodeString()) break;
            const std::size_t n = std::min(out.size() - done, pendingEnd_ - pendingPos_);
            std::memcpy(out.data() + done, pending_.data() + pendingPos_, n);
            pendingPos_ += n;
            done += n;
        }
        return done;
    }

private:
    void Reset() {
        codeSize_ = minCodeSize_ + 1;
        next_ = clear_ + 2;
        prev_ = -1;
    }

    bool NextCode(unsigned& code) {
        while (bitCount_ < codeSize_) {
            if (inPos_ >= in_.size()) return false;
            bitBuffer_ |= uint32_t{in_[inPos_++]} << bitCount_;
            bitCount_ += 8;
        }
        code = bitBuffer_ & ((1u << codeSize_) - 1);
        bitBuffer_ >>= codeSize_;
        bitCount_ -= codeSize_;
        return true;
    }

    // Decodes codes up to the next string, which becomes the pending one;
    // false at the end of the stream.
    bool DecodeString() {
        for (;;) {
            if (ended_) return false;
            unsigned code = 0;
            if (!NextCode(code) || code == clear_ + 1) {
                ended_ = true;
                return false;
            }
            if (code == clear_) {
                Reset();
                continue;
            }
            if (prev_ < 0) {
                if (code > clear_) Corrupt();  // only a root can follow a clear
            } else {
                if (code > next_ || (code == next_ && next_ >= kMaxCodes)) Corrupt();
                if (next_ < kMaxCodes) {
                    // The new entry: the previous string and the first byte of
                    // this one (of the previous one when the code is the new
                    // entry itself).
                    prefix_[next_] = static_cast<uint16_t>(prev_);
                    suffix_[next_] = code < next_ ? first_[code] : first_[prev_];
                    first_[next_] = first_[prev_];
                    length_[next_] = static_cast<uint16_t>(length_[prev_] + 1);
                    ++next_;
                    if (next_ == (1u << codeSize_) && codeSize_ < 12) ++codeSize_;
                }
            }
            // The string, written back to front.
            const std::size_t n = length_[code];
            unsigned c = code;
            for (std::size_t i = n; i-- > 0;) {
                pending_[i] = suffix_[c];
                c = prefix_[c];
            }
            pendingPos_ = 0;
            pendingEnd_ = n;
            prev_ = static_cast<int>(code);
            return true;
        }
    }

    std::span<const uint8_t> in_;
    std::size_t inPos_ = 0;
    uint32_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    const unsigned minCodeSize_;
    const unsigned clear_;
    unsigned codeSize_ = 0;
    unsigned next_ = 0;
    int prev_ = -1;
    bool ended_ = false;
    std::array<uint16_t, kMaxCodes> prefix_{};
    std::array<uint8_t, kMaxCodes> suffix_{};
    std::array<uint8_t, kMaxCodes> first_{};
    std::array<uint16_t, kMaxCodes> length_{};
    std::array<uint8_t, kMaxCodes> pending_{};
    std::size_t pendingPos_ = 0;
    std::size_t pendingEnd_ = 0;
};

// Stored row order of an interlaced image: rows 0, 8, 16...; 4, 12...;
// 2, 6, 10...; 1, 3, 5...
std::vector<uint32_t> InterlacedRows(uint32_t height) {
    std::vector<uint32_t> rows;
    rows.reserve(height);
    constexpr std::array<std::pair<uint32_t, uint32_t>, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    for (const auto& [start, step] : kPasses)
        for (uint32_t y = start; y < height; y += step) rows.push_back(y);
    return rows;
}

void CheckSize(uint64_t width, uint64_t height) {
    if (width * height > TBMPImage::kMaxBytes) Fail("Image is too large");
}

}  // namespace

void TGIFImage::LoadFromStream(std::span<const uint8_t> data) {
    // The signature: "GIF" in any case at the start, or else 4 bytes further on.
    // A signature cut short counts as found: the read of the header fails then.
    auto signatureAt = [&](std::size_t at) {
        if (at >= data.size()) return false;
        for (std::size_t i = 0; i < 3 && at + i < data.size(); ++i)
            if ((data[at + i] & 0xDF) != static_cast<uint8_t>("GIF"[i])) return false;
        return true;
    };
    std::size_t start = 0;
    if (!signatureAt(0)) {
        if (!signatureAt(4)) Fail("Invalid GIF signature");
        start = 4;
    }
    TByteReader in = FileReader(data);
    in.Seek(start);
    in.Take(6);  // signature and version

    const uint32_t screenWidth = in.ReadU16LE();
    const uint32_t screenHeight = in.ReadU16LE();
    const uint8_t screenFlags = in.ReadU8();
    in.ReadU8();  // background colour index
    in.ReadU8();  // pixel aspect ratio
    CheckSize(screenWidth, screenHeight);
    std::vector<TPaletteEntry> globalTable;
    if (screenFlags & 0x80) globalTable = ReadColourTable(in, screenFlags & 7);

    TBMPImage image;
    uint32_t imageCount = 0;
    std::optional<uint8_t> transparent;
    for (bool done = false; !done;) {
        switch (in.ReadU8()) {
            case kExtensionIntroducer: {
                const uint8_t label = in.ReadU8();
                if (label == kGraphicControlLabel && imageCount == 0) {
                    const auto block = SubBlock(in);
                    if (!block.empty()) {
                        transparent.reset();
                        if (block.size() >= 4 && (block[0] & 1)) transparent = block[3];
                        SkipSubBlocks(in);
                    }
                } else {
                    SkipSubBlocks(in);
                }
                break;
            }
            case kImageSeparator: {
                const uint32_t left = in.ReadU16LE();
                const uint32_t top = in.ReadU16LE();
                const uint32_t width = in.ReadU16LE();
                const uint32_t height = in.ReadU16LE();
                const uint8_t flags = in.ReadU8();
                std::vector<TPaletteEntry> localTable;
                if (flags & 0x80) localTable = ReadColourTable(in, flags & 7);
                const uint8_t codeSize = in.ReadU8();
                if (imageCount++ > 0) {  // later images are not decoded
                    SkipSubBlocks(in);
                    break;
                }
                if (codeSize < 2 || codeSize > 8) Fail("Invalid LZW code size in GIF image");
                if (width == 0 || height == 0) Fail("Invalid GIF image size");
                const bool whole = width == screenWidth && height == screenHeight;
                if (!whole && (screenWidth == 0 || screenHeight == 0)) Fail("Invalid GIF image size");

                std::vector<uint8_t> compressed;
                for (auto block = SubBlock(in); !block.empty(); block = SubBlock(in))
                    compressed.insert(compressed.end(), block.begin(), block.end());

                // Stored rows are decoded one at a time and put in place:
                // the frame's own rows, or the screen rows it covers.
                const bool interlaced = (flags & 0x40) != 0;
                const auto rows = interlaced ? InterlacedRows(height) : std::vector<uint32_t>{};
                TLZWDecoder lzw(compressed, codeSize);
                if (whole) {
                    image.SetSize(width, height, 8);
                    for (uint32_t i = 0; i < height; ++i) {
                        const uint32_t y = interlaced ? rows[i] : i;
                        if (lzw.Read({image.Row(y), width}) < width) break;
                    }
                    image.Palette() = !localTable.empty()    ? std::move(localTable)
                                      : !globalTable.empty() ? globalTable
                                                             : GrayRamp(codeSize);
                } else {
                    image.SetSize(screenWidth, screenHeight, 8);
                    std::vector<uint8_t> row(width);
                    for (uint32_t i = 0; i < height; ++i) {
                        std::fill(row.begin(), row.end(), uint8_t{0});
                        const std::size_t got = lzw.Read(row);
                        const uint64_t y = uint64_t{top} + (interlaced ? rows[i] : i);
                        if (y < screenHeight && left < screenWidth)
                            std::memcpy(image.Row(static_cast<uint32_t>(y)) + left, row.data(),
                                        std::min(got, std::size_t{screenWidth - left}));
                        if (got < width) break;
                    }
                    image.Palette() = !globalTable.empty()  ? globalTable
                                      : !localTable.empty() ? std::move(localTable)
                                                            : GrayRamp(codeSize);
                }
                break;
            }
            case kTrailer:
                done = true;
                break;
            default:
                Fail("Unknown block in GIF file");
        }
    }
    if (imageCount == 0) Fail("No image in GIF file");

    bitmap_ = std::move(image);
    screenWidth_ = screenWidth;
    screenHeight_ = screenHeight;
    imageCount_ = imageCount;
    transparent_ = transparent;
}

void TGIFImage::AssignTo(TBMPImage& bitmap) { bitmap = std::move(bitmap_); }

}  // namespace vellumark
