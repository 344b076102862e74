// The PNG reader: the PngSuite conformance files against Pillow, files built
// byte by byte for the chunk rules, the formats and the transparency kinds,
// damaged and hostile data, and PNG files through "vellumark images".
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/PNGImage.h"

namespace vellumark {
namespace {

namespace fs = std::filesystem;
using test::RunCommand;
using test::ShellQuote;
using test::HavePython;

std::span<const uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

void PutBe32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

std::string Chunk(const std::string& type, const std::string& body) {
    std::string c;
    PutBe32(c, static_cast<uint32_t>(body.size()));
    const std::string typed = type + body;
    c += typed;
    PutBe32(c, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                           static_cast<uInt>(typed.size()))));
    return c;
}

std::string Zlib(const std::string& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                        static_cast<uLong>(raw.size()), 9),
              Z_OK);
    out.resize(size);
    return out;
}

std::string Header(uint32_t w, uint32_t h, int depth, int colorType, int interlace = 0) {
    std::string b;
    PutBe32(b, w);
    PutBe32(b, h);
    b += static_cast<char>(depth);
    b += static_cast<char>(colorType);
    b += '\0';
    b += '\0';
    b += static_cast<char>(interlace);
    return b;
}

const std::string kSignature("\x89PNG\r\n\x1A\n", 8);

// A PNG file: signature, IHDR, the chunks in `before`, IDAT holding `lines`
// (scan lines with their filter bytes) compressed, in `pieces` chunks, the
// chunks in `after`, IEND.
struct TPng {
    TPng(uint32_t w, uint32_t h, int bitDepth, int type, std::string scanLines, int interlaceMethod = 0)
        : width(w), height(h), depth(bitDepth), colorType(type), interlace(interlaceMethod),
          lines(std::move(scanLines)) {}
    uint32_t width, height;
    int depth, colorType, interlace;
    std::string lines;
    std::vector<std::string> before, after;
    std::size_t pieces = 1;
    std::string Build() const {
        std::string f = kSignature + Chunk("IHDR", Header(width, height, depth, colorType, interlace));
        for (const auto& c : before) f += c;
        const std::string z = Zlib(lines);
        const std::size_t step = (z.size() + pieces - 1) / pieces;
        for (std::size_t at = 0; at < z.size(); at += step) f += Chunk("IDAT", z.substr(at, step));
        for (const auto& c : after) f += c;
        return f + Chunk("IEND", "");
    }
};

// Scan lines with filter 0 from the bytes of each line.
std::string Unfiltered(const std::vector<std::string>& rows) {
    std::string s;
    for (const auto& r : rows) s += '\0' + r;
    return s;
}

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s += static_cast<char>(b);
    return s;
}

