#include "control/PDFDocImpl1.h"

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <type_traits>

#include "base/EPDFError.h"
#include "base/TextCodec.h"
#include "control/Convert.h"
#include "control/ErrorInfo.h"

namespace vellumark {

namespace {

// Interface ids, besides IPDFDoc's, that the control answers on this platform.
constexpr const char* kIID_IUnknown = "{00000000-0000-0000-C000-000000000046}";
constexpr const char* kIID_IDispatch = "{00020400-0000-0000-C000-000000000046}";
constexpr const char* kIID_ISupportErrorInfo = "{DF0B3D60-548F-101B-8E65-08002B2BC7E6}";

bool SameGuid(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i], d = b[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 'a' + 'A');
        if (c != d) return false;
    }
    return true;
}

// Installs the thread's error information for a failed member and gives the
// HRESULT the member returns. Engine messages are UTF-8 (file names among
// them). When the error information cannot be built, the call still fails
// with E_UNEXPECTED and no error information is set.
HRESULT TranslateError(const char* message, HRESULT code) noexcept {
    try {
        TErrorInfo info;
        info.guid = kIID_IPDFDoc;
        info.source = kProgID;
        info.description = Utf8ToUtf16(message);
        info.helpContext = 0;
        SetErrorInfo(std::move(info));
        return code;
    } catch (...) {
        return hr::kUnexpected;
    }
}

// Whether an argument is already what conversion to `type` would make of it
// (as far as a handler reads it).
bool HasDeclaredType(const TVariant& value, TParamType type) {
    switch (type) {
        case TParamType::Long:
        case TParamType::Color: return value.vt == TVarType::I4;
        case TParamType::Double: return value.vt == TVarType::R8;
        case TParamType::Bool: return value.vt == TVarType::Bool;
        case TParamType::BStr: return value.vt == TVarType::BStr;
        case TParamType::Variant: return true;
        default: return false;
    }
}

// Why a call did not reach the member's handler, or how it ended.
struct TCallOutcome {
    HRESULT hr = hr::kOk;
    bool memberFailed = false;  // the error came from the guarded engine call
    uint32_t badArg = 0;        // the argument whose conversion failed
};

// The engine call of a member on arguments of their declared types, inside
// a guard: writes the result (only on success) or translates the error.
// `result` may be null when the caller takes no result.
TCallOutcome CallHandler(TPDFDoc& doc, const TMemberInfo& member, const TVariant* values, TVariant* result) noexcept {
    TCallOutcome out;
    // A string result reads as null while the call runs, and stays so if it
    // fails.
    if (result && member.result == TParamType::BStr) *result = TVariant::String({});

    try {
        if (!member.handler) throw EPDFError(std::string("Not implemented: ") + member.name);
        TVariant value = member.handler(doc, values);
        if (result && member.result != TParamType::None) *result = std::move(value);
        return out;
    } catch (const EOleSysError& e) {
        out.hr = TranslateError(e.what(), e.HResult() < 0 ? e.HResult() : hr::kUnexpected);
    } catch (const std::exception& e) {
        out.hr = TranslateError(e.what(), hr::kUnexpected);
    } catch (...) {
        out.hr = TranslateError("Unexpected error", hr::kUnexpected);
    }
    out.memberFailed = true;
    return out;
}

// The same on the arguments converted to their declared types: the call's own
// copies, released on return whatever happens.
[[gnu::noinline]] TCallOutcome CallConverted(TPDFDoc& doc, const TMemberInfo& member, std::span<const TVariant> args,
                                             TVariant* result) noexcept {
    std::array<TVariant, std::extent_v<decltype(TMemberInfo::params)>> converted;
    uint32_t index = 0;
    try {
        for (; index < member.paramCount; ++index)
            converted[index] = CoerceArgument(args[index], member.params[index].type);
    } catch (const ECoerceError& e) {
        TCallOutcome out;
        out.hr = e.HResult();
        out.badArg = index;
        return out;
    } catch (...) {
        TCallOutcome out;
        out.hr = hr::kUnexpected;
        out.badArg = index;
        return out;
    }
    return CallHandler(doc, member, converted.data(), result);
}

