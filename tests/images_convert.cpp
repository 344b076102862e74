// The conversion of decoded bitmaps into stored image data: every cell of the
// decision table.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "decoders/JPEGImage.h"
#include "images/ConvertBitmap.h"

using namespace vellumark;
using namespace vellumark::test;

namespace {

TBMPImage Bitmap(uint32_t w, uint32_t h, uint8_t bpp, std::vector<TPaletteEntry> palette = {}) {
    TBMPImage b;
    b.SetSize(w, h, bpp);
    b.Palette() = std::move(palette);
    for (std::size_t i = 0; i < b.Pixels().size(); ++i) b.Pixels()[i] = static_cast<uint8_t>(i * 37 + 11);
    return b;
}

std::vector<TPaletteEntry> Grays(int n) {
    std::vector<TPaletteEntry> p;
    for (int i = 0; i < n; ++i) {
        auto v = static_cast<uint8_t>(n == 1 ? 0 : i * 255 / (n - 1));
        p.push_back({v, v, v});
    }
    return p;
}

const std::vector<TPaletteEntry> kBlackWhite{{0, 0, 0}, {255, 255, 255}};
const std::vector<TPaletteEntry> kRedBlue{{255, 0, 0}, {0, 0, 255}};

TPDFImageRes Convert(TBMPImage b, TCompressionSettings s = {}) {
    TPDFImageRes image;
    image.Width = b.Width();
    image.Height = b.Height();
    ConvertBitmapToImage(s, b, image);
    return image;
}

std::string Rows(const TBMPImage& b) {
    return std::string(reinterpret_cast<const char*>(b.Pixels().data()), b.Pixels().size());
}

}  // namespace

TEST(ImagesConvert, Classes) {
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 1, kBlackWhite)), TImageClass::BlackAndWhite);
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 1, {{0, 0, 0}, {128, 128, 128}})), TImageClass::BlackAndWhite);
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 1, kRedBlue)), TImageClass::Indexed);
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 4, Grays(16))), TImageClass::Grayscale);
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 8, Grays(256))), TImageClass::Grayscale);
    auto almost = Grays(256);
    almost[255].Blue = 254;
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 8, almost)), TImageClass::Indexed);
    // A short palette reads black beyond its end: still gray.
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 8, Grays(4))), TImageClass::Grayscale);
    EXPECT_EQ(ClassOf(Bitmap(4, 4, 24)), TImageClass::RGB);
}

TEST(ImagesConvert, BlackAndWhite) {
    const TBMPImage b = Bitmap(13, 3, 1, kBlackWhite);
    TPDFImageRes g4 = Convert(b);
    EXPECT_EQ(g4.Compression, cfGroup4);
    EXPECT_EQ(g4.BitsPerComponent, 1);
    EXPECT_FALSE(g4.Indexed);
    EXPECT_TRUE(g4.PaletteStream.empty());
    EXPECT_FALSE(g4.ImageStream.empty());

    TCompressionSettings none;
    none.BW = cfNone;
    TPDFImageRes raw = Convert(b, none);
    EXPECT_EQ(raw.Compression, cfNone);
    EXPECT_TRUE(raw.Indexed);
    EXPECT_EQ(raw.PaletteSize, 2);
    EXPECT_EQ(raw.ImageStream.size(), 2u * 3);
    EXPECT_EQ(raw.ImageStream, Rows(b));
    EXPECT_EQ(raw.PaletteStream, std::string("\0\0\0\xff\xff\xff", 6));

    TCompressionSettings zip;
    zip.BW = cfZIP;
    TPDFImageRes flate = Convert(b, zip);
    EXPECT_EQ(flate.Compression, cfZIP);
    EXPECT_TRUE(flate.Indexed);
    EXPECT_EQ(Inflate(flate.ImageStream), Rows(b));
    EXPECT_EQ(Inflate(flate.PaletteStream), std::string("\0\0\0\xff\xff\xff", 6));
}

TEST(ImagesConvert, Group4ShowsTheDarkerEntryBlack) {
    // The same picture stored with the palette in either order gives the same
    // Group 4 code once the bits are flipped to match.
    TBMPImage blackFirst = Bitmap(20, 4, 1, kBlackWhite);
    TBMPImage whiteFirst = blackFirst;
    whiteFirst.Palette() = {{255, 255, 255}, {0, 0, 0}};
    for (uint8_t& byte : whiteFirst.Pixels()) byte = static_cast<uint8_t>(~byte);
    EXPECT_EQ(Convert(blackFirst).ImageStream, Convert(whiteFirst).ImageStream);
    // Black and mid-gray: shown as black and white.
    TBMPImage gray = blackFirst;
    gray.Palette() = {{0, 0, 0}, {128, 128, 128}};
    EXPECT_EQ(Convert(gray).ImageStream, Convert(blackFirst).ImageStream);
}

