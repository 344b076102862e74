// TTIFImage and the LZW decoder. Damaged and unusual files are built byte by
// byte below; ordinary ones are made at run time by libtiff's tools
// (ppm2tiff, tiffcp, fax2tiff), ImageMagick and Pillow from one picture, and
// every page we decode is compared pixel for pixel with what libtiff
// (tiff2rgba) or Pillow decodes from the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/JPEGImage.h"
#include "decoders/LZWDecoder.h"
#include "decoders/TIFImage.h"
#include "images/ImageImport.h"

namespace vellumark {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr uint16_t kShort = 3, kLong = 4, kRational = 5;

// ---------------------------------------------------------------------------
// A small TIFF writer: directories of fields, each page's pixels placed
// before its directory, values longer than four bytes after the pixels.

struct TField {
    uint16_t tag = 0;
    uint16_t type = kShort;
    uint32_t count = 0;
    std::vector<uint32_t> values;      // SHORT or LONG values, or numerator/denominator pairs
    std::optional<uint32_t> offset;    // written in place of the values' offset
};

TField Short(uint16_t tag, std::vector<uint32_t> v) { return {tag, kShort, static_cast<uint32_t>(v.size()), v, {}}; }
TField Long(uint16_t tag, std::vector<uint32_t> v) { return {tag, kLong, static_cast<uint32_t>(v.size()), v, {}}; }
TField Rational(uint16_t tag, uint32_t num, uint32_t den) { return {tag, kRational, 1, {num, den}, {}}; }

struct TPage {
    std::vector<TField> fields;
    Bytes pixels;  // one strip; StripOffsets and StripByteCounts are added unless given
    std::optional<uint32_t> next;  // next-directory offset written instead of the real one
};

class TWriter {
public:
    explicit TWriter(bool big) : big_(big) {}
    void U16(Bytes& b, uint32_t v) const {
        if (big_) b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)});
        else b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
    }
    void U32(Bytes& b, uint32_t v) const {
        if (big_) b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
        else b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    void Set32(Bytes& b, std::size_t at, uint32_t v) const {
        Bytes t;
        U32(t, v);
        std::copy(t.begin(), t.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    }
    Bytes Values(const TField& f) const {
        Bytes b;
        for (uint32_t v : f.values) (f.type == kShort ? U16(b, v) : U32(b, v));
        return b;
    }

    Bytes Write(std::vector<TPage> pages) const {
        Bytes out = big_ ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
        U16(out, 42);
        U32(out, 8);
        std::size_t link = 4;  // where the offset of the next directory goes
        for (TPage& page : pages) {
            const uint32_t pixelsAt = static_cast<uint32_t>(out.size());
            out.insert(out.end(), page.pixels.begin(), page.pixels.end());
            auto has = [&](uint16_t tag) {
                return std::any_of(page.fields.begin(), page.fields.end(), [&](const TField& f) { return f.tag == tag; });
            };
            if (!has(273)) page.fields.push_back(Long(273, {pixelsAt}));
            if (!has(279)) page.fields.push_back(Long(279, {static_cast<uint32_t>(page.pixels.size())}));
            std::sort(page.fields.begin(), page.fields.end(),
                      [](const TField& a, const TField& b) { return a.tag < b.tag; });
            std::vector<uint32_t> fieldValue;
            for (const TField& f : page.fields) {
                Bytes v = Values(f);
                if (f.offset) {
                    fieldValue.push_back(*f.offset);
                } else if (v.size() <= 4) {
                    v.resize(4, 0);
                    fieldValue.push_back(big_ ? uint32_t(v[0]) << 24 | uint32_t(v[1]) << 16 | uint32_t(v[2]) << 8 | v[3]
                                              : uint32_t(v[0]) | uint32_t(v[1]) << 8 | uint32_t(v[2]) << 16 |
                                                    uint32_t(v[3]) << 24);
                } else {
                    if (out.size() % 2) out.push_back(0);
                    fieldValue.push_back(static_cast<uint32_t>(out.size()));
                    out.insert(out.end(), v.begin(), v.end());
                }
            }
            if (out.size() % 2) out.push_back(0);
            Set32(out, link, static_cast<uint32_t>(out.size()));
            U16(out, static_cast<uint32_t>(page.fields.size()));
            for (std::size_t i = 0; i < page.fields.size(); ++i) {
                const TField& f = page.fields[i];
                U16(out, f.tag);
                U16(out, f.type);
                U32(out, f.count);
                // The 4-byte field holds the raw bytes: write them as they lie.
                Bytes raw;
                U32(raw, fieldValue[i]);
                out.insert(out.end(), raw.begin(), raw.end());
            }
            link = out.size();
            U32(out, 0);
            if (page.next) Set32(out, link, *page.next);
        }
        return out;
    }

private:
    bool big_;
};

Bytes Tiff(std::vector<TPage> pages, bool big = false) { return TWriter(big).Write(std::move(pages)); }

// A bilevel page of w x h from the given packed rows (1 white in BlackIsZero).
TPage Bilevel(uint32_t w, uint32_t h, Bytes pixels, uint32_t photometric = 1) {
    return {{Long(256, {w}), Long(257, {h}), Short(258, {1}), Short(262, {photometric})}, std::move(pixels), {}};
}

TPage Gray8(uint32_t w, uint32_t h) {
    Bytes px(std::size_t{w} * h);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 37);
    return {{Long(256, {w}), Long(257, {h}), Short(258, {8}), Short(262, {1})}, px, {}};
}

