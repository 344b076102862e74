// Units and page sizes.
#include <gtest/gtest.h>

#include "engine/Vellumark.h"

using namespace vellumark;

TEST(EngineUnits, Conversions) {
    EXPECT_DOUBLE_EQ(ToPoints(umInches, 2), 144);
    EXPECT_DOUBLE_EQ(ToPoints(umCentimeters, 2.54), 72);
    EXPECT_DOUBLE_EQ(ToPoints(umMillimeters, 25.4), 72);
    EXPECT_DOUBLE_EQ(FromPoints(umMillimeters, 72), 25.4);
    EXPECT_DOUBLE_EQ(FromPoints(umCentimeters, 72), 2.54);
    EXPECT_EQ(ToPoints(static_cast<TUnitsMeas>(4), 10), 0);
    EXPECT_EQ(FromPoints(static_cast<TUnitsMeas>(255), 10), 0);
}

TEST(EngineUnits, PageSizeTable) {
    const struct { TPageSize code; int w, h; } rows[] = {
        {psA4_P, 595, 842},      {psA4_L, 842, 595},          {psLetter_P, 612, 792},
        {psLetter_L, 792, 612},  {psA3_P, 842, 1191},         {psA3_L, 1191, 842},
        {psA5_P, 421, 595},      {psA5_L, 595, 421},          {psTabloid_P, 792, 1224},
        {psTabloid_L, 1224, 792}, {psLegal_P, 612, 1008},     {psLegal_L, 1008, 612},
        {psStatement_P, 396, 612}, {psStatement_L, 612, 396}, {psExecutive_P, 522, 756},
        {psExecutive_L, 756, 522},
    };
    TVellumark e;
    for (const auto& r : rows) {
        e.DefaultPageSize = r.code;
        e.AddPage(0);
        int32_t n = e.Pages().Count();
        EXPECT_EQ(e.GetPageSize(n), r.code);
        EXPECT_EQ(e.GetPageWidth(n), r.w) << int(r.code);
        EXPECT_EQ(e.GetPageHeight(n), r.h) << int(r.code);
    }
}

TEST(EngineUnits, CustomDefaultGivesEmptyPage) {
    TVellumark e;
    e.DefaultPageSize = psCustom;
    e.AddPage(0);
    EXPECT_EQ(e.GetPageWidth(1), 0);
    EXPECT_EQ(e.GetPageHeight(1), 0);
    EXPECT_EQ(e.GetPageSize(1), psCustom);
}

TEST(EngineUnits, WidthInMillimetresRoundsToWholePoints) {
    TVellumark e;
    e.AddPage(0);
    e.Units = umMillimeters;
    e.SetPageWidth(1, 210);
    EXPECT_EQ(e.Page(1)->Width, 595);
    EXPECT_NEAR(e.GetPageWidth(1), 209.902777777778, 1e-9);
    // 595 is A4's width already: the size code stays.
    EXPECT_EQ(e.GetPageSize(1), psA4_P);
    e.SetPageWidth(1, 200);
    EXPECT_EQ(e.GetPageSize(1), psCustom);
    EXPECT_EQ(e.Page(1)->Width, 567);
}

TEST(EngineUnits, SizeCodesAndDimensions) {
    TVellumark e;
    e.AddPage(0);
    e.SetPageSize(1, psA4_L);
    EXPECT_EQ(e.Page(1)->Width, 842);
    EXPECT_EQ(e.Page(1)->Height, 595);
    e.SetPageSize(1, psCustom);
    EXPECT_EQ(e.GetPageSize(1), psCustom);
    EXPECT_EQ(e.Page(1)->Width, 842);
    e.SetPageHeight(1, 0.2);
    EXPECT_EQ(e.Page(1)->Height, 1);
    e.SetPageHeight(1, 0);
    e.SetPageHeight(1, -5);
    EXPECT_EQ(e.Page(1)->Height, 1);
    // A code outside the table is kept and leaves the dimensions alone.
    e.SetPageSize(1, static_cast<TPageSize>(40));
    EXPECT_EQ(e.GetPageSize(1), 40);
    EXPECT_EQ(e.Page(1)->Width, 842);
    // Setting the same code again after a custom change re-applies it.
    e.SetPageSize(1, psA4_P);
    EXPECT_EQ(e.Page(1)->Height, 842);
}

TEST(EngineUnits, OutOfRangePagesReadZero) {
    TVellumark e;
    e.AddPage(0);
    EXPECT_EQ(e.GetPageWidth(0), 0);
    EXPECT_EQ(e.GetPageWidth(2), 0);
    EXPECT_EQ(e.GetPageHeight(-1), 0);
    EXPECT_EQ(e.GetPageSize(5), 0);
    e.SetPageWidth(2, 100);  // nothing happens
    e.Units = static_cast<TUnitsMeas>(9);
    EXPECT_EQ(e.GetPageWidth(1), 0);
}
