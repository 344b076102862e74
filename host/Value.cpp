#include "host/Value.h"

#include <cmath>
#include <limits>

#include "control/Convert.h"

namespace vellumark::host {

namespace {

[[noreturn]] void Raise(int32_t number) { throw ERuntimeError::Host(number); }

// Runs one of the automation layer's conversions, reporting its failure as
// the host's Type mismatch or Overflow.
template <typename F>
auto Coerce(F&& convert) {
    try {
        return convert();
    } catch (const ECoerceError& e) {
        Raise(e.HResult() == hr::kOverflow ? rt::kOverflow : rt::kTypeMismatch);
    }
}

void CheckUsable(const TVariant& v) {
    if (v.vt == TVarType::Null) Raise(rt::kInvalidNull);
    if (v.vt == TVarType::ByteArray) Raise(rt::kTypeMismatch);
}

TVariant FiniteDouble(double d) {
    if (!std::isfinite(d)) Raise(rt::kOverflow);
    return TVariant::Double(d);
}

// A Long when the exact result fits 32 bits, else a Double.
TVariant LongOrDouble(int64_t v) {
    if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
        return TVariant::Long(static_cast<int32_t>(v));
    return TVariant::Double(static_cast<double>(v));
}

double AsDouble(const TVariant& number) { return number.vt == TVarType::I4 ? number.lVal : number.dblVal; }

TVariant Arithmetic(TBinaryOp op, const TVariant& left, const TVariant& right) {
    TVariant a = ToNumber(left);
    TVariant b = ToNumber(right);
    if (a.vt == TVarType::I4 && b.vt == TVarType::I4) {
        int64_t x = a.lVal, y = b.lVal;
        switch (op) {
            case TBinaryOp::Add: return LongOrDouble(x + y);
            case TBinaryOp::Subtract: return LongOrDouble(x - y);
            case TBinaryOp::Multiply: return LongOrDouble(x * y);
            default: break;
        }
    }
    double x = AsDouble(a), y = AsDouble(b);
    switch (op) {
        case TBinaryOp::Add: return FiniteDouble(x + y);
        case TBinaryOp::Subtract: return FiniteDouble(x - y);
        case TBinaryOp::Multiply: return FiniteDouble(x * y);
        case TBinaryOp::Divide:
            if (y == 0) Raise(x == 0 ? rt::kOverflow : rt::kDivisionByZero);
            return FiniteDouble(x / y);
        case TBinaryOp::Power: {
            double r = std::pow(x, y);
            if (std::isnan(r)) Raise(rt::kInvalidCall);
            return FiniteDouble(r);
        }
        default: break;
    }
    Raise(rt::kInternal);
}

TVariant IntegerArithmetic(TBinaryOp op, const TVariant& left, const TVariant& right) {
    CheckUsable(left);
    CheckUsable(right);
    int32_t x = ToLong(left);
    int32_t y = ToLong(right);
    if (y == 0) Raise(rt::kDivisionByZero);
    if (op == TBinaryOp::Mod) return TVariant::Long(y == -1 ? 0 : x % y);
    if (x == std::numeric_limits<int32_t>::min() && y == -1) Raise(rt::kOverflow);
    return TVariant::Long(x / y);
}

TVariant Logical(TBinaryOp op, const TVariant& left, const TVariant& right) {
    CheckUsable(left);
    CheckUsable(right);
    if (left.vt == TVarType::Bool && right.vt == TVarType::Bool) {
        bool a = left.boolVal, b = right.boolVal;
        switch (op) {
            case TBinaryOp::And: return TVariant::Bool(a && b);
            case TBinaryOp::Or: return TVariant::Bool(a || b);
            default: return TVariant::Bool(a != b);
        }
    }
    int32_t a = ToLong(left), b = ToLong(right);
    switch (op) {
        case TBinaryOp::And: return TVariant::Long(a & b);
        case TBinaryOp::Or: return TVariant::Long(a | b);
        default: return TVariant::Long(a ^ b);
    }
}

// -1, 0 or 1 by the language's rules: numbers numerically, strings by code
// unit, a number is less than any string, Empty is 0 against a number and ""
// against a string.
int Compare(const TVariant& left, const TVariant& right) {
    CheckUsable(left);
    CheckUsable(right);
    const bool ls = left.vt == TVarType::BStr, rs = right.vt == TVarType::BStr;
    const bool le = left.vt == TVarType::Empty, re = right.vt == TVarType::Empty;
    if (ls || rs) {
        if (ls && !rs && !re) return 1;
        if (rs && !ls && !le) return -1;
        std::u16string_view a = ls ? std::u16string_view(left.bstrVal) : std::u16string_view();
        std::u16string_view b = rs ? std::u16string_view(right.bstrVal) : std::u16string_view();
        int c = a.compare(b);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    double a = AsDouble(ToNumber(left)), b = AsDouble(ToNumber(right));
    return a < b ? -1 : (a > b ? 1 : 0);
}

TVariant Concat(const TVariant& left, const TVariant& right, std::size_t maxLength) {
    if (left.vt == TVarType::ByteArray || right.vt == TVarType::ByteArray) Raise(rt::kTypeMismatch);
    // Null joins as nothing.
    std::u16string a = left.vt == TVarType::Null ? std::u16string() : ToText(left);
    std::u16string b = right.vt == TVarType::Null ? std::u16string() : ToText(right);
    if (a.size() > maxLength || b.size() > maxLength - a.size()) Raise(rt::kOutOfMemory);
    a += b;
    return TVariant::String(std::move(a));
}

}  // namespace

std::u16string RuntimeMessage(int32_t number) {
    switch (number) {
        case rt::kInvalidCall: return u"Invalid procedure call or argument";
        case rt::kOverflow: return u"Overflow";
        case rt::kOutOfMemory: return u"Out of memory";
        case rt::kSubscript: return u"Subscript out of range";
        case rt::kOutOfStack: return u"Out of stack space";
        case rt::kBadFileMode: return u"Bad file mode";
        case rt::kPastEnd: return u"Input past end of file";
        case rt::kDivisionByZero: return u"Division by zero";
        case rt::kTypeMismatch: return u"Type mismatch";
        case rt::kInternal: return u"Internal error";
        case rt::kFileNotFound: return u"File not found";
        case rt::kPermissionDenied: return u"Permission denied";
        case rt::kFileAccess: return u"Path/File access error";
        case rt::kObjectNotSet: return u"Object variable not set";
        case rt::kInvalidNull: return u"Invalid use of Null";
        case rt::kObjectRequired: return u"Object required";
        case rt::kCannotCreate: return u"ActiveX component can't create object";
        case rt::kNoSuchMember: return u"Object doesn't support this property or method";
        case rt::kArgNotOptional: return u"Argument not optional";
        case rt::kWrongArgs: return u"Wrong number of arguments or invalid property assignment";
        case rt::kUndefined: return u"Variable is undefined";
        default: return u"Unknown runtime error";
    }
}

const TVariant& DataOf(const TValue& value) {
    if (value.isObject) Raise(value.IsNothing() ? rt::kObjectNotSet : rt::kNoSuchMember);
    if (value.array) Raise(rt::kTypeMismatch);
    return value.data;
}

int32_t ToLong(const TVariant& value) {
    return Coerce([&] { return CoerceArgument(value, TParamType::Long).lVal; });
}

double ToDouble(const TVariant& value) {
    return Coerce([&] { return CoerceArgument(value, TParamType::Double).dblVal; });
}

bool ToBool(const TVariant& value) {
    CheckUsable(value);
    return Coerce([&] { return CoerceArgument(value, TParamType::Bool).boolVal; });
}

std::u16string ToText(const TVariant& value) {
    return Coerce([&] { return VariantText(value); });
}

bool IsNumeric(const TVariant& value) {
    return value.vt == TVarType::I4 || value.vt == TVarType::R8 || value.vt == TVarType::Bool ||
           value.vt == TVarType::Empty;
}

TVariant ToNumber(const TVariant& value) {
    switch (value.vt) {
        case TVarType::Empty: return TVariant::Long(0);
        case TVarType::I4: return value;
        case TVarType::R8: return value;
        case TVarType::Bool: return TVariant::Long(value.boolVal ? -1 : 0);
        case TVarType::BStr: return TVariant::Double(ToDouble(value));
        case TVarType::Null: Raise(rt::kInvalidNull);
        case TVarType::ByteArray: break;
    }
    Raise(rt::kTypeMismatch);
}

TVariant Negate(const TVariant& value) {
    TVariant n = ToNumber(value);
    if (n.vt == TVarType::I4) return LongOrDouble(-static_cast<int64_t>(n.lVal));
    return TVariant::Double(-n.dblVal);
}

TVariant LogicalNot(const TVariant& value) {
    CheckUsable(value);
    if (value.vt == TVarType::Bool) return TVariant::Bool(!value.boolVal);
    return TVariant::Long(~ToLong(value));
}

TVariant BinaryOperation(TBinaryOp op, const TVariant& left, const TVariant& right, std::size_t maxLength) {
    switch (op) {
        case TBinaryOp::Add: {
            // + of two strings joins them; Empty leaves a string as it is.
            const bool ls = left.vt == TVarType::BStr, rs = right.vt == TVarType::BStr;
            if (ls && rs) return Concat(left, right, maxLength);
            if (ls && right.vt == TVarType::Empty) return left;
            if (rs && left.vt == TVarType::Empty) return right;
            return Arithmetic(op, left, right);
        }
        case TBinaryOp::Subtract:
        case TBinaryOp::Multiply:
        case TBinaryOp::Divide:
        case TBinaryOp::Power: return Arithmetic(op, left, right);
        case TBinaryOp::IntDivide:
        case TBinaryOp::Mod: return IntegerArithmetic(op, left, right);
        case TBinaryOp::Concat: return Concat(left, right, maxLength);
        case TBinaryOp::Equal: return TVariant::Bool(Compare(left, right) == 0);
        case TBinaryOp::NotEqual: return TVariant::Bool(Compare(left, right) != 0);
        case TBinaryOp::Less: return TVariant::Bool(Compare(left, right) < 0);
        case TBinaryOp::Greater: return TVariant::Bool(Compare(left, right) > 0);
        case TBinaryOp::LessEqual: return TVariant::Bool(Compare(left, right) <= 0);
        case TBinaryOp::GreaterEqual: return TVariant::Bool(Compare(left, right) >= 0);
        case TBinaryOp::And:
        case TBinaryOp::Or:
        case TBinaryOp::Xor: return Logical(op, left, right);
    }
    Raise(rt::kInternal);
}

double RoundHalfEven(double x) {
    double r = std::floor(x);
    double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    return r;
}

}  // namespace vellumark::host
