// TTIFImage on files written by libtiff's tools, ImageMagick and Pillow,
// decoded pixel for pixel against libtiff (tiff2rgba) and Pillow; and TIFF
// pages through the engine: page selection, ImageCount and the Group 4
// pass-through. JPEG pages are compared with Pillow, whose libtiff decodes
// them through the same libjpeg with the same settings: exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/TIFImage.h"
#include "engine/Vellumark.h"

namespace vellumark {
namespace {

using namespace vellumark::test;
namespace fs = std::filesystem;

const char* const kPython = "/usr/bin/python3";



bool HaveLibtiffTools() {
    static const bool have = HasTool("tiffcp") && HasTool("tiff2rgba") && HasTool("ppm2tiff");
    return have;
}

std::vector<uint8_t> Bytes(const fs::path& p) {
    const std::string s = ReadFile(p);
    return {s.begin(), s.end()};
}

void Shell(const std::string& command) {
    const CommandResult r = RunCommand(command);
    ASSERT_EQ(r.status, 0) << command << "\n" << r.output;
}

// Pictures with a bit of everything: gradients, noise, sharp edges, odd
// sizes. rgb.ppm (37 x 29), gray.pgm and bw.pbm from it, and wide.ppm (a
// strip-size-straddling 301 x 45).
void MakePictures(const TempDir& dir) {
    const std::string script = R"(
import sys, numpy as np
from PIL import Image
rng = np.random.default_rng(5)
def picture(w, h):
    y, x = np.mgrid[0:h, 0:w]
    r = (x * 255 // max(w - 1, 1))
    g = (y * 255 // max(h - 1, 1))
    b = ((x * y) % 256)
    a = np.stack([r, g, b], -1).astype(np.int32) + rng.integers(-30, 30, (h, w, 3))
    a[h // 3: h // 2, :, :] = [250, 10, 128]
    return Image.fromarray(np.clip(a, 0, 255).astype(np.uint8), 'RGB')
d = sys.argv[1]
p = picture(37, 29)
p.save(d + '/rgb.ppm')
p.convert('L').save(d + '/gray.pgm')
p.convert('L').point(lambda v: 255 if v > 110 else 0).convert('1').save(d + '/bw.pbm')
picture(301, 45).save(d + '/wide.ppm')
picture(301, 45).convert('L').point(lambda v: 255 if v > 110 else 0).convert('1').save(d + '/widebw.pbm')
)";
    WriteFile(dir / "make.py", script);
    Shell(std::string(kPython) + " " + ShellQuote((dir / "make.py").string()) + " " + ShellQuote(dir.Path().string()));
}

// Page `page` (1-based) of `file` as libtiff decodes it: 0xRRGGBB per pixel.
std::vector<uint32_t> Libtiff(const TempDir& dir, const fs::path& file, int page = 1) {
    const fs::path one = dir / "page.tif", rgba = dir / "rgba.tif", raw = dir / "rgba.raw";
    Shell("tiffcp -c none -f msb2lsb " + ShellQuote(file.string() + "," + std::to_string(page - 1)) + " " + ShellQuote(one.string()));
    Shell("tiff2rgba -c none " + ShellQuote(one.string()) + " " + ShellQuote(rgba.string()));
    // tiff2rgba writes an uncompressed RGBA strip: take it with Pillow.
    Shell(std::string(kPython) + " -c \"from PIL import Image; import sys; " +
        "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('RGB').tobytes())\" " +
        ShellQuote(rgba.string()) + " " + ShellQuote(raw.string()));
    const std::string s = ReadFile(raw);
    std::vector<uint32_t> out;
    for (std::size_t i = 0; i + 2 < s.size(); i += 3)
        out.push_back(uint32_t(uint8_t(s[i])) << 16 | uint32_t(uint8_t(s[i + 1])) << 8 | uint8_t(s[i + 2]));
    return out;
}

// The same by Pillow.
std::vector<uint32_t> Pillow(const TempDir& dir, const fs::path& file, int page = 1) {
    const fs::path raw = dir / "pil.raw";
    Shell(std::string(kPython) + " -c \"from PIL import Image; import sys; im = Image.open(sys.argv[1]); " +
        "im.seek(int(sys.argv[3])); open(sys.argv[2], 'wb').write(im.convert('RGB').tobytes())\" " +
        ShellQuote(file.string()) + " " + ShellQuote(raw.string()) + " " + std::to_string(page - 1));
    const std::string s = ReadFile(raw);
    std::vector<uint32_t> out;
    for (std::size_t i = 0; i + 2 < s.size(); i += 3)
        out.push_back(uint32_t(uint8_t(s[i])) << 16 | uint32_t(uint8_t(s[i + 1])) << 8 | uint8_t(s[i + 2]));
    return out;
}

TBMPImage Ours(const fs::path& file, int page = 1) {
    TTIFImage t;
    t.PageNumber = page;
    t.LoadFromStream(Bytes(file));
    TBMPImage b;
    t.AssignTo(b);
    return b;
}

std::vector<uint32_t> Colours(TBMPImage b) {
    b.ConvertTo24Bit();
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < b.Height(); ++y) {
        const uint8_t* r = b.Row(y);
        for (uint32_t x = 0; x < b.Width(); ++x)
            out.push_back(uint32_t{r[3 * x + 2]} << 16 | uint32_t{r[3 * x + 1]} << 8 | r[3 * x]);
    }
    return out;
}

// Index of the first differing pixel, for messages.
std::string FirstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "pixel %zu: %06X against %06X", i, a[i], b[i]);
            return buf;
        }
    return "";
}

