// "vellumark images": one page per image, options, and nothing written when
// an input fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "TestUtil.h"

using namespace vellumark::test;
namespace fs = std::filesystem;

namespace {

// A 24-bit Windows bitmap file of w x h pixels at `ppm` pixels per metre.
std::string Bitmap(uint32_t w, uint32_t h, uint32_t ppm) {
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::string s = "BM";
    for (uint32_t v : {54 + stride * h, 0u, 54u, 40u, w, h}) Put32(s, v);
    Put16(s, 1);
    Put16(s, 24);
    for (uint32_t v : {0u, stride * h, ppm, ppm, 0u, 0u}) Put32(s, v);
    for (uint32_t i = 0; i < stride * h; ++i) s += static_cast<char>(i * 7);
    return s;
}

// A 24-bit bitmap file of w x h pixels at 72 dpi in one colour (0xRRGGBB).
std::string SolidBitmap(uint32_t w, uint32_t h, uint32_t rgb) {
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::string s = "BM";
    for (uint32_t v : {54 + stride * h, 0u, 54u, 40u, w, h}) Put32(s, v);
    Put16(s, 1);
    Put16(s, 24);
    for (uint32_t v : {0u, stride * h, 2835u, 2835u, 0u, 0u}) Put32(s, v);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            s += static_cast<char>(rgb & 0xFF);
            s += static_cast<char>((rgb >> 8) & 0xFF);
            s += static_cast<char>(rgb >> 16);
        }
        s.append(stride - w * 3, '\0');
    }
    return s;
}

CommandResult Images(const TempDir& dir, const std::string& args) {
    return RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) + " images " +
                      args);
}

}  // namespace

TEST(HostImages, OnePagePerImageAtItsOwnSize) {
    TempDir dir;
    WriteFile(dir / "a.bmp", Bitmap(144, 72, 2835));   // 72 dpi: 144 x 72 points
    WriteFile(dir / "b.bmp", Bitmap(300, 150, 11811)); // 300 dpi: 72 x 36 points
    CommandResult r = Images(dir, "-o book a.bmp b.bmp");
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "book.pdf"));
    CommandResult info = RunCommand("pdfinfo -f 1 -l 2 " + ShellQuote((dir / "book.pdf").string()));
    EXPECT_NE(info.output.find("Pages:           2"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("Page    1 size:  144 x 72 pts"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("Page    2 size:  72 x 36 pts"), std::string::npos) << info.output;
}

TEST(HostImages, CompressionOptions) {
    TempDir dir;
    WriteFile(dir / "a.bmp", Bitmap(16, 16, 2835));
    ASSERT_EQ(Images(dir, "--rgb jpeg -o j.pdf a.bmp").status, 0);
    EXPECT_NE(ReadFile(dir / "j.pdf").find("/Filter /DCTDecode"), std::string::npos);
    EXPECT_TRUE(QpdfCheck(dir / "j.pdf"));
    ASSERT_EQ(Images(dir, "--rgb none -o n.pdf a.bmp").status, 0);
    EXPECT_EQ(ReadFile(dir / "n.pdf").find("/Filter /FlateDecode\r/Width"), std::string::npos);
    EXPECT_EQ(Images(dir, "--rgb g4 -o x.pdf a.bmp").status, 2);
    EXPECT_EQ(Images(dir, "--colour zip -o x.pdf a.bmp").status, 2);
    EXPECT_EQ(Images(dir, "a.bmp").status, 2);
    EXPECT_EQ(Images(dir, "-o x.pdf").status, 2);
    EXPECT_FALSE(fs::exists(dir / "x.pdf"));
}

TEST(HostImages, AFailingInputWritesNothing) {
    TempDir dir;
    WriteFile(dir / "a.bmp", Bitmap(8, 8, 2835));
    WriteFile(dir / "bad.bmp", "BM not really");
    WriteFile(dir / "keep.pdf", "old");
    CommandResult r = Images(dir, "-o keep.pdf a.bmp bad.bmp");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("bad.bmp"), std::string::npos) << r.output;
    EXPECT_EQ(ReadFile(dir / "keep.pdf"), "old");
    r = Images(dir, "-o new a.bmp missing.bmp");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("missing.bmp: File not found"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "new.pdf"));
}

