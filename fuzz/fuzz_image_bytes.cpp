// libFuzzer target: the whole AddImageBytes path (format detection, decoding
// or pass-through, conversion and encoding) and a save of the result to
// memory. The first byte picks the compression settings; the rest is the
// image data.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>

#include "base/OutputBuffer.h"
#include "decoders/JPEGImage.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Images that declare more than 4 million pixels are skipped: allocating and
// converting them is slow, not interesting (the limits are tested).
bool Huge(std::span<const uint8_t> data) {
    if (data.size() >= 26 && data[0] == 'B' && data[1] == 'M') {
        const int64_t w = static_cast<int32_t>(Le32(data.data() + 18));
        const int64_t h = static_cast<int32_t>(Le32(data.data() + 22));
        return (w < 0 ? -w : w) * (h < 0 ? -h : h) > (int64_t{1} << 22);
    }
    if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
        try {
            vellumark::TJPEGImageExtra jpeg;
            jpeg.LoadFromStream(data);
            return uint64_t{jpeg.Width()} * jpeg.Height() > (uint64_t{1} << 22);
        } catch (const std::exception&) {
            return false;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    std::span<const uint8_t> image(data + 1, size - 1);
    if (Huge(image)) return 0;
    vellumark::TVellumark e;
    e.UseSourceCompression = (mode & 1) != 0;
    using vellumark::TxCompressFormat;
    e.SetCompressionBW(static_cast<TxCompressFormat>((mode >> 1) % 3));
    e.SetCompressionGray(static_cast<TxCompressFormat>((mode >> 3) & 3));
    e.SetCompressionRGB(static_cast<TxCompressFormat>((mode >> 5) & 3));
    e.SetCompressionIndexed((mode & 0x80) ? vellumark::cfNone : vellumark::cfZIP);
    try {
        const int32_t n = e.AddImageBytes(image);
        e.AddPage(0);
        e.ApplyResource(1, n);
        vellumark::TOutputBuffer out;
        vellumark::WriteDocument(e, out, 0);
    } catch (const std::exception&) {
        // Refused data is expected; the engine must stay consistent.
    }
    return 0;
}
