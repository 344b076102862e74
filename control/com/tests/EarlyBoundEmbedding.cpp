// The control in a container: the interfaces a control answers, its status,
// verb and extent, in-place activation in a small container of our own, the
// design-mode decision from the ambient UserMode, the 32 x 32 window and its
// picture, and the window-less use by scripts.
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "control/com/ComUtil.h"
#include "control/com/Guids.h"
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

namespace {

// A client site with in-place support and ambient properties, of which it
// answers UserMode (or fails to, when `ambient` is false).
class TContainer final : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
public:
    TContainer(HWND window, bool userMode, bool ambient) : window_(window), userMode_(userMode), ambient_(ambient) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *object = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceSite) || IsEqualIID(iid, IID_IOleWindow))
            *object = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(iid, IID_IDispatch) && ambient_)
            *object = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override {
        ++activations_;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO) override {
        *frame = nullptr;
        *document = nullptr;
        // The container offers more room than the control takes.
        *pos = RECT{10, 20, 110, 70};
        *clip = *pos;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        ++deactivations_;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IDispatch: the ambient properties.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        ++ambientReads_;
        if (id != DISPID_AMBIENT_USERMODE || !result) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    ULONG refs_ = 1;
    int activations_ = 0;
    int deactivations_ = 0;
    int ambientReads_ = 0;

private:
    HWND window_;
    bool userMode_;
    bool ambient_;
};

// A top-level window standing in for the container's form.
class TForm : public TTestWindow {
public:
    TForm() : TTestWindow(L"Container", 0, 0, 300, 200) {}
};

// The 32 x 32 pixels of whatever `paint` draws into a memory bitmap, as
// 0x00RRGGBB values, top row first.
template <class F>
std::vector<DWORD> Pixels(F paint) {
    std::vector<DWORD> pixels(32 * 32);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 32, 32};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    paint(dc);
    GdiFlush();
    for (int i = 0; i < 32 * 32; ++i) pixels[i] = static_cast<const DWORD*>(bits)[i] & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The picture "ICON32" of the module as the control should show it.
std::vector<DWORD> DesignPicture() {
    HBITMAP picture = LoadBitmapW(GetModuleHandleW(L"VellumarkX.dll"), L"ICON32");
    std::vector<DWORD> pixels = Pixels([picture](HDC dc) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, picture);
        BitBlt(dc, 0, 0, 32, 32, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    });
    DeleteObject(picture);
    return pixels;
}

bool AllOf(const std::vector<DWORD>& pixels, DWORD colour) {
    for (DWORD p : pixels)
        if (p != colour) return false;
    return true;
}

DWORD ButtonFace() {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

std::vector<DWORD> WindowPixels(HWND window) {
    return Pixels([window](HDC dc) { SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); });
}

std::vector<DWORD> ViewPixels(IUnknown* doc) {
    TComPtr<IViewObject2> view;
    doc->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(view.Put()));
    return Pixels([&view](HDC dc) {
        const RECTL bounds{0, 0, 32, 32};
        if (view) view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
    });
}

