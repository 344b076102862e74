#include "decoders/PNGImage.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "base/ByteReader.h"
#include "base/InvalidGraphic.h"

namespace vellumark {

namespace {

constexpr const char* kNotValid = "Image is not a valid PNG.";
[[noreturn]] void Invalid() { throw EInvalidGraphic(kNotValid); }
[[noreturn]] void TooLarge() { throw EInvalidGraphic("Image is too large"); }

constexpr std::array<uint8_t, 8> kSignature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Deflate cannot expand data more than this (a 258-byte match in two bits).
constexpr uint64_t kMaxInflateRatio = 1032;
// Scan lines are inflated this many bytes at a time (at least one line).
constexpr std::size_t kBlockBytes = 128 * 1024;
// The check of kept image data inflates into a buffer of this size.
constexpr std::size_t kCheckBytes = 1024 * 1024;
// zlib takes at most this much input in one piece (its counts are 32-bit).
constexpr std::size_t kMaxPiece = std::size_t{1} << 30;

bool IsType(const uint8_t* type, const char (&name)[5]) { return std::memcmp(type, name, 4) == 0; }

// A 16-bit sample as the nearest 8-bit one.
inline uint8_t Reduce16(uint32_t v) { return static_cast<uint8_t>((v * 255 + 32767) / 65535); }
inline uint8_t Reduce16(const uint8_t* p) { return Reduce16(static_cast<uint32_t>(p[0]) << 8 | p[1]); }

// Bits per pixel of the bitmap for a valid colour type and bit depth, 0 for
// an invalid pair.
uint8_t BitmapBits(uint8_t colorType, uint8_t depth) {
    switch (colorType) {
        case 0:
            if (depth == 1) return 1;
            if (depth == 2 || depth == 4) return 4;
            if (depth == 8 || depth == 16) return 8;
            return 0;
        case 2: return depth == 8 || depth == 16 ? 24 : 0;
        case 3:
            if (depth == 1) return 1;
            if (depth == 2 || depth == 4) return 4;
            return depth == 8 ? 8 : 0;
        case 4: return depth == 8 || depth == 16 ? 8 : 0;
        case 6: return depth == 8 || depth == 16 ? 24 : 0;
        default: return 0;
    }
}

uint32_t Channels(uint8_t colorType) {
    switch (colorType) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;
    }
}

// The Adam7 passes, or the whole image as one pass.
struct TPass {
    uint32_t x0, y0, dx, dy;
};
constexpr std::array<TPass, 7> kAdam7 = {{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
constexpr TPass kWhole = {0, 0, 1, 1};

uint32_t PassSize(uint32_t size, uint32_t start, uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Inflates the image data (all IDAT data, joined) into caller buffers.
class TInflater {
public:
    explicit TInflater(std::span<const uint8_t> input) : input_(input) {
        if (inflateInit(&stream_) != Z_OK) throw std::bad_alloc();
    }
    ~TInflater() { inflateEnd(&stream_); }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    // Fills out[0..size) completely; data that ends first is invalid.
    void Fill(uint8_t* out, std::size_t size) {
        stream_.next_out = out;
        stream_.avail_out = static_cast<uInt>(size);
        while (stream_.avail_out > 0) {
            if (ended_) Invalid();
            if (stream_.avail_in == 0) {
                if (input_.empty()) Invalid();
                const std::size_t piece = std::min<std::size_t>(input_.size(), kMaxPiece);
                stream_.next_in = const_cast<Bytef*>(input_.data());
                stream_.avail_in = static_cast<uInt>(piece);
                input_ = input_.subspan(piece);
                continue;
            }
            const int rc = inflate(&stream_, Z_NO_FLUSH);
            if (rc == Z_STREAM_END) {
                ended_ = true;
            } else if (rc == Z_MEM_ERROR) {
                throw std::bad_alloc();
            } else if (rc != Z_OK) {
                // Z_DATA_ERROR, Z_NEED_DICT; Z_BUF_ERROR cannot occur with
                // input and output space left, and would make no progress.
                Invalid();
            }
        }
    }

private:
    std::span<const uint8_t> input_;  // what zlib has not been given yet
    bool ended_ = false;
    z_stream stream_{};
};

inline uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int p = b - c;  // predictor minus a
    const int q = a - c;  // predictor minus b
    const int pa = p < 0 ? -p : p;
    const int pb = q < 0 ? -q : q;
    const int r = p + q;
    const int pc = r < 0 ? -r : r;
    const uint8_t bc = pb <= pc ? b : c;
    return pa <= pb && pa <= pc ? a : bc;
}

// Undoes the filter of one scan line of n bytes in place; prev is the line
// above after unfiltering (zeros for the first line of a pass).
void Unfilter(uint8_t filter, uint8_t* cur, const uint8_t* prev, std::size_t n, std::size_t bpp) {
    const std::size_t lead = std::min(bpp, n);
    switch (filter) {
        case 0: break;
        case 1:
            if (bpp == 3) {
                // The three channels of a pixel are independent chains, kept
                // in registers rather than read back from the line.
                uint8_t a0 = cur[0], a1 = cur[1], a2 = cur[2];
                for (std::size_t i = 3; i + 2 < n; i += 3) {
                    a0 = static_cast<uint8_t>(cur[i] + a0);
                    a1 = static_cast<uint8_t>(cur[i + 1] + a1);
                    a2 = static_cast<uint8_t>(cur[i + 2] + a2);
                    cur[i] = a0;
                    cur[i + 1] = a1;
                    cur[i + 2] = a2;
                }
            } else {
                for (std::size_t i = bpp; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + cur[i - bpp]);
            }
            break;
        case 2:
            for (std::size_t i = 0; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);
            break;
        case 3:
            for (std::size_t i = 0; i < lead; ++i) cur[i] = static_cast<uint8_t>(cur[i] + (prev[i] >> 1));
            if (bpp == 3) {
                uint32_t a0 = cur[0], a1 = cur[1], a2 = cur[2];
                for (std::size_t i = 3; i + 2 < n; i += 3) {
                    a0 = (cur[i] + ((a0 + prev[i]) >> 1)) & 0xFF;
                    a1 = (cur[i + 1] + ((a1 + prev[i + 1]) >> 1)) & 0xFF;
                    a2 = (cur[i + 2] + ((a2 + prev[i + 2]) >> 1)) & 0xFF;
                    cur[i] = static_cast<uint8_t>(a0);
                    cur[i + 1] = static_cast<uint8_t>(a1);
                    cur[i + 2] = static_cast<uint8_t>(a2);
                }
            } else {
                for (std::size_t i = bpp; i < n; ++i)
                    cur[i] = static_cast<uint8_t>(cur[i] + ((cur[i - bpp] + prev[i]) >> 1));
            }
            break;
        case 4:
            for (std::size_t i = 0; i < lead; ++i) cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);
            if (bpp == 3) {
                // The three channels of a pixel are independent chains.
                uint8_t a0 = cur[0], a1 = cur[1], a2 = cur[2];
                uint8_t c0 = prev[0], c1 = prev[1], c2 = prev[2];
                for (std::size_t i = 3; i + 2 < n; i += 3) {
                    const uint8_t b0 = prev[i], b1 = prev[i + 1], b2 = prev[i + 2];
                    a0 = static_cast<uint8_t>(cur[i] + Paeth(a0, b0, c0));
                    a1 = static_cast<uint8_t>(cur[i + 1] + Paeth(a1, b1, c1));
                    a2 = static_cast<uint8_t>(cur[i + 2] + Paeth(a2, b2, c2));
                    cur[i] = a0;
                    cur[i + 1] = a1;
                    cur[i + 2] = a2;
                    c0 = b0;
                    c1 = b1;
                    c2 = b2;
                }
            } else {
                for (std::size_t i = bpp; i < n; ++i)
                    cur[i] = static_cast<uint8_t>(cur[i] + Paeth(cur[i - bpp], prev[i], prev[i - bpp]));
            }
            break;
        default: Invalid();
    }
}

// What the chunks said, gathered before the image data is decoded.
struct THeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t depth = 0;
    uint8_t colorType = 0;
    bool interlaced = false;
    uint8_t bitmapBits = 0;
};

// Stores one unfiltered scan line of `count` pixels into bitmap row y at
// columns x0, x0 + dx, ..., and the alpha samples into the mask.
void Emit(const THeader& h, const uint8_t* raw, uint32_t count, uint32_t y, uint32_t x0, uint32_t dx,
          TBMPImage& bitmap, TAlpha& alpha) {
    uint8_t* row = bitmap.Row(y);
    uint8_t* mask = alpha.Mask.empty() ? nullptr : alpha.Mask.data() + std::size_t{y} * h.width;
    const uint8_t depth = h.depth;
    if (depth < 8) {
        const uint32_t maxSample = (1u << depth) - 1;
        const uint32_t scale = h.colorType == 0 && depth == 2 ? 5 : 1;  // 2-bit grey v is grey level 85 v
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
            const uint32_t bit = i * depth;
            const uint32_t v = (raw[bit >> 3] >> (8 - depth - (bit & 7))) & maxSample;
            const uint32_t index = v * scale;
            if (h.bitmapBits == 1)
                row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | index << (7 - (x & 7)));
            else
                row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | index << ((x & 1) ? 0 : 4));
        }
        return;
    }
    const bool wide = depth == 16;
    switch (h.colorType) {
        case 0:
        case 3:
            if (!wide) {
                if (dx == 1) {
                    std::memcpy(row + x0, raw, count);
                } else {
                    for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) row[x] = raw[i];
                }
            } else {
                for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
                    const uint8_t* s = raw + 2 * std::size_t{i};
                    row[x] = Reduce16(s);
                    if (mask) mask[x] = LoadU16BE(s) == alpha.KeyGray ? 0 : 255;
                }
            }
            break;
        case 2:
            if (!wide) {
                uint8_t* d = row + 3 * std::size_t{x0};
                const std::size_t step = 3 * std::size_t{dx};
                for (uint32_t i = 0; i < count; ++i, raw += 3, d += step) {
                    d[0] = raw[2];
                    d[1] = raw[1];
                    d[2] = raw[0];
                }
            } else {
                for (uint32_t i = 0, x = x0; i < count; ++i, x += dx, raw += 6) {
                    uint8_t* d = row + 3 * std::size_t{x};
                    d[0] = Reduce16(raw + 4);
                    d[1] = Reduce16(raw + 2);
                    d[2] = Reduce16(raw);
                    if (mask)
                        mask[x] = LoadU16BE(raw) == alpha.KeyRed && LoadU16BE(raw + 2) == alpha.KeyGreen &&
                                          LoadU16BE(raw + 4) == alpha.KeyBlue
                                      ? 0
                                      : 255;
                }
            }
            break;
        case 4:
            for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
                if (!wide) {
                    row[x] = raw[2 * std::size_t{i}];
                    mask[x] = raw[2 * std::size_t{i} + 1];
                } else {
                    row[x] = Reduce16(raw + 4 * std::size_t{i});
                    mask[x] = Reduce16(raw + 4 * std::size_t{i} + 2);
                }
            }
            break;
        case 6:
            for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
                uint8_t* d = row + 3 * std::size_t{x};
                if (!wide) {
                    const uint8_t* s = raw + 4 * std::size_t{i};
                    d[0] = s[2];
                    d[1] = s[1];
                    d[2] = s[0];
                    mask[x] = s[3];
                } else {
                    const uint8_t* s = raw + 8 * std::size_t{i};
                    d[0] = Reduce16(s + 4);
                    d[1] = Reduce16(s + 2);
                    d[2] = Reduce16(s);
                    mask[x] = Reduce16(s + 6);
                }
            }
            break;
        default: break;
    }
}

