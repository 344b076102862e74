// Text between the parentheses of a PDF literal string: "(", ")" and "\" are
// preceded by a backslash, every other byte is written unchanged.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace vellumark {

template <class Out>
inline void AppendEscaped(Out& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '(' || c == ')' || c == '\\') {
            out.append(text.data() + start, i - start);
            out.append("\\", 1);
            start = i;
        }
    }
    out.append(text.data() + start, text.size() - start);
}

// A name as a PDF name object's bytes: anything but regular printable
// characters is written #xx.
template <class Out>
inline void AppendName(Out& out, std::string_view name) {
    static const char* const hex = "0123456789ABCDEF";
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        bool regular = c >= 33 && c <= 126 && !std::strchr("()<>[]{}/%#", c);
        if (regular) {
            out.append(&ch, 1);
        } else {
            char esc[3] = {'#', hex[c >> 4], hex[c & 15]};
            out.append(esc, 3);
        }
    }
}

}  // namespace vellumark
