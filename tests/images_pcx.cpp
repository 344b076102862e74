// TPCXImage: files written by Pillow and ImageMagick decoded pixel for pixel
// as Pillow and ImageMagick decode them; files built byte by byte for the
// four layouts, the header checks and their messages, runs that cross the
// end of a line, short and long lines, the monochrome palette, sizes and
// resolution; and the whole way through "vellumark images" into a PDF.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "ReaderTestUtil.h"
#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/PCXImage.h"

using namespace vellumark;
using namespace vellumark::test;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr const char* kInvalid = "Invalid PCX File";
constexpr const char* kReadError = "Error reading PCX file.";

// ---------------------------------------------------------------------------
// Files built byte by byte

struct THeader {
    uint8_t version = 5;
    uint8_t encoding = 1;
    uint8_t bits = 8;
    uint16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    uint16_t xDpi = 72, yDpi = 72;
    std::vector<TPaletteEntry> palette{};  // up to 16 entries at byte 16
    uint8_t planes = 1;
    uint16_t lineBytes = 0;
};

void Put16(Bytes& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

Bytes Header(const THeader& h) {
    Bytes b(128, 0);
    b[0] = 0x0A;
    b[1] = h.version;
    b[2] = h.encoding;
    b[3] = h.bits;
    Put16(b, 4, h.xMin);
    Put16(b, 6, h.yMin);
    Put16(b, 8, h.xMax);
    Put16(b, 10, h.yMax);
    Put16(b, 12, h.xDpi);
    Put16(b, 14, h.yDpi);
    for (std::size_t i = 0; i < h.palette.size() && i < 16; ++i) {
        b[16 + 3 * i] = h.palette[i].Red;
        b[17 + 3 * i] = h.palette[i].Green;
        b[18 + 3 * i] = h.palette[i].Blue;
    }
    b[65] = h.planes;
    Put16(b, 66, h.lineBytes);
    Put16(b, 68, 1);
    return b;
}

// Run-length encodes one plane line: runs of equal bytes, and every byte of
// 192 or more as a run of one.
void EncodeLine(Bytes& out, std::span<const uint8_t> line) {
    for (std::size_t i = 0; i < line.size();) {
        std::size_t n = 1;
        while (i + n < line.size() && n < 63 && line[i + n] == line[i]) ++n;
        if (n > 1 || line[i] >= 192) {
            out.push_back(static_cast<uint8_t>(192 + n));
            out.push_back(line[i]);
        } else {
            out.push_back(line[i]);
        }
        i += n;
    }
}

// A file of the given header whose plane lines are `lines` (row by row, plane
// by plane), with a 256-entry palette appended for 8-bit one-plane files.
Bytes File(const THeader& h, const std::vector<Bytes>& lines, const std::vector<TPaletteEntry>& palette256 = {}) {
    Bytes b = Header(h);
    for (const Bytes& line : lines) EncodeLine(b, line);
    if (!palette256.empty()) {
        b.push_back(0x0C);
        for (std::size_t i = 0; i < 256; ++i) {
            const TPaletteEntry p = i < palette256.size() ? palette256[i] : TPaletteEntry{};
            b.insert(b.end(), {p.Red, p.Green, p.Blue});
        }
    }
    return b;
}

std::vector<TPaletteEntry> Palette(std::size_t n) {
    std::vector<TPaletteEntry> p;
    for (std::size_t i = 0; i < n; ++i)
        p.push_back({static_cast<uint8_t>(i * 3 + 1), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)});
    return p;
}

uint8_t Value(uint32_t x, uint32_t y, uint32_t k) { return static_cast<uint8_t>(x * 37 + y * 11 + k * 91 + x * y); }

TBMPImage Load(const Bytes& b, TPCXImage* keep = nullptr) { return test::ReadWith<TPCXImage>(b, keep); }
std::string Message(const Bytes& b) { return test::RefusalOf<TPCXImage>(b); }

// ---------------------------------------------------------------------------
// Independent decoders




