// Persistence of the control: IPersistStreamInit and IPersistStorage keep the
// component stream (control/ComponentStream.h) of the published properties;
// IPersistPropertyBag keeps every plain read-write property of IPDFDoc by
// name. No document content (pages, resources, fonts) is ever stored.
#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/ComponentStream.h"
#include "control/MemberTable.h"
#include "control/com/ComControl.h"
#include "control/com/ComVariant.h"
#include "control/com/Guids.h"

namespace vellumark::com {

namespace {

// The component stream's size of write buffer and of read pieces.
constexpr size_t kBufferSize = 4096;

// The stream of a storage that holds the component stream.
constexpr const wchar_t* kContentsStream = L"Contents";

// Collects bytes and hands them to the stream a full buffer at a time, and
// the rest on Flush.
class TBufferedWriter {
public:
    explicit TBufferedWriter(IStream& stream) noexcept : stream_(stream) {}

    HRESULT Put(std::span<const uint8_t> bytes) noexcept {
        while (!bytes.empty()) {
            const size_t n = std::min(bytes.size(), buffer_.size() - used_);
            std::copy_n(bytes.begin(), n, buffer_.begin() + used_);
            used_ += n;
            bytes = bytes.subspan(n);
            if (used_ == buffer_.size()) {
                const HRESULT hr = Flush();
                if (FAILED(hr)) return hr;
            }
        }
        return S_OK;
    }

