// The TrueType font reader on fonts built byte by byte in the tests: the
// big-endian stream readers, the scaling rule, every table reader and the
// ways a damaged font is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "truetype/vkFont.h"

using namespace vellumark;

namespace {

// ---------------------------------------------------------------------------
// Byte builders

void Put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
    s.push_back(static_cast<char>(v & 0xFF));
}

void Put32(std::string& s, uint32_t v) {
    Put16(s, v >> 16);
    Put16(s, v & 0xFFFF);
}

void Set16(std::string& s, std::size_t at, uint32_t v) {
    s[at] = static_cast<char>((v >> 8) & 0xFF);
    s[at + 1] = static_cast<char>(v & 0xFF);
}

void Set32(std::string& s, std::size_t at, uint32_t v) {
    Set16(s, at, v >> 16);
    Set16(s, at + 2, v & 0xFFFF);
}

struct Segment {
    uint16_t start, end, delta, rangeOffset;
};

// A format 4 subtable from explicit segments and glyph id array.
std::string Format4(const std::vector<Segment>& segs, const std::vector<uint16_t>& glyphIds = {},
                    uint16_t segCountX2Override = 0) {
    std::string s;
    const auto n = static_cast<uint16_t>(segs.size());
    Put16(s, 4);
    Put16(s, 0);  // length, patched below
    Put16(s, 0);  // language
    Put16(s, segCountX2Override ? segCountX2Override : 2 * n);
    Put16(s, 0);
    Put16(s, 0);
    Put16(s, 0);  // searchRange, entrySelector, rangeShift: not read
    for (const auto& g : segs) Put16(s, g.end);
    Put16(s, 0);  // reservedPad
    for (const auto& g : segs) Put16(s, g.start);
    for (const auto& g : segs) Put16(s, g.delta);
    for (const auto& g : segs) Put16(s, g.rangeOffset);
    for (uint16_t id : glyphIds) Put16(s, id);
    Set16(s, 2, static_cast<uint32_t>(s.size()));
    return s;
}

// A format 4 subtable mapping each code to a glyph with one delta segment
// per code, closed by the usual 0xFFFF segment.
std::string Format4Map(const std::map<uint16_t, uint16_t>& map) {
    std::vector<Segment> segs;
    for (const auto& [code, glyph] : map)
        segs.push_back({code, code, static_cast<uint16_t>(glyph - code), 0});
    segs.push_back({0xFFFF, 0xFFFF, 1, 0});
    return Format4(segs);
}

std::string Format0(const std::vector<uint8_t>& glyphs) {
    std::string s;
    Put16(s, 0);
    Put16(s, 262);
    Put16(s, 0);
    for (int i = 0; i < 256; ++i) s.push_back(static_cast<char>(i < static_cast<int>(glyphs.size()) ? glyphs[i] : 0));
    return s;
}

std::string Format6(uint16_t first, const std::vector<uint16_t>& glyphs) {
    std::string s;
    Put16(s, 6);
    Put16(s, static_cast<uint32_t>(10 + 2 * glyphs.size()));
    Put16(s, 0);
    Put16(s, first);
    Put16(s, static_cast<uint32_t>(glyphs.size()));
    for (uint16_t g : glyphs) Put16(s, g);
    return s;
}

struct NameRecord {
    uint16_t platform, encoding, language, nameId;
    std::string text;
};

struct CmapRecord {
    uint16_t platform, encoding;
    std::size_t subtable;  // index into FontDesc::subtables
};

struct FontDesc {
    uint16_t unitsPerEm = 2048;
    int16_t xMin = -1021, yMin = -463, xMax = 2793, yMax = 1995;
    int16_t ascender = 1854, descender = -434;
    // The long metrics; numberOfHMetrics is their count unless overridden.
    std::vector<uint16_t> advances = {1229, 569, 1139, 1366, 1479};
    int32_t numberOfHMetrics = -1;
    std::vector<NameRecord> names = {{3, 1, 0x409, 6, std::string("\0V\0k", 4)}, {1, 0, 0, 6, "VkSynth-Regular"}};
    // Glyphs: 0 .notdef, 1 space, 2 A, 3 B, 4 C.
    std::vector<std::string> subtables = {Format4Map({{0x20, 1}, {0x41, 2}, {0x42, 3}, {0x43, 4}})};
    std::vector<CmapRecord> cmapRecords = {{3, 1, 0}};
    int16_t italicWhole = 0;
    uint16_t italicFraction = 0;
    uint32_t sfntVersion = 0x00010000;
    uint32_t headLength = 54;
    uint32_t hheaLength = 36;
    // Tables to leave out, tables to add or replace (tag -> bytes).
    std::vector<std::string> omit;
    std::map<std::string, std::string> replace;
    std::vector<std::pair<std::string, std::string>> extra;
};

std::string NameTable(const std::vector<NameRecord>& names) {
    std::string s, strings;
    Put16(s, 0);
    Put16(s, static_cast<uint32_t>(names.size()));
    Put16(s, static_cast<uint32_t>(6 + 12 * names.size()));
    for (const auto& n : names) {
        Put16(s, n.platform);
        Put16(s, n.encoding);
        Put16(s, n.language);
        Put16(s, n.nameId);
        Put16(s, static_cast<uint32_t>(n.text.size()));
        Put16(s, static_cast<uint32_t>(strings.size()));
        strings += n.text;
    }
    return s + strings;
}

std::string HeadTable(const FontDesc& f) {
    std::string s(std::max<uint32_t>(f.headLength, 54), '\0');
    Set32(s, 0, 0x00010000);
    Set32(s, 12, 0x5F0F3CF5);  // magic
    Set16(s, 18, f.unitsPerEm);
    Set16(s, 36, static_cast<uint16_t>(f.xMin));
    Set16(s, 38, static_cast<uint16_t>(f.yMin));
    Set16(s, 40, static_cast<uint16_t>(f.xMax));
    Set16(s, 42, static_cast<uint16_t>(f.yMax));
    s.resize(f.headLength);
    return s;
}

std::string HheaTable(const FontDesc& f) {
    std::string s(std::max<uint32_t>(f.hheaLength, 36), '\0');
    Set32(s, 0, 0x00010000);
    Set16(s, 4, static_cast<uint16_t>(f.ascender));
    Set16(s, 6, static_cast<uint16_t>(f.descender));
    const uint32_t count = f.numberOfHMetrics >= 0 ? static_cast<uint32_t>(f.numberOfHMetrics)
                                                   : static_cast<uint32_t>(f.advances.size());
    Set16(s, 34, count);
    s.resize(f.hheaLength);
    return s;
}

