#include "base/FormatReal.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vellumark {

namespace {

constexpr uint64_t kPow10[] = {1ULL,
                               10ULL,
                               100ULL,
                               1000ULL,
                               10000ULL,
                               100000ULL,
                               1000000ULL,
                               10000000ULL,
                               100000000ULL,
                               1000000000ULL,
                               10000000000ULL,
                               100000000000ULL,
                               1000000000000ULL,
                               10000000000000ULL,
                               100000000000000ULL,
                               1000000000000000ULL,
                               10000000000000000ULL,
                               100000000000000000ULL,
                               1000000000000000000ULL,
                               10000000000000000000ULL};
// 10^-i for i in 1..4.
constexpr double kFraction[] = {1, 1e-1, 1e-2, 1e-3, 1e-4};
constexpr uint64_t kLow15 = kPow10[14];
constexpr uint64_t kHigh15 = kPow10[15];

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Sixteen digit characters held in two words whose bytes, stored, are the
// characters in order; kept in registers until they are written.
struct TSixteen {
    uint64_t First;   // characters 0..7
    uint64_t Second;  // characters 8..15
};

constexpr bool kLittle = std::endian::native == std::endian::little;
static_assert(kLittle || std::endian::native == std::endian::big);
constexpr uint64_t kZeroChars = 0x3030303030303030ULL;

// The eight digits of u (u < 10^8), leading zeros included.
uint64_t EightDigits(uint32_t u) noexcept {
    const uint32_t high = u / 10000, low = u % 10000;
    auto pair = [](uint32_t v) {
        uint16_t two;
        std::memcpy(&two, kDigitPairs + v * 2, 2);
        return uint64_t{two};
    };
    const uint64_t a = pair(high / 100), b = pair(high % 100), c = pair(low / 100), d = pair(low % 100);
    if constexpr (kLittle) return a | b << 16 | c << 32 | d << 48;
    return a << 48 | b << 32 | c << 16 | d;
}

// The sixteen digits of u (u < 10^16), leading zeros included.
TSixteen SixteenDigits(uint64_t u) noexcept {
    return {EightDigits(static_cast<uint32_t>(u / 100000000)), EightDigits(static_cast<uint32_t>(u % 100000000))};
}

// How many '0' characters end the sixteen (at least one is another digit).
int TrailingZeroChars(TSixteen s) noexcept {
    if constexpr (kLittle) {
        if (s.Second != kZeroChars) return std::countl_zero(s.Second ^ kZeroChars) / 8;
        return 8 + std::countl_zero(s.First ^ kZeroChars) / 8;
    } else {
        if (s.Second != kZeroChars) return std::countr_zero(s.Second ^ kZeroChars) / 8;
        return 8 + std::countr_zero(s.First ^ kZeroChars) / 8;
    }
}

// Writes 16 bytes at p: the characters from `skip` (1..15) on, then filler.
void WriteFrom(char* p, TSixteen s, int skip) noexcept {
    uint64_t first, second;
    const int bits = skip * 8;
    if constexpr (kLittle) {
        first = skip < 8 ? s.First >> bits | s.Second << (64 - bits) : s.Second >> (bits - 64);
        second = skip < 8 ? s.Second >> bits : 0;
    } else {
        first = skip < 8 ? s.First << bits | s.Second >> (64 - bits) : s.Second << (bits - 64);
        second = skip < 8 ? s.Second << bits : 0;
    }
    std::memcpy(p, &first, 8);
    std::memcpy(p + 8, &second, 8);
}

// Number of decimal digits of u (u < 10^19).
int DigitCount(uint64_t u) noexcept {
    // 1233 / 4096 is just above log10(2): a first guess from the bit length
    // that is at most one too low.
    const int n = ((64 - std::countl_zero(u)) * 1233) >> 12;
    if (n == 0) return 1;
    return n + (u >= kPow10[n] ? 1 : 0);
}

// Writes u (1 <= u < 10^16) without leading zeros into p, which has room
// for 16 bytes; answers the end.
char* WriteWhole(char* p, uint64_t u) noexcept {
    const int n = DigitCount(u);
    if (n == 16) {
        const TSixteen s = SixteenDigits(u);
        std::memcpy(p, &s.First, 8);
        std::memcpy(p + 8, &s.Second, 8);
    } else {
        WriteFrom(p, SixteenDigits(u), 16 - n);
    }
    return p + n;
}

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

// The 128-bit product of a and b as hi:lo.
void Multiply(uint64_t a, uint64_t b, uint64_t& hi, uint64_t& lo) noexcept {
#if defined(__SIZEOF_INT128__)
    __extension__ using TUint128 = unsigned __int128;
    const TUint128 p = static_cast<TUint128>(a) * b;
    hi = static_cast<uint64_t>(p >> 64);
    lo = static_cast<uint64_t>(p);
#else
    const uint64_t a0 = a & 0xFFFFFFFF, a1 = a >> 32;
    const uint64_t b0 = b & 0xFFFFFFFF, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFF) + (p10 & 0xFFFFFFFF);
    lo = (mid << 32) | (p00 & 0xFFFFFFFF);
    hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
#endif
}

