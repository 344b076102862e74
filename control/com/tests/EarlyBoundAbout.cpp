// The About box (AboutBox, slot 69, dispatch id -552): the call shows the box
// modally and returns only after it has closed. A watcher thread finds the
// box, checks its size, place, owner, controls and fonts, then closes it.
// The watcher never lets the client hang: when the box does not show or does
// not close in time it reports the failure and closes whatever windows the
// calling thread shows, and in the end stops the process.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "control/com/ComUtil.h"
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

namespace {

constexpr wchar_t kCaption[] = L"About Tarnwick VellumarkX";
constexpr DWORD kWaitMs = 10000;     // for the box to show, then to close
constexpr DWORD kGiveUpMs = 60000;   // for the whole call
constexpr UINT kSendTimeoutMs = 5000;

// How the watcher closes the box, and whether it inspects the form first.
enum class TClose { OkButton, Escape };
enum class TInspect { Form, OwnerOnly };

// A message sent to a window of the calling thread, which must answer in time.
LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return 0;
    return static_cast<LRESULT>(result);
}

std::string TextOf(HWND window) {
    wchar_t text[256] = {};
    Ask(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return Narrow(text);
}

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    std::string out = Narrow(name);
    for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

// The window's rectangle in the client coordinates of `parent`.
RECT PlaceIn(HWND window, HWND parent) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Describe(const RECT& r) {
    std::string out = "(";
    out += std::to_string(r.left) + ", " + std::to_string(r.top) + ") ";
    out += std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
    return out;
}

// The width of `text` drawn with the control's font.
int TextWidth(HWND control, const std::string& text) {
    const std::wstring wide(text.begin(), text.end());
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(Ask(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

bool FontOf(HWND control, LOGFONTW& font) {
    const auto handle = reinterpret_cast<HFONT>(Ask(control, WM_GETFONT, 0, 0));
    return handle && GetObjectW(handle, sizeof font, &font) == sizeof font;
}

// The cursor the box sets for the mouse over `target` (the box or one of its
// controls), read through the box thread's input state.
HCURSOR CursorOver(HWND box, HWND target, DWORD boxThread, HCURSOR expected) {
    // The display's real pointer starts at the screen's centre, over the
    // centred box, and its own WM_SETCURSOR may set the shared cursor between
    // our message and the read: move it away, and ask again a few times.
    SetCursorPos(0, 0);
    const DWORD self = GetCurrentThreadId();
    if (!AttachThreadInput(self, boxThread, TRUE)) return nullptr;
    HCURSOR cursor = nullptr;
    for (int attempt = 0; attempt < 5 && cursor != expected; ++attempt) {
        if (attempt > 0) Sleep(50);
        SetCursor(nullptr);
        const bool handled =
            Ask(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        cursor = handled ? GetCursor() : nullptr;
    }
    AttachThreadInput(self, boxThread, FALSE);
    return cursor;
}

// One control of the box as the client sees it.
struct TControlShape {
    const char* role;
    const char* className;
    RECT rect;
};

constexpr TControlShape kControls[] = {
    {"picture button", "button", {16, 24, 16 + 26, 24 + 26}},
    {"name label", "static", {48, 24, 48 + 173, 24 + 16}},
    {"description label", "static", {48, 42, 48 + 207, 42 + 13}},
    {"notice label", "static", {104, 72, 104 + 160, 72 + 13}},
    {"link label", "static", {0, 0, 87, 13}},
    {"OK button", "button", {144, 96, 144 + 75, 96 + 25}},
};
constexpr int kControlCount = sizeof kControls / sizeof kControls[0];

// A thread that waits for the box shown by a call of the calling thread,
// checks it and closes it. Its checks are counted while the calling thread is
// held in its call, and the caller reads the results only after Finish.
class TWatcher {
public:
    TWatcher(HWND owner, TClose close, TInspect inspect, std::string call)
        : owner_(owner),
          close_(close),
          inspect_(inspect),
          call_(std::move(call)),
          callerThread_(GetCurrentThreadId()) {
        thread_ = CreateThread(nullptr, 0, &TWatcher::Run, this, 0, nullptr);
        Expect(thread_ != nullptr, call_ + ": the watcher thread starts");
    }
    TWatcher(const TWatcher&) = delete;
    TWatcher& operator=(const TWatcher&) = delete;
    ~TWatcher() { Finish(); }

    // The call has returned: the watcher ends.
    void Finish() {
        returned_ = true;
        if (thread_) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
    }
    bool Closed() const { return closed_; }
    HWND Box() const { return box_; }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<TWatcher*>(self)->Watch();
        return 0;
    }

    void Watch() {
        const DWORD start = GetTickCount();
        DWORD deadline = start + kWaitMs;
        bool late = false;
        while (!returned_) {
            const DWORD now = GetTickCount();
            if (!box_) {
                HWND box = FindWindowW(nullptr, kCaption);
                DWORD thread = box ? GetWindowThreadProcessId(box, nullptr) : 0;
                if (box && thread == callerThread_ && IsWindowVisible(box)) {
                    box_ = box;
                    Check(box);
                    closed_ = true;
                    Close(box);
                    deadline = GetTickCount() + kWaitMs;
                }
            }
            if (!late && static_cast<LONG>(now - deadline) > 0) {
                late = true;
                Expect(false, call_ + (box_ ? ": the box closes in time" : ": the box shows in time"));
            }
            if (late) EnumThreadWindows(callerThread_, &TWatcher::CloseWindow, 0);
            if (now - start > kGiveUpMs) {
                Expect(false, call_ + ": the call returns; the client stops");
                std::printf("%d failure(s)\n", Failures());
                std::fflush(stdout);
                TerminateProcess(GetCurrentProcess(), 1);
            }
            Sleep(50);
        }
    }

    static BOOL CALLBACK CloseWindow(HWND window, LPARAM) {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }

    void Close(HWND box) {
        HWND ok = GetDlgItem(box, IDOK);
        if (close_ == TClose::OkButton) {
            PostMessageW(ok, BM_CLICK, 0, 0);
        } else {
            PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 1);
            PostMessageW(ok, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
        }
    }

    void Check(HWND box) {
        const std::string at = call_ + ": ";
        Expect(GetWindow(box, GW_OWNER) == owner_, at + (owner_ ? "owned by the active window" : "without an owner"));
        Expect(IsWindowEnabled(box) && (!owner_ || !IsWindowEnabled(owner_)),
               at + (owner_ ? "the box is enabled, its owner disabled" : "the box is enabled"));
        if (inspect_ == TInspect::Form) CheckForm(at, box);
    }

    void CheckForm(const std::string& at, HWND box) {
        Expect(ClassOf(box) == "tpdfdocabout", at + "the box is a TPDFDocAbout window");
        RECT client{};
        GetClientRect(box, &client);
        Expect(client.right == 358 && client.bottom == 128,
               at + "client area 358 x 128, got " + std::to_string(client.right) + " x " + std::to_string(client.bottom));
        RECT frame{};
        GetWindowRect(box, &frame);
        const int dx = frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN);
        const int dy = frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN);
        Expect(std::abs(dx) <= 1 && std::abs(dy) <= 1, at + "centred on the screen");
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(box, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(box, GWL_EXSTYLE));
        Expect((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) &&
                   !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) && (exStyle & WS_EX_DLGMODALFRAME),
               at + "dialog border, system menu only");

        HWND controls[kControlCount] = {};
        int count = 0;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (count < kControlCount) controls[count] = child;
            ++count;
        }
        Expect(count == kControlCount, at + "six controls, got " + std::to_string(count));
        if (count != kControlCount) return;
        for (int i = 0; i < kControlCount; ++i) {
            const RECT rect = PlaceIn(controls[i], box);
            const TControlShape& shape = kControls[i];
            Expect(ClassOf(controls[i]) == shape.className && EqualRect(&rect, &shape.rect),
                   at + shape.role + " at " + Describe(shape.rect) + ", got " + Describe(rect));
        }
        const auto [picture, name, description, notice, link, ok] = controls;
        CheckTexts(at, name, description, notice, link, ok);
        CheckPicture(at, picture);
        CheckFonts(at, name, link);
        CheckLink(at, box, link);
        Expect(GetDlgCtrlID(ok) == IDOK && (GetWindowLongPtrW(ok, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
                   Ask(box, DM_GETDEFID, 0, 0) == MAKELONG(IDOK, DC_HASDEFID),
               at + "OK is the default button");
    }

    static void CheckTexts(const std::string& at, HWND name, HWND description, HWND notice, HWND link, HWND ok) {
        Expect(TextOf(name) == "Tarnwick VellumarkX 2.3", at + "the name label's text");
        Expect(TextOf(description) == "An ActiveX Control for Generating PDF Files", at + "the description's text");
        Expect(TextOf(ok) == "OK", at + "the OK button's text");
        const std::string noticeText = TextOf(notice);
        Expect(!noticeText.empty() && noticeText.find('\n') == std::string::npos &&
                   TextWidth(notice, noticeText) <= 160,
               at + "the notice \"" + noticeText + "\" fits on its line");
        const std::string address = TextOf(link);
        Expect(address.find(".example") != std::string::npos && TextWidth(link, address) <= 87,
               at + "the link \"" + address + "\" is an .example address that fits its label");
    }

    static void CheckPicture(const std::string& at, HWND picture) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(picture, GWL_STYLE));
        BITMAP bitmap{};
        const auto handle = reinterpret_cast<HBITMAP>(Ask(picture, BM_GETIMAGE, IMAGE_BITMAP, 0));
        Expect((style & BS_FLAT) && (style & BS_BITMAP) && handle &&
                   GetObjectW(handle, sizeof bitmap, &bitmap) != 0 && bitmap.bmWidth == 24 &&
                   bitmap.bmHeight == 24 && bitmap.bmBitsPixel == 8,
               at + "the flat picture button shows the 24 x 24 256-colour picture");
    }

    static void CheckFonts(const std::string& at, HWND name, HWND link) {
        LOGFONTW font{};
        Expect(FontOf(name, font) && std::abs(font.lfHeight) == 13 && font.lfWeight >= FW_BOLD,
               at + "the name label's font is bold, 13 pixels");
        font = LOGFONTW{};
        Expect(FontOf(link, font) && std::abs(font.lfHeight) == 11 && font.lfUnderline &&
                   (font.lfPitchAndFamily & 0xF0) == FF_SWISS,
               at + "the link label's font is sans-serif, underlined, 11 pixels");
    }

    void CheckLink(const std::string& at, HWND box, HWND link) const {
        HDC dc = CreateCompatibleDC(nullptr);
        const LRESULT brush = Ask(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link));
        Expect(brush != 0 && GetTextColor(dc) == RGB(0, 0, 255), at + "the link is drawn blue");
        DeleteDC(dc);
        Expect((GetWindowLongPtrW(link, GWL_STYLE) & SS_NOTIFY) != 0, at + "the link label takes clicks");
        const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND), arrow = LoadCursorW(nullptr, IDC_ARROW);
        Expect(CursorOver(box, link, callerThread_, hand) == hand,
               at + "the hand cursor over the link");
        Expect(CursorOver(box, box, callerThread_, arrow) == arrow,
               at + "the arrow cursor over the form");
    }

    const HWND owner_;
    const TClose close_;
    const TInspect inspect_;
    const std::string call_;
    const DWORD callerThread_;
    HANDLE thread_ = nullptr;
    std::atomic<bool> returned_{false};
    std::atomic<bool> closed_{false};
    std::atomic<HWND> box_{nullptr};
};

