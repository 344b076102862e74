// The handle table: a process-wide stand-in for the operating system's GDI
// bitmap handles and global memory handles, through which a host hands
// bitmaps to the engine (AddImageBMPHandle).
//
// Two kinds of handle share one numbering:
//   bitmap handles  own a decoded bitmap (TBMPImage)
//   memory handles  own a block of bytes, for the engine a packed
//                   device-independent bitmap (information header, colour
//                   table, pixels, as the clipboard holds it)
// Handle values are never 0 and stay below 2^31, so that they pass through a
// signed 32-bit argument unchanged. They come from a counter and are not
// reused until it wraps around; a value still in use is skipped then.
//
// Every operation is atomic and may be called from any thread. Nothing is
// handed out by pointer, so a handle deleted by one thread can never leave
// another holding a dangling reference.
//
// How the engine reads a handle (AddImageBMPHandle):
//   0                 nothing to do
//   a bitmap handle   the caller keeps it: CopyBitmap, and the handle stays
//                     valid; otherwise TakeBitmap, which deletes the handle
//   a memory handle   TakeMemory, which frees it: memory handles are always
//                     consumed
//   anything else     CopyBitmap and TakeMemory both give nothing; the engine
//                     treats that as memory it could not lock
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "decoders/BMPImage.h"

namespace vellumark::handles {

using THandle = uint32_t;

enum class THandleKind : uint8_t { None, Bitmap, Memory };

// Makes a bitmap handle that owns `bitmap`.
THandle CreateBitmapHandle(TBMPImage bitmap);
// Makes a memory handle that owns `bytes`.
THandle CreateMemoryHandle(std::vector<uint8_t> bytes);

// What the handle is: None for 0 and for values that name no live handle.
THandleKind KindOf(THandle handle);
bool IsValid(THandle handle);

// A copy of a bitmap handle's bitmap; the handle stays. Nothing for any
// other handle.
std::optional<TBMPImage> CopyBitmap(THandle handle);
// The bitmap of a bitmap handle, which is deleted. Nothing (and nothing
// deleted) for any other handle.
std::optional<TBMPImage> TakeBitmap(THandle handle);
// Deletes a bitmap handle and its bitmap; false when it is not one.
bool DeleteBitmap(THandle handle);

// A copy of a memory handle's bytes; the handle stays.
std::optional<std::vector<uint8_t>> CopyMemory(THandle handle);
// The bytes of a memory handle, which is freed (lock, read, unlock, free in
// one step). Nothing (and nothing freed) for any other handle.
std::optional<std::vector<uint8_t>> TakeMemory(THandle handle);
// Frees a memory handle and its bytes; false when it is not one.
bool FreeMemory(THandle handle);

// The number of live handles of both kinds.
std::size_t Count();

}  // namespace vellumark::handles