// The message of the EInvalidGraphic a load raises, or "" when it loads.
std::string LoadError(const std::string& file) {
    try {
        TqzPNGImage png;
        png.LoadFromStream(Span(file));
        return "";
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
}

// What LoadKeepingData makes of a file, `wanted` answering `want`: "kept",
// the error it raises, or "decoded" when its bitmap is the one
// LoadFromStream decodes. `kept` receives the data kept.
std::string KeepingData(const std::string& file, bool want, std::string* kept = nullptr) {
    std::string bytes = file;
    TqzPNGImage png;
    try {
        if (png.LoadKeepingData(bytes, [want](const TqzPNGImage&) { return want; })) {
            if (kept) *kept = png.ImageData();
            return "kept";
        }
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    if (!want && bytes != file) return "bytes changed";
    TBMPImage ours, theirs;
    png.AssignTo(ours);
    TqzPNGImage reference;
    reference.LoadFromStream(Span(file));
    reference.AssignTo(theirs);
    const bool same = ours.Width() == theirs.Width() && ours.BitsPerPixel() == theirs.BitsPerPixel() &&
                      ours.Palette() == theirs.Palette() &&
                      std::equal(ours.Pixels().begin(), ours.Pixels().end(), theirs.Pixels().begin(),
                                 theirs.Pixels().end());
    return same ? "decoded" : "decoded differently";
}

TBMPImage Decode(const std::string& file, TAlpha* alpha = nullptr) {
    TqzPNGImage png;
    png.LoadFromStream(Span(file));
    if (alpha) *alpha = png.Alpha();
    TBMPImage bitmap;
    png.AssignTo(bitmap);
    return bitmap;
}

// Pixel (x, y) of any bitmap as 0xRRGGBB.
uint32_t Rgb(const TBMPImage& b, uint32_t x, uint32_t y) {
    if (b.BitsPerPixel() == 24) {
        const uint8_t* p = b.Row(y) + 3 * x;
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
    const TPaletteEntry e = b.PaletteAt(b.IndexAt(x, y));
    return uint32_t{e.Red} << 16 | uint32_t{e.Green} << 8 | e.Blue;
}

// A 16-bit sample rounded to 8 bits.
uint8_t Reduce(uint16_t v) { return static_cast<uint8_t>((v * 255u + 32767u) / 65535u); }

// ---------------------------------------------------------------------------
// PngSuite against Pillow.


// Writes N.rgb (8-bit RGB samples, alpha dropped, no background applied),
// N.a (the alpha channel, when there is one) and N.mode for the N-th file.
// 16-bit grey is rounded to 8 bits here; Pillow keeps the high byte of the
// other 16-bit formats.
void RunPillow(const std::vector<fs::path>& files, const fs::path& out) {
    const fs::path script = out / "reference.py";
    std::ofstream(script) << "import sys, numpy as np\n"
                             "from PIL import Image\n"
                             "out = sys.argv[1]\n"
                             "for i, f in enumerate(sys.argv[2:]):\n"
                             "    try:\n"
                             "        im = Image.open(f); im.load()\n"
                             "    except Exception:\n"
                             "        continue\n"
                             "    if im.mode in ('I', 'I;16', 'I;16B'):\n"
                             "        a = np.asarray(im).astype(np.int64)\n"
                             "        g = ((a * 255 + 32767) // 65535).astype(np.uint8)\n"
                             "        rgb = np.stack([g, g, g], -1)\n"
                             "    else:\n"
                             "        rgb = np.asarray(im.convert('RGB'))\n"
                             "    open('%s/%d.rgb' % (out, i), 'wb').write(rgb.tobytes())\n"
                             "    open('%s/%d.mode' % (out, i), 'w').write(im.mode)\n"
                             "    if 'A' in im.getbands():\n"
                             "        open('%s/%d.a' % (out, i), 'wb').write(im.getchannel('A').tobytes())\n";
    std::string command = "/usr/bin/python3";
    for (const auto& arg : {script, out}) command.append(" ").append(ShellQuote(arg.string()));
    for (const auto& f : files) command.append(" ").append(ShellQuote(f.string()));
    const auto r = RunCommand(command);
    ASSERT_EQ(r.status, 0) << r.output;
}

::testing::AssertionResult SameSamples(const std::string& what, const std::string& ours, const std::string& theirs,
                                       int tolerance) {
    if (ours.size() != theirs.size())
        return ::testing::AssertionFailure() << what << ": " << ours.size() << " bytes against " << theirs.size();
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const int d = static_cast<uint8_t>(ours[i]) - static_cast<uint8_t>(theirs[i]);
        if (d > tolerance || d < -tolerance)
            return ::testing::AssertionFailure() << what << ": byte " << i << " is " << int(uint8_t(ours[i]))
                                                 << ", reference " << int(uint8_t(theirs[i]));
    }
    return ::testing::AssertionSuccess();
}

// The fields of one manifest row (quoted fields may hold commas).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

struct TSuiteFile {
    fs::path path;
    int depth = 0;
    int colorType = 0;
    int bitmapBits = 0;
    std::string transparency;
    std::string expected;
};

std::vector<TSuiteFile> SuiteManifest(const fs::path& dir) {
    std::vector<TSuiteFile> files;
    std::ifstream in(dir / "manifest.csv");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const auto f = CsvFields(line);
        if (f.size() < 10) continue;
        TSuiteFile s;
        s.path = dir / f[0];
        s.colorType = std::atoi(f[1].c_str());
        s.depth = std::atoi(f[2].c_str());
        s.bitmapBits = std::atoi(f[6].c_str());
        s.transparency = f[7];
        s.expected = f[8];
        files.push_back(s);
    }
    return files;
}

const fs::path kSuite = fs::path(CORPUS_DIR) / "pngsuite";

TEST(ImagesPngSuite, EveryFileDecodesAsPillowDoesOrIsRefused) {
    if (!fs::exists(kSuite / "manifest.csv")) GTEST_SKIP() << "PngSuite not found under " << kSuite;
    if (!HavePython("PIL.Image, numpy")) GTEST_SKIP() << "/usr/bin/python3 with PIL and numpy is not installed";
    const auto files = SuiteManifest(kSuite);
    ASSERT_EQ(files.size(), 175u);
    test::TempDir dir;
    std::vector<fs::path> paths;
    for (const auto& f : files) paths.push_back(f.path);
    RunPillow(paths, dir.Path());

    int decoded = 0, refused = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TSuiteFile& f = files[i];
        SCOPED_TRACE(f.path.filename().string());
        const std::string data = test::ReadFile(f.path);
        if (f.expected != "decode") {
            EXPECT_EQ(LoadError(data), f.expected);
            ++refused;
            continue;
        }
        TAlpha alpha;
        TBMPImage bitmap;
        ASSERT_NO_THROW(bitmap = Decode(data, &alpha));
        ++decoded;
        EXPECT_EQ(bitmap.BitsPerPixel(), f.bitmapBits);
        EXPECT_EQ(alpha.Kind == TAlpha::kMask, f.transparency == "mask (kind 4)");
        const int tolerance = f.depth == 16 ? 1 : 0;

        std::string ours;
        for (uint32_t y = 0; y < bitmap.Height(); ++y)
            for (uint32_t x = 0; x < bitmap.Width(); ++x) {
                const uint32_t c = Rgb(bitmap, x, y);
                ours += static_cast<char>(c >> 16);
                ours += static_cast<char>(c >> 8);
                ours += static_cast<char>(c);
            }
        const fs::path reference = dir / (std::to_string(i) + ".rgb");
        ASSERT_TRUE(fs::exists(reference)) << "Pillow could not read it";
        EXPECT_TRUE(SameSamples("pixels", ours, test::ReadFile(reference), tolerance));

        const fs::path pillowAlpha = dir / (std::to_string(i) + ".a");
        if (f.colorType == 4 || f.colorType == 6) {
            ASSERT_TRUE(fs::exists(pillowAlpha));
            EXPECT_TRUE(SameSamples("alpha", std::string(alpha.Mask.begin(), alpha.Mask.end()),
                                    test::ReadFile(pillowAlpha), tolerance));
        } else if (alpha.Kind == TAlpha::kMask) {
            // 16-bit tRNS: transparent exactly where the sample is the key;
            // Pillow's 8-bit samples show at least the key's high bytes.
            ASSERT_EQ(alpha.Mask.size(), std::size_t{bitmap.Width()} * bitmap.Height());
            int transparent = 0;
            for (std::size_t p = 0; p < alpha.Mask.size(); ++p) {
                ASSERT_TRUE(alpha.Mask[p] == 0 || alpha.Mask[p] == 255);
                if (alpha.Mask[p] != 0) continue;
                ++transparent;
                const uint32_t c = Rgb(bitmap, static_cast<uint32_t>(p % bitmap.Width()),
                                       static_cast<uint32_t>(p / bitmap.Width()));
                if (f.colorType == 2)
                    EXPECT_EQ(c, uint32_t{Reduce(alpha.KeyRed)} << 16 | uint32_t{Reduce(alpha.KeyGreen)} << 8 |
                                     Reduce(alpha.KeyBlue));
                else
                    EXPECT_EQ(c & 0xFF, Reduce(alpha.KeyGray));
            }
            EXPECT_GT(transparent, 0);
        }
    }
    EXPECT_EQ(decoded, 161);
    EXPECT_EQ(refused, 14);
}

// ---------------------------------------------------------------------------
// Chunk rules and messages.

