#include "decoders/LZWDecoder.h"

#include <array>
#include <cstring>

namespace vellumark::lzw {

namespace {

constexpr unsigned kClear = 256;
constexpr unsigned kEnd = 257;
constexpr unsigned kFirstFree = 258;
constexpr unsigned kMaxCodes = 4096;

// Every string in the table is a run of bytes already written to the
// output: a new entry is the previous code's string plus the first byte of
// the string that follows it, and those lie next to each other in the
// output. So an entry is just where its string starts and how long it is,
// and emitting a code is a copy from earlier output.
struct TEntry {
    uint32_t start;
    uint32_t length;
};

}  // namespace

bool IsOldStyle(std::span<const uint8_t> in) noexcept { return in.size() >= 2 && in[0] == 0 && (in[1] & 1) != 0; }

namespace {

// The decoder of both variants: kOldStyle reads the codes least significant
// bit first and widens them one code later.
template <bool kOldStyle>
TResult DecodeCodes(std::span<const uint8_t> in, std::span<uint8_t> out) noexcept {
    TResult result;
    // Entries only ever point into the output, so positions fit 32 bits as
    // long as the output does; longer outputs are decoded up to that size.
    const std::size_t size = out.size() > UINT32_MAX ? UINT32_MAX : out.size();
    uint8_t* const dst = out.data();
    std::array<TEntry, kMaxCodes> table;
    std::size_t pos = 0;

    const uint8_t* p = in.data();
    const uint8_t* const end = p + in.size();
    uint64_t bits = 0;    // unread bits, the next one in bit 63 - (64 - count)
    unsigned count = 0;   // how many bits `bits` holds
    unsigned width = 9;
    unsigned next = kFirstFree;
    bool havePrevious = false;
    TEntry previous{0, 0};

    while (pos < size) {
        if (kOldStyle) {
            // Bits from the lowest up: the next one in bit 0.
            while (count < width && p < end) {
                bits |= uint64_t{*p++} << count;
                count += 8;
            }
            if (count < width) break;  // out of data
        } else if (count < width) {
            if (end - p >= 8) {
                // Eight bytes at once, as many of them kept as fit.
                uint64_t v = 0;
                for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
                bits |= v >> count;
                p += (63 - count) >> 3;
                count |= 56;
            } else {
                while (count <= 56 && p < end) {
                    bits |= uint64_t{*p++} << (56 - count);
                    count += 8;
                }
                if (count < width) break;  // out of data
            }
        }
        unsigned code = 0;
        if (kOldStyle) {
            code = static_cast<unsigned>(bits & ((1u << width) - 1));
            bits >>= width;
        } else {
            code = static_cast<unsigned>(bits >> (64 - width));
            bits <<= width;
        }
        count -= width;

        if (code == kClear) {
            width = 9;
            next = kFirstFree;
            havePrevious = false;
            continue;
        }
        if (code == kEnd) break;

        TEntry current;
        if (code < 256) {
            dst[pos] = static_cast<uint8_t>(code);
            current = {static_cast<uint32_t>(pos), 1};
            ++pos;
        } else if (!havePrevious || code > next || (code == next && next == kMaxCodes)) {
            result.Valid = false;
            break;
        } else {
            // A known code, or the code about to be made (previous string
            // plus its own first byte): either way a copy from earlier output.
            const TEntry source = code < next ? table[code] : TEntry{previous.start, previous.length + 1};
            std::size_t n = source.length;
            if (n > size - pos) n = size - pos;
            uint8_t* d = dst + pos;
            const uint8_t* s = dst + source.start;
            if (n <= 8 && source.start + 8 <= pos && size - pos >= 8) {
                // Short strings: eight bytes copied whole; what lies past
                // the string is overwritten by the strings that follow.
                std::memcpy(d, s, 8);
            } else if (source.start + n <= pos) {
                if (n <= 16) {
                    for (std::size_t i = 0; i < n; ++i) d[i] = s[i];
                } else {
                    std::memcpy(d, s, n);
                }
            } else {
                for (std::size_t i = 0; i < n; ++i) d[i] = s[i];  // overlapping: forward, byte by byte
            }
            current = {static_cast<uint32_t>(pos), source.length};
            pos += n;
        }
        if (havePrevious && next < kMaxCodes) {
            table[next] = {previous.start, previous.length + 1};
            ++next;
            if (next == (1u << width) - (kOldStyle ? 0 : 1) && width < 12) ++width;
        }
        previous = current;
        havePrevious = true;
    }
    result.Written = pos;
    return result;
}

}  // namespace

TResult Decode(std::span<const uint8_t> in, std::span<uint8_t> out) noexcept {
    if (IsOldStyle(in)) return {0, false};
    return DecodeCodes<false>(in, out);
}

TResult DecodeOldStyle(std::span<const uint8_t> in, std::span<uint8_t> out) noexcept {
    return DecodeCodes<true>(in, out);
}

bool UndoHorizontalDifferencing(std::span<uint8_t> rows, std::size_t rowBytes, unsigned samplesPerPixel,
                                unsigned bitsPerSample, bool bigEndian) noexcept {
    if (rowBytes == 0 || samplesPerPixel == 0) return true;
    if (bitsPerSample == 8) {
        const std::size_t step = samplesPerPixel;
        for (std::size_t r = 0; r + rowBytes <= rows.size(); r += rowBytes) {
            uint8_t* row = rows.data() + r;
            for (std::size_t i = step; i < rowBytes; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - step]);
        }
        return true;
    }
    if (bitsPerSample == 16) {
        const std::size_t step = std::size_t{2} * samplesPerPixel;
        const std::size_t used = rowBytes & ~std::size_t{1};
        for (std::size_t r = 0; r + rowBytes <= rows.size(); r += rowBytes) {
            uint8_t* row = rows.data() + r;
            for (std::size_t i = step; i + 2 <= used; i += 2) {
                uint8_t* a = row + i;
                const uint8_t* b = row + i - step;
                if (bigEndian) {
                    const unsigned v = ((unsigned{a[0]} << 8) | a[1]) + ((unsigned{b[0]} << 8) | b[1]);
                    a[0] = static_cast<uint8_t>(v >> 8);
                    a[1] = static_cast<uint8_t>(v);
                } else {
                    const unsigned v = (a[0] | (unsigned{a[1]} << 8)) + (b[0] | (unsigned{b[1]} << 8));
                    a[0] = static_cast<uint8_t>(v);
                    a[1] = static_cast<uint8_t>(v >> 8);
                }
            }
        }
        return true;
    }
    return false;
}

}  // namespace vellumark::lzw
