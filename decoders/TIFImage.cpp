#include "decoders/TIFImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_set>

#include <zlib.h>

#include "base/ByteReader.h"
#include "base/InvalidGraphic.h"
#include "decoders/CCITTDecoder.h"
#include "decoders/CIELab.h"
#include "decoders/JPEGImage.h"
#include "decoders/LZWDecoder.h"
#include "decoders/PackBits.h"
#include "decoders/YCbCr.h"

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
constexpr uint16_t kJPEG = 7;
constexpr uint16_t kAdobeDeflate = 8;
constexpr uint16_t kPackBits = 32773;
constexpr uint16_t kDeflate = 32946;

constexpr uint16_t kByte = 1;
constexpr uint16_t kUndefined = 7;

constexpr uint16_t kLong8 = 16;

// The file's bytes, its byte order and its kind: classic TIFF (4-byte
// offsets, 12-byte entries) or BigTIFF (8-byte offsets and counts, 20-byte
// entries). A read past the end raises the present short-read message.
struct TFile {
    TByteReader bytes;
    bool big;
    bool bigTiff = false;
    uint16_t U16(uint64_t at) const { return bytes.U16(at, big); }
    uint32_t U32(uint64_t at) const { return bytes.U32(at, big); }
    uint64_t U64(uint64_t at) const {
        const uint64_t first = U32(at), second = U32(at + 4);
        return big ? first << 32 | second : second << 32 | first;
    }
    // An offset (or a BigTIFF count) as the file stores it.
    uint64_t Offset(uint64_t at) const { return bigTiff ? U64(at) : U32(at); }
    bool Has(uint64_t at, uint64_t length) const noexcept { return bytes.Has(at, length); }
    unsigned InlineBytes() const noexcept { return bigTiff ? 8 : 4; }
    unsigned EntryBytes() const noexcept { return bigTiff ? 20 : 12; }
    unsigned CountBytes() const noexcept { return bigTiff ? 8 : 2; }
    // The number of entries of the directory at `at`; all of them must lie
    // in the data.
    uint64_t Entries(uint64_t at) const {
        const uint64_t n = bigTiff ? U64(at) : U16(at);
        if (n > bytes.Size() / EntryBytes()) bytes.Fail();
        bytes.Bytes(at + CountBytes(), n * EntryBytes());
        return n;
    }
    uint64_t NextDirectory(uint64_t at, uint64_t entries) const {
        return Offset(at + CountBytes() + entries * EntryBytes());
    }
};

struct TEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint64_t count = 0;
    uint64_t field = 0;  // where the value or offset field lies (4 or 8 bytes)
};

// Where an entry's values lie: in the entry when they fit its field, else at
// the offset it holds. False when they are not all in the data.
bool Locate(const TFile& r, const TEntry& e, unsigned size, uint64_t& at) {
    if (e.count > r.bytes.Size()) return false;
    const uint64_t length = e.count * size;
    at = length <= r.InlineBytes() ? e.field : r.Offset(e.field);
    return r.Has(at, length);
}

// SHORT or LONG values of an entry (and LONG8 in BigTIFF).
bool ReadNumbers(const TFile& r, const TEntry& e, std::vector<uint64_t>& out) {
    const bool long8 = r.bigTiff && e.type == kLong8;
    if ((e.type != kShort && e.type != kLong && !long8) || e.count == 0) return false;
    const unsigned size = e.type == kShort ? 2 : long8 ? 8 : 4;
    uint64_t at = 0;
    if (!Locate(r, e, size, at)) return false;
    out.resize(static_cast<std::size_t>(e.count));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const uint64_t p = at + size * uint64_t{i};
        out[i] = size == 2 ? r.U16(p) : size == 4 ? r.U32(p) : r.U64(p);
    }
    return true;
}