// Replaces or adds a field.
TPage With(TPage page, TField field) {
    std::erase_if(page.fields, [&](const TField& f) { return f.tag == field.tag; });
    page.fields.push_back(std::move(field));
    return page;
}
TPage Without(TPage page, uint16_t tag) {
    std::erase_if(page.fields, [&](const TField& f) { return f.tag == tag; });
    return page;
}

TTIFImage Load(const Bytes& file, int32_t page = 1) {
    TTIFImage t;
    t.PageNumber = page;
    t.LoadFromStream(file);
    return t;
}

TBMPImage Decode(const Bytes& file, int32_t page = 1) {
    TBMPImage b;
    Load(file, page).AssignTo(b);
    return b;
}

// The message of the EInvalidGraphic that loading and decoding raise, or "".
std::string Error(const Bytes& file, int32_t page = 1) {
    try {
        Decode(file, page);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "";
}

// Pixels as 0xRRGGBB, row by row from the top.
std::vector<uint32_t> Colours(TBMPImage b) {
    b.ConvertTo24Bit();
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < b.Height(); ++y) {
        const uint8_t* r = b.Row(y);
        for (uint32_t x = 0; x < b.Width(); ++x) out.push_back(uint32_t{r[3 * x + 2]} << 16 | uint32_t{r[3 * x + 1]} << 8 | r[3 * x]);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Header, directories and page selection.

TEST(ImagesTiff, HeaderAndByteOrder) {
    EXPECT_EQ(Error({'I', 'I', 43, 0, 8, 0, 0, 0}), "File is not TIFF format");
    EXPECT_EQ(Error({'I', 'I', 0, 42, 8, 0, 0, 0}), "File is not TIFF format");  // 42 in the wrong order
    EXPECT_EQ(Error({'M', 'I', 42, 0, 8, 0, 0, 0}), "File is not TIFF format");
    EXPECT_EQ(Error({'I', 'I', 42}), "File is not TIFF format");
    EXPECT_EQ(Error({'I', 'I', 42, 0, 8, 0}), "File is not TIFF format");
    for (bool big : {false, true}) {
        const TBMPImage b = Decode(Tiff({Gray8(5, 3)}, big));
        EXPECT_EQ(b.Width(), 5u);
        EXPECT_EQ(b.Height(), 3u);
        EXPECT_EQ(b.BitsPerPixel(), 8);
        EXPECT_EQ(b.IndexAt(1, 0), 37);
        EXPECT_EQ(b.IndexAt(0, 2), static_cast<uint8_t>(10 * 37));
    }
}

TEST(ImagesTiff, PagesAreFoundAlongTheChain) {
    const Bytes two = Tiff({Gray8(2, 2), Gray8(7, 1)});
    EXPECT_EQ(Load(two, 1).Width(), 2u);
    EXPECT_EQ(Load(two, 2).Width(), 7u);
    EXPECT_EQ(Error(two, 3), "TIFF file error - cannot find requested page");
    EXPECT_EQ(Error(Tiff({Gray8(2, 2)}), 2), "TIFF file error - cannot find requested page");
    // A next offset beyond the data, and a chain that comes back to itself.
    TPage far = Gray8(2, 2);
    far.next = 100000;
    EXPECT_EQ(Error(Tiff({far}), 2), "TIFF file error - cannot find requested page");
    TPage loop = Gray8(2, 2);
    Bytes looped = Tiff({loop});
    const uint32_t first = looped[4] | looped[5] << 8;
    loop.next = first;
    looped = Tiff({loop});
    EXPECT_EQ(Load(looped, 1).Width(), 2u);
    EXPECT_EQ(Error(looped, 2), "TIFF file error - cannot find requested page");
    EXPECT_EQ(Error(looped, 2000000000), "TIFF file error - cannot find requested page");
    // Two pages, the second pointing back at the first: the chain is cut
    // there and both pages are kept.
    TPage second = Gray8(7, 1);
    second.next = 8 + 4;  // the first page's pixels (4 bytes) lie before its directory
    const Bytes cycle = Tiff({Gray8(2, 2), second});
    ASSERT_EQ(cycle[4], 12);
    EXPECT_EQ(Load(cycle, 1).Width(), 2u);
    EXPECT_EQ(Load(cycle, 2).Width(), 7u);
    EXPECT_EQ(Error(cycle, 3), "TIFF file error - cannot find requested page");
    EXPECT_EQ(CountTiffImages(cycle), 2);
    // A first directory that lies beyond the data, or is cut short.
    EXPECT_EQ(Error({'I', 'I', 42, 0, 200, 0, 0, 0}), "TIFF file error - cannot find requested page");
    EXPECT_EQ(Error({'I', 'I', 42, 0, 8, 0, 0, 0, 3, 0, 1, 1}), "TIFF file error - cannot find requested page");
}

TEST(ImagesTiff, EntryTypesAndCountsAreChecked) {
    struct TCase {
        uint16_t tag;
        const char* message;
    };
    const TCase cases[] = {
        {256, "Error in TIFF file ImageWidth data"},
        {257, "Error in TIFF file ImageLength data"},
        {278, "Error in TIFF file RowsPerStrip data"},
        {258, "Error in TIFF file BitsPerSample data"},
        {259, "Error in TIFF file Compression data"},
        {262, "Error in TIFF file PhotometricInterpretation data"},
        {266, "Error in TIFF file FillOrder data"},
        {277, "Error in TIFF file SamplesPerPixel data"},
        {284, "Error in TIFF file PlanarConfiguration data"},
        {317, "Error in TIFF file Predictor data"},
        {332, "Error in TIFF file InkSet data"},
        {334, "Error in TIFF file NumberOfInks data"},
        {273, "Error in TIFF file StripOffsets data"},
        {279, "Error in TIFF file StripByteCounts data"},
        {282, "Error in TIFF file XResolution data"},
        {283, "Error in TIFF file YResolution data"},
        {296, "Error in TIFF file ResolutionUnit data"},
        {320, "Error in TIFF file ColorMap data"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.tag);
        // The wrong type: a rational where a number belongs, a short where a rational does.
        const bool rational = c.tag == 282 || c.tag == 283;
        EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), rational ? Short(c.tag, {1}) : Rational(c.tag, 1, 1))})), c.message);
        // Counts: two values where one belongs (not for the lists).
        if (c.tag != 258 && c.tag != 273 && c.tag != 279 && c.tag != 320 && !rational) {
            EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), Short(c.tag, {1, 1}))})), c.message);
        }
    }
    // LONG is fine for the sizes and the strip lists, not for the other shorts.
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), Long(259, {1}))})), "Error in TIFF file Compression data");
    EXPECT_EQ(Decode(Tiff({With(Gray8(3, 2), Short(256, {3}))})).Width(), 3u);
    // Values stored beyond the end of the data.
    TField offsets = Long(273, {8, 8, 8});
    offsets.offset = 100000;
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), offsets)})), "Error in TIFF file StripOffsets data");
    TField counts = Short(279, {2, 2, 2});
    counts.offset = 0xFFFFFFF0u;
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), counts)})), "Error in TIFF file StripByteCounts data");
    TField bits = Short(258, {8, 8, 8});
    bits.offset = 100000;
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), bits)})), "Error in TIFF file BitsPerSample data");
    TField map = Short(320, std::vector<uint32_t>(768, 0));
    map.offset = 100000;
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), map)})), "Error in TIFF file ColorMap data");
    TField res = Rational(282, 72, 1);
    res.offset = 100000;
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), res)})), "Error in TIFF file XResolution data");
    // A huge count with its values out of reach allocates nothing.
    TField many{273, kLong, 0xFFFFFFFFu, {1, 2}, 16};
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), many)})), "Error in TIFF file StripOffsets data");
    // Unknown tags are skipped.
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), Rational(41000, 1, 0))})), "");
}

