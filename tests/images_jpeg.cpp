// TJPEGImageExtra: the header and its resolution rules (JFIF density, EXIF
// resolution), the data kept for pass-through, decoding checked against
// libjpeg's own djpeg and against Pillow, four-component images, encoding
// (one gray component, YCbCr colour, quality 90 tables, baseline, the same
// bytes as cjpeg with the same settings) and damaged data.
//
// Test images are made here: by our encoder, by libjpeg directly, by cjpeg,
// and two small files in tests/data/jpeg (see the README there). Comparisons
// with a program that is not installed are skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "TestUtil.h"
#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"
#include "decoders/JPEGImage.h"

using namespace vellumark;
using vellumark::test::CommandResult;
using vellumark::test::HasTool;
using vellumark::test::HavePillow;
using vellumark::test::RunCommand;
using vellumark::test::ShellQuote;
using vellumark::test::TempDir;
using Bytes = std::vector<uint8_t>;

namespace {

// ---------------------------------------------------------------------------
// Bitmaps and bytes

// A 24-bit test picture: smooth gradients with a few hard edges.
TBMPImage Picture(uint32_t w, uint32_t h) {
    TBMPImage b;
    b.SetSize(w, h, 24);
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = b.Row(y);
        for (uint32_t x = 0; x < w; ++x) {
            const bool box = x > w / 3 && x < w / 2 && y > h / 4 && y < h / 2;
            row[3 * x] = static_cast<uint8_t>(box ? 30 : (x * 255) / std::max(1u, w - 1));
            row[3 * x + 1] = static_cast<uint8_t>(box ? 200 : (y * 255) / std::max(1u, h - 1));
            row[3 * x + 2] = static_cast<uint8_t>(box ? 90 : ((x + y) * 127) / std::max(1u, w + h - 2) + 64);
        }
    }
    return b;
}

// A 24-bit picture of pseudo-random pixels (large entropy-coded data).
TBMPImage Noise(uint32_t w, uint32_t h, uint32_t seed) {
    TBMPImage b;
    b.SetSize(w, h, 24);
    std::mt19937 rng(seed);
    for (auto& p : b.Pixels()) p = static_cast<uint8_t>(rng());
    return b;
}

std::span<const uint8_t> Span(const Bytes& b) { return {b.data(), b.size()}; }
Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string ToString(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Position of marker FF xx in a JPEG file, or npos.
std::size_t FindMarker(const Bytes& jpeg, uint8_t marker) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
    return std::string::npos;
}

void Put16BE(Bytes& b, std::size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

// Rewrites the JFIF density of a file that starts with SOI and a JFIF APP0.
Bytes WithDensity(Bytes jpeg, uint8_t unit, uint16_t x, uint16_t y) {
    EXPECT_TRUE(jpeg.size() > 20 && jpeg[2] == 0xFF && jpeg[3] == 0xE0 && std::memcmp(&jpeg[6], "JFIF", 5) == 0);
    jpeg[13] = unit;
    Put16BE(jpeg, 14, x);
    Put16BE(jpeg, 16, y);
    return jpeg;
}

// Removes the JFIF APP0 segment.
Bytes WithoutJfif(Bytes jpeg) {
    const std::size_t len = (std::size_t{jpeg[4]} << 8) | jpeg[5];
    jpeg.erase(jpeg.begin() + 2, jpeg.begin() + 4 + static_cast<std::ptrdiff_t>(len));
    return jpeg;
}

// Inserts an APP1 segment with the payload after the JFIF APP0 segment.
Bytes WithApp1(Bytes jpeg, const Bytes& payload) {
    const std::size_t at = 4 + ((std::size_t{jpeg[4]} << 8) | jpeg[5]);
    Bytes seg{0xFF, 0xE1, 0, 0};
    Put16BE(seg, 2, static_cast<uint32_t>(payload.size() + 2));
    seg.insert(seg.end(), payload.begin(), payload.end());
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(at), seg.begin(), seg.end());
    return jpeg;
}

// ---------------------------------------------------------------------------
// EXIF blocks built byte by byte: "Exif\0\0", a TIFF header, IFD0 and the
// rational values after it.

struct ExifEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t num = 0;  // RATIONAL numerator, or the SHORT/LONG value
    uint32_t den = 1;
    bool raw = false;  // num is written as the value field as it stands (a RATIONAL's offset)
};

class ExifBuilder {
public:
    explicit ExifBuilder(bool bigEndian) : be_(bigEndian) {}
    ExifBuilder& Add(ExifEntry e) {
        entries_.push_back(e);
        return *this;
    }
    ExifBuilder& Rational(uint16_t tag, uint32_t num, uint32_t den) { return Add({tag, 5, 1, num, den}); }
    ExifBuilder& Unit(uint16_t unit) { return Add({296, 3, 1, unit, 0}); }

