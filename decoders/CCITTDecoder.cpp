// CCITT bilevel decoding. Every row is decoded into its list of changing
// elements (the positions where the colour changes, the first one a change
// from white to black), which is the reference row of the next row; the
// pixels are then set from that list, whole bytes at a time.
//
// A run of length 0 (white 0 then black 0 in horizontal mode, say) puts two
// changing elements at the same place. They stay in the list: they paint no
// pixel, but the next row refers to them, as encoders that write such runs
// expect (a pass mode at the start of the next row then ends at that place).
// Dropping them would shift b1 and b2 of the next row and lose the rest of
// the page. One exception keeps the reference rows the same as libtiff's
// (and so the pictures the same as in the programs built on it): in a
// one-dimensional row, a white run of 0 followed by a black run of 0 leaves
// no changing elements.
//
// Codes are read from a 64-bit window holding the next bits of the data most
// significant first and looked up by their leading bits in the tables of
// CCITTCodes.h. Past the end of the data the window reads 0 bits; no valid
// code consists of 0 bits only, and a row that used any of them counts as
// cut off.
#include "decoders/CCITTDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "decoders/CCITTCodes.h"

namespace vellumark::ccitt {

namespace {

using namespace codes;

// Positions are signed: the start of a row is the imaginary position -1.
using TPos = int32_t;

// The widest row handled; positions and their sums stay far from overflow.
constexpr uint32_t kMaxWidth = uint32_t{1} << 30;

// Entries after the last changing element of a reference row, all equal to
// the width, so that b1 and b2 can always be read without a bounds check.
constexpr std::size_t kSentinels = 4;

constexpr std::array<uint8_t, 256> kReversed = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned r = 0;
        for (unsigned i = 0; i < 8; ++i)
            if (b & (1u << i)) r |= 0x80u >> i;
        t[b] = static_cast<uint8_t>(r);
    }
    return t;
}();

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

// The bit window. `window` holds `avail` unread bits at its top (bits below
// them, when present, are the data's next bits too).
struct TBits {
    const uint8_t* next = nullptr;
    const uint8_t* end = nullptr;
    uint64_t window = 0;
    unsigned avail = 0;
    uint64_t padBytes = 0;  // 0 bytes supplied past the end of the data

    // Afterwards at least 56 bits are available.
    void Refill() {
        if (end - next >= 8) {
            window |= LoadBigEndian64(next) >> avail;
            next += (63 - avail) >> 3;
            avail |= 56;
            return;
        }
        while (avail <= 56) {
            uint64_t byte = 0;
            if (next < end) byte = *next++;
            else ++padBytes;
            window |= byte << (56 - avail);
            avail += 8;
        }
    }
    uint32_t Peek(unsigned n) const { return static_cast<uint32_t>(window >> (64 - n)); }
    void Skip(unsigned n) {
        window <<= n;
        avail -= n;
    }
    // True when bits past the end of the data have been consumed.
    bool Overrun() const { return padBytes * 8 > avail; }
    // Skips to the next byte boundary of the data.
    void Align() { Skip(avail & 7u); }
};

class TDecoder {
public:
    TDecoder(std::span<const uint8_t> data, const TDecodeOptions& options)
        : options_(options), width_(static_cast<TPos>(options.Width)) {
        bits_.next = data.data();
        bits_.end = data.data() + data.size();
        // A row has at most one change for every bit of code (a vertical mode
        // code is one bit, a horizontal one holds two runs in seven bits or
        // more, a run code two bits or more), plus the changes of a code
        // finished with the 0 bits read past the end. Runs of length 0 aside
        // it has at most one change a pixel; two a pixel leave room for them.
        maxChanges_ = std::min<std::size_t>(std::size_t{options.Width} * 2, data.size() * 8 + 8);
        const std::size_t capacity = maxChanges_ + 2 + kSentinels;  // one code adds up to two
        ref_.assign(capacity, width_);
        cur_.assign(capacity, width_);
    }

