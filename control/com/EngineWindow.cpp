// The control's window: made only when a container activates the control in
// place (a control used from a script never has one), after the design-mode
// decision; always 32 x 32 pixels; showing the control's picture at design
// time and nothing at run time.
#include "control/com/ComControl.h"

#include <olectl.h>

#include "control/com/Module.h"

namespace vellumark::com {

namespace {

constexpr wchar_t kWindowClass[] = L"TVellumark";

TComControl* OwnerOf(HWND window) {
    return reinterpret_cast<TComControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_WINDOWPOSCHANGING: {
            // Every resize snaps back to the control's size.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            pos->cx = kControlPixels;
            pos->cy = kControlPixels;
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // painted with the rest
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (HDC dc = BeginPaint(window, &paint)) {
                if (TComControl* owner = OwnerOf(window)) owner->Paint(dc, 0, 0);
                EndPaint(window, &paint);
            }
            return 0;
        }
        case WM_PRINTCLIENT:
            if (TComControl* owner = OwnerOf(window)) owner->Paint(reinterpret_cast<HDC>(wp), 0, 0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wp, lp);
}

// The window class, registered while any control window exists.
bool RegisterWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ThisModule();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

SIZEL ControlExtent() noexcept {
    int dpiX = 96, dpiY = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpiX = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    if (dpiX <= 0) dpiX = 96;
    if (dpiY <= 0) dpiY = 96;
    return {MulDiv(kControlPixels, 2540, dpiX), MulDiv(kControlPixels, 2540, dpiY)};
}

// Decided once: a control whose engine no longer refers to it keeps the
// engine's designing state; an engine already designing keeps the stored
// answer; otherwise the container's ambient UserMode decides, and any failure
// to read it counts as run mode.
bool TComControl::DecideDesignMode() noexcept {
    if (!engineHasOwner_) return designing_;
    bool answer = designMode_;
    if (!designing_ && site_) {
        TComPtr<IDispatch> ambient;
        if (SUCCEEDED(site_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ambient.Put())))) {
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            VARIANT userMode;
            VariantInit(&userMode);
            if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                          DISPATCH_PROPERTYGET, &none, &userMode, nullptr, nullptr)) &&
                SUCCEEDED(VariantChangeType(&userMode, &userMode, 0, VT_BOOL)) && V_BOOL(&userMode) == VARIANT_FALSE) {
                designing_ = true;
                answer = true;
            }
            VariantClear(&userMode);
        }
    }
    designMode_ = answer;
    engineHasOwner_ = false;
    return answer;
}

HRESULT TComControl::CreateEngineWindow(HWND parent, const RECT& pos) noexcept {
    if (window_) {
        SetParent(window_, parent);
        SetWindowPos(window_, nullptr, pos.left, pos.top, kControlPixels, kControlPixels,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyWindowState();
        return S_OK;
    }
    if (!parent) return E_UNEXPECTED;
    DecideDesignMode();
    if (!RegisterWindowClass()) return HRESULT_FROM_WIN32(GetLastError());
    window_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_CLIPSIBLINGS, pos.left, pos.top, kControlPixels,
                              kControlPixels, parent, nullptr, ThisModule(), this);
    if (!window_) return HRESULT_FROM_WIN32(GetLastError());
    ApplyWindowState();
    windowProperties_.Left = pos.left;
    windowProperties_.Top = pos.top;
    return S_OK;
}

void TComControl::ApplyWindowState() noexcept {
    if (!window_) return;
    ShowWindow(window_, doc_.Window().Visible ? SW_SHOWNA : SW_HIDE);
    EnableWindow(window_, doc_.Window().Enabled);
}

void TComControl::DestroyEngineWindow() noexcept {
    if (!window_) return;
    DestroyWindow(window_);
    window_ = nullptr;
    // Fails, harmlessly, while another control's window is open.
    UnregisterClassW(kWindowClass, ThisModule());
}

// A plain control: its background in the button face colour, then at design
// time the picture "ICON32" at the top left corner.
void TComControl::Paint(HDC dc, int x, int y) noexcept {
    const RECT area{x, y, x + kControlPixels, y + kControlPixels};
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    if (!designMode_) return;
    const TGdiObject<HBITMAP> picture(LoadBitmapW(ThisModule(), L"ICON32"));
    if (!picture.Get()) return;
    if (HDC source = CreateCompatibleDC(dc)) {
        const HGDIOBJ old = SelectObject(source, picture.Get());
        BitBlt(dc, x, y, kControlPixels, kControlPixels, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
}

}  // namespace vellumark::com
