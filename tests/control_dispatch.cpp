// TPDFDoc: the call frame, early-bound calls by slot, late-bound calls through
// Invoke, and the error convention.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "base/TextCodec.h"
#include "control/ErrorInfo.h"
#include "control/PDFDocImpl1.h"

namespace vellumark {
namespace {

constexpr uint16_t kGetOrMethod = dfMethod | dfPropertyGet;

class ControlDispatch : public ::testing::Test {
protected:
    void SetUp() override { SetErrorInfo(std::nullopt); }
    void TearDown() override { SetErrorInfo(std::nullopt); }

    // Early-bound call that must succeed; gives the result.
    TVariant Slot(int slot, std::vector<TVariant> args = {}) {
        TVariant result;
        EXPECT_EQ(doc.CallSlot(slot, args, &result), hr::kOk) << "slot " << slot;
        return result;
    }
    // Late-bound property get and put by name.
    TVariant Get(std::u16string_view name, std::vector<TVariant> index = {}) {
        int32_t id = 0;
        EXPECT_EQ(doc.GetIDsOfNames(name, id), hr::kOk);
        TVariant result;
        EXPECT_EQ(doc.Invoke(id, kGetOrMethod, index, &result), hr::kOk);
        return result;
    }
    void Put(std::u16string_view name, std::vector<TVariant> args) {
        int32_t id = 0;
        EXPECT_EQ(doc.GetIDsOfNames(name, id), hr::kOk);
        EXPECT_EQ(doc.Invoke(id, dfPropertyPut, args, nullptr), hr::kOk);
    }

