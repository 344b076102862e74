// Text resources: written lines, link counting, formatting and the layout.
#include <gtest/gtest.h>

#include "engine/Vellumark.h"
#include "model/TextLayout.h"

using namespace vellumark;

namespace {

// A font whose characters are all 500 thousandths wide, except "W" (1000)
// and space (250).
std::unique_ptr<TPDFFontRes> TestFont() {
    auto f = std::make_unique<TPDFFontRes>();
    f->Widths.fill(500);
    f->Widths['W'] = 1000;
    f->Widths[' '] = 250;
    return f;
}

class EngineText : public ::testing::Test {
protected:
    void SetUp() override {
        e.AddFontResource(TestFont());  // font 15
        e.CreateText();
    }
    TPDFTextRes& T() { return *e.CurrentTextRes(); }
    std::vector<std::string> Lines() {
        std::vector<std::string> v;
        for (const auto& l : T().Lines) v.push_back(l.Text);
        return v;
    }
    // Lays the current text out into `layout`; answers the runs' texts.
    std::vector<std::string> Runs(double scale = 100) {
        LayoutText(T(), e.Fonts(), scale, layout);
        std::vector<std::string> v;
        for (const auto& r : layout.Runs) v.push_back(std::string(layout.TextOf(T(), r)));
        return v;
    }
    TVellumark e;
    TTextLayout layout;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(EngineText, LineBreaks) {
    e.WriteText(u"a\r\nb");
    EXPECT_EQ(Lines(), (Strings{"a", "b"}));
    e.WriteText(u"a\n\nb");
    EXPECT_EQ(Lines(), (Strings{"a", "b", "a", "", "b"}));
    e.WriteText(u"a\r");
    EXPECT_EQ(Lines(), (Strings{"a", "b", "a", "", "b", "a", ""}));
    e.WriteText(u"\u20ac\u4e00");  // the euro sign is in the code page, CJK is not
    EXPECT_EQ(T().Lines.back().Text, "\x80?");
    e.WriteText(u"abcdefghijklmnopq\u20acr\u00e9\r\r\nd\n\re");
    EXPECT_EQ(Lines(),
              (Strings{"a", "b", "a", "", "b", "a", "", "\x80?", "abcdefghijklmnopq\x80r\xe9", "", "d", "", "e"}));
}

TEST_F(EngineText, FormattingIsTakenWhenWritten) {
    e.SetTextSize(12);
    e.SetTextColor(0x00FF00);
    e.SetTextUnderline(true);
    e.WriteText(u"a\rb");
    e.SetTextFont(15);
    e.WriteText(u"c\rd");
    const auto& l = T().Lines;
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0].Size, 12);
    EXPECT_EQ(l[0].Color, 0x00FF00u);
    EXPECT_FALSE(l[0].Underline);  // standard fonts are never underlined
    EXPECT_FALSE(l[1].Underline);
    EXPECT_TRUE(l[2].Underline);
    EXPECT_TRUE(l[3].Underline);
    EXPECT_EQ(l[3].FontNumber, 15);
}

TEST_F(EngineText, LinkCounting) {
    e.SetTextFont(15);
    e.WriteLink(u"one", u"http://a");
    e.WriteLink(u"two", u"http://a");
    EXPECT_EQ(T().LinkCount, 1);
    e.WriteText(u"plain");
    e.WriteLink(u"three", u"http://a");
    EXPECT_EQ(T().LinkCount, 2);
    e.WriteLink(u"four\rfive", u"http://b");
    EXPECT_EQ(T().LinkCount, 3);
    EXPECT_EQ(T().Lines.back().Link, "http://b");
    // Link formatting switches to the link font, an added one: still a link.
    e.SetTextFont(5);
    e.WriteLink(u"six", u"http://c");
    EXPECT_EQ(T().LinkCount, 4);
    EXPECT_EQ(T().Lines.back().FontNumber, 15);
    // In a standard font a link is only formatted, never linked.
    e.LinkStandardFormat = false;
    e.WriteLink(u"seven", u"http://d");
    EXPECT_EQ(T().LinkCount, 4);
    EXPECT_TRUE(T().Lines.back().Link.empty());
}

