// Graphic resources: the operator text each drawing call records.
#include <gtest/gtest.h>

#include "engine/Vellumark.h"

using namespace vellumark;

namespace {

class EngineGraphics : public ::testing::Test {
protected:
    void SetUp() override { e.CreateGraphic(); }
    // What the calls since the start added after the two initial colour lines.
    std::string Drawn() const {
        const std::string& c = e.CurrentGraphicRes()->Content();
        return c.substr(std::string("1 1 1 rg\r0 0 0 RG\r").size());
    }
    TVellumark e;
};

}  // namespace

TEST_F(EngineGraphics, NewGraphicHoldsTheInitialColours) {
    EXPECT_EQ(e.CurrentGraphicRes()->Content(), "1 1 1 rg\r0 0 0 RG\r");
    EXPECT_EQ(e.GetLineWidth(), 1);
    EXPECT_EQ(e.GetLineColor(), 0u);
    EXPECT_EQ(e.GetFillColor(), 0xFFFFFFu);
    EXPECT_TRUE(e.GetFill());
}

TEST_F(EngineGraphics, LineAndRectangle) {
    e.DrawLine(10, 20, 30.5, -0.5);
    e.Rectangle(100, 200, 50, 20);
    e.SetFill(false);
    e.Rectangle(0, 0, 10, 10);
    e.DrawLine(0.00004, 1, 2, 3);  // DrawLine always strokes; tiny values are 0
    EXPECT_EQ(Drawn(),
              "10 20 m\r30.5 -0.5 l\rS\r"
              "50 20 50 180 re\rB\r"
              "0 0 10 10 re\rS\r"
              "0 1 m\r2 3 l\rS\r");
}

TEST_F(EngineGraphics, CircleUsesTheCurveConstant) {
    e.Circle(100, 100, 50);
    EXPECT_EQ(Drawn(),
              "150 100 m\r"
              "150 127.758286 127.758286 150 100 150 c\r"
              "72.241714 150 50 127.758286 50 100 c\r"
              "50 72.241714 72.241714 50 100 50 c\r"
              "127.758286 50 150 72.241714 150 100 c\r"
              "B\r");
}

TEST_F(EngineGraphics, RotatedEllipseStartsOnTheTurnedAxis) {
    e.SetFill(false);
    e.Ellipse(100, 100, 40, 20, 90);
    const std::string d = Drawn();
    EXPECT_EQ(d.substr(0, d.find('\r')), "100 140 m");
    EXPECT_EQ(d.substr(d.size() - 2), "S\r");
    // Four curves, the last ending at the start point.
    EXPECT_NE(d.find(" 100 140 c\rS\r"), std::string::npos);
}

// A long drawing comes out whole and in order (it is written a piece at a
// time).
TEST_F(EngineGraphics, ManyOperationsComeOutWholeAndInOrder) {
    std::string expected;
    for (int i = 0; i < 6000; ++i) {
        switch (i % 4) {
            case 0:
                e.DrawLine(i, 1, 2, i);
                expected += std::to_string(i) + " 1 m\r2 " + std::to_string(i) + " l\rS\r";
                break;
            case 1:
                e.SetLineWidth(i + 1);
                expected += std::to_string(i + 1) + " w\r";
                break;
            case 2:
                e.SetFill(i % 8 == 2);
                e.Rectangle(0, 0, i, 1);
                expected += "0 0 " + std::to_string(i) + (i % 8 == 2 ? " 1 re\rB\r" : " 1 re\rS\r");
                break;
            default:
                e.SetFillColor(0xFF0000);
                expected += "0 0 1 rg\r";
                break;
        }
    }
    ASSERT_GT(expected.size(), 64u * 1024);
    EXPECT_EQ(Drawn(), expected);
}

TEST_F(EngineGraphics, UnitsApplyToCoordinates) {
    e.Units = umInches;
    e.DrawLine(1, 1, 2, 2);
    EXPECT_EQ(Drawn(), "72 72 m\r144 144 l\rS\r");
}

TEST_F(EngineGraphics, WidthAndColours) {
    e.SetLineWidth(1);   // unchanged: nothing
    e.SetLineWidth(-1);  // refused: nothing
    e.SetLineWidth(3);
    e.SetLineColor(0x0000FF);
    e.SetLineColor(0x0000FF);  // written again
    e.SetFillColor(0x800080);
    EXPECT_EQ(Drawn(),
              "3 w\r"
              "1 0 0 RG\r1 0 0 RG\r"
              "0.501960784313725 0 0.501960784313725 rg\r");
    EXPECT_EQ(e.GetLineWidth(), 3);
    EXPECT_EQ(e.GetLineColor(), 0x0000FFu);
    EXPECT_EQ(e.GetFillColor(), 0x800080u);
}

TEST_F(EngineGraphics, OnlyTheCurrentGraphicIsDrawnOn) {
    e.CreateText();
    e.CurrentGraphic = 2;  // a text resource
    e.DrawLine(1, 2, 3, 4);
    e.SetLineWidth(5);
    EXPECT_EQ(e.GetFillColor(), 0xFFFFFFu);
    EXPECT_EQ(e.GetLineWidth(), 0);
    EXPECT_EQ(e.GetLineColor(), 0u);
    EXPECT_TRUE(e.GetFill());
    e.CurrentGraphic = 99;
    e.Circle(1, 1, 1);
    e.CurrentGraphic = 1;
    EXPECT_EQ(Drawn(), "");
}