Bytes ReadBytes(const std::filesystem::path& file) {
    const std::string s = test::ReadFile(file);
    return Bytes(s.begin(), s.end());
}

// Our pixels against another decoder's RGB bytes, exactly.
::testing::AssertionResult SamePixels(TBMPImage img, const std::string& rgb) {
    img.ConvertTo24Bit();
    if (rgb.size() != std::size_t{img.Width()} * img.Height() * 3)
        return ::testing::AssertionFailure() << "reference has " << rgb.size() << " bytes for " << img.Width() << "x"
                                             << img.Height();
    for (uint32_t y = 0; y < img.Height(); ++y)
        for (uint32_t x = 0; x < img.Width(); ++x)
            for (int c = 0; c < 3; ++c) {
                const int ours = img.Row(y)[3 * x + 2 - c];
                const int theirs = static_cast<uint8_t>(rgb[(std::size_t{y} * img.Width() + x) * 3 + c]);
                if (ours != theirs)
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " channel " << c << ": "
                                                         << ours << " vs " << theirs;
            }
    return ::testing::AssertionSuccess();
}

// A picture saved by Pillow in `mode`.
void PillowPicture(const std::filesystem::path& file, const std::string& mode, int w, int h) {
    const std::string script =
        "import sys\nfrom PIL import Image\n"
        "w, h = int(sys.argv[3]), int(sys.argv[4])\n"
        "im = Image.new('RGB', (w, h))\n"
        "im.putdata([((x*37+y*11)&255, (x*5+y*71+3)&255, (x*y*3+200)&255) for y in range(h) for x in range(w)])\n"
        "m = sys.argv[2]\n"
        "im = im.quantize(200) if m == 'P' else im.convert(m)\n"
        "im.save(sys.argv[1])\n";
    const auto r = RunCommand("/usr/bin/python3 -c " + ShellQuote(script) + " " + ShellQuote(file.string()) + " " +
                              mode + " " + std::to_string(w) + " " + std::to_string(h));
    ASSERT_EQ(r.status, 0) << r.output;
}

// ---------------------------------------------------------------------------
// Against Pillow and ImageMagick

TEST(ImagesPcx, PillowFilesMatchPillow) {
    if (!HavePillow()) GTEST_SKIP() << "Pillow is needed";
    TempDir dir;
    for (const char* mode : {"1", "L", "P", "RGB"}) {
        // (Pillow leaves out the blue plane of RGB files one pixel wide, so
        // that one is 2 x 1.)
        for (auto [w, h] : {std::pair{37, 23}, std::pair{std::string(mode) == "RGB" ? 2 : 1, 1}, std::pair{200, 3}}) {
            SCOPED_TRACE(std::string(mode) + " " + std::to_string(w) + "x" + std::to_string(h));
            const auto file = dir / (std::string(mode) + std::to_string(w) + ".pcx");
            PillowPicture(file, mode, w, h);
            const TBMPImage img = Load(ReadBytes(file));
            EXPECT_EQ(img.Width(), static_cast<uint32_t>(w));
            EXPECT_EQ(img.Height(), static_cast<uint32_t>(h));
            EXPECT_EQ(img.BitsPerPixel(), std::string(mode) == "1" ? 1 : std::string(mode) == "RGB" ? 24 : 8);
            EXPECT_TRUE(SamePixels(img, PillowRGB(file)));
        }
    }
}

