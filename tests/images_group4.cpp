// The Group 4 encoder: byte-exact codes of small cases, byte-exact agreement
// with a literal pixel-by-pixel encoder written here, and exact pixels after
// decoding by a plain T.6 decoder written here and by libtiff (tiffcp), on
// images of many widths and kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "decoders/BMPImage.h"
#include "images/Group4Encoder.h"
#include "tests/TestUtil.h"

namespace {

using vellumark::EncodeGroup4;
using vellumark::TBMPImage;
using vellumark::TPaletteEntry;
using namespace vellumark::test;

// ---------------------------------------------------------------------------
// Pictures: one byte per pixel, 1 white, 0 black, rows from the top.

struct TPicture {
    std::string name;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;

    TPicture(std::string n, uint32_t w, uint32_t h) : name(std::move(n)), width(w), height(h), pixels(std::size_t{w} * h, 1) {}
    uint8_t& At(uint32_t x, uint32_t y) { return pixels[std::size_t{y} * width + x]; }
    uint8_t At(uint32_t x, uint32_t y) const { return pixels[std::size_t{y} * width + x]; }
    void FillRow(uint32_t y, uint32_t from, uint32_t to, uint8_t colour) {
        for (uint32_t x = from; x < to && x < width; ++x) At(x, y) = colour;
    }
};


// A 1-bit bitmap of the picture with the palette black, white (or white,
// black). The unused low bits of each row's last byte are set to noise: the
// encoder must not look at them.
TBMPImage MakeBitmap(const TPicture& p, bool whiteFirst = false) {
    TBMPImage b;
    b.SetSize(p.width, p.height, 1);
    TPaletteEntry black{0, 0, 0}, white{255, 255, 255};
    b.Palette() = whiteFirst ? std::vector<TPaletteEntry>{white, black} : std::vector<TPaletteEntry>{black, white};
    TRandom noise(p.width * 31u + p.height);
    for (uint32_t y = 0; y < p.height; ++y) {
        uint8_t* row = b.Row(y);
        for (std::size_t i = 0; i < b.RowBytes(); ++i) row[i] = static_cast<uint8_t>(noise.Next());
        for (uint32_t x = 0; x < p.width; ++x) {
            const auto bit = static_cast<uint8_t>(0x80u >> (x % 8));
            if (p.At(x, y)) row[x / 8] |= bit;
            else row[x / 8] &= static_cast<uint8_t>(~bit);
        }
    }
    return b;
}

std::string Hex(const std::string& bytes) {
    std::string s;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%s%02X", s.empty() ? "" : " ", c);
        s += buf;
    }
    return s;
}

std::string PackBits(const std::string& bits) { return PackBitString(bits); }

// ---------------------------------------------------------------------------
// T.4 run-length codes and T.6 mode codes, as bit strings.

const char* const kWhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};

const char* const kBlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};

// Make-up codes for 64, 128, ... 1728.
const char* const kWhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

const char* const kBlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",  "000000110100",
    "000000110101",  "0000001101100", "0000001101101", "0000001001010", "0000001001011", "0000001001100",
    "0000001001101", "0000001110010", "0000001110011", "0000001110100", "0000001110101", "0000001110110",
    "0000001110111", "0000001010010", "0000001010011", "0000001010100", "0000001010101", "0000001011010",
    "0000001011011", "0000001100100", "0000001100101"};

// Make-up codes for 1792, 1856, ... 2560, the same for both colours.
const char* const kSharedMakeUp[13] = {
    "00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
    "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
    "000000011101", "000000011110", "000000011111"};

const char* const kEol = "000000000001";
const char* const kPassCode = "0001";
const char* const kHorizontalCode = "001";
// Vertical mode by a1 - b1 + 3.
const char* const kVerticalCodes[7] = {"0000010", "000010", "010", "1", "011", "000011", "0000011"};

const char* MakeUpCode(bool white, uint32_t run) {
    const uint32_t k = run / 64;
    if (k >= 28) return kSharedMakeUp[k - 28];
    return white ? kWhiteMakeUp[k - 1] : kBlackMakeUp[k - 1];
}

