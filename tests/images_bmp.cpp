// TBMPImage and the Windows bitmap readers. The bitmaps are written by a
// small writer below, so every header, depth and compression is covered
// without sample files; a few are also checked against Pillow when it is
// installed, and the samples under data/bmp are decoded the same way.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"

namespace vellumark {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Set32(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Set16(Bytes& b, std::size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

constexpr uint32_t kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitfields = 3, kAlphaBitfields = 6;

// A bitmap as the writer below puts it into a file or a packed bitmap.
struct TLayout {
    uint32_t headerSize = 40;  // 12, 16 to 64, 108 or 124
    int32_t width = 1;
    int32_t height = 1;  // rows; negative for top-down storage
    uint16_t bitCount = 24;
    uint32_t compression = kRGB;
    std::vector<TPaletteEntry> palette;  // the colour table as written
    uint32_t clrUsed = 0;
    std::array<uint32_t, 4> masks{};  // red, green, blue, alpha; written for bit fields
    uint32_t xPelsPerMeter = 0;
    uint32_t yPelsPerMeter = 0;
    Bytes pixels;  // the stored pixel data, padded or compressed
};

// Header, masks, colour table and pixels.
Bytes MakeDIB(const TLayout& s) {
    Bytes b;
    const bool bitfields = s.compression == kBitfields || s.compression == kAlphaBitfields;
    if (s.headerSize == 12) {
        Put32(b, 12);
        Put16(b, static_cast<uint32_t>(s.width));
        Put16(b, static_cast<uint32_t>(s.height));
        Put16(b, 1);
        Put16(b, s.bitCount);
    } else {
        b.assign(s.headerSize, 0);
        Set32(b, 0, s.headerSize);
        Set32(b, 4, static_cast<uint32_t>(s.width));
        Set32(b, 8, static_cast<uint32_t>(s.height));
        Set16(b, 12, 1);
        Set16(b, 14, s.bitCount);
        auto field = [&](std::size_t at, uint32_t v) {
            if (s.headerSize >= at + 4) Set32(b, at, v);
        };
        field(16, s.compression);
        field(20, static_cast<uint32_t>(s.pixels.size()));
        field(24, s.xPelsPerMeter);
        field(28, s.yPelsPerMeter);
        field(32, s.clrUsed);
        if (s.headerSize >= 52 && bitfields)
            for (std::size_t i = 0; i < 4; ++i) field(40 + 4 * i, s.masks[i]);
        if (s.headerSize >= 108) Set32(b, 56, 0x73524742);  // 'sRGB'
    }
    if (bitfields && s.headerSize < 52)
        for (std::size_t i = 0; i < (s.compression == kAlphaBitfields ? 4u : 3u); ++i) Put32(b, s.masks[i]);
    for (const TPaletteEntry& p : s.palette) {
        b.push_back(p.Blue);
        b.push_back(p.Green);
        b.push_back(p.Red);
        if (s.headerSize != 12) b.push_back(0);
    }
    b.insert(b.end(), s.pixels.begin(), s.pixels.end());
    return b;
}

// A bitmap file; bfOffBits points at the pixels unless given.
Bytes MakeFile(const TLayout& s, std::optional<uint32_t> offBits = std::nullopt) {
    const Bytes dib = MakeDIB(s);
    Bytes b{'B', 'M'};
    Put32(b, static_cast<uint32_t>(14 + dib.size()));
    Put32(b, 0);
    Put32(b, offBits.value_or(static_cast<uint32_t>(14 + dib.size() - s.pixels.size())));
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

// Pixel values row by row from the top: palette indices, 0xRRGGBB for 24
// bits, the raw pixel word for 16 and 32 bits.
using TRows = std::vector<std::vector<uint32_t>>;

// The rows as a bitmap stores them: each padded to 4 bytes, bottom row first
// unless top-down.
Bytes StoreRows(const TRows& rows, uint16_t bpp, bool topDown) {
    Bytes out;
    for (std::size_t n = 0; n < rows.size(); ++n) {
        const auto& row = rows[topDown ? n : rows.size() - 1 - n];
        Bytes r;
        if (bpp <= 8) {
            r.assign((row.size() * bpp + 7) / 8, 0);
            for (std::size_t x = 0; x < row.size(); ++x) {
                const std::size_t bit = x * bpp;
                r[bit / 8] |= static_cast<uint8_t>(row[x] << (8 - bpp - bit % 8));
            }
        } else {
            for (uint32_t v : row) {
                if (bpp == 16) Put16(r, v);
                if (bpp == 24) {
                    r.push_back(static_cast<uint8_t>(v));
                    r.push_back(static_cast<uint8_t>(v >> 8));
                    r.push_back(static_cast<uint8_t>(v >> 16));
                }
                if (bpp == 32) Put32(r, v);
            }
        }
        while (r.size() % 4 != 0) r.push_back(0);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

TRows Pattern(uint32_t width, uint32_t height, uint32_t modulus, uint32_t seed = 0) {
    TRows rows(height, std::vector<uint32_t>(width));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            rows[y][x] = (x * 7 + y * 13 + x * y * 5 + seed) % modulus;
    return rows;
}

TRows ColourPattern(uint32_t width, uint32_t height) {
    TRows rows(height, std::vector<uint32_t>(width));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            rows[y][x] = ((x * 37 + y * 11) & 0xFF) << 16 | ((x * 5 + y * 71 + 3) & 0xFF) << 8 | ((x * y * 3 + 200) & 0xFF);
    return rows;
}

std::vector<TPaletteEntry> MakePalette(std::size_t n) {
    std::vector<TPaletteEntry> p;
    for (std::size_t i = 0; i < n; ++i)
        p.push_back({static_cast<uint8_t>(i * 3 + 1), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)});
    return p;
}

TBMPImage LoadFile(const Bytes& b) {
    TBMPImage img;
    img.LoadFromStream(b);
    return img;
}
TBMPImage LoadDIB(const Bytes& b) {
    TBMPImage img;
    img.LoadPackedDIB(b);
    return img;
}

::testing::AssertionResult SameIndices(const TBMPImage& img, const TRows& rows) {
    if (img.Height() != rows.size()) return ::testing::AssertionFailure() << "height " << img.Height();
    for (uint32_t y = 0; y < img.Height(); ++y) {
        if (img.Width() != rows[y].size()) return ::testing::AssertionFailure() << "width " << img.Width();
        for (uint32_t x = 0; x < img.Width(); ++x)
            if (img.IndexAt(x, y) != rows[y][x])
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is "
                                                     << int(img.IndexAt(x, y)) << ", expected " << rows[y][x];
    }
    return ::testing::AssertionSuccess();
}

// Compares a 24-bit image with 0xRRGGBB values.
::testing::AssertionResult SameColours(const TBMPImage& img, const TRows& rgb) {
    if (img.BitsPerPixel() != 24) return ::testing::AssertionFailure() << "bits " << int(img.BitsPerPixel());
    if (img.Height() != rgb.size()) return ::testing::AssertionFailure() << "height " << img.Height();
    for (uint32_t y = 0; y < img.Height(); ++y) {
        if (img.Width() != rgb[y].size()) return ::testing::AssertionFailure() << "width " << img.Width();
        const uint8_t* row = img.Row(y);
        for (uint32_t x = 0; x < img.Width(); ++x) {
            const uint32_t got = uint32_t{row[3 * x + 2]} << 16 | uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
            if (got != rgb[y][x])
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << std::hex << " is 0x" << got
                                                     << ", expected 0x" << rgb[y][x];
        }
    }
    return ::testing::AssertionSuccess();
}

// A channel value of `bits` bits scaled to 0..255, rounded to nearest.
uint32_t Scale(uint32_t v, int bits) {
    return static_cast<uint32_t>(std::lround(v * 255.0 / ((1 << bits) - 1)));
}

#define EXPECT_INVALID(stmt, message)                                     \
    do {                                                                  \
        try {                                                             \
            stmt;                                                         \
            ADD_FAILURE() << "no exception from " #stmt;                  \
        } catch (const EInvalidGraphic& e) {                              \
            EXPECT_STREQ(e.what(), message);                              \
        }                                                                 \
    } while (0)

// ---------------------------------------------------------------------------
// The bitmap class itself.

TEST(BmpImage, NewImageIsEmpty) {
    TBMPImage img;
    EXPECT_TRUE(img.Empty());
    EXPECT_EQ(img.Width(), 0u);
    EXPECT_EQ(img.XPelsPerMeter, 0u);
    EXPECT_EQ(img.YPelsPerMeter, 0u);
    EXPECT_TRUE(img.Pixels().empty());
}

TEST(BmpImage, SetSizeRowBytesAreExact) {
    struct Case { uint32_t w; uint8_t bpp; std::size_t row; };
    for (Case c : {Case{9, 1, 2}, Case{8, 1, 1}, Case{5, 4, 3}, Case{4, 4, 2}, Case{7, 8, 7}, Case{3, 24, 9},
                   Case{3, 32, 12}, Case{1, 1, 1}}) {
        TBMPImage img;
        img.Palette().push_back({1, 2, 3});
        img.SetSize(c.w, 3, c.bpp);
        EXPECT_EQ(img.RowBytes(), c.row) << c.w << "x" << int(c.bpp);
        EXPECT_EQ(img.Pixels().size(), c.row * 3);
        EXPECT_EQ(img.BitsPerPixel(), c.bpp);
        EXPECT_TRUE(img.Palette().empty());
        for (uint8_t b : img.Pixels()) EXPECT_EQ(b, 0);
        EXPECT_EQ(img.Row(2), img.Pixels().data() + 2 * c.row);
    }
    TBMPImage empty;
    empty.SetSize(0, 0, 8);
    EXPECT_TRUE(empty.Empty());
}

TEST(BmpImage, SetSizeLimits) {
    TBMPImage img;
    EXPECT_INVALID(img.SetSize(TBMPImage::kMaxDimension + 1, 1, 8), "Image is too large");
    EXPECT_INVALID(img.SetSize(1, TBMPImage::kMaxDimension + 1, 1), "Image is too large");
    EXPECT_INVALID(img.SetSize(TBMPImage::kMaxDimension, TBMPImage::kMaxDimension, 1), "Image is too large");
    EXPECT_INVALID(img.SetSize(0xFFFFFFFFu, 0xFFFFFFFFu, 32), "Image is too large");
    EXPECT_INVALID(img.SetSize(2, 2, 16), "Unsupported pixel format");
    EXPECT_INVALID(img.SetSize(2, 2, 0), "Unsupported pixel format");
    // A failed SetSize leaves the image as it was.
    img.SetSize(3, 2, 8);
    EXPECT_INVALID(img.SetSize(2, 2, 15), "Unsupported pixel format");
    EXPECT_EQ(img.Width(), 3u);
    EXPECT_EQ(img.Pixels().size(), 6u);
    // The widest image allowed (small enough in bytes at 1 bit and 8 rows).
    TBMPImage big;
    big.SetSize(TBMPImage::kMaxDimension, 8, 1);
    EXPECT_EQ(big.RowBytes(), TBMPImage::kMaxDimension / 8);
}

TEST(BmpImage, IndexAt) {
    TBMPImage one;
    one.SetSize(10, 2, 1);
    one.Row(1)[0] = 0b1010'0000;
    one.Row(1)[1] = 0b0100'0000;
    EXPECT_EQ(one.IndexAt(0, 1), 1);
    EXPECT_EQ(one.IndexAt(1, 1), 0);
    EXPECT_EQ(one.IndexAt(2, 1), 1);
    EXPECT_EQ(one.IndexAt(9, 1), 1);
    EXPECT_EQ(one.IndexAt(0, 0), 0);
    EXPECT_EQ(one.IndexAt(10, 1), 0);  // outside: 0
    EXPECT_EQ(one.IndexAt(0, 2), 0);

    TBMPImage four;
    four.SetSize(3, 1, 4);
    four.Row(0)[0] = 0xAB;
    four.Row(0)[1] = 0xC0;
    EXPECT_EQ(four.IndexAt(0, 0), 0xA);
    EXPECT_EQ(four.IndexAt(1, 0), 0xB);
    EXPECT_EQ(four.IndexAt(2, 0), 0xC);

    TBMPImage eight;
    eight.SetSize(2, 1, 8);
    eight.Row(0)[1] = 200;
    EXPECT_EQ(eight.IndexAt(1, 0), 200);

    TBMPImage rgb;
    rgb.SetSize(2, 1, 24);
    rgb.Row(0)[0] = 9;
    EXPECT_EQ(rgb.IndexAt(0, 0), 0);
}

TEST(BmpImage, ConvertPaletteImagesTo24Bit) {
    TBMPImage img;
    img.SetSize(5, 2, 4);
    img.Palette() = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};  // entries 3..15 missing: black
    img.Row(0)[0] = 0x01;
    img.Row(0)[1] = 0x2F;
    img.Row(0)[2] = 0x10;
    img.Row(1)[0] = 0x21;
    img.XPelsPerMeter = 3780;
    img.ConvertTo24Bit();
    EXPECT_EQ(img.BitsPerPixel(), 24);
    EXPECT_EQ(img.RowBytes(), 15u);
    EXPECT_TRUE(img.Palette().empty());
    EXPECT_EQ(img.XPelsPerMeter, 3780u);
    EXPECT_TRUE(SameColours(img, {{0x0A141E, 0x28323C, 0x46505A, 0x000000, 0x28323C},
                                  {0x46505A, 0x28323C, 0x0A141E, 0x0A141E, 0x0A141E}}));

    TBMPImage bw;
    bw.SetSize(9, 1, 1);
    bw.Palette() = {{0, 0, 0}, {255, 255, 255}};
    bw.Row(0)[0] = 0b1000'0001;
    bw.Row(0)[1] = 0b1000'0000;
    bw.ConvertTo24Bit();
    EXPECT_TRUE(SameColours(bw, {{0xFFFFFF, 0, 0, 0, 0, 0, 0, 0xFFFFFF, 0xFFFFFF}}));

    TBMPImage eight;
    eight.SetSize(2, 1, 8);
    eight.Palette() = MakePalette(256);
    eight.Row(0)[0] = 255;
    eight.Row(0)[1] = 7;
    eight.ConvertTo24Bit();
    EXPECT_TRUE(SameColours(eight, {{0xFE00F9, 0x16F831}}));
}

TEST(BmpImage, Convert32BitDropsAlphaAnd24BitIsUnchanged) {
    TBMPImage img;
    img.SetSize(2, 1, 32);
    const uint8_t px[] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::copy(std::begin(px), std::end(px), img.Row(0));
    img.ConvertTo24Bit();
    EXPECT_TRUE(SameColours(img, {{0x030201, 0x070605}}));
    const std::vector<uint8_t> before(img.Pixels().begin(), img.Pixels().end());
    img.ConvertTo24Bit();
    EXPECT_EQ(std::vector<uint8_t>(img.Pixels().begin(), img.Pixels().end()), before);

    TBMPImage empty;
    empty.ConvertTo24Bit();
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.BitsPerPixel(), 24);
}

// ---------------------------------------------------------------------------
// Uncompressed palette bitmaps.

struct TDepthCase {
    uint16_t bpp;
    uint32_t width;
    bool topDown;
};

class BmpPaletteDepths : public ::testing::TestWithParam<TDepthCase> {};

TEST_P(BmpPaletteDepths, FileAndPackedBitmapDecodeExactly) {
    const TDepthCase c = GetParam();
    const uint32_t height = 5;
    const TRows rows = Pattern(c.width, height, 1u << c.bpp, c.width);
    TLayout s;
    s.width = static_cast<int32_t>(c.width);
    s.height = c.topDown ? -static_cast<int32_t>(height) : static_cast<int32_t>(height);
    s.bitCount = c.bpp;
    s.palette = MakePalette(std::size_t{1} << c.bpp);
    s.pixels = StoreRows(rows, c.bpp, c.topDown);
    s.xPelsPerMeter = 2835;
    s.yPelsPerMeter = 11811;

    for (bool packed : {false, true}) {
        SCOPED_TRACE(packed ? "packed" : "file");
        const TBMPImage img = packed ? LoadDIB(MakeDIB(s)) : LoadFile(MakeFile(s));
        EXPECT_EQ(img.Width(), c.width);
        EXPECT_EQ(img.Height(), height);
        EXPECT_EQ(img.BitsPerPixel(), c.bpp == 2 ? 4 : c.bpp);
        EXPECT_EQ(img.Palette(), s.palette);
        EXPECT_TRUE(SameIndices(img, rows));
        EXPECT_EQ(img.XPelsPerMeter, 2835u);
        EXPECT_EQ(img.YPelsPerMeter, 11811u);
        // Bits beyond the last pixel of a row are 0.
        const uint64_t bits = uint64_t{img.Width()} * img.BitsPerPixel();
        if (bits % 8 != 0) {
            for (uint32_t y = 0; y < img.Height(); ++y)
                EXPECT_EQ(img.Row(y)[img.RowBytes() - 1] & (0xFF >> (bits % 8)), 0) << "row " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, BmpPaletteDepths,
                         ::testing::Values(TDepthCase{1, 1, false}, TDepthCase{1, 13, false}, TDepthCase{1, 33, true},
                                           TDepthCase{1, 8, true}, TDepthCase{2, 7, false}, TDepthCase{2, 16, true},
                                           TDepthCase{4, 5, false}, TDepthCase{4, 9, true}, TDepthCase{4, 8, false},
                                           TDepthCase{8, 3, false}, TDepthCase{8, 17, true}, TDepthCase{8, 4, false}));

TEST(BmpFile, TwentyFourBitsBottomUpAndTopDown) {
    for (uint32_t width : {1u, 2u, 3u, 4u, 7u}) {
        const TRows rgb = ColourPattern(width, 4);
        for (bool topDown : {false, true}) {
            TLayout s;
            s.width = static_cast<int32_t>(width);
            s.height = topDown ? -4 : 4;
            s.pixels = StoreRows(rgb, 24, topDown);
            EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb)) << width << (topDown ? " top-down" : "");
            EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), rgb)) << width << (topDown ? " top-down" : "");
        }
    }
}

