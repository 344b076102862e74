// Shared by the parts of the early-bound client (EarlyBound.cpp and its
// companions, one file per concern): checks, slot calls and the tests each
// part runs on a new control object.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <cstdio>
#include <string>

#include "control/com/ComUtil.h"

namespace vellumark::com::early {

// Prints the check and counts it when it failed.
void Expect(bool ok, const std::string& what);
int Failures();

inline std::string Narrow(const wchar_t* s) {
    std::string out;
    for (; s && *s; ++s) out += static_cast<char>(*s < 128 ? *s : '?');
    return out;
}

// The object's function table entry at `slot`, as a function of type F.
template <class F>
F Slot(IUnknown* object, int slot) {
    void** table = *reinterpret_cast<void***>(object);
    return reinterpret_cast<F>(table[slot]);
}

using PLong = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, LONG);
using PLongOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, LONG*);
using PBoolOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, VARIANT_BOOL*);
using PBool = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, VARIANT_BOOL);
using PColor = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, OLE_COLOR);
using PColorOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, OLE_COLOR*);
using PBStr = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR);
using PBStrOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR*);
using PBStrLongOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR, LONG*);
using PVariantLongOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, VARIANT, LONG*);
using P3Double = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, double, double, double);
using PLong2LongOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, LONG, LONG, LONG*);
using PLongDoubleOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, LONG, double*);
using PVoid = HRESULT(STDMETHODCALLTYPE*)(IUnknown*);

// A visible top-level window of the test, destroyed on scope exit.
class TTestWindow {
public:
    TTestWindow(const wchar_t* title, int left, int top, int width, int height)
        : window_(CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, width, height,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    TTestWindow(const TTestWindow&) = delete;
    TTestWindow& operator=(const TTestWindow&) = delete;
    ~TTestWindow() {
        if (window_) DestroyWindow(window_);
    }
    HWND Get() const { return window_; }

private:
    HWND window_;
};

// A new control object from the module's class factory (null on failure).
TComPtr<IUnknown> NewControl();

// The parts, each run on one control object.
void TestConnectionPoints(IUnknown* doc);
void TestEmbedding(IUnknown* doc);
void TestPersistence(IUnknown* doc);
void TestAboutBox(IUnknown* doc);
void TestGeneratedHeader(IUnknown* doc);

}  // namespace vellumark::com::early
