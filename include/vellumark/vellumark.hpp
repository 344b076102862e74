// vellumark.hpp: the C++ interface of the Vellumark PDF library (C++17 or later).
//
// Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
// again from the source folder with build/MakeApi . (MakeApi is built with the tests).
//
// vellumark::Document holds one engine. Every member of the automation interface
// is a method: a method under its own name, a property as GetName and SetName
// (an indexed property takes the index first). Strings are UTF-8 (std::string_view
// in, std::string out) or, through the overloads, UTF-16; colours are OLE colours
// 0x00BBGGRR (vellumark::Rgb); image bytes are a ByteSpan; lengths are in the
// document's Units. A failed member raises vellumark::Error with its message.
//
//     vellumark::Document doc;
//     doc.AddPage(0);
//     doc.CreateText();
//     doc.SetTextSize(14);
//     doc.WriteText("Hello");
//     doc.ApplyResource(1, 1);
//     doc.SaveToFile("hello.pdf");
//
// A Document is used by one thread at a time; separate documents are
// independent of each other.
#ifndef VELLUMARK_HPP
#define VELLUMARK_HPP

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "vellumark/vellumark.h"

namespace vellumark {

// An OLE colour, 0x00BBGGRR: red in the low byte.
using Color = std::uint32_t;
constexpr Color Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) noexcept {
    return static_cast<Color>(red) | static_cast<Color>(green) << 8 | static_cast<Color>(blue) << 16;
}

// Image compression format.
enum class CompressFormat : std::int32_t {
    cfNone = 0,  // Uncompressed.
    cfGroup4 = 1,  // CCITT Group 4 Fax compression.
    cfZIP = 2,  // ZIP (Flate) compression.
    cfJPEG = 3,  // JPEG compression.
};

// Page Size.
enum class PageSize : std::int32_t {
    psCustom = 0,  // Custom page size.
    psA4_P = 1,  // A4 (Portrait).
    psA4_L = 2,  // A4 (Landscape).
    psLetter_P = 3,  // Letter (Portrait).
    psLetter_L = 4,  // Letter (Landscape).
    psA3_P = 5,  // A3 (Portrait).
    psA3_L = 6,  // A3 (Landscape).
    psA5_P = 7,  // A5 (Portrait).
    psA5_L = 8,  // A5 (Landscape).
    psTabloid_P = 9,  // Tabloid (Portrait).
    psTabloid_L = 10,  // Tabloid (Landscape).
    psLegal_P = 11,  // Legal (Portrait).
    psLegal_L = 12,  // Legal (Landscape).
    psStatement_P = 13,  // Statement (Portrait).
    psStatement_L = 14,  // Statement (Landscape).
    psExecutive_P = 15,  // Executive (Portrait).
    psExecutive_L = 16,  // Executive (Landscape).
};

// Units of measure.
enum class UnitsMeas : std::int32_t {
    umPoints = 0,  // Points.
    umInches = 1,  // Inches.
    umCentimeters = 2,  // Centimeters.
    umMillimeters = 3,  // Millimeters.
};

// Alignment of text.
enum class TextAlign : std::int32_t {
    taLeft = 0,  // Left-justified text.
    taCenter = 1,  // Centred text.
    taRight = 2,  // Right-justified text.
};

// The error of a failed member; what() is its message, UTF-8.
class VM_API Error : public std::runtime_error {
public:
    explicit Error(const std::string& message);
    ~Error() override;
};

// Bytes in memory, not owned: a pointer and a length, or any contiguous
// container of bytes (std::vector<std::uint8_t>, std::vector<std::byte>,
// std::string, std::array, std::span).
class ByteSpan {
public:
    ByteSpan() noexcept = default;
    ByteSpan(const void* data, std::size_t size) noexcept : data_(data), size_(size) {}
    template <class Bytes, class = std::enable_if_t<sizeof(*std::data(std::declval<const Bytes&>())) == 1 &&
                                                    !std::is_pointer_v<std::decay_t<Bytes>>>>
    ByteSpan(const Bytes& bytes) noexcept : data_(std::data(bytes)), size_(std::size(bytes)) {}
    const void* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

private:
    const void* data_ = nullptr;
    std::size_t size_ = 0;
};

