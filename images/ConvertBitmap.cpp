#include "images/ConvertBitmap.h"

#include <string>
#include <utility>
#include <vector>

#include "base/Deflate.h"
#include "decoders/JPEGImage.h"
#include "images/Group4Encoder.h"

namespace vellumark {

namespace {

bool IsGray(const TPaletteEntry& e) { return e.Red == e.Green && e.Green == e.Blue; }

// Every entry the class test reads (2, 16 or 256) is gray; entries beyond
// the bitmap's own palette read as black.
bool GrayPalette(const TBMPImage& bitmap) {
    const std::size_t count = std::size_t{1} << bitmap.BitsPerPixel();
    for (std::size_t i = 0; i < count; ++i)
        if (!IsGray(bitmap.PaletteAt(i))) return false;
    return true;
}

// Rows top first, each RowBytes() long: exactly the stored form of palette
// images.
void StoreRows(const TBMPImage& bitmap, std::string& out) {
    auto pixels = bitmap.Pixels();
    out.assign(reinterpret_cast<const char*>(pixels.data()), pixels.size());
}

void DeflateRows(const TBMPImage& bitmap, std::string& out) {
    auto pixels = bitmap.Pixels();
    out = DeflateBuffer(pixels.data(), pixels.size());
}

std::string PaletteBytes(const TBMPImage& bitmap, uint16_t size) {
    std::string bytes;
    bytes.reserve(std::size_t{size} * 3);
    for (uint16_t i = 0; i < size; ++i) {
        const TPaletteEntry e = bitmap.PaletteAt(i);
        bytes += static_cast<char>(e.Red);
        bytes += static_cast<char>(e.Green);
        bytes += static_cast<char>(e.Blue);
    }
    return bytes;
}

std::string Deflate(const std::string& bytes) { return DeflateBuffer(bytes.data(), bytes.size()); }

void StoreJPEG(const TBMPImage& bitmap, bool gray, TPDFImageRes& image) {
    const std::vector<uint8_t> jpeg = TJPEGImageExtra::Encode(bitmap, gray, 90);
    image.ImageStream.assign(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    image.Compression = cfJPEG;
    image.GrayJPEG = gray;
}

// Red, green, blue per pixel, rows from the top; a row at a time through
// `emit`.
template <class Emit>
void RGBRows(const TBMPImage& bitmap, Emit emit) {
    const uint32_t w = bitmap.Width();
    std::string row(std::size_t{w} * 3, '\0');
    for (uint32_t y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* src = bitmap.Row(y);
        for (uint32_t x = 0; x < w; ++x) {
            row[3 * std::size_t{x}] = static_cast<char>(src[3 * std::size_t{x} + 2]);
            row[3 * std::size_t{x} + 1] = static_cast<char>(src[3 * std::size_t{x} + 1]);
            row[3 * std::size_t{x} + 2] = static_cast<char>(src[3 * std::size_t{x}]);
        }
        emit(row);
    }
}

void SwapRedBlue(TBMPImage& bitmap) {
    auto pixels = bitmap.Pixels();
    for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
}

// `restore`: the bitmap's pixels are to be as they were afterwards.
void ConvertRGB(TxCompressFormat compression, TBMPImage& bitmap, TPDFImageRes& image, bool restore) {
    image.BitsPerComponent = 8;
    switch (compression) {
        case cfNone:
            image.ImageStream.clear();
            image.ImageStream.reserve(std::size_t{bitmap.Width()} * bitmap.Height() * 3);
            RGBRows(bitmap, [&](const std::string& row) { image.ImageStream += row; });
            image.Compression = cfNone;
            image.Indexed = false;
            break;
        case cfZIP: {
            // The pixels are blue, green, red in rows of exactly three bytes a
            // pixel: swapped to red, green, blue where they are and compressed
            // as one buffer, then swapped back unless the bitmap is used up.
            SwapRedBlue(bitmap);
            try {
                DeflateRows(bitmap, image.ImageStream);
            } catch (...) {
                if (restore) SwapRedBlue(bitmap);
                throw;
            }
            if (restore) SwapRedBlue(bitmap);
            image.Compression = cfZIP;
            image.Indexed = false;
            break;
        }
        case cfJPEG:
            StoreJPEG(bitmap, false, image);
            break;
        default:
            break;
    }
}

void ConvertPalette(TxCompressFormat compression, bool gray, const TBMPImage& bitmap, TPDFImageRes& image) {
    switch (compression) {
        case cfNone:
            StoreRows(bitmap, image.ImageStream);
            image.PaletteStream = PaletteBytes(bitmap, image.PaletteSize);
            image.Compression = cfNone;
            image.Indexed = true;
            break;
        case cfZIP:
            DeflateRows(bitmap, image.ImageStream);
            image.PaletteStream = Deflate(PaletteBytes(bitmap, image.PaletteSize));
            image.Compression = cfZIP;
            image.Indexed = true;
            break;
        case cfJPEG:
            if (gray) StoreJPEG(bitmap, true, image);
            break;
        default:
            break;
    }
}

// Group 4 codes bit 1 as white and bit 0 as black. The darker palette entry
// must come out black whatever the palette's order, so an image whose first
// entry is the lighter one is inverted first; any two grays are shown as
// black and white.
void StoreGroup4(const TBMPImage& bitmap, TPDFImageRes& image) {
    const TPaletteEntry first = bitmap.PaletteAt(0);
    const TPaletteEntry second = bitmap.PaletteAt(1);
    if (first.Red > second.Red) {
        TBMPImage inverted = bitmap;
        for (uint8_t& byte : inverted.Pixels()) byte = static_cast<uint8_t>(~byte);
        image.ImageStream = EncodeGroup4(inverted);
    } else {
        image.ImageStream = EncodeGroup4(bitmap);
    }
    image.Compression = cfGroup4;
}

}  // namespace

TImageClass ClassOf(const TBMPImage& bitmap) noexcept {
    if (bitmap.BitsPerPixel() == 24) return TImageClass::RGB;
    const bool gray = GrayPalette(bitmap);
    if (bitmap.BitsPerPixel() == 1 && gray) return TImageClass::BlackAndWhite;
    return gray ? TImageClass::Grayscale : TImageClass::Indexed;
}

namespace {

void Convert(const TCompressionSettings& settings, TBMPImage& bitmap, TPDFImageRes& image, bool restore) {
    const uint8_t bpp = bitmap.BitsPerPixel();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) bitmap.ConvertTo24Bit();

    const TImageClass cls = ClassOf(bitmap);
    if (cls == TImageClass::RGB) {
        ConvertRGB(settings.RGB, bitmap, image, restore);
        return;
    }
    image.BitsPerComponent = bitmap.BitsPerPixel();
    image.PaletteSize = static_cast<uint16_t>(1u << bitmap.BitsPerPixel());
    if (cls == TImageClass::BlackAndWhite) {
        if (settings.BW == cfGroup4)
            StoreGroup4(bitmap, image);
        else
            ConvertPalette(settings.BW, false, bitmap, image);
        return;
    }
    const bool gray = cls == TImageClass::Grayscale;
    ConvertPalette(gray ? settings.Gray : settings.Indexed, gray, bitmap, image);
}

}  // namespace

void ConvertBitmapToImage(const TCompressionSettings& settings, TBMPImage& bitmap, TPDFImageRes& image) {
    Convert(settings, bitmap, image, true);
}

void ConvertBitmapToImage(const TCompressionSettings& settings, TBMPImage&& bitmap, TPDFImageRes& image) {
    Convert(settings, bitmap, image, false);
}

}  // namespace vellumark
