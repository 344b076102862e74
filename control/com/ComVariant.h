// Conversion between the system's VARIANT and the control's TVariant.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "control/Variant.h"

namespace vellumark::com {

// The system's HRESULT, not the portable one of the automation layer.
using ::HRESULT;

// The TVariant form of a caller's VARIANT, which is only read: references
// are followed; integers of every width become I4 (R8 when they do not fit),
// reals, currency, dates and decimals R8; byte arrays (and arrays of values
// convertible to bytes) ByteArray. False for a value with no such form
// (objects, errors, other arrays).
bool FromVariant(const VARIANT& value, TVariant& out);

// Writes a result into an initialised VARIANT (cleared first). I4, R8, BOOL
// (-1 for true), BSTR (null for the empty string), a byte array as a safe
// array of VT_UI1, or VT_EMPTY. Returns E_OUTOFMEMORY when an allocation fails.
HRESULT ToVariant(const TVariant& value, VARIANT* out);

}  // namespace vellumark::com
