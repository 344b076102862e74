// The About box: the form resource "TPDFDOCABOUT" shown modally with the
// window class "TPDFDocAbout". The resource's dialog units are not pixels, so
// the box sets its client size and every control's rectangle in pixels when
// it opens, and centres itself on the screen.
#include "control/com/AboutBox.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "control/com/ComUtil.h"
#include "control/com/Module.h"

namespace vellumark::com {

namespace {

constexpr wchar_t kClassName[] = L"TPDFDocAbout";
constexpr wchar_t kFormName[] = L"TPDFDOCABOUT";
constexpr int kClientWidth = 358;
constexpr int kClientHeight = 128;
constexpr COLORREF kLinkColor = RGB(0, 0, 255);

// A control of the form and its rectangle in client pixels.
struct TPlace {
    int id;
    int left, top, width, height;
};

constexpr TPlace kPlaces[] = {
    {VMX_ABOUT_PICTURE, 16, 24, 26, 26},     {VMX_ABOUT_NAME, 48, 24, 173, 16},
    {VMX_ABOUT_DESCRIPTION, 48, 42, 207, 13}, {VMX_ABOUT_NOTICE, 104, 72, 160, 13},
    {VMX_ABOUT_LINK, 0, 0, 87, 13},          {IDOK, 144, 96, 75, 25},
};

// A sans-serif font `pixels` high (the height of its characters).
HFONT MakeFont(int pixels, LONG weight, bool underline) noexcept {
    LOGFONTW font{};
    font.lfHeight = -pixels;
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    constexpr std::wstring_view face = L"MS Shell Dlg";
    std::copy(face.begin(), face.end(), font.lfFaceName);
    return CreateFontIndirectW(&font);
}

// The window class of the box: the system's dialog procedure with the extra
// bytes of a dialog. It is registered while a box is open; the last box of
// the module to close unregisters it (unregistering fails while a window of
// the class exists).
class TWindowClass {
public:
    TWindowClass() noexcept {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefDlgProcW;
        windowClass.cbWndExtra = DLGWINDOWEXTRA;
        windowClass.hInstance = ThisModule();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        windowClass.lpszClassName = kClassName;
        ok_ = RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    TWindowClass(const TWindowClass&) = delete;
    TWindowClass& operator=(const TWindowClass&) = delete;
    ~TWindowClass() { UnregisterClassW(kClassName, ThisModule()); }
    bool Ok() const noexcept { return ok_; }

private:
    bool ok_ = false;
};

// The state of one open box: its fonts, its picture and the address of its
// link. It outlives the dialog's window and its controls.
class TAboutBox {
public:
    TAboutBox()
        : nameFont_(MakeFont(13, FW_BOLD, false)),
          linkFont_(MakeFont(11, FW_NORMAL, true)),
          picture_(static_cast<HBITMAP>(
              LoadImageW(ThisModule(), MAKEINTRESOURCEW(1), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(ThisModule(), VMX_ABOUT_ADDRESS, reinterpret_cast<LPWSTR>(&text), 0);
        if (text && length > 0) address_.assign(text, static_cast<size_t>(length));
    }

    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<TAboutBox*>(lParam)->Open(dialog);
            return FALSE;  // the focus was set
        }
        auto* box = reinterpret_cast<TAboutBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
        return box ? box->Handle(dialog, message, wParam, lParam) : FALSE;
    }

private:
    // Places the box and its controls in pixels and gives them their fonts
    // and picture.
    void Open(HWND dialog) noexcept {
        SizeAndCentre(dialog);
        for (const TPlace& place : kPlaces) {
            SetWindowPos(GetDlgItem(dialog, place.id), nullptr, place.left, place.top, place.width, place.height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (nameFont_.Get())
            SendDlgItemMessageW(dialog, VMX_ABOUT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.Get()), FALSE);
        if (linkFont_.Get())
            SendDlgItemMessageW(dialog, VMX_ABOUT_LINK, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), FALSE);
        if (picture_.Get())
            SendDlgItemMessageW(dialog, VMX_ABOUT_PICTURE, BM_SETIMAGE, IMAGE_BITMAP,
                                reinterpret_cast<LPARAM>(picture_.Get()));
        link_ = GetDlgItem(dialog, VMX_ABOUT_LINK);
        SetFocus(GetDlgItem(dialog, IDOK));
    }

    // The window sized for a client area of kClientWidth x kClientHeight and
    // centred on the screen.
    static void SizeAndCentre(HWND dialog) noexcept {
        RECT frame{0, 0, kClientWidth, kClientHeight};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
        int width = frame.right - frame.left;
        int height = frame.bottom - frame.top;
        SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // The caption may take another height than the system's estimate.
        RECT client{};
        if (GetClientRect(dialog, &client)) {
            width += kClientWidth - client.right;
            height += kClientHeight - client.bottom;
        }
        const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        switch (message) {
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDOK:
                    case IDCANCEL:  // Escape and the close box
                        EndDialog(dialog, IDOK);
                        return TRUE;
                    case VMX_ABOUT_LINK:
                        if (HIWORD(wParam) == STN_CLICKED) OpenAddress(dialog);
                        return TRUE;
                    default:
                        return FALSE;
                }
            case WM_SETCURSOR: {
                // The hand over the link, the arrow over the form; the other
                // controls keep their own.
                const auto over = reinterpret_cast<HWND>(wParam);
                if (LOWORD(lParam) != HTCLIENT || (over != dialog && (!link_ || over != link_))) return FALSE;
                SetCursor(LoadCursorW(nullptr, over == dialog ? IDC_ARROW : IDC_HAND));
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            case WM_CTLCOLORSTATIC:
                if (link_ && reinterpret_cast<HWND>(lParam) == link_) {
                    const auto dc = reinterpret_cast<HDC>(wParam);
                    SetTextColor(dc, kLinkColor);
                    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                    SetBkMode(dc, TRANSPARENT);
                    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
                }
                return FALSE;
            default:
                return FALSE;
        }
    }

    // The shell opens the address with the user's browser.
    void OpenAddress(HWND dialog) const noexcept {
        if (!address_.empty()) ShellExecuteW(dialog, L"open", address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }

    TGdiObject<HFONT> nameFont_;
    TGdiObject<HFONT> linkFont_;
    TGdiObject<HBITMAP> picture_;
    std::wstring address_;
    HWND link_ = nullptr;
};

}  // namespace

bool ShowAboutBox(HWND owner) noexcept {
    try {
        const TWindowClass windowClass;
        if (!windowClass.Ok()) return false;
        TAboutBox box;
        const HWND parent = owner ? GetAncestor(owner, GA_ROOT) : GetActiveWindow();
        return DialogBoxParamW(ThisModule(), kFormName, parent, &TAboutBox::Procedure,
                               reinterpret_cast<LPARAM>(&box)) == IDOK;
    } catch (...) {
        return false;
    }
}

}  // namespace vellumark::com