    Bytes Build() const {
        Bytes t;
        if (be_) {
            t = {'M', 'M', 0, 42};
        } else {
            t = {'I', 'I', 42, 0};
        }
        Put32(t, 8);
        Put16(t, static_cast<uint16_t>(entries_.size()));
        const uint32_t dataStart = 8 + 2 + 12 * static_cast<uint32_t>(entries_.size()) + 4;
        Bytes data;
        for (const auto& e : entries_) {
            Put16(t, e.tag);
            Put16(t, e.type);
            Put32(t, e.count);
            if (e.raw) {
                Put32(t, e.num);
            } else if (e.type == 5) {
                Put32(t, dataStart + static_cast<uint32_t>(data.size()));
                Put32(data, e.num);
                Put32(data, e.den);
            } else if (e.type == 3) {
                Put16(t, static_cast<uint16_t>(e.num));
                Put16(t, 0);
            } else {
                Put32(t, e.num);
            }
        }
        Put32(t, 0);  // no next IFD
        t.insert(t.end(), data.begin(), data.end());
        Bytes out(6 + t.size());
        std::memcpy(out.data(), "Exif\0\0", 6);
        std::copy(t.begin(), t.end(), out.begin() + 6);
        return out;
    }

private:
    void Put16(Bytes& b, uint16_t v) const {
        if (be_) {
            b.push_back(static_cast<uint8_t>(v >> 8));
            b.push_back(static_cast<uint8_t>(v));
        } else {
            b.push_back(static_cast<uint8_t>(v));
            b.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    void Put32(Bytes& b, uint32_t v) const {
        if (be_) {
            Put16(b, static_cast<uint16_t>(v >> 16));
            Put16(b, static_cast<uint16_t>(v));
        } else {
            Put16(b, static_cast<uint16_t>(v));
            Put16(b, static_cast<uint16_t>(v >> 16));
        }
    }
    bool be_;
    std::vector<ExifEntry> entries_;
};

// ---------------------------------------------------------------------------
// libjpeg used directly, to look into our output and to make files our
// encoder does not (CMYK, progressive, two components). The setjmp frames
// hold nothing with a destructor.

struct TestJpegErr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void TestErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TestJpegErr*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void QuietMessage(j_common_ptr, int) {}

struct JpegInfo {
    int width = 0, height = 0, components = 0;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    bool progressive = false, arithmetic = false, jfif = false, adobe = false;
    int densityUnit = -1, xDensity = 0, yDensity = 0;
    int hSamp[4] = {}, vSamp[4] = {}, quantNo[4] = {};
    bool hasQuant[4] = {};
    uint16_t quant[4][64] = {};  // natural order
};

bool ReadInfoStep(j_decompress_ptr cinfo, TestJpegErr* err, const Bytes* data, JpegInfo* info) {
    if (setjmp(err->jump) != 0) return false;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data->data(), static_cast<unsigned long>(data->size()));
    jpeg_read_header(cinfo, TRUE);
    info->width = static_cast<int>(cinfo->image_width);
    info->height = static_cast<int>(cinfo->image_height);
    info->components = cinfo->num_components;
    info->colorSpace = cinfo->jpeg_color_space;
    info->progressive = cinfo->progressive_mode;
    info->arithmetic = cinfo->arith_code;
    info->jfif = cinfo->saw_JFIF_marker;
    info->adobe = cinfo->saw_Adobe_marker;
    info->densityUnit = cinfo->density_unit;
    info->xDensity = cinfo->X_density;
    info->yDensity = cinfo->Y_density;
    for (int c = 0; c < cinfo->num_components && c < 4; ++c) {
        info->hSamp[c] = cinfo->comp_info[c].h_samp_factor;
        info->vSamp[c] = cinfo->comp_info[c].v_samp_factor;
        info->quantNo[c] = cinfo->comp_info[c].quant_tbl_no;
    }
    for (int q = 0; q < 4; ++q) {
        if (cinfo->quant_tbl_ptrs[q] == nullptr) continue;
        info->hasQuant[q] = true;
        for (int i = 0; i < 64; ++i) info->quant[q][i] = cinfo->quant_tbl_ptrs[q]->quantval[i];
    }
    jpeg_destroy_decompress(cinfo);
    return true;
}

JpegInfo ReadInfo(const Bytes& data) {
    TestJpegErr err{};
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = TestErrorExit;
    err.pub.emit_message = QuietMessage;
    JpegInfo info;
    if (!ReadInfoStep(&cinfo, &err, &data, &info)) {
        jpeg_destroy_decompress(&cinfo);
        ADD_FAILURE() << "libjpeg: " << err.message;
    }
    return info;
}

// Raw samples in, JPEG file out, with the colour spaces and options given.
struct RawEncode {
    int width = 0, height = 0, components = 0;
    J_COLOR_SPACE in = JCS_UNKNOWN, stored = JCS_UNKNOWN;
    bool adobeMarker = true;
    bool progressive = false;
    int quality = 95;
    const uint8_t* samples = nullptr;  // width * components per row
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
};

bool RawEncodeStep(j_compress_ptr cinfo, TestJpegErr* err, RawEncode* job) {
    if (setjmp(err->jump) != 0) return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &job->out, &job->outSize);
    cinfo->image_width = static_cast<JDIMENSION>(job->width);
    cinfo->image_height = static_cast<JDIMENSION>(job->height);
    cinfo->input_components = job->components;
    cinfo->in_color_space = job->in;
    jpeg_set_defaults(cinfo);
    jpeg_set_colorspace(cinfo, job->stored);
    jpeg_set_quality(cinfo, job->quality, TRUE);
    cinfo->write_Adobe_marker = job->adobeMarker ? TRUE : FALSE;
    if (job->progressive) jpeg_simple_progression(cinfo);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job->samples + std::size_t{cinfo->next_scanline} *
                                                               static_cast<std::size_t>(job->width * job->components));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

Bytes EncodeRaw(RawEncode job, const Bytes& samples) {
    job.samples = samples.data();
    TestJpegErr err{};
    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = TestErrorExit;
    err.pub.emit_message = QuietMessage;
    const bool ok = RawEncodeStep(&cinfo, &err, &job);
    jpeg_destroy_compress(&cinfo);
    Bytes out;
    if (ok) out.assign(job.out, job.out + job.outSize);
    std::free(job.out);
    if (!ok) ADD_FAILURE() << "libjpeg: " << err.message;
    return out;
}

// Decodes to the raw samples of the stored colour space (CMYK stays CMYK).
bool RawDecodeStep(j_decompress_ptr cinfo, TestJpegErr* err, const Bytes* data, Bytes* out) {
    if (setjmp(err->jump) != 0) return false;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data->data(), static_cast<unsigned long>(data->size()));
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->num_components == 4) cinfo->out_color_space = JCS_CMYK;
    jpeg_start_decompress(cinfo);
    const std::size_t stride = std::size_t{cinfo->output_width} * static_cast<std::size_t>(cinfo->output_components);
    out->resize(stride * cinfo->output_height);  // test-only: allocation failure is not expected here
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->data() + stride * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

Bytes DecodeRaw(const Bytes& data) {
    TestJpegErr err{};
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = TestErrorExit;
    err.pub.emit_message = QuietMessage;
    Bytes out;
    if (!RawDecodeStep(&cinfo, &err, &data, &out)) ADD_FAILURE() << "libjpeg: " << err.message;
    jpeg_destroy_decompress(&cinfo);
    return out;
}

// ---------------------------------------------------------------------------
// Outside programs


const char* kPython = "/usr/bin/python3";


struct Pnm {
    int width = 0, height = 0, channels = 0;
    Bytes pixels;
};

// Reads a binary PGM (P5) or PPM (P6) with maxval 255.
std::optional<Pnm> ParsePnm(const std::string& s) {
    if (s.size() < 2 || s[0] != 'P' || (s[1] != '5' && s[1] != '6')) return std::nullopt;
    Pnm p;
    p.channels = s[1] == '5' ? 1 : 3;
    std::size_t pos = 2;
    int values[3] = {};
    for (int& v : values) {
        while (pos < s.size() && (std::isspace(static_cast<unsigned char>(s[pos])) || s[pos] == '#')) {
            if (s[pos] == '#')
                while (pos < s.size() && s[pos] != '\n') ++pos;
            else
                ++pos;
        }
        std::size_t start = pos;
        while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
        if (start == pos) return std::nullopt;
        v = std::stoi(s.substr(start, pos - start));
    }
    ++pos;  // the one whitespace byte after maxval
    p.width = values[0];
    p.height = values[1];
    if (values[2] != 255) return std::nullopt;
    const std::size_t n = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) *
                          static_cast<std::size_t>(p.channels);
    if (s.size() < pos + n) return std::nullopt;
    p.pixels.assign(s.begin() + static_cast<std::ptrdiff_t>(pos), s.begin() + static_cast<std::ptrdiff_t>(pos + n));
    return p;
}

// The bitmap as a PPM (24-bit, red green blue) or, gray, as a PGM of
// (b + g + r) div 3.
std::string ToPnm(const TBMPImage& b, bool gray) {
    std::ostringstream s;
    s << (gray ? "P5\n" : "P6\n") << b.Width() << " " << b.Height() << "\n255\n";
    std::string out = s.str();
    for (uint32_t y = 0; y < b.Height(); ++y) {
        const uint8_t* row = b.Row(y);
        for (uint32_t x = 0; x < b.Width(); ++x) {
            const uint8_t* p = row + 3 * x;
            if (gray) {
                out.push_back(static_cast<char>((p[0] + p[1] + p[2]) / 3));
            } else {
                out.push_back(static_cast<char>(p[2]));
                out.push_back(static_cast<char>(p[1]));
                out.push_back(static_cast<char>(p[0]));
            }
        }
    }
    return out;
}

