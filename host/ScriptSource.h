// Turns the bytes of a script file into its text.
#pragma once

#include <string>
#include <string_view>

namespace vellumark::host {

// UTF-8, with or without a byte order mark; UTF-16 (little- or big-endian)
// when the file starts with its byte order mark. Malformed sequences become
// U+FFFD.
std::u16string DecodeScript(std::string_view bytes);

}  // namespace vellumark::host
