// The GIF reader: files written byte by byte (every colour table size, local
// tables, interlacing, frames smaller than the screen, the LZW table filling
// up without a clear code, damaged data) and files written by Pillow and
// ImageMagick, all compared with Pillow's decoding; every refusal; the
// import path and the images command end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ReaderTestUtil.h"
#include "TestUtil.h"
#include "decoders/GIFImage.h"
#include "images/ImageImport.h"

using namespace vellumark;
using namespace vellumark::test;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;
using TTable = std::vector<TPaletteEntry>;

void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

// LSB-first packing of variable-width codes.
class TBitWriter {
public:
    void Put(unsigned code, unsigned size) {
        acc_ |= uint32_t{code} << n_;
        n_ += size;
        for (; n_ >= 8; n_ -= 8, acc_ >>= 8) out_.push_back(static_cast<uint8_t>(acc_));
    }
    Bytes Finish() {
        if (n_ > 0) out_.push_back(static_cast<uint8_t>(acc_));
        return out_;
    }

private:
    Bytes out_;
    uint32_t acc_ = 0;
    unsigned n_ = 0;
};

// An LZW stream in which every pixel is its own code; the table grows as a
// decoder builds it. With clearEvery > 0 a clear code follows that many
// codes; with 0 only the first clear is sent, so the table fills at 4096
// entries and the codes stay 12 bits wide from then on.
Bytes EncodeLiterals(const Bytes& pixels, unsigned minCodeSize, unsigned clearEvery, bool endCode = true) {
    const unsigned clear = 1u << minCodeSize;
    unsigned size = minCodeSize + 1, next = clear + 2, count = 0;
    TBitWriter w;
    w.Put(clear, size);
    for (uint8_t p : pixels) {
        if (clearEvery != 0 && count == clearEvery) {
            w.Put(clear, size);
            size = minCodeSize + 1;
            next = clear + 2;
            count = 0;
        }
        w.Put(p, size);
        if (count++ > 0 && next < 4096 && ++next == (1u << size) && size < 12) ++size;
    }
    if (endCode) w.Put(clear + 1, size);
    return w.Finish();
}

unsigned TableBits(std::size_t entries) {
    unsigned bits = 1;
    while ((std::size_t{1} << bits) < entries) ++bits;
    return bits;
}

void PutTable(Bytes& b, const TTable& t) {
    for (std::size_t i = 0; i < (std::size_t{1} << TableBits(t.size())); ++i) {
        const TPaletteEntry e = i < t.size() ? t[i] : TPaletteEntry{};
        b.insert(b.end(), {e.Red, e.Green, e.Blue});
    }
}

