// The member table of IPDFDoc and the type library's enumerations.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "control/MemberTable.h"
#include "model/PDFImageRes.h"
#include "model/TextRes.h"
#include "model/Units.h"

namespace vellumark {
namespace {

using K = TInvokeKind;
using P = TParamType;

TEST(ControlMemberTable, HoldsEverySlotFrom7To136InOrder) {
    auto table = MemberTable();
    ASSERT_EQ(table.size(), 130u);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].slot, static_cast<int>(7 + i));
        EXPECT_EQ(FindMemberBySlot(table[i].slot), &table[i]);
        EXPECT_NE(table[i].name, nullptr);
        EXPECT_LE(table[i].paramCount, 5);
    }
    EXPECT_EQ(FindMemberBySlot(6), nullptr);
    EXPECT_EQ(FindMemberBySlot(137), nullptr);
}

TEST(ControlMemberTable, PropertyPutFollowsItsGetWithTheValueLast) {
    auto table = MemberTable();
    int puts = 0, indexed = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        const TMemberInfo& m = table[i];
        if (m.kind != K::PropertyPut) continue;
        ++puts;
        if (m.paramCount > 1) ++indexed;
        ASSERT_GT(i, 0u);
        const TMemberInfo& get = table[i - 1];
        SCOPED_TRACE(m.name);
        EXPECT_EQ(get.kind, K::PropertyGet);
        EXPECT_EQ(get.dispid, m.dispid);
        EXPECT_STREQ(get.name, m.name);
        if (m.help && get.help) {
            EXPECT_STREQ(m.help, get.help);
        } else {
            EXPECT_EQ(m.help, get.help);
        }
        // Same index parameters, then the value in the get's result type.
        ASSERT_EQ(m.paramCount, get.paramCount + 1);
        for (int p = 0; p < get.paramCount; ++p) {
            EXPECT_STREQ(m.params[p].name, get.params[p].name);
            EXPECT_EQ(m.params[p].type, get.params[p].type);
        }
        EXPECT_EQ(m.params[get.paramCount].type, get.result);
        EXPECT_EQ(m.result, P::None);
    }
    EXPECT_EQ(puts, 47);
    EXPECT_EQ(indexed, 4);  // PageSize, PageWidth, PageHeight, EmbedFont
}

TEST(ControlMemberTable, EachDispIdNamesOneMemberOncePerKind) {
    std::set<std::pair<int32_t, K>> seen;
    for (const TMemberInfo& m : MemberTable()) {
        EXPECT_TRUE(seen.insert({m.dispid, m.kind}).second) << m.name;
        EXPECT_EQ(FindMember(m.dispid, m.kind), &m) << m.name;
        std::u16string name(m.name, m.name + std::strlen(m.name));
        EXPECT_EQ(FindDispId(name), m.dispid) << m.name;
        // A dispatch id is either a method or a property, never both.
        if (m.kind == K::Method) {
            EXPECT_EQ(FindMember(m.dispid, K::PropertyGet), nullptr) << m.name;
        }
    }
}

struct TRow {
    int slot;
    int32_t dispid;
    const char* name;
    K kind;
    std::vector<std::pair<std::string, P>> params;
    P result;
    const char* help;
};

