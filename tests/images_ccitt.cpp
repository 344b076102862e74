// The CCITT bilevel decoder: Group 4, Group 3 (one- and two-dimensional,
// with and without byte-aligned EOLs) and modified Huffman data made by
// libtiff (tiffcp) and Pillow from uncompressed TIFF pages written here, in
// both fill orders and in several strips; our own Group 4 encoder's output;
// small hand-made codes, runs of length 0 among them, against libtiff; a real
// fax against libtiff, also through "vellumark images"; and damaged data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "decoders/BMPImage.h"
#include "decoders/CCITTDecoder.h"
#include "images/Group4Encoder.h"
#include "tests/TestUtil.h"

namespace {

using namespace vellumark;
using namespace vellumark::test;
using ccitt::TDecodeOptions;
using ccitt::TScheme;

// ---------------------------------------------------------------------------
// Pictures: packed rows as the decoder delivers them, 1 bits black, the bits
// past the width 0.

struct TPicture {
    uint32_t width = 0, height = 0;
    std::size_t rowBytes = 0;
    std::vector<uint8_t> bits;

    TPicture(uint32_t w, uint32_t h) : width(w), height(h), rowBytes((w + 7) / 8), bits(rowBytes * h, 0) {}
    void Set(uint32_t x, uint32_t y, bool black) {
        const auto mask = static_cast<uint8_t>(0x80u >> (x % 8));
        uint8_t& b = bits[y * rowBytes + x / 8];
        b = black ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
    }
    bool At(uint32_t x, uint32_t y) const { return (bits[y * rowBytes + x / 8] >> (7 - x % 8)) & 1; }
    void Span(uint32_t y, uint32_t from, uint32_t to) {
        for (uint32_t x = from; x < to && x < width; ++x) Set(x, y, true);
    }
};


// Lines of word-like blobs: strokes, bars and gaps of assorted lengths.
void DrawText(TPicture& p, TRandom& rnd) {
    for (uint32_t base = 6; base + 2 < p.height; base += 11) {
        uint32_t x = rnd.Below(8);
        while (x < p.width) {
            const uint32_t letters = 1 + rnd.Below(7);
            for (uint32_t l = 0; l < letters && x < p.width; ++l) {
                const uint32_t cw = 3 + rnd.Below(6);
                for (uint32_t s = 0; s < 2; ++s) {
                    const uint32_t sx = x + rnd.Below(cw);
                    const uint32_t top = base - 5 - rnd.Below(3);
                    for (uint32_t y = top; y <= base + rnd.Below(2) && y < p.height; ++y) p.Span(y, sx, sx + 1 + rnd.Below(2));
                }
                if (rnd.Below(3) == 0) p.Span(base - 5 + rnd.Below(5), x, x + cw);
                x += cw + 1;
            }
            x += 3 + rnd.Below(5);
        }
    }
}

std::vector<TPicture> Pictures() {
    std::vector<TPicture> all;
    TRandom rnd(0xCC177ULL);
    // All white and all black at many widths, runs beyond 2560 included.
    for (uint32_t w : {1u, 2u, 7u, 9u, 63u, 64u, 65u, 1727u, 1729u, 2559u, 2560u, 2561u, 2623u, 5000u}) {
        all.emplace_back(w, 3);
        TPicture& p = all.back();
        p.Span(1, 0, w);
    }
    for (uint32_t w : {1u, 5u, 13u, 100u, 333u, 2600u, 4999u}) {
        all.emplace_back(w, 2);
        all.back().Span(0, 0, w);
        all.back().Span(1, 0, w);
    }
    // Checkerboards of squares of 1, 2, 3 and 17 pixels.
    for (uint32_t cell : {1u, 2u, 3u, 17u}) {
        all.emplace_back(99 + cell, 40);
        TPicture& p = all.back();
        for (uint32_t y = 0; y < p.height; ++y)
            for (uint32_t x = 0; x < p.width; ++x) p.Set(x, y, ((x / cell) + (y / cell)) % 2 == 1);
    }
    // Shifting bars: vertical modes of every offset, pass modes.
    {
        all.emplace_back(301, 60);
        TPicture& p = all.back();
        for (uint32_t y = 0; y < p.height; ++y)
            for (uint32_t b = 0; b < 20; ++b) {
                const uint32_t from = b * 15 + (y * (b % 7)) % 9;
                p.Span(y, from, from + 1 + (b + y) % 6);
            }
    }
    // Long runs mixed with short ones, across rows of 5000.
    {
        all.emplace_back(5000, 12);
        TPicture& p = all.back();
        for (uint32_t y = 0; y < p.height; ++y) {
            p.Span(y, 3 * y, 3 * y + 2600 + 10 * y);
            p.Span(y, 4000 + y, 4001 + 2 * y);
        }
    }
    // Random noise and text-like pages at widths that are no multiples of 8.
    for (uint32_t w : {31u, 211u, 1001u}) {
        all.emplace_back(w, 25);
        TPicture& p = all.back();
        for (uint32_t y = 0; y < p.height; ++y)
            for (uint32_t x = 0; x < w; ++x) p.Set(x, y, rnd.Below(3) == 0);
    }
    for (uint32_t w : {77u, 517u, 1723u, 2483u}) {
        all.emplace_back(w, 90);
        DrawText(all.back(), rnd);
    }
    return all;
}

const std::vector<TPicture>& TestPictures() {
    static const std::vector<TPicture> pictures = Pictures();
    return pictures;
}

// ---------------------------------------------------------------------------
// TIFF files: the pictures as uncompressed pages (WhiteIsZero, one strip
// each), and the strips of a compressed file read back.

std::string UncompressedTiff(const std::vector<TPicture>& pictures) {
    std::string f = "II*";
    f += '\0';
    std::size_t nextPointer = f.size();
    Put32(f, 0);
    for (const TPicture& p : pictures) {
        if (f.size() % 2) f += '\0';
        const auto dataOffset = static_cast<uint32_t>(f.size());
        f.append(p.bits.begin(), p.bits.end());
        if (f.size() % 2) f += '\0';
        const auto ifd = static_cast<uint32_t>(f.size());
        for (int k = 0; k < 4; ++k) f[nextPointer + k] = static_cast<char>((ifd >> (8 * k)) & 0xFF);
        const uint32_t entries[][3] = {
            {256, 4, p.width}, {257, 4, p.height}, {258, 3, 1}, {259, 3, 1}, {262, 3, 0},
            {273, 4, dataOffset}, {277, 3, 1}, {278, 4, p.height}, {279, 4, static_cast<uint32_t>(p.bits.size())},
        };
        Put16(f, static_cast<uint16_t>(std::size(entries)));
        for (const auto& e : entries) {
            Put16(f, e[0]);
            Put16(f, e[1]);
            Put32(f, 1);
            if (e[1] == 3) {
                Put16(f, e[2]);
                Put16(f, 0);
            } else {
                Put32(f, e[2]);
            }
        }
        nextPointer = f.size();
        Put32(f, 0);
    }
    return f;
}

struct TTiffPage {
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint32_t compression = 1, photometric = 0, fillOrder = 1, t4Options = 0;
    std::vector<std::string> strips;
};

class TTiffFile {
public:
    explicit TTiffFile(std::string f) : f_(std::move(f)) {
        if (f_.size() < 8 || f_.compare(0, 2, "II") != 0) throw std::runtime_error("not a little-endian TIFF file");
    }