TEST(BmpFile, ResolutionComesFromTheHeader) {
    TLayout s;
    s.pixels = StoreRows({{0x123456}}, 24, false);
    s.xPelsPerMeter = 0;
    s.yPelsPerMeter = 11811;
    TBMPImage img = LoadFile(MakeFile(s));
    EXPECT_EQ(img.XPelsPerMeter, 0u);
    EXPECT_EQ(img.YPelsPerMeter, 11811u);
    s.xPelsPerMeter = 3780;
    s.yPelsPerMeter = 3780;
    img = LoadDIB(MakeDIB(s));
    EXPECT_EQ(img.XPelsPerMeter, 3780u);
    EXPECT_EQ(img.YPelsPerMeter, 3780u);
    // The core header has no resolution.
    s.headerSize = 12;
    img = LoadFile(MakeFile(s));
    EXPECT_EQ(img.XPelsPerMeter, 0u);
    EXPECT_EQ(img.YPelsPerMeter, 0u);
}

// ---------------------------------------------------------------------------
// 16 and 32 bits.

TEST(BmpFile, SixteenBitsDefaultToFiveFiveFive) {
    TRows raw(3, std::vector<uint32_t>(5));
    TRows rgb = raw;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            const uint32_t r = (x * 7 + y) % 32, g = (y * 11 + x * 3) % 32, b = (x * y + 31) % 32;
            raw[y][x] = r << 10 | g << 5 | b | (x % 2) << 15;  // the top bit is not used
            rgb[y][x] = Scale(r, 5) << 16 | Scale(g, 5) << 8 | Scale(b, 5);
        }
    TLayout s;
    s.width = 5;
    s.height = 3;
    s.bitCount = 16;
    s.pixels = StoreRows(raw, 16, false);
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb));
    EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), rgb));
    // Masks in a V5 header are not used without bit fields.
    s.headerSize = 124;
    s.masks = {0xF800, 0x07E0, 0x001F, 0};
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb));
}

