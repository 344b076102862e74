// TVellumark: the engine. Holds the whole document in memory between the
// host's calls: pages, one numbered list of resources, the added fonts, the
// settings and the document information strings.
//
// Strings cross this interface as UTF-16; lengths in the current Units.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/EPDFError.h"
#include "engine/Diagnostics.h"
#include "model/Document.h"
#include "model/FontRes.h"
#include "model/GraphicRes.h"
#include "model/ObjList.h"
#include "model/PDFImageRes.h"
#include "model/PDFObj.h"
#include "model/PDFPage.h"
#include "model/Resource.h"
#include "model/TextRes.h"
#include "model/Units.h"

namespace vellumark {

struct TImportSettings;

class TVellumark : public TPDFDocument {
public:
    TVellumark();
    ~TVellumark();
    TVellumark(const TVellumark&) = delete;
    TVellumark& operator=(const TVellumark&) = delete;

    // Pages and placements.
    void AddPage(int32_t page);
    int32_t ApplyResource(int32_t page, int32_t resource);
    void Locate(int32_t page, int32_t index, double x, double y);
    void ScaleObject(int32_t page, int32_t index, double scaleFactor);
    void Rotate(int32_t page, int32_t index, double angleDegrees);
    void SetImageLink(int32_t page, int32_t index, const std::u16string& link);
    void Clear();
    void DeleteAllPages();

    // Page sizes; widths and heights in the current unit.
    TPageSize GetPageSize(int32_t page) const;
    void SetPageSize(int32_t page, TPageSize code);
    double GetPageWidth(int32_t page) const;
    void SetPageWidth(int32_t page, double value);
    double GetPageHeight(int32_t page) const;
    void SetPageHeight(int32_t page, double value);

    // Graphic resources: act on the CurrentGraphic resource when it is one.
    int32_t CreateGraphic();
    void DrawLine(double x1, double y1, double x2, double y2);
    void Rectangle(double x1, double y1, double x2, double y2);
    void Ellipse(double x, double y, double rx, double ry, double angleDegrees);
    void Circle(double x, double y, double r);
    int32_t GetLineWidth() const;
    void SetLineWidth(int32_t width);
    uint32_t GetLineColor() const;
    void SetLineColor(uint32_t color);
    uint32_t GetFillColor() const;
    void SetFillColor(uint32_t color);
    bool GetFill() const;
    void SetFill(bool fill);

    // Text resources: act on the CurrentText resource when it is one.
    int32_t CreateText();
    void WriteText(const std::u16string& text);
    void WriteLink(const std::u16string& text, const std::u16string& link);
    int32_t GetTextFont() const;
    void SetTextFont(int32_t font);
    int32_t GetTextSize() const;
    void SetTextSize(int32_t size);
    uint32_t GetTextColor() const;
    void SetTextColor(uint32_t color);
    double GetTextLineSpacing() const;
    void SetTextLineSpacing(double percent);
    TTextAlign GetTextAlign() const;
    void SetTextAlign(TTextAlign align);
    double GetTextMaxWidth() const;
    void SetTextMaxWidth(double width);
    double GetTextSkewX() const;
    void SetTextSkewX(double degrees);
    double GetTextSkewY() const;
    void SetTextSkewY(double degrees);
    bool GetTextUnderline() const;
    void SetTextUnderline(bool underline);
    // The measurements lay the current text out into its own last layout.
    double TextBlockHeight();
    double TextBlockWidth();
    double TextLineWidth(const std::u16string& text) const;

    // Images: each add appends one image resource and answers its number.
    int32_t AddImageFile(const std::u16string& fileName);
    int32_t AddImageBytes(std::span<const uint8_t> data);
    int32_t AddImageBMPHandle(int32_t handle);
    int32_t ImageCount(const std::u16string& fileName) const;
    double ImageWidth(int32_t resource) const;   // current unit, unscaled
    double ImageHeight(int32_t resource) const;
    // The settings an image import reads, as they stand.
    TImportSettings ImportSettings() const;

    // Fonts: AddFont answers the new font number, or 0 when the file is not
    // a TrueType font that can be read.
    int32_t AddFont(const std::u16string& fileName);
    bool GetEmbedFont(int32_t font) const;
    void SetEmbedFont(int32_t font, bool embed);