    std::vector<TTiffPage> Pages() const {
        std::vector<TTiffPage> pages;
        for (uint32_t ifd = U32(4); ifd != 0;) {
            std::map<uint16_t, std::vector<uint32_t>> tags;
            const uint16_t count = U16(ifd);
            for (uint16_t i = 0; i < count; ++i) {
                const std::size_t e = ifd + 2 + 12u * i;
                const uint16_t tag = U16(e), type = U16(e + 2);
                const uint32_t n = U32(e + 4);
                if (type != 3 && type != 4) continue;
                const std::size_t size = type == 3 ? 2 : 4;
                const std::size_t at = n * size <= 4 ? e + 8 : U32(e + 8);
                for (uint32_t k = 0; k < n; ++k) tags[tag].push_back(type == 3 ? U16(at + 2 * k) : U32(at + 4 * k));
            }
            auto one = [&](uint16_t tag, uint32_t otherwise) { return tags.count(tag) ? tags[tag].at(0) : otherwise; };
            TTiffPage page;
            page.width = one(256, 0);
            page.height = one(257, 0);
            page.rowsPerStrip = std::min(one(278, page.height), page.height);
            page.compression = one(259, 1);
            page.photometric = one(262, 0);
            page.fillOrder = one(266, 1);
            page.t4Options = one(292, 0);
            const auto& offsets = tags.at(273);
            const auto& counts = tags.at(279);
            for (std::size_t s = 0; s < offsets.size(); ++s) page.strips.push_back(f_.substr(offsets[s], counts.at(s)));
            pages.push_back(std::move(page));
            ifd = U32(ifd + 2 + 12u * count);
        }
        return pages;
    }

private:
    uint16_t U16(std::size_t at) const {
        if (at + 2 > f_.size()) throw std::runtime_error("TIFF read past the end");
        return static_cast<uint16_t>(static_cast<unsigned char>(f_[at]) | static_cast<unsigned char>(f_[at + 1]) << 8);
    }
    uint32_t U32(std::size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    std::string f_;
};

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// Decodes every strip of a page into a picture; false when a strip fails.
bool DecodePage(const TTiffPage& page, TPicture& out, std::string& why) {
    TDecodeOptions o;
    switch (page.compression) {
    case 2: o.Scheme = TScheme::ModifiedHuffman; break;
    case 3: o.Scheme = TScheme::Group3; break;
    case 4: o.Scheme = TScheme::Group4; break;
    default: why = "compression " + std::to_string(page.compression); return false;
    }
    o.Width = page.width;
    o.TwoDimensional = (page.t4Options & 1) != 0;
    o.ByteAlignedEOL = (page.t4Options & 4) != 0;
    o.LeastSignificantBitFirst = page.fillOrder == 2;
    out = TPicture(page.width, page.height);
    for (std::size_t s = 0; s < page.strips.size(); ++s) {
        const uint32_t first = static_cast<uint32_t>(s) * page.rowsPerStrip;
        o.Rows = std::min(page.rowsPerStrip, page.height - first);
        std::span<uint8_t> rows(out.bits.data() + first * out.rowBytes, o.Rows * out.rowBytes);
        if (!ccitt::Decode(Bytes(page.strips[s]), o, rows, out.rowBytes)) {
            why = "strip " + std::to_string(s) + " refused";
            return false;
        }
    }
    if (page.photometric == 1)  // BlackIsZero: the data's white runs are black pixels
        for (uint32_t y = 0; y < out.height; ++y)
            for (uint32_t x = 0; x < out.width; ++x) out.Set(x, y, !out.At(x, y));
    return true;
}

std::string FirstDifference(const TPicture& want, const TPicture& got) {
    if (want.width != got.width || want.height != got.height) return "size differs";
    for (uint32_t y = 0; y < want.height; ++y) {
        for (std::size_t i = 0; i < want.rowBytes; ++i) {
            const uint8_t a = want.bits[y * want.rowBytes + i], b = got.bits[y * got.rowBytes + i];
            if (a != b) return "row " + std::to_string(y) + " byte " + std::to_string(i);
        }
    }
    return {};
}


// Converts the pictures with tiffcp and decodes every page of the result.
void CheckTiffcp(const std::string& options, uint32_t expectedCompression) {
    if (!HasTool("tiffcp")) GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    TempDir dir;
    const auto& pictures = TestPictures();
    WriteFile(dir / "plain.tif", UncompressedTiff(pictures));
    const CommandResult r = RunCommand("tiffcp " + options + " " + ShellQuote((dir / "plain.tif").string()) + " " +
                                       ShellQuote((dir / "out.tif").string()));
    ASSERT_EQ(r.status, 0) << r.output;
    const std::vector<TTiffPage> pages = TTiffFile(ReadFile(dir / "out.tif")).Pages();
    ASSERT_EQ(pages.size(), pictures.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        ASSERT_EQ(pages[i].compression, expectedCompression);
        TPicture got(1, 1);
        std::string why;
        ASSERT_TRUE(DecodePage(pages[i], got, why)) << options << ", page " << i << " (" << pictures[i].width << " x "
                                                    << pictures[i].height << "): " << why;
        EXPECT_EQ(FirstDifference(pictures[i], got), "") << options << ", page " << i;
    }
}

TDecodeOptions Options(TScheme scheme, uint32_t width, uint32_t rows) {
    TDecodeOptions o;
    o.Scheme = scheme;
    o.Width = width;
    o.Rows = rows;
    return o;
}

std::string Pack(const std::string& bits) { return PackBitString(bits); }

std::string Hex(std::span<const uint8_t> bytes) {
    std::string hex;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%s%02X", hex.empty() ? "" : " ", b);
        hex += buf;
    }
    return hex;
}

// Decodes and returns the rows, or "refused".
std::string DecodeToHex(const std::string& data, const TDecodeOptions& o) {
    const std::size_t rowBytes = (o.Width + 7) / 8;
    std::vector<uint8_t> rows(rowBytes * o.Rows, 0xEE);
    if (!ccitt::Decode(Bytes(data), o, rows, rowBytes)) return "refused";
    return Hex(rows);
}

// A one-strip WhiteIsZero TIFF file holding CCITT data as it stands.
std::string CcittTiff(const std::string& data, const TDecodeOptions& o) {
    const uint32_t compression = o.Scheme == TScheme::Group4 ? 4 : o.Scheme == TScheme::Group3 ? 3 : 2;
    std::string f = "II*";
    f += '\0';
    Put32(f, 8);
    f += data;
    if (f.size() % 2) f += '\0';
    const auto ifd = static_cast<uint32_t>(f.size());
    f[4] = static_cast<char>(ifd & 0xFF);
    f[5] = static_cast<char>((ifd >> 8) & 0xFF);
    const uint32_t entries[][3] = {
        {256, 4, o.Width}, {257, 4, o.Rows}, {258, 3, 1}, {259, 3, compression}, {262, 3, 0}, {273, 4, 8},
        {277, 3, 1}, {278, 4, o.Rows}, {279, 4, static_cast<uint32_t>(data.size())},
        {292, 4, (o.TwoDimensional ? 1u : 0u) | (o.ByteAlignedEOL ? 4u : 0u)},
    };
    Put16(f, compression == 3 ? 10 : 9);
    for (const auto& e : entries) {
        if (e[0] == 292 && compression != 3) continue;
        Put16(f, e[0]);
        Put16(f, e[1]);
        Put32(f, 1);
        if (e[1] == 3) {
            Put16(f, e[2]);
            Put16(f, 0);
        } else {
            Put32(f, e[2]);
        }
    }
    Put32(f, 0);
    return f;
}

// The sample bits of page 1 of a bilevel TIFF file as libtiff decodes them
// (tiffcp -c none), rows packed as the decoder packs them.
std::string LibtiffSamples(const std::filesystem::path& tiff, const TempDir& dir) {
    const std::filesystem::path plain = dir / "libtiff-plain.tif";
    const CommandResult r = RunCommand("tiffcp -c none " + ShellQuote(tiff.string()) + " " + ShellQuote(plain.string()));
    if (r.status != 0) {
        ADD_FAILURE() << "tiffcp: " << r.output;
        return {};
    }
    const std::vector<TTiffPage> pages = TTiffFile(ReadFile(plain)).Pages();
    std::string samples;
    for (const std::string& strip : pages.at(0).strips) samples += strip;
    return samples;
}

}  // namespace

