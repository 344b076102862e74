#include "control/com/ComControl.h"

#include <olectl.h>

#include <array>
#include <cwchar>
#include <optional>
#include <string_view>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "base/EPDFError.h"
#include "control/ErrorInfo.h"
#include "control/MemberTableData.h"
#include "control/com/AboutBox.h"
#include "control/com/ComVariant.h"
#include "control/com/ConnectionPoints.h"
#include "control/com/ErrorInfoCom.h"
#include "control/com/Guids.h"
#include "control/com/Module.h"

namespace vellumark::com {

namespace {

using member_data::kFirstSlot;
using member_data::kMemberCount;
using member_data::kMembers;

constexpr const TMemberInfo& Member(int slot) { return kMembers[slot - kFirstSlot]; }

// The C type of an [in] parameter of each declared type, and its TVariant.
// Enumerations travel as 32-bit integers; the frame narrows them.
template <TParamType T>
struct TArgOf;
template <>
struct TArgOf<TParamType::Long> {
    using Type = LONG;
    static TVariant In(LONG v) { return TVariant::Long(v); }
};
template <>
struct TArgOf<TParamType::Double> {
    using Type = double;
    static TVariant In(double v) { return TVariant::Double(v); }
};
template <>
struct TArgOf<TParamType::Bool> {
    using Type = VARIANT_BOOL;
    static TVariant In(VARIANT_BOOL v) { return TVariant::Bool(v != 0); }
};
template <>
struct TArgOf<TParamType::Color> {
    using Type = OLE_COLOR;
    static TVariant In(OLE_COLOR v) { return TVariant::Long(static_cast<int32_t>(v)); }
};
template <>
struct TArgOf<TParamType::BStr> {
    using Type = BSTR;
    static TVariant In(BSTR v) { return TVariant::String(FromBStr(v)); }
};
template <>
struct TArgOf<TParamType::Variant> {
    using Type = VARIANT;
    // The caller's VARIANT is only read; a value with no byte or text form
    // reaches the member as Empty, which it refuses.
    static TVariant In(const VARIANT& v) {
        TVariant out;
        if (!FromVariant(v, out)) out = TVariant{};
        return out;
    }
};
template <TParamType T>
struct TEnumArg {
    using Type = LONG;
    static TVariant In(LONG v) { return TVariant::Long(v); }
};
template <>
struct TArgOf<TParamType::CompressFormat> : TEnumArg<TParamType::CompressFormat> {};
template <>
struct TArgOf<TParamType::PageSize> : TEnumArg<TParamType::PageSize> {};
template <>
struct TArgOf<TParamType::UnitsMeas> : TEnumArg<TParamType::UnitsMeas> {};
template <>
struct TArgOf<TParamType::TextAlign> : TEnumArg<TParamType::TextAlign> {};

// The C type of each result and how the member's value is written to it.
template <TParamType T>
struct TResultOf;
template <>
struct TResultOf<TParamType::Long> {
    using Type = LONG;
    static HRESULT Out(const TVariant& v, LONG* r) { *r = v.lVal; return S_OK; }
};
template <>
struct TResultOf<TParamType::Double> {
    using Type = double;
    static HRESULT Out(const TVariant& v, double* r) { *r = v.dblVal; return S_OK; }
};
template <>
struct TResultOf<TParamType::Bool> {
    using Type = VARIANT_BOOL;
    static HRESULT Out(const TVariant& v, VARIANT_BOOL* r) { *r = v.boolVal ? VARIANT_TRUE : VARIANT_FALSE; return S_OK; }
};
template <>
struct TResultOf<TParamType::Color> {
    using Type = OLE_COLOR;
    static HRESULT Out(const TVariant& v, OLE_COLOR* r) { *r = static_cast<OLE_COLOR>(static_cast<uint32_t>(v.lVal)); return S_OK; }
};
template <>
struct TResultOf<TParamType::BStr> {
    using Type = BSTR;
    // An empty text is a null BSTR.
    static HRESULT Out(const TVariant& v, BSTR* r) {
        TBStr text(v.bstrVal);
        if (!v.bstrVal.empty() && !text.Get()) return E_OUTOFMEMORY;
        *r = text.Detach();
        return S_OK;
    }
};
template <TParamType T>
struct TEnumResult {
    using Type = LONG;
    static HRESULT Out(const TVariant& v, LONG* r) { *r = v.lVal; return S_OK; }
};
template <>
struct TResultOf<TParamType::CompressFormat> : TEnumResult<TParamType::CompressFormat> {};
template <>
struct TResultOf<TParamType::PageSize> : TEnumResult<TParamType::PageSize> {};
template <>
struct TResultOf<TParamType::UnitsMeas> : TEnumResult<TParamType::UnitsMeas> {};
template <>
struct TResultOf<TParamType::TextAlign> : TEnumResult<TParamType::TextAlign> {};

template <int Slot, std::size_t I>
using TArgType = TArgOf<Member(Slot).params[I].type>;

// One entry of the function table: the member at Slot, with the C signature
// its table entry declares ([in] parameters, then the [out, retval] pointer
// when it has a result).
template <int Slot, class Indices = std::make_index_sequence<Member(Slot).paramCount>,
          bool HasResult = Member(Slot).result != TParamType::None>
struct TSlotThunk;

template <int Slot, std::size_t... I>
struct TSlotThunk<Slot, std::index_sequence<I...>, false> {
    static HRESULT STDMETHODCALLTYPE Call(TDispFace* self, typename TArgType<Slot, I>::Type... args) noexcept {
        try {
            const std::array<TVariant, sizeof...(I)> values{TArgType<Slot, I>::In(args)...};
            return self->owner->CallSlot(Slot, values, nullptr);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
};

template <int Slot, std::size_t... I>
struct TSlotThunk<Slot, std::index_sequence<I...>, true> {
    using TResult = TResultOf<Member(Slot).result>;
    static HRESULT STDMETHODCALLTYPE Call(TDispFace* self, typename TArgType<Slot, I>::Type... args,
                                          typename TResult::Type* result) noexcept {
        if (!result) return E_POINTER;
        // A string result reads as null unless the call succeeds.
        if constexpr (Member(Slot).result == TParamType::BStr) *result = nullptr;
        try {
            const std::array<TVariant, sizeof...(I)> values{TArgType<Slot, I>::In(args)...};
            TVariant value;
            const HRESULT hr = self->owner->CallSlot(Slot, values, &value);
            return FAILED(hr) ? hr : TResult::Out(value, result);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
};

// Slots 0 to 6: IUnknown and IDispatch of the IPDFDoc (and IPDFDoc2) face.
HRESULT STDMETHODCALLTYPE FaceQueryInterface(TDispFace* self, REFIID iid, void** object) {
    return self->owner->QueryInterface(iid, object);
}
ULONG STDMETHODCALLTYPE FaceAddRef(TDispFace* self) { return self->owner->AddRef(); }
ULONG STDMETHODCALLTYPE FaceRelease(TDispFace* self) { return self->owner->Release(); }
HRESULT STDMETHODCALLTYPE FaceGetTypeInfoCount(TDispFace* self, UINT* count) {
    return self->owner->GetTypeInfoCount(count);
}
HRESULT STDMETHODCALLTYPE FaceGetTypeInfo(TDispFace* self, UINT index, LCID lcid, ITypeInfo** info) {
    return self->owner->GetTypeInfo(index, lcid, info);
}
HRESULT STDMETHODCALLTYPE FaceGetIDsOfNames(TDispFace* self, REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) {
    return self->owner->GetIDsOfNames(iid, names, count, lcid, ids);
}
HRESULT STDMETHODCALLTYPE FaceInvoke(TDispFace* self, DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    return self->owner->Invoke(id, iid, lcid, flags, params, result, excep, argErr);
}

template <class F>
TSlotFunction Entry(F* function) {
    return reinterpret_cast<TSlotFunction>(function);
}

template <std::size_t... I>
std::array<TSlotFunction, kFirstSlot + kMemberCount> MakeFunctionTable(std::index_sequence<I...>) {
    return {Entry(&FaceQueryInterface), Entry(&FaceAddRef),        Entry(&FaceRelease),
            Entry(&FaceGetTypeInfoCount), Entry(&FaceGetTypeInfo), Entry(&FaceGetIDsOfNames),
            Entry(&FaceInvoke),         Entry(&TSlotThunk<kFirstSlot + static_cast<int>(I)>::Call)...};
}

const TSlotFunction* FunctionTable() {
    static const std::array<TSlotFunction, kFirstSlot + kMemberCount> table =
        MakeFunctionTable(std::make_index_sequence<kMemberCount>());
    return table.data();
}

bool IsFaceInterface(REFIID iid) {
    // IPDFDoc2's function table begins with IPDFDoc's: one face answers both.
    return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIID_IPDFDoc) ||
           IsEqualIID(iid, kIID_IPDFDoc2);
}

}  // namespace

// Creating a control object: the connection points, then the engine (made
// with the TPDFDoc) is attached: it refers to its owner until its window is
// first created. The About box member shows the dialog over the control's
// window.
TComControl::TComControl()
    : face_{FunctionTable(), this},
      eventsPoint_(std::make_unique<TConnectionPoint>(*this, kIID_IPDFDocEvents, TConnectionPoint::Kind::Events)),
      propertyNotifyPoint_(
          std::make_unique<TConnectionPoint>(*this, IID_IPropertyNotifySink, TConnectionPoint::Kind::PropertyNotify)),
      engineHasOwner_(true) {
    doc_.SetAboutBox([this] {
        if (!ShowAboutBox(window_)) throw EPDFError("Cannot show the About box");
    });
    ModuleAddRef();
}

TComControl::~TComControl() {
    DestroyEngineWindow();
    ModuleRelease();
}

HRESULT TComControl::Create(REFIID iid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    TComControl* control = nullptr;
    try {
        control = new TComControl();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = control->QueryInterface(iid, object);
    control->Release();  // the creation's own reference
    return hr;
}

// The object's own interface for `iid`, without a reference; null when the
// object does not implement it.
void* TComControl::InterfaceFor(REFIID iid) noexcept {
    if (IsFaceInterface(iid)) return &face_;
    struct TEntry {
        const IID* iid;
        void* object;
    };
    const TEntry entries[] = {
        {&IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this)},
        {&IID_IProvideClassInfo, static_cast<IProvideClassInfo*>(this)},
        {&IID_IObjectSafety, static_cast<IObjectSafety*>(this)},
        {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
        {&IID_IOleObject, static_cast<IOleObject*>(this)},
        {&IID_IOleControl, static_cast<IOleControl*>(this)},
        {&IID_IOleWindow, static_cast<IOleInPlaceObject*>(this)},
        {&IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this)},
        {&IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
        {&IID_IViewObject, static_cast<IViewObject2*>(this)},
        {&IID_IViewObject2, static_cast<IViewObject2*>(this)},
        {&IID_IDataObject, static_cast<IDataObject*>(this)},
        {&IID_IPersist, static_cast<IPersistStreamInit*>(this)},
        {&IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
        {&IID_IPersistStorage, static_cast<IPersistStorage*>(this)},
        {&IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
        {&IID_IPerPropertyBrowsing, static_cast<IPerPropertyBrowsing*>(this)},
        {&IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this)},
        {&IID_ISimpleFrameSite, static_cast<ISimpleFrameSite*>(this)},
        {&IID_IQuickActivate, static_cast<IQuickActivate*>(this)},
    };
    for (const TEntry& e : entries)
        if (IsEqualIID(iid, *e.iid)) return e.object;
    return nullptr;
}

STDMETHODIMP TComControl::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = InterfaceFor(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TComControl::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) TComControl::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP TComControl::InterfaceSupportsErrorInfo(REFIID iid) {
    return InterfaceFor(iid) ? S_OK : S_FALSE;
}

STDMETHODIMP TComControl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled) return E_POINTER;
    if (!InterfaceFor(iid)) {
        *supported = 0;
        *enabled = 0;
        return E_NOINTERFACE;
    }
    constexpr DWORD kOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    *supported = kOptions;
    *enabled = safety_ & kOptions;
    return S_OK;
}

STDMETHODIMP TComControl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD options) {
    if (!InterfaceFor(iid)) return E_NOINTERFACE;
    safety_ = mask & options;
    return S_OK;
}

HRESULT TComControl::TypeInfoOf(REFGUID guid, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    TComPtr<ITypeLib> library;
    const HRESULT hr = LoadModuleTypeLib(library.Put());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(guid, info);
}

STDMETHODIMP TComControl::GetClassInfo(ITypeInfo** info) { return TypeInfoOf(kCLSID_PDFDoc, info); }

HRESULT TComControl::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT TComControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return TypeInfoOf(kIID_IPDFDoc2, info);
}

// The member's dispatch id, then the position of each named parameter.
HRESULT TComControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    // The names are plain zero-terminated strings, not BSTRs.
    const auto text = [](const OLECHAR* name) {
        return name ? std::u16string_view(reinterpret_cast<const char16_t*>(name), std::wcslen(name))
                    : std::u16string_view();
    };
    int32_t member = DISPID_UNKNOWN;
    const bool known = doc_.GetIDsOfNames(text(names[0]), member) >= 0;
    HRESULT hr = known ? S_OK : DISP_E_UNKNOWNNAME;
    ids[0] = member;
    for (UINT i = 1; i < count; ++i) {
        const std::optional<int32_t> position = known ? FindParamIndex(member, text(names[i])) : std::nullopt;
        ids[i] = position.value_or(DISPID_UNKNOWN);
        if (!position) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT TComControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep, UINT* argErr) noexcept {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const UINT total = params->cArgs, named = params->cNamedArgs;
    if ((total > 0 && !params->rgvarg) || named > total || (named > 0 && !params->rgdispidNamedArgs))
        return E_INVALIDARG;

    try {
        // DISPPARAMS holds the named arguments first, then the positional ones
        // last first. `from` keeps where each argument, in declaration order,
        // came from; the value of a property put is the last one.
        std::vector<UINT> from(total, total);
        for (UINT i = 0; i < total - named; ++i) from[i] = total - 1 - i;
        for (UINT k = 0; k < named; ++k) {
            const DISPID position = params->rgdispidNamedArgs[k];
            const bool value = put && position == DISPID_PROPERTYPUT;
            const UINT at = value ? total - 1 : static_cast<UINT>(position);
            if ((position < 0 && !value) || at >= total || from[at] != total) {
                if (argErr) *argErr = k;
                return DISP_E_PARAMNOTFOUND;
            }
            from[at] = k;
        }
        std::vector<TVariant> args(total);
        for (UINT i = 0; i < total; ++i) {
            if (!FromVariant(params->rgvarg[from[i]], args[i])) {
                if (argErr) *argErr = from[i];
                return DISP_E_TYPEMISMATCH;
            }
        }
        TVariant value;
        TExcepInfo failure;
        uint32_t badArg = 0;
        vellumark::SetErrorInfo(std::nullopt);
        const HRESULT hr = doc_.Invoke(id, flags, args, result ? &value : nullptr, &failure, &badArg);
        if (hr == DISP_E_EXCEPTION) {
            InstallErrorInfo(failure.description);
            if (excep) {
                *excep = EXCEPINFO{};
                excep->scode = failure.scode;
                excep->bstrSource = TBStr(failure.source).Detach();
                excep->bstrDescription = TBStr(failure.description).Detach();
            }
            return hr;
        }
        if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW) {
            if (argErr && badArg < total) *argErr = from[badArg];
            return hr;
        }
        if (FAILED(hr)) return hr;
        if (put) PropertyChanged();
        return result ? ToVariant(value, result) : S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// A property was put: the control has changed since it was last saved, and
// its window follows Visible and Enabled.
void TComControl::PropertyChanged() noexcept {
    dirty_ = true;
    ApplyWindowState();
}

HRESULT TComControl::CallSlot(int slot, std::span<const TVariant> args, TVariant* result) noexcept {
    vellumark::SetErrorInfo(std::nullopt);
    const HRESULT hr = doc_.CallSlot(slot, args, result);
    if (SUCCEEDED(hr) && Member(slot).kind == TInvokeKind::PropertyPut) PropertyChanged();
    if (FAILED(hr)) PublishPendingErrorInfo();
    return hr;
}

}  // namespace vellumark::com
