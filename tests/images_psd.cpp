// TPSDImage: files written by ImageMagick (RGB, CMYK, gray, indexed,
// bitmap, 8 and 16 bits, raw and PackBits, with alpha) decoded as ImageMagick
// and Pillow decode them; files built byte by byte for every colour mode,
// the conversions, the resolution resource, every refusal and its message,
// and damaged data; and the whole way through "vellumark images".
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "ReaderTestUtil.h"
#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/PSDImage.h"

using namespace vellumark;
using namespace vellumark::test;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr const char* kInvalidFile = "Invalid PSD File";
constexpr const char* kInvalidData = "Invalid data in PSD File";
constexpr const char* kUnsupported = "Unsupported data format in PSD file";
constexpr const char* kCorrupt = "Image data corrupt in PSD File";

// ---------------------------------------------------------------------------
// Files built byte by byte

void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}

// PackBits: literals of up to 128 bytes, runs of 3 to 128 equal bytes.
Bytes Pack(std::span<const uint8_t> row) {
    Bytes out;
    std::size_t i = 0;
    while (i < row.size()) {
        std::size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<uint8_t>(257 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        std::size_t n = 0;
        while (i + n < row.size() && n < 128) {
            if (i + n + 2 < row.size() && row[i + n] == row[i + n + 1] && row[i + n] == row[i + n + 2]) break;
            ++n;
        }
        out.push_back(static_cast<uint8_t>(n - 1));
        out.insert(out.end(), row.begin() + static_cast<std::ptrdiff_t>(i), row.begin() + static_cast<std::ptrdiff_t>(i + n));
        i += n;
    }
    return out;
}

struct TPsd {
    uint16_t version = 1;
    uint16_t channels = 3;
    uint32_t height = 2;
    uint32_t width = 3;
    uint16_t depth = 8;
    uint16_t mode = 3;
    Bytes colourData{};
    Bytes resources{};
    Bytes layers{};
    uint16_t compression = 0;
    // One plane per channel, rows of stored bytes one after another.
    std::vector<Bytes> planes{};

    std::size_t RowBytes() const { return (std::size_t{width} * depth + 7) / 8; }

    Bytes Build() const {
        Bytes b{'8', 'B', 'P', 'S'};
        Put16(b, version);
        b.resize(b.size() + 6, 0);
        Put16(b, channels);
        Put32(b, height);
        Put32(b, width);
        Put16(b, depth);
        Put16(b, mode);
        for (const Bytes* s : {&colourData, &resources, &layers}) {
            Put32(b, static_cast<uint32_t>(s->size()));
            b.insert(b.end(), s->begin(), s->end());
        }
        Put16(b, compression);
        if (compression != 1) {
            for (const Bytes& p : planes) b.insert(b.end(), p.begin(), p.end());
            return b;
        }
        std::vector<Bytes> rows;
        for (const Bytes& p : planes)
            for (std::size_t at = 0; at + RowBytes() <= p.size(); at += RowBytes())
                rows.push_back(Pack(std::span<const uint8_t>(p).subspan(at, RowBytes())));
        for (const Bytes& r : rows) Put16(b, static_cast<uint32_t>(r.size()));
        for (const Bytes& r : rows) b.insert(b.end(), r.begin(), r.end());
        return b;
    }
};

uint8_t Value(uint32_t x, uint32_t y, uint32_t c) { return static_cast<uint8_t>(x * 37 + y * 11 + c * 91 + x * y); }

// Planes of `channels` channels filled with Value (8 bits) or Value * 257 + c
// (16 bits).
std::vector<Bytes> Planes(const TPsd& f, uint16_t channels) {
    std::vector<Bytes> planes(channels);
    for (uint16_t c = 0; c < channels; ++c)
        for (uint32_t y = 0; y < f.height; ++y)
            for (std::size_t x = 0; x < f.RowBytes() / (f.depth == 16 ? 2 : 1); ++x) {
                const uint8_t v = Value(static_cast<uint32_t>(x), y, c);
                planes[c].push_back(v);
                if (f.depth == 16) planes[c].push_back(static_cast<uint8_t>(c));
            }
    return planes;
}

TPsd Rgb(uint32_t w, uint32_t h, uint16_t compression = 0) {
    TPsd f{.height = h, .width = w, .compression = compression};
    f.planes = Planes(f, 3);
    return f;
}

TBMPImage Load(const Bytes& b, TPSDImage* keep = nullptr) { return test::ReadWith<TPSDImage>(b, keep); }
std::string Message(const Bytes& b) { return test::RefusalOf<TPSDImage>(b); }

std::string ModeMessage(uint16_t mode, uint16_t channels, uint16_t depth, uint16_t compression) {
    try {
        TPSDImage::CheckMode(mode, channels, depth, compression);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "accepted";
}

uint32_t Rgb24(const TBMPImage& img, uint32_t x, uint32_t y) {
    const uint8_t* p = img.Row(y) + 3 * x;
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

// ---------------------------------------------------------------------------
// Independent decoders




Bytes ReadBytes(const std::filesystem::path& file) {
    const std::string s = test::ReadFile(file);
    return Bytes(s.begin(), s.end());
}

::testing::AssertionResult SamePixels(TBMPImage img, const std::string& rgb, int tolerance = 0) {
    img.ConvertTo24Bit();
    if (rgb.size() != std::size_t{img.Width()} * img.Height() * 3)
        return ::testing::AssertionFailure() << "reference has " << rgb.size() << " bytes for " << img.Width() << "x"
                                             << img.Height();
    for (uint32_t y = 0; y < img.Height(); ++y)
        for (uint32_t x = 0; x < img.Width(); ++x)
            for (int c = 0; c < 3; ++c) {
                const int ours = img.Row(y)[3 * x + 2 - c];
                const int theirs = static_cast<uint8_t>(rgb[(std::size_t{y} * img.Width() + x) * 3 + c]);
                if (std::abs(ours - theirs) > tolerance)
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " channel " << c << ": "
                                                         << ours << " vs " << theirs;
            }
    return ::testing::AssertionSuccess();
}

const std::string kPicture = "-size 41x19 gradient:red-blue -fill yellow -draw 'rectangle 5,3 20,9' "
                             "-fill '#306090' -draw 'circle 30,10 34,12' ";

void Make(const TempDir& dir, const std::string& options, const std::string& name) {
    const auto r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && convert " + kPicture + options + " " + name);
    ASSERT_EQ(r.status, 0) << r.output;
}

// ---------------------------------------------------------------------------
// Against ImageMagick and Pillow

TEST(ImagesPsd, ImageMagickFilesMatchImageMagickAndPillow) {
    if (!HaveConvert() || !HavePillow()) GTEST_SKIP() << "ImageMagick and Pillow are needed";
    TempDir dir;
    struct TCase {
        const char* options;
        int bits;
        bool pillow;   // Pillow reads it
        bool magick;   // ImageMagick reads its own file back
        int tolerance; // against ImageMagick
    };
    // ImageMagick reduces 16-bit samples by truncation, this reader rounds:
    // they may differ by one. ImageMagick writes CMYK and gray with a fifth
    // and a second channel; Pillow refuses such gray files and misplaces the
    // rows of such run-length CMYK files, and it reads bitmap mode with 1 as
    // white, where ImageMagick, the format and this reader have black.
    const TCase cases[] = {
        {"-depth 8 -compress None", 24, true, true, 0},
        {"-depth 8 -compress RLE", 24, true, true, 0},
        {"-depth 16 -compress None", 24, false, true, 1},
        {"-depth 8 -colorspace CMYK -compress RLE", 24, false, true, 0},
        {"-depth 8 -colorspace CMYK -compress None", 24, true, true, 0},
        {"-depth 16 -colorspace CMYK -compress None", 24, false, true, 1},
        {"-depth 8 -colorspace Gray -compress RLE", 8, false, true, 0},
        {"-depth 8 -colorspace Gray -compress None", 8, false, true, 0},
        {"-depth 16 -colorspace Gray -compress None", 8, false, true, 1},
        {"-depth 8 -colors 12 -type Palette -compress RLE", 8, true, false, 0},
        {"-depth 8 -type Palette -compress None", 8, true, false, 0},
        {"-monochrome -depth 1 -compress None", 1, false, true, 0},
        {"-monochrome -depth 1 -compress RLE", 1, false, true, 0},
        // An alpha channel is not drawn (ImageMagick blends it, Pillow not).
        {"-depth 8 -alpha set -channel A -evaluate set 50% +channel -compress RLE", 24, true, false, 0},
        {"-depth 8 -colorspace CMYK -alpha set -channel A -evaluate set 50% +channel", 24, true, false, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.options);
        Make(dir, c.options, "m.psd");
        const Bytes b = ReadBytes(dir / "m.psd");
        const TBMPImage img = Load(b);
        EXPECT_EQ(img.Width(), 41u);
        EXPECT_EQ(img.Height(), 19u);
        EXPECT_EQ(img.BitsPerPixel(), c.bits);
        if (c.magick) {
            EXPECT_TRUE(SamePixels(img, MagickRGB(dir / "m.psd"), c.tolerance));
        }
        if (c.pillow) {
            EXPECT_TRUE(SamePixels(img, PillowRGB(dir / "m.psd")));
        }
    }
    // 16 bits with run-length compression is refused.
    Make(dir, "-depth 16 -compress RLE", "r.psd");
    EXPECT_EQ(Message(ReadBytes(dir / "r.psd")), kUnsupported);
}

// ---------------------------------------------------------------------------
// Colour modes built byte by byte

TEST(ImagesPsd, RgbRawAndPackBitsWithExtraChannelsNotDrawn) {
    for (uint16_t compression : {0, 1}) {
        for (uint16_t channels : {3, 4, 7}) {
            SCOPED_TRACE(std::to_string(compression) + " " + std::to_string(channels));
            TPsd f{.channels = channels, .height = 5, .width = 300, .compression = compression};
            f.planes = Planes(f, channels);
            const TBMPImage img = Load(f.Build());
            ASSERT_EQ(img.BitsPerPixel(), 24);
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t x = 0; x < 300; ++x)
                    ASSERT_EQ(Rgb24(img, x, y),
                              uint32_t{Value(x, y, 0)} << 16 | uint32_t{Value(x, y, 1)} << 8 | Value(x, y, 2));
        }
    }
    // Raw data may stop after the channels that are drawn.
    TPsd f = Rgb(4, 3);
    f.channels = 5;
    EXPECT_EQ(Message(f.Build()), "accepted");
}

TEST(ImagesPsd, SixteenBitSamplesAreRounded) {
    TPsd f{.channels = 1, .height = 1, .width = 6, .depth = 16, .mode = 1};
    f.planes = {Bytes{0x00, 0x00, 0xFF, 0xFF, 0x64, 0x64, 0x64, 0xE4, 0x64, 0xE5, 0x80, 0x00}};
    const TBMPImage gray = Load(f.Build());
    ASSERT_EQ(gray.BitsPerPixel(), 8);
    // 0, 65535, 25700 (100 x 257), 25828 (just below 100.5 x 257), 25829, 32768.
    const uint8_t want[] = {0, 255, 100, 100, 101, 128};
    for (uint32_t x = 0; x < 6; ++x) EXPECT_EQ(gray.IndexAt(x, 0), want[x]) << x;
    EXPECT_EQ(gray.PaletteAt(200), (TPaletteEntry{200, 200, 200}));

    TPsd rgb{.channels = 3, .height = 3, .width = 7, .depth = 16};
    rgb.planes = Planes(rgb, 3);
    const TBMPImage img = Load(rgb.Build());
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            for (uint32_t c = 0; c < 3; ++c) {
                const uint32_t v = uint32_t{Value(x, y, c)} << 8 | c;
                EXPECT_EQ(img.Row(y)[3 * x + 2 - c], (v + 128) / 257);
            }
    rgb.compression = 1;
    EXPECT_EQ(Message(rgb.Build()), kUnsupported);
}

TEST(ImagesPsd, CmykIsStoredInvertedAndConvertedToRgb) {
    // Stored values: 255 is no ink.
    TPsd f{.channels = 5, .height = 1, .width = 5, .mode = 4, .compression = 1};
    f.planes = {Bytes{255, 0, 255, 255, 128},   // cyan
                Bytes{255, 255, 0, 255, 200},   // magenta
                Bytes{255, 255, 255, 0, 10},    // yellow
                Bytes{255, 255, 255, 128, 77},  // black
                Bytes{0, 0, 0, 0, 0}};          // alpha, not drawn
    const TBMPImage img = Load(f.Build());
    EXPECT_EQ(Rgb24(img, 0, 0), 0xFFFFFFu);  // no ink: white
    EXPECT_EQ(Rgb24(img, 1, 0), 0x00FFFFu);  // full cyan
    EXPECT_EQ(Rgb24(img, 2, 0), 0xFF00FFu);  // full magenta
    EXPECT_EQ(Rgb24(img, 3, 0), 0x808000u);  // yellow over half black
    // Each colour is the stored ink value times the stored black, / 255.
    const uint32_t r = (128 * 77 + 127) / 255, g = (200 * 77 + 127) / 255, b = (10 * 77 + 127) / 255;
    EXPECT_EQ(Rgb24(img, 4, 0), r << 16 | g << 8 | b);
}

TEST(ImagesPsd, BitmapGrayDuotoneAndIndexed) {
    // Bitmap mode: a stored 1 is black.
    TPsd bits{.channels = 1, .height = 2, .width = 11, .depth = 1, .mode = 0, .compression = 1};
    bits.planes = {Bytes{0xF0, 0xFF, 0x0F, 0x00}};
    const TBMPImage mono = Load(bits.Build());
    ASSERT_EQ(mono.BitsPerPixel(), 1);
    EXPECT_EQ(mono.Palette(), (std::vector<TPaletteEntry>{{255, 255, 255}, {0, 0, 0}}));
    EXPECT_EQ(mono.IndexAt(0, 0), 1);
    EXPECT_EQ(mono.IndexAt(4, 0), 0);
    EXPECT_EQ(mono.IndexAt(10, 0), 1);
    EXPECT_EQ(mono.Row(0)[1], 0xE0);  // bits past the width are not kept
    EXPECT_EQ(mono.IndexAt(4, 1), 1);

    // Gray and duotone (with an alpha channel that is not drawn); the
    // duotone colour data is not used.
    for (uint16_t mode : {1, 8}) {
        TPsd g{.channels = 2, .height = 3, .width = 4, .mode = mode};
        if (mode == 8) g.colourData = Bytes(40, 7);
        g.planes = Planes(g, 2);
        const TBMPImage img = Load(g.Build());
        ASSERT_EQ(img.BitsPerPixel(), 8);
        EXPECT_EQ(img.PaletteAt(77), (TPaletteEntry{77, 77, 77}));
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(img.IndexAt(x, y), Value(x, y, 0));
    }

    // Indexed: 256 red, 256 green, 256 blue bytes.
    TPsd p{.channels = 1, .height = 2, .width = 5, .mode = 2, .compression = 1};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) p.colourData.push_back(static_cast<uint8_t>(i * (c + 1)));
    p.planes = Planes(p, 1);
    const TBMPImage idx = Load(p.Build());
    ASSERT_EQ(idx.BitsPerPixel(), 8);
    EXPECT_EQ(idx.PaletteAt(3), (TPaletteEntry{3, 6, 9}));
    EXPECT_EQ(idx.IndexAt(4, 1), Value(4, 1, 0));
    p.colourData.resize(700);
    EXPECT_EQ(Message(p.Build()), kCorrupt);
}

// ---------------------------------------------------------------------------
// The resolution resource

Bytes Resource(uint16_t id, const std::string& name, const Bytes& data) {
    Bytes b{'8', 'B', 'I', 'M'};
    Put16(b, id);
    b.push_back(static_cast<uint8_t>(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    if (name.size() % 2 == 0) b.push_back(0);
    Put32(b, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) b.push_back(0);
    return b;
}

Bytes ResolutionInfo(uint32_t h, uint32_t v) {
    Bytes b;
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 2);
    Put32(b, v);
    Put16(b, 1);
    Put16(b, 2);
    return b;
}

TEST(ImagesPsd, ResolutionResource) {
    auto read = [](const Bytes& resources) {
        TPsd f = Rgb(2, 2);
        f.resources = resources;
        TPSDImage psd;
        Load(f.Build(), &psd);
        return std::pair{psd.XResolution(), psd.YResolution()};
    };
    const Bytes other = Resource(1036, "", Bytes(9, 1));
    EXPECT_EQ(read({}), (std::pair{0u, 0u}));
    EXPECT_EQ(read(other), (std::pair{0u, 0u}));
    Bytes both = other;
    const Bytes res = Resource(1005, "", ResolutionInfo(300u << 16, 150u << 16));
    both.insert(both.end(), res.begin(), res.end());
    EXPECT_EQ(read(both), (std::pair{300u, 150u}));
    // Half a dot and more rounds up; less does not.
    EXPECT_EQ(read(Resource(1005, "", ResolutionInfo(72u << 16 | 0x8000, 72u << 16 | 0x7FFF))), (std::pair{73u, 72u}));
    // A name, padded to an even length.
    EXPECT_EQ(read(Resource(1005, "abc", ResolutionInfo(96u << 16, 96u << 16))), (std::pair{96u, 96u}));
    EXPECT_EQ(read(Resource(1005, "ab", ResolutionInfo(96u << 16, 96u << 16))), (std::pair{96u, 96u}));
    // Damaged resources give 0 and no error.
    EXPECT_EQ(read(Resource(1005, "", Bytes(8, 1))), (std::pair{0u, 0u}));
    Bytes cut = Resource(1005, "", ResolutionInfo(300u << 16, 300u << 16));
    cut.erase(cut.end() - 3, cut.end());
    EXPECT_EQ(read(cut), (std::pair{0u, 0u}));
    EXPECT_EQ(read(Bytes{'8', 'B', 'I', 'M', 0x03, 0xED}), (std::pair{0u, 0u}));
    EXPECT_EQ(read(Bytes{'8', 'B', 'I', 'M', 0x03, 0xED, 200}), (std::pair{0u, 0u}));

    // The bitmap handed over carries no resolution.
    TPsd f = Rgb(2, 2);
    f.resources = res;
    const TBMPImage img = Load(f.Build());
    EXPECT_EQ(img.XPelsPerMeter, 0u);
}

TEST(ImagesPsd, ImageMagickResolutionIsRead) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is needed";
    TempDir dir;
    Make(dir, "-depth 8 -units PixelsPerInch -density 150", "d.psd");
    TPSDImage psd;
    Load(ReadBytes(dir / "d.psd"), &psd);
    EXPECT_EQ(psd.XResolution(), 150u);
    EXPECT_EQ(psd.YResolution(), 150u);
}

// ---------------------------------------------------------------------------
// Refusals

TEST(ImagesPsd, HeaderRefusals) {
    const Bytes good = Rgb(3, 2).Build();
    ASSERT_EQ(Message(good), "accepted");
    for (std::size_t n = 0; n < 26; ++n) EXPECT_EQ(Message(Bytes(good.begin(), good.begin() + n)), kInvalidFile) << n;

    auto with = [](auto change) {
        TPsd f = Rgb(3, 2);
        change(f);
        return Message(f.Build());
    };
    EXPECT_EQ(with([](TPsd& f) { f.version = 2; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.version = 0; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.channels = 0; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.channels = 25; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.channels = 24; }), "accepted");
    EXPECT_EQ(with([](TPsd& f) { f.width = 30001; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.height = 30001; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.width = 0; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.height = 0; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.width = 0x10003; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.depth = 4; }), kInvalidFile);
    EXPECT_EQ(with([](TPsd& f) { f.depth = 32; }), kInvalidFile);
    for (uint16_t mode : {5, 6, 10, 0xFFFF}) EXPECT_EQ(with([&](TPsd& f) { f.mode = mode; }), kInvalidFile) << mode;
    Bytes bad = good;
    bad[3] = 'Q';
    EXPECT_EQ(Message(bad), kInvalidFile);
    bad = good;
    bad[9] = 1;  // a reserved byte
    EXPECT_EQ(Message(bad), kInvalidFile);

    // The largest size a file may declare is read.
    TPsd wide = Rgb(30000, 1, 1);
    EXPECT_EQ(Load(wide.Build()).Width(), 30000u);
}

TEST(ImagesPsd, CompressionAndModeRefusals) {
    EXPECT_EQ(Message(Rgb(3, 2, 2).Build()), kInvalidData);
    EXPECT_EQ(Message(Rgb(3, 2, 3).Build()), kInvalidData);
    // The compression is checked before the mode.
    TPsd lab = Rgb(3, 2, 2);
    lab.mode = 9;
    EXPECT_EQ(Message(lab.Build()), kInvalidData);
    lab.compression = 0;
    EXPECT_EQ(Message(lab.Build()), "Lab mode in PSD file not supported");
    TPsd multi = Rgb(3, 2, 1);
    multi.mode = 7;
    EXPECT_EQ(Message(multi.Build()), "Multichannel mode in PSD file not supported");

    // Modes the header lets through, with channels and depths that do not fit.
    EXPECT_EQ(ModeMessage(0, 1, 1, 0), "accepted");
    EXPECT_EQ(ModeMessage(0, 2, 1, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(0, 1, 8, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(1, 1, 8, 1), "accepted");
    EXPECT_EQ(ModeMessage(1, 2, 16, 0), "accepted");
    EXPECT_EQ(ModeMessage(1, 1, 16, 1), kUnsupported);
    EXPECT_EQ(ModeMessage(1, 3, 8, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(1, 1, 1, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(8, 3, 8, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(8, 1, 16, 0), "accepted");
    EXPECT_EQ(ModeMessage(2, 3, 8, 1), "accepted");
    EXPECT_EQ(ModeMessage(2, 1, 16, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(3, 2, 8, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(3, 3, 16, 1), kUnsupported);
    EXPECT_EQ(ModeMessage(3, 3, 1, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(4, 3, 8, 0), kUnsupported);
    EXPECT_EQ(ModeMessage(4, 4, 16, 1), kUnsupported);
    EXPECT_EQ(ModeMessage(4, 5, 16, 0), "accepted");
    // Modes the header refuses first (5 and 6, above 9) have their own
    // message here.
    EXPECT_EQ(ModeMessage(5, 3, 8, 0), "Invalid PSD Color Mode");
    EXPECT_EQ(ModeMessage(12, 3, 8, 0), "Invalid PSD Color Mode");

    // Whole files for a few of them.
    TPsd f = Rgb(3, 2);
    f.channels = 2;
    f.planes.resize(2);
    EXPECT_EQ(Message(f.Build()), kUnsupported);
    TPsd bits{.channels = 1, .height = 2, .width = 3, .depth = 8, .mode = 0};
    bits.planes = Planes(bits, 1);
    EXPECT_EQ(Message(bits.Build()), kUnsupported);
}

TEST(ImagesPsd, DamagedData) {
    // Raw data cut anywhere inside the drawn channels.
    const Bytes raw = Rgb(5, 4).Build();
    for (std::size_t cut = 1; cut <= 60; ++cut)
        ASSERT_EQ(Message(Bytes(raw.begin(), raw.end() - static_cast<std::ptrdiff_t>(cut))), kCorrupt) << cut;
    // PackBits data cut anywhere after the compression field.
    const Bytes packed = Rgb(300, 4, 1).Build();
    const std::size_t start = 26 + 12 + 2;
    for (std::size_t n = start; n < packed.size(); n += 7)
        ASSERT_EQ(Message(Bytes(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(n))), kCorrupt) << n;
    // Sections longer than the file, and no compression field.
    for (std::size_t n = 26; n < start; ++n)
        EXPECT_EQ(Message(Bytes(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(n))), kCorrupt) << n;
    TPsd f = Rgb(3, 2);
    Bytes b = f.Build();
    b[26] = 0x7F;  // colour mode data length
    EXPECT_EQ(Message(b), kCorrupt);

    // Row byte counts too small for a row, and rows that unpack short.
    TPsd g = Rgb(4, 2, 1);
    Bytes p = g.Build();
    const std::size_t counts = 26 + 12 + 2;
    p[counts + 1] = 1;
    EXPECT_EQ(Message(p), kCorrupt);
    TPsd h{.channels = 1, .height = 1, .width = 4, .mode = 1, .compression = 1};
    Bytes q = h.Build();
    Put16(q, 2);
    q.insert(q.end(), {0x02, 1});  // a literal of three bytes, one given
    EXPECT_EQ(Message(q), kCorrupt);
    q.back() = 0x80;  // a no-op byte: nothing decoded
    q[q.size() - 2] = 0x80;
    EXPECT_EQ(Message(q), kCorrupt);
    q[q.size() - 2] = 0xFD;  // a run of four: complete
    EXPECT_EQ(Message(q), "accepted");
}

// ---------------------------------------------------------------------------
// Through the command line into a PDF

TEST(ImagesPsd, EndToEndThroughVellumarkImages) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is needed";
    TempDir dir;
    Make(dir, "-depth 8 -compress RLE", "rgb.psd");
    Make(dir, "-depth 8 -colorspace CMYK -compress None", "cmyk.psd");
    Make(dir, "-monochrome -depth 1", "mono.psd");
    Make(dir, "-depth 8 -colors 20 -type Palette -compress RLE", "pal.psd");
    for (const char* name : {"rgb.psd", "cmyk.psd", "mono.psd", "pal.psd"}) {
        SCOPED_TRACE(name);
        const auto r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                  " images -o out.pdf " + name);
        ASSERT_EQ(r.status, 0) << r.output;
        ASSERT_TRUE(test::QpdfCheck(dir / "out.pdf"));
        TBMPImage img = Load(ReadBytes(dir / name));
        if (std::string(name) != "pal.psd") {
            EXPECT_TRUE(SamePixels(img, MagickRGB(dir / name)));
        }
        img.ConvertTo24Bit();
        // 72 dpi: four times that makes each pixel a 4 x 4 block.
        const test::Raster page = test::RenderPage(dir / "out.pdf", 1, 288);
        ASSERT_EQ(page.width, 4 * 41);
        ASSERT_EQ(page.height, 4 * 19);
        int wrong = 0;
        for (uint32_t y = 0; y < 19; ++y)
            for (uint32_t x = 0; x < 41; ++x)
                if (page.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2)) != Rgb24(img, x, y)) ++wrong;
        EXPECT_EQ(wrong, 0);
    }
    // A refused file: nothing written, the reader's message shown.
    Make(dir, "-depth 16 -compress RLE", "bad.psd");
    const auto bad = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                " images -o bad.pdf bad.psd");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find(kUnsupported), std::string::npos) << bad.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.pdf"));
}

}  // namespace