TEST(ImagesConvert, IndexedAndGrayscale) {
    const TBMPImage red = Bitmap(9, 2, 1, kRedBlue);
    TPDFImageRes idx = Convert(red);
    EXPECT_EQ(idx.Compression, cfZIP);
    EXPECT_TRUE(idx.Indexed);
    EXPECT_EQ(Inflate(idx.ImageStream), Rows(red));
    EXPECT_EQ(Inflate(idx.PaletteStream), std::string("\xff\0\0\0\0\xff", 6));

    const TBMPImage four = Bitmap(5, 2, 4, Grays(16));
    TCompressionSettings none;
    none.Gray = cfNone;
    TPDFImageRes g = Convert(four, none);
    EXPECT_EQ(g.BitsPerComponent, 4);
    EXPECT_EQ(g.PaletteSize, 16);
    EXPECT_EQ(g.ImageStream.size(), 3u * 2);  // 5 pixels: 3 bytes a row
    EXPECT_EQ(g.PaletteStream.size(), 48u);

    const TBMPImage eight = Bitmap(7, 5, 8, Grays(256));
    TPDFImageRes z = Convert(eight);
    EXPECT_EQ(z.Compression, cfZIP);
    EXPECT_EQ(Inflate(z.PaletteStream).size(), 768u);

    TCompressionSettings jpeg;
    jpeg.Gray = cfJPEG;
    TPDFImageRes j = Convert(eight, jpeg);
    EXPECT_EQ(j.Compression, cfJPEG);
    EXPECT_TRUE(j.GrayJPEG);
    EXPECT_FALSE(j.Indexed);
    TJPEGImageExtra decoded;
    decoded.LoadFromStream(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(j.ImageStream.data()),
                                                    j.ImageStream.size()));
    EXPECT_TRUE(decoded.Grayscale());
    EXPECT_EQ(decoded.Width(), 7u);

    // Indexed images cannot be JPEG: a gray setting of JPEG does not touch them.
    TPDFImageRes stillZip = Convert(red, jpeg);
    EXPECT_EQ(stillZip.Compression, cfZIP);
}

TEST(ImagesConvert, RGB) {
    TBMPImage b;
    b.SetSize(3, 2, 24);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) {
            uint8_t* p = b.Row(y) + 3 * x;
            p[0] = static_cast<uint8_t>(10 * x + y);        // blue
            p[1] = static_cast<uint8_t>(100 + 10 * x + y);  // green
            p[2] = static_cast<uint8_t>(200 + 10 * x + y);  // red
        }
    TCompressionSettings none;
    none.RGB = cfNone;
    TPDFImageRes raw = Convert(b, none);
    ASSERT_EQ(raw.ImageStream.size(), 18u);
    EXPECT_EQ(static_cast<uint8_t>(raw.ImageStream[0]), 200);
    EXPECT_EQ(static_cast<uint8_t>(raw.ImageStream[1]), 100);
    EXPECT_EQ(static_cast<uint8_t>(raw.ImageStream[2]), 0);
    EXPECT_EQ(static_cast<uint8_t>(raw.ImageStream[9 + 3]), 211);  // row 1, pixel 1, red
    EXPECT_FALSE(raw.Indexed);
    EXPECT_EQ(raw.BitsPerComponent, 8);
    TPDFImageRes zip = Convert(b);
    EXPECT_EQ(Inflate(zip.ImageStream), raw.ImageStream);
    TCompressionSettings jpeg;
    jpeg.RGB = cfJPEG;
    TPDFImageRes j = Convert(b, jpeg);
    EXPECT_EQ(j.Compression, cfJPEG);
    EXPECT_FALSE(j.GrayJPEG);
}

TEST(ImagesConvert, ThirtyTwoBitsLoseTheirAlpha) {
    TBMPImage b;
    b.SetSize(2, 1, 32);
    const uint8_t px[8] = {1, 2, 3, 0, 4, 5, 6, 255};
    std::copy(px, px + 8, b.Row(0));
    TCompressionSettings none;
    none.RGB = cfNone;
    TPDFImageRes raw = Convert(b, none);
    EXPECT_EQ(raw.ImageStream, std::string("\3\2\1\6\5\4", 6));
}
