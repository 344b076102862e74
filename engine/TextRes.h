// TTextLine and TPDFTextRes: a block of written lines and its last layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Resource.h"

namespace vellumark {

enum TTextAlign : uint8_t { taLeft = 0, taCenter = 1, taRight = 2 };

// One line of a text resource as written, or one run of its layout.
struct TTextLine {
    std::string Text;  // narrow (Windows-1252)
    int32_t Size = 10;  // points, as written (a size below 1 is never wrapped)
    int32_t FontNumber = 5;
    uint32_t Color = 0;
    double LineSpacing = 15.0;
    double MaxWidth = -1.0;
    double SkewX = 0;
    double SkewY = 0;
    std::string Link;
    bool LinkBorder = false;
    bool Underline = false;
    bool Continues = false;
    // Filled by the layout.
    double RunWidth = 0;
    double BaselineOffset = 0;
    double VisualLineWidth = 0;
    double XOffset = 0;
};

class TPDFTextRes : public TPDFResource {
public:
    int32_t FontNumber = 5;  // Helvetica
    int32_t Size = 10;
    uint32_t Color = 0;
    double LineSpacing = 15.0;
    uint8_t Align = taLeft;
    double MaxWidth = -1.0;
    double SkewY = 0;
    double SkewX = 0;
    int32_t LinkCount = 0;
    bool Underline = false;

    std::vector<TTextLine> Lines;  // as written
    std::vector<TTextLine> Runs;   // the last layout
};

}  // namespace vellumark
