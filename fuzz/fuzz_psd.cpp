// libFuzzer target: arbitrary bytes as a Photoshop file. Only EInvalidGraphic
// may come out; a decoded bitmap must be consistent and convert to 24 bits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/PSDImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        vellumark::TPSDImage psd;
        psd.LoadFromStream(std::span<const uint8_t>(data, size));
        vellumark::TBMPImage img;
        psd.AssignTo(img);
        const uint8_t bpp = img.BitsPerPixel();
        if (bpp != 1 && bpp != 8 && bpp != 24) std::abort();
        if (img.Empty() || img.Width() > 30000 || img.Height() > 30000) std::abort();
        if (img.Pixels().size() != img.RowBytes() * img.Height()) std::abort();
        if (bpp != 24 && img.Palette().size() != (std::size_t{1} << bpp)) std::abort();
        img.ConvertTo24Bit();
        if (img.Pixels().size() != std::size_t{img.Width()} * 3 * img.Height()) std::abort();
    } catch (const vellumark::EInvalidGraphic&) {
    }
    return 0;
}
