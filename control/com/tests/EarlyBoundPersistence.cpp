// The control's persistence: a property bag keeps the plain read-write
// properties by name, a stream or a storage keeps the component stream, and
// IsDirty follows the puts and saves.
#include <ocidl.h>
#include <objidl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "control/com/ComUtil.h"
#include "control/com/Guids.h"
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

namespace {

using PDouble = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, double);
using PDoubleOut = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, double*);

// Slots of the properties these tests use (control/MemberTableData.h).
constexpr int kCreateText = 16;
constexpr int kGetCurrentText = 23;
constexpr int kGetCompressionBW = 33, kPutCompressionBW = 34;
constexpr int kGetDefaultPageSize = 51, kPutDefaultPageSize = 52;
constexpr int kGetUnits = 53, kPutUnits = 54;
constexpr int kGetTitle = 83, kPutTitle = 84;
constexpr int kGetTextLineSpacing = 92, kPutTextLineSpacing = 93;
constexpr int kGetLinkColor = 110, kPutLinkColor = 111;
constexpr int kGetLinkSize = 116, kPutLinkSize = 117;
constexpr int kGetLinkBorder = 118, kPutLinkBorder = 119;
constexpr int kGetMergeAlpha = 123, kPutMergeAlpha = 124;

constexpr const wchar_t* kBagNames[] = {
    L"CurrentGraphic", L"CurrentText", L"LineWidth", L"TextColor", L"LineColor", L"FillColor", L"CompressionBW",
    L"CompressionIndexed", L"CompressionRGB", L"CompressionGray", L"UseSourceCompression", L"TextFont",
    L"TextSize", L"ImageReadNumber", L"ReleaseBMPHandle", L"DefaultPageSize", L"Units", L"DoubleBuffered",
    L"Enabled", L"Visible", L"Title", L"Subject", L"Author", L"Keywords", L"TextLineSpacing", L"TextAlign",
    L"TextMaxWidth", L"TextSkewX", L"TextSkewY", L"TextUnderline", L"LinkStandardFormat", L"LinkColor",
    L"LinkFont", L"LinkUnderline", L"LinkSize", L"LinkBorder", L"MergeAlpha", L"MergeAlphaColor", L"AppendText",
    L"CompressContents", L"Fill", L"UnicodeText", L"SubsetFonts"};

// A property bag in memory: values by name, in the order they were written.
// Write fails with E_ACCESSDENIED once `writesAllowed` writes were made.
class TBag final : public IPropertyBag {
public:
    TBag() = default;
    TBag(const TBag&) = delete;
    TBag& operator=(const TBag&) = delete;
    ~TBag() {
        for (auto& entry : entries_) VariantClear(&entry.second);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
            *object = static_cast<IPropertyBag*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The bag lives on the test's stack.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        if (!name || !value) return E_POINTER;
        VARIANT* stored = Find(name);
        if (!stored) return E_INVALIDARG;
        ++reads_;
        return VariantCopy(value, stored);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        if (!name || !value) return E_POINTER;
        if (writesAllowed_ == 0) return E_ACCESSDENIED;
        --writesAllowed_;
        VARIANT copy;
        VariantInit(&copy);
        const HRESULT hr = VariantCopy(&copy, value);
        if (FAILED(hr)) return hr;
        if (VARIANT* stored = Find(name)) {
            VariantClear(stored);
            *stored = copy;
        } else {
            entries_.emplace_back(name, copy);
        }
        return S_OK;
    }

    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const auto& entry : entries_) names.push_back(entry.first);
        return names;
    }
    VARIANT* Find(const std::wstring& name) {
        for (auto& entry : entries_)
            if (entry.first == name) return &entry.second;
        return nullptr;
    }
    void Remove(const std::wstring& name) {
        auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e.first == name; });
        if (it == entries_.end()) return;
        VariantClear(&it->second);
        entries_.erase(it);
    }
    // Replaces a stored value with a string.
    void SetText(const std::wstring& name, const wchar_t* text) {
        if (VARIANT* v = Find(name)) {
            VariantClear(v);
            V_VT(v) = VT_BSTR;
            V_BSTR(v) = SysAllocString(text);
        }
    }
    void CopyFrom(TBag& other) {
        for (auto& entry : other.entries_) {
            VARIANT copy;
            VariantInit(&copy);
            if (SUCCEEDED(VariantCopy(&copy, &entry.second))) entries_.emplace_back(entry.first, copy);
        }
    }

    size_t writesAllowed_ = static_cast<size_t>(-1);
    int reads_ = 0;