TEST(BmpFile, SixteenBitFieldsFiveSixFive) {
    TRows raw(2, std::vector<uint32_t>(64));
    TRows rgb = raw;
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const uint32_t r = (x + y) % 32, g = x, b = 31 - (x % 32);
            raw[y][x] = r << 11 | g << 5 | b;
            rgb[y][x] = Scale(r, 5) << 16 | Scale(g, 6) << 8 | Scale(b, 5);
        }
    for (uint32_t header : {40u, 52u, 56u, 108u, 124u}) {
        for (bool topDown : {false, true}) {
            TLayout s;
            s.headerSize = header;
            s.width = 64;
            s.height = topDown ? -2 : 2;
            s.bitCount = 16;
            s.compression = kBitfields;
            s.masks = {0xF800, 0x07E0, 0x001F, 0};
            s.pixels = StoreRows(raw, 16, topDown);
            EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb)) << header;
            EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), rgb)) << header;
        }
    }
}

TEST(BmpFile, SixteenBitFieldsOfFourBitsAndAlphaBitfields) {
    TRows raw{{0x0F00, 0x00F0, 0x000F, 0xF123, 0x0000}};
    TRows rgb{{0xFF0000, 0x00FF00, 0x0000FF, 0x112233, 0}};
    TLayout s;
    s.width = 5;
    s.bitCount = 16;
    s.compression = kAlphaBitfields;  // four masks after a 40-byte header
    s.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    s.pixels = StoreRows(raw, 16, false);
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb));
    EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), rgb));
}