// Inflates, unfilters and stores the image data. `bitmap` is sized and
// `alpha.Mask` allocated by the caller.
void DecodeImageData(const THeader& h, std::span<const uint8_t> idat, TBMPImage& bitmap,
                     TAlpha& alpha) {
    TInflater inflater(idat);
    const uint64_t pixelBits = uint64_t{Channels(h.colorType)} * h.depth;
    const std::size_t bpp = static_cast<std::size_t>(std::max<uint64_t>(1, pixelBits / 8));
    std::vector<uint8_t> block;
    std::vector<uint8_t> prev;
    const std::span<const TPass> passes =
        h.interlaced ? std::span<const TPass>(kAdam7) : std::span<const TPass>(&kWhole, 1);
    for (const TPass& pass : passes) {
        const uint32_t pw = PassSize(h.width, pass.x0, pass.dx);
        const uint32_t ph = PassSize(h.height, pass.y0, pass.dy);
        if (pw == 0 || ph == 0) continue;
        // At most 2^20 pixels of 64 bits: a line fits easily.
        const std::size_t lineBytes = static_cast<std::size_t>((pw * pixelBits + 7) / 8);
        const std::size_t stride = lineBytes + 1;
        const std::size_t blockLines = std::clamp<std::size_t>(kBlockBytes / stride, 1, ph);
        block.resize(blockLines * stride);
        prev.assign(lineBytes, 0);
        for (uint32_t line = 0; line < ph;) {
            const std::size_t n = std::min<std::size_t>(blockLines, ph - line);
            inflater.Fill(block.data(), n * stride);
            const uint8_t* above = prev.data();
            for (std::size_t r = 0; r < n; ++r, ++line) {
                uint8_t* cur = block.data() + r * stride;
                Unfilter(cur[0], cur + 1, above, lineBytes, bpp);
                Emit(h, cur + 1, pw, pass.y0 + line * pass.dy, pass.x0, pass.dx, bitmap, alpha);
                above = cur + 1;
            }
            std::memcpy(prev.data(), above, lineBytes);
        }
    }
    // The unused bits of the last byte of a 1 or 4-bit row stay 0: samples
    // are ORed into a zeroed bitmap.
}

