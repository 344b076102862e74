#include "truetype/FontMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "base/ByteReader.h"

namespace vellumark {

void TFontMemoryStream::Skip(std::size_t count) noexcept {
    const std::size_t room = std::numeric_limits<std::size_t>::max() - position_;
    position_ = count > room ? std::numeric_limits<std::size_t>::max() : position_ + count;
}

void TFontMemoryStream::Clear() noexcept {
    bytes_.clear();
    bytes_.shrink_to_fit();
    position_ = 0;
}

void TFontMemoryStream::Assign(std::span<const uint8_t> bytes) {
    bytes_.assign(bytes.begin(), bytes.end());
    position_ = 0;
}

void TFontMemoryStream::LoadFromFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path fsPath(path);
    if (!std::filesystem::is_regular_file(fsPath, ec) || ec) throw EFOpenError("Cannot open file \"" + path + "\"");
    std::ifstream in(fsPath, std::ios::binary);
    if (!in) throw EFOpenError("Cannot open file \"" + path + "\"");

    // Read in blocks until the end rather than trusting the size the file
    // system reports, which may change while we read.
    std::vector<uint8_t> bytes;
    constexpr std::size_t kBlock = 1 << 16;
    for (;;) {
        const std::size_t old = bytes.size();
        if (old >= kMaxFileSize) {
            // Exactly at the limit is fine only when nothing follows.
            if (in.peek() == std::char_traits<char>::eof() && !in.bad()) break;
            throw EFOpenError("File too large: \"" + path + "\"");
        }
        const std::size_t want = std::min(kBlock, kMaxFileSize - old);
        bytes.resize(old + want);
        in.read(reinterpret_cast<char*>(bytes.data() + old), static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in.gcount());
        bytes.resize(old + got);
        if (in.bad()) throw EFOpenError("Cannot read file \"" + path + "\"");
        if (got < want) break;  // end of file
    }
    bytes_ = std::move(bytes);
    position_ = 0;
}

std::size_t TFontMemoryStream::Read(void* buffer, std::size_t count) noexcept {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - position_);
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void TFontMemoryStream::ReadBuffer(void* buffer, std::size_t count) {
    if (!FitsIn(bytes_.size(), position_, count)) throw EReadError();
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
}

void TFontMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    if (position_ > std::numeric_limits<std::size_t>::max() - count) throw std::length_error("stream too large");
    const std::size_t end = position_ + count;
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ = end;
}

uint8_t TFontMemoryStream::ReadUInt8() {
    uint8_t b = 0;
    ReadBuffer(&b, 1);
    return b;
}

uint16_t ReadUInt16BE(TFontMemoryStream& stream) {
    uint8_t b[2];
    stream.ReadBuffer(b, 2);
    return LoadU16BE(b);
}

uint32_t ReadUInt32BE(TFontMemoryStream& stream) {
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    return LoadU32BE(b);
}

bool PeekUInt16BE(std::span<const uint8_t> bytes, uint64_t offset, uint16_t& value) noexcept {
    if (!FitsIn(bytes.size(), offset, 2)) return false;
    value = LoadU16BE(&bytes[static_cast<std::size_t>(offset)]);
    return true;
}

bool PeekUInt32BE(std::span<const uint8_t> bytes, uint64_t offset, uint32_t& value) noexcept {
    if (!FitsIn(bytes.size(), offset, 4)) return false;
    value = LoadU32BE(&bytes[static_cast<std::size_t>(offset)]);
    return true;
}

}  // namespace vellumark
