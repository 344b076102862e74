#include "decoders/TIFImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "base/InvalidGraphic.h"
#include "decoders/CCITTDecoder.h"
#include "decoders/LZWDecoder.h"
#include "decoders/PackBits.h"

namespace vellumark {

namespace {

[[noreturn]] void Fail(const char* message) { throw EInvalidGraphic(message); }
[[noreturn]] void Corrupt() { Fail("TIFF file image data corrupted"); }
[[noreturn]] void PageNotFound() { Fail("TIFF file error - cannot find requested page"); }
[[noreturn]] void Unsupported() { Fail("TIFF file has unknown or unsupported format"); }
[[noreturn]] void TooLarge() { Fail("Image is too large"); }

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
constexpr uint16_t kRational = 5;

constexpr uint16_t kNone = 1;
constexpr uint16_t kModifiedHuffman = 2;
constexpr uint16_t kGroup3 = 3;
constexpr uint16_t kGroup4 = 4;
constexpr uint16_t kLZW = 5;
constexpr uint16_t kOldJPEG = 6;
constexpr uint16_t kPackBits = 32773;

// Reads 16- and 32-bit values in the file's byte order; callers check the
// range with Has first.
class TReader {
public:
    TReader(std::span<const uint8_t> data, bool bigEndian) : data_(data), big_(bigEndian) {}
    bool Has(uint64_t at, uint64_t length) const noexcept { return at <= data_.size() && length <= data_.size() - at; }
    uint16_t U16(uint64_t at) const noexcept {
        const uint8_t* p = data_.data() + at;
        return static_cast<uint16_t>(big_ ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
    }
    uint32_t U32(uint64_t at) const noexcept {
        const uint8_t* p = data_.data() + at;
        return big_ ? (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]
                    : uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
    }

private:
    std::span<const uint8_t> data_;
    bool big_;
};

struct TEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint64_t field = 0;  // where the 4-byte value or offset field lies
};

// Where an entry's values lie: in the entry when they fit its four bytes,
// else at the offset it holds. False when they are not all in the data.
bool Locate(const TReader& r, const TEntry& e, unsigned size, uint64_t& at) {
    const uint64_t length = uint64_t{e.count} * size;
    at = length <= 4 ? e.field : r.U32(e.field);
    return r.Has(at, length);
}

// SHORT or LONG values of an entry.
bool ReadNumbers(const TReader& r, const TEntry& e, std::vector<uint32_t>& out) {
    if ((e.type != kShort && e.type != kLong) || e.count == 0) return false;
    const unsigned size = e.type == kShort ? 2 : 4;
    uint64_t at = 0;
    if (!Locate(r, e, size, at)) return false;
    out.resize(e.count);
    for (uint32_t i = 0; i < e.count; ++i) out[i] = size == 2 ? r.U16(at + 2 * uint64_t{i}) : r.U32(at + 4 * uint64_t{i});
    return true;
}

// One SHORT or LONG value.
bool ReadScalar(const TReader& r, const TEntry& e, bool shortOnly, uint32_t& value) {
    if (e.count != 1 || (e.type != kShort && (shortOnly || e.type != kLong))) return false;
    value = e.type == kShort ? r.U16(e.field) : r.U32(e.field);
    return true;
}

bool ReadRational(const TReader& r, const TEntry& e, double& value) {
    if (e.type != kRational || e.count != 1) return false;
    const uint64_t at = r.U32(e.field);
    if (!r.Has(at, 8)) return false;
    const uint32_t num = r.U32(at);
    const uint32_t den = r.U32(at + 4);
    // A zero denominator says nothing about the resolution: unknown.
    value = den == 0 ? 0.0 : static_cast<double>(num) / den;
    return true;
}

// Dots per inch, rounded; 0 for values that do not fit.
uint32_t RoundDpi(double v) {
    const double rounded = std::trunc(v + 0.5);
    if (!(rounded >= 0) || rounded > 4294967295.0) return 0;
    return static_cast<uint32_t>(rounded);
}

constexpr std::array<uint8_t, 256> MakeReversed() {
    std::array<uint8_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned v = 0;
        for (unsigned b = 0; b < 8; ++b)
            if (i & (1u << b)) v |= 0x80u >> b;
        t[i] = static_cast<uint8_t>(v);
    }
    return t;
}
constexpr std::array<uint8_t, 256> kReversed = MakeReversed();

// Sixteen-bit samples to eight, rounded to the nearest.
inline uint8_t To8(unsigned v16) noexcept { return static_cast<uint8_t>((v16 + 128) / 257); }

// CMYK ink to RGB light, multiplicatively: (255 - c)(255 - k) / 255, rounded.
inline uint8_t Ink(unsigned c, unsigned k) noexcept {
    const unsigned v = (255 - c) * (255 - k);
    return static_cast<uint8_t>((v + 127) / 255);
}

// Sizes `buffer` for one strip, reusing its memory from strip to strip.
void Reserve(std::vector<uint8_t>& buffer, uint64_t size) {
    if (size > TBMPImage::kMaxBytes) TooLarge();
    buffer.resize(static_cast<std::size_t>(size));
}

}  // namespace