THeader ReadHeader(std::span<const uint8_t> body) {
    if (body.size() != 13) Invalid();
    THeader h;
    h.width = LoadU32BE(body.data());
    h.height = LoadU32BE(body.data() + 4);
    h.depth = body[8];
    h.colorType = body[9];
    const uint8_t compression = body[10], filter = body[11], interlace = body[12];
    if (h.width == 0 || h.height == 0 || h.width > 0x7FFFFFFFu || h.height > 0x7FFFFFFFu) Invalid();
    if (compression != 0 || filter != 0 || interlace > 1) Invalid();
    h.bitmapBits = BitmapBits(h.colorType, h.depth);
    if (h.bitmapBits == 0) Invalid();
    h.interlaced = interlace == 1;
    return h;
}

// Bytes of filtered scan lines the image needs, over all passes.
uint64_t FilteredSize(const THeader& h) {
    const uint64_t pixelBits = uint64_t{Channels(h.colorType)} * h.depth;
    const auto passBytes = [&](const TPass& p) -> uint64_t {
        const uint64_t pw = PassSize(h.width, p.x0, p.dx), ph = PassSize(h.height, p.y0, p.dy);
        return pw == 0 ? 0 : ph * (1 + (pw * pixelBits + 7) / 8);
    };
    if (!h.interlaced) return passBytes(kWhole);
    uint64_t total = 0;
    for (const TPass& p : kAdam7) total += passBytes(p);
    return total;
}

