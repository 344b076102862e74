// The members of the C and C++ interfaces: each runs the handler of one entry
// of the member table through the frame of api/Call.h.
//
// Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
// again from the source folder with build/MakeApi . (MakeApi is built with the tests).
#include <cstdint>
#include <string>
#include <utility>

#include "api/Call.h"

namespace vellumark {

// Each slot holds the member this file was written for.
static_assert(api::Matches(7, "AddPage", TInvokeKind::Method, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(8, "AddImageFile", TInvokeKind::Method, {TParamType::BStr}, TParamType::Long));
static_assert(api::Matches(9, "SaveToFile", TInvokeKind::Method, {TParamType::BStr}, TParamType::None));
static_assert(api::Matches(10, "ApplyResource", TInvokeKind::Method, {TParamType::Long, TParamType::Long}, TParamType::Long));
static_assert(api::Matches(11, "ScaleObject", TInvokeKind::Method, {TParamType::Long, TParamType::Long, TParamType::Double}, TParamType::None));
static_assert(api::Matches(12, "Locate", TInvokeKind::Method, {TParamType::Long, TParamType::Long, TParamType::Double, TParamType::Double}, TParamType::None));
static_assert(api::Matches(13, "CreateGraphic", TInvokeKind::Method, {}, TParamType::Long));
static_assert(api::Matches(14, "DrawLine", TInvokeKind::Method, {TParamType::Double, TParamType::Double, TParamType::Double, TParamType::Double}, TParamType::None));
static_assert(api::Matches(15, "Rectangle", TInvokeKind::Method, {TParamType::Double, TParamType::Double, TParamType::Double, TParamType::Double}, TParamType::None));
static_assert(api::Matches(16, "CreateText", TInvokeKind::Method, {}, TParamType::Long));
static_assert(api::Matches(17, "WriteText", TInvokeKind::Method, {TParamType::BStr}, TParamType::None));
static_assert(api::Matches(18, "Clear", TInvokeKind::Method, {}, TParamType::None));
static_assert(api::Matches(19, "DeleteAllPages", TInvokeKind::Method, {}, TParamType::None));
static_assert(api::Matches(20, "AddImageBMPHandle", TInvokeKind::Method, {TParamType::Long}, TParamType::Long));
static_assert(api::Matches(21, "CurrentGraphic", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(22, "CurrentGraphic", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(23, "CurrentText", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(24, "CurrentText", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(25, "LineWidth", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(26, "LineWidth", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(27, "TextColor", TInvokeKind::PropertyGet, {}, TParamType::Color));
static_assert(api::Matches(28, "TextColor", TInvokeKind::PropertyPut, {TParamType::Color}, TParamType::None));
static_assert(api::Matches(29, "LineColor", TInvokeKind::PropertyGet, {}, TParamType::Color));
static_assert(api::Matches(30, "LineColor", TInvokeKind::PropertyPut, {TParamType::Color}, TParamType::None));
static_assert(api::Matches(31, "FillColor", TInvokeKind::PropertyGet, {}, TParamType::Color));
static_assert(api::Matches(32, "FillColor", TInvokeKind::PropertyPut, {TParamType::Color}, TParamType::None));
static_assert(api::Matches(33, "CompressionBW", TInvokeKind::PropertyGet, {}, TParamType::CompressFormat));
static_assert(api::Matches(34, "CompressionBW", TInvokeKind::PropertyPut, {TParamType::CompressFormat}, TParamType::None));
static_assert(api::Matches(35, "CompressionIndexed", TInvokeKind::PropertyGet, {}, TParamType::CompressFormat));
static_assert(api::Matches(36, "CompressionIndexed", TInvokeKind::PropertyPut, {TParamType::CompressFormat}, TParamType::None));
static_assert(api::Matches(37, "CompressionRGB", TInvokeKind::PropertyGet, {}, TParamType::CompressFormat));
static_assert(api::Matches(38, "CompressionRGB", TInvokeKind::PropertyPut, {TParamType::CompressFormat}, TParamType::None));
static_assert(api::Matches(39, "CompressionGray", TInvokeKind::PropertyGet, {}, TParamType::CompressFormat));
static_assert(api::Matches(40, "CompressionGray", TInvokeKind::PropertyPut, {TParamType::CompressFormat}, TParamType::None));
static_assert(api::Matches(41, "UseSourceCompression", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(42, "UseSourceCompression", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(43, "TextFont", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(44, "TextFont", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(45, "TextSize", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(46, "TextSize", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(47, "ImageReadNumber", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(48, "ImageReadNumber", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(49, "ReleaseBMPHandle", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(50, "ReleaseBMPHandle", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(51, "DefaultPageSize", TInvokeKind::PropertyGet, {}, TParamType::PageSize));
static_assert(api::Matches(52, "DefaultPageSize", TInvokeKind::PropertyPut, {TParamType::PageSize}, TParamType::None));
static_assert(api::Matches(53, "Units", TInvokeKind::PropertyGet, {}, TParamType::UnitsMeas));
static_assert(api::Matches(54, "Units", TInvokeKind::PropertyPut, {TParamType::UnitsMeas}, TParamType::None));
static_assert(api::Matches(55, "DoubleBuffered", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(56, "DoubleBuffered", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(57, "AlignDisabled", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(58, "VisibleDockClientCount", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(59, "DrawTextBiDiModeFlagsReadingOnly", TInvokeKind::Method, {}, TParamType::Long));
static_assert(api::Matches(60, "Enabled", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(61, "Enabled", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(62, "InitiateAction", TInvokeKind::Method, {}, TParamType::None));
static_assert(api::Matches(63, "IsRightToLeft", TInvokeKind::Method, {}, TParamType::Bool));
static_assert(api::Matches(64, "UseRightToLeftReading", TInvokeKind::Method, {}, TParamType::Bool));
static_assert(api::Matches(65, "UseRightToLeftScrollBar", TInvokeKind::Method, {}, TParamType::Bool));
static_assert(api::Matches(66, "Visible", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(67, "Visible", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(68, "SetSubComponent", TInvokeKind::Method, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(69, "AboutBox", TInvokeKind::Method, {}, TParamType::None));
static_assert(api::Matches(70, "PageSize", TInvokeKind::PropertyGet, {TParamType::Long}, TParamType::PageSize));
static_assert(api::Matches(71, "PageSize", TInvokeKind::PropertyPut, {TParamType::Long, TParamType::PageSize}, TParamType::None));
static_assert(api::Matches(72, "PageWidth", TInvokeKind::PropertyGet, {TParamType::Long}, TParamType::Double));
static_assert(api::Matches(73, "PageWidth", TInvokeKind::PropertyPut, {TParamType::Long, TParamType::Double}, TParamType::None));
static_assert(api::Matches(74, "PageHeight", TInvokeKind::PropertyGet, {TParamType::Long}, TParamType::Double));
static_assert(api::Matches(75, "PageHeight", TInvokeKind::PropertyPut, {TParamType::Long, TParamType::Double}, TParamType::None));
static_assert(api::Matches(76, "ImageWidth", TInvokeKind::PropertyGet, {TParamType::Long}, TParamType::Double));
static_assert(api::Matches(77, "ImageHeight", TInvokeKind::PropertyGet, {TParamType::Long}, TParamType::Double));
static_assert(api::Matches(78, "AddImageBytes", TInvokeKind::Method, {TParamType::Variant}, TParamType::Long));
static_assert(api::Matches(79, "AddFont", TInvokeKind::Method, {TParamType::BStr}, TParamType::Long));
static_assert(api::Matches(80, "EmbedFont", TInvokeKind::PropertyGet, {TParamType::Long}, TParamType::Bool));
static_assert(api::Matches(81, "EmbedFont", TInvokeKind::PropertyPut, {TParamType::Long, TParamType::Bool}, TParamType::None));
static_assert(api::Matches(82, "Rotate", TInvokeKind::Method, {TParamType::Long, TParamType::Long, TParamType::Double}, TParamType::None));
static_assert(api::Matches(83, "Title", TInvokeKind::PropertyGet, {}, TParamType::BStr));
static_assert(api::Matches(84, "Title", TInvokeKind::PropertyPut, {TParamType::BStr}, TParamType::None));
static_assert(api::Matches(85, "Subject", TInvokeKind::PropertyGet, {}, TParamType::BStr));
static_assert(api::Matches(86, "Subject", TInvokeKind::PropertyPut, {TParamType::BStr}, TParamType::None));
static_assert(api::Matches(87, "Author", TInvokeKind::PropertyGet, {}, TParamType::BStr));
static_assert(api::Matches(88, "Author", TInvokeKind::PropertyPut, {TParamType::BStr}, TParamType::None));
static_assert(api::Matches(89, "Keywords", TInvokeKind::PropertyGet, {}, TParamType::BStr));
static_assert(api::Matches(90, "Keywords", TInvokeKind::PropertyPut, {TParamType::BStr}, TParamType::None));
static_assert(api::Matches(91, "ImageCount", TInvokeKind::PropertyGet, {TParamType::BStr}, TParamType::Long));
static_assert(api::Matches(92, "TextLineSpacing", TInvokeKind::PropertyGet, {}, TParamType::Double));
static_assert(api::Matches(93, "TextLineSpacing", TInvokeKind::PropertyPut, {TParamType::Double}, TParamType::None));
static_assert(api::Matches(94, "TextAlign", TInvokeKind::PropertyGet, {}, TParamType::TextAlign));
static_assert(api::Matches(95, "TextAlign", TInvokeKind::PropertyPut, {TParamType::TextAlign}, TParamType::None));
static_assert(api::Matches(96, "TextMaxWidth", TInvokeKind::PropertyGet, {}, TParamType::Double));
static_assert(api::Matches(97, "TextMaxWidth", TInvokeKind::PropertyPut, {TParamType::Double}, TParamType::None));
static_assert(api::Matches(98, "TextSkewX", TInvokeKind::PropertyGet, {}, TParamType::Double));
static_assert(api::Matches(99, "TextSkewX", TInvokeKind::PropertyPut, {TParamType::Double}, TParamType::None));
static_assert(api::Matches(100, "TextSkewY", TInvokeKind::PropertyGet, {}, TParamType::Double));
static_assert(api::Matches(101, "TextSkewY", TInvokeKind::PropertyPut, {TParamType::Double}, TParamType::None));
static_assert(api::Matches(102, "Ellipse", TInvokeKind::Method, {TParamType::Double, TParamType::Double, TParamType::Double, TParamType::Double, TParamType::Double}, TParamType::None));
static_assert(api::Matches(103, "Circle", TInvokeKind::Method, {TParamType::Double, TParamType::Double, TParamType::Double}, TParamType::None));
static_assert(api::Matches(104, "TextBlockHeight", TInvokeKind::PropertyGet, {}, TParamType::Double));
static_assert(api::Matches(105, "WriteLink", TInvokeKind::Method, {TParamType::BStr, TParamType::BStr}, TParamType::None));
static_assert(api::Matches(106, "TextUnderline", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(107, "TextUnderline", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(108, "LinkStandardFormat", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(109, "LinkStandardFormat", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(110, "LinkColor", TInvokeKind::PropertyGet, {}, TParamType::Color));
static_assert(api::Matches(111, "LinkColor", TInvokeKind::PropertyPut, {TParamType::Color}, TParamType::None));
static_assert(api::Matches(112, "LinkFont", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(113, "LinkFont", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(114, "LinkUnderline", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(115, "LinkUnderline", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(116, "LinkSize", TInvokeKind::PropertyGet, {}, TParamType::Long));
static_assert(api::Matches(117, "LinkSize", TInvokeKind::PropertyPut, {TParamType::Long}, TParamType::None));
static_assert(api::Matches(118, "LinkBorder", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(119, "LinkBorder", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(120, "TextLineWidth", TInvokeKind::PropertyGet, {TParamType::BStr}, TParamType::Double));
static_assert(api::Matches(121, "SetImageLink", TInvokeKind::Method, {TParamType::Long, TParamType::Long, TParamType::BStr}, TParamType::None));
static_assert(api::Matches(122, "TextBlockWidth", TInvokeKind::PropertyGet, {}, TParamType::Double));
static_assert(api::Matches(123, "MergeAlpha", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(124, "MergeAlpha", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(125, "MergeAlphaColor", TInvokeKind::PropertyGet, {}, TParamType::Color));
static_assert(api::Matches(126, "MergeAlphaColor", TInvokeKind::PropertyPut, {TParamType::Color}, TParamType::None));
static_assert(api::Matches(127, "AppendText", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(128, "AppendText", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(129, "CompressContents", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(130, "CompressContents", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(131, "Fill", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(132, "Fill", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(133, "UnicodeText", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(134, "UnicodeText", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));
static_assert(api::Matches(135, "SubsetFonts", TInvokeKind::PropertyGet, {}, TParamType::Bool));
static_assert(api::Matches(136, "SubsetFonts", TInvokeKind::PropertyPut, {TParamType::Bool}, TParamType::None));

// --- C++ ---

void Document::AddPage(std::int32_t page) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::Run<7>(s.control, a);
    });
}

std::int32_t Document::AddImageFile(std::string_view fileName) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fileName);
        TVariant ret = api::Run<8>(s.control, a);
        return ret.lVal;
    });
}

std::int32_t Document::AddImageFile(std::u16string_view fileName) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fileName);
        TVariant ret = api::Run<8>(s.control, a);
        return ret.lVal;
    });
}

void Document::SaveToFile(std::string_view fileName) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fileName);
        api::Run<9>(s.control, a);
    });
}

void Document::SaveToFile(std::u16string_view fileName) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fileName);
        api::Run<9>(s.control, a);
    });
}

std::int32_t Document::ApplyResource(std::int32_t page, std::int32_t resource) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], resource);
        TVariant ret = api::Run<10>(s.control, a);
        return ret.lVal;
    });
}

void Document::ScaleObject(std::int32_t page, std::int32_t index, double scaleFactor) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutDouble(a[2], scaleFactor);
        api::Run<11>(s.control, a);
    });
}

void Document::Locate(std::int32_t page, std::int32_t index, double x, double y) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutDouble(a[2], x);
        api::PutDouble(a[3], y);
        api::Run<12>(s.control, a);
    });
}

std::int32_t Document::CreateGraphic() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<13>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::DrawLine(double x1, double y1, double x2, double y2) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], x1);
        api::PutDouble(a[1], y1);
        api::PutDouble(a[2], x2);
        api::PutDouble(a[3], y2);
        api::Run<14>(s.control, a);
    });
}

void Document::Rectangle(double x1, double y1, double x2, double y2) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], x1);
        api::PutDouble(a[1], y1);
        api::PutDouble(a[2], x2);
        api::PutDouble(a[3], y2);
        api::Run<15>(s.control, a);
    });
}

std::int32_t Document::CreateText() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<16>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::WriteText(std::string_view text) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], text);
        api::Run<17>(s.control, a);
    });
}

void Document::WriteText(std::u16string_view text) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], text);
        api::Run<17>(s.control, a);
    });
}

