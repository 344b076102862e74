// Blending the transparency of an image into its pixels over one colour.
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

// Merges any kind of PNG transparency over `color`, so that the bitmap shows
// what a viewer shows over that background:
// - a mask as MergeAlphaWithColor does; a mask made from the key of a 16-bit
//   grey image over a colour that is not grey first widens the bitmap to 24
//   bits, so that the key pixels can take the colour;
// - palette alphas: each palette entry is blended as a pixel of its alpha
//   would be (same rule and rounding); entries beyond the palette are black;
// - a key grey: its palette entry becomes the colour;
// - a key colour (8-bit RGB): the pixels equal to it become the colour.
// A 1-bit bitmap whose palette is changed and no longer black and white is
// widened to 4 bits, so that it is not stored as a bilevel image.
void MergeTransparency(TBMPImage& bitmap, const TAlpha& alpha, uint32_t color);

// The pixels of palette index `index` of a 1, 4 or 8-bit bitmap (a GIF's
// transparent colour) become `color`, by the same rules as palette alphas.
void MergeTransparentIndex(TBMPImage& bitmap, uint8_t index, uint32_t color);

}  // namespace vellumark