private:
    std::vector<std::pair<std::wstring, VARIANT>> entries_;
};

// A new control object from the module's class factory.
TComPtr<IUnknown> NewControl() {
    using PGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    TComPtr<IUnknown> doc;
    HMODULE module = GetModuleHandleW(L"VellumarkX.dll");
    if (!module) return doc;
    auto getClassObject = reinterpret_cast<PGetClassObject>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
    TComPtr<IClassFactory> factory;
    if (!getClassObject ||
        FAILED(getClassObject(kCLSID_PDFDoc, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()))))
        return doc;
    factory->CreateInstance(nullptr, kIID_IPDFDoc, reinterpret_cast<void**>(doc.Put()));
    return doc;
}

template <class I>
TComPtr<I> As(IUnknown* object, REFIID iid) {
    TComPtr<I> out;
    if (object) object->QueryInterface(iid, reinterpret_cast<void**>(out.Put()));
    return out;
}

LONG GetLong(IUnknown* doc, int slot) {
    LONG v = -12345;
    Slot<PLongOut>(doc, slot)(doc, &v);
    return v;
}

bool GetBool(IUnknown* doc, int slot) {
    VARIANT_BOOL v = VARIANT_FALSE;
    Slot<PBoolOut>(doc, slot)(doc, &v);
    return v != VARIANT_FALSE;
}

std::string GetText(IUnknown* doc, int slot) {
    TBStr text;
    Slot<PBStrOut>(doc, slot)(doc, text.Put());
    return Narrow(text.Get());
}

// The whole content of a stream on global memory.
std::vector<uint8_t> StreamBytes(IStream* stream) {
    std::vector<uint8_t> bytes;
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream, &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return bytes;
    const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
    if (data) bytes.assign(data, data + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return bytes;
}

// A stream on global memory holding `bytes`, positioned at its start.
TComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes) {
    TComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) return stream;
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return stream;
}

bool Contains(const std::vector<uint8_t>& bytes, const char* text) {
    const size_t n = std::strlen(text);
    return std::search(bytes.begin(), bytes.end(), text, text + n) != bytes.end();
}

// The component stream of a control saved with clearDirty.
std::vector<uint8_t> SavedStream(IUnknown* doc, HRESULT* hr = nullptr, ULARGE_INTEGER* sizeMax = nullptr) {
    TComPtr<IPersistStreamInit> persist = As<IPersistStreamInit>(doc, IID_IPersistStreamInit);
    TComPtr<IStream> stream;
    if (!persist || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) return {};
    if (sizeMax) persist->GetSizeMax(sizeMax);
    const HRESULT result = persist->Save(stream.Get(), TRUE);
    if (hr) *hr = result;
    return StreamBytes(stream.Get());
}