TEST(ImagesPng, SignatureAndChunkFraming) {
    const TPng one(1, 1, 8, 0, Unfiltered({"\x80"}));
    const std::string good = one.Build();
    EXPECT_EQ(LoadError(good), "");
    EXPECT_EQ(LoadError(""), "Image does not have a valid PNG signature.");
    EXPECT_EQ(LoadError(good.substr(0, 7)), "Image does not have a valid PNG signature.");
    std::string bad = good;
    bad[3] = 'g';
    EXPECT_EQ(LoadError(bad), "Image does not have a valid PNG signature.");

    // Ending before IEND, anywhere.
    for (std::size_t cut : {std::size_t{8}, std::size_t{20}, good.size() - 12, good.size() - 1})
        EXPECT_EQ(LoadError(good.substr(0, cut)), "Image is not a valid PNG.") << cut;
    // A chunk length beyond the end of the data.
    bad = good;
    bad[8] = '\x7F';
    EXPECT_EQ(LoadError(bad), "Image is not a valid PNG.");
    // Bytes after IEND are not read.
    EXPECT_EQ(LoadError(good + "trailing junk"), "");
}

TEST(ImagesPng, CrcOfEveryChunkIsChecked) {
    const TPng png(4, 2, 8, 0, Unfiltered({"abcd", "efgh"}));
    const std::string good = png.Build();
    const std::size_t idat = good.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    std::string bad = good;
    bad[idat + 6] = static_cast<char>(bad[idat + 6] ^ 0x01);  // inside the compressed data
    EXPECT_EQ(LoadError(bad), "Invalid CRC in PNG image.");
    bad = good;
    bad[8 + 4 + 4 + 3] ^= 0x10;  // the width in IHDR
    EXPECT_EQ(LoadError(bad), "Invalid CRC in PNG image.");
    bad = good;
    bad[bad.size() - 1] ^= 0x01;  // IEND's CRC
    EXPECT_EQ(LoadError(bad), "Invalid CRC in PNG image.");
}

TEST(ImagesPng, UnknownChunksByTheCaseOfTheirFirstLetter) {
    TPng png(2, 1, 8, 0, Unfiltered({"\x10\x20"}));
    png.before = {Chunk("abCD", "whatever"), Chunk("tIME", Bytes({7, 208, 1, 1, 0, 0, 0}))};
    png.after = {Chunk("zzZZ", "")};
    EXPECT_EQ(LoadError(png.Build()), "");
    png.before.push_back(Chunk("ABCD", "x"));
    EXPECT_EQ(LoadError(png.Build()), "Image is not a valid PNG.");
    png.before = {Chunk("Abcd", "x")};
    EXPECT_EQ(LoadError(png.Build()), "Image is not a valid PNG.");
}

TEST(ImagesPng, HeaderComesFirstAndOnlyOnce) {
    const TPng png(1, 1, 8, 0, Unfiltered({"\x01"}));
    std::string f = png.Build();
    // A chunk before IHDR.
    std::string moved = kSignature + Chunk("tEXt", "a\0b") + f.substr(8);
    EXPECT_EQ(LoadError(moved), "Image is not a valid PNG.");
    // A second IHDR.
    TPng twice = png;
    twice.before = {Chunk("IHDR", Header(1, 1, 8, 0))};
    EXPECT_EQ(LoadError(twice.Build()), "Image is not a valid PNG.");
    // IHDR of the wrong length, zero size, unknown methods.
    EXPECT_EQ(LoadError(kSignature + Chunk("IHDR", Header(1, 1, 8, 0) + "x") + Chunk("IEND", "")),
              "Image is not a valid PNG.");
    EXPECT_EQ(LoadError(TPng(0, 1, 8, 0, "\0").Build()), "Image is not a valid PNG.");
    EXPECT_EQ(LoadError(TPng(1, 1, 8, 0, Unfiltered({"\x01"}), 2).Build()), "Image is not a valid PNG.");
    std::string method = Header(1, 1, 8, 0);
    method[10] = 1;
    EXPECT_EQ(LoadError(kSignature + Chunk("IHDR", method) + Chunk("IDAT", Zlib(std::string(2, '\0'))) +
                        Chunk("IEND", "")),
              "Image is not a valid PNG.");
}

TEST(ImagesPng, ColourTypeAndBitDepthTable) {
    struct TCase {
        int colorType, depth, bits;
    };
    const TCase valid[] = {{0, 1, 1}, {0, 2, 4}, {0, 4, 4}, {0, 8, 8}, {0, 16, 8}, {2, 8, 24}, {2, 16, 24},
                           {3, 1, 1}, {3, 2, 4}, {3, 4, 4}, {3, 8, 8}, {4, 8, 8}, {4, 16, 8}, {6, 8, 24},
                           {6, 16, 24}};
    for (const TCase& c : valid) {
        const int channels = c.colorType == 2 ? 3 : c.colorType == 4 ? 2 : c.colorType == 6 ? 4 : 1;
        const std::size_t lineBytes = (3 * channels * c.depth + 7) / 8;
        TPng png(3, 2, c.depth, c.colorType, "");
        png.lines = Unfiltered({std::string(lineBytes, '\0'), std::string(lineBytes, '\0')});
        if (c.colorType == 3) png.before = {Chunk("PLTE", Bytes({1, 2, 3}))};
        TAlpha alpha;
        const TBMPImage b = Decode(png.Build(), &alpha);
        EXPECT_EQ(b.BitsPerPixel(), c.bits) << c.colorType << "/" << c.depth;
        EXPECT_EQ(alpha.Kind == TAlpha::kMask, c.colorType == 4 || c.colorType == 6);
    }
    const int invalid[][2] = {{0, 3}, {0, 0}, {2, 4}, {2, 1}, {2, 2}, {3, 16}, {4, 4}, {6, 1}, {1, 8}, {5, 8},
                              {7, 8}, {0, 99}};
    for (const auto& c : invalid)
        EXPECT_EQ(LoadError(TPng(1, 1, c[1], c[0], Unfiltered({"\0"})).Build()),
                  "Image is not a valid PNG.")
            << c[0] << "/" << c[1];
}

TEST(ImagesPng, NoImageData) {
    const std::string noIdat = kSignature + Chunk("IHDR", Header(1, 1, 8, 0)) + Chunk("IEND", "");
    EXPECT_EQ(LoadError(noIdat), "Image is not a valid PNG - no image data.");
    const std::string emptyIdat =
        kSignature + Chunk("IHDR", Header(1, 1, 8, 0)) + Chunk("IDAT", "") + Chunk("IEND", "");
    EXPECT_EQ(LoadError(emptyIdat), "Image is not a valid PNG - no image data.");
}

// ---------------------------------------------------------------------------
// Palettes.

