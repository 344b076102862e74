// Turns the bytes of a script file into its text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellumark::host {

// UTF-8, with or without a byte order mark; UTF-16 (little- or big-endian)
// when the file starts with its byte order mark; otherwise, when the bytes
// are not UTF-8, Windows-1252 (as Windows reads a script saved in its ANSI
// code page). Malformed sequences after a UTF-8 byte order mark become
// U+FFFD.
std::u16string DecodeScript(std::string_view bytes);

// The UTF-8 text of a script file's bytes, its byte order mark left out; none
// when the file is UTF-16 or Windows-1252.
std::optional<std::string_view> Utf8ScriptText(std::string_view bytes);

}  // namespace vellumark::host
