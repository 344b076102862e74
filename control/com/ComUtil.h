// Small owners for the system objects the Windows control handles: COM
// references, BSTRs, safe-array locks, GDI objects and registry keys. Each
// releases what it holds when it goes out of scope.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <utility>

namespace vellumark::com {

// The system's HRESULT, not the portable one of the automation layer.
using ::HRESULT;

// A counted reference to a COM interface.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(const TComPtr& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    // Takes a reference of its own to `p`.
    static TComPtr Share(T* p) noexcept {
        TComPtr out;
        out.p_ = p;
        if (p) p->AddRef();
        return out;
    }
    TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    TComPtr& operator=(TComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~TComPtr() { Reset(); }

    void Reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // The address of the pointer for an out parameter; what was held is released.
    T** Put() noexcept {
        Reset();
        return &p_;
    }
    // Hands the reference to the caller.
    T* Detach() noexcept { return std::exchange(p_, nullptr); }

private:
    T* p_ = nullptr;
};

// An owned BSTR.
class TBStr {
public:
    TBStr() = default;
    explicit TBStr(std::u16string_view text)
        : s_(text.empty() ? nullptr
                          : SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                              static_cast<UINT>(text.size()))) {}
    explicit TBStr(const wchar_t* text) : s_(text && *text ? SysAllocString(text) : nullptr) {}
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    TBStr(TBStr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    TBStr& operator=(TBStr&& other) noexcept {
        std::swap(s_, other.s_);
        return *this;
    }
    ~TBStr() { SysFreeString(s_); }

    BSTR Get() const noexcept { return s_; }
    BSTR* Put() noexcept {
        SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    BSTR Detach() noexcept { return std::exchange(s_, nullptr); }

private:
    BSTR s_ = nullptr;
};

// The text of a BSTR (a null BSTR is the empty string).
inline std::u16string FromBStr(BSTR s) {
    if (!s) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(s), SysStringLen(s));
}

// Holds a safe array's data locked.
class TSafeArrayLock {
public:
    explicit TSafeArrayLock(SAFEARRAY* array) : array_(array), ok_(array && SUCCEEDED(SafeArrayLock(array))) {}
    TSafeArrayLock(const TSafeArrayLock&) = delete;
    TSafeArrayLock& operator=(const TSafeArrayLock&) = delete;
    ~TSafeArrayLock() {
        if (ok_) SafeArrayUnlock(array_);
    }
    bool Locked() const noexcept { return ok_; }

private:
    SAFEARRAY* array_;
    bool ok_;
};

// A GDI object (font, bitmap, brush), deleted when it goes out of scope.
template <class H>
class TGdiObject {
public:
    explicit TGdiObject(H handle = nullptr) noexcept : handle_(handle) {}
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    ~TGdiObject() {
        if (handle_) DeleteObject(handle_);
    }
    H Get() const noexcept { return handle_; }

private:
    H handle_;
};

// An open registry key.
class TRegKey {
public:
    TRegKey() = default;
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;
    ~TRegKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY Get() const noexcept { return key_; }
    HKEY* Put() noexcept {
        if (key_) RegCloseKey(std::exchange(key_, nullptr));
        return &key_;
    }

private:
    HKEY key_ = nullptr;
};

// A copy of `text` in task memory, for the receiver to free with
// CoTaskMemFree; null when there is no memory.
inline LPOLESTR TaskMemCopy(const wchar_t* text) noexcept {
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy) memcpy(copy, text, bytes);
    return copy;
}

// Wide strings of the Windows API from UTF-16 text and back.
inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::wstring Wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace vellumark::com