void TTIFImage::Reset() noexcept {
    const int32_t page = PageNumber;
    *this = TTIFImage();
    PageNumber = page;
}

void TTIFImage::LoadFromStream(std::span<const uint8_t> data) {
    Reset();
    if (data.size() < 4) Fail("File is not TIFF format");
    if (data[0] == 'I' && data[1] == 'I') {
        bigEndian_ = false;
    } else if (data[0] == 'M' && data[1] == 'M') {
        bigEndian_ = true;
    } else {
        Fail("File is not TIFF format");
    }
    const TReader r(data, bigEndian_);
    if (r.U16(2) != 42 || !r.Has(4, 4)) Fail("File is not TIFF format");

    // Walk the chain of directories to the page. A chain that comes back to
    // a directory it has passed never reaches the page.
    uint32_t at = r.U32(4);
    std::unordered_set<uint32_t> seen{at};
    for (int32_t page = 1; page < PageNumber; ++page) {
        if (at == 0 || !r.Has(at, 2)) PageNotFound();
        const uint64_t after = uint64_t{at} + 2 + 12 * uint64_t{r.U16(at)};
        if (!r.Has(after, 4)) PageNotFound();
        at = r.U32(after);
        if (at == 0 || !seen.insert(at).second) PageNotFound();
    }
    if (at == 0) PageNotFound();
    ReadDirectory(data, at);

    if (!haveWidth_ || !haveHeight_ || width_ == 0 || height_ == 0) Fail("TIFF file has missing image Width/Height");
    if (!havePhotometric_) {
        if (haveBits_ && bits_[0] != 1) Fail("TIFF file has missing PhotometricInterpretation data");
        photometric_ = 0;
    }
    if (!haveOffsets_) Fail("TIFF file has missing StripOffsets data");
    if (!haveByteCounts_) Fail("TIFF file has missing StripByteCounts data");
    if (fillOrder_ != 1 && fillOrder_ != 2) fillOrder_ = 1;
    if (photometric_ == 5) {
        if (!haveInkSet_) inkSet_ = 1;
        if (!haveNumberOfInks_) numberOfInks_ = 4;
    }
    // RowsPerStrip 0 cannot describe strips: read as absent, one strip.
    if (rowsPerStrip_ == 0) rowsPerStrip_ = UINT32_MAX;
    stripCount_ = rowsPerStrip_ >= height_ ? 1 : (height_ - 1) / rowsPerStrip_ + 1;
    if (stripCount_ != stripByteCounts_.size() && stripCount_ == stripOffsets_.size())
        Fail("TIFF file has errors in strip counts");

    switch (resolutionUnit_) {
        case 1:
            xResolution_ = yResolution_ = 0;
            break;
        case 2:
            xResolution_ = RoundDpi(xResolutionValue_);
            yResolution_ = RoundDpi(yResolutionValue_);
            break;
        case 3:
            xResolution_ = RoundDpi(xResolutionValue_ * 2.54);
            yResolution_ = RoundDpi(yResolutionValue_ * 2.54);
            break;
        default:
            Fail("Error in TIFF file ResolutionUnit data");
    }
    ReadStrips(data);
}

