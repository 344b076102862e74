// Group 4 decoding against libtiff's decoder on the same data: fifty A4
// pages at 300 dpi (2480 x 3508 pixels) of text-like black-and-white content,
// each written by libtiff as a one-strip Group 4 TIFF held in memory. Our
// side is ccitt::Decode on the strip's bytes; libtiff's side is
// TIFFReadEncodedStrip on the open file. Only those calls are timed. The two
// sides alternate over several rounds; the round with the least CPU time of
// each counts. Both must give every page's pixels back exactly.
//
// Target: our decoder no slower than libtiff's (time ratio <= 1.0).

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/LibtiffMemory.h"
#include "decoders/CCITTDecoder.h"

namespace {

using vellumark::bench::CpuSeconds;
using vellumark::bench::Median;
using vellumark::bench::OpenMemoryTiff;
using vellumark::bench::TMemoryTiff;
using vellumark::bench::Seconds;
using vellumark::bench::TRandom;

constexpr uint32_t kWidth = 2480;
constexpr uint32_t kHeight = 3508;
constexpr std::size_t kRowBytes = (kWidth + 7) / 8;
constexpr int kPages = 50;
constexpr int kRounds = 5;
constexpr double kTargetRatio = 1.0;

// ---------------------------------------------------------------------------
// Text-like pages, packed rows with 1 bits black (TIFF WhiteIsZero).

class TPage {
public:
    TPage() : bits_(kRowBytes * kHeight, 0) {}
    const std::vector<uint8_t>& Bits() const { return bits_; }
    std::vector<uint8_t>& Bits() { return bits_; }

    void Blacken(int y, int x0, int x1) {
        if (y < 0 || y >= static_cast<int>(kHeight)) return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, static_cast<int>(kWidth));
        uint8_t* row = &bits_[static_cast<std::size_t>(y) * kRowBytes];
        for (int x = x0; x < x1; ++x) row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80u >> (x & 7)));
    }
    void Box(int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y) Blacken(y, x0, x1);
    }

private:
    std::vector<uint8_t> bits_;
};

// A glyph-like shape in a cell `w` wide whose baseline is y, x-height h:
// a few strokes 3 to 5 pixels thick — stems (some rising or descending),
// horizontal bars, slanted strokes and round parts made of short arcs.
void Glyph(TPage& page, TRandom& rng, int x, int y, int w, int h) {
    const int thick = 3 + static_cast<int>(rng.Below(3));
    const int parts = 1 + static_cast<int>(rng.Below(3));
    for (int p = 0; p < parts; ++p) {
        switch (rng.Below(4)) {
        case 0: {
            const int sx = x + static_cast<int>(rng.Below(static_cast<uint32_t>(std::max(1, w - thick))));
            const uint32_t kind = rng.Below(5);
            const int top = y - h - (kind == 0 ? h * 2 / 3 : 0);
            const int bottom = y + (kind == 1 ? h / 2 : 0);
            page.Box(sx, top, sx + thick, bottom);
            break;
        }
        case 1: {
            const int by = y - h + static_cast<int>(rng.Below(static_cast<uint32_t>(h)));
            page.Box(x, by, x + w, by + thick);
            break;
        }
        case 2: {
            const bool rising = rng.Below(2) == 0;
            for (int r = 0; r < h; ++r) {
                const int off = r * (w - thick) / h;
                const int sx = rising ? x + w - thick - off : x + off;
                page.Blacken(y - h + r, sx, sx + thick + 1);
            }
            break;
        }
        default: {  // a ring approximated row by row
            const int cx = x + w / 2, cy = y - h / 2, rx = w / 2, ry = h / 2;
            for (int r = -ry; r < ry; ++r) {
                const double t = 1.0 - (r + 0.5) * (r + 0.5) / (static_cast<double>(ry) * ry);
                if (t <= 0) continue;
                const int outer = static_cast<int>(rx * __builtin_sqrt(t));
                const int inner = std::max(0, outer - thick);
                page.Blacken(cy + r, cx - outer, cx - inner);
                page.Blacken(cy + r, cx + inner, cx + outer);
            }
            break;
        }
        }
    }
}

void MakePage(TPage& page, TRandom& rng) {
    const int margin = 250 + static_cast<int>(rng.Below(60));
    const int right = static_cast<int>(kWidth) - margin;
    const int h = 19 + static_cast<int>(rng.Below(9));
    const int lineGap = h * 12 / 5;
    int y = 300 + static_cast<int>(rng.Below(50));
    while (y < static_cast<int>(kHeight) - 320) {
        const bool heading = rng.Below(7) == 0;
        const int lh = heading ? h * 3 / 2 : h;
        const int lines = heading ? 1 : 2 + static_cast<int>(rng.Below(11));
        for (int l = 0; l < lines && y < static_cast<int>(kHeight) - 320; ++l) {
            const int end = l + 1 == lines ? margin + static_cast<int>(rng.Below(static_cast<uint32_t>(right - margin)))
                                           : right;
            int x = margin + (l == 0 && !heading ? 2 * lh : 0);
            while (x + 3 * lh < end) {
                const int letters = 1 + static_cast<int>(rng.Below(10));
                for (int k = 0; k < letters && x + lh < end; ++k) {
                    const int w = lh * 2 / 3 + static_cast<int>(rng.Below(static_cast<uint32_t>(lh / 2)));
                    Glyph(page, rng, x, y, w, lh);
                    x += w + 2 + static_cast<int>(rng.Below(3));
                }
                x += lh * 4 / 5;
            }
            y += heading ? lineGap * 3 / 2 : lineGap;
        }
        y += lineGap * 2 / 3;
    }
}

// ---------------------------------------------------------------------------
// libtiff on a file held in memory.