// Sixteen-bit gray as Pillow reads its samples, reduced to 8 bits as
// (v + 128) / 257 and complemented for MinIsWhite.
std::vector<uint32_t> Pillow16(const TempDir& dir, const fs::path& file) {
    const fs::path raw = dir / "pil16.raw";
    Shell(std::string(kPython) + " -c \"from PIL import Image; import sys, numpy as np; im = Image.open(sys.argv[1]); " +
        "v = (np.asarray(im).astype(np.int64) + 128) // 257; v = 255 - v if im.tag_v2[262] == 0 else v; " +
        "open(sys.argv[2], 'wb').write(v.astype(np.uint8).tobytes())\" " + ShellQuote(file.string()) + " " +
        ShellQuote(raw.string()));
    const std::string s = ReadFile(raw);
    std::vector<uint32_t> out;
    for (char c : s) out.push_back(uint32_t(uint8_t(c)) * 0x010101u);
    return out;
}

// Decodes `file` and compares with `ref`; also that the bitmap has `bpp`.
void ExpectPixels(const fs::path& file, int bpp, int page, const std::vector<uint32_t>& ref) {
    SCOPED_TRACE(file.filename().string() + " page " + std::to_string(page));
    TBMPImage ours;
    try {
        ours = Ours(file, page);
    } catch (const EInvalidGraphic& e) {
        FAIL() << e.what();
    }
    EXPECT_EQ(ours.BitsPerPixel(), bpp);
    const auto got = Colours(ours);
    EXPECT_TRUE(got == ref) << FirstDifference(got, ref);
}

void ExpectLikeLibtiff(const TempDir& dir, const fs::path& file, int bpp, int page = 1) {
    ExpectPixels(file, bpp, page, Libtiff(dir, file, page));
}
void ExpectLikePillow(const TempDir& dir, const fs::path& file, int bpp) {
    ExpectPixels(file, bpp, 1, Pillow(dir, file));
}

class ImagesTiffTools : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveLibtiffTools()) GTEST_SKIP() << "libtiff-tools (tiffcp, tiff2rgba, ppm2tiff) not installed";
        if (!HavePython("PIL.Image, numpy")) GTEST_SKIP() << "python3 with PIL and numpy not installed";
        MakePictures(dir);
    }
    fs::path P(const std::string& name) const { return dir / name; }
    std::string Q(const std::string& name) const { return ShellQuote(P(name).string()); }
    TempDir dir;
};

TEST_F(ImagesTiffTools, UncompressedLzwAndPackBitsFromPpm2tiff) {
    for (const char* c : {"none", "lzw", "lzw:2", "packbits"}) {
        for (const char* src : {"rgb.ppm", "gray.pgm", "bw.pbm", "wide.ppm", "widebw.pbm"}) {
            const std::string name = std::string(src) + "." + c + ".tif";
            Shell(std::string("ppm2tiff -c ") + c + " -r 7 " + Q(src) + " " + Q(name));
            const std::string s = src;
            if (s.find("bw") != std::string::npos && std::string(c) == "lzw:2") {
                // Differencing of 1-bit samples: libtiff refuses it, and so do we.
                EXPECT_THROW(Ours(P(name)), EInvalidGraphic);
                continue;
            }
            ExpectLikeLibtiff(dir, P(name), s.find("bw") != std::string::npos ? 1 : s[0] == 'g' ? 8 : 24);
        }
    }
}

TEST_F(ImagesTiffTools, StripsByteOrderAndPlanesFromTiffcp) {
    Shell("ppm2tiff -c none " + Q("wide.ppm") + " " + Q("wide.tif"));
    Shell("ppm2tiff -c none " + Q("gray.pgm") + " " + Q("gray.tif"));
    struct TCase {
        const char* options;
        const char* source;
        int bpp;
    };
    const TCase cases[] = {
        {"-c none -r 1", "wide.tif", 24},         {"-c lzw:2 -r 4", "wide.tif", 24},
        {"-c lzw -B", "wide.tif", 24},            {"-c lzw:2 -B -r 3", "wide.tif", 24},
        {"-c packbits -L -r 10", "wide.tif", 24}, {"-c none -p separate", "wide.tif", 24},
        {"-c lzw:2 -p separate -r 5", "wide.tif", 24}, {"-c packbits -p separate -B", "wide.tif", 24},
        {"-c lzw:2 -B", "gray.tif", 8},           {"-c packbits -r 2", "gray.tif", 8},
    };
    for (const TCase& c : cases) {
        const std::string name = std::string("t") + std::to_string(&c - cases) + ".tif";
        Shell(std::string("tiffcp ") + c.options + " " + Q(c.source) + " " + Q(name));
        ExpectLikeLibtiff(dir, P(name), c.bpp);
    }
}

TEST_F(ImagesTiffTools, BilevelFillOrderAndPhotometric) {
    Shell("ppm2tiff -c none " + Q("widebw.pbm") + " " + Q("bw.tif"));
    // ppm2tiff writes MinIsWhite bilevel pages; -f lsb2msb stores the bits of
    // each byte in reverse.
    for (const char* options : {"-c none", "-c none -f lsb2msb", "-c lzw -f lsb2msb -r 6", "-c packbits -f lsb2msb"}) {
        const std::string name = std::string("bw") + std::to_string(std::string(options).size()) + ".tif";
        Shell(std::string("tiffcp ") + options + " " + Q("bw.tif") + " " + Q(name));
        ExpectLikeLibtiff(dir, P(name), 1);
    }
    // BlackIsZero from Pillow.
    Shell(std::string(kPython) + " -c \"from PIL import Image; import sys; Image.open(sys.argv[1]).save(sys.argv[2])\" " +
        Q("widebw.pbm") + " " + Q("black0.tif"));
    ExpectLikeLibtiff(dir, P("black0.tif"), 1);
}

