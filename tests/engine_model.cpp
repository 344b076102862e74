// Pages, placements, numbering rules, Clear and DeleteAllPages.
#include <gtest/gtest.h>

#include <numbers>

#include "engine/Vellumark.h"

using namespace vellumark;

namespace {

// A page that identifies itself by a custom width.
void AddMarkedPage(TVellumark& e, int32_t at, int32_t mark) {
    e.AddPage(at);
    int32_t n = at <= 0 || at > e.Pages().Count() ? e.Pages().Count() : at;
    e.Page(n)->Width = mark;
}

}  // namespace

TEST(EngineModel, DefaultsOfANewEngine) {
    TVellumark e;
    EXPECT_EQ(e.DefaultPageSize, psA4_P);
    EXPECT_EQ(e.Units, umPoints);
    EXPECT_EQ(e.GetCompressionBW(), cfGroup4);
    EXPECT_EQ(e.GetCompressionIndexed(), cfZIP);
    EXPECT_EQ(e.GetCompressionRGB(), cfZIP);
    EXPECT_EQ(e.GetCompressionGray(), cfZIP);
    EXPECT_TRUE(e.UseSourceCompression);
    EXPECT_EQ(e.GetImageReadNumber(), 1);
    EXPECT_TRUE(e.ReleaseBMPHandle);
    EXPECT_FALSE(e.LinkBorder);
    EXPECT_TRUE(e.LinkStandardFormat);
    EXPECT_TRUE(e.LinkUnderline);
    EXPECT_EQ(e.LinkSize, 10);
    EXPECT_EQ(e.GetLinkFont(), 15);
    EXPECT_EQ(e.LinkColor, 0xFF0000u);
    EXPECT_FALSE(e.MergeAlpha);
    EXPECT_EQ(e.MergeAlphaColor, 0xFFFFFFu);
    EXPECT_FALSE(e.AppendText);
    EXPECT_TRUE(e.CompressContents);
    EXPECT_EQ(e.CurrentGraphic, 0);
    EXPECT_EQ(e.CurrentText, 0);
}

TEST(EngineModel, AddPageInsertsByPosition) {
    TVellumark e;
    AddMarkedPage(e, 0, 101);
    AddMarkedPage(e, 0, 102);
    AddMarkedPage(e, 0, 103);
    AddMarkedPage(e, 1, 104);
    ASSERT_EQ(e.Pages().Count(), 4);
    EXPECT_EQ(e.GetPageWidth(1), 104);
    EXPECT_EQ(e.GetPageWidth(2), 101);
    EXPECT_EQ(e.GetPageWidth(4), 103);
    // Page 1 is the page added last: operations reach it.
    e.CreateGraphic();
    EXPECT_EQ(e.ApplyResource(1, 1), 1);
    EXPECT_EQ(e.Page(1)->Placements.Count(), 1);
    EXPECT_EQ(e.Page(2)->Placements.Count(), 0);
    // Beyond the end appends; a negative page appends.
    AddMarkedPage(e, 7, 105);
    AddMarkedPage(e, -2, 106);
    EXPECT_EQ(e.GetPageWidth(5), 105);
    EXPECT_EQ(e.GetPageWidth(6), 106);
}

TEST(EngineModel, ApplyResourceChecksNumbersAndCounts) {
    TVellumark e;
    EXPECT_EQ(e.ApplyResource(1, 1), 0);
    e.AddPage(0);
    EXPECT_EQ(e.ApplyResource(1, 1), 0);
    e.CreateGraphic();
    EXPECT_EQ(e.ApplyResource(1, 1), 1);
    EXPECT_EQ(e.ApplyResource(1, 1), 2);
    EXPECT_EQ(e.ApplyResource(2, 1), 0);
    EXPECT_EQ(e.ApplyResource(1, 2), 0);
    EXPECT_EQ(e.ApplyResource(0, 1), 0);
    e.CreateText();
    EXPECT_EQ(e.ApplyResource(1, 2), 3);
    const TPDFObjList& list = e.Page(1)->Placements;
    EXPECT_EQ(list.GraphicCount(), 2);
    EXPECT_EQ(list.TextCount(), 1);
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_EQ(list.Get(3)->Kind, okText);
    EXPECT_EQ(list.Get(1)->Kind, okGraphic);
    e.AddResource(std::make_unique<TPDFImageRes>());
    EXPECT_EQ(e.ApplyResource(1, 3), 4);
    EXPECT_EQ(list.Get(4)->Kind, okImage);
    EXPECT_EQ(list.ImageCount(), 1);
}

TEST(EngineModel, PlacementStartsAtTopLeftAndKeepsItsY) {
    TVellumark e;
    e.AddPage(0);
    e.CreateGraphic();
    e.ApplyResource(1, 1);
    const TPDFObj* obj = e.Placement(1, 1);
    EXPECT_EQ(obj->X, 0);
    EXPECT_EQ(obj->Y, 842);
    EXPECT_EQ(obj->Scale, 100);
    EXPECT_EQ(obj->Angle, 0);
    e.SetPageHeight(1, 500);
    EXPECT_EQ(obj->Y, 842);
}

