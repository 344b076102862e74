// libFuzzer target: CCITT bilevel data with its decoding options taken from
// the first four bytes (scheme and flags, width 1 to 4096, rows 1 to 64).
// Decoding must stay inside its buffers; decoded rows keep the bits past the
// width 0, and the same data with its bits reversed byte by byte decodes to
// the same rows under fill order 2; rows decoded once give the same rows
// again after our Group 4 encoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "decoders/BMPImage.h"
#include "decoders/CCITTDecoder.h"
#include "images/Group4Encoder.h"

namespace {

uint8_t Reverse(uint8_t b) {
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (b & (1u << i)) r = static_cast<uint8_t>(r | (0x80u >> i));
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vellumark::ccitt;
    if (size < 4) return 0;
    TDecodeOptions o;
    o.Scheme = static_cast<TScheme>(data[0] % 3);
    o.TwoDimensional = (data[0] & 0x10) != 0;
    o.ByteAlignedEOL = (data[0] & 0x20) != 0;
    o.Width = 1 + ((uint32_t{data[1]} | uint32_t{data[2]} << 8) & 0xFFF);
    o.Rows = 1 + (data[3] & 0x3F);
    const std::span<const uint8_t> code(data + 4, size - 4);

    const std::size_t rowBytes = (o.Width + 7) / 8;
    // One spare byte a row, which must stay untouched.
    const std::size_t stride = rowBytes + 1;
    std::vector<uint8_t> rows(stride * o.Rows, 0xA5);
    const bool ok = Decode(code, o, rows, stride);

    std::vector<uint8_t> reversed(code.size());
    for (std::size_t i = 0; i < code.size(); ++i) reversed[i] = Reverse(code[i]);
    o.LeastSignificantBitFirst = true;
    std::vector<uint8_t> again(stride * o.Rows, 0xA5);
    if (Decode(reversed, o, again, stride) != ok) std::abort();
    if (!ok) return 0;
    if (rows != again) std::abort();
    const auto padMask = static_cast<uint8_t>(o.Width % 8 ? 0xFFu >> (o.Width % 8) : 0);
    for (uint32_t r = 0; r < o.Rows; ++r) {
        const uint8_t* row = rows.data() + r * stride;
        if (row[rowBytes - 1] & padMask) std::abort();
        if (row[rowBytes] != 0xA5) std::abort();
    }

    // Through the encoder (bit 1 white on its side) and back.
    vellumark::TBMPImage bitmap;
    bitmap.SetSize(o.Width, o.Rows, 1);
    for (uint32_t r = 0; r < o.Rows; ++r)
        for (std::size_t i = 0; i < rowBytes; ++i) bitmap.Row(r)[i] = static_cast<uint8_t>(~rows[r * stride + i]);
    const std::string code4 = vellumark::EncodeGroup4(bitmap);
    TDecodeOptions g4;
    g4.Width = o.Width;
    g4.Rows = o.Rows;
    std::vector<uint8_t> third(stride * o.Rows, 0xA5);
    if (!Decode({reinterpret_cast<const uint8_t*>(code4.data()), code4.size()}, g4, third, stride)) std::abort();
    if (third != rows) std::abort();
    return 0;
}