// Files are read two at a time on two threads: the PDF is the one a single
// thread makes, and of several failing files the first in order is named,
// alone.
TEST(HostImages, FilesReadOnTwoThreadsMakeTheSameDocument) {
    TempDir dir;
    std::string names;
    for (uint32_t i = 0; i < 7; ++i) {
        const char name[] = {' ', 'f', static_cast<char>('0' + i), '.', 'b', 'm', 'p', '\0'};
        WriteFile(dir / (name + 1), Bitmap(40 + 31 * i, 20 + 17 * i, 2835 + 1000 * i));
        names += name;
    }
    WriteFile(dir / "bad1.bmp", "BM not really");
    WriteFile(dir / "bad2.bmp", "BM nor this");
    const struct {
        std::string args;
        int status;
    } runs[] = {{names, 0}, {" --rgb jpeg" + names, 0}, {names + " bad1.bmp f1.bmp bad2.bmp", 1}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.args);
        std::string saved[2];
        std::string messages[2];
        for (int i = 0; i < 2; ++i) {
            CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && VELLUMARK_THREADS=" +
                                         (i == 0 ? "1 " : "2 ") + ShellQuote(VELLUMARK_BIN) + " images -o out.pdf" +
                                         run.args);
            ASSERT_EQ(r.status, run.status) << r.output;
            messages[i] = r.output;
            if (run.status != 0) continue;
            ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
            saved[i] = MaskCreationDate(ReadFile(dir / "out.pdf"));
            fs::remove(dir / "out.pdf");
        }
        EXPECT_EQ(saved[0], saved[1]);
        EXPECT_EQ(messages[0], messages[1]);
        if (run.status != 0) {
            EXPECT_NE(messages[1].find("bad1.bmp"), std::string::npos) << messages[1];
            EXPECT_EQ(messages[1].find("bad2.bmp"), std::string::npos) << messages[1];
            EXPECT_FALSE(fs::exists(dir / "out.pdf"));
        }
    }
}

TEST(HostImages, ScriptsReachBitmapAndMemoryHandles) {
    TempDir dir;
    WriteFile(dir / "a.bmp", Bitmap(8, 4, 2835));
    WriteFile(dir / "h.vbs",
              "Set D = CreateObject(\"VellumarkX.PDFDoc\")\n"
              "h = BitmapHandle(\"a.bmp\")\n"
              "WScript.Echo D.AddImageBMPHandle(h), D.AddImageBMPHandle(h)\n"
              "D.ReleaseBMPHandle = False\n"
              "WScript.Echo D.AddImageBMPHandle(h)\n"
              "On Error Resume Next\n"
              "x = D.AddImageBMPHandle(h)\n"
              "WScript.Echo Err.Description\n"
              "Err.Clear\n"
              "m = PackedDIBHandle(\"a.bmp\")\n"
              "WScript.Echo D.AddImageBMPHandle(m), D.ImageWidth(4)\n"
              "x = D.AddImageBMPHandle(m)\n"
              "WScript.Echo Err.Number, D.AddImageBMPHandle(0)\n");
    CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                 " run h.vbs");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "1 2\n3\nInvalid bitmap handle\n4 8\n-2147418113 0\n");
}

