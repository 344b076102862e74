// The WBMP reader: header fields and multi-byte integers, pixels and the
// black-and-white palette, short data, refusals; files written by
// ImageMagick compared with ImageMagick's own decoding; the import path and
// the images command end to end.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ReaderTestUtil.h"
#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/WBMPImage.h"
#include "images/ImageImport.h"

using namespace vellumark;
using namespace vellumark::test;

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kError = "Error reading WBMP file.";

TBMPImage Decode(const Bytes& data) { return ReadWith<TWBMPImage>(data); }
std::string Refusal(const Bytes& data) { return RefusalOf<TWBMPImage>(data); }

// A multi-byte integer: 7 bits a byte, most significant first.
void PutInteger(Bytes& b, uint64_t v) {
    Bytes groups;
    do {
        groups.insert(groups.begin(), static_cast<uint8_t>(v & 0x7F));
        v >>= 7;
    } while (v != 0);
    for (std::size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
    b.insert(b.end(), groups.begin(), groups.end());
}

// A file of width x height whose pixel (x, y) is white when white(x, y).
Bytes MakeWBMP(uint32_t width, uint32_t height, const std::function<bool(uint32_t, uint32_t)>& white) {
    Bytes b{0, 0};
    PutInteger(b, width);
    PutInteger(b, height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; x += 8) {
            uint8_t byte = 0;
            for (uint32_t i = 0; i < 8 && x + i < width; ++i)
                if (white(x + i, y)) byte |= static_cast<uint8_t>(0x80 >> i);
            b.push_back(byte);
        }
    return b;
}

bool Checker(uint32_t x, uint32_t y) { return ((x * 7 + y * 3 + x * y) % 5) < 2; }

// The colour of pixel (x, y): true for white.
bool IsWhite(const TBMPImage& img, uint32_t x, uint32_t y) {
    return img.PaletteAt(img.IndexAt(x, y)) == TPaletteEntry{255, 255, 255};
}


}  // namespace

TEST(ImagesWbmpReader, EightByOneLeftHalfBlack) {
    const TBMPImage img = Decode({0x00, 0x00, 0x08, 0x01, 0x0F});
    ASSERT_EQ(img.Width(), 8u);
    ASSERT_EQ(img.Height(), 1u);
    EXPECT_EQ(img.BitsPerPixel(), 1);
    ASSERT_EQ(img.Palette().size(), 2u);
    EXPECT_EQ(img.Palette()[0], (TPaletteEntry{0, 0, 0}));
    EXPECT_EQ(img.Palette()[1], (TPaletteEntry{255, 255, 255}));
    for (uint32_t x = 0; x < 8; ++x) EXPECT_EQ(IsWhite(img, x, 0), x >= 4) << x;
    EXPECT_EQ(img.XPelsPerMeter, 0u);
    EXPECT_EQ(img.YPelsPerMeter, 0u);
}

TEST(ImagesWbmpReader, MultiByteIntegers) {
    // 200 is written 81 48.
    Bytes b{0x00, 0x00, 0x81, 0x48, 0x03};
    b.resize(b.size() + 25 * 3, 0xFF);
    TBMPImage img = Decode(b);
    EXPECT_EQ(img.Width(), 200u);
    EXPECT_EQ(img.Height(), 3u);
    EXPECT_TRUE(IsWhite(img, 199, 2));
    // Up to five bytes; leading 0x80 groups add nothing.
    img = Decode({0x00, 0x00, 0x80, 0x80, 0x80, 0x80, 0x03, 0x81, 0x00, 0xE0});
    EXPECT_EQ(img.Width(), 3u);
    EXPECT_EQ(img.Height(), 128u);
    // Five continuation bytes read as 0, which is no width.
    EXPECT_EQ(Refusal({0x00, 0x00, 0x81, 0x81, 0x81, 0x81, 0x81, 0x01, 0x01, 0xFF}), kError);
    // The largest width the bitmap takes, and one beyond it.
    Bytes wide{0x00, 0x00};
    PutInteger(wide, TBMPImage::kMaxDimension);
    wide.push_back(0x01);
    EXPECT_EQ(Decode(wide).Width(), TBMPImage::kMaxDimension);
    Bytes wider{0x00, 0x00};
    PutInteger(wider, TBMPImage::kMaxDimension + 1);
    wider.push_back(0x01);
    EXPECT_EQ(Refusal(wider), kError);
}