// Our decoded bitmap in the layout of a PNM: gray bytes, or red green blue.
Bytes AsPnmPixels(const TBMPImage& b) {
    Bytes out;
    for (uint32_t y = 0; y < b.Height(); ++y) {
        const uint8_t* row = b.Row(y);
        for (uint32_t x = 0; x < b.Width(); ++x) {
            if (b.BitsPerPixel() == 8) {
                out.push_back(row[x]);
            } else {
                out.push_back(row[3 * x + 2]);
                out.push_back(row[3 * x + 1]);
                out.push_back(row[3 * x]);
            }
        }
    }
    return out;
}

int MaxDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) return 1000;
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int{a[i]} - int{b[i]}));
    return worst;
}

double MeanDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size() || a.empty()) return 1000;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int{a[i]} - int{b[i]});
    return sum / static_cast<double>(a.size());
}

// Decodes with djpeg; nullopt when it fails.
std::optional<Pnm> Djpeg(const TempDir& dir, const Bytes& jpeg) {
    const auto in = dir / "djpeg-in.jpg";
    const auto out = dir / "djpeg-out.pnm";
    vellumark::test::WriteFile(in, ToString(jpeg));
    const CommandResult r = RunCommand("djpeg -pnm -outfile " + ShellQuote(out.string()) + " " + ShellQuote(in.string()));
    if (r.status != 0) {
        ADD_FAILURE() << "djpeg failed: " << r.output;
        return std::nullopt;
    }
    return ParsePnm(vellumark::test::ReadFile(out));
}

// Decodes with Pillow, converted to RGB (or kept as L for gray).
std::optional<Pnm> Pillow(const TempDir& dir, const Bytes& jpeg) {
    const auto in = dir / "pil-in.jpg";
    const auto out = dir / "pil-out.pnm";
    vellumark::test::WriteFile(in, ToString(jpeg));
    const std::string script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
        "im = im if im.mode == 'L' else im.convert('RGB')\nim.save(sys.argv[2], 'PPM')\n";
    const CommandResult r = RunCommand(std::string(kPython) + " -c " + ShellQuote(script) + " " +
                                       ShellQuote(in.string()) + " " + ShellQuote(out.string()));
    if (r.status != 0) {
        ADD_FAILURE() << "Pillow failed: " << r.output;
        return std::nullopt;
    }
    return ParsePnm(vellumark::test::ReadFile(out));
}

TBMPImage Decode(const Bytes& jpeg) {
    TJPEGImageExtra j;
    j.LoadFromStream(Span(jpeg));
    TBMPImage b;
    j.AssignTo(b);
    return b;
}

TJPEGImageExtra Load(const Bytes& jpeg) {
    TJPEGImageExtra j;
    j.LoadFromStream(Span(jpeg));
    return j;
}

Bytes EncodePicture(uint32_t w = 40, uint32_t h = 30) { return TJPEGImageExtra::Encode(Picture(w, h), false); }

std::filesystem::path DataDir() { return std::filesystem::path(TEST_DATA_DIR) / "jpeg"; }

Bytes ReadData(const std::string& name) { return ToBytes(vellumark::test::ReadFile(DataDir() / name)); }

// The IJG tables of the JPEG standard's Annex K, natural order.
constexpr uint16_t kStdLuminance[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,  14, 13, 16, 24, 40,  57,
    69, 56, 14, 17, 22,  29,  51,  87,  80, 62, 18, 22, 37,  56,  68,  109, 103, 77, 24, 35, 55, 64,
    81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr uint16_t kStdChrominance[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// libjpeg's quality scaling: below 50 5000 / q percent, else 200 - 2q.
uint16_t Scaled(uint16_t base, int quality) {
    const long scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    long v = (base * scale + 50) / 100;
    return static_cast<uint16_t>(std::clamp(v, 1L, 255L));
}

// Natural-order index of the table libjpeg stores in natural order already
// (quantval is kept in natural order by jpeg_add_quant_table and by the
// decoder alike).
void ExpectQuality90(const JpegInfo& info, int table, const uint16_t (&base)[64]) {
    ASSERT_TRUE(info.hasQuant[table]);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(info.quant[table][i], Scaled(base[i], 90)) << "table " << table << " entry " << i;
}

}  // namespace

// ===========================================================================
// Header, resolution, pass-through data

TEST(JpegHeader, SizeComponentsAndDataOfAColourFile) {
    const Bytes jpeg = EncodePicture(41, 17);
    TJPEGImageExtra j;
    j.LoadFromStream(Span(jpeg));
    EXPECT_EQ(j.Width(), 41u);
    EXPECT_EQ(j.Height(), 17u);
    EXPECT_FALSE(j.Grayscale());
    EXPECT_EQ(j.Components(), 3);
    EXPECT_FALSE(j.AdobeInverted());
    EXPECT_EQ(j.Data(), jpeg);
    EXPECT_EQ(j.XResolution(), 0u);  // libjpeg's default density: unit 0
    EXPECT_EQ(j.YResolution(), 0u);
}

TEST(JpegHeader, GrayFileIsGrayscale) {
    const Bytes jpeg = TJPEGImageExtra::Encode(Picture(8, 9), true);
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_TRUE(j.Grayscale());
    EXPECT_EQ(j.Components(), 1);
    EXPECT_EQ(j.Width(), 8u);
    EXPECT_EQ(j.Height(), 9u);
}

TEST(JpegHeader, DataIsTheWholeStreamIncludingTrailingBytes) {
    Bytes jpeg = EncodePicture();
    jpeg.insert(jpeg.end(), {'t', 'a', 'i', 'l'});
    EXPECT_EQ(Load(jpeg).Data(), jpeg);
}

TEST(JpegHeader, JfifUnitZeroGivesZero) {
    const TJPEGImageExtra j = Load(WithDensity(EncodePicture(), 0, 300, 300));
    EXPECT_EQ(j.XResolution(), 0u);
    EXPECT_EQ(j.YResolution(), 0u);
}

TEST(JpegHeader, JfifUnitOneIsDotsPerInch) {
    const TJPEGImageExtra j = Load(WithDensity(EncodePicture(), 1, 300, 150));
    EXPECT_EQ(j.XResolution(), 300u);
    EXPECT_EQ(j.YResolution(), 150u);
}

TEST(JpegHeader, JfifUnitTwoIsDotsPerCentimetreRounded) {
    // 118 * 2.54 = 299.72, 40 * 2.54 = 101.6, 25 * 2.54 = 63.5 (half up).
    TJPEGImageExtra j = Load(WithDensity(EncodePicture(), 2, 118, 40));
    EXPECT_EQ(j.XResolution(), 300u);
    EXPECT_EQ(j.YResolution(), 102u);
    j = Load(WithDensity(EncodePicture(), 2, 25, 1));
    EXPECT_EQ(j.XResolution(), 64u);
    EXPECT_EQ(j.YResolution(), 3u);  // 2.54: not 1, so no EXIF is consulted
}

TEST(JpegHeader, OtherJfifUnitsAndNoJfifGiveZero) {
    TJPEGImageExtra j = Load(WithDensity(EncodePicture(), 3, 300, 300));
    EXPECT_EQ(j.XResolution(), 0u);
    j = Load(WithoutJfif(WithDensity(EncodePicture(), 1, 300, 300)));
    EXPECT_EQ(j.XResolution(), 0u);
    EXPECT_EQ(j.YResolution(), 0u);
}

TEST(JpegHeader, JfifOneWithoutExifStaysOne) {
    const TJPEGImageExtra j = Load(WithDensity(EncodePicture(), 1, 1, 1));
    EXPECT_EQ(j.XResolution(), 1u);
    EXPECT_EQ(j.YResolution(), 1u);
}

TEST(JpegHeader, ExifReplacesJfifOneLittleEndian) {
    const Bytes exif = ExifBuilder(false).Rational(282, 300, 1).Rational(283, 600, 2).Unit(2).Build();
    const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 1, 1), exif));
    EXPECT_EQ(j.XResolution(), 300u);
    EXPECT_EQ(j.YResolution(), 300u);
}

