// Records the content writer collects for a page: link annotations and
// underlines.
#pragma once

#include <cstdint>
#include <string>

namespace vellumark {

struct TLink {
    std::string URI;
    int32_t Left = 0;
    int32_t Bottom = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    bool Border = false;
};

struct TUnderline {
    double X = 0;
    double Y = 0;
    double Width = 0;
    double Height = 0;
    uint32_t Color = 0;
};

}  // namespace vellumark