std::string RunCode(bool white, uint32_t n) {
    std::string bits;
    while (n >= 64) {
        const uint32_t part = n >= 2560 ? 2560 : n / 64 * 64;
        bits += MakeUpCode(white, part);
        n -= part;
    }
    return bits + (white ? kWhiteTerminating : kBlackTerminating)[n];
}

// ---------------------------------------------------------------------------
// The coding steps written out pixel by pixel, with plain scans.

std::string LiteralEncode(const TPicture& p) {
    const int w = static_cast<int>(p.width);
    std::string bits;
    if (p.width > 0 && p.height > 0) {
        std::vector<int> ref(p.width, 1), cur(p.width);
        for (uint32_t y = 0; y < p.height; ++y) {
            for (int x = 0; x < w; ++x) cur[x] = p.At(static_cast<uint32_t>(x), y);
            int a0 = -1;
            int colour = 1;
            while (a0 < w) {
                int a1 = a0 + 1;
                while (a1 < w && cur[a1] == colour) ++a1;
                int b1 = -1;
                for (int x = a0 + 1; x < w; ++x) {
                    const int before = x == 0 ? 1 : ref[x - 1];
                    if (ref[x] != before && ref[x] != colour) {
                        b1 = x;
                        break;
                    }
                }
                if (b1 < 0) b1 = ref[w - 1] != colour ? w + 10 : w;
                int b2 = w;
                for (int x = b1 + 1; x < w; ++x) {
                    if (ref[x] != ref[x - 1]) {
                        b2 = x;
                        break;
                    }
                }
                if (b2 < a1) {
                    bits += kPassCode;
                    a0 = b2;
                } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
                    bits += kVerticalCodes[a1 - b1 + 3];
                    a0 = a1;
                    colour = 1 - colour;
                } else {
                    int a2 = a1;
                    while (a2 < w && cur[a2] == 1 - colour) ++a2;
                    bits += kHorizontalCode;
                    bits += RunCode(colour == 1, static_cast<uint32_t>(a1 - std::max(a0, 0)));
                    bits += RunCode(colour == 0, static_cast<uint32_t>(a2 - a1));
                    a0 = a2;
                }
            }
            ref = cur;
        }
    }
    bits += kEol;
    bits += kEol;
    return PackBits(bits);
}

// ---------------------------------------------------------------------------
// A plain T.6 decoder: reads bit by bit and looks codes up by their text.

class TBitReader {
public:
    explicit TBitReader(const std::string& data) : data_(data) {}
    int Bit() {
        if (pos_ >= data_.size() * 8) return -1;
        const int bit = (static_cast<unsigned char>(data_[pos_ / 8]) >> (7 - pos_ % 8)) & 1;
        ++pos_;
        return bit;
    }
    std::size_t Position() const { return pos_; }

private:
    const std::string& data_;
    std::size_t pos_ = 0;
};

// Code text -> value, for the mode codes and for each colour's run codes.
struct TCodeBook {
    std::map<std::string, int> modes, white, black;
    TCodeBook() {
        modes[kPassCode] = 100;
        modes[kHorizontalCode] = 101;
        modes[kEol] = 102;
        for (int d = -3; d <= 3; ++d) modes[kVerticalCodes[d + 3]] = d;
        for (int n = 0; n < 64; ++n) {
            white[kWhiteTerminating[n]] = n;
            black[kBlackTerminating[n]] = n;
        }
        for (int k = 1; k <= 27; ++k) {
            white[kWhiteMakeUp[k - 1]] = 64 * k;
            black[kBlackMakeUp[k - 1]] = 64 * k;
        }
        for (int k = 28; k <= 40; ++k) {
            white[kSharedMakeUp[k - 28]] = 64 * k;
            black[kSharedMakeUp[k - 28]] = 64 * k;
        }
    }
};

std::optional<int> ReadCode(TBitReader& in, const std::map<std::string, int>& book) {
    std::string code;
    while (code.size() < 13) {
        const int bit = in.Bit();
        if (bit < 0) return std::nullopt;
        code += static_cast<char>('0' + bit);
        if (auto it = book.find(code); it != book.end()) return it->second;
    }
    return std::nullopt;
}

