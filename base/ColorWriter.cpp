#include "base/ColorWriter.h"

#include <array>
#include <string>

namespace vellumark {

namespace {
struct ComponentTable {
    std::array<std::string, 256> text;
    ComponentTable() {
        char buf[kMaxRealText];
        for (int c = 0; c < 256; ++c) text[c].assign(buf, FormatPlainReal(c / 255.0, buf));
    }
};
}  // namespace

std::string_view ColorComponentText(uint8_t component) noexcept {
    static const ComponentTable table;
    return table.text[component];
}

}  // namespace vellumark
