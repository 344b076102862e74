// The members of IPDFDoc and IPDFDoc2: one table, in slot order, that is the single source
// for dispatch by slot, by dispatch id and by name, and for the type library.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "control/Variant.h"

namespace vellumark {

class TPDFDoc;

enum class TParamType : uint8_t {
    None,            // no result
    Long,            // long
    Double,          // double
    Bool,            // VARIANT_BOOL
    Color,           // OLE_COLOR
    BStr,            // BSTR
    Variant,         // VARIANT (AddImageBytes)
    CompressFormat,  // TxCompressFormat
    PageSize,        // TxPageSize
    UnitsMeas,       // TxUnitsMeas
    TextAlign,       // TxTextAlign
};

enum class TInvokeKind : uint8_t { Method = 1, PropertyGet = 2, PropertyPut = 4 };

struct TParamInfo {
    const char* name;
    TParamType type;
};

// Performs the member's one engine call. args holds paramCount values already
// converted to their declared types (Long, Color and the enumerations as I4 --
// enumerations narrowed to 0..255 --, Double as R8, Bool as Bool, BStr as
// BStr, Variant as passed); the result is of the declared result type.
using TMemberHandler = TVariant (*)(TPDFDoc& doc, const TVariant* args);

struct TMemberInfo {
    int slot;          // position in the function table, QueryInterface = 0
    int32_t dispid;
    const char* name;
    TInvokeKind kind;
    uint8_t paramCount;      // [in] parameters, the value of a put included
    TParamInfo params[5];
    TParamType result;       // the [out, retval] type, None when there is none
    const char* help;        // nullptr when the member has no help string
    TMemberHandler handler;  // nullptr while the engine operation is not built
};

// All 130 members, slots 7..136 in order: IPDFDoc's 126 (slots 7..132), then
// the members IPDFDoc2 adds.
std::span<const TMemberInfo> MemberTable();
// The last slot of IPDFDoc; IPDFDoc2's own members follow it.
inline constexpr int kLastIPDFDocSlot = 132;
const TMemberInfo* FindMemberBySlot(int slot);
const TMemberInfo* FindMember(int32_t dispid, TInvokeKind kind);
// Case-insensitive lookup of a member name; the dispatch id when it exists.
std::optional<int32_t> FindDispId(std::u16string_view name);
// Case-insensitive lookup of a parameter name of the member (any of its get,
// put and method forms): its position, the first parameter being 0.
std::optional<int32_t> FindParamIndex(int32_t dispid, std::u16string_view name);

// The properties a property bag keeps: every property with both a get and a
// put and no index parameter, as their get entries, in slot order.
std::span<const TMemberInfo* const> PersistentProperties();

// The type library's enumerations, in library order.
struct TEnumValue {
    const char* name;
    int32_t value;
    const char* help;
};
struct TEnumInfo {
    const char* name;
    const char* guid;
    const char* help;
    std::span<const TEnumValue> values;
};
std::span<const TEnumInfo> TypeLibEnums();
// Case-insensitive lookup of an enumeration value name (psA4_P, cfZIP, ...).
std::optional<int32_t> FindEnumValue(std::u16string_view name);

}  // namespace vellumark
