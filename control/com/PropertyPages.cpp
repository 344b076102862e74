// Property browsing and frames: the control has no property pages, no
// predefined values beyond its type information, and no child controls
// whose messages it would filter.
#include "control/com/ComControl.h"

#include <olectl.h>

namespace vellumark::com {

STDMETHODIMP TComControl::GetDisplayString(DISPID, BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TComControl::MapPropertyToPage(DISPID, CLSID* page) {
    if (!page) return E_POINTER;
    *page = CLSID_NULL;
    return PERPROP_E_NOPAGEAVAILABLE;
}

STDMETHODIMP TComControl::GetPredefinedStrings(DISPID, CALPOLESTR* strings, CADWORD* cookies) {
    if (!strings || !cookies) return E_POINTER;
    *strings = CALPOLESTR{0, nullptr};
    *cookies = CADWORD{0, nullptr};
    return E_NOTIMPL;
}

STDMETHODIMP TComControl::GetPredefinedValue(DISPID, DWORD, VARIANT* value) {
    if (!value) return E_POINTER;
    return E_NOTIMPL;
}

STDMETHODIMP TComControl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

STDMETHODIMP TComControl::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD* cookie) {
    if (cookie) *cookie = 0;
    return S_OK;
}

STDMETHODIMP TComControl::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) { return S_OK; }

}  // namespace vellumark::com