// ---------------------------------------------------------------------------
// Data made by libtiff.

TEST(ImagesCcitt, Group4FromTiffcp) { CheckTiffcp("-c g4", 4); }
TEST(ImagesCcitt, Group4InSeveralStrips) { CheckTiffcp("-c g4 -r 7", 4); }
TEST(ImagesCcitt, Group4LeastSignificantBitFirst) { CheckTiffcp("-c g4 -f lsb2msb", 4); }
TEST(ImagesCcitt, Group3OneDimensionalFromTiffcp) { CheckTiffcp("-c g3", 3); }
TEST(ImagesCcitt, Group3TwoDimensionalFromTiffcp) { CheckTiffcp("-c g3:2d", 3); }
TEST(ImagesCcitt, Group3ByteAlignedEols) { CheckTiffcp("-c g3:fill", 3); }
TEST(ImagesCcitt, Group3TwoDimensionalByteAligned) { CheckTiffcp("-c g3:2d:fill", 3); }
TEST(ImagesCcitt, Group3InSeveralStripsLeastSignificantBitFirst) { CheckTiffcp("-c g3:2d -r 5 -f lsb2msb", 3); }
TEST(ImagesCcitt, Group3OneDimensionalInSeveralStrips) { CheckTiffcp("-c g3:1d:fill -r 3 -f msb2lsb", 3); }

