// TPCXImage: PCX files. A load decodes the image into the decoder's bitmap;
// AssignTo hands it over.
//
// Accepted: version 5 or less, run-length encoding (1), and one of
//   8 bits, 1 plane  -> 8 bits per pixel, palette from the last 768 bytes;
//   8 bits, 3 planes -> 24 bits per pixel (red, green, blue planes);
//   1 bit,  4 planes -> 4 bits per pixel, the header's 16-entry palette;
//   1 bit,  1 plane  -> 1 bit per pixel, entries 0 and 1 of the header's
//                       palette; when both are the same colour (a palette
//                       of all zeros, say) black and white instead.
// Size: Xmax - Xmin + 1 by Ymax - Ymin + 1.
//
// Run-length data start at byte 128 and end where the 256-colour palette
// begins (or at the end of the file). Every line of every plane takes
// exactly bytes-per-line decoded bytes: a run that goes past the end of a
// plane's line is cut there and its surplus begins the next plane's line
// (or the next row's first), as writers that encode a whole row at once
// expect. Pixels the bytes per line do not cover stay 0.
//
// The header's dots per inch are kept as pixels per metre in the decoder
// (XPelsPerMeter, YPelsPerMeter); the bitmap handed over carries none.
//
// Errors raise EInvalidGraphic: "Invalid PCX File" for a short file, a bad
// header or a size no bitmap can have; "Error reading PCX file." for an
// unsupported combination of bits and planes and for data that end early.
// A size the data could never fill is refused before anything is allocated.
#pragma once

#include <cstdint>
#include <span>

#include "decoders/BMPImage.h"

namespace vellumark {

class TPCXImage {
public:
    void LoadFromStream(std::span<const uint8_t> data);
    // Hands the decoded bitmap over; the decoder's own is left empty.
    void AssignTo(TBMPImage& bitmap);

    // The header's resolution, round(dots per inch x 39.37007874).
    uint32_t XPelsPerMeter() const noexcept { return xPelsPerMeter_; }
    uint32_t YPelsPerMeter() const noexcept { return yPelsPerMeter_; }

private:
    TBMPImage bitmap_;
    uint32_t xPelsPerMeter_ = 0;
    uint32_t yPelsPerMeter_ = 0;
};

}  // namespace vellumark