TEST(ControlMemberTable, RowsMatchTheInterface) {
    const TRow rows[] = {
        {7, 201, "AddPage", K::Method, {{"Page", P::Long}}, P::None, "Adds a new page to the document."},
        {8, 202, "AddImageFile", K::Method, {{"FileName", P::BStr}}, P::Long,
         "Adds an image resource from file on disk."},
        {10, 204, "ApplyResource", K::Method, {{"Page", P::Long}, {"Resource", P::Long}}, P::Long,
         "Draws a resource on a page."},
        {12, 206, "Locate", K::Method, {{"Page", P::Long}, {"Index", P::Long}, {"X", P::Double}, {"Y", P::Double}},
         P::None, "Modifies the position of a resource on a page."},
        {27, 218, "TextColor", K::PropertyGet, {}, P::Color, "Color used for writing text."},
        {34, 221, "CompressionBW", K::PropertyPut, {{"Value", P::CompressFormat}}, P::None,
         "Compression method used for black and white images."},
        {52, 230, "DefaultPageSize", K::PropertyPut, {{"Value", P::PageSize}}, P::None,
         "Page size to be used for new pages."},
        {53, 231, "Units", K::PropertyGet, {}, P::UnitsMeas, "Units of measure."},
        {57, 233, "AlignDisabled", K::PropertyGet, {}, P::Bool, nullptr},
        {59, 235, "DrawTextBiDiModeFlagsReadingOnly", K::Method, {}, P::Long, nullptr},
        {60, -514, "Enabled", K::PropertyGet, {}, P::Bool, nullptr},
        {61, -514, "Enabled", K::PropertyPut, {{"Value", P::Bool}}, P::None, nullptr},
        {68, 241, "SetSubComponent", K::Method, {{"IsSubComponent", P::Bool}}, P::None, nullptr},
        {69, -552, "AboutBox", K::Method, {}, P::None, nullptr},
        {71, 242, "PageSize", K::PropertyPut, {{"Page", P::Long}, {"Value", P::PageSize}}, P::None, "Page size."},
        {72, 243, "PageWidth", K::PropertyGet, {{"Page", P::Long}}, P::Double, "Page width."},
        {78, 247, "AddImageBytes", K::Method, {{"ImageData", P::Variant}}, P::Long,
         "Adds an image resource from an array of bytes in memory."},
        {81, 249, "EmbedFont", K::PropertyPut, {{"FontNum", P::Long}, {"Value", P::Bool}}, P::None,
         "Embed the font in the document."},
        {91, 255, "ImageCount", K::PropertyGet, {{"FileName", P::BStr}}, P::Long,
         "Number of images contained in a file."},
        {95, 257, "TextAlign", K::PropertyPut, {{"Value", P::TextAlign}}, P::None, "Alignment of text."},
        {96, 258, "TextMaxWidth", K::PropertyGet, {}, P::Double,
         "Maximum width of line of text before remaining text is wrapped to next line."},
        {102, 261, "Ellipse", K::Method,
         {{"X", P::Double}, {"Y", P::Double}, {"RX", P::Double}, {"RY", P::Double}, {"Angle", P::Double}}, P::None,
         "Draws an ellipse on a graphic."},
        {105, 264, "WriteLink", K::Method, {{"Text", P::BStr}, {"Link", P::BStr}}, P::None,
         "Writes a hyperlink on a text resource."},
        {120, 272, "TextLineWidth", K::PropertyGet, {{"Text", P::BStr}}, P::Double,
         "Width that a line of text will occupy using current font and size."},
        {121, 273, "SetImageLink", K::Method, {{"Page", P::Long}, {"Index", P::Long}, {"Link", P::BStr}}, P::None,
         "Attach a hyperlink to an image."},
        {126, 276, "MergeAlphaColor", K::PropertyPut, {{"Value", P::Color}}, P::None,
         "Color used for merging alpha channel."},
        {129, 278, "CompressContents", K::PropertyGet, {}, P::Bool, "Enables/disables page content compression."},
        {132, 279, "Fill", K::PropertyPut, {{"Value", P::Bool}}, P::None, "Fill shapes in current graphic."},
        // IPDFDoc2's members, after IPDFDoc's last slot and dispid.
        {133, 280, "UnicodeText", K::PropertyGet, {}, P::Bool,
         "Keep Unicode characters of text written in TrueType fonts."},
        {136, 281, "SubsetFonts", K::PropertyPut, {{"Value", P::Bool}}, P::None,
         "Embed only the glyphs of fonts that the document uses."},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TMemberInfo* m = FindMemberBySlot(row.slot);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->dispid, row.dispid);
        EXPECT_STREQ(m->name, row.name);
        EXPECT_EQ(m->kind, row.kind);
        ASSERT_EQ(m->paramCount, row.params.size());
        for (size_t p = 0; p < row.params.size(); ++p) {
            EXPECT_EQ(m->params[p].name, row.params[p].first);
            EXPECT_EQ(m->params[p].type, row.params[p].second);
        }
        EXPECT_EQ(m->result, row.result);
        if (row.help) {
            ASSERT_NE(m->help, nullptr);
            EXPECT_STREQ(m->help, row.help);
        } else {
            EXPECT_EQ(m->help, nullptr);
        }
    }
}

TEST(ControlMemberTable, EveryMemberHasAHandler) {
    for (const TMemberInfo& m : MemberTable()) EXPECT_NE(m.handler, nullptr) << m.name;
}

TEST(ControlMemberTable, ParameterNamesGivePositions) {
    EXPECT_EQ(FindParamIndex(206, u"page"), 0);  // Locate(Page, Index, X, Y)
    EXPECT_EQ(FindParamIndex(206, u"Y"), 3);
    EXPECT_EQ(FindParamIndex(206, u"Z"), std::nullopt);
    EXPECT_EQ(FindParamIndex(201, u"Index"), std::nullopt);  // AddPage(Page)
    EXPECT_EQ(FindParamIndex(999, u"Page"), std::nullopt);
}

TEST(ControlMemberTable, NameLookupIgnoresCase) {
    EXPECT_EQ(FindDispId(u"AddPage"), 201);
    EXPECT_EQ(FindDispId(u"addpage"), 201);
    EXPECT_EQ(FindDispId(u"PAGEWIDTH"), 243);
    EXPECT_EQ(FindDispId(u"enabled"), -514);
    EXPECT_EQ(FindDispId(u"aboutbox"), -552);
    EXPECT_EQ(FindDispId(u"AddPag"), std::nullopt);
    EXPECT_EQ(FindDispId(u"AddPages"), std::nullopt);
    EXPECT_EQ(FindDispId(u""), std::nullopt);
    EXPECT_EQ(FindMember(201, K::PropertyGet), nullptr);
    EXPECT_EQ(FindMember(233, K::PropertyPut), nullptr);  // AlignDisabled is read-only
    EXPECT_EQ(FindMember(200, K::Method), nullptr);
}

