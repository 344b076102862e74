// FormatReal: the one routine that turns a real number into PDF text.
//
// A magnitude below 0.0001 gives "0"; any other value is rounded to at most 15
// significant digits (exactly, half to even on the binary value, as printf
// does) and written in plain decimal notation: "." as decimal separator, a
// leading "-" when negative, no exponent, no trailing zeros and no point for
// whole values. The result never depends on the process locale.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vellumark {

// Longest text FormatReal can produce (a 309-digit whole number and a sign).
constexpr std::size_t kMaxRealText = 320;

// Writes the text into buf (room for kMaxRealText chars); returns its length.
std::size_t FormatReal(double value, char* buf) noexcept;

// Writes a value with at most 15 significant digits like FormatReal, but
// without turning small magnitudes into "0" (colour components, echoes).
std::size_t FormatPlainReal(double value, char* buf) noexcept;

std::string FormatReal(double value);

// Appends FormatReal(value) to any byte sink with append(const char*, size_t).
template <class Out>
inline void AppendReal(Out& out, double value) {
    char buf[kMaxRealText];
    out.append(buf, FormatReal(value, buf));
}

// A byte sink writing into memory the caller has made room for: no checks,
// no growing. `At` is where the next byte goes.
struct TTextCursor {
    char* At;
    void append(const char* data, std::size_t size) noexcept {
        std::memcpy(At, data, size);
        At += size;
    }
};

// Writes the text straight into the room (kMaxRealText at most).
inline void AppendReal(TTextCursor& out, double value) noexcept { out.At += FormatReal(value, out.At); }

// Appends a decimal integer.
template <class Out>
inline void AppendInt(Out& out, long long value) {
    char buf[24];
    char* end = buf + sizeof buf;
    char* p = end;
    unsigned long long u = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                     : static_cast<unsigned long long>(value);
    do {
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (value < 0) *--p = '-';
    out.append(p, static_cast<std::size_t>(end - p));
}

}  // namespace vellumark

namespace vellumark {

// Appends literal text to a byte sink.
template <class Out>
inline void AppendText(Out& out, std::string_view text) {
    out.append(text.data(), text.size());
}

}  // namespace vellumark