TEST(BmpFile, ThirtyTwoBits) {
    TRows raw{{0xFF102030, 0x00FFFFFF, 0x80000001}, {0x12345678, 0xAABBCCDD, 0}};
    TRows rgb{{0x102030, 0xFFFFFF, 0x000001}, {0x345678, 0xBBCCDD, 0}};
    TLayout s;
    s.width = 3;
    s.height = 2;
    s.bitCount = 32;
    s.pixels = StoreRows(raw, 32, false);
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb));
    EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), rgb));

    // Bit fields with red in the low byte.
    s.compression = kBitfields;
    s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};
    TRows swapped{{0x302010, 0xFFFFFF, 0x010000}, {0x785634, 0xDDCCBB, 0}};
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), swapped));
    EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), swapped));
    s.headerSize = 124;
    s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), swapped));
    s.headerSize = 108;
    EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), swapped));

    // Ten bits a channel: the top eight count.
    TLayout t;
    t.width = 2;
    t.bitCount = 32;
    t.compression = kBitfields;
    t.masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0};
    t.pixels = StoreRows({{0x3FFFFFFF, 0x200FF801}}, 32, false);
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(t)), {{0xFFFFFF, 0x80FF00}}));
    // A zero mask gives 0 for its channel.
    t.masks = {0, 0x0000FF00, 0x000000FF, 0};
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(t)), {{0x00FFFF, 0x00F801}}));
}

// ---------------------------------------------------------------------------
// Headers.

TEST(BmpFile, CoreHeaderWithThreeByteEntries) {
    for (uint16_t bpp : {1, 4, 8}) {
        const TRows rows = Pattern(6, 3, 1u << bpp);
        TLayout s;
        s.headerSize = 12;
        s.width = 6;
        s.height = 3;
        s.bitCount = bpp;
        s.palette = MakePalette(std::size_t{1} << bpp);
        s.pixels = StoreRows(rows, bpp, false);
        const TBMPImage img = LoadFile(MakeFile(s));
        EXPECT_EQ(img.Palette(), s.palette) << bpp;
        EXPECT_TRUE(SameIndices(img, rows)) << bpp;
        const TBMPImage dib = LoadDIB(MakeDIB(s));
        EXPECT_TRUE(SameIndices(dib, rows)) << bpp;
    }
    TLayout s;
    s.headerSize = 12;
    s.width = 3;
    s.height = 2;
    const TRows rgb = ColourPattern(3, 2);
    s.pixels = StoreRows(rgb, 24, false);
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb));
}

TEST(BmpFile, OtherHeaderSizes) {
    const TRows rows = Pattern(9, 4, 256);
    for (uint32_t header : {16u, 20u, 36u, 40u, 52u, 56u, 64u, 108u, 124u}) {
        TLayout s;
        s.headerSize = header;
        s.width = 9;
        s.height = 4;
        s.bitCount = 8;
        s.palette = MakePalette(256);
        s.pixels = StoreRows(rows, 8, false);
        s.xPelsPerMeter = 1000;
        const TBMPImage img = LoadFile(MakeFile(s));
        EXPECT_TRUE(SameIndices(img, rows)) << header;
        EXPECT_EQ(img.Palette(), s.palette) << header;
        EXPECT_EQ(img.XPelsPerMeter, header >= 28 ? 1000u : 0u) << header;
        EXPECT_TRUE(SameIndices(LoadDIB(MakeDIB(s)), rows)) << header;
    }
}

TEST(BmpFile, ShortPalettes) {
    const TRows rows = Pattern(4, 2, 6);
    TLayout s;
    s.width = 4;
    s.height = 2;
    s.bitCount = 8;
    s.clrUsed = 3;
    s.palette = MakePalette(3);
    s.pixels = StoreRows(rows, 8, false);
    for (bool packed : {false, true}) {
        TBMPImage img = packed ? LoadDIB(MakeDIB(s)) : LoadFile(MakeFile(s));
        EXPECT_EQ(img.Palette(), s.palette);
        EXPECT_TRUE(SameIndices(img, rows));
        EXPECT_EQ(img.PaletteAt(5), TPaletteEntry{});
        img.ConvertTo24Bit();  // indices past the palette read black
        TRows rgb = rows;
        for (auto& row : rgb)
            for (uint32_t& v : row) {
                const TPaletteEntry c = v < 3 ? s.palette[v] : TPaletteEntry{};
                v = uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
            }
        EXPECT_TRUE(SameColours(img, rgb));
    }

    // A file whose table is cut short by bfOffBits, clrUsed 0.
    TLayout t = s;
    t.clrUsed = 0;
    t.palette = MakePalette(5);
    const TBMPImage img = LoadFile(MakeFile(t));
    EXPECT_EQ(img.Palette(), t.palette);
    EXPECT_TRUE(SameIndices(img, rows));
}