// Modified Huffman: libtiff writes it on Pillow's request (tiffcp cannot).
TEST(ImagesCcitt, ModifiedHuffmanFromPillow) {
    if (RunCommand("/usr/bin/python3 -c 'import PIL' 2>/dev/null").status != 0) GTEST_SKIP() << "Pillow is missing";
    const auto& pictures = TestPictures();
    for (int fillOrder : {1, 2}) {
        TempDir dir;
        WriteFile(dir / "plain.tif", UncompressedTiff(pictures));
        const std::string script =
            "import sys\n"
            "from PIL import Image\n"
            "src = Image.open(sys.argv[1])\n"
            "pages = []\n"
            "for i in range(src.n_frames):\n"
            "    src.seek(i)\n"
            "    pages.append(src.copy())\n"
            "pages[0].save(sys.argv[2], compression='tiff_ccitt', save_all=True, append_images=pages[1:],"
            " tiffinfo={266: " + std::to_string(fillOrder) + "})\n";
        WriteFile(dir / "mh.py", script);
        const CommandResult r = RunCommand("/usr/bin/python3 " + ShellQuote((dir / "mh.py").string()) + " " +
                                           ShellQuote((dir / "plain.tif").string()) + " " +
                                           ShellQuote((dir / "mh.tif").string()));
        ASSERT_EQ(r.status, 0) << r.output;
        const std::vector<TTiffPage> pages = TTiffFile(ReadFile(dir / "mh.tif")).Pages();
        ASSERT_EQ(pages.size(), pictures.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            ASSERT_EQ(pages[i].compression, 2u);
            TPicture got(1, 1);
            std::string why;
            ASSERT_TRUE(DecodePage(pages[i], got, why)) << "page " << i << ": " << why;
            EXPECT_EQ(FirstDifference(pictures[i], got), "") << "fill order " << fillOrder << ", page " << i;
        }
    }
}

// ---------------------------------------------------------------------------
// Our own Group 4 encoder (bit 1 white on its side, black on ours).