std::optional<int> ReadRun(TBitReader& in, const std::map<std::string, int>& book) {
    int total = 0;
    for (;;) {
        const std::optional<int> part = ReadCode(in, book);
        if (!part) return std::nullopt;
        total += *part;
        if (*part < 64) return total;
    }
}

// Decodes T.6 data of the given width up to the end-of-facsimile block;
// the result is one byte per pixel (1 white), or an error text.
struct TDecoded {
    std::vector<uint8_t> pixels;
    uint32_t height = 0;
    std::string error;
};

TDecoded DecodeT6(const std::string& data, uint32_t width) {
    static const TCodeBook book;
    TDecoded result;
    TBitReader in(data);
    const int w = static_cast<int>(width);
    std::vector<int> ref(width, 1), cur(width, 1);
    for (;;) {
        int a0 = -1;
        int colour = 1;
        bool endOfBlock = false;
        while (a0 < w) {
            const std::optional<int> mode = ReadCode(in, book.modes);
            if (!mode) {
                result.error = "bad mode code at bit " + std::to_string(in.Position());
                return result;
            }
            if (*mode == 102) {
                if (a0 != -1) {
                    result.error = "EOL inside a row";
                    return result;
                }
                const std::optional<int> second = ReadCode(in, book.modes);
                if (!second || *second != 102) {
                    result.error = "EOL without a second EOL";
                    return result;
                }
                endOfBlock = true;
                break;
            }
            if (w == 0) {
                result.error = "row code for an image of width 0";
                return result;
            }
            // b1: the first changing element of the reference row right of
            // a0 whose colour is the opposite of colour; b2 the next one.
            int b1 = w;
            for (int x = a0 + 1; x < w; ++x) {
                const int before = x == 0 ? 1 : ref[x - 1];
                if (ref[x] != before && ref[x] != colour) {
                    b1 = x;
                    break;
                }
            }
            int b2 = w;
            for (int x = b1 + 1; x < w; ++x) {
                if (ref[x] != ref[x - 1]) {
                    b2 = x;
                    break;
                }
            }
            const int from = std::max(a0, 0);
            if (*mode == 100) {
                for (int x = from; x < b2; ++x) cur[x] = colour;
                a0 = b2;
            } else if (*mode == 101) {
                const std::optional<int> r1 = ReadRun(in, colour ? book.white : book.black);
                const std::optional<int> r2 = r1 ? ReadRun(in, colour ? book.black : book.white) : std::nullopt;
                if (!r2 || from + *r1 + *r2 > w) {
                    result.error = "bad horizontal mode";
                    return result;
                }
                for (int x = from; x < from + *r1; ++x) cur[x] = colour;
                for (int x = from + *r1; x < from + *r1 + *r2; ++x) cur[x] = 1 - colour;
                a0 = from + *r1 + *r2;
            } else {
                const int a1 = b1 + *mode;
                if (a1 < from || (a0 >= 0 && a1 <= a0) || a1 > w) {
                    result.error = "vertical mode outside the row";
                    return result;
                }
                for (int x = from; x < a1; ++x) cur[x] = colour;
                a0 = a1;
                colour = 1 - colour;
            }
        }
        if (endOfBlock) break;
        if (a0 != w) {
            result.error = "row longer than the width";
            return result;
        }
        for (int x = 0; x < w; ++x) result.pixels.push_back(static_cast<uint8_t>(cur[x]));
        ++result.height;
        ref = cur;
    }
    // Only zero padding may follow, up to the end of the last byte.
    while (in.Position() % 8 != 0) {
        if (in.Bit() != 0) {
            result.error = "padding bits are not 0";
            return result;
        }
    }
    if (in.Position() != data.size() * 8) result.error = "bytes after the end-of-facsimile block";
    return result;
}

// ---------------------------------------------------------------------------
// The pictures the round trips run on.

