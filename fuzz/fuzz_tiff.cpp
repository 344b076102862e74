// libFuzzer target: the first byte picks the page (1 to 4), the rest is a
// TIFF file; the page is loaded and decoded. Only EInvalidGraphic may come
// out; a decoded bitmap must be consistent with what the load reported.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/TIFImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::span<const uint8_t> file(data + 1, size - 1);
    vellumark::TTIFImage tiff;
    tiff.PageNumber = 1 + data[0] % 4;
    try {
        tiff.LoadFromStream(file);
    } catch (const vellumark::EInvalidGraphic&) {
        return 0;
    }
    if (tiff.Width() == 0 || tiff.Height() == 0 || tiff.StripCount() == 0) std::abort();
    // A few bytes can declare a bitmap of a gigabyte; clearing that much per
    // input would stall the fuzzer (the limits are covered by the tests).
    if (uint64_t{tiff.Width()} * tiff.Height() > (uint64_t{1} << 22)) return 0;
    try {
        vellumark::TBMPImage bitmap;
        tiff.AssignTo(bitmap);
        const uint8_t bpp = bitmap.BitsPerPixel();
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) std::abort();
        if (bitmap.Width() != tiff.Width() || bitmap.Height() != tiff.Height()) std::abort();
        if (bpp != 24 && bitmap.Palette().size() != (std::size_t{1} << bpp)) std::abort();
        bitmap.ConvertTo24Bit();
    } catch (const vellumark::EInvalidGraphic&) {
    }
    return 0;
}
