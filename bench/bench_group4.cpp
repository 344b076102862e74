// Group 4 encoding against libtiff's Group 4 encoder on the same pages: fifty
// A4 pages at 300 dpi (2480 x 3508 pixels) of text-like black-and-white
// content, lines of word-like black blobs on white (the same pages in every
// run). Our side is EncodeGroup4 on the bitmap; libtiff's side is
// TIFFWriteEncodedStrip of the page as one strip with COMPRESSION_CCITTFAX4
// into a TIFF held in memory. Only those calls are timed; opening the TIFF,
// setting its tags and closing it are not. The two sides alternate over
// several rounds; the round with the least CPU time of each counts.
// Page 1 is decoded from both outputs by libtiff and must give the same
// pixels (and those of the page).
//
// Target: our encoder at least 1.5 times as fast as libtiff's.

#include <tiffio.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/LibtiffMemory.h"
#include "decoders/BMPImage.h"
#include "images/Group4Encoder.h"

namespace {

using vellumark::EncodeGroup4;
using vellumark::TBMPImage;
using vellumark::bench::OpenMemoryTiff;
using vellumark::bench::TMemoryTiff;
using vellumark::bench::CpuSeconds;
using vellumark::bench::Median;
using vellumark::bench::Seconds;
using vellumark::bench::TRandom;

constexpr uint32_t kWidth = 2480;
constexpr uint32_t kHeight = 3508;
constexpr int kPages = 50;
constexpr int kRounds = 5;
constexpr double kTargetSpeedUp = 1.5;

// ---------------------------------------------------------------------------
// Pages: bit 1 white, bit 0 black, as the encoder takes them.

class TPainter {
public:
    explicit TPainter(TBMPImage& page) : page_(page) {}
    // Blackens pixels [x0, x1) of row y (clipped to the page).
    void Span(int y, int x0, int x1) {
        if (y < 0 || y >= static_cast<int>(kHeight)) return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, static_cast<int>(kWidth));
        uint8_t* row = page_.Row(static_cast<uint32_t>(y));
        for (int x = x0; x < x1; ++x) row[x / 8] &= static_cast<uint8_t>(~(0x80u >> (x % 8)));
    }

private:
    TBMPImage& page_;
};

// One letter in a cell of width cw whose baseline is at `base`, x-height
// xh: one to three strokes among stems (some with ascenders or
// descenders), bars, bowls and diagonals, 4 pixels thick.
void DrawLetter(TPainter& paint, TRandom& rng, int x, int base, int cw, int xh) {
    const int strokes = 1 + static_cast<int>(rng.Below(3));
    for (int s = 0; s < strokes; ++s) {
        switch (rng.Below(5)) {
        case 0: {  // stem, maybe with an ascender or a descender
            const int sx = x + static_cast<int>(rng.Below(static_cast<uint32_t>(cw - 3)));
            const int kind = static_cast<int>(rng.Below(4));
            const int top = base - xh - (kind == 1 ? xh / 2 + 4 : 0);
            const int bottom = base + (kind == 2 ? xh / 2 : 0);
            for (int y = top; y < bottom; ++y) paint.Span(y, sx, sx + 4);
            break;
        }
        case 1: {  // bar at the top, the middle or the baseline
            const int where = static_cast<int>(rng.Below(3));
            const int y0 = base - xh + where * (xh - 4) / 2;
            for (int y = y0; y < y0 + 4; ++y) paint.Span(y, x, x + cw);
            break;
        }
        case 2:
        case 3: {  // bowl: an elliptic ring
            const double rx = cw / 2.0, ry = xh / 2.0;
            const double cx = x + rx, cy = base - ry;
            for (int y = base - xh; y < base; ++y) {
                const double dy = (y + 0.5 - cy) / ry;
                if (std::fabs(dy) >= 1) continue;
                const double outer = rx * std::sqrt(1 - dy * dy);
                const double dyIn = (y + 0.5 - cy) / std::max(ry - 4, 1.0);
                const double inner = std::fabs(dyIn) < 1 ? (rx - 4) * std::sqrt(1 - dyIn * dyIn) : 0;
                paint.Span(y, static_cast<int>(cx - outer), static_cast<int>(cx - inner));
                paint.Span(y, static_cast<int>(cx + inner), static_cast<int>(cx + outer));
            }
            break;
        }
        default: {  // diagonal
            const bool down = rng.Below(2) == 0;
            for (int y = base - xh; y < base; ++y) {
                const int t = (y - (base - xh)) * (cw - 4) / xh;
                const int sx = down ? x + t : x + cw - 4 - t;
                paint.Span(y, sx, sx + 5);
            }
            break;
        }
        }
    }
}