void SetGreyPalette(TBMPImage& bitmap, uint8_t depth) {
    auto& palette = bitmap.Palette();
    const int entries = depth == 1 ? 2 : depth <= 4 ? 16 : 256;
    const int step = depth == 1 ? 255 : depth <= 4 ? 17 : 1;
    palette.resize(entries);
    for (int j = 0; j < entries; ++j) {
        const auto v = static_cast<uint8_t>(j * step);
        palette[j] = {v, v, v};
    }
}

// Whether the image data (all IDAT data, joined) inflate to exactly the
// filtered scan lines of a non-interlaced image, every line with a known
// filter type, the zlib stream ending (zlib checks its checksum) with the
// last line and no data after it. The input is one span, so that zlib runs
// its fast loop over it without stopping at chunk ends, and the output goes
// through a buffer large enough that the window is rarely refilled; the
// lines are not kept.
bool InflatesExactly(const THeader& h, std::span<const uint8_t> input) {
    const uint64_t expected = FilteredSize(h);
    const uint64_t stride = expected / h.height;  // filter byte and line
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) throw std::bad_alloc();
    struct TEnd {
        z_stream& s;
        ~TEnd() { inflateEnd(&s); }
    } end{stream};
    const std::size_t bufferBytes = static_cast<std::size_t>(std::min<uint64_t>(expected, kCheckBytes));
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(bufferBytes);  // not zeroed: only written
    uint64_t total = 0;       // bytes inflated so far
    uint64_t nextFilter = 0;  // where the next line's filter byte is
    for (;;) {
        if (stream.avail_in == 0) {
            if (input.empty()) return false;  // ends before the stream's end
            const std::size_t piece = std::min<std::size_t>(input.size(), kMaxPiece);
            stream.next_in = const_cast<Bytef*>(input.data());
            stream.avail_in = static_cast<uInt>(piece);
            input = input.subspan(piece);
        }
        stream.next_out = buffer.get();
        stream.avail_out = static_cast<uInt>(bufferBytes);
        const int rc = inflate(&stream, Z_NO_FLUSH);
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return false;
        const uint64_t got = bufferBytes - stream.avail_out;
        if (total + got > expected) return false;
        for (; nextFilter < total + got; nextFilter += stride)
            if (buffer[static_cast<std::size_t>(nextFilter - total)] > 4) return false;
        total += got;
        if (rc == Z_STREAM_END) return total == expected && stream.avail_in == 0 && input.empty();
        if (rc == Z_BUF_ERROR && stream.avail_in != 0) return false;  // no progress possible
    }
}

}  // namespace