TEST(JpegHeader, ExifReplacesJfifOneBigEndianCentimetres) {
    // 118 dots per cm = 299.72 dpi; 1181/10 = 118.1 per cm = 299.974 dpi.
    const Bytes exif = ExifBuilder(true).Rational(282, 118, 1).Rational(283, 1181, 10).Unit(3).Build();
    const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 1, 1), exif));
    EXPECT_EQ(j.XResolution(), 300u);
    EXPECT_EQ(j.YResolution(), 300u);
}

TEST(JpegHeader, ExifValuesAreRoundedHalfUp) {
    const Bytes exif = ExifBuilder(false).Rational(282, 725, 10).Rational(283, 7249, 100).Build();  // no unit: inch
    const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 1, 1), exif));
    EXPECT_EQ(j.XResolution(), 73u);
    EXPECT_EQ(j.YResolution(), 72u);
}

TEST(JpegHeader, ExifOnlyForTheDirectionThatIsOne) {
    const Bytes exif = ExifBuilder(false).Rational(282, 300, 1).Rational(283, 300, 1).Build();
    const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 96, 1), exif));
    EXPECT_EQ(j.XResolution(), 96u);
    EXPECT_EQ(j.YResolution(), 300u);
}

TEST(JpegHeader, ExifIgnoredUnlessAValueIsOne) {
    // Even a broken EXIF block is not read then.
    const Bytes broken{'E', 'x', 'i', 'f', 0, 0, 'X', 'X'};
    TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 200, 100), broken));
    EXPECT_EQ(j.XResolution(), 200u);
    EXPECT_EQ(j.YResolution(), 100u);
    j = Load(WithApp1(WithDensity(EncodePicture(), 0, 1, 1), ExifBuilder(false).Rational(282, 300, 1).Build()));
    EXPECT_EQ(j.XResolution(), 0u);
}

TEST(JpegHeader, ExifTagAbsentLeavesTheValue) {
    const Bytes exif = ExifBuilder(true).Rational(283, 144, 1).Add({271, 2, 4, 0x41424300}).Build();
    const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 1, 1), exif));
    EXPECT_EQ(j.XResolution(), 1u);
    EXPECT_EQ(j.YResolution(), 144u);
}

TEST(JpegHeader, ExifUnitAsLongIsAccepted) {
    const Bytes exif = ExifBuilder(false).Rational(282, 100, 1).Rational(283, 100, 1).Add({296, 4, 1, 3}).Build();
    const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 1, 1), exif));
    EXPECT_EQ(j.XResolution(), 254u);
    EXPECT_EQ(j.YResolution(), 254u);
}

TEST(JpegHeader, NonExifApp1IsSkipped) {
    Bytes xmp = ToBytes(std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x/>");
    const Bytes exif = ExifBuilder(false).Rational(282, 300, 1).Rational(283, 300, 1).Build();
    const TJPEGImageExtra j = Load(WithApp1(WithApp1(WithDensity(EncodePicture(), 1, 1, 1), exif), xmp));
    EXPECT_EQ(j.XResolution(), 300u);
    EXPECT_EQ(j.YResolution(), 300u);
}

TEST(JpegHeader, BrokenExifGivesZeroInBothDirections) {
    const Bytes good = ExifBuilder(false).Rational(282, 300, 1).Rational(283, 300, 1).Unit(2).Build();
    std::vector<std::pair<std::string, Bytes>> cases;
    {
        Bytes b = good;
        b[6] = 'X';  // byte order mark
        cases.emplace_back("byte order", b);
    }
    {
        Bytes b = good;
        b[8] = 43;  // magic
        cases.emplace_back("magic", b);
    }
    {
        Bytes b = good;
        b[10] = 0xF0;  // IFD0 offset far beyond the block
        cases.emplace_back("IFD offset", b);
    }
    {
        Bytes b = good;
        b[14] = 9;  // entry count beyond the block
        cases.emplace_back("entry count", b);
    }
    {
        Bytes b(good.begin(), good.begin() + 6 + 8 + 2 + 12);  // the table cut after one entry
        cases.emplace_back("truncated table", b);
    }
    {
        Bytes b(good.begin(), good.end() - 10);  // the second rational cut
        cases.emplace_back("truncated value", b);
    }
    cases.emplace_back("zero denominator", ExifBuilder(false).Rational(282, 300, 0).Build());
    cases.emplace_back("SHORT XResolution", ExifBuilder(true).Add({282, 3, 1, 300}).Build());
    cases.emplace_back("ASCII unit", ExifBuilder(true).Rational(282, 300, 1).Add({296, 2, 1, 0}).Build());
    cases.emplace_back("rational offset", ExifBuilder(false).Add({282, 5, 1, 0xFFF0, 1, true}).Build());
    cases.emplace_back("rational cut", ExifBuilder(true).Add({282, 5, 1, 26, 1, true}).Build());
    cases.emplace_back("too large", ExifBuilder(false).Rational(282, 0xFFFFFFFF, 1).Unit(3).Build());
    cases.emplace_back("only the header", Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42});
    for (const auto& [name, exif] : cases) {
        const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 1, 1), exif));
        EXPECT_EQ(j.XResolution(), 0u) << name;
        EXPECT_EQ(j.YResolution(), 0u) << name;
    }
    // One direction from EXIF, the other from JFIF.
    const Bytes exif = ExifBuilder(false).Rational(282, 300, 1).Build();
    const TJPEGImageExtra j = Load(WithApp1(WithDensity(EncodePicture(), 1, 1, 96), exif));
    EXPECT_EQ(j.XResolution(), 300u);
    EXPECT_EQ(j.YResolution(), 96u);
}

TEST(JpegHeader, ExifWrittenByPillow) {
    // Committed sample, see tests/data/jpeg/README.md: JFIF 1 x 1 dpi and an
    // EXIF block of Pillow's own layout with 118 x 59 dots per centimetre.
    const Bytes jpeg = ReadData("exif_cm.jpg");
    ASSERT_FALSE(jpeg.empty());
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_EQ(j.Width(), 24u);
    EXPECT_EQ(j.Height(), 16u);
    EXPECT_EQ(j.XResolution(), 300u);  // 299.72
    EXPECT_EQ(j.YResolution(), 150u);  // 149.86
}

