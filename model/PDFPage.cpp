#include "model/PDFPage.h"

#include "model/Units.h"

namespace vellumark {

void TPDFPage::ApplySizeCode(TPageSize code) noexcept {
    if (code == SizeCode) return;
    SizeCode = code;
    TPageDimensions dims{};
    if (PageSizeDimensions(code, dims)) {
        Width = dims.width;
        Height = dims.height;
    }
}

void TPDFPage::SetWidthPoints(int32_t points) noexcept {
    if (points == Width) return;
    Width = points;
    SizeCode = psCustom;
}

void TPDFPage::SetHeightPoints(int32_t points) noexcept {
    if (points == Height) return;
    Height = points;
    SizeCode = psCustom;
}

}  // namespace vellumark