void Document::Clear() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        api::Run<18>(s.control, nullptr);
    });
}

void Document::DeleteAllPages() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        api::Run<19>(s.control, nullptr);
    });
}

std::int32_t Document::AddImageBMPHandle(std::int32_t handle) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], handle);
        TVariant ret = api::Run<20>(s.control, a);
        return ret.lVal;
    });
}

std::int32_t Document::GetCurrentGraphic() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<21>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetCurrentGraphic(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<22>(s.control, a);
    });
}

std::int32_t Document::GetCurrentText() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<23>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetCurrentText(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<24>(s.control, a);
    });
}

std::int32_t Document::GetLineWidth() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<25>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetLineWidth(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<26>(s.control, a);
    });
}

Color Document::GetTextColor() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<27>(s.control, nullptr);
        return static_cast<Color>(ret.lVal);
    });
}

void Document::SetTextColor(Color value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<28>(s.control, a);
    });
}

Color Document::GetLineColor() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<29>(s.control, nullptr);
        return static_cast<Color>(ret.lVal);
    });
}

void Document::SetLineColor(Color value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<30>(s.control, a);
    });
}

Color Document::GetFillColor() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<31>(s.control, nullptr);
        return static_cast<Color>(ret.lVal);
    });
}

void Document::SetFillColor(Color value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<32>(s.control, a);
    });
}