    TPDFDoc doc;
    TVellumark& engine = doc.Engine();
};

// --- reaching members --------------------------------------------------------

TEST_F(ControlDispatch, SlotNameAndDispIdReachTheSameMember) {
    Slot(7, {TVariant::Long(0)});  // AddPage
    EXPECT_EQ(engine.Pages().Count(), 1);

    int32_t id = 0;
    ASSERT_EQ(doc.GetIDsOfNames(u"ADDPAGE", id), hr::kOk);
    EXPECT_EQ(id, 201);
    std::vector<TVariant> args{TVariant::Long(0)};
    EXPECT_EQ(doc.Invoke(id, dfMethod, args, nullptr), hr::kOk);
    EXPECT_EQ(engine.Pages().Count(), 2);

    // Both paths number resources from one sequence.
    EXPECT_EQ(Slot(13).lVal, 1);  // CreateGraphic
    TVariant r;
    EXPECT_EQ(doc.Invoke(207, dfMethod, {}, &r), hr::kOk);
    EXPECT_EQ(r.vt, TVarType::I4);
    EXPECT_EQ(r.lVal, 2);
    EXPECT_EQ(engine.CurrentGraphic, 2);
}

TEST_F(ControlDispatch, UnknownNamesAndIds) {
    int32_t id = 5;
    EXPECT_EQ(doc.GetIDsOfNames(u"AddPages", id), hr::kUnknownName);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(doc.Invoke(999, kGetOrMethod, {}, nullptr), hr::kMemberNotFound);
    TVariant r;
    EXPECT_EQ(doc.CallSlot(6, {}, &r), hr::kMemberNotFound);
    EXPECT_EQ(doc.CallSlot(137, {}, &r), hr::kMemberNotFound);
}

TEST_F(ControlDispatch, InvokeFlagsChooseGetPutOrMethod) {
    Slot(7, {TVariant::Long(0)});
    std::vector<TVariant> page{TVariant::Long(1)};
    TVariant r;
    // How scripts read D.PageWidth(1): both flags.
    ASSERT_EQ(doc.Invoke(243, kGetOrMethod, page, &r), hr::kOk);
    EXPECT_EQ(r.vt, TVarType::R8);
    EXPECT_EQ(r.dblVal, 595);
    ASSERT_EQ(doc.Invoke(244, dfPropertyGet, page, &r), hr::kOk);
    EXPECT_EQ(r.dblVal, 842);
    // A property is not a method.
    EXPECT_EQ(doc.Invoke(243, dfMethod, page, &r), hr::kMemberNotFound);
    EXPECT_EQ(doc.Invoke(243, 0, page, &r), hr::kMemberNotFound);

    // Put and put-by-reference alike; the index comes before the value.
    std::vector<TVariant> put{TVariant::Long(1), TVariant::Double(600)};
    EXPECT_EQ(doc.Invoke(243, dfPropertyPutRef, put, nullptr), hr::kOk);
    EXPECT_EQ(engine.Page(1)->Width, 600);
    put[1] = TVariant::Double(700);
    EXPECT_EQ(doc.Invoke(244, dfPropertyPut | dfPropertyPutRef, put, nullptr), hr::kOk);
    EXPECT_EQ(engine.Page(1)->Height, 700);

    // Read-only properties and methods have no put.
    std::vector<TVariant> value{TVariant::Bool(true)};
    EXPECT_EQ(doc.Invoke(233, dfPropertyPut, value, nullptr), hr::kMemberNotFound);
    EXPECT_EQ(doc.Invoke(201, dfPropertyPut, page, nullptr), hr::kMemberNotFound);
}

TEST_F(ControlDispatch, ResultSlotOfInvoke) {
    // A method without a result leaves an empty value; a caller may also pass
    // no result at all.
    TVariant r = TVariant::Long(9);
    std::vector<TVariant> args{TVariant::Long(0)};
    ASSERT_EQ(doc.Invoke(201, dfMethod, args, &r), hr::kOk);
    EXPECT_EQ(r.vt, TVarType::Empty);
    EXPECT_EQ(doc.Invoke(210, kGetOrMethod, {}, nullptr), hr::kOk);  // CreateText
    EXPECT_EQ(engine.CurrentText, 1);
}

TEST_F(ControlDispatch, NullResultPointerIsRefusedBeforeTheCall) {
    EXPECT_EQ(doc.CallSlot(13, {}, nullptr), hr::kPointer);  // CreateGraphic
    EXPECT_EQ(engine.Resources().Count(), 0);
    std::vector<TVariant> args{TVariant::Long(0)};
    EXPECT_EQ(doc.CallSlot(7, args, nullptr), hr::kOk);  // AddPage has no result
}

// --- argument checks ---------------------------------------------------------

TEST_F(ControlDispatch, WrongArgumentCountCallsNothing) {
    TVariant r;
    EXPECT_EQ(doc.CallSlot(7, {}, &r), hr::kBadParamCount);
    std::vector<TVariant> two{TVariant::Long(0), TVariant::Long(0)};
    EXPECT_EQ(doc.Invoke(201, dfMethod, two, nullptr), hr::kBadParamCount);
    EXPECT_EQ(doc.Invoke(243, kGetOrMethod, {}, &r), hr::kBadParamCount);  // PageWidth needs its page
    EXPECT_EQ(engine.Pages().Count(), 0);
}

TEST_F(ControlDispatch, FailedConversionNamesTheArgument) {
    Slot(7, {TVariant::Long(0)});
    Slot(10, {TVariant::Long(1), TVariant::Long(1)});  // nothing to apply; returns 0
    uint32_t argErr = 99;
    std::vector<TVariant> args{TVariant::Long(1), TVariant::Long(1), TVariant::String(u"x"), TVariant::Double(0)};
    EXPECT_EQ(doc.Invoke(206, dfMethod, args, nullptr, nullptr, &argErr), hr::kTypeMismatch);
    EXPECT_EQ(argErr, 2u);

    args = {TVariant::Double(3e10)};
    EXPECT_EQ(doc.Invoke(201, dfMethod, args, nullptr, nullptr, &argErr), hr::kOverflow);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(engine.Pages().Count(), 1);

    // Early-bound calls report the conversion failure too; no error info.
    TVariant r;
    EXPECT_EQ(doc.CallSlot(7, std::vector<TVariant>{TVariant::String(u"abc")}, &r), hr::kTypeMismatch);
    EXPECT_FALSE(GetErrorInfo().has_value());
}

// --- conversions of arguments and results -----------------------------------

TEST_F(ControlDispatch, BooleanPropertiesTakeAnyNonZeroAndReadBackTrue) {
    Put(u"UseSourceCompression", {TVariant::Bool(false)});
    EXPECT_FALSE(engine.UseSourceCompression);
    Put(u"UseSourceCompression", {TVariant::Long(1)});
    EXPECT_TRUE(engine.UseSourceCompression);
    TVariant r = Get(u"UseSourceCompression");
    EXPECT_EQ(r.vt, TVarType::Bool);
    EXPECT_TRUE(r.boolVal);

    Slot(119, {TVariant::Long(2)});  // LinkBorder put
    EXPECT_TRUE(engine.LinkBorder);
    Slot(119, {TVariant::Long(0)});
    EXPECT_FALSE(engine.LinkBorder);
    EXPECT_EQ(Slot(118).vt, TVarType::Bool);
}

TEST_F(ControlDispatch, EnumerationsAreNarrowedInAndZeroExtendedOut) {
    engine.DefaultPageSize = psLetter_P;
    Put(u"DefaultPageSize", {TVariant::Long(257)});
    EXPECT_EQ(engine.DefaultPageSize, psA4_P);
    engine.Units = umInches;
    Put(u"Units", {TVariant::Long(256)});
    EXPECT_EQ(engine.Units, umPoints);

    Put(u"Units", {TVariant::Long(-1)});
    EXPECT_EQ(engine.Units, 255);
    TVariant r = Get(u"Units");
    EXPECT_EQ(r.vt, TVarType::I4);
    EXPECT_EQ(r.lVal, 255);
}

TEST_F(ControlDispatch, ColoursPassAsTheir32Bits) {
    Slot(13);  // CreateGraphic
    Put(u"LineColor", {TVariant::Long(0xFF8000)});
    EXPECT_EQ(engine.GetLineColor(), 0xFF8000u);
    EXPECT_EQ(Get(u"LineColor").lVal, 0xFF8000);

    Put(u"MergeAlphaColor", {TVariant::Double(4294967295.0)});
    EXPECT_EQ(engine.MergeAlphaColor, 0xFFFFFFFFu);
    TVariant r = Get(u"MergeAlphaColor");
    EXPECT_EQ(r.vt, TVarType::I4);
    EXPECT_EQ(r.lVal, -1);
    EXPECT_EQ(Get(u"LinkColor").lVal, 0xFF0000);
}

TEST_F(ControlDispatch, StringProperties) {
    TVariant r = TVariant::Long(3);
    ASSERT_EQ(doc.CallSlot(83, {}, &r), hr::kOk);  // Title before it was set
    EXPECT_EQ(r.vt, TVarType::BStr);
    EXPECT_TRUE(r.bstrVal.empty());

    Put(u"Author", {TVariant::String(u"Zo\u00eb \u20ac")});
    EXPECT_EQ(engine.Author, u"Zo\u00eb \u20ac");
    EXPECT_EQ(Get(u"Author").bstrVal, u"Zo\u00eb \u20ac");
    Put(u"Keywords", {TVariant::Long(42)});
    EXPECT_EQ(engine.Keywords, u"42");
}

TEST_F(ControlDispatch, SettingsWithRefusals) {
    // CompressionBW refuses JPEG without an error.
    std::vector<TVariant> jpeg{TVariant::Long(cfJPEG)};
    EXPECT_EQ(doc.Invoke(221, dfPropertyPut, jpeg, nullptr), hr::kOk);
    EXPECT_EQ(Get(u"CompressionBW").lVal, cfGroup4);
    Put(u"CompressionBW", {TVariant::Long(cfZIP)});
    EXPECT_EQ(doc.Invoke(221, dfPropertyPut, jpeg, nullptr), hr::kOk);
    EXPECT_EQ(Get(u"CompressionBW").lVal, cfZIP);
    Put(u"CompressionRGB", {TVariant::Long(cfJPEG)});
    EXPECT_EQ(Get(u"CompressionRGB").lVal, cfJPEG);
    Put(u"CompressionIndexed", {TVariant::Long(cfGroup4)});
    EXPECT_EQ(Get(u"CompressionIndexed").lVal, cfZIP);

    Put(u"ImageReadNumber", {TVariant::Long(3)});
    Put(u"ImageReadNumber", {TVariant::Long(0)});
    EXPECT_EQ(Get(u"ImageReadNumber").lVal, 3);

    Put(u"LinkFont", {TVariant::Long(5)});
    EXPECT_EQ(Get(u"LinkFont").lVal, 15);

    Put(u"CompressContents", {TVariant::Bool(false)});
    EXPECT_FALSE(engine.CompressContents);
}

TEST_F(ControlDispatch, PagesAndPlacementsThroughTheInterface) {
    Put(u"Units", {TVariant::Long(umMillimeters)});
    Slot(7, {TVariant::Long(0)});
    Put(u"PageWidth", {TVariant::Long(1), TVariant::Double(210)});
    EXPECT_EQ(engine.Page(1)->Width, 595);
    EXPECT_DOUBLE_EQ(Get(u"PageWidth", {TVariant::Long(1)}).dblVal, 595 / 72.0 * 25.4);
    EXPECT_EQ(Get(u"PageSize", {TVariant::Long(1)}).lVal, psA4_P);
    Put(u"PageSize", {TVariant::Long(1), TVariant::Long(psA4_L)});
    EXPECT_EQ(engine.Page(1)->Width, 842);

    Slot(16);  // CreateText
    EXPECT_EQ(Slot(10, {TVariant::Long(1), TVariant::Long(1)}).lVal, 1);  // ApplyResource
    Slot(12, {TVariant::Long(1), TVariant::Long(1), TVariant::Double(25.4), TVariant::Double(50.8)});
    EXPECT_DOUBLE_EQ(engine.Placement(1, 1)->X, 72);
    EXPECT_DOUBLE_EQ(engine.Placement(1, 1)->Y, 144);
    Slot(11, {TVariant::Long(1), TVariant::Long(1), TVariant::Double(50)});
    EXPECT_EQ(engine.Placement(1, 1)->Scale, 50);
}

TEST_F(ControlDispatch, GraphicsThroughTheInterface) {
    Slot(13);  // CreateGraphic
    Put(u"Fill", {TVariant::Bool(false)});
    Slot(15, {TVariant::Long(100), TVariant::Long(200), TVariant::Long(50), TVariant::Long(20)});  // Rectangle
    EXPECT_NE(engine.CurrentGraphicRes()->Content().find("50 20 50 180 re\rS\r"), std::string::npos);
    EXPECT_FALSE(Get(u"Fill").boolVal);
}

TEST_F(ControlDispatch, ControlWindowMembers) {
    EXPECT_TRUE(Get(u"Enabled").boolVal);
    EXPECT_TRUE(Get(u"Visible").boolVal);
    EXPECT_FALSE(Get(u"DoubleBuffered").boolVal);
    EXPECT_FALSE(Get(u"AlignDisabled").boolVal);
    EXPECT_EQ(Get(u"VisibleDockClientCount").lVal, 0);
    EXPECT_EQ(Get(u"DrawTextBiDiModeFlagsReadingOnly").lVal, 0);
    EXPECT_FALSE(Get(u"IsRightToLeft").boolVal);
    EXPECT_FALSE(Get(u"UseRightToLeftReading").boolVal);
    EXPECT_FALSE(Get(u"UseRightToLeftScrollBar").boolVal);

    std::vector<TVariant> off{TVariant::Bool(false)};
    EXPECT_EQ(doc.Invoke(-514, dfPropertyPut, off, nullptr), hr::kOk);
    EXPECT_FALSE(doc.Window().Enabled);
    Put(u"Visible", {TVariant::Bool(false)});
    EXPECT_FALSE(doc.Window().Visible);
    Put(u"DoubleBuffered", {TVariant::Long(1)});
    EXPECT_TRUE(doc.Window().DoubleBuffered);
    Slot(68, {TVariant::Bool(true)});  // SetSubComponent
    EXPECT_TRUE(doc.Window().SubComponent);
    Slot(62);  // InitiateAction

    doc.Window().RightToLeft = true;
    EXPECT_EQ(Get(u"DrawTextBiDiModeFlagsReadingOnly").lVal, 0x20000);
}

// --- errors ------------------------------------------------------------------

TEST_F(ControlDispatch, AboutBoxWithoutAPlatformBoxFailsWithErrorInfo) {
    TVariant r = TVariant::Long(77);
    EXPECT_EQ(doc.CallSlot(69, {}, &r), hr::kUnexpected);  // AboutBox
    std::optional<TErrorInfo> info = GetErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->guid, kIID_IPDFDoc);
    EXPECT_EQ(info->source, u"VellumarkX.PDFDoc");
    EXPECT_EQ(info->description, u"Not implemented: AboutBox");
    EXPECT_EQ(info->helpContext, 0u);
    // Taken once.
    EXPECT_FALSE(GetErrorInfo().has_value());

