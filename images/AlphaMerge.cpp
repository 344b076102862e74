#include "images/AlphaMerge.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

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

struct TColour {
    uint8_t Red, Green, Blue;
    bool Grey() const { return Red == Green && Green == Blue; }
};

TColour Split(uint32_t color) {
    return {static_cast<uint8_t>(color & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
            static_cast<uint8_t>((color >> 16) & 0xFF)};
}

bool IsGrey(const TPaletteEntry& e) { return e.Red == e.Green && e.Green == e.Blue; }

// 1 bit per pixel to 4, the palette and the indexes kept.
void WidenToFourBits(TBMPImage& bitmap) {
    TBMPImage wide;
    wide.SetSize(bitmap.Width(), bitmap.Height(), 4);
    for (uint32_t y = 0; y < bitmap.Height(); ++y) {
        uint8_t* row = wide.Row(y);
        for (uint32_t x = 0; x < bitmap.Width(); ++x)
            row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | bitmap.IndexAt(x, y) << ((x & 1) ? 0 : 4));
    }
    wide.Palette() = std::move(bitmap.Palette());
    wide.XPelsPerMeter = bitmap.XPelsPerMeter;
    wide.YPelsPerMeter = bitmap.YPelsPerMeter;
    bitmap = std::move(wide);
}

// Palette entry i blended by alphas[i]; indexes the bitmap cannot hold are
// ignored.
void MergePaletteAlphas(TBMPImage& bitmap, std::span<const uint8_t> alphas, uint32_t color) {
    const uint8_t bits = bitmap.BitsPerPixel();
    if (bits != 1 && bits != 4 && bits != 8) return;
    const TColour k = Split(color);
    auto& palette = bitmap.Palette();
    const std::size_t count = std::min(alphas.size(), std::size_t{1} << bits);
    bool changed = false;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t m = alphas[i];
        if (m == 255) continue;
        if (palette.size() <= i) palette.resize(i + 1);  // missing entries are black
        const float a = static_cast<float>(m) / 255.0f;
        const long double oneMinusA = 1.0L - static_cast<long double>(a);
        TPaletteEntry& e = palette[i];
        const TPaletteEntry blended{Blend(e.Red, a, oneMinusA, k.Red), Blend(e.Green, a, oneMinusA, k.Green),
                                    Blend(e.Blue, a, oneMinusA, k.Blue)};
        changed = changed || blended != e;
        e = blended;
    }
    // Two grays other than black and white would be stored as a bilevel
    // image, which shows only black and white.
    if (bits == 1 && changed) {
        const TPaletteEntry first = bitmap.PaletteAt(0), second = bitmap.PaletteAt(1);
        const TPaletteEntry black{0, 0, 0}, white{255, 255, 255};
        const bool blackAndWhite = (first == black && second == white) || (first == white && second == black);
        if (IsGrey(first) && IsGrey(second) && !blackAndWhite) WidenToFourBits(bitmap);
    }
}

// Alpha 255 for every index up to `index`, which gets 0.
std::vector<uint8_t> OnlyTransparent(uint8_t index) {
    std::vector<uint8_t> alphas(std::size_t{index} + 1, 255);
    alphas[index] = 0;
    return alphas;
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

void MergeTransparency(TBMPImage& bitmap, const TAlpha& alpha, uint32_t color) {
    switch (alpha.Kind) {
        case TAlpha::kMask:
            if (alpha.KeyMask && bitmap.BitsPerPixel() == 8 && !Split(color).Grey()) bitmap.ConvertTo24Bit();
            MergeAlphaWithColor(bitmap, alpha, color);
            break;
        case TAlpha::kPalette:
            MergePaletteAlphas(bitmap, alpha.PaletteAlpha, color);
            break;
        case TAlpha::kGrayKey:
            MergePaletteAlphas(bitmap, OnlyTransparent(alpha.KeyIndex), color);
            break;
        case TAlpha::kRGBKey: {
            if (bitmap.BitsPerPixel() != 24) break;
            // An 8-bit image's key: the low byte of each stored value.
            const auto red = static_cast<uint8_t>(alpha.KeyRed), green = static_cast<uint8_t>(alpha.KeyGreen),
                       blue = static_cast<uint8_t>(alpha.KeyBlue);
            const TColour k = Split(color);
            for (uint32_t y = 0; y < bitmap.Height(); ++y) {
                uint8_t* p = bitmap.Row(y);
                for (uint32_t x = 0; x < bitmap.Width(); ++x, p += 3) {
                    if (p[0] != blue || p[1] != green || p[2] != red) continue;
                    p[0] = k.Blue;
                    p[1] = k.Green;
                    p[2] = k.Red;
                }
            }
            break;
        }
        default:
            break;
    }
}

void MergeTransparentIndex(TBMPImage& bitmap, uint8_t index, uint32_t color) {
    MergePaletteAlphas(bitmap, OnlyTransparent(index), color);
}

}  // namespace vellumark