CompressFormat Document::GetCompressionBW() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<33>(s.control, nullptr);
        return static_cast<CompressFormat>(ret.lVal);
    });
}

void Document::SetCompressionBW(CompressFormat value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutOrdinal(a[0], static_cast<std::int32_t>(value));
        api::Run<34>(s.control, a);
    });
}

CompressFormat Document::GetCompressionIndexed() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<35>(s.control, nullptr);
        return static_cast<CompressFormat>(ret.lVal);
    });
}

void Document::SetCompressionIndexed(CompressFormat value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutOrdinal(a[0], static_cast<std::int32_t>(value));
        api::Run<36>(s.control, a);
    });
}

CompressFormat Document::GetCompressionRGB() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<37>(s.control, nullptr);
        return static_cast<CompressFormat>(ret.lVal);
    });
}

void Document::SetCompressionRGB(CompressFormat value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutOrdinal(a[0], static_cast<std::int32_t>(value));
        api::Run<38>(s.control, a);
    });
}

CompressFormat Document::GetCompressionGray() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<39>(s.control, nullptr);
        return static_cast<CompressFormat>(ret.lVal);
    });
}

void Document::SetCompressionGray(CompressFormat value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutOrdinal(a[0], static_cast<std::int32_t>(value));
        api::Run<40>(s.control, a);
    });
}