// Lines of word-like black blobs on white: letters of stems, bars, bowls and
// diagonals.
void DrawText(TPicture& p, TRandom& rnd, uint32_t lineHeight) {
    const uint32_t margin = std::min<uint32_t>(p.width / 10, 40);
    for (uint32_t top = 2; top + lineHeight < p.height; top += lineHeight + lineHeight / 2) {
        uint32_t x = margin;
        while (x + 4 < p.width - margin / 2) {
            const uint32_t letters = 1 + rnd.Below(8);
            for (uint32_t l = 0; l < letters && x + lineHeight < p.width; ++l) {
                const uint32_t cw = lineHeight / 2 + rnd.Below(lineHeight / 3 + 1);
                const uint32_t shapes = 1 + rnd.Below(3);
                for (uint32_t s = 0; s < shapes; ++s) {
                    const uint32_t kind = rnd.Below(4);
                    for (uint32_t y = 0; y < lineHeight; ++y) {
                        const uint32_t row = top + y;
                        if (kind == 0) {
                            p.FillRow(row, x + s * cw / 3, x + s * cw / 3 + 3, 0);
                        } else if (kind == 1) {
                            if (y % (lineHeight / 2 + 1) < 3) p.FillRow(row, x, x + cw, 0);
                        } else if (kind == 2) {
                            const int dy = static_cast<int>(y) - static_cast<int>(lineHeight) / 2;
                            const int r = static_cast<int>(cw) / 2;
                            const int half = r * r - dy * dy > 0 ? static_cast<int>(std::sqrt(double(r * r - dy * dy))) : -1;
                            if (half >= 0) {
                                const int c = static_cast<int>(x) + r;
                                p.FillRow(row, static_cast<uint32_t>(std::max(0, c - half)), static_cast<uint32_t>(c - half + 3), 0);
                                p.FillRow(row, static_cast<uint32_t>(std::max(0, c + half - 3)), static_cast<uint32_t>(c + half), 0);
                            }
                        } else {
                            const uint32_t dx = y * cw / lineHeight;
                            p.FillRow(row, x + dx, x + dx + 3, 0);
                        }
                    }
                }
                x += cw + 2;
            }
            x += lineHeight / 2 + rnd.Below(lineHeight / 2 + 1);
        }
    }
}