void PutSubBlocks(Bytes& b, const Bytes& data) {
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        b.push_back(static_cast<uint8_t>(n));
        b.insert(b.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                 data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    b.push_back(0);
}

struct TFrame {
    uint16_t left = 0, top = 0, width = 1, height = 1;
    TTable local;
    bool interlaced = false;
    Bytes pixels;  // row by row from the top
    std::optional<uint8_t> transparent;
    unsigned codeSize = 0;  // 0: from the colour table, at least 2
    unsigned clearEvery = 100;
    std::optional<Bytes> lzw;  // the coded data as it stands, instead of the pixels
};

std::vector<uint32_t> StoredRowOrder(uint32_t height, bool interlaced) {
    std::vector<uint32_t> rows;
    if (!interlaced) {
        for (uint32_t y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    for (auto [start, step] : {std::pair{0u, 8u}, {4u, 8u}, {2u, 4u}, {1u, 2u}})
        for (uint32_t y = start; y < height; y += step) rows.push_back(y);
    return rows;
}

Bytes FrameBytes(const TFrame& f, const TTable& global) {
    Bytes b;
    if (f.transparent) b.insert(b.end(), {0x21, 0xF9, 4, 1, 0, 0, *f.transparent, 0});
    b.push_back(0x2C);
    for (uint32_t v : {f.left, f.top, f.width, f.height}) Put16(b, v);
    b.push_back(static_cast<uint8_t>((f.local.empty() ? 0 : 0x80 | (TableBits(f.local.size()) - 1)) |
                                     (f.interlaced ? 0x40 : 0)));
    if (!f.local.empty()) PutTable(b, f.local);
    const TTable& table = f.local.empty() ? global : f.local;
    const unsigned codeSize = f.codeSize != 0 ? f.codeSize : std::max(2u, TableBits(table.size()));
    b.push_back(static_cast<uint8_t>(codeSize));
    if (f.lzw) {
        PutSubBlocks(b, *f.lzw);
        return b;
    }
    Bytes stored;
    for (uint32_t y : StoredRowOrder(f.height, f.interlaced))
        stored.insert(stored.end(), f.pixels.begin() + y * f.width, f.pixels.begin() + (y + 1) * f.width);
    PutSubBlocks(b, EncodeLiterals(stored, codeSize, f.clearEvery));
    return b;
}

Bytes MakeGif(uint16_t width, uint16_t height, const TTable& global, const std::vector<TFrame>& frames,
              const std::string& version = "GIF89a") {
    Bytes b(version.begin(), version.end());
    Put16(b, width);
    Put16(b, height);
    b.push_back(static_cast<uint8_t>(global.empty() ? 0 : 0x80 | 0x70 | (TableBits(global.size()) - 1)));
    b.push_back(0);
    b.push_back(0);
    if (!global.empty()) PutTable(b, global);
    for (const TFrame& f : frames) {
        const Bytes fb = FrameBytes(f, global);
        b.insert(b.end(), fb.begin(), fb.end());
    }
    b.push_back(0x3B);
    return b;
}

TTable Table(std::size_t n, unsigned seed) {
    TTable t(n);
    for (std::size_t i = 0; i < n; ++i)
        t[i] = {static_cast<uint8_t>(i * 53 + seed), static_cast<uint8_t>(i * 101 + 7 * seed),
                static_cast<uint8_t>(i * 29 + 3)};
    return t;
}

Bytes Pattern(uint32_t w, uint32_t h, unsigned colours, unsigned seed = 0) {
    Bytes p(std::size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) p[std::size_t{y} * w + x] = static_cast<uint8_t>((x * 7 + y * 13 + x * y + seed) % colours);
    return p;
}

TFrame Frame(uint16_t w, uint16_t h, unsigned colours, unsigned seed = 0) {
    TFrame f;
    f.width = w;
    f.height = h;
    f.pixels = Pattern(w, h, colours, seed);
    return f;
}

TBMPImage Decode(const Bytes& data, TGIFImage* keep = nullptr) { return test::ReadWith<TGIFImage>(data, keep); }
std::string Refusal(const Bytes& data) { return test::RefusalOf<TGIFImage, GIFException>(data); }

Bytes Indices(const TBMPImage& img) {
    Bytes out;
    for (uint32_t y = 0; y < img.Height(); ++y)
        for (uint32_t x = 0; x < img.Width(); ++x) out.push_back(img.IndexAt(x, y));
    return out;
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

TEST(ImagesGifReader, EveryColourTableSize) {
    for (unsigned bits = 1; bits <= 8; ++bits) {
        SCOPED_TRACE(bits);
        const TTable global = Table(std::size_t{1} << bits, bits);
        TFrame f = Frame(23, 17, 1u << bits, bits);
        for (const std::string version : {"GIF87a", "GIF89a"}) {
            const TBMPImage img = Decode(MakeGif(23, 17, global, {f}, version));
            ASSERT_EQ(img.Width(), 23u);
            ASSERT_EQ(img.Height(), 17u);
            EXPECT_EQ(img.BitsPerPixel(), 8);
            EXPECT_EQ(img.Palette(), global);
            EXPECT_EQ(Indices(img), f.pixels);
            EXPECT_EQ(img.XPelsPerMeter, 0u);
        }
    }
}

TEST(ImagesGifReader, LZWStreams) {
    const TTable global = Table(256, 1);
    std::mt19937 rng(5);
    TFrame f = Frame(300, 40, 256);
    for (auto& p : f.pixels) p = static_cast<uint8_t>(rng());
    // No clear code after the first: the table fills at 4096 entries and the
    // codes stay 12 bits wide for the remaining 7000-odd pixels.
    f.clearEvery = 0;
    EXPECT_EQ(Indices(Decode(MakeGif(300, 40, global, {f}))), f.pixels);
    // Clear codes at every table size.
    for (unsigned every : {1u, 2u, 3u, 250u, 251u, 252u, 3838u}) {
        SCOPED_TRACE(every);
        f.clearEvery = every;
        EXPECT_EQ(Indices(Decode(MakeGif(300, 40, global, {f}))), f.pixels);
    }
    // A code size larger than the table needs.
    TFrame g = Frame(10, 10, 4);
    g.codeSize = 8;
    EXPECT_EQ(Indices(Decode(MakeGif(10, 10, Table(4, 0), {g}))), g.pixels);

    // Strings: 4 pixels a b a b a b a; codes a, b, ab (6), aba (8, the entry
    // being defined), then the end code. Code size 2, clear 4, end 5.
    TBitWriter w;
    for (unsigned c : {4u, 0u, 1u, 6u}) w.Put(c, 3);
    w.Put(8, 4);
    w.Put(5, 4);
    TFrame s;
    s.width = 7;
    s.lzw = w.Finish();
    EXPECT_EQ(Indices(Decode(MakeGif(7, 1, Table(4, 0), {s}))), (Bytes{0, 1, 0, 1, 0, 1, 0}));
}

TEST(ImagesGifReader, ShortOrLongLZWDataIsTolerated) {
    const TTable global = Table(16, 2);
    TFrame f = Frame(9, 6, 16);
    Bytes stored = f.pixels;
    // The end code after 20 pixels: the rest is index 0.
    f.lzw = EncodeLiterals(Bytes(stored.begin(), stored.begin() + 20), 4, 100);
    Bytes want(54, 0);
    std::copy(stored.begin(), stored.begin() + 20, want.begin());
    EXPECT_EQ(Indices(Decode(MakeGif(9, 6, global, {f}))), want);
    // No end code at all, data blocks ending after 30 pixels.
    f.lzw = EncodeLiterals(Bytes(stored.begin(), stored.begin() + 30), 4, 100, false);
    std::copy(stored.begin(), stored.begin() + 30, want.begin());
    EXPECT_EQ(Indices(Decode(MakeGif(9, 6, global, {f}))), want);
    // More pixels than the image holds, and bytes after the end code.
    Bytes more = stored;
    more.insert(more.end(), 40, 7);
    f.lzw = EncodeLiterals(more, 4, 100);
    f.lzw->insert(f.lzw->end(), {0xFF, 0x12, 0x34});
    EXPECT_EQ(Indices(Decode(MakeGif(9, 6, global, {f}))), stored);
}

TEST(ImagesGifReader, InterlacedRows) {
    for (uint16_t h : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 33}) {
        SCOPED_TRACE(h);
        TFrame f = Frame(5, h, 64, h);
        f.interlaced = true;
        EXPECT_EQ(Indices(Decode(MakeGif(5, h, Table(64, 1), {f}))), f.pixels);
        // Drawn off the screen's origin as well.
        f.left = 3;
        f.top = 2;
        const TBMPImage img = Decode(MakeGif(9, static_cast<uint16_t>(h + 4), Table(64, 1), {f}));
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < 5; ++x) ASSERT_EQ(img.IndexAt(x + 3, y + 2), f.pixels[y * 5 + x]);
    }
}

TEST(ImagesGifReader, ColourTables) {
    const TTable global = Table(8, 3);
    const TTable local = Table(16, 9);
    TFrame f = Frame(6, 4, 8);
    f.local = local;
    // A whole-screen frame keeps its own table.
    EXPECT_EQ(Decode(MakeGif(6, 4, global, {f})).Palette(), local);
    EXPECT_EQ(Decode(MakeGif(6, 4, {}, {f})).Palette(), local);
    // A smaller one is drawn with the global table, or its own when the file
    // has none.
    EXPECT_EQ(Decode(MakeGif(7, 4, global, {f})).Palette(), global);
    EXPECT_EQ(Decode(MakeGif(7, 4, {}, {f})).Palette(), local);
    // No table at all: a gray ramp over the code size.
    f = Frame(6, 4, 4);
    f.codeSize = 2;
    const TBMPImage gray = Decode(MakeGif(6, 4, {}, {f}));
    EXPECT_EQ(gray.Palette(), (TTable{{0, 0, 0}, {85, 85, 85}, {170, 170, 170}, {255, 255, 255}}));
}

TEST(ImagesGifReader, FramesSmallerThanTheScreen) {
    const TTable global = Table(32, 4);
    struct Case {
        uint16_t left, top;
    };
    // Inside, at the edges, cut by the right and bottom edges, wholly outside.
    for (Case c : {Case{0, 0}, Case{5, 3}, Case{12, 0}, Case{0, 6}, Case{15, 8}, Case{19, 3}, Case{40, 40}}) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top));
        TFrame f = Frame(8, 5, 31, c.left);
        for (auto& p : f.pixels) ++p;  // never index 0
        f.left = c.left;
        f.top = c.top;
        const TBMPImage img = Decode(MakeGif(20, 11, global, {f}));
        ASSERT_EQ(img.Width(), 20u);
        ASSERT_EQ(img.Height(), 11u);
        EXPECT_EQ(img.Palette(), global);
        for (uint32_t y = 0; y < 11; ++y)
            for (uint32_t x = 0; x < 20; ++x) {
                const bool inside = x >= c.left && x < c.left + 8u && y >= c.top && y < c.top + 5u;
                const uint8_t want = inside ? f.pixels[(y - c.top) * 8 + (x - c.left)] : 0;
                ASSERT_EQ(img.IndexAt(x, y), want) << x << "," << y;
            }
    }
    // A frame larger than the screen is clipped to it.
    TFrame big = Frame(30, 30, 32);
    const TBMPImage img = Decode(MakeGif(10, 10, global, {big}));
    ASSERT_EQ(img.Width(), 10u);
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 10; ++x) ASSERT_EQ(img.IndexAt(x, y), big.pixels[y * 30 + x]);
}