// What one call shows once it has returned.
void ExpectReturnedAfterClose(TWatcher& watcher, HRESULT hr, const std::string& call) {
    watcher.Finish();
    Expect(hr == S_OK, call + " returns S_OK");
    Expect(watcher.Closed(), call + " returns only after the box was closed");
    Expect(watcher.Box() && !IsWindow(watcher.Box()), call + ": the box no longer exists");
}

// A visible top-level window of the test, active while it lives.
class TActiveWindow : public TTestWindow {
public:
    TActiveWindow() : TTestWindow(L"Owner of the About box", 20, 20, 240, 120) {
        if (Get()) {
            SetForegroundWindow(Get());
            SetActiveWindow(Get());
        }
    }
};

}  // namespace

void TestAboutBox(IUnknown* doc) {
    {
        const std::string call = "AboutBox (slot 69)";
        TWatcher watcher(GetActiveWindow(), TClose::OkButton, TInspect::Form, call);
        const HRESULT hr = Slot<PVoid>(doc, 69)(doc);
        ExpectReturnedAfterClose(watcher, hr, call);
    }
    {
        TActiveWindow owner;
        Expect(owner.Get() && GetActiveWindow() == owner.Get(), "a window of the client is active");
        TComPtr<IDispatch> dispatch;
        Expect(SUCCEEDED(doc->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put()))),
               "IDispatch for the About box");
        if (dispatch) {
            const std::string call = "Invoke(-552) AboutBox over the active window";
            TWatcher watcher(owner.Get(), TClose::OkButton, TInspect::OwnerOnly, call);
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            VARIANT result;
            VariantInit(&result);
            const HRESULT hr =
                dispatch->Invoke(-552, IID_NULL, 1033, DISPATCH_METHOD, &none, &result, nullptr, nullptr);
            ExpectReturnedAfterClose(watcher, hr, call);
            Expect(V_VT(&result) == VT_EMPTY, call + " gives no value");
            VariantClear(&result);
            Expect(IsWindowEnabled(owner.Get()) != FALSE, call + ": the owner is enabled again");
        }
    }
    {
        const std::string call = "AboutBox (slot 69) closed with Escape";
        TWatcher watcher(GetActiveWindow(), TClose::Escape, TInspect::OwnerOnly, call);
        const HRESULT hr = Slot<PVoid>(doc, 69)(doc);
        ExpectReturnedAfterClose(watcher, hr, call);
    }
}

}  // namespace vellumark::com::early