namespace {

bool HaveTiffTools() {
    static const bool have = RunCommand("command -v tiffcp >/dev/null && command -v ppm2tiff >/dev/null && "
                                        "/usr/bin/python3 -c 'import PIL.Image, numpy'")
                                 .status == 0;
    return have;
}

// Black-and-white pictures as PBM files (1 black), `n` of them, each a
// different w x h, written by Pillow; pixel rows also returned (1 black).
std::vector<std::vector<std::string>> MakeBilevelPictures(const TempDir& dir, int n) {
    const std::string script = R"(
import sys, numpy as np
from PIL import Image
d, n = sys.argv[1], int(sys.argv[2])
rng = np.random.default_rng(11)
for k in range(n):
    w, h = 90 + 13 * k, 50 + 7 * k
    y, x = np.mgrid[0:h, 0:w]
    a = ((x // (3 + k)) + (y // 5)) % 2 == 0
    a |= rng.random((h, w)) < 0.05
    a[h // 2: h // 2 + 4, :] = True
    img = Image.fromarray(np.where(a, 0, 255).astype(np.uint8), 'L').convert('1')
    img.save('%s/p%d.pbm' % (d, k))
    img.save('%s/p%d.txt' % (d, k), format='PPM')
    open('%s/p%d.rows' % (d, k), 'w').write('\n'.join(''.join('1' if v else '0' for v in row) for row in a))
)";
    WriteFile(dir / "make.py", script);
    RunCommand("/usr/bin/python3 " + ShellQuote((dir / "make.py").string()) + " " + ShellQuote(dir.Path().string()) +
               " " + std::to_string(n));
    std::vector<std::vector<std::string>> pictures;
    for (int k = 0; k < n; ++k) {
        std::vector<std::string> rows;
        std::string name = "p";
        name += std::to_string(k);
        name += ".rows";
        std::string all = ReadFile(dir / name);
        std::size_t start = 0;
        while (start < all.size()) {
            std::size_t end = all.find('\n', start);
            if (end == std::string::npos) end = all.size();
            rows.push_back(all.substr(start, end - start));
            start = end + 1;
        }
        pictures.push_back(rows);
    }
    return pictures;
}

// The bytes of strip 0 of page `page` (0-based) of a TIFF file, as Pillow reads its tags.
std::string Strip(const fs::path& tiff, int page) {
    const fs::path out = tiff.string() + ".strip";
    RunCommand("/usr/bin/python3 -c \"from PIL import Image; import sys; im = Image.open(sys.argv[1]); "
               "im.seek(int(sys.argv[3])); o = im.tag_v2[273][0]; n = im.tag_v2[279][0]; "
               "open(sys.argv[2], 'wb').write(open(sys.argv[1], 'rb').read()[o:o + n])\" " +
               ShellQuote(tiff.string()) + " " + ShellQuote(out.string()) + " " + std::to_string(page));
    return ReadFile(out);
}

// Whether page `page` of the PDF (a 72 dpi image filling the page) shows
// exactly `rows` (1 black) in pure black and white: rendered at four times
// the image's resolution, the centre of each image pixel is read.
::testing::AssertionResult RendersAs(const fs::path& pdf, int page, const std::vector<std::string>& rows) {
    const Raster r = RenderPage(pdf, page, 288);
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    if (r.height != 4 * h || r.width != 4 * w)
        return ::testing::AssertionFailure() << "rendered " << r.width << " x " << r.height;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t want = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '1' ? 0 : 0xFFFFFF;
            if (r.At(4 * x + 2, 4 * y + 2) != want)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex
                                                     << r.At(4 * x + 2, 4 * y + 2);
        }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(HostImages, EveryPageOfAGroup4TiffPassesThrough) {
    if (!HaveTiffTools()) GTEST_SKIP() << "libtiff-tools or Pillow with numpy not installed";
    TempDir dir;
    const auto pictures = MakeBilevelPictures(dir, 3);
    std::string pages;
    for (int k = 0; k < 3; ++k) {
        const std::string n = std::to_string(k);
        ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.Path().string()) + " && ppm2tiff -R 72 -c none p" + n +
                             ".pbm u" + n + ".tif && tiffcp -c g4 u" + n + ".tif g" + n + ".tif")
                      .status,
                  0);
        pages += " g" + n + ".tif";
    }
    ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.Path().string()) + " && tiffcp" + pages + " multi.tif").status, 0);
    WriteFile(dir / "a.bmp", Bitmap(8, 8, 2835));
    CommandResult r = Images(dir, "-o out.pdf multi.tif a.bmp");
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
    CommandResult info = RunCommand("pdfinfo " + ShellQuote((dir / "out.pdf").string()));
    EXPECT_NE(info.output.find("Pages:           4"), std::string::npos) << info.output;
    const std::string pdf = ReadFile(dir / "out.pdf");
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const std::string strip = Strip(dir / "multi.tif", k);
        ASSERT_GT(strip.size(), 10u);
        // The strip is the stream: its bytes are in the file unchanged.
        EXPECT_NE(pdf.find(strip), std::string::npos);
        EXPECT_TRUE(RendersAs(dir / "out.pdf", k + 1, pictures[static_cast<std::size_t>(k)]));
    }
    // Decoded instead of passed through, the pages look the same.
    r = Images(dir, "--bw zip --no-source-compression -o dec.pdf multi.tif");
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "dec.pdf"));
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(RendersAs(dir / "dec.pdf", k + 1, pictures[static_cast<std::size_t>(k)]));
    // A second page that cannot be read (32-bit float samples) stops the
    // run, naming the page.
    ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.Path().string()) +
                         " && /usr/bin/python3 -c \"from PIL import Image; Image.open('p1.pbm').convert('F').save('q.tif')\"" +
                         " && tiffcp g0.tif q.tif broken.tif")
                  .status,
              0);
    r = Images(dir, "-o broken.pdf broken.tif");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("broken.tif (page 2): TIFF file has unknown or unsupported format"), std::string::npos)
        << r.output;
    EXPECT_FALSE(fs::exists(dir / "broken.pdf"));
}