bool Document::GetUseSourceCompression() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<41>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetUseSourceCompression(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<42>(s.control, a);
    });
}

std::int32_t Document::GetTextFont() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<43>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetTextFont(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<44>(s.control, a);
    });
}

std::int32_t Document::GetTextSize() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<45>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetTextSize(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<46>(s.control, a);
    });
}

std::int32_t Document::GetImageReadNumber() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<47>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetImageReadNumber(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<48>(s.control, a);
    });
}

bool Document::GetReleaseBMPHandle() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<49>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetReleaseBMPHandle(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<50>(s.control, a);
    });
}

PageSize Document::GetDefaultPageSize() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<51>(s.control, nullptr);
        return static_cast<PageSize>(ret.lVal);
    });
}

void Document::SetDefaultPageSize(PageSize value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutOrdinal(a[0], static_cast<std::int32_t>(value));
        api::Run<52>(s.control, a);
    });
}

UnitsMeas Document::GetUnits() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<53>(s.control, nullptr);
        return static_cast<UnitsMeas>(ret.lVal);
    });
}

void Document::SetUnits(UnitsMeas value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutOrdinal(a[0], static_cast<std::int32_t>(value));
        api::Run<54>(s.control, a);
    });
}

bool Document::GetDoubleBuffered() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<55>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetDoubleBuffered(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<56>(s.control, a);
    });
}

bool Document::GetAlignDisabled() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<57>(s.control, nullptr);
        return ret.boolVal;
    });
}

std::int32_t Document::GetVisibleDockClientCount() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<58>(s.control, nullptr);
        return ret.lVal;
    });
}

std::int32_t Document::DrawTextBiDiModeFlagsReadingOnly() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<59>(s.control, nullptr);
        return ret.lVal;
    });
}

bool Document::GetEnabled() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<60>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetEnabled(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<61>(s.control, a);
    });
}

void Document::InitiateAction() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        api::Run<62>(s.control, nullptr);
    });
}

bool Document::IsRightToLeft() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<63>(s.control, nullptr);
        return ret.boolVal;
    });
}

bool Document::UseRightToLeftReading() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<64>(s.control, nullptr);
        return ret.boolVal;
    });
}

bool Document::UseRightToLeftScrollBar() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<65>(s.control, nullptr);
        return ret.boolVal;
    });
}

bool Document::GetVisible() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<66>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetVisible(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<67>(s.control, a);
    });
}

void Document::SetSubComponent(bool isSubComponent) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], isSubComponent);
        api::Run<68>(s.control, a);
    });
}

void Document::AboutBox() {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        api::Run<69>(s.control, nullptr);
    });
}

PageSize Document::GetPageSize(std::int32_t page) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        TVariant ret = api::Run<70>(s.control, a);
        return static_cast<PageSize>(ret.lVal);
    });
}

void Document::SetPageSize(std::int32_t page, PageSize value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutOrdinal(a[1], static_cast<std::int32_t>(value));
        api::Run<71>(s.control, a);
    });
}

double Document::GetPageWidth(std::int32_t page) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        TVariant ret = api::Run<72>(s.control, a);
        return ret.dblVal;
    });
}

void Document::SetPageWidth(std::int32_t page, double value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutDouble(a[1], value);
        api::Run<73>(s.control, a);
    });
}

double Document::GetPageHeight(std::int32_t page) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        TVariant ret = api::Run<74>(s.control, a);
        return ret.dblVal;
    });
}

void Document::SetPageHeight(std::int32_t page, double value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutDouble(a[1], value);
        api::Run<75>(s.control, a);
    });
}

double Document::GetImageWidth(std::int32_t index) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], index);
        TVariant ret = api::Run<76>(s.control, a);
        return ret.dblVal;
    });
}

double Document::GetImageHeight(std::int32_t index) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], index);
        TVariant ret = api::Run<77>(s.control, a);
        return ret.dblVal;
    });
}

std::int32_t Document::AddImageBytes(ByteSpan imageData) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        const TVariant a[] = {api::ArgBytes(imageData.data(), imageData.size())};
        TVariant ret = api::Run<78>(s.control, a);
        return ret.lVal;
    });
}

std::int32_t Document::AddFont(std::string_view fontName) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fontName);
        TVariant ret = api::Run<79>(s.control, a);
        return ret.lVal;
    });
}

std::int32_t Document::AddFont(std::u16string_view fontName) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fontName);
        TVariant ret = api::Run<79>(s.control, a);
        return ret.lVal;
    });
}

bool Document::GetEmbedFont(std::int32_t fontNum) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], fontNum);
        TVariant ret = api::Run<80>(s.control, a);
        return ret.boolVal;
    });
}

void Document::SetEmbedFont(std::int32_t fontNum, bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], fontNum);
        api::PutBool(a[1], value);
        api::Run<81>(s.control, a);
    });
}

