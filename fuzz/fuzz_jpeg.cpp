// libFuzzer target for TJPEGImageExtra.
//
// Input starting with 0xFF: the bytes as a JPEG file. The header is read,
// the getters are checked against each other, images of at most a million
// pixels are decoded, and small decoded images are encoded again and read
// back. Any other input: the bytes as the TIFF part of an EXIF block, put
// into a small JPEG whose JFIF density is 1 x 1 dots per inch, so that the
// EXIF resolution reader sees every input.
//
// EInvalidGraphic is the one exception allowed out of the class; anything
// else escapes and is reported by libFuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/JPEGImage.h"

namespace {

using vellumark::EInvalidGraphic;
using vellumark::TBMPImage;
using vellumark::TJPEGImageExtra;

constexpr uint64_t kMaxDecodePixels = 1u << 20;
constexpr uint64_t kMaxEncodePixels = 1u << 16;

void Check(bool condition) {
    if (!condition) std::abort();
}

// An 8 x 8 gray JPEG with JFIF density 1 x 1 dots per inch.
std::vector<uint8_t> MakeExifCarrier() {
    TBMPImage b;
    b.SetSize(8, 8, 24);
    std::vector<uint8_t> jpeg = TJPEGImageExtra::Encode(b, true);
    jpeg[13] = 1;  // unit: dots per inch; density 1 x 1 is libjpeg's default
    return jpeg;
}

std::vector<uint8_t> WithExif(std::span<const uint8_t> tiff) {
    static const std::vector<uint8_t> carrier = MakeExifCarrier();
    const std::size_t n = std::min<std::size_t>(tiff.size(), 65533 - 6);
    std::vector<uint8_t> jpeg(carrier.begin(), carrier.begin() + 20);  // SOI and the JFIF APP0
    const std::size_t length = n + 6 + 2;
    const uint8_t head[] = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), 'E', 'x', 'i',
                            'f', 0, 0};
    jpeg.insert(jpeg.end(), std::begin(head), std::end(head));
    jpeg.insert(jpeg.end(), tiff.begin(), tiff.begin() + static_cast<std::ptrdiff_t>(n));
    jpeg.insert(jpeg.end(), carrier.begin() + 20, carrier.end());
    return jpeg;
}

void FuzzExif(std::span<const uint8_t> tiff) {
    const std::vector<uint8_t> jpeg = WithExif(tiff);
    TJPEGImageExtra j;
    j.LoadFromStream(jpeg);  // the carrier itself is valid: no exception expected
    Check(j.Width() == 8 && j.Height() == 8 && j.Grayscale() && j.Data() == jpeg);
}

void FuzzJpeg(std::span<const uint8_t> data) {
    TJPEGImageExtra j;
    try {
        j.LoadFromStream(data);
    } catch (const EInvalidGraphic&) {
        Check(j.Data().empty() && j.Width() == 0 && j.Components() == 0);
        return;
    }
    Check(j.Data().size() == data.size() && std::equal(data.begin(), data.end(), j.Data().begin()));
    Check(j.Width() > 0 && j.Height() > 0);
    Check(j.Components() == 1 || j.Components() == 3 || j.Components() == 4);
    Check(j.Grayscale() == (j.Components() == 1));
    Check(!j.AdobeInverted() || j.Components() == 4);
    if (uint64_t{j.Width()} * j.Height() > kMaxDecodePixels) return;

    TBMPImage bitmap;
    try {
        j.AssignTo(bitmap);
    } catch (const EInvalidGraphic&) {
        Check(bitmap.Empty());
        return;
    }
    Check(bitmap.Width() == j.Width() && bitmap.Height() == j.Height());
    Check(bitmap.BitsPerPixel() == (j.Grayscale() ? 8 : 24));
    if (uint64_t{j.Width()} * j.Height() > kMaxEncodePixels) return;

    const bool gray = bitmap.BitsPerPixel() == 8;
    const int quality = 1 + data[data.size() / 2] % 100;
    const std::vector<uint8_t> again = TJPEGImageExtra::Encode(bitmap, gray, quality);
    TJPEGImageExtra k;
    k.LoadFromStream(again);
    Check(k.Width() == j.Width() && k.Height() == j.Height() && k.Grayscale() == gray);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    if (size > 0 && data[0] == 0xFF)
        FuzzJpeg(input);
    else
        FuzzExif(input);
    return 0;
}