TEST(ImagesPcx, ImageMagickFilesMatchBothDecoders) {
    if (!HaveConvert() || !HavePillow()) GTEST_SKIP() << "ImageMagick and Pillow are needed";
    TempDir dir;
    const std::string source = "-size 45x17 gradient:red-blue -fill yellow -draw 'rectangle 5,3 20,9' ";
    for (const char* options : {"-type TrueColor", "-type Palette", "-colors 5 -type Palette", "-monochrome"}) {
        SCOPED_TRACE(options);
        const auto file = dir / "m.pcx";
        const auto r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && convert " + source + options + " m.pcx");
        ASSERT_EQ(r.status, 0) << r.output;
        const TBMPImage img = Load(ReadBytes(file));
        EXPECT_EQ(img.Width(), 45u);
        EXPECT_EQ(img.Height(), 17u);
        EXPECT_TRUE(SamePixels(img, MagickRGB(file)));
        EXPECT_TRUE(SamePixels(img, PillowRGB(file)));
    }
    // ImageMagick writes gray pictures as four 8-bit planes, a layout this
    // reader does not take.
    ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.Path().string()) + " && convert " + source + "-colorspace Gray g.pcx").status, 0);
    EXPECT_EQ(Message(ReadBytes(dir / "g.pcx")), kReadError);
}

// Plane k gives bit k of the index. (Pillow reads such files with plane 0 as
// the top bit and lines of (width + 7) / 8 bytes, so it is no reference here.)
TEST(ImagesPcx, FourPlanesOfOneBitMatchImageMagick) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is needed";
    TempDir dir;
    const uint32_t w = 21, h = 9;
    THeader hd{.bits = 1, .xMax = w - 1, .yMax = h - 1, .palette = Palette(16), .planes = 4, .lineBytes = 4};
    std::vector<Bytes> lines;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t k = 0; k < 4; ++k) {
            Bytes line;
            for (uint32_t i = 0; i < hd.lineBytes; ++i) line.push_back(Value(i, y, k));
            lines.push_back(line);
        }
    const Bytes b = File(hd, lines);
    test::WriteFile(dir / "p4.pcx", std::string(b.begin(), b.end()));
    const TBMPImage img = Load(b);
    EXPECT_EQ(img.BitsPerPixel(), 4);
    EXPECT_EQ(img.Palette(), Palette(16));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            unsigned index = 0;
            for (uint32_t k = 0; k < 4; ++k) index |= ((Value(x / 8, y, k) >> (7 - x % 8)) & 1u) << k;
            ASSERT_EQ(img.IndexAt(x, y), index) << x << "," << y;
        }
    EXPECT_TRUE(SamePixels(img, MagickRGB(dir / "p4.pcx")));
}

// ---------------------------------------------------------------------------
// Layouts built byte by byte

TEST(ImagesPcx, EightBitsOnePlaneTakesThePaletteAtTheEnd) {
    const uint32_t w = 9, h = 4;
    THeader hd{.xMax = w - 1, .yMax = h - 1, .lineBytes = 10};  // one byte of padding per line
    std::vector<Bytes> lines;
    for (uint32_t y = 0; y < h; ++y) {
        Bytes line;
        for (uint32_t x = 0; x < hd.lineBytes; ++x) line.push_back(Value(x, y, 0));
        lines.push_back(line);
    }
    const TBMPImage img = Load(File(hd, lines, Palette(256)));
    ASSERT_EQ(img.BitsPerPixel(), 8);
    EXPECT_EQ(img.Palette(), Palette(256));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) ASSERT_EQ(img.IndexAt(x, y), Value(x, y, 0));
}

TEST(ImagesPcx, EightBitsThreePlanesAreRedGreenBlue) {
    const uint32_t w = 5, h = 3;
    THeader hd{.xMax = w - 1, .yMax = h - 1, .planes = 3, .lineBytes = 6};
    std::vector<Bytes> lines;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t k = 0; k < 3; ++k) {
            Bytes line;
            for (uint32_t x = 0; x < hd.lineBytes; ++x) line.push_back(Value(x, y, k));
            lines.push_back(line);
        }
    const TBMPImage img = Load(File(hd, lines));
    ASSERT_EQ(img.BitsPerPixel(), 24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            EXPECT_EQ(img.Row(y)[3 * x + 2], Value(x, y, 0));
            EXPECT_EQ(img.Row(y)[3 * x + 1], Value(x, y, 1));
            EXPECT_EQ(img.Row(y)[3 * x], Value(x, y, 2));
        }
}