TEST(JpegHeader, ResolutionReachesTheBitmap) {
    const TJPEGImageExtra j = Load(WithDensity(EncodePicture(), 1, 300, 72));
    TBMPImage b;
    j.AssignTo(b);
    EXPECT_EQ(b.XPelsPerMeter, 11811u);
    EXPECT_EQ(b.YPelsPerMeter, 2835u);
}

// ===========================================================================
// Decoding

TEST(JpegDecode, ColourGives24BitsGrayGives8BitsWithIdentityPalette) {
    const TBMPImage colour = Decode(EncodePicture(13, 7));
    EXPECT_EQ(colour.BitsPerPixel(), 24);
    EXPECT_EQ(colour.Width(), 13u);
    EXPECT_EQ(colour.Height(), 7u);

    const TBMPImage gray = Decode(TJPEGImageExtra::Encode(Picture(13, 7), true));
    EXPECT_EQ(gray.BitsPerPixel(), 8);
    ASSERT_EQ(gray.Palette().size(), 256u);
    for (unsigned i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        EXPECT_EQ(gray.Palette()[i], (TPaletteEntry{v, v, v}));
    }
}

TEST(JpegDecode, RowsAreBlueGreenRedFromTheTop) {
    // Top half pure red, bottom half pure blue, 16 x 16 (whole blocks).
    TBMPImage b;
    b.SetSize(16, 16, 24);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            uint8_t* p = b.Row(y) + 3 * x;
            p[0] = y < 8 ? 0 : 255;
            p[2] = y < 8 ? 255 : 0;
        }
    const TBMPImage d = Decode(TJPEGImageExtra::Encode(b, false, 100));
    const uint8_t* top = d.Row(2) + 3 * 5;
    const uint8_t* bottom = d.Row(13) + 3 * 5;
    EXPECT_GT(top[2], 230);
    EXPECT_LT(top[0], 25);
    EXPECT_GT(bottom[0], 230);
    EXPECT_LT(bottom[2], 25);
}

TEST(JpegDecode, FailureLeavesTheBitmapAlone) {
    Bytes jpeg = TJPEGImageExtra::Encode(Noise(32, 32, 1), false);
    // The scan asks for Huffman tables 3, which the file does not define: an
    // error libjpeg meets when decoding starts, after the header was read.
    const std::size_t sos = FindMarker(jpeg, 0xDA);
    ASSERT_NE(sos, std::string::npos);
    jpeg[sos + 6] = 0x33;
    TBMPImage b;
    b.SetSize(3, 3, 8);
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_THROW(j.AssignTo(b), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 3u);
    EXPECT_EQ(b.BitsPerPixel(), 8);
}

TEST(JpegDecode, EmptyObjectRefusesToDecode) {
    TJPEGImageExtra j;
    TBMPImage b;
    EXPECT_THROW(j.AssignTo(b), EInvalidGraphic);
}

// cjpeg makes the files, djpeg is the reference decoder: both use the same
// libjpeg with its default decoding settings (islow IDCT, fancy upsampling),
// so the pixels must be identical.
TEST(JpegDecode, SameAsDjpegOnCjpegFiles) {
    if (!HasTool("cjpeg") || !HasTool("djpeg")) GTEST_SKIP() << "cjpeg/djpeg not installed (libjpeg-turbo-progs)";
    TempDir dir;
    const TBMPImage picture = Picture(61, 45);  // not a multiple of the MCU size
    vellumark::test::WriteFile(dir / "in.ppm", ToPnm(picture, false));
    vellumark::test::WriteFile(dir / "in.pgm", ToPnm(picture, true));
    const std::vector<std::pair<std::string, std::string>> variants = {
        {"-quality 75", "in.ppm"},
        {"-quality 90 -sample 1x1", "in.ppm"},
        {"-quality 85 -sample 2x1", "in.ppm"},
        {"-quality 80 -progressive", "in.ppm"},
        {"-quality 95 -optimize -restart 1", "in.ppm"},
        {"-quality 70 -arithmetic", "in.ppm"},
        {"-quality 70 -rgb", "in.ppm"},
        {"-quality 80 -grayscale", "in.ppm"},
        {"-quality 60 -progressive", "in.pgm"},
    };
    for (const auto& [options, input] : variants) {
        SCOPED_TRACE(options + " " + input);
        const auto out = dir / "out.jpg";
        const CommandResult r = RunCommand("cjpeg " + options + " -outfile " + ShellQuote(out.string()) + " " +
                                           ShellQuote((dir / input).string()));
        ASSERT_EQ(r.status, 0) << r.output;
        const Bytes jpeg = ToBytes(vellumark::test::ReadFile(out));
        const TJPEGImageExtra j = Load(jpeg);
        TBMPImage ours;
        j.AssignTo(ours);
        const auto reference = Djpeg(dir, jpeg);
        ASSERT_TRUE(reference.has_value());
        EXPECT_EQ(j.Grayscale(), reference->channels == 1);
        EXPECT_EQ(ours.BitsPerPixel(), reference->channels == 1 ? 8 : 24);
        EXPECT_EQ(static_cast<int>(ours.Width()), reference->width);
        EXPECT_EQ(static_cast<int>(ours.Height()), reference->height);
        EXPECT_TRUE(AsPnmPixels(ours) == reference->pixels) << "max difference "
                                                            << MaxDifference(AsPnmPixels(ours), reference->pixels);
    }
}

TEST(JpegDecode, SameAsPillowOnOurFiles) {
    if (!HavePillow()) GTEST_SKIP() << "Pillow not installed (python3-pil)";
    TempDir dir;
    for (const bool gray : {false, true}) {
        SCOPED_TRACE(gray ? "gray" : "colour");
        const Bytes jpeg = TJPEGImageExtra::Encode(Picture(37, 29), gray);
        const auto reference = Pillow(dir, jpeg);
        ASSERT_TRUE(reference.has_value());
        const TBMPImage ours = Decode(jpeg);
        // Pillow links the same libjpeg and decodes with its defaults.
        EXPECT_LE(MaxDifference(AsPnmPixels(ours), reference->pixels), 0);
    }
}

// ===========================================================================
// Four components

namespace {

// CMYK ink values (0 = none) for a 48 x 16 test picture: 8-pixel bands of
// cyan, magenta, yellow, a mixture, black, and a gradient.
constexpr int kInkW = 48, kInkH = 16;
constexpr uint8_t kBandInk[5][4] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {128, 64, 32, 100}, {0, 0, 0, 255}};
// The same bands as red, green, blue: light(c) * light(k) / 255.
constexpr uint8_t kBandRgb[5][3] = {{0, 255, 255}, {255, 0, 255}, {255, 255, 0}, {77, 116, 136}, {0, 0, 0}};

