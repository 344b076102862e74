// libFuzzer target: arbitrary bytes as a WBMP file. Only EInvalidGraphic may
// come out; a decoded bitmap must be 1 bit, black and white, consistent, and
// convert to 24 bits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/InvalidGraphic.h"
#include "decoders/WBMPImage.h"

namespace {

// A few bytes declare a bitmap up to the decoder's limits, all black; the
// fuzzer skips those beyond a million pixels (3 MB once converted to 24 bits).
bool Huge(std::span<const uint8_t> d) {
    std::size_t pos = 2;
    uint64_t size[2] = {0, 0};
    for (uint64_t& v : size)
        for (int i = 0; i < 5 && pos < d.size(); ++i) {
            v = (v << 7) | (d[pos] & 0x7F);
            if ((d[pos++] & 0x80) == 0) break;
        }
    return size[0] > (1u << 20) || size[1] > (1u << 20) || size[0] * size[1] > (uint64_t{1} << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    if (Huge(bytes)) return 0;
    try {
        vellumark::TWBMPImage wbmp;
        wbmp.LoadFromStream(bytes);
        vellumark::TBMPImage img;
        wbmp.AssignTo(img);
        if (img.BitsPerPixel() != 1 || img.Empty() || img.Palette().size() != 2) std::abort();
        if (img.Pixels().size() != img.RowBytes() * img.Height()) std::abort();
        img.ConvertTo24Bit();
        if (img.BitsPerPixel() != 24) std::abort();
    } catch (const vellumark::EInvalidGraphic&) {
    }
    return 0;
}