std::vector<TPicture> Pictures() {
    std::vector<TPicture> all;
    TRandom rnd(20240607);
    const uint32_t widths[] = {1,    2,    3,    5,    7,    8,    9,    13,   15,   16,   17,   31,   32,
                               33,   63,   64,   65,   100,  127,  128,  129,  255,  256,  257,  1000, 1727,
                               1728, 1729, 2479, 2480, 2481, 2559, 2560, 2561, 2624, 3000, 4095, 5000};
    for (uint32_t w : widths) {
        const std::string tag = " w" + std::to_string(w);
        const uint32_t h = w > 2000 ? 6 : 12;
        all.emplace_back("white" + tag, w, 3);
        {
            TPicture& p = all.emplace_back("black" + tag, w, 3);
            std::fill(p.pixels.begin(), p.pixels.end(), uint8_t{0});
        }
        for (uint32_t cell : {1u, 2u, 3u, 5u, 64u}) {
            TPicture& p = all.emplace_back("checker " + std::to_string(cell) + tag, w, h);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) p.At(x, y) = static_cast<uint8_t>((x / cell + y / cell) % 2);
        }
        {
            TPicture& p = all.emplace_back("noise" + tag, w, h);
            for (auto& px : p.pixels) px = static_cast<uint8_t>(rnd.Below(2));
        }
        {
            TPicture& p = all.emplace_back("sparse" + tag, w, h);
            for (auto& px : p.pixels) px = rnd.Below(40) == 0 ? 0 : 1;
        }
        {
            TPicture& p = all.emplace_back("stripes" + tag, w, h);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) p.At(x, y) = static_cast<uint8_t>(x % 5 < 2);
        }
        {
            TPicture& p = all.emplace_back("rows" + tag, w, h);
            for (uint32_t y = 0; y < h; ++y) p.FillRow(y, 0, w, static_cast<uint8_t>(y % 3 != 1));
        }
        {
            // Edges that wander from row to row: vertical and pass modes.
            TPicture& p = all.emplace_back("edges" + tag, w, 3 * h);
            std::vector<int> edges;
            for (uint32_t x = rnd.Below(9); x < w; x += 1 + rnd.Below(12)) edges.push_back(static_cast<int>(x));
            for (uint32_t y = 0; y < 3 * h; ++y) {
                for (int& e : edges) e = std::clamp(e + static_cast<int>(rnd.Below(9)) - 4, 0, static_cast<int>(w));
                std::sort(edges.begin(), edges.end());
                uint8_t colour = 1;
                std::size_t k = 0;
                for (uint32_t x = 0; x < w; ++x) {
                    while (k < edges.size() && static_cast<uint32_t>(edges[k]) <= x) {
                        colour ^= 1;
                        ++k;
                    }
                    p.At(x, y) = colour;
                }
            }
        }
        if (w >= 60) {
            TPicture& p = all.emplace_back("text" + tag, w, 60);
            DrawText(p, rnd, 12 + rnd.Below(20));
        }
    }
    {
        // Every run length up to 130 in both colours, then every 13th up to
        // 5300: all terminating and make-up codes, and 2560 twice.
        std::vector<uint32_t> lengths;
        for (uint32_t n = 0; n <= 130; ++n) lengths.push_back(n);
        for (uint32_t n = 131; n <= 5300; n += 13) lengths.push_back(n);
        const uint32_t w = 2 * 5300 + 10;
        TPicture& p = all.emplace_back("run lengths", w, static_cast<uint32_t>(2 * lengths.size()));
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            const auto y = static_cast<uint32_t>(2 * i);
            p.FillRow(y, lengths[i], 2 * lengths[i], 0);
            // Black first: a black run of n after an empty white run.
            p.FillRow(y + 1, 0, lengths[i], 0);
        }
    }
    {
        TPicture& p = all.emplace_back("long runs", 12000, 5);
        p.FillRow(0, 0, 12000, 0);
        p.FillRow(1, 0, 6000, 0);
        p.FillRow(2, 5999, 6001, 0);
        p.FillRow(3, 5120, 12000, 0);
    }
    {
        TPicture& p = all.emplace_back("page", 2480, 400);
        DrawText(p, rnd, 30);
    }
    return all;
}

const std::vector<TPicture>& TestPictures() {
    static const std::vector<TPicture> pictures = Pictures();
    return pictures;
}

// ---------------------------------------------------------------------------
// libtiff: the codes wrapped as single-strip Group 4 pages of one TIFF file,
// expanded with tiffcp, the uncompressed strips read back.

void Put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// One page per picture; PhotometricInterpretation 0 (WhiteIsZero): T.6
// white is white.
std::string WrapAsTiff(const std::vector<const TPicture*>& pictures, const std::vector<std::string>& codes) {
    std::string f = "II*";
    f += '\0';
    std::size_t nextPointer = f.size();
    Put32(f, 0);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (f.size() % 2) f += '\0';
        const auto dataOffset = static_cast<uint32_t>(f.size());
        f += codes[i];
        if (f.size() % 2) f += '\0';
        const auto ifd = static_cast<uint32_t>(f.size());
        for (int k = 0; k < 4; ++k) f[nextPointer + k] = static_cast<char>((ifd >> (8 * k)) & 0xFF);
        struct TEntry {
            uint16_t tag, type;
            uint32_t value;
        };
        const TEntry entries[] = {
            {256, 4, pictures[i]->width},  // ImageWidth
            {257, 4, pictures[i]->height}, // ImageLength
            {258, 3, 1},                   // BitsPerSample
            {259, 3, 4},                   // Compression: CCITT T.6
            {262, 3, 0},                   // PhotometricInterpretation: WhiteIsZero
            {266, 3, 1},                   // FillOrder: most significant bit first
            {273, 4, dataOffset},          // StripOffsets
            {277, 3, 1},                   // SamplesPerPixel
            {278, 4, pictures[i]->height}, // RowsPerStrip
            {279, 4, static_cast<uint32_t>(codes[i].size())},  // StripByteCounts
        };
        Put16(f, static_cast<uint16_t>(std::size(entries)));
        for (const TEntry& e : entries) {
            Put16(f, e.tag);
            Put16(f, e.type);
            Put32(f, 1);
            if (e.type == 3) {
                Put16(f, static_cast<uint16_t>(e.value));
                Put16(f, 0);
            } else {
                Put32(f, e.value);
            }
        }
        nextPointer = f.size();
        Put32(f, 0);
    }
    return f;
}