void Document::Rotate(std::int32_t page, std::int32_t index, double angle) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutDouble(a[2], angle);
        api::Run<82>(s.control, a);
    });
}

std::string Document::GetTitle() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<83>(s.control, nullptr);
        return Utf16ToUtf8(ret.bstrVal);
    });
}

std::u16string Document::GetTitleUtf16() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<83>(s.control, nullptr);
        return std::move(ret.bstrVal);
    });
}

void Document::SetTitle(std::string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<84>(s.control, a);
    });
}

void Document::SetTitle(std::u16string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<84>(s.control, a);
    });
}

std::string Document::GetSubject() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<85>(s.control, nullptr);
        return Utf16ToUtf8(ret.bstrVal);
    });
}

std::u16string Document::GetSubjectUtf16() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<85>(s.control, nullptr);
        return std::move(ret.bstrVal);
    });
}

void Document::SetSubject(std::string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<86>(s.control, a);
    });
}

void Document::SetSubject(std::u16string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<86>(s.control, a);
    });
}

std::string Document::GetAuthor() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<87>(s.control, nullptr);
        return Utf16ToUtf8(ret.bstrVal);
    });
}

std::u16string Document::GetAuthorUtf16() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<87>(s.control, nullptr);
        return std::move(ret.bstrVal);
    });
}

void Document::SetAuthor(std::string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<88>(s.control, a);
    });
}

void Document::SetAuthor(std::u16string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<88>(s.control, a);
    });
}

std::string Document::GetKeywords() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<89>(s.control, nullptr);
        return Utf16ToUtf8(ret.bstrVal);
    });
}

std::u16string Document::GetKeywordsUtf16() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<89>(s.control, nullptr);
        return std::move(ret.bstrVal);
    });
}

void Document::SetKeywords(std::string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<90>(s.control, a);
    });
}

void Document::SetKeywords(std::u16string_view value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<90>(s.control, a);
    });
}

std::int32_t Document::GetImageCount(std::string_view fileName) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fileName);
        TVariant ret = api::Run<91>(s.control, a);
        return ret.lVal;
    });
}

std::int32_t Document::GetImageCount(std::u16string_view fileName) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], fileName);
        TVariant ret = api::Run<91>(s.control, a);
        return ret.lVal;
    });
}

double Document::GetTextLineSpacing() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<92>(s.control, nullptr);
        return ret.dblVal;
    });
}

void Document::SetTextLineSpacing(double value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<93>(s.control, a);
    });
}

TextAlign Document::GetTextAlign() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<94>(s.control, nullptr);
        return static_cast<TextAlign>(ret.lVal);
    });
}

void Document::SetTextAlign(TextAlign value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutOrdinal(a[0], static_cast<std::int32_t>(value));
        api::Run<95>(s.control, a);
    });
}

double Document::GetTextMaxWidth() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<96>(s.control, nullptr);
        return ret.dblVal;
    });
}

void Document::SetTextMaxWidth(double value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<97>(s.control, a);
    });
}

double Document::GetTextSkewX() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<98>(s.control, nullptr);
        return ret.dblVal;
    });
}

void Document::SetTextSkewX(double value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<99>(s.control, a);
    });
}

double Document::GetTextSkewY() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<100>(s.control, nullptr);
        return ret.dblVal;
    });
}

void Document::SetTextSkewY(double value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<101>(s.control, a);
    });
}

void Document::Ellipse(double x, double y, double rx, double ry, double angle) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], x);
        api::PutDouble(a[1], y);
        api::PutDouble(a[2], rx);
        api::PutDouble(a[3], ry);
        api::PutDouble(a[4], angle);
        api::Run<102>(s.control, a);
    });
}

void Document::Circle(double x, double y, double r) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutDouble(a[0], x);
        api::PutDouble(a[1], y);
        api::PutDouble(a[2], r);
        api::Run<103>(s.control, a);
    });
}

double Document::GetTextBlockHeight() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<104>(s.control, nullptr);
        return ret.dblVal;
    });
}

void Document::WriteLink(std::string_view text, std::string_view link) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], text);
        api::PutText(a[1], link);
        api::Run<105>(s.control, a);
    });
}

void Document::WriteLink(std::u16string_view text, std::u16string_view link) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], text);
        api::PutText(a[1], link);
        api::Run<105>(s.control, a);
    });
}

bool Document::GetTextUnderline() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<106>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetTextUnderline(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<107>(s.control, a);
    });
}

bool Document::GetLinkStandardFormat() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<108>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetLinkStandardFormat(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<109>(s.control, a);
    });
}

Color Document::GetLinkColor() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<110>(s.control, nullptr);
        return static_cast<Color>(ret.lVal);
    });
}

void Document::SetLinkColor(Color value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<111>(s.control, a);
    });
}

std::int32_t Document::GetLinkFont() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<112>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetLinkFont(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<113>(s.control, a);
    });
}

bool Document::GetLinkUnderline() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<114>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetLinkUnderline(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<115>(s.control, a);
    });
}

std::int32_t Document::GetLinkSize() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<116>(s.control, nullptr);
        return ret.lVal;
    });
}

void Document::SetLinkSize(std::int32_t value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<117>(s.control, a);
    });
}

bool Document::GetLinkBorder() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<118>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetLinkBorder(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<119>(s.control, a);
    });
}

double Document::GetTextLineWidth(std::string_view text) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], text);
        TVariant ret = api::Run<120>(s.control, a);
        return ret.dblVal;
    });
}

double Document::GetTextLineWidth(std::u16string_view text) const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutText(a[0], text);
        TVariant ret = api::Run<120>(s.control, a);
        return ret.dblVal;
    });
}