TEST(ImagesPcx, MonochromePalette) {
    // Rows of alternating bits.
    const uint32_t w = 12, h = 2;
    auto make = [&](std::vector<TPaletteEntry> palette) {
        THeader hd{.bits = 1, .xMax = w - 1, .yMax = h - 1, .palette = std::move(palette), .lineBytes = 2};
        return File(hd, {Bytes{0xAA, 0xAA}, Bytes{0x0F, 0xFF}});
    };
    const TBMPImage bw = Load(make({{0, 0, 0}, {255, 255, 255}}));
    ASSERT_EQ(bw.BitsPerPixel(), 1);
    EXPECT_EQ(bw.Palette(), (std::vector<TPaletteEntry>{{0, 0, 0}, {255, 255, 255}}));
    EXPECT_EQ(bw.IndexAt(0, 0), 1);
    EXPECT_EQ(bw.IndexAt(1, 0), 0);
    EXPECT_EQ(bw.IndexAt(3, 1), 0);
    EXPECT_EQ(bw.IndexAt(4, 1), 1);
    // Bits beyond the width are not kept.
    EXPECT_EQ(bw.Row(1)[1], 0xF0);

    // A palette of all zeros is read as black and white, not black on black.
    const TBMPImage zeros = Load(make({}));
    EXPECT_EQ(zeros.Palette(), (std::vector<TPaletteEntry>{{0, 0, 0}, {255, 255, 255}}));
    EXPECT_EQ(zeros.IndexAt(0, 0), 1);

    // So is one whose first two entries are one colour (Pillow writes black
    // entries 0 to 7 and white 8 to 15).
    const TBMPImage same = Load(make({{9, 9, 9}, {9, 9, 9}, {255, 255, 255}}));
    EXPECT_EQ(same.Palette(), (std::vector<TPaletteEntry>{{0, 0, 0}, {255, 255, 255}}));

    // Any other palette is used as it stands: its first two entries.
    const TBMPImage colours = Load(make({{200, 0, 0}, {0, 0, 150}, {1, 2, 3}}));
    EXPECT_EQ(colours.Palette(), (std::vector<TPaletteEntry>{{200, 0, 0}, {0, 0, 150}}));
    const TBMPImage whiteFirst = Load(make({{255, 255, 255}, {0, 0, 0}}));
    EXPECT_EQ(whiteFirst.Palette()[0], (TPaletteEntry{255, 255, 255}));
    EXPECT_EQ(whiteFirst.IndexAt(0, 0), 1);
}

TEST(ImagesPcx, RunsCrossingTheEndOfALineCarryOver) {
    // Lines of 4 bytes; the first run gives 6 bytes of 7: the first line
    // takes four and the next line begins with the other two.
    THeader hd{.xMax = 3, .yMax = 1, .lineBytes = 4};
    Bytes b = Header(hd);
    b.insert(b.end(), {192 + 6, 7, 1, 2});
    b.resize(b.size() + 768, 0);
    const TBMPImage img = Load(b);
    for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(img.IndexAt(x, 0), 7);
    EXPECT_EQ(img.IndexAt(0, 1), 7);
    EXPECT_EQ(img.IndexAt(1, 1), 7);
    EXPECT_EQ(img.IndexAt(2, 1), 1);
    EXPECT_EQ(img.IndexAt(3, 1), 2);

    // Across the planes of one row: a run over the red and green planes, as
    // writers that encode a whole row at once make them.
    THeader rgb{.xMax = 1, .yMax = 0, .planes = 3, .lineBytes = 2};
    Bytes c = Header(rgb);
    c.insert(c.end(), {192 + 3, 9, 10, 192 + 2, 12});
    const TBMPImage img24 = Load(c);
    EXPECT_EQ(img24.Row(0)[2], 9);   // red
    EXPECT_EQ(img24.Row(0)[1], 9);   // green
    EXPECT_EQ(img24.Row(0)[0], 12);  // blue
    EXPECT_EQ(img24.Row(0)[5], 9);
    EXPECT_EQ(img24.Row(0)[4], 10);
    EXPECT_EQ(img24.Row(0)[3], 12);

    // A run longer than everything that is left: the image is complete and
    // the rest is not used.
    Bytes d = Header(rgb);
    d.insert(d.end(), {192 + 63, 4});
    const TBMPImage all = Load(d);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(all.Row(0)[i], 4);

    // Runs of zero bytes give nothing and are read past.
    Bytes e = Header(rgb);
    e.insert(e.end(), {192, 99, 192 + 6, 5});
    const TBMPImage zero = Load(e);
    EXPECT_EQ(zero.Row(0)[2], 5);
}