    // The result is written only on success.
    std::vector<TVariant> args{TVariant::String(u"/no/such/image.bmp")};
    EXPECT_EQ(doc.CallSlot(8, args, &r), hr::kUnexpected);  // AddImageFile
    EXPECT_EQ(GetErrorInfo()->description, u"File not found");
    EXPECT_EQ(r.vt, TVarType::I4);
    EXPECT_EQ(r.lVal, 77);
}

TEST_F(ControlDispatch, AboutBoxCallsThePlatformBox) {
    int shown = 0;
    doc.SetAboutBox([&shown] { ++shown; });
    EXPECT_EQ(doc.CallSlot(69, {}, nullptr), hr::kOk);
    EXPECT_EQ(doc.Invoke(-552, dfMethod, {}, nullptr), hr::kOk);
    EXPECT_EQ(shown, 2);
}

TEST_F(ControlDispatch, FailedMemberThroughInvokeGivesAnException) {
    TExcepInfo excep;
    EXPECT_EQ(doc.Invoke(-552, dfMethod, {}, nullptr, &excep), hr::kException);  // AboutBox
    EXPECT_EQ(excep.scode, hr::kUnexpected);
    EXPECT_EQ(excep.source, u"VellumarkX.PDFDoc");
    EXPECT_EQ(excep.description, u"Not implemented: AboutBox");

    // Without an exception record the thread keeps the error info.
    std::vector<TVariant> name{TVariant::String(u"/no/such/file.tif")};
    EXPECT_EQ(doc.Invoke(255, kGetOrMethod, name, nullptr), hr::kException);  // ImageCount
    std::optional<TErrorInfo> info = GetErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->description, u"File not found: /no/such/file.tif");
}

