#include "decoders/YCbCr.h"

#include <algorithm>

namespace vellumark {

namespace {

constexpr int kShift = 16;
constexpr int32_t kHalf = int32_t{1} << (kShift - 1);

int32_t Fixed(float v) { return static_cast<int32_t>(std::clamp(v, 0.0f, 2.0f) * (1 << kShift) + 0.5f); }

// Sample c of the range [black, white] scaled to `range`, within -4096..4096.
int32_t Scale(float c, float black, float white, float range) {
    const float span = white - black != 0 ? white - black : 1;
    return static_cast<int32_t>(std::clamp((c - black) * range / span, -4096.0f, 4096.0f));
}

uint8_t Clip(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

TYCbCrToRgb::TYCbCrToRgb(const std::array<float, 3>& luma, const std::array<float, 6>& reference) {
    const float red = luma[0], green = luma[1] != 0 ? luma[1] : 1, blue = luma[2];
    const float crToRed = 2 - 2 * red, cbToBlue = 2 - 2 * blue;
    const int32_t d1 = Fixed(crToRed), d2 = -Fixed(red * crToRed / green);
    const int32_t d3 = Fixed(cbToBlue), d4 = -Fixed(blue * cbToBlue / green);
    for (int i = 0; i < 256; ++i) {
        const auto x = static_cast<float>(i - 128);
        const int32_t cr = Scale(x, reference[4] - 128, reference[5] - 128, 127);
        const int32_t cb = Scale(x, reference[2] - 128, reference[3] - 128, 127);
        crRed_[i] = (d1 * cr + kHalf) >> kShift;
        cbBlue_[i] = (d3 * cb + kHalf) >> kShift;
        crGreen_[i] = d2 * cr;
        cbGreen_[i] = d4 * cb + kHalf;
        y_[i] = Scale(static_cast<float>(i), reference[0], reference[1], 255);
    }
}

void TYCbCrToRgb::Convert(uint8_t y, uint8_t cb, uint8_t cr, uint8_t* bgr) const noexcept {
    const int32_t v = y_[y];
    bgr[2] = Clip(v + crRed_[cr]);
    bgr[1] = Clip(v + ((cbGreen_[cb] + crGreen_[cr]) >> kShift));
    bgr[0] = Clip(v + cbBlue_[cb]);
}

}  // namespace vellumark
