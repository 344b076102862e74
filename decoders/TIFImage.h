// TTIFImage: TIFF files, classic and BigTIFF (version 43: 8-byte offsets
// and counts). A load reads the header, walks to the selected page
// (PageNumber, 1-based), reads its directory and gathers its strips or tiles;
// AssignTo decodes the page into a bitmap, turned upright as its Orientation
// says. The Group 4 pass-through reads the compression, fill order,
// orientation, strip count and strip bytes without decoding.
//
// Compressions: none, CCITT modified Huffman, Group 3 and Group 4 (bilevel
// pages), LZW (also the old variant written before TIFF 6.0) and Deflate
// (with the horizontal-differencing predictor), PackBits, JPEG with its
// tables in the JPEGTables field (8-bit gray, RGB, YCbCr and CMYK pages),
// and old-style JPEG (compression 6, YCbCr pages). Samples of 12 and 16 bits
// are reduced to 8; FillOrder 2 is honoured at every depth. RGB with
// associated alpha is divided by it; CIE L*a*b* pages are converted to sRGB.
//
// Errors raise EInvalidGraphic with the reader's messages.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "decoders/BMPImage.h"

namespace vellumark {

class TTIFImage {
public:
    // The page the next load reads, 1-based.
    int32_t PageNumber = 1;
    // When not 0, the offset of the directory the next load reads instead of
    // walking to PageNumber: a reader of every page goes on from the last
    // page's NextDirectory().
    uint64_t StartDirectory = 0;
    // The offset of the directory after the loaded page's, 0 when there is
    // none (or it cannot be read).
    uint64_t NextDirectory() const noexcept { return nextDirectory_; }
    // When set, a page stored in one strip leaves it in the data given to
    // LoadFromStream instead of copying it: the data must then stay while
    // the page is used (Strips, AssignTo), and StripBytes is empty.
    bool BorrowStrips = false;

    void LoadFromStream(std::span<const uint8_t> data);

    // The size and resolution of the picture as shown: with an Orientation
    // of 5 to 8 the stored rows are its columns.
    uint32_t Width() const noexcept { return Turned() ? height_ : width_; }
    uint32_t Height() const noexcept { return Turned() ? width_ : height_; }
    // Dots per inch, 0 when unknown.
    uint32_t XResolution() const noexcept { return Turned() ? yResolution_ : xResolution_; }
    uint32_t YResolution() const noexcept { return Turned() ? xResolution_ : yResolution_; }
    // The Orientation tag: 1 (rows from the top, columns from the left, also
    // when absent or not 1 to 8) to 8. AssignTo turns the pixels upright.
    uint16_t Orientation() const noexcept { return orientation_; }
    // The Compression tag (1 when absent).
    uint16_t Compression() const noexcept { return compression_; }
    // The PhotometricInterpretation tag (0 when absent).
    uint16_t Photometric() const noexcept { return photometric_; }
    // The FillOrder tag (1 when absent or not 1 or 2).
    uint16_t FillOrder() const noexcept { return fillOrder_; }
    // Strips per image; on a tiled page, tiles per plane.
    uint32_t StripCount() const noexcept { return stripCount_; }
    // The page is made of tiles (TileWidth and TileLength given).
    bool Tiled() const noexcept { return tiled_; }
    // The bytes of all strips (or tiles), in strip order, as copied.
    const std::vector<uint8_t>& StripBytes() const noexcept { return strips_; }
    // The same bytes, copied or borrowed.
    std::span<const uint8_t> Strips() const noexcept { return borrowed_ ? borrowedStrip_ : std::span(strips_); }
    // Where each strip (or tile) begins in the data.
    const std::vector<uint64_t>& StripOffsets() const noexcept { return stripOffsets_; }
    // The BitsPerSample values (one value, 1, when the tag is absent).
    const std::vector<uint16_t>& BitsPerSample() const noexcept { return bits_; }
    uint16_t SamplesPerPixel() const noexcept { return samplesPerPixel_; }

    // Decodes the page into `bitmap` (1, 4, 8 or 24 bits per pixel). The
    // bitmap's pixels per metre are left 0: the resolution is read above.
    void AssignTo(TBMPImage& bitmap) const;

private:
    // What one strip or tile holds, and what is wanted of it.
    struct TSegment {
        uint32_t width = 0;      // pixels per stored row
        uint32_t rows = 0;       // rows wanted, from the top
        uint32_t maxRows = 0;    // rows it may hold
        unsigned samples = 1;    // samples per pixel
        unsigned bits = 8;       // bits per sample
        std::size_t rowBytes = 0;  // bytes per stored row
    };
    // Working memory of one decoding, reused from segment to segment.
    struct TWork;