TEST(BmpFile, OffsetToPixelsIsHonouredWhenSane) {
    const TRows rgb = ColourPattern(2, 2);
    TLayout s;
    s.width = 2;
    s.height = 2;
    s.pixels = StoreRows(rgb, 24, false);
    // A gap of 10 bytes between header and pixels.
    TLayout gap = s;
    gap.pixels.insert(gap.pixels.begin(), 10, 0xEE);
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(gap, 14 + 40 + 10)), rgb));
    // Offsets inside the header or past the end: the pixels follow the table.
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s, 0)), rgb));
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s, 20)), rgb));
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s, 0xFFFFFFF0u)), rgb));
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s, 14 + 40 + 16)), rgb));  // 16 = the whole data: past the end
    // An offset that leaves too little data for the pixels.
    EXPECT_INVALID(LoadFile(MakeFile(s, 14 + 40 + 4)), "Bitmap image is not valid");

    // A palette bitmap whose offset leaves no room for the palette (as some
    // writers store it, e.g. Pillow's pal8_offset.bmp): the pixels follow
    // the table.
    const TRows rows = Pattern(4, 2, 6);
    TLayout p;
    p.width = 4;
    p.height = 2;
    p.bitCount = 8;
    p.clrUsed = 6;
    p.palette = MakePalette(6);
    p.pixels = StoreRows(rows, 8, false);
    const TBMPImage img = LoadFile(MakeFile(p, 14 + 40));
    EXPECT_EQ(img.Palette(), p.palette);
    EXPECT_TRUE(SameIndices(img, rows));
}

TEST(BmpFile, MissingPaddingOfTheLastRowIsTolerated) {
    const TRows rgb = ColourPattern(1, 3);  // 3 bytes a row, stride 4
    TLayout s;
    s.width = 1;
    s.height = 3;
    s.pixels = StoreRows(rgb, 24, false);
    s.pixels.pop_back();
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb));
    EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), rgb));
    s.pixels.pop_back();
    EXPECT_INVALID(LoadFile(MakeFile(s)), "Bitmap image is not valid");
    EXPECT_INVALID(LoadDIB(MakeDIB(s)), "Bitmap image is not valid");
}

// ---------------------------------------------------------------------------
// Run-length encoding.

TEST(BmpFile, RunLength8) {
    TLayout s;
    s.width = 6;
    s.height = 4;
    s.bitCount = 8;
    s.compression = kRLE8;
    s.palette = MakePalette(16);
    s.clrUsed = 16;
    s.pixels = {
        3, 5, 0, 3, 1, 2, 3, 0, 0, 0,  // run of 3, three as they are (padded), end of line
        2, 7, 0, 2, 2, 1,              // run of 2, move 2 right and 1 up
        2, 9, 0, 0,                    // run of 2 at x 4, end of line
        10, 4, 0, 1,                   // run past the row end, end of bitmap
        9, 9, 9, 9,                    // after the end: not read
    };
    // Rows from the top: stored row 3 first.
    const TRows rows{{4, 4, 4, 4, 4, 4}, {0, 0, 0, 0, 9, 9}, {7, 7, 0, 0, 0, 0}, {5, 5, 5, 1, 2, 3}};
    for (bool packed : {false, true}) {
        const TBMPImage img = packed ? LoadDIB(MakeDIB(s)) : LoadFile(MakeFile(s));
        EXPECT_EQ(img.BitsPerPixel(), 8);
        EXPECT_EQ(img.Palette(), s.palette);
        EXPECT_TRUE(SameIndices(img, rows));
    }
    // Top-down storage puts the first stored row at the top.
    s.height = -4;
    const TRows flipped{rows[3], rows[2], rows[1], rows[0]};
    EXPECT_TRUE(SameIndices(LoadFile(MakeFile(s)), flipped));
}

TEST(BmpFile, RunLength4) {
    TLayout s;
    s.width = 7;
    s.height = 3;
    s.bitCount = 4;
    s.compression = kRLE4;
    s.palette = MakePalette(16);
    s.pixels = {
        4, 0x12, 0, 3, 0x34, 0x50, 0, 0,           // 1 2 1 2, then 3 4 5 as they are
        0, 5, 0xAB, 0xCD, 0xE0, 0, 2, 0xFF, 0, 0,  // five as they are (3 bytes, padded), F F
        3, 0x70,                                   // 7 0 7; the data ends without end of bitmap
    };
    const TRows rows{{7, 0, 7, 0, 0, 0, 0}, {0xA, 0xB, 0xC, 0xD, 0xE, 0xF, 0xF}, {1, 2, 1, 2, 3, 4, 5}};
    for (bool packed : {false, true}) {
        const TBMPImage img = packed ? LoadDIB(MakeDIB(s)) : LoadFile(MakeFile(s));
        EXPECT_EQ(img.BitsPerPixel(), 4);
        EXPECT_TRUE(SameIndices(img, rows));
    }
}

TEST(BmpFile, RunLengthPastTheImageIsSafe) {
    TLayout s;
    s.width = 3;
    s.height = 2;
    s.bitCount = 8;
    s.compression = kRLE8;
    s.palette = MakePalette(4);
    // Runs past the row, absolute runs past the row, a move past the right
    // edge, more lines than the image has, and a move past the top.
    s.pixels = {255, 1, 0, 5, 1, 2, 3, 1, 2, 0, 0, 2, 2, 0, 0, 0, 255, 3, 0, 0, 0, 0, 7, 7};
    EXPECT_TRUE(SameIndices(LoadFile(MakeFile(s)), TRows{{3, 3, 3}, {1, 1, 1}}));
    s.pixels = {1, 1, 0, 2, 0, 200, 3, 3};
    EXPECT_TRUE(SameIndices(LoadFile(MakeFile(s)), TRows{{0, 0, 0}, {1, 0, 0}}));

    // Cut short inside a run, an escape or an absolute run.
    for (const Bytes& bad : {Bytes{1, 1, 3}, Bytes{0, 2, 1}, Bytes{0, 5, 1, 2}, Bytes{0}}) {
        s.pixels = bad;
        EXPECT_INVALID(LoadFile(MakeFile(s)), "Bitmap image is not valid");
    }
    // A missing pad byte after the last absolute run is fine.
    s.pixels = {0, 3, 1, 2, 3};
    EXPECT_TRUE(SameIndices(LoadFile(MakeFile(s)), TRows{{0, 0, 0}, {1, 2, 3}}));
    // The compressed size bounds the data.
    s.pixels = {1, 3, 2, 7};
    EXPECT_TRUE(SameIndices(LoadFile(MakeFile(s)), TRows{{0, 0, 0}, {3, 7, 7}}));
    Bytes file = MakeFile(s);
    Set32(file, 14 + 20, 2);
    EXPECT_TRUE(SameIndices(LoadFile(file), TRows{{0, 0, 0}, {3, 0, 0}}));
}