void TTIFImage::ReadDirectory(std::span<const uint8_t> data, uint64_t at) {
    const TReader r(data, bigEndian_);
    if (!r.Has(at, 2)) PageNotFound();
    const uint32_t entries = r.U16(at);
    if (!r.Has(at + 2, 12 * uint64_t{entries})) PageNotFound();
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t p = at + 2 + 12 * uint64_t{i};
        const TEntry e{r.U16(p), r.U16(p + 2), r.U32(p + 4), p + 8};
        uint32_t v = 0;
        switch (e.tag) {
            case 256:
                if (!ReadScalar(r, e, false, width_)) Fail("Error in TIFF file ImageWidth data");
                haveWidth_ = true;
                break;
            case 257:
                if (!ReadScalar(r, e, false, height_)) Fail("Error in TIFF file ImageLength data");
                haveHeight_ = true;
                break;
            case 278:
                if (!ReadScalar(r, e, false, rowsPerStrip_)) Fail("Error in TIFF file RowsPerStrip data");
                break;
            case 258: {
                uint64_t values = 0;
                if (e.type != kShort || e.count == 0 || !Locate(r, e, 2, values))
                    Fail("Error in TIFF file BitsPerSample data");
                bits_.resize(e.count);
                for (uint32_t k = 0; k < e.count; ++k) bits_[k] = r.U16(values + 2 * uint64_t{k});
                haveBits_ = true;
                break;
            }
            case 259:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file Compression data");
                compression_ = static_cast<uint16_t>(v);
                break;
            case 262:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file PhotometricInterpretation data");
                photometric_ = static_cast<uint16_t>(v);
                havePhotometric_ = true;
                break;
            case 266:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file FillOrder data");
                fillOrder_ = static_cast<uint16_t>(v);
                break;
            case 277:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file SamplesPerPixel data");
                samplesPerPixel_ = static_cast<uint16_t>(v);
                break;
            case 284:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file PlanarConfiguration data");
                planarConfiguration_ = static_cast<uint16_t>(v);
                break;
            case 317:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file Predictor data");
                predictor_ = static_cast<uint16_t>(v);
                break;
            case 332:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file InkSet data");
                inkSet_ = static_cast<uint16_t>(v);
                haveInkSet_ = true;
                break;
            case 334:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file NumberOfInks data");
                numberOfInks_ = static_cast<uint16_t>(v);
                haveNumberOfInks_ = true;
                break;
            case 273:
                if (!ReadNumbers(r, e, stripOffsets_)) Fail("Error in TIFF file StripOffsets data");
                haveOffsets_ = true;
                break;
            case 279:
                if (!ReadNumbers(r, e, stripByteCounts_)) Fail("Error in TIFF file StripByteCounts data");
                haveByteCounts_ = true;
                break;
            case 282:
                if (!ReadRational(r, e, xResolutionValue_)) Fail("Error in TIFF file XResolution data");
                break;
            case 283:
                if (!ReadRational(r, e, yResolutionValue_)) Fail("Error in TIFF file YResolution data");
                break;
            case 296:
                if (!ReadScalar(r, e, true, v)) Fail("Error in TIFF file ResolutionUnit data");
                resolutionUnit_ = static_cast<uint16_t>(v);
                break;
            case 320: {
                uint64_t values = 0;
                if (e.type != kShort || !Locate(r, e, 2, values)) Fail("Error in TIFF file ColorMap data");
                colorMap_.resize(e.count);
                for (uint32_t k = 0; k < e.count; ++k) colorMap_[k] = r.U16(values + 2 * uint64_t{k});
                break;
            }
            case 292:  // T4Options: only its one value is of use
                if (ReadScalar(r, e, false, v)) t4Options_ = v;
                break;
            default:
                break;
        }
    }
}