void Document::SetImageLink(std::int32_t page, std::int32_t index, std::string_view link) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutText(a[2], link);
        api::Run<121>(s.control, a);
    });
}

void Document::SetImageLink(std::int32_t page, std::int32_t index, std::u16string_view link) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutText(a[2], link);
        api::Run<121>(s.control, a);
    });
}

double Document::GetTextBlockWidth() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<122>(s.control, nullptr);
        return ret.dblVal;
    });
}

bool Document::GetMergeAlpha() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<123>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetMergeAlpha(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<124>(s.control, a);
    });
}

Color Document::GetMergeAlphaColor() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<125>(s.control, nullptr);
        return static_cast<Color>(ret.lVal);
    });
}

void Document::SetMergeAlphaColor(Color value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<126>(s.control, a);
    });
}

bool Document::GetAppendText() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<127>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetAppendText(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<128>(s.control, a);
    });
}

bool Document::GetCompressContents() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<129>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetCompressContents(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<130>(s.control, a);
    });
}

bool Document::GetFill() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<131>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetFill(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<132>(s.control, a);
    });
}

bool Document::GetUnicodeText() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<133>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetUnicodeText(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<134>(s.control, a);
    });
}

bool Document::GetSubsetFonts() const {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant ret = api::Run<135>(s.control, nullptr);
        return ret.boolVal;
    });
}

void Document::SetSubsetFonts(bool value) {
    return api::CallCpp([&] {
        api::TDocState& s = State();
        TVariant* a = s.args;
        api::PutBool(a[0], value);
        api::Run<136>(s.control, a);
    });
}

}  // namespace vellumark

// --- C ---

using namespace vellumark;

extern "C" vm_status vm_AddPage(vm_doc* doc, int32_t page) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::Run<7>(s.control, a);
    });
}

extern "C" vm_status vm_AddImageFile(vm_doc* doc, const char* file_name, int32_t* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], file_name);
        TVariant ret = api::Run<8>(s.control, a);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_SaveToFile(vm_doc* doc, const char* file_name) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], file_name);
        api::Run<9>(s.control, a);
    });
}

extern "C" vm_status vm_ApplyResource(vm_doc* doc, int32_t page, int32_t resource, int32_t* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], resource);
        TVariant ret = api::Run<10>(s.control, a);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_ScaleObject(vm_doc* doc, int32_t page, int32_t index, double scale_factor) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutDouble(a[2], scale_factor);
        api::Run<11>(s.control, a);
    });
}

extern "C" vm_status vm_Locate(vm_doc* doc, int32_t page, int32_t index, double x, double y) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutDouble(a[2], x);
        api::PutDouble(a[3], y);
        api::Run<12>(s.control, a);
    });
}

extern "C" vm_status vm_CreateGraphic(vm_doc* doc, int32_t* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<13>(s.control, nullptr);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_DrawLine(vm_doc* doc, double x1, double y1, double x2, double y2) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], x1);
        api::PutDouble(a[1], y1);
        api::PutDouble(a[2], x2);
        api::PutDouble(a[3], y2);
        api::Run<14>(s.control, a);
    });
}

extern "C" vm_status vm_Rectangle(vm_doc* doc, double x1, double y1, double x2, double y2) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], x1);
        api::PutDouble(a[1], y1);
        api::PutDouble(a[2], x2);
        api::PutDouble(a[3], y2);
        api::Run<15>(s.control, a);
    });
}

extern "C" vm_status vm_CreateText(vm_doc* doc, int32_t* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<16>(s.control, nullptr);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_WriteText(vm_doc* doc, const char* text) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], text);
        api::Run<17>(s.control, a);
    });
}

extern "C" vm_status vm_Clear(vm_doc* doc) {
    return api::CallC(doc, [&](api::TDocState& s) {
        api::Run<18>(s.control, nullptr);
    });
}

extern "C" vm_status vm_DeleteAllPages(vm_doc* doc) {
    return api::CallC(doc, [&](api::TDocState& s) {
        api::Run<19>(s.control, nullptr);
    });
}

extern "C" vm_status vm_AddImageBMPHandle(vm_doc* doc, int32_t handle, int32_t* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], handle);
        TVariant ret = api::Run<20>(s.control, a);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_get_CurrentGraphic(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<21>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_CurrentGraphic(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<22>(s.control, a);
    });
}

extern "C" vm_status vm_get_CurrentText(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<23>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_CurrentText(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<24>(s.control, a);
    });
}

extern "C" vm_status vm_get_LineWidth(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<25>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_LineWidth(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<26>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextColor(vm_doc* doc, uint32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<27>(s.control, nullptr);
        *value = static_cast<uint32_t>(ret.lVal);
    });
}

extern "C" vm_status vm_set_TextColor(vm_doc* doc, uint32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<28>(s.control, a);
    });
}

extern "C" vm_status vm_get_LineColor(vm_doc* doc, uint32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<29>(s.control, nullptr);
        *value = static_cast<uint32_t>(ret.lVal);
    });
}

extern "C" vm_status vm_set_LineColor(vm_doc* doc, uint32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<30>(s.control, a);
    });
}

extern "C" vm_status vm_get_FillColor(vm_doc* doc, uint32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<31>(s.control, nullptr);
        *value = static_cast<uint32_t>(ret.lVal);
    });
}

extern "C" vm_status vm_set_FillColor(vm_doc* doc, uint32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<32>(s.control, a);
    });
}

extern "C" vm_status vm_get_CompressionBW(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<33>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_CompressionBW(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutOrdinal(a[0], value);
        api::Run<34>(s.control, a);
    });
}

extern "C" vm_status vm_get_CompressionIndexed(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<35>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_CompressionIndexed(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutOrdinal(a[0], value);
        api::Run<36>(s.control, a);
    });
}