std::string HmtxTable(const FontDesc& f) {
    std::string s;
    for (uint16_t a : f.advances) {
        Put16(s, a);
        Put16(s, 17);  // lsb
    }
    return s;
}

std::string CmapTable(const FontDesc& f) {
    std::string s;
    Put16(s, 0);
    Put16(s, static_cast<uint32_t>(f.cmapRecords.size()));
    std::vector<uint32_t> offsets;
    uint32_t at = static_cast<uint32_t>(4 + 8 * f.cmapRecords.size());
    for (const auto& sub : f.subtables) {
        offsets.push_back(at);
        at += static_cast<uint32_t>(sub.size());
    }
    for (const auto& r : f.cmapRecords) {
        Put16(s, r.platform);
        Put16(s, r.encoding);
        Put32(s, offsets.at(r.subtable));
    }
    for (const auto& sub : f.subtables) s += sub;
    return s;
}

std::string PostTable(const FontDesc& f) {
    std::string s;
    Put32(s, 0x00030000);
    Put16(s, static_cast<uint16_t>(f.italicWhole));
    Put16(s, f.italicFraction);
    s.resize(32, '\0');
    return s;
}

// Offset of the directory record for table i.
constexpr std::size_t DirRecord(std::size_t i) { return 12 + 16 * i; }

// glyf and loca are never read; they only have to be there: short loca
// offsets, all 0 (every glyph empty), and a glyf table of 4 bytes.
std::string LocaTable(const FontDesc& f) { return std::string(2 * (f.advances.size() + 1), '\0'); }

std::string BuildFont(const FontDesc& f) {
    std::vector<std::pair<std::string, std::string>> tables = {
        {"cmap", CmapTable(f)}, {"glyf", std::string(4, '\0')}, {"head", HeadTable(f)},
        {"hhea", HheaTable(f)}, {"hmtx", HmtxTable(f)}, {"loca", LocaTable(f)},
        {"name", NameTable(f.names)}, {"post", PostTable(f)}};
    std::vector<std::pair<std::string, std::string>> kept;
    for (auto& [tag, bytes] : tables) {
        if (std::find(f.omit.begin(), f.omit.end(), tag) != f.omit.end()) continue;
        const auto r = f.replace.find(tag);
        kept.emplace_back(tag, r != f.replace.end() ? r->second : bytes);
    }
    for (const auto& e : f.extra) kept.push_back(e);

    std::string font;
    Put32(font, f.sfntVersion);
    Put16(font, static_cast<uint32_t>(kept.size()));
    Put16(font, 0);
    Put16(font, 0);
    Put16(font, 0);
    std::size_t offset = DirRecord(kept.size());
    std::string body;
    for (const auto& [tag, bytes] : kept) {
        font += tag.substr(0, 4);
        Put32(font, 0);  // checksum, not read
        Put32(font, static_cast<uint32_t>(offset + body.size()));
        Put32(font, static_cast<uint32_t>(bytes.size()));
        body += bytes;
        while (body.size() % 4) body.push_back('\0');
    }
    return font + body;
}

std::string BuildFont() { return BuildFont(FontDesc{}); }

// The directory record of tag in a built font.
std::size_t FindRecord(const std::string& font, const std::string& tag) {
    const std::size_t n = (static_cast<uint8_t>(font[4]) << 8) | static_cast<uint8_t>(font[5]);
    for (std::size_t i = 0; i < n; ++i)
        if (font.compare(DirRecord(i), 4, tag) == 0) return DirRecord(i);
    ADD_FAILURE() << "no table " << tag;
    return 0;
}

uint32_t Get32(const std::string& s, std::size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}

bool Load(TvkFont& font, const std::string& bytes) {
    return font.LoadFromMemory(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

bool Loads(const std::string& bytes) {
    TvkFont font;
    return Load(font, bytes);
}

bool Loads(const FontDesc& desc) { return Loads(BuildFont(desc)); }

void ExpectNotLoaded(const TvkFont& font) {
    EXPECT_FALSE(font.Loaded());
    EXPECT_FALSE(font.UnicodeMap());
    EXPECT_EQ(font.GlyphIndex(0x41), 0);
    EXPECT_EQ(font.CharWidth('A'), 0);
    EXPECT_EQ(font.CharWidth(0), 0);
    EXPECT_EQ(font.StringWidth("ABC"), 0);
    EXPECT_EQ(font.Ascent(), 0);
    EXPECT_EQ(font.Descent(), 0);
    EXPECT_EQ(font.BBoxXMin(), 0);
    EXPECT_EQ(font.BBoxYMin(), 0);
    EXPECT_EQ(font.BBoxXMax(), 0);
    EXPECT_EQ(font.BBoxYMax(), 0);
    EXPECT_EQ(font.PostScriptName(), "");
    EXPECT_EQ(font.ItalicAngle(), 0.0);
}

}  // namespace

// ---------------------------------------------------------------------------
// The stream

TEST(TrueTypeStream, BigEndianReads) {
    TFontMemoryStream s;
    const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0xFF};
    s.Assign(bytes);
    EXPECT_EQ(ReadUInt16BE(s), 0x1234);
    EXPECT_EQ(s.Position(), 2u);
    EXPECT_EQ(ReadUInt32BE(s), 0x56789ABCu);
    EXPECT_EQ(ReadInt16BE(s), static_cast<int16_t>(0xDEF0));
    EXPECT_EQ(s.Position(), 8u);
    // One byte left: both readers refuse and leave the position alone.
    EXPECT_THROW(ReadUInt16BE(s), EReadError);
    EXPECT_THROW(ReadUInt32BE(s), EReadError);
    EXPECT_EQ(s.Position(), 8u);
    EXPECT_EQ(s.ReadUInt8(), 0xFF);
    EXPECT_THROW(s.ReadUInt8(), EReadError);
    // A position far beyond the end.
    s.SetPosition(SIZE_MAX - 1);
    EXPECT_THROW(ReadUInt32BE(s), EReadError);
    s.Skip(100);
    EXPECT_EQ(s.Position(), SIZE_MAX);
    EXPECT_THROW(ReadUInt16BE(s), EReadError);
}

