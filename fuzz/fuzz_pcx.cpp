// libFuzzer target: arbitrary bytes as a PCX file. Only EInvalidGraphic may
// come out; a decoded bitmap must be consistent and convert to 24 bits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/PCXImage.h"

namespace {

// A header can declare a large image whose lines hold a byte or none, so a
// few bytes of data fill it; zeroing hundreds of megabytes per input would
// stall the fuzzer. Such inputs are skipped (the limits are covered by the
// tests).
bool Huge(std::span<const uint8_t> d) {
    if (d.size() < 128) return false;
    const uint32_t w = uint32_t(d[8] | d[9] << 8) - uint32_t(d[4] | d[5] << 8) + 1;
    const uint32_t h = uint32_t(d[10] | d[11] << 8) - uint32_t(d[6] | d[7] << 8) + 1;
    return uint64_t{w} * h * 3 > (uint64_t{1} << 21);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    if (Huge(bytes)) return 0;
    try {
        vellumark::TPCXImage pcx;
        pcx.LoadFromStream(bytes);
        vellumark::TBMPImage img;
        pcx.AssignTo(img);
        const uint8_t bpp = img.BitsPerPixel();
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) std::abort();
        if (img.Empty() || img.Pixels().size() != img.RowBytes() * img.Height()) std::abort();
        if (img.XPelsPerMeter != 0 || img.YPelsPerMeter != 0) std::abort();
        if (bpp != 24 && img.Palette().size() != (std::size_t{1} << bpp)) std::abort();
        img.ConvertTo24Bit();
        if (img.Pixels().size() != std::size_t{img.Width()} * 3 * img.Height()) std::abort();
    } catch (const vellumark::EInvalidGraphic&) {
    }
    return 0;
}
