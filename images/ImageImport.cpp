#include "images/ImageImport.h"

#include <algorithm>
#include <exception>
#include <unordered_set>
#include <utility>

#include <zlib.h>

#include "base/ByteReader.h"
#include "base/Deflate.h"
#include "base/EPDFError.h"
#include "base/InvalidGraphic.h"
#include "decoders/GIFImage.h"
#include "decoders/JPEGImage.h"
#include "decoders/PCXImage.h"
#include "decoders/PNGImage.h"
#include "decoders/PSDImage.h"
#include "decoders/TIFImage.h"
#include "decoders/WBMPImage.h"
#include "images/AlphaMerge.h"

namespace vellumark {

namespace {

const char* const kUnsupported = "File is not a supported image format";

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// `keepPixels`: the caller uses the bitmap again; otherwise its pixels may be
// left changed.
std::unique_ptr<TPDFImageRes> FromBitmap(TBMPImage& bitmap, const TImportSettings& settings,
                                         bool keepPixels = false) {
    auto image = std::make_unique<TPDFImageRes>();
    image->Width = bitmap.Width();
    image->Height = bitmap.Height();
    image->XResolution = DotsPerInch(bitmap.XPelsPerMeter);
    image->YResolution = DotsPerInch(bitmap.YPelsPerMeter);
    ApplyDefaultResolution(*image);
    if (keepPixels)
        ConvertBitmapToImage(settings.Compression, bitmap, *image);
    else
        ConvertBitmapToImage(settings.Compression, std::move(bitmap), *image);
    return image;
}

// `owned`, when given, holds the same bytes as `data` and may be taken over.
std::unique_ptr<TPDFImageRes> FromJPEG(std::span<const uint8_t> data, const TImportSettings& settings,
                                       std::string* owned) {
    TJPEGImageExtra jpeg;
    jpeg.LoadHeader(data);
    const bool gray = jpeg.Grayscale();
    const TCompressionSettings& c = settings.Compression;
    auto image = std::make_unique<TPDFImageRes>();
    image->Width = jpeg.Width();
    image->Height = jpeg.Height();
    image->XResolution = jpeg.XResolution();
    image->YResolution = jpeg.YResolution();
    ApplyDefaultResolution(*image);
    const bool reuse = (c.RGB == cfJPEG && !gray) || (c.Gray == cfJPEG && gray) || settings.UseSourceCompression;
    if (reuse) {
        // The whole data stream, from its first byte; data that stops before
        // its end marker gets one.
        const TJPEGImageExtra::TEnd end = TJPEGImageExtra::FindEnd(data);
        if (!end.HasEndMarker)
            image->ImageStream.assign(reinterpret_cast<const char*>(data.data()), end.WholeBytes).append("\xFF\xD9");
        else if (owned)
            image->ImageStream = std::move(*owned);
        else
            image->ImageStream.assign(reinterpret_cast<const char*>(data.data()), data.size());
        image->Compression = cfJPEG;
        image->GrayJPEG = gray;
        image->JPEGComponents = static_cast<uint8_t>(jpeg.Components());
        image->JPEGInverted = jpeg.AdobeInverted();
    } else {
        jpeg.LoadFromStream(data);
        TBMPImage bitmap;
        jpeg.AssignTo(bitmap);
        ConvertBitmapToImage(c, bitmap, *image);
    }
    return image;
}

// The readers whose bitmap carries no resolution (72 dpi after the default).
template <class TDecoder>
std::unique_ptr<TPDFImageRes> FromDecoder(std::span<const uint8_t> data, const TImportSettings& settings) {
    TDecoder decoder;
    decoder.LoadFromStream(data);
    TBMPImage bitmap;
    decoder.AssignTo(bitmap);
    return FromBitmap(bitmap, settings);
}

// The image resource of a PNG whose image data would be kept (everything
// but the stream): when the image's class (that of the bitmap decoding
// would give) is stored with Flate; otherwise null. Grey and palette images
// keep their bit depth and are drawn through a palette of as many entries:
// the grey levels, or PLTE with missing entries black.
std::unique_ptr<TPDFImageRes> KeptPNG(const TqzPNGImage& png, const TCompressionSettings& c) {
    const uint8_t depth = png.BitDepth();
    auto image = std::make_unique<TPDFImageRes>();
    if (png.ColorType() == 2) {
        if (c.RGB != cfZIP) return nullptr;
        image->PredictorColors = 3;
    } else {
        const uint8_t bits = depth == 1 ? 1 : depth <= 4 ? 4 : 8;
        TBMPImage probe;  // the decoded bitmap's palette, for its class
        probe.SetSize(1, 1, bits);
        const bool grey = png.ColorType() == 0;
        if (grey) {
            const int levels = 1 << bits;
            for (int j = 0; j < levels; ++j) {
                const auto v = static_cast<uint8_t>(j * 255 / (levels - 1));
                probe.Palette().push_back({v, v, v});
            }
        } else {
            probe.Palette() = png.PaletteEntries();
        }
        const TImageClass cls = ClassOf(probe);
        const TxCompressFormat wanted = cls == TImageClass::BlackAndWhite ? c.BW
                                        : cls == TImageClass::Grayscale   ? c.Gray
                                                                          : c.Indexed;
        if (wanted != cfZIP) return nullptr;
        image->PaletteSize = static_cast<uint16_t>(1u << depth);
        std::string palette;
        palette.reserve(std::size_t{image->PaletteSize} * 3);
        const int maxSample = (1 << depth) - 1;
        for (int i = 0; i < image->PaletteSize; ++i) {
            TPaletteEntry e = probe.PaletteAt(static_cast<std::size_t>(i));
            if (grey) e.Red = e.Green = e.Blue = static_cast<uint8_t>(i * 255 / maxSample);
            palette += static_cast<char>(e.Red);
            palette += static_cast<char>(e.Green);
            palette += static_cast<char>(e.Blue);
        }
        image->PaletteStream = DeflateBuffer(palette.data(), palette.size());
        image->Indexed = true;
        image->PredictorColors = 1;
    }
    image->Width = png.Width();
    image->Height = png.Height();
    ApplyDefaultResolution(*image);
    image->Compression = cfZIP;
    image->BitsPerComponent = depth;
    return image;
}

// `owned`, when given, holds the same bytes as `data`; image data kept are
// joined in place there and taken over.
std::unique_ptr<TPDFImageRes> FromPNG(std::span<const uint8_t> data, const TImportSettings& settings,
                                      std::string* owned) {
    TqzPNGImage png;
    const TCompressionSettings& c = settings.Compression;
    const bool anyFlate = c.BW == cfZIP || c.Gray == cfZIP || c.Indexed == cfZIP || c.RGB == cfZIP;
    std::unique_ptr<TPDFImageRes> kept;
    const auto wanted = [&](const TqzPNGImage& p) {
        // Transparency to merge needs the pixels.
        if (settings.MergeAlpha && p.Alpha().Kind != TAlpha::kNone) return false;
        kept = KeptPNG(p, c);
        return kept != nullptr;
    };
    const bool pass = settings.PassPNGData && anyFlate;
    if (pass && owned) {
        if (png.LoadKeepingData(*owned, wanted)) {
            kept->ImageStream = png.TakeImageData();
            kept->TransparencyDropped = png.Alpha().Kind != TAlpha::kNone;
            return kept;
        }
    } else {
        if (pass && png.LoadCompressed(data) && wanted(png)) {
            kept->ImageStream = png.TakeImageData();
            kept->TransparencyDropped = png.Alpha().Kind != TAlpha::kNone;
            return kept;
        }
        png.LoadFromStream(data);
    }
    TBMPImage bitmap;
    png.AssignTo(bitmap);
    if (settings.MergeAlpha) MergeTransparency(bitmap, png.Alpha(), settings.MergeAlphaColor);
    std::unique_ptr<TPDFImageRes> image = FromBitmap(bitmap, settings);
    image->TransparencyDropped = !settings.MergeAlpha && png.Alpha().Kind != TAlpha::kNone;
    return image;
}

std::unique_ptr<TPDFImageRes> FromGIF(std::span<const uint8_t> data, const TImportSettings& settings) {
    TGIFImage gif;
    gif.LoadFromStream(data);
    TBMPImage bitmap;
    gif.AssignTo(bitmap);
    if (settings.MergeAlpha && gif.TransparentIndex())
        MergeTransparentIndex(bitmap, *gif.TransparentIndex(), settings.MergeAlphaColor);
    std::unique_ptr<TPDFImageRes> image = FromBitmap(bitmap, settings);
    image->TransparencyDropped = !settings.MergeAlpha && gif.TransparentIndex().has_value();
    return image;
}

// `start`, when not 0, is the page's directory offset (PageNumber is then not
// walked to); `next`, when given, receives the next page's. `shared`, when
// given, holds `data`: a strip passed through stays there.
std::unique_ptr<TPDFImageRes> FromTIFF(std::span<const uint8_t> data, const TImportSettings& settings,
                                       uint64_t start = 0, uint64_t* next = nullptr,
                                       const std::shared_ptr<const std::string>& shared = nullptr) {
    TTIFImage tiff;
    tiff.PageNumber = settings.ImageReadNumber;
    tiff.StartDirectory = start;
    tiff.BorrowStrips = true;  // data outlives tiff
    tiff.LoadFromStream(data);
    if (next) *next = tiff.NextDirectory();
    auto image = std::make_unique<TPDFImageRes>();
    image->Width = tiff.Width();
    image->Height = tiff.Height();
    image->XResolution = tiff.XResolution();
    image->YResolution = tiff.YResolution();
    ApplyDefaultResolution(*image);
    const bool reuse = tiff.Compression() == 4 &&
                       (settings.Compression.BW == cfGroup4 || settings.UseSourceCompression) &&
                       !tiff.Tiled() && tiff.StripCount() == 1 && tiff.FillOrder() == 1 && tiff.Orientation() == 1;
    if (reuse) {
        const std::span<const uint8_t> strip = tiff.Strips();
        if (shared && !strip.empty()) {
            image->SharedData = shared;
            image->SharedOffset = tiff.StripOffsets()[0];
            image->SharedSize = strip.size();
        } else {
            image->ImageStream.assign(reinterpret_cast<const char*>(strip.data()), strip.size());
        }
        image->Compression = cfGroup4;
        image->BitsPerComponent = 1;
        image->PaletteSize = 2;
        // BlackIsZero data codes black as white: the viewer is told so.
        image->G4BlackIs1 = tiff.Photometric() == 1;
    } else {
        TBMPImage bitmap;
        tiff.AssignTo(bitmap);
        ConvertBitmapToImage(settings.Compression, bitmap, *image);
    }
    return image;
}

std::unique_ptr<TPDFImageRes> LoadImage(std::span<const uint8_t> data, const TImportSettings& settings,
                                        std::string* owned);

}  // namespace

uint32_t DotsPerInch(uint32_t pixelsPerMetre) noexcept {
    return (pixelsPerMetre * 254u + 5000u) / 10000u;
}

void ApplyDefaultResolution(TPDFImageRes& image) noexcept {
    if (image.XResolution == 0) image.XResolution = 72;
    if (image.YResolution == 0) image.YResolution = image.XResolution;
}

std::unique_ptr<TPDFImageRes> LoadImageFromStream(std::span<const uint8_t> data, const TImportSettings& settings) {
    return LoadImage(data, settings, nullptr);
}

std::unique_ptr<TPDFImageRes> LoadImageFromBytes(std::string&& bytes, const TImportSettings& settings) {
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return LoadImage(data, settings, &bytes);
}

namespace {

std::unique_ptr<TPDFImageRes> LoadImage(std::span<const uint8_t> data, const TImportSettings& settings,
                                        std::string* owned) {
    if (data.size() < 2) throw EReadError();
    const uint16_t kind = static_cast<uint16_t>(data[0] | (data[1] << 8));
    switch (kind) {
        case 0x4D42: {  // "BM"
            TBMPImage bitmap;
            bitmap.LoadFromStream(data);
            return FromBitmap(bitmap, settings);
        }
        case 0xD8FF:  // JPEG
            return FromJPEG(data, settings, owned);
        case 0x0000:
            return FromDecoder<TWBMPImage>(data, settings);
        case 0x050A:
            return FromDecoder<TPCXImage>(data, settings);
        case 0x4238:  // "8B"
            return FromDecoder<TPSDImage>(data, settings);
        case 0x4947:  // "GI"
            return FromGIF(data, settings);
        case 0x5089:
            return FromPNG(data, settings, owned);
        case 0x4949:  // "II"
        case 0x4D4D:  // "MM"
            return FromTIFF(data, settings);
        default:
            throw EPDFError(kUnsupported);
    }
}

}  // namespace

TImageFileReader::TImageFileReader(std::string&& bytes) : bytes_(std::move(bytes)) {
    tiff_ = bytes_.size() >= 2 && ((bytes_[0] == 'I' && bytes_[1] == 'I') || (bytes_[0] == 'M' && bytes_[1] == 'M'));
    if (!tiff_) return;
    // The pages' Group 4 strips passed through stay in the file's bytes.
    shared_ = std::make_shared<const std::string>(std::move(bytes_));
    try {
        count_ = std::max(CountTiffImages(Bytes(*shared_)), int32_t{1});
    } catch (const std::exception&) {
        count_ = 1;
    }
}

std::unique_ptr<TPDFImageRes> TImageFileReader::Next(const TImportSettings& settings) {
    const int32_t number = ++read_;
    TImportSettings s = settings;
    s.ImageReadNumber = number;
    if (!tiff_ || number == 1 || nextDirectory_ == 0) {
        // The first page, or a chain that did not say where it goes on: the
        // page is found by its number, as ImageReadNumber finds it.
        if (!tiff_) return LoadImageFromBytes(std::move(bytes_), s);
        return FromTIFF(Bytes(*shared_), s, 0, &nextDirectory_, shared_);
    }
    return FromTIFF(Bytes(*shared_), s, nextDirectory_, &nextDirectory_, shared_);
}

std::unique_ptr<TPDFImageRes> ImageFromBitmap(TBMPImage& bitmap, const TImportSettings& settings) {
    return FromBitmap(bitmap, settings, true);
}

int32_t CountImages(std::span<const uint8_t> data) {
    if (data.empty()) throw EReadError();
    switch (data[0]) {
        case 0x00: case 0x0A: case 0x38: case 0x42: case 0x47: case 0x89: case 0xFF:
            return 1;
        case 0x49: case 0x4D:
            return CountTiffImages(data);
        default:
            throw EPDFError("File is not a supported graphics format");
    }
}

int32_t CountTiffImages(std::span<const uint8_t> data) {
    const bool little = data.size() >= 2 && data[0] == 'I' && data[1] == 'I';
    const bool big = data.size() >= 2 && data[0] == 'M' && data[1] == 'M';
    auto u16 = [&](uint64_t at, uint32_t& v) {
        if (!FitsIn(data.size(), at, 2)) return false;
        v = little ? (data[at] | (data[at + 1] << 8)) : ((data[at] << 8) | data[at + 1]);
        return true;
    };
    auto u32 = [&](uint64_t at, uint32_t& v) {
        if (!FitsIn(data.size(), at, 4)) return false;
        v = little ? (uint32_t{data[at]} | (uint32_t{data[at + 1]} << 8) | (uint32_t{data[at + 2]} << 16) |
                      (uint32_t{data[at + 3]} << 24))
                   : ((uint32_t{data[at]} << 24) | (uint32_t{data[at + 1]} << 16) | (uint32_t{data[at + 2]} << 8) |
                      uint32_t{data[at + 3]});
        return true;
    };
    uint32_t magic = 0;
    if (!(little || big) || !u16(2, magic) || (magic != 42 && magic != 43)) throw EInvalidGraphic("Data is not in TIFF format");
    // BigTIFF (43): offsets, counts and the entry count in 8 bytes, entries
    // of 20 bytes.
    const bool bigTiff = magic == 43;
    auto u64 = [&](uint64_t at, uint64_t& v) {
        uint32_t first = 0, second = 0;
        if (!u32(at, first) || !u32(at + 4, second)) return false;
        v = little ? uint64_t{second} << 32 | first : uint64_t{first} << 32 | second;
        return true;
    };
    auto offset = [&](uint64_t at, uint64_t& v) {
        if (bigTiff) return u64(at, v);
        uint32_t v32 = 0;
        if (!u32(at, v32)) return false;
        v = v32;
        return true;
    };
    const uint64_t countBytes = bigTiff ? 8 : 2, entryBytes = bigTiff ? 20 : 12, fieldBytes = bigTiff ? 8 : 4;
    if (bigTiff) {
        uint32_t offsetSize = 0, zero = 0;
        if (!u16(4, offsetSize) || !u16(6, zero) || offsetSize != 8 || zero != 0)
            throw EInvalidGraphic("Data is not in TIFF format");
    }
    uint64_t next = 0;
    if (!offset(bigTiff ? 8 : 4, next)) throw EInvalidGraphic("Data is not in TIFF format");
    const uint64_t size = data.size();
    uint64_t total = 0;  // strip bytes of all pages so far
    int32_t count = 0;
    // A chain that comes back to a directory it has counted ends there, with
    // every directory before it counted.
    std::unordered_set<uint64_t> seen{next};
    bool cut = false;
    for (;;) {
        uint64_t entries = 0;
        if (bigTiff) {
            if (!u64(next, entries)) break;
        } else {
            uint32_t entries16 = 0;
            if (!u16(next, entries16)) break;
            entries = entries16;
        }
        if (entries > size) entries = size;  // more could not be there
        bool stop = false;
        for (uint64_t i = 0; i < entries; ++i) {
            const uint64_t e = next + countBytes + entryBytes * i;
            uint32_t tag = 0, type = 0;
            uint64_t n = 0;
            if (!u16(e, tag) || !u16(e + 2, type) || !offset(e + 4, n)) {
                stop = true;
                break;
            }
            if (tag < 279) continue;
            if (tag == 279) {
                if (type != 3 && type != 4 && !(bigTiff && type == 16)) {
                    stop = true;
                } else {
                    const uint64_t width = type == 3 ? 2 : type == 4 ? 4 : 8;
                    uint64_t at = e + 4 + fieldBytes;
                    if (n > fieldBytes || width * n > fieldBytes) {
                        uint64_t where = 0;
                        offset(at, where);
                        at = where;
                    }
                    for (uint64_t k = 0; k < n && k < (1u << 20); ++k) {
                        uint64_t v = 0;
                        uint32_t v32 = 0;
                        const bool read = type == 16 ? u64(at + width * k, v)
                                                     : type == 3 ? u16(at + width * k, v32) : u32(at + width * k, v32);
                        if (!read) break;
                        total += type == 16 ? std::min(v, size) : v32;
                    }
                }
            }
            break;  // entries after StripByteCounts are not needed
        }
        uint64_t after = 0;
        if (!offset(next + countBytes + entryBytes * entries, after)) after = 0;
        ++count;
        next = after;
        if (stop || next == 0 || total >= size || next >= size) break;
        if (!seen.insert(next).second) {
            cut = true;
            break;
        }
    }
    if (next != 0 && !cut) --count;
    return count;
}

}  // namespace vellumark