TEST(ImagesTiff, ChecksAfterTheDirectory) {
    EXPECT_EQ(Error(Tiff({Without(Gray8(2, 2), 256)})), "TIFF file has missing image Width/Height");
    EXPECT_EQ(Error(Tiff({Without(Gray8(2, 2), 257)})), "TIFF file has missing image Width/Height");
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), Long(256, {0}))})), "TIFF file has missing image Width/Height");
    EXPECT_EQ(Error(Tiff({Without(Gray8(2, 2), 262)})), "TIFF file has missing PhotometricInterpretation data");
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), Long(273, {}))})), "Error in TIFF file StripOffsets data");
    // Missing strip lists: the writer adds them unless told otherwise, so a
    // different tag stands in for them.
    {
        TPage p = Gray8(2, 2);
        Bytes f = Tiff({p});
        // Rename tag 273 (StripOffsets) to 274 in the directory.
        for (std::size_t i = 0; i + 1 < f.size(); ++i)
            if (f[i] == 0x11 && f[i + 1] == 0x01 && f[i + 2] == kLong) { f[i] = 0x12; break; }
        EXPECT_EQ(Error(f), "TIFF file has missing StripOffsets data");
        f = Tiff({p});
        for (std::size_t i = 0; i + 1 < f.size(); ++i)
            if (f[i] == 0x17 && f[i + 1] == 0x01 && f[i + 2] == kLong) { f[i] = 0x18; break; }
        EXPECT_EQ(Error(f), "TIFF file has missing StripByteCounts data");
    }
    // Two strips of one row each, but one byte count.
    TPage strips = With(Gray8(2, 2), Long(278, {1}));
    strips = With(strips, Long(273, {8, 10}));
    EXPECT_EQ(Error(Tiff({strips})), "TIFF file has errors in strip counts");
    // Fewer strip offsets than strips is refused as well.
    strips = With(With(Gray8(2, 2), Long(278, {1})), Long(279, {2, 2}));
    EXPECT_EQ(Error(Tiff({strips})), "TIFF file has errors in strip counts");
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), Short(296, {4}))})), "Error in TIFF file ResolutionUnit data");
    EXPECT_EQ(Error(Tiff({With(Gray8(2, 2), Short(296, {0}))})), "Error in TIFF file ResolutionUnit data");
}

