// Script values and the language's operators on them: arithmetic with Long
// results promoted to Double on overflow, string concatenation, comparison,
// logical and bitwise operators, and the conversions they rely on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/PDFDocImpl1.h"
#include "control/Variant.h"
#include "host/Ast.h"

namespace vellumark::host {

// Source of the errors the host raises itself.
inline constexpr const char16_t* kRuntimeSource = u"Vellumark runtime";

// Numbers of the host's own runtime errors (the language's numbering).
namespace rt {
constexpr int32_t kInvalidCall = 5;
constexpr int32_t kOverflow = 6;
constexpr int32_t kOutOfMemory = 7;
constexpr int32_t kSubscript = 9;
constexpr int32_t kDivisionByZero = 11;
constexpr int32_t kTypeMismatch = 13;
constexpr int32_t kInternal = 51;
constexpr int32_t kOutOfStack = 28;
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kBadFileMode = 54;
constexpr int32_t kPastEnd = 62;
constexpr int32_t kPermissionDenied = 70;
constexpr int32_t kFileAccess = 75;
constexpr int32_t kObjectNotSet = 91;
constexpr int32_t kInvalidNull = 94;
constexpr int32_t kObjectRequired = 424;
constexpr int32_t kCannotCreate = 429;
constexpr int32_t kNoSuchMember = 438;
constexpr int32_t kArgNotOptional = 449;
constexpr int32_t kWrongArgs = 450;
constexpr int32_t kUndefined = 500;
}  // namespace rt

// The message of a runtime error number, or "Unknown runtime error".
std::u16string RuntimeMessage(int32_t number);

// A runtime error: number, description and source as Err shows them, and an
// optional name that the printed message adds in quotes.
class ERuntimeError : public std::runtime_error {
public:
    ERuntimeError(int32_t number, std::u16string description, std::u16string source, std::u16string name = {})
        : std::runtime_error("runtime error"),
          number_(number),
          description_(std::move(description)),
          source_(std::move(source)),
          name_(std::move(name)) {}

    // One of the host's own errors, with its standard message.
    static ERuntimeError Host(int32_t number, std::u16string name = {}) {
        return ERuntimeError(number, RuntimeMessage(number), kRuntimeSource, std::move(name));
    }

    int32_t Number() const noexcept { return number_; }
    const std::u16string& Description() const noexcept { return description_; }
    const std::u16string& Source() const noexcept { return source_; }
    const std::u16string& Name() const noexcept { return name_; }

private:
    int32_t number_;
    std::u16string description_;
    std::u16string source_;
    std::u16string name_;
};

struct TArrayValue;
class THostObject;

// A script value: plain data, an array, or a reference to an object (Nothing
// when the reference is empty): a control object or one of the host's own.
// An array is shared by the values that hold it until one of them changes it.
struct TValue {
    TVariant data;
    std::shared_ptr<TPDFDoc> object;
    std::shared_ptr<THostObject> host;
    std::shared_ptr<TArrayValue> array;
    bool isObject = false;
    bool isDate = false;  // data is a Double counting days from 30 December 1899

    static TValue Data(TVariant v) {
        TValue r;
        r.data = std::move(v);
        return r;
    }
    static TValue Object(std::shared_ptr<TPDFDoc> doc) {
        TValue r;
        r.object = std::move(doc);
        r.isObject = true;
        return r;
    }
    static TValue Nothing() { return Object(nullptr); }
    static TValue Host(std::shared_ptr<THostObject> object) {
        TValue r;
        r.host = std::move(object);
        r.isObject = true;
        return r;
    }
    bool IsNothing() const { return isObject && !object && !host; }
};

// An array: its upper bounds (the lower ones are 0) and its elements, the
// first index running fastest.
struct TArrayValue {
    std::vector<int32_t> upper;
    std::vector<TValue> items;
};

// The most elements an array may hold.
inline constexpr std::size_t kMaxArrayElements = std::size_t{1} << 20;

// An object of the host's own (not the control's).
class THostObject {
public:
    virtual ~THostObject() = default;
};

// The data of a value; an object has none (it has no default property).
const TVariant& DataOf(const TValue& value);

// Conversions as the language's CLng, CDbl, CBool and CStr make them.
int32_t ToLong(const TVariant& value);
double ToDouble(const TVariant& value);
bool ToBool(const TVariant& value);
std::u16string ToText(const TVariant& value);

// A number for arithmetic: Empty is 0, a Boolean -1 or 0, a numeric string
// its value as a Double.
TVariant ToNumber(const TVariant& value);
bool IsNumeric(const TVariant& value);

TVariant Negate(const TVariant& value);
TVariant LogicalNot(const TVariant& value);

// A binary operator on two values. Strings longer than maxLength characters
// (from & or + of two strings) raise Out of memory.
TVariant BinaryOperation(TBinaryOp op, const TVariant& left, const TVariant& right, std::size_t maxLength);

// Rounds half to even.
double RoundHalfEven(double x);

}  // namespace vellumark::host