TEST_F(EngineText, LinkFormatting) {
    e.SetTextFont(15);
    e.SetTextSize(12);
    e.LinkBorder = true;
    e.WriteLink(u"x", u"http://a");
    const TTextLine& l = T().Lines.back();
    EXPECT_EQ(l.Size, 10);
    EXPECT_EQ(l.Color, 0xFF0000u);
    EXPECT_TRUE(l.Underline);
    EXPECT_TRUE(l.LinkBorder);
    EXPECT_EQ(e.GetTextSize(), 12);  // restored
    EXPECT_FALSE(e.GetTextUnderline());
    e.LinkStandardFormat = false;
    e.WriteLink(u"y", u"http://a");
    EXPECT_EQ(T().Lines.back().Size, 12);
    EXPECT_EQ(T().Lines.back().Color, 0u);
}

TEST_F(EngineText, LinkFontNeedsAnAddedFont) {
    TVellumark bare;
    bare.CreateText();
    bare.WriteLink(u"x", u"http://a");  // LinkFont 15, but no font added
    EXPECT_EQ(bare.CurrentTextRes()->Lines.back().FontNumber, 5);
    EXPECT_EQ(bare.GetLinkFont(), 15);
    bare.SetLinkFont(5);
    EXPECT_EQ(bare.GetLinkFont(), 15);
}

TEST_F(EngineText, StandardFontBranch) {
    e.SetTextMaxWidth(10);
    e.SetTextAlign(taCenter);
    EXPECT_EQ(e.GetTextAlign(), taCenter);
    e.WriteText(u"a long line that is wider than ten points");
    EXPECT_EQ(e.GetTextAlign(), taLeft);
    e.SetTextAlign(taRight);
    EXPECT_EQ(e.GetTextAlign(), taLeft);
    e.AppendText = true;
    e.WriteText(u" and more");
    EXPECT_EQ(Runs(), (Strings{"a long line that is wider than ten points and more"}));
    EXPECT_EQ(e.TextBlockWidth(), -1);
    EXPECT_EQ(e.TextBlockHeight(), 10);
}

TEST_F(EngineText, BlockHeights) {
    e.SetTextFont(15);
    e.WriteText(u"a");
    EXPECT_DOUBLE_EQ(e.TextBlockHeight(), 10);
    e.WriteText(u"b");
    EXPECT_DOUBLE_EQ(e.TextBlockHeight(), 21.5);
    e.CreateText();
    e.SetTextSize(20);
    e.WriteText(u"a");
    e.SetTextSize(10);
    e.WriteText(u"b");
    EXPECT_DOUBLE_EQ(e.TextBlockHeight(), 33);
    e.CreateText();
    EXPECT_EQ(e.TextBlockHeight(), 0);  // nothing written
}

TEST_F(EngineText, WrapsAtTheLastSpaceBeforeTheLimit) {
    e.SetTextFont(15);
    // "aaa bbb": 3*5 + 2.5 + 3*5 = 32.5 points at size 10; the last b is
    // never measured, so a limit of 28 keeps the line whole.
    e.SetTextMaxWidth(28);
    e.WriteText(u"aaa bbb");
    EXPECT_EQ(Runs(), (Strings{"aaa bbb"}));
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextMaxWidth(20);
    e.WriteText(u"aaa bbb");
    EXPECT_EQ(Runs(), (Strings{"aaa", "bbb"}));
    EXPECT_DOUBLE_EQ(layout.Runs[0].RunWidth, 15);
    EXPECT_DOUBLE_EQ(layout.Runs[1].BaselineOffset, 21.5);
}

TEST_F(EngineText, SplitsAWordWiderThanTheLimit) {
    e.SetTextFont(15);
    e.SetTextMaxWidth(12);  // 2.4 characters of 5 points
    e.WriteText(u"abcdefgh");
    EXPECT_EQ(Runs(), (Strings{"abc", "def", "gh"}));
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextMaxWidth(3);  // narrower than one character
    e.WriteText(u"abc");
    EXPECT_EQ(Runs(), (Strings{"a", "b", "c"}));
}

TEST_F(EngineText, TrailingSpacesAreTrimmed) {
    e.SetTextFont(15);
    e.WriteText(u"ab   ");
    EXPECT_EQ(Runs(), (Strings{"ab"}));
    EXPECT_DOUBLE_EQ(layout.Runs[0].RunWidth, 10);
    EXPECT_DOUBLE_EQ(e.TextBlockWidth(), 10);
    e.WriteText(u"   ");
    EXPECT_EQ(Runs(), (Strings{"ab", "   "}));  // spaces only stay
}

