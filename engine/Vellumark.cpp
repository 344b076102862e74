#include "engine/Vellumark.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "base/TextCodec.h"
#include "model/TextLayout.h"
#include "writer/SaveToFile.h"

namespace vellumark {

TVellumark::TVellumark() = default;
TVellumark::~TVellumark() = default;

// --- pages and placements -------------------------------------------------

// --- diagnostics ------------------------------------------------------

namespace {

const char* CompressionName(TxCompressFormat value) {
    switch (value) {
        case cfNone: return "cfNone";
        case cfGroup4: return "cfGroup4";
        case cfZIP: return "cfZIP";
        case cfJPEG: return "cfJPEG";
    }
    return "an unknown compression";
}

// Why a font file did not load, as far as its first bytes tell.
std::string FontFailure(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::exists(p, ec)) return "the file does not exist";
    if (std::filesystem::is_directory(p, ec)) return "it is a directory";
    std::ifstream in(p, std::ios::binary);
    if (!in) return std::string("the file cannot be opened: ") + std::strerror(errno);
    char head[4] = {};
    if (!in.read(head, 4)) return "the file is too short for a font";
    const std::string tag(head, 4);
    if (tag == "OTTO") return "it is an OpenType font with PostScript (CFF) outlines, not TrueType outlines";
    if (tag == "ttcf") return "it is a font collection, not a single TrueType font";
    if (tag == std::string("\0\1\0\0", 4) || tag == "true")
        return "its tables cannot be read (no glyf outlines, no format 4 Unicode or symbol cmap, or damaged)";
    return "it is not a TrueType font";
}

}  // namespace

void TVellumark::NoteUnits() const noexcept {
    diagnostics_.Add(dcValueIgnored, "Units is ", static_cast<int>(Units),
                     ", not a unit (0 to 3); every length converts to 0");
}

void TVellumark::NoteUnmapped(const char* what, std::u16string_view text) const {
    if (!diagnostics_.Listening()) return;
    std::string list;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c == u'?' || ToAnsi(text.substr(i, 1)) != "?") {
            continue;
        }
        if (++count > 5) continue;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        list += (list.empty() ? "" : ", ") + std::string(code);
    }
    if (count == 0) return;
    if (count > 5) list += " and " + std::to_string(count - 5) + " more";
    diagnostics_.Add(dcCharacterReplaced, what, ": ", list,
                     count == 1 ? " is not in the Windows-1252 code page and becomes \"?\""
                                : " are not in the Windows-1252 code page and become \"?\"");
}

const TPDFPage* TVellumark::FindPage(int32_t page) const {
    const TPDFPage* p = Page(page);
    if (!p) diagnostics_.Add(dcNoSuchPage, "there is no page ", page, " (the document has ", Pages().Count(), ")");
    return p;
}

TPDFPage* TVellumark::FindPage(int32_t page) {
    TPDFPage* p = pages_->Get(page);
    if (!p) diagnostics_.Add(dcNoSuchPage, "there is no page ", page, " (the document has ", Pages().Count(), ")");
    return p;
}

TPDFObj* TVellumark::FindPlacement(int32_t page, int32_t index) {
    TPDFPage* p = FindPage(page);
    if (!p) return nullptr;
    TPDFObj* obj = p->Placements.Get(index);
    if (!obj)
        diagnostics_.Add(dcNoSuchPlacement, "page ", page, " has no placement ", index, " (it has ",
                         p->Placements.Count(), ")");
    return obj;
}

const TPDFGraphicRes* TVellumark::Graphic() const {
    const TPDFGraphicRes* g = CurrentGraphicRes();
    if (!g)
        diagnostics_.Add(dcNoCurrentGraphic, "CurrentGraphic ", CurrentGraphic,
                         " names no graphic resource; the default value is answered");
    return g;
}

TPDFGraphicRes* TVellumark::Graphic() {
    TPDFGraphicRes* g = CurrentGraphicRes();
    if (!g)
        diagnostics_.Add(dcNoCurrentGraphic, "CurrentGraphic ", CurrentGraphic,
                         " names no graphic resource; the call does nothing");
    return g;
}

const TPDFTextRes* TVellumark::Text() const {
    const TPDFTextRes* t = CurrentTextRes();
    if (!t)
        diagnostics_.Add(dcNoCurrentText, "CurrentText ", CurrentText,
                         " names no text resource; the default value is answered");
    return t;
}

