// Blending a PNG alpha mask into the pixels over one colour: the blend
// itself on bitmaps, the cases left alone, and the MergeAlpha settings on
// PNG data added to the engine.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "decoders/PNGImage.h"
#include "engine/Vellumark.h"
#include "images/AlphaMerge.h"
#include "images/BMPImage.h"
#include "images/PDFImageRes.h"

namespace vellumark {
namespace {

TAlpha Mask(uint32_t w, uint32_t h, std::vector<uint8_t> values) {
    TAlpha a;
    a.Kind = TAlpha::kMask;
    a.Width = w;
    a.Height = h;
    a.Mask = std::move(values);
    return a;
}

TBMPImage Rgb24(std::vector<uint8_t> bgr) {
    TBMPImage b;
    b.SetSize(static_cast<uint32_t>(bgr.size() / 3), 1, 24);
    std::copy(bgr.begin(), bgr.end(), b.Pixels().begin());
    return b;
}

TBMPImage Grey8(std::vector<uint8_t> pixels, bool greyPalette = true) {
    TBMPImage b;
    b.SetSize(static_cast<uint32_t>(pixels.size()), 1, 8);
    std::copy(pixels.begin(), pixels.end(), b.Pixels().begin());
    for (int j = 0; j < 256; ++j) {
        const auto v = static_cast<uint8_t>(j);
        b.Palette().push_back({v, v, greyPalette || j != 7 ? v : uint8_t(0)});
    }
    return b;
}

std::vector<uint8_t> PixelsOf(const TBMPImage& b) { return {b.Pixels().begin(), b.Pixels().end()}; }

TEST(ImagesAlphaMerge, BlendsTwentyFourBitPixels) {
    // Blue, green, red per pixel; the colour is 0x00BBGGRR.
    TBMPImage b = Rgb24({10, 20, 30, 0, 0, 0, 200, 200, 200, 40, 50, 60, 0, 10, 250});
    MergeAlphaWithColor(b, Mask(5, 1, {0, 128, 128, 255, 1}), 0x64FF00);  // red 0, green 255, blue 100
    EXPECT_EQ(PixelsOf(b), (std::vector<uint8_t>{
                               100, 255, 0,    // alpha 0: the colour
                               50, 127, 0,     // 255 x 127/255 = 126.99999..., 100 x 127/255 = 49.8...
                               150, 227, 100,  // 200 a + 100 (1 - a) = 150.196...
                               40, 50, 60,     // alpha 255: unchanged
                               100, 254, 1,    // 254.039..., and 250 / 255 = 0.98039... rounds to 1
                           }));
}

TEST(ImagesAlphaMerge, TransparentBecomesTheMergeColour) {
    TBMPImage b = Rgb24({1, 2, 3, 4, 5, 6});
    MergeAlphaWithColor(b, Mask(2, 1, {0, 255}), 0x0000FF);
    EXPECT_EQ(PixelsOf(b), (std::vector<uint8_t>{0, 0, 255, 4, 5, 6}));
}

TEST(ImagesAlphaMerge, GreyBitmapsOnlyOverAGreyColour) {
    TBMPImage b = Grey8({0, 77, 200});
    MergeAlphaWithColor(b, Mask(3, 1, {1, 0, 128}), 0xFFFFFF);
    EXPECT_EQ(PixelsOf(b), (std::vector<uint8_t>{254, 255, 227}));  // 253.99999..., 255, 227.39...

    b = Grey8({0, 77, 200});
    MergeAlphaWithColor(b, Mask(3, 1, {0, 0, 0}), 0x0000FF);  // red is not grey
    EXPECT_EQ(PixelsOf(b), (std::vector<uint8_t>{0, 77, 200}));

    b = Grey8({0, 77, 200}, false);  // one palette entry is not grey
    MergeAlphaWithColor(b, Mask(3, 1, {0, 0, 0}), 0x808080);
    EXPECT_EQ(PixelsOf(b), (std::vector<uint8_t>{0, 77, 200}));
}

TEST(ImagesAlphaMerge, NothingElseIsMerged) {
    const TBMPImage original = Rgb24({1, 2, 3, 4, 5, 6});
    // Only a mask merges: a key colour does not.
    TAlpha key = Mask(2, 1, {0, 0});
    key.Kind = TAlpha::kRGBKey;
    TBMPImage b = original;
    MergeAlphaWithColor(b, key, 0);
    EXPECT_EQ(PixelsOf(b), PixelsOf(original));
    // A mask of another size, or of the right size but too few bytes.
    MergeAlphaWithColor(b, Mask(1, 2, {0, 0}), 0);
    MergeAlphaWithColor(b, Mask(2, 1, {0}), 0);
    EXPECT_EQ(PixelsOf(b), PixelsOf(original));
    // 4-bit and 1-bit bitmaps, an empty one.
    TBMPImage four;
    four.SetSize(2, 1, 4);
    four.Pixels()[0] = 0x12;
    four.Palette() = {{0, 0, 0}, {17, 17, 17}, {34, 34, 34}};
    MergeAlphaWithColor(four, Mask(2, 1, {0, 0}), 0xFFFFFF);
    EXPECT_EQ(four.Pixels()[0], 0x12);
    TBMPImage empty;
    MergeAlphaWithColor(empty, Mask(0, 0, {}), 0xFFFFFF);
    EXPECT_TRUE(empty.Empty());
}

// ---------------------------------------------------------------------------
// Through the engine.

std::string Chunk(const std::string& type, const std::string& body) {
    std::string c;
    const auto put = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) c += static_cast<char>((v >> s) & 0xFF);
    };
    put(static_cast<uint32_t>(body.size()));
    c += type + body;
    const std::string typed = type + body;
    put(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
    return c;
}

// A one-row PNG of `width` pixels with filter 0.
std::string Png(uint32_t width, int depth, int colorType, const std::string& samples, const std::string& extra = "") {
    std::string ihdr;
    for (uint32_t v : {width, 1u})
        for (int s = 24; s >= 0; s -= 8) ihdr += static_cast<char>((v >> s) & 0xFF);
    ihdr += {static_cast<char>(depth), static_cast<char>(colorType), 0, 0, 0};
    const std::string raw = std::string(1, '\0') + samples;
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string z(size, '\0');
    compress(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    z.resize(size);
    return std::string("\x89PNG\r\n\x1A\n", 8) + Chunk("IHDR", ihdr) + extra + Chunk("IDAT", z) + Chunk("IEND", "");
}

std::string B(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s += static_cast<char>(b);
    return s;
}

// The uncompressed image data of the image resource that adding `png` gives.
std::string AddedPixels(TVellumark& e, const std::string& png) {
    const int32_t n = e.AddImageBytes({reinterpret_cast<const uint8_t*>(png.data()), png.size()});
    const auto* image = dynamic_cast<const TPDFImageRes*>(e.Resource(n));
    if (!image) return "no image";
    return image->Compression == cfZIP ? test::Inflate(image->ImageStream) : image->ImageStream;
}

TEST(ImagesAlphaMerge, MergeAlphaSettingsOnPngData) {
    // Pixel 0 fully transparent, pixel 1 opaque.
    const std::string rgba = Png(2, 8, 6, B({10, 20, 30, 0, 40, 50, 60, 255}));
    TVellumark e;
    EXPECT_EQ(AddedPixels(e, rgba), B({10, 20, 30, 40, 50, 60}));  // MergeAlpha false: stored colours
    e.MergeAlpha = true;
    EXPECT_EQ(AddedPixels(e, rgba), B({255, 255, 255, 40, 50, 60}));  // over white by default
    e.MergeAlphaColor = 0x0000FF;
    EXPECT_EQ(AddedPixels(e, rgba), B({255, 0, 0, 40, 50, 60}));  // pure red

    // Grey with alpha over a colour that is not grey: not merged.
    const std::string greyAlpha = Png(2, 8, 4, B({90, 0, 160, 255}));
    const std::string stored = AddedPixels(e, greyAlpha);
    e.MergeAlpha = false;
    EXPECT_EQ(stored, AddedPixels(e, greyAlpha));
    e.MergeAlpha = true;
    e.MergeAlphaColor = 0x404040;
    EXPECT_NE(stored, AddedPixels(e, greyAlpha));

    // A key colour, of 16 or of 8 bits, is merged too.
    e.MergeAlphaColor = 0x0000FF;
    const std::string rgb16 =
        Png(2, 16, 2, B({1, 1, 2, 2, 3, 3, 9, 9, 9, 9, 9, 9}), Chunk("tRNS", B({1, 1, 2, 2, 3, 3})));
    EXPECT_EQ(AddedPixels(e, rgb16), B({255, 0, 0, 9, 9, 9}));
    const std::string rgb8 = Png(2, 8, 2, B({1, 2, 3, 9, 9, 9}), Chunk("tRNS", B({0, 1, 0, 2, 0, 3})));
    EXPECT_EQ(AddedPixels(e, rgb8), B({255, 0, 0, 9, 9, 9}));
}

}  // namespace
}  // namespace vellumark
