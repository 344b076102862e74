#include "host/ScriptSource.h"

#include <cstdint>
#include <cstring>

#include "base/TextCodec.h"

namespace vellumark::host {

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool IsUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        // ASCII eight bytes at a time.
        while (n - i >= 8) {
            uint64_t word;
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) != 0) break;
            i += 8;
        }
        if (i == n) break;
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t more = 0;
        unsigned low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (n - i <= more) return false;
        for (std::size_t k = 1; k <= more; ++k) {
            const auto d = static_cast<unsigned char>(bytes[i + k]);
            if (d < (k == 1 ? low : 0x80) || d > (k == 1 ? high : 0xBF)) return false;
        }
        i += more + 1;
    }
    return true;
}

}  // namespace

std::optional<std::string_view> Utf8ScriptText(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return bytes.substr(3);
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) return std::nullopt;
    if (!IsUtf8(bytes)) return std::nullopt;
    return bytes;
}

std::u16string DecodeScript(std::string_view bytes) {
    if (std::optional<std::string_view> utf8 = Utf8ScriptText(bytes)) return Utf8ToUtf16(*utf8);
    const bool utf16 = StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF");
    if (!utf16) return FromAnsi(bytes);
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
