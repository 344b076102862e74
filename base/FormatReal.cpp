#include "base/FormatReal.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vellumark {

namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// 10^(i - 4): the decades from 0.0001 to 10^15.
constexpr double kDecade[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,  1e5,
                              1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr uint64_t kLow15 = 100000000000000ULL;   // 10^14
constexpr uint64_t kHigh15 = 1000000000000000ULL; // 10^15

// Writes the significant digits `digits` (count n, no leading zero) scaled by
// 10^(exp10 - n + 1), i.e. the first digit has weight 10^exp10, in plain
// notation with trailing fractional zeros removed.
std::size_t WritePlain(bool negative, const char* digits, int n, int exp10, char* buf) noexcept {
    // Drop trailing zeros of the significand; whole-number zeros come back
    // as padding below.
    while (n > 1 && digits[n - 1] == '0') --n;
    char* p = buf;
    if (negative) *p++ = '-';
    if (exp10 < 0) {
        *p++ = '0';
        *p++ = '.';
        for (int i = -1; i > exp10; --i) *p++ = '0';
        std::memcpy(p, digits, static_cast<std::size_t>(n));
        p += n;
    } else {
        const int whole = exp10 + 1;
        if (n <= whole) {
            std::memcpy(p, digits, static_cast<std::size_t>(n));
            p += n;
            for (int i = n; i < whole; ++i) *p++ = '0';
        } else {
            std::memcpy(p, digits, static_cast<std::size_t>(whole));
            p += whole;
            *p++ = '.';
            std::memcpy(p, digits + whole, static_cast<std::size_t>(n - whole));
            p += n - whole;
        }
    }
    return static_cast<std::size_t>(p - buf);
}

// Exact path for any finite value: the shortest correctly rounded 15-digit
// scientific form from the standard library, then laid out plainly.
std::size_t SlowPath(double value, char* buf) noexcept {
    char sci[64];
    auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
    // sci is "[-]d.dddddddddddddde[+-]XX"
    const char* s = sci;
    bool negative = false;
    if (*s == '-') {
        negative = true;
        ++s;
    }
    char digits[16];
    int n = 0;
    const char* q = s;
    for (; q < res.ptr && *q != 'e'; ++q)
        if (*q != '.') digits[n++] = *q;
    int exp10 = 0;
    std::from_chars(q + 1 + (q[1] == '+' ? 1 : 0), res.ptr, exp10);
    return WritePlain(negative, digits, n, exp10, buf);
}

// Rounds a * 10^k (a > 0, exact product) half to even; k in 0..22.
uint64_t RoundScaled(double a, int k) noexcept {
    const double p = kPow10[k];
    const double hi = a * p;
    const double lo = std::fma(a, p, -hi);  // a * p == hi + lo exactly
    const double r = std::nearbyint(hi);    // ties to even
    const double t = hi - r;                // exact
    auto n = static_cast<uint64_t>(r);
    if (t == 0.5) {
        if (lo > 0 || (lo == 0 && (n & 1))) ++n;
    } else if (t == -0.5) {
        if (lo < 0 || (lo == 0 && (n & 1))) --n;
    } else if (t == 0) {
        // hi was whole: lo may still carry the value across an integer or a half.
        if (lo >= 0.5 && !(lo == 0.5 && !(n & 1))) ++n;
        else if (lo <= -0.5 && !(lo == -0.5 && !(n & 1))) --n;
    }
    return n;
}

std::size_t FastPath(double value, char* buf) noexcept {
    const bool negative = value < 0;
    const double a = negative ? -value : value;
    // Decimal exponent of a; a double comparison may place a value just below
    // a power of ten one decade too high, which the digit count catches.
    int e = -4;
    while (e < 14 && a >= kDecade[e + 5]) ++e;
    uint64_t n = RoundScaled(a, 14 - e);
    if (n < kLow15) {
        if (e == -4) return SlowPath(value, buf);
        --e;
        n = RoundScaled(a, 14 - e);
    }
    if (n >= kHigh15) {  // rounded up to the next decade
        n /= 10;
        ++e;
    }
    char digits[16];
    for (int i = 14; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    return WritePlain(negative, digits, 15, e, buf);
}

}  // namespace

std::size_t FormatPlainReal(double value, char* buf) noexcept {
    if (!std::isfinite(value) || value == 0) {
        buf[0] = '0';
        return 1;
    }
    const double a = std::fabs(value);
    if (a >= 1e-4 && a < 1e15) return FastPath(value, buf);
    return SlowPath(value, buf);
}

std::size_t FormatReal(double value, char* buf) noexcept {
    if (!(std::fabs(value) >= 0.0001)) {  // also NaN
        buf[0] = '0';
        return 1;
    }
    return FormatPlainReal(value, buf);
}

std::string FormatReal(double value) {
    char buf[kMaxRealText];
    return std::string(buf, FormatReal(value, buf));
}

}  // namespace vellumark
