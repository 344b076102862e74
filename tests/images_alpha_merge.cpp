// Blending transparency into the pixels over one colour: the alpha-mask
// blend itself on bitmaps, the cases left alone, the MergeAlpha settings on
// PNG data added to the engine, every kind of PNG transparency with exact
// values, and real PNG and GIF files against an independent composite, once
// saved and rendered.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/TextCodec.h"
#include "decoders/BMPImage.h"
#include "decoders/PNGImage.h"
#include "engine/Vellumark.h"
#include "images/AlphaMerge.h"
#include "model/PDFImageRes.h"

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

// The colours an image resource shows, 0xRRGGBB per pixel from the top
// left: its rows through its palette, or its RGB bytes. Group 4 and JPEG
// data are not decoded here (a failure).
std::vector<uint32_t> Shown(const TPDFImageRes& image) {
    std::vector<uint32_t> out;
    if (image.Compression != cfNone && image.Compression != cfZIP) {
        ADD_FAILURE() << "stored with compression " << int(image.Compression);
        return out;
    }
    const auto plain = [&](const std::string& s) { return image.Compression == cfZIP ? test::Inflate(s) : s; };
    const std::string rows = plain(image.ImageStream);
    const auto byte = [](const std::string& s, std::size_t i) { return i < s.size() ? uint8_t(s[i]) : uint8_t{0}; };
    if (!image.Indexed) {
        for (std::size_t i = 0; i + 2 < rows.size(); i += 3)
            out.push_back(uint32_t{byte(rows, i)} << 16 | uint32_t{byte(rows, i + 1)} << 8 | byte(rows, i + 2));
        return out;
    }
    const std::string palette = plain(image.PaletteStream);
    const uint32_t bits = image.BitsPerComponent;
    const std::size_t rowBytes = (std::size_t{image.Width} * bits + 7) / 8;
    for (uint32_t y = 0; y < image.Height; ++y)
        for (uint32_t x = 0; x < image.Width; ++x) {
            const std::size_t bit = std::size_t{x} * bits;
            const uint32_t v = byte(rows, y * rowBytes + bit / 8);
            const uint32_t index = (v >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            out.push_back(uint32_t{byte(palette, 3 * index)} << 16 | uint32_t{byte(palette, 3 * index + 1)} << 8 |
                          byte(palette, 3 * index + 2));
        }
    return out;
}

const TPDFImageRes& Added(TVellumark& e, const std::string& file) {
    const int32_t n = e.AddImageBytes({reinterpret_cast<const uint8_t*>(file.data()), file.size()});
    return dynamic_cast<const TPDFImageRes&>(*e.Resource(n));
}

TEST(ImagesAlphaMerge, EveryKindOfTransparencyIsMerged) {
    // The merge colour: red 0xB4, green 0x78, blue 0x3C.
    constexpr uint32_t kColour = 0x3C78B4, kShown = 0xB4783C;
    struct TCase {
        const char* what;
        uint32_t width;
        int depth, colorType;
        std::string samples, palette, trns;
        uint32_t colour;
        std::vector<uint32_t> shown;
    };
    const std::string fourEntries = Chunk("PLTE", B({200, 10, 50, 0, 0, 0, 255, 255, 255, 16, 32, 64}));
    const TCase cases[] = {
        // round(c a + K (1 - a)), a = alpha / 255: alpha 128 over black gives
        // 89.6, 59.8, 29.9; alpha 1 over white 180.3, 120.5, 60.8.
        {"palette, partial alphas", 4, 8, 3, B({0, 1, 2, 3}), fourEntries, B({0, 128, 1}), kColour,
         {kShown, 0x5A3C1E, 0xB4793D, 0x102040}},
        // Alpha 200 over blue: 38.8, 25.9, 212.9.
        {"2-bit palette", 4, 2, 3, B({0b00011011}), Chunk("PLTE", B({255, 0, 0, 0, 255, 0, 0, 0, 255, 90, 90, 90})),
         B({255, 0, 200}), kColour, {0xFF0000, kShown, 0x271AD5, 0x5A5A5A}},
        {"RGB key", 3, 8, 2, B({1, 2, 3, 9, 9, 9, 1, 2, 4}), "", B({0, 1, 0, 2, 0, 3}), kColour,
         {kShown, 0x090909, 0x010204}},
        {"1-bit grey key", 4, 1, 0, B({0b10100000}), "", B({0, 1}), kColour, {kShown, 0, kShown, 0}},
        // Two greys other than black and white are not stored as bilevel.
        {"1-bit grey key, grey colour", 4, 1, 0, B({0b10100000}), "", B({0, 0}), 0x808080,
         {0xFFFFFF, 0x808080, 0xFFFFFF, 0x808080}},
        {"2-bit grey key", 4, 2, 0, B({0b00011011}), "", B({0, 2}), kColour, {0, 0x555555, kShown, 0xFFFFFF}},
        {"4-bit grey key", 2, 4, 0, B({0x78}), "", B({0, 7}), kColour, {kShown, 0x888888}},
        {"4-bit grey key, bits beyond the depth", 2, 4, 0, B({0x78}), "", B({0xFF, 0xF8}), kColour,
         {0x777777, kShown}},
        {"8-bit grey key", 2, 8, 0, B({0x40, 0x41}), "", B({0, 0x40}), kColour, {kShown, 0x414141}},
        // 16-bit keys match 16-bit samples: 0x1235 is not the key, though
        // both are 0x12 in 8 bits.
        {"16-bit grey key", 2, 16, 0, B({0x12, 0x34, 0x12, 0x35}), "", B({0x12, 0x34}), kColour,
         {kShown, 0x121212}},
        {"16-bit grey key, grey colour", 2, 16, 0, B({0x12, 0x34, 0x12, 0x35}), "", B({0x12, 0x34}), 0x505050,
         {0x505050, 0x121212}},
        {"16-bit RGB key", 2, 16, 2, B({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x12, 0x35, 0x56, 0x78, 0x9A, 0xBC}), "",
         B({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}), kColour, {kShown, 0x12569A}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string withKey = Png(c.width, c.depth, c.colorType, c.samples, c.palette + Chunk("tRNS", c.trns));
        const std::string without = Png(c.width, c.depth, c.colorType, c.samples, c.palette);
        TVellumark e;  // default compressions: 1-bit grey images would go to Group 4
        e.MergeAlpha = true;
        e.MergeAlphaColor = c.colour;
        EXPECT_EQ(Shown(Added(e, withKey)), c.shown);
        // Without MergeAlpha the transparency changes nothing at all.
        e.MergeAlpha = false;
        const TPDFImageRes& a = Added(e, withKey);
        const TPDFImageRes& b = Added(e, without);
        EXPECT_EQ(a.ImageStream, b.ImageStream);
        EXPECT_EQ(a.PaletteStream, b.PaletteStream);
        EXPECT_EQ(a.BitsPerComponent, b.BitsPerComponent);
    }
}

// ---------------------------------------------------------------------------
// Real files against an independent composite.

namespace fs = std::filesystem;

// Writes, for each file, N.rgb: its first image decoded to 16-bit RGBA by
// ImageMagick (libpng for PNG, which matches tRNS keys at the file's bit
// depth; samples as stored, whatever gAMA says), reduced to 8 bits by
// rounding as the PNG reader does, and composited over the colour red green
// blue the way the engine blends: a = A / 255 as a 32-bit float,
// round(c a + K (1 - a)) half to even (exact in doubles: a has 24
// significant bits, c and K 8).
void ReferenceComposite(const std::vector<fs::path>& files, uint32_t colour, const fs::path& out) {
    const fs::path script = out / "composite.py";
    std::ofstream(script) << "import subprocess, sys, numpy as np\n"
                             "from PIL import Image\n"
                             "out, k = sys.argv[1], np.array([int(v) for v in sys.argv[2:5]], np.float64)\n"
                             "for i, f in enumerate(sys.argv[5:]):\n"
                             "    w, h = Image.open(f).size\n"
                             "    raw = subprocess.run(['convert', f + '[0]', '-set', 'colorspace', 'sRGB', '-depth', '16',\n"
                             "                          '-endian', 'LSB', 'rgba:-'], check=True, capture_output=True).stdout\n"
                             "    px = np.frombuffer(raw, '<u2').reshape(h, w, 4).astype(np.int64)\n"
                             "    px = ((px * 255 + 32767) // 65535).astype(np.float64)\n"
                             "    a = (px[..., 3:].astype(np.float32) / np.float32(255)).astype(np.float64)\n"
                             "    rgb = np.rint(px[..., :3] * a + k * (1 - a)).astype(np.uint8)\n"
                             "    open('%s/%d.rgb' % (out, i), 'wb').write(rgb.tobytes())\n";
    std::string command = "/usr/bin/python3";
    for (const auto& arg : {script, out}) command.append(" ").append(test::ShellQuote(arg.string()));
    for (uint32_t shift : {0u, 8u, 16u}) command.append(" ").append(std::to_string((colour >> shift) & 0xFF));
    for (const auto& f : files) command.append(" ").append(test::ShellQuote(f.string()));
    const auto r = test::RunCommand(command);
    ASSERT_EQ(r.status, 0) << r.output;
}

// Equal pixel lists; otherwise the number of differences and the first.
::testing::AssertionResult SamePixels(const std::vector<uint32_t>& ours, const std::vector<uint32_t>& reference) {
    if (ours.size() != reference.size())
        return ::testing::AssertionFailure() << ours.size() << " pixels against " << reference.size();
    std::size_t wrong = 0, first = 0;
    for (std::size_t i = ours.size(); i-- > 0;)
        if (ours[i] != reference[i]) {
            ++wrong;
            first = i;
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ; pixel " << first << " is " << std::hex
                                         << ours[first] << ", reference " << reference[first];
}

std::vector<uint32_t> Rgb(const std::string& bytes) {
    std::vector<uint32_t> v;
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3)
        v.push_back(uint32_t{uint8_t(bytes[i])} << 16 | uint32_t{uint8_t(bytes[i + 1])} << 8 | uint8_t(bytes[i + 2]));
    return v;
}

TEST(ImagesAlphaMerge, RealFilesMatchAReferenceCompositeAndRenderSo) {
    const fs::path suite = fs::path(CORPUS_DIR) / "pngsuite";
    if (!fs::exists(suite / "tbbn0g04.png")) GTEST_SKIP() << "PngSuite not found under " << suite;
    if (!test::HavePython("PIL.Image, numpy") || !test::HaveConvert())
        GTEST_SKIP() << "/usr/bin/python3 with PIL and numpy, or ImageMagick, is not installed";
    test::TempDir dir;
    // Every PngSuite file with tRNS (grey, RGB and palette keys, 4 to 16
    // bits, partial palette alphas), and files written by Pillow: palettes of
    // 2, 4 and 8 bits with partial alphas, grey and RGB keys, a GIF with a
    // transparent index. All 32 x 32.
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(suite)) {
        const std::string name = entry.path().filename().string();
        if (name[0] == 't' && entry.path().extension() == ".png") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 14u);
    const auto made = test::RunCommand(
        "cd " + test::ShellQuote(dir.Path().string()) +
        " && /usr/bin/python3 -c \"\n"
        "from PIL import Image\n"
        "import numpy as np\n"
        "y, x = np.mgrid[0:32, 0:32]\n"
        "for name, n in (('pal8', 60), ('pal4', 12), ('pal2', 4)):\n"
        "    im = Image.fromarray(((x + 3 * y) % n).astype(np.uint8), 'P')\n"
        "    im.putpalette([(i * 37 + c * 91) % 256 for i in range(n) for c in range(3)])\n"
        "    im.save(name + '.png', transparency=bytes((i * 53) % 256 if i % 3 else 255 * (i % 2) for i in range(n - 1)))\n"
        "Image.fromarray(((x * 8 + y) % 256).astype(np.uint8)).save('grey8.png', transparency=77)\n"
        "rgb = np.stack([(x * 40) % 256, (y * 40) % 256, ((x + y) * 20) % 256], -1).astype(np.uint8)\n"
        "Image.fromarray(rgb).save('rgb8.png', transparency=(40, 80, 60))\n"
        "p = Image.fromarray(((x // 4 + y // 4) % 6).astype(np.uint8), 'P')\n"
        "p.putpalette([10, 20, 30, 200, 40, 40, 40, 200, 40, 40, 40, 200, 250, 250, 0, 0, 0, 0])\n"
        "p.save('index.gif', transparency=2)\n"
        "\"");
    ASSERT_EQ(made.status, 0) << made.output;
    for (const char* name : {"pal8.png", "pal4.png", "pal2.png", "grey8.png", "rgb8.png", "index.gif"})
        files.push_back(dir / name);

    // A colour and a grey: grey bitmaps take a grey colour in place, and
    // are widened for another.
    for (const uint32_t colour : {0x3C78B4u, 0x606060u}) {
        SCOPED_TRACE(colour);
        const fs::path out = dir / std::to_string(colour);
        fs::create_directory(out);
        ReferenceComposite(files, colour, out);
        TVellumark e;
        e.MergeAlpha = true;
        e.MergeAlphaColor = colour;
        e.AddPage(0);
        e.SetPageWidth(1, 32.0 * static_cast<double>(files.size()));
        e.SetPageHeight(1, 32);
        std::vector<std::vector<uint32_t>> expected;
        for (std::size_t i = 0; i < files.size(); ++i) {
            SCOPED_TRACE(files[i].filename().string());
            expected.push_back(Rgb(test::ReadFile(out / (std::to_string(i) + ".rgb"))));
            const int32_t n = e.AddImageFile(Utf8ToUtf16(files[i].string()));
            ASSERT_EQ(n, static_cast<int32_t>(i + 1));
            EXPECT_TRUE(SamePixels(Shown(dynamic_cast<const TPDFImageRes&>(*e.Resource(n))), expected.back()));
            const int32_t placed = e.ApplyResource(1, n);
            e.Locate(1, placed, 32.0 * static_cast<double>(i), 32);
        }
        if (colour != 0x3C78B4u) continue;
        // End to end, once: every image side by side on one page, rendered
        // at four times their 72 dpi, each pixel's block compared at its centre.
        const fs::path pdf = dir / "merged.pdf";
        e.SaveToFile(Utf8ToUtf16(pdf.string()));
        ASSERT_TRUE(test::QpdfCheck(pdf));
        const test::Raster page = test::RenderPage(pdf, 1, 288);
        ASSERT_EQ(page.width, static_cast<int>(128 * files.size()));
        ASSERT_EQ(page.height, 128);
        for (std::size_t i = 0; i < files.size(); ++i) {
            int wrong = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (page.At(static_cast<int>(128 * i) + 4 * x + 2, 4 * y + 2) != expected[i][32 * y + x]) ++wrong;
            EXPECT_EQ(wrong, 0) << files[i].filename();
        }
    }
}

}  // namespace
}  // namespace vellumark
