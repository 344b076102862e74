// A COM enumerator over a fixed list of items (IEnumConnectionPoints,
// IEnumConnections, IEnumOLEVERB). The list holds its own reference to every
// interface (and copy of every text) it contains; each item handed out
// carries one of its own too.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <atomic>
#include <new>
#include <utility>
#include <vector>

#include "control/com/ComUtil.h"

namespace vellumark::com {

// How an item comes to hold what it refers to (a reference of its own, a
// copy of its text) and gives it back.
template <class T>
struct TEnumItem;

template <class I>
struct TEnumItem<I*> {
    static void Own(I*& item) { if (item) item->AddRef(); }
    static void Drop(I*& item) { if (item) item->Release(); }
};

template <>
struct TEnumItem<CONNECTDATA> {
    static void Own(CONNECTDATA& item) { if (item.pUnk) item.pUnk->AddRef(); }
    static void Drop(CONNECTDATA& item) { if (item.pUnk) item.pUnk->Release(); }
};

// A verb's name is the receiver's to free with CoTaskMemFree.
template <>
struct TEnumItem<OLEVERB> {
    static void Own(OLEVERB& item) {
        if (item.lpszVerbName) item.lpszVerbName = TaskMemCopy(item.lpszVerbName);
    }
    static void Drop(OLEVERB& item) { CoTaskMemFree(std::exchange(item.lpszVerbName, nullptr)); }
};

template <class IEnum, class T>
class TEnumerator final : public IEnum {
public:
    // Makes an enumerator over `items` (references are taken) and hands it
    // out with one reference.
    static HRESULT Create(std::vector<T> items, IEnum** out) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            *out = new TEnumerator(std::move(items), 0);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IEnum))) {
            *object = static_cast<IEnum*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    STDMETHODIMP Next(ULONG count, T* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && next_ < items_.size(); ++n, ++next_) {
            out[n] = items_[next_];
            TEnumItem<T>::Own(out[n]);
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_.size() - next_;
        next_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnum** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            *out = new TEnumerator(items_, next_);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    TEnumerator(std::vector<T> items, size_t next) : items_(std::move(items)), next_(next) {
        for (T& item : items_) TEnumItem<T>::Own(item);
    }
    ~TEnumerator() {
        for (T& item : items_) TEnumItem<T>::Drop(item);
    }

    std::atomic<ULONG> refs_{1};
    std::vector<T> items_;
    size_t next_;
};

}  // namespace vellumark::com
