// YCbCr samples of a TIFF page to RGB as TIFF defines the conversion: each
// sample is first scaled by its ReferenceBlackWhite pair (Y from [black,
// white] to 0..255, Cb and Cr from [black - 128, white - 128] to 0..127
// either side of zero), then
//   R = Y + (2 - 2 LumaRed) Cr,  B = Y + (2 - 2 LumaBlue) Cb,
//   G = Y - (LumaRed (2 - 2 LumaRed) Cr + LumaBlue (2 - 2 LumaBlue) Cb) / LumaGreen
// with the YCbCrCoefficients as the lumas. The products are taken in
// 16-bit fixed point from tables of the 256 values of each sample, as
// libtiff's RGBA reader takes them, so that the colours are libtiff's.
#pragma once

#include <array>
#include <cstdint>

namespace vellumark {

class TYCbCrToRgb {
public:
    // luma: LumaRed, LumaGreen, LumaBlue; reference: the six values of
    // ReferenceBlackWhite (Y black and white, then Cb's, then Cr's).
    TYCbCrToRgb(const std::array<float, 3>& luma, const std::array<float, 6>& reference);

    static constexpr std::array<float, 3> kDefaultLuma{0.299f, 0.587f, 0.114f};
    static constexpr std::array<float, 6> kDefaultReference{0, 255, 128, 255, 128, 255};

    // One pixel into blue, green, red.
    void Convert(uint8_t y, uint8_t cb, uint8_t cr, uint8_t* bgr) const noexcept;

private:
    std::array<int32_t, 256> y_{};
    std::array<int32_t, 256> crRed_{};
    std::array<int32_t, 256> cbBlue_{};
    std::array<int32_t, 256> crGreen_{};
    std::array<int32_t, 256> cbGreen_{};
};

}  // namespace vellumark