TEST(ImagesCcitt, DecodesOurGroup4Encoder) {
    for (const TPicture& p : TestPictures()) {
        TBMPImage bitmap;
        bitmap.SetSize(p.width, p.height, 1);
        for (uint32_t y = 0; y < p.height; ++y)
            for (std::size_t i = 0; i < p.rowBytes; ++i) bitmap.Row(y)[i] = static_cast<uint8_t>(~p.bits[y * p.rowBytes + i]);
        const std::string code = EncodeGroup4(bitmap);
        TPicture got(p.width, p.height);
        ASSERT_TRUE(ccitt::Decode(Bytes(code), Options(TScheme::Group4, p.width, p.height), got.bits, got.rowBytes))
            << p.width << " x " << p.height;
        EXPECT_EQ(FirstDifference(p, got), "") << p.width << " x " << p.height;
    }
}

// ---------------------------------------------------------------------------
// Small codes written out.

TEST(ImagesCcitt, Group4SmallCodes) {
    // V0 on a white row, with and without the end-of-block code after it.
    EXPECT_EQ(DecodeToHex(Pack("1"), Options(TScheme::Group4, 12, 1)), "00 00");
    EXPECT_EQ(DecodeToHex("\x80\x08\x00\x80", Options(TScheme::Group4, 12, 1)), "00 00");
    // Horizontal mode: white 0, black 8; then VL2 and horizontal black 2, white 0.
    EXPECT_EQ(DecodeToHex("\x26\xA2\x80\x08\x00\x80", Options(TScheme::Group4, 8, 1)), "FF");
    EXPECT_EQ(DecodeToHex(std::string("\x08\xE6\xA0\x02\x00\x20", 6), Options(TScheme::Group4, 2, 1)), "C0");
    // Black 3..5 by horizontal mode, then the same row by V0 V0, then pass
    // mode over it: white again.
    EXPECT_EQ(DecodeToHex(Pack("001 1000 10 1   1 1 1   0001 1"), Options(TScheme::Group4, 10, 3)),
              "1C 00 1C 00 00 00");
}

