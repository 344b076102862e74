// Stub.
#include "control/com/ComControl.h"

namespace vellumark::com {

STDMETHODIMP TComControl::GetWindow(HWND* window) { return E_NOTIMPL; }
STDMETHODIMP TComControl::ContextSensitiveHelp(BOOL enter) { return E_NOTIMPL; }
STDMETHODIMP TComControl::InPlaceDeactivate() { return E_NOTIMPL; }
STDMETHODIMP TComControl::UIDeactivate() { return E_NOTIMPL; }
STDMETHODIMP TComControl::SetObjectRects(LPCRECT pos, LPCRECT clip) { return E_NOTIMPL; }
STDMETHODIMP TComControl::ReactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP TComControl::TranslateAccelerator(LPMSG msg) { return E_NOTIMPL; }
STDMETHODIMP TComControl::OnFrameWindowActivate(BOOL activate) { return E_NOTIMPL; }
STDMETHODIMP TComControl::OnDocWindowActivate(BOOL activate) { return E_NOTIMPL; }
STDMETHODIMP TComControl::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) { return E_NOTIMPL; }
STDMETHODIMP TComControl::EnableModeless(BOOL enable) { return E_NOTIMPL; }

}  // namespace vellumark::com