void TTIFImage::ReadStrips(std::span<const uint8_t> data) {
    // Separate planes store one set of strips per sample, one after another.
    const uint64_t planes = planarConfiguration_ == 2 ? samplesPerPixel_ : 1;
    const uint64_t count = uint64_t{stripCount_} * std::max<uint64_t>(planes, 1);
    if (count > stripOffsets_.size() || count > stripByteCounts_.size()) Fail("TIFF file has errors in strip counts");
    // Strips are cut at the end of the data.
    uint64_t total = 0;
    stripStarts_.resize(static_cast<std::size_t>(count) + 1);
    for (std::size_t s = 0; s < count; ++s) {
        stripStarts_[s] = static_cast<std::size_t>(total);
        const uint64_t offset = stripOffsets_[s];
        if (offset < data.size()) total += std::min<uint64_t>(stripByteCounts_[s], data.size() - offset);
        if (total > TBMPImage::kMaxBytes) TooLarge();
    }
    stripStarts_[count] = static_cast<std::size_t>(total);
    strips_.resize(static_cast<std::size_t>(total));
    for (std::size_t s = 0; s < count; ++s) {
        const std::size_t n = stripStarts_[s + 1] - stripStarts_[s];
        if (n > 0) std::memcpy(strips_.data() + stripStarts_[s], data.data() + stripOffsets_[s], n);
    }
}

void TTIFImage::DecodeStrip(std::size_t index, std::span<uint8_t> out, bool bilevel) const {
    std::span<const uint8_t> in(strips_.data() + stripStarts_[index], stripStarts_[index + 1] - stripStarts_[index]);
    // Bilevel pages may store the bits of each byte in reverse order.
    std::vector<uint8_t> reversed;
    if (bilevel && fillOrder_ == 2) {
        reversed.resize(in.size());
        for (std::size_t i = 0; i < in.size(); ++i) reversed[i] = kReversed[in[i]];
        in = reversed;
    }
    switch (compression_) {
        case kNone:
            if (in.size() < out.size()) Corrupt();
            if (!out.empty()) std::memcpy(out.data(), in.data(), out.size());
            break;
        case kPackBits:
            if (UnpackBits(in, out) < out.size()) Corrupt();
            break;
        case kLZW: {
            const lzw::TResult result = lzw::Decode(in, out);
            if (!result.Valid || result.Written < out.size()) Corrupt();
            break;
        }
        default:
            Fail("Unknown or unsupported Compression method");
    }
}

namespace {

// The compressions a decoder accepts; the CCITT ones only for bilevel pages.
void CheckCompression(uint16_t compression, bool bilevel) {
    if (compression == kNone || compression == kLZW || compression == kPackBits) return;
    if (bilevel && (compression == kModifiedHuffman || compression == kGroup3 || compression == kGroup4)) return;
    if (compression == kOldJPEG) Fail("JPEG Compression not supported");
    Fail("Unknown or unsupported Compression method");
}

}  // namespace

void TTIFImage::AssignTo(TBMPImage& bitmap) const {
    if (stripStarts_.empty()) Fail("TIFF file has missing image Width/Height");  // nothing loaded
    const std::size_t n = bits_.size();
    const unsigned b1 = bits_[0];
    switch (photometric_) {
        case 0:
        case 1:
            if (b1 == 1) {
                if (n != 1 || samplesPerPixel_ != 1) Fail("TIFF file error in bilevel image data");
                CheckCompression(compression_, true);
                DecodeBilevel(bitmap);
            } else if (b1 == 4 || b1 == 8) {
                if (n != samplesPerPixel_ || (n != 1 && n != 2) || (n == 2 && bits_[1] != b1))
                    Fail("TIFF file error in grayscale image data");
                CheckCompression(compression_, false);
                DecodeGray(bitmap);
            } else {
                Unsupported();
            }
            return;
        case 2: {
            const bool ok = n == samplesPerPixel_ && n >= 3 && bits_[1] == b1 && bits_[2] == b1 &&
                            (b1 == 8 || (b1 == 16 && compression_ == kNone));
            if (!ok) Fail("TIFF file error in RGB image data");
            CheckCompression(compression_, false);
            DecodeColour(bitmap, false);
            return;
        }
        case 3: {
            const bool ok = n == 1 && samplesPerPixel_ == 1 && (b1 == 1 || b1 == 4 || b1 == 8) &&
                            colorMap_.size() >= (std::size_t{3} << b1);
            if (!ok) Fail("TIFF file error in palette image data");
            CheckCompression(compression_, false);
            DecodePalette(bitmap);
            return;
        }
        case 5: {
            const bool ok = n == samplesPerPixel_ && n >= 4 && b1 == 8 && bits_[1] == 8 && bits_[2] == 8 &&
                            bits_[3] == 8 && inkSet_ == 1 && numberOfInks_ == 4;
            if (!ok) Fail("TIFF file Separated image format not supported");
            CheckCompression(compression_, false);
            DecodeColour(bitmap, true);
            return;
        }
        case 6:
            Fail("TIFF file YCbCr format not supported");
        default:
            Fail("TIFF file PhotometricInterpretation value not supported");
    }
}