// A page of paragraphs: 10 to 12 point text at 300 dpi, margins of an inch
// or so, a ragged last line per paragraph, now and then a heading.
void DrawPage(TBMPImage& page, TRandom& rng) {
    page.SetSize(kWidth, kHeight, 1);
    page.Palette() = {{0, 0, 0}, {255, 255, 255}};
    std::fill(page.Pixels().begin(), page.Pixels().end(), uint8_t{0xFF});
    TPainter paint(page);
    const int left = 280 + static_cast<int>(rng.Below(40));
    const int right = static_cast<int>(kWidth) - 280;
    const int xh = 20 + static_cast<int>(rng.Below(8));
    const int pitch = xh * 5 / 2;
    int base = 320;
    while (base + pitch < static_cast<int>(kHeight) - 300) {
        const int linesInParagraph = 3 + static_cast<int>(rng.Below(10));
        const bool heading = rng.Below(6) == 0;
        for (int line = 0; line < linesInParagraph && base + pitch < static_cast<int>(kHeight) - 300; ++line) {
            const int lineXh = heading ? xh * 3 / 2 : xh;
            const bool last = line == linesInParagraph - 1;
            const int end = last ? left + static_cast<int>(rng.Below(static_cast<uint32_t>(right - left))) : right;
            int x = left + (line == 0 && !heading ? 3 * xh : 0);
            while (x < end - 4 * lineXh) {
                const int letters = 1 + static_cast<int>(rng.Below(9));
                for (int l = 0; l < letters; ++l) {
                    const int cw = lineXh * 3 / 4 + static_cast<int>(rng.Below(static_cast<uint32_t>(lineXh / 2)));
                    DrawLetter(paint, rng, x, base, cw, lineXh);
                    x += cw + 3;
                }
                x += lineXh;  // the space between words
            }
            base += heading ? pitch * 3 / 2 : pitch;
            if (heading) break;
        }
        base += pitch;  // the space between paragraphs
    }
}

// ---------------------------------------------------------------------------
// libtiff in memory.

// A one-strip bilevel TIFF page whose data bits are 0 white, 1 black.
void SetPageTags(TIFF* tif, uint32_t width, uint32_t height) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
}

// libtiff's encoding of one page (data bits 0 white); the CPU and wall time
// of TIFFWriteEncodedStrip are added to the totals.
bool EncodeWithLibtiff(std::vector<uint8_t>& bits, TMemoryTiff& out, double& cpu, double& wall) {
    out.bytes.clear();
    out.pos = 0;
    TIFF* tif = OpenMemoryTiff(out, "w");
    if (!tif) return false;
    SetPageTags(tif, kWidth, kHeight);
    const double c0 = CpuSeconds(), w0 = Seconds();
    const tmsize_t written = TIFFWriteEncodedStrip(tif, 0, bits.data(), static_cast<tmsize_t>(bits.size()));
    cpu += CpuSeconds() - c0;
    wall += Seconds() - w0;
    TIFFClose(tif);
    return written >= 0;
}

// Decodes the strip of a one-page TIFF: data bits 0 white.
std::vector<uint8_t> DecodeTiff(TMemoryTiff& f) {
    f.pos = 0;
    TIFF* tif = OpenMemoryTiff(f, "r");
    if (!tif) return {};
    std::vector<uint8_t> bits(static_cast<std::size_t>(TIFFStripSize(tif)));
    const tmsize_t n = TIFFReadEncodedStrip(tif, 0, bits.data(), static_cast<tmsize_t>(bits.size()));
    TIFFClose(tif);
    if (n < 0) return {};
    bits.resize(static_cast<std::size_t>(n));
    return bits;
}

// Our T.6 code wrapped as a one-strip TIFF page, then decoded by libtiff.
std::vector<uint8_t> DecodeOurs(const std::string& code) {
    TMemoryTiff f;
    TIFF* tif = OpenMemoryTiff(f, "w");
    if (!tif) return {};
    SetPageTags(tif, kWidth, kHeight);
    const tmsize_t n = TIFFWriteRawStrip(tif, 0, const_cast<char*>(code.data()), static_cast<tmsize_t>(code.size()));
    TIFFClose(tif);
    if (n < 0) return {};
    return DecodeTiff(f);
}