class VM_API Document {
public:
    Document();
    ~Document();
    Document(Document&& other) noexcept;
    Document& operator=(Document&& other) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The document as a PDF file: the bytes SaveToFile writes; nothing for a
    // document without pages.
    std::vector<std::byte> SaveToMemory();
    void SaveToStream(std::ostream& out);

    // The members, in the automation interface's order.

    // Adds a new page to the document.
    void AddPage(std::int32_t page);

    // Adds an image resource from file on disk.
    std::int32_t AddImageFile(std::string_view fileName);
    std::int32_t AddImageFile(std::u16string_view fileName);

    // Saves PDF document to disk.
    void SaveToFile(std::string_view fileName);
    void SaveToFile(std::u16string_view fileName);

    // Draws a resource on a page.
    std::int32_t ApplyResource(std::int32_t page, std::int32_t resource);

    // Modifies the size used to display a resource on a page.
    void ScaleObject(std::int32_t page, std::int32_t index, double scaleFactor);

    // Modifies the position of a resource on a page.
    void Locate(std::int32_t page, std::int32_t index, double x, double y);

    // Creates a new graphic resource.
    std::int32_t CreateGraphic();

    // Draws a line on a graphic.
    void DrawLine(double x1, double y1, double x2, double y2);

    // Draws a rectangle on a graphic.
    void Rectangle(double x1, double y1, double x2, double y2);

    // Creates a new text resource.
    std::int32_t CreateText();

    // Writes a line of text on a text resource.
    void WriteText(std::string_view text);
    void WriteText(std::u16string_view text);

    // Clears all pages and resources from memory.
    void Clear();

    // Deletes all pages from memory.
    void DeleteAllPages();

    // Adds an image resource from a handle to a bitmap.
    std::int32_t AddImageBMPHandle(std::int32_t handle);

    // The currently active graphic resource.
    std::int32_t GetCurrentGraphic() const;

    // The currently active graphic resource.
    void SetCurrentGraphic(std::int32_t value);

    // The currently active text resource.
    std::int32_t GetCurrentText() const;

    // The currently active text resource.
    void SetCurrentText(std::int32_t value);

    // Line width used on graphics.
    std::int32_t GetLineWidth() const;

    // Line width used on graphics.
    void SetLineWidth(std::int32_t value);

    // Color used for writing text.
    Color GetTextColor() const;

    // Color used for writing text.
    void SetTextColor(Color value);

    // Color used for lines on graphics.
    Color GetLineColor() const;

    // Color used for lines on graphics.
    void SetLineColor(Color value);

    // Color used for filling shapes on graphics.
    Color GetFillColor() const;

    // Color used for filling shapes on graphics.
    void SetFillColor(Color value);

    // Compression method used for black and white images.
    CompressFormat GetCompressionBW() const;

    // Compression method used for black and white images.
    void SetCompressionBW(CompressFormat value);

    // Compression method used for indexed color images.
    CompressFormat GetCompressionIndexed() const;

    // Compression method used for indexed color images.
    void SetCompressionIndexed(CompressFormat value);

    // Compression method used for full color images.
    CompressFormat GetCompressionRGB() const;

    // Compression method used for full color images.
    void SetCompressionRGB(CompressFormat value);

    // Compression method used for grayscale images.
    CompressFormat GetCompressionGray() const;

    // Compression method used for grayscale images.
    void SetCompressionGray(CompressFormat value);

    // Use compression method present in the source image.
    bool GetUseSourceCompression() const;

    // Use compression method present in the source image.
    void SetUseSourceCompression(bool value);

    // Number of font used for writing text.
    std::int32_t GetTextFont() const;

    // Number of font used for writing text.
    void SetTextFont(std::int32_t value);

    // Size of font used for writing text.
    std::int32_t GetTextSize() const;