TEST_F(ImagesTiffTools, PaletteGrayAlphaCmykAndSixteenBitsFromPillowAndImageMagick) {
    const std::string script = R"(
import sys
from PIL import Image
d = sys.argv[1]
p = Image.open(d + '/rgb.ppm')
p.convert('P', palette=Image.ADAPTIVE, colors=256).save(d + '/pal8.tif')
p.convert('P', palette=Image.ADAPTIVE, colors=256).save(d + '/pal8lzw.tif', compression='tiff_lzw')
p.convert('P', palette=Image.ADAPTIVE, colors=16).save(d + '/pal4.tif')
p.convert('P', palette=Image.ADAPTIVE, colors=2).save(d + '/pal1.tif')
p.convert('CMYK').save(d + '/cmyk.tif')
p.convert('CMYK').save(d + '/cmyklzw.tif', compression='tiff_lzw')
p.convert('LA').save(d + '/la.tif')
p.convert('LA').save(d + '/lapb.tif', compression='packbits')
p.convert('L').save(d + '/l.tif', compression='tiff_lzw')
)";
    WriteFile(dir / "pil.py", script);
    Shell(std::string(kPython) + " " + Q("pil.py") + " " + ShellQuote(dir.Path().string()));
    for (const char* f : {"pal8.tif", "pal8lzw.tif"}) ExpectLikeLibtiff(dir, P(f), 8);
    ExpectLikeLibtiff(dir, P("pal4.tif"), 8);  // Pillow stores 16 colours in 8 bits
    ExpectLikeLibtiff(dir, P("l.tif"), 8);
    for (const char* f : {"la.tif", "lapb.tif"}) {
        // libtiff composites the alpha; Pillow's gray is the reference.
        SCOPED_TRACE(f);
        const auto got = Colours(Ours(P(f)));
        const auto ref = Pillow(dir, P(f));
        EXPECT_TRUE(got == ref) << FirstDifference(got, ref);
    }
    {
        const TBMPImage b = Ours(P("pal1.tif"));
        EXPECT_TRUE(b.BitsPerPixel() == 1 || b.BitsPerPixel() == 8);
        const auto got = Colours(b);
        const auto ref = Pillow(dir, P("pal1.tif"));
        EXPECT_TRUE(got == ref) << FirstDifference(got, ref);
    }
    // CMYK: Pillow's conversion exactly; libtiff truncates where we round.
    for (const char* f : {"cmyk.tif", "cmyklzw.tif"}) {
        SCOPED_TRACE(f);
        const auto got = Colours(Ours(P(f)));
        const auto ref = Pillow(dir, P(f));
        EXPECT_TRUE(got == ref) << FirstDifference(got, ref);
        const auto lib = Libtiff(dir, P(f));
        ASSERT_EQ(lib.size(), got.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            for (int shift : {0, 8, 16}) {
                const int a = (got[i] >> shift) & 0xFF, b = (lib[i] >> shift) & 0xFF;
                ASSERT_LE(std::abs(a - b), 1) << i;
            }
    }
    if (!HasTool("convert")) GTEST_SKIP() << "ImageMagick (convert) not installed";
    // Sixteen bits per sample, contiguous and planar, both byte orders.
    Shell("convert " + Q("wide.ppm") + " -depth 16 -compress none " + Q("rgb16.tif"));
    ExpectLikeLibtiff(dir, P("rgb16.tif"), 24);
    Shell("convert " + Q("wide.ppm") + " -depth 16 -interlace plane -compress none " + Q("rgb16sep.tif"));
    ExpectLikeLibtiff(dir, P("rgb16sep.tif"), 24);
    Shell("convert " + Q("wide.ppm") + " -depth 16 -define tiff:endian=msb -compress none " + Q("rgb16be.tif"));
    ExpectLikeLibtiff(dir, P("rgb16be.tif"), 24);
    // Palettes of 4 and 1 bits, grayscale of 4 bits.
    Shell("convert " + Q("rgb.ppm") + " -colors 16 -type Palette -depth 4 -compress none " + Q("impal4.tif"));
    ExpectLikeLibtiff(dir, P("impal4.tif"), 4);
    Shell("convert " + Q("rgb.ppm") + " -colors 16 -type Palette -depth 4 -compress lzw " + Q("impal4lzw.tif"));
    ExpectLikeLibtiff(dir, P("impal4lzw.tif"), 4);
    Shell("convert " + Q("rgb.ppm") + " -colors 2 -type Palette -depth 1 -compress none " + Q("impal1.tif"));
    ExpectLikeLibtiff(dir, P("impal1.tif"), 1);
    Shell("convert " + Q("wide.ppm") + " -colorspace gray -depth 4 -compress lzw " + Q("gray4.tif"));
    ExpectLikeLibtiff(dir, P("gray4.tif"), 4);
    Shell("tiffcp -c packbits " + Q("gray4.tif") + " " + Q("gray4pb.tif"));
    ExpectLikeLibtiff(dir, P("gray4pb.tif"), 4);
    Shell("convert " + Q("wide.ppm") + " -depth 16 -compress lzw " + Q("rgb16lzw.tif"));
    ExpectLikeLibtiff(dir, P("rgb16lzw.tif"), 24);
    // ImageMagick's own CMYK and planar writing.
    Shell("convert " + Q("rgb.ppm") + " -colorspace CMYK -compress lzw " + Q("imcmyk.tif"));
    {
        const auto got = Colours(Ours(P("imcmyk.tif")));
        const auto ref = Pillow(dir, P("imcmyk.tif"));
        EXPECT_TRUE(got == ref) << FirstDifference(got, ref);
    }
    Shell("convert " + Q("wide.ppm") + " -interlace plane -compress zip -compress lzw " + Q("implane.tif"));
    ExpectLikeLibtiff(dir, P("implane.tif"), 24);
}

