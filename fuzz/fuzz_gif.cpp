// libFuzzer target: arbitrary bytes as a GIF file. Only EInvalidGraphic may
// come out; a decoded bitmap must be 8 bits with a palette, consistent, and
// convert to 24 bits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "decoders/GIFImage.h"

namespace {

// A few bytes can declare a logical screen up to the decoder's limits, and
// zeroing a gigabyte per input would stall the fuzzer; such inputs are
// skipped (the limits themselves are covered by the tests).
bool HugeScreen(std::span<const uint8_t> d) {
    for (std::size_t at : {std::size_t{6}, std::size_t{10}}) {
        if (d.size() < at + 4) continue;
        const uint64_t w = d[at] | (d[at + 1] << 8);
        const uint64_t h = d[at + 2] | (d[at + 3] << 8);
        if (w * h > (uint64_t{1} << 24)) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    if (HugeScreen(bytes)) return 0;
    try {
        vellumark::TGIFImage gif;
        gif.LoadFromStream(bytes);
        vellumark::TBMPImage img;
        gif.AssignTo(img);
        if (img.BitsPerPixel() != 8 || img.Empty()) std::abort();
        if (img.Pixels().size() != std::size_t{img.Width()} * img.Height()) std::abort();
        if (img.Palette().empty() || img.Palette().size() > 256) std::abort();
        if (gif.ImageCount() == 0) std::abort();
        if (img.Width() * uint64_t{img.Height()} <= (1u << 20)) {
            img.ConvertTo24Bit();
            if (img.BitsPerPixel() != 24) std::abort();
        }
    } catch (const vellumark::EInvalidGraphic&) {
    }
    return 0;
}