TEST(ImagesGifReader, FirstFrameOnlyAndExtensionsSkipped) {
    const TTable global = Table(16, 5);
    TFrame a = Frame(8, 8, 16, 1), b = Frame(8, 8, 4, 2), c = Frame(4, 4, 16, 3);
    b.local = Table(4, 7);
    // Later frames are walked over, not decoded: bad data there is not seen.
    c.lzw = Bytes{0xFF, 0xFF, 0xFF};
    a.transparent = 5;
    Bytes file = MakeGif(8, 8, global, {a, b, c});
    // Comment, application, plain text and unknown extensions before the first frame.
    const Bytes extensions{0x21, 0xFE, 3, 'a', 'b', 'c', 0, 0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E',
                           '2', '.', '0', 3, 1, 0, 0, 0, 0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0,
                           2, 'h', 'i', 0, 0x21, 0x77, 0, 0x21, 0xF9, 0};
    file.insert(file.begin() + 13 + 48, extensions.begin(), extensions.end());
    TGIFImage gif;
    const TBMPImage img = Decode(file, &gif);
    EXPECT_EQ(Indices(img), a.pixels);
    EXPECT_EQ(img.Palette(), global);
    EXPECT_EQ(gif.ImageCount(), 3u);
    EXPECT_EQ(gif.TransparentIndex(), std::optional<uint8_t>(5));
    EXPECT_EQ(gif.ScreenWidth(), 8u);
    // No transparency declared.
    EXPECT_EQ(Decode(MakeGif(8, 8, global, {b}), &gif).Palette(), b.local);
    EXPECT_FALSE(gif.TransparentIndex().has_value());
    // The signature in any case, or 4 bytes further on.
    Bytes lower = MakeGif(8, 8, global, {a}, "gif89a");
    EXPECT_EQ(Indices(Decode(lower)), a.pixels);
    Bytes shifted = MakeGif(8, 8, global, {a});
    shifted.insert(shifted.begin(), {'x', 'y', 'z', 'w'});
    EXPECT_EQ(Indices(Decode(shifted)), a.pixels);
}

