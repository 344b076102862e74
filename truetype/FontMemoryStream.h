// TFontMemoryStream: a growable in-memory byte stream that holds a whole font
// file, byte for byte as read from disk. Its position is the read cursor of
// the font parser.
//
// ReadUInt16BE and ReadUInt32BE read big-endian unsigned values at the
// position (the first byte read is the most significant). Every read is
// checked against the end of the data: a read that would run past it raises
// EReadError and leaves the position where it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/EPDFError.h"

namespace vellumark {

class TFontMemoryStream {
public:
    // Files larger than this are refused by LoadFromFile: offsets inside a
    // font are 32-bit, and the writer reports the size as a 32-bit integer.
    static constexpr std::size_t kMaxFileSize = 0x7FFFFFFF;

    TFontMemoryStream() = default;

    std::size_t Size() const noexcept { return bytes_.size(); }
    // The position may lie beyond the end; reads from there fail.
    std::size_t Position() const noexcept { return position_; }
    void SetPosition(std::size_t position) noexcept { position_ = position; }
    // Moves the position forward by count bytes (saturating).
    void Skip(std::size_t count) noexcept;

    const uint8_t* Memory() const noexcept { return bytes_.data(); }
    std::span<const uint8_t> Bytes() const noexcept { return {bytes_.data(), bytes_.size()}; }

    // Empties the stream; the position returns to 0.
    void Clear() noexcept;
    // Replaces the contents with the given bytes; the position returns to 0.
    void Assign(std::span<const uint8_t> bytes);
    // Replaces the contents with the whole file at path (a narrow path in the
    // platform's file-name encoding, UTF-8 on Linux); the position returns to
    // 0. Raises EFOpenError when the file cannot be opened or read, or is not
    // a regular file, or is larger than kMaxFileSize; the contents are then
    // unchanged.
    void LoadFromFile(const std::string& path);

    // Copies up to count bytes from the position into buffer and advances
    // the position; returns the number of bytes copied.
    std::size_t Read(void* buffer, std::size_t count) noexcept;
    // Copies exactly count bytes or raises EReadError (position unchanged).
    void ReadBuffer(void* buffer, std::size_t count);
    // Writes count bytes at the position, growing the stream as needed (a gap
    // between the end and the position is filled with zeros).
    void Write(const void* buffer, std::size_t count);

    uint8_t ReadUInt8();

private:
    std::vector<uint8_t> bytes_;
    std::size_t position_ = 0;
};

// Big-endian readers at the position of a stream; they raise EReadError on a
// read past the end.
uint16_t ReadUInt16BE(TFontMemoryStream& stream);
uint32_t ReadUInt32BE(TFontMemoryStream& stream);
inline int16_t ReadInt16BE(TFontMemoryStream& stream) {
    return static_cast<int16_t>(ReadUInt16BE(stream));
}

// Big-endian readers at a fixed offset of a byte span, for lookups that must
// not move a stream's position. They answer false when the value does not
// lie entirely inside the span.
bool PeekUInt16BE(std::span<const uint8_t> bytes, uint64_t offset, uint16_t& value) noexcept;
bool PeekUInt32BE(std::span<const uint8_t> bytes, uint64_t offset, uint32_t& value) noexcept;

}  // namespace vellumark