TEST(TrueTypeStream, ReadWriteAndPeek) {
    TFontMemoryStream s;
    EXPECT_EQ(s.Size(), 0u);
    s.Write("abcd", 4);
    EXPECT_EQ(s.Size(), 4u);
    EXPECT_EQ(s.Position(), 4u);
    s.SetPosition(6);
    s.Write("xy", 2);  // the gap is filled with zeros
    EXPECT_EQ(s.Size(), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), 8), std::string("abcd\0\0xy", 8));
    s.SetPosition(5);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 3u);
    EXPECT_EQ(s.Position(), 8u);
    EXPECT_EQ(s.Read(buf, 8), 0u);

    uint16_t v16 = 0;
    uint32_t v32 = 0;
    EXPECT_TRUE(PeekUInt16BE(s.Bytes(), 0, v16));
    EXPECT_EQ(v16, 0x6162);
    EXPECT_TRUE(PeekUInt16BE(s.Bytes(), 6, v16));
    EXPECT_FALSE(PeekUInt16BE(s.Bytes(), 7, v16));
    EXPECT_FALSE(PeekUInt16BE(s.Bytes(), UINT64_MAX, v16));
    EXPECT_TRUE(PeekUInt32BE(s.Bytes(), 4, v32));
    EXPECT_EQ(v32, 0x00007879u);
    EXPECT_FALSE(PeekUInt32BE(s.Bytes(), 5, v32));
    EXPECT_FALSE(PeekUInt32BE({}, 0, v32));
    s.Clear();
    EXPECT_EQ(s.Size(), 0u);
    EXPECT_EQ(s.Position(), 0u);
}

TEST(TrueTypeStream, LoadFromFile) {
    test::TempDir dir;
    test::WriteFile(dir / "f.bin", std::string("\x01\x02\x03", 3));
    TFontMemoryStream s;
    s.LoadFromFile((dir / "f.bin").string());
    EXPECT_EQ(s.Size(), 3u);
    EXPECT_EQ(s.Position(), 0u);
    EXPECT_THROW(s.LoadFromFile((dir / "missing.bin").string()), EFOpenError);
    EXPECT_THROW(s.LoadFromFile(dir.Path().string()), EFOpenError);
    EXPECT_THROW(s.LoadFromFile(""), EFOpenError);
    EXPECT_EQ(s.Size(), 3u);  // unchanged by the failures

    // A file of 200 KB crosses the reading blocks.
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    test::WriteFile(dir / "big.bin", big);
    s.LoadFromFile((dir / "big.bin").string());
    ASSERT_EQ(s.Size(), big.size());
    EXPECT_EQ(std::memcmp(s.Memory(), big.data(), big.size()), 0);
}

// ---------------------------------------------------------------------------
// The scaling rule

TEST(TrueTypeScaling, ExamplesOfTheRule) {
    EXPECT_EQ(MetricToThousandths(1854, 2048), 905);   // 905.52
    EXPECT_EQ(MetricToThousandths(-434, 2048), -212);  // -212.16
    EXPECT_EQ(MetricToThousandths(1139, 2048), 556);
    // 500 is added before the division: 22 units at 2048 are 10.74
    // thousandths, which rounding would make 11.
    EXPECT_EQ(MetricToThousandths(22, 2048), 10);
    EXPECT_EQ(MetricToThousandths(-22, 2048), -10);
    EXPECT_EQ(MetricToThousandths(0, 2048), 0);
    EXPECT_EQ(MetricToThousandths(65535, 1), 65535500);  // the 500 is not divided away
    EXPECT_EQ(MetricToThousandths(-32768, 16), -2048031);
    EXPECT_EQ(MetricToThousandths(5, 0), 0);
}

TEST(TrueTypeScaling, ThousandUnitsPerEmKeepValues) {
    for (int v = -32768; v <= 65535; ++v) ASSERT_EQ(MetricToThousandths(v, 1000), v) << v;
}

// ---------------------------------------------------------------------------
// A well-formed font

TEST(TrueTypeReader, NewReaderIsEmpty) {
    TvkFont font;
    ExpectNotLoaded(font);
    EXPECT_EQ(font.DataSize(), 0u);
    EXPECT_FALSE(font.FindTable("head"));
}

TEST(TrueTypeReader, ReadsAllSixTables) {
    FontDesc desc;
    desc.italicWhole = -12;
    desc.italicFraction = 32768;
    const std::string bytes = BuildFont(desc);
    TvkFont font;
    ASSERT_TRUE(Load(font, bytes));
    EXPECT_TRUE(font.Loaded());
    EXPECT_EQ(font.PostScriptName(), "VkSynth-Regular");
    EXPECT_EQ(font.UnitsPerEm(), 2048);
    EXPECT_EQ(font.Ascent(), 905);
    EXPECT_EQ(font.Descent(), -212);
    EXPECT_EQ(font.BBoxXMin(), -498);  // (-1021000 - 500) / 2048 = -498.8
    EXPECT_EQ(font.BBoxYMin(), -226);
    EXPECT_EQ(font.BBoxXMax(), 1364);  // (2793000 + 500) / 2048 = 1364.0
    EXPECT_EQ(font.BBoxYMax(), 974);
    EXPECT_DOUBLE_EQ(font.ItalicAngle(), -11.5);
    EXPECT_EQ(font.NumberOfHMetrics(), 5);
    EXPECT_EQ(font.AdvanceWidths(), (std::vector<uint16_t>{1229, 569, 1139, 1366, 1479}));
    EXPECT_EQ(font.EncodingCount(), 1);
    EXPECT_EQ(font.TableCount(), 8);
    EXPECT_EQ(font.Segments().size(), 5u);
    EXPECT_EQ(font.DataSize(), bytes.size());
    EXPECT_EQ(std::memcmp(font.Data().Memory(), bytes.data(), bytes.size()), 0);

    EXPECT_EQ(font.GlyphIndex(0x41), 2);
    EXPECT_EQ(font.GlyphIndex(0x43), 4);
    EXPECT_EQ(font.GlyphIndex(0x44), 0);
    EXPECT_EQ(font.CharWidth('A'), 556);
    EXPECT_EQ(font.CharWidth(' '), 278);  // (569000 + 500) / 2048 = 278.08
    EXPECT_EQ(font.CharWidth('C'), 722);  // 722.41
    // Unmapped codes take the missing glyph's width.
    EXPECT_EQ(font.CharWidth('D'), 600);  // 600.34
    EXPECT_EQ(font.CharWidth(0), 600);
    EXPECT_EQ(font.CharWidth(255), 600);
    EXPECT_EQ(font.StringWidth("AAA"), 3 * 556);
    EXPECT_EQ(font.StringWidth(" A "), 278 + 556 + 278);
    EXPECT_EQ(font.StringWidth(""), 0);
}