void TestInterfaces(IUnknown* doc) {
    const IID* const interfaces[] = {
        &IID_IUnknown,          &IID_IDispatch,           &kIID_IPDFDoc,          &IID_ISupportErrorInfo,
        &IID_IProvideClassInfo, &IID_IConnectionPointContainer, &IID_IOleObject, &IID_IOleControl,
        &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IViewObject,  &IID_IViewObject2,
        &IID_IDataObject,       &IID_IPersistStreamInit,  &IID_IPersistStorage,   &IID_IPersistPropertyBag,
        &IID_IPerPropertyBrowsing, &IID_ISpecifyPropertyPages, &IID_ISimpleFrameSite, &IID_IQuickActivate,
        &IID_IObjectSafety};
    int answered = 0;
    for (const IID* iid : interfaces) {
        TComPtr<IUnknown> face;
        if (SUCCEEDED(doc->QueryInterface(*iid, reinterpret_cast<void**>(face.Put())))) ++answered;
    }
    Expect(answered == 21, "QueryInterface answers all 21 interfaces of a control (" + std::to_string(answered) + ")");
    TComPtr<IUnknown> none;
    Expect(doc->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(none.Put())) == E_NOINTERFACE && !none,
           "and no other");

    TComPtr<IOleObject> object;
    doc->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.Put()));
    DWORD status = 0;
    Expect(object->GetMiscStatus(DVASPECT_CONTENT, &status) == S_OK && status == 0x20191,
           "miscellaneous status 0x20191");
    TComPtr<IEnumOLEVERB> verbs;
    OLEVERB verb{};
    ULONG fetched = 0;
    bool oneVerb = SUCCEEDED(object->EnumVerbs(verbs.Put())) && verbs->Next(1, &verb, &fetched) == S_OK &&
                   verb.lVerb == 0 && Narrow(verb.lpszVerbName) == "Properties" &&
                   verb.grfAttribs == OLEVERBATTRIB_ONCONTAINERMENU;
    CoTaskMemFree(verb.lpszVerbName);
    oneVerb = oneVerb && verbs->Next(1, &verb, &fetched) == S_FALSE && fetched == 0;
    Expect(oneVerb, "one verb: 0, \"Properties\", on the container's menu");
    CLSID clsid{};
    Expect(object->GetUserClassID(&clsid) == S_OK && IsEqualCLSID(clsid, kCLSID_PDFDoc), "GetUserClassID");
    LPOLESTR userType = nullptr;
    Expect(object->GetUserType(USERCLASSTYPE_FULL, &userType) == S_OK && Narrow(userType) == "PDFDoc Control",
           "GetUserType: PDFDoc Control");
    CoTaskMemFree(userType);

    TComPtr<ISpecifyPropertyPages> pages;
    doc->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(pages.Put()));
    CAUUID list{5, nullptr};
    Expect(pages->GetPages(&list) == S_OK && list.cElems == 0 && list.pElems == nullptr, "no property pages");
    TComPtr<IPerPropertyBrowsing> browsing;
    doc->QueryInterface(IID_IPerPropertyBrowsing, reinterpret_cast<void**>(browsing.Put()));
    CLSID page{};
    Expect(browsing->MapPropertyToPage(230, &page) == PERPROP_E_NOPAGEAVAILABLE && IsEqualCLSID(page, CLSID_NULL),
           "no page for any property");
    TComPtr<IOleControl> control;
    doc->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(control.Put()));
    CONTROLINFO info{};
    info.cb = sizeof info;
    info.cAccel = 3;
    Expect(control->GetControlInfo(&info) == S_OK && info.cAccel == 0 && info.hAccel == nullptr,
           "no keyboard mnemonics");

    // Without a container the control has no window, draws anyway, and a
    // script's use of it needs none.
    TComPtr<IOleInPlaceObject> inPlace;
    doc->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Put()));
    HWND window = reinterpret_cast<HWND>(1);
    Expect(inPlace->GetWindow(&window) == E_FAIL && window == nullptr, "no window before in-place activation");
    Expect(AllOf(ViewPixels(doc), ButtonFace()), "IViewObject::Draw without a window: the plain control");
    Expect(Slot<PLong>(doc, 7)(doc, 0) == S_OK, "members work without a window");
}

