// libFuzzer target: arbitrary bytes as a PNG file, as they are and with the
// CRC of every chunk made right (so that mutations reach past the CRC check
// into the chunk handling and the image data). Only EInvalidGraphic may
// come out; a decoded bitmap must be consistent with its header, an alpha
// mask must match the bitmap, and any transparency must merge over a grey
// and a coloured background into a bitmap of the same size. Image data kept
// compressed (LoadCompressed) must be data that decodes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include <zlib.h>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/PNGImage.h"
#include "images/AlphaMerge.h"

namespace {

void Check(const vellumark::TqzPNGImage& png, vellumark::TBMPImage& img) {
    const uint8_t bpp = img.BitsPerPixel();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) std::abort();
    if (img.Width() != png.Width() || img.Height() != png.Height() || img.Empty()) std::abort();
    if (img.Pixels().size() != img.RowBytes() * img.Height()) std::abort();
    if (bpp == 24 ? !img.Palette().empty() : img.Palette().size() > (std::size_t{1} << bpp)) std::abort();
    const vellumark::TAlpha& alpha = png.Alpha();
    if (alpha.Kind == vellumark::TAlpha::kMask &&
        (alpha.Width != img.Width() || alpha.Height != img.Height() ||
         alpha.Mask.size() != std::size_t{img.Width()} * img.Height()))
        std::abort();
    if (alpha.Kind != vellumark::TAlpha::kMask && !alpha.Mask.empty()) std::abort();
}

void Decode(std::span<const uint8_t> bytes) {
    try {
        vellumark::TqzPNGImage png;
        png.LoadFromStream(bytes);
        vellumark::TBMPImage img;
        png.AssignTo(img);
        Check(png, img);
        for (uint32_t colour : {0x808080u, 0x0000FFu}) {
            vellumark::TBMPImage merged = img;
            vellumark::MergeTransparency(merged, png.Alpha(), colour);
            const uint8_t bpp = merged.BitsPerPixel();
            if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) std::abort();
            if (merged.Width() != img.Width() || merged.Height() != img.Height()) std::abort();
            if (merged.Pixels().size() != merged.RowBytes() * merged.Height()) std::abort();
            if (bpp != 24 && merged.Palette().size() > (std::size_t{1} << bpp)) std::abort();
        }
        img.ConvertTo24Bit();
    } catch (const vellumark::EInvalidGraphic&) {
    }
}

// Whatever LoadCompressed keeps for a PDF stream, LoadFromStream decodes;
// over the file's own bytes (joined in place) LoadKeepingData keeps the
// same data, or raises the same error.
void Keep(std::span<const uint8_t> bytes) {
    std::string inPlace(bytes.begin(), bytes.end());
    bool keptInPlace = false;
    std::string dataInPlace;
    bool failedInPlace = false;
    try {
        vellumark::TqzPNGImage png;
        keptInPlace = png.LoadKeepingData(inPlace, [](const vellumark::TqzPNGImage&) { return true; });
        dataInPlace = png.ImageData();
    } catch (const vellumark::EInvalidGraphic&) {
        failedInPlace = true;
    }
    try {
        vellumark::TqzPNGImage png;
        const bool kept = png.LoadCompressed(bytes);
        // Data not kept is decoded in place, which may fail.
        if (kept ? failedInPlace || !keptInPlace || png.ImageData() != dataInPlace : keptInPlace) std::abort();
        if (!kept) return;
        if (png.ImageData().empty() || png.Interlaced() || png.BitDepth() > 8) std::abort();
    } catch (const vellumark::EInvalidGraphic&) {
        if (!failedInPlace) std::abort();  // the chunks' errors are the same
        return;
    }
    try {
        vellumark::TqzPNGImage png;
        png.LoadFromStream(bytes);
    } catch (const vellumark::EInvalidGraphic&) {
        std::abort();
    }
}

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

// The data with each complete chunk's CRC recomputed; false when nothing changed.
bool FixCrcs(std::vector<uint8_t>& d) {
    bool changed = false;
    std::size_t pos = 8;
    while (d.size() >= pos + 12) {
        const uint32_t length = Be32(d.data() + pos);
        if (length > d.size() - pos - 12) break;
        const uint32_t crc = static_cast<uint32_t>(crc32_z(0, d.data() + pos + 4, std::size_t{length} + 4));
        uint8_t* stored = d.data() + pos + 8 + length;
        if (Be32(stored) != crc) changed = true;
        for (int i = 0; i < 4; ++i) stored[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        pos += std::size_t{length} + 12;
    }
    return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Decode(std::span<const uint8_t>(data, size));
    Keep(std::span<const uint8_t>(data, size));
    std::vector<uint8_t> fixed(data, data + size);
    if (FixCrcs(fixed)) {
        Decode(fixed);
        Keep(fixed);
    }
    return 0;
}