void TestBagRoundTrip() {
    TComPtr<IUnknown> from = NewControl();
    TComPtr<IUnknown> to = NewControl();
    if (!from || !to) {
        Expect(false, "two more control objects for the property bag");
        return;
    }
    // The text settings live on the current text resource, which each
    // control makes for itself: resources are never persisted.
    LONG text = 0;
    Slot<PLongOut>(from.Get(), kCreateText)(from.Get(), &text);
    Slot<PLongOut>(to.Get(), kCreateText)(to.Get(), &text);
    TBStr title(L"Kept in a bag");
    Slot<PBStr>(from.Get(), kPutTitle)(from.Get(), title.Get());
    Slot<PDouble>(from.Get(), kPutTextLineSpacing)(from.Get(), 22.5);
    Slot<PBool>(from.Get(), kPutMergeAlpha)(from.Get(), VARIANT_TRUE);
    Slot<PColor>(from.Get(), kPutLinkColor)(from.Get(), 0x123456);
    Slot<PLong>(from.Get(), kPutCompressionBW)(from.Get(), 2);    // cfZIP
    Slot<PLong>(from.Get(), kPutDefaultPageSize)(from.Get(), 4);  // psLetter_L
    Slot<PLong>(from.Get(), kPutLinkSize)(from.Get(), 14);

    TBag bag;
    TComPtr<IPersistPropertyBag> save = As<IPersistPropertyBag>(from.Get(), IID_IPersistPropertyBag);
    Expect(save && save->Save(&bag, TRUE, TRUE) == S_OK, "IPersistPropertyBag::Save");
    const std::vector<std::wstring> names = bag.Names();
    Expect(names == std::vector<std::wstring>(std::begin(kBagNames), std::end(kBagNames)),
           "the bag holds the 43 plain read-write properties in slot order");
    const VARIANT* title0 = bag.Find(L"Title");
    const VARIANT* spacing0 = bag.Find(L"TextLineSpacing");
    const VARIANT* merge0 = bag.Find(L"MergeAlpha");
    Expect(title0 && V_VT(title0) == VT_BSTR && spacing0 && V_VT(spacing0) == VT_R8 && merge0 &&
               V_VT(merge0) == VT_BOOL && V_BOOL(merge0) == VARIANT_TRUE,
           "the bag's values are a string, a real and a Boolean as the gets give them");

    TComPtr<IPersistPropertyBag> load = As<IPersistPropertyBag>(to.Get(), IID_IPersistPropertyBag);
    Expect(load && load->InitNew() == S_OK && load->Load(&bag, nullptr) == S_OK,
           "IPersistPropertyBag::Load into a new control");
    double spacing = 0;
    OLE_COLOR color = 0;
    Slot<PDoubleOut>(to.Get(), kGetTextLineSpacing)(to.Get(), &spacing);
    Slot<PColorOut>(to.Get(), kGetLinkColor)(to.Get(), &color);
    Expect(GetText(to.Get(), kGetTitle) == "Kept in a bag", "Title (text) came back");
    Expect(spacing == 22.5, "TextLineSpacing (double) came back");
    Expect(GetBool(to.Get(), kGetMergeAlpha), "MergeAlpha (Boolean) came back");
    Expect(color == 0x123456, "LinkColor (colour) came back");
    Expect(GetLong(to.Get(), kGetCompressionBW) == 2 && GetLong(to.Get(), kGetDefaultPageSize) == 4,
           "CompressionBW and DefaultPageSize (enumerations) came back");
    Expect(GetLong(to.Get(), kGetLinkSize) == 14 && GetLong(to.Get(), kGetCurrentText) == 1,
           "LinkSize and CurrentText (numbers) came back");
    TComPtr<IPersistStreamInit> state = As<IPersistStreamInit>(to.Get(), IID_IPersistStreamInit);
    Expect(state && state->IsDirty() == S_FALSE, "a control just loaded from a bag is not dirty");

    // A refused or missing value is skipped and the later ones still load.
    TComPtr<IUnknown> third = NewControl();
    TBag damaged;
    damaged.CopyFrom(bag);
    damaged.SetText(L"LinkSize", L"not a number");
    damaged.SetText(L"CompressionBW", L"cfZIP");
    damaged.Remove(L"Title");
    TComPtr<IPersistPropertyBag> loadThird = As<IPersistPropertyBag>(third.Get(), IID_IPersistPropertyBag);
    Expect(loadThird && loadThird->Load(&damaged, nullptr) == S_OK,
           "a bag with refused and missing values still loads");
    Expect(GetLong(third.Get(), kGetLinkSize) == 10 && GetLong(third.Get(), kGetCompressionBW) == 1,
           "the refused LinkSize and CompressionBW keep their values");
    OLE_COLOR thirdColor = 0;
    Slot<PColorOut>(third.Get(), kGetLinkColor)(third.Get(), &thirdColor);
    Expect(GetText(third.Get(), kGetTitle).empty() && thirdColor == 0x123456 &&
               GetLong(third.Get(), kGetDefaultPageSize) == 4 && GetBool(third.Get(), kGetMergeAlpha),
           "the missing Title stays empty; DefaultPageSize, LinkColor and MergeAlpha (before and after) load");

    // A failing write ends the save with its error.
    TBag full;
    full.writesAllowed_ = 3;
    Expect(save && save->Save(&full, TRUE, TRUE) == E_ACCESSDENIED && full.Names().size() == 3,
           "a bag write that fails ends the save with its HRESULT");
}