Bytes InkPicture() {
    Bytes ink(static_cast<std::size_t>(kInkW * kInkH * 4));
    for (int y = 0; y < kInkH; ++y)
        for (int x = 0; x < kInkW; ++x) {
            uint8_t* p = &ink[static_cast<std::size_t>((y * kInkW + x) * 4)];
            const int band = x / 8;
            if (band < 5) {
                std::copy(kBandInk[band], kBandInk[band] + 4, p);
            } else {
                p[0] = static_cast<uint8_t>(y * 17);
                p[1] = static_cast<uint8_t>(x * 5);
                p[2] = static_cast<uint8_t>(255 - y * 17);
                p[3] = static_cast<uint8_t>(x);
            }
        }
    return ink;
}

Bytes Inverted(Bytes b) {
    for (auto& v : b) v = static_cast<uint8_t>(255 - v);
    return b;
}

Bytes EncodeInk(J_COLOR_SPACE stored, bool adobe) {
    RawEncode job;
    job.width = kInkW;
    job.height = kInkH;
    job.components = 4;
    job.in = JCS_CMYK;
    job.stored = stored;
    job.adobeMarker = adobe;
    // With the Adobe marker the samples are stored inverted, as Adobe's
    // writers (and Pillow) do.
    return EncodeRaw(job, adobe ? Inverted(InkPicture()) : InkPicture());
}

// The expected RGB of decoded four-component samples, independently of the
// decoder under test: light = 255 - ink per component (the stored sample
// itself when inverted), R = light(C) * light(K) / 255 rounded.
Bytes CmykSamplesToRgb(const Bytes& samples, bool inverted) {
    Bytes rgb;
    for (std::size_t i = 0; i + 3 < samples.size(); i += 4) {
        auto light = [&](std::size_t c) { return inverted ? int{samples[i + c]} : 255 - samples[i + c]; };
        const int k = light(3);
        for (std::size_t c = 0; c < 3; ++c)
            rgb.push_back(static_cast<uint8_t>(std::lround(light(c) * k / 255.0)));
    }
    return rgb;
}

// The middle pixel of each flat band is close to its colour (JPEG is lossy
// and chroma is subsampled at the band edges).
void ExpectBandColours(const TBMPImage& b) {
    for (int band = 0; band < 5; ++band) {
        const uint8_t* p = b.Row(8) + 3 * (band * 8 + 4);
        EXPECT_NEAR(p[2], kBandRgb[band][0], 8) << "band " << band;
        EXPECT_NEAR(p[1], kBandRgb[band][1], 8) << "band " << band;
        EXPECT_NEAR(p[0], kBandRgb[band][2], 8) << "band " << band;
    }
}

}  // namespace

TEST(JpegCmyk, AdobeInvertedCmykDecodesToRgb) {
    const Bytes jpeg = EncodeInk(JCS_CMYK, true);
    ASSERT_FALSE(jpeg.empty());
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_EQ(j.Components(), 4);
    EXPECT_TRUE(j.AdobeInverted());
    EXPECT_FALSE(j.Grayscale());
    TBMPImage b;
    j.AssignTo(b);
    EXPECT_EQ(b.BitsPerPixel(), 24);
    EXPECT_EQ(AsPnmPixels(b), CmykSamplesToRgb(DecodeRaw(jpeg), true));
    ExpectBandColours(b);
}

TEST(JpegCmyk, CmykWithoutAdobeMarkerIsNotInverted) {
    const Bytes jpeg = EncodeInk(JCS_CMYK, false);
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_EQ(j.Components(), 4);
    EXPECT_FALSE(j.AdobeInverted());
    const TBMPImage b = Decode(jpeg);
    EXPECT_EQ(AsPnmPixels(b), CmykSamplesToRgb(DecodeRaw(jpeg), false));
    ExpectBandColours(b);
}

TEST(JpegCmyk, YcckDecodesLikeCmyk) {
    const Bytes jpeg = EncodeInk(JCS_YCCK, true);  // Adobe marker with transform 2
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_EQ(j.Components(), 4);
    EXPECT_TRUE(j.AdobeInverted());
    const TBMPImage b = Decode(jpeg);
    EXPECT_EQ(AsPnmPixels(b), CmykSamplesToRgb(DecodeRaw(jpeg), true));
    ExpectBandColours(b);
}

TEST(JpegCmyk, AdobeCmykWrittenByPillow) {
    // Committed sample, see tests/data/jpeg/README.md: Pillow stores CMYK
    // inverted with an Adobe marker. Its left half is cyan ink only, its
    // right half magenta and 50 % black.
    const Bytes jpeg = ReadData("cmyk_adobe.jpg");
    ASSERT_FALSE(jpeg.empty());
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_EQ(j.Components(), 4);
    EXPECT_TRUE(j.AdobeInverted());
    const TBMPImage b = Decode(jpeg);
    EXPECT_EQ(AsPnmPixels(b), CmykSamplesToRgb(DecodeRaw(jpeg), true));
    const uint8_t* left = b.Row(8) + 3 * 4;    // cyan: R 0, G 255, B 255
    const uint8_t* right = b.Row(8) + 3 * 20;  // magenta + 50 % K: R ~127, G 0, B ~127
    EXPECT_LE(left[2], 6);
    EXPECT_GE(left[1], 249);
    EXPECT_GE(left[0], 249);
    EXPECT_NEAR(right[2], 127, 6);
    EXPECT_LE(right[1], 6);
    EXPECT_NEAR(right[0], 127, 6);
    if (HavePillow()) {
        TempDir dir;
        const auto reference = Pillow(dir, jpeg);
        ASSERT_TRUE(reference.has_value());
        EXPECT_LE(MaxDifference(AsPnmPixels(b), reference->pixels), 1);
    }
}

// Pillow takes every CMYK JPEG as inverted, so only the Adobe files compare.
TEST(JpegCmyk, SameAsPillowOnAdobeCmyk) {
    if (!HavePillow()) GTEST_SKIP() << "Pillow not installed (python3-pil)";
    TempDir dir;
    for (const J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        SCOPED_TRACE(stored == JCS_CMYK ? "CMYK" : "YCCK");
        const Bytes jpeg = EncodeInk(stored, true);
        const auto reference = Pillow(dir, jpeg);
        ASSERT_TRUE(reference.has_value());
        EXPECT_LE(MaxDifference(AsPnmPixels(Decode(jpeg)), reference->pixels), 1);
    }
}

// ===========================================================================
// Encoding

TEST(JpegEncode, ColourIsBaselineYCbCrAtQuality90) {
    const Bytes jpeg = EncodePicture(40, 30);
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
    EXPECT_NE(FindMarker(jpeg, 0xC0), std::string::npos);  // SOF0, baseline
    EXPECT_EQ(FindMarker(jpeg, 0xC2), std::string::npos);
    EXPECT_EQ(FindMarker(jpeg, 0xC1), std::string::npos);
    const JpegInfo info = ReadInfo(jpeg);
    EXPECT_EQ(info.width, 40);
    EXPECT_EQ(info.height, 30);
    EXPECT_EQ(info.components, 3);
    EXPECT_EQ(info.colorSpace, JCS_YCbCr);
    EXPECT_FALSE(info.progressive);
    EXPECT_FALSE(info.arithmetic);
    EXPECT_FALSE(info.adobe);
    // jpeg_set_defaults: JFIF with unit 0 and 1 x 1, 2 x 2 luminance sampling.
    EXPECT_TRUE(info.jfif);
    EXPECT_EQ(info.densityUnit, 0);
    EXPECT_EQ(info.xDensity, 1);
    EXPECT_EQ(info.yDensity, 1);
    EXPECT_EQ(info.hSamp[0], 2);
    EXPECT_EQ(info.vSamp[0], 2);
    EXPECT_EQ(info.hSamp[1], 1);
    EXPECT_EQ(info.quantNo[0], 0);
    EXPECT_EQ(info.quantNo[1], 1);
    EXPECT_EQ(info.quantNo[2], 1);
    ExpectQuality90(info, 0, kStdLuminance);
    ExpectQuality90(info, 1, kStdChrominance);
}