    // Size of font used for writing text.
    void SetTextSize(std::int32_t value);

    // Number of image to be read from multi-image TIFF file.
    std::int32_t GetImageReadNumber() const;

    // Number of image to be read from multi-image TIFF file.
    void SetImageReadNumber(std::int32_t value);

    // Release handle after use in AddImageBMPHandle method.
    bool GetReleaseBMPHandle() const;

    // Release handle after use in AddImageBMPHandle method.
    void SetReleaseBMPHandle(bool value);

    // Page size to be used for new pages.
    PageSize GetDefaultPageSize() const;

    // Page size to be used for new pages.
    void SetDefaultPageSize(PageSize value);

    // Units of measure.
    UnitsMeas GetUnits() const;

    // Units of measure.
    void SetUnits(UnitsMeas value);

    // (no help text)
    bool GetDoubleBuffered() const;

    // (no help text)
    void SetDoubleBuffered(bool value);

    // (no help text)
    bool GetAlignDisabled() const;

    // (no help text)
    std::int32_t GetVisibleDockClientCount() const;

    // (no help text)
    std::int32_t DrawTextBiDiModeFlagsReadingOnly();

    // (no help text)
    bool GetEnabled() const;

    // (no help text)
    void SetEnabled(bool value);

    // (no help text)
    void InitiateAction();

    // (no help text)
    bool IsRightToLeft();

    // (no help text)
    bool UseRightToLeftReading();

    // (no help text)
    bool UseRightToLeftScrollBar();

    // (no help text)
    bool GetVisible() const;

    // (no help text)
    void SetVisible(bool value);

    // (no help text)
    void SetSubComponent(bool isSubComponent);

    // (no help text)
    void AboutBox();

    // Page size.
    PageSize GetPageSize(std::int32_t page) const;

    // Page size.
    void SetPageSize(std::int32_t page, PageSize value);

    // Page width.
    double GetPageWidth(std::int32_t page) const;

    // Page width.
    void SetPageWidth(std::int32_t page, double value);

    // Page height.
    double GetPageHeight(std::int32_t page) const;

    // Page height.
    void SetPageHeight(std::int32_t page, double value);

    // Width of image resource (unscaled).
    double GetImageWidth(std::int32_t index) const;

    // Height of image resource (unscaled).
    double GetImageHeight(std::int32_t index) const;

    // Adds an image resource from an array of bytes in memory.
    std::int32_t AddImageBytes(ByteSpan imageData);

    // Adds a TrueType font from disk.
    std::int32_t AddFont(std::string_view fontName);
    std::int32_t AddFont(std::u16string_view fontName);

    // Embed the font in the document.
    bool GetEmbedFont(std::int32_t fontNum) const;

    // Embed the font in the document.
    void SetEmbedFont(std::int32_t fontNum, bool value);

    // Rotates a resource counterclockwise on a page.
    void Rotate(std::int32_t page, std::int32_t index, double angle);

    // Title of the document.
    std::string GetTitle() const;
    std::u16string GetTitleUtf16() const;

    // Title of the document.
    void SetTitle(std::string_view value);
    void SetTitle(std::u16string_view value);

    // Subject of the document.
    std::string GetSubject() const;
    std::u16string GetSubjectUtf16() const;

    // Subject of the document.
    void SetSubject(std::string_view value);
    void SetSubject(std::u16string_view value);

    // Author of the document.
    std::string GetAuthor() const;
    std::u16string GetAuthorUtf16() const;

    // Author of the document.
    void SetAuthor(std::string_view value);
    void SetAuthor(std::u16string_view value);

    // Keywords associated with the document.
    std::string GetKeywords() const;
    std::u16string GetKeywordsUtf16() const;

    // Keywords associated with the document.
    void SetKeywords(std::string_view value);
    void SetKeywords(std::u16string_view value);

    // Number of images contained in a file.
    std::int32_t GetImageCount(std::string_view fileName) const;
    std::int32_t GetImageCount(std::u16string_view fileName) const;

    // Spacing between lines of text.
    double GetTextLineSpacing() const;

