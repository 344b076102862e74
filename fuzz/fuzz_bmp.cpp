// libFuzzer target: arbitrary bytes as a Windows bitmap file, and the same
// bytes without the 14-byte file header as a packed bitmap. Only
// EInvalidGraphic may come out; a decoded bitmap must be consistent and
// convert to 24 bits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Run-length data can declare a bitmap up to the decoder's limits in a few
// bytes, and zeroing a gigabyte per input would stall the fuzzer; such inputs
// are skipped (the limits themselves are covered by the tests). Uncompressed
// data is checked against its size before anything is allocated.
bool HugeRunLength(std::span<const uint8_t> dib) {
    if (dib.size() < 20 || Le32(dib.data()) < 20) return false;
    const uint32_t compression = Le32(dib.data() + 16);
    if (compression != 1 && compression != 2) return false;
    const int64_t w = static_cast<int32_t>(Le32(dib.data() + 4));
    const int64_t h = static_cast<int32_t>(Le32(dib.data() + 8));
    return (w < 0 ? -w : w) * (h < 0 ? -h : h) > (int64_t{1} << 22);
}

void Check(vellumark::TBMPImage& img) {
    const uint8_t bpp = img.BitsPerPixel();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) std::abort();
    if (img.Empty() || img.Pixels().size() != img.RowBytes() * img.Height()) std::abort();
    if (img.RowBytes() != (std::size_t{img.Width()} * bpp + 7) / 8) std::abort();
    if (bpp == 24 && !img.Palette().empty()) std::abort();
    if (img.Palette().size() > 256) std::abort();
    unsigned sum = 0;
    for (uint32_t y = 0; y < img.Height(); y += 1 + img.Height() / 8)
        for (uint32_t x = 0; x < img.Width(); x += 1 + img.Width() / 8) sum += img.IndexAt(x, y);
    img.ConvertTo24Bit();
    if (img.BitsPerPixel() != 24 || img.Pixels().size() != std::size_t{img.Width()} * 3 * img.Height()) std::abort();
    if (sum > 255u * 81u) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    if (size >= 14 && HugeRunLength(bytes.subspan(14))) return 0;
    try {
        vellumark::TBMPImage img;
        img.LoadFromStream(bytes);
        Check(img);
    } catch (const vellumark::EInvalidGraphic&) {
    }
    if (size >= 14) {
        try {
            vellumark::TBMPImage img;
            img.LoadPackedDIB(bytes.subspan(14));
            Check(img);
        } catch (const vellumark::EInvalidGraphic&) {
        }
    }
    return 0;
}
