// The handle functions on Windows: bitmap handles are GDI bitmaps and memory
// handles are global memory blocks, both the system's own. A handle value
// arrives as a 32-bit integer and is sign-extended into a handle, as the
// system does for GDI handles passed through 32-bit integers.
#include "images/Handles.h"

#include <windows.h>
// The system's CopyMemory macro would hide handles::CopyMemory.
#undef CopyMemory

#include <cstring>
#include <utility>

#include "base/InvalidGraphic.h"

namespace vellumark::handles {

namespace {

HANDLE ToHandle(THandle handle) noexcept {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
}

THandle FromHandle(HANDLE handle) noexcept {
    return static_cast<THandle>(reinterpret_cast<uintptr_t>(handle));
}

HBITMAP AsBitmap(THandle handle) noexcept { return static_cast<HBITMAP>(ToHandle(handle)); }
HGLOBAL AsMemory(THandle handle) noexcept { return static_cast<HGLOBAL>(ToHandle(handle)); }

bool IsBitmap(THandle handle) noexcept { return handle != 0 && GetObjectType(AsBitmap(handle)) == OBJ_BITMAP; }

bool IsMemory(THandle handle) noexcept {
    return handle != 0 && !IsBitmap(handle) && GlobalFlags(AsMemory(handle)) != GMEM_INVALID_HANDLE;
}

// A screen-compatible memory device context, deleted on scope exit.
class TMemoryDC {
public:
    TMemoryDC() : dc_(CreateCompatibleDC(nullptr)) {}
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    ~TMemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    HDC Get() const noexcept { return dc_; }

private:
    HDC dc_;
};

// A global memory block held locked.
class TGlobalLock {
public:
    explicit TGlobalLock(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    TGlobalLock(const TGlobalLock&) = delete;
    TGlobalLock& operator=(const TGlobalLock&) = delete;
    ~TGlobalLock() {
        if (data_) GlobalUnlock(memory_);
    }
    const void* Data() const noexcept { return data_; }
    void* Data() noexcept { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

// BITMAPINFO with room for a full colour table.
struct TBitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

std::size_t StrideOf(uint32_t width, unsigned bits) {
    return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
}

}  // namespace

THandle CreateBitmapHandle(TBMPImage bitmap) {
    if (bitmap.Empty()) return 0;
    const unsigned bits = bitmap.BitsPerPixel();
    TBitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = static_cast<LONG>(bitmap.Width());
    info.header.biHeight = -static_cast<LONG>(bitmap.Height());  // rows top-down, as TBMPImage keeps them
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bits);
    info.header.biCompression = BI_RGB;
    if (bits <= 8) {
        const std::size_t colors = std::size_t{1} << bits;
        for (std::size_t i = 0; i < colors; ++i) {
            const TPaletteEntry e = bitmap.PaletteAt(i);
            info.colors[i] = RGBQUAD{e.Blue, e.Green, e.Red, 0};
        }
        info.header.biClrUsed = static_cast<DWORD>(colors);
    }
    void* pixels = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!handle || !pixels) return 0;
    const std::size_t stride = StrideOf(bitmap.Width(), bits);
    for (uint32_t y = 0; y < bitmap.Height(); ++y)
        std::memcpy(static_cast<uint8_t*>(pixels) + y * stride, bitmap.Row(y), bitmap.RowBytes());
    GdiFlush();
    return FromHandle(handle);
}

THandle CreateMemoryHandle(std::vector<uint8_t> bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (!memory) return 0;
    {
        TGlobalLock lock(memory);
        if (!lock.Data()) {
            GlobalFree(memory);
            return 0;
        }
        if (!bytes.empty()) std::memcpy(lock.Data(), bytes.data(), bytes.size());
    }
    return FromHandle(memory);
}

THandleKind KindOf(THandle handle) {
    if (IsBitmap(handle)) return THandleKind::Bitmap;
    if (IsMemory(handle)) return THandleKind::Memory;
    return THandleKind::None;
}

bool IsValid(THandle handle) { return KindOf(handle) != THandleKind::None; }

// The bitmap's pixels through GetDIBits: 1, 4 and 8-bit bitmaps keep their
// depth and colour table, deeper ones become 24 bits. A GDI bitmap carries no
// resolution.
std::optional<TBMPImage> CopyBitmap(THandle handle) {
    if (!IsBitmap(handle)) return std::nullopt;
    HBITMAP bitmap = AsBitmap(handle);
    BITMAP described{};
    if (GetObjectW(bitmap, sizeof described, &described) == 0) return std::nullopt;
    if (described.bmWidth <= 0 || described.bmHeight <= 0) return TBMPImage{};
    const auto width = static_cast<uint32_t>(described.bmWidth);
    const auto height = static_cast<uint32_t>(described.bmHeight);
    const unsigned depth = static_cast<unsigned>(described.bmBitsPixel) * described.bmPlanes;
    const uint8_t bits = depth == 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : 24;

    TBMPImage image;
    image.SetSize(width, height, bits);  // refuses sizes beyond the limits before anything is read

    TBitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = static_cast<LONG>(width);
    info.header.biHeight = -static_cast<LONG>(height);
    info.header.biPlanes = 1;
    info.header.biBitCount = bits;
    info.header.biCompression = BI_RGB;

    const std::size_t stride = StrideOf(width, bits);
    if (stride != 0 && height > TBMPImage::kMaxBytes / stride) throw EInvalidGraphic("Image is too large");
    std::vector<uint8_t> rows(stride * height);
    TMemoryDC dc;
    if (!dc.Get()) return std::nullopt;
    const int copied = GetDIBits(dc.Get(), bitmap, 0, height, rows.data(), reinterpret_cast<BITMAPINFO*>(&info),
                                 DIB_RGB_COLORS);
    if (copied != static_cast<int>(height)) return std::nullopt;

    for (uint32_t y = 0; y < height; ++y) std::memcpy(image.Row(y), rows.data() + y * stride, image.RowBytes());
    if (bits <= 8) {
        const std::size_t colors = std::size_t{1} << bits;
        image.Palette().resize(colors);
        for (std::size_t i = 0; i < colors; ++i)
            image.Palette()[i] = TPaletteEntry{info.colors[i].rgbRed, info.colors[i].rgbGreen, info.colors[i].rgbBlue};
    }
    return image;
}

std::optional<TBMPImage> TakeBitmap(THandle handle) {
    std::optional<TBMPImage> image = CopyBitmap(handle);
    if (image) DeleteBitmap(handle);
    return image;
}

bool DeleteBitmap(THandle handle) { return IsBitmap(handle) && DeleteObject(AsBitmap(handle)) != 0; }

std::optional<std::vector<uint8_t>> CopyMemory(THandle handle) {
    if (!IsMemory(handle)) return std::nullopt;
    HGLOBAL memory = AsMemory(handle);
    TGlobalLock lock(memory);
    if (!lock.Data()) return std::vector<uint8_t>{};
    const auto* data = static_cast<const uint8_t*>(lock.Data());
    return std::vector<uint8_t>(data, data + GlobalSize(memory));
}

// Lock, read, unlock and free: the block is freed whether the lock gave
// memory or not.
std::optional<std::vector<uint8_t>> TakeMemory(THandle handle) {
    std::optional<std::vector<uint8_t>> bytes = CopyMemory(handle);
    if (bytes) GlobalFree(AsMemory(handle));
    return bytes;
}

bool FreeMemory(THandle handle) { return IsMemory(handle) && GlobalFree(AsMemory(handle)) == nullptr; }

// The system keeps its own handles; none are counted here.
std::size_t Count() { return 0; }

}  // namespace vellumark::handles
