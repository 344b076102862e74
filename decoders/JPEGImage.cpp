#include "decoders/JPEGImage.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

#include "base/ByteReader.h"
#include "base/InvalidGraphic.h"

// How libjpeg errors are handled.
//
// libjpeg reports a fatal error by calling error_exit, which must not return.
// Our error_exit formats the message and longjmps back to a setjmp point; the
// message is then raised as EInvalidGraphic once control is back in ordinary
// C++ code. C++ exceptions never travel through libjpeg's frames (it is C,
// built without unwind tables for them in general).
//
// longjmp skips destructors, so every setjmp sits in a small "step" function
// below (CreateDecompress, ReadHeader, Decode, CreateCompress, Compress) whose
// frame, and every frame between it and libjpeg's call to error_exit, holds
// only trivially destructible objects: raw pointers and integers. Everything
// that owns memory (the bitmap, the output vector, the libjpeg objects
// themselves) is created by the caller before the step runs and released by
// RAII after it has returned, successfully or not. The steps do not modify
// any of their own locals that live across the setjmp, so nothing has to be
// volatile. Our callbacks that libjpeg runs (the destination manager, the
// progress monitor, the message hook) also leave only by return or by
// error_exit, and catch any C++ exception of their own before it can escape.

namespace vellumark {
namespace {

// ---------------------------------------------------------------- errors

struct TJpegErrorMgr {
    jpeg_error_mgr pub;  // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    // While reading the header a missing end of data is fatal (see
    // EmitMessage).
    bool readingHeader;
};

TJpegErrorMgr* ErrorMgr(j_common_ptr cinfo) { return reinterpret_cast<TJpegErrorMgr*>(cinfo->err); }

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    TJpegErrorMgr* err = ErrorMgr(cinfo);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Leaves the current step with a message of our own.
[[noreturn]] void Fail(j_common_ptr cinfo, const char* text) {
    TJpegErrorMgr* err = ErrorMgr(cinfo);
    std::snprintf(err->message, sizeof err->message, "%s", text);
    std::longjmp(err->jump, 1);
}

// Warnings and trace messages are not printed, and warnings do not stop
// the decoding: libjpeg recovers from corrupt data (and from entropy-coded
// data that ends early, whose missing blocks it fills with gray) as djpeg
// does. The one exception is the source running dry while the header is
// read: no image can follow, and libjpeg would only go on to fail with a
// less telling message.
void EmitMessage(j_common_ptr cinfo, int msgLevel) {
    if (msgLevel >= 0) return;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF && ErrorMgr(cinfo)->readingHeader) (*cinfo->err->error_exit)(cinfo);
    ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

void InitErrorMgr(TJpegErrorMgr& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
    err.message[0] = '\0';
    err.readingHeader = true;
}

void MonitorProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > TJPEGImageExtra::kMaxScans)
        Fail(cinfo, "JPEG image has too many scans");
}

// ---------------------------------------------------------------- decompressor

// Owns one jpeg_decompress_struct reading from memory; destroyed on every path.
class TDecompressor {
public:
    explicit TDecompressor(std::span<const uint8_t> data);
    ~TDecompressor() {
        if (created_) jpeg_destroy_decompress(&cinfo_);
    }
    TDecompressor(const TDecompressor&) = delete;
    TDecompressor& operator=(const TDecompressor&) = delete;

    j_decompress_ptr Info() noexcept { return &cinfo_; }
    TJpegErrorMgr* Err() noexcept { return &err_; }
    [[noreturn]] void Raise() const { throw EInvalidGraphic(err_.message); }

private:
    TJpegErrorMgr err_{};
    jpeg_progress_mgr progress_{};
    jpeg_decompress_struct cinfo_{};
    bool created_ = false;
};