extern "C" vm_status vm_get_CompressionRGB(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<37>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_CompressionRGB(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutOrdinal(a[0], value);
        api::Run<38>(s.control, a);
    });
}

extern "C" vm_status vm_get_CompressionGray(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<39>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_CompressionGray(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutOrdinal(a[0], value);
        api::Run<40>(s.control, a);
    });
}

extern "C" vm_status vm_get_UseSourceCompression(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<41>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_UseSourceCompression(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<42>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextFont(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<43>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_TextFont(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<44>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextSize(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<45>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_TextSize(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<46>(s.control, a);
    });
}

extern "C" vm_status vm_get_ImageReadNumber(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<47>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_ImageReadNumber(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<48>(s.control, a);
    });
}

extern "C" vm_status vm_get_ReleaseBMPHandle(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<49>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_ReleaseBMPHandle(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<50>(s.control, a);
    });
}

extern "C" vm_status vm_get_DefaultPageSize(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<51>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_DefaultPageSize(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutOrdinal(a[0], value);
        api::Run<52>(s.control, a);
    });
}

extern "C" vm_status vm_get_Units(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<53>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_Units(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutOrdinal(a[0], value);
        api::Run<54>(s.control, a);
    });
}

extern "C" vm_status vm_get_DoubleBuffered(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<55>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_DoubleBuffered(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<56>(s.control, a);
    });
}

extern "C" vm_status vm_get_AlignDisabled(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<57>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_get_VisibleDockClientCount(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<58>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_DrawTextBiDiModeFlagsReadingOnly(vm_doc* doc, int32_t* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<59>(s.control, nullptr);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_get_Enabled(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<60>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_Enabled(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<61>(s.control, a);
    });
}

extern "C" vm_status vm_InitiateAction(vm_doc* doc) {
    return api::CallC(doc, [&](api::TDocState& s) {
        api::Run<62>(s.control, nullptr);
    });
}

extern "C" vm_status vm_IsRightToLeft(vm_doc* doc, int* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<63>(s.control, nullptr);
        *result = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_UseRightToLeftReading(vm_doc* doc, int* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<64>(s.control, nullptr);
        *result = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_UseRightToLeftScrollBar(vm_doc* doc, int* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<65>(s.control, nullptr);
        *result = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_get_Visible(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<66>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_Visible(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<67>(s.control, a);
    });
}

extern "C" vm_status vm_SetSubComponent(vm_doc* doc, int is_sub_component) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], is_sub_component != 0);
        api::Run<68>(s.control, a);
    });
}

extern "C" vm_status vm_AboutBox(vm_doc* doc) {
    return api::CallC(doc, [&](api::TDocState& s) {
        api::Run<69>(s.control, nullptr);
    });
}

extern "C" vm_status vm_get_PageSize(vm_doc* doc, int32_t page, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        TVariant ret = api::Run<70>(s.control, a);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_PageSize(vm_doc* doc, int32_t page, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutOrdinal(a[1], value);
        api::Run<71>(s.control, a);
    });
}

extern "C" vm_status vm_get_PageWidth(vm_doc* doc, int32_t page, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        TVariant ret = api::Run<72>(s.control, a);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_set_PageWidth(vm_doc* doc, int32_t page, double value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutDouble(a[1], value);
        api::Run<73>(s.control, a);
    });
}

extern "C" vm_status vm_get_PageHeight(vm_doc* doc, int32_t page, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        TVariant ret = api::Run<74>(s.control, a);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_set_PageHeight(vm_doc* doc, int32_t page, double value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutDouble(a[1], value);
        api::Run<75>(s.control, a);
    });
}

extern "C" vm_status vm_get_ImageWidth(vm_doc* doc, int32_t index, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], index);
        TVariant ret = api::Run<76>(s.control, a);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_get_ImageHeight(vm_doc* doc, int32_t index, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], index);
        TVariant ret = api::Run<77>(s.control, a);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_AddImageBytes(vm_doc* doc, const void* image_data, size_t image_data_size, int32_t* result) {
    if ((!image_data && image_data_size != 0) || !result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        const TVariant a[] = {api::ArgBytes(image_data, image_data_size)};
        TVariant ret = api::Run<78>(s.control, a);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_AddFont(vm_doc* doc, const char* font_name, int32_t* result) {
    if (!result) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], font_name);
        TVariant ret = api::Run<79>(s.control, a);
        *result = ret.lVal;
    });
}

extern "C" vm_status vm_get_EmbedFont(vm_doc* doc, int32_t font_num, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], font_num);
        TVariant ret = api::Run<80>(s.control, a);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_EmbedFont(vm_doc* doc, int32_t font_num, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], font_num);
        api::PutBool(a[1], value != 0);
        api::Run<81>(s.control, a);
    });
}

extern "C" vm_status vm_Rotate(vm_doc* doc, int32_t page, int32_t index, double angle) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutDouble(a[2], angle);
        api::Run<82>(s.control, a);
    });
}

extern "C" vm_status vm_get_Title(vm_doc* doc, const char** value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<83>(s.control, nullptr);
        s.text = Utf16ToUtf8(ret.bstrVal);
        *value = s.text.c_str();
    });
}

extern "C" vm_status vm_set_Title(vm_doc* doc, const char* value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<84>(s.control, a);
    });
}

extern "C" vm_status vm_get_Subject(vm_doc* doc, const char** value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<85>(s.control, nullptr);
        s.text = Utf16ToUtf8(ret.bstrVal);
        *value = s.text.c_str();
    });
}

extern "C" vm_status vm_set_Subject(vm_doc* doc, const char* value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<86>(s.control, a);
    });
}

