// "vellumark images": one page per image, options, and nothing written when
// an input fails.
#include <gtest/gtest.h>

#include <filesystem>

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
