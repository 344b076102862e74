// Wide text (UnicodeText) in TrueType fonts and font subsets (SubsetFonts):
// the text a viewer finds and where it puts each glyph, compared with
// pdftotext and fontTools; subsets loaded by fontTools and rendered like the
// whole fonts.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/TextCodec.h"
#include "engine/Vellumark.h"
#include "model/TextLayout.h"

using namespace vellumark;
using namespace vellumark::test;
namespace fs = std::filesystem;

namespace {

const char* const kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// A TrueType CJK font with a format 12 map (Debian's fonts-droid-fallback);
// the Noto CJK fonts have CFF outlines, which AddFont refuses.
const char* const kCJK = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";

// Code points of UTF-16 text, a surrogate pair read as one.
std::vector<uint32_t> CodePoints(const std::u16string& s) {
    std::vector<uint32_t> v;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const TWideChar ch = WideCharAt(s, i);
        if (ch.Starts) v.push_back(ch.CodePoint);
    }
    return v;
}

std::vector<std::u16string> Words(const std::u16string& line) {
    std::vector<std::u16string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(u' ', at), line.size());
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// The bytes of every embedded font file of a saved PDF, decompressed.
std::vector<std::string> FontFiles(const std::string& pdf) {
    std::vector<std::string> files;
    std::size_t at = 0;
    while ((at = pdf.find("/FontFile2 ", at)) != std::string::npos) {
        at += 11;
        files.push_back(Inflate(StreamData(pdf, std::stoi(pdf.substr(at)))));
    }
    return files;
}

}  // namespace

// One line of each script, embedded (as a subset, whose /W widths and
// ToUnicode map are the same as the whole font's): pdftotext gives the text
// back, and each word starts where the glyph advances fontTools reads put it.
TEST(WriterUnicode, ScriptsGiveTheirTextBackWhereTheFontPutsIt) {
    ASSERT_TRUE(fs::exists(kSans) && fs::exists(kCJK)) << "fonts-dejavu-core and fonts-droid-fallback";
    ASSERT_TRUE(HasTool("pdftotext") && HavePython("fontTools.ttLib"));
    struct TCase {
        const char* font;
        std::u16string text;
    } const cases[] = {
        {kSans, u"Καλημέρα κόσμε, ψυχή"},
        {kSans, u"Съешь же ещё этих мягких булок"},
        {kSans, u"Zażółć gęślą jaźń"},
        {kSans, u"Tiếng Việt có dấu"},
        {kCJK, u"你好世界 こんにちは"},
        {kCJK, u"𐐀𐐨 你"},  // beyond the BMP: surrogate pairs, the format 12 map
    };
    const double size = 12, left = 40;
    for (const TCase& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.text));
        TempDir dir;
        TVellumark e;
        e.UnicodeText = true;
        e.SubsetFonts = true;
        ASSERT_EQ(e.AddFont(Utf8ToUtf16(c.font)), 15);
        e.SetEmbedFont(15, true);
        e.AddPage(0);
        e.CreateText();
        e.SetTextFont(15);
        e.SetTextSize(static_cast<int32_t>(size));
        e.WriteText(c.text);
        e.ApplyResource(1, 1);
        e.Locate(1, 1, left, 700);
        EXPECT_TRUE(e.MissingCharacters().empty());
        const fs::path pdf = dir / "script.pdf";
        e.SaveToFile(Utf8ToUtf16(pdf.string()));
        ASSERT_TRUE(QpdfCheck(pdf));
        const std::string bytes = ReadFile(pdf);
        EXPECT_NE(bytes.find("%PDF-1.2"), std::string::npos);
        EXPECT_NE(bytes.find("/Subtype /Type0"), std::string::npos);

        const std::vector<uint32_t> chars = CodePoints(c.text);
        const std::vector<double> advances = FontToolsAdvances(c.font, chars);
        ASSERT_EQ(advances.size(), chars.size() + 1);
        const double unitsPerEm = advances[0];
        const auto em = [&](std::size_t i) { return advances[i + 1] / unitsPerEm; };
        double expectedLine = 0;
        for (std::size_t i = 0; i < chars.size(); ++i) expectedLine += em(i) * size;
        // Widths are whole thousandths of an em, rounded up by at most
        // 500 / unitsPerEm of one and truncated.
        const double slack = static_cast<double>(chars.size()) * size * (1 + 500 / unitsPerEm) / 1000;
        EXPECT_NEAR(e.TextLineWidth(c.text), expectedLine, slack);

        const std::vector<TWordBox> words = PdftotextWords(pdf);
        const std::vector<std::u16string> expected = Words(c.text);
        ASSERT_EQ(words.size(), expected.size());
        double x = left;
        std::size_t k = 0;  // index into chars
        for (std::size_t i = 0; i < words.size(); ++i) {
            EXPECT_EQ(words[i].text, Utf16ToUtf8(expected[i]));
            EXPECT_NEAR(words[i].xMin, x, slack) << i;
            for (std::size_t n = CodePoints(expected[i]).size(); n > 0; --n) x += em(k++) * size;
            EXPECT_NEAR(words[i].xMax, x, slack) << i;
            if (k < chars.size()) x += em(k++) * size;  // the space
        }
    }
}