void TestStreamRoundTrip() {
    TComPtr<IUnknown> doc = NewControl();
    HRESULT hr = E_FAIL;
    ULARGE_INTEGER size{};
    std::vector<uint8_t> bytes = SavedStream(doc.Get(), &hr, &size);
    Expect(hr == S_OK && !bytes.empty() && size.QuadPart == bytes.size(),
           "a new control's stream: Save S_OK, GetSizeMax is its size");
    Expect(!Contains(bytes, "DefaultPageSize") && !Contains(bytes, "Units"),
           "a new control writes neither DefaultPageSize nor Units");
    Expect(Contains(bytes, "Left") && Contains(bytes, "Height"), "the stream holds the control's position and size");

    Slot<PLong>(doc.Get(), kPutUnits)(doc.Get(), 3);  // umMillimeters
    bytes = SavedStream(doc.Get(), &hr, &size);
    Expect(hr == S_OK && size.QuadPart == bytes.size() && Contains(bytes, "Units") &&
               !Contains(bytes, "DefaultPageSize"),
           "after a change of Units it is written, GetSizeMax still exact");

    TComPtr<IUnknown> other = NewControl();
    TComPtr<IPersistStreamInit> load = As<IPersistStreamInit>(other.Get(), IID_IPersistStreamInit);
    TComPtr<IStream> stream = StreamOf(bytes);
    Expect(load && load->InitNew() == S_OK && load->Load(stream.Get()) == S_OK &&
               GetLong(other.Get(), kGetUnits) == 3 && GetLong(other.Get(), kGetDefaultPageSize) == 1,
           "a new control loads the stream: Units 3, DefaultPageSize A4");
    ULARGE_INTEGER position{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position);
    Expect(position.QuadPart == bytes.size(), "Load reads the component stream and no further");

    // Damaged streams: refused as a whole, nothing changes.
    Slot<PLong>(other.Get(), kPutUnits)(other.Get(), 2);
    Slot<PLong>(other.Get(), kPutDefaultPageSize)(other.Get(), 7);
    std::vector<std::vector<uint8_t>> damaged;
    damaged.push_back(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));  // truncated
    damaged.push_back(bytes);
    damaged.back()[0] ^= 0xFF;  // signature
    damaged.push_back(bytes);
    damaged.back()[6] = static_cast<uint8_t>(damaged.back()[6] + 1);  // declared length
    damaged.push_back(bytes);
    damaged.back()[10] = 0;  // a record without a name
    damaged.push_back({});
    int refused = 0;
    for (const std::vector<uint8_t>& bad : damaged) {
        TComPtr<IStream> s = StreamOf(bad);
        if (load->Load(s.Get()) == E_FAIL) ++refused;
    }
    Expect(refused == static_cast<int>(damaged.size()), "damaged, truncated and empty streams: E_FAIL");
    Expect(GetLong(other.Get(), kGetUnits) == 2 && GetLong(other.Get(), kGetDefaultPageSize) == 7,
           "a refused stream changes nothing");
    Expect(load->Load(nullptr) == E_POINTER && load->Save(nullptr, TRUE) == E_POINTER &&
               load->GetSizeMax(nullptr) == E_POINTER,
           "null stream or size: E_POINTER");
}

