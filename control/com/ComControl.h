// The control object as a COM object around one TPDFDoc with its engine.
// Its interfaces are implemented by concern, one file each:
//   ComControl.cpp      IUnknown, IDispatch and the IPDFDoc function table,
//                       ISupportErrorInfo, IProvideClassInfo, IObjectSafety
//   OleObject.cpp       IOleObject, IOleControl, IQuickActivate
//   InPlace.cpp         IOleInPlaceObject, IOleInPlaceActiveObject
//   EngineWindow.cpp    the control's window: design mode, size, painting
//   ViewObject.cpp      IViewObject2, IDataObject
//   PropertyPages.cpp   IPerPropertyBrowsing, ISpecifyPropertyPages, ISimpleFrameSite
//   ConnectionPoints.*  IConnectionPointContainer and its two points
//   Persistence.cpp     IPersistStreamInit, IPersistStorage, IPersistPropertyBag
//   AboutBox.*          the About box
#pragma once

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <oleidl.h>

#include <atomic>
#include <memory>
#include <span>
#include <string>

#include "control/ComponentStream.h"
#include "control/PDFDocImpl1.h"
#include "control/com/ComUtil.h"

namespace vellumark::com {

// The system's HRESULT, not the portable one of the automation layer.
using ::HRESULT;

class TComControl;
class TConnectionPoint;

// An entry of the IPDFDoc function table; every entry is called through its
// own signature.
using TSlotFunction = void (*)();

// The IPDFDoc face of a control object: the function table pointer and the
// way back to the object. Its address is the object's identity (IUnknown).
struct TDispFace {
    const TSlotFunction* vtable;
    TComControl* owner;
};

// The control's side length in pixels: its window is always this square.
inline constexpr int kControlPixels = 32;

// The control's size in HIMETRIC units (0.01 mm) at the screen's resolution.
SIZEL ControlExtent() noexcept;

class TComControl final : public ISupportErrorInfo,
                          public IProvideClassInfo,
                          public IObjectSafety,
                          public IConnectionPointContainer,
                          public IOleObject,
                          public IOleControl,
                          public IOleInPlaceObject,
                          public IOleInPlaceActiveObject,
                          public IViewObject2,
                          public IDataObject,
                          public IPersistStreamInit,
                          public IPersistStorage,
                          public IPersistPropertyBag,
                          public IPerPropertyBrowsing,
                          public ISpecifyPropertyPages,
                          public ISimpleFrameSite,
                          public IQuickActivate {
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

    // IConnectionPointContainer (ConnectionPoints.cpp).
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
    // Stores the connected event sink, or none (called by the events point).
    void SetEventSink(IUnknown* sink) noexcept;

    // IOleObject (OleObject.cpp).
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                        LPCRECT pos) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleControl (OleObject.cpp).
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IQuickActivate (OleObject.cpp).
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

    // IOleWindow, IOleInPlaceObject and IOleInPlaceActiveObject (InPlace.cpp).
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IViewObject2 and IDataObject (ViewObject.cpp).
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDevice,
                      HDC dc, LPCRECTL bounds, LPCRECTL windowBounds,
                      BOOL(STDMETHODCALLTYPE* proceed)(ULONG_PTR), ULONG_PTR proceedArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                             HDC targetDevice, LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) override;

    // IPersist, IPersistStreamInit, IPersistStorage and IPersistPropertyBag
    // (Persistence.cpp). InitNew() and IsDirty() serve both interfaces that
    // declare them.
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IPerPropertyBrowsing, ISpecifyPropertyPages and ISimpleFrameSite
    // (PropertyPages.cpp).
    STDMETHODIMP GetDisplayString(DISPID id, BSTR* text) override;
    STDMETHODIMP MapPropertyToPage(DISPID id, CLSID* page) override;
    STDMETHODIMP GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) override;
    STDMETHODIMP GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) override;
    STDMETHODIMP GetPages(CAUUID* pages) override;
    STDMETHODIMP PreMessageFilter(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                                  DWORD* cookie) override;
    STDMETHODIMP PostMessageFilter(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                                   DWORD cookie) override;

    // The control's window (EngineWindow.cpp): created on first in-place
    // activation, after the design-mode decision, always 32 x 32 pixels.
    HRESULT CreateEngineWindow(HWND parent, const RECT& pos) noexcept;
    void DestroyEngineWindow() noexcept;
    // Paints the control into dc at (x, y): the picture "ICON32" in design mode,
    // nothing at run time.
    void Paint(HDC dc, int x, int y) noexcept;
    // Shows or hides, enables or disables the window as Visible and Enabled say.
    void ApplyWindowState() noexcept;
    bool DesignMode() const noexcept { return designMode_; }
    HWND EngineWindow() const noexcept { return window_; }

private:
    TComControl();
    ~TComControl();

    void* InterfaceFor(REFIID iid) noexcept;
    void PropertyChanged() noexcept;
    HRESULT TypeInfoOf(REFGUID guid, ITypeInfo** info) noexcept;
    // In-place activation in the container of `site`: the window is created
    // (once) in the site's window at the site's position.
    HRESULT InPlaceActivate(IOleClientSite* site) noexcept;
    // The design-mode decision, made once when the window is first created.
    bool DecideDesignMode() noexcept;
    // Persistence helpers (Persistence.cpp).
    void ResetProperties() noexcept;

    TDispFace face_;
    std::atomic<ULONG> refs_{1};
    TPDFDoc doc_;
    DWORD safety_ = 0;

    // The connected event sink and the two connection points.
    TComPtr<IUnknown> eventSink_;
    std::unique_ptr<TConnectionPoint> eventsPoint_;
    std::unique_ptr<TConnectionPoint> propertyNotifyPoint_;

    // Embedding: the container's site and advise sinks.
    TComPtr<IOleClientSite> site_;
    TComPtr<IOleInPlaceSite> inPlaceSite_;
    TComPtr<IOleAdviseHolder> adviseHolder_;
    TComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewAdviseFlags_ = 0;
    bool inPlaceActive_ = false;

    // The engine's window side: the window once created, whether the engine
    // still refers to its owner (until the first window is made), the
    // designing state and the design-mode flag.
    HWND window_ = nullptr;
    bool engineHasOwner_ = false;
    bool designing_ = false;
    bool designMode_ = false;

    // Persistence: the window properties and whether anything changed since
    // the last save.
    TWindowProperties windowProperties_;
    bool dirty_ = false;
};

}  // namespace vellumark::com