std::vector<uint8_t> Inverted(const TBMPImage& page) {
    std::vector<uint8_t> bits(page.Pixels().begin(), page.Pixels().end());
    for (uint8_t& b : bits) b = static_cast<uint8_t>(~b);
    return bits;
}

void QuietHandler(const char*, const char*, va_list) {}

}  // namespace

int main() {
    TIFFSetWarningHandler(QuietHandler);

    std::printf("bench_group4: %d text-like A4 pages at 300 dpi (%u x %u), our Group 4 encoder against libtiff's "
                "(TIFFWriteEncodedStrip into memory). Times are those of the round with the least CPU time.\n",
                kPages, kWidth, kHeight);

    TRandom rng(0x64A4C0DEULL);
    std::vector<TBMPImage> pages(kPages);
    std::vector<std::vector<uint8_t>> libtiffPages;  // the same pages, bits 0 white
    uint64_t black = 0;
    for (TBMPImage& page : pages) {
        DrawPage(page, rng);
        libtiffPages.push_back(Inverted(page));
        for (uint8_t b : libtiffPages.back()) black += static_cast<uint64_t>(std::popcount(b));
    }
    std::printf("pages made: %.1f%% black pixels\n",
                100.0 * static_cast<double>(black) / (static_cast<double>(kWidth) * kHeight * kPages));

    std::vector<double> ourCpu, ourWall, tiffCpu, tiffWall;
    uint64_t ourBytes = 0, tiffBytes = 0;
    std::string firstCode;
    TMemoryTiff firstTiff;
    for (int round = 0; round < kRounds; ++round) {
        double cpu = 0, wall = 0;
        ourBytes = 0;
        for (int p = 0; p < kPages; ++p) {
            const double c0 = CpuSeconds(), w0 = Seconds();
            std::string code = EncodeGroup4(pages[static_cast<std::size_t>(p)]);
            cpu += CpuSeconds() - c0;
            wall += Seconds() - w0;
            ourBytes += code.size();
            if (p == 0) firstCode = std::move(code);
        }
        ourCpu.push_back(cpu);
        ourWall.push_back(wall);

        cpu = wall = 0;
        tiffBytes = 0;
        TMemoryTiff out;
        for (int p = 0; p < kPages; ++p) {
            if (!EncodeWithLibtiff(libtiffPages[static_cast<std::size_t>(p)], out, cpu, wall)) {
                std::printf("libtiff failed to encode page %d FAIL\n", p + 1);
                return 0;
            }
            tiffBytes += out.bytes.size();
            if (p == 0) firstTiff = out;
        }
        tiffCpu.push_back(cpu);
        tiffWall.push_back(wall);
    }

    // Page 1 decoded from both sides.
    const std::vector<uint8_t> fromOurs = DecodeOurs(firstCode);
    const std::vector<uint8_t> fromTiff = DecodeTiff(firstTiff);
    const bool same = !fromOurs.empty() && fromOurs == fromTiff && fromOurs == libtiffPages[0];
    std::printf("page 1 decoded by libtiff from both outputs: %s %s\n",
                same ? "same pixels, equal to the page" : "pixels differ", vellumark::bench::Verdict(same));

    const std::size_t best = static_cast<std::size_t>(std::min_element(ourCpu.begin(), ourCpu.end()) - ourCpu.begin());
    const std::size_t bestTiff =
        static_cast<std::size_t>(std::min_element(tiffCpu.begin(), tiffCpu.end()) - tiffCpu.begin());
    std::printf("  ours:    %.3f s cpu (wall %.3f s; median cpu %.3f s), %.2f ms a page, %.1f KiB of code (TIFF "
                "container excluded)\n",
                ourCpu[best], ourWall[best], Median(ourCpu), 1000 * ourCpu[best] / kPages,
                static_cast<double>(ourBytes) / 1024);
    std::printf("  libtiff: %.3f s cpu (wall %.3f s; median cpu %.3f s), %.2f ms a page, %.1f KiB of TIFF files\n",
                tiffCpu[bestTiff], tiffWall[bestTiff], Median(tiffCpu), 1000 * tiffCpu[bestTiff] / kPages,
                static_cast<double>(tiffBytes) / 1024);
    const double speedUp = tiffCpu[bestTiff] / ourCpu[best];
    std::printf("ours vs libtiff Group 4 encoding: %.3f s vs %.3f s: %.2fx as fast (target >= %.1fx) %s\n",
                ourCpu[best], tiffCpu[bestTiff], speedUp, kTargetSpeedUp,
                vellumark::bench::Verdict(speedUp >= kTargetSpeedUp));
    return 0;
}
