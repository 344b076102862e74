// CIE L*a*b* colours to sRGB, for TIFF pages stored as L*a*b*
// (PhotometricInterpretation 8).
//
// The colours are taken relative to the D50 white, the white of the ICC
// connection space, and turned into sRGB as a colour-managed reader does:
// L*a*b* to XYZ (D50), then the sRGB primaries adapted from their D65 white
// to D50 with the Bradford transform, then the sRGB tone curve. Colours
// outside the sRGB gamut are clipped channel by channel.
#pragma once

#include <array>
#include <cstdint>

namespace vellumark {

class TLabToRgb {
public:
    TLabToRgb();

    // L* from 0 to 100, a* and b* as signed values; red, green, blue out.
    std::array<uint8_t, 3> Convert(double l, double a, double b) const noexcept;

private:
    std::array<double, 9> xyzToRgb_{};  // row by row
};

}  // namespace vellumark
