// TJPEGImageExtra: JPEG files through libjpeg.
//
// LoadFromStream reads the header of a JPEG data stream and keeps the whole
// stream, so that it can be embedded unchanged (DCTDecode) or decoded later
// with AssignTo. Encode writes a bitmap as a baseline JPEG file.
//
// Resolution in dots per inch, per direction:
// - from the JFIF density: unit 1 (dots per inch) as it stands; unit 2 (dots
//   per centimetre) times 2.54, rounded; any other unit (or no JFIF marker) 0;
// - then each direction whose value is exactly 1 is replaced by the EXIF
//   XResolution or YResolution of IFD0 (APP1 "Exif"), rounded, times 2.54
//   first when the EXIF ResolutionUnit is 3 (centimetre). A tag that is
//   absent replaces nothing; an EXIF block that cannot be read (bad header,
//   offsets or counts outside the block, wrong field types, a zero
//   denominator, a value beyond 32 bits) sets both directions to 0.
// Rounding is half up, in integer arithmetic.
//
// Errors (data libjpeg cannot read, images beyond TBMPImage's limits) are
// raised as EInvalidGraphic with libjpeg's own message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "decoders/BMPImage.h"

namespace vellumark {

class TJPEGImageExtra {
public:
    static constexpr int kDefaultQuality = 90;
    // Progressive files with more scans than this are refused: a real file
    // has a dozen, a hostile one can have thousands that each cost a pass.
    static constexpr int kMaxScans = 1000;

    TJPEGImageExtra() = default;

    // Reads the header (up to the first scan) and keeps a copy of the whole
    // data. On an error the object is left empty and EInvalidGraphic is raised.
    // Files with other than 1, 3 or 4 components are refused.
    void LoadFromStream(std::span<const uint8_t> data);
    // The same without keeping the data: everything but Data() and AssignTo.
    void LoadHeader(std::span<const uint8_t> data);

    uint32_t Width() const noexcept { return width_; }
    uint32_t Height() const noexcept { return height_; }
    uint32_t XResolution() const noexcept { return xResolution_; }
    uint32_t YResolution() const noexcept { return yResolution_; }
    // One component in the gray colour space.
    bool Grayscale() const noexcept { return grayscale_; }
    // 1 (gray), 3 (YCbCr or RGB) or 4 (CMYK or YCCK); 0 before a load.
    int Components() const noexcept { return components_; }
    // A four-component image carrying an Adobe APP14 marker: its ink values
    // are stored inverted (0 = full ink), as the writers that emit the
    // marker do. Such data, passed through, wants /Decode [1 0 1 0 1 0 1 0].
    bool AdobeInverted() const noexcept { return adobeInverted_; }
    // The whole JPEG data stream read, from its first byte.
    const std::vector<uint8_t>& Data() const noexcept { return data_; }

    // Decodes the image: one component gives an 8-bit bitmap with the
    // identity gray palette, everything else a 24-bit bitmap (blue, green,
    // red); four-component data is converted to RGB. The bitmap's pixels per
    // metre are set from the resolution. The bitmap is only replaced when
    // decoding succeeds. libjpeg's warnings do not stop it: corrupt data is
    // decoded as libjpeg recovers it, and the blocks of entropy-coded data
    // that ends early are gray, as djpeg shows them.
    void AssignTo(TBMPImage& bitmap) const;

    // How a JPEG data stream ends, for data passed on without decoding. PDF
    // readers built on libjpeg refuse data that stops before its EOI marker
    // (libjpeg itself reads such data with a warning), so that data is
    // completed with one: HasEndMarker is false, and WholeBytes counts the
    // bytes to keep before it, all of them when the data end inside the
    // entropy-coded data of a scan, else those before the marker segment
    // that is cut short. The marker segments and scans are walked from the
    // start (bytes that are no marker are skipped, as libjpeg skips them).
    struct TEnd {
        bool HasEndMarker = false;
        std::size_t WholeBytes = 0;
    };
    static TEnd FindEnd(std::span<const uint8_t> data) noexcept;

    // Encodes a bitmap of any pixel format as a baseline JFIF file with the
    // floating-point DCT at the given quality (1 to 100). gray: one component,
    // each pixel (blue + green + red) div 3; otherwise RGB input stored as
    // YCbCr. The JFIF density is libjpeg's default (unit 0, 1 by 1).
    static std::vector<uint8_t> Encode(const TBMPImage& bitmap, bool gray, int quality = kDefaultQuality);

private:
    std::vector<uint8_t> data_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t xResolution_ = 0;
    uint32_t yResolution_ = 0;
    int components_ = 0;
    bool grayscale_ = false;
    bool adobeInverted_ = false;
};

// One strip or tile of a JPEG-compressed TIFF page (compression 7).
struct TJpegSegment {
    std::span<const uint8_t> Data;  // its stream, which may leave out the tables
    uint32_t Width = 0;    // the frame's width
    uint32_t Rows = 0;     // rows wanted: the frame has from Rows to MaxRows rows
    uint32_t MaxRows = 0;
    int Components = 0;    // the frame's components
    bool YCbCr = false;    // YCbCr components, delivered as RGB; otherwise as stored
    bool Replicate = false;  // subsampled components repeated over their blocks, not interpolated
};

// Decodes the strips or tiles of one such page, one after another, with one
// libjpeg decompressor: the page's JPEGTables are read once, and each
// segment's stream may use them or bring its own.
class TJpegSegmentDecoder {
public:
    // `tables`: the JPEGTables field, a tables-only stream, or empty.
    explicit TJpegSegmentDecoder(std::span<const uint8_t> tables);
    ~TJpegSegmentDecoder();
    TJpegSegmentDecoder(const TJpegSegmentDecoder&) = delete;
    TJpegSegmentDecoder& operator=(const TJpegSegmentDecoder&) = delete;

    // Decodes the first Rows rows of a segment into `out`, Width * Components
    // bytes per row with the samples interleaved. False when the tables or
    // the data cannot be decoded or the frame is not the one described;
    // `out` may then hold part of the rows, and the decoder decodes nothing
    // more.
    bool Decode(const TJpegSegment& segment, std::span<uint8_t> out);

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

}  // namespace vellumark
