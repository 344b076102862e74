#include "base/TextCodec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vellumark {

namespace {

// Code points of the bytes 0x80..0x9F in Windows-1252; the five bytes the
// code page leaves undefined map to the C1 controls of the same value, as the
// system conversion does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToAnsiChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

void PutUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void PutUtf16(std::u16string& out, uint32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string ToAnsi(std::u16string_view text) {
    // ASCII as it stands, eight units at a time, up to the first unit past
    // it.
    const std::size_t n = text.size();
    std::string out(n, '\0');
    std::size_t ascii = 0;
    for (; n - ascii >= 8; ascii += 8) {
        uint64_t low, high;
        std::memcpy(&low, text.data() + ascii, sizeof low);
        std::memcpy(&high, text.data() + ascii + 4, sizeof high);
        if (((low | high) & 0xFF80FF80FF80FF80ULL) != 0) break;
        for (std::size_t k = 0; k < 8; ++k) out[ascii + k] = static_cast<char>(text[ascii + k]);
    }
    for (; ascii < n && text[ascii] < 0x80; ++ascii) out[ascii] = static_cast<char>(text[ascii]);
    if (ascii == n) return out;
    out.resize(ascii);
    for (std::size_t i = ascii; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) ++i;
        out += ToAnsiChar(c);
    }
    return out;
}

char16_t FromAnsiChar(unsigned char byte) noexcept {
    return (byte >= 0x80 && byte < 0xA0) ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
}

std::u16string FromAnsi(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char ch : text) out += FromAnsiChar(static_cast<unsigned char>(ch));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            PutUtf8(out, 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHigh(c) || IsLow(c)) {
            PutUtf8(out, 0xFFFD);
        } else {
            PutUtf8(out, c);
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        auto b0 = static_cast<unsigned char>(text[i]);
        uint32_t cp;
        int len;
        if (b0 < 0x80) { cp = b0; len = 1; }
        else if (b0 >= 0xC2 && b0 <= 0xDF) { cp = b0 & 0x1F; len = 2; }
        else if (b0 >= 0xE0 && b0 <= 0xEF) { cp = b0 & 0x0F; len = 3; }
        else if (b0 >= 0xF0 && b0 <= 0xF4) { cp = b0 & 0x07; len = 4; }
        else { out += char16_t(0xFFFD); ++i; continue; }
        if (i + len > n) { out += char16_t(0xFFFD); ++i; continue; }
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (b & 0x3F);
        }
        if (ok) {
            // Overlong forms, surrogates and values past U+10FFFF are malformed.
            static constexpr uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
            if (cp < kMin[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) ok = false;
        }
        if (!ok) { out += char16_t(0xFFFD); ++i; continue; }
        PutUtf16(out, cp);
        i += static_cast<std::size_t>(len);
    }
    return out;
}

}  // namespace vellumark