TEST(ImagesGifReader, Refusals) {
    const TTable global = Table(4, 0);
    const TFrame f = Frame(6, 5, 4);
    const Bytes good = MakeGif(6, 5, global, {f});
    EXPECT_EQ(Refusal({}), "Invalid GIF signature");
    EXPECT_EQ(Refusal(ToBytes("GIX89a")), "Invalid GIF signature");
    EXPECT_EQ(Refusal(ToBytes(std::string("GI\0\0GIX89a__________", 20))), "Invalid GIF signature");
    EXPECT_EQ(Refusal(ToBytes(std::string("PNG\0GIX89a__________", 20))), "Invalid GIF signature");
    // Every cut of a good file ends early: in the signature, the logical
    // screen descriptor, the colour table, the image descriptor, the pixel
    // data and before the trailer.
    for (std::size_t cut = 1; cut < good.size(); ++cut)
        ASSERT_EQ(Refusal(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut))),
                  "Premature end of data")
            << cut;
    // No image before the trailer.
    EXPECT_EQ(Refusal(MakeGif(6, 5, global, {})), "No image in GIF file");
    // Zero sizes: the first frame's, or the screen's under a frame.
    TFrame empty = f;
    empty.width = 0;
    empty.pixels.clear();
    EXPECT_EQ(Refusal(MakeGif(6, 5, global, {empty})), "Invalid GIF image size");
    EXPECT_EQ(Refusal(MakeGif(0, 5, global, {f})), "Invalid GIF image size");
    // A screen beyond the bitmap's limits: refused before anything is made.
    EXPECT_EQ(Refusal(MakeGif(65535, 65535, global, {f})), "Image is too large");
    // Code sizes outside 2 to 8.
    for (unsigned size : {1u, 9u, 12u}) {
        TFrame bad = f;
        bad.codeSize = size;
        bad.lzw = Bytes{0x00};
        EXPECT_EQ(Refusal(MakeGif(6, 5, global, {bad})), "Invalid LZW code size in GIF image") << size;
    }
    // Codes beyond the table: right after a clear, and two past the next entry.
    for (const std::vector<std::pair<unsigned, unsigned>>& codes :
         {std::vector<std::pair<unsigned, unsigned>>{{4, 3}, {6, 3}},
          {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {9, 4}},
          {{0, 3}, {7, 3}}}) {
        TBitWriter w;
        for (auto [code, size] : codes) w.Put(code, size);
        TFrame bad = f;
        bad.lzw = w.Finish();
        EXPECT_EQ(Refusal(MakeGif(6, 5, global, {bad})), "Corrupt GIF image data");
    }
    // A block that is no image, extension or trailer.
    Bytes unknown = good;
    unknown.insert(unknown.end() - 1, 0x99);
    EXPECT_EQ(Refusal(unknown), "Unknown block in GIF file");
    // A stray zero byte where a block begins.
    Bytes zero = good;
    zero.insert(zero.begin() + 13 + 12, 0x00);
    EXPECT_EQ(Refusal(zero), "Unknown block in GIF file");
    // A failed load leaves the decoder's last image.
    TGIFImage gif;
    gif.LoadFromStream(good);
    EXPECT_THROW(gif.LoadFromStream(unknown), GIFException);
    TBMPImage img;
    gif.AssignTo(img);
    EXPECT_EQ(Indices(img), f.pixels);
}