// Characters the font has no glyph for are drawn with its missing glyph and
// collected for the host's warnings, each once.
TEST(WriterUnicode, MissingCharactersAreCollected) {
    ASSERT_TRUE(fs::exists(kCJK)) << "fonts-droid-fallback";
    TVellumark e;
    e.UnicodeText = true;
    ASSERT_EQ(e.AddFont(Utf8ToUtf16(kCJK)), 15);
    e.CreateText();
    e.SetTextFont(15);
    e.WriteText(u"AB 你 A");
    using M = TVellumark::TMissingCharacter;
    EXPECT_EQ(e.MissingCharacters(), (std::vector<M>{{15, 'A'}, {15, 'B'}}));
    e.Clear();
    EXPECT_TRUE(e.MissingCharacters().empty());
}

// Windows-1252 text breaks into the same runs at the same places with the
// setting on as with it off, wrapped or not.
TEST(WriterUnicode, Windows1252TextLaysOutAsNarrowText) {
    ASSERT_TRUE(fs::exists(kSans)) << "fonts-dejavu-core";
    const std::u16string lines[] = {
        u"Quotes ‘single’ and “double” – dashes — and an ellipsis… in one line",
        u"Ærøskøbing: Œuvre, façade, naïve, € 12,50 ™",
        u"Averylongwordwithoutanyspaceatallthatmustbecut somewhere",
    };
    struct TResult {
        std::vector<TTextRun> runs;
        double height = 0, width = 0, lineWidth = 0;
    };
    auto layOut = [&](bool unicode) {
        TVellumark e;
        e.UnicodeText = unicode;
        e.AddFont(Utf8ToUtf16(kSans));
        e.CreateText();
        e.SetTextFont(15);
        e.SetTextSize(11);
        e.SetTextMaxWidth(150);
        for (const auto& l : lines) e.WriteText(l);
        e.AppendText = true;
        e.WriteText(u" and a continued line");
        TResult r;
        r.height = e.TextBlockHeight();
        r.width = e.TextBlockWidth();
        r.lineWidth = e.TextLineWidth(lines[0]);
        r.runs = e.CurrentTextRes()->Layout.Runs;
        return r;
    };
    const TResult narrow = layOut(false);
    const TResult wide = layOut(true);
    EXPECT_EQ(wide.height, narrow.height);
    EXPECT_EQ(wide.width, narrow.width);
    EXPECT_EQ(wide.lineWidth, narrow.lineWidth);
    ASSERT_EQ(wide.runs.size(), narrow.runs.size());
    EXPECT_GT(narrow.runs.size(), 6u);
    for (std::size_t i = 0; i < narrow.runs.size(); ++i) {
        EXPECT_EQ(wide.runs[i].Start, narrow.runs[i].Start) << i;
        EXPECT_EQ(wide.runs[i].Length, narrow.runs[i].Length) << i;
        EXPECT_EQ(wide.runs[i].RunWidth, narrow.runs[i].RunWidth) << i;
        EXPECT_EQ(wide.runs[i].XOffset, narrow.runs[i].XOffset) << i;
        EXPECT_EQ(wide.runs[i].BaselineOffset, narrow.runs[i].BaselineOffset) << i;
    }
}