namespace {

// Rows of strip s: [first, first + count).
struct TStripRows {
    uint32_t first;
    uint32_t count;
};

TStripRows RowsOf(uint32_t strip, uint32_t rowsPerStrip, uint32_t height) {
    const uint64_t first = uint64_t{strip} * rowsPerStrip;
    return {static_cast<uint32_t>(first), static_cast<uint32_t>(std::min<uint64_t>(rowsPerStrip, height - first))};
}

// Predictor 2 is undone after LZW for samples of 8 and 16 bits; any other
// predictor, or differencing of other sample sizes, is not read.
void CheckPredictor(uint16_t compression, uint16_t predictor, unsigned bitsPerSample) {
    if (compression != kLZW || predictor == 1) return;
    if (predictor != 2 || (bitsPerSample != 8 && bitsPerSample != 16)) Unsupported();
}

}  // namespace

void TTIFImage::DecodeBilevel(TBMPImage& bitmap) const {
    CheckPredictor(compression_, predictor_, 1);
    bitmap.SetSize(width_, height_, 1);
    bitmap.Palette() = {{0, 0, 0}, {255, 255, 255}};
    const std::size_t rowBytes = bitmap.RowBytes();
    const uint32_t rps = std::min(rowsPerStrip_, height_);
    for (uint32_t s = 0; s < stripCount_; ++s) {
        const TStripRows rows = RowsOf(s, rps, height_);
        std::span<uint8_t> out = bitmap.Pixels().subspan(rows.first * rowBytes, rows.count * rowBytes);
        if (compression_ == kModifiedHuffman || compression_ == kGroup3 || compression_ == kGroup4) {
            ccitt::TDecodeOptions options;
            options.Scheme = compression_ == kGroup4   ? ccitt::TScheme::Group4
                             : compression_ == kGroup3 ? ccitt::TScheme::Group3
                                                       : ccitt::TScheme::ModifiedHuffman;
            options.Width = width_;
            options.Rows = rows.count;
            options.TwoDimensional = compression_ == kGroup3 && (t4Options_ & 1) != 0;
            options.ByteAlignedEOL = compression_ == kGroup3 && (t4Options_ & 4) != 0;
            options.LeastSignificantBitFirst = fillOrder_ == 2;
            const std::span<const uint8_t> in(strips_.data() + stripStarts_[s], stripStarts_[s + 1] - stripStarts_[s]);
            if (!ccitt::Decode(in, options, out, rowBytes)) Corrupt();
        } else {
            DecodeStrip(s, out, true);
        }
    }
    // Sample 0 is white in WhiteIsZero data; entry 0 of the palette is black.
    if (photometric_ == 0)
        for (uint8_t& b : bitmap.Pixels()) b = static_cast<uint8_t>(~b);
}

