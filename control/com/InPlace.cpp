// In-place activation: IOleWindow, IOleInPlaceObject and
// IOleInPlaceActiveObject. The control has no menus, toolbars or
// accelerators of its own.
#include "control/com/ComControl.h"

namespace vellumark::com {

HRESULT TComControl::InPlaceActivate(IOleClientSite* site) noexcept {
    if (inPlaceActive_) {
        ApplyWindowState();
        return S_OK;
    }
    if (!site) return E_UNEXPECTED;
    TComPtr<IOleInPlaceSite> inPlace;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlace.Put())))) return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    HRESULT hr = inPlace->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    HWND parent = nullptr;
    RECT pos{}, clip{};
    TComPtr<IOleInPlaceFrame> frame;
    TComPtr<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    hr = inPlace->GetWindow(&parent);
    if (SUCCEEDED(hr)) hr = inPlace->GetWindowContext(frame.Put(), document.Put(), &pos, &clip, &frameInfo);
    if (SUCCEEDED(hr)) hr = CreateEngineWindow(parent, pos);
    if (FAILED(hr)) {
        inPlace->OnInPlaceDeactivate();
        return hr;
    }
    inPlaceSite_ = std::move(inPlace);
    inPlaceActive_ = true;
    return S_OK;
}

STDMETHODIMP TComControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP TComControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP TComControl::InPlaceDeactivate() {
    if (!inPlaceActive_) return S_OK;
    inPlaceActive_ = false;
    DestroyEngineWindow();
    if (TComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_)) site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP TComControl::UIDeactivate() { return S_OK; }

// The container places the control; its size stays 32 x 32 pixels.
STDMETHODIMP TComControl::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (!pos) return E_POINTER;
    windowProperties_.Left = pos->left;
    windowProperties_.Top = pos->top;
    if (window_)
        SetWindowPos(window_, nullptr, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP TComControl::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP TComControl::TranslateAccelerator(LPMSG) { return S_FALSE; }

STDMETHODIMP TComControl::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP TComControl::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP TComControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

STDMETHODIMP TComControl::EnableModeless(BOOL) { return S_OK; }

}  // namespace vellumark::com