// Pillow decodes files written here byte by byte and files written by
// Pillow and ImageMagick; the first frame must match pixel for pixel.
// Pillow makes its first-frame image the size of the logical screen; only
// the area of the frame is compared (with palette indices when Pillow keeps
// them, else colours), and the rest of ours must be index 0.
TEST(ImagesGifReader, AgreesWithPillow) {
    if (RunCommand("/usr/bin/python3 -c 'import PIL.Image'").status != 0)
        GTEST_SKIP() << "python3 with PIL is not installed";
    TempDir dir;
    // Byte by byte.
    {
        std::mt19937 rng(11);
        std::vector<std::pair<std::string, Bytes>> files;
        for (unsigned bits = 1; bits <= 8; ++bits)
            files.push_back({"hand_bits" + std::to_string(bits),
                             MakeGif(19, 13, Table(std::size_t{1} << bits, bits), {Frame(19, 13, 1u << bits, bits)})});
        TFrame full = Frame(300, 40, 256);
        for (auto& p : full.pixels) p = static_cast<uint8_t>(rng());
        full.clearEvery = 0;
        files.push_back({"hand_deferred_clear", MakeGif(300, 40, Table(256, 1), {full})});
        TFrame inter = Frame(11, 29, 16, 3);
        inter.interlaced = true;
        inter.local = Table(16, 8);
        files.push_back({"hand_interlaced_local", MakeGif(11, 29, Table(4, 1), {inter})});
        TFrame off = Frame(7, 6, 8, 4);
        off.left = 9;
        off.top = 4;
        files.push_back({"hand_offset", MakeGif(20, 12, Table(8, 2), {off})});
        for (const auto& [name, bytes] : files) WriteFile(dir / (name + ".gif"), std::string(bytes.begin(), bytes.end()));
    }
    // Pillow and ImageMagick.
    const std::string script = R"(
import sys
from PIL import Image
d = sys.argv[1]
def pattern(w, h, n, seed):
    return [(x * 7 + y * 13 + x * y + seed) % n for y in range(h) for x in range(w)]
def pal(n, seed):
    p = []
    for i in range(n):
        p += [(i * 53 + seed) % 256, (i * 101 + 7 * seed) % 256, (i * 29 + 3) % 256]
    return p
def img(w, h, n, seed):
    im = Image.new('P', (w, h))
    im.putpalette(pal(n, seed))
    im.putdata(pattern(w, h, n, seed))
    return im
for bits in range(1, 9):
    img(23, 17, 1 << bits, bits).save(d + '/pil_bits%d.gif' % bits, interlace=False)
img(31, 37, 64, 5).save(d + '/pil_interlaced.gif', interlace=True)
img(13, 9, 4, 6).save(d + '/pil_transparent.gif', transparency=2)
Image.new('L', (16, 10)).save(d + '/pil_black_gray.gif')
g = Image.new('L', (40, 20))
g.putdata([(x * 6 + y * 5) % 256 for y in range(20) for x in range(40)])
g.save(d + '/pil_gray.gif')
a = img(20, 20, 16, 1)
b = img(20, 20, 32, 2)
a.save(d + '/pil_animated.gif', save_all=True, append_images=[b], duration=100, loop=0)
)";
    WriteFile(dir / "make.py", script);
    CommandResult r = RunCommand("/usr/bin/python3 " + ShellQuote((dir / "make.py").string()) + " " +
                                 ShellQuote(dir.Path().string()));
    ASSERT_EQ(r.status, 0) << r.output;
    if (RunCommand("convert -version").status == 0) {
        const std::string q = ShellQuote(dir.Path().string()) + "/";
        for (const std::string& c :
             {"-size 40x30 gradient:yellow-navy -colors 64 " + q + "im_gradient.gif",
              "-size 33x47 gradient:red-green -colors 200 -interlace GIF " + q + "im_interlaced.gif",
              "-size 12x9 gradient:red-blue -colors 8 -repage 40x30+7+11 " + q + "im_offset.gif",
              "-delay 20 -size 16x16 xc:red gradient:lime-blue -loop 0 " + q + "im_animated.gif",
              "-size 10x10 xc:none -fill red -draw 'rectangle 2,2,6,6' " + q + "im_transparent.gif",
              "-size 17x5 xc:white -fill black -draw 'line 0,0 16,4' -monochrome " + q + "im_mono.gif"}) {
            r = RunCommand("convert " + c);
            ASSERT_EQ(r.status, 0) << c << r.output;
        }
    }
    // Pillow's reading: size, mode, frame box, then the first frame's bytes
    // as they stand (indices for P) and as RGB.
    const std::string dump = R"(
