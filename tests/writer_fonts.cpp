// Font objects with real TrueType fonts: widths, descriptors, embedding, and
// text where the layout put it on the rendered page.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/TextCodec.h"
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

namespace {

}  // namespace

// Quotes, dashes and the other characters Windows-1252 keeps at 0x80-0x9F,
// in an embedded font: /Widths, the layout and a viewer's glyph positions
// agree with the font's own advance widths, so no glyph overlaps the next or
// leaves a gap.
TEST(WriterFonts, Windows1252PunctuationTakesTheWidthsOfItsGlyphs) {
    REQUIRE_FONT(kSans);
    if (!HasTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    if (!HavePython("fontTools.ttLib")) GTEST_SKIP() << "fontTools (python3-fonttools) is not installed";
    // All 27 characters, in words of the two runs of one line: the second
    // run continues the first and is placed by the layout's width of it.
    const std::vector<std::u16string> first = {u"‘a’", u"“b”", u"x–y", u"p—q", u"end…", u"€5", u"™•"};
    const std::vector<std::u16string> second = {u"‚„‹›", u"Œœ", u"Šš", u"Žž", u"Ÿƒ", u"ˆ˜", u"†‡‰"};
    std::u16string firstText, secondText;
    for (const auto& w : first) firstText.append(w).append(u" ");
    for (const auto& w : second) {
        if (!secondText.empty()) secondText.append(u" ");
        secondText.append(w);
    }
    const std::u16string all = firstText + secondText;
    const std::vector<double> advances = FontToolsAdvances(kSans, std::vector<uint32_t>(all.begin(), all.end()));
    ASSERT_EQ(advances.size(), all.size() + 1);
    const double unitsPerEm = advances[0];
    auto advanceOf = [&](char16_t c) { return advances[all.find(c) + 1] / unitsPerEm; };  // in ems

    const double size = 12, left = 40;
    TempDir dir;
    TVellumark e;
    ASSERT_EQ(e.AddFont(Utf8ToUtf16(kSans)), 15);
    e.SetEmbedFont(15, true);
    e.AddPage(0);
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextSize(static_cast<int32_t>(size));
    e.WriteText(firstText);
    e.AppendText = true;
    e.SetTextColor(0x0000C0);
    e.WriteText(secondText);
    e.ApplyResource(1, 1);
    e.Locate(1, 1, left, 700);
    double expectedLine = 0;
    for (const char16_t c : all) expectedLine += advanceOf(c) * size;
    EXPECT_NEAR(e.TextLineWidth(all), expectedLine, 0.1);
    EXPECT_NEAR(e.TextLineWidth(u"’"), advanceOf(u'’') * size, 0.02);
    e.SaveToFile(Utf8ToUtf16((dir / "quotes.pdf").string()));
    ASSERT_TRUE(QpdfCheck(dir / "quotes.pdf"));

    // /Widths: each used code's entry is the glyph's advance in thousandths.
    const std::string pdf = ReadFile(dir / "quotes.pdf");
    const int firstChar = std::stoi(LineAfter(pdf, "/FirstChar "));
    std::istringstream widths(LineAfter(pdf, "/Widths [ "));
    std::vector<int> entries;
    for (int w; widths >> w;) entries.push_back(w);
    const std::string bytes = ToAnsi(all);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const int code = static_cast<unsigned char>(bytes[i]);
        ASSERT_LT(code - firstChar, static_cast<int>(entries.size()));
        EXPECT_NEAR(entries[static_cast<std::size_t>(code - firstChar)], advanceOf(all[i]) * 1000, 1)
            << "code " << code;
    }

    // The words where a viewer puts them: each as wide as its glyphs, each
    // starting one space after the end of the one before.
    const std::vector<TWordBox> words = PdftotextWords(dir / "quotes.pdf");
    std::vector<std::u16string> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    ASSERT_EQ(words.size(), expected.size());
    double x = left;
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(words[i].text, Utf16ToUtf8(expected[i]));
        double width = 0;
        for (const char16_t c : expected[i]) width += advanceOf(c) * size;
        EXPECT_NEAR(words[i].xMin, x, 0.1) << Utf16ToUtf8(expected[i]);
        EXPECT_NEAR(words[i].xMax - words[i].xMin, width, 0.05) << Utf16ToUtf8(expected[i]);
        x = words[i].xMax + advanceOf(u' ') * size;
    }
}