TEST_F(ImagesTiffTools, CcittPagesFromTiffcpAndFax2tiff) {
    Shell("ppm2tiff -c none " + Q("widebw.pbm") + " " + Q("bw.tif"));
    Shell("ppm2tiff -c none " + Q("bw.pbm") + " " + Q("bwsmall.tif"));
    struct TCase {
        const char* options;
        const char* name;
    };
    const TCase cases[] = {
        {"-c g3", "g3.tif"},       {"-c g3:2d", "g32d.tif"},         {"-c g3:2d:fill", "g32dfill.tif"},
        {"-c g4", "g4.tif"},       {"-c g4 -r 5", "g4strips.tif"},   {"-c g4 -f lsb2msb", "g4lsb.tif"},
        {"-c g3 -r 7 -f lsb2msb", "g3lsb.tif"}, {"-c g4 -B", "g4be.tif"},
    };
    for (const TCase& c : cases) {
        Shell(std::string("tiffcp ") + c.options + " " + Q("bw.tif") + " " + Q(c.name));
        ExpectLikeLibtiff(dir, P(c.name), 1);
    }
    // Modified Huffman (compression 2) by fax2tiff from raw Group 3 data.
    if (HasTool("fax2tiff")) {
        Shell("tiffcp -c g3 " + Q("bw.tif") + " " + Q("g3one.tif"));
        // The raw strip of a one-strip page: its offset and size from tiffdump-like reading below.
        TTIFImage t;
        t.LoadFromStream(Bytes(P("g3one.tif")));
        ASSERT_EQ(t.StripCount(), 1u);
        const auto& raw = t.StripBytes();
        WriteFile(dir / "page.g3", std::string(raw.begin(), raw.end()));
        Shell("fax2tiff -M -X 301 -o " + Q("mh.tif") + " -1 " + Q("page.g3"));
        Shell("fax2tiff -X 301 -o " + Q("mh2.tif") + " -1 -4 " + Q("page.g3") + " 2>/dev/null || true");
        ExpectLikeLibtiff(dir, P("mh.tif"), 1);
    }
}

TEST_F(ImagesTiffTools, DeflateTilesAndFillOrderFromTiffcp) {
    Shell("ppm2tiff -c none " + Q("wide.ppm") + " " + Q("wide.tif"));
    Shell("ppm2tiff -c none " + Q("gray.pgm") + " " + Q("gray.tif"));
    Shell("ppm2tiff -c none " + Q("widebw.pbm") + " " + Q("bw.tif"));
    struct TCase {
        const char* options;
        const char* source;
        int bpp;
    };
    // Tiles of 256 x 256 (tiffcp's own) overhang the image on the right and
    // at the bottom; the smaller ones leave partial tiles there.
    const TCase cases[] = {
        {"-c zip", "wide.tif", 24},
        {"-c zip:2 -r 7", "wide.tif", 24},
        {"-c zip:2 -B", "gray.tif", 8},
        {"-c none -t", "wide.tif", 24},
        {"-c lzw:2 -t -w 32 -l 16", "wide.tif", 24},
        {"-c zip:2 -t -w 48 -l 32 -B", "wide.tif", 24},
        {"-c zip -p separate -t -w 32 -l 16", "wide.tif", 24},
        {"-c packbits -t -w 16 -l 16", "gray.tif", 8},
        {"-c g4 -t -w 64 -l 16", "bw.tif", 1},
        {"-c g3:2d -t -w 32 -l 32 -f lsb2msb", "bw.tif", 1},
        {"-c zip -t -w 16 -l 16 -f lsb2msb", "bw.tif", 1},
    };
    for (const TCase& c : cases) {
        const std::string name = std::string("t") + std::to_string(&c - cases) + ".tif";
        Shell(std::string("tiffcp ") + c.options + " " + Q(c.source) + " " + Q(name));
        ExpectLikeLibtiff(dir, P(name), c.bpp);
    }
    // Deflate under its older number, 32946.
    Shell("tiffcp -c zip:2 " + Q("wide.tif") + " " + Q("deflate.tif") + " && tiffset -s 259 32946 " + Q("deflate.tif"));
    ASSERT_EQ(Ours(P("deflate.tif")).Width(), 301u);
    TTIFImage t;
    t.LoadFromStream(Bytes(P("deflate.tif")));
    EXPECT_EQ(t.Compression(), 32946);
    ExpectLikeLibtiff(dir, P("deflate.tif"), 24);

    // Fill order 2 at 4 bits (gray and palette) and 1 bit (palette).
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick (convert) not installed";
    Shell("convert " + Q("wide.ppm") + " -colorspace gray -depth 4 -compress none " + Q("gray4.tif"));
    Shell("convert " + Q("wide.ppm") + " -colors 16 -type Palette -depth 4 -compress none " + Q("pal4.tif"));
    Shell("convert " + Q("wide.ppm") + " -colors 2 -type Palette -depth 1 -compress none " + Q("pal1.tif"));
    for (const char* options : {"-c none -f lsb2msb", "-c lzw -f lsb2msb -r 3", "-c zip -f lsb2msb -t -w 16 -l 16",
                                "-c packbits -f lsb2msb -t -w 32 -l 16"}) {
        for (const char* source : {"gray4.tif", "pal4.tif", "pal1.tif"}) {
            const std::string name = std::string("f") + std::to_string(std::string(options).size()) + source;
            Shell(std::string("tiffcp ") + options + " " + Q(source) + " " + Q(name));
            ExpectLikeLibtiff(dir, P(name), source == std::string("pal1.tif") ? 1 : 4);
        }
    }
}