    // Spacing between lines of text.
    void SetTextLineSpacing(double value);

    // Alignment of text.
    TextAlign GetTextAlign() const;

    // Alignment of text.
    void SetTextAlign(TextAlign value);

    // Maximum width of line of text before remaining text is wrapped to next line.
    double GetTextMaxWidth() const;

    // Maximum width of line of text before remaining text is wrapped to next line.
    void SetTextMaxWidth(double value);

    // Skew text in horizontal direction.
    double GetTextSkewX() const;

    // Skew text in horizontal direction.
    void SetTextSkewX(double value);

    // Skew text in vertical direction.
    double GetTextSkewY() const;

    // Skew text in vertical direction.
    void SetTextSkewY(double value);

    // Draws an ellipse on a graphic.
    void Ellipse(double x, double y, double rx, double ry, double angle);

    // Draws a circle on a graphic.
    void Circle(double x, double y, double r);

    // Height of current text block.
    double GetTextBlockHeight() const;

    // Writes a hyperlink on a text resource.
    void WriteLink(std::string_view text, std::string_view link);
    void WriteLink(std::u16string_view text, std::u16string_view link);

    // Underline text.
    bool GetTextUnderline() const;

    // Underline text.
    void SetTextUnderline(bool value);

    // Use standard formatting for hyperlinks.
    bool GetLinkStandardFormat() const;

    // Use standard formatting for hyperlinks.
    void SetLinkStandardFormat(bool value);

    // Color used for writing hyperlinks.
    Color GetLinkColor() const;

    // Color used for writing hyperlinks.
    void SetLinkColor(Color value);

    // Number of font used for writing hyperlinks.
    std::int32_t GetLinkFont() const;

    // Number of font used for writing hyperlinks.
    void SetLinkFont(std::int32_t value);

    // Underline hyperlinks.
    bool GetLinkUnderline() const;

    // Underline hyperlinks.
    void SetLinkUnderline(bool value);

    // Size of font used for writing hyperlinks.
    std::int32_t GetLinkSize() const;

    // Size of font used for writing hyperlinks.
    void SetLinkSize(std::int32_t value);

    // Display rectangular border around hyperlinks.
    bool GetLinkBorder() const;

    // Display rectangular border around hyperlinks.
    void SetLinkBorder(bool value);

    // Width that a line of text will occupy using current font and size.
    double GetTextLineWidth(std::string_view text) const;
    double GetTextLineWidth(std::u16string_view text) const;

    // Attach a hyperlink to an image.
    void SetImageLink(std::int32_t page, std::int32_t index, std::string_view link);
    void SetImageLink(std::int32_t page, std::int32_t index, std::u16string_view link);

    // Width of current text block.
    double GetTextBlockWidth() const;

    // Merge alpha channel with a single color.
    bool GetMergeAlpha() const;

    // Merge alpha channel with a single color.
    void SetMergeAlpha(bool value);

    // Color used for merging alpha channel.
    Color GetMergeAlphaColor() const;

    // Color used for merging alpha channel.
    void SetMergeAlphaColor(Color value);

    // Append next line of text to previous line.
    bool GetAppendText() const;

    // Append next line of text to previous line.
    void SetAppendText(bool value);

    // Enables/disables page content compression.
    bool GetCompressContents() const;

    // Enables/disables page content compression.
    void SetCompressContents(bool value);

    // Fill shapes in current graphic.
    bool GetFill() const;

    // Fill shapes in current graphic.
    void SetFill(bool value);

    // Keep Unicode characters of text written in TrueType fonts.
    bool GetUnicodeText() const;

    // Keep Unicode characters of text written in TrueType fonts.
    void SetUnicodeText(bool value);

    // Embed only the glyphs of fonts that the document uses.
    bool GetSubsetFonts() const;

    // Embed only the glyphs of fonts that the document uses.
    void SetSubsetFonts(bool value);

private:
    struct Impl;
    Impl& State() const;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vellumark

#endif  // VELLUMARK_HPP
