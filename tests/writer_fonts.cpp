// Font objects with real TrueType fonts: widths, descriptors, embedding, and
// text where the layout put it on the rendered page.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestUtil.h"
#include "engine/TextCodec.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"
#include "writer/PDFString.h"

using namespace vellumark;
using namespace vellumark::test;
namespace fs = std::filesystem;

namespace {

const char* const kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kSerif = "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf";
const char* const kOpenTypeCFF = "/usr/share/fonts/opentype/freefont/FreeSans.otf";

#define REQUIRE_FONT(path) \
    if (!fs::exists(path)) GTEST_SKIP() << path << " is not installed"

std::string Build(TVellumark& e) {
    TOutputBuffer out;
    WriteDocument(e, out, 0);
    return out.ToString();
}

// The text between `key` and the next CR, after the first `after`.
std::string LineAfter(const std::string& pdf, const std::string& key, std::size_t from = 0) {
    std::size_t at = pdf.find(key, from);
    if (at == std::string::npos) return {};
    at += key.size();
    return pdf.substr(at, pdf.find('\r', at) - at);
}

}  // namespace

TEST(WriterFonts, AddFontNumbersOnlySuccesses) {
    REQUIRE_FONT(kSans);
    TVellumark e;
    EXPECT_EQ(e.AddFont(u"/no/such/font.ttf"), 0);
    EXPECT_EQ(e.AddFont(Utf8ToUtf16(SOURCE_DIR "/README.md")), 0);
    // An OpenType font with PostScript outlines cannot be embedded as a
    // TrueType font file and is refused like any unreadable font.
    if (fs::exists(kOpenTypeCFF)) {
        EXPECT_EQ(e.AddFont(Utf8ToUtf16(kOpenTypeCFF)), 0);
    }
    EXPECT_EQ(e.AddFont(Utf8ToUtf16(kSans)), 15);
    EXPECT_EQ(e.AddFont(Utf8ToUtf16(kSans)), 16);
    e.Clear();
    EXPECT_EQ(e.AddFont(Utf8ToUtf16(kSans)), 15);
    EXPECT_FALSE(e.GetEmbedFont(5));
    e.SetEmbedFont(5, true);
    EXPECT_FALSE(e.GetEmbedFont(5));
    e.SetEmbedFont(15, true);
    EXPECT_TRUE(e.GetEmbedFont(15));
    EXPECT_FALSE(e.GetEmbedFont(16));
    e.SetLinkFont(15);
    EXPECT_EQ(e.GetLinkFont(), 15);
}

TEST(WriterFonts, WidthsComeFromEachFontAndCoverEveryUsedCode) {
    REQUIRE_FONT(kSans);
    REQUIRE_FONT(kSerif);
    TVellumark e;
    ASSERT_EQ(e.AddFont(Utf8ToUtf16(kSans)), 15);
    ASSERT_EQ(e.AddFont(Utf8ToUtf16(kSerif)), 16);
    e.AddPage(0);
    e.CreateText();
    e.SetTextFont(15);
    e.WriteText(u"AB");
    e.SetTextFont(16);
    e.WriteText(u"C");
    e.ApplyResource(1, 1);
    const std::string pdf = Build(e);
    const TPDFFontRes& sans = *e.Fonts().Get(1);
    const TPDFFontRes& serif = *e.Fonts().Get(2);
    auto widths = [](const TPDFFontRes& f) {
        return std::to_string(f.Reader.CharWidth('A')) + " " + std::to_string(f.Reader.CharWidth('B')) + " " +
               std::to_string(f.Reader.CharWidth('C')) + " ]";
    };
    // Both fonts get FirstChar 65 and LastChar 67 and their own widths.
    EXPECT_EQ(LineAfter(pdf, "/Widths [ "), widths(sans));
    EXPECT_EQ(LineAfter(pdf, "/Widths [ ", pdf.find("/Widths [ ") + 1), widths(serif));
    EXPECT_NE(sans.Reader.CharWidth('A'), serif.Reader.CharWidth('A'));
    EXPECT_EQ(LineAfter(pdf, "/FirstChar "), "65");
    EXPECT_EQ(LineAfter(pdf, "/LastChar "), "67");
    EXPECT_EQ(LineAfter(pdf, "/BaseFont /"), "DejaVuSans");
    EXPECT_NE(pdf.find("/Font <<\r/TT1 6 0 R \r/TT2 8 0 R \r>>\r"), std::string::npos);
    // Not embedded: a descriptor without a font file.
    EXPECT_EQ(pdf.find("/FontFile2"), std::string::npos);
    EXPECT_EQ(LineAfter(pdf, "/Ascent "), std::to_string(static_cast<int16_t>(sans.Reader.Ascent())));
    EXPECT_EQ(LineAfter(pdf, "/Flags "), "32");
}