    HRESULT Flush() noexcept {
        if (used_ == 0) return S_OK;
        const auto n = static_cast<ULONG>(std::exchange(used_, 0));
        ULONG written = 0;
        const HRESULT hr = stream_.Write(buffer_.data(), n, &written);
        if (FAILED(hr)) return hr;
        return written == n ? S_OK : STG_E_MEDIUMFULL;
    }

private:
    IStream& stream_;
    std::array<uint8_t, kBufferSize> buffer_{};
    size_t used_ = 0;
};

// Reads exactly `size` bytes: S_OK, E_FAIL when the stream ends first, or the
// stream's own error.
HRESULT ReadExactly(IStream& stream, uint8_t* to, size_t size) noexcept {
    while (size > 0) {
        const auto want = static_cast<ULONG>(std::min<size_t>(size, kBufferSize));
        ULONG got = 0;
        const HRESULT hr = stream.Read(to, want, &got);
        if (FAILED(hr)) return hr;
        if (got == 0 || got > want) return E_FAIL;
        to += got;
        size -= got;
    }
    return S_OK;
}

// Reads one whole component stream. The bytes are read a piece at a time, so
// that a damaged length cannot reserve memory for bytes that are not there.
HRESULT ReadComponentStream(IStream& stream, std::vector<uint8_t>& bytes) {
    bytes.assign(kComponentStreamHeaderSize, 0);
    HRESULT hr = ReadExactly(stream, bytes.data(), bytes.size());
    if (FAILED(hr)) return hr;
    const std::optional<uint64_t> length = ComponentStreamLength(bytes);
    if (!length) return E_FAIL;
    while (bytes.size() < *length) {
        const size_t at = bytes.size();
        const auto piece = static_cast<size_t>(std::min<uint64_t>(kBufferSize, *length - at));
        bytes.resize(at + piece);
        hr = ReadExactly(stream, bytes.data() + at, piece);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// A VARIANT owned by the scope that holds it.
struct TOwnedVariant {
    VARIANT value;
    TOwnedVariant() noexcept { VariantInit(&value); }
    TOwnedVariant(const TOwnedVariant&) = delete;
    TOwnedVariant& operator=(const TOwnedVariant&) = delete;
    ~TOwnedVariant() { VariantClear(&value); }
};

// A property put through the member table, so that the member's own
// conversion and the engine's rules apply.
HRESULT PutProperty(TPDFDoc& doc, int32_t dispid, TVariant value) {
    const std::array<TVariant, 1> args{std::move(value)};
    return doc.Invoke(dispid, dfPropertyPut, args, nullptr);
}

int32_t DispIdOf(std::u16string_view name) { return FindDispId(name).value_or(DISPID_UNKNOWN); }

TComponentProperties StreamPropertiesOf(TVellumark& engine, const TWindowProperties& window) {
    TComponentProperties p;
    static_cast<TWindowProperties&>(p) = window;
    p.DefaultPageSize = engine.DefaultPageSize;
    p.Units = engine.Units;
    return p;
}

// Runs a method's body: a failed allocation gives E_OUTOFMEMORY, any other
// failure E_FAIL.
template <class F>
HRESULT Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace

// --- IPersist and the state shared by the persistence interfaces ----------

STDMETHODIMP TComControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kCLSID_PDFDoc;
    return S_OK;
}

STDMETHODIMP TComControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

// The component stream's properties back to a new control's values.
void TComControl::ResetProperties() noexcept {
    const TComponentProperties defaults;
    doc_.Engine().DefaultPageSize = static_cast<TPageSize>(defaults.DefaultPageSize);
    doc_.Engine().Units = static_cast<TUnitsMeas>(defaults.Units);
    windowProperties_ = TWindowProperties{};
}

STDMETHODIMP TComControl::InitNew() {
    ResetProperties();
    dirty_ = false;
    return S_OK;
}

// --- IPersistStreamInit ----------------------------------------------------

// A damaged or truncated stream changes nothing: it is read and decoded whole
// before any property is set.
STDMETHODIMP TComControl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    return Guarded([&]() -> HRESULT {
        std::vector<uint8_t> bytes;
        const HRESULT hr = ReadComponentStream(*stream, bytes);
        if (FAILED(hr)) return hr;
        std::optional<TComponentProperties> properties = DecodeComponentStream(bytes);
        if (!properties) return E_FAIL;
        const int32_t pageSize = properties->DefaultPageSize;
        const int32_t units = properties->Units;
        TWindowProperties window = std::move(static_cast<TWindowProperties&>(*properties));
        if (FAILED(PutProperty(doc_, DispIdOf(u"DefaultPageSize"), TVariant::Long(pageSize))) ||
            FAILED(PutProperty(doc_, DispIdOf(u"Units"), TVariant::Long(units))))
            return E_FAIL;
        windowProperties_ = std::move(window);
        dirty_ = false;
        return S_OK;
    });
}

STDMETHODIMP TComControl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    return Guarded([&]() -> HRESULT {
        const std::vector<uint8_t> bytes =
            EncodeComponentStream(StreamPropertiesOf(doc_.Engine(), windowProperties_));
        TBufferedWriter writer(*stream);
        HRESULT hr = writer.Put(bytes);
        if (SUCCEEDED(hr)) hr = writer.Flush();
        if (FAILED(hr)) return hr;
        if (clearDirty) dirty_ = false;
        return S_OK;
    });
}

STDMETHODIMP TComControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    try {
        size->QuadPart = ComponentStreamSize(StreamPropertiesOf(doc_.Engine(), windowProperties_));
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// --- IPersistStorage: the component stream in the stream "Contents" --------

STDMETHODIMP TComControl::InitNew(IStorage* storage) {
    if (!storage) return E_POINTER;
    return InitNew();
}

STDMETHODIMP TComControl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    TComPtr<IStream> stream;
    const HRESULT hr =
        storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
    if (FAILED(hr)) return hr;
    return Load(stream.Get());
}

// Saving into the storage the control was loaded from leaves it clean; a
// save into another storage does so once the container completes it there.
STDMETHODIMP TComControl::Save(IStorage* storage, BOOL sameAsLoad) {
    if (!storage) return E_POINTER;
    TComPtr<IStream> stream;
    const HRESULT hr = storage->CreateStream(kContentsStream, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                             0, 0, stream.Put());
    if (FAILED(hr)) return hr;
    return Save(stream.Get(), sameAsLoad);
}

STDMETHODIMP TComControl::SaveCompleted(IStorage* storage) {
    if (storage) dirty_ = false;
    return S_OK;
}

STDMETHODIMP TComControl::HandsOffStorage() { return S_OK; }

// --- IPersistPropertyBag ---------------------------------------------------

// Every property is read through its own get; a value that cannot be read or
// written ends the save with that failure.
STDMETHODIMP TComControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    return Guarded([&]() -> HRESULT {
        for (const TMemberInfo* member : PersistentProperties()) {
            TVariant value;
            HRESULT hr = doc_.Invoke(member->dispid, dfPropertyGet, {}, &value);
            if (FAILED(hr)) return hr;
            TOwnedVariant v;
            hr = ToVariant(value, &v.value);
            if (FAILED(hr)) return hr;
            hr = bag->Write(Wide(std::string_view(member->name)).c_str(), &v.value);
            if (FAILED(hr)) return hr;
        }
        if (clearDirty) dirty_ = false;
        return S_OK;
    });
}

// Every property the bag holds goes through its own put; one that the bag
// cannot give, or that the put refuses, keeps its value and the next is
// tried.
STDMETHODIMP TComControl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    try {
        for (const TMemberInfo* member : PersistentProperties()) {
            TOwnedVariant v;
            if (FAILED(bag->Read(Wide(std::string_view(member->name)).c_str(), &v.value, log))) continue;
            TVariant value;
            if (!FromVariant(v.value, value)) continue;
            PutProperty(doc_, member->dispid, std::move(value));
        }
        dirty_ = false;
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace vellumark::com
