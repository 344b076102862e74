// TPDFFontRes: an added TrueType font, kept in the engine's font list.
#pragma once

#include <array>
#include <cstdint>

#include "engine/Resource.h"

namespace vellumark {

class TPDFFontRes : public TPDFResource {
public:
    int32_t FontNumber = 0;  // 15 for the first font added
    bool Embed = false;
    // Advance width of each character code, thousandths of an em.
    std::array<int32_t, 256> Widths{};
    std::array<bool, 256> UsedChars{};
    uint16_t FirstChar = 0;
    uint16_t LastChar = 0;
};

// Standard fonts are numbered 1..14; added fonts start at 15.
constexpr int32_t kStandardFontCount = 14;

}  // namespace vellumark