    // Settings with rules of their own.
    // A compression that does not suit the colour class is ignored.
    TxCompressFormat GetCompressionBW() const noexcept { return compressionBW_; }
    void SetCompressionBW(TxCompressFormat value) noexcept;
    TxCompressFormat GetCompressionGray() const noexcept { return compressionGray_; }
    void SetCompressionGray(TxCompressFormat value) noexcept;
    TxCompressFormat GetCompressionIndexed() const noexcept { return compressionIndexed_; }
    void SetCompressionIndexed(TxCompressFormat value) noexcept;
    TxCompressFormat GetCompressionRGB() const noexcept { return compressionRGB_; }
    void SetCompressionRGB(TxCompressFormat value) noexcept;
    int32_t GetImageReadNumber() const noexcept { return imageReadNumber_; }
    void SetImageReadNumber(int32_t value) noexcept;
    int32_t GetLinkFont() const noexcept { return linkFont_; }
    void SetLinkFont(int32_t value) noexcept;
    void SetCompressContents(bool value) noexcept { CompressContents = value; }

    // Characters written as wide text (UnicodeText on) that their font has
    // no glyph for, each font and character once, in the order met; they are
    // drawn with the font's missing glyph. Cleared by Clear.
    struct TMissingCharacter {
        int32_t FontNumber = 0;
        uint32_t CodePoint = 0;
        bool operator==(const TMissingCharacter&) const = default;
    };
    const std::vector<TMissingCharacter>& MissingCharacters() const noexcept { return missing_; }

    // Writes the document to FileName (".pdf" appended unless present).
    void SaveToFile(const std::u16string& fileName);

    // Unit conversions with the present Units.
    double ToPoints(double value) const noexcept {
        if (Units > umMillimeters) [[unlikely]]
            NoteUnits();
        return vellumark::ToPoints(Units, value);
    }
    double FromPoints(double value) const noexcept {
        if (Units > umMillimeters) [[unlikely]]
            NoteUnits();
        return vellumark::FromPoints(Units, value);
    }

    // Notes about calls the engine answered silently (see Diagnostics.h). A
    // host that listens takes them after each call; they change nothing in
    // the document, so const operations make them too.
    TDiagnostics& Diagnostics() const noexcept { return diagnostics_; }

    // The model (pages, resources and fonts are TPDFDocument's). The const
    // look-ups leave the lists' remembered positions alone.
    const TPDFObj* Placement(int32_t page, int32_t index) const;
    TPDFObj* Placement(int32_t page, int32_t index);
    const TPDFGraphicRes* CurrentGraphicRes() const;
    TPDFGraphicRes* CurrentGraphicRes();
    const TPDFTextRes* CurrentTextRes() const;
    TPDFTextRes* CurrentTextRes();
    // Appends a resource made elsewhere (image import); returns its number.
    int32_t AddResource(std::unique_ptr<TPDFResource> resource);
    // Appends a loaded font to the font list; returns its font number.
    int32_t AddFontResource(std::unique_ptr<TPDFFontRes> font);

    // Engine fields, read and written directly. The enumerations hold any
    // byte the host stores: a page size outside the table keeps a page's
    // dimensions, a unit outside 0..3 converts every length to 0.
    TPageSize DefaultPageSize = psA4_P;
    int32_t CurrentGraphic = 0;
    int32_t CurrentText = 0;
    TUnitsMeas Units = umPoints;
    bool UseSourceCompression = true;
    bool ReleaseBMPHandle = true;
    bool LinkBorder = false;
    bool LinkStandardFormat = true;
    bool LinkUnderline = true;
    int32_t LinkSize = 10;
    uint32_t LinkColor = 0xFF0000;
    bool MergeAlpha = false;
    uint32_t MergeAlphaColor = 0xFFFFFF;
    bool AppendText = false;
    // Not a member of the automation interface: keep a PNG's compressed image
    // data as it is when its pixels need no change (the images command turns
    // it on).
    bool PassPNGData = false;

private:
    // The look-ups of the operations: each notes why it found nothing.
    const TPDFPage* FindPage(int32_t page) const;
    TPDFPage* FindPage(int32_t page);
    TPDFObj* FindPlacement(int32_t page, int32_t index);
    const TPDFGraphicRes* Graphic() const;  // for reads: the default is answered
    TPDFGraphicRes* Graphic();              // for drawing and writes: nothing is done
    const TPDFTextRes* Text() const;
    TPDFTextRes* Text();
    void NoteUnits() const noexcept;
    // Notes the characters of `text` that the code page cannot hold.
    void NoteUnmapped(const char* what, std::u16string_view text) const;

    mutable TDiagnostics diagnostics_;
    TxCompressFormat compressionBW_ = cfGroup4;
    TxCompressFormat compressionIndexed_ = cfZIP;
    TxCompressFormat compressionRGB_ = cfZIP;
    TxCompressFormat compressionGray_ = cfZIP;
    int32_t imageReadNumber_ = 1;
    int32_t linkFont_ = 15;
    std::vector<TMissingCharacter> missing_;

    // Adds text to the current text resource as written lines (wide ones
    // when UnicodeText is on and the line's font is an added font).
    void AddTextLines(TPDFTextRes& res, const std::u16string& text, const std::u16string& link, bool border);
};

}  // namespace vellumark