// A page as a one-strip Group 4 TIFF written by libtiff.
bool WriteGroup4Tiff(const TPage& page, TMemoryTiff& f) {
    TIFF* tif = OpenMemoryTiff(f, "w");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kHeight);
    std::vector<uint8_t> copy = page.Bits();  // the encoder may work in place
    const bool ok = TIFFWriteEncodedStrip(tif, 0, copy.data(), static_cast<tmsize_t>(copy.size())) >= 0;
    TIFFClose(tif);
    return ok;
}

// The raw strip of the file's page.
std::vector<uint8_t> RawStrip(TMemoryTiff& f) {
    TIFF* tif = OpenMemoryTiff(f, "rm");  // read it through read calls, not the map
    std::vector<uint8_t> strip;
    if (!tif) return strip;
    toff_t* counts = nullptr;
    if (TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) && counts) {
        strip.resize(static_cast<std::size_t>(counts[0]));
        if (TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size())) < 0) strip.clear();
    }
    TIFFClose(tif);
    return strip;
}

struct TCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

void Quiet(const char*, const char*, va_list) {}

}  // namespace

int main() {
    TIFFSetWarningHandler(Quiet);
    std::printf("bench_g4_decode: %d text-like A4 pages at 300 dpi (%u x %u) as one-strip Group 4 TIFFs written by "
                "libtiff; our decoder on the strip bytes against TIFFReadEncodedStrip. Times are those of the round "
                "with the least CPU time.\n",
                kPages, kWidth, kHeight);

    TRandom rng(0x6D4DEC0DEULL);
    std::vector<TPage> pages(kPages);
    std::vector<TMemoryTiff> files(kPages);
    std::vector<std::vector<uint8_t>> strips(kPages);
    uint64_t black = 0, codeBytes = 0;
    for (int p = 0; p < kPages; ++p) {
        MakePage(pages[p], rng);
        for (uint8_t b : pages[p].Bits()) black += static_cast<uint64_t>(__builtin_popcount(b));
        files[p].map = true;
        if (!WriteGroup4Tiff(pages[p], files[p])) {
            std::printf("libtiff could not write page %d FAIL\n", p + 1);
            return 0;
        }
        strips[p] = RawStrip(files[p]);
        codeBytes += strips[p].size();
    }
    std::printf("pages made: %.1f%% black pixels, %.1f KiB of Group 4 code a page\n",
                100.0 * static_cast<double>(black) / (static_cast<double>(kWidth) * kHeight * kPages),
                static_cast<double>(codeBytes) / 1024 / kPages);

    vellumark::ccitt::TDecodeOptions options;
    options.Scheme = vellumark::ccitt::TScheme::Group4;
    options.Width = kWidth;
    options.Rows = kHeight;

    std::vector<uint8_t> ours(kRowBytes * kHeight), theirs(kRowBytes * kHeight);
    std::vector<double> ourCpu, ourWall, tiffCpu, tiffWall;
    bool oursRight = true, theirsRight = true;
    for (int round = 0; round < kRounds; ++round) {
        double cpu = 0, wall = 0;
        for (int p = 0; p < kPages; ++p) {
            std::fill(ours.begin(), ours.end(), uint8_t{0x55});
            const double c0 = CpuSeconds(), w0 = Seconds();
            const bool ok = vellumark::ccitt::Decode(strips[p], options, ours, kRowBytes);
            cpu += CpuSeconds() - c0;
            wall += Seconds() - w0;
            if (!ok || ours != pages[p].Bits()) oursRight = false;
        }
        ourCpu.push_back(cpu);
        ourWall.push_back(wall);

        cpu = wall = 0;
        for (int p = 0; p < kPages; ++p) {
            std::unique_ptr<TIFF, TCloser> tif(OpenMemoryTiff(files[p], "r"));
            std::fill(theirs.begin(), theirs.end(), uint8_t{0x55});
            const double c0 = CpuSeconds(), w0 = Seconds();
            const tmsize_t n = tif ? TIFFReadEncodedStrip(tif.get(), 0, theirs.data(), static_cast<tmsize_t>(theirs.size()))
                                   : -1;
            cpu += CpuSeconds() - c0;
            wall += Seconds() - w0;
            if (n != static_cast<tmsize_t>(theirs.size()) || theirs != pages[p].Bits()) theirsRight = false;
        }
        tiffCpu.push_back(cpu);
        tiffWall.push_back(wall);
    }

    std::printf("every page decoded exactly: ours %s, libtiff %s %s\n", oursRight ? "yes" : "NO",
                theirsRight ? "yes" : "NO", vellumark::bench::Verdict(oursRight && theirsRight));
    const auto best = [](const std::vector<double>& v) {
        return static_cast<std::size_t>(std::min_element(v.begin(), v.end()) - v.begin());
    };
    const std::size_t o = best(ourCpu), t = best(tiffCpu);
    std::printf("  ours:    %.3f s cpu (wall %.3f s; median cpu %.3f s), %.2f ms a page\n", ourCpu[o], ourWall[o],
                Median(ourCpu), 1000 * ourCpu[o] / kPages);
    std::printf("  libtiff: %.3f s cpu (wall %.3f s; median cpu %.3f s), %.2f ms a page\n", tiffCpu[t], tiffWall[t],
                Median(tiffCpu), 1000 * tiffCpu[t] / kPages);
    const double ratio = ourCpu[o] / tiffCpu[t];
    std::printf("ours vs libtiff Group 4 decoding: %.3f s vs %.3f s: time ratio %.2f (target <= %.1f) %s\n", ourCpu[o],
                tiffCpu[t], ratio, kTargetRatio, vellumark::bench::Verdict(oursRight && ratio <= kTargetRatio));
    return 0;
}
