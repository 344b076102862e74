// The frame of the library's C and C++ interfaces: the state behind a
// document handle, the arguments in the types the member handlers take, and
// the guarded call of one member's handler. api/Members.cpp, written by
// api/tools/MakeApi.cpp, instantiates it once per member of the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/EPDFError.h"
#include "base/TextCodec.h"
#include "control/MemberTable.h"
#include "control/MemberTableData.h"
#include "control/PDFDocImpl1.h"
#include "control/Variant.h"
#include "vellumark/vellumark.h"
#include "vellumark/vellumark.hpp"

namespace vellumark::api {

// One document: the control with its engine, the message of the last call
// that failed through the C interface, the last string result handed out
// there (valid until the next call), and the arguments of the call running,
// kept from call to call so that a call builds none.
struct TDocState {
    TPDFDoc control;
    std::string lastError;
    std::string text;
    TVariant args[std::extent_v<decltype(TMemberInfo::params)>];
};

}  // namespace vellumark::api

// The C interface's opaque handle and the C++ interface's implementation are
// the same state.
struct vm_doc : vellumark::api::TDocState {};
struct vellumark::Document::Impl : vellumark::api::TDocState {};

namespace vellumark::api {

// --- arguments, as the automation layer converts them ------------------------

// Into the document's argument slots (the members without a VARIANT).
inline void PutLong(TVariant& a, int32_t v) noexcept {
    a.vt = TVarType::I4;
    a.lVal = v;
}
inline void PutDouble(TVariant& a, double v) noexcept {
    a.vt = TVarType::R8;
    a.dblVal = v;
}
inline void PutBool(TVariant& a, bool v) noexcept {
    a.vt = TVarType::Bool;
    a.boolVal = v;
}
inline void PutColor(TVariant& a, uint32_t v) noexcept { PutLong(a, static_cast<int32_t>(v)); }
// Enumerations keep their low 8 bits.
inline void PutOrdinal(TVariant& a, int32_t v) noexcept { PutLong(a, v & 0xFF); }
inline void PutText(TVariant& a, std::string_view utf8) {
    a.vt = TVarType::BStr;
    a.bstrVal = Utf8ToUtf16(utf8);
}
inline void PutText(TVariant& a, std::u16string_view utf16) {
    a.vt = TVarType::BStr;
    a.bstrVal.assign(utf16);
}
// C strings: a null pointer is the empty string, as a null BSTR is.
inline void PutText(TVariant& a, const char* utf8) { PutText(a, std::string_view(utf8 ? utf8 : "")); }

// As values of their own (the members with a VARIANT).

inline TVariant ArgLong(int32_t v) { return TVariant::Long(v); }
inline TVariant ArgDouble(double v) { return TVariant::Double(v); }
inline TVariant ArgBool(bool v) { return TVariant::Bool(v); }
inline TVariant ArgColor(uint32_t v) { return TVariant::Long(static_cast<int32_t>(v)); }
// Enumerations keep their low 8 bits.
inline TVariant ArgOrdinal(int32_t v) { return TVariant::Long(v & 0xFF); }
inline TVariant ArgText(std::string_view utf8) { return TVariant::String(Utf8ToUtf16(utf8)); }
inline TVariant ArgText(std::u16string_view utf16) { return TVariant::String(std::u16string(utf16)); }
// C strings: a null pointer is the empty string, as a null BSTR is.
inline TVariant ArgText(const char* utf8) { return ArgText(std::string_view(utf8 ? utf8 : "")); }
inline TVariant ArgBytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    return TVariant::Bytes(size ? std::vector<uint8_t>(p, p + size) : std::vector<uint8_t>());
}

// --- the member -----------------------------------------------------------------

constexpr const TMemberInfo& Member(int slot) { return member_data::kMembers[slot - member_data::kFirstSlot]; }

// True when the member at `slot` is the one the generated code was written
// for: its name, kind, parameter types and result type.
constexpr bool Matches(int slot, std::string_view name, TInvokeKind kind, std::initializer_list<TParamType> params,
                       TParamType result) {
    const TMemberInfo& m = Member(slot);
    if (std::string_view(m.name) != name || m.kind != kind || m.result != result) return false;
    if (m.paramCount != params.size()) return false;
    int i = 0;
    for (TParamType p : params)
        if (m.params[i++].type != p) return false;
    return true;
}

// Runs the member's handler on arguments already in their declared types.
template <int Slot>
TVariant Run(TPDFDoc& control, const TVariant* args) {
    // A constant, so the test and the call through the pointer fold away.
    static constexpr TMemberHandler handler = Member(Slot).handler;
    if (handler == nullptr) throw EPDFError(std::string("Not implemented: ") + Member(Slot).name);
    return handler(control, args);
}

// --- the C interface's frame ------------------------------------------------------


// Keeps the message of a failed call; when even that fails the message is
// left empty.
inline void KeepError(TDocState& state, const char* message) noexcept {
    try {
        state.lastError = message;
    } catch (...) {
        state.lastError.clear();
    }
}

// Runs body(state) and turns whatever it raises into a status; no exception
// leaves it.
template <class Body>
vm_status CallC(vm_doc* doc, Body&& body) noexcept {
    if (!doc) return VM_INVALID;
    TDocState& state = *doc;
    try {
        body(state);
        return VM_OK;
    } catch (const std::bad_alloc&) {
        KeepError(state, "Out of memory");
        return VM_NO_MEMORY;
    } catch (const std::exception& e) {
        KeepError(state, e.what());
        return VM_FAILED;
    } catch (...) {
        KeepError(state, "Unexpected error");
        return VM_FAILED;
    }
}

// --- the C++ interface's frame --------------------------------------------------

// Runs body() and raises whatever it raises as vellumark::Error with the
// same message.
template <class Body>
auto CallCpp(Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(e.what());
    } catch (...) {
        throw Error("Unexpected error");
    }
}

}  // namespace vellumark::api