TEST_F(ImagesTiffTools, SixteenBitsAnyCompression) {
    // Gray from Pillow (MinIsBlack), made MinIsWhite by tiffset; compared
    // with the samples Pillow reads, reduced as (v + 128) / 257. libtiff's
    // own 16-bit gray reduction takes the high byte.
    const std::string script = R"(
import sys, numpy as np
from PIL import Image
d = sys.argv[1]
g = np.asarray(Image.open(d + '/wide.ppm').convert('L')).astype(np.uint16) * 257
g = g + np.arange(g.size, dtype=np.uint16).reshape(g.shape) % 200
Image.fromarray(g, 'I;16').save(d + '/gray16.tif')
)";
    WriteFile(dir / "g16.py", script);
    Shell(std::string(kPython) + " " + Q("g16.py") + " " + ShellQuote(dir.Path().string()));
    const char* const options[] = {"-c none", "-c lzw:2", "-c zip:2 -t -w 32 -l 16", "-c packbits -B -t", "-c lzw:2 -B -r 5"};
    for (const char* o : options) {
        const std::string name = std::string("g") + std::to_string(std::string(o).size()) + ".tif";
        Shell(std::string("tiffcp ") + o + " " + Q("gray16.tif") + " " + Q(name));
        ExpectPixels(P(name), 8, 1, Pillow16(dir, P(name)));
        if (std::string(o).find("-B") != std::string::npos) continue;  // Pillow does not read these MinIsWhite
        Shell("tiffset -s 262 0 " + Q(name));
        ExpectPixels(P(name), 8, 1, Pillow16(dir, P(name)));
    }
    // RGB: libtiff reduces as we do.
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick (convert) not installed";
    Shell("convert " + Q("wide.ppm") + " -depth 16 -compress none " + Q("rgb16.tif"));
    for (const char* o : options) {
        const std::string name = std::string("c") + std::to_string(std::string(o).size()) + ".tif";
        Shell(std::string("tiffcp ") + o + " " + Q("rgb16.tif") + " " + Q(name));
        ExpectLikeLibtiff(dir, P(name), 24);
    }
}

TEST_F(ImagesTiffTools, JpegPagesFromTiffcpAndPillow) {
    Shell("ppm2tiff -c none " + Q("wide.ppm") + " " + Q("wide.tif"));
    Shell("ppm2tiff -c none " + Q("gray.pgm") + " " + Q("gray.tif"));
    struct TCase {
        const char* options;
        const char* source;
        int bpp;
    };
    // "-c jpeg" stores RGB as YCbCr (subsampled 2 x 2), "-c jpeg:r" as RGB.
    const TCase cases[] = {
        {"-c jpeg -r 48", "wide.tif", 24},  // one strip, 45 rows
        {"-c jpeg -r 16", "wide.tif", 24},
        {"-c jpeg:r -r 8", "wide.tif", 24},
        {"-c jpeg -t -w 64 -l 32", "wide.tif", 24},
        {"-c jpeg:r -t -w 16 -l 48", "wide.tif", 24},
        {"-c jpeg:r -p separate -r 16", "wide.tif", 24},
        {"-c jpeg -r 8", "gray.tif", 8},
        {"-c jpeg:90 -t -B", "gray.tif", 8},
    };
    for (const TCase& c : cases) {
        const std::string name = std::string("j") + std::to_string(&c - cases) + ".tif";
        Shell(std::string("tiffcp ") + c.options + " " + Q(c.source) + " " + Q(name));
        ExpectLikePillow(dir, P(name), c.bpp);
    }
    const std::string script = R"(
import sys
from PIL import Image
d = sys.argv[1]
p = Image.open(d + '/wide.ppm')
p.save(d + '/pj.tif', compression='jpeg', quality=80)
p.convert('CMYK').save(d + '/pjcmyk.tif', compression='jpeg')
)";
    WriteFile(dir / "pj.py", script);
    Shell(std::string(kPython) + " " + Q("pj.py") + " " + ShellQuote(dir.Path().string()));
    ExpectLikePillow(dir, P("pj.tif"), 24);
    ExpectLikePillow(dir, P("pjcmyk.tif"), 24);
}

TEST_F(ImagesTiffTools, TiledGroup4PageIsDecodedNotPassedThrough) {
    // One tile of 256 x 256 holds the whole 37 x 29 page: its Group 4 data
    // codes 256-pixel rows, so it cannot stand for the page.
    if (!HasTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
    Shell("ppm2tiff -c none " + Q("bw.pbm") + " " + Q("bw.tif"));
    Shell("tiffcp -c g4 -t " + Q("bw.tif") + " " + Q("g4tile.tif"));
    TTIFImage t;
    t.LoadFromStream(Bytes(P("g4tile.tif")));
    ASSERT_TRUE(t.Tiled());
    ASSERT_EQ(t.StripCount(), 1u);
    const CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                       " images -o out.pdf g4tile.tif");
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
    // Four times the image's resolution (none given: 72 dpi): 4 x 4 blocks.
    const Raster raster = RenderPage(dir / "out.pdf", 1, 288);
    ASSERT_EQ(raster.width, 4 * 37);
    ASSERT_EQ(raster.height, 4 * 29);
    const auto ref = Libtiff(dir, P("g4tile.tif"));
    int wrong = 0;
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 37; ++x) wrong += raster.At(4 * x + 2, 4 * y + 2) != ref[static_cast<std::size_t>(y * 37 + x)];
    EXPECT_EQ(wrong, 0);
}

