// Comparisons that ignore the case of the ASCII letters A-Z only, as member
// names, keywords, file extensions and literal words are compared. Other
// characters must match exactly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace vellumark {

template <class Char>
constexpr Char AsciiLower(Char c) noexcept {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// a and b are equal ignoring ASCII case; b may be narrow (ASCII) text.
template <class CharA, class CharB>
constexpr bool EqualsNoCase(std::basic_string_view<CharA> a, std::basic_string_view<CharB> b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        // Narrow text compares as unsigned bytes.
        const auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<CharA>>(AsciiLower(a[i])));
        const auto d = static_cast<char32_t>(static_cast<std::make_unsigned_t<CharB>>(AsciiLower(b[i])));
        if (c != d) return false;
    }
    return true;
}

inline bool EqualsNoCase(std::u16string_view a, std::string_view b) noexcept {
    return EqualsNoCase<char16_t, char>(a, b);
}
inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept {
    return EqualsNoCase<char16_t, char16_t>(a, b);
}

// s with A-Z turned into a-z.
inline std::u16string LowerAscii(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = AsciiLower(c);
    return out;
}

}  // namespace vellumark