TEST(ImagesTiff, ResolutionInDotsPerInch) {
    auto dpi = [](std::vector<TField> extra) {
        TPage p = Gray8(2, 2);
        for (TField& f : extra) p = With(p, f);
        const TTIFImage t = Load(Tiff({p}));
        return std::pair{t.XResolution(), t.YResolution()};
    };
    EXPECT_EQ(dpi({}), std::pair(0u, 0u));
    EXPECT_EQ(dpi({Rational(282, 300, 1), Rational(283, 150, 1)}), std::pair(300u, 150u));
    EXPECT_EQ(dpi({Rational(282, 300, 1), Rational(283, 150, 1), Short(296, {3})}), std::pair(762u, 381u));
    EXPECT_EQ(dpi({Rational(282, 300, 1), Short(296, {1})}), std::pair(0u, 0u));
    EXPECT_EQ(dpi({Rational(282, 1441, 2), Rational(283, 1439, 2)}), std::pair(721u, 720u));
    EXPECT_EQ(dpi({Rational(282, 72, 0)}), std::pair(0u, 0u));  // no denominator: unknown
}

TEST(ImagesTiff, DefaultsAndStrips) {
    // No RowsPerStrip: one strip; no PhotometricInterpretation on a bilevel
    // page: WhiteIsZero, so bit 1 is black.
    TPage p = Without(Bilevel(10, 2, {0x80, 0x40, 0x01, 0xFF}), 262);
    TTIFImage t = Load(Tiff({p}));
    EXPECT_EQ(t.StripCount(), 1u);
    EXPECT_EQ(t.Compression(), 1);
    EXPECT_EQ(t.FillOrder(), 1);
    EXPECT_EQ(t.Photometric(), 0);
    EXPECT_EQ(t.StripBytes(), (Bytes{0x80, 0x40, 0x01, 0xFF}));
    TBMPImage b = Decode(Tiff({p}));
    ASSERT_EQ(b.BitsPerPixel(), 1);
    EXPECT_EQ(b.Palette()[0], (TPaletteEntry{0, 0, 0}));
    EXPECT_EQ(b.Palette()[1], (TPaletteEntry{255, 255, 255}));
    EXPECT_EQ(b.IndexAt(0, 0), 0);  // black
    EXPECT_EQ(b.IndexAt(1, 0), 1);
    EXPECT_EQ(b.IndexAt(9, 0), 0);
    EXPECT_EQ(b.IndexAt(7, 1), 0);
    // A FillOrder other than 1 or 2 counts as 1.
    EXPECT_EQ(Load(Tiff({With(p, Short(266, {7}))})).FillOrder(), 1);
    EXPECT_EQ(Load(Tiff({With(p, Short(266, {2}))})).FillOrder(), 2);
    // Strips in strip order, cut at the end of the data.
    TPage s = Gray8(3, 5);
    s = With(s, Long(278, {2}));
    s = With(s, Long(273, {8, 14, 20}));
    s = With(s, Long(279, {6, 6, 3}));
    Bytes f = Tiff({s});
    t = Load(f);
    EXPECT_EQ(t.StripCount(), 3u);
    EXPECT_EQ(t.StripBytes().size(), 15u);
    EXPECT_EQ(Colours(Decode(f)), Colours(Decode(Tiff({Gray8(3, 5)}))));
    s = With(s, Long(279, {6, 6, 100000}));
    f = Tiff({s});
    t = Load(f);
    EXPECT_EQ(t.StripBytes().size(), 12 + f.size() - 20);  // cut at the end
    s = With(s, Long(273, {8, 14, 900000}));
    t = Load(Tiff({s}));
    EXPECT_EQ(t.StripBytes().size(), 12u);
    EXPECT_EQ(Error(Tiff({s})), "TIFF file image data corrupted");
    // RowsPerStrip as a SHORT, and of 0 (read as one strip).
    EXPECT_EQ(Load(Tiff({With(With(With(Gray8(3, 5), Short(278, {2})), Short(273, {8, 14, 20})), Short(279, {6, 6, 3}))}))
                  .StripCount(),
              3u);
    EXPECT_EQ(Load(Tiff({With(Gray8(3, 5), Long(278, {0}))})).StripCount(), 1u);
}

// ---------------------------------------------------------------------------
// Photometric interpretations, depths and compressions refused.