TEST(HostImages, BlackIsZeroGroup4KeepsItsColours) {
    if (!HaveTiffTools()) GTEST_SKIP() << "libtiff-tools or Pillow with numpy not installed";
    TempDir dir;
    const auto pictures = MakeBilevelPictures(dir, 1);
    // Pillow stores bilevel pages BlackIsZero.
    ASSERT_EQ(RunCommand("/usr/bin/python3 -c \"from PIL import Image; import sys; "
                         "Image.open(sys.argv[1]).save(sys.argv[2], compression='group4', dpi=(72, 72))\" " +
                         ShellQuote((dir / "p0.pbm").string()) + " " + ShellQuote((dir / "b.tif").string()))
                  .status,
              0);
    ASSERT_NE(RunCommand("tiffinfo " + ShellQuote((dir / "b.tif").string())).output.find("min-is-black"),
              std::string::npos);
    CommandResult r = Images(dir, "-o out.pdf b.tif");
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
    const std::string pdf = ReadFile(dir / "out.pdf");
    EXPECT_NE(pdf.find("/BlackIs1 true"), std::string::npos);
    EXPECT_NE(pdf.find(Strip(dir / "b.tif", 0)), std::string::npos);
    EXPECT_TRUE(RendersAs(dir / "out.pdf", 1, pictures[0]));
    r = Images(dir, "--no-source-compression -o dec.pdf b.tif");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(RendersAs(dir / "dec.pdf", 1, pictures[0]));
}

