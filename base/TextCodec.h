// Conversions between the UTF-16 strings of the engine's interface, the
// narrow Windows-1252 text kept inside the engine (and written under
// WinAnsiEncoding), and UTF-8 (file names and script sources on Linux).
#pragma once

#include <string>
#include <string_view>

namespace vellumark {

// UTF-16 to Windows-1252; characters the code page cannot hold become "?"
// (a surrogate pair counts as one character).
std::string ToAnsi(std::u16string_view text);
// Windows-1252 to UTF-16.
std::u16string FromAnsi(std::string_view text);
// The UTF-16 value of one Windows-1252 byte; the five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 control of the
// same value.
char16_t FromAnsiChar(unsigned char byte) noexcept;

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace vellumark