bool CreateDecompress(j_decompress_ptr cinfo, TJpegErrorMgr* err, const uint8_t* data, std::size_t size) {
    if (setjmp(err->jump) != 0) return false;
    jpeg_create_decompress(cinfo);
    // Memory libjpeg itself may take (coefficient buffers of progressive
    // files); beyond it decoding fails instead of growing without bound.
    cinfo->mem->max_memory_to_use = static_cast<long>(TBMPImage::kMaxBytes);
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    return true;
}

TDecompressor::TDecompressor(std::span<const uint8_t> data) {
    InitErrorMgr(err_);
    cinfo_.err = &err_.pub;
    if (!CreateDecompress(&cinfo_, &err_, data.data(), data.size())) {
        // The destructor will not run: release what was made (jpeg_mem_src
        // refuses empty data after the object exists; jpeg_destroy copes
        // with an object whose creation stopped half-way).
        if (cinfo_.mem != nullptr) jpeg_destroy_decompress(&cinfo_);
        Raise();
    }
    created_ = true;
    progress_.progress_monitor = MonitorProgress;
    cinfo_.progress = &progress_;
}

// Reads the markers up to the first scan; EXIF blocks are kept for us.
bool ReadHeader(j_decompress_ptr cinfo, TJpegErrorMgr* err) {
    if (setjmp(err->jump) != 0) return false;
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    return true;
}

// Where the decoded rows go: `rows` points at row 0 of the bitmap, `stride`
// bytes apart. For four-component data each row is first read into
// `cmykRow` and converted.
struct TDecodeTarget {
    uint8_t* rows;
    std::size_t stride;
    JDIMENSION width;
    JDIMENSION height;
    int components;  // what libjpeg must deliver per pixel: 1, 3 or 4
    uint8_t* cmykRow;
    bool invertedInk;
};

// Four-component samples to blue, green, red. Each colour is the product of
// its own and the black component's remaining light,
// R = (255 - C) * (255 - K) / 255 rounded; with the Adobe marker the samples
// hold 255 - ink already.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned flip = inverted ? 0 : 255;
        const unsigned c = cmyk[0] ^ flip, m = cmyk[1] ^ flip, y = cmyk[2] ^ flip, k = cmyk[3] ^ flip;
        bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

bool Decode(j_decompress_ptr cinfo, TJpegErrorMgr* err, const TDecodeTarget* target) {
    if (setjmp(err->jump) != 0) return false;
    err->readingHeader = false;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != target->width || cinfo->output_height != target->height ||
        cinfo->output_components != target->components)
        Fail(reinterpret_cast<j_common_ptr>(cinfo), "JPEG decoder produced an unexpected format");
    while (cinfo->output_scanline < cinfo->output_height) {
        uint8_t* dest = target->rows + std::size_t{cinfo->output_scanline} * target->stride;
        JSAMPROW row = target->cmykRow != nullptr ? target->cmykRow : dest;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) Fail(reinterpret_cast<j_common_ptr>(cinfo), "JPEG decoding stalled");
        if (target->cmykRow != nullptr) CmykRowToBgr(target->cmykRow, dest, cinfo->output_width, target->invertedInk);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// The tables-only stream of a JPEG-compressed TIFF page; the decompressor
// keeps the tables for the segments that follow.
bool ReadTables(j_decompress_ptr cinfo, TJpegErrorMgr* err) {
    if (setjmp(err->jump) != 0) return false;
    if (jpeg_read_header(cinfo, FALSE) != JPEG_HEADER_TABLES_ONLY)
        Fail(reinterpret_cast<j_common_ptr>(cinfo), "JPEG tables hold an image");
    return true;
}