TEST(TrueTypeReader, ItalicAngleIsSixteenDotSixteen) {
    FontDesc desc;
    const struct { int16_t whole; uint16_t fraction; double angle; } cases[] = {
        {-12, 0, -12.0}, {-12, 32768, -11.5}, {11, 32768, 11.5}, {0, 16384, 0.25}, {-1, 65535, -1.0 / 65536},
        {-32768, 0, -32768.0}};
    for (const auto& c : cases) {
        desc.italicWhole = c.whole;
        desc.italicFraction = c.fraction;
        TvkFont font;
        ASSERT_TRUE(Load(font, BuildFont(desc)));
        EXPECT_DOUBLE_EQ(font.ItalicAngle(), c.angle) << c.whole << " " << c.fraction;
    }
}

TEST(TrueTypeReader, CharWidthTakesCharAsByte) {
    FontDesc desc;
    desc.subtables = {Format4Map({{0xE9, 2}, {0xFF, 3}})};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    const char e = '\xE9';  // a negative char on most platforms
    EXPECT_EQ(font.CharWidth(e), 556);
    EXPECT_EQ(font.StringWidth("\xE9\xFF"), 556 + 667);
}

TEST(TrueTypeReader, NarrowCodesAreWindows1252InAUnicodeMapOnly) {
    // Glyph widths 500 (missing), 100 .. 600, mapped from C1 controls and
    // from the characters Windows-1252 puts at the same bytes.
    FontDesc desc;
    desc.unitsPerEm = 1000;
    desc.advances = {500, 100, 200, 300, 400, 600};
    desc.subtables = {Format4Map({{0x92, 1}, {0x2019, 2}, {0x81, 3}, {0x20AC, 4}, {0xE9, 5}})};
    const struct {
        uint16_t encoding;
        uint8_t byte;
        int32_t width;
    } cases[] = {
        {1, 0x92, 200},  // U+2019, not U+0092
        {1, 0x80, 400},  // U+20AC
        {1, 0x93, 500},  // U+201C, not in the map
        {1, 0x81, 300},  // undefined in Windows-1252: looked up as U+0081
        {1, 0xE9, 600},
        {0, 0x92, 100},  // a symbol map takes every code unchanged
        {0, 0x80, 500},
        {0, 0x81, 300},
        {0, 0xE9, 600},
    };
    for (const auto& c : cases) {
        desc.cmapRecords = {{3, c.encoding, 0}};
        TvkFont font;
        ASSERT_TRUE(Load(font, BuildFont(desc)));
        EXPECT_EQ(font.UnicodeMap(), c.encoding == 1);
        EXPECT_EQ(font.CharWidth(c.byte), c.width) << "(3," << c.encoding << ") byte " << int{c.byte};
        // GlyphIndex answers for the code as it is.
        EXPECT_EQ(font.GlyphIndex(0x92), 1);
    }
}

TEST(TrueTypeReader, GlyphsBeyondTheLongMetricsTakeTheLastAdvance) {
    FontDesc desc;
    desc.advances = {1000, 2048};
    desc.subtables = {Format4Map({{0x41, 1}, {0x42, 2}, {0x43, 700}})};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.CharWidth('A'), 1000);
    EXPECT_EQ(font.CharWidth('B'), 1000);
    EXPECT_EQ(font.CharWidth('C'), 1000);
    EXPECT_EQ(font.CharWidth('D'), 488);  // glyph 0
}

TEST(TrueTypeReader, NoLongMetricsGiveWidthZero) {
    FontDesc desc;
    desc.advances = {};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.CharWidth('A'), 0);
    EXPECT_EQ(font.CharWidth(0), 0);
}

TEST(TrueTypeReader, HmtxMayHoldMoreThanTheLongMetrics) {
    FontDesc desc;
    desc.numberOfHMetrics = 2;  // the other three entries count as bearings
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.NumberOfHMetrics(), 2);
    EXPECT_EQ(font.CharWidth('A'), 278);  // glyph 2 takes the advance of glyph 1
}

TEST(TrueTypeReader, UnitsPerEmThousandKeepsValues) {
    FontDesc desc;
    desc.unitsPerEm = 1000;
    desc.ascender = 718;
    desc.descender = -207;
    desc.xMin = -166;
    desc.yMin = -225;
    desc.xMax = 1000;
    desc.yMax = 931;
    desc.advances = {0, 278, 667, 667, 722};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.Ascent(), 718);
    EXPECT_EQ(font.Descent(), -207);
    EXPECT_EQ(font.BBoxXMin(), -166);
    EXPECT_EQ(font.BBoxYMin(), -225);
    EXPECT_EQ(font.BBoxXMax(), 1000);
    EXPECT_EQ(font.BBoxYMax(), 931);
    EXPECT_EQ(font.CharWidth('A'), 667);
    EXPECT_EQ(font.StringWidth("AAA"), 2001);
}

TEST(TrueTypeReader, PostScriptNameBytesAreKeptAsStored) {
    FontDesc desc;
    desc.names = {{1, 0, 0, 6, std::string("My Font\xA5-\0x", 11)}};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.PostScriptName(), std::string("My Font\xA5-\0x", 11));

    desc.names = {{1, 0, 0, 6, ""}};
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.PostScriptName(), "");
}

TEST(TrueTypeReader, OnlyTheMacintoshRomanEnglishRecordCounts) {
    FontDesc desc;
    desc.names = {{3, 1, 0x409, 6, std::string("\0W", 2)},
                  {1, 0, 0, 4, "Full Name"},
                  {1, 0, 1, 6, "French"},
                  {1, 1, 0, 6, "Japanese"},
                  {0, 3, 0, 6, "Unicode"},
                  {1, 0, 0, 6, "First"},
                  {1, 0, 0, 6, "Second"}};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.PostScriptName(), "First");

    // Only a Windows PostScript name: taken from UTF-16BE, keeping the
    // characters below 128.
    desc.names = {{3, 1, 0x409, 6, std::string("\0W\0i\0n\x20\xac\0-\0B", 12)}, {1, 0, 0, 4, "Full Name"}};
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.PostScriptName(), "Win-B");
    // Another language or encoding of the Windows record does not count.
    desc.names = {{3, 1, 0x407, 6, std::string("\0W", 2)}, {3, 0, 0x409, 6, std::string("\0W", 2)}};
    EXPECT_FALSE(Load(font, BuildFont(desc)));
    ExpectNotLoaded(font);
    desc.names = {};
    EXPECT_FALSE(Loads(desc));
}