// ---------------------------------------------------------------------------
// Packed bitmaps.

TEST(BmpPackedDIB, TwoColourBitmapWithRedFirstBecomesBlackAndWhite) {
    const TRows rows = Pattern(11, 3, 2);
    TLayout s;
    s.width = 11;
    s.height = 3;
    s.bitCount = 1;
    s.palette = {{255, 255, 255}, {0, 0, 0}};
    s.pixels = StoreRows(rows, 1, false);
    const std::vector<TPaletteEntry> blackWhite{{0, 0, 0}, {255, 255, 255}};
    TBMPImage img = LoadDIB(MakeDIB(s));
    EXPECT_EQ(img.Palette(), blackWhite);
    EXPECT_TRUE(SameIndices(img, rows));  // bits unchanged
    s.palette = {{255, 0, 0}, {0, 0, 255}};
    EXPECT_EQ(LoadDIB(MakeDIB(s)).Palette(), blackWhite);
    // Not with another first red, not for files, not for other depths.
    s.palette = {{254, 255, 255}, {0, 0, 0}};
    EXPECT_EQ(LoadDIB(MakeDIB(s)).Palette(), s.palette);
    s.palette = {{255, 255, 255}, {0, 0, 0}};
    EXPECT_EQ(LoadFile(MakeFile(s)).Palette(), s.palette);
    s.bitCount = 4;
    s.palette = MakePalette(16);
    s.palette[0] = {255, 255, 255};
    s.pixels = StoreRows(rows, 4, false);
    EXPECT_EQ(LoadDIB(MakeDIB(s)).Palette(), s.palette);
}

TEST(BmpPackedDIB, ColourTableOfDeepBitmapsIsSkipped) {
    const TRows rgb = ColourPattern(3, 2);
    TLayout s;
    s.width = 3;
    s.height = 2;
    s.clrUsed = 2;
    s.palette = MakePalette(2);
    s.pixels = StoreRows(rgb, 24, false);
    EXPECT_TRUE(SameColours(LoadDIB(MakeDIB(s)), rgb));
    EXPECT_TRUE(SameColours(LoadFile(MakeFile(s)), rgb));
}

// ---------------------------------------------------------------------------
// Bad data.

TEST(BmpFile, RefusesBadHeaders) {
    TLayout s;
    s.width = 2;
    s.height = 2;
    s.pixels = StoreRows(ColourPattern(2, 2), 24, false);
    const Bytes good = MakeFile(s);
    ASSERT_NO_THROW(LoadFile(good));

    EXPECT_INVALID(LoadFile(Bytes{}), "Bitmap image is not valid");
    EXPECT_INVALID(LoadFile(Bytes{'B', 'M'}), "Bitmap image is not valid");
    Bytes b = good;
    b[1] = 'A';
    EXPECT_INVALID(LoadFile(b), "Bitmap image is not valid");

    auto with32 = [&](std::size_t at, uint32_t v) {
        Bytes c = good;
        Set32(c, at, v);
        return c;
    };
    auto with16 = [&](std::size_t at, uint32_t v) {
        Bytes c = good;
        Set16(c, at, v);
        return c;
    };
    EXPECT_INVALID(LoadFile(with32(14, 41)), "Unsupported bitmap format");       // header size
    EXPECT_INVALID(LoadFile(with32(14, 100)), "Unsupported bitmap format");
    EXPECT_INVALID(LoadFile(with32(14, 8)), "Unsupported bitmap format");
    EXPECT_INVALID(LoadFile(with32(14, 0xFFFFFFFF)), "Unsupported bitmap format");
    EXPECT_INVALID(LoadFile(with32(14, 124)), "Bitmap image is not valid");      // longer than the data
    EXPECT_INVALID(LoadFile(with32(18, 0)), "Bitmap image is not valid");        // width 0
    EXPECT_INVALID(LoadFile(with32(18, 0xFFFFFFFE)), "Bitmap image is not valid");  // width -2
    EXPECT_INVALID(LoadFile(with32(22, 0)), "Bitmap image is not valid");        // height 0
    EXPECT_INVALID(LoadFile(with32(18, 0x7FFFFFFF)), "Image is too large");
    EXPECT_INVALID(LoadFile(with32(22, 0x80000000)), "Image is too large");       // most negative height
    EXPECT_INVALID(LoadFile(with32(22, TBMPImage::kMaxDimension + 1)), "Image is too large");
    EXPECT_INVALID(LoadFile(with16(28, 3)), "Unsupported bitmap format");        // bit count
    EXPECT_INVALID(LoadFile(with16(28, 0)), "Unsupported bitmap format");
    EXPECT_INVALID(LoadFile(with16(28, 64)), "Unsupported bitmap format");
    EXPECT_INVALID(LoadFile(with32(30, 1)), "Unsupported bitmap format");        // RLE8 on 24 bits
    EXPECT_INVALID(LoadFile(with32(30, 3)), "Unsupported bitmap format");        // bit fields on 24 bits
    EXPECT_INVALID(LoadFile(with32(30, 4)), "Unsupported bitmap format");        // JPEG
    EXPECT_INVALID(LoadFile(with32(30, 5)), "Unsupported bitmap format");        // PNG
    EXPECT_INVALID(LoadFile(with32(46, 70000)), "Bitmap image is not valid");    // colours used
    // Big dimensions with little data fail before anything is allocated.
    Bytes big = with32(18, TBMPImage::kMaxDimension);
    Set32(big, 22, 1024);
    EXPECT_INVALID(LoadFile(big), "Bitmap image is not valid");
    // And big ones beyond the byte limit fail as too large even when compressed.
    TLayout r;
    r.width = static_cast<int32_t>(TBMPImage::kMaxDimension);
    r.height = static_cast<int32_t>(TBMPImage::kMaxDimension);
    r.bitCount = 8;
    r.compression = kRLE8;
    r.clrUsed = 1;
    r.palette = MakePalette(1);
    r.pixels = {0, 1};
    EXPECT_INVALID(LoadFile(MakeFile(r)), "Image is too large");
    EXPECT_INVALID(LoadDIB(MakeDIB(r)), "Image is too large");
    EXPECT_INVALID(LoadDIB(Bytes{40, 0, 0}), "Bitmap image is not valid");
    // Bit fields whose masks are missing.
    TLayout m;
    m.bitCount = 16;
    m.compression = kBitfields;
    m.masks = {0xF800, 0x07E0, 0x001F, 0};
    Bytes dib = MakeDIB(m);
    dib.resize(40 + 8);
    EXPECT_INVALID(LoadDIB(dib), "Bitmap image is not valid");
    m.compression = kAlphaBitfields;
    dib = MakeDIB(m);
    dib.resize(40 + 14);
    EXPECT_INVALID(LoadDIB(dib), "Bitmap image is not valid");
}

