// "vellumark images": one page per image, options, and nothing written when
// an input fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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