// Information strings: characters outside Windows-1252 kept as UTF-16 with
// the setting on, "?" with it off (as before).
TEST(WriterUnicode, InformationStrings) {
    ASSERT_TRUE(HasTool("pdfinfo"));
    struct TCase {
        bool unicode;
        std::u16string title;
        std::string shown;
    } const cases[] = {
        {true, u"Счёт № 17 – Ελλάδα", "Счёт № 17 – Ελλάδα"},
        {true, u"Café (1252 only)", "Café (1252 only)"},
        {false, u"Счёт 17", "???? 17"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.shown);
        TempDir dir;
        TVellumark e;
        e.UnicodeText = c.unicode;
        e.Title = c.title;
        e.AddPage(0);
        const fs::path pdf = dir / "info.pdf";
        e.SaveToFile(Utf8ToUtf16(pdf.string()));
        ASSERT_TRUE(QpdfCheck(pdf));
        const CommandResult r = RunCommand("pdfinfo " + ShellQuote(pdf.string()));
        EXPECT_NE(r.output.find("Title:           " + c.shown + "\n"), std::string::npos) << r.output;
    }
}

// Subsets, narrow and wide: every font file loads in fontTools with all its
// tables and glyphs, the name has its tag, the file is much smaller, and the
// page renders exactly like the one with the whole fonts.
TEST(WriterUnicode, SubsetsLoadInFontToolsAndRenderLikeTheWholeFont) {
    ASSERT_TRUE(fs::exists(kSans)) << "fonts-dejavu-core";
    ASSERT_TRUE(HavePython("fontTools.ttLib") && HasTool("pdftoppm"));
    for (const bool unicode : {false, true}) {
        SCOPED_TRACE(unicode ? "wide" : "narrow");
        TempDir dir;
        auto save = [&](bool subset) {
            TVellumark e;
            e.UnicodeText = unicode;
            e.SubsetFonts = subset;
            e.AddFont(Utf8ToUtf16(kSans));
            e.SetEmbedFont(15, true);
            e.AddPage(0);
            e.CreateText();
            e.SetTextFont(15);
            e.SetTextSize(14);
            e.WriteText(u"Invoice 2024-117 — Atelier Grünwald");
            e.WriteText(u"Letterpress cards, 500: € 48,50; ﬁ ǻ Ǿ");  // composite glyphs
            e.WriteText(u"Ωμέγα Жж Łł");
            e.ApplyResource(1, 1);
            e.Locate(1, 1, 30, 800);
            const fs::path pdf = dir / (subset ? "subset.pdf" : "whole.pdf");
            e.SaveToFile(Utf8ToUtf16(pdf.string()));
            EXPECT_TRUE(QpdfCheck(pdf));
            return pdf;
        };
        const fs::path whole = save(false);
        const fs::path subset = save(true);
        const std::string pdf = ReadFile(subset);
        EXPECT_LT(fs::file_size(subset) * 10, fs::file_size(whole));
        EXPECT_NE(pdf.find(unicode ? "+DejaVuSans\r/Encoding /Identity-H" : "+DejaVuSans\r/FontDescriptor"),
                  std::string::npos);

        const std::vector<std::string> files = FontFiles(pdf);
        ASSERT_EQ(files.size(), 1u);
        WriteFile(dir / "subset.ttf", files[0]);
        const CommandResult check = RunCommand(
            "/usr/bin/python3 -c " +
            ShellQuote("import sys\nfrom fontTools.ttLib import TTFont\n"
                       "f = TTFont(sys.argv[1], checkChecksums=2)\n"
                       "for tag in f.keys(): f[tag]\n"
                       "g = f['glyf']\n"
                       "assert f['maxp'].numGlyphs == len(f.getGlyphOrder())\n"
                       "for name in f.getGlyphOrder(): g[name].getCoordinates(g)\n"
                       "print('ok', sorted(f.keys()))") +
            " " + ShellQuote((dir / "subset.ttf").string()));
        EXPECT_EQ(check.status, 0) << check.output;
        EXPECT_NE(check.output.find("ok"), std::string::npos) << check.output;

        const Raster a = RenderPage(whole, 1, 100);
        const Raster b = RenderPage(subset, 1, 100);
        ASSERT_EQ(a.rgb.size(), b.rgb.size());
        EXPECT_TRUE(a.rgb == b.rgb);
        EXPECT_NE(a.rgb.find('\0'), std::string::npos);  // something was drawn
    }
}