TEST(BmpFile, FailureLeavesTheImageAsItWas) {
    TLayout s;
    s.width = 2;
    s.height = 1;
    s.pixels = StoreRows(ColourPattern(2, 1), 24, false);
    s.xPelsPerMeter = 77;
    TBMPImage img = LoadFile(MakeFile(s));
    Bytes bad = MakeFile(s);
    bad.resize(bad.size() - 4);
    EXPECT_INVALID(img.LoadFromStream(bad), "Bitmap image is not valid");
    EXPECT_INVALID(img.LoadPackedDIB(std::span<const uint8_t>(bad).subspan(14)), "Bitmap image is not valid");
    EXPECT_TRUE(SameColours(img, ColourPattern(2, 1)));
    EXPECT_EQ(img.XPelsPerMeter, 77u);
}

// Small files of every kind, for the truncation and mutation tests.
std::vector<Bytes> SmallFiles() {
    std::vector<Bytes> files;
    for (uint16_t bpp : {1, 2, 4, 8}) {
        TLayout s;
        s.width = 5;
        s.height = 3;
        s.bitCount = bpp;
        s.palette = MakePalette(std::size_t{1} << bpp);
        s.pixels = StoreRows(Pattern(5, 3, 1u << bpp), bpp, false);
        files.push_back(MakeFile(s));
        s.headerSize = 12;
        files.push_back(MakeFile(s));
    }
    TLayout rgb;
    rgb.width = 3;
    rgb.height = -2;
    rgb.pixels = StoreRows(ColourPattern(3, 2), 24, true);
    files.push_back(MakeFile(rgb));
    TLayout sixteen;
    sixteen.headerSize = 124;
    sixteen.width = 3;
    sixteen.height = 2;
    sixteen.bitCount = 16;
    sixteen.compression = kBitfields;
    sixteen.masks = {0xF800, 0x07E0, 0x001F, 0};
    sixteen.pixels = StoreRows(Pattern(3, 2, 65536), 16, false);
    files.push_back(MakeFile(sixteen));
    TLayout thirtyTwo;
    thirtyTwo.width = 2;
    thirtyTwo.height = 2;
    thirtyTwo.bitCount = 32;
    thirtyTwo.compression = kBitfields;
    thirtyTwo.masks = {0xFF0000, 0xFF00, 0xFF, 0};
    thirtyTwo.pixels = StoreRows(Pattern(2, 2, 0xFFFFFF), 32, false);
    files.push_back(MakeFile(thirtyTwo));
    TLayout rle8;
    rle8.width = 6;
    rle8.height = 4;
    rle8.bitCount = 8;
    rle8.compression = kRLE8;
    rle8.palette = MakePalette(16);
    rle8.clrUsed = 16;
    rle8.pixels = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 2, 7, 0, 2, 2, 1, 2, 9, 0, 0, 10, 4, 0, 1};
    files.push_back(MakeFile(rle8));
    TLayout rle4;
    rle4.width = 7;
    rle4.height = 3;
    rle4.bitCount = 4;
    rle4.compression = kRLE4;
    rle4.palette = MakePalette(16);
    rle4.pixels = {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0xAB, 0xCD, 0xE0, 0, 2, 0xFF, 0, 0, 3, 0x70, 0, 1};
    files.push_back(MakeFile(rle4));
    return files;
}

// Loads the data both ways; only EInvalidGraphic may come out.
void LoadBothWays(std::span<const uint8_t> data) {
    try {
        TBMPImage img;
        img.LoadFromStream(data);
        img.ConvertTo24Bit();
    } catch (const EInvalidGraphic&) {
    }
    if (data.size() >= 14) {
        try {
            TBMPImage img;
            img.LoadPackedDIB(data.subspan(14));
            img.ConvertTo24Bit();
        } catch (const EInvalidGraphic&) {
        }
    }
}

TEST(BmpFile, TruncationAtEveryLength) {
    for (const Bytes& file : SmallFiles()) {
        ASSERT_NO_THROW(LoadFile(file));
        const bool compressed = file[14] == 40 && (file[30] == kRLE8 || file[30] == kRLE4);
        for (std::size_t n = 0; n < file.size(); ++n) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
            bool loaded = false;
            try {
                LoadFile(cut);
                loaded = true;
            } catch (const EInvalidGraphic&) {
            }
            // Only the last row's padding, or the end of compressed data, may go missing.
            if (loaded && !compressed) {
                EXPECT_GE(n + 3, file.size()) << "loaded with " << n << " of " << file.size();
            }
            LoadBothWays(cut);
        }
    }
}

TEST(BmpFile, MutatedFilesNeverCrash) {
    std::mt19937 rng(20240611);
    for (const Bytes& file : SmallFiles()) {
        for (int round = 0; round < 1500; ++round) {
            Bytes m = file;
            const int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits; ++e) {
                const std::size_t at = rng() % m.size();
                switch (rng() % 4) {
                    case 0: m[at] = static_cast<uint8_t>(rng()); break;
                    case 1: m[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
                    case 2:
                        if (at + 4 <= m.size()) Set32(m, at, rng() % 2 ? 0xFFFFFFFFu - rng() % 4 : rng() % 300);
                        break;
                    case 3: m.resize(std::max<std::size_t>(at, 1)); break;
                }
            }
            // Keep small dimensions most of the time so that decoding runs.
            if (round % 2 == 0 && m.size() >= 26 && m[14] != 12) {
                Set32(m, 18, rng() % 40);
                Set32(m, 22, static_cast<uint32_t>(static_cast<int32_t>(rng() % 40) - 20));
            }
            LoadBothWays(m);
        }
    }
}

// ---------------------------------------------------------------------------
// Against Pillow.


