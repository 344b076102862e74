#include "images/AlphaMerge.h"

#include <cmath>
#include <cstddef>

namespace vellumark {

namespace {

// round(c * a + k * (1 - a)) with a = A / 255 as a 32-bit float, the sum
// formed in extended precision and rounded half to even (the default
// rounding mode).
inline uint8_t Blend(uint8_t c, float a, long double oneMinusA, uint8_t k) {
    const long double v = static_cast<long double>(c) * a + static_cast<long double>(k) * oneMinusA;
    const long r = std::lrint(v);
    return static_cast<uint8_t>(r < 0 ? 0 : r > 255 ? 255 : r);
}

}  // namespace

void MergeAlphaWithColor(TBMPImage& bitmap, const TAlpha& alpha, uint32_t color) {
    if (alpha.Kind != TAlpha::kMask) return;
    const uint8_t bits = bitmap.BitsPerPixel();
    if (bits == 8) {
        for (const TPaletteEntry& e : bitmap.Palette())
            if (e.Red != e.Green || e.Green != e.Blue) return;
    } else if (bits != 24) {
        return;
    }
    const uint32_t w = bitmap.Width(), h = bitmap.Height();
    if (w == 0 || h == 0 || alpha.Width != w || alpha.Height != h ||
        alpha.Mask.size() != std::size_t{w} * h)
        return;
    const auto red = static_cast<uint8_t>(color & 0xFF);
    const auto green = static_cast<uint8_t>((color >> 8) & 0xFF);
    const auto blue = static_cast<uint8_t>((color >> 16) & 0xFF);
    if (bits == 8 && (red != green || green != blue)) return;

    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = bitmap.Row(y);
        const uint8_t* mask = alpha.Mask.data() + std::size_t{y} * w;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t m = mask[x];
            if (m == 255) continue;  // a = 1 keeps the pixel exactly
            const float a = static_cast<float>(m) / 255.0f;
            const long double oneMinusA = 1.0L - static_cast<long double>(a);
            if (bits == 24) {
                uint8_t* p = row + 3 * std::size_t{x};
                p[0] = Blend(p[0], a, oneMinusA, blue);
                p[1] = Blend(p[1], a, oneMinusA, green);
                p[2] = Blend(p[2], a, oneMinusA, red);
            } else {
                row[x] = Blend(row[x], a, oneMinusA, red);
            }
        }
    }
}

}  // namespace vellumark