TEST_F(ImagesTiffTools, MultiPageFiles) {
    Shell("ppm2tiff -c lzw " + Q("rgb.ppm") + " " + Q("a.tif"));
    Shell("ppm2tiff -c packbits " + Q("gray.pgm") + " " + Q("b.tif"));
    Shell("ppm2tiff -c none " + Q("widebw.pbm") + " " + Q("c0.tif"));
    Shell("tiffcp -c g4 " + Q("c0.tif") + " " + Q("c.tif"));
    Shell("tiffcp " + Q("a.tif") + " " + Q("b.tif") + " " + Q("c.tif") + " " + Q("multi.tif"));
    ExpectLikeLibtiff(dir, P("multi.tif"), 24, 1);
    ExpectLikeLibtiff(dir, P("multi.tif"), 8, 2);
    ExpectLikeLibtiff(dir, P("multi.tif"), 1, 3);
    TTIFImage t;
    t.PageNumber = 4;
    EXPECT_THROW(t.LoadFromStream(Bytes(P("multi.tif"))), EInvalidGraphic);
    // Through the engine: ImageCount, and ImageReadNumber picking the page.
    TVellumark engine;
    const std::u16string name(P("multi.tif").u16string());
    EXPECT_EQ(engine.ImageCount(name), 3);
    engine.SetImageReadNumber(3);
    const int32_t r = engine.AddImageFile(name);
    EXPECT_EQ(engine.ImageWidth(r), 301);  // 72 dpi when ppm2tiff gives none
    engine.SetImageReadNumber(4);
    EXPECT_THROW(engine.AddImageFile(name), EInvalidGraphic);
    // Big-endian multi-page files count too.
    Shell("tiffcp -B " + Q("a.tif") + " " + Q("b.tif") + " " + Q("multibe.tif"));
    EXPECT_EQ(engine.ImageCount(P("multibe.tif").u16string()), 2);
    ExpectLikeLibtiff(dir, P("multibe.tif"), 8, 2);
}

// Two-bit grey (MinIsBlack, MinIsWhite, FillOrder 2) and palette, a palette
// with an alpha sample, one BitsPerSample value for three samples, and
// 16-bit CMYK: each compared with Pillow.
TEST_F(ImagesTiffTools, TwoBitsPaletteAlphaOneBitsValueAndSixteenBitCmyk) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick (convert) not installed";
    const std::string script = R"(
import sys, struct
from PIL import Image
d = sys.argv[1]
p = Image.open(d + '/rgb.ppm')
p.convert('PA').save(d + '/pa.tif')
p.save(d + '/rgb1bits.tif')
# BitsPerSample (258) as one value, 8, for the three samples.
b = bytearray(open(d + '/rgb1bits.tif', 'rb').read())
ifd = struct.unpack_from('<I', b, 4)[0]
for i in range(struct.unpack_from('<H', b, ifd)[0]):
    e = ifd + 2 + 12 * i
    if struct.unpack_from('<H', b, e)[0] == 258:
        struct.pack_into('<HIHH', b, e + 2, 3, 1, 8, 0)
open(d + '/rgb1bits.tif', 'wb').write(b)
)";
    WriteFile(dir / "pil.py", script);
    Shell(std::string(kPython) + " " + Q("pil.py") + " " + ShellQuote(dir.Path().string()));
    Shell("convert " + Q("wide.ppm") + " -colorspace gray -depth 2 -compress none " + Q("g2.tif"));
    // MinIsWhite: the same samples read the other way.
    Shell("convert " + Q("wide.ppm") + " -colorspace gray -depth 2 -compress lzw " + Q("g2w.tif") + " && tiffset -s 262 0 " +
          Q("g2w.tif"));
    Shell("tiffcp -c none -f lsb2msb " + Q("g2.tif") + " " + Q("g2r.tif"));
    Shell("tiffcp -c zip -f lsb2msb " + Q("g2w.tif") + " " + Q("g2wr.tif"));
    Shell("convert " + Q("wide.ppm") + " -colors 4 -type Palette -depth 2 -compress none " + Q("pal2.tif"));
    Shell("tiffcp -c packbits -f lsb2msb " + Q("pal2.tif") + " " + Q("pal2r.tif"));
    // Eight-bit CMYK widened to 16 bits (v * 257): both readers reduce it back.
    Shell("convert " + Q("rgb.ppm") + " -colorspace CMYK -compress none " + Q("cmyk8.tif"));
    Shell("convert " + Q("cmyk8.tif") + " -depth 16 -compress none " + Q("cmyk16.tif"));
    Shell("convert " + Q("cmyk8.tif") + " -depth 16 -compress lzw " + Q("cmyk16lzw.tif"));
    const struct {
        const char* file;
        int bpp;
    } cases[] = {{"g2.tif", 4},   {"g2w.tif", 4},  {"g2r.tif", 4},        {"g2wr.tif", 4},      {"pal2.tif", 4},
                 {"pal2r.tif", 4}, {"pa.tif", 8}, {"rgb1bits.tif", 24}, {"cmyk16.tif", 24}, {"cmyk16lzw.tif", 24}};
    for (const auto& c : cases) ExpectLikePillow(dir, P(c.file), c.bpp);
}

// BigTIFF (tiffcp -8): strips, tiles, big-endian, a second page; ImageCount.
TEST_F(ImagesTiffTools, BigTiffFromTiffcp) {
    Shell("ppm2tiff -c none " + Q("wide.ppm") + " " + Q("wide.tif"));
    Shell("ppm2tiff -c none " + Q("gray.pgm") + " " + Q("gray.tif"));
    Shell("tiffcp -8 -c lzw:2 -r 7 " + Q("wide.tif") + " " + Q("big1.tif"));
    ExpectLikeLibtiff(dir, P("big1.tif"), 24);
    Shell("tiffcp -8 -B -c packbits -t -w 16 -l 16 " + Q("wide.tif") + " " + Q("big2.tif"));
    ExpectLikeLibtiff(dir, P("big2.tif"), 24);
    Shell("tiffcp -8 " + Q("wide.tif") + " " + Q("gray.tif") + " " + Q("big3.tif"));
    ExpectLikeLibtiff(dir, P("big3.tif"), 8, 2);
    TVellumark engine;
    EXPECT_EQ(engine.ImageCount(P("big3.tif").u16string()), 2);
    EXPECT_EQ(engine.ImageCount(P("big2.tif").u16string()), 1);
}