TPDFTextRes* TVellumark::Text() {
    TPDFTextRes* t = CurrentTextRes();
    if (!t)
        diagnostics_.Add(dcNoCurrentText, "CurrentText ", CurrentText,
                         " names no text resource; the call does nothing");
    return t;
}

// --- pages and placements -------------------------------------------------

void TVellumark::AddPage(int32_t page) {
    if (DefaultPageSize > psExecutive_L)
        diagnostics_.Add(dcValueIgnored, "DefaultPageSize ", static_cast<int>(DefaultPageSize),
                         " is not a page size (0 to 16); the new page is 0 x 0 points");
    auto p = std::make_unique<TPDFPage>();
    p->ApplySizeCode(DefaultPageSize);
    pages_->Insert(page < 0 ? 0 : page, std::move(p));
}

int32_t TVellumark::ApplyResource(int32_t page, int32_t resource) {
    TPDFPage* p = FindPage(page);
    TPDFResource* r = resources_->Get(resource);
    if (!r)
        diagnostics_.Add(dcNoSuchResource, "there is no resource ", resource, " (the document has ",
                         Resources().Count(), "); answers 0");
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

namespace {
// Notes that a graphic placement does not follow its position, scale and
// angle.
void NoteGraphicPlacement(TDiagnostics& d, const TPDFObj* obj, int32_t page, int32_t index) {
    if (obj && obj->Kind == okGraphic)
        d.Add(dcNoSuchResource, "placement ", index, " on page ", page,
              " is a graphic, which is drawn where its shapes were recorded; the value has no effect");
}
}  // namespace

void TVellumark::Locate(int32_t page, int32_t index, double x, double y) {
    NoteGraphicPlacement(diagnostics_, FindPlacement(page, index), page, index);
    if (TPDFObj* obj = Placement(page, index)) {
        obj->X = ToPoints(x);
        obj->Y = ToPoints(y);
    }
}

void TVellumark::ScaleObject(int32_t page, int32_t index, double scaleFactor) {
    TPDFObj* obj = FindPlacement(page, index);
    NoteGraphicPlacement(diagnostics_, obj, page, index);
    if (obj && !(scaleFactor > 0))
        diagnostics_.Add(dcValueIgnored, "a scale factor of ", scaleFactor, " is not above 0; the scale stays ",
                         obj->Scale);
    if (obj && scaleFactor > 0) obj->Scale = scaleFactor;
}

void TVellumark::Rotate(int32_t page, int32_t index, double angleDegrees) {
    TPDFObj* obj = FindPlacement(page, index);
    NoteGraphicPlacement(diagnostics_, obj, page, index);
    if (!obj) return;
    if (obj->Kind == okText && angleDegrees != 0)
        if (auto* text = dynamic_cast<const TPDFTextRes*>(Resource(obj->Resource)); text && text->LinkCount > 0)
            diagnostics_.Add(dcValueIgnored,
                             "the links of a rotated text are not written; its text stays, not clickable");
    obj->Angle = angleDegrees * std::numbers::pi / 180;
}

void TVellumark::SetImageLink(int32_t page, int32_t index, const std::u16string& link) {
    TPDFObj* obj = FindPlacement(page, index);
    if (obj && obj->Kind != okImage)
        diagnostics_.Add(dcNoSuchResource, "placement ", index, " on page ", page,
                         " is not an image; only image placements take a link");
    if (!obj || obj->Kind != okImage) return;
    NoteUnmapped("the link", link);
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
    const TPDFPage* p = FindPage(page);
    return p ? p->SizeCode : psCustom;
}

void TVellumark::SetPageSize(int32_t page, TPageSize code) {
    if (code > psExecutive_L)
        diagnostics_.Add(dcValueIgnored, "page size ", static_cast<int>(code),
                         " is not a page size (0 to 16); the page keeps its width and height");
    if (TPDFPage* p = FindPage(page)) p->ApplySizeCode(code);
}

double TVellumark::GetPageWidth(int32_t page) const {
    const TPDFPage* p = FindPage(page);
    return p ? FromPoints(p->Width) : 0;
}

double TVellumark::GetPageHeight(int32_t page) const {
    const TPDFPage* p = FindPage(page);
    return p ? FromPoints(p->Height) : 0;
}

void TVellumark::SetPageWidth(int32_t page, double value) {
    TPDFPage* p = FindPage(page);
    if (p && !(value > 0)) diagnostics_.Add(dcValueIgnored, "a width of ", value, " is not above 0; the width stays");
    if (p && value > 0) p->SetWidthPoints(WholePoints(ToPoints(value)));
}

void TVellumark::SetPageHeight(int32_t page, double value) {
    TPDFPage* p = FindPage(page);
    if (p && !(value > 0)) diagnostics_.Add(dcValueIgnored, "a height of ", value, " is not above 0; the height stays");
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
    if (!font->Reader.LoadFromFile(Utf16ToUtf8(fileName))) {
        if (diagnostics_.Listening())
            diagnostics_.Add(dcFontNotLoaded, "the font \"", Utf16ToUtf8(fileName), "\" is not added (",
                             FontFailure(Utf16ToUtf8(fileName)), "); answers 0");
        return 0;
    }
    for (int c = 0; c < 256; ++c) font->Widths[static_cast<std::size_t>(c)] = font->Reader.CharWidth(static_cast<uint8_t>(c));
    return AddFontResource(std::move(font));
}

namespace {
// The note for a font number that names no added font.
template <class F>
void NoteNotAdded(TDiagnostics& d, int32_t font, int32_t added, const F& consequence) {
    if (font >= 1 && font <= kStandardFontCount)
        d.Add(dcStandardFont, "font ", font, " is a standard font, which is never embedded; ", consequence);
    else
        d.Add(dcNoSuchFont, "there is no font ", font, " (added fonts are 15 to ", kStandardFontCount + added, "); ",
              consequence);
}
}  // namespace

bool TVellumark::GetEmbedFont(int32_t font) const {
    const TPDFFontRes* f = font > kStandardFontCount ? Fonts().Get(font - kStandardFontCount) : nullptr;
    if (!f) NoteNotAdded(diagnostics_, font, Fonts().Count(), "answers False");
    return f && f->Embed;
}

void TVellumark::SetEmbedFont(int32_t font, bool embed) {
    TPDFFontRes* f = font > kStandardFontCount ? fonts_->Get(font - kStandardFontCount) : nullptr;
    if (!f) NoteNotAdded(diagnostics_, font, Fonts().Count(), "the value is ignored");
    if (f) f->Embed = embed;
}

int32_t TVellumark::CreateGraphic() {
    CurrentGraphic = AddResource(std::make_unique<TPDFGraphicRes>());
    return CurrentGraphic;
}

int32_t TVellumark::CreateText() {
    CurrentText = AddResource(std::make_unique<TPDFTextRes>());
    return CurrentText;
}

namespace {

// A resource of a final class, else null: its type compared, which costs less
// than a cast that searches the class tree.
template <class T, class R>
T* ResourceAs(R* resource) {
    static_assert(std::is_final_v<std::remove_const_t<T>>);
    return resource && typeid(*resource) == typeid(T) ? static_cast<T*>(resource) : nullptr;
}

}  // namespace

const TPDFGraphicRes* TVellumark::CurrentGraphicRes() const {
    return ResourceAs<const TPDFGraphicRes>(Resource(CurrentGraphic));
}

TPDFGraphicRes* TVellumark::CurrentGraphicRes() { return ResourceAs<TPDFGraphicRes>(Resource(CurrentGraphic)); }

const TPDFTextRes* TVellumark::CurrentTextRes() const { return ResourceAs<const TPDFTextRes>(Resource(CurrentText)); }

TPDFTextRes* TVellumark::CurrentTextRes() { return ResourceAs<TPDFTextRes>(Resource(CurrentText)); }

void TVellumark::DrawLine(double x1, double y1, double x2, double y2) {
    if (auto* g = Graphic()) g->DrawLine(ToPoints(x1), ToPoints(y1), ToPoints(x2), ToPoints(y2));
}

void TVellumark::Rectangle(double x1, double y1, double x2, double y2) {
    if (auto* g = Graphic()) g->Rectangle(ToPoints(x1), ToPoints(y1), ToPoints(x2), ToPoints(y2));
}

void TVellumark::Ellipse(double x, double y, double rx, double ry, double angleDegrees) {
    if (auto* g = Graphic()) g->Ellipse(ToPoints(x), ToPoints(y), ToPoints(rx), ToPoints(ry), angleDegrees);
}

void TVellumark::Circle(double x, double y, double r) {
    if (auto* g = Graphic()) g->Circle(ToPoints(x), ToPoints(y), ToPoints(r));
}

int32_t TVellumark::GetLineWidth() const {
    auto* g = Graphic();
    return g ? g->LineWidth() : 0;
}
void TVellumark::SetLineWidth(int32_t width) {
    auto* g = Graphic();
    if (g && width < 0)
        diagnostics_.Add(dcValueIgnored, "a line width of ", width, " is below 0; it stays ", g->LineWidth());
    if (g) g->SetLineWidth(width);
}
uint32_t TVellumark::GetLineColor() const {
    auto* g = Graphic();
    return g ? g->LineColor() : 0;
}
void TVellumark::SetLineColor(uint32_t color) {
    if (auto* g = Graphic()) g->SetLineColor(color);
}
uint32_t TVellumark::GetFillColor() const {
    auto* g = Graphic();
    return g ? g->FillColor() : 0xFFFFFF;
}
void TVellumark::SetFillColor(uint32_t color) {
    if (auto* g = Graphic()) g->SetFillColor(color);
}
bool TVellumark::GetFill() const {
    auto* g = Graphic();
    return g ? g->Fill() : true;
}
void TVellumark::SetFill(bool fill) {
    if (auto* g = Graphic()) g->SetFill(fill);
}

// --- text resources ------------------------------------------------------

namespace {

// An empty written line in the text resource's present formatting; a new
// link is counted.
TTextLine LineInFormat(TPDFTextRes& res, std::string link, bool border, bool continues, bool underline) {
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
    line.Underline = underline;
    if (!line.Link.empty() && (res.Lines.empty() || res.Lines.back().Link != line.Link)) ++res.LinkCount;
    return line;
}

// Adds Text to a text resource as written lines in its present formatting:
// CR, LF and CR LF each start a new line.
void AddText(TPDFTextRes& res, std::string text, std::string link, bool border, bool continues) {
    const bool added = res.FontNumber > kStandardFontCount;
    if (!added) link.clear();
    TTextLine line = LineInFormat(res, std::move(link), border, continues, added && res.Underline);
    if (!added && !text.empty()) res.Align = taLeft;
    // The first break, CR or LF, if any.
    std::size_t firstBreak = text.size();
    for (const char brk : {'\r', '\n'})
        if (const void* at = std::memchr(text.data(), brk, firstBreak))
            firstBreak = static_cast<std::size_t>(static_cast<const char*>(at) - text.data());
    if (firstBreak == text.size()) {
        line.Text = std::move(text);
        res.Lines.push_back(std::move(line));
        return;
    }
    res.Lines.push_back(line);
    // Each piece between breaks goes to the line it belongs to.
    std::size_t start = 0;
    char previous = 0;
    for (std::size_t i = firstBreak; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            previous = c;
            continue;
        }
        res.Lines.back().Text.append(text, start, i - start);
        if (c == '\r' || previous != '\r') res.Lines.push_back(line);
        start = i + 1;
        previous = c;
    }
    res.Lines.back().Text.append(text, start, std::string::npos);
}

// The same for wide text: the lines keep their UTF-16 units, and each unit
// gets one narrow byte (see TTextLine).
void AddWideText(TPDFTextRes& res, const std::u16string& text, std::string link, bool border, bool continues) {
    TTextLine line = LineInFormat(res, std::move(link), border, continues, res.Underline);
    line.IsWide = true;
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
    NoteUnmapped("the link", link);
    if (!UnicodeText || !font) {
        NoteUnmapped("the text", text);
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
            if (std::find(missing_.begin(), missing_.end(), m) != missing_.end()) continue;
            missing_.push_back(m);
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch.CodePoint));
            diagnostics_.Add(dcCharacterNotInFont, "font ", res.FontNumber, " has no glyph for ", code,
                             "; its missing glyph is shown");
        }
    }
}