TEST(ImagesPng, PaletteImages) {
    TPng png(4, 1, 2, 3, Unfiltered({Bytes({0b00011011})}));
    png.before = {Chunk("PLTE", Bytes({255, 0, 0, 0, 255, 0}))};  // two entries for indexes 0..3
    const TBMPImage b = Decode(png.Build());
    ASSERT_EQ(b.BitsPerPixel(), 4);
    EXPECT_EQ(Rgb(b, 0, 0), 0xFF0000u);
    EXPECT_EQ(Rgb(b, 1, 0), 0x00FF00u);
    EXPECT_EQ(Rgb(b, 2, 0), 0x000000u);  // beyond the palette: black
    EXPECT_EQ(Rgb(b, 3, 0), 0x000000u);
    EXPECT_EQ(b.IndexAt(3, 0), 3);

    png.before = {Chunk("PLTE", std::string(770, '\x10'))};
    EXPECT_EQ(LoadError(png.Build()), "Image is not a valid PNG.");
    png.before = {Chunk("PLTE", std::string(771, '\x10'))};
    EXPECT_EQ(LoadError(png.Build()), "Image is not a valid PNG.");
    png.before = {Chunk("PLTE", std::string(10, '\x10'))};
    EXPECT_EQ(LoadError(png.Build()), "Image is not a valid PNG.");
    // 256 entries for a 2-bit image: the bitmap keeps those it can index.
    png.before = {Chunk("PLTE", std::string(768, '\x10'))};
    EXPECT_EQ(Decode(png.Build()).Palette().size(), 16u);

    // A suggested palette in an RGB image is ignored, whatever its length.
    TPng rgb(1, 1, 8, 2, Unfiltered({"\x01\x02\x03"}));
    rgb.before = {Chunk("PLTE", std::string(770, '\0'))};
    EXPECT_EQ(Rgb(Decode(rgb.Build()), 0, 0), 0x010203u);
}

