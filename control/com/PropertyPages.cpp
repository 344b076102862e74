// Stub.
#include "control/com/ComControl.h"

namespace vellumark::com {

STDMETHODIMP TComControl::GetDisplayString(DISPID id, BSTR* text) { return E_NOTIMPL; }
STDMETHODIMP TComControl::MapPropertyToPage(DISPID id, CLSID* page) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) { return E_NOTIMPL; }
STDMETHODIMP TComControl::GetPages(CAUUID* pages) { return E_NOTIMPL; }
STDMETHODIMP TComControl::PreMessageFilter(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, DWORD* cookie) { return E_NOTIMPL; }
STDMETHODIMP TComControl::PostMessageFilter(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, DWORD cookie) { return E_NOTIMPL; }

}  // namespace vellumark::com
