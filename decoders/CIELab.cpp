#include "decoders/CIELab.h"

#include <cmath>

namespace vellumark {

namespace {

using TMatrix = std::array<double, 9>;
using TVector = std::array<double, 3>;

TMatrix Multiply(const TMatrix& a, const TMatrix& b) {
    TMatrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) m[3 * r + c] += a[3 * r + k] * b[3 * k + c];
    return m;
}

TVector Apply(const TMatrix& m, const TVector& v) {
    return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
            m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

TMatrix Inverse(const TMatrix& m) {
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                       m[2] * (m[3] * m[7] - m[4] * m[6]);
    return {(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
            (m[5] * m[6] - m[3] * m[8]) / det, (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
            (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det, (m[0] * m[4] - m[1] * m[3]) / det};
}

TVector FromChromaticity(double x, double y) { return {x / y, 1.0, (1 - x - y) / y}; }

constexpr TVector kD50{0.9642, 1.0, 0.8249};

// The inverse of the L*a*b* companding function.
double Expand(double t) {
    constexpr double kDelta = 6.0 / 29.0;
    return t > kDelta ? t * t * t : 3 * kDelta * kDelta * (t - 4.0 / 29.0);
}

// Linear light to the sRGB tone curve, 0 to 255.
uint8_t Encode(double v) {
    if (!(v > 0)) return 0;
    if (v >= 1) return 255;
    const double e = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return static_cast<uint8_t>(std::lround(e * 255));
}

}  // namespace

TLabToRgb::TLabToRgb() {
    // The sRGB primaries and their white (D65) as XYZ.
    const TVector r = FromChromaticity(0.64, 0.33), g = FromChromaticity(0.30, 0.60), b = FromChromaticity(0.15, 0.06);
    const TVector d65 = FromChromaticity(0.3127, 0.3290);
    const TMatrix primaries{r[0], g[0], b[0], r[1], g[1], b[1], r[2], g[2], b[2]};
    const TVector scale = Apply(Inverse(primaries), d65);
    TMatrix rgbToXyz = primaries;
    for (int row = 0; row < 3; ++row)
        for (int c = 0; c < 3; ++c) rgbToXyz[3 * row + c] *= scale[c];
    // Bradford adaptation from D65 to D50.
    const TMatrix bradford{0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
    const TVector from = Apply(bradford, d65), to = Apply(bradford, kD50);
    const TMatrix cone{to[0] / from[0], 0, 0, 0, to[1] / from[1], 0, 0, 0, to[2] / from[2]};
    const TMatrix adapt = Multiply(Inverse(bradford), Multiply(cone, bradford));
    xyzToRgb_ = Inverse(Multiply(adapt, rgbToXyz));
}

std::array<uint8_t, 3> TLabToRgb::Convert(double l, double a, double b) const noexcept {
    const double fy = (l + 16) / 116;
    const TVector xyz{kD50[0] * Expand(fy + a / 500), kD50[1] * Expand(fy), kD50[2] * Expand(fy - b / 200)};
    const TVector rgb = Apply(xyzToRgb_, xyz);
    return {Encode(rgb[0]), Encode(rgb[1]), Encode(rgb[2])};
}

}  // namespace vellumark