// One segment of a JPEG-compressed TIFF page. Only the rows wanted are
// read; the decompressor is then made ready for the next segment.
bool DecodeSegmentRows(j_decompress_ptr cinfo, TJpegErrorMgr* err, const TJpegSegment* segment, uint8_t* out,
                       bool newSource) {
    if (setjmp(err->jump) != 0) return false;
    const auto common = reinterpret_cast<j_common_ptr>(cinfo);
    err->readingHeader = true;
    if (newSource) jpeg_mem_src(cinfo, segment->Data.data(), static_cast<unsigned long>(segment->Data.size()));
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->image_width != segment->Width || cinfo->image_height < segment->Rows ||
        cinfo->image_height > segment->MaxRows || cinfo->num_components != segment->Components)
        Fail(common, "JPEG frame does not fit its strip or tile");
    // YCbCr is converted whatever the markers say; anything else is
    // delivered as stored, component by component.
    cinfo->jpeg_color_space = segment->YCbCr ? JCS_YCbCr : JCS_UNKNOWN;
    cinfo->out_color_space = segment->YCbCr ? JCS_RGB : JCS_UNKNOWN;
    cinfo->do_fancy_upsampling = segment->Replicate ? FALSE : TRUE;
    err->readingHeader = false;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != segment->Width || cinfo->output_components != segment->Components)
        Fail(common, "JPEG decoder produced an unexpected format");
    const std::size_t stride = std::size_t{segment->Width} * static_cast<unsigned>(segment->Components);
    while (cinfo->output_scanline < segment->Rows) {
        JSAMPROW row = out + std::size_t{cinfo->output_scanline} * stride;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) Fail(common, "JPEG decoding stalled");
    }
    jpeg_abort_decompress(cinfo);  // keeps the tables
    return true;
}

// ---------------------------------------------------------------- EXIF

class TExifReader {
public:
    // Reads that do not fit answer false; the message is never raised.
    explicit TExifReader(std::span<const uint8_t> tiff) : tiff_(tiff), in_(tiff, "EXIF block too short") {}

    bool Header(uint32_t& ifd0) {
        if (tiff_.size() < 8) return false;
        if (tiff_[0] == 'I' && tiff_[1] == 'I')
            bigEndian_ = false;
        else if (tiff_[0] == 'M' && tiff_[1] == 'M')
            bigEndian_ = true;
        else
            return false;
        uint16_t magic = 0;
        return U16(2, magic) && magic == 42 && U32(4, ifd0);
    }
    bool U16(std::size_t at, uint16_t& v) const {
        if (!in_.Has(at, 2)) return false;
        v = in_.U16(at, bigEndian_);
        return true;
    }
    bool U32(std::size_t at, uint32_t& v) const {
        if (!in_.Has(at, 4)) return false;
        v = in_.U32(at, bigEndian_);
        return true;
    }

private:
    std::span<const uint8_t> tiff_;
    TByteReader in_;
    bool bigEndian_ = false;
};

struct TExifResolution {
    bool hasX = false, hasY = false;
    uint32_t xNum = 0, xDen = 0, yNum = 0, yDen = 0;
    uint32_t unit = 2;  // TIFF default: inch
};

constexpr uint16_t kTagXResolution = 282;
constexpr uint16_t kTagYResolution = 283;
constexpr uint16_t kTagResolutionUnit = 296;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;