void TVellumark::WriteText(const std::u16string& text) {
    TPDFTextRes* t = Text();
    if (!t) return;
    if (t->FontNumber <= kStandardFontCount && !text.empty()) {
        if (t->Underline)
            diagnostics_.Add(dcStandardFont, "text in a standard font (", t->FontNumber,
                             ") is not underlined; underlining needs an added font");
        if (t->MaxWidth > 0)
            diagnostics_.Add(dcStandardFont, "text in a standard font (", t->FontNumber,
                             ") is not wrapped at TextMaxWidth; wrapping needs an added font");
        if (t->Align != taLeft)
            diagnostics_.Add(dcStandardFont, "text in a standard font (", t->FontNumber,
                             ") makes the whole text left-aligned; alignment needs added fonts");
    }
    AddTextLines(*t, text, std::u16string(), false);
}

void TVellumark::WriteLink(const std::u16string& text, const std::u16string& link) {
    TPDFTextRes* t = Text();
    if (!t) return;
    const int32_t linkFont =
        LinkStandardFormat && linkFont_ <= kStandardFontCount + fonts_->Count() ? linkFont_ : t->FontNumber;
    if (linkFont <= kStandardFontCount)
        diagnostics_.Add(dcStandardFont, "the link is written in a standard font (", linkFont,
                         "), so it is plain text without a link; links need an added font");
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
    auto* t = Text();
    return t ? t->FontNumber : 0;
}
void TVellumark::SetTextFont(int32_t font) {
    auto* t = Text();
    const bool known = font >= 1 && font <= kStandardFontCount + fonts_->Count();
    if (t && !known)
        diagnostics_.Add(dcNoSuchFont, "there is no font ", font, " (fonts are 1 to ",
                         kStandardFontCount + fonts_->Count(), "); the font stays ", t->FontNumber);
    if (t && known) t->FontNumber = font;
}
int32_t TVellumark::GetTextSize() const {
    auto* t = Text();
    return t ? t->Size : 0;
}
void TVellumark::SetTextSize(int32_t size) {
    if (auto* t = Text()) t->Size = size;
}
uint32_t TVellumark::GetTextColor() const {
    auto* t = Text();
    return t ? t->Color : 0;
}
void TVellumark::SetTextColor(uint32_t color) {
    if (auto* t = Text()) t->Color = color;
}
double TVellumark::GetTextLineSpacing() const {
    auto* t = Text();
    return t ? t->LineSpacing : 15;
}
void TVellumark::SetTextLineSpacing(double percent) {
    if (auto* t = Text()) t->LineSpacing = percent;
}
TTextAlign TVellumark::GetTextAlign() const {
    auto* t = Text();
    return t ? t->Align : taLeft;
}
void TVellumark::SetTextAlign(TTextAlign align) {
    TPDFTextRes* t = Text();
    if (!t) return;
    const bool standard = std::any_of(t->Lines.begin(), t->Lines.end(),
                                      [](const TTextLine& l) { return l.FontNumber <= kStandardFontCount; });
    if (standard && align != taLeft)
        diagnostics_.Add(
            dcStandardFont,
            "the text has lines in a standard font, so it stays left-aligned; alignment needs added fonts");
    t->Align = standard ? taLeft : align;
}
double TVellumark::GetTextMaxWidth() const {
    auto* t = Text();
    return t && t->MaxWidth > 0 ? FromPoints(t->MaxWidth) : -1;
}
void TVellumark::SetTextMaxWidth(double width) {
    if (auto* t = Text()) t->MaxWidth = width > 0 ? ToPoints(width) : -1;
}
double TVellumark::GetTextSkewX() const {
    auto* t = Text();
    return t ? t->SkewX : 0;
}
void TVellumark::SetTextSkewX(double degrees) {
    if (auto* t = Text()) t->SkewX = degrees;
}
double TVellumark::GetTextSkewY() const {
    auto* t = Text();
    return t ? t->SkewY : 0;
}
void TVellumark::SetTextSkewY(double degrees) {
    if (auto* t = Text()) t->SkewY = degrees;
}
bool TVellumark::GetTextUnderline() const {
    auto* t = Text();
    return t ? t->Underline : false;
}
void TVellumark::SetTextUnderline(bool underline) {
    if (auto* t = Text()) t->Underline = underline;
}