// What the chunks said: header, palette, transparency and the IDAT data,
// checked up to the point where the image data is decoded.
struct TqzPNGImage::TChunks {
    THeader h;
    TAlpha alpha;
    TPNGBackground background;
    uint32_t xPels = 0, yPels = 0;
    std::vector<TPaletteEntry> palette;
    std::vector<std::span<const uint8_t>> idat;
    uint64_t idatBytes = 0;
};

TqzPNGImage::TChunks TqzPNGImage::ReadChunks(std::span<const uint8_t> data) {
    if (data.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), data.begin()))
        throw EInvalidGraphic("Image does not have a valid PNG signature.");

    TChunks c;
    THeader& h = c.h;
    TAlpha& alpha = c.alpha;
    TPNGBackground& background = c.background;
    std::vector<TPaletteEntry>& palette = c.palette;

    TByteReader in(data, kNotValid);
    in.Seek(kSignature.size());
    bool first = true;
    for (;;) {
        // Length, type, body and CRC; the CRC covers type and body.
        const uint32_t length = in.ReadU32BE();
        const std::span<const uint8_t> typeAndBody = in.Take(uint64_t{length} + 4);
        const uint32_t stored = in.ReadU32BE();
        const uint8_t* type = typeAndBody.data();
        const std::span<const uint8_t> body = typeAndBody.subspan(4);
        if (crc32_z(0, type, typeAndBody.size()) != stored) throw EInvalidGraphic("Invalid CRC in PNG image.");

        const bool isHeader = IsType(type, "IHDR");
        if (first != isHeader) Invalid();  // IHDR first, and only there
        first = false;
        if (isHeader) {
            h = ReadHeader(body);
        } else if (IsType(type, "PLTE")) {
            if (h.colorType == 3) {
                if (length % 3 != 0 || length > 768) Invalid();
                palette.resize(length / 3);
                for (std::size_t i = 0; i < palette.size(); ++i)
                    palette[i] = {body[3 * i], body[3 * i + 1], body[3 * i + 2]};
            }
        } else if (IsType(type, "IDAT")) {
            if (length > 0) c.idat.push_back(body);
            c.idatBytes += length;
        } else if (IsType(type, "IEND")) {
            break;
        } else if (IsType(type, "bKGD")) {
            background = {};
            if (h.colorType == 3 && length == 1) {
                background = {true, body[0], 0, 0, 0, 0};
            } else if ((h.colorType == 0 || h.colorType == 4) && length == 2) {
                background = {true, 0, LoadU16BE(body.data()), 0, 0, 0};
            } else if ((h.colorType == 2 || h.colorType == 6) && length == 6) {
                background = {true, 0, 0, LoadU16BE(body.data()), LoadU16BE(body.data() + 2), LoadU16BE(body.data() + 4)};
            }
        } else if (IsType(type, "tRNS")) {
            if (h.colorType == 0 && length == 2) {
                alpha.KeyGray = LoadU16BE(body.data());
                alpha.Kind = h.depth == 16 ? TAlpha::kMask : TAlpha::kGrayKey;
                alpha.KeyMask = h.depth == 16;
                // The palette index Emit gives a sample of the key's value.
                const uint32_t level = alpha.KeyGray & ((1u << std::min<uint32_t>(h.depth, 8)) - 1);
                alpha.KeyIndex = static_cast<uint8_t>(h.depth == 2 ? 5 * level : level);
            } else if (h.colorType == 2 && length == 6) {
                alpha.KeyRed = LoadU16BE(body.data());
                alpha.KeyGreen = LoadU16BE(body.data() + 2);
                alpha.KeyBlue = LoadU16BE(body.data() + 4);
                alpha.Kind = h.depth == 16 ? TAlpha::kMask : TAlpha::kRGBKey;
                alpha.KeyMask = h.depth == 16;
            } else if (h.colorType == 3 && length <= 256) {
                alpha.PaletteAlpha.assign(body.begin(), body.end());
                alpha.Kind = TAlpha::kPalette;
            }
        } else if (IsType(type, "pHYs")) {
            const bool metre = length == 9 && body[8] == 1;
            c.xPels = metre ? LoadU32BE(body.data()) : 0;
            c.yPels = metre ? LoadU32BE(body.data() + 4) : 0;
        } else if (IsType(type, "tIME")) {
            // Recognised; the modification time is of no use here.
        } else if (!(type[0] >= 'a' && type[0] <= 'z')) {
            Invalid();  // an unknown critical chunk
        }
    }
    if (c.idatBytes == 0) throw EInvalidGraphic("Image is not a valid PNG - no image data.");

    if (h.colorType == 4 || h.colorType == 6) alpha.Kind = TAlpha::kMask;

    // Sizes before any allocation: the bitmap's limits, then whether the
    // compressed data could hold the image at all.
    if (h.width > TBMPImage::kMaxDimension || h.height > TBMPImage::kMaxDimension) TooLarge();
    const uint64_t bitmapBytes = (uint64_t{h.width} * h.bitmapBits + 7) / 8 * h.height;
    if (bitmapBytes > TBMPImage::kMaxBytes) TooLarge();
    if (FilteredSize(h) > c.idatBytes * kMaxInflateRatio + 1024) Invalid();
    if (h.colorType == 3 && palette.size() > (std::size_t{1} << h.bitmapBits))
        palette.resize(std::size_t{1} << h.bitmapBits);
    return c;
}

