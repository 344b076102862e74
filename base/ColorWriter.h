// WriteFillColor / WriteStrokeColor: an OLE colour (0x00BBGGRR) as its red,
// green and blue bytes each divided by 255, then " rg" or " RG" and a CR.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/FormatReal.h"

namespace vellumark {

// Text of component / 255 for each byte value (0 gives "0", 255 gives "1",
// 128 gives "0.501960784313725").
std::string_view ColorComponentText(uint8_t component) noexcept;

template <class Out>
inline void AppendColorComponents(Out& out, uint32_t color) {
    std::string_view r = ColorComponentText(static_cast<uint8_t>(color & 0xFF));
    std::string_view g = ColorComponentText(static_cast<uint8_t>((color >> 8) & 0xFF));
    // The blue component is the colour divided by 65536; colours with the top
    // byte set (system colour indexes) are not translated.
    uint32_t blue = color >> 16;
    out.append(r.data(), r.size());
    out.append(" ", 1);
    out.append(g.data(), g.size());
    out.append(" ", 1);
    if (blue <= 0xFF) {
        std::string_view b = ColorComponentText(static_cast<uint8_t>(blue));
        out.append(b.data(), b.size());
    } else {
        char buf[kMaxRealText];
        out.append(buf, FormatPlainReal(blue / 255.0, buf));
    }
}

template <class Out>
inline void WriteFillColor(Out& out, uint32_t color) {
    AppendColorComponents(out, color);
    out.append(" rg\r", 4);
}

template <class Out>
inline void WriteStrokeColor(Out& out, uint32_t color) {
    AppendColorComponents(out, color);
    out.append(" RG\r", 4);
}

}  // namespace vellumark