// One page of an uncompressed bilevel TIFF: 1 white, 0 black per pixel.
struct TTiffPage {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

class TTiffReader {
public:
    explicit TTiffReader(const std::string& f) : f_(f) {
        if (f.size() < 8 || (f.compare(0, 2, "II") != 0 && f.compare(0, 2, "MM") != 0))
            throw std::runtime_error("not a TIFF file");
        big_ = f[0] == 'M';
    }

    std::vector<TTiffPage> Pages() const {
        std::vector<TTiffPage> pages;
        uint32_t ifd = U32(4);
        while (ifd != 0) {
            std::map<uint16_t, std::vector<uint32_t>> tags;
            const uint16_t count = U16(ifd);
            for (uint16_t i = 0; i < count; ++i) {
                const std::size_t e = ifd + 2 + 12u * i;
                const uint16_t tag = U16(e), type = U16(e + 2);
                const uint32_t n = U32(e + 4);
                const std::size_t size = type == 3 ? 2 : 4;
                if (type != 3 && type != 4) continue;
                const std::size_t at = n * size <= 4 ? e + 8 : U32(e + 8);
                std::vector<uint32_t>& values = tags[tag];
                for (uint32_t k = 0; k < n; ++k) values.push_back(type == 3 ? U16(at + 2 * k) : U32(at + 4 * k));
            }
            TTiffPage page;
            page.width = tags.at(256).at(0);
            page.height = tags.at(257).at(0);
            if (tags.at(259).at(0) != 1) throw std::runtime_error("page is compressed");
            if (tags.count(258) && tags.at(258).at(0) != 1) throw std::runtime_error("not 1 bit per pixel");
            if (tags.count(266) && tags.at(266).at(0) != 1) throw std::runtime_error("unexpected fill order");
            const uint32_t photometric = tags.at(262).at(0);
            std::string strips;
            const auto& offsets = tags.at(273);
            const auto& counts = tags.at(279);
            for (std::size_t s = 0; s < offsets.size(); ++s) strips += f_.substr(offsets[s], counts.at(s));
            const std::size_t rowBytes = (page.width + 7) / 8;
            if (strips.size() < rowBytes * page.height) throw std::runtime_error("strips too short");
            for (uint32_t y = 0; y < page.height; ++y)
                for (uint32_t x = 0; x < page.width; ++x) {
                    const int bit = (static_cast<unsigned char>(strips[y * rowBytes + x / 8]) >> (7 - x % 8)) & 1;
                    page.pixels.push_back(static_cast<uint8_t>(photometric == 0 ? 1 - bit : bit));
                }
            pages.push_back(std::move(page));
            ifd = U32(ifd + 2 + 12u * count);
        }
        return pages;
    }

private:
    uint16_t U16(std::size_t at) const {
        if (at + 2 > f_.size()) throw std::runtime_error("TIFF read past the end");
        const auto a = static_cast<unsigned char>(f_[at]), b = static_cast<unsigned char>(f_[at + 1]);
        return static_cast<uint16_t>(big_ ? (a << 8) | b : (b << 8) | a);
    }
    uint32_t U32(std::size_t at) const {
        const uint32_t lo = U16(at), hi = U16(at + 2);
        return big_ ? (lo << 16) | hi : (hi << 16) | lo;
    }
    const std::string& f_;
    bool big_ = false;
};


// Index of the first differing pixel as "x,y", or empty when equal.
std::string FirstDifference(const TPicture& p, const std::vector<uint8_t>& pixels) {
    if (pixels.size() != p.pixels.size()) return "size " + std::to_string(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] != p.pixels[i]) return std::to_string(i % p.width) + "," + std::to_string(i / p.width);
    return {};
}

}  // namespace