TEST(ImagesPng, GreyLevelsOfEveryDepth) {
    // 2-bit samples 0..3 show as grey 0, 85, 170, 255.
    TPng two(4, 1, 2, 0, Unfiltered({Bytes({0b00011011})}));
    TBMPImage b = Decode(two.Build());
    ASSERT_EQ(b.Palette().size(), 16u);
    for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(Rgb(b, x, 0), 0x555555u * x) << x;
    TPng four(3, 1, 4, 0, Unfiltered({Bytes({0x0F, 0x70})}));
    b = Decode(four.Build());
    EXPECT_EQ(Rgb(b, 0, 0), 0x000000u);
    EXPECT_EQ(Rgb(b, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(b, 2, 0), 0x777777u);
    EXPECT_EQ(b.Row(0)[1], 0x70);  // the unused half of the last byte is 0
    TPng one(10, 1, 1, 0, Unfiltered({Bytes({0b10100000, 0xFF})}));
    b = Decode(one.Build());
    EXPECT_EQ(Rgb(b, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(b, 1, 0), 0u);
    EXPECT_EQ(Rgb(b, 9, 0), 0xFFFFFFu);
    EXPECT_EQ(b.Row(0)[1], 0xC0);
    TPng sixteen(3, 1, 16, 0, Unfiltered({Bytes({0xFF, 0xFF, 0x80, 0x7F, 0x00, 0x80})}));
    b = Decode(sixteen.Build());
    EXPECT_EQ(b.Row(0)[0], 255);
    EXPECT_EQ(b.Row(0)[1], 128);  // 0x807F rounds up
    EXPECT_EQ(b.Row(0)[2], 0);    // 0x0080 rounds down
}

// ---------------------------------------------------------------------------
// Transparency.

TEST(ImagesPng, TransparencyKinds) {
    // 16-bit RGB with tRNS: a mask, 0 exactly where the sample is the key.
    TPng rgb16(3, 1, 16, 2, "");
    rgb16.lines = Unfiltered({Bytes({1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 7, 1, 2, 3, 4, 5, 6})});
    rgb16.before = {Chunk("tRNS", Bytes({1, 2, 3, 4, 5, 6}))};
    TAlpha alpha;
    TBMPImage b = Decode(rgb16.Build(), &alpha);
    EXPECT_EQ(alpha.Kind, TAlpha::kMask);
    EXPECT_EQ(alpha.Width, 3u);
    EXPECT_EQ(alpha.Height, 1u);
    EXPECT_EQ(alpha.Mask, (std::vector<uint8_t>{0, 255, 0}));

    // The same chunk on 8-bit RGB: one transparent colour.
    TPng rgb8(2, 1, 8, 2, Unfiltered({Bytes({9, 8, 7, 1, 2, 3})}));
    rgb8.before = {Chunk("tRNS", Bytes({0, 9, 0, 8, 0, 7}))};
    b = Decode(rgb8.Build(), &alpha);
    EXPECT_EQ(alpha.Kind, TAlpha::kRGBKey);
    EXPECT_EQ(alpha.KeyRed, 9);
    EXPECT_EQ(alpha.KeyBlue, 7);
    EXPECT_TRUE(alpha.Mask.empty());
    EXPECT_EQ(Rgb(b, 0, 0), 0x090807u);
    // A tRNS of the wrong length does not count.
    rgb8.before = {Chunk("tRNS", Bytes({0, 9, 0, 8}))};
    Decode(rgb8.Build(), &alpha);
    EXPECT_EQ(alpha.Kind, TAlpha::kNone);

    // Grey: 16 bits give a mask, 8 bits and less one grey key.
    TPng grey16(2, 1, 16, 0, Unfiltered({Bytes({0x12, 0x34, 0x12, 0x35})}));
    grey16.before = {Chunk("tRNS", Bytes({0x12, 0x34}))};
    Decode(grey16.Build(), &alpha);
    EXPECT_EQ(alpha.Kind, TAlpha::kMask);
    EXPECT_EQ(alpha.Mask, (std::vector<uint8_t>{0, 255}));
    TPng grey4(2, 1, 4, 0, Unfiltered({Bytes({0x35})}));
    grey4.before = {Chunk("tRNS", Bytes({0, 3}))};
    Decode(grey4.Build(), &alpha);
    EXPECT_EQ(alpha.Kind, TAlpha::kGrayKey);
    EXPECT_EQ(alpha.KeyGray, 3);

    // Palette: one alpha per entry.
    TPng pal(1, 1, 8, 3, Unfiltered({std::string(1, '\0')}));
    pal.before = {Chunk("PLTE", Bytes({1, 2, 3, 4, 5, 6})), Chunk("tRNS", Bytes({0}))};
    Decode(pal.Build(), &alpha);
    EXPECT_EQ(alpha.Kind, TAlpha::kPalette);
    EXPECT_EQ(alpha.PaletteAlpha, (std::vector<uint8_t>{0}));

    // Colour types with alpha: the colours as stored, alpha in the mask.
    TPng rgba(2, 1, 8, 6, Unfiltered({Bytes({10, 20, 30, 0, 40, 50, 60, 200})}));
    b = Decode(rgba.Build(), &alpha);
    EXPECT_EQ(Rgb(b, 0, 0), 0x0A141Eu);
    EXPECT_EQ(Rgb(b, 1, 0), 0x28323Cu);
    EXPECT_EQ(alpha.Mask, (std::vector<uint8_t>{0, 200}));
    TPng greyAlpha(2, 1, 16, 4, Unfiltered({Bytes({0x40, 0x00, 0xFF, 0xFF, 0xC0, 0x00, 0x00, 0x00})}));
    b = Decode(greyAlpha.Build(), &alpha);
    EXPECT_EQ(b.Row(0)[0], 64);
    EXPECT_EQ(b.Row(0)[1], 191);
    EXPECT_EQ(alpha.Mask, (std::vector<uint8_t>{255, 0}));
}

TEST(ImagesPng, AncillaryValuesAreRecorded) {
    TPng png(1, 1, 8, 2, Unfiltered({"abc"}));
    std::string phys;
    PutBe32(phys, 3780);
    PutBe32(phys, 2835);
    png.before = {Chunk("pHYs", phys + '\x01'), Chunk("bKGD", Bytes({0, 1, 0, 2, 0, 3}))};
    TqzPNGImage reader;
    reader.LoadFromStream(Span(png.Build()));
    EXPECT_EQ(reader.XPelsPerMeter(), 3780u);
    EXPECT_EQ(reader.YPelsPerMeter(), 2835u);
    EXPECT_TRUE(reader.Background().Present);
    EXPECT_EQ(reader.Background().Blue, 3);
    TBMPImage b;
    reader.AssignTo(b);
    EXPECT_EQ(b.XPelsPerMeter, 0u);  // PNG images reach the engine without a resolution
    png.before = {Chunk("pHYs", phys + '\x00')};
    reader.LoadFromStream(Span(png.Build()));
    EXPECT_EQ(reader.XPelsPerMeter(), 0u);
}

// ---------------------------------------------------------------------------
// Filters, interlacing and the compressed data.

// The filter of `type` applied to scan lines of `bpp`-byte pixels.
std::string Filter(const std::vector<std::string>& rows, std::size_t bpp, const std::vector<int>& types) {
    std::string out;
    std::string prev(rows[0].size(), '\0');
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string& cur = rows[r];
        const int t = types[r % types.size()];
        out += static_cast<char>(t);
        for (std::size_t i = 0; i < cur.size(); ++i) {
            const int x = static_cast<uint8_t>(cur[i]);
            const int a = i >= bpp ? static_cast<uint8_t>(cur[i - bpp]) : 0;
            const int b = static_cast<uint8_t>(prev[i]);
            const int c = i >= bpp ? static_cast<uint8_t>(prev[i - bpp]) : 0;
            int pred = 0;
            if (t == 1) pred = a;
            if (t == 2) pred = b;
            if (t == 3) pred = (a + b) / 2;
            if (t == 4) {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            out += static_cast<char>(x - pred);
        }
        prev = cur;
    }
    return out;
}

TEST(ImagesPng, EveryFilterOnEveryPixelSize) {
    for (int colorType : {0, 2, 4, 6}) {
        for (int depth : {8, 16}) {
            const int channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
            const std::size_t bpp = static_cast<std::size_t>(channels * depth / 8);
            const uint32_t w = 37, h = 11;
            std::vector<std::string> rows;
            uint32_t seed = 12345;
            for (uint32_t y = 0; y < h; ++y) {
                std::string r;
                for (std::size_t i = 0; i < w * bpp; ++i) {
                    seed = seed * 1103515245 + 12345;
                    r += static_cast<char>((seed >> 16) & 0xFF);
                }
                rows.push_back(r);
            }
            TPng plain(w, h, depth, colorType, Unfiltered(rows));
            TAlpha plainAlpha;
            const TBMPImage expected = Decode(plain.Build(), &plainAlpha);
            TPng filtered = plain;
            filtered.lines = Filter(rows, bpp, {1, 2, 3, 4, 0, 4, 3});
            TAlpha alpha;
            const TBMPImage b = Decode(filtered.Build(), &alpha);
            EXPECT_TRUE(std::equal(b.Pixels().begin(), b.Pixels().end(), expected.Pixels().begin()))
                << colorType << "/" << depth;
            EXPECT_EQ(alpha.Mask, plainAlpha.Mask);
        }
    }
    TPng bad(1, 1, 8, 0, std::string("\x05\x01", 2));
    EXPECT_EQ(LoadError(bad.Build()), "Image is not a valid PNG.");
}

TEST(ImagesPng, ShortExcessAndDamagedImageData) {
    TPng png(3, 3, 8, 2, "");
    png.lines = Unfiltered({"abcdefghi", "jklmnopqr", "stuvwxyz0"});
    EXPECT_EQ(LoadError(png.Build()), "");
    // Too few scan lines: refused rather than shown in part.
    TPng shorter = png;
    shorter.lines.resize(shorter.lines.size() - 1);
    EXPECT_EQ(LoadError(shorter.Build()), "Image is not a valid PNG.");
    // A zlib stream cut short.
    const std::string z = Zlib(png.lines);
    const std::string head = kSignature + Chunk("IHDR", Header(3, 3, 8, 2));
    EXPECT_EQ(LoadError(head + Chunk("IDAT", z.substr(0, z.size() / 2)) + Chunk("IEND", "")),
              "Image is not a valid PNG.");
    // Not zlib at all.
    EXPECT_EQ(LoadError(head + Chunk("IDAT", "not zlib data") + Chunk("IEND", "")), "Image is not a valid PNG.");
    // More data than the image needs is ignored.
    TPng longer = png;
    longer.lines += std::string(100, 'x');
    EXPECT_EQ(Rgb(Decode(longer.Build()), 2, 2), uint32_t{'y'} << 16 | uint32_t{'z'} << 8 | '0');
    // The stream split over many IDAT chunks, some empty, with other chunks between.
    std::string split = head;
    for (char c : z) split += Chunk("IDAT", std::string(1, c)) + Chunk("IDAT", "") + Chunk("teXt", "");
    EXPECT_EQ(Rgb(Decode(split + Chunk("IEND", "")), 0, 0), 0x616263u);
}

TEST(ImagesPng, HugeDeclaredSizesAreRefusedBeforeAllocating) {
    const auto withHeader = [](uint32_t w, uint32_t h, int depth, int colorType) {
        return kSignature + Chunk("IHDR", Header(w, h, depth, colorType)) + Chunk("IDAT", Zlib(std::string(64, '\0'))) +
               Chunk("IEND", "");
    };
    EXPECT_EQ(LoadError(withHeader(0x7FFFFFFF, 0x7FFFFFFF, 16, 6)), "Image is too large");
    EXPECT_EQ(LoadError(withHeader(1u << 20, 1u << 20, 8, 0)), "Image is too large");
    EXPECT_EQ(LoadError(withHeader((1u << 20) + 1, 1, 8, 0)), "Image is too large");
    EXPECT_EQ(LoadError(withHeader(0x80000000u, 1, 8, 0)), "Image is not a valid PNG.");
    // Within the limits, but far more than a few bytes of deflate data can hold.
    EXPECT_EQ(LoadError(withHeader(30000, 30000, 8, 0)), "Image is not a valid PNG.");
    EXPECT_EQ(LoadError(withHeader(1u << 20, 256, 1, 0)), "Image is not a valid PNG.");
}

TEST(ImagesPng, InterlacedMatchesNonInterlaced) {
    // Adam7 for every depth of grey, with sizes that leave passes empty.
    for (int depth : {1, 2, 4, 8, 16}) {
        for (uint32_t size : {1u, 3u, 9u, 13u}) {
            const uint32_t w = size, h = size + 2;
            const auto sample = [&](uint32_t x, uint32_t y) { return (x * 7 + y * 13 + x * y) % (1u << std::min(depth, 8)); };
            // Pass lines packed at `depth` bits per sample.
            const auto pack = [&](const std::vector<uint32_t>& xs, uint32_t y) {
                std::string line((xs.size() * depth + 7) / 8, '\0');
                for (std::size_t i = 0; i < xs.size(); ++i) {
                    const uint32_t v = sample(xs[i], y);
                    if (depth == 16) {
                        line[2 * i] = static_cast<char>(v);
                        line[2 * i + 1] = static_cast<char>(v);
                    } else {
                        const std::size_t bit = i * depth;
                        line[bit / 8] = static_cast<char>(line[bit / 8] | v << (8 - depth - bit % 8));
                    }
                }
                return line;
            };
            std::vector<std::string> plainRows;
            for (uint32_t y = 0; y < h; ++y) {
                std::vector<uint32_t> xs;
                for (uint32_t x = 0; x < w; ++x) xs.push_back(x);
                plainRows.push_back(pack(xs, y));
            }
            std::string interlaced;
            const uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                           {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
            for (const auto& p : passes) {
                std::vector<uint32_t> xs;
                for (uint32_t x = p[0]; x < w; x += p[2]) xs.push_back(x);
                if (xs.empty()) continue;
                for (uint32_t y = p[1]; y < h; y += p[3]) interlaced += '\0' + pack(xs, y);
            }
            const TPng plain(w, h, depth, 0, Unfiltered(plainRows));
            TPng adam7 = plain;
            adam7.interlace = 1;
            adam7.lines = interlaced;
            const TBMPImage a = Decode(plain.Build()), b = Decode(adam7.Build());
            EXPECT_TRUE(std::equal(a.Pixels().begin(), a.Pixels().end(), b.Pixels().begin(), b.Pixels().end()))
                << depth << " bits, " << size;
        }
    }
}

// LoadCompressed: which images keep their data, and damaged data never kept.
TEST(ImagesPng, CompressedDataIsKeptOnlyWhenItStandsAsItIs) {
    struct TCase {
        int depth, colorType, interlace;
        bool kept;
    };
    const TCase cases[] = {
        {1, 0, 0, true},  {2, 0, 0, true},  {4, 0, 0, true},  {8, 0, 0, true},   {16, 0, 0, false},
        {8, 2, 0, true},  {16, 2, 0, false}, {1, 3, 0, true},  {2, 3, 0, true},   {4, 3, 0, true},
        {8, 3, 0, true},  {8, 4, 0, false}, {8, 6, 0, false}, {8, 2, 1, false},  {1, 0, 1, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.depth) + " bits, type " + std::to_string(c.colorType));
        const uint32_t w = 5, h = 3;
        const int channels = c.colorType == 2 ? 3 : c.colorType == 4 ? 2 : c.colorType == 6 ? 4 : 1;
        const std::size_t lineBytes = (std::size_t{w} * channels * c.depth + 7) / 8;
        std::string lines;
        if (c.interlace) {
            // Adam7 lines of a 5 x 3 image: passes 1, 2 (empty), 3 (empty),
            // 4, 5 (empty), 6, 7, each line as long as its pixels need.
            const uint32_t counts[][2] = {{1, 1}, {1, 1}, {2, 2}, {3, 1}};  // pixels per line, lines
            for (const auto& p : counts)
                for (uint32_t k = 0; k < p[1]; ++k)
                    lines.append(1, '\0').append((std::size_t{p[0]} * channels * c.depth + 7) / 8, 'A');
        } else {
            for (uint32_t y = 0; y < h; ++y) lines.append(1, static_cast<char>(y % 5)).append(lineBytes, 'A');
        }
        TPng png(w, h, c.depth, c.colorType, lines, c.interlace);
        if (c.colorType == 3) png.before.push_back(Chunk("PLTE", Bytes({10, 20, 30, 40, 50, 60})));
        const std::string file = png.Build();
        TqzPNGImage reader;
        const bool kept = reader.LoadCompressed(Span(file));
        EXPECT_EQ(kept, c.kept);
        if (kept) {
            EXPECT_EQ(reader.Width(), w);
            // The stored zlib stream, exactly, and nothing decoded.
            EXPECT_EQ(reader.ImageData(), Zlib(lines));
            EXPECT_EQ(reader.PaletteEntries().size(), c.colorType == 3 ? 2u : 0u);
        }
        // Over the file's own bytes, the data in one IDAT chunk or in
        // several, which are joined in place.
        for (std::size_t pieces : {1, 3}) {
            png.pieces = pieces;
            std::string data;
            const std::string error = LoadError(png.Build());
            const std::string decoded = error.empty() ? "decoded" : error;
            EXPECT_EQ(KeepingData(png.Build(), true, &data), c.kept ? "kept" : decoded);
            if (c.kept) {
                EXPECT_EQ(data, Zlib(lines));
            }
            EXPECT_EQ(KeepingData(png.Build(), false), decoded);
        }
    }

    // Damaged data is not kept: what LoadFromStream says of it stands.
    TPng good(3, 2, 8, 2, Unfiltered({"abcdefghi", "jklmnopqr"}));
    const std::string head = kSignature + Chunk("IHDR", Header(3, 2, 8, 2));
    const std::string z = Zlib(good.lines);
    std::string badAdler = z;
    badAdler.back() = static_cast<char>(badAdler.back() ^ 1);
    TPng badFilter = good;
    badFilter.lines[10] = '\x05';
    TPng extra = good;
    extra.lines += std::string(10, '\0');
    TPng shorter = good;
    shorter.lines.pop_back();
    struct TDamage {
        const char* what;
        std::string file;
        const char* error;  // of LoadFromStream; null: whichever zlib reaches
    };
    const TDamage damaged[] = {
        {"filter type 5", badFilter.Build(), "Image is not a valid PNG."},
        {"a line too few", shorter.Build(), "Image is not a valid PNG."},
        {"not zlib", head + Chunk("IDAT", "not zlib data") + Chunk("IEND", ""), "Image is not a valid PNG."},
        {"stream cut short", head + Chunk("IDAT", z.substr(0, z.size() - 3)) + Chunk("IEND", ""), ""},
        {"wrong checksum", head + Chunk("IDAT", badAdler) + Chunk("IEND", ""), nullptr},
        {"data after the stream", head + Chunk("IDAT", z + "xx") + Chunk("IEND", ""), ""},
        {"more lines than the image", extra.Build(), ""},
    };
    for (const TDamage& d : damaged) {
        SCOPED_TRACE(d.what);
        TqzPNGImage reader;
        EXPECT_FALSE(reader.LoadCompressed(Span(d.file)));
        if (d.error) {
            EXPECT_EQ(LoadError(d.file), d.error);
        }
        // Decoded from the data joined in place, as from the file.
        const std::string error = LoadError(d.file);
        EXPECT_EQ(KeepingData(d.file, true), error.empty() ? "decoded" : error);
    }
    // Errors of the chunks are raised as LoadFromStream raises them.
    std::string badCrc = good.Build();
    badCrc[head.size() + 10] = static_cast<char>(badCrc[head.size() + 10] ^ 0x40);
    TqzPNGImage reader;
    try {
        reader.LoadCompressed(Span(badCrc));
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Invalid CRC in PNG image.");
    }
    EXPECT_EQ(KeepingData(badCrc, true), "Invalid CRC in PNG image.");
}

// ---------------------------------------------------------------------------
// End to end.

TEST(ImagesPngEndToEnd, ImagesCommandRendersThePixels) {
    if (!HavePython("PIL.Image, numpy")) GTEST_SKIP() << "/usr/bin/python3 with PIL and numpy is not installed";
    test::TempDir dir;
    // An RGB photo-like image, an interlaced palette image and a grey one,
    // written by Pillow.
    const auto r = RunCommand(
        "cd " + ShellQuote(dir.Path().string()) +
        " && /usr/bin/python3 -c \"\n"
        "from PIL import Image\n"
        "import numpy as np\n"
        "y, x = np.mgrid[0:48, 0:64]\n"
        "rgb = np.stack([(x * 4) % 256, (y * 5) % 256, (x * y) % 256], -1).astype(np.uint8)\n"
        "Image.fromarray(rgb).save('rgb.png')\n"
        "Image.fromarray(rgb).convert('P', palette=Image.ADAPTIVE, colors=16).save('pal.png', interlace=1)\n"
        "Image.fromarray(((x + y) * 2).astype(np.uint8)).save('grey.png')\n"
        "\"");
    ASSERT_EQ(r.status, 0) << r.output;
    for (const std::string name : {"rgb", "pal", "grey"}) {
        SCOPED_TRACE(name);
        const auto run = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                    " images -o " + name + ".pdf " + name + ".png");
        ASSERT_EQ(run.status, 0) << run.output;
        ASSERT_TRUE(test::QpdfCheck(dir / (name + ".pdf")));
        const TBMPImage b = Decode(test::ReadFile(dir / (name + ".png")));
        // Four times the image's 72 dpi: each pixel a 4 x 4 block, copied
        // without smoothing; its centre is compared.
        const test::Raster page = test::RenderPage(dir / (name + ".pdf"), 1, 288);
        ASSERT_EQ(page.width, static_cast<int>(4 * b.Width()));
        ASSERT_EQ(page.height, static_cast<int>(4 * b.Height()));
        int mismatches = 0;
        for (uint32_t y = 0; y < b.Height(); ++y)
            for (uint32_t x = 0; x < b.Width(); ++x)
                if (page.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2)) != Rgb(b, x, y)) ++mismatches;
        EXPECT_EQ(mismatches, 0);
    }
    // A refused file writes nothing and reports the reader's message.
    test::WriteFile(dir / "bad.png", kSignature + "broken");
    const auto bad = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                " images -o bad.pdf bad.png");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("Image is not a valid PNG."), std::string::npos) << bad.output;
    EXPECT_FALSE(fs::exists(dir / "bad.pdf"));
}