// Activates a new control in a container whose ambient UserMode is `userMode`
// (or that has no ambient properties) and checks its window.
void TestActivation(IUnknown* doc, bool userMode, bool ambient, const std::string& what) {
    TForm form;
    if (!form.Get()) {
        Expect(false, what + ": a container window (no display?)");
        return;
    }
    TContainer container(form.Get(), userMode, ambient);
    TComPtr<IOleObject> object;
    doc->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.Put()));
    object->SetClientSite(&container);
    Expect(container.ambientReads_ == 0, what + ": nothing is asked before the window is made");
    const RECT offered{10, 20, 110, 70};
    Expect(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, form.Get(), &offered) == S_OK &&
               container.activations_ == 1,
           what + ": DoVerb in-place activates");
    TComPtr<IOleInPlaceObject> inPlace;
    doc->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Put()));
    HWND window = nullptr;
    Expect(inPlace->GetWindow(&window) == S_OK && window && GetParent(window) == form.Get(),
           what + ": a child window of the container");
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, form.Get(), reinterpret_cast<POINT*>(&rect), 2);
    Expect(rect.left == 10 && rect.top == 20 && rect.right - rect.left == 32 && rect.bottom - rect.top == 32,
           what + ": at the site's position, 32 x 32 though offered 100 x 50");
    const RECT wider{40, 30, 140, 80};
    inPlace->SetObjectRects(&wider, &wider);
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, form.Get(), reinterpret_cast<POINT*>(&rect), 2);
    Expect(rect.left == 40 && rect.top == 30 && rect.right - rect.left == 32 && rect.bottom - rect.top == 32,
           what + ": resized to 100 x 50, it is 32 x 32 again");
    SetWindowPos(window, nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(window, &rect);
    Expect(rect.right == 32 && rect.bottom == 32, what + ": a direct resize snaps back too");
    SIZEL asked{2646, 1323}, extent{};
    Expect(object->SetExtent(DVASPECT_CONTENT, &asked) == S_OK &&
               object->GetExtent(DVASPECT_CONTENT, &extent) == S_OK && extent.cx == 847 && extent.cy == 847,
           what + ": SetExtent to 100 x 50 pixels, GetExtent gives 32 x 32 again");

    const bool design = ambient && !userMode;
    const std::vector<DWORD> expected = design ? DesignPicture() : std::vector<DWORD>(32 * 32, ButtonFace());
    Expect(WindowPixels(window) == expected,
           what + (design ? ": the window shows the picture ICON32" : ": the window shows an empty control"));
    Expect(ViewPixels(doc) == expected, what + ": IViewObject::Draw gives the same");
    if (design) Expect(!AllOf(expected, ButtonFace()), what + ": the picture is not blank");
    Expect(container.ambientReads_ == (ambient ? 1 : 0), what + ": UserMode is asked once, when the window is made");

    // Visible and Enabled act on the window (slots 67 and 61 are their puts).
    Expect(IsWindowVisible(window) && IsWindowEnabled(window), what + ": visible and enabled");
    Slot<PBool>(doc, 67)(doc, VARIANT_FALSE);
    Slot<PBool>(doc, 61)(doc, VARIANT_FALSE);
    const bool hidden = !IsWindowVisible(window) && !IsWindowEnabled(window);
    Slot<PBool>(doc, 67)(doc, VARIANT_TRUE);
    Slot<PBool>(doc, 61)(doc, VARIANT_TRUE);
    Expect(hidden && IsWindowVisible(window) && IsWindowEnabled(window),
           what + ": Visible and Enabled false hide and disable the window, true brings it back");

    // Activated again: the decision stays, no second window.
    Expect(object->DoVerb(OLEIVERB_SHOW, nullptr, &container, 0, form.Get(), &offered) == S_OK &&
               container.activations_ == 1,
           what + ": showing again keeps the one window");
    Expect(inPlace->InPlaceDeactivate() == S_OK && container.deactivations_ == 1 && !IsWindow(window),
           what + ": InPlaceDeactivate destroys the window");
    // A new window later keeps the first decision.
    Expect(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, form.Get(), &offered) == S_OK &&
               inPlace->GetWindow(&window) == S_OK && WindowPixels(window) == expected &&
               container.ambientReads_ == (ambient ? 1 : 0),
           what + ": activated again, the same appearance without asking again");
    inPlace->InPlaceDeactivate();
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    inPlace.Reset();
    object.Reset();
    Expect(container.refs_ == 1, what + ": the container's site is released");
}

// A control released while in place closes its window.
void TestReleaseWhileActive() {
    TForm form;
    TContainer container(form.Get(), true, true);
    TComPtr<IUnknown> doc = NewControl();
    TComPtr<IOleObject> object;
    if (doc) doc->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.Put()));
    if (!object) return;
    object->SetClientSite(&container);
    const RECT offered{0, 0, 32, 32};
    object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, form.Get(), &offered);
    HWND window = nullptr;
    TComPtr<IOleInPlaceObject> inPlace;
    doc->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Put()));
    inPlace->GetWindow(&window);
    Expect(window && GetParent(window) == form.Get(), "a control active in place");
    inPlace.Reset();
    object->SetClientSite(nullptr);
    object.Reset();
    doc.Reset();
    Expect(!IsWindow(window), "released while in place, the control destroys its window");
}

}  // namespace

void TestEmbedding(IUnknown* doc) {
    TestInterfaces(doc);
    struct TCase {
        bool userMode, ambient;
        const char* what;
    };
    for (const TCase& c : {TCase{false, true, "design mode (UserMode false)"},
                           TCase{true, true, "run mode (UserMode true)"},
                           TCase{true, false, "a site without ambient properties"}}) {
        if (TComPtr<IUnknown> control = NewControl()) TestActivation(control.Get(), c.userMode, c.ambient, c.what);
    }
    TestReleaseWhileActive();
}

}  // namespace vellumark::com::early
