// TPDFPage: one page with its size and placements.
#pragma once

#include <cstdint>

#include "model/PDFObj.h"
#include "model/Units.h"

namespace vellumark {

class TPDFPage {
public:
    int32_t Width = 0;   // points
    int32_t Height = 0;  // points
    TPageSize SizeCode = psCustom;  // psCustom once width or height was set freely
    TPDFObjList Placements;

    // Applies a page-size code: codes 1..16 set width and height from the
    // table, 0 keeps them. Nothing happens when the code is the present one.
    void ApplySizeCode(TPageSize code) noexcept;
    // Set a dimension in points (already rounded, >= 1); the size code turns
    // to custom when the value differs from the present one.
    void SetWidthPoints(int32_t points) noexcept;
    void SetHeightPoints(int32_t points) noexcept;
};

}  // namespace vellumark
