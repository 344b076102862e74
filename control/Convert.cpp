#include "base/NoCase.h"
#include "control/Convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

namespace vellumark {

namespace {

[[noreturn]] void TypeMismatch() { throw ECoerceError(hr::kTypeMismatch, "Type mismatch"); }
[[noreturn]] void Overflow() { throw ECoerceError(hr::kOverflow, "Overflow"); }

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}


int DigitValue(char16_t c, int base) {
    int v = -1;
    if (c >= u'0' && c <= u'9')
        v = c - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c - u'A' + 10;
    return v < base ? v : -1;
}

// A number read from a string. Hexadecimal and octal strings ("&H1F",
// "&O17") give an unsigned value of at most 32 bits, which a Long target takes
// as its bit pattern.
struct TParsedNumber {
    double value = 0;
    bool radix = false;
};

// The power of ten of the leading digit of a well-formed decimal number
// ("-0.00012e5" gives 1), saturated far beyond the range of a double.
long DecimalExponent(std::string_view number) {
    size_t e = number.find('e');
    std::string_view mantissa = number.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = number.substr(e + 1);
        bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
        for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1000000L);
        if (negative) exponent = -exponent;
    }
    size_t point = mantissa.find('.');
    if (point == std::string_view::npos) point = mantissa.size();
    size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return -1000000L;  // zero
    long lead = first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
    return lead + exponent;
}

// Reads a number written in the English (United States) conventions: blanks
// around it, an optional sign, digits with "," as thousands separator, "." as
// decimal point and an optional exponent; or "&H"/"&O" followed by digits.
// Anything else is a type mismatch; a decimal number too large for a double
// is an overflow.
TParsedNumber ParseNumber(std::u16string_view text) {
    std::u16string_view s = Trim(text);
    if (s.size() >= 2 && s[0] == u'&') {
        int base = 0;
        if (s[1] == u'H' || s[1] == u'h') base = 16;
        if (s[1] == u'O' || s[1] == u'o') base = 8;
        if (base == 0 || s.size() == 2) TypeMismatch();
        uint64_t v = 0;
        for (char16_t c : s.substr(2)) {
            int d = DigitValue(c, base);
            if (d < 0) TypeMismatch();
            v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFu) Overflow();
        }
        return {static_cast<double>(v), true};
    }

    // Copy to plain ASCII without the thousands separators, checking the form.
    std::string ascii;
    size_t i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ascii += static_cast<char>(s[i++]);
    size_t digits = 0;
    for (; i < s.size(); ++i) {
        if (s[i] >= u'0' && s[i] <= u'9') {
            ascii += static_cast<char>(s[i]);
            ++digits;
        } else if (s[i] == u',' && digits > 0) {
            continue;
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == u'.') {
        ascii += '.';
        for (++i; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
            ascii += static_cast<char>(s[i]);
            ++digits;
        }
    }
    if (digits == 0) TypeMismatch();
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ascii += static_cast<char>(s[i++]);
        size_t expDigits = 0;
        for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i, ++expDigits) ascii += static_cast<char>(s[i]);
        if (expDigits == 0) TypeMismatch();
    }
    if (i != s.size()) TypeMismatch();

    const char* first = ascii.data();
    if (*first == '+') ++first;  // from_chars takes no plus sign
    double value = 0;
    auto [end, ec] = std::from_chars(first, ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large is an overflow; too small underflows to zero.
        if (DecimalExponent(ascii) > 0) Overflow();
        return {0.0, false};
    }
    if (ec != std::errc() || end != ascii.data() + ascii.size()) TypeMismatch();
    return {value, false};
}

// Rounds half to even, as automation does for reals converted to integers.
double RoundHalfEven(double x) {
    double r = std::floor(x);
    double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    return r;
}