TEST(ImagesCcitt, LongRunsUseSeveralMakeUpCodes) {
    // White 3000 = make-up 2560 + make-up 384 + 56, black 2000 = 1984 + 16,
    // on a row of 5000 (one-dimensional, modified Huffman).
    const std::string bits = "000000011111 00110111 01011001  000000010010 0000010111";
    const std::string hex = DecodeToHex(Pack(bits), Options(TScheme::ModifiedHuffman, 5000, 1));
    ASSERT_NE(hex, "refused");
    std::vector<uint8_t> want(625, 0);
    for (uint32_t x = 3000; x < 5000; ++x) want[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
    std::string wantHex;
    char buf[4];
    for (uint8_t b : want) {
        std::snprintf(buf, sizeof buf, "%s%02X", wantHex.empty() ? "" : " ", b);
        wantHex += buf;
    }
    EXPECT_EQ(hex, wantHex);
}

TEST(ImagesCcitt, ModifiedHuffmanRowsStartOnByteBoundaries) {
    // Row 1: white 2, black 3, white 3 (4 + 2 + 4 bits, then 6 fill bits);
    // row 2: white 8.
    EXPECT_EQ(DecodeToHex(Pack("0111 10 1000 000000 10011"), Options(TScheme::ModifiedHuffman, 8, 2)), "38 00");
}

TEST(ImagesCcitt, Group3EolsFillAndTagBits) {
    const std::string eol = "000000000001";
    TDecodeOptions o = Options(TScheme::Group3, 8, 2);
    // With EOLs, the first one missing, and the RTC at the end.
    EXPECT_EQ(DecodeToHex(Pack("0111 10 1000 " + eol + " 10011 " + eol + eol + eol), o), "38 00");
    EXPECT_EQ(DecodeToHex(Pack(eol + "0111 10 1000 " + eol + " 10011"), o), "38 00");
    // Fill bits before the EOLs.
    o.ByteAlignedEOL = true;
    EXPECT_EQ(DecodeToHex(Pack("0000" + eol + "0111 10 1000 00000000" + eol + "10011"), o), "38 00");
    // Two-dimensional: tag bit 1 before a one-dimensional row, 0 before a
    // two-dimensional one (V0 three times repeats row 1).
    o.ByteAlignedEOL = false;
    o.TwoDimensional = true;
    EXPECT_EQ(DecodeToHex(Pack(eol + "1 0111 10 1000 " + eol + "0 111"), o), "38 38");
    // A two-dimensional row after a missing EOL cannot be told apart.
    EXPECT_EQ(DecodeToHex(Pack(eol + "1 0111 10 1000 1 1"), o), "refused");
}

TEST(ImagesCcitt, FillOrderTwoReversesTheBitsOfEveryByte) {
    TDecodeOptions o = Options(TScheme::Group4, 8, 1);
    o.LeastSignificantBitFirst = true;
    EXPECT_EQ(DecodeToHex("\x64\x45\x01", o), "FF");  // 26 A2 80 reversed byte by byte
}

// ---------------------------------------------------------------------------
// Runs of length 0. Some encoders write them (a real fax begins rows with
// horizontal mode white 0, black 0) and code the next row against the two
// changing elements they leave at one place; libtiff decodes it so, except
// for white 0, black 0 in one-dimensional rows.

TEST(ImagesCcitt, RunsOfLengthZeroStayInTheReferenceRow) {
    ASSERT_TRUE(HasTool("tiffcp"));
    const std::string eol = "000000000001";
    struct TCase {
        const char* what;
        TScheme scheme;
        bool twoDimensional;
        uint32_t width, rows;
        std::string bits;
        const char* hex;
    };
    const TCase cases[] = {
        // Row 1: H white 0 black 0, H white 3 black 2, V0. Row 2: pass mode
        // (b1 = b2 = 0), H white 1 black 2, V0.
        {"row starting with H 0 0", TScheme::Group4, false, 8, 2,
         "001 00110101 0000110111  001 1000 11  1    0001  001 000111 11  1", "18 60"},
        // Row 1: H white 2 black 3, H white 0 black 0 (changes 2 5 5 5), V0.
        // Row 2: V0 to 2, pass mode to 5 in black (b1 = b2 = 5), H black 1
        // white 1, V0.
        {"H 0 0 inside a row", TScheme::Group4, false, 8, 2,
         "001 0111 10  001 00110101 0000110111  1    1  0001  001 010 000111  1", "38 3D"},
        // A one-dimensional reference row: white 2, black 0, white 0, black
        // 3, white 3 (changes 2 2 2 5); pass mode (to 2), H white 1 black 2, V0.
        {"Group 3 one-dimensional reference", TScheme::Group3, true, 8, 2,
         eol + "1 0111 0000110111 00110101 10 1000  " + eol + "0 0001  001 000111 11  1", "38 18"},
        // But white 0 then black 0 there leaves no changes (changes 3 5): the
        // pass mode goes to 5, and H white 1 black 2 ends the row.
        {"Group 3 one-dimensional white 0 black 0", TScheme::Group3, true, 8, 2,
         eol + "1 00110101 0000110111 1000 11 1000  " + eol + "0 0001  001 000111 11  1", "18 03"},
        // White 1, black 0, white 0, black 1: three changes in a row of two.
        {"more changes than pixels", TScheme::ModifiedHuffman, false, 2, 1, "000111 0000110111 00110101 010", "40"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TDecodeOptions o = Options(c.scheme, c.width, c.rows);
        o.TwoDimensional = c.twoDimensional;
        const std::string data = Pack(c.bits);
        EXPECT_EQ(DecodeToHex(data, o), c.hex);
        TempDir dir;
        WriteFile(dir / "zero.tif", CcittTiff(data, o));
        const std::string samples = LibtiffSamples(dir / "zero.tif", dir);
        EXPECT_EQ(Hex(Bytes(samples)), c.hex) << "libtiff";
    }
}

// ---------------------------------------------------------------------------
// Data that cannot be decoded.

TEST(ImagesCcitt, RefusesBadCodesAndRunsPastTheRowEnd) {
    // Seven zeros are no mode code; 0000001111 is the uncompressed mode.
    EXPECT_EQ(DecodeToHex(Pack("0000000 1"), Options(TScheme::Group4, 8, 1)), "refused");
    EXPECT_EQ(DecodeToHex(Pack("0000001111 1111"), Options(TScheme::Group4, 8, 1)), "refused");
    // Horizontal mode with white 7 and black 2 on a row of 8.
    EXPECT_EQ(DecodeToHex(Pack("001 1111 11"), Options(TScheme::Group4, 8, 1)), "refused");
    // VR3 at the end of the row is past it.
    EXPECT_EQ(DecodeToHex(Pack("0000011"), Options(TScheme::Group4, 8, 1)), "refused");
    // VL1 right at the start of a row (b1 = 0) would go left of it.
    EXPECT_EQ(DecodeToHex(Pack("001 00110101 000101   010"), Options(TScheme::Group4, 8, 2)), "refused");
    // An EOL inside a one-dimensional row, and a white run of 9 in a row of 8.
    EXPECT_EQ(DecodeToHex(Pack("0111 000000000001"), Options(TScheme::ModifiedHuffman, 8, 1)), "refused");
    EXPECT_EQ(DecodeToHex(Pack("10100"), Options(TScheme::ModifiedHuffman, 8, 1)), "refused");
    // No valid white code begins with eight zeros then 1 then 0.
    EXPECT_EQ(DecodeToHex(Pack("0000000010"), Options(TScheme::ModifiedHuffman, 8, 1)), "refused");
}

TEST(ImagesCcitt, RefusesDataEndingBeforeTheLastRow) {
    // The rest of the byte after V0 is no second V0.
    EXPECT_EQ(DecodeToHex(Pack("1"), Options(TScheme::Group4, 8, 2)), "refused");
    EXPECT_EQ(DecodeToHex(Pack("11"), Options(TScheme::Group4, 8, 2)), "00 00");
    EXPECT_EQ(DecodeToHex("", Options(TScheme::Group4, 8, 1)), "refused");
    EXPECT_EQ(DecodeToHex("", Options(TScheme::Group3, 8, 1)), "refused");
    EXPECT_EQ(DecodeToHex(std::string(40, '\0'), Options(TScheme::Group3, 8, 1)), "refused");
    EXPECT_EQ(DecodeToHex(Pack("0111 10"), Options(TScheme::ModifiedHuffman, 8, 1)), "refused");

    // Every strip of a real page cut short is refused.
    const TPicture& p = TestPictures().back();
    TBMPImage bitmap;
    bitmap.SetSize(p.width, p.height, 1);
    for (uint32_t y = 0; y < p.height; ++y)
        for (std::size_t i = 0; i < p.rowBytes; ++i) bitmap.Row(y)[i] = static_cast<uint8_t>(~p.bits[y * p.rowBytes + i]);
    const std::string code = EncodeGroup4(bitmap);
    std::vector<uint8_t> rows(p.bits.size());
    const TDecodeOptions o = Options(TScheme::Group4, p.width, p.height);
    for (std::size_t cut = 0; cut + 4 < code.size(); cut += 1 + cut / 4)
        EXPECT_FALSE(ccitt::Decode(Bytes(code).first(cut), o, rows, p.rowBytes)) << "cut at " << cut;
    EXPECT_TRUE(ccitt::Decode(Bytes(code).first(code.size() - 3), o, rows, p.rowBytes));  // without the EOFB
}

TEST(ImagesCcitt, RefusesOutputThatDoesNotFit) {
    std::vector<uint8_t> rows(4);
    const std::string white = Pack("1111");
    EXPECT_FALSE(ccitt::Decode(Bytes(white), Options(TScheme::Group4, 16, 3), rows, 2));  // needs 6 bytes
    EXPECT_FALSE(ccitt::Decode(Bytes(white), Options(TScheme::Group4, 17, 1), rows, 2));  // stride too small
    EXPECT_FALSE(ccitt::Decode(Bytes(white), Options(TScheme::Group4, 0, 1), rows, 1));
    EXPECT_TRUE(ccitt::Decode(Bytes(white), Options(TScheme::Group4, 16, 2), rows, 2));
    EXPECT_TRUE(ccitt::Decode(Bytes(white), Options(TScheme::Group4, 8, 0), {}, 1));
}

TEST(ImagesCcitt, RandomBytesNeverCrash) {
    TRandom rnd(0xBADC0DEULL);
    std::vector<uint8_t> rows(64 * 130);
    int decoded = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string data(1 + rnd.Below(200), '\0');
        for (char& c : data) c = static_cast<char>(rnd.Below(256));
        TDecodeOptions o = Options(static_cast<TScheme>(rnd.Below(3)), 1 + rnd.Below(1000), 1 + rnd.Below(8));
        o.TwoDimensional = rnd.Below(2) == 0;
        o.ByteAlignedEOL = rnd.Below(2) == 0;
        o.LeastSignificantBitFirst = rnd.Below(2) == 0;
        decoded += ccitt::Decode(Bytes(data), o, rows, 130) ? 1 : 0;
    }
    EXPECT_LT(decoded, 3000);
}

// ---------------------------------------------------------------------------
// End to end: CCITT pages of a TIFF file through "vellumark images" (several
// strips, so the data is decoded rather than passed through), rendered at
// four times the image's resolution (none given: 72 dpi).

TEST(ImagesCcitt, VellumarkImagesShowsTheDecodedPages) {
    if (!HasTool("tiffcp") || !HasTool("pdftoppm")) GTEST_SKIP() << "tiffcp or pdftoppm is not installed";
    TempDir dir;
    TPicture small(517, 90);
    TRandom rnd(42);
    DrawText(small, rnd);
    WriteFile(dir / "plain.tif", UncompressedTiff({small}));
    for (const std::string options : {"-c g3:2d:fill -r 16", "-c g4 -r 40", "-c g3 -r 7 -f lsb2msb"}) {
        ASSERT_EQ(RunCommand("tiffcp " + options + " " + ShellQuote((dir / "plain.tif").string()) + " " +
                             ShellQuote((dir / "fax.tif").string()))
                      .status,
                  0);
        const CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " +
                                           ShellQuote(VELLUMARK_BIN) + " images -o out.pdf fax.tif");
        ASSERT_EQ(r.status, 0) << options << ": " << r.output;
        ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
        // Four times the image's resolution: every pixel a 4 x 4 block, not smoothed.
        const Raster raster = RenderPage(dir / "out.pdf", 1, 288);
        ASSERT_EQ(raster.width, static_cast<int>(4 * small.width));
        ASSERT_EQ(raster.height, static_cast<int>(4 * small.height));
        int wrong = 0;
        for (uint32_t y = 0; y < small.height; ++y)
            for (uint32_t x = 0; x < small.width; ++x) {
                const uint32_t rgb = raster.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2));
                if (rgb != (small.At(x, y) ? 0x000000u : 0xFFFFFFu)) ++wrong;
            }
        EXPECT_EQ(wrong, 0) << options;
    }
}