// Reads XResolution, YResolution and ResolutionUnit of IFD0 of the TIFF
// structure inside an EXIF block. False when the structure cannot be read.
bool ReadExifResolution(std::span<const uint8_t> tiff, TExifResolution& out) {
    TExifReader r(tiff);
    uint32_t ifd = 0;
    uint16_t count = 0;
    if (!r.Header(ifd) || !r.U16(ifd, count)) return false;
    if ((tiff.size() - ifd - 2) / 12 < count) return false;  // the whole entry table must be there
    bool seenX = false, seenY = false, seenUnit = false;
    for (uint16_t i = 0; i < count; ++i) {
        const std::size_t entry = std::size_t{ifd} + 2 + std::size_t{i} * 12;
        uint16_t tag = 0, type = 0;
        uint32_t n = 0;
        if (!r.U16(entry, tag) || !r.U16(entry + 2, type) || !r.U32(entry + 4, n)) return false;
        if (tag == kTagXResolution || tag == kTagYResolution) {
            bool& seen = tag == kTagXResolution ? seenX : seenY;
            if (seen) continue;  // the first entry counts
            seen = true;
            uint32_t at = 0, num = 0, den = 0;
            if (type != kTypeRational || n < 1 || !r.U32(entry + 8, at) || !r.U32(at, num) ||
                !r.U32(std::size_t{at} + 4, den) || den == 0)
                return false;
            (tag == kTagXResolution ? out.xNum : out.yNum) = num;
            (tag == kTagXResolution ? out.xDen : out.yDen) = den;
            (tag == kTagXResolution ? out.hasX : out.hasY) = true;
        } else if (tag == kTagResolutionUnit && !seenUnit) {
            seenUnit = true;
            uint16_t shortValue = 0;
            if (n < 1) return false;
            if (type == kTypeShort) {
                if (!r.U16(entry + 8, shortValue)) return false;
                out.unit = shortValue;
            } else if (type == kTypeLong) {
                if (!r.U32(entry + 8, out.unit)) return false;
            } else {
                return false;
            }
        }
    }
    return true;
}

// num / den dots per unit in dots per inch, rounded half up; false beyond 32 bits.
bool ExifDpi(uint32_t num, uint32_t den, bool centimetres, uint32_t& dpi) {
    const uint64_t n = centimetres ? uint64_t{num} * 254 : uint64_t{num} * 100;
    const uint64_t d = uint64_t{den} * 100;
    const uint64_t v = (n + d / 2) / d;
    if (v > std::numeric_limits<uint32_t>::max()) return false;
    dpi = static_cast<uint32_t>(v);
    return true;
}

// Applies the EXIF resolution to the directions whose JFIF value is 1.
void ApplyExif(j_decompress_ptr cinfo, uint32_t& x, uint32_t& y) {
    if (x != 1 && y != 1) return;
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next) {
        static constexpr std::array<uint8_t, 6> kExif{'E', 'x', 'i', 'f', 0, 0};
        if (m->marker != JPEG_APP0 + 1 || m->data_length < kExif.size() ||
            !std::equal(kExif.begin(), kExif.end(), m->data))
            continue;
        TExifResolution res;
        const std::span<const uint8_t> tiff(m->data + kExif.size(), m->data_length - kExif.size());
        uint32_t newX = x, newY = y;
        bool ok = ReadExifResolution(tiff, res);
        const bool centimetres = ok && res.unit == 3;
        if (ok && x == 1 && res.hasX) ok = ExifDpi(res.xNum, res.xDen, centimetres, newX);
        if (ok && y == 1 && res.hasY) ok = ExifDpi(res.yNum, res.yDen, centimetres, newY);
        if (ok) {
            x = newX;
            y = newY;
        } else {
            x = y = 0;
        }
        return;  // the first EXIF block only
    }
}

// JFIF density in dots per inch: unit 1 as it stands, unit 2 times 2.54
// rounded half up, anything else 0.
uint32_t JfifDpi(UINT8 unit, UINT16 density) {
    switch (unit) {
    case 1:
        return density;
    case 2:
        return (uint32_t{density} * 254 + 50) / 100;
    default:
        return 0;
    }
}

uint32_t DpiToPelsPerMeter(uint32_t dpi) {
    return static_cast<uint32_t>((uint64_t{dpi} * 10000 + 127) / 254);
}

// ---------------------------------------------------------------- compressor

constexpr std::size_t kOutputChunk = 65536;

// Collects libjpeg's output in a vector, one chunk at a time.
struct TVectorDestination {
    jpeg_destination_mgr pub;  // first member
    std::vector<uint8_t>* out;
    JOCTET* buffer;
};

// Appends without letting an exception out: false when memory runs out.
bool AppendChunk(std::vector<uint8_t>& out, const JOCTET* bytes, std::size_t n) noexcept {
    try {
        out.insert(out.end(), bytes, bytes + n);
        return true;
    } catch (...) {
        return false;
    }
}