// Page size, fit, margin and background, checked on the rendered page: a red
// image of 50 x 25 points (and one half transparent, made by Pillow) on pages
// rendered at 72 dpi, one pixel per point.
TEST(HostImages, PageSizeFitMarginAndBackground) {
    ASSERT_TRUE(HavePillow());
    TempDir dir;
    WriteFile(dir / "r.bmp", SolidBitmap(50, 25, 0xFF0000));
    // 20 x 20: the left half fully transparent black, the right half opaque red.
    ASSERT_EQ(
        RunCommand("/usr/bin/python3 -c \"from PIL import Image; im = Image.new('RGBA', (20, 20), (255, 0, 0, 255)); "
                   "im.paste((0, 0, 0, 0), (0, 0, 10, 20)); im.save('" +
                   (dir / "t.png").string() + "', dpi=(72, 72))\"")
            .status,
        0);
    constexpr uint32_t R = 0xFF0000, W = 0xFFFFFF;
    const struct {
        const char* args;
        const char* size;  // as pdfinfo prints it
        std::vector<std::tuple<int, int, uint32_t>> pixels;
    } cases[] = {
        // 2x: 100 x 50, rows 25..75.
        {"--pagesize 100x100 r.bmp", "100 x 100", {{50, 50, R}, {1, 50, R}, {98, 50, R}, {50, 20, W}, {50, 80, W}}},
        {"--pagesize 100x100 --fit into r.bmp", "100 x 100", {{1, 27, R}, {50, 22, W}}},
        // Never enlarged: 50 x 25 in the middle, 25..75 x 37.5..62.5.
        {"--pagesize 100x100 --fit shrink r.bmp", "100 x 100", {{50, 50, R}, {20, 50, W}, {80, 50, W}, {50, 33, W}}},
        // Covers: 200 x 100 centred, cut by the page.
        {"--pagesize 100x100 --fit fill r.bmp", "100 x 100", {{1, 1, R}, {98, 98, R}, {1, 98, R}}},
        {"--pagesize 100x100 --fit exact r.bmp", "100 x 100", {{1, 1, R}, {98, 98, R}, {50, 50, R}}},
        // 80 x 80 inside the margins: 80 x 40 at 10..90 x 30..70.
        {"--pagesize 100x100 --margin 10 r.bmp",
         "100 x 100",
         {{5, 50, W}, {12, 50, R}, {88, 50, R}, {95, 50, W}, {50, 32, R}, {50, 27, W}}},
        {"--pagesize 100x100 --margin 10pt --fit exact r.bmp",
         "100 x 100",
         {{12, 12, R}, {87, 87, R}, {5, 50, W}, {50, 95, W}}},
        // Without a page size the page is the image and its margins.
        {"--margin 0.5in r.bmp", "122 x 97", {{30, 30, W}, {40, 40, R}, {80, 55, R}, {95, 75, W}}},
        {"r.bmp", "50 x 25", {{1, 1, R}, {48, 23, R}}},
        {"--pagesize A5_L --fit shrink r.bmp", "595 x 421", {{297, 210, R}, {250, 210, W}}},
        {"--pagesize 2x1in r.bmp", "144 x 72", {{5, 5, R}, {138, 66, R}}},
        // Transparency over white, or over the background asked for.
        {"t.png", "20 x 20", {{3, 10, W}, {15, 10, R}}},
        {"--background '#00ff00' t.png", "20 x 20", {{3, 10, 0x00FF00}, {15, 10, R}}},
        {"--background black t.png", "20 x 20", {{3, 10, 0}, {15, 10, R}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove(dir / "out.pdf");
        const CommandResult r = Images(dir, std::string("-o out.pdf ") + c.args);
        ASSERT_EQ(r.status, 0) << r.output;
        ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
        const CommandResult info = RunCommand("pdfinfo " + ShellQuote((dir / "out.pdf").string()));
        EXPECT_NE(info.output.find(std::string("Page size:       ") + c.size + " pts"), std::string::npos)
            << info.output;
        const Raster page = RenderPage(dir / "out.pdf", 1, 72);
        for (const auto& [x, y, colour] : c.pixels) EXPECT_EQ(page.At(x, y), colour) << "at " << x << "," << y;
    }
}

TEST(HostImages, StandardOutputVerboseAndUsage) {
    TempDir dir;
    WriteFile(dir / "r.bmp", SolidBitmap(50, 25, 0xFF0000));
    // -o - writes the same document to standard output.
    ASSERT_EQ(Images(dir, "--pagesize A4 -o file.pdf r.bmp").status, 0);
    const CommandResult piped = Images(dir, "--pagesize A4 -o - r.bmp > piped.pdf");
    ASSERT_EQ(piped.status, 0) << piped.output;
    ASSERT_TRUE(QpdfCheck(dir / "piped.pdf"));
    EXPECT_EQ(MaskCreationDate(ReadFile(dir / "piped.pdf")), MaskCreationDate(ReadFile(dir / "file.pdf")));
    const CommandResult verbose = Images(dir, "-v -o v.pdf r.bmp r.bmp");
    EXPECT_EQ(verbose.output,
              "r.bmp: 50x25 px, RGB, Flate; page 1, 50x25 pt\n"
              "r.bmp: 50x25 px, RGB, Flate; page 2, 50x25 pt\n");
    const CommandResult help = Images(dir, "--help");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--pagesize", "--fit", "--margin", "--background", "-v", "-o, --output"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
    for (const char* bad :
         {"--pagesize B7", "--pagesize 0x10mm", "--pagesize 10x10furlong", "--fit wide", "--margin -3mm",
          "--margin 1e300", "--background pink", "--fit fill --margin 5", "--pagesize 50x50 --margin 25",
          "--margin"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Images(dir, std::string(bad) + " -o bad.pdf r.bmp").status, 2);
    }
    EXPECT_FALSE(fs::exists(dir / "bad.pdf"));
}