    bool Run(std::span<uint8_t> rows, std::size_t stride) {
        const std::size_t rowBytes = (std::size_t{options_.Width} + 7) / 8;
        for (uint32_t r = 0; r < options_.Rows; ++r) {
            bool ok = false;
            switch (options_.Scheme) {
            case TScheme::ModifiedHuffman:
                bits_.Align();
                ok = DecodeOneDimensional();
                break;
            case TScheme::Group3:
                ok = DecodeGroup3Row(r == 0);
                break;
            case TScheme::Group4:
                ok = DecodeTwoDimensional();
                break;
            }
            if (!ok || bits_.Overrun()) return false;
            FillRow(rows.subspan(r * stride, rowBytes));
            std::swap(ref_, cur_);
            refCount_ = curCount_;
            std::fill_n(ref_.begin() + static_cast<std::ptrdiff_t>(refCount_), kSentinels, width_);
        }
        return true;
    }

private:
    // Skips fill bits and an end-of-line code when they stand here. Returns
    // false without consuming anything when the next bits are no EOL; `ok`
    // turns false when the data ends inside the zeros.
    bool SkipEol(bool& ok) {
        for (;;) {
            bits_.Refill();
            if (bits_.Peek(12) == 1) {
                bits_.Skip(12);
                return true;
            }
            // Twelve or more zeros are no code's beginning: fill bits.
            const auto zeros = static_cast<unsigned>(std::countl_zero(bits_.window));
            if (zeros < 12) return false;
            bits_.Skip(std::min(zeros, bits_.avail) - 11);
            if (bits_.Overrun()) {
                ok = false;
                return false;
            }
        }
    }

    bool DecodeGroup3Row(bool first) {
        bool ok = true;
        const bool eol = SkipEol(ok);
        if (!ok) return false;
        if (!options_.TwoDimensional) return DecodeOneDimensional();
        if (!eol) {
            // Only the first row may go without its EOL; it is one-dimensional.
            return first && DecodeOneDimensional();
        }
        const bool oneDimensional = bits_.Peek(1) == 1;
        bits_.Skip(1);
        return oneDimensional ? DecodeOneDimensional() : DecodeTwoDimensional();
    }

    // Reads one run length of the colour (make-up codes and a terminating
    // code); -1 for a bad code or a run longer than the row.
    template <bool Black>
    static TPos ReadRun(TBits& bits, TPos limit) {
        TPos run = 0;
        for (;;) {
            if (bits.avail < 16) bits.Refill();
            const TEntry e = Black ? kBlackTable[bits.Peek(kBlackBits)] : kWhiteTable[bits.Peek(kWhiteBits)];
            const unsigned length = EntryLength(e);
            const auto value = static_cast<TPos>(EntryValue(e));
            if (length == 0 || value == kEolValue) return -1;
            bits.Skip(length);
            run += value;
            if (run > limit) return -1;
            if (value < 64) return run;
        }
    }

    static TPos ReadRun(TBits& bits, bool black, TPos limit) {
        return black ? ReadRun<true>(bits, limit) : ReadRun<false>(bits, limit);
    }

    bool DecodeOneDimensional() {
        TBits bits = bits_;
        TPos* cur = cur_.data();
        std::size_t n = 0;
        TPos pos = 0;
        TPos white = 0;  // the last white run
        bool black = false;
        while (pos < width_) {
            if (n > maxChanges_) return false;
            const TPos run = ReadRun(bits, black, width_ - pos);
            if (run < 0) return false;
            pos += run;
            AddChange(cur, n, pos);
            if (!black) white = run;
            else if (run == 0 && white == 0) n -= 2;  // both recorded: pos < width_
            black = !black;
        }
        bits_ = bits;
        curCount_ = n;
        return true;
    }

    // Records a change of colour at `pos` (never before the last one; at the
    // same place after a run of length 0). Changes at the row end are not
    // recorded.
    void AddChange(TPos* cur, std::size_t& n, TPos pos) const {
        if (pos < width_) cur[n++] = pos;
    }