import sys, glob, os
from PIL import Image
for f in sorted(glob.glob(sys.argv[1] + '/*.gif')):
    im = Image.open(f)
    box = im.tile[0][1]
    im.load()
    with open(f + '.txt', 'w') as t:
        t.write('%d %d %s %d %d %d %d' % (im.size + (im.mode,) + tuple(box)))
    open(f + '.raw', 'wb').write(im.tobytes())
    open(f + '.rgb', 'wb').write(im.convert('RGB').tobytes())
)";
    WriteFile(dir / "dump.py", dump);
    r = RunCommand("/usr/bin/python3 " + ShellQuote((dir / "dump.py").string()) + " " + ShellQuote(dir.Path().string()));
    ASSERT_EQ(r.status, 0) << r.output;
    int files = 0;
    bool saw87 = false, saw89 = false;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        if (entry.path().extension() != ".gif") continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ++files;
        const std::string file = ReadFile(entry.path());
        saw87 |= file.rfind("GIF87a", 0) == 0;
        saw89 |= file.rfind("GIF89a", 0) == 0;
        const TBMPImage img = Decode(ToBytes(file));
        std::istringstream info(ReadFile(entry.path().string() + ".txt"));
        uint32_t w = 0, h = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        std::string mode;
        info >> w >> h >> mode >> x0 >> y0 >> x1 >> y1;
        ASSERT_EQ(img.Width(), w);
        ASSERT_EQ(img.Height(), h);
        const std::string raw = ReadFile(entry.path().string() + ".raw");
        const std::string rgb = ReadFile(entry.path().string() + ".rgb");
        ASSERT_EQ(rgb.size(), std::size_t{w} * h * 3);
        const bool whole = x0 == 0 && y0 == 0 && x1 == w && y1 == h;
        int wrong = 0;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const std::size_t i = std::size_t{y} * w + x;
                const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
                const TPaletteEntry ours = img.PaletteAt(img.IndexAt(x, y));
                const TPaletteEntry theirs{static_cast<uint8_t>(rgb[3 * i]), static_cast<uint8_t>(rgb[3 * i + 1]),
                                           static_cast<uint8_t>(rgb[3 * i + 2])};
                bool same = true;
                if (!inside)
                    same = img.IndexAt(x, y) == 0;
                else if (whole || mode != "P")
                    same = ours == theirs;
                else
                    same = img.IndexAt(x, y) == static_cast<uint8_t>(raw[i]);
                if (!same && wrong++ < 3) ADD_FAILURE() << "pixel " << x << "," << y;
            }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_GE(files, 20);
    EXPECT_TRUE(saw87);
    EXPECT_TRUE(saw89);
}