TEST(ControlMemberTable, EnumerationsInLibraryOrder) {
    auto enums = TypeLibEnums();
    ASSERT_EQ(enums.size(), 4u);
    struct {
        const char* name;
        const char* guid;
        const char* help;
        size_t count;
    } expected[] = {
        {"TxCompressFormat", "{CD3113B7-01DE-49F7-9DE8-CE305FF0FC1C}", "Image compression format.", 4},
        {"TxPageSize", "{F9E35828-474E-4B15-8BEA-D184A02E0600}", "Page Size.", 17},
        {"TxUnitsMeas", "{EC6F23B7-198A-49C9-9239-824D5ED9CFC5}", "Units of measure.", 4},
        {"TxTextAlign", "{BD7226CD-6B6E-4561-9012-AC0A95BE7AB8}", "Alignment of text.", 3},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_STREQ(enums[i].name, expected[i].name);
        EXPECT_STREQ(enums[i].guid, expected[i].guid);
        EXPECT_STREQ(enums[i].help, expected[i].help);
        ASSERT_EQ(enums[i].values.size(), expected[i].count);
        for (size_t v = 0; v < enums[i].values.size(); ++v) EXPECT_EQ(enums[i].values[v].value, static_cast<int>(v));
    }
    EXPECT_STREQ(enums[0].values[1].name, "cfGroup4");
    EXPECT_STREQ(enums[0].values[1].help, "CCITT Group 4 Fax compression.");
    EXPECT_STREQ(enums[1].values[0].help, "Custom page size.");
    EXPECT_STREQ(enums[1].values[16].name, "psExecutive_L");
    EXPECT_STREQ(enums[1].values[16].help, "Executive (Landscape).");
    EXPECT_STREQ(enums[2].values[3].help, "Millimeters.");
    EXPECT_STREQ(enums[3].values[1].name, "taCenter");
    EXPECT_STREQ(enums[3].values[1].help, "Centred text.");
}

TEST(ControlMemberTable, EnumerationValuesAgreeWithTheEngine) {
    EXPECT_EQ(FindEnumValue(u"cfNone"), cfNone);
    EXPECT_EQ(FindEnumValue(u"cfJPEG"), cfJPEG);
    EXPECT_EQ(FindEnumValue(u"psA4_P"), psA4_P);
    EXPECT_EQ(FindEnumValue(u"psLegal_L"), psLegal_L);
    EXPECT_EQ(FindEnumValue(u"psExecutive_L"), psExecutive_L);
    EXPECT_EQ(FindEnumValue(u"umMillimeters"), umMillimeters);
    EXPECT_EQ(FindEnumValue(u"taRight"), taRight);
}

TEST(ControlMemberTable, EnumerationValueLookupIgnoresCase) {
    EXPECT_EQ(FindEnumValue(u"PSA4_p"), 1);
    EXPECT_EQ(FindEnumValue(u"cfzip"), 2);
    EXPECT_EQ(FindEnumValue(u"UMINCHES"), 1);
    EXPECT_EQ(FindEnumValue(u"psA4"), std::nullopt);
    EXPECT_EQ(FindEnumValue(u"TxPageSize"), std::nullopt);
    EXPECT_EQ(FindEnumValue(u"AddPage"), std::nullopt);
}

TEST(ControlMemberTable, PersistentPropertiesAreThePlainReadWriteOnesInSlotOrder) {
    const std::vector<std::string> expected = {
        "CurrentGraphic", "CurrentText", "LineWidth", "TextColor", "LineColor", "FillColor", "CompressionBW",
        "CompressionIndexed", "CompressionRGB", "CompressionGray", "UseSourceCompression", "TextFont", "TextSize",
        "ImageReadNumber", "ReleaseBMPHandle", "DefaultPageSize", "Units", "DoubleBuffered", "Enabled", "Visible",
        "Title", "Subject", "Author", "Keywords", "TextLineSpacing", "TextAlign", "TextMaxWidth", "TextSkewX",
        "TextSkewY", "TextUnderline", "LinkStandardFormat", "LinkColor", "LinkFont", "LinkUnderline", "LinkSize",
        "LinkBorder", "MergeAlpha", "MergeAlphaColor", "AppendText", "CompressContents", "Fill", "UnicodeText",
        "SubsetFonts"};
    std::vector<std::string> names;
    for (const TMemberInfo* m : PersistentProperties()) {
        names.push_back(m->name);
        EXPECT_EQ(m->kind, K::PropertyGet) << m->name;
        EXPECT_EQ(m->paramCount, 0) << m->name;
        const TMemberInfo* put = FindMember(m->dispid, K::PropertyPut);
        ASSERT_NE(put, nullptr) << m->name;
        EXPECT_EQ(put->paramCount, 1) << m->name;
        EXPECT_EQ(put->params[0].type, m->result) << m->name;
    }
    EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace vellumark
