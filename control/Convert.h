// Argument and result conversion of the automation layer, as automation's
// coercion does it (VariantChangeType with the English (United States)
// number conventions).
#pragma once

#include <stdexcept>
#include <string>

#include "control/HResult.h"
#include "control/MemberTable.h"
#include "control/Variant.h"

namespace vellumark {

// A value that cannot be converted: DISP_E_TYPEMISMATCH ("Type mismatch") or
// DISP_E_OVERFLOW ("Overflow").
class ECoerceError : public std::runtime_error {
public:
    ECoerceError(HRESULT hresult, const std::string& message) : std::runtime_error(message), hr_(hresult) {}
    HRESULT HResult() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// Converts an argument to a member's declared parameter type:
// Long: from a number (reals rounded half to even), a Boolean (-1 / 0), a
//   numeric string or Empty (0); out of range raises Overflow.
// Double: from a number, a Boolean, a numeric string or Empty.
// Bool: true for any non-zero number; strings "True"/"False" (any case) or
//   numeric; Empty is false.
// Color: as Long, but values up to 0xFFFFFFFF are accepted as unsigned bits.
// enumerations: as Long, then narrowed to the low 8 bits.
// BStr: a string as it is; a number's or Boolean's text (VariantText); Empty
//   and Null give the empty string.
// Variant: passed unchanged.
// Anything else raises Type mismatch.
TVariant CoerceArgument(const TVariant& value, TParamType type);

// The text a value converts to: Long in decimal; Double with at most 15
// significant digits, "." as decimal separator, no trailing zeros and no point
// for whole values (exponent form "1E+20" / "1E-05" outside 1e-5..1e15, as
// automation writes it); Boolean "True" / "False"; strings as they are;
// Empty "" ; Null "Null".
std::u16string VariantText(const TVariant& value);

}  // namespace vellumark