TEST(JpegEncode, GrayIsOneComponentAtQuality90) {
    const Bytes jpeg = TJPEGImageExtra::Encode(Picture(40, 30), true);
    EXPECT_NE(FindMarker(jpeg, 0xC0), std::string::npos);
    const JpegInfo info = ReadInfo(jpeg);
    EXPECT_EQ(info.components, 1);
    EXPECT_EQ(info.colorSpace, JCS_GRAYSCALE);
    EXPECT_EQ(info.hSamp[0], 1);
    EXPECT_EQ(info.densityUnit, 0);
    ExpectQuality90(info, 0, kStdLuminance);
}

TEST(JpegEncode, QualityIsPassedOn) {
    const JpegInfo info = ReadInfo(TJPEGImageExtra::Encode(Picture(16, 16), false, 50));
    EXPECT_EQ(info.quant[0][0], 16);  // quality 50: the tables as they stand
    EXPECT_EQ(info.quant[1][0], 17);
    const JpegInfo low = ReadInfo(TJPEGImageExtra::Encode(Picture(16, 16), false, 5));
    EXPECT_EQ(low.quant[0][63], 255);  // force baseline: at most 255
}

TEST(JpegEncode, GrayPixelsAreTheAverageOfBlueGreenRed) {
    // Flat 16 x 16 colours: blue 30, green 60, red 240 -> (30 + 60 + 240) / 3 = 110.
    TBMPImage b;
    b.SetSize(16, 16, 24);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            uint8_t* p = b.Row(y) + 3 * x;
            p[0] = 30;
            p[1] = 60;
            p[2] = 240;
        }
    const TBMPImage d = Decode(TJPEGImageExtra::Encode(b, true));
    ASSERT_EQ(d.BitsPerPixel(), 8);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) EXPECT_EQ(d.Row(y)[x], 110) << x << "," << y;
}

TEST(JpegEncode, RoundTripStaysClose) {
    for (const bool gray : {false, true}) {
        SCOPED_TRACE(gray ? "gray" : "colour");
        const TBMPImage picture = Picture(64, 48);
        const TBMPImage d = Decode(TJPEGImageExtra::Encode(picture, gray));
        const std::string expected = ToPnm(picture, gray);
        const Bytes expectedPixels(expected.end() - static_cast<std::ptrdiff_t>(64 * 48 * (gray ? 1 : 3)),
                                   expected.end());
        EXPECT_LT(MeanDifference(AsPnmPixels(d), expectedPixels), 3.0);
    }
}

// cjpeg with the same settings (quality 90, float DCT, baseline, its
// defaults otherwise) must write the very same bytes.
TEST(JpegEncode, SameBytesAsCjpeg) {
    if (!HasTool("cjpeg")) GTEST_SKIP() << "cjpeg not installed (libjpeg-turbo-progs)";
    TempDir dir;
    const TBMPImage picture = Picture(53, 35);
    for (const bool gray : {false, true}) {
        SCOPED_TRACE(gray ? "gray" : "colour");
        const auto in = dir / (gray ? "in.pgm" : "in.ppm");
        const auto out = dir / "out.jpg";
        vellumark::test::WriteFile(in, ToPnm(picture, gray));
        const CommandResult r = RunCommand("cjpeg -quality 90 -dct float -baseline -outfile " +
                                           ShellQuote(out.string()) + " " + ShellQuote(in.string()));
        ASSERT_EQ(r.status, 0) << r.output;
        const Bytes reference = ToBytes(vellumark::test::ReadFile(out));
        EXPECT_TRUE(TJPEGImageExtra::Encode(picture, gray) == reference);
    }
}

TEST(JpegEncode, AnyPixelFormatEncodesAsItsTwentyFourBitForm) {
    std::mt19937 rng(7);
    for (const uint8_t bpp : {1, 4, 8, 32}) {
        SCOPED_TRACE(static_cast<int>(bpp));
        TBMPImage b;
        b.SetSize(21, 11, bpp);
        for (auto& p : b.Pixels()) p = static_cast<uint8_t>(rng());
        if (bpp <= 8) {
            // A palette one entry short: the missing entry reads as black.
            const std::size_t n = (std::size_t{1} << bpp) - 1;
            for (std::size_t i = 0; i < n; ++i)
                b.Palette().push_back(TPaletteEntry{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                                                    static_cast<uint8_t>(rng())});
        }
        TBMPImage as24 = b;
        as24.ConvertTo24Bit();
        ASSERT_EQ(as24.BitsPerPixel(), 24);
        for (const bool gray : {false, true})
            EXPECT_TRUE(TJPEGImageExtra::Encode(b, gray) == TJPEGImageExtra::Encode(as24, gray)) << gray;
    }
}

TEST(JpegEncode, EmptyBitmapIsAnError) {
    TBMPImage empty;
    EXPECT_THROW(TJPEGImageExtra::Encode(empty, false), EInvalidGraphic);
    EXPECT_THROW(TJPEGImageExtra::Encode(empty, true), EInvalidGraphic);
}

TEST(JpegEncode, TooWideForJpegIsAnError) {
    TBMPImage wide;
    wide.SetSize(70000, 1, 8);
    try {
        TJPEGImageExtra::Encode(wide, true);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("65500"), std::string::npos) << e.what();
    }
}

// ===========================================================================
// Damaged data

TEST(JpegDamaged, NotAJpegCarriesLibjpegsMessage) {
    TJPEGImageExtra j;
    try {
        j.LoadFromStream(Span(ToBytes("BM not a jpeg")));
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()), "Not a JPEG file: starts with 0x42 0x4d");
    }
    EXPECT_THROW(j.LoadFromStream({}), EInvalidGraphic);
    EXPECT_THROW(j.LoadFromStream(Span(Bytes{0xFF, 0xD8})), EInvalidGraphic);
    EXPECT_THROW(j.LoadFromStream(Span(Bytes{0xFF, 0xD8, 0xFF, 0xD9})), EInvalidGraphic);
}

TEST(JpegDamaged, FailedLoadLeavesTheObjectEmpty) {
    TJPEGImageExtra j;
    j.LoadFromStream(Span(EncodePicture()));
    EXPECT_THROW(j.LoadFromStream(Span(ToBytes("\xFF\xD8garbage"))), EInvalidGraphic);
    EXPECT_EQ(j.Width(), 0u);
    EXPECT_EQ(j.Components(), 0);
    EXPECT_TRUE(j.Data().empty());
}