// Pillow's RGB pixels of each file, written to `out`/N.rgb for the N-th file,
// all in one run of the interpreter. A file Pillow cannot read gets none.
void RunPillow(const std::vector<std::filesystem::path>& files, const std::filesystem::path& out) {
    const std::string script =
        "import sys\nfrom PIL import Image\n"
        "for i, f in enumerate(sys.argv[2:]):\n"
        "    try:\n"
        "        data = Image.open(f).convert('RGB').tobytes()\n"
        "    except Exception as e:\n"
        "        print(f, e)\n"
        "        continue\n"
        "    open('%s/%d.rgb' % (sys.argv[1], i), 'wb').write(data)\n";
    std::string command = "/usr/bin/python3 -c ";
    command += test::ShellQuote(script);
    command += ' ';
    command += test::ShellQuote(out.string());
    for (const auto& f : files) {
        command += ' ';
        command += test::ShellQuote(f.string());
    }
    const auto r = test::RunCommand(command);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "");
}

::testing::AssertionResult MatchesPillow(const std::filesystem::path& file, const std::filesystem::path& pillowRGB,
                                         int tolerance) {
    const std::string bytes = test::ReadFile(file);
    TBMPImage img;
    img.LoadFromStream(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    img.ConvertTo24Bit();
    if (!std::filesystem::exists(pillowRGB)) return ::testing::AssertionFailure() << "no Pillow output for " << file;
    const std::string rgb = test::ReadFile(pillowRGB);
    if (rgb.size() != std::size_t{img.Width()} * img.Height() * 3)
        return ::testing::AssertionFailure() << "Pillow gave " << rgb.size() << " bytes for " << img.Width() << "x"
                                             << img.Height();
    for (uint32_t y = 0; y < img.Height(); ++y)
        for (uint32_t x = 0; x < img.Width(); ++x)
            for (int c = 0; c < 3; ++c) {
                const int ours = img.Row(y)[3 * x + 2 - c];
                const int theirs = static_cast<uint8_t>(rgb[(std::size_t{y} * img.Width() + x) * 3 + c]);
                if (std::abs(ours - theirs) > tolerance)
                    return ::testing::AssertionFailure() << file.filename() << " pixel " << x << "," << y
                                                         << " channel " << c << ": " << ours << " vs " << theirs;
            }
    return ::testing::AssertionSuccess();
}

void Save(const std::filesystem::path& path, const Bytes& b) {
    test::WriteFile(path, std::string(b.begin(), b.end()));
}

TEST(BmpFile, AgreesWithPillow) {
    if (!test::HavePillow()) GTEST_SKIP() << "python3 with PIL is not installed";
    test::TempDir dir;
    std::vector<std::filesystem::path> files;
    std::vector<int> tolerances;
    auto check = [&](const TLayout& s, int tolerance = 0) {
        files.push_back(dir / ("b" + std::to_string(files.size()) + ".bmp"));
        tolerances.push_back(tolerance);
        Save(files.back(), MakeFile(s));
    };
    for (uint16_t bpp : {1, 4, 8}) {
        for (bool topDown : {false, true}) {
            TLayout s;
            s.width = 13;
            s.height = topDown ? -6 : 6;
            s.bitCount = bpp;
            s.palette = MakePalette(std::size_t{1} << bpp);
            s.pixels = StoreRows(Pattern(13, 6, 1u << bpp), bpp, topDown);
            check(s);
            s.headerSize = 124;
            check(s);
        }
    }
    TLayout core;
    core.headerSize = 12;
    core.width = 5;
    core.height = 4;
    core.bitCount = 8;
    core.palette = MakePalette(256);
    core.pixels = StoreRows(Pattern(5, 4, 256), 8, false);
    check(core);
    TLayout rgb;
    rgb.width = 7;
    rgb.height = -5;
    rgb.pixels = StoreRows(ColourPattern(7, 5), 24, true);
    check(rgb);
    TLayout x32;
    x32.width = 5;
    x32.height = 3;
    x32.bitCount = 32;
    x32.pixels = StoreRows(Pattern(5, 3, 0xFFFFFF, 12345), 32, false);
    check(x32);
    TLayout x16;
    x16.width = 9;
    x16.height = 3;
    x16.bitCount = 16;
    x16.pixels = StoreRows(Pattern(9, 3, 0x8000, 999), 16, false);
    check(x16, 1);  // Pillow truncates where we round
    x16.compression = kBitfields;
    x16.masks = {0xF800, 0x07E0, 0x001F, 0};
    x16.pixels = StoreRows(Pattern(9, 3, 0x10000, 4321), 16, false);
    check(x16, 1);
    TLayout rle8;
    rle8.width = 6;
    rle8.height = 4;
    rle8.bitCount = 8;
    rle8.compression = kRLE8;
    rle8.palette = MakePalette(256);
    // Pillow's run-length decoder goes wrong on moves, on absolute runs of odd
    // length in RLE4 and on data that ends before the last pixel, so these
    // two use none of them; the tests above cover those.
    rle8.pixels = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 2, 7, 4, 8, 0, 0, 6, 9, 0, 0, 6, 4, 0, 1};
    check(rle8);
    TLayout rle4;
    rle4.width = 7;
    rle4.height = 3;
    rle4.bitCount = 4;
    rle4.compression = kRLE4;
    rle4.palette = MakePalette(16);
    rle4.pixels = {3, 0x12, 0, 4, 0x34, 0x56, 0, 0, 0, 6, 0xAB, 0xCD, 0xEF, 0, 1, 0x10, 0, 0, 7, 0x70, 0, 1};
    check(rle4);

    RunPillow(files, dir.Path());
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_TRUE(MatchesPillow(files[i], dir / (std::to_string(i) + ".rgb"), tolerances[i]));
}

// The committed samples (see data/bmp/README.md).
TEST(BmpFile, SamplesDecodeAndAgreeWithPillow) {
    const std::filesystem::path folder = std::filesystem::path(TEST_DATA_DIR) / "bmp";
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".bmp") files.push_back(entry.path());
    EXPECT_GE(files.size(), 10u);
    for (const auto& file : files) {
        const std::string bytes = test::ReadFile(file);
        TBMPImage img;
        ASSERT_NO_THROW(
            img.LoadFromStream(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())))
            << file;
        EXPECT_EQ(img.Width(), 23u) << file;
        EXPECT_EQ(img.Height(), 17u) << file;
    }
    if (!test::HavePillow()) GTEST_SKIP() << "python3 with PIL is not installed";
    test::TempDir dir;
    RunPillow(files, dir.Path());
    for (std::size_t i = 0; i < files.size(); ++i)  // 16 bits: Pillow truncates where we round
        EXPECT_TRUE(MatchesPillow(files[i], dir / (std::to_string(i) + ".rgb"), 1));
}

}  // namespace
}  // namespace vellumark