void TTIFImage::DecodeGray(TBMPImage& bitmap) const {
    const unsigned bits = bits_[0];
    const unsigned samples = static_cast<unsigned>(bits_.size());  // 1, or 2 with alpha after gray
    const bool separate = planarConfiguration_ == 2 && samples == 2;
    CheckPredictor(compression_, predictor_, bits);
    bitmap.SetSize(width_, height_, static_cast<uint8_t>(bits));
    auto& palette = bitmap.Palette();
    palette.resize(std::size_t{1} << bits);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const auto v = static_cast<uint8_t>(bits == 4 ? 17 * i : i);
        palette[i] = {v, v, v};
    }
    const std::size_t bitmapRow = bitmap.RowBytes();
    const unsigned stored = separate ? 1 : samples;  // samples per pixel in the strips read
    const uint64_t rowBytes = (uint64_t{width_} * bits * stored + 7) / 8;
    const uint32_t rps = std::min(rowsPerStrip_, height_);
    std::vector<uint8_t> strip;
    for (uint32_t s = 0; s < stripCount_; ++s) {
        const TStripRows rows = RowsOf(s, rps, height_);
        std::span<uint8_t> target = bitmap.Pixels().subspan(rows.first * bitmapRow, rows.count * bitmapRow);
        if (stored == 1) {
            DecodeStrip(s, target, false);
            if (compression_ == kLZW && predictor_ == 2) lzw::UndoHorizontalDifferencing(target, bitmapRow, 1, bits, bigEndian_);
            continue;
        }
        Reserve(strip, rowBytes * rows.count);
        DecodeStrip(s, strip, false);
        if (compression_ == kLZW && predictor_ == 2)
            lzw::UndoHorizontalDifferencing(strip, static_cast<std::size_t>(rowBytes), 2, bits, bigEndian_);
        for (uint32_t y = 0; y < rows.count; ++y) {
            const uint8_t* src = strip.data() + y * rowBytes;
            uint8_t* dst = target.data() + y * bitmapRow;
            if (bits == 8) {
                for (uint32_t x = 0; x < width_; ++x) dst[x] = src[2 * x];
            } else {
                // One byte per pixel: gray in the high nibble, alpha in the low.
                for (uint32_t x = 0; x < width_; ++x) {
                    const uint8_t g = src[x] >> 4;
                    dst[x / 2] = static_cast<uint8_t>(x % 2 == 0 ? g << 4 : dst[x / 2] | g);
                }
            }
        }
    }
    if (photometric_ == 0)
        for (uint8_t& b : bitmap.Pixels()) b = static_cast<uint8_t>(~b);  // both nibbles: 15 - v
}

void TTIFImage::DecodePalette(TBMPImage& bitmap) const {
    const unsigned bits = bits_[0];
    CheckPredictor(compression_, predictor_, bits);
    bitmap.SetSize(width_, height_, static_cast<uint8_t>(bits));
    // The map holds all red values, then all green, then all blue, in 16
    // bits; the high byte is the 8-bit value.
    const std::size_t entries = std::size_t{1} << bits;
    auto& palette = bitmap.Palette();
    palette.resize(entries);
    for (std::size_t i = 0; i < entries; ++i)
        palette[i] = {static_cast<uint8_t>(colorMap_[i] >> 8), static_cast<uint8_t>(colorMap_[entries + i] >> 8),
                      static_cast<uint8_t>(colorMap_[2 * entries + i] >> 8)};
    const std::size_t rowBytes = bitmap.RowBytes();
    const uint32_t rps = std::min(rowsPerStrip_, height_);
    for (uint32_t s = 0; s < stripCount_; ++s) {
        const TStripRows rows = RowsOf(s, rps, height_);
        std::span<uint8_t> target = bitmap.Pixels().subspan(rows.first * rowBytes, rows.count * rowBytes);
        DecodeStrip(s, target, false);
        if (compression_ == kLZW && predictor_ == 2) lzw::UndoHorizontalDifferencing(target, rowBytes, 1, bits, bigEndian_);
    }
}

