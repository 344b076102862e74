// The TrueType font reader on real font files, against values computed
// independently with fontTools (tests/data/fonts/make_expectations.py wrote
// tests/data/fonts/expected_metrics.txt). System fonts that are not
// installed, or whose file differs from the one the values came from, are
// skipped.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "truetype/vkFont.h"

using namespace vellumark;

namespace {

struct Expected {
    std::size_t size = 0;
    uint64_t hash = 0;
    bool loaded = false;
    std::string postScriptName;
    int unitsPerEm = 0;
    int ascent = 0, descent = 0;
    int bbox[4] = {};
    double italicAngle = 0;
    std::vector<int> glyphs, widths;
    uint64_t bmpHash = 0;
};

uint64_t Fnv1a64(const uint8_t* data, std::size_t size) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 0x100000001B3ull;
    }
    return h;
}

std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

const std::map<std::string, Expected>& AllExpected() {
    static const std::map<std::string, Expected> all = [] {
        std::map<std::string, Expected> m;
        std::ifstream in(std::string(TEST_DATA_DIR) + "/fonts/expected_metrics.txt");
        std::string line, label;
        Expected e;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream ss(line);
            std::string key;
            ss >> key;
            if (key == "font") {
                ss >> label;
                e = Expected{};
            } else if (key == "size") {
                ss >> e.size;
            } else if (key == "fnv1a64") {
                std::string h;
                ss >> h;
                e.hash = std::stoull(h, nullptr, 16);
            } else if (key == "loaded") {
                int v = 0;
                ss >> v;
                e.loaded = v != 0;
            } else if (key == "postscript") {
                std::string h;
                ss >> h;
                e.postScriptName = FromHex(h);
            } else if (key == "units-per-em") {
                ss >> e.unitsPerEm;
            } else if (key == "ascent") {
                ss >> e.ascent;
            } else if (key == "descent") {
                ss >> e.descent;
            } else if (key == "bbox") {
                ss >> e.bbox[0] >> e.bbox[1] >> e.bbox[2] >> e.bbox[3];
            } else if (key == "italic-angle") {
                std::string v;
                ss >> v;
                e.italicAngle = std::strtod(v.c_str(), nullptr);
            } else if (key == "glyphs" || key == "widths") {
                auto& v = key == "glyphs" ? e.glyphs : e.widths;
                int x;
                while (ss >> x) v.push_back(x);
            } else if (key == "bmp-fnv1a64") {
                std::string h;
                ss >> h;
                e.bmpHash = std::stoull(h, nullptr, 16);
            } else if (key == "end") {
                m[label] = e;
            }
        }
        return m;
    }();
    return all;
}

// The file a label of the expectations names.
std::string PathOf(const std::string& label) {
    if (label.rfind("data/", 0) == 0) return std::string(TEST_DATA_DIR) + "/fonts/" + label.substr(5);
    return label.substr(std::string("system").size());
}

void CheckFont(const std::string& label) {
    const auto& all = AllExpected();
    const auto it = all.find(label);
    ASSERT_NE(it, all.end()) << "no expectations for " << label;
    const Expected& e = it->second;
    const std::string path = PathOf(label);
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";

    TvkFont font;
    const bool loaded = font.LoadFromFile(path);
    if (font.DataSize() != e.size || Fnv1a64(font.Data().Memory(), font.DataSize()) != e.hash) {
        ASSERT_EQ(label.rfind("data/", 0), 0u) << "only system fonts may differ";
        GTEST_SKIP() << path << " is not the version the expectations were made from";
    }
    ASSERT_EQ(loaded, e.loaded);
    if (!loaded) return;

    EXPECT_EQ(font.PostScriptName(), e.postScriptName);
    EXPECT_EQ(font.UnitsPerEm(), e.unitsPerEm);
    EXPECT_EQ(font.Ascent(), e.ascent);
    EXPECT_EQ(font.Descent(), e.descent);
    EXPECT_EQ(font.BBoxXMin(), e.bbox[0]);
    EXPECT_EQ(font.BBoxYMin(), e.bbox[1]);
    EXPECT_EQ(font.BBoxXMax(), e.bbox[2]);
    EXPECT_EQ(font.BBoxYMax(), e.bbox[3]);
    EXPECT_DOUBLE_EQ(font.ItalicAngle(), e.italicAngle);
    ASSERT_EQ(e.glyphs.size(), 256u);
    ASSERT_EQ(e.widths.size(), 256u);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(font.GlyphIndex(static_cast<uint16_t>(c)), e.glyphs[c]) << "code " << c;
        EXPECT_EQ(font.CharWidth(static_cast<uint8_t>(c)), e.widths[c]) << "code " << c;
    }
    std::vector<uint8_t> bmp;
    bmp.reserve(2 * 65536);
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
        const uint16_t g = font.GlyphIndex(static_cast<uint16_t>(c));
        bmp.push_back(static_cast<uint8_t>(g & 0xFF));
        bmp.push_back(static_cast<uint8_t>(g >> 8));
    }
    EXPECT_EQ(Fnv1a64(bmp.data(), bmp.size()), e.bmpHash) << "the map of the whole BMP differs";

    // A copy answers the same without reading the file again.
    TvkFont copy;
    copy.Assign(font);
    EXPECT_EQ(copy.DataSize(), e.size);
    EXPECT_EQ(copy.PostScriptName(), e.postScriptName);
    for (int c = 0; c < 256; ++c) EXPECT_EQ(copy.CharWidth(static_cast<uint8_t>(c)), e.widths[c]) << "code " << c;
}