TEST(TrueTypeReader, NameRecordCountIsAnUpperBound) {
    // A count far above the records present: the reader stops at the match.
    FontDesc desc;
    std::string name = NameTable({{1, 0, 0, 6, "Early"}});
    Set16(name, 2, 0xFFFF);
    desc.replace["name"] = name;
    EXPECT_TRUE(Loads(desc));

    // Without a match, it runs off the end of the file and fails.
    name = NameTable({{1, 0, 0, 4, "Other"}});
    Set16(name, 2, 0xFFFF);
    desc.replace["name"] = name;
    EXPECT_FALSE(Loads(desc));
}

TEST(TrueTypeReader, NameStringPastTheEndFails) {
    FontDesc desc;
    std::string name = NameTable({{1, 0, 0, 6, "VkSynth"}});
    Set16(name, 4, 0xFFF0);  // stringOffset
    desc.replace["name"] = name;
    EXPECT_FALSE(Loads(desc));

    name = NameTable({{1, 0, 0, 6, "VkSynth"}});
    Set16(name, 6 + 8, 0xFFFF);  // the record's length
    desc.replace["name"] = name;
    EXPECT_FALSE(Loads(desc));
}

// ---------------------------------------------------------------------------
// Character maps

TEST(TrueTypeCmap, FirstOfSymbolAndUnicodeWins) {
    FontDesc desc;
    desc.subtables = {Format4Map({{0x41, 2}}), Format4Map({{0x41, 3}})};
    desc.cmapRecords = {{3, 0, 0}, {3, 1, 1}};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex('A'), 2);

    desc.cmapRecords = {{3, 1, 1}, {3, 0, 0}};
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex('A'), 3);
}

TEST(TrueTypeCmap, OtherPlatformsAreIgnored) {
    FontDesc desc;
    desc.subtables = {Format4Map({{0x41, 2}}), Format4Map({{0x41, 3}})};
    desc.cmapRecords = {{0, 3, 0}, {1, 0, 0}, {3, 10, 0}, {3, 1, 1}};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex('A'), 3);
    EXPECT_EQ(font.EncodingCount(), 4);

    desc.cmapRecords = {{0, 3, 0}, {1, 0, 1}, {3, 10, 0}, {3, 2, 0}};
    EXPECT_FALSE(Loads(desc));
    desc.cmapRecords = {};
    EXPECT_FALSE(Loads(desc));
}

TEST(TrueTypeCmap, SymbolCodesAreLookedUpUnchanged) {
    FontDesc desc;
    desc.subtables = {Format4Map({{0x41, 2}, {0xF042, 3}})};
    desc.cmapRecords = {{3, 0, 0}};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex(0x41), 2);
    EXPECT_EQ(font.GlyphIndex(0x42), 0);
    EXPECT_EQ(font.GlyphIndex(0xF042), 3);
    EXPECT_EQ(font.CharWidth(0x42), 600);
}

TEST(TrueTypeCmap, OnlyFormatFourIsRead) {
    FontDesc desc;
    desc.subtables = {Format0({0, 0, 2}), Format6(0x41, {2, 3}), Format4Map({{0x41, 2}})};
    desc.cmapRecords = {{3, 1, 0}};
    EXPECT_FALSE(Loads(desc));
    desc.cmapRecords = {{3, 0, 1}};
    EXPECT_FALSE(Loads(desc));
    // The first (3,x) record decides, even with a format 4 subtable later.
    desc.cmapRecords = {{3, 1, 1}, {3, 0, 2}};
    EXPECT_FALSE(Loads(desc));
    desc.cmapRecords = {{3, 1, 2}, {3, 0, 1}};
    EXPECT_TRUE(Loads(desc));
}

TEST(TrueTypeCmap, NoSegmentsMapEverythingToGlyphZero) {
    FontDesc desc;
    desc.subtables = {Format4({})};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_TRUE(font.Segments().empty());
    for (uint32_t c = 0; c <= 0xFFFF; ++c) ASSERT_EQ(font.GlyphIndex(static_cast<uint16_t>(c)), 0) << c;
    for (int c = 0; c < 256; ++c) ASSERT_EQ(font.CharWidth(static_cast<uint8_t>(c)), 600);
}

TEST(TrueTypeCmap, SegmentWalk) {
    FontDesc desc;
    // 0x20..0x22 -> 1..3 by delta; 0x41..0x43 -> 10,11,12 by delta; a code
    // beyond the last segment's end finds nothing.
    desc.subtables = {Format4({{0x20, 0x22, static_cast<uint16_t>(1 - 0x20), 0},
                               {0x41, 0x43, static_cast<uint16_t>(10 - 0x41), 0},
                               {0x100, 0x1FF, 0, 0}})};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex(0x1F), 0);
    EXPECT_EQ(font.GlyphIndex(0x20), 1);
    EXPECT_EQ(font.GlyphIndex(0x22), 3);
    EXPECT_EQ(font.GlyphIndex(0x23), 0);  // between segments
    EXPECT_EQ(font.GlyphIndex(0x41), 10);
    EXPECT_EQ(font.GlyphIndex(0x43), 12);
    EXPECT_EQ(font.GlyphIndex(0x150), 0x150);
    EXPECT_EQ(font.GlyphIndex(0x200), 0);  // beyond the last end code
    EXPECT_EQ(font.GlyphIndex(0xFFFF), 0);
}

TEST(TrueTypeCmap, DeltaWrapsModulo65536) {
    FontDesc desc;
    desc.subtables = {Format4({{0xFFF0, 0xFFFF, 0x20, 0}})};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex(0xFFF0), 0x10);
    EXPECT_EQ(font.GlyphIndex(0xFFFF), 0x1F);
}

TEST(TrueTypeCmap, RangeOffsetReadsTheGlyphArray) {
    // Two segments: 0x30..0x33 through the glyph array (with delta 5), then
    // the closing segment. The first segment's idRangeOffset word is 4 bytes
    // before the array, so an offset of 4 points at its first entry.
    FontDesc desc;
    desc.subtables = {Format4({{0x30, 0x33, 5, 4}, {0xFFFF, 0xFFFF, 1, 0}}, {7, 0, 9, 0xFFFF})};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex(0x30), 12);
    EXPECT_EQ(font.GlyphIndex(0x31), 0);  // a 0 in the array stays 0, delta or not
    EXPECT_EQ(font.GlyphIndex(0x32), 14);
    EXPECT_EQ(font.GlyphIndex(0x33), 4);  // 0xFFFF + 5 wraps
    EXPECT_EQ(font.GlyphIndex(0x34), 0);
    EXPECT_EQ(font.CharWidth(0x30), 722);  // glyph 12: the last advance
    EXPECT_EQ(font.CharWidth(0x31), 600);

    // The second of three segments: its word is 4 bytes before the array.
    desc.subtables = {Format4({{0x20, 0x20, static_cast<uint16_t>(1 - 0x20), 0},
                               {0x41, 0x42, 0, 4},
                               {0xFFFF, 0xFFFF, 1, 0}},
                              {3, 2})};
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex(0x20), 1);
    EXPECT_EQ(font.GlyphIndex(0x41), 3);
    EXPECT_EQ(font.GlyphIndex(0x42), 2);
}