// Orientations 2 to 8 (set by tiffset) of colour and Group 4 pages, turned
// as Pillow turns the pages it decodes through libtiff; through the engine
// an oriented Group 4 page is decoded, not passed through.
TEST_F(ImagesTiffTools, OrientationsAreApplied) {
    if (!HasTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
    Shell("ppm2tiff -c none " + Q("rgb.ppm") + " " + Q("rgb.tif"));
    Shell("ppm2tiff -c none " + Q("bw.pbm") + " " + Q("bw.tif"));
    for (int o = 2; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const std::string n = std::to_string(o), rgb = "o" + n + ".tif", bw = "g" + n + ".tif";
        Shell("tiffcp -c lzw " + Q("rgb.tif") + " " + Q(rgb) + " && tiffset -s 274 " + n + " " + Q(rgb));
        Shell("tiffcp -c g4 " + Q("bw.tif") + " " + Q(bw) + " && tiffset -s 274 " + n + " " + Q(bw));
        ExpectLikePillow(dir, P(rgb), 24);
        ExpectLikePillow(dir, P(bw), 1);
        TTIFImage t;
        t.LoadFromStream(Bytes(P(bw)));
        EXPECT_EQ(t.Width(), o >= 5 ? 29u : 37u);
    }
    for (const char* file : {"g3.tif", "g6.tif"}) {
        const CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                           " images -o out.pdf " + file);
        ASSERT_EQ(r.status, 0) << r.output;
        ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
        const auto ref = Pillow(dir, P(file));
        const uint32_t w = file[1] == '6' ? 29 : 37, h = file[1] == '6' ? 37 : 29;
        const Raster raster = RenderPage(dir / "out.pdf", 1, 288);
        ASSERT_EQ(raster.width, static_cast<int>(4 * w));
        ASSERT_EQ(raster.height, static_cast<int>(4 * h));
        int wrong = 0;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                wrong += raster.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2)) != ref[y * w + x];
        EXPECT_EQ(wrong, 0) << file;
    }
}

// Associated alpha (ExtraSamples 1, set by tiffset), contiguous and in
// planes: Pillow divides it out. Sixteen-bit gray with the bits of each byte
// reversed (tiffcp -f lsb2msb).
TEST_F(ImagesTiffTools, AssociatedAlphaAndSixteenBitFillOrder) {
    const std::string script = R"(
import sys, numpy as np
from PIL import Image
d = sys.argv[1]
rng = np.random.default_rng(3)
a = rng.integers(0, 256, (29, 37, 4))
a[:3, :, 3] = 0
a[3:6, :, 3] = 255
a[..., :3] = a[..., :3] * a[..., 3:] // 255
Image.fromarray(a.astype(np.uint8), 'RGBA').save(d + '/pa.tif')
Image.fromarray((np.arange(37 * 29).reshape(29, 37) * 71 % 65536).astype(np.uint16)).save(d + '/g16.tif')
)";
    WriteFile(dir / "alpha.py", script);
    Shell(std::string(kPython) + " " + Q("alpha.py") + " " + ShellQuote(dir.Path().string()));
    Shell("tiffset -s 338 1 1 " + Q("pa.tif"));
    Shell("tiffcp -p separate -c lzw " + Q("pa.tif") + " " + Q("pas.tif"));
    ExpectLikePillow(dir, P("pa.tif"), 24);
    ExpectLikePillow(dir, P("pas.tif"), 24);
    Shell("tiffcp -f lsb2msb " + Q("g16.tif") + " " + Q("g16r.tif"));
    ExpectPixels(P("g16r.tif"), 8, 1, Pillow16(dir, P("g16r.tif")));
}

// L*a*b* pages from Pillow, against littleCMS's exact conversion (transicc,
// from L*a*b* relative to D50 into sRGB), within 1; colours beyond sRGB
// included. (Pillow's own conversion interpolates an 8-bit table.)
TEST_F(ImagesTiffTools, LabPagesAsLittleCmsConvertsThem) {
    if (!HasTool("transicc")) GTEST_SKIP() << "transicc (liblcms2-utils) not installed";
    const std::string script = R"(
import subprocess, sys, numpy as np
from PIL import Image
d = sys.argv[1]
rng = np.random.default_rng(7)
a = rng.integers(0, 256, (29, 37, 3)).astype(np.uint8)
Image.fromarray(a, 'LAB').save(d + '/lab.tif')
Image.fromarray(a, 'LAB').save(d + '/lablzw.tif', compression='tiff_lzw')
signed = lambda v: v - 256 if v > 127 else v
lines = ''.join('%r %d %d\n' % (p[0] * 100 / 255, signed(p[1]), signed(p[2])) for p in a.reshape(-1, 3).tolist())
out = subprocess.run(['transicc', '-t1', '-i', '*Lab', '-o', '*sRGB', '-n'], input=lines, capture_output=True,
                     text=True, check=True).stdout.split()
rgb = np.clip(np.round(np.array(out, dtype=float)), 0, 255).astype(np.uint8)
open(d + '/lab.rgb', 'wb').write(rgb.tobytes())
)";
    WriteFile(dir / "lab.py", script);
    Shell(std::string(kPython) + " " + Q("lab.py") + " " + ShellQuote(dir.Path().string()));
    const std::string ref = ReadFile(P("lab.rgb"));
    ASSERT_EQ(ref.size(), 37u * 29 * 3);
    for (const char* file : {"lab.tif", "lablzw.tif"}) {
        SCOPED_TRACE(file);
        const std::vector<uint32_t> got = Colours(Ours(P(file)));
        ASSERT_EQ(got.size(), 37u * 29);
        int worst = 0;
        for (std::size_t i = 0; i < got.size(); ++i)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(got[i] >> (16 - 8 * c) & 0xFF) - int(uint8_t(ref[3 * i + c]))));
        EXPECT_LE(worst, 1);
    }
}

