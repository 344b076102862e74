#include "host/ScriptSource.h"

#include "base/TextCodec.h"

namespace vellumark::host {

std::u16string DecodeScript(std::string_view bytes) {
    auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (starts("\xEF\xBB\xBF")) return Utf8ToUtf16(bytes.substr(3));
    const bool little = starts("\xFF\xFE");
    if (little || starts("\xFE\xFF")) {
        std::u16string text;
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
            auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
            text += static_cast<char16_t>(lo | (hi << 8));
        }
        if (bytes.size() % 2 != 0) text += u'\uFFFD';  // a lone trailing byte
        return text;
    }
    return Utf8ToUtf16(bytes);
}

}  // namespace vellumark::host