    void Reset() noexcept;
    void ReadDirectory(std::span<const uint8_t> data, uint64_t at);
    void ReadStrips(std::span<const uint8_t> data);
    void PrepareOldJpeg(std::span<const uint8_t> data);
    bool AddStripRestarts(std::vector<uint8_t>& header);
    // Segment `index` (strips or tiles, planes one after the other)
    // decompressed into `out`, seg.rows * seg.rowBytes bytes.
    void DecodeSegment(std::size_t index, const TSegment& seg, std::span<uint8_t> out, TWork& work) const;
    // Band `band` of plane `plane` (the rows of one strip, or of one row of
    // tiles) into `out`, rows of the image's full width stored as the file
    // stores them: `samples` samples of `bits` bits, `pixelBits` per pixel.
    void ReadBand(unsigned plane, uint32_t band, unsigned samples, unsigned bits, unsigned pixelBits,
                  std::span<uint8_t> out, TWork& work) const;
    void DecodeBilevel(TBMPImage& bitmap) const;
    void DecodeGray(TBMPImage& bitmap) const;
    void DecodePalette(TBMPImage& bitmap) const;
    void DecodeColour(TBMPImage& bitmap) const;
    void DecodeOldJpeg(TBMPImage& bitmap) const;
    bool Turned() const noexcept { return orientation_ >= 5; }

    std::vector<uint8_t> strips_;
    bool borrowed_ = false;  // the one strip is borrowedStrip_, in the data
    std::span<const uint8_t> borrowedStrip_;
    std::vector<std::size_t> stripStarts_;  // where each strip begins in strips_, and the end
    std::vector<uint64_t> stripOffsets_;
    std::vector<uint64_t> stripByteCounts_;
    std::vector<uint16_t> bits_{1};
    std::vector<uint16_t> colorMap_;
    std::vector<uint64_t> tileOffsets_;
    std::vector<uint64_t> tileByteCounts_;
    std::vector<uint8_t> jpegTables_;
    // Old-style JPEG (compression 6): the interchange-format stream, or the
    // offsets of the tables of each component.
    uint64_t jpegInterchange_ = 0;
    uint64_t jpegInterchangeLength_ = 0;
    std::vector<uint64_t> jpegQTables_;
    std::vector<uint64_t> jpegDcTables_;
    std::vector<uint64_t> jpegAcTables_;
    // What goes before the strips to make one JPEG stream of the page:
    // the interchange-format header, or one made from the tables; empty
    // when the strips hold the whole stream.
    std::vector<uint8_t> oldJpegHeader_;
    bool oldJpegReady_ = false;  // the stream can be made
    bool oldJpegRestarts_ = false;  // restart markers go between the strips
    std::array<float, 3> luma_{0.299f, 0.587f, 0.114f};                  // YCbCrCoefficients
    std::array<float, 6> referenceBlackWhite_{0, 255, 128, 255, 128, 255};  // ReferenceBlackWhite
    uint16_t jpegProc_ = 1;
    uint16_t jpegRestartInterval_ = 0;
    uint16_t subsamplingH_ = 2;  // YCbCrSubsampling
    uint16_t subsamplingV_ = 2;
    uint64_t nextDirectory_ = 0;
    uint32_t rowsPerStrip_ = UINT32_MAX;
    uint32_t tileWidth_ = 0;
    uint32_t tileLength_ = 0;
    uint32_t segmentRows_ = 0;  // rows per strip (at most the height) or per tile
    uint32_t bands_ = 0;        // strips, or rows of tiles
    uint32_t across_ = 1;       // tiles per row of tiles; 1 for strips
    uint32_t t4Options_ = 0;
    double xResolutionValue_ = 0;
    double yResolutionValue_ = 0;
    bool bigEndian_ = false;
    bool bigTiff_ = false;
    bool haveWidth_ = false;
    bool haveHeight_ = false;
    bool haveBits_ = false;
    bool havePhotometric_ = false;
    bool haveOffsets_ = false;
    bool haveByteCounts_ = false;
    bool haveInkSet_ = false;
    bool haveNumberOfInks_ = false;
    bool haveTileWidth_ = false;
    bool haveTileLength_ = false;
    bool haveTileOffsets_ = false;
    bool haveTileByteCounts_ = false;
    bool tiled_ = false;
    uint16_t samplesPerPixel_ = 1;
    uint16_t planarConfiguration_ = 1;
    uint16_t resolutionUnit_ = 2;
    uint16_t predictor_ = 1;
    uint16_t inkSet_ = 1;
    uint16_t numberOfInks_ = 4;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t xResolution_ = 0;
    uint32_t yResolution_ = 0;
    uint32_t stripCount_ = 0;
    uint16_t compression_ = 1;
    uint16_t photometric_ = 0;
    uint16_t fillOrder_ = 1;
    uint16_t orientation_ = 1;
    uint16_t extraSample_ = 0;   // the ExtraSamples value of the first extra sample
    uint16_t sampleFormat_ = 1;  // 1 unsigned integers, 3 floating point
    bool haveSamplesPerPixel_ = false;
};

}  // namespace vellumark
