// The control as a view and a data object: IViewObject2 draws what its window
// shows; IDataObject offers no formats.
#include "control/com/ComControl.h"

namespace vellumark::com {

// ---- IViewObject2 ----

STDMETHODIMP TComControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc) return E_INVALIDARG;
    if (bounds) {
        Paint(dc, bounds->left, bounds->top);
        return S_OK;
    }
    // Without bounds only an active control can draw, at its own place.
    if (!window_) return E_INVALIDARG;
    Paint(dc, 0, 0);
    return S_OK;
}

STDMETHODIMP TComControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (!colors) return E_POINTER;
    *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP TComControl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze) *freeze = 0;
    return E_NOTIMPL;
}

STDMETHODIMP TComControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP TComControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewSink_ = TComPtr<IAdviseSink>::Share(sink);
    viewAspects_ = aspects;
    viewAdviseFlags_ = flags;
    if (sink && (flags & ADVF_PRIMEFIRST)) sink->OnViewChange(DVASPECT_CONTENT, -1);
    return S_OK;
}

STDMETHODIMP TComControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewAdviseFlags_;
    if (sink) *sink = TComPtr<IAdviseSink>(viewSink_).Detach();
    return S_OK;
}

STDMETHODIMP TComControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = ControlExtent();
    return S_OK;
}

// ---- IDataObject ----

STDMETHODIMP TComControl::GetData(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }

STDMETHODIMP TComControl::GetDataHere(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }

STDMETHODIMP TComControl::QueryGetData(FORMATETC*) { return DV_E_FORMATETC; }

STDMETHODIMP TComControl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (!out) return E_POINTER;
    out->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TComControl::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP TComControl::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
    if (!formats) return E_POINTER;
    *formats = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TComControl::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP TComControl::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP TComControl::EnumDAdvise(IEnumSTATDATA** advise) {
    if (advise) *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace vellumark::com