const char* const kDejaVu = "system/usr/share/fonts/truetype/dejavu/";
const char* const kLiberation = "system/usr/share/fonts/truetype/liberation/";

}  // namespace

TEST(TrueTypeFonts, ExpectationsArePresent) {
    EXPECT_GE(AllExpected().size(), 3u);
}

TEST(TrueTypeFonts, TestFontLatin) { CheckFont("data/VkTest-Italic.ttf"); }
TEST(TrueTypeFonts, TestFontSymbol) { CheckFont("data/VkSymbol.ttf"); }
TEST(TrueTypeFonts, TestFontWindowsNamesOnly) { CheckFont("data/VkWindowsNames.ttf"); }

TEST(TrueTypeFonts, DejaVuSans) { CheckFont(std::string(kDejaVu) + "DejaVuSans.ttf"); }
TEST(TrueTypeFonts, DejaVuSansOblique) { CheckFont(std::string(kDejaVu) + "DejaVuSans-Oblique.ttf"); }
TEST(TrueTypeFonts, DejaVuSansMono) { CheckFont(std::string(kDejaVu) + "DejaVuSansMono.ttf"); }
TEST(TrueTypeFonts, LiberationSerif) { CheckFont(std::string(kLiberation) + "LiberationSerif-Regular.ttf"); }
TEST(TrueTypeFonts, LiberationSerifItalic) { CheckFont(std::string(kLiberation) + "LiberationSerif-Italic.ttf"); }
TEST(TrueTypeFonts, LiberationSansBold) { CheckFont(std::string(kLiberation) + "LiberationSans-Bold.ttf"); }
// PostScript outlines, which cannot be embedded as a TrueType font file.
TEST(TrueTypeFonts, FreeSansOpenTypeDoesNotLoad) {
    CheckFont("system/usr/share/fonts/opentype/freefont/FreeSans.otf");
}

// The values that text layout and the writer rely on, spelled out for the
// committed test font (2048 units per em).
TEST(TrueTypeFonts, TestFontValues) {
    TvkFont font;
    ASSERT_TRUE(font.LoadFromFile(std::string(TEST_DATA_DIR) + "/fonts/VkTest-Italic.ttf"));
    EXPECT_EQ(font.PostScriptName(), "VkTest-Italic");
    EXPECT_EQ(font.Ascent(), 905);    // 1854 units
    EXPECT_EQ(font.Descent(), -212);  // -434 units
    EXPECT_DOUBLE_EQ(font.ItalicAngle(), -11.5);
    EXPECT_EQ(font.CharWidth('A'), 556);  // 1139 units
    EXPECT_EQ(font.StringWidth("AAA"), 1668);
    EXPECT_EQ(font.CharWidth(' '), 278);
    EXPECT_EQ(font.CharWidth(0xE9), 556);  // e acute at U+00E9
    // Byte 0x80 is the euro sign in Windows-1252: its width is that of
    // U+20AC, although the font maps nothing at U+0080.
    EXPECT_EQ(font.GlyphIndex(0x80), 0);
    EXPECT_NE(font.GlyphIndex(0x20AC), 0);
    EXPECT_EQ(font.CharWidth(0x80), 556);
    // period and comma lie beyond the long metrics: the last advance.
    EXPECT_LT(font.NumberOfHMetrics(), 9);
    EXPECT_EQ(font.CharWidth('.'), 244);
    EXPECT_EQ(font.CharWidth(','), 244);
    // The digits go through the glyph id array.
    EXPECT_EQ(font.CharWidth('0'), font.CharWidth('C'));
    EXPECT_EQ(font.CharWidth('1'), font.CharWidth('A'));
    EXPECT_EQ(font.CharWidth('3'), font.CharWidth('B'));
    EXPECT_EQ(font.CharWidth('4'), font.CharWidth(' '));
}

TEST(TrueTypeFonts, SymbolFontUsesTheFirstRecord) {
    TvkFont font;
    ASSERT_TRUE(font.LoadFromFile(std::string(TEST_DATA_DIR) + "/fonts/VkSymbol.ttf"));
    // (3,0) comes before (3,1): A is alpha there, gamma in the Unicode map.
    EXPECT_EQ(font.GlyphIndex('A'), 1);
    EXPECT_EQ(font.GlyphIndex('B'), 2);
    EXPECT_EQ(font.GlyphIndex(0xF041), 3);
    EXPECT_EQ(font.CharWidth('A'), 1200);
    EXPECT_EQ(font.CharWidth('B'), 1400);
}

TEST(TrueTypeFonts, WindowsOnlyNameIsTaken) {
    TvkFont font;
    EXPECT_TRUE(font.LoadFromFile(std::string(TEST_DATA_DIR) + "/fonts/VkWindowsNames.ttf"));
    EXPECT_EQ(font.PostScriptName(), "VkWindowsNames");
}

TEST(TrueTypeFonts, TestFontMinimal) { CheckFont("data/VkMinimal.ttf"); }