// ---------------------------------------------------------------------------
// Byte-exact codes.

TEST(ImagesGroup4, OneWhiteRowIsV0ThenEndOfBlock) {
    for (uint32_t w : {1u, 7u, 8u, 9u, 100u, 2480u, 5000u}) {
        TPicture p("white", w, 1);
        EXPECT_EQ(Hex(EncodeGroup4(MakeBitmap(p))), "80 08 00 80") << "width " << w;
    }
}

TEST(ImagesGroup4, EightBlackPixels) {
    TPicture p("black", 8, 1);
    std::fill(p.pixels.begin(), p.pixels.end(), uint8_t{0});
    // Horizontal mode: white run 0, black run 8.
    EXPECT_EQ(Hex(EncodeGroup4(MakeBitmap(p))), "26 A2 80 08 00 80");
}

TEST(ImagesGroup4, TwoBlackPixelsUseTheRowEndRule) {
    TPicture p("black", 2, 1);
    std::fill(p.pixels.begin(), p.pixels.end(), uint8_t{0});
    // VL2, then horizontal mode with black run 2 and white run 0 since b1
    // counts as width + 10.
    EXPECT_EQ(Hex(EncodeGroup4(MakeBitmap(p))), "08 E6 A0 02 00 20");
}

TEST(ImagesGroup4, RunOf3000UsesMakeUp2560Then384) {
    {
        TPicture p("black 3000", 3000, 1);
        std::fill(p.pixels.begin(), p.pixels.end(), uint8_t{0});
        // H, white 0, black 2560 + 384 + 56, EOFB.
        const std::string bits = "001 00110101 000000011111 000000110100 000000101000 000000000001 000000000001";
        EXPECT_EQ(Hex(EncodeGroup4(MakeBitmap(p))), Hex(PackBits(bits)));
    }
    {
        TPicture p("white 3000", 3010, 1);
        p.FillRow(0, 3000, 3010, 0);
        // H, white 2560 + 384 + 56, black 10, EOFB.
        const std::string bits = "001 000000011111 00110111 01011001 0000100 000000000001 000000000001";
        EXPECT_EQ(Hex(EncodeGroup4(MakeBitmap(p))), Hex(PackBits(bits)));
    }
}

TEST(ImagesGroup4, EmptyImageIsEndOfBlockAlone) {
    for (auto [w, h] : {std::pair{0u, 0u}, std::pair{0u, 5u}, std::pair{9u, 0u}}) {
        TBMPImage b;
        b.SetSize(w, h, 1);
        EXPECT_EQ(Hex(EncodeGroup4(b)), "00 10 01") << w << " x " << h;
    }
}

TEST(ImagesGroup4, RefusesOtherPixelFormats) {
    EXPECT_THROW(EncodeGroup4(TBMPImage{}), std::invalid_argument);
    for (uint8_t bits : {4, 8, 24, 32}) {
        TBMPImage b;
        b.SetSize(5, 3, bits);
        EXPECT_THROW(EncodeGroup4(b), std::invalid_argument) << int{bits} << " bits";
    }
}

TEST(ImagesGroup4, PaletteIsNotConsulted) {
    TPicture p("text", 300, 40);
    TRandom rnd(7);
    DrawText(p, rnd, 14);
    EXPECT_EQ(EncodeGroup4(MakeBitmap(p, false)), EncodeGroup4(MakeBitmap(p, true)));
}

TEST(ImagesGroup4, RowPaddingBitsAreIgnored) {
    TPicture p("edge", 13, 3);
    p.FillRow(1, 4, 13, 0);
    TBMPImage a = MakeBitmap(p), b = MakeBitmap(p);
    for (uint32_t y = 0; y < 3; ++y) {
        a.Row(y)[1] |= 0x07;
        b.Row(y)[1] &= 0xF8;
    }
    EXPECT_EQ(EncodeGroup4(a), EncodeGroup4(b));
}

