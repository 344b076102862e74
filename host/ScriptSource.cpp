#include "host/ScriptSource.h"

#include "base/TextCodec.h"

namespace vellumark::host {

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

}  // namespace

std::optional<std::string_view> Utf8ScriptText(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return bytes.substr(3);
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) return std::nullopt;
    return bytes;
}

std::u16string DecodeScript(std::string_view bytes) {
    if (std::optional<std::string_view> utf8 = Utf8ScriptText(bytes)) return Utf8ToUtf16(*utf8);
    const bool little = StartsWith(bytes, "\xFF\xFE");
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

}  // namespace vellumark::host