TEST(ImagesGifImport, ThroughTheImportPath) {
    const Bytes file = MakeGif(30, 20, Table(16, 1), {Frame(30, 20, 16)});
    const auto image = LoadImageFromStream(file, TImportSettings{});
    EXPECT_EQ(image->Width, 30u);
    EXPECT_EQ(image->Height, 20u);
    EXPECT_EQ(image->XResolution, 72u);
    EXPECT_EQ(image->YResolution, 72u);
    try {
        LoadImageFromStream(ToBytes("GIX89a"), TImportSettings{});
        ADD_FAILURE() << "accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid GIF signature");
    }
}

// The images command on a file whose first frame is smaller than the screen:
// a page of the screen's size showing the frame at its offset over colour 0.
TEST(ImagesGifImport, ImagesCommandEndToEnd) {
    TempDir dir;
    const TTable global = Table(32, 6);
    TFrame f = Frame(20, 9, 32, 2);
    f.left = 6;
    f.top = 5;
    f.interlaced = true;
    TFrame later = Frame(31, 17, 32, 9);
    const Bytes file = MakeGif(31, 17, global, {f, later});
    WriteFile(dir / "in.gif", std::string(file.begin(), file.end()));
    CommandResult r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                                 " images -o out.pdf in.gif");
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_TRUE(QpdfCheck(dir / "out.pdf"));
    const Raster raster = RenderPage(dir / "out.pdf", 1, 288);  // each pixel a 4 x 4 block
    ASSERT_EQ(raster.width, 4 * 31);
    ASSERT_EQ(raster.height, 4 * 17);
    int wrong = 0;
    for (uint32_t y = 0; y < 17; ++y)
        for (uint32_t x = 0; x < 31; ++x) {
            const bool inside = x >= 6 && x < 26 && y >= 5 && y < 14;
            const TPaletteEntry c = global[inside ? f.pixels[(y - 5) * 20 + (x - 6)] : 0];
            const uint32_t want = uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
            if (raster.At(static_cast<int>(4 * x + 2), static_cast<int>(4 * y + 2)) != want) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    // A refused file names the reader's message.
    WriteFile(dir / "bad.gif", "GIF89a\x01");
    r = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + ShellQuote(VELLUMARK_BIN) +
                   " images -o bad.pdf bad.gif");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("Premature end of data"), std::string::npos) << r.output;
}