TEST(TrueTypeCmap, RangeOffsetMayPointBeyondTheSubtableInsideTheFile) {
    // The array entries a segment reaches lie outside the subtable but in
    // the file: allowed, they are read from the file.
    FontDesc desc;
    desc.subtables = {Format4({{0x41, 0x41, 0, 4}, {0xFFFF, 0xFFFF, 1, 0}}, {})};
    const std::string bytes = BuildFont(desc);
    // The word after the subtable is the first of the next table's bytes or
    // padding; whatever it is, the lookup is defined and stays in the file.
    TvkFont font;
    ASSERT_TRUE(Load(font, bytes));
    (void)font.GlyphIndex(0x41);
}

TEST(TrueTypeCmap, RangeOffsetPastTheEndOfTheFileFails) {
    FontDesc desc;
    desc.subtables = {Format4({{0x41, 0x41, 0, 0xFFFE}, {0xFFFF, 0xFFFF, 1, 0}}, {1})};
    EXPECT_FALSE(Loads(desc));
    // A wide segment whose last entry runs past the end.
    desc.subtables = {Format4({{0x0000, 0xFFFE, 0, 4}, {0xFFFF, 0xFFFF, 1, 0}}, {1, 2, 3})};
    EXPECT_FALSE(Loads(desc));
    // A segment with start > end never reads, whatever its offset.
    desc.subtables = {Format4({{0x50, 0x41, 0, 0xFFFE}, {0xFFFF, 0xFFFF, 1, 0}}, {})};
    EXPECT_TRUE(Loads(desc));
}

TEST(TrueTypeCmap, HugeSegmentCountFails) {
    FontDesc desc;
    desc.subtables = {Format4({{0x41, 0x41, 0, 0}}, {}, 0xFFFE)};
    EXPECT_FALSE(Loads(desc));
    // An odd segCountX2 is halved.
    desc.subtables = {Format4({{0x41, 0x41, static_cast<uint16_t>(2 - 0x41), 0}}, {}, 3)};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.GlyphIndex(0x41), 2);
}

TEST(TrueTypeCmap, HugeEncodingCountFails) {
    FontDesc desc;
    std::string cmap = CmapTable(desc);
    Set16(cmap, 2, 0xFFFF);
    cmap.resize(12);  // the one record kept, but a (1,0) one
    Set16(cmap, 4, 1);
    Set16(cmap, 6, 0);
    desc.replace["cmap"] = cmap;
    EXPECT_FALSE(Loads(desc));
}

TEST(TrueTypeCmap, SubtableOffsetPastTheEndFails) {
    FontDesc desc;
    std::string cmap = CmapTable(desc);
    Set32(cmap, 8, 0xFFFFFFF0);
    desc.replace["cmap"] = cmap;
    EXPECT_FALSE(Loads(desc));
}

// ---------------------------------------------------------------------------
// Missing and malformed tables

TEST(TrueTypeTables, EachOfTheSixAndTheOutlinesAreRequired) {
    for (const char* tag : {"name", "head", "hhea", "hmtx", "cmap", "post", "glyf", "loca"}) {
        FontDesc desc;
        desc.omit = {tag};
        TvkFont font;
        EXPECT_FALSE(Load(font, BuildFont(desc))) << tag;
        ExpectNotLoaded(font);
    }
    EXPECT_TRUE(Loads(FontDesc{}));
}

TEST(TrueTypeTables, TagsAreCaseSensitiveAndTheLastMatchWins) {
    FontDesc desc;
    desc.omit = {"post"};
    desc.extra = {{"POST", PostTable(desc)}};
    EXPECT_FALSE(Loads(desc));

    FontDesc first;
    first.italicWhole = -5;
    FontDesc second;
    second.italicWhole = -7;
    desc.extra = {{"post", PostTable(first)}, {"post", PostTable(second)}};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_DOUBLE_EQ(font.ItalicAngle(), -7.0);
    const auto post = font.FindTable("post");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->Offset, font.Tables().back().Offset);
    EXPECT_FALSE(font.FindTable("POST"));
    EXPECT_FALSE(font.FindTable("pos"));
    EXPECT_FALSE(font.FindTable("posts"));
}

TEST(TrueTypeTables, ExtraTablesAreIgnored) {
    FontDesc desc;
    desc.extra = {{"glyf", std::string(100, 'x')}, {"OS/2", std::string(96, '\0')}};
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.TableCount(), 10);
    ASSERT_TRUE(font.FindTable("glyf"));
    EXPECT_EQ(font.FindTable("glyf")->Length, 100u);
}

TEST(TrueTypeTables, OnlyTrueTypeOutlinesLoad) {
    // The writer embeds the font as a TrueType font file, which viewers draw
    // from glyf outlines and open only without the signature "OTTO".
    const std::string cff(64, '\x01');
    const struct {
        const char* what;
        uint32_t version;
        std::vector<std::string> omit;
        std::vector<std::pair<std::string, std::string>> extra;
        bool loads;
    } cases[] = {
        {"OpenType with CFF outlines", 0x4F54544F, {"glyf", "loca"}, {{"CFF ", cff}}, false},
        {"OpenType with CFF2 outlines", 0x4F54544F, {"glyf", "loca"}, {{"CFF2", cff}}, false},
        {"CFF outlines under a TrueType signature", 0x00010000, {"glyf", "loca"}, {{"CFF ", cff}}, false},
        {"signature OTTO with glyf", 0x4F54544F, {}, {}, false},
        {"glyf without loca", 0x00010000, {"loca"}, {}, false},
        {"TrueType", 0x00010000, {}, {}, true},
        {"TrueType, Apple signature", 0x74727565, {}, {}, true},
        {"TrueType with an extra CFF table", 0x00010000, {}, {{"CFF ", cff}}, true},
    };
    for (const auto& c : cases) {
        FontDesc desc;
        desc.sfntVersion = c.version;
        desc.omit = c.omit;
        desc.extra = c.extra;
        TvkFont font;
        EXPECT_EQ(Load(font, BuildFont(desc)), c.loads) << c.what;
        if (!c.loads) ExpectNotLoaded(font);
    }
}