TEST(ImagesCcitt, VellumarkImagesRefusesDamagedData) {
    if (!HasTool("tiffcp")) GTEST_SKIP() << "tiffcp is not installed";
    TempDir dir;
    TPicture p(300, 40);
    TRandom rnd(7);
    DrawText(p, rnd);
    WriteFile(dir / "plain.tif", UncompressedTiff({p}));
    ASSERT_EQ(RunCommand("tiffcp -c g4 -r 20 " + ShellQuote((dir / "plain.tif").string()) + " " +
                         ShellQuote((dir / "fax.tif").string()))
                  .status,
              0);
    // tiffcp writes the strips first, right after the header: zeros there are
    // no codes.
    std::string file = ReadFile(dir / "fax.tif");
    ASSERT_EQ(TTiffFile(file).Pages().at(0).strips.size(), 2u);
    std::fill(file.begin() + 8, file.begin() + 40, '\0');
    WriteFile(dir / "damaged.tif", file);
    const CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                       " images -o out.pdf damaged.tif");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("TIFF file image data corrupted"), std::string::npos) << r.output;
}

// ---------------------------------------------------------------------------
// A real fax: a Group 4 page written by a commercial imaging library, with
// runs of length 0 in horizontal mode that later rows refer to.

namespace {

const std::filesystem::path kFax = std::filesystem::path(CORPUS_DIR) / "realworld" / "fax_g4_2453x3369.tif";
constexpr uint32_t kFaxWidth = 2453, kFaxHeight = 3369;

TPicture FaxFromLibtiff(const TempDir& dir) {
    TPicture p(kFaxWidth, kFaxHeight);
    const std::string samples = LibtiffSamples(kFax, dir);
    EXPECT_EQ(samples.size(), p.bits.size());
    std::copy_n(samples.begin(), std::min(samples.size(), p.bits.size()), p.bits.begin());
    return p;
}

}  // namespace