TEST(ImagesTiff, RefusedCombinations) {
    const TPage gray = Gray8(2, 2);
    // Bilevel with more than one sample.
    EXPECT_EQ(Error(Tiff({With(Bilevel(8, 1, {0}), Short(277, {2}))})), "TIFF file error in bilevel image data");
    // BitsPerSample values beyond the samples are not read; one value serves
    // every sample (here gray and alpha, whose data is then too short).
    EXPECT_EQ(Error(Tiff({With(Bilevel(8, 1, {0}), Short(258, {1, 1}))})), "");
    EXPECT_EQ(Error(Tiff({With(gray, Short(277, {2}))})), "TIFF file image data corrupted");
    EXPECT_EQ(Error(Tiff({With(Bilevel(8, 1, {0}), Short(258, {1, 4}))})), "");
    // Grayscale whose sample counts disagree, or with three samples.
    EXPECT_EQ(Error(Tiff({With(With(gray, Short(258, {8, 8})), Short(277, {3}))})), "TIFF file error in grayscale image data");
    EXPECT_EQ(Error(Tiff({With(With(gray, Short(258, {8, 8, 8})), Short(277, {3}))})),
              "TIFF file error in grayscale image data");
    EXPECT_EQ(Error(Tiff({With(gray, Short(258, {3}))})), "TIFF file has unknown or unsupported format");
    EXPECT_EQ(Error(Tiff({With(gray, Short(258, {10}))})), "TIFF file has unknown or unsupported format");
    // RGB: too few samples, mixed depths, 16 bits as JPEG.
    TPage rgb = With(With(With(gray, Short(262, {2})), Short(258, {8, 8, 8})), Short(277, {3}));
    rgb.pixels.resize(12);
    EXPECT_EQ(Error(Tiff({rgb})), "");
    EXPECT_EQ(Error(Tiff({With(rgb, Short(277, {4}))})), "TIFF file error in RGB image data");
    EXPECT_EQ(Error(Tiff({With(rgb, Short(258, {8, 8, 4}))})), "TIFF file error in RGB image data");
    EXPECT_EQ(Error(Tiff({With(With(rgb, Short(258, {16, 16, 16})), Short(259, {7}))})),
              "Unknown or unsupported Compression method");
    EXPECT_EQ(Error(Tiff({With(With(rgb, Short(258, {8, 8})), Short(277, {2}))})), "TIFF file error in RGB image data");
    // Palette: the map must hold 3 x 2^bits values.
    TPage pal = With(With(gray, Short(262, {3})), Short(320, std::vector<uint32_t>(767, 0)));
    EXPECT_EQ(Error(Tiff({pal})), "TIFF file error in palette image data");
    EXPECT_EQ(Error(Tiff({Without(pal, 320)})), "TIFF file error in palette image data");
    EXPECT_EQ(Error(Tiff({With(pal, Short(320, std::vector<uint32_t>(768, 0)))})), "");
    // CMYK: four 8-bit inks, InkSet 1, NumberOfInks 4.
    TPage cmyk = With(With(With(gray, Short(262, {5})), Short(258, {8, 8, 8, 8})), Short(277, {4}));
    cmyk.pixels.resize(16);
    EXPECT_EQ(Error(Tiff({cmyk})), "");
    EXPECT_EQ(Error(Tiff({With(cmyk, Short(332, {2}))})), "TIFF file Separated image format not supported");
    EXPECT_EQ(Error(Tiff({With(cmyk, Short(334, {3}))})), "TIFF file Separated image format not supported");
    EXPECT_EQ(Error(Tiff({With(cmyk, Short(258, {8, 8, 8, 16}))})), "TIFF file Separated image format not supported");
    EXPECT_EQ(Error(Tiff({With(With(cmyk, Short(258, {8, 8, 8})), Short(277, {3}))})),
              "TIFF file Separated image format not supported");
    EXPECT_EQ(Error(Tiff({With(gray, Short(262, {6}))})), "TIFF file YCbCr format not supported");
    // Old-style JPEG YCbCr (three samples when the count is absent) without
    // its tables or stream.
    EXPECT_EQ(Error(Tiff({With(With(gray, Short(262, {6})), Short(259, {6}))})), "TIFF file image data corrupted");
    EXPECT_EQ(Error(Tiff({With(With(With(gray, Short(262, {6})), Short(259, {6})), Short(277, {1}))})),
              "TIFF file YCbCr format not supported");
    // YCbCr only as JPEG data of three 8-bit samples.
    EXPECT_EQ(Error(Tiff({With(With(gray, Short(262, {6})), Short(259, {7}))})), "TIFF file YCbCr format not supported");
    EXPECT_EQ(Error(Tiff({With(With(rgb, Short(262, {6})), Short(259, {5}))})), "TIFF file YCbCr format not supported");
    for (uint32_t p : {4u, 7u, 8u, 32844u})
        EXPECT_EQ(Error(Tiff({With(gray, Short(262, {p}))})), "TIFF file PhotometricInterpretation value not supported");
    // Compressions.
    EXPECT_EQ(Error(Tiff({With(Bilevel(8, 1, {0}), Short(259, {6}))})), "JPEG Compression not supported");
    EXPECT_EQ(Error(Tiff({With(gray, Short(259, {6}))})), "JPEG Compression not supported");
    for (uint32_t c : {0u, 34712u, 34887u, 50000u})
        EXPECT_EQ(Error(Tiff({With(gray, Short(259, {c}))})), "Unknown or unsupported Compression method");
    // JPEG only for 8-bit samples that are not palette indices.
    EXPECT_EQ(Error(Tiff({With(Bilevel(8, 1, {0}), Short(259, {7}))})), "Unknown or unsupported Compression method");
    EXPECT_EQ(Error(Tiff({With(With(gray, Short(258, {4})), Short(259, {7}))})), "Unknown or unsupported Compression method");
    EXPECT_EQ(Error(Tiff({With(With(pal, Short(320, std::vector<uint32_t>(768, 0))), Short(259, {7}))})),
              "Unknown or unsupported Compression method");
    for (uint32_t c : {2u, 3u, 4u})  // CCITT only for bilevel pages
        EXPECT_EQ(Error(Tiff({With(gray, Short(259, {c}))})), "Unknown or unsupported Compression method");
}