TEST(TrueTypeTables, HeadMustBeFiftyFourBytes) {
    FontDesc desc;
    desc.headLength = 53;
    EXPECT_FALSE(Loads(desc));
    desc.headLength = 55;
    EXPECT_FALSE(Loads(desc));
    desc.headLength = 54;
    EXPECT_TRUE(Loads(desc));
}

TEST(TrueTypeTables, HheaMustBeThirtySixBytes) {
    FontDesc desc;
    desc.hheaLength = 35;
    EXPECT_FALSE(Loads(desc));
    desc.hheaLength = 40;
    EXPECT_FALSE(Loads(desc));
}

TEST(TrueTypeTables, UnitsPerEmZeroFails) {
    FontDesc desc;
    desc.unitsPerEm = 0;
    TvkFont font;
    EXPECT_FALSE(Load(font, BuildFont(desc)));
    ExpectNotLoaded(font);
    desc.unitsPerEm = 1;
    ASSERT_TRUE(Load(font, BuildFont(desc)));
    EXPECT_EQ(font.CharWidth('A'), 1139500);
}

TEST(TrueTypeTables, HmtxShorterThanTheLongMetricsFails) {
    FontDesc desc;
    desc.numberOfHMetrics = 6;  // five long metrics present
    EXPECT_FALSE(Loads(desc));
    desc.numberOfHMetrics = 0xFFFF;
    EXPECT_FALSE(Loads(desc));
}

TEST(TrueTypeTables, PostReadPastTheEndFails) {
    FontDesc desc;
    desc.omit = {"post"};
    // A post table of 6 bytes, placed last: its angle would run off the file.
    desc.extra = {{"post", std::string("\0\3\0\0\xFF\xF4", 6)}};
    std::string bytes = BuildFont(desc);
    bytes.resize(bytes.size() - 2);  // drop the padding
    EXPECT_FALSE(Loads(bytes));
}

// ---------------------------------------------------------------------------
// Damaged files

TEST(TrueTypeDamage, EmptyAndTinyInputs) {
    EXPECT_FALSE(Loads(std::string()));
    EXPECT_FALSE(Loads(std::string(1, '\0')));
    EXPECT_FALSE(Loads(std::string(12, '\0')));  // no tables
    EXPECT_FALSE(Loads(std::string("\0\1\0\0\0\1\0\0\0\0\0\0", 12)));
}

TEST(TrueTypeDamage, EveryTruncationFails) {
    const std::string bytes = BuildFont();
    ASSERT_TRUE(Loads(bytes));
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        TvkFont font;
        ASSERT_FALSE(Load(font, bytes.substr(0, n))) << n;
        ExpectNotLoaded(font);
    }
}

TEST(TrueTypeDamage, TablesPointingOutsideTheFileFail) {
    const std::string good = BuildFont();
    for (const char* tag : {"name", "head", "hhea", "hmtx", "cmap", "post", "glyf", "loca"}) {
        std::string bytes = good;
        const std::size_t rec = FindRecord(bytes, tag);
        Set32(bytes, rec + 8, static_cast<uint32_t>(bytes.size()));  // offset at the end, length > 0
        EXPECT_FALSE(Loads(bytes)) << tag;

        bytes = good;
        Set32(bytes, rec + 8, 0xFFFFFFF0);  // offset + length overflows 32 bits
        Set32(bytes, rec + 12, 0x20);
        EXPECT_FALSE(Loads(bytes)) << tag;

        bytes = good;
        Set32(bytes, rec + 12, static_cast<uint32_t>(bytes.size() - Get32(bytes, rec + 8) + 1));
        EXPECT_FALSE(Loads(bytes)) << tag;
    }
    // An unused table pointing outside means a damaged file too.
    FontDesc desc;
    desc.extra = {{"OS/2", std::string(8, 'x')}};
    std::string bytes = BuildFont(desc);
    Set32(bytes, FindRecord(bytes, "OS/2") + 12, 0x7FFFFFFF);
    EXPECT_FALSE(Loads(bytes));
}

TEST(TrueTypeDamage, TableEndingExactlyAtTheEndOfTheFileIsFine) {
    FontDesc desc;
    desc.omit = {"post"};
    desc.extra = {{"post", std::string("\0\3\0\0\xFF\xF4\0\0\0\0", 10)}};
    std::string bytes = BuildFont(desc);
    bytes.resize(bytes.size() - 2);  // drop the padding after the 10 bytes
    TvkFont font;
    ASSERT_TRUE(Load(font, bytes));
    EXPECT_DOUBLE_EQ(font.ItalicAngle(), -12.0);
}

TEST(TrueTypeDamage, HugeTableCountFails) {
    std::string bytes = BuildFont();
    Set16(bytes, 4, 0xFFFF);
    EXPECT_FALSE(Loads(bytes));
}

TEST(TrueTypeDamage, RandomMutationsNeverCrash) {
    const std::string good = BuildFont();
    std::mt19937 rng(12345);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < flips; ++k) {
            const std::size_t at = rng() % bytes.size();
            bytes[at] = static_cast<char>(rng() & 0xFF);
        }
        TvkFont font;
        if (Load(font, bytes)) {
            ++loaded;
            for (int c = 0; c < 256; ++c) (void)font.CharWidth(static_cast<uint8_t>(c));
            for (uint32_t c = 0; c <= 0xFFFF; c += 97) (void)font.GlyphIndex(static_cast<uint16_t>(c));
        } else {
            ExpectNotLoaded(font);
        }
    }
    EXPECT_GT(loaded, 0);
}

// ---------------------------------------------------------------------------
// Loading, reloading and copying

TEST(TrueTypeLoad, FromFileEqualsFromMemory) {
    test::TempDir dir;
    const std::string bytes = BuildFont();
    test::WriteFile(dir / "synth.ttf", bytes);
    TvkFont a, b, c;
    ASSERT_TRUE(a.LoadFromFile((dir / "synth.ttf").string()));
    ASSERT_TRUE(b.LoadFromFile((dir / "synth.ttf").string()));
    ASSERT_TRUE(Load(c, bytes));
    for (const TvkFont* f : {&b, &c}) {
        EXPECT_EQ(f->PostScriptName(), a.PostScriptName());
        EXPECT_EQ(f->Ascent(), a.Ascent());
        EXPECT_EQ(f->DataSize(), a.DataSize());
        for (int code = 0; code < 256; ++code)
            EXPECT_EQ(f->CharWidth(static_cast<uint8_t>(code)), a.CharWidth(static_cast<uint8_t>(code)));
    }
    EXPECT_EQ(a.DataSize(), bytes.size());
    EXPECT_EQ(std::memcmp(a.Data().Memory(), bytes.data(), bytes.size()), 0);
}