// The whole number a value stands for, before any range check of the target.
// Hexadecimal strings give their unsigned value.
TParsedNumber WholeNumber(const TVariant& v) {
    switch (v.vt) {
        case TVarType::Empty: return {0, false};
        case TVarType::I4: return {static_cast<double>(v.lVal), false};
        case TVarType::Bool: return {v.boolVal ? -1.0 : 0.0, false};
        case TVarType::R8:
            if (std::isnan(v.dblVal)) Overflow();
            return {RoundHalfEven(v.dblVal), false};
        case TVarType::BStr: {
            TParsedNumber n = ParseNumber(v.bstrVal);
            n.value = RoundHalfEven(n.value);
            return n;
        }
        default: TypeMismatch();
    }
}

int32_t ToLong(const TVariant& v) {
    TParsedNumber n = WholeNumber(v);
    if (n.radix && n.value > 2147483647.0) return static_cast<int32_t>(static_cast<uint32_t>(n.value));
    if (n.value < -2147483648.0 || n.value > 2147483647.0) Overflow();
    return static_cast<int32_t>(n.value);
}

int32_t ToColor(const TVariant& v) {
    TParsedNumber n = WholeNumber(v);
    if (n.value < -2147483648.0 || n.value > 4294967295.0) Overflow();
    if (n.value < 0) return static_cast<int32_t>(n.value);
    return static_cast<int32_t>(static_cast<uint32_t>(n.value));
}

double ToDouble(const TVariant& v) {
    switch (v.vt) {
        case TVarType::Empty: return 0;
        case TVarType::I4: return v.lVal;
        case TVarType::R8: return v.dblVal;
        case TVarType::Bool: return v.boolVal ? -1.0 : 0.0;
        case TVarType::BStr: return ParseNumber(v.bstrVal).value;
        default: TypeMismatch();
    }
}

bool ToBool(const TVariant& v) {
    switch (v.vt) {
        case TVarType::Empty: return false;
        case TVarType::I4: return v.lVal != 0;
        case TVarType::R8: return v.dblVal != 0;
        case TVarType::Bool: return v.boolVal;
        case TVarType::BStr: {
            std::u16string_view s = Trim(v.bstrVal);
            if (EqualsNoCase(s, "true")) return true;
            if (EqualsNoCase(s, "false")) return false;
            return ParseNumber(s).value != 0;
        }
        default: TypeMismatch();
    }
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string DoubleText(double value) {
    if (value == 0) return u"0";  // also -0
    if (std::isnan(value)) return u"NaN";
    if (std::isinf(value)) return value < 0 ? u"-Infinity" : u"Infinity";
    // %.15G: 15 significant digits, trailing zeros dropped, exponent form for
    // exponents below -4 or from 15 on, with at least two exponent digits.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc()) return u"0";
    std::u16string out;
    for (const char* p = buf; p != end; ++p) out += static_cast<char16_t>(*p == 'e' ? 'E' : *p);
    return out;
}

}  // namespace

TVariant CoerceArgument(const TVariant& value, TParamType type) {
    switch (type) {
        case TParamType::Long: return TVariant::Long(ToLong(value));
        case TParamType::Double: return TVariant::Double(ToDouble(value));
        case TParamType::Bool: return TVariant::Bool(ToBool(value));
        case TParamType::Color: return TVariant::Long(ToColor(value));
        case TParamType::CompressFormat:
        case TParamType::PageSize:
        case TParamType::UnitsMeas:
        case TParamType::TextAlign: return TVariant::Long(ToLong(value) & 0xFF);
        case TParamType::BStr:
            if (value.vt == TVarType::BStr) return value;
            if (value.vt == TVarType::Empty || value.vt == TVarType::Null) return TVariant::String({});
            return TVariant::String(VariantText(value));
        case TParamType::Variant: return value;
        case TParamType::None: break;
    }
    TypeMismatch();
}

std::u16string VariantText(const TVariant& value) {
    switch (value.vt) {
        case TVarType::Empty: return {};
        case TVarType::Null: return u"Null";
        case TVarType::I4: return Widen(std::to_string(value.lVal));
        case TVarType::R8: return DoubleText(value.dblVal);
        case TVarType::Bool: return value.boolVal ? u"True" : u"False";
        case TVarType::BStr: return value.bstrVal;
        case TVarType::ByteArray: break;
    }
    // An array has no text.
    TypeMismatch();
}

}  // namespace vellumark
