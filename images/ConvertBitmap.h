// ConvertBitmapToImage: sorts a decoded bitmap into its colour class
// (black-and-white, grayscale, indexed, RGB), picks the compression the
// class's setting asks for, and stores the pixel rows, the palette and the
// encoded data in the image resource.
#pragma once

#include <cstdint>

#include "decoders/BMPImage.h"
#include "model/PDFImageRes.h"

namespace vellumark {

// The four compression settings that govern the conversion.
struct TCompressionSettings {
    TxCompressFormat BW = cfGroup4;
    TxCompressFormat Gray = cfZIP;
    TxCompressFormat Indexed = cfZIP;
    TxCompressFormat RGB = cfZIP;
};

enum class TImageClass : uint8_t { BlackAndWhite, Grayscale, Indexed, RGB };

// The class of a bitmap of 1, 4, 8 or 24 bits per pixel.
TImageClass ClassOf(const TBMPImage& bitmap) noexcept;

// Fills Compression, BitsPerComponent, PaletteSize, Indexed, GrayJPEG,
// ImageStream and PaletteStream of `image` (whose Width, Height and
// resolutions are already set). The bitmap may be converted to 24 bits.
void ConvertBitmapToImage(const TCompressionSettings& settings, TBMPImage& bitmap, TPDFImageRes& image);
// The same for a bitmap that is used up: its pixels may be left changed.
void ConvertBitmapToImage(const TCompressionSettings& settings, TBMPImage&& bitmap, TPDFImageRes& image);

}  // namespace vellumark
