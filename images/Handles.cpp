#include "images/Handles.h"

#include <mutex>
#include <unordered_map>
#include <utility>
#include <variant>

namespace vellumark::handles {

namespace {

// The first value handed out, and the last before the counter wraps around.
constexpr THandle kFirstHandle = 0x00010000;
constexpr THandle kLastHandle = 0x7FFFFFFF;

using TObject = std::variant<TBMPImage, std::vector<uint8_t>>;

struct TTable {
    std::mutex mutex;
    std::unordered_map<THandle, TObject> objects;
    THandle next = kFirstHandle;

    // Registers the object under a fresh handle; the caller holds the mutex.
    THandle Add(TObject object) {
        while (objects.contains(next)) Advance();
        const THandle handle = next;
        objects.emplace(handle, std::move(object));
        Advance();
        return handle;
    }
    void Advance() noexcept { next = next == kLastHandle ? kFirstHandle : next + 1; }
};

TTable& Table() {
    static TTable table;
    return table;
}

template <class T>
std::optional<T> Copy(THandle handle) {
    TTable& t = Table();
    std::lock_guard lock(t.mutex);
    const auto it = t.objects.find(handle);
    if (it == t.objects.end() || !std::holds_alternative<T>(it->second)) return std::nullopt;
    return std::get<T>(it->second);
}

template <class T>
std::optional<T> Take(THandle handle) {
    std::optional<T> result;
    TTable& t = Table();
    {
        std::lock_guard lock(t.mutex);
        const auto it = t.objects.find(handle);
        if (it == t.objects.end() || !std::holds_alternative<T>(it->second)) return result;
        result.emplace(std::move(std::get<T>(it->second)));
        t.objects.erase(it);
    }
    return result;
}

template <class T>
bool Delete(THandle handle) {
    TObject gone;  // destroyed after the mutex is released
    TTable& t = Table();
    std::lock_guard lock(t.mutex);
    const auto it = t.objects.find(handle);
    if (it == t.objects.end() || !std::holds_alternative<T>(it->second)) return false;
    gone = std::move(it->second);
    t.objects.erase(it);
    return true;
}

}  // namespace

THandle CreateBitmapHandle(TBMPImage bitmap) {
    TTable& t = Table();
    std::lock_guard lock(t.mutex);
    return t.Add(std::move(bitmap));
}

THandle CreateMemoryHandle(std::vector<uint8_t> bytes) {
    TTable& t = Table();
    std::lock_guard lock(t.mutex);
    return t.Add(std::move(bytes));
}

THandleKind KindOf(THandle handle) {
    TTable& t = Table();
    std::lock_guard lock(t.mutex);
    const auto it = t.objects.find(handle);
    if (it == t.objects.end()) return THandleKind::None;
    return std::holds_alternative<TBMPImage>(it->second) ? THandleKind::Bitmap : THandleKind::Memory;
}

bool IsValid(THandle handle) { return KindOf(handle) != THandleKind::None; }

std::optional<TBMPImage> CopyBitmap(THandle handle) { return Copy<TBMPImage>(handle); }
std::optional<TBMPImage> TakeBitmap(THandle handle) { return Take<TBMPImage>(handle); }
bool DeleteBitmap(THandle handle) { return Delete<TBMPImage>(handle); }

std::optional<std::vector<uint8_t>> CopyMemory(THandle handle) { return Copy<std::vector<uint8_t>>(handle); }
std::optional<std::vector<uint8_t>> TakeMemory(THandle handle) { return Take<std::vector<uint8_t>>(handle); }
bool FreeMemory(THandle handle) { return Delete<std::vector<uint8_t>>(handle); }

std::size_t Count() {
    TTable& t = Table();
    std::lock_guard lock(t.mutex);
    return t.objects.size();
}

}  // namespace vellumark::handles