extern "C" vm_status vm_get_Author(vm_doc* doc, const char** value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<87>(s.control, nullptr);
        s.text = Utf16ToUtf8(ret.bstrVal);
        *value = s.text.c_str();
    });
}

extern "C" vm_status vm_set_Author(vm_doc* doc, const char* value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<88>(s.control, a);
    });
}

extern "C" vm_status vm_get_Keywords(vm_doc* doc, const char** value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<89>(s.control, nullptr);
        s.text = Utf16ToUtf8(ret.bstrVal);
        *value = s.text.c_str();
    });
}

extern "C" vm_status vm_set_Keywords(vm_doc* doc, const char* value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], value);
        api::Run<90>(s.control, a);
    });
}

extern "C" vm_status vm_get_ImageCount(vm_doc* doc, const char* file_name, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], file_name);
        TVariant ret = api::Run<91>(s.control, a);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_get_TextLineSpacing(vm_doc* doc, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<92>(s.control, nullptr);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_set_TextLineSpacing(vm_doc* doc, double value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<93>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextAlign(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<94>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_TextAlign(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutOrdinal(a[0], value);
        api::Run<95>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextMaxWidth(vm_doc* doc, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<96>(s.control, nullptr);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_set_TextMaxWidth(vm_doc* doc, double value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<97>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextSkewX(vm_doc* doc, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<98>(s.control, nullptr);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_set_TextSkewX(vm_doc* doc, double value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<99>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextSkewY(vm_doc* doc, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<100>(s.control, nullptr);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_set_TextSkewY(vm_doc* doc, double value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], value);
        api::Run<101>(s.control, a);
    });
}

extern "C" vm_status vm_Ellipse(vm_doc* doc, double x, double y, double rx, double ry, double angle) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], x);
        api::PutDouble(a[1], y);
        api::PutDouble(a[2], rx);
        api::PutDouble(a[3], ry);
        api::PutDouble(a[4], angle);
        api::Run<102>(s.control, a);
    });
}

extern "C" vm_status vm_Circle(vm_doc* doc, double x, double y, double r) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutDouble(a[0], x);
        api::PutDouble(a[1], y);
        api::PutDouble(a[2], r);
        api::Run<103>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextBlockHeight(vm_doc* doc, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<104>(s.control, nullptr);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_WriteLink(vm_doc* doc, const char* text, const char* link) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], text);
        api::PutText(a[1], link);
        api::Run<105>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextUnderline(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<106>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_TextUnderline(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<107>(s.control, a);
    });
}

extern "C" vm_status vm_get_LinkStandardFormat(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<108>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_LinkStandardFormat(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<109>(s.control, a);
    });
}

extern "C" vm_status vm_get_LinkColor(vm_doc* doc, uint32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<110>(s.control, nullptr);
        *value = static_cast<uint32_t>(ret.lVal);
    });
}

extern "C" vm_status vm_set_LinkColor(vm_doc* doc, uint32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<111>(s.control, a);
    });
}

extern "C" vm_status vm_get_LinkFont(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<112>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_LinkFont(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<113>(s.control, a);
    });
}

extern "C" vm_status vm_get_LinkUnderline(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<114>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_LinkUnderline(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<115>(s.control, a);
    });
}

extern "C" vm_status vm_get_LinkSize(vm_doc* doc, int32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<116>(s.control, nullptr);
        *value = ret.lVal;
    });
}

extern "C" vm_status vm_set_LinkSize(vm_doc* doc, int32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], value);
        api::Run<117>(s.control, a);
    });
}

extern "C" vm_status vm_get_LinkBorder(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<118>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_LinkBorder(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<119>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextLineWidth(vm_doc* doc, const char* text, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutText(a[0], text);
        TVariant ret = api::Run<120>(s.control, a);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_SetImageLink(vm_doc* doc, int32_t page, int32_t index, const char* link) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutLong(a[0], page);
        api::PutLong(a[1], index);
        api::PutText(a[2], link);
        api::Run<121>(s.control, a);
    });
}

extern "C" vm_status vm_get_TextBlockWidth(vm_doc* doc, double* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<122>(s.control, nullptr);
        *value = ret.dblVal;
    });
}

extern "C" vm_status vm_get_MergeAlpha(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<123>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_MergeAlpha(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<124>(s.control, a);
    });
}

extern "C" vm_status vm_get_MergeAlphaColor(vm_doc* doc, uint32_t* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<125>(s.control, nullptr);
        *value = static_cast<uint32_t>(ret.lVal);
    });
}

extern "C" vm_status vm_set_MergeAlphaColor(vm_doc* doc, uint32_t value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutColor(a[0], value);
        api::Run<126>(s.control, a);
    });
}

extern "C" vm_status vm_get_AppendText(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<127>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_AppendText(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<128>(s.control, a);
    });
}

extern "C" vm_status vm_get_CompressContents(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<129>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_CompressContents(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<130>(s.control, a);
    });
}

extern "C" vm_status vm_get_Fill(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<131>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_Fill(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<132>(s.control, a);
    });
}

extern "C" vm_status vm_get_UnicodeText(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<133>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_UnicodeText(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<134>(s.control, a);
    });
}

extern "C" vm_status vm_get_SubsetFonts(vm_doc* doc, int* value) {
    if (!value) return VM_INVALID;
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant ret = api::Run<135>(s.control, nullptr);
        *value = ret.boolVal ? 1 : 0;
    });
}

extern "C" vm_status vm_set_SubsetFonts(vm_doc* doc, int value) {
    return api::CallC(doc, [&](api::TDocState& s) {
        TVariant* a = s.args;
        api::PutBool(a[0], value != 0);
        api::Run<136>(s.control, a);
    });
}