TEST_F(EngineText, AppendTextContinuesTheVisualLine) {
    e.SetTextFont(15);
    e.WriteText(u"ab");
    e.AppendText = true;
    e.WriteText(u"x\ry");
    EXPECT_EQ(Runs(), (Strings{"ab", "x", "y"}));
    for (const auto& r : layout.Runs) {
        EXPECT_DOUBLE_EQ(r.BaselineOffset, 10);
        EXPECT_DOUBLE_EQ(r.VisualLineWidth, 20);
    }
    EXPECT_DOUBLE_EQ(layout.Runs[1].XOffset, 10);
    EXPECT_DOUBLE_EQ(layout.Runs[2].XOffset, 15);
    EXPECT_TRUE(layout.Runs[1].Continues);
}

TEST_F(EngineText, ContinuationWrapsWhenTheLineIsFull) {
    e.SetTextFont(15);
    e.SetTextMaxWidth(32);
    e.WriteText(u"aaaa");  // 20 points
    e.AppendText = true;
    e.WriteText(u"bbbb cc");  // no break point in the 12 points left
    EXPECT_EQ(Runs(), (Strings{"aaaa", "bbbb cc"}));
    EXPECT_FALSE(layout.Runs[1].Continues);
    EXPECT_DOUBLE_EQ(layout.Runs[1].BaselineOffset, 21.5);
    // A limit met exactly ends the measuring there, and the run takes the
    // next character too, even inside a word.
    e.CreateText();
    e.SetTextFont(15);
    e.SetTextMaxWidth(30);
    e.AppendText = false;
    e.WriteText(u"aaaa");
    e.AppendText = true;
    e.WriteText(u"bbbb cc");
    EXPECT_EQ(Runs(), (Strings{"aaaa", "bbb", "b cc"}));
    EXPECT_TRUE(layout.Runs[1].Continues);
}

TEST_F(EngineText, ScaleChangesWidthsButNotSpacing) {
    e.SetTextFont(15);
    e.WriteText(u"ab");
    e.WriteText(u"cd");
    Runs(200);
    EXPECT_DOUBLE_EQ(layout.Runs[0].RunWidth, 20);
    EXPECT_DOUBLE_EQ(layout.Runs[1].BaselineOffset, 21.5);
}

TEST_F(EngineText, SizesBelowOneAreNeverWrapped) {
    e.SetTextFont(15);
    e.SetTextMaxWidth(5);
    e.SetTextSize(0);
    e.WriteText(u"abc def ghi");
    EXPECT_EQ(Runs(), (Strings{"abc def ghi"}));
    EXPECT_EQ(layout.Runs[0].RunWidth, 0);
    EXPECT_EQ(e.GetTextSize(), 0);
    e.SetTextSize(-4);
    e.WriteText(u"x y");
    EXPECT_EQ(Runs(), (Strings{"abc def ghi", "x y"}));
}

TEST_F(EngineText, MeasurementsInUnits) {
    e.SetTextFont(15);
    e.Units = umInches;
    EXPECT_DOUBLE_EQ(e.TextLineWidth(u"WW "), (2 * 1000 + 250) * 10 / 1000.0 / 72);
    e.SetTextMaxWidth(1);
    EXPECT_DOUBLE_EQ(T().MaxWidth, 72);
    EXPECT_DOUBLE_EQ(e.GetTextMaxWidth(), 1);
    e.SetTextMaxWidth(0);
    EXPECT_EQ(e.GetTextMaxWidth(), -1);
    e.SetTextFont(5);
    EXPECT_EQ(e.TextLineWidth(u"abc"), 0);
    e.CurrentText = 99;
    EXPECT_EQ(e.TextLineWidth(u"abc"), 0);
    EXPECT_EQ(e.TextBlockWidth(), -1);
    EXPECT_EQ(e.TextBlockHeight(), 0);
    EXPECT_EQ(e.GetTextFont(), 0);
    EXPECT_EQ(e.GetTextLineSpacing(), 15);
}

TEST_F(EngineText, TextFontAcceptsKnownFontsOnly) {
    e.SetTextFont(16);
    EXPECT_EQ(e.GetTextFont(), 5);
    e.SetTextFont(0);
    EXPECT_EQ(e.GetTextFont(), 5);
    e.SetTextFont(14);
    EXPECT_EQ(e.GetTextFont(), 14);
    e.SetTextFont(15);
    EXPECT_EQ(e.GetTextFont(), 15);
}
