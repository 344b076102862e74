// Stub.
#include "control/com/ComControl.h"

namespace vellumark::com {

STDMETHODIMP TComControl::SetClientSite(IOleClientSite* site) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetClientSite(IOleClientSite** site) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetHostNames(LPCOLESTR app, LPCOLESTR object) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Close(DWORD saveOption) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetMoniker(DWORD which, IMoniker* moniker) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) { return E_NOTIMPL; }
STDMETHODIMP TComControl::InitFromData(IDataObject* data, BOOL creation, DWORD reserved) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetClipboardData(DWORD reserved, IDataObject** data) { return E_NOTIMPL; }
STDMETHODIMP TComControl::DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent, LPCRECT pos) { return E_NOTIMPL; }
STDMETHODIMP TComControl::EnumVerbs(IEnumOLEVERB** verbs) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Update() { return E_NOTIMPL; }
STDMETHODIMP TComControl::IsUpToDate() { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetUserClassID(CLSID* clsid) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetUserType(DWORD form, LPOLESTR* userType) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetExtent(DWORD aspect, SIZEL* size) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetExtent(DWORD aspect, SIZEL* size) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Advise(IAdviseSink* sink, DWORD* connection) { return E_NOTIMPL; }
STDMETHODIMP TComControl::Unadvise(DWORD connection) { return E_NOTIMPL; }
STDMETHODIMP TComControl::EnumAdvise(IEnumSTATDATA** advise) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetMiscStatus(DWORD aspect, DWORD* status) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetColorScheme(LOGPALETTE* palette) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetControlInfo(CONTROLINFO* info) { return E_NOTIMPL; }
STDMETHODIMP TComControl::OnMnemonic(MSG* msg) { return E_NOTIMPL; }
STDMETHODIMP TComControl::OnAmbientPropertyChange(DISPID id) { return E_NOTIMPL; }
STDMETHODIMP TComControl::FreezeEvents(BOOL freeze) { return E_NOTIMPL; }
STDMETHODIMP TComControl::QuickActivate(QACONTAINER* container, QACONTROL* control) { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetContentExtent(LPSIZEL size) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetContentExtent(LPSIZEL size) { return E_NOTIMPL; }

}  // namespace vellumark::com