TEST(ImagesTiff, DataTooShortOrUndecodable) {
    TPage gray = Gray8(4, 4);
    gray.pixels.resize(15);
    EXPECT_EQ(Error(Tiff({gray})), "TIFF file image data corrupted");
    // PackBits that runs out.
    EXPECT_EQ(Error(Tiff({With(TPage{Gray8(4, 4).fields, {0x05, 1}, {}}, Short(259, {32773}))})),
              "TIFF file image data corrupted");
    EXPECT_EQ(Error(Tiff({With(TPage{Gray8(4, 4).fields, {0xF1, 9}, {}}, Short(259, {32773}))})), "");
    // LZW: a code that does not exist yet, data that ends early, old-style bit order.
    EXPECT_EQ(Error(Tiff({With(TPage{Gray8(4, 4).fields, {0x80, 0x7F, 0xC0}, {}}, Short(259, {5}))})),
              "TIFF file image data corrupted");
    EXPECT_EQ(Error(Tiff({With(TPage{Gray8(4, 4).fields, {0x80, 0x00, 0x20}, {}}, Short(259, {5}))})),
              "TIFF file image data corrupted");
    EXPECT_EQ(Error(Tiff({With(TPage{Gray8(4, 4).fields, {0x00, 0x01, 0x20, 0x40}, {}}, Short(259, {5}))})),
              "TIFF file image data corrupted");
    // No data at all.
    EXPECT_EQ(Error(Tiff({With(TPage{Bilevel(8, 8, {}).fields, {}, {}}, Short(259, {4}))})),
              "TIFF file image data corrupted");
    // Predictors that are not read.
    EXPECT_EQ(Error(Tiff({With(With(Gray8(4, 4), Short(259, {5})), Short(317, {3}))})),
              "TIFF file has unknown or unsupported format");
    EXPECT_EQ(Error(Tiff({With(With(Bilevel(8, 1, {0}), Short(259, {5})), Short(317, {2}))})),
              "TIFF file has unknown or unsupported format");
}

TEST(ImagesTiff, HugeDeclaredSizesAllocateNothing) {
    TPage p = With(With(Gray8(2, 2), Long(256, {4000000})), Long(257, {4000000}));
    EXPECT_EQ(Error(Tiff({p})), "Image is too large");
    p = With(With(Bilevel(8, 1, {0}), Long(256, {1u << 20})), Long(257, {1u << 20}));
    EXPECT_EQ(Error(Tiff({p})), "Image is too large");
    // Many strips all pointing at the same large data.
    TPage s = Gray8(1000, 1000);
    s = With(s, Long(278, {1}));
    s = With(s, Long(273, std::vector<uint32_t>(1000, 8)));
    s = With(s, Long(279, std::vector<uint32_t>(1000, 1000)));
    EXPECT_EQ(Error(Tiff({s})), "");
}

// ---------------------------------------------------------------------------
// Tiles, Deflate and JPEG pages built by hand: what is refused, and JPEG
// strips that carry their own tables.

Bytes Deflate(const Bytes& in) {
    uLongf size = compressBound(static_cast<uLong>(in.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, in.data(), static_cast<uLong>(in.size())), Z_OK);
    out.resize(size);
    return out;
}

// A gray page of w x h in tiles of tw x tl, uncompressed, tiles all zero
// (and all the same data: at most 1024 bytes of it).
TPage TiledGray8(uint32_t w, uint32_t h, uint32_t tw, uint32_t tl) {
    const uint32_t tiles = ((w + tw - 1) / tw) * ((h + tl - 1) / tl);
    TPage p = Without(Without(Gray8(w, h), 273), 279);
    p.pixels.assign(std::min<std::size_t>(std::size_t{tw} * tl, 1024), 0);
    p.fields.push_back(Long(322, {tw}));
    p.fields.push_back(Long(323, {tl}));
    p.fields.push_back(Long(324, std::vector<uint32_t>(tiles, 8)));
    p.fields.push_back(Long(325, std::vector<uint32_t>(tiles, tw * tl)));
    return p;
}

