#include "engine/Vellumark.h"

#include <cmath>
#include <numbers>

#include "engine/TextCodec.h"
#include "writer/SaveToFile.h"

namespace vellumark {

TVellumark::TVellumark()
    : pages_(std::make_unique<TObjList<TPDFPage>>()),
      resources_(std::make_unique<TObjList<TPDFResource>>()),
      fonts_(std::make_unique<TObjList<TPDFFontRes>>()) {}

TVellumark::~TVellumark() {
    pages_.reset();
    resources_.reset();
    fonts_.reset();
}

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
    auto obj = std::make_unique<TPDFObj>();
    obj->Resource = resource;
    if (dynamic_cast<TPDFImageRes*>(r))
        obj->Kind = okImage;
    else if (dynamic_cast<TPDFGraphicRes*>(r))
        obj->Kind = okGraphic;
    else
        obj->Kind = okText;
    obj->X = 0;
    obj->Y = p->Height;
    return p->Placements.Append(std::move(obj));
}

TPDFObj* TVellumark::Placement(int32_t page, int32_t index) const {
    TPDFPage* p = pages_->Get(page);
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
    pages_ = std::make_unique<TObjList<TPDFPage>>();
    resources_ = std::make_unique<TObjList<TPDFResource>>();
    fonts_ = std::make_unique<TObjList<TPDFFontRes>>();
    CurrentGraphic = 0;
    CurrentText = 0;
    Title.clear();
    Subject.clear();
    Author.clear();
    Keywords.clear();
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

uint8_t TVellumark::GetPageSize(int32_t page) const {
    const TPDFPage* p = pages_->Get(page);
    return p ? p->SizeCode : 0;
}

void TVellumark::SetPageSize(int32_t page, uint8_t code) {
    if (TPDFPage* p = pages_->Get(page)) p->ApplySizeCode(code);
}

double TVellumark::GetPageWidth(int32_t page) const {
    const TPDFPage* p = pages_->Get(page);
    return p ? FromPoints(p->Width) : 0;
}

double TVellumark::GetPageHeight(int32_t page) const {
    const TPDFPage* p = pages_->Get(page);
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

int32_t TVellumark::CreateGraphic() {
    CurrentGraphic = AddResource(std::make_unique<TPDFGraphicRes>());
    return CurrentGraphic;
}

int32_t TVellumark::CreateText() {
    CurrentText = AddResource(std::make_unique<TPDFTextRes>());
    return CurrentText;
}

TPDFGraphicRes* TVellumark::CurrentGraphicRes() const {
    return dynamic_cast<TPDFGraphicRes*>(resources_->Get(CurrentGraphic));
}

TPDFTextRes* TVellumark::CurrentTextRes() const {
    return dynamic_cast<TPDFTextRes*>(resources_->Get(CurrentText));
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

// --- settings with rules -------------------------------------------------

void TVellumark::SetCompressionBW(uint8_t value) noexcept {
    if (value == cfNone || value == cfGroup4 || value == cfZIP) compressionBW_ = value;
}
void TVellumark::SetCompressionGray(uint8_t value) noexcept {
    if (value == cfNone || value == cfZIP || value == cfJPEG) compressionGray_ = value;
}
void TVellumark::SetCompressionIndexed(uint8_t value) noexcept {
    if (value == cfNone || value == cfZIP) compressionIndexed_ = value;
}
void TVellumark::SetCompressionRGB(uint8_t value) noexcept {
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
