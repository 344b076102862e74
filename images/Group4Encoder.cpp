// Group 4 (T.6) encoder. The current and the reference row are held one
// byte per pixel (1 white, 0 black); changing elements are found sixteen
// pixels at a time (eight without SSE2); a row whose pixels equal those of
// the row above is coded from its packed bits alone; codes go through a 64-bit bit accumulator into an
// output buffer that is sized before the first row (to the size of the
// packed pixels), grown only when a row might not fit, and cut to the
// written length at the end.
#include "images/Group4Encoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellumark {
namespace {

// ---------------------------------------------------------------------------
// Checked size arithmetic.

std::size_t CheckedAdd(std::size_t a, std::size_t b) {
    if (a > std::numeric_limits<std::size_t>::max() - b) throw std::length_error("Group 4 output too large");
    return a + b;
}

std::size_t CheckedMul(std::size_t a, std::size_t b) {
    if (a != 0 && b > std::numeric_limits<std::size_t>::max() / a)
        throw std::length_error("Group 4 output too large");
    return a * b;
}

// ---------------------------------------------------------------------------
// Code tables: T.6 mode codes and the T.4 run-length codes.

struct TCode {
    uint16_t bits;   // the code in the low `length` bits
    uint8_t length;  // 1 to 13
};

constexpr TCode kPass{0b0001, 4};
constexpr TCode kHorizontal{0b001, 3};
constexpr TCode kEol{0b000000000001, 12};

// Vertical mode by a1 - b1 + 3 (VL3 .. V0 .. VR3).
constexpr std::array<TCode, 7> kVertical{{
    {0b0000010, 7},  // VL3
    {0b000010, 6},   // VL2
    {0b010, 3},      // VL1
    {0b1, 1},        // V0
    {0b011, 3},      // VR1
    {0b000011, 6},   // VR2
    {0b0000011, 7},  // VR3
}};

constexpr std::array<TCode, 64> kWhiteTerminating{{
    {0b00110101, 8}, {0b000111, 6},   {0b0111, 4},     {0b1000, 4},     {0b1011, 4},     {0b1100, 4},
    {0b1110, 4},     {0b1111, 4},     {0b10011, 5},    {0b10100, 5},    {0b00111, 5},    {0b01000, 5},
    {0b001000, 6},   {0b000011, 6},   {0b110100, 6},   {0b110101, 6},   {0b101010, 6},   {0b101011, 6},
    {0b0100111, 7},  {0b0001100, 7},  {0b0001000, 7},  {0b0010111, 7},  {0b0000011, 7},  {0b0000100, 7},
    {0b0101000, 7},  {0b0101011, 7},  {0b0010011, 7},  {0b0100100, 7},  {0b0011000, 7},  {0b00000010, 8},
    {0b00000011, 8}, {0b00011010, 8}, {0b00011011, 8}, {0b00010010, 8}, {0b00010011, 8}, {0b00010100, 8},
    {0b00010101, 8}, {0b00010110, 8}, {0b00010111, 8}, {0b00101000, 8}, {0b00101001, 8}, {0b00101010, 8},
    {0b00101011, 8}, {0b00101100, 8}, {0b00101101, 8}, {0b00000100, 8}, {0b00000101, 8}, {0b00001010, 8},
    {0b00001011, 8}, {0b01010010, 8}, {0b01010011, 8}, {0b01010100, 8}, {0b01010101, 8}, {0b00100100, 8},
    {0b00100101, 8}, {0b01011000, 8}, {0b01011001, 8}, {0b01011010, 8}, {0b01011011, 8}, {0b01001010, 8},
    {0b01001011, 8}, {0b00110010, 8}, {0b00110011, 8}, {0b00110100, 8},
}};

constexpr std::array<TCode, 64> kBlackTerminating{{
    {0b0000110111, 10},   {0b010, 3},           {0b11, 2},            {0b10, 2},
    {0b011, 3},           {0b0011, 4},          {0b0010, 4},          {0b00011, 5},
    {0b000101, 6},        {0b000100, 6},        {0b0000100, 7},       {0b0000101, 7},
    {0b0000111, 7},       {0b00000100, 8},      {0b00000111, 8},      {0b000011000, 9},
    {0b0000010111, 10},   {0b0000011000, 10},   {0b0000001000, 10},   {0b00001100111, 11},
    {0b00001101000, 11},  {0b00001101100, 11},  {0b00000110111, 11},  {0b00000101000, 11},
    {0b00000010111, 11},  {0b00000011000, 11},  {0b000011001010, 12}, {0b000011001011, 12},
    {0b000011001100, 12}, {0b000011001101, 12}, {0b000001101000, 12}, {0b000001101001, 12},
    {0b000001101010, 12}, {0b000001101011, 12}, {0b000011010010, 12}, {0b000011010011, 12},
    {0b000011010100, 12}, {0b000011010101, 12}, {0b000011010110, 12}, {0b000011010111, 12},
    {0b000001101100, 12}, {0b000001101101, 12}, {0b000011011010, 12}, {0b000011011011, 12},
    {0b000001010100, 12}, {0b000001010101, 12}, {0b000001010110, 12}, {0b000001010111, 12},
    {0b000001100100, 12}, {0b000001100101, 12}, {0b000001010010, 12}, {0b000001010011, 12},
    {0b000000100100, 12}, {0b000000110111, 12}, {0b000000111000, 12}, {0b000000100111, 12},
    {0b000000101000, 12}, {0b000001011000, 12}, {0b000001011001, 12}, {0b000000101011, 12},
    {0b000000101100, 12}, {0b000001011010, 12}, {0b000001100110, 12}, {0b000001100111, 12},
}};

// Make-up codes by run / 64; entry 0 is unused. Entries 28 (1792) to 40
// (2560) are the ones both colours share.
constexpr std::array<TCode, 41> kWhiteMakeUp{{
    {0, 0},
    {0b11011, 5},          {0b10010, 5},          {0b010111, 6},         {0b0110111, 7},        // 64..256
    {0b00110110, 8},       {0b00110111, 8},       {0b01100100, 8},       {0b01100101, 8},       // 320..512
    {0b01101000, 8},       {0b01100111, 8},       {0b011001100, 9},      {0b011001101, 9},      // 576..768
    {0b011010010, 9},      {0b011010011, 9},      {0b011010100, 9},      {0b011010101, 9},      // 832..1024
    {0b011010110, 9},      {0b011010111, 9},      {0b011011000, 9},      {0b011011001, 9},      // 1088..1280
    {0b011011010, 9},      {0b011011011, 9},      {0b010011000, 9},      {0b010011001, 9},      // 1344..1536
    {0b010011010, 9},      {0b011000, 6},         {0b010011011, 9},                             // 1600..1728
    {0b00000001000, 11},   {0b00000001100, 11},   {0b00000001101, 11},   {0b000000010010, 12},  // 1792..1984
    {0b000000010011, 12},  {0b000000010100, 12},  {0b000000010101, 12},  {0b000000010110, 12},  // 2048..2240
    {0b000000010111, 12},  {0b000000011100, 12},  {0b000000011101, 12},  {0b000000011110, 12},  // 2304..2496
    {0b000000011111, 12},                                                                       // 2560
}};

constexpr std::array<TCode, 41> kBlackMakeUp{{
    {0, 0},
    {0b0000001111, 10},    {0b000011001000, 12},  {0b000011001001, 12},  {0b000001011011, 12},  // 64..256
    {0b000000110011, 12},  {0b000000110100, 12},  {0b000000110101, 12},  {0b0000001101100, 13}, // 320..512
    {0b0000001101101, 13}, {0b0000001001010, 13}, {0b0000001001011, 13}, {0b0000001001100, 13}, // 576..768
    {0b0000001001101, 13}, {0b0000001110010, 13}, {0b0000001110011, 13}, {0b0000001110100, 13}, // 832..1024
    {0b0000001110101, 13}, {0b0000001110110, 13}, {0b0000001110111, 13}, {0b0000001010010, 13}, // 1088..1280
    {0b0000001010011, 13}, {0b0000001010100, 13}, {0b0000001010101, 13}, {0b0000001011010, 13}, // 1344..1536
    {0b0000001011011, 13}, {0b0000001100100, 13}, {0b0000001100101, 13},                        // 1600..1728
    {0b00000001000, 11},   {0b00000001100, 11},   {0b00000001101, 11},   {0b000000010010, 12},  // 1792..1984
    {0b000000010011, 12},  {0b000000010100, 12},  {0b000000010101, 12},  {0b000000010110, 12},  // 2048..2240
    {0b000000010111, 12},  {0b000000011100, 12},  {0b000000011101, 12},  {0b000000011110, 12},  // 2304..2496
    {0b000000011111, 12},                                                                       // 2560
}};

constexpr std::size_t kLongestMakeUp = 2560;

// ---------------------------------------------------------------------------
// Bit output: codes are collected most significant bit first in a 64-bit
// accumulator and stored four bytes at a time into a buffer of a given
// capacity. The buffer is left uninitialised: only the bytes written are
// touched, however large the capacity.

class TBitSink {
public:
    explicit TBitSink(std::size_t capacity) : buffer_(new unsigned char[capacity]), capacity_(capacity) {}