TEST(ImagesTiff, TilesDeflateAndJpegRefusals) {
    TPage gray = Gray8(4, 4);
    const Bytes packed = Deflate(gray.pixels);
    struct TCase {
        const char* what;
        TPage page;
        const char* message;
    };
    const TCase cases[] = {
        {"deflate", TPage{With(gray, Short(259, {8})).fields, packed, {}}, ""},
        {"deflate 32946", TPage{With(gray, Short(259, {32946})).fields, packed, {}}, ""},
        {"deflate cut short", TPage{With(gray, Short(259, {8})).fields, Bytes(packed.begin(), packed.end() - 8), {}},
         "TIFF file image data corrupted"},
        {"deflate garbage", TPage{With(gray, Short(259, {8})).fields, Bytes(20, 0x55), {}},
         "TIFF file image data corrupted"},
        {"deflate predictor 3", With(TPage{With(gray, Short(259, {8})).fields, packed, {}}, Short(317, {3})),
         "TIFF file has unknown or unsupported format"},
        {"jpeg garbage", TPage{With(gray, Short(259, {7})).fields, Bytes(64, 0xFF), {}},
         "TIFF file image data corrupted"},
        {"tiles", TiledGray8(20, 20, 16, 16), ""},
        {"tile width missing", Without(TiledGray8(20, 20, 16, 16), 322), "Error in TIFF file TileWidth data"},
        {"tile length zero", With(TiledGray8(20, 20, 16, 16), Long(323, {0})), "Error in TIFF file TileLength data"},
        {"tile width rational", With(TiledGray8(20, 20, 16, 16), Rational(322, 16, 1)), "Error in TIFF file TileWidth data"},
        {"tile offsets rational", With(TiledGray8(20, 20, 16, 16), Rational(324, 8, 1)), "Error in TIFF file TileOffsets data"},
        {"too few tiles", With(TiledGray8(20, 20, 16, 16), Long(325, {256, 256, 256})), "TIFF file has errors in strip counts"},
        {"tile data short", With(TiledGray8(20, 20, 16, 16), Long(325, {256, 256, 256, 40})),
         "TIFF file image data corrupted"},
        {"tile rows not whole bytes", With(TiledGray8(20, 20, 3, 16), Short(258, {4})),
         "TIFF file has unknown or unsupported format"},
        // A tile far wider than the image is refused before anything is made for it.
        {"tile out of proportion", TiledGray8(2, 2, 1u << 25, 1), "Image is too large"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Error(Tiff({c.page})), c.message) << c.what;
    EXPECT_EQ(Colours(Decode(Tiff({TPage{With(gray, Short(259, {8})).fields, packed, {}}}))), Colours(Decode(Tiff({gray}))));
}

TEST(ImagesTiff, JpegStripsWithTheirOwnTables) {
    // Whole JPEG files as strips, no JPEGTables: each decodes as libjpeg
    // decodes the file by itself.
    TBMPImage picture;
    picture.SetSize(21, 10, 24);
    for (std::size_t i = 0; i < picture.Pixels().size(); ++i) picture.Pixels()[i] = static_cast<uint8_t>(i * 7 % 251);
    for (bool gray : {true, false}) {
        SCOPED_TRACE(gray);
        const Bytes jpeg = TJPEGImageExtra::Encode(picture, gray);
        TJPEGImageExtra reference;
        reference.LoadFromStream(jpeg);
        TBMPImage expected;
        reference.AssignTo(expected);
        TPage page{{Long(256, {21}), Long(257, {10}), Short(259, {7}), Short(262, {gray ? 1u : 6u}),
                    Short(258, gray ? std::vector<uint32_t>{8} : std::vector<uint32_t>{8, 8, 8}),
                    Short(277, {gray ? 1u : 3u})},
                   jpeg, {}};
        EXPECT_EQ(Colours(Decode(Tiff({page}))), Colours(expected));
        // A frame that is not the page's size is refused.
        EXPECT_EQ(Error(Tiff({With(page, Long(256, {22}))})), "TIFF file image data corrupted");
        EXPECT_EQ(Error(Tiff({With(page, Long(257, {9}))})), "TIFF file image data corrupted");
    }
}

// Twelve-bit grey is scaled to eight bits (v * 255 / 4095, rounded);
// sixteen-bit L*a*b* (a* and b* signed, 256 to a unit) shows as the
// eight-bit page of the same colours; in both byte orders.
TEST(ImagesTiff, TwelveBitGrayAndSixteenBitLab) {
    for (bool big : {false, true}) {
        // Rows of three 12-bit samples: 0, 4095, 2048 and 100, 4000, 1.
        const TPage gray12{{Long(256, {3}), Long(257, {2}), Short(258, {12}), Short(262, {1})},
                           {0x00, 0x0F, 0xFF, 0x80, 0x00, 0x06, 0x4F, 0xA0, 0x00, 0x10},
                           {}};
        EXPECT_EQ(Colours(Decode(Tiff({gray12}, big))),
                  (std::vector<uint32_t>{0, 0xFFFFFF, 0x808080, 0x060606, 0xF9F9F9, 0}));
        const Bytes lab8 = {255, 0, 0, 128, 100, 0, 60, 0x9C, 0x30, 20, 0x80, 0x7F};
        Bytes lab16;
        const TWriter w(big);
        for (std::size_t i = 0; i < lab8.size(); ++i)
            w.U16(lab16, i % 3 == 0 ? lab8[i] * 257u : static_cast<uint16_t>(static_cast<int8_t>(lab8[i]) * 256));
        auto page = [](unsigned bits, Bytes px) {
            return TPage{{Long(256, {2}), Long(257, {2}), Short(258, {bits, bits, bits}), Short(262, {8}), Short(277, {3})},
                         std::move(px), {}};
        };
        const auto eight = Colours(Decode(Tiff({page(8, lab8)}, big)));
        EXPECT_EQ(eight[0], 0xFFFFFFu);  // L* 100: white
        EXPECT_EQ(Colours(Decode(Tiff({page(16, lab16)}, big))), eight);
    }
}

// ---------------------------------------------------------------------------
// LZW by itself.

// A plain TIFF LZW encoder for the tests: a table of strings, no tricks.
// oldStyle: the variant written before TIFF 6.0, codes least significant
// bit first, widened one code later.
Bytes LzwEncode(const Bytes& in, bool clearWhenFull = true, bool oldStyle = false) {
    Bytes out;
    uint64_t acc = 0;
    int nbits = 0;
    auto put = [&](unsigned code, unsigned width) {
        if (oldStyle) {
            acc |= uint64_t{code} << nbits;
            nbits += static_cast<int>(width);
            for (; nbits >= 8; nbits -= 8, acc >>= 8) out.push_back(static_cast<uint8_t>(acc));
            return;
        }
        acc = (acc << width) | code;
        nbits += static_cast<int>(width);
        while (nbits >= 8) {
            out.push_back(static_cast<uint8_t>(acc >> (nbits - 8)));
            nbits -= 8;
        }
    };
    const unsigned late = oldStyle ? 1 : 0;
    std::map<std::pair<int, uint8_t>, unsigned> table;
    unsigned next = 258, width = 9;
    put(256, width);
    int w = -1;
    for (uint8_t c : in) {
        if (w < 0) {
            w = c;
            continue;
        }
        auto it = table.find({w, c});
        if (it != table.end()) {
            w = static_cast<int>(it->second);
            continue;
        }
        put(static_cast<unsigned>(w), width);
        table[{w, c}] = next++;
        if (next == (1u << width) + late && width < 12) ++width;
        if (next == 4094 && clearWhenFull) {
            put(256, width);
            table.clear();
            next = 258;
            width = 9;
        }
        w = c;
    }
    if (w >= 0) {
        put(static_cast<unsigned>(w), width);
        ++next;
        if (next == (1u << width) + late && width < 12) ++width;
    }
    put(257, width);
    if (nbits > 0) out.push_back(static_cast<uint8_t>(oldStyle ? acc : acc << (8 - nbits)));
    return out;
}

TEST(ImagesTiff, LzwRoundTrips) {
    std::mt19937 rng(7);
    for (std::size_t size : {0u, 1u, 2u, 5u, 300u, 5000u, 100000u}) {
        for (int kind = 0; kind < 3; ++kind) {
            Bytes in(size);
            for (std::size_t i = 0; i < size; ++i)
                in[i] = static_cast<uint8_t>(kind == 0 ? rng() : kind == 1 ? (i / 97) : (rng() % 3 == 0 ? rng() % 4 : 7));
            for (bool oldStyle : {false, true}) {
                const Bytes code = LzwEncode(in, true, oldStyle);
                Bytes out(size, 0xEE);
                const lzw::TResult r = oldStyle ? lzw::DecodeOldStyle(code, out) : lzw::Decode(code, out);
                EXPECT_TRUE(r.Valid);
                EXPECT_EQ(r.Written, size);
                EXPECT_EQ(out, in) << size << " " << kind << " " << oldStyle;
            }
        }
    }
    // Output shorter than the data: stops when full.
    Bytes in(1000, 'a');
    Bytes out(10);
    EXPECT_EQ(lzw::Decode(LzwEncode(in), out).Written, 10u);
    EXPECT_EQ(out, Bytes(10, 'a'));
    // Old-style data is recognised by its first two bytes.
    EXPECT_TRUE(lzw::IsOldStyle(Bytes{0x00, 0x01}));
    EXPECT_TRUE(lzw::IsOldStyle(LzwEncode(in, true, true)));
    EXPECT_FALSE(lzw::IsOldStyle(LzwEncode(in)));
    EXPECT_FALSE(lzw::Decode(LzwEncode(in, true, true), out).Valid);
}

TEST(ImagesTiff, HorizontalDifferencing) {
    Bytes rows{10, 1, 2, 255, 1, 0, 5, 5, 5, 5, 5, 5};
    ASSERT_TRUE(lzw::UndoHorizontalDifferencing(rows, 6, 1, 8, false));
    EXPECT_EQ(rows, (Bytes{10, 11, 13, 12, 13, 13, 5, 10, 15, 20, 25, 30}));
    Bytes rgb{1, 2, 3, 1, 1, 1, 255, 0, 0};
    ASSERT_TRUE(lzw::UndoHorizontalDifferencing(rgb, 9, 3, 8, false));
    EXPECT_EQ(rgb, (Bytes{1, 2, 3, 2, 3, 4, 1, 3, 4}));
    Bytes le{0xFF, 0x00, 0x02, 0x00, 0xFF, 0xFF};  // 255, +2, -1
    ASSERT_TRUE(lzw::UndoHorizontalDifferencing(le, 6, 1, 16, false));
    EXPECT_EQ(le, (Bytes{0xFF, 0x00, 0x01, 0x01, 0x00, 0x01}));
    Bytes be{0x00, 0xFF, 0x00, 0x02, 0xFF, 0xFF};
    ASSERT_TRUE(lzw::UndoHorizontalDifferencing(be, 6, 1, 16, true));
    EXPECT_EQ(be, (Bytes{0x00, 0xFF, 0x01, 0x01, 0x01, 0x00}));
    EXPECT_FALSE(lzw::UndoHorizontalDifferencing(rows, 6, 1, 4, false));
}

}  // namespace
}  // namespace vellumark