// One SHORT or LONG value (or a LONG8 one of 32 bits, in BigTIFF).
bool ReadScalar(const TFile& r, const TEntry& e, bool shortOnly, uint32_t& value) {
    if (e.count != 1) return false;
    if (e.type == kShort) {
        value = r.U16(e.field);
        return true;
    }
    if (shortOnly) return false;
    if (e.type == kLong) {
        value = r.U32(e.field);
        return true;
    }
    if (!r.bigTiff || e.type != kLong8) return false;
    const uint64_t v = r.U64(e.field);
    if (v > UINT32_MAX) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ReadRational(const TFile& r, const TEntry& e, double& value) {
    uint64_t at = 0;
    if (e.type != kRational || e.count != 1 || !Locate(r, e, 8, at)) return false;
    const uint32_t num = r.U32(at);
    const uint32_t den = r.U32(at + 4);
    // A zero denominator says nothing about the resolution: unknown.
    value = den == 0 ? 0.0 : static_cast<double>(num) / den;
    return true;
}

// `out.size()` RATIONAL values of an entry of as many (or whole numbers, as
// some writers store ReferenceBlackWhite).
template <std::size_t N>
bool ReadRationals(const TFile& r, const TEntry& e, std::array<float, N>& out) {
    if (e.count != N) return false;
    if (e.type == kShort || e.type == kLong) {
        std::vector<uint64_t> values;
        if (!ReadNumbers(r, e, values)) return false;
        for (std::size_t i = 0; i < N; ++i) out[i] = static_cast<float>(values[i]);
        return true;
    }
    uint64_t at = 0;
    if (e.type != kRational || !Locate(r, e, 8, at)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        const uint32_t den = r.U32(at + 8 * i + 4);
        out[i] = den == 0 ? 0.0f : static_cast<float>(static_cast<double>(r.U32(at + 8 * i)) / den);
    }
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

// The sample of `bits` bits (1, 2, 4 or 8) starting at bit `at` of a row,
// most significant bits first.
inline unsigned SampleAt(const uint8_t* row, uint64_t at, unsigned bits) noexcept {
    return (row[at / 8] >> (8 - bits - at % 8)) & ((1u << bits) - 1);
}

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

// Bytes of a row of `width` pixels of `pixelBits` bits each.
uint64_t RowBytesOf(uint64_t width, uint64_t pixelBits) { return (width * pixelBits + 7) / 8; }

bool IsCcitt(uint16_t compression) {
    return compression == kModifiedHuffman || compression == kGroup3 || compression == kGroup4;
}

// A zlib stream (Deflate, compression 8 or 32946) into `out`, until `out` is
// full or the stream ends. False when it ends first or cannot be decoded.
bool Inflate(std::span<const uint8_t> in, std::span<uint8_t> out) {
    if (out.empty()) return true;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    struct TEnd {
        z_stream* z;
        ~TEnd() { inflateEnd(z); }
    } end{&z};
    // zlib counts in 32 bits: larger spans go in pieces.
    constexpr std::size_t kPiece = std::numeric_limits<uInt>::max();
    std::size_t inAt = 0, outAt = 0;
    while (outAt < out.size()) {
        if (z.avail_in == 0) {
            if (inAt == in.size()) return false;
            z.next_in = const_cast<Bytef*>(in.data() + inAt);  // zlib does not write through it
            z.avail_in = static_cast<uInt>(std::min(kPiece, in.size() - inAt));
            inAt += z.avail_in;
        }
        const std::size_t room = std::min(kPiece, out.size() - outAt);
        z.next_out = out.data() + outAt;
        z.avail_out = static_cast<uInt>(room);
        const int rc = inflate(&z, Z_NO_FLUSH);
        outAt += room - z.avail_out;
        if (rc == Z_STREAM_END) return outAt == out.size();
        if (rc != Z_OK && rc != Z_BUF_ERROR) return false;  // Z_BUF_ERROR: more input wanted
    }
    return true;
}

}  // namespace

void TTIFImage::Reset() noexcept {
    const int32_t page = PageNumber;
    const uint64_t start = StartDirectory;
    const bool borrow = BorrowStrips;
    *this = TTIFImage();
    PageNumber = page;
    StartDirectory = start;
    BorrowStrips = borrow;
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
    TFile r{TByteReader(data, "File is not TIFF format"), bigEndian_};
    // Version 42 is classic TIFF; 43 is BigTIFF, whose header goes on with
    // the offset size (8), a zero and an 8-byte first offset.
    const uint16_t version = r.U16(2);
    if (version == 43) {
        if (r.U16(4) != 8 || r.U16(6) != 0) Fail("File is not TIFF format");
        r.bigTiff = bigTiff_ = true;
    } else if (version != 42) {
        Fail("File is not TIFF format");
    }

    // Walk the chain of directories to the page. A chain that comes back to
    // a directory it has passed never reaches the page.
    uint64_t at = r.Offset(4 + 4 * uint64_t{bigTiff_});
    r.bytes.SetShortRead("TIFF file error - cannot find requested page");
    std::unordered_set<uint64_t> seen{at};
    if (StartDirectory != 0) {
        at = StartDirectory;
    } else {
        for (int32_t page = 1; page < PageNumber; ++page) {
            if (at == 0) PageNotFound();
            at = r.NextDirectory(at, r.Entries(at));
            if (at == 0 || !seen.insert(at).second) PageNotFound();
        }
    }
    if (at == 0) PageNotFound();
    ReadDirectory(data, at);
    // Where the chain goes on (the directory was read whole, its count too).
    const uint64_t link = at + r.CountBytes() + r.Entries(at) * r.EntryBytes();
    nextDirectory_ = r.Has(link, r.InlineBytes()) ? r.Offset(link) : 0;

    if (!haveWidth_ || !haveHeight_ || width_ == 0 || height_ == 0) Fail("TIFF file has missing image Width/Height");
    // Old-style JPEG writers left SamplesPerPixel out of YCbCr pages, which
    // always have three.
    if (!haveSamplesPerPixel_ && compression_ == kOldJPEG && havePhotometric_ && photometric_ == 6) samplesPerPixel_ = 3;
    // One BitsPerSample value serves every sample; more values than samples
    // are read as the first ones when those agree.
    if (haveBits_ && samplesPerPixel_ > 0 && bits_.size() != samplesPerPixel_) {
        if (bits_.size() == 1) {
            bits_.resize(samplesPerPixel_, bits_[0]);
        } else if (bits_.size() > samplesPerPixel_ &&
                   std::all_of(bits_.begin(), bits_.begin() + samplesPerPixel_, [&](uint16_t b) { return b == bits_[0]; })) {
            bits_.resize(samplesPerPixel_);
        }
    }
    if (!havePhotometric_) {
        if (haveBits_ && bits_[0] != 1) Fail("TIFF file has missing PhotometricInterpretation data");
        photometric_ = 0;
    }
    // Tiles are listed as strips are; the tile lists take the strip lists'
    // place.
    tiled_ = haveTileWidth_ || haveTileLength_;
    if (tiled_) {
        if (!haveTileWidth_ || tileWidth_ == 0) Fail("Error in TIFF file TileWidth data");
        if (!haveTileLength_ || tileLength_ == 0) Fail("Error in TIFF file TileLength data");
        if (haveTileOffsets_) {
            stripOffsets_ = std::move(tileOffsets_);
            haveOffsets_ = true;
        }
        if (haveTileByteCounts_) {
            stripByteCounts_ = std::move(tileByteCounts_);
            haveByteCounts_ = true;
        }
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
    if (tiled_) {
        across_ = (width_ - 1) / tileWidth_ + 1;
        bands_ = (height_ - 1) / tileLength_ + 1;
        segmentRows_ = tileLength_;
        const uint64_t tiles = uint64_t{across_} * bands_;
        if (tiles > stripOffsets_.size() || tiles > stripByteCounts_.size()) Fail("TIFF file has errors in strip counts");
        stripCount_ = static_cast<uint32_t>(tiles);
    } else {
        stripCount_ = rowsPerStrip_ >= height_ ? 1 : (height_ - 1) / rowsPerStrip_ + 1;
        if (stripCount_ != stripByteCounts_.size() && stripCount_ == stripOffsets_.size())
            Fail("TIFF file has errors in strip counts");
        bands_ = stripCount_;
        segmentRows_ = std::min(rowsPerStrip_, height_);
    }

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
    if (compression_ == kOldJPEG) PrepareOldJpeg(data);
}

bool TTIFImage::AddStripRestarts(std::vector<uint8_t>& header) {
    // The strips of a page of several are coded one by one: each starts its
    // predictions afresh and ends on a whole byte, as if a restart interval
    // of one strip's blocks ran through the page. So the interval is
    // declared, and restart markers are put between the strips.
    if (tiled_ || stripCount_ < 2) return true;
    const uint32_t blockWidth = samplesPerPixel_ == 3 ? 8u * subsamplingH_ : 8u;
    const uint32_t blockHeight = samplesPerPixel_ == 3 ? 8u * subsamplingV_ : 8u;
    if (blockWidth == 0 || blockHeight == 0 || segmentRows_ % blockHeight != 0) return false;
    const uint64_t interval = uint64_t{(width_ - 1) / blockWidth + 1} * (segmentRows_ / blockHeight);
    if (interval == 0 || interval > 0xFFFF) return false;
    header.insert(header.end(), {0xFF, 0xDD, 0, 4, static_cast<uint8_t>(interval >> 8), static_cast<uint8_t>(interval)});
    oldJpegRestarts_ = true;
    return true;
}

void TTIFImage::PrepareOldJpeg(std::span<const uint8_t> data) {
    const TFile r{TByteReader(data, "TIFF file image data corrupted"), bigEndian_, bigTiff_};
    std::vector<uint8_t>& h = oldJpegHeader_;
    if (jpegInterchange_ != 0) {
        // A stream in JPEG interchange format: the whole page when the
        // strips begin with it, else its header, which the strips follow.
        if (!r.Has(jpegInterchange_, 2) || r.bytes.U8(jpegInterchange_) != 0xFF || r.bytes.U8(jpegInterchange_ + 1) != 0xD8)
            return;
        if (!stripOffsets_.empty() && stripOffsets_[0] == jpegInterchange_) {
            oldJpegReady_ = true;
            return;
        }
        if (jpegInterchangeLength_ < 4 || !r.Has(jpegInterchange_, jpegInterchangeLength_)) return;
        const auto header = r.bytes.Bytes(jpegInterchange_, jpegInterchangeLength_);
        h.assign(header.begin(), header.end());
        if (h[h.size() - 2] == 0xFF && h[h.size() - 1] == 0xD9) h.resize(h.size() - 2);  // its end marker
        // The strips begin with the scan header; a restart interval goes before it.
        oldJpegReady_ = AddStripRestarts(h);
        return;
    }
    // A header made from the tables of each component: quantisation tables
    // of 64 bytes (in zigzag order), Huffman tables of 16 code counts and
    // their values; the frame is the whole page (its strips continue one
    // stream) or its one tile, luma sampled as YCbCrSubsampling says.
    const unsigned components = samplesPerPixel_;
    if ((components != 1 && components != 3) || jpegQTables_.size() < components || jpegDcTables_.size() < components ||
        jpegAcTables_.size() < components)
        return;
    auto marker = [&](uint8_t code, std::size_t length) {
        h.insert(h.end(), {0xFF, code, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    };
    h = {0xFF, 0xD8};
    marker(0xDB, 2 + 65 * std::size_t{components});
    for (unsigned c = 0; c < components; ++c) {
        if (!r.Has(jpegQTables_[c], 64)) return;
        h.push_back(static_cast<uint8_t>(c));
        const auto table = r.bytes.Bytes(jpegQTables_[c], 64);
        h.insert(h.end(), table.begin(), table.end());
    }
    for (unsigned c = 0; c < components; ++c) {
        for (unsigned kind = 0; kind < 2; ++kind) {
            const uint64_t at = (kind == 0 ? jpegDcTables_ : jpegAcTables_)[c];
            if (!r.Has(at, 16)) return;
            std::size_t values = 0;
            for (unsigned i = 0; i < 16; ++i) values += r.bytes.U8(at + i);
            if (values > 256 || !r.Has(at, 16 + values)) return;
            marker(0xC4, 3 + 16 + values);
            h.push_back(static_cast<uint8_t>(kind << 4 | c));
            const auto table = r.bytes.Bytes(at, 16 + values);
            h.insert(h.end(), table.begin(), table.end());
        }
    }
    const uint32_t frameWidth = tiled_ ? tileWidth_ : width_;
    const uint32_t frameHeight = tiled_ ? tileLength_ : height_;
    if (frameWidth > 0xFFFF || frameHeight > 0xFFFF) return;
    marker(0xC0, 8 + 3 * std::size_t{components});
    h.insert(h.end(), {8, static_cast<uint8_t>(frameHeight >> 8), static_cast<uint8_t>(frameHeight),
                       static_cast<uint8_t>(frameWidth >> 8), static_cast<uint8_t>(frameWidth), static_cast<uint8_t>(components)});
    for (unsigned c = 0; c < components; ++c) {
        const bool luma = c == 0 && components == 3;
        const unsigned sampling = luma ? (subsamplingH_ & 0xF) << 4 | (subsamplingV_ & 0xF) : 0x11;
        h.insert(h.end(), {static_cast<uint8_t>(c + 1), static_cast<uint8_t>(sampling), static_cast<uint8_t>(c)});
    }
    if (jpegRestartInterval_ != 0) {
        marker(0xDD, 4);
        h.insert(h.end(), {static_cast<uint8_t>(jpegRestartInterval_ >> 8), static_cast<uint8_t>(jpegRestartInterval_)});
    } else if (!AddStripRestarts(h)) {
        return;
    }
    marker(0xDA, 6 + 2 * std::size_t{components});
    h.push_back(static_cast<uint8_t>(components));
    for (unsigned c = 0; c < components; ++c) h.insert(h.end(), {static_cast<uint8_t>(c + 1), static_cast<uint8_t>(c << 4 | c)});
    h.insert(h.end(), {0, 63, 0});
    oldJpegReady_ = true;
}

void TTIFImage::ReadDirectory(std::span<const uint8_t> data, uint64_t at) {
    const TFile r{TByteReader(data, "TIFF file error - cannot find requested page"), bigEndian_, bigTiff_};
    const uint64_t entries = r.Entries(at);
    for (uint64_t i = 0; i < entries; ++i) {
        const uint64_t p = at + r.CountBytes() + r.EntryBytes() * i;
        const TEntry e{r.U16(p), r.U16(p + 2), r.Offset(p + 4), p + 4 + r.InlineBytes()};
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
                bits_.resize(static_cast<std::size_t>(e.count));
                for (std::size_t k = 0; k < bits_.size(); ++k) bits_[k] = r.U16(values + 2 * uint64_t{k});
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
                haveSamplesPerPixel_ = true;
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
                colorMap_.resize(static_cast<std::size_t>(e.count));
                for (std::size_t k = 0; k < colorMap_.size(); ++k) colorMap_[k] = r.U16(values + 2 * uint64_t{k});
                break;
            }
            case 292:  // T4Options: only its one value is of use
                if (ReadScalar(r, e, false, v)) t4Options_ = v;
                break;
            case 322:
                if (!ReadScalar(r, e, false, tileWidth_)) Fail("Error in TIFF file TileWidth data");
                haveTileWidth_ = true;
                break;
            case 323:
                if (!ReadScalar(r, e, false, tileLength_)) Fail("Error in TIFF file TileLength data");
                haveTileLength_ = true;
                break;
            case 324:
                if (!ReadNumbers(r, e, tileOffsets_)) Fail("Error in TIFF file TileOffsets data");
                haveTileOffsets_ = true;
                break;
            case 325:
                if (!ReadNumbers(r, e, tileByteCounts_)) Fail("Error in TIFF file TileByteCounts data");
                haveTileByteCounts_ = true;
                break;
            case 347: {  // JPEGTables; when unreadable, JPEG data without its tables cannot be decoded
                uint64_t values = 0;
                if ((e.type == kUndefined || e.type == kByte) && Locate(r, e, 1, values))
{
                    const std::span<const uint8_t> tables = r.bytes.Bytes(values, e.count);
                    jpegTables_.assign(tables.begin(), tables.end());
                }
                break;
            }
            case 274:  // Orientation: a value outside 1 to 8 is not read, as if absent
                if (ReadScalar(r, e, true, v) && v >= 1 && v <= 8) orientation_ = static_cast<uint16_t>(v);
                break;
            case 338: {  // ExtraSamples: what the first extra sample is
                std::vector<uint64_t> extra;
                if (ReadNumbers(r, e, extra) && e.type == kShort) extraSample_ = static_cast<uint16_t>(extra[0]);
                break;
            }
            case 339: {  // SampleFormat: one value for every sample
                std::vector<uint64_t> formats;
                if (ReadNumbers(r, e, formats) && e.type == kShort) sampleFormat_ = static_cast<uint16_t>(formats[0]);
                break;
            }
            case 512:
                if (ReadScalar(r, e, true, v)) jpegProc_ = static_cast<uint16_t>(v);
                break;
            case 513:
            case 514: {
                uint32_t value = 0;
                if (ReadScalar(r, e, false, value)) (e.tag == 513 ? jpegInterchange_ : jpegInterchangeLength_) = value;
                break;
            }
            case 515:
                if (ReadScalar(r, e, true, v)) jpegRestartInterval_ = static_cast<uint16_t>(v);
                break;
            case 519:
                ReadNumbers(r, e, jpegQTables_);
                break;
            case 520:
                ReadNumbers(r, e, jpegDcTables_);
                break;
            case 521:
                ReadNumbers(r, e, jpegAcTables_);
                break;
            case 529:
                ReadRationals(r, e, luma_);
                break;
            case 532:
                ReadRationals(r, e, referenceBlackWhite_);
                break;
            case 530: {
                std::vector<uint64_t> factors;
                if (ReadNumbers(r, e, factors) && e.type == kShort && factors.size() == 2) {
                    subsamplingH_ = static_cast<uint16_t>(factors[0]);
                    subsamplingV_ = static_cast<uint16_t>(factors[1]);
                }
                break;
            }
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
    const TByteReader r(data, "TIFF file image data corrupted");
    uint64_t total = 0;
    stripStarts_.resize(static_cast<std::size_t>(count) + 1);
    for (std::size_t s = 0; s < count; ++s) {
        stripStarts_[s] = static_cast<std::size_t>(total);
        const uint64_t offset = stripOffsets_[s];
        if (offset < r.Size()) total += std::min<uint64_t>(stripByteCounts_[s], r.Size() - offset);
        if (total > TBMPImage::kMaxBytes) TooLarge();
    }
    stripStarts_[count] = static_cast<std::size_t>(total);
    borrowed_ = BorrowStrips && count == 1;
    if (borrowed_) {
        if (total > 0) borrowedStrip_ = r.Bytes(stripOffsets_[0], total);
        return;
    }
    strips_.resize(static_cast<std::size_t>(total));
    for (std::size_t s = 0; s < count; ++s) {
        const std::size_t n = stripStarts_[s + 1] - stripStarts_[s];
        if (n > 0) std::memcpy(strips_.data() + stripStarts_[s], r.Bytes(stripOffsets_[s], n).data(), n);
    }
}

struct TTIFImage::TWork {
    std::vector<uint8_t> band;      // rows of the image's width, as stored
    std::vector<uint8_t> tile;      // one tile's rows
    std::vector<uint8_t> reversed;  // a segment's bytes with their bits reversed
    std::vector<uint8_t> plane;     // one plane's rows, of a page of separate planes
    std::unique_ptr<TJpegSegmentDecoder> jpeg;  // made by the first JPEG segment
};

void TTIFImage::DecodeSegment(std::size_t index, const TSegment& seg, std::span<uint8_t> out, TWork& work) const {
    std::span<const uint8_t> in = Strips().subspan(stripStarts_[index], stripStarts_[index + 1] - stripStarts_[index]);
    if (IsCcitt(compression_)) {
        ccitt::TDecodeOptions options;
        options.Scheme = compression_ == kGroup4   ? ccitt::TScheme::Group4
                         : compression_ == kGroup3 ? ccitt::TScheme::Group3
                                                   : ccitt::TScheme::ModifiedHuffman;
        options.Width = seg.width;
        options.Rows = seg.rows;
        options.TwoDimensional = compression_ == kGroup3 && (t4Options_ & 1) != 0;
        options.ByteAlignedEOL = compression_ == kGroup3 && (t4Options_ & 4) != 0;
        options.LeastSignificantBitFirst = fillOrder_ == 2;
        if (!ccitt::Decode(in, options, out, seg.rowBytes)) Corrupt();
        return;
    }
    if (compression_ == kJPEG) {
        if (!work.jpeg) work.jpeg = std::make_unique<TJpegSegmentDecoder>(jpegTables_);
        TJpegSegment jpeg;
        jpeg.Data = in;
        jpeg.Width = seg.width;
        jpeg.Rows = seg.rows;
        jpeg.MaxRows = seg.maxRows;
        jpeg.Components = static_cast<int>(seg.samples);
        jpeg.YCbCr = photometric_ == 6;
        if (!work.jpeg->Decode(jpeg, out)) Corrupt();
        return;
    }
    // The bytes may be stored with their bits in reverse order (FillOrder
    // 2), whatever the size of the samples.
    if (fillOrder_ == 2) {
        work.reversed.resize(in.size());
        for (std::size_t i = 0; i < in.size(); ++i) work.reversed[i] = kReversed[in[i]];
        in = work.reversed;
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
            const lzw::TResult result = lzw::IsOldStyle(in) ? lzw::DecodeOldStyle(in, out) : lzw::Decode(in, out);
            if (!result.Valid || result.Written < out.size()) Corrupt();
            break;
        }
        case kAdobeDeflate:
        case kDeflate:
            if (!Inflate(in, out)) Corrupt();
            break;
        default:
            Fail("Unknown or unsupported Compression method");
    }
    // The predictor works along the rows of the segment.
    if ((compression_ == kLZW || compression_ == kAdobeDeflate || compression_ == kDeflate) && predictor_ == 2)
        lzw::UndoHorizontalDifferencing(out, seg.rowBytes, seg.samples, seg.bits, bigEndian_);
}

void TTIFImage::ReadBand(unsigned plane, uint32_t band, unsigned samples, unsigned bits, unsigned pixelBits,
                         std::span<uint8_t> out, TWork& work) const {
    const uint64_t first = uint64_t{band} * segmentRows_;
    const auto rows = static_cast<uint32_t>(std::min<uint64_t>(segmentRows_, height_ - first));
    const std::size_t perPlane = stripCount_;
    if (!tiled_) {
        DecodeSegment(std::size_t{plane} * perPlane + band,
                      {width_, rows, segmentRows_, samples, bits, static_cast<std::size_t>(RowBytesOf(width_, pixelBits))},
                      out, work);
        return;
    }
    // Tiles hold whole bytes per row (their width is meant to be a multiple
    // of 16); the parts of the last tiles beyond the image are dropped.
    const uint64_t tileBits = uint64_t{tileWidth_} * pixelBits;
    if (tileBits % 8 != 0) Unsupported();
    const uint64_t tileRow = tileBits / 8;
    const uint64_t bandRow = RowBytesOf(width_, pixelBits);
    // A tile far larger than its part of the image would cost memory out of
    // all proportion. Only the rows inside the image are decoded, except
    // that libjpeg may hold a whole JPEG frame (of a progressive JPEG).
    const uint64_t tileBytes = tileRow * rows;
    const uint64_t heldRows = compression_ == kJPEG ? tileLength_ : rows;
    if (tileRow > TBMPImage::kMaxBytes || tileRow * heldRows > std::max<uint64_t>(4 * bandRow * rows, uint64_t{1} << 24))
        TooLarge();
    std::vector<uint8_t>& tile = work.tile;
    Reserve(tile, tileBytes);
    const TSegment seg{tileWidth_, rows, tileLength_, samples, bits, static_cast<std::size_t>(tileRow)};
    for (uint32_t x = 0; x < across_; ++x) {
        DecodeSegment(std::size_t{plane} * perPlane + std::size_t{band} * across_ + x, seg, tile, work);
        const uint64_t at = x * tileRow;
        const auto n = static_cast<std::size_t>(std::min(tileRow, bandRow - at));
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(out.data() + y * bandRow + at, tile.data() + y * tileRow, n);
    }
}

namespace {

// The compressions a decoder accepts: the CCITT ones only for bilevel pages,
// JPEG only for pages of 8-bit samples that are not palette indices.
void CheckCompression(uint16_t compression, bool ccitt, bool jpeg) {
    if (compression == kNone || compression == kLZW || compression == kPackBits || compression == kAdobeDeflate ||
        compression == kDeflate)
        return;
    if (ccitt && IsCcitt(compression)) return;
    if (jpeg && compression == kJPEG) return;
    if (compression == kOldJPEG) Fail("JPEG Compression not supported");
    Fail("Unknown or unsupported Compression method");
}

// Turns a bitmap whose rows and columns lie as Orientation `orientation`
// says (2 to 8) into the upright picture: 2 mirrors it, 3 turns it half
// round, 4 flips it; 5 to 8 swap rows and columns (5 transposes, 6 turns a
// quarter clockwise, 7 transposes across the other diagonal, 8 turns a
// quarter anticlockwise).
void Orient(TBMPImage& bitmap, uint16_t orientation) {
    if (orientation < 2 || orientation > 8) return;
    const uint32_t w = bitmap.Width(), h = bitmap.Height();
    const bool turned = orientation >= 5;
    const unsigned bpp = bitmap.BitsPerPixel();
    TBMPImage out;
    out.SetSize(turned ? h : w, turned ? w : h, static_cast<uint8_t>(bpp));
    out.Palette() = bitmap.Palette();
    const uint32_t ow = out.Width(), oh = out.Height();
    for (uint32_t y = 0; y < oh; ++y) {
        uint8_t* dst = out.Row(y);
        for (uint32_t x = 0; x < ow; ++x) {
            // The stored pixel shown at (x, y).
            uint32_t sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;
                case 3: sx = w - 1 - x; sy = h - 1 - y; break;
                case 4: sy = h - 1 - y; break;
                case 5: sx = y; sy = x; break;
                case 6: sx = y; sy = h - 1 - x; break;
                case 7: sx = w - 1 - y; sy = h - 1 - x; break;
                default: sx = w - 1 - y; sy = x; break;
            }
            const uint8_t* src = bitmap.Row(sy);
            if (bpp >= 8) {
                const unsigned bytes = bpp / 8;
                std::memcpy(dst + std::size_t{x} * bytes, src + std::size_t{sx} * bytes, bytes);
            } else {
                const uint64_t from = uint64_t{sx} * bpp, to = uint64_t{x} * bpp;
                const unsigned v = SampleAt(src, from, bpp);
                dst[to / 8] = static_cast<uint8_t>(dst[to / 8] | v << (8 - bpp - to % 8));
            }
        }
    }
    bitmap = std::move(out);
}

}  // namespace

void TTIFImage::AssignTo(TBMPImage& bitmap) const {
    if (stripStarts_.empty()) Fail("TIFF file has missing image Width/Height");  // nothing loaded
    const std::size_t n = bits_.size();
    const unsigned b1 = bits_[0];
    auto same = [&](std::size_t count) {
        return n == samplesPerPixel_ && n >= count && std::all_of(bits_.begin(), bits_.begin() + count, [&](uint16_t b) { return b == b1; });
    };
    TBMPImage decoded;
    switch (photometric_) {
        case 0:
        case 1:
            if (b1 == 1) {
                if (n != 1 || samplesPerPixel_ != 1) Fail("TIFF file error in bilevel image data");
                CheckCompression(compression_, true, false);
                DecodeBilevel(decoded);
            } else if (b1 == 2 || b1 == 4 || b1 == 8 || b1 == 12 || b1 == 16) {
                if (n != samplesPerPixel_ || (n != 1 && n != 2) || (n == 2 && bits_[1] != b1))
                    Fail("TIFF file error in grayscale image data");
                CheckCompression(compression_, false, b1 == 8);
                DecodeGray(decoded);
            } else {
                Unsupported();
            }
            break;
        case 2:
            if (!same(3) || (b1 != 8 && b1 != 16)) Fail("TIFF file error in RGB image data");
            CheckCompression(compression_, false, b1 == 8);
            DecodeColour(decoded);
            break;
        case 3: {
            // An extra sample (alpha) after the index is dropped.
            const bool ok = n == samplesPerPixel_ && (n == 1 || (n == 2 && bits_[1] == b1)) &&
                            (b1 == 1 || b1 == 2 || b1 == 4 || b1 == 8) && colorMap_.size() >= (std::size_t{3} << b1);
            if (!ok) Fail("TIFF file error in palette image data");
            CheckCompression(compression_, false, false);
            DecodePalette(decoded);
            break;
        }
        case 5:
            if (!same(4) || (b1 != 8 && b1 != 16) || inkSet_ != 1 || numberOfInks_ != 4)
                Fail("TIFF file Separated image format not supported");
            CheckCompression(compression_, false, b1 == 8);
            DecodeColour(decoded);
            break;
        case 6:
            // As JPEG data only, which libjpeg turns into RGB.
            if (!same(3) || n != 3 || b1 != 8 || planarConfiguration_ == 2 ||
                (compression_ != kJPEG && compression_ != kOldJPEG))
                Fail("TIFF file YCbCr format not supported");
            if (compression_ == kOldJPEG)
                DecodeOldJpeg(decoded);
            else
                DecodeColour(decoded);
            break;
        case 8:  // CIE L*a*b*
            if (!same(3) || (b1 != 8 && b1 != 16)) Fail("TIFF file PhotometricInterpretation value not supported");
            CheckCompression(compression_, false, false);
            DecodeColour(decoded);
            break;
        default:
            Fail("TIFF file PhotometricInterpretation value not supported");
    }
    Orient(decoded, orientation_);
    bitmap = std::move(decoded);
}

namespace {

// Predictor 2 is undone after LZW or Deflate for samples of 8 and 16 bits;
// any other predictor, or differencing of other sample sizes, is not read.
// Other compressions take no predictor.
void CheckPredictor(uint16_t compression, uint16_t predictor, unsigned bitsPerSample) {
    if ((compression != kLZW && compression != kAdobeDeflate && compression != kDeflate) || predictor == 1) return;
    if (predictor != 2 || (bitsPerSample != 8 && bitsPerSample != 16)) Unsupported();
}

// The first row of `band` and its number of rows.
struct TBandRows {
    uint32_t first;
    uint32_t count;
};

TBandRows RowsOf(uint32_t band, uint32_t rowsPerBand, uint32_t height) {
    const uint64_t first = uint64_t{band} * rowsPerBand;
    return {static_cast<uint32_t>(first), static_cast<uint32_t>(std::min<uint64_t>(rowsPerBand, height - first))};
}

// A 16-bit sample in the file's byte order, reduced to 8 bits.
inline uint8_t Sample16(const uint8_t* p, bool bigEndian) noexcept {
    return To8(bigEndian ? (unsigned{p[0]} << 8) | p[1] : p[0] | (unsigned{p[1]} << 8));
}

}  // namespace

void TTIFImage::DecodeBilevel(TBMPImage& bitmap) const {
    CheckPredictor(compression_, predictor_, 1);
    bitmap.SetSize(width_, height_, 1);
    bitmap.Palette() = {{0, 0, 0}, {255, 255, 255}};
    const std::size_t rowBytes = bitmap.RowBytes();
    TWork work;
    for (uint32_t b = 0; b < bands_; ++b) {
        const TBandRows rows = RowsOf(b, segmentRows_, height_);
        ReadBand(0, b, 1, 1, 1, bitmap.Pixels().subspan(rows.first * rowBytes, rows.count * rowBytes), work);
    }
    // Sample 0 is white in WhiteIsZero data; entry 0 of the palette is black.
    if (photometric_ == 0)
        for (uint8_t& b : bitmap.Pixels()) b = static_cast<uint8_t>(~b);
}

void TTIFImage::DecodeGray(TBMPImage& bitmap) const {
    const unsigned bits = bits_[0];  // 2, 4, 8, 12 or 16
    const unsigned samples = static_cast<unsigned>(bits_.size());  // 1, or 2 with alpha after gray
    const bool separate = planarConfiguration_ == 2 && samples == 2;
    CheckPredictor(compression_, predictor_, bits);
    // Sixteen and twelve bits are reduced to eight; two bits become four (v
    // to 5v, the grey level 85v).
    const unsigned depth = bits <= 4 ? 4 : 8;
    bitmap.SetSize(width_, height_, static_cast<uint8_t>(depth));
    auto& palette = bitmap.Palette();
    palette.resize(std::size_t{1} << depth);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const auto v = static_cast<uint8_t>(depth == 4 ? 17 * i : i);
        palette[i] = {v, v, v};
    }
    const std::size_t bitmapRow = bitmap.RowBytes();
    const unsigned stored = separate ? 1 : samples;  // samples per pixel in the plane read
    const uint64_t rowBytes = RowBytesOf(width_, uint64_t{bits} * stored);
    TWork work;
    std::vector<uint8_t>& band = work.band;
    for (uint32_t b = 0; b < bands_; ++b) {
        const TBandRows rows = RowsOf(b, segmentRows_, height_);
        std::span<uint8_t> target = bitmap.Pixels().subspan(rows.first * bitmapRow, rows.count * bitmapRow);
        if (stored == 1 && (bits == 4 || bits == 8)) {
            ReadBand(0, b, 1, bits, bits, target, work);
            continue;
        }
        Reserve(band, rowBytes * rows.count);
        ReadBand(0, b, stored, bits, bits * stored, band, work);
        for (uint32_t y = 0; y < rows.count; ++y) {
            const uint8_t* src = band.data() + y * rowBytes;
            uint8_t* dst = target.data() + y * bitmapRow;
            if (bits == 16) {
                for (uint32_t x = 0; x < width_; ++x) dst[x] = Sample16(src + std::size_t{2} * stored * x, bigEndian_);
            } else if (bits == 12) {
                // Twelve bits, most significant first, scaled to eight.
                for (uint32_t x = 0; x < width_; ++x) {
                    const uint64_t at = uint64_t{x} * 12 * stored;
                    const uint8_t* p = src + at / 8;
                    const unsigned v = ((unsigned{p[0]} << 8 | p[1]) >> (4 - at % 8)) & 0xFFF;
                    dst[x] = static_cast<uint8_t>((v * 255 + 2047) / 4095);
                }
            } else if (bits == 8) {
                for (uint32_t x = 0; x < width_; ++x) dst[x] = src[2 * x];
            } else if (bits == 2) {
                for (uint32_t x = 0; x < width_; ++x) {
                    const auto g = static_cast<uint8_t>(5 * SampleAt(src, uint64_t{x} * 2 * stored, 2));
                    dst[x / 2] = static_cast<uint8_t>(x % 2 == 0 ? g << 4 : dst[x / 2] | g);
                }
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
    const unsigned bits = bits_[0];  // 1, 2, 4 or 8
    // An extra sample after the index is not read; two-bit indices go to a
    // four-bit bitmap.
    const unsigned stored = planarConfiguration_ == 2 ? 1 : static_cast<unsigned>(bits_.size());
    const unsigned depth = bits == 2 ? 4 : bits;
    CheckPredictor(compression_, predictor_, bits);
    bitmap.SetSize(width_, height_, static_cast<uint8_t>(depth));
    // The map holds all red values, then all green, then all blue, in 16
    // bits; the high byte is the 8-bit value.
    const std::size_t entries = std::size_t{1} << bits;
    auto& palette = bitmap.Palette();
    palette.resize(entries);
    for (std::size_t i = 0; i < entries; ++i)
        palette[i] = {static_cast<uint8_t>(colorMap_[i] >> 8), static_cast<uint8_t>(colorMap_[entries + i] >> 8),
                      static_cast<uint8_t>(colorMap_[2 * entries + i] >> 8)};
    palette.resize(std::size_t{1} << depth, {0, 0, 0});
    const std::size_t rowBytes = bitmap.RowBytes();
    const unsigned pixelBits = bits * stored;
    const uint64_t bandRow = RowBytesOf(width_, pixelBits);
    TWork work;
    std::vector<uint8_t>& band = work.band;
    for (uint32_t b = 0; b < bands_; ++b) {
        const TBandRows rows = RowsOf(b, segmentRows_, height_);
        std::span<uint8_t> target = bitmap.Pixels().subspan(rows.first * rowBytes, rows.count * rowBytes);
        if (stored == 1 && depth == bits) {
            ReadBand(0, b, 1, bits, bits, target, work);
            continue;
        }
        Reserve(band, bandRow * rows.count);
        ReadBand(0, b, stored, bits, pixelBits, band, work);
        for (uint32_t y = 0; y < rows.count; ++y) {
            const uint8_t* src = band.data() + y * bandRow;
            uint8_t* dst = target.data() + y * rowBytes;
            std::memset(dst, 0, rowBytes);
            for (uint32_t x = 0; x < width_; ++x) {
                const unsigned v = SampleAt(src, uint64_t{x} * pixelBits, bits);
                const uint64_t to = uint64_t{x} * depth;
                dst[to / 8] = static_cast<uint8_t>(dst[to / 8] | v << (8 - depth - to % 8));
            }
        }
    }
}

void TTIFImage::DecodeColour(TBMPImage& bitmap) const {
    const unsigned bits = bits_[0];  // 8 or 16
    const bool cmyk = photometric_ == 5, lab = photometric_ == 8;
    // Associated alpha (ExtraSamples 1) after red, green and blue: the
    // colours are stored multiplied by it, and are divided by it here.
    const bool premultiplied = photometric_ == 2 && bits_.size() >= 4 && bits_[3] == bits && extraSample_ == 1;
    const unsigned wanted = (cmyk || premultiplied) ? 4 : 3;
    const bool separate = planarConfiguration_ == 2;
    CheckPredictor(compression_, predictor_, bits);
    uint64_t pixelBits = 0;
    for (uint16_t b : bits_) pixelBits += b;
    if (!separate && pixelBits % 8 != 0) Fail(cmyk ? "TIFF file Separated image format not supported" : "TIFF file error in RGB image data");
    if (pixelBits > (uint64_t{1} << 24)) TooLarge();
    bitmap.SetSize(width_, height_, 24);
    const unsigned sampleBytes = bits / 8;
    const unsigned top = bits == 8 ? 255 : 65535;
    // Pixels as stored, or gathered from the planes the page is made of
    // (planes beyond those wanted are not read).
    const std::size_t pixel = separate ? std::size_t{wanted} * sampleBytes : static_cast<std::size_t>(pixelBits / 8);
    const uint64_t rowBytes = uint64_t{width_} * pixel;
    auto sample = [&](const uint8_t* p) -> unsigned {
        return sampleBytes == 1 ? p[0] : bigEndian_ ? (unsigned{p[0]} << 8) | p[1] : p[0] | (unsigned{p[1]} << 8);
    };
    auto eight = [&](unsigned v) { return sampleBytes == 1 ? static_cast<uint8_t>(v) : To8(v); };
    auto signedSample = [&](unsigned v) { return sampleBytes == 1 ? static_cast<int8_t>(v) : static_cast<int16_t>(v) / 256.0; };
    const TLabToRgb labToRgb;
    TWork work;
    std::vector<uint8_t>& band = work.band;
    for (uint32_t b = 0; b < bands_; ++b) {
        const TBandRows rows = RowsOf(b, segmentRows_, height_);
        Reserve(band, rowBytes * rows.count);
        if (!separate) {
            ReadBand(0, b, static_cast<unsigned>(bits_.size()), bits, static_cast<unsigned>(pixelBits), band, work);
        } else {
            const std::size_t count = std::size_t{width_} * rows.count;
            for (unsigned plane = 0; plane < wanted; ++plane) {
                Reserve(work.plane, uint64_t{count} * sampleBytes);
                ReadBand(plane, b, 1, bits, bits, work.plane, work);
                for (std::size_t i = 0; i < count; ++i)
                    std::memcpy(band.data() + i * pixel + plane * sampleBytes, work.plane.data() + i * sampleBytes, sampleBytes);
            }
        }
        for (uint32_t y = 0; y < rows.count; ++y) {
            const uint8_t* src = band.data() + y * rowBytes;
            uint8_t* dst = bitmap.Row(rows.first + y);
            for (uint32_t x = 0; x < width_; ++x, src += pixel, dst += 3) {
                const unsigned s0 = sample(src), s1 = sample(src + sampleBytes), s2 = sample(src + 2 * sampleBytes);
                if (cmyk) {
                    const unsigned k = eight(sample(src + 3 * sampleBytes));
                    dst[0] = Ink(eight(s2), k);
                    dst[1] = Ink(eight(s1), k);
                    dst[2] = Ink(eight(s0), k);
                } else if (lab) {
                    const auto rgb = labToRgb.Convert(s0 * 100.0 / top, signedSample(s1), signedSample(s2));
                    dst[0] = rgb[2];
                    dst[1] = rgb[1];
                    dst[2] = rgb[0];
                } else if (premultiplied) {
                    // As Pillow divides: no alpha is black, and the quotient
                    // is cut down to a whole sample.
                    const unsigned a = sample(src + 3 * sampleBytes);
                    auto divide = [&](unsigned c) -> uint8_t {
                        if (a == 0) return 0;
                        return eight(c >= a ? top : static_cast<unsigned>(uint64_t{c} * top / a));
                    };
                    dst[0] = divide(s2);
                    dst[1] = divide(s1);
                    dst[2] = divide(s0);
                } else {
                    dst[0] = eight(s2);
                    dst[1] = eight(s1);
                    dst[2] = eight(s0);
                }
            }
        }
    }
}

void TTIFImage::DecodeOldJpeg(TBMPImage& bitmap) const {
    // Only baseline (JPEGProc 1) pages whose stream could be put together:
    // one stream in the strips, or a header and strips that continue it, or
    // one tile.
    if (jpegProc_ != 1 || (tiled_ && stripCount_ != 1)) Fail("JPEG Compression not supported");
    if (!oldJpegReady_) Corrupt();
    std::vector<uint8_t> stream = oldJpegHeader_;
    const std::size_t planes = planarConfiguration_ == 2 ? samplesPerPixel_ : 1;
    const std::size_t count = std::min<std::size_t>(std::size_t{stripCount_} * planes, stripStarts_.size() - 1);
    if (stripStarts_[count] + stream.size() + 2 * count + 2 > TBMPImage::kMaxBytes) TooLarge();
    stream.reserve(stripStarts_[count] + stream.size() + 2 * count + 2);
    for (std::size_t s = 0; s < count; ++s) {
        if (oldJpegRestarts_ && s > 0) stream.insert(stream.end(), {0xFF, static_cast<uint8_t>(0xD0 + (s - 1) % 8)});
        std::size_t end = stripStarts_[s + 1];
        // A strip's own end marker would end the stream there.
        const std::span<const uint8_t> strips = Strips();
        if (oldJpegRestarts_ && end - stripStarts_[s] >= 2 && strips[end - 2] == 0xFF && strips[end - 1] == 0xD9)
            end -= 2;
        stream.insert(stream.end(), strips.begin() + static_cast<std::ptrdiff_t>(stripStarts_[s]),
                      strips.begin() + static_cast<std::ptrdiff_t>(end));
    }
    if (!oldJpegHeader_.empty()) stream.insert(stream.end(), {0xFF, 0xD9});

    // The frame may be a little larger than the page (a tile, or whole
    // blocks): its top left part is the page. Its samples are taken as
    // stored, chroma repeated over its block, and converted as the
    // page's YCbCr fields say.
    TJPEGImageExtra header;
    try {
        header.LoadHeader(stream);
    } catch (const EInvalidGraphic&) {
        Corrupt();
    }
    const uint32_t frameWidth = header.Width(), frameHeight = header.Height();
    if (header.Components() != 3 || frameWidth < width_ || frameHeight < height_ || frameWidth - width_ > 256 ||
        frameHeight - height_ > 256)
        Corrupt();
    std::vector<uint8_t> samples;
    Reserve(samples, uint64_t{frameWidth} * 3 * height_);
    TJpegSegment segment;
    segment.Data = stream;
    segment.Width = frameWidth;
    segment.Rows = height_;
    segment.MaxRows = frameHeight;
    segment.Components = 3;
    segment.Replicate = true;
    TJpegSegmentDecoder decoder({});
    if (!decoder.Decode(segment, samples)) Corrupt();
    const TYCbCrToRgb convert(luma_, referenceBlackWhite_);
    bitmap.SetSize(width_, height_, 24);
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* src = samples.data() + std::size_t{y} * frameWidth * 3;
        uint8_t* dst = bitmap.Row(y);
        for (uint32_t x = 0; x < width_; ++x, src += 3, dst += 3) convert.Convert(src[0], src[1], src[2], dst);
    }
}

}  // namespace vellumark