// Old-style JPEG pages, written here from Pillow's JPEG files: the whole
// stream in the strip (JPEGInterchangeFormat); the tables in their own
// fields and the scan data in one strip, or in strips coded one by one.
// Pillow reads them through libtiff.
TEST_F(ImagesTiffTools, OldStyleJpegPages) {
    const std::string script = R"(
import io, struct, sys
import numpy as np
from PIL import Image
d = sys.argv[1]
src = Image.open(d + '/rgb.ppm')  # 37 x 29

def segments(jpeg):
    # (marker, body) of each marker segment up to SOS, and the scan data
    out, i = [], 2
    while True:
        m = jpeg[i + 1]
        n = struct.unpack('>H', jpeg[i + 2:i + 4])[0]
        out.append((m, jpeg[i + 4:i + 2 + n]))
        i += 2 + n
        if m == 0xDA:
            end = jpeg.rindex(b'\xff\xd9')
            return out, jpeg[i:end]

def encode(im, sub):
    b = io.BytesIO()
    im.save(b, 'JPEG', quality=80, subsampling=sub, optimize=False)
    return b.getvalue()

def tiff(name, w, h, entries, blobs, strips):
    # little-endian TIFF: strips, then blobs, then the directory
    data = bytearray(b'II*\0\0\0\0\0')
    offs = []
    for s in strips:
        offs.append(len(data)); data += s
    where = {}
    for k, v in blobs.items():
        where[k] = len(data); data += v
    e = dict(entries)
    e[256] = (4, [w]); e[257] = (4, [h]); e[259] = (3, [6]); e[262] = (3, [6]); e[277] = (3, [3])
    e[258] = (3, [8, 8, 8])
    e[273] = (4, offs); e[279] = (4, [len(s) for s in strips])
    for k, v in list(e.items()):
        if isinstance(v, str): e[k] = (4, [where[v]])
        elif isinstance(v, tuple) and isinstance(v[1], str): e[k] = (4, [where[x] for x in v[1].split(',')])
    extra = bytearray()
    ifd = len(data)
    body = struct.pack('<H', len(e))
    after = ifd + 2 + 12 * len(e) + 4
    for tag in sorted(e):
        t, vals = e[tag]
        raw = b''.join(struct.pack('<H' if t == 3 else '<I', v) for v in vals)
        if len(raw) <= 4:
            body += struct.pack('<HHI', tag, t, len(vals)) + raw.ljust(4, b'\0')
        else:
            body += struct.pack('<HHII', tag, t, len(vals), after + len(extra)); extra += raw
    data[4:8] = struct.pack('<I', ifd)
    data += body + b'\0\0\0\0' + extra
    open(d + '/' + name, 'wb').write(data)

# 1. The whole JPEG stream in the strip, JPEGInterchangeFormat pointing at it.
j = encode(src, 2)
tiff('oj1.tif', 37, 29, {513: (4, [8]), 530: (3, [2, 2])}, {}, [j])
# 2 and 3. Tables in JPEGQTables, JPEGDCTables and JPEGACTables, the scan
# data in the strips: one strip (4:2:2), then strips of 8 rows coded one by
# one (4:2:0, 16 rows).
for name, sub, rows in (('oj2.tif', 1, 29), ('oj3.tif', 2, 16)):
    strips, tables = [], None
    for top in range(0, 29, rows):
        segs, scan = segments(encode(src.crop((0, top, 37, min(top + rows, 29))), sub))
        strips.append(scan)
        tables = segs
    q = {}
    dht = {}
    for m, body in tables:
        if m == 0xDB:
            i = 0
            while i < len(body):
                q[body[i] & 15] = body[i + 1:i + 65]; i += 65
        if m == 0xC4:
            i = 0
            while i < len(body):
                n = sum(body[i + 1:i + 17]); dht[(body[i] >> 4, body[i] & 15)] = body[i + 1:i + 17 + n]; i += 17 + n
        if m == 0xC0:
            comps = [(body[6 + 3 * c], body[7 + 3 * c], body[8 + 3 * c]) for c in range(3)]
    blobs = {}
    for c, (cid, samp, qt) in enumerate(comps):
        blobs['q%d' % c] = q[qt]
    for m, body in tables:
        if m == 0xDA:
            sel = [body[2 + 2 * c] for c in range(3)]
    for c in range(3):
        blobs['dc%d' % c] = dht[(0, sel[c] >> 4)]
        blobs['ac%d' % c] = dht[(1, sel[c] & 15)]
    h, v = comps[0][1] >> 4, comps[0][1] & 15
    tiff(name, 37, 29, {278: (4, [rows]), 512: (3, [1]), 519: (4, 'q0,q1,q2'), 520: (4, 'dc0,dc1,dc2'),
                        521: (4, 'ac0,ac1,ac2'), 530: (3, [h, v])}, blobs, strips)
)";
    WriteFile(dir / "ojpeg.py", script);
    Shell(std::string(kPython) + " " + Q("ojpeg.py") + " " + ShellQuote(dir.Path().string()));
    for (const char* file : {"oj1.tif", "oj2.tif", "oj3.tif"}) ExpectLikePillow(dir, P(file), 24);
}

}  // namespace
}  // namespace vellumark
