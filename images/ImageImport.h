// Image import: turns the bytes of an image file, or a decoded bitmap, into
// an image resource, reusing JPEG data unchanged where the settings allow.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "decoders/BMPImage.h"
#include "images/ConvertBitmap.h"
#include "model/PDFImageRes.h"

namespace vellumark {

// The engine settings an import reads.
struct TImportSettings {
    TCompressionSettings Compression;
    bool UseSourceCompression = true;
    int32_t ImageReadNumber = 1;
    bool MergeAlpha = false;
    uint32_t MergeAlphaColor = 0xFFFFFF;
    // Keep a PNG's compressed image data as it is, under the PNG predictors,
    // when its pixels need no change and its class is stored with Flate.
    bool PassPNGData = false;
};

// Dots per inch from pixels per metre: (ppm * 254 + 5000) div 10000, in
// unsigned 32-bit arithmetic (2835 gives 72, 11811 gives 300).
uint32_t DotsPerInch(uint32_t pixelsPerMetre) noexcept;

// An XResolution of 0 becomes 72, then a YResolution of 0 becomes the
// XResolution.
void ApplyDefaultResolution(TPDFImageRes& image) noexcept;

// Decodes (or passes through) the image in `data`, chosen by its first two
// bytes. Raises EPDFError "File is not a supported image format" for an
// unknown format, EReadError for fewer than two bytes, and the decoder's
// error for data it cannot read.
std::unique_ptr<TPDFImageRes> LoadImageFromStream(std::span<const uint8_t> data, const TImportSettings& settings);

// The same for the whole content of a file, which a JPEG passed through
// takes over instead of copying.
std::unique_ptr<TPDFImageRes> LoadImageFromBytes(std::string&& bytes, const TImportSettings& settings);

// The images of one file's bytes, read one after another: every page of a
// TIFF file, its chain of directories walked once whatever the number of
// pages, or the one image of any other file.
class TImageFileReader {
public:
    explicit TImageFileReader(std::string&& bytes);
    // The images CountImages finds; 1 when it cannot count them, so that
    // reading the first says what is wrong.
    int32_t Count() const noexcept { return count_; }
    // Whether the file is a TIFF file (whose images are its pages).
    bool IsTiff() const noexcept { return tiff_; }
    // The next image as LoadImageFromBytes makes it with ImageReadNumber
    // set to its number; the last (or only) one may take the bytes over.
    std::unique_ptr<TPDFImageRes> Next(const TImportSettings& settings);

private:
    std::string bytes_;
    std::shared_ptr<const std::string> shared_;  // a TIFF file's bytes
    int32_t count_ = 1;
    int32_t read_ = 0;             // images read so far
    uint64_t nextDirectory_ = 0;   // TIFF: the next page's directory, 0 unknown
    bool tiff_ = false;
};

// An image resource from a decoded bitmap (bitmap handles): resolution from
// its pixels per metre, the default resolution, then the conversion.
std::unique_ptr<TPDFImageRes> ImageFromBitmap(TBMPImage& bitmap, const TImportSettings& settings);

// How many images the file data holds, by its first byte (TIFF files are
// counted page by page). Raises EPDFError "File is not a supported graphics
// format" for any other first byte.
int32_t CountImages(std::span<const uint8_t> data);

// The pages of a TIFF file, counted the way the image library does.
int32_t CountTiffImages(std::span<const uint8_t> data);

// The whole content of a file; EPDFError `notFound` when there is none.
std::string ReadWholeFile(const std::string& path, const std::string& notFound);

}  // namespace vellumark
