// The text layout: turns a text resource's written lines into laid-out runs,
// wrapping at each line's maximum width, joining lines that continue the one
// before, trimming, and giving every run its offsets within the block.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

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

// The width of each UTF-16 unit of wide text in an added font, thousandths
// of an em: a character's glyph width (the missing glyph's for a character
// the font lacks), the whole width on the first unit of a surrogate pair and
// 0 on the second. `widths` is refilled.
void WideWidths(const TPDFFontRes& font, std::u16string_view text, std::vector<int32_t>& widths);
// The glyph of the character at text[i] (a surrogate pair read as one
// character, its second unit answering nothing): whether there is one there,
// and the code point.
struct TWideChar {
    bool Starts = false;  // false on the second unit of a pair
    uint32_t CodePoint = 0;
};
TWideChar WideCharAt(std::u16string_view text, std::size_t i) noexcept;

}  // namespace vellumark