TEST(ImagesWbmpReader, PixelsRowsAndPadding) {
    for (uint32_t w : {1u, 7u, 8u, 9u, 23u, 64u}) {
        SCOPED_TRACE(w);
        const uint32_t h = 5;
        Bytes b = MakeWBMP(w, h, Checker);
        // Set the bits beyond the width: they are ignored (and come out 0).
        if (w % 8 != 0)
            for (uint32_t y = 0; y < h; ++y) b[b.size() - (h - y) * ((w + 7) / 8) + (w + 7) / 8 - 1] |= 0xFF >> (w % 8);
        const TBMPImage img = Decode(b);
        ASSERT_EQ(img.Width(), w);
        ASSERT_EQ(img.Height(), h);
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < w; ++x) EXPECT_EQ(IsWhite(img, x, y), Checker(x, y)) << x << "," << y;
            if (w % 8 != 0) {
                EXPECT_EQ(img.Row(y)[img.RowBytes() - 1] & (0xFF >> (w % 8)), 0);
            }
        }
    }
}

TEST(ImagesWbmpReader, ShortDataLeavesTheRestBlack) {
    const Bytes full = MakeWBMP(12, 4, [](uint32_t, uint32_t) { return true; });
    for (std::size_t cut : {std::size_t{4}, std::size_t{5}, std::size_t{7}, full.size() - 1}) {
        SCOPED_TRACE(cut);
        const TBMPImage img = Decode(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
        ASSERT_EQ(img.Width(), 12u);
        const std::size_t have = cut - 4;  // bytes of pixel data present
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 12; ++x) EXPECT_EQ(IsWhite(img, x, y), y * 2 + x / 8 < have) << x << "," << y;
    }
    // Bytes beyond the last row are ignored.
    Bytes more = full;
    more.insert(more.end(), 10, 0x00);
    EXPECT_TRUE(IsWhite(Decode(more), 11, 3));
}

TEST(ImagesWbmpReader, Refusals) {
    EXPECT_EQ(Refusal({}), kError);
    EXPECT_EQ(Refusal({0x00}), kError);
    EXPECT_EQ(Refusal({0x00, 0x80, 0x08, 0x01, 0xFF}), kError);  // extension headers
    EXPECT_EQ(Refusal({0x01, 0x00, 0x08, 0x01, 0xFF}), kError);  // another type
    EXPECT_EQ(Refusal({0x00, 0x00, 0x00, 0x01, 0xFF}), kError);  // width 0
    EXPECT_EQ(Refusal({0x00, 0x00, 0x08, 0x00, 0xFF}), kError);  // height 0
    EXPECT_EQ(Refusal({0x00, 0x00, 0x08}), kError);              // no height
    EXPECT_EQ(Refusal({0x00, 0x00, 0x08, 0x81}), kError);        // height cut short
    EXPECT_EQ(Refusal({0x00, 0x00, 0x88}), kError);              // width cut short
    // A size within each side's limit but beyond the byte limit: refused
    // before anything is allocated (2^20 x 2^20 pixels would be 128 GB).
    Bytes huge{0x00, 0x00};
    PutInteger(huge, TBMPImage::kMaxDimension);
    PutInteger(huge, TBMPImage::kMaxDimension);
    EXPECT_EQ(Refusal(huge), kError);
    // A refused load leaves the decoder's previous image.
    TWBMPImage wbmp;
    wbmp.LoadFromStream(Bytes{0x00, 0x00, 0x08, 0x01, 0x0F});
    EXPECT_THROW(wbmp.LoadFromStream(Bytes{0x00, 0x80}), EInvalidGraphic);
    TBMPImage img;
    wbmp.AssignTo(img);
    EXPECT_EQ(img.Width(), 8u);
}