TEST(WriterFonts, EmbeddedFontFileIsTheWholeFile) {
    REQUIRE_FONT(kSans);
    TempDir dir;
    TVellumark e;
    ASSERT_EQ(e.AddFont(Utf8ToUtf16(kSans)), 15);
    e.SetEmbedFont(15, true);
    e.AddPage(0);
    e.CreateText();
    e.SetTextFont(15);
    e.WriteText(u"Embedded");
    e.ApplyResource(1, 1);
    e.SaveToFile(Utf8ToUtf16((dir / "embedded.pdf").string()));
    ASSERT_TRUE(QpdfCheck(dir / "embedded.pdf"));
    const std::string pdf = ReadFile(dir / "embedded.pdf");
    const std::string file = ReadFile(kSans);
    // 6 font, 7 descriptor, 8 font file.
    EXPECT_EQ(LineAfter(pdf, "/FontFile2 "), "8 0 R");
    const std::string lengths = LineAfter(pdf, "8 0 obj\r<< /Filter /FlateDecode\r/Length ");
    EXPECT_NE(lengths.find(" /Length1 " + std::to_string(file.size()) + " >>"), std::string::npos) << lengths;
    EXPECT_EQ(Inflate(StreamData(pdf, 8)), file);
}

TEST(WriterFonts, NamesAreWrittenAsPDFNames) {
    std::string out;
    AppendName(out, "DejaVuSans-Bold");
    EXPECT_EQ(out, "DejaVuSans-Bold");
    out.clear();
    AppendName(out, std::string("My Font#1(x)/\x7f\xe9", 15));
    EXPECT_EQ(out, "My#20Font#231#28x#29#2F#7F#E9");
}

TEST(WriterFonts, RightAlignedLineEndsWhereTheLayoutSaysOnThePage) {
    REQUIRE_FONT(kSans);
    TempDir dir;
    TVellumark e;
    ASSERT_EQ(e.AddFont(Utf8ToUtf16(kSans)), 15);
    e.AddPage(0);
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextSize(24);
    e.SetTextAlign(taRight);
    e.WriteText(u"HHHH");
    e.ApplyResource(1, 1);
    e.Locate(1, 1, 500, 700);
    const double width = e.TextLineWidth(u"HHHH");
    e.SaveToFile(Utf8ToUtf16((dir / "right.pdf").string()));
    ASSERT_TRUE(QpdfCheck(dir / "right.pdf"));
    Raster r = RenderPage(dir / "right.pdf", 1, 72);
    ASSERT_EQ(r.width, 595);
    // Dark pixels of the line: right edge near x = 500 (minus the side
    // bearing of H), left edge near 500 - width.
    int minX = r.width, maxX = -1, minY = r.height, maxY = -1;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if ((r.At(x, y) & 0xFF) < 128) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0) << "nothing drawn";
    EXPECT_NEAR(maxX, 500 - 2, 3);
    EXPECT_NEAR(minX, 500 - width + 2, 3);
    // The baseline is 24 points below the top (y 700, i.e. row 142): the
    // capitals sit on row 166.
    EXPECT_NEAR(maxY, 842 - 700 + 24, 2);
    EXPECT_NEAR(minY, 842 - 700 + 24 - 17.5, 2);
}
