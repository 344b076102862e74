// TByteReader: the one checked way every parser reads the bytes of a file.
//
// It reads little- and big-endian integers and runs of bytes, either at an
// absolute offset or from a cursor, and never past the end of the data:
// offsets and counts are 64-bit and checked without overflow, and a read that
// does not fit raises the caller's own error with the caller's own message
// (the file format's "file is damaged" text), so that messages stay those of
// each format. A parser may change the message as it goes (a TIFF tag's own
// message while its values are read).
//
// Unchecked loads (LoadU16LE and friends) are for bytes already known to be
// there, such as the inside of a row that was taken whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "base/InvalidGraphic.h"

namespace vellumark {

inline uint16_t LoadU16LE(const uint8_t* p) noexcept { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint16_t LoadU16BE(const uint8_t* p) noexcept { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t LoadU32LE(const uint8_t* p) noexcept {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline uint32_t LoadU32BE(const uint8_t* p) noexcept {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

// Whether count bytes starting at offset lie inside data of `size` bytes
// (no overflow for any 64-bit values).
constexpr bool FitsIn(uint64_t size, uint64_t offset, uint64_t count) noexcept {
    return offset <= size && count <= size - offset;
}

// Raises an exception of type E with the message: the usual way to say what a
// short read means.
template <class E>
[[noreturn]] void Raise(const std::string& message) {
    throw E(message);
}

class TByteReader {
public:
    using TRaise = void (*)(const std::string& message);

    // Reads `data` (which must outlive the reader); a short read raises
    // `raise(shortRead)`.
    TByteReader(std::span<const uint8_t> data, std::string shortRead, TRaise raise = &Raise<EInvalidGraphic>)
        : data_(data), shortRead_(std::move(shortRead)), raise_(raise) {}

    uint64_t Size() const noexcept { return data_.size(); }
    std::span<const uint8_t> Data() const noexcept { return data_; }

    // The message a short read raises from now on.
    void SetShortRead(std::string message) { shortRead_ = std::move(message); }
    const std::string& ShortRead() const noexcept { return shortRead_; }

    // Raises the present short-read error.
    [[noreturn]] void Fail() const {
        raise_(shortRead_);
        throw EInvalidGraphic(shortRead_);  // a raise function that returned
    }

    // --- at an absolute offset --------------------------------------------

    // Whether count bytes start at offset inside the data.
    bool Has(uint64_t offset, uint64_t count) const noexcept { return FitsIn(data_.size(), offset, count); }
    // The count bytes at offset.
    std::span<const uint8_t> Bytes(uint64_t offset, uint64_t count) const {
        Need(offset, count);
        return data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
    }
    uint8_t U8(uint64_t at) const { return Bytes(at, 1)[0]; }
    uint16_t U16LE(uint64_t at) const { return LoadU16LE(Bytes(at, 2).data()); }
    uint16_t U16BE(uint64_t at) const { return LoadU16BE(Bytes(at, 2).data()); }
    uint32_t U32LE(uint64_t at) const { return LoadU32LE(Bytes(at, 4).data()); }
    uint32_t U32BE(uint64_t at) const { return LoadU32BE(Bytes(at, 4).data()); }
    uint16_t U16(uint64_t at, bool bigEndian) const { return bigEndian ? U16BE(at) : U16LE(at); }
    uint32_t U32(uint64_t at, bool bigEndian) const { return bigEndian ? U32BE(at) : U32LE(at); }

    // --- from the cursor ----------------------------------------------------

    uint64_t Position() const noexcept { return pos_; }
    uint64_t Remaining() const noexcept { return data_.size() - pos_; }
    bool AtEnd() const noexcept { return pos_ == data_.size(); }
    // Moves the cursor to offset (at most the end of the data).
    void Seek(uint64_t offset) {
        Need(offset, 0);
        pos_ = offset;
    }
    void Skip(uint64_t count) {
        Need(pos_, count);
        pos_ += count;
    }
    std::span<const uint8_t> Take(uint64_t count) {
        std::span<const uint8_t> bytes = Bytes(pos_, count);
        pos_ += count;
        return bytes;
    }
    uint8_t ReadU8() { return Take(1)[0]; }
    uint16_t ReadU16LE() { return LoadU16LE(Take(2).data()); }
    uint16_t ReadU16BE() { return LoadU16BE(Take(2).data()); }
    uint32_t ReadU32LE() { return LoadU32LE(Take(4).data()); }
    uint32_t ReadU32BE() { return LoadU32BE(Take(4).data()); }
    uint16_t ReadU16(bool bigEndian) { return bigEndian ? ReadU16BE() : ReadU16LE(); }
    uint32_t ReadU32(bool bigEndian) { return bigEndian ? ReadU32BE() : ReadU32LE(); }

private:
    void Need(uint64_t offset, uint64_t count) const {
        if (!Has(offset, count)) Fail();
    }

    std::span<const uint8_t> data_;
    std::string shortRead_;
    TRaise raise_;
    uint64_t pos_ = 0;
};

}  // namespace vellumark
