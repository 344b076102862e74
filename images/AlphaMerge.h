// Blending a PNG alpha mask into a bitmap over one colour.
#pragma once

#include <cstdint>

#include "decoders/BMPImage.h"
#include "decoders/PNGImage.h"

namespace vellumark {

// Blends `alpha` (only a mask, kind 4, of the bitmap's size) into a 24-bit
// bitmap, or an 8-bit bitmap with an all-grey palette when `color`
// (0x00BBGGRR) is grey: each sample c becomes round(c * a + K * (1 - a)),
// a = mask / 255 as a 32-bit float, K the colour's sample, rounded half to
// even. Anything else is left unchanged.
void MergeAlphaWithColor(TBMPImage& bitmap, const TAlpha& alpha, uint32_t color);

}  // namespace vellumark