TEST(ImagesPcx, LinesShorterOrLongerThanTheWidth) {
    // 8 bits: three bytes per line for a width of five; the last two pixels
    // of every row stay 0.
    THeader shortLines{.xMax = 4, .yMax = 1, .lineBytes = 3};
    const TBMPImage a = Load(File(shortLines, {Bytes{1, 2, 3}, Bytes{4, 5, 6}}, Palette(256)));
    EXPECT_EQ(a.Width(), 5u);
    EXPECT_EQ(a.IndexAt(2, 1), 6);
    EXPECT_EQ(a.IndexAt(3, 1), 0);
    EXPECT_EQ(a.IndexAt(4, 0), 0);

    // 24 bits and 4 bits the same way.
    THeader rgb{.xMax = 3, .yMax = 0, .planes = 3, .lineBytes = 1};
    const TBMPImage b = Load(File(rgb, {Bytes{1}, Bytes{2}, Bytes{3}}));
    EXPECT_EQ(b.Row(0)[0], 3);
    for (std::size_t i = 3; i < 12; ++i) EXPECT_EQ(b.Row(0)[i], 0);
    THeader planes{.bits = 1, .xMax = 11, .yMax = 0, .palette = Palette(16), .planes = 4, .lineBytes = 1};
    const TBMPImage c = Load(File(planes, {Bytes{0xFF}, Bytes{0xFF}, Bytes{0xFF}, Bytes{0xFF}}));
    EXPECT_EQ(c.IndexAt(7, 0), 15);
    EXPECT_EQ(c.IndexAt(8, 0), 0);
    EXPECT_EQ(c.IndexAt(11, 0), 0);
    THeader mono{.bits = 1, .xMax = 15, .yMax = 0, .lineBytes = 1};
    const TBMPImage d = Load(File(mono, {Bytes{0xFF}}));
    EXPECT_EQ(d.Row(0)[0], 0xFF);
    EXPECT_EQ(d.Row(0)[1], 0x00);

    // No bytes at all per line: an image of index 0, read from no data but
    // the palette.
    THeader none{.xMax = 2, .yMax = 2, .lineBytes = 0};
    const TBMPImage e = Load(File(none, {}, Palette(256)));
    EXPECT_EQ(e.Width(), 3u);
    EXPECT_EQ(e.IndexAt(2, 2), 0);
}

TEST(ImagesPcx, SizeFromTheWindowAndResolution) {
    THeader hd{.bits = 1, .xMin = 10, .yMin = 3, .xMax = 109, .yMax = 4, .xDpi = 300, .yDpi = 72, .lineBytes = 13};
    const Bytes line(13, 0x55);
    TPCXImage pcx;
    const TBMPImage img = Load(File(hd, {line, line}), &pcx);
    EXPECT_EQ(img.Width(), 100u);
    EXPECT_EQ(img.Height(), 2u);
    EXPECT_EQ(pcx.XPelsPerMeter(), 11811u);
    EXPECT_EQ(pcx.YPelsPerMeter(), 2835u);
    // The bitmap handed over carries no resolution.
    EXPECT_EQ(img.XPelsPerMeter, 0u);
    EXPECT_EQ(img.YPelsPerMeter, 0u);
    // One pixel: Xmin = Xmax.
    THeader dot{.xMin = 7, .yMin = 7, .xMax = 7, .yMax = 7, .lineBytes = 1};
    EXPECT_EQ(Load(File(dot, {Bytes{5}}, Palette(256))).Width(), 1u);
}