    bool DecodeTwoDimensional() {
        TBits bits = bits_;
        const TPos* ref = ref_.data();
        TPos* cur = cur_.data();
        std::size_t n = 0;
        std::size_t i = 0;  // index of b1 in ref
        TPos a0 = -1;
        unsigned colour = 0;  // 0 white, 1 black
        while (a0 < width_) {
            if (n > maxChanges_) return false;
            // b1: the first change of the reference row right of a0 to the
            // opposite colour (even indices are changes to black).
            while (i > 0 && ref[i - 1] > a0) --i;
            while (ref[i] <= a0) ++i;
            if ((i & 1u) != colour) ++i;
            const TPos b1 = ref[i];
            if (bits.avail < 16) bits.Refill();
            const TEntry e = kModeTable[bits.Peek(kModeBits)];
            const unsigned length = EntryLength(e);
            if (length == 0) return false;  // EOL, extensions (uncompressed mode) or no code
            bits.Skip(length);
            const TPos start = a0 < 0 ? 0 : a0;
            switch (EntryValue(e)) {
            case kModePass:
                a0 = ref[i + 1];
                break;
            case kModeHorizontal: {
                const TPos run1 = ReadRun(bits, colour != 0, width_ - start);
                if (run1 < 0) return false;
                const TPos a1 = start + run1;
                const TPos run2 = ReadRun(bits, colour == 0, width_ - a1);
                if (run2 < 0) return false;
                AddChange(cur, n, a1);
                a0 = a1 + run2;
                AddChange(cur, n, a0);
                break;
            }
            default: {
                static constexpr TPos kOffsets[] = {0, 0, 0, 0, 1, 2, 3, -1, -2, -3};
                const TPos a1 = b1 + kOffsets[EntryValue(e)];
                if (a1 < start || a1 > width_) return false;
                AddChange(cur, n, a1);
                a0 = a1;
                colour ^= 1u;
                break;
            }
            }
        }
        bits_ = bits;
        curCount_ = n;
        return true;
    }

    // Sets the pixels of the row just decoded: black runs become 1 bits
    // (black runs of length 0 set none).
    void FillRow(std::span<uint8_t> row) const {
        std::memset(row.data(), 0, row.size());
        const TPos* cur = cur_.data();
        for (std::size_t k = 0; k < curCount_; k += 2) {
            const TPos end = k + 1 < curCount_ ? cur[k + 1] : width_;
            if (cur[k] < end) SetSpan(row.data(), static_cast<uint32_t>(cur[k]), static_cast<uint32_t>(end));
        }
    }

    // Sets bits [from, to) of a row, from < to.
    static void SetSpan(uint8_t* row, uint32_t from, uint32_t to) {
        const uint32_t first = from >> 3, last = (to - 1) >> 3;
        const auto head = static_cast<uint8_t>(0xFFu >> (from & 7u));
        const auto tail = static_cast<uint8_t>(0xFFu << (7u - ((to - 1) & 7u)));
        if (first == last) {
            row[first] |= static_cast<uint8_t>(head & tail);
            return;
        }
        row[first] |= head;
        if (last > first + 1) std::memset(row + first + 1, 0xFF, last - first - 1);
        row[last] |= tail;
    }

    const TDecodeOptions& options_;
    const TPos width_;
    TBits bits_;
    std::vector<TPos> ref_, cur_;
    std::size_t maxChanges_ = 0;
    std::size_t refCount_ = 0, curCount_ = 0;
};

}  // namespace

bool Decode(std::span<const uint8_t> data, const TDecodeOptions& options, std::span<uint8_t> rows,
            std::size_t stride) {
    if (options.Rows == 0) return true;
    if (options.Width == 0 || options.Width > kMaxWidth) return false;
    const uint64_t rowBytes = (uint64_t{options.Width} + 7) / 8;
    if (stride < rowBytes) return false;
    // The last row must fit: (Rows - 1) * stride + rowBytes <= rows.size().
    const uint64_t lastRow = uint64_t{options.Rows} - 1;
    if (stride != 0 && lastRow > (rows.size() - std::min<uint64_t>(rows.size(), rowBytes)) / stride) return false;
    if (rows.size() < rowBytes) return false;

    std::vector<uint8_t> reversed;
    if (options.LeastSignificantBitFirst) {
        reversed.resize(data.size());
        for (std::size_t k = 0; k < data.size(); ++k) reversed[k] = kReversed[data[k]];
        data = reversed;
    }
    TDecoder decoder(data, options);
    return decoder.Run(rows, stride);
}

}  // namespace vellumark::ccitt