double TVellumark::TextBlockHeight() {
    std::as_const(*this).Text();  // notes a missing text resource as a read
    TPDFTextRes* t = CurrentTextRes();
    if (!t) return 0;
    return FromPoints(LayoutText(*t, Fonts(), 100, t->Layout).BlockHeight);
}

double TVellumark::TextBlockWidth() {
    std::as_const(*this).Text();
    TPDFTextRes* t = CurrentTextRes();
    if (!t) return -1;
    const TLayoutResult r = LayoutText(*t, Fonts(), 100, t->Layout);
    if (!r.AllAddedFonts)
        diagnostics_.Add(dcStandardFont, "the text has lines in a standard font, whose widths are unknown; answers -1");
    return r.AllAddedFonts && r.BlockWidth > 0 ? FromPoints(r.BlockWidth) : -1;
}

double TVellumark::TextLineWidth(const std::u16string& text) const {
    const TPDFTextRes* t = Text();
    if (t && t->FontNumber <= kStandardFontCount)
        diagnostics_.Add(dcStandardFont, "font ", t->FontNumber,
                         " is a standard font, whose widths are unknown; answers 0");
    if (t && t->FontNumber > kStandardFontCount && !UnicodeText) NoteUnmapped("the text", text);
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

namespace {
// Stores `value` in `setting` when `suits`, and otherwise notes that the
// images of `kind` cannot use it.
void SetCompression(TDiagnostics& d, TxCompressFormat& setting, TxCompressFormat value, bool suits,
                    const char* kind) noexcept {
    if (suits) {
        setting = value;
        return;
    }
    if (value > cfJPEG)
        d.Add(dcValueIgnored, "compression ", static_cast<int>(value), " is not a compression (0 to 3); it stays ",
              CompressionName(setting));
    else
        d.Add(dcValueIgnored, CompressionName(value), " does not suit ", kind, " images; it stays ",
              CompressionName(setting));
}
}  // namespace

void TVellumark::SetCompressionBW(TxCompressFormat value) noexcept {
    SetCompression(diagnostics_, compressionBW_, value, value == cfNone || value == cfGroup4 || value == cfZIP,
                   "black-and-white");
}
void TVellumark::SetCompressionGray(TxCompressFormat value) noexcept {
    SetCompression(diagnostics_, compressionGray_, value, value == cfNone || value == cfZIP || value == cfJPEG,
                   "grayscale");
}
void TVellumark::SetCompressionIndexed(TxCompressFormat value) noexcept {
    SetCompression(diagnostics_, compressionIndexed_, value, value == cfNone || value == cfZIP, "palette");
}
void TVellumark::SetCompressionRGB(TxCompressFormat value) noexcept {
    SetCompression(diagnostics_, compressionRGB_, value, value == cfNone || value == cfZIP || value == cfJPEG,
                   "full-colour");
}
void TVellumark::SetImageReadNumber(int32_t value) noexcept {
    if (value > 0)
        imageReadNumber_ = value;
    else
        diagnostics_.Add(dcValueIgnored, "image number ", value, " is not above 0; it stays ", imageReadNumber_);
}
void TVellumark::SetLinkFont(int32_t value) noexcept {
    if (value >= kStandardFontCount + 1 && value <= kStandardFontCount + fonts_->Count())
        linkFont_ = value;
    else if (fonts_->Count() == 0)
        diagnostics_.Add(dcNoSuchFont, "only an added font can be the link font, and none was added; it stays ",
                         linkFont_);
    else
        diagnostics_.Add(dcNoSuchFont, "only an added font (15 to ", kStandardFontCount + fonts_->Count(),
                         ") can be the link font, not ", value, "; it stays ", linkFont_);
}

void TVellumark::SaveToFile(const std::u16string& fileName) {
    if (diagnostics_.Listening()) {
        if (Pages().Empty()) diagnostics_.Add(dcNothingSaved, "the document has no pages; no file is written");
    }
    // With Unicode text the information strings keep every character.
    if (diagnostics_.Listening() && !UnicodeText) {
        NoteUnmapped("Title", Title);
        NoteUnmapped("Subject", Subject);
        NoteUnmapped("Author", Author);
        NoteUnmapped("Keywords", Keywords);
    }
    SaveDocumentToFile(*this, fileName);
}

}  // namespace vellumark