// Data cut anywhere after the header decode as djpeg decodes them (its
// warnings are no errors): the blocks that are missing are gray.
TEST(JpegDamaged, EveryTruncationAfterTheHeaderDecodesAsDjpegDoes) {
    const bool djpeg = HasTool("djpeg");
    TempDir dir;
    for (const bool gray : {false, true}) {
        SCOPED_TRACE(gray ? "gray" : "colour");
        const Bytes jpeg = TJPEGImageExtra::Encode(Noise(24, 24, 3), gray);
        const std::size_t sos = FindMarker(jpeg, 0xDA);
        ASSERT_NE(sos, std::string::npos);
        const std::size_t scanData = sos + 2 + ((std::size_t{jpeg[sos + 2]} << 8) | jpeg[sos + 3]);
        for (std::size_t n = 0; n <= jpeg.size(); ++n) {
            SCOPED_TRACE(n);
            const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(n));
            TJPEGImageExtra j;
            if (n < scanData) {
                EXPECT_THROW(j.LoadFromStream(Span(cut)), EInvalidGraphic);
                continue;
            }
            ASSERT_NO_THROW(j.LoadFromStream(Span(cut)));
            TBMPImage b;
            ASSERT_NO_THROW(j.AssignTo(b));
            const TJPEGImageExtra::TEnd end = TJPEGImageExtra::FindEnd(Span(cut));
            EXPECT_EQ(end.HasEndMarker, n == jpeg.size());
            EXPECT_EQ(end.WholeBytes, n);
            if (!djpeg || (n - scanData) % 97 != 0) continue;
            vellumark::test::WriteFile(dir / "cut.jpg", ToString(cut));
            const CommandResult r = RunCommand("djpeg -pnm -outfile " + ShellQuote((dir / "cut.pnm").string()) + " " +
                                               ShellQuote((dir / "cut.jpg").string()));
            EXPECT_TRUE(r.status == 0 || r.status == 2) << r.output;  // 2: warnings
            const auto reference = ParsePnm(vellumark::test::ReadFile(dir / "cut.pnm"));
            ASSERT_TRUE(reference.has_value());
            EXPECT_TRUE(AsPnmPixels(b) == reference->pixels);
        }
    }
}

// A marker segment cut short after the scan is left out of the whole bytes.
TEST(JpegDamaged, EndOfDataInsideAMarkerSegment) {
    const Bytes jpeg = EncodePicture();
    const std::size_t eoi = jpeg.size() - 2;
    ASSERT_EQ(jpeg[eoi + 1], 0xD9);
    Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(eoi));
    cut.insert(cut.end(), {0xFF, 0xFE, 0x00, 0x10, 'a', 'b'});  // a comment of 14 bytes, 2 present
    const TJPEGImageExtra::TEnd end = TJPEGImageExtra::FindEnd(Span(cut));
    EXPECT_FALSE(end.HasEndMarker);
    EXPECT_EQ(end.WholeBytes, eoi);
    // Bytes after the end marker do not matter.
    Bytes longer = jpeg;
    longer.insert(longer.end(), {0x00, 0xFF});
    EXPECT_TRUE(TJPEGImageExtra::FindEnd(Span(longer)).HasEndMarker);
}

TEST(JpegDamaged, TruncatedHeaderMessage) {
    const Bytes jpeg = EncodePicture();
    const Bytes cut(jpeg.begin(), jpeg.begin() + 30);
    TJPEGImageExtra j;
    try {
        j.LoadFromStream(Span(cut));
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()), "Premature end of JPEG file");
    }
}

TEST(JpegDamaged, TwoComponentsAreRefused) {
    RawEncode job;
    job.width = 8;
    job.height = 8;
    job.components = 2;
    job.in = JCS_UNKNOWN;
    job.stored = JCS_UNKNOWN;
    const Bytes jpeg = EncodeRaw(job, Bytes(8 * 8 * 2, 100));
    ASSERT_FALSE(jpeg.empty());
    TJPEGImageExtra j;
    EXPECT_THROW(j.LoadFromStream(Span(jpeg)), EInvalidGraphic);
}

TEST(JpegDamaged, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    Bytes jpeg = TJPEGImageExtra::Encode(Picture(16, 16), true);
    const std::size_t sof = FindMarker(jpeg, 0xC0);
    ASSERT_NE(sof, std::string::npos);
    Put16BE(jpeg, sof + 5, 65000);  // height
    Put16BE(jpeg, sof + 7, 65000);  // width: 4 GB of gray pixels
    const TJPEGImageExtra j = Load(jpeg);
    EXPECT_EQ(j.Width(), 65000u);
    TBMPImage b;
    try {
        j.AssignTo(b);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()), "Image is too large");
    }
}

TEST(JpegDamaged, TooManyScansAreRefused) {
    RawEncode job;
    job.width = 16;
    job.height = 16;
    job.components = 1;
    job.in = JCS_GRAYSCALE;
    job.stored = JCS_GRAYSCALE;
    job.progressive = true;
    const Bytes progressive = EncodeRaw(job, Bytes(16 * 16, 90));
    ASSERT_FALSE(progressive.empty());
    EXPECT_NO_THROW(Decode(progressive));
    // The last scan repeated until there are more than the limit.
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i + 1 < progressive.size(); ++i)
        if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA) last = i;
    ASSERT_NE(last, std::string::npos);
    const Bytes scan(progressive.begin() + static_cast<std::ptrdiff_t>(last), progressive.end() - 2);
    Bytes many(progressive.begin(), progressive.end() - 2);
    for (int i = 0; i < TJPEGImageExtra::kMaxScans; ++i) many.insert(many.end(), scan.begin(), scan.end());
    many.push_back(0xFF);
    many.push_back(0xD9);
    const TJPEGImageExtra j = Load(many);
    TBMPImage b;
    try {
        j.AssignTo(b);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()), "JPEG image has too many scans");
    }
}

TEST(JpegDamaged, GarbageAndMutationsNeverCrash) {
    std::mt19937 rng(12345);
    const Bytes base = TJPEGImageExtra::Encode(Picture(24, 20), false);
    int decoded = 0, refused = 0;
    for (int round = 0; round < 600; ++round) {
        Bytes data;
        if (round % 3 == 0) {
            data.resize(rng() % 300);
            for (auto& v : data) v = static_cast<uint8_t>(rng());
            if (data.size() >= 2) {
                data[0] = 0xFF;
                data[1] = 0xD8;
            }
        } else {
            data = base;
            const int flips = 1 + static_cast<int>(rng() % 8);
            for (int f = 0; f < flips; ++f) data[rng() % data.size()] = static_cast<uint8_t>(rng());
        }
        try {
            TJPEGImageExtra j;
            j.LoadFromStream(Span(data));
            if (static_cast<uint64_t>(j.Width()) * j.Height() > 4'000'000) {
                ++refused;
                continue;
            }
            TBMPImage b;
            j.AssignTo(b);
            EXPECT_EQ(b.Width(), j.Width());
            ++decoded;
        } catch (const EInvalidGraphic&) {
            ++refused;
        }
    }
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}