    // Makes sure that `bytes` more bytes (plus the accumulator's) fit.
    void Reserve(std::size_t bytes) {
        const std::size_t needed = CheckedAdd(CheckedAdd(pos_, bytes), 8);
        if (needed <= capacity_) return;
        const std::size_t doubled = capacity_ <= std::numeric_limits<std::size_t>::max() / 2 ? capacity_ * 2 : needed;
        const std::size_t capacity = std::max(needed, doubled);
        std::unique_ptr<unsigned char[]> larger(new unsigned char[capacity]);
        std::memcpy(larger.get(), buffer_.get(), pos_);
        buffer_ = std::move(larger);
        capacity_ = capacity;
    }

    // Appends the low `length` bits of `bits`, 1 <= length <= 32.
    void Put(uint32_t bits, unsigned length) noexcept {
        acc_ |= static_cast<uint64_t>(bits) << (64 - used_ - length);
        used_ += length;
        if (used_ >= 32) {
            const auto high = static_cast<uint32_t>(acc_ >> 32);
            unsigned char* at = buffer_.get() + pos_;
            at[0] = static_cast<unsigned char>(high >> 24);
            at[1] = static_cast<unsigned char>(high >> 16);
            at[2] = static_cast<unsigned char>(high >> 8);
            at[3] = static_cast<unsigned char>(high);
            pos_ += 4;
            acc_ <<= 32;
            used_ -= 32;
        }
    }
    void Put(TCode code) noexcept { Put(code.bits, code.length); }