// ---------------------------------------------------------------------------
// Many pictures.

TEST(ImagesGroup4, SameCodesAsTheLiteralSteps) {
    for (const TPicture& p : TestPictures()) {
        const std::string ours = EncodeGroup4(MakeBitmap(p));
        const std::string literal = LiteralEncode(p);
        ASSERT_EQ(ours.size(), literal.size()) << p.name;
        EXPECT_TRUE(ours == literal) << p.name;
    }
}

TEST(ImagesGroup4, PlainDecoderGivesThePixelsBack) {
    for (const TPicture& p : TestPictures()) {
        const TDecoded d = DecodeT6(EncodeGroup4(MakeBitmap(p)), p.width);
        ASSERT_EQ(d.error, "") << p.name;
        ASSERT_EQ(d.height, p.height) << p.name;
        EXPECT_EQ(FirstDifference(p, d.pixels), "") << p.name;
    }
}

TEST(ImagesGroup4, LibtiffGivesThePixelsBack) {
    if (!HasTool("tiffcp")) GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    std::vector<const TPicture*> pictures;
    std::vector<std::string> codes;
    for (const TPicture& p : TestPictures()) {
        pictures.push_back(&p);
        codes.push_back(EncodeGroup4(MakeBitmap(p)));
    }
    TempDir dir;
    WriteFile(dir / "g4.tif", WrapAsTiff(pictures, codes));
    const CommandResult r = RunCommand("tiffcp -c none " + ShellQuote((dir / "g4.tif").string()) + " " +
                                       ShellQuote((dir / "plain.tif").string()));
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string plain = ReadFile(dir / "plain.tif");
    const std::vector<TTiffPage> pages = TTiffReader(plain).Pages();
    ASSERT_EQ(pages.size(), pictures.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const TPicture& p = *pictures[i];
        ASSERT_EQ(pages[i].width, p.width) << p.name;
        ASSERT_EQ(pages[i].height, p.height) << p.name;
        EXPECT_EQ(FirstDifference(p, pages[i].pixels), "") << p.name;
    }
}

// tiff2rgba turns the page into colours: T.6 white (our bit 1) must come
// out white under PhotometricInterpretation 0.
TEST(ImagesGroup4, LibtiffShowsBit1AsWhite) {
    if (!HasTool("tiff2rgba")) GTEST_SKIP() << "tiff2rgba (libtiff-tools) is not installed";
    TPicture p("corner", 13, 5);
    p.At(0, 0) = 0;
    p.FillRow(4, 10, 13, 0);
    TempDir dir;
    WriteFile(dir / "g4.tif", WrapAsTiff({&p}, {EncodeGroup4(MakeBitmap(p))}));
    const CommandResult r = RunCommand("tiff2rgba -c none " + ShellQuote((dir / "g4.tif").string()) + " " +
                                       ShellQuote((dir / "rgba.tif").string()));
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string f = ReadFile(dir / "rgba.tif");
    // The RGBA output is one uncompressed strip of 4 bytes per pixel; find
    // it through StripOffsets.
    ASSERT_GE(f.size(), 8u);
    ASSERT_EQ(f.compare(0, 2, "II"), 0);
    auto u16 = [&](std::size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(f.at(at)) | (static_cast<unsigned char>(f.at(at + 1)) << 8));
    };
    auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    const uint32_t ifd = u32(4);
    std::size_t data = 0;
    for (uint32_t i = 0; i < u16(ifd); ++i) {
        const std::size_t e = ifd + 2 + 12 * i;
        if (u16(e) == 273) {
            ASSERT_EQ(u32(e + 4), 1u) << "one strip expected";
            data = u16(e + 2) == 3 ? u16(e + 8) : u32(e + 8);
        }
    }
    ASSERT_NE(data, 0u);
    ASSERT_GE(f.size(), data + 13 * 5 * 4);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 13; ++x) {
            const auto red = static_cast<unsigned char>(f[data + (y * 13 + x) * 4]);
            EXPECT_EQ(red, p.At(x, y) ? 255 : 0) << x << "," << y;
        }
}
