// Text between the parentheses of a PDF literal string: "(", ")" and "\" are
// preceded by a backslash, every other byte is written unchanged.
#pragma once

#include <cstddef>
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

}  // namespace vellumark