// ImageMagick writes WBMP files from PNG images and decodes them (and our
// hand-written ones) again: each must match our decoding pixel for pixel.
TEST(ImagesWbmpReader, AgreesWithImageMagick) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick (convert) is not installed";
    TempDir dir;
    struct Case {
        std::string name;
        std::string make;  // convert arguments writing name.png, or "" for a hand-made file
    };
    const std::vector<Case> cases = {
        {"checker", "-size 37x21 pattern:checkerboard"},
        {"noise", "-size 64x9 xc: +noise Random -colorspace gray -threshold 50%"},
        {"gradient", "-size 1x40 gradient:white-black -threshold 40%"},
        {"wide", "-size 200x3 pattern:gray50"},
        {"hand", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto wbmp = dir / (c.name + ".wbmp");
        if (c.make.empty()) {
            const Bytes b = MakeWBMP(29, 13, Checker);
            WriteFile(wbmp, std::string(b.begin(), b.end()));
        } else {
            const auto png = dir / (c.name + ".png");
            CommandResult r = RunCommand("convert " + c.make + " " + ShellQuote(png.string()) + " && convert " +
                                         ShellQuote(png.string()) + " wbmp:" + ShellQuote(wbmp.string()));
            ASSERT_EQ(r.status, 0) << r.output;
        }
        const std::string file = ReadFile(wbmp);
        const TBMPImage img = Decode(Bytes(file.begin(), file.end()));
        const auto gray = dir / (c.name + ".gray");
        CommandResult r = RunCommand("convert wbmp:" + ShellQuote(wbmp.string()) + " -depth 8 gray:" +
                                     ShellQuote(gray.string()));
        ASSERT_EQ(r.status, 0) << r.output;
        const std::string ref = ReadFile(gray);
        ASSERT_EQ(ref.size(), std::size_t{img.Width()} * img.Height());
        int wrong = 0;
        for (uint32_t y = 0; y < img.Height(); ++y)
            for (uint32_t x = 0; x < img.Width(); ++x) {
                const bool white = static_cast<uint8_t>(ref[std::size_t{y} * img.Width() + x]) >= 128;
                if (white != IsWhite(img, x, y)) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(ImagesWbmpImport, ThroughTheImportPath) {
    const Bytes b = MakeWBMP(30, 20, Checker);
    const auto image = LoadImageFromStream(b, TImportSettings{});
    EXPECT_EQ(image->Width, 30u);
    EXPECT_EQ(image->Height, 20u);
    EXPECT_EQ(image->XResolution, 72u);
    EXPECT_EQ(image->YResolution, 72u);
    try {
        LoadImageFromStream(Bytes{0x00, 0x00, 0x00, 0x05}, TImportSettings{});
        ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), kError);
    }
}

// The images command: a page of the image's size at 72 dpi whose rendering
// shows every pixel.
TEST(ImagesWbmpImport, ImagesCommandEndToEnd) {
    TempDir dir;
    const uint32_t w = 41, h = 17;
    const Bytes b = MakeWBMP(w, h, Checker);
    WriteFile(dir / "in.wbmp", std::string(b.begin(), b.end()));
    CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                 " images -o out.pdf in.wbmp");
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
    // Four times the image's resolution: each pixel a 4 x 4 block.
    const Raster raster = RenderPage(dir / "out.pdf", 1, 288);
    ASSERT_EQ(raster.width, static_cast<int>(4 * w));
    ASSERT_EQ(raster.height, static_cast<int>(4 * h));
    int wrong = 0;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t want = Checker(x, y) ? 0xFFFFFFu : 0u;
            if (raster.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2)) != want) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    // A refused file names itself and the reader's message.
    WriteFile(dir / "bad.wbmp", std::string("\x00\x00\x00\x01", 4));
    r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                   " images -o bad.pdf bad.wbmp");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find(kError), std::string::npos) << r.output;
}