// ---------------------------------------------------------------------------
// Refusals

TEST(ImagesPcx, HeaderRefusals) {
    THeader good{.xMax = 1, .yMax = 0, .lineBytes = 2};
    const Bytes ok = File(good, {Bytes{1, 2}}, Palette(256));
    EXPECT_EQ(Message(ok), "accepted");

    EXPECT_EQ(Message(Bytes(ok.begin(), ok.begin() + 128)), kInvalid);
    EXPECT_EQ(Message(Bytes(ok.begin(), ok.begin() + 10)), kInvalid);
    EXPECT_EQ(Message(Bytes{}), kInvalid);
    EXPECT_EQ(Message(Bytes(ok.begin(), ok.begin() + 129)), kReadError);  // header and one byte

    auto with = [&](auto change) {
        THeader h = good;
        change(h);
        return Message(File(h, {Bytes{1, 2}}, Palette(256)));
    };
    EXPECT_EQ(with([](THeader& h) { h.encoding = 0; }), kInvalid);
    EXPECT_EQ(with([](THeader& h) { h.encoding = 2; }), kInvalid);
    EXPECT_EQ(with([](THeader& h) { h.bits = 9; }), kInvalid);
    EXPECT_EQ(with([](THeader& h) { h.xMin = 2; }), kInvalid);
    EXPECT_EQ(with([](THeader& h) { h.yMin = 1; }), kInvalid);
    EXPECT_EQ(with([](THeader& h) { h.version = 6; }), kInvalid);
    EXPECT_EQ(with([](THeader& h) { h.version = 0; }), "accepted");
    EXPECT_EQ(with([](THeader& h) { h.version = 3; }), "accepted");
}

TEST(ImagesPcx, UnsupportedLayouts) {
    auto layout = [](uint8_t bits, uint8_t planes) {
        THeader h{.bits = bits, .xMax = 7, .yMax = 7, .planes = planes, .lineBytes = 8};
        Bytes b = Header(h);
        b.resize(b.size() + 4000, 1);
        return Message(b);
    };
    EXPECT_EQ(layout(2, 1), kReadError);
    EXPECT_EQ(layout(4, 1), kReadError);
    EXPECT_EQ(layout(1, 3), kReadError);
    EXPECT_EQ(layout(1, 2), kReadError);
    EXPECT_EQ(layout(8, 4), kReadError);
    EXPECT_EQ(layout(8, 2), kReadError);
    EXPECT_EQ(layout(0, 1), kReadError);
    EXPECT_EQ(layout(8, 0), kReadError);
    for (auto [bits, planes] : {std::pair{8, 1}, std::pair{8, 3}, std::pair{1, 4}, std::pair{1, 1}})
        EXPECT_EQ(layout(static_cast<uint8_t>(bits), static_cast<uint8_t>(planes)), "accepted");
}

TEST(ImagesPcx, DataEndingEarly) {
    // 256 colours whose data end one row early: the palette is not taken as
    // pixel data.
    const uint32_t w = 6, h = 5;
    THeader hd{.xMax = w - 1, .yMax = h - 1, .lineBytes = w};
    std::vector<Bytes> lines;
    for (uint32_t y = 0; y + 1 < h; ++y) lines.push_back(Bytes(w, static_cast<uint8_t>(y + 1)));
    EXPECT_EQ(Message(File(hd, lines, Palette(256))), kReadError);
    lines.push_back(Bytes(w, 9));
    EXPECT_EQ(Message(File(hd, lines, Palette(256))), "accepted");
    // A file too short to hold the palette after the header.
    Bytes tiny = Header(hd);
    tiny.resize(128 + 700, 1);
    EXPECT_EQ(Message(tiny), kReadError);

    // 24 bits cut inside the last row, and inside a run.
    THeader rgb{.xMax = 3, .yMax = 1, .planes = 3, .lineBytes = 4};
    Bytes full = File(rgb, std::vector<Bytes>(6, Bytes{1, 1, 1, 2}));
    EXPECT_EQ(Message(full), "accepted");
    for (std::size_t cut = 1; cut < full.size() - 128; ++cut)
        ASSERT_EQ(Message(Bytes(full.begin(), full.end() - static_cast<std::ptrdiff_t>(cut))), kReadError) << cut;
    // A file ending between a run's count and its value.
    Bytes b = Header(THeader{.bits = 1, .xMax = 7, .yMax = 0, .lineBytes = 1});
    b.push_back(193);
    EXPECT_EQ(Message(b), kReadError);
}

