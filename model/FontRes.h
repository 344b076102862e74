// TPDFFontRes: an added TrueType font, kept in the engine's font list.
#pragma once

#include <array>
#include <cstdint>

#include "model/Resource.h"
#include "truetype/vkFont.h"

namespace vellumark {

class TPDFFontRes : public TPDFResource {
public:
    int32_t FontNumber = 0;  // 15 for the first font added
    bool Embed = false;
    TvkFont Reader;  // the whole font file and its parsed tables
    // Advance width of each character code, thousandths of an em, from the
    // reader (looked up once when the font is added).
    std::array<int32_t, 256> Widths{};
};

// Standard fonts are numbered 1..14; added fonts start at 15.
constexpr int32_t kStandardFontCount = 14;

}  // namespace vellumark
