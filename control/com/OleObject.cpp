// The control as an embedded object: IOleObject (site, verbs, extent,
// advise sinks, status), IOleControl and IQuickActivate.
#include "control/com/ComControl.h"

#include <olectl.h>

#include <vector>

#include "control/com/ConnectionPoints.h"
#include "control/com/Enumerator.h"
#include "control/com/Guids.h"

namespace vellumark::com {

// ---- IOleObject ----

STDMETHODIMP TComControl::SetClientSite(IOleClientSite* site) {
    site_ = TComPtr<IOleClientSite>::Share(site);
    return S_OK;
}

STDMETHODIMP TComControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = TComPtr<IOleClientSite>(site_).Detach();
    return S_OK;
}

STDMETHODIMP TComControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP TComControl::Close(DWORD) {
    InPlaceDeactivate();
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
}

STDMETHODIMP TComControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP TComControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (!moniker) return E_POINTER;
    *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TComControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP TComControl::GetClipboardData(DWORD, IDataObject** data) {
    if (!data) return E_POINTER;
    *data = nullptr;
    return E_NOTIMPL;
}

// Verb 0 ("Properties") would show the property pages, of which the control
// has none. Showing and activating put the control's window into the
// container in place; hiding hides it.
STDMETHODIMP TComControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND, LPCRECT) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
            return S_OK;
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return InPlaceActivate(activeSite ? activeSite : site_.Get());
        case OLEIVERB_HIDE:
            if (window_) ShowWindow(window_, SW_HIDE);
            return S_OK;
        default:
            return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

STDMETHODIMP TComControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (!verbs) return E_POINTER;
    *verbs = nullptr;
    try {
        OLEVERB properties{0, const_cast<LPOLESTR>(kVerbName), 0, OLEVERBATTRIB_ONCONTAINERMENU};
        return TEnumerator<IEnumOLEVERB, OLEVERB>::Create({properties}, verbs);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP TComControl::Update() { return S_OK; }

STDMETHODIMP TComControl::IsUpToDate() { return S_OK; }

STDMETHODIMP TComControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kCLSID_PDFDoc;
    return S_OK;
}

STDMETHODIMP TComControl::GetUserType(DWORD form, LPOLESTR* userType) {
    if (!userType) return E_POINTER;
    *userType = TaskMemCopy(form == USERCLASSTYPE_FULL ? kClassDescription
                           : form == USERCLASSTYPE_SHORT ? L"PDFDoc"
                                                        : L"VellumarkX");
    return *userType ? S_OK : E_OUTOFMEMORY;
}

// The container may ask for any size; the control stays 32 x 32 pixels and
// reports that size again.
STDMETHODIMP TComControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    return aspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
}

STDMETHODIMP TComControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = ControlExtent();
    return S_OK;
}

STDMETHODIMP TComControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!connection) return E_POINTER;
    *connection = 0;
    if (!adviseHolder_) {
        const HRESULT hr = CreateOleAdviseHolder(adviseHolder_.Put());
        if (FAILED(hr)) return hr;
    }
    return adviseHolder_->Advise(sink, connection);
}

STDMETHODIMP TComControl::Unadvise(DWORD connection) {
    return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP TComControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advise) : S_OK;
}

STDMETHODIMP TComControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

STDMETHODIMP TComControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleControl: no mnemonics, no ambient property the control depends
// on after its design-mode decision, no events to freeze ----

STDMETHODIMP TComControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP TComControl::OnMnemonic(MSG*) { return S_OK; }

STDMETHODIMP TComControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP TComControl::FreezeEvents(BOOL) { return S_OK; }

// ---- IQuickActivate: the site, the sinks and the status in one call ----

STDMETHODIMP TComControl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (!container || !control) return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    control->dwMiscStatus = kMiscStatus;
    control->dwViewStatus = VIEWSTATUS_OPAQUE;
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    if (container->pUnkEventSink) eventsPoint_->Advise(container->pUnkEventSink, &control->dwEventCookie);
    if (container->pPropertyNotifySink)
        propertyNotifyPoint_->Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
    return S_OK;
}

STDMETHODIMP TComControl::SetContentExtent(LPSIZEL size) { return size ? S_OK : E_POINTER; }

STDMETHODIMP TComControl::GetContentExtent(LPSIZEL size) {
    if (!size) return E_POINTER;
    *size = ControlExtent();
    return S_OK;
}

}  // namespace vellumark::com