TEST_F(ControlDispatch, SaveToFileFailureNamesTheFile) {
    test::TempDir dir;
    std::filesystem::path target = dir / "n\xc3\xa4he" / "out";  // a folder that does not exist
    Slot(7, {TVariant::Long(0)});
    std::vector<TVariant> args{TVariant::String(Utf8ToUtf16(target.string()))};
    TVariant r;
    EXPECT_EQ(doc.CallSlot(9, args, &r), hr::kUnexpected);
    std::optional<TErrorInfo> info = GetErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_NE(info->description.find(Utf8ToUtf16(target.string() + ".pdf")), std::u16string::npos)
        << Utf16ToUtf8(info->description);
    EXPECT_EQ(info->source, kProgID);
}

TEST_F(ControlDispatch, SaveToFileWritesTheDocument) {
    test::TempDir dir;
    Slot(7, {TVariant::Long(0)});
    std::vector<TVariant> args{TVariant::String(Utf8ToUtf16((dir / "doc").string()))};
    EXPECT_EQ(doc.Invoke(203, dfMethod, args, nullptr), hr::kOk);
    EXPECT_TRUE(std::filesystem::exists(dir / "doc.pdf"));
    EXPECT_FALSE(GetErrorInfo().has_value());
}

TEST_F(ControlDispatch, InterfacesWithErrorInfo) {
    EXPECT_EQ(doc.InterfaceSupportsErrorInfo(kIID_IPDFDoc), hr::kOk);
    EXPECT_EQ(doc.InterfaceSupportsErrorInfo("{d2e997d2-4e0c-432c-9f7b-6c62201d75ca}"), hr::kOk);
    EXPECT_EQ(doc.InterfaceSupportsErrorInfo(kIID_IPDFDoc2), hr::kOk);
    EXPECT_EQ(doc.InterfaceSupportsErrorInfo("{D5B6374A-7816-4EE4-9569-3370DC965C5A}"), hr::kFalse);
    EXPECT_EQ(doc.InterfaceSupportsErrorInfo(""), hr::kFalse);
}

}  // namespace
}  // namespace vellumark