// "vellumark images" keeps the image data of the PNG files whose pixels need
// no change and decodes the rest; both ways the pages show the same pixels,
// those Pillow reads. Scripts never keep it.
TEST(ImagesPngEndToEnd, KeptImageDataShowsWhatDecodingShows) {
    if (!HavePython("PIL.Image, numpy")) GTEST_SKIP() << "/usr/bin/python3 with PIL and numpy is not installed";
    test::TempDir dir;
    // Pillow writes the 8-bit and palette files (its filters vary by line);
    // the grey files of 2 and 4 bits are written here with Sub, Up, Average
    // and Paeth lines.
    const auto made = RunCommand(
        "cd " + ShellQuote(dir.Path().string()) +
        " && /usr/bin/python3 -c \"\n"
        "from PIL import Image\n"
        "import numpy as np, zlib, struct\n"
        "y, x = np.mgrid[0:30, 0:45]\n"
        "rgb = np.stack([(x * 6) % 256, (y * 9) % 256, (x * y) % 256], -1).astype(np.uint8)\n"
        "im = Image.fromarray(rgb)\n"
        "im.save('rgb.png')\n"
        "Image.fromarray(((x * 3 + y * 5) % 256).astype(np.uint8)).save('grey8.png')\n"
        "Image.fromarray(((x + y) % 3 == 0)).save('grey1.png')\n"
        "Image.fromarray(((x * 1000 + y * 77) % 65536).astype(np.uint16)).save('grey16.png')\n"
        "im.convert('RGBA').save('rgba.png')\n"
        "for bits, n in ((1, 2), (2, 4), (4, 16), (8, 200)):\n"
        "    im.quantize(n).save('pal%d.png' % bits, bits=bits)\n"
        "g = Image.fromarray(((x * 5) % 256).astype(np.uint8)).convert('P')\n"
        "g.putpalette([v for i in range(256) for v in (i, i, i)])\n"
        "g.save('palgrey.png')\n"
        "t = im.quantize(16)\n"
        "t.save('paltrns.png', bits=4, transparency=3)\n"
        "def grey(name, depth):\n"
        "    w, h = 45, 30\n"
        "    v = (x * 7 + y * 3) % (1 << depth)\n"
        "    rows = [np.packbits(np.unpackbits(v[r].astype(np.uint8)[:, None], axis=1)[:, 8 - depth:]).tobytes() for r in range(h)]\n"
        "    bpp, out, prev = 1, b'', bytes(len(rows[0]))\n"
        "    for r, line in enumerate(rows):\n"
        "        f = r % 5\n"
        "        enc = bytearray(line)\n"
        "        for i in range(len(line)):\n"
        "            a = line[i - bpp] if i >= bpp else 0\n"
        "            b = prev[i]\n"
        "            c = prev[i - bpp] if i >= bpp else 0\n"
        "            p = a + b - c\n"
        "            pr = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c\n"
        "            enc[i] = (line[i] - (0, a, b, (a + b) // 2, pr)[f]) % 256\n"
        "        out += bytes([f]) + bytes(enc)\n"
        "        prev = line\n"
        "    chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))\n"
        "    open(name, 'wb').write(b'\\\\x89PNG\\\\r\\\\n\\\\x1a\\\\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, depth, 0, 0, 0, 0))"
        " + chunk(b'IDAT', zlib.compress(out)) + chunk(b'IEND', b''))\n"
        "grey('grey2.png', 2)\n"
        "grey('grey4.png', 4)\n"
        "\"");
    ASSERT_EQ(made.status, 0) << made.output;
    struct TCase {
        const char* name;
        const char* options;
        bool kept;
    };
    const TCase cases[] = {
        {"rgb", "", true},        {"grey8", "", true},     {"grey2", "", true},    {"grey4", "", true},
        {"grey1", "--bw zip", true}, {"grey1", "", false},  {"pal1", "", true},     {"pal2", "", true},
        {"pal4", "", true},       {"pal8", "", true},      {"palgrey", "", true},  {"paltrns", "", false},
        {"rgb", "--rgb none", false}, {"grey16", "", false},  {"rgba", "", false},
    };
    const auto images = [&](const std::string& args) {
        return RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) + " images " +
                          args);
    };
    for (const TCase& c : cases) {
        const std::string name = c.name, options = c.options;
        SCOPED_TRACE(name + " " + options);
        auto run = images(options + " -o kept.pdf " + name + ".png");
        ASSERT_EQ(run.status, 0) << run.output;
        run = images(options + " --no-png-passthrough -o decoded.pdf " + name + ".png");
        ASSERT_EQ(run.status, 0) << run.output;
        ASSERT_TRUE(test::QpdfCheck(dir / "kept.pdf"));
        ASSERT_TRUE(test::QpdfCheck(dir / "decoded.pdf"));
        EXPECT_EQ(test::ReadFile(dir / "kept.pdf").find("/Predictor 15") != std::string::npos, c.kept);
        EXPECT_EQ(test::ReadFile(dir / "decoded.pdf").find("/Predictor"), std::string::npos);
        // Four times the image's 72 dpi: each pixel a 4 x 4 block.
        const test::Raster kept = test::RenderPage(dir / "kept.pdf", 1, 288);
        const test::Raster decoded = test::RenderPage(dir / "decoded.pdf", 1, 288);
        ASSERT_EQ(kept.width, 4 * 45);
        ASSERT_EQ(kept.height, 4 * 30);
        EXPECT_TRUE(kept.rgb == decoded.rgb);
        // Transparency is merged over white, which Pillow's RGB does not show.
        if (name == "grey16" || name == "rgba" || name == "paltrns") continue;
        const std::string pillow = test::PillowRGB(dir / (name + ".png"));
        ASSERT_EQ(pillow.size(), 45u * 30u * 3u);
        int mismatches = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 45; ++x) {
                const std::size_t i = 3 * static_cast<std::size_t>(y * 45 + x);
                const uint32_t want = uint32_t{static_cast<uint8_t>(pillow[i])} << 16 |
                                      uint32_t{static_cast<uint8_t>(pillow[i + 1])} << 8 |
                                      static_cast<uint8_t>(pillow[i + 2]);
                if (kept.At(4 * x + 2, 4 * y + 2) != want) ++mismatches;
            }
        EXPECT_EQ(mismatches, 0);
    }
    // A script adds the same file decoded.
    test::WriteFile(dir / "s.vbs",
                    "Set D = CreateObject(\"VellumarkX.PDFDoc\")\n"
                    "D.AddPage 0\n"
                    "D.ApplyResource 1, D.AddImageFile(\"rgb.png\")\n"
                    "D.SaveToFile \"script\"\n");
    const auto script = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                   " run s.vbs");
    ASSERT_EQ(script.status, 0) << script.output;
    ASSERT_TRUE(test::QpdfCheck(dir / "script.pdf"));
    EXPECT_EQ(test::ReadFile(dir / "script.pdf").find("/Predictor"), std::string::npos);
}

}  // namespace
}  // namespace vellumark
