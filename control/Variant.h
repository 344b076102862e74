// TVariant: the automation values that cross the control's interface, with
// the VARIANT type codes they carry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellumark {

enum class TVarType : uint16_t {
    Empty = 0,
    Null = 1,
    I4 = 3,
    R8 = 5,
    BStr = 8,
    Bool = 11,
    ByteArray = 0x2011,  // VT_ARRAY | VT_UI1
};

struct TVariant {
    TVarType vt = TVarType::Empty;
    int32_t lVal = 0;       // I4
    double dblVal = 0;      // R8
    bool boolVal = false;   // Bool (VARIANT_BOOL: true is -1)
    std::u16string bstrVal; // BStr (a null BSTR is the empty string)
    std::vector<uint8_t> bytes;  // ByteArray

    static TVariant Long(int32_t v) { TVariant r; r.vt = TVarType::I4; r.lVal = v; return r; }
    static TVariant Double(double v) { TVariant r; r.vt = TVarType::R8; r.dblVal = v; return r; }
    static TVariant Bool(bool v) { TVariant r; r.vt = TVarType::Bool; r.boolVal = v; return r; }
    static TVariant String(std::u16string v) { TVariant r; r.vt = TVarType::BStr; r.bstrVal = std::move(v); return r; }
    static TVariant Bytes(std::vector<uint8_t> v) { TVariant r; r.vt = TVarType::ByteArray; r.bytes = std::move(v); return r; }
    static TVariant NullValue() { TVariant r; r.vt = TVarType::Null; return r; }
};

}  // namespace vellumark