    // `count` 1 bits.
    void PutOnes(std::size_t count) noexcept {
        while (count >= 32) {
            Put(0xFFFFFFFFu, 32);
            count -= 32;
        }
        if (count > 0) Put((1u << count) - 1, static_cast<unsigned>(count));
    }

    // The code: the pending bits written, the last byte padded with 0 bits.
    std::string Finish() {
        while (used_ > 0) {
            buffer_[pos_++] = static_cast<unsigned char>(acc_ >> 56);
            acc_ <<= 8;
            used_ = used_ > 8 ? used_ - 8 : 0;
        }
        return std::string(reinterpret_cast<const char*>(buffer_.get()), pos_);
    }

private:
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t capacity_;
    std::size_t pos_ = 0;
    uint64_t acc_ = 0;
    unsigned used_ = 0;  // bits in acc_, always below 32 between calls
};

// A run of `n` pixels of one colour: make-up codes while n >= 64, then the
// terminating code of the rest.
void PutRun(TBitSink& sink, bool white, std::size_t n) noexcept {
    const auto& makeUp = white ? kWhiteMakeUp : kBlackMakeUp;
    const auto& terminating = white ? kWhiteTerminating : kBlackTerminating;
    while (n >= kLongestMakeUp) {
        sink.Put(makeUp[kLongestMakeUp / 64]);
        n -= kLongestMakeUp;
    }
    if (n >= 64) {
        sink.Put(makeUp[n / 64]);
        n %= 64;
    }
    sink.Put(terminating[n]);
}

// ---------------------------------------------------------------------------
// Rows one byte per pixel.

// The eight pixel bytes (0 or 1, leftmost first in memory) of each value of
// a bitmap byte.
constexpr auto kExpand = [] {
    std::array<std::array<uint8_t, 8>, 256> table{};
    for (unsigned b = 0; b < 256; ++b)
        for (unsigned k = 0; k < 8; ++k) table[b][k] = static_cast<uint8_t>((b >> (7 - k)) & 1);
    return table;
}();

// Past the w pixels of a row array lie 16 bytes of this value: it differs
// from both colours, so every search stops at w.
constexpr uint8_t kRowEnd = 2;
constexpr std::size_t kRowEndBytes = 16;

// The first position >= i whose byte is not `colour` (0 or 1). Reads whole
// blocks of 16 bytes (SSE2) or 8 bytes; the row end marker bounds the
// search, and the arrays extend kRowEndBytes past it.
inline std::size_t FindNot(const uint8_t* row, std::size_t i, unsigned colour) noexcept {
#if defined(__SSE2__)
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(colour));
    for (;;) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const unsigned differ = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, pattern))) ^ 0xFFFFu;
        if (differ != 0) return i + static_cast<std::size_t>(std::countr_zero(differ));
        i += 16;
    }