// The frame every member runs: convert the arguments to their declared types,
// perform the engine call inside a guard, then write the result (only on
// success) or translate the error. Arguments that already have their declared
// types are read where they are. The caller's values are never touched.
TCallOutcome CallMember(TPDFDoc& doc, const TMemberInfo& member, std::span<const TVariant> args,
                        TVariant* result) noexcept {
    if (args.size() != member.paramCount) {
        TCallOutcome out;
        out.hr = hr::kBadParamCount;
        return out;
    }
    for (uint32_t i = 0; i < member.paramCount; ++i)
        if (!HasDeclaredType(args[i], member.params[i].type)) return CallConverted(doc, member, args, result);
    return CallHandler(doc, member, args.data(), result);
}

}  // namespace

TPDFDoc::TPDFDoc() : engine_(std::make_unique<TVellumark>()) {}

TPDFDoc::~TPDFDoc() = default;

void TPDFDoc::AboutBox() {
    if (!aboutBox_) throw EPDFError("Not implemented: AboutBox");
    aboutBox_();
}

HRESULT TPDFDoc::CallSlot(int slot, std::span<const TVariant> args, TVariant* result) {
    const TMemberInfo* member = FindMemberBySlot(slot);
    if (!member) return hr::kMemberNotFound;
    // A member with a result writes it through the caller's pointer; a null
    // pointer is refused before anything runs.
    if (member->result != TParamType::None && !result) return hr::kPointer;
    return CallMember(*this, *member, args, result).hr;
}

HRESULT TPDFDoc::GetIDsOfNames(std::u16string_view name, int32_t& dispid) const {
    if (std::optional<int32_t> id = FindDispId(name)) {
        dispid = *id;
        return hr::kOk;
    }
    dispid = -1;  // DISPID_UNKNOWN
    return hr::kUnknownName;
}

HRESULT TPDFDoc::Invoke(int32_t dispid, uint16_t flags, std::span<const TVariant> args, TVariant* result,
                        TExcepInfo* excep, uint32_t* argErr) {
    // A put by reference is made as a put. Otherwise the method of that id
    // when the caller allows a method call, else the property get; callers
    // that cannot tell the two apart pass both flags.
    const TMemberInfo* member = nullptr;
    if (flags & (dfPropertyPut | dfPropertyPutRef)) {
        member = FindMember(dispid, TInvokeKind::PropertyPut);
    } else {
        if (flags & dfMethod) member = FindMember(dispid, TInvokeKind::Method);
        if (!member && (flags & dfPropertyGet)) member = FindMember(dispid, TInvokeKind::PropertyGet);
    }
    if (!member) return hr::kMemberNotFound;

    TCallOutcome out = CallMember(*this, *member, args, result);
    if (out.hr >= 0) {
        if (result && member->result == TParamType::None) *result = TVariant{};
        return out.hr;
    }
    if (out.memberFailed) {
        if (excep) {
            // The error information moves into the exception description, as
            // the dispatch implementation of the type information does it.
            try {
                TExcepInfo info;
                info.scode = out.hr;
                if (std::optional<TErrorInfo> error = GetErrorInfo()) {
                    info.source = std::move(error->source);
                    info.description = std::move(error->description);
                }
                *excep = std::move(info);
            } catch (...) {
                excep->scode = out.hr;
            }
        }
        return hr::kException;
    }
    if ((out.hr == hr::kTypeMismatch || out.hr == hr::kOverflow) && argErr) *argErr = out.badArg;
    return out.hr;
}

HRESULT TPDFDoc::InterfaceSupportsErrorInfo(std::string_view iid) const {
    for (const char* supported : {kIID_IPDFDoc, kIID_IPDFDoc2, kIID_IUnknown, kIID_IDispatch, kIID_ISupportErrorInfo})
        if (SameGuid(iid, supported)) return hr::kOk;
    return hr::kFalse;
}

}  // namespace vellumark