void TqzPNGImage::Join(const TChunks& c, std::string& joined) {
    joined.clear();
    joined.reserve(static_cast<std::size_t>(c.idatBytes));
    for (const auto& part : c.idat) joined.append(reinterpret_cast<const char*>(part.data()), part.size());
}

std::span<const uint8_t> TqzPNGImage::JoinedImageData(const TChunks& c, std::string& storage) {
    if (c.idat.size() == 1) return c.idat.front();
    Join(c, storage);
    return {reinterpret_cast<const uint8_t*>(storage.data()), storage.size()};
}

void TqzPNGImage::LoadFromStream(std::span<const uint8_t> data) {
    TChunks c = ReadChunks(data);
    // The parts are joined (when there are several) so that zlib runs its
    // fast loop over all of them at once.
    std::string joined;
    Decode(c, JoinedImageData(c, joined));
}

void TqzPNGImage::Decode(TChunks& c, std::span<const uint8_t> idat) {
    const THeader& h = c.h;
    TBMPImage bitmap;
    bitmap.SetSize(h.width, h.height, h.bitmapBits);
    if (h.colorType == 0 || h.colorType == 4) {
        SetGreyPalette(bitmap, h.depth);
    } else if (h.colorType == 3) {
        bitmap.Palette() = std::move(c.palette);
    }
    if (c.alpha.Kind == TAlpha::kMask) {
        c.alpha.Width = h.width;
        c.alpha.Height = h.height;
        c.alpha.Mask.assign(std::size_t{h.width} * h.height, 0);
    }
    DecodeImageData(h, idat, bitmap, c.alpha);

    bitmap_ = std::move(bitmap);
    palette_.clear();
    imageData_.clear();
    Keep(c);
}