#else
    const uint64_t pattern = 0x0101010101010101ULL * colour;
    for (;;) {
        uint64_t word;
        std::memcpy(&word, row + i, 8);
        word ^= pattern;
        if (word != 0) {
            if constexpr (std::endian::native == std::endian::little)
                return i + static_cast<std::size_t>(std::countr_zero(word)) / 8;
            else
                return i + static_cast<std::size_t>(std::countl_zero(word)) / 8;
        }
        i += 8;
    }
#endif
}

// ---------------------------------------------------------------------------
// Packed rows: the shortcut for a row equal to its reference row.

// True when the first w pixels of the packed rows a and b are equal; b null
// stands for an all-white row.
bool SamePixels(const uint8_t* a, const uint8_t* b, std::size_t w) noexcept {
    const std::size_t whole = w / 8;
    const unsigned rest = static_cast<unsigned>(w % 8);
    const auto restMask = static_cast<uint8_t>(0xFF00u >> rest);
    if (b != nullptr) {
        if (std::memcmp(a, b, whole) != 0) return false;
        return rest == 0 || ((a[whole] ^ b[whole]) & restMask) == 0;
    }
    std::size_t i = 0;
    for (; i + 8 <= whole; i += 8) {
        uint64_t word;
        std::memcpy(&word, a + i, 8);
        if (word != ~uint64_t{0}) return false;
    }
    for (; i < whole; ++i)
        if (a[i] != 0xFF) return false;
    return rest == 0 || (a[whole] & restMask) == restMask;
}

// Bits set in each byte value (std::popcount may become a library call
// where the processor's instruction is not assumed).
constexpr auto kBitCount = [] {
    std::array<uint8_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b)
        for (unsigned v = b; v != 0; v &= v - 1) ++table[b];
    return table;
}();

// The number of changing elements of the first w pixels of a packed row:
// pixels whose colour differs from the pixel before (white before pixel 0).
std::size_t CountChanges(const uint8_t* row, std::size_t w) noexcept {
    std::size_t count = 0;
    unsigned previous = 1;  // the pixel left of the current byte
    const std::size_t whole = w / 8;
    for (std::size_t i = 0; i < whole; ++i) {
        const unsigned b = row[i];
        count += kBitCount[(b ^ ((b >> 1) | (previous << 7))) & 0xFFu];
        previous = b & 1;
    }
    if (const unsigned rest = static_cast<unsigned>(w % 8); rest != 0) {
        const unsigned b = row[whole];
        const unsigned mask = (0xFF00u >> rest) & 0xFFu;
        count += kBitCount[(b ^ ((b >> 1) | (previous << 7))) & mask];
    }
    return count;
}

// Upper bound of the code of one row, in bytes. Every coding step moves a0
// right: vertical mode by at least one position for at most 7 bits, pass
// mode by at least two for 4 bits, horizontal mode by at least two for at
// most 3 + 12 + 12 bits (long runs cost less per position), except a last
// horizontal step with an empty second run (at most 25 bits). a0 goes from
// -1 to w, so 14 bits per position and 32 more bound a row.
std::size_t RowBound(std::size_t w) {
    return CheckedAdd(CheckedMul(CheckedAdd(w, 1), 14), 32 + 7) / 8;
}

}  // namespace