// m * 2^-shift * 10^k rounded to a whole number, half to even; m < 2^53,
// shift in 1..127, k in 0..19, and the result below 2^64.
uint64_t RoundScaled(uint64_t m, int shift, int k) noexcept {
    uint64_t hi, lo;
    Multiply(m, kPow10[k], hi, lo);
    uint64_t n;
    bool above, half;  // the dropped bits: more than one half, exactly one half
    if (shift < 64) {
        n = (hi << (64 - shift)) | (lo >> shift);
        const uint64_t rest = lo & ((uint64_t{1} << shift) - 1);
        const uint64_t mid = uint64_t{1} << (shift - 1);
        above = rest > mid;
        half = rest == mid;
    } else if (shift == 64) {
        n = hi;
        above = lo > (uint64_t{1} << 63);
        half = lo == (uint64_t{1} << 63);
    } else {
        const int s = shift - 64;
        n = hi >> s;
        const uint64_t rest = hi & ((uint64_t{1} << s) - 1);
        const uint64_t mid = uint64_t{1} << (s - 1);
        above = rest > mid || (rest == mid && lo != 0);
        half = rest == mid && lo == 0;
    }
    if (above || (half && (n & 1))) ++n;
    return n;
}

// Magnitudes from 0.0001 to below 10^15. Whole numbers are written as they
// are; any other value is m * 2^-shift exactly, so its 15 significant digits
// are the product m * 10^k shifted right and rounded, in integers.
std::size_t FastPath(double value, char* buf) noexcept {
    char* p = buf;
    double a = value;
    if (a < 0) {
        *p++ = '-';
        a = -a;
    }
    const auto whole = static_cast<uint64_t>(static_cast<int64_t>(a));
    if (static_cast<double>(whole) == a) return static_cast<std::size_t>(WriteWhole(p, whole) - buf);

    // a = m * 2^-shift exactly; a < 2^50 and a >= 2^-14 keep shift in 3..66.
    uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const int shift = 1075 - static_cast<int>(bits >> 52);

    if (whole != 0) {
        // e + 1 whole digits, 14 - e of fraction.
        const int digits = DigitCount(whole);
        const int frac = 15 - digits;
        const uint64_t n = RoundScaled(m, shift, frac);
        if (n >= kHigh15) return static_cast<std::size_t>(WriteWhole(p, kPow10[digits]) - buf);  // carried
        const TSixteen d = SixteenDigits(n);  // a leading '0', then 15 digits
        WriteFrom(p, d, 1);
        p += digits;
        const int shown = frac - TrailingZeroChars(d);
        if (shown > 0) {
            *p++ = '.';
            WriteFrom(p, d, 1 + digits);
            p += shown;
        }
        return static_cast<std::size_t>(p - buf);
    }

    // Below 1: the first significant digit has weight 10^e, e in -4..-1.
    int e = -1;
    while (e > -4 && a < kFraction[-e]) --e;
    uint64_t n = RoundScaled(m, shift, 14 - e);
    if (n < kLow15) {
        if (e == -4) return SlowPath(value, buf);
        --e;
        n = RoundScaled(m, shift, 14 - e);
    }
    if (n >= kHigh15) {
        if (n > kHigh15) return SlowPath(value, buf);
        n = kLow15;  // rounded up to the next decade
        ++e;
    }
    if (e == 0) {
        *p++ = '1';
        return static_cast<std::size_t>(p - buf);
    }
    *p++ = '0';
    *p++ = '.';
    for (int i = -1; i > e; --i) *p++ = '0';
    const TSixteen d = SixteenDigits(n);
    WriteFrom(p, d, 1);
    p += 15 - TrailingZeroChars(d);
    return static_cast<std::size_t>(p - buf);
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
