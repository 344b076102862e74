// The members of IPDFDoc and of IPDFDoc2, which extends it, as a constant
// table, in slot order. MemberTable()
// hands it out at run time; the Windows function table is instantiated from
// it at compile time, so that every slot's signature comes from the same
// entries as dispatch by name and the type library.
#pragma once

#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "base/EPDFError.h"
#include "base/TextCodec.h"
#include "control/MemberTable.h"
#include "control/PDFDocImpl1.h"

namespace vellumark::member_data {

// Each handler performs the member's single engine call or field access on
// arguments that the dispatch frame has already converted (see
// MemberTable.h), and returns the result in its declared type. Members whose
// engine operation is not built yet have no handler; the frame reports them
// as not implemented.


using enum TParamType;

constexpr TMemberInfo Entry(int slot, int32_t dispid, const char* name, TInvokeKind kind,
                            std::initializer_list<TParamInfo> params, TParamType result, const char* help,
                            TMemberHandler handler) {
    TMemberInfo m{slot, dispid, name, kind, static_cast<uint8_t>(params.size()), {}, result, help, handler};
    int i = 0;
    for (const TParamInfo& p : params) m.params[i++] = p;
    return m;
}

constexpr TMemberInfo Method(int slot, int32_t dispid, const char* name, std::initializer_list<TParamInfo> params,
                             TParamType result, const char* help, TMemberHandler handler) {
    return Entry(slot, dispid, name, TInvokeKind::Method, params, result, help, handler);
}

// A property get: the index parameter, if any, and the value as result.
constexpr TMemberInfo Get(int slot, int32_t dispid, const char* name, std::initializer_list<TParamInfo> index,
                          TParamType type, const char* help, TMemberHandler handler) {
    return Entry(slot, dispid, name, TInvokeKind::PropertyGet, index, type, help, handler);
}

// A property put: the index parameter, if any, then the new value.
constexpr TMemberInfo Put(int slot, int32_t dispid, const char* name, std::initializer_list<TParamInfo> index,
                          TParamType type, const char* help, TMemberHandler handler) {
    TMemberInfo m = Entry(slot, dispid, name, TInvokeKind::PropertyPut, index, None, help, handler);
    m.params[m.paramCount++] = {"Value", type};
    return m;
}

// Results in their declared types.
inline TVariant Void() { return {}; }
inline TVariant AsLong(int32_t v) { return TVariant::Long(v); }
inline TVariant AsDouble(double v) { return TVariant::Double(v); }
inline TVariant AsBool(bool v) { return TVariant::Bool(v); }
inline TVariant AsColor(uint32_t v) { return TVariant::Long(static_cast<int32_t>(v)); }
// An enumeration, zero-extended.
template <class E>
    requires std::is_enum_v<E>
TVariant AsOrdinal(E v) {
    return TVariant::Long(static_cast<std::underlying_type_t<E>>(v));
}
inline TVariant AsText(const std::u16string& v) { return TVariant::String(v); }

// Converted arguments.
inline uint32_t ColorArg(const TVariant& v) { return static_cast<uint32_t>(v.lVal); }
// An enumeration of one byte: the value's low byte, kept whether or not the
// enumeration names it (the engine's rules for each setting apply to it).
template <class E>
    requires(std::is_enum_v<E> && std::is_same_v<std::underlying_type_t<E>, uint8_t>)
E OrdinalArg(const TVariant& v) {
    return static_cast<E>(static_cast<uint8_t>(v.lVal));
}

// The bytes of AddImageBytes' VARIANT: a byte array as it is, a string in the
// narrow code page.
inline std::vector<uint8_t> ImageBytesOf(const TVariant& v) {
    if (v.vt == TVarType::ByteArray) return v.bytes;
    if (v.vt == TVarType::BStr) {
        const std::string narrow = ToAnsi(v.bstrVal);
        return std::vector<uint8_t>(narrow.begin(), narrow.end());
    }
    throw EPDFError("Type mismatch");
}

// The right-to-left reading flag of the platform's text drawing.
inline constexpr int32_t kDrawTextRtlReading = 0x20000;

// A handler: the body sees the control as `doc` and the arguments as `a`.
#define VM_HANDLER(...) \
    [](TPDFDoc & doc [[maybe_unused]], const TVariant* a [[maybe_unused]]) -> TVariant { __VA_ARGS__; }

inline constexpr TMemberInfo kMembers[] = {
    Method(7, 201, "AddPage", {{"Page", Long}}, None, "Adds a new page to the document.",
           VM_HANDLER(doc.Engine().AddPage(a[0].lVal); return Void())),
    Method(8, 202, "AddImageFile", {{"FileName", BStr}}, Long, "Adds an image resource from file on disk.", 
        VM_HANDLER(return AsLong(doc.Engine().AddImageFile(a[0].bstrVal)))),
    Method(9, 203, "SaveToFile", {{"FileName", BStr}}, None, "Saves PDF document to disk.",
           VM_HANDLER(doc.Engine().SaveToFile(a[0].bstrVal); return Void())),
    Method(10, 204, "ApplyResource", {{"Page", Long}, {"Resource", Long}}, Long, "Draws a resource on a page.",
           VM_HANDLER(return AsLong(doc.Engine().ApplyResource(a[0].lVal, a[1].lVal)))),
    Method(11, 205, "ScaleObject", {{"Page", Long}, {"Index", Long}, {"ScaleFactor", Double}}, None,
           "Modifies the size used to display a resource on a page.",
           VM_HANDLER(doc.Engine().ScaleObject(a[0].lVal, a[1].lVal, a[2].dblVal); return Void())),
    Method(12, 206, "Locate", {{"Page", Long}, {"Index", Long}, {"X", Double}, {"Y", Double}}, None,
           "Modifies the position of a resource on a page.",
           VM_HANDLER(doc.Engine().Locate(a[0].lVal, a[1].lVal, a[2].dblVal, a[3].dblVal); return Void())),
    Method(13, 207, "CreateGraphic", {}, Long, "Creates a new graphic resource.",
           VM_HANDLER(return AsLong(doc.Engine().CreateGraphic()))),
    Method(14, 208, "DrawLine", {{"X1", Double}, {"Y1", Double}, {"X2", Double}, {"Y2", Double}}, None,
           "Draws a line on a graphic.",
           VM_HANDLER(doc.Engine().DrawLine(a[0].dblVal, a[1].dblVal, a[2].dblVal, a[3].dblVal); return Void())),
    Method(15, 209, "Rectangle", {{"X1", Double}, {"Y1", Double}, {"X2", Double}, {"Y2", Double}}, None,
           "Draws a rectangle on a graphic.",
           VM_HANDLER(doc.Engine().Rectangle(a[0].dblVal, a[1].dblVal, a[2].dblVal, a[3].dblVal); return Void())),
    Method(16, 210, "CreateText", {}, Long, "Creates a new text resource.",
           VM_HANDLER(return AsLong(doc.Engine().CreateText()))),
    Method(17, 211, "WriteText", {{"Text", BStr}}, None, "Writes a line of text on a text resource.",
        VM_HANDLER(doc.Engine().WriteText(a[0].bstrVal); return Void())),
    Method(18, 212, "Clear", {}, None, "Clears all pages and resources from memory.",
           VM_HANDLER(doc.Engine().Clear(); return Void())),
    Method(19, 213, "DeleteAllPages", {}, None, "Deletes all pages from memory.",
           VM_HANDLER(doc.Engine().DeleteAllPages(); return Void())),
    Method(20, 214, "AddImageBMPHandle", {{"Handle", Long}}, Long, "Adds an image resource from a handle to a bitmap.",
           
        VM_HANDLER(return AsLong(doc.Engine().AddImageBMPHandle(a[0].lVal)))),
    Get(21, 215, "CurrentGraphic", {}, Long, "The currently active graphic resource.",
        VM_HANDLER(return AsLong(doc.Engine().CurrentGraphic))),
    Put(22, 215, "CurrentGraphic", {}, Long, "The currently active graphic resource.",
        VM_HANDLER(doc.Engine().CurrentGraphic = a[0].lVal; return Void())),
    Get(23, 216, "CurrentText", {}, Long, "The currently active text resource.",
        VM_HANDLER(return AsLong(doc.Engine().CurrentText))),
    Put(24, 216, "CurrentText", {}, Long, "The currently active text resource.",
        VM_HANDLER(doc.Engine().CurrentText = a[0].lVal; return Void())),
    Get(25, 217, "LineWidth", {}, Long, "Line width used on graphics.",
        VM_HANDLER(return AsLong(doc.Engine().GetLineWidth()))),
    Put(26, 217, "LineWidth", {}, Long, "Line width used on graphics.",
        VM_HANDLER(doc.Engine().SetLineWidth(a[0].lVal); return Void())),
    Get(27, 218, "TextColor", {}, Color, "Color used for writing text.", 
        VM_HANDLER(return AsColor(doc.Engine().GetTextColor()))),
    Put(28, 218, "TextColor", {}, Color, "Color used for writing text.", 
        VM_HANDLER(doc.Engine().SetTextColor(ColorArg(a[0])); return Void())),
    Get(29, 219, "LineColor", {}, Color, "Color used for lines on graphics.",
        VM_HANDLER(return AsColor(doc.Engine().GetLineColor()))),
    Put(30, 219, "LineColor", {}, Color, "Color used for lines on graphics.",
        VM_HANDLER(doc.Engine().SetLineColor(ColorArg(a[0])); return Void())),
    Get(31, 220, "FillColor", {}, Color, "Color used for filling shapes on graphics.",
        VM_HANDLER(return AsColor(doc.Engine().GetFillColor()))),
    Put(32, 220, "FillColor", {}, Color, "Color used for filling shapes on graphics.",
        VM_HANDLER(doc.Engine().SetFillColor(ColorArg(a[0])); return Void())),
    Get(33, 221, "CompressionBW", {}, CompressFormat, "Compression method used for black and white images.",
        VM_HANDLER(return AsOrdinal(doc.Engine().GetCompressionBW()))),
    Put(34, 221, "CompressionBW", {}, CompressFormat, "Compression method used for black and white images.",
        VM_HANDLER(doc.Engine().SetCompressionBW(OrdinalArg<TxCompressFormat>(a[0])); return Void())),
    Get(35, 222, "CompressionIndexed", {}, CompressFormat, "Compression method used for indexed color images.",
        VM_HANDLER(return AsOrdinal(doc.Engine().GetCompressionIndexed()))),
    Put(36, 222, "CompressionIndexed", {}, CompressFormat, "Compression method used for indexed color images.",
        VM_HANDLER(doc.Engine().SetCompressionIndexed(OrdinalArg<TxCompressFormat>(a[0])); return Void())),
    Get(37, 223, "CompressionRGB", {}, CompressFormat, "Compression method used for full color images.",
        VM_HANDLER(return AsOrdinal(doc.Engine().GetCompressionRGB()))),
    Put(38, 223, "CompressionRGB", {}, CompressFormat, "Compression method used for full color images.",
        VM_HANDLER(doc.Engine().SetCompressionRGB(OrdinalArg<TxCompressFormat>(a[0])); return Void())),
    Get(39, 224, "CompressionGray", {}, CompressFormat, "Compression method used for grayscale images.",
        VM_HANDLER(return AsOrdinal(doc.Engine().GetCompressionGray()))),
    Put(40, 224, "CompressionGray", {}, CompressFormat, "Compression method used for grayscale images.",
        VM_HANDLER(doc.Engine().SetCompressionGray(OrdinalArg<TxCompressFormat>(a[0])); return Void())),
    Get(41, 225, "UseSourceCompression", {}, Bool, "Use compression method present in the source image.",
        VM_HANDLER(return AsBool(doc.Engine().UseSourceCompression))),
    Put(42, 225, "UseSourceCompression", {}, Bool, "Use compression method present in the source image.",
        VM_HANDLER(doc.Engine().UseSourceCompression = a[0].boolVal; return Void())),
    Get(43, 226, "TextFont", {}, Long, "Number of font used for writing text.", 
        VM_HANDLER(return AsLong(doc.Engine().GetTextFont()))),
    Put(44, 226, "TextFont", {}, Long, "Number of font used for writing text.", 
        VM_HANDLER(doc.Engine().SetTextFont(a[0].lVal); return Void())),
    Get(45, 227, "TextSize", {}, Long, "Size of font used for writing text.", 
        VM_HANDLER(return AsLong(doc.Engine().GetTextSize()))),
    Put(46, 227, "TextSize", {}, Long, "Size of font used for writing text.", 
        VM_HANDLER(doc.Engine().SetTextSize(a[0].lVal); return Void())),
    Get(47, 228, "ImageReadNumber", {}, Long, "Number of image to be read from multi-image TIFF file.",
        VM_HANDLER(return AsLong(doc.Engine().GetImageReadNumber()))),
    Put(48, 228, "ImageReadNumber", {}, Long, "Number of image to be read from multi-image TIFF file.",
        VM_HANDLER(doc.Engine().SetImageReadNumber(a[0].lVal); return Void())),
    Get(49, 229, "ReleaseBMPHandle", {}, Bool, "Release handle after use in AddImageBMPHandle method.",
        VM_HANDLER(return AsBool(doc.Engine().ReleaseBMPHandle))),
    Put(50, 229, "ReleaseBMPHandle", {}, Bool, "Release handle after use in AddImageBMPHandle method.",
        VM_HANDLER(doc.Engine().ReleaseBMPHandle = a[0].boolVal; return Void())),
    Get(51, 230, "DefaultPageSize", {}, PageSize, "Page size to be used for new pages.",
        VM_HANDLER(return AsOrdinal(doc.Engine().DefaultPageSize))),
    Put(52, 230, "DefaultPageSize", {}, PageSize, "Page size to be used for new pages.",
        VM_HANDLER(doc.Engine().DefaultPageSize = OrdinalArg<TPageSize>(a[0]); return Void())),
    Get(53, 231, "Units", {}, UnitsMeas, "Units of measure.", VM_HANDLER(return AsOrdinal(doc.Engine().Units))),
    Put(54, 231, "Units", {}, UnitsMeas, "Units of measure.",
        VM_HANDLER(doc.Engine().Units = OrdinalArg<TUnitsMeas>(a[0]); return Void())),

    // The window object's members carry no help strings.
    Get(55, 232, "DoubleBuffered", {}, Bool, nullptr, VM_HANDLER(return AsBool(doc.Window().DoubleBuffered))),
    Put(56, 232, "DoubleBuffered", {}, Bool, nullptr,
        VM_HANDLER(doc.Window().DoubleBuffered = a[0].boolVal; return Void())),
    // No child windows are ever aligned or docked into the control.
    Get(57, 233, "AlignDisabled", {}, Bool, nullptr, VM_HANDLER(return AsBool(false))),
    Get(58, 234, "VisibleDockClientCount", {}, Long, nullptr, VM_HANDLER(return AsLong(0))),
    Method(59, 235, "DrawTextBiDiModeFlagsReadingOnly", {}, Long, nullptr,
           VM_HANDLER(return AsLong(doc.Window().RightToLeft ? kDrawTextRtlReading : 0))),
    Get(60, -514, "Enabled", {}, Bool, nullptr, VM_HANDLER(return AsBool(doc.Window().Enabled))),
    Put(61, -514, "Enabled", {}, Bool, nullptr, VM_HANDLER(doc.Window().Enabled = a[0].boolVal; return Void())),
    // The window has no action link to refresh.
    Method(62, 236, "InitiateAction", {}, None, nullptr, VM_HANDLER(return Void())),
    Method(63, 237, "IsRightToLeft", {}, Bool, nullptr, VM_HANDLER(return AsBool(doc.Window().RightToLeft))),
    Method(64, 238, "UseRightToLeftReading", {}, Bool, nullptr, VM_HANDLER(return AsBool(doc.Window().RightToLeft))),
    Method(65, 239, "UseRightToLeftScrollBar", {}, Bool, nullptr,
           VM_HANDLER(return AsBool(doc.Window().RightToLeft))),
    Get(66, 240, "Visible", {}, Bool, nullptr, VM_HANDLER(return AsBool(doc.Window().Visible))),
    Put(67, 240, "Visible", {}, Bool, nullptr, VM_HANDLER(doc.Window().Visible = a[0].boolVal; return Void())),
    Method(68, 241, "SetSubComponent", {{"IsSubComponent", Bool}}, None, nullptr,
           VM_HANDLER(doc.Window().SubComponent = a[0].boolVal; return Void())),
    Method(69, -552, "AboutBox", {}, None, nullptr, VM_HANDLER(doc.AboutBox(); return Void())),

    Get(70, 242, "PageSize", {{"Page", Long}}, PageSize, "Page size.",
        VM_HANDLER(return AsOrdinal(doc.Engine().GetPageSize(a[0].lVal)))),
    Put(71, 242, "PageSize", {{"Page", Long}}, PageSize, "Page size.",
        VM_HANDLER(doc.Engine().SetPageSize(a[0].lVal, OrdinalArg<TPageSize>(a[1])); return Void())),
    Get(72, 243, "PageWidth", {{"Page", Long}}, Double, "Page width.",
        VM_HANDLER(return AsDouble(doc.Engine().GetPageWidth(a[0].lVal)))),
    Put(73, 243, "PageWidth", {{"Page", Long}}, Double, "Page width.",
        VM_HANDLER(doc.Engine().SetPageWidth(a[0].lVal, a[1].dblVal); return Void())),
    Get(74, 244, "PageHeight", {{"Page", Long}}, Double, "Page height.",
        VM_HANDLER(return AsDouble(doc.Engine().GetPageHeight(a[0].lVal)))),
    Put(75, 244, "PageHeight", {{"Page", Long}}, Double, "Page height.",
        VM_HANDLER(doc.Engine().SetPageHeight(a[0].lVal, a[1].dblVal); return Void())),
    Get(76, 245, "ImageWidth", {{"Index", Long}}, Double, "Width of image resource (unscaled).", 
        VM_HANDLER(return AsDouble(doc.Engine().ImageWidth(a[0].lVal)))),
    Get(77, 246, "ImageHeight", {{"Index", Long}}, Double, "Height of image resource (unscaled).", 
        VM_HANDLER(return AsDouble(doc.Engine().ImageHeight(a[0].lVal)))),
    Method(78, 247, "AddImageBytes", {{"ImageData", Variant}}, Long,
           "Adds an image resource from an array of bytes in memory.", 
        VM_HANDLER(const std::vector<uint8_t> bytes = ImageBytesOf(a[0]); return AsLong(doc.Engine().AddImageBytes(bytes)))),
    Method(79, 248, "AddFont", {{"FontName", BStr}}, Long, "Adds a TrueType font from disk.", 
        VM_HANDLER(return AsLong(doc.Engine().AddFont(a[0].bstrVal)))),
    Get(80, 249, "EmbedFont", {{"FontNum", Long}}, Bool, "Embed the font in the document.", 
        VM_HANDLER(return AsBool(doc.Engine().GetEmbedFont(a[0].lVal)))),
    Put(81, 249, "EmbedFont", {{"FontNum", Long}}, Bool, "Embed the font in the document.", 
        VM_HANDLER(doc.Engine().SetEmbedFont(a[0].lVal, a[1].boolVal); return Void())),
    Method(82, 250, "Rotate", {{"Page", Long}, {"Index", Long}, {"Angle", Double}}, None,
           "Rotates a resource counterclockwise on a page.",
           VM_HANDLER(doc.Engine().Rotate(a[0].lVal, a[1].lVal, a[2].dblVal); return Void())),
    Get(83, 251, "Title", {}, BStr, "Title of the document.", VM_HANDLER(return AsText(doc.Engine().Title))),
    Put(84, 251, "Title", {}, BStr, "Title of the document.",
        VM_HANDLER(doc.Engine().Title = a[0].bstrVal; return Void())),
    Get(85, 252, "Subject", {}, BStr, "Subject of the document.", VM_HANDLER(return AsText(doc.Engine().Subject))),
    Put(86, 252, "Subject", {}, BStr, "Subject of the document.",
        VM_HANDLER(doc.Engine().Subject = a[0].bstrVal; return Void())),
    Get(87, 253, "Author", {}, BStr, "Author of the document.", VM_HANDLER(return AsText(doc.Engine().Author))),
    Put(88, 253, "Author", {}, BStr, "Author of the document.",
        VM_HANDLER(doc.Engine().Author = a[0].bstrVal; return Void())),
    Get(89, 254, "Keywords", {}, BStr, "Keywords associated with the document.",
        VM_HANDLER(return AsText(doc.Engine().Keywords))),
    Put(90, 254, "Keywords", {}, BStr, "Keywords associated with the document.",
        VM_HANDLER(doc.Engine().Keywords = a[0].bstrVal; return Void())),
    Get(91, 255, "ImageCount", {{"FileName", BStr}}, Long, "Number of images contained in a file.", 
        VM_HANDLER(return AsLong(doc.Engine().ImageCount(a[0].bstrVal)))),
    Get(92, 256, "TextLineSpacing", {}, Double, "Spacing between lines of text.", 
        VM_HANDLER(return AsDouble(doc.Engine().GetTextLineSpacing()))),
    Put(93, 256, "TextLineSpacing", {}, Double, "Spacing between lines of text.", 
        VM_HANDLER(doc.Engine().SetTextLineSpacing(a[0].dblVal); return Void())),
    Get(94, 257, "TextAlign", {}, TextAlign, "Alignment of text.", 
        VM_HANDLER(return AsOrdinal(doc.Engine().GetTextAlign()))),
    Put(95, 257, "TextAlign", {}, TextAlign, "Alignment of text.", 
        VM_HANDLER(doc.Engine().SetTextAlign(OrdinalArg<TTextAlign>(a[0])); return Void())),
    Get(96, 258, "TextMaxWidth", {}, Double,
        "Maximum width of line of text before remaining text is wrapped to next line.", 
        VM_HANDLER(return AsDouble(doc.Engine().GetTextMaxWidth()))),
    Put(97, 258, "TextMaxWidth", {}, Double,
        "Maximum width of line of text before remaining text is wrapped to next line.", 
        VM_HANDLER(doc.Engine().SetTextMaxWidth(a[0].dblVal); return Void())),
    Get(98, 259, "TextSkewX", {}, Double, "Skew text in horizontal direction.", 
        VM_HANDLER(return AsDouble(doc.Engine().GetTextSkewX()))),
    Put(99, 259, "TextSkewX", {}, Double, "Skew text in horizontal direction.", 
        VM_HANDLER(doc.Engine().SetTextSkewX(a[0].dblVal); return Void())),
    Get(100, 260, "TextSkewY", {}, Double, "Skew text in vertical direction.", 
        VM_HANDLER(return AsDouble(doc.Engine().GetTextSkewY()))),
    Put(101, 260, "TextSkewY", {}, Double, "Skew text in vertical direction.", 
        VM_HANDLER(doc.Engine().SetTextSkewY(a[0].dblVal); return Void())),
    Method(102, 261, "Ellipse", {{"X", Double}, {"Y", Double}, {"RX", Double}, {"RY", Double}, {"Angle", Double}},
           None, "Draws an ellipse on a graphic.",
           VM_HANDLER(doc.Engine().Ellipse(a[0].dblVal, a[1].dblVal, a[2].dblVal, a[3].dblVal, a[4].dblVal);
                      return Void())),
    Method(103, 262, "Circle", {{"X", Double}, {"Y", Double}, {"R", Double}}, None, "Draws a circle on a graphic.",
           VM_HANDLER(doc.Engine().Circle(a[0].dblVal, a[1].dblVal, a[2].dblVal); return Void())),
    Get(104, 263, "TextBlockHeight", {}, Double, "Height of current text block.", 
        VM_HANDLER(return AsDouble(doc.Engine().TextBlockHeight()))),
    Method(105, 264, "WriteLink", {{"Text", BStr}, {"Link", BStr}}, None, "Writes a hyperlink on a text resource.",
           
        VM_HANDLER(doc.Engine().WriteLink(a[0].bstrVal, a[1].bstrVal); return Void())),
    Get(106, 265, "TextUnderline", {}, Bool, "Underline text.", 
        VM_HANDLER(return AsBool(doc.Engine().GetTextUnderline()))),
    Put(107, 265, "TextUnderline", {}, Bool, "Underline text.", 
        VM_HANDLER(doc.Engine().SetTextUnderline(a[0].boolVal); return Void())),
    Get(108, 266, "LinkStandardFormat", {}, Bool, "Use standard formatting for hyperlinks.",
        VM_HANDLER(return AsBool(doc.Engine().LinkStandardFormat))),
    Put(109, 266, "LinkStandardFormat", {}, Bool, "Use standard formatting for hyperlinks.",
        VM_HANDLER(doc.Engine().LinkStandardFormat = a[0].boolVal; return Void())),
    Get(110, 267, "LinkColor", {}, Color, "Color used for writing hyperlinks.",
        VM_HANDLER(return AsColor(doc.Engine().LinkColor))),
    Put(111, 267, "LinkColor", {}, Color, "Color used for writing hyperlinks.",
        VM_HANDLER(doc.Engine().LinkColor = ColorArg(a[0]); return Void())),
    Get(112, 268, "LinkFont", {}, Long, "Number of font used for writing hyperlinks.",
        VM_HANDLER(return AsLong(doc.Engine().GetLinkFont()))),
    Put(113, 268, "LinkFont", {}, Long, "Number of font used for writing hyperlinks.",
        VM_HANDLER(doc.Engine().SetLinkFont(a[0].lVal); return Void())),
    Get(114, 269, "LinkUnderline", {}, Bool, "Underline hyperlinks.",
        VM_HANDLER(return AsBool(doc.Engine().LinkUnderline))),
    Put(115, 269, "LinkUnderline", {}, Bool, "Underline hyperlinks.",
        VM_HANDLER(doc.Engine().LinkUnderline = a[0].boolVal; return Void())),
    Get(116, 270, "LinkSize", {}, Long, "Size of font used for writing hyperlinks.",
        VM_HANDLER(return AsLong(doc.Engine().LinkSize))),
    Put(117, 270, "LinkSize", {}, Long, "Size of font used for writing hyperlinks.",
        VM_HANDLER(doc.Engine().LinkSize = a[0].lVal; return Void())),
    Get(118, 271, "LinkBorder", {}, Bool, "Display rectangular border around hyperlinks.",
        VM_HANDLER(return AsBool(doc.Engine().LinkBorder))),
    Put(119, 271, "LinkBorder", {}, Bool, "Display rectangular border around hyperlinks.",
        VM_HANDLER(doc.Engine().LinkBorder = a[0].boolVal; return Void())),
    Get(120, 272, "TextLineWidth", {{"Text", BStr}}, Double,
        "Width that a line of text will occupy using current font and size.", 
        VM_HANDLER(return AsDouble(doc.Engine().TextLineWidth(a[0].bstrVal)))),
    Method(121, 273, "SetImageLink", {{"Page", Long}, {"Index", Long}, {"Link", BStr}}, None,
           "Attach a hyperlink to an image.",
           VM_HANDLER(doc.Engine().SetImageLink(a[0].lVal, a[1].lVal, a[2].bstrVal); return Void())),
    Get(122, 274, "TextBlockWidth", {}, Double, "Width of current text block.", 
        VM_HANDLER(return AsDouble(doc.Engine().TextBlockWidth()))),
    Get(123, 275, "MergeAlpha", {}, Bool, "Merge alpha channel with a single color.",
        VM_HANDLER(return AsBool(doc.Engine().MergeAlpha))),
    Put(124, 275, "MergeAlpha", {}, Bool, "Merge alpha channel with a single color.",
        VM_HANDLER(doc.Engine().MergeAlpha = a[0].boolVal; return Void())),
    Get(125, 276, "MergeAlphaColor", {}, Color, "Color used for merging alpha channel.",
        VM_HANDLER(return AsColor(doc.Engine().MergeAlphaColor))),
    Put(126, 276, "MergeAlphaColor", {}, Color, "Color used for merging alpha channel.",
        VM_HANDLER(doc.Engine().MergeAlphaColor = ColorArg(a[0]); return Void())),
    Get(127, 277, "AppendText", {}, Bool, "Append next line of text to previous line.",
        VM_HANDLER(return AsBool(doc.Engine().AppendText))),
    Put(128, 277, "AppendText", {}, Bool, "Append next line of text to previous line.",
        VM_HANDLER(doc.Engine().AppendText = a[0].boolVal; return Void())),
    Get(129, 278, "CompressContents", {}, Bool, "Enables/disables page content compression.",
        VM_HANDLER(return AsBool(doc.Engine().CompressContents))),
    Put(130, 278, "CompressContents", {}, Bool, "Enables/disables page content compression.",
        VM_HANDLER(doc.Engine().SetCompressContents(a[0].boolVal); return Void())),
    Get(131, 279, "Fill", {}, Bool, "Fill shapes in current graphic.", VM_HANDLER(return AsBool(doc.Engine().GetFill()))),
    Put(132, 279, "Fill", {}, Bool, "Fill shapes in current graphic.",
        VM_HANDLER(doc.Engine().SetFill(a[0].boolVal); return Void())),

    // IPDFDoc2: the members after IPDFDoc's, which it extends.
    Get(133, 280, "UnicodeText", {}, Bool, "Keep Unicode characters of text written in TrueType fonts.",
        VM_HANDLER(return AsBool(doc.Engine().UnicodeText))),
    Put(134, 280, "UnicodeText", {}, Bool, "Keep Unicode characters of text written in TrueType fonts.",
        VM_HANDLER(doc.Engine().UnicodeText = a[0].boolVal; return Void())),
    Get(135, 281, "SubsetFonts", {}, Bool, "Embed only the glyphs of fonts that the document uses.",
        VM_HANDLER(return AsBool(doc.Engine().SubsetFonts))),
    Put(136, 281, "SubsetFonts", {}, Bool, "Embed only the glyphs of fonts that the document uses.",
        VM_HANDLER(doc.Engine().SubsetFonts = a[0].boolVal; return Void())),
};

#undef VM_HANDLER

inline constexpr int kFirstSlot = 7;
inline constexpr int kMemberCount = 130;

}  // namespace vellumark::member_data
