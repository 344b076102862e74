#include "engine/Vellumark.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/TextCodec.h"
#include "model/TextLayout.h"
#include "writer/SaveToFile.h"

namespace vellumark {

TVellumark::TVellumark() = default;
TVellumark::~TVellumark() = default;

// --- pages and placements -------------------------------------------------

void TVellumark::AddPage(int32_t page) {
    auto p = std::make_unique<TPDFPage>();
    p->ApplySizeCode(DefaultPageSize);
    pages_->Insert(page < 0 ? 0 : page, std::move(p));
}

int32_t TVellumark::ApplyResource(int32_t page, int32_t resource) {
    TPDFPage* p = pages_->Get(page);
    TPDFResource* r = resources_->Get(resource);
    if (!p || !r) return 0;
    const TObjKind kind = dynamic_cast<TPDFImageRes*>(r)     ? okImage
                          : dynamic_cast<TPDFGraphicRes*>(r) ? okGraphic
                                                              : okText;
    auto obj = std::make_unique<TPDFObj>(kind);
    obj->Resource = resource;
    obj->X = 0;
    obj->Y = p->Height;
    return p->Placements.Append(std::move(obj));
}

const TPDFObj* TVellumark::Placement(int32_t page, int32_t index) const {
    const TPDFPage* p = Page(page);
    return p ? p->Placements.Get(index) : nullptr;
}

TPDFObj* TVellumark::Placement(int32_t page, int32_t index) {
    TPDFPage* p = Page(page);
    return p ? p->Placements.Get(index) : nullptr;
}

void TVellumark::Locate(int32_t page, int32_t index, double x, double y) {
    if (TPDFObj* obj = Placement(page, index)) {
        obj->X = ToPoints(x);
        obj->Y = ToPoints(y);
    }
}

void TVellumark::ScaleObject(int32_t page, int32_t index, double scaleFactor) {
    if (!(scaleFactor > 0)) return;
    if (TPDFObj* obj = Placement(page, index)) obj->Scale = scaleFactor;
}

void TVellumark::Rotate(int32_t page, int32_t index, double angleDegrees) {
    if (TPDFObj* obj = Placement(page, index)) obj->Angle = angleDegrees * std::numbers::pi / 180;
}

void TVellumark::SetImageLink(int32_t page, int32_t index, const std::u16string& link) {
    TPDFObj* obj = Placement(page, index);
    if (!obj || obj->Kind != okImage) return;
    obj->Link = ToAnsi(link);
    obj->LinkBorder = LinkBorder;
}

void TVellumark::Clear() {
    ClearLists();
    CurrentGraphic = 0;
    CurrentText = 0;
    Title.clear();
    Subject.clear();
    Author.clear();
    Keywords.clear();
    missing_.clear();
}

void TVellumark::DeleteAllPages() { pages_ = std::make_unique<TObjList<TPDFPage>>(); }

// --- page sizes ----------------------------------------------------------

namespace {
// A length in the current unit to whole points: +0.5, truncated, at least 1.
int32_t WholePoints(double points) {
    double t = std::trunc(points + 0.5);
    if (!(t >= 1)) return 1;  // also NaN
    if (t > 2147483647.0) return 2147483647;
    return static_cast<int32_t>(t);
}
}  // namespace

TPageSize TVellumark::GetPageSize(int32_t page) const {
    const TPDFPage* p = Page(page);
    return p ? p->SizeCode : psCustom;
}

void TVellumark::SetPageSize(int32_t page, TPageSize code) {
    if (TPDFPage* p = pages_->Get(page)) p->ApplySizeCode(code);
}

double TVellumark::GetPageWidth(int32_t page) const {
    const TPDFPage* p = Page(page);
    return p ? FromPoints(p->Width) : 0;
}

double TVellumark::GetPageHeight(int32_t page) const {
    const TPDFPage* p = Page(page);
    return p ? FromPoints(p->Height) : 0;
}

void TVellumark::SetPageWidth(int32_t page, double value) {
    TPDFPage* p = pages_->Get(page);
    if (p && value > 0) p->SetWidthPoints(WholePoints(ToPoints(value)));
}

void TVellumark::SetPageHeight(int32_t page, double value) {
    TPDFPage* p = pages_->Get(page);
    if (p && value > 0) p->SetHeightPoints(WholePoints(ToPoints(value)));
}

// --- resources -----------------------------------------------------------

int32_t TVellumark::AddResource(std::unique_ptr<TPDFResource> resource) {
    return resources_->Append(std::move(resource));
}

int32_t TVellumark::AddFontResource(std::unique_ptr<TPDFFontRes> font) {
    font->FontNumber = kStandardFontCount + fonts_->Count() + 1;
    return kStandardFontCount + fonts_->Append(std::move(font));
}

int32_t TVellumark::AddFont(const std::u16string& fileName) {
    auto font = std::make_unique<TPDFFontRes>();
    if (!font->Reader.LoadFromFile(Utf16ToUtf8(fileName))) return 0;
    for (int c = 0; c < 256; ++c) font->Widths[static_cast<std::size_t>(c)] = font->Reader.CharWidth(static_cast<uint8_t>(c));
    return AddFontResource(std::move(font));
}

bool TVellumark::GetEmbedFont(int32_t font) const {
    if (font <= kStandardFontCount) return false;
    const TPDFFontRes* f = Fonts().Get(font - kStandardFontCount);
    return f && f->Embed;
}

void TVellumark::SetEmbedFont(int32_t font, bool embed) {
    if (font <= kStandardFontCount) return;
    if (TPDFFontRes* f = fonts_->Get(font - kStandardFontCount)) f->Embed = embed;
}

int32_t TVellumark::CreateGraphic() {
    CurrentGraphic = AddResource(std::make_unique<TPDFGraphicRes>());
    return CurrentGraphic;
}

int32_t TVellumark::CreateText() {
    CurrentText = AddResource(std::make_unique<TPDFTextRes>());
    return CurrentText;
}

const TPDFGraphicRes* TVellumark::CurrentGraphicRes() const {
    return dynamic_cast<const TPDFGraphicRes*>(Resource(CurrentGraphic));
}

TPDFGraphicRes* TVellumark::CurrentGraphicRes() {
    return dynamic_cast<TPDFGraphicRes*>(Resource(CurrentGraphic));
}

const TPDFTextRes* TVellumark::CurrentTextRes() const {
    return dynamic_cast<const TPDFTextRes*>(Resource(CurrentText));
}

TPDFTextRes* TVellumark::CurrentTextRes() {
    return dynamic_cast<TPDFTextRes*>(Resource(CurrentText));
}

void TVellumark::DrawLine(double x1, double y1, double x2, double y2) {
    if (auto* g = CurrentGraphicRes()) g->DrawLine(ToPoints(x1), ToPoints(y1), ToPoints(x2), ToPoints(y2));
}

void TVellumark::Rectangle(double x1, double y1, double x2, double y2) {
    if (auto* g = CurrentGraphicRes()) g->Rectangle(ToPoints(x1), ToPoints(y1), ToPoints(x2), ToPoints(y2));
}

void TVellumark::Ellipse(double x, double y, double rx, double ry, double angleDegrees) {
    if (auto* g = CurrentGraphicRes())
        g->Ellipse(ToPoints(x), ToPoints(y), ToPoints(rx), ToPoints(ry), angleDegrees);
}

void TVellumark::Circle(double x, double y, double r) {
    if (auto* g = CurrentGraphicRes()) g->Circle(ToPoints(x), ToPoints(y), ToPoints(r));
}

int32_t TVellumark::GetLineWidth() const {
    auto* g = CurrentGraphicRes();
    return g ? g->LineWidth() : 0;
}
void TVellumark::SetLineWidth(int32_t width) {
    if (auto* g = CurrentGraphicRes()) g->SetLineWidth(width);
}
uint32_t TVellumark::GetLineColor() const {
    auto* g = CurrentGraphicRes();
    return g ? g->LineColor() : 0;
}
void TVellumark::SetLineColor(uint32_t color) {
    if (auto* g = CurrentGraphicRes()) g->SetLineColor(color);
}
uint32_t TVellumark::GetFillColor() const {
    auto* g = CurrentGraphicRes();
    return g ? g->FillColor() : 0xFFFFFF;
}
void TVellumark::SetFillColor(uint32_t color) {
    if (auto* g = CurrentGraphicRes()) g->SetFillColor(color);
}
bool TVellumark::GetFill() const {
    auto* g = CurrentGraphicRes();
    return g ? g->Fill() : true;
}
void TVellumark::SetFill(bool fill) {
    if (auto* g = CurrentGraphicRes()) g->SetFill(fill);
}

// --- text resources ------------------------------------------------------

namespace {

// Adds Text to a text resource as written lines in its present formatting:
// CR, LF and CR LF each start a new line.
void AddText(TPDFTextRes& res, const std::string& text, std::string link, bool border, bool continues) {
    const bool added = res.FontNumber > kStandardFontCount;
    if (!added) link.clear();
    TTextLine line;
    line.Size = res.Size;
    line.FontNumber = res.FontNumber;
    line.Color = res.Color;
    line.LineSpacing = res.LineSpacing;
    line.MaxWidth = res.MaxWidth;
    line.SkewX = res.SkewX;
    line.SkewY = res.SkewY;
    line.Link = std::move(link);
    line.LinkBorder = border;
    line.Continues = continues;
    line.Underline = added && res.Underline;
    if (!line.Link.empty() && (res.Lines.empty() || res.Lines.back().Link != line.Link)) ++res.LinkCount;
    res.Lines.push_back(line);
    char previous = 0;
    for (char c : text) {
        if (c == '\r' || (c == '\n' && previous != '\r')) {
            res.Lines.push_back(line);
        } else if (c != '\n') {
            res.Lines.back().Text += c;
        }
        previous = c;
    }
    if (!added && !text.empty()) res.Align = taLeft;
}

// The same for wide text: the lines keep their UTF-16 units, and each unit
// gets one narrow byte (see TTextLine).
void AddWideText(TPDFTextRes& res, const std::u16string& text, std::string link, bool border, bool continues) {
    TTextLine line;
    line.Size = res.Size;
    line.FontNumber = res.FontNumber;
    line.Color = res.Color;
    line.LineSpacing = res.LineSpacing;
    line.MaxWidth = res.MaxWidth;
    line.SkewX = res.SkewX;
    line.SkewY = res.SkewY;
    line.Link = std::move(link);
    line.LinkBorder = border;
    line.Continues = continues;
    line.Underline = res.Underline;
    line.IsWide = true;
    if (!line.Link.empty() && (res.Lines.empty() || res.Lines.back().Link != line.Link)) ++res.LinkCount;
    res.Lines.push_back(line);
    char16_t previous = 0;
    for (char16_t c : text) {
        if (c == u'\r' || (c == u'\n' && previous != u'\r')) {
            res.Lines.push_back(line);
        } else if (c != u'\n') {
            res.Lines.back().Wide += c;
            res.Lines.back().Text += ToAnsi(std::u16string_view(&c, 1));
        }
        previous = c;
    }
}

}  // namespace

void TVellumark::AddTextLines(TPDFTextRes& res, const std::u16string& text, const std::u16string& link,
                              bool border) {
    const TPDFFontRes* font =
        res.FontNumber > kStandardFontCount ? Fonts().Get(res.FontNumber - kStandardFontCount) : nullptr;
    if (!UnicodeText || !font) {
        AddText(res, ToAnsi(text), ToAnsi(link), border, AppendText);
        return;
    }
    const std::size_t first = res.Lines.size();
    AddWideText(res, text, ToAnsi(link), border, AppendText);
    for (std::size_t i = first; i < res.Lines.size(); ++i) {
        const std::u16string& wide = res.Lines[i].Wide;
        for (std::size_t k = 0; k < wide.size(); ++k) {
            const TWideChar ch = WideCharAt(wide, k);
            if (!ch.Starts || font->Reader.GlyphOf(ch.CodePoint) != 0) continue;
            const TMissingCharacter m{res.FontNumber, ch.CodePoint};
            if (std::find(missing_.begin(), missing_.end(), m) == missing_.end()) missing_.push_back(m);
        }
    }
}

void TVellumark::WriteText(const std::u16string& text) {
    if (auto* t = CurrentTextRes()) AddTextLines(*t, text, std::u16string(), false);
}

void TVellumark::WriteLink(const std::u16string& text, const std::u16string& link) {
    TPDFTextRes* t = CurrentTextRes();
    if (!t) return;
    if (!LinkStandardFormat) {
        AddTextLines(*t, text, link, LinkBorder);
        return;
    }
    const uint32_t color = t->Color;
    const int32_t font = t->FontNumber;
    const int32_t size = t->Size;
    const bool underline = t->Underline;
    t->Color = LinkColor;
    if (linkFont_ <= kStandardFontCount + fonts_->Count()) t->FontNumber = linkFont_;
    t->Size = LinkSize;
    t->Underline = LinkUnderline;
    AddTextLines(*t, text, link, LinkBorder);
    t->Color = color;
    t->FontNumber = font;
    t->Size = size;
    t->Underline = underline;
}

int32_t TVellumark::GetTextFont() const {
    auto* t = CurrentTextRes();
    return t ? t->FontNumber : 0;
}
void TVellumark::SetTextFont(int32_t font) {
    auto* t = CurrentTextRes();
    if (t && font >= 1 && font <= kStandardFontCount + fonts_->Count()) t->FontNumber = font;
}
int32_t TVellumark::GetTextSize() const {
    auto* t = CurrentTextRes();
    return t ? t->Size : 0;
}
void TVellumark::SetTextSize(int32_t size) {
    if (auto* t = CurrentTextRes()) t->Size = size;
}
uint32_t TVellumark::GetTextColor() const {
    auto* t = CurrentTextRes();
    return t ? t->Color : 0;
}
void TVellumark::SetTextColor(uint32_t color) {
    if (auto* t = CurrentTextRes()) t->Color = color;
}
double TVellumark::GetTextLineSpacing() const {
    auto* t = CurrentTextRes();
    return t ? t->LineSpacing : 15;
}
void TVellumark::SetTextLineSpacing(double percent) {
    if (auto* t = CurrentTextRes()) t->LineSpacing = percent;
}
TTextAlign TVellumark::GetTextAlign() const {
    auto* t = CurrentTextRes();
    return t ? t->Align : taLeft;
}
void TVellumark::SetTextAlign(TTextAlign align) {
    TPDFTextRes* t = CurrentTextRes();
    if (!t) return;
    const bool standard = std::any_of(t->Lines.begin(), t->Lines.end(),
                                      [](const TTextLine& l) { return l.FontNumber <= kStandardFontCount; });
    t->Align = standard ? taLeft : align;
}
double TVellumark::GetTextMaxWidth() const {
    auto* t = CurrentTextRes();
    return t && t->MaxWidth > 0 ? FromPoints(t->MaxWidth) : -1;
}
void TVellumark::SetTextMaxWidth(double width) {
    if (auto* t = CurrentTextRes()) t->MaxWidth = width > 0 ? ToPoints(width) : -1;
}
double TVellumark::GetTextSkewX() const {
    auto* t = CurrentTextRes();
    return t ? t->SkewX : 0;
}
void TVellumark::SetTextSkewX(double degrees) {
    if (auto* t = CurrentTextRes()) t->SkewX = degrees;
}
double TVellumark::GetTextSkewY() const {
    auto* t = CurrentTextRes();
    return t ? t->SkewY : 0;
}
void TVellumark::SetTextSkewY(double degrees) {
    if (auto* t = CurrentTextRes()) t->SkewY = degrees;
}
bool TVellumark::GetTextUnderline() const {
    auto* t = CurrentTextRes();
    return t ? t->Underline : false;
}
void TVellumark::SetTextUnderline(bool underline) {
    if (auto* t = CurrentTextRes()) t->Underline = underline;
}

double TVellumark::TextBlockHeight() {
    TPDFTextRes* t = CurrentTextRes();
    if (!t) return 0;
    return FromPoints(LayoutText(*t, Fonts(), 100, t->Layout).BlockHeight);
}

double TVellumark::TextBlockWidth() {
    TPDFTextRes* t = CurrentTextRes();
    if (!t) return -1;
    const TLayoutResult r = LayoutText(*t, Fonts(), 100, t->Layout);
    return r.AllAddedFonts && r.BlockWidth > 0 ? FromPoints(r.BlockWidth) : -1;
}

double TVellumark::TextLineWidth(const std::u16string& text) const {
    const TPDFTextRes* t = CurrentTextRes();
    if (!t || t->FontNumber <= kStandardFontCount || text.empty()) return 0;
    const TPDFFontRes* font = Fonts().Get(t->FontNumber - kStandardFontCount);
    if (!font) return 0;
    double w = 0;
    if (UnicodeText) {
        std::vector<int32_t> widths;
        WideWidths(*font, text, widths);
        for (const int32_t unit : widths) w += unit;
    } else {
        w = static_cast<double>(StringWidth(font->Widths, ToAnsi(text)));
    }
    return FromPoints(w * t->Size / 1000);
}

// --- settings with rules -------------------------------------------------

void TVellumark::SetCompressionBW(TxCompressFormat value) noexcept {
    if (value == cfNone || value == cfGroup4 || value == cfZIP) compressionBW_ = value;
}
void TVellumark::SetCompressionGray(TxCompressFormat value) noexcept {
    if (value == cfNone || value == cfZIP || value == cfJPEG) compressionGray_ = value;
}
void TVellumark::SetCompressionIndexed(TxCompressFormat value) noexcept {
    if (value == cfNone || value == cfZIP) compressionIndexed_ = value;
}
void TVellumark::SetCompressionRGB(TxCompressFormat value) noexcept {
    if (value == cfNone || value == cfZIP || value == cfJPEG) compressionRGB_ = value;
}
void TVellumark::SetImageReadNumber(int32_t value) noexcept {
    if (value > 0) imageReadNumber_ = value;
}
void TVellumark::SetLinkFont(int32_t value) noexcept {
    if (value >= kStandardFontCount + 1 && value <= kStandardFontCount + fonts_->Count()) linkFont_ = value;
}

void TVellumark::SaveToFile(const std::u16string& fileName) { SaveDocumentToFile(*this, fileName); }

}  // namespace vellumark
