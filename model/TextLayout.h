// The text layout: turns a text resource's written lines into laid-out runs,
// wrapping at each line's maximum width, joining lines that continue the one
// before, trimming, and giving every run its offsets within the block.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/FontRes.h"
#include "model/ObjList.h"
#include "model/TextRes.h"

namespace vellumark {

struct TLayoutResult {
    double BlockHeight = 0;  // points: the baseline offset of the last run
    double BlockWidth = 0;   // points: the widest visual line
    bool AllAddedFonts = false;  // every written line uses an added font
};

// Lays out the written lines of `text` at `scale` percent into `layout`,
// which is refilled from scratch (its storage is reused). The resource is
// only read.
TLayoutResult LayoutText(const TPDFTextRes& text, const TObjList<TPDFFontRes>& fonts, double scale,
                         TTextLayout& layout);

// Sum of the widths of the bytes of `s`, in thousandths of an em.
int64_t StringWidth(const std::array<int32_t, 256>& widths, std::string_view s) noexcept;

// Where a run that starts at `start` (1-based) ends: the break routine.
struct TBreak {
    std::size_t End = 0;      // 1-based position of the run's last character
    bool Found = true;        // a break point was found within the limit
    bool RestIsBlank = false; // only spaces follow End
};
TBreak FindBreak(std::string_view text, std::size_t start, const std::array<int32_t, 256>& widths,
                 double limit) noexcept;

}  // namespace vellumark