TEST(ImagesPcx, HugeSizesAreRefusedBeforeAnythingIsMade) {
    // 65536 x 65536 at 8 or 24 bits: beyond any bitmap.
    THeader big{.xMax = 65535, .yMax = 65535, .lineBytes = 65535};
    Bytes b = Header(big);
    b.resize(2000, 0);
    EXPECT_EQ(Message(b), kInvalid);
    big.planes = 3;
    b = Header(big);
    b.resize(2000, 0);
    EXPECT_EQ(Message(b), kInvalid);
    // Sizes a bitmap can have, with data far too short to fill them: refused
    // at once (no gigabyte is cleared first).
    const auto start = std::chrono::steady_clock::now();
    for (uint8_t planes : {1, 3, 4}) {
        THeader tall{.bits = static_cast<uint8_t>(planes == 4 ? 1 : 8), .xMax = 16383, .yMax = 16000,
                     .planes = planes, .lineBytes = 16384};
        Bytes t = Header(tall);
        t.resize(5000, 0xC1);
        EXPECT_EQ(Message(t), kReadError);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// ---------------------------------------------------------------------------
// Through the command line into a PDF

TEST(ImagesPcx, EndToEndThroughVellumarkImages) {
    if (!HavePillow()) GTEST_SKIP() << "Pillow is needed";
    TempDir dir;
    const int w = 29, h = 13;
    PillowPicture(dir / "p.pcx", "P", w, h);
    PillowPicture(dir / "rgb.pcx", "RGB", w, h);
    THeader mono{.bits = 1, .xMax = w - 1, .yMax = h - 1, .lineBytes = 4};
    std::vector<Bytes> lines;
    for (int y = 0; y < h; ++y) lines.push_back(Bytes{Value(0, y, 0), Value(1, y, 0), Value(2, y, 0), Value(3, y, 0)});
    const Bytes m = File(mono, lines);
    test::WriteFile(dir / "mono.pcx", std::string(m.begin(), m.end()));
    for (const char* name : {"p.pcx", "rgb.pcx", "mono.pcx"}) {
        SCOPED_TRACE(name);
        const auto r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                  " images -o out.pdf " + name);
        ASSERT_EQ(r.status, 0) << r.output;
        ASSERT_TRUE(test::QpdfCheck(dir / "out.pdf"));
        TBMPImage img = Load(ReadBytes(dir / name));
        img.ConvertTo24Bit();
        // 72 dpi: four times that makes each pixel a 4 x 4 block.
        const test::Raster page = test::RenderPage(dir / "out.pdf", 1, 288);
        ASSERT_EQ(page.width, 4 * w);
        ASSERT_EQ(page.height, 4 * h);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = img.Row(static_cast<uint32_t>(y)) + 3 * x;
                const uint32_t want = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
                if (page.At(4 * x + 2, 4 * y + 2) != want) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }
    // And the decoder agrees with Pillow on the same files.
    EXPECT_TRUE(SamePixels(Load(ReadBytes(dir / "rgb.pcx")), PillowRGB(dir / "rgb.pcx")));
    // A refused file: nothing written, the reader's message shown.
    test::WriteFile(dir / "bad.pcx", std::string("\x0A\x05\x01\x02", 4) + std::string(200, '\0'));
    const auto bad = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                " images -o bad.pdf bad.pcx");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find(kReadError), std::string::npos) << bad.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.pdf"));
}

}  // namespace