void TestStorageRoundTrip() {
    TComPtr<ILockBytes> bytes;
    TComPtr<IStorage> storage;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put())) ||
        FAILED(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                            storage.Put()))) {
        Expect(false, "a storage on global memory");
        return;
    }
    TComPtr<IUnknown> doc = NewControl();
    TComPtr<IPersistStorage> save = As<IPersistStorage>(doc.Get(), IID_IPersistStorage);
    Expect(save && save->InitNew(storage.Get()) == S_OK && save->IsDirty() == S_FALSE,
           "IPersistStorage::InitNew, not dirty");
    if (!save) return;
    Slot<PLong>(doc.Get(), kPutUnits)(doc.Get(), 1);
    Slot<PLong>(doc.Get(), kPutDefaultPageSize)(doc.Get(), 5);
    Expect(save->IsDirty() == S_OK, "dirty after the puts");
    Expect(save->Save(storage.Get(), TRUE) == S_OK && save->SaveCompleted(nullptr) == S_OK &&
               save->HandsOffStorage() == S_OK && save->IsDirty() == S_FALSE,
           "IPersistStorage::Save into the storage it was given, SaveCompleted, HandsOffStorage; clean");
    storage->Commit(STGC_DEFAULT);

    TComPtr<IStream> contents;
    Expect(SUCCEEDED(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                         contents.Put())),
           "the storage holds a stream \"Contents\"");
    contents.Reset();

    TComPtr<IUnknown> other = NewControl();
    TComPtr<IPersistStorage> load = As<IPersistStorage>(other.Get(), IID_IPersistStorage);
    Expect(load && load->Load(storage.Get()) == S_OK && GetLong(other.Get(), kGetUnits) == 1 &&
               GetLong(other.Get(), kGetDefaultPageSize) == 5,
           "a new control loads the storage: Units 1, DefaultPageSize 5");
    Expect(load && load->IsDirty() == S_FALSE, "a control just loaded from a storage is not dirty");

    TComPtr<ILockBytes> emptyBytes;
    TComPtr<IStorage> empty;
    if (SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, emptyBytes.Put())) &&
        SUCCEEDED(StgCreateDocfileOnILockBytes(emptyBytes.Get(),
                                               STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, empty.Put())))
        Expect(load && FAILED(load->Load(empty.Get())) && GetLong(other.Get(), kGetUnits) == 1,
               "a storage without \"Contents\" fails to load and changes nothing");
}

void TestDirty(IUnknown* doc) {
    TComPtr<IPersistStreamInit> persist = As<IPersistStreamInit>(doc, IID_IPersistStreamInit);
    if (!persist) return;
    Expect(persist->IsDirty() == S_FALSE, "a new control is not dirty");
    GetLong(doc, kGetUnits);
    Expect(persist->IsDirty() == S_FALSE, "a get leaves it clean");
    Slot<PBool>(doc, kPutLinkBorder)(doc, VARIANT_TRUE);
    Expect(persist->IsDirty() == S_OK && GetBool(doc, kGetLinkBorder), "a put through the function table makes it dirty");
    TComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    Expect(persist->Save(stream.Get(), FALSE) == S_OK && persist->IsDirty() == S_OK,
           "Save without clearDirty leaves it dirty");
    Expect(persist->Save(stream.Get(), TRUE) == S_OK && persist->IsDirty() == S_FALSE, "Save(TRUE) clears it");

    // Through IDispatch: a failed put leaves it clean, a put makes it dirty.
    TComPtr<IDispatch> dispatch = As<IDispatch>(doc, IID_IDispatch);
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"not a number");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &named, 1, 1};
    Expect(dispatch && FAILED(dispatch->Invoke(270, IID_NULL, 1033, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr,
                                               nullptr)) &&
               persist->IsDirty() == S_FALSE,
           "a refused put through IDispatch leaves it clean");
    VariantClear(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = 12;
    Expect(dispatch &&
               dispatch->Invoke(270, IID_NULL, 1033, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr) == S_OK &&
               persist->IsDirty() == S_OK,
           "a put through IDispatch makes it dirty");
    Expect(persist->InitNew() == S_OK && persist->IsDirty() == S_FALSE, "InitNew clears it");

    CLSID clsid{};
    Expect(persist->GetClassID(&clsid) == S_OK && IsEqualCLSID(clsid, kCLSID_PDFDoc), "GetClassID is PDFDoc's");
}

}  // namespace

void TestPersistence(IUnknown* doc) {
    TestDirty(doc);
    TestBagRoundTrip();
    TestStreamRoundTrip();
    TestStorageRoundTrip();
}

}  // namespace vellumark::com::early
