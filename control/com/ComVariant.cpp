#include "control/com/ComVariant.h"

#include <cstring>

#include "control/com/ComUtil.h"

namespace vellumark::com {

namespace {

// A VARIANT copy released on scope exit.
class TOwnedVariant {
public:
    TOwnedVariant() { VariantInit(&v_); }
    TOwnedVariant(const TOwnedVariant&) = delete;
    TOwnedVariant& operator=(const TOwnedVariant&) = delete;
    ~TOwnedVariant() { VariantClear(&v_); }
    VARIANT* Get() noexcept { return &v_; }

private:
    VARIANT v_;
};

bool ChangeType(const VARIANT& value, VARTYPE type, TOwnedVariant& out) {
    return SUCCEEDED(VariantChangeType(out.Get(), const_cast<VARIANT*>(&value), 0, type));
}

// The bytes of a one-dimensional array: one byte per element for byte
// arrays, each element converted to a byte for arrays of VARIANTs.
bool ArrayBytes(SAFEARRAY* array, VARTYPE elementType, TVariant& out) {
    if (!array || SafeArrayGetDim(array) < 1) return false;
    LONG low = 0, high = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &low)) || FAILED(SafeArrayGetUBound(array, 1, &high))) return false;
    const LONGLONG count = static_cast<LONGLONG>(high) - low + 1;
    TSafeArrayLock lock(array);
    if (!lock.Locked()) return false;
    std::vector<uint8_t> bytes;
    if (count > 0) {
        if (elementType == VT_UI1 || elementType == VT_I1) {
            bytes.resize(static_cast<std::size_t>(count));
            std::memcpy(bytes.data(), array->pvData, bytes.size());
        } else if (elementType == VT_VARIANT) {
            bytes.reserve(static_cast<std::size_t>(count));
            const auto* elements = static_cast<const VARIANT*>(array->pvData);
            for (LONGLONG i = 0; i < count; ++i) {
                TOwnedVariant b;
                if (!ChangeType(elements[i], VT_UI1, b)) return false;
                bytes.push_back(b.Get()->bVal);
            }
        } else {
            return false;
        }
    }
    out = TVariant::Bytes(std::move(bytes));
    return true;
}

}  // namespace

bool FromVariant(const VARIANT& value, TVariant& out) {
    const VARTYPE type = V_VT(&value);
    if (type == (VT_BYREF | VT_VARIANT)) return V_VARIANTREF(&value) && FromVariant(*V_VARIANTREF(&value), out);
    if (type & VT_ARRAY) {
        SAFEARRAY* array = (type & VT_BYREF) ? (V_ARRAYREF(&value) ? *V_ARRAYREF(&value) : nullptr) : V_ARRAY(&value);
        return ArrayBytes(array, static_cast<VARTYPE>(type & VT_TYPEMASK), out);
    }
    switch (type & VT_TYPEMASK) {
        case VT_EMPTY: out = TVariant{}; return !(type & VT_BYREF);
        case VT_NULL: out = TVariant::NullValue(); return !(type & VT_BYREF);
        case VT_BSTR:
            out = TVariant::String(FromBStr((type & VT_BYREF) ? (V_BSTRREF(&value) ? *V_BSTRREF(&value) : nullptr)
                                                               : V_BSTR(&value)));
            return true;
        case VT_BOOL:
            out = TVariant::Bool(((type & VT_BYREF) ? *V_BOOLREF(&value) : V_BOOL(&value)) != 0);
            return true;
        case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
        case VT_INT: case VT_UINT: case VT_I8: case VT_UI8: {
            TOwnedVariant converted;
            if (ChangeType(value, VT_I4, converted)) {
                out = TVariant::Long(V_I4(converted.Get()));
                return true;
            }
            if (!ChangeType(value, VT_R8, converted)) return false;
            out = TVariant::Double(V_R8(converted.Get()));
            return true;
        }
        case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_DECIMAL: {
            TOwnedVariant converted;
            if (!ChangeType(value, VT_R8, converted)) return false;
            out = TVariant::Double(V_R8(converted.Get()));
            return true;
        }
        default: return false;
    }
}

HRESULT ToVariant(const TVariant& value, VARIANT* out) {
    VariantClear(out);
    switch (value.vt) {
        case TVarType::I4: V_VT(out) = VT_I4; V_I4(out) = value.lVal; return S_OK;
        case TVarType::R8: V_VT(out) = VT_R8; V_R8(out) = value.dblVal; return S_OK;
        case TVarType::Bool: V_VT(out) = VT_BOOL; V_BOOL(out) = value.boolVal ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
        case TVarType::BStr: {
            TBStr text(value.bstrVal);
            if (!value.bstrVal.empty() && !text.Get()) return E_OUTOFMEMORY;
            V_VT(out) = VT_BSTR;
            V_BSTR(out) = text.Detach();
            return S_OK;
        }
        case TVarType::ByteArray: {
            SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(value.bytes.size()));
            if (!array) return E_OUTOFMEMORY;
            {
                TSafeArrayLock lock(array);
                if (!value.bytes.empty()) std::memcpy(array->pvData, value.bytes.data(), value.bytes.size());
            }
            V_VT(out) = VT_ARRAY | VT_UI1;
            V_ARRAY(out) = array;
            return S_OK;
        }
        case TVarType::Null: V_VT(out) = VT_NULL; return S_OK;
        case TVarType::Empty: break;
    }
    V_VT(out) = VT_EMPTY;
    return S_OK;
}

}  // namespace vellumark::com