TEST(TrueTypeLoad, Utf8Path) {
    test::TempDir dir;
    const std::string name = "Schrift \xC3\xA9\xE2\x82\xAC.ttf";  // "Schrift é€.ttf" in UTF-8
    test::WriteFile(dir.Path() / std::filesystem::path(name), BuildFont());
    TvkFont font;
    EXPECT_TRUE(font.LoadFromFile((dir.Path() / name).string()));
}

TEST(TrueTypeLoad, FailuresAnswerFalse) {
    test::TempDir dir;
    TvkFont font;
    EXPECT_FALSE(font.LoadFromFile((dir / "missing.ttf").string()));
    EXPECT_FALSE(font.LoadFromFile(dir.Path().string()));
    EXPECT_FALSE(font.LoadFromFile(""));
    EXPECT_FALSE(font.LoadFromFile(std::string("a\0b", 3)));
    test::WriteFile(dir / "empty.ttf", "");
    EXPECT_FALSE(font.LoadFromFile((dir / "empty.ttf").string()));
    test::WriteFile(dir / "text.ttf", "This is not a font file at all, just some text.");
    EXPECT_FALSE(font.LoadFromFile((dir / "text.ttf").string()));
    ExpectNotLoaded(font);
}

TEST(TrueTypeLoad, FailedReloadForgetsTheOldFont) {
    test::TempDir dir;
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont()));
    EXPECT_FALSE(font.LoadFromFile((dir / "missing.ttf").string()));
    ExpectNotLoaded(font);
    EXPECT_EQ(font.DataSize(), 0u);

    ASSERT_TRUE(Load(font, BuildFont()));
    FontDesc desc;
    desc.unitsPerEm = 0;
    const std::string bad = BuildFont(desc);
    EXPECT_FALSE(Load(font, bad));
    ExpectNotLoaded(font);
    EXPECT_EQ(font.DataSize(), bad.size());  // the bytes stay, as read
    EXPECT_TRUE(font.Tables().empty());
}

TEST(TrueTypeLoad, AssignCopiesEverything) {
    FontDesc desc;
    desc.italicWhole = -12;
    desc.italicFraction = 32768;
    desc.subtables = {Format4({{0x30, 0x33, 5, 4}, {0xFFFF, 0xFFFF, 1, 0}}, {1, 0, 2, 3})};
    auto source = std::make_unique<TvkFont>();
    ASSERT_TRUE(Load(*source, BuildFont(desc)));
    source->Data().SetPosition(17);

    TvkFont copy;
    copy.Assign(*source);
    EXPECT_TRUE(copy.Loaded());
    EXPECT_EQ(copy.DataSize(), source->DataSize());
    EXPECT_EQ(copy.Data().Position(), 0u);
    EXPECT_NE(copy.Data().Memory(), source->Data().Memory());
    EXPECT_EQ(std::memcmp(copy.Data().Memory(), source->Data().Memory(), copy.DataSize()), 0);
    EXPECT_EQ(copy.Tables(), source->Tables());
    EXPECT_EQ(copy.Segments(), source->Segments());
    EXPECT_EQ(copy.AdvanceWidths(), source->AdvanceWidths());
    EXPECT_EQ(copy.EncodingCount(), source->EncodingCount());
    EXPECT_EQ(copy.UnitsPerEm(), source->UnitsPerEm());

    const std::string name = source->PostScriptName();
    std::vector<int32_t> widths;
    std::vector<uint16_t> glyphs;
    for (int c = 0; c < 256; ++c) widths.push_back(source->CharWidth(static_cast<uint8_t>(c)));
    for (uint32_t c = 0; c <= 0xFFFF; ++c) glyphs.push_back(source->GlyphIndex(static_cast<uint16_t>(c)));
    const int32_t metrics[] = {source->Ascent(),   source->Descent(),  source->BBoxXMin(),
                               source->BBoxYMin(), source->BBoxXMax(), source->BBoxYMax()};
    const double angle = source->ItalicAngle();
    source.reset();  // the copy stands on its own

    EXPECT_EQ(copy.PostScriptName(), name);
    EXPECT_DOUBLE_EQ(copy.ItalicAngle(), angle);
    const int32_t copied[] = {copy.Ascent(), copy.Descent(), copy.BBoxXMin(),
                              copy.BBoxYMin(), copy.BBoxXMax(), copy.BBoxYMax()};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(copied[i], metrics[i]) << i;
    for (int c = 0; c < 256; ++c) EXPECT_EQ(copy.CharWidth(static_cast<uint8_t>(c)), widths[c]) << c;
    for (uint32_t c = 0; c <= 0xFFFF; ++c) ASSERT_EQ(copy.GlyphIndex(static_cast<uint16_t>(c)), glyphs[c]) << c;
    EXPECT_EQ(copy.GlyphIndex(0x30), 6);
    EXPECT_EQ(copy.GlyphIndex(0x33), 8);
}

TEST(TrueTypeLoad, AssignFromAnEmptyReaderEmptiesTheCopy) {
    TvkFont loaded;
    ASSERT_TRUE(Load(loaded, BuildFont()));
    TvkFont empty;
    loaded.Assign(empty);
    ExpectNotLoaded(loaded);
    EXPECT_EQ(loaded.DataSize(), 0u);
    loaded.Assign(loaded);  // assigning to itself changes nothing
    ExpectNotLoaded(loaded);
}

TEST(TrueTypeLoad, ReadTablesAfterChangingData) {
    TvkFont font;
    ASSERT_TRUE(Load(font, BuildFont()));
    // Cutting the bytes under a loaded reader: lookups stay in bounds, and a
    // new parse refuses the damaged bytes.
    const std::string bytes = BuildFont();
    font.Data().Clear();
    (void)font.GlyphIndex('A');
    EXPECT_FALSE(font.ReadTables());
    font.Data().Write(bytes.data(), bytes.size());
    EXPECT_TRUE(font.ReadTables());
    EXPECT_EQ(font.CharWidth('A'), 556);
}
