// The control object as a COM object: IUnknown, the dual interface IPDFDoc
// (IDispatch answered through the member table, and the function table
// instantiated from it), ISupportErrorInfo and IProvideClassInfo, around one
// TPDFDoc with its engine.
#pragma once

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>

#include <atomic>
#include <span>

#include "control/PDFDocImpl1.h"
#include "control/com/ComUtil.h"

namespace vellumark::com {

// The system's HRESULT, not the portable one of the automation layer.
using ::HRESULT;

class TComControl;

// An entry of the IPDFDoc function table; every entry is called through its
// own signature.
using TSlotFunction = void (*)();

// The IPDFDoc face of a control object: the function table pointer and the
// way back to the object. Its address is the object's identity (IUnknown).
struct TDispFace {
    const TSlotFunction* vtable;
    TComControl* owner;
};

class TComControl final : public ISupportErrorInfo, public IProvideClassInfo, public IObjectSafety {
public:
    // Creates a control object and asks it for `iid`.
    static HRESULT Create(REFIID iid, void** object) noexcept;

    // IUnknown, shared by every interface of the object.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // ISupportErrorInfo: S_OK for every interface the object implements.
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

    // IProvideClassInfo: the coclass PDFDoc from the type library.
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;

    // IObjectSafety: options 1 and 2 for every implemented interface; the
    // stored flags affect nothing else.
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD options) override;

    // IDispatch, the first members of IPDFDoc.
    HRESULT GetTypeInfoCount(UINT* count) noexcept;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) noexcept;
    HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep, UINT* argErr) noexcept;

    // An early-bound member: the slot's call through the member table, with
    // the thread's error information set when it fails.
    HRESULT CallSlot(int slot, std::span<const TVariant> args, TVariant* result) noexcept;

private:
    TComControl();
    ~TComControl();

    HRESULT TypeInfoOf(REFGUID guid, ITypeInfo** info) noexcept;

    TDispFace face_;
    std::atomic<ULONG> refs_{1};
    TPDFDoc doc_;
    DWORD safety_ = 0;
};

}  // namespace vellumark::com