TVectorDestination* Destination(j_compress_ptr cinfo) { return reinterpret_cast<TVectorDestination*>(cinfo->dest); }

void InitDestination(j_compress_ptr cinfo) {
    TVectorDestination* d = Destination(cinfo);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kOutputChunk;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    TVectorDestination* d = Destination(cinfo);
    // libjpeg's contract: the whole buffer is full, whatever the pointers say.
    if (!AppendChunk(*d->out, d->buffer, kOutputChunk)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kOutputChunk;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    TVectorDestination* d = Destination(cinfo);
    if (!AppendChunk(*d->out, d->buffer, kOutputChunk - d->pub.free_in_buffer)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 2);
}

// Owns one jpeg_compress_struct writing into `out`; destroyed on every path.
class TCompressor {
public:
    explicit TCompressor(std::vector<uint8_t>& out);
    ~TCompressor() {
        if (created_) jpeg_destroy_compress(&cinfo_);
    }
    TCompressor(const TCompressor&) = delete;
    TCompressor& operator=(const TCompressor&) = delete;

    j_compress_ptr Info() noexcept { return &cinfo_; }
    TJpegErrorMgr* Err() noexcept { return &err_; }
    [[noreturn]] void Raise() const { throw EInvalidGraphic(err_.message); }

private:
    TJpegErrorMgr err_{};
    TVectorDestination dest_{};
    std::unique_ptr<JOCTET[]> buffer_;
    jpeg_compress_struct cinfo_{};
    bool created_ = false;
};

bool CreateCompress(j_compress_ptr cinfo, TJpegErrorMgr* err) {
    if (setjmp(err->jump) != 0) return false;
    jpeg_create_compress(cinfo);
    return true;
}

TCompressor::TCompressor(std::vector<uint8_t>& out) : buffer_(new JOCTET[kOutputChunk]) {
    InitErrorMgr(err_);
    cinfo_.err = &err_.pub;
    if (!CreateCompress(&cinfo_, &err_)) {
        if (cinfo_.mem != nullptr) jpeg_destroy_compress(&cinfo_);
        Raise();
    }
    created_ = true;
    dest_.pub.init_destination = InitDestination;
    dest_.pub.empty_output_buffer = EmptyOutputBuffer;
    dest_.pub.term_destination = TermDestination;
    dest_.out = &out;
    dest_.buffer = buffer_.get();
    cinfo_.dest = &dest_.pub;
}

// The source of an encoding: any pixel format of TBMPImage, handed to libjpeg
// one row at a time through `row` (width * components bytes).
struct TEncodeSource {
    const TBMPImage* bitmap;
    uint8_t* row;
    bool gray;
    int quality;
};

// Pixel x of a bitmap row as blue, green, red: palette formats looked up
// (entries beyond the palette are black), 32 bits without the alpha byte;
// the same values TBMPImage::ConvertTo24Bit gives.
void PixelBgr(const TBMPImage& bitmap, const uint8_t* row, uint32_t x, uint8_t* bgr) {
    const uint8_t bpp = bitmap.BitsPerPixel();
    if (bpp == 24 || bpp == 32) {
        const uint8_t* p = row + std::size_t{x} * (bpp / 8);
        bgr[0] = p[0];
        bgr[1] = p[1];
        bgr[2] = p[2];
        return;
    }
    unsigned index = 0;
    if (bpp == 8)
        index = row[x];
    else if (bpp == 4)
        index = (row[x / 2] >> ((x % 2 == 0) ? 4 : 0)) & 0x0F;
    else if (bpp == 1)
        index = (row[x / 8] >> (7 - x % 8)) & 0x01;
    const TPaletteEntry e = bitmap.PaletteAt(index);
    bgr[0] = e.Blue;
    bgr[1] = e.Green;
    bgr[2] = e.Red;
}

// One bitmap row as libjpeg's input: red, green, blue, or for gray one byte
// (blue + green + red) div 3 per pixel.
void PrepareRow(const TEncodeSource& src, uint32_t y, uint8_t* out) {
    const TBMPImage& bitmap = *src.bitmap;
    const uint8_t* row = bitmap.Row(y);
    const uint32_t width = bitmap.Width();
    for (uint32_t x = 0; x < width; ++x) {
        uint8_t bgr[3];
        PixelBgr(bitmap, row, x, bgr);
        if (src.gray) {
            *out++ = static_cast<uint8_t>((unsigned{bgr[0]} + bgr[1] + bgr[2]) / 3);
        } else {
            *out++ = bgr[2];
            *out++ = bgr[1];
            *out++ = bgr[0];
        }
    }
}

bool Compress(j_compress_ptr cinfo, TJpegErrorMgr* err, const TEncodeSource* src) {
    if (setjmp(err->jump) != 0) return false;
    cinfo->image_width = src->bitmap->Width();
    cinfo->image_height = src->bitmap->Height();
    cinfo->input_components = src->gray ? 1 : 3;
    cinfo->in_color_space = src->gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    cinfo->dct_method = JDCT_FLOAT;
    jpeg_set_quality(cinfo, src->quality, TRUE);
    if (src->gray) jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        PrepareRow(*src, cinfo->next_scanline, src->row);
        JSAMPROW row = src->row;
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

// ---------------------------------------------------------------- TJPEGImageExtra

void TJPEGImageExtra::LoadFromStream(std::span<const uint8_t> data) {
    LoadHeader(data);
    data_.assign(data.begin(), data.end());
}

void TJPEGImageExtra::LoadHeader(std::span<const uint8_t> data) {
    *this = TJPEGImageExtra{};
    TDecompressor dec(data);
    j_decompress_ptr cinfo = dec.Info();
    if (!ReadHeader(cinfo, dec.Err())) dec.Raise();

    const int components = cinfo->num_components;
    if (components != 1 && components != 3 && components != 4)
        throw EInvalidGraphic("Unsupported JPEG colour space: " + std::to_string(components) + " components");

    uint32_t x = JfifDpi(cinfo->density_unit, cinfo->X_density);
    uint32_t y = JfifDpi(cinfo->density_unit, cinfo->Y_density);
    ApplyExif(cinfo, x, y);

    TJPEGImageExtra loaded;
    loaded.width_ = cinfo->image_width;
    loaded.height_ = cinfo->image_height;
    loaded.xResolution_ = x;
    loaded.yResolution_ = y;
    loaded.components_ = components;
    loaded.grayscale_ = components == 1 && cinfo->jpeg_color_space == JCS_GRAYSCALE;
    loaded.adobeInverted_ = components == 4 && cinfo->saw_Adobe_marker;
    *this = std::move(loaded);
}

void TJPEGImageExtra::AssignTo(TBMPImage& bitmap) const {
    if (data_.empty()) throw EInvalidGraphic("No JPEG image loaded");
    TDecompressor dec(data_);
    j_decompress_ptr cinfo = dec.Info();
    if (!ReadHeader(cinfo, dec.Err())) dec.Raise();

    const bool gray = cinfo->num_components == 1;
    const bool cmyk = cinfo->num_components == 4;
    cinfo->out_color_space = gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;

    // Allocation happens here, within TBMPImage's limits (SetSize raises
    // "Image is too large" beyond them), before any scan data is decoded.
    TBMPImage image;
    image.SetSize(cinfo->image_width, cinfo->image_height, gray ? 8 : 24);
    if (gray) {
        image.Palette().resize(256);
        for (unsigned i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            image.Palette()[i] = TPaletteEntry{v, v, v};
        }
    }
    std::vector<uint8_t> cmykRow(cmyk ? std::size_t{cinfo->image_width} * 4 : 0);

    const TDecodeTarget target{image.Row(0),
                               image.RowBytes(),
                               image.Width(),
                               image.Height(),
                               gray ? 1 : cmyk ? 4 : 3,
                               cmyk ? cmykRow.data() : nullptr,
                               cmyk && cinfo->saw_Adobe_marker};
    if (!Decode(cinfo, dec.Err(), &target)) dec.Raise();

    image.XPelsPerMeter = DpiToPelsPerMeter(xResolution_);
    image.YPelsPerMeter = DpiToPelsPerMeter(yResolution_);
    bitmap = std::move(image);
}

TJPEGImageExtra::TEnd TJPEGImageExtra::FindEnd(std::span<const uint8_t> data) noexcept {
    std::size_t pos = std::min<std::size_t>(2, data.size());  // after SOI
    for (;;) {
        // The next marker: 0xFF, any fill bytes 0xFF, then a code other than
        // 0 (0xFF 0x00 is a stuffed data byte of a scan).
        // (memchr: the scans are most of the data, and a stuffed 0xFF comes
        // only every few hundred bytes.)
        const void* ff = pos < data.size() ? std::memchr(data.data() + pos, 0xFF, data.size() - pos) : nullptr;
        const std::size_t start =
            ff ? static_cast<std::size_t>(static_cast<const uint8_t*>(ff) - data.data()) : data.size();
        std::size_t at = start;
        while (at < data.size() && data[at] == 0xFF) ++at;
        if (at >= data.size()) return {false, data.size()};
        const uint8_t code = data[at++];
        pos = at;
        if (code == 0x00 || code == 0x01 || code == 0xD8 || (code >= 0xD0 && code <= 0xD7)) continue;  // no segment
        if (code == 0xD9) return {true, data.size()};
        if (data.size() - at < 2) return {false, start};
        const std::size_t length = std::size_t{data[at]} << 8 | data[at + 1];
        if (length < 2 || data.size() - at < length) return {false, start};
        pos = at + length;
    }
}

std::vector<uint8_t> TJPEGImageExtra::Encode(const TBMPImage& bitmap, bool gray, int quality) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> row(std::size_t{bitmap.Width()} * (gray ? 1 : 3));
    TCompressor enc(out);
    const TEncodeSource src{&bitmap, row.data(), gray, std::clamp(quality, 1, 100)};
    if (!Compress(enc.Info(), enc.Err(), &src)) enc.Raise();
    return out;
}

// ---------------------------------------------------------------- TJpegSegmentDecoder

struct TJpegSegmentDecoder::TState {
    std::optional<TDecompressor> decompressor;  // made by the tables, or by the first segment
    bool broken = false;
};

TJpegSegmentDecoder::TJpegSegmentDecoder(std::span<const uint8_t> tables) : state_(std::make_unique<TState>()) {
    if (tables.empty()) return;
    try {
        state_->decompressor.emplace(tables);
    } catch (const EInvalidGraphic&) {
        state_->broken = true;
        return;
    }
    state_->broken = !ReadTables(state_->decompressor->Info(), state_->decompressor->Err());
}

TJpegSegmentDecoder::~TJpegSegmentDecoder() = default;

bool TJpegSegmentDecoder::Decode(const TJpegSegment& segment, std::span<uint8_t> out) {
    if (state_->broken || segment.Data.empty() || segment.Components < 1 ||
        out.size() != std::size_t{segment.Width} * static_cast<unsigned>(segment.Components) * segment.Rows)
        return false;
    bool newSource = true;
    if (!state_->decompressor) {
        try {
            state_->decompressor.emplace(segment.Data);
        } catch (const EInvalidGraphic&) {
            state_->broken = true;
            return false;
        }
        newSource = false;
    }
    TDecompressor& dec = *state_->decompressor;
    if (!DecodeSegmentRows(dec.Info(), dec.Err(), &segment, out.data(), newSource)) state_->broken = true;
    return !state_->broken;
}

}  // namespace vellumark