std::string EncodeGroup4(const TBMPImage& bitmap) {
    if (bitmap.BitsPerPixel() != 1) throw std::invalid_argument("EncodeGroup4 needs a bitmap of 1 bit per pixel");
    const std::size_t w = bitmap.Width();
    const std::size_t h = bitmap.Height();
    const std::size_t packedBytes = (w + 7) / 8;

    if (w == 0 || h == 0) {
        TBitSink sink(8);
        sink.Put(kEol);
        sink.Put(kEol);
        return sink.Finish();
    }
    if (bitmap.RowBytes() < packedBytes || bitmap.Pixels().size() / bitmap.RowBytes() < h)
        throw std::invalid_argument("EncodeGroup4: the bitmap's pixels are shorter than its rows");

    // The output starts at the size of the packed pixels (plus one row's
    // worst case); a row that might not fit grows it first.
    const std::size_t rowBound = RowBound(w);
    TBitSink sink(CheckedAdd(CheckedAdd(CheckedMul(w, h) / 8, rowBound), 16));

    // Current and reference row, w pixels and the row end marker each; the
    // arrays cover whole packed bytes so that a row can be expanded bytewise.
    const std::size_t arraySize = CheckedAdd(CheckedMul(packedBytes, 8), kRowEndBytes);
    std::vector<uint8_t> rowA(arraySize, kRowEnd);
    std::vector<uint8_t> rowB(arraySize, kRowEnd);
    uint8_t* ref = rowA.data();
    uint8_t* cur = rowB.data();
    std::memset(ref, 1, w);  // the imaginary all-white row above the first

    const auto width = static_cast<std::ptrdiff_t>(w);
    const uint8_t* refPacked = nullptr;  // the reference row as packed bits; null: all white

    for (std::size_t y = 0; y < h; ++y) {
        sink.Reserve(rowBound);
        const uint8_t* packed = bitmap.Row(static_cast<uint32_t>(y));

        // A row equal to its reference row codes as V0 at every changing
        // element and once more at the row end: each a1 falls on b1.
        if (SamePixels(packed, refPacked, w)) {
            sink.PutOnes(CountChanges(packed, w) + 1);
            refPacked = packed;
            continue;
        }

        for (std::size_t i = 0; i < packedBytes; ++i) std::memcpy(cur + 8 * i, kExpand[packed[i]].data(), 8);
        std::memset(cur + w, kRowEnd, kRowEndBytes);

        std::ptrdiff_t a0 = -1;
        unsigned colour = 1;  // of the pixels from a0 on: 1 white, 0 black
        while (a0 < width) {
            const auto start = static_cast<std::size_t>(a0 + 1);
            const auto a1 = static_cast<std::ptrdiff_t>(FindNot(cur, start, colour));

            // b1: the first change to the opposite colour right of a0. When
            // the reference pixel at a0 is of the opposite colour, its run is
            // skipped first.
            const unsigned refAtA0 = a0 < 0 ? 1u : ref[a0];
            const std::size_t from = refAtA0 == colour ? start : FindNot(ref, start, colour ^ 1u);
            auto b1 = static_cast<std::ptrdiff_t>(FindNot(ref, from, colour));
            std::ptrdiff_t b2 = width;
            if (b1 >= width) {
                if (ref[w - 1] != colour) b1 = width + 10;
            } else {
                b2 = static_cast<std::ptrdiff_t>(FindNot(ref, static_cast<std::size_t>(b1) + 1, colour ^ 1u));
            }

            if (b2 < a1) {
                sink.Put(kPass);
                a0 = b2;
            } else if (const std::ptrdiff_t d = a1 - b1; d >= -3 && d <= 3) {
                sink.Put(kVertical[static_cast<std::size_t>(d + 3)]);
                a0 = a1;
                colour ^= 1u;
            } else {
                const std::ptrdiff_t a2 =
                    a1 >= width ? width : static_cast<std::ptrdiff_t>(FindNot(cur, static_cast<std::size_t>(a1) + 1, colour ^ 1u));
                sink.Put(kHorizontal);
                PutRun(sink, colour != 0, static_cast<std::size_t>(a1 - (a0 < 0 ? 0 : a0)));
                PutRun(sink, colour == 0, static_cast<std::size_t>(a2 - a1));
                a0 = a2;
            }
        }

        std::swap(cur, ref);
        refPacked = packed;
    }

    sink.Reserve(8);
    sink.Put(kEol);
    sink.Put(kEol);
    return sink.Finish();
}

}  // namespace vellumark