TEST(EngineModel, LocateScaleRotate) {
    TVellumark e;
    e.AddPage(0);
    e.CreateGraphic();
    e.ApplyResource(1, 1);
    e.Units = umInches;
    e.Locate(1, 1, 1, 2);
    EXPECT_EQ(e.Placement(1, 1)->X, 72);
    EXPECT_EQ(e.Placement(1, 1)->Y, 144);
    e.ScaleObject(1, 1, 50);
    EXPECT_EQ(e.Placement(1, 1)->Scale, 50);
    e.ScaleObject(1, 1, 0);
    e.ScaleObject(1, 1, -3);
    EXPECT_EQ(e.Placement(1, 1)->Scale, 50);
    e.Rotate(1, 1, 90);
    EXPECT_DOUBLE_EQ(e.Placement(1, 1)->Angle, std::numbers::pi / 2);
    // Out of range does nothing and does not fail.
    e.Locate(2, 1, 5, 5);
    e.Locate(1, 2, 5, 5);
    e.Rotate(0, 1, 5);
    e.ScaleObject(1, 9, 5);
    EXPECT_EQ(e.Placement(1, 1)->X, 72);
    // An unknown unit converts to 0.
    e.Units = static_cast<TUnitsMeas>(9);
    e.Locate(1, 1, 5, 5);
    EXPECT_EQ(e.Placement(1, 1)->X, 0);
    EXPECT_EQ(e.Placement(1, 1)->Y, 0);
}

TEST(EngineModel, SetImageLinkOnlyOnImages) {
    TVellumark e;
    e.AddPage(0);
    e.CreateGraphic();
    e.CreateText();
    e.AddResource(std::make_unique<TPDFImageRes>());
    e.ApplyResource(1, 1);
    e.ApplyResource(1, 2);
    e.ApplyResource(1, 3);
    e.LinkBorder = true;
    e.SetImageLink(1, 1, u"http://a");
    e.SetImageLink(1, 2, u"http://b");
    e.SetImageLink(1, 3, u"http://c/\u00e9\u4e00");
    e.SetImageLink(1, 4, u"http://d");
    e.SetImageLink(3, 1, u"http://d");
    EXPECT_TRUE(e.Placement(1, 1)->Link.empty());
    EXPECT_TRUE(e.Placement(1, 2)->Link.empty());
    EXPECT_EQ(e.Placement(1, 3)->Link, "http://c/\xe9?");
    EXPECT_TRUE(e.Placement(1, 3)->LinkBorder);
}

TEST(EngineModel, ClearKeepsSettings) {
    TVellumark e;
    e.Units = umMillimeters;
    e.DefaultPageSize = psLetter_L;
    e.CompressContents = false;
    e.Title = u"t";
    e.AddPage(0);
    e.CreateGraphic();
    e.CreateText();
    e.Clear();
    EXPECT_EQ(e.Pages().Count(), 0);
    EXPECT_EQ(e.Resources().Count(), 0);
    EXPECT_EQ(e.CurrentGraphic, 0);
    EXPECT_EQ(e.CurrentText, 0);
    EXPECT_TRUE(e.Title.empty());
    EXPECT_EQ(e.Units, umMillimeters);
    EXPECT_EQ(e.DefaultPageSize, psLetter_L);
    EXPECT_FALSE(e.CompressContents);
    EXPECT_EQ(e.CreateGraphic(), 1);
}

TEST(EngineModel, DeleteAllPagesKeepsResources) {
    TVellumark e;
    e.AddPage(0);
    e.AddPage(0);
    e.CreateGraphic();
    e.CreateText();
    e.Author = u"me";
    e.ApplyResource(1, 2);
    e.DeleteAllPages();
    EXPECT_EQ(e.Pages().Count(), 0);
    EXPECT_EQ(e.Resources().Count(), 2);
    EXPECT_EQ(e.CurrentText, 2);
    EXPECT_NE(e.CurrentTextRes(), nullptr);
    EXPECT_EQ(e.Author, u"me");
    e.AddPage(0);
    EXPECT_EQ(e.ApplyResource(1, 2), 1);
}

TEST(EngineModel, SettingsWithRefusedValues) {
    TVellumark e;
    e.SetCompressionBW(cfJPEG);
    EXPECT_EQ(e.GetCompressionBW(), cfGroup4);
    e.SetCompressionBW(cfZIP);
    EXPECT_EQ(e.GetCompressionBW(), cfZIP);
    e.SetCompressionIndexed(cfGroup4);
    e.SetCompressionIndexed(cfJPEG);
    EXPECT_EQ(e.GetCompressionIndexed(), cfZIP);
    e.SetCompressionGray(cfGroup4);
    EXPECT_EQ(e.GetCompressionGray(), cfZIP);
    e.SetCompressionGray(cfJPEG);
    EXPECT_EQ(e.GetCompressionGray(), cfJPEG);
    e.SetCompressionRGB(cfGroup4);
    e.SetCompressionRGB(static_cast<TxCompressFormat>(7));
    EXPECT_EQ(e.GetCompressionRGB(), cfZIP);
    e.SetImageReadNumber(0);
    e.SetImageReadNumber(-1);
    EXPECT_EQ(e.GetImageReadNumber(), 1);
    e.SetImageReadNumber(3);
    EXPECT_EQ(e.GetImageReadNumber(), 3);
    e.SetLinkFont(5);   // standard fonts are refused
    e.SetLinkFont(15);  // no font added yet
    EXPECT_EQ(e.GetLinkFont(), 15);
}