void TTIFImage::DecodeColour(TBMPImage& bitmap, bool cmyk) const {
    const unsigned bits = bits_[0];  // 8, or 16 for uncompressed RGB
    const unsigned used = cmyk ? 4 : 3;
    const bool separate = planarConfiguration_ == 2;
    CheckPredictor(compression_, predictor_, bits);
    uint64_t pixelBits = 0;
    for (uint16_t b : bits_) pixelBits += b;
    if (!separate && pixelBits % 8 != 0) Fail(cmyk ? "TIFF file Separated image format not supported" : "TIFF file error in RGB image data");
    if (pixelBits > (uint64_t{1} << 24)) TooLarge();
    bitmap.SetSize(width_, height_, 24);
    const unsigned sampleBytes = bits / 8;
    const uint32_t rps = std::min(rowsPerStrip_, height_);
    std::vector<uint8_t> strip;
    auto sample = [&](const uint8_t* p) -> unsigned {
        if (sampleBytes == 1) return p[0];
        return To8(bigEndian_ ? (unsigned{p[0]} << 8) | p[1] : p[0] | (unsigned{p[1]} << 8));
    };

    if (!separate) {
        const std::size_t pixel = static_cast<std::size_t>(pixelBits / 8);
        const uint64_t rowBytes = uint64_t{width_} * pixel;
        for (uint32_t s = 0; s < stripCount_; ++s) {
            const TStripRows rows = RowsOf(s, rps, height_);
            Reserve(strip, rowBytes * rows.count);
            DecodeStrip(s, strip, false);
            if (compression_ == kLZW && predictor_ == 2)
                lzw::UndoHorizontalDifferencing(strip, static_cast<std::size_t>(rowBytes), static_cast<unsigned>(bits_.size()),
                                                bits, bigEndian_);
            for (uint32_t y = 0; y < rows.count; ++y) {
                const uint8_t* src = strip.data() + y * rowBytes;
                uint8_t* dst = bitmap.Row(rows.first + y);
                if (cmyk) {
                    for (uint32_t x = 0; x < width_; ++x, src += pixel, dst += 3) {
                        dst[0] = Ink(src[2], src[3]);
                        dst[1] = Ink(src[1], src[3]);
                        dst[2] = Ink(src[0], src[3]);
                    }
                } else if (sampleBytes == 1) {
                    for (uint32_t x = 0; x < width_; ++x, src += pixel, dst += 3) {
                        dst[0] = src[2];
                        dst[1] = src[1];
                        dst[2] = src[0];
                    }
                } else {
                    for (uint32_t x = 0; x < width_; ++x, src += pixel, dst += 3) {
                        dst[0] = static_cast<uint8_t>(sample(src + 4));
                        dst[1] = static_cast<uint8_t>(sample(src + 2));
                        dst[2] = static_cast<uint8_t>(sample(src));
                    }
                }
            }
        }
        return;
    }

    // Separate planes: red (cyan), green (magenta) and blue (yellow) go to
    // their places in the bitmap; for CMYK the black plane then turns the
    // inks stored there into light. Planes beyond those are not read.
    const uint64_t rowBytes = uint64_t{width_} * sampleBytes;
    for (unsigned plane = 0; plane < used; ++plane) {
        for (uint32_t s = 0; s < stripCount_; ++s) {
            const TStripRows rows = RowsOf(s, rps, height_);
            Reserve(strip, rowBytes * rows.count);
            DecodeStrip(std::size_t{plane} * stripCount_ + s, strip, false);
            if (compression_ == kLZW && predictor_ == 2)
                lzw::UndoHorizontalDifferencing(strip, static_cast<std::size_t>(rowBytes), 1, bits, bigEndian_);
            for (uint32_t y = 0; y < rows.count; ++y) {
                const uint8_t* src = strip.data() + y * rowBytes;
                uint8_t* dst = bitmap.Row(rows.first + y);
                if (plane < 3) {
                    uint8_t* d = dst + (2 - plane);
                    for (uint32_t x = 0; x < width_; ++x, src += sampleBytes, d += 3) *d = static_cast<uint8_t>(sample(src));
                } else {
                    for (uint32_t x = 0; x < width_; ++x, ++src, dst += 3) {
                        dst[0] = Ink(dst[0], *src);
                        dst[1] = Ink(dst[1], *src);
                        dst[2] = Ink(dst[2], *src);
                    }
                }
            }
        }
    }
}

}  // namespace vellumark