bool TqzPNGImage::Keepable(const TChunks& c) {
    const THeader& h = c.h;
    return !h.interlaced && h.depth <= 8 && (h.colorType == 0 || h.colorType == 2 || h.colorType == 3);
}

bool TqzPNGImage::LoadCompressed(std::span<const uint8_t> data) {
    TChunks c = ReadChunks(data);
    if (!Keepable(c)) return false;
    // Joined first: the kept stream needs them joined, and the check runs
    // faster over one span.
    std::string joined;
    Join(c, joined);
    if (!InflatesExactly(c.h, {reinterpret_cast<const uint8_t*>(joined.data()), joined.size()})) return false;
    bitmap_ = TBMPImage();
    imageData_ = std::move(joined);
    palette_ = std::move(c.palette);
    Keep(c);
    return true;
}

bool TqzPNGImage::LoadKeepingData(std::string& bytes, const std::function<bool(const TqzPNGImage&)>& wanted) {
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    TChunks c = ReadChunks(data);
    bool keep = Keepable(c);
    if (keep) {
        // What the caller decides by: the chunks' information, no pixels.
        TqzPNGImage preview;
        TChunks copy = c;
        preview.palette_ = std::move(copy.palette);
        preview.Keep(copy);
        keep = wanted(preview);
    }
    if (!keep) {
        std::string joined;
        Decode(c, JoinedImageData(c, joined));
        return false;
    }
    // The parts are joined at the front of the file's bytes, each moving
    // down over what is before it and never over a part still to move.
    uint8_t* base = reinterpret_cast<uint8_t*>(bytes.data());
    std::size_t size = 0;
    for (const auto& part : c.idat) {
        std::memmove(base + size, part.data(), part.size());
        size += part.size();
    }
    const std::span<const uint8_t> joined(base, size);
    if (!InflatesExactly(c.h, joined)) {
        Decode(c, joined);
        return false;
    }
    bytes.resize(size);
    bitmap_ = TBMPImage();
    imageData_ = std::move(bytes);
    palette_ = std::move(c.palette);
    Keep(c);
    return true;
}

void TqzPNGImage::Keep(TChunks& c) {
    alpha_ = std::move(c.alpha);
    background_ = c.background;
    width_ = c.h.width;
    height_ = c.h.height;
    bitDepth_ = c.h.depth;
    colorType_ = c.h.colorType;
    interlaced_ = c.h.interlaced;
    xPelsPerMeter_ = c.xPels;
    yPelsPerMeter_ = c.yPels;
}

void TqzPNGImage::AssignTo(TBMPImage& bitmap) { bitmap = std::move(bitmap_); }

}  // namespace vellumark