TEST(ImagesCcitt, RealFaxDecodesAsLibtiffDoes) {
    ASSERT_TRUE(HasTool("tiffcp"));
    TempDir dir;
    const std::vector<TTiffPage> pages = TTiffFile(ReadFile(kFax)).Pages();
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].compression, 4u);
    TPicture got(1, 1);
    std::string why;
    ASSERT_TRUE(DecodePage(pages[0], got, why)) << why;
    EXPECT_EQ(FirstDifference(FaxFromLibtiff(dir), got), "");
}

// Decoded and stored Flate-compressed, the page shows libtiff's pixels when
// rendered at the fax's own 300 dpi (mutool: one raster pixel a pixel).
TEST(ImagesCcitt, RealFaxThroughVellumarkImages) {
    ASSERT_TRUE(HasTool("tiffcp") && HasTool("mutool"));
    TempDir dir;
    const CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                       " images --bw zip --no-source-compression -o dec.pdf " + ShellQuote(kFax.string()));
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "dec.pdf"));
    const std::string pdf = ReadFile(dir / "dec.pdf");
    EXPECT_EQ(pdf.find("/CCITTFaxDecode"), std::string::npos);

    ASSERT_EQ(RunCommand("mutool draw -q -r 300 -c gray -o " + ShellQuote((dir / "page.pgm").string()) + " " +
                         ShellQuote((dir / "dec.pdf").string()))
                  .status,
              0);
    const std::string pgm = ReadFile(dir / "page.pgm");
    std::istringstream header(pgm);
    std::string magic;
    uint32_t w = 0, h = 0, maxval = 0;
    header >> magic >> w >> h >> maxval;
    ASSERT_EQ(magic, "P5");
    ASSERT_GE(w, kFaxWidth);
    ASSERT_GE(h, kFaxHeight);
    const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;
    ASSERT_EQ(pgm.size(), start + std::size_t{w} * h);
    const TPicture want = FaxFromLibtiff(dir);
    uint64_t wrong = 0;
    for (uint32_t y = 0; y < kFaxHeight; ++y)
        for (uint32_t x = 0; x < kFaxWidth; ++x)
            if (static_cast<uint8_t>(pgm[start + std::size_t{y} * w + x]) != (want.At(x, y) ? 0 : 255)) ++wrong;
    EXPECT_EQ(wrong, 0u);
}
