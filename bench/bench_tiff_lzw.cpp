// Decoding LZW-compressed RGB TIFF pages: our reader (LoadFromStream and
// AssignTo into a 24-bit bitmap) against libtiff (TIFFReadEncodedStrip of
// every strip into raw RGB) on the same files: fifty A4 pages at 100 dpi
// (827 x 1169), photo-like content (smooth gradients, soft shapes, a little
// noise), written by libtiff's own encoder with the horizontal-differencing
// predictor and its default strip size, held in memory. The two sides
// alternate over several rounds; the round with the least CPU time of each
// counts. Page 1 must give the same pixels both ways.
//
// Target: ours no slower than libtiff (time ratio <= 1.0).

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/InvalidGraphic.h"
#include "bench/BenchCommon.h"
#include "bench/LibtiffMemory.h"
#include "decoders/BMPImage.h"
#include "decoders/TIFImage.h"

namespace {

using vellumark::TBMPImage;
using vellumark::TTIFImage;
using vellumark::bench::OpenMemoryTiff;
using vellumark::bench::TMemoryTiff;
using vellumark::bench::CpuSeconds;
using vellumark::bench::Median;
using vellumark::bench::Seconds;
using vellumark::bench::TRandom;

constexpr uint32_t kWidth = 827;
constexpr uint32_t kHeight = 1169;
constexpr int kPages = 50;
constexpr int kRounds = 3;
constexpr double kTargetRatio = 1.0;

void QuietHandler(const char*, const char*, va_list) {}


// A photo-like page, RGB: a few broad colour gradients, soft-edged discs
// and a little grain.
std::vector<uint8_t> MakePage(TRandom& rng) {
    std::vector<uint8_t> rgb(std::size_t{kWidth} * kHeight * 3);
    double base[3][3];
    for (auto& c : base)
        for (double& v : c) v = rng.Range(0, 255);
    struct TDisc {
        double x, y, r, c[3];
    };
    std::vector<TDisc> discs(12);
    for (TDisc& d : discs) {
        d = {rng.Range(0, kWidth), rng.Range(0, kHeight), rng.Range(40, 260), {rng.Range(0, 255), rng.Range(0, 255), rng.Range(0, 255)}};
    }
    for (uint32_t y = 0; y < kHeight; ++y) {
        const double fy = static_cast<double>(y) / kHeight;
        for (uint32_t x = 0; x < kWidth; ++x) {
            const double fx = static_cast<double>(x) / kWidth;
            double c[3];
            for (int k = 0; k < 3; ++k) c[k] = base[0][k] * (1 - fx) * (1 - fy) + base[1][k] * fx + base[2][k] * fy * (1 - fx);
            for (const TDisc& d : discs) {
                const double dist = std::hypot(x - d.x, y - d.y);
                if (dist >= d.r) continue;
                const double a = std::min(1.0, (d.r - dist) / 12.0) * 0.8;
                for (int k = 0; k < 3; ++k) c[k] = c[k] * (1 - a) + d.c[k] * a;
            }
            uint8_t* p = &rgb[(std::size_t{y} * kWidth + x) * 3];
            for (int k = 0; k < 3; ++k) {
                const double v = c[k] + (static_cast<double>(rng.Below(7)) - 3);
                p[k] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
            }
        }
    }
    return rgb;
}

bool WritePage(const std::vector<uint8_t>& rgb, TMemoryTiff& out) {
    TIFF* tif = OpenMemoryTiff(out, "w");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, 2);
    const uint32_t rows = TIFFDefaultStripSize(tif, 0);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
    const std::size_t rowBytes = std::size_t{kWidth} * 3;
    bool ok = true;
    for (uint32_t y = 0, strip = 0; y < kHeight && ok; y += rows, ++strip) {
        const uint32_t n = std::min(rows, kHeight - y);
        ok = TIFFWriteEncodedStrip(tif, strip, const_cast<uint8_t*>(rgb.data() + y * rowBytes),
                                   static_cast<tmsize_t>(n * rowBytes)) >= 0;
    }
    TIFFClose(tif);
    return ok;
}

// libtiff's decoding of a page into raw RGB rows.
bool DecodeWithLibtiff(TMemoryTiff& f, std::vector<uint8_t>& rgb) {
    f.pos = 0;
    TIFF* tif = OpenMemoryTiff(f, "r");
    if (!tif) return false;
    const tstrip_t strips = TIFFNumberOfStrips(tif);
    const tmsize_t stripSize = TIFFStripSize(tif);
    rgb.resize(std::size_t{kWidth} * kHeight * 3);
    tmsize_t at = 0;
    bool ok = true;
    for (tstrip_t s = 0; s < strips && ok; ++s) {
        const tmsize_t n = TIFFReadEncodedStrip(tif, s, rgb.data() + at, std::min<tmsize_t>(stripSize, static_cast<tmsize_t>(rgb.size()) - at));
        ok = n > 0;
        at += n;
    }
    TIFFClose(tif);
    return ok;
}

bool DecodeOurs(const TMemoryTiff& f, TBMPImage& bitmap) {
    try {
        TTIFImage tiff;
        tiff.LoadFromStream(f.bytes);
        tiff.AssignTo(bitmap);
        return true;
    } catch (const vellumark::EInvalidGraphic& e) {
        std::printf("our reader: %s\n", e.what());
        return false;
    }
}

}  // namespace

int main() {
    TIFFSetWarningHandler(QuietHandler);
    std::printf("bench_tiff_lzw: %d photo-like RGB pages of %u x %u, LZW with predictor 2 written by libtiff; our reader "
                "(LoadFromStream + AssignTo) against libtiff (TIFFReadEncodedStrip of every strip). Times are those "
                "of the round with the least CPU time.\n",
                kPages, kWidth, kHeight);
    TRandom rng(0x71FF5EEDULL);
    std::vector<TMemoryTiff> files(kPages);
    std::vector<uint8_t> firstPage;
    uint64_t compressed = 0;
    for (int p = 0; p < kPages; ++p) {
        std::vector<uint8_t> rgb = MakePage(rng);
        if (!WritePage(rgb, files[static_cast<std::size_t>(p)])) {
            std::printf("libtiff failed to write page %d FAIL\n", p + 1);
            return 0;
        }
        compressed += files[static_cast<std::size_t>(p)].bytes.size();
        if (p == 0) firstPage = std::move(rgb);
    }
    const double raw = static_cast<double>(kWidth) * kHeight * 3 * kPages;
    std::printf("pages made: %.1f MiB of pixels in %.1f MiB of TIFF files (%.1f%%)\n", raw / 1048576.0,
                static_cast<double>(compressed) / 1048576.0, 100.0 * static_cast<double>(compressed) / raw);

    std::vector<double> ourCpu, ourWall, tiffCpu, tiffWall;
    TBMPImage bitmap;
    std::vector<uint8_t> rgb;
    for (int round = 0; round < kRounds; ++round) {
        double cpu = 0, wall = 0;
        for (int p = 0; p < kPages; ++p) {
            const double c0 = CpuSeconds(), w0 = Seconds();
            if (!DecodeOurs(files[static_cast<std::size_t>(p)], bitmap)) {
                std::printf("our reader failed on page %d FAIL\n", p + 1);
                return 0;
            }
            cpu += CpuSeconds() - c0;
            wall += Seconds() - w0;
        }
        ourCpu.push_back(cpu);
        ourWall.push_back(wall);
        cpu = wall = 0;
        for (int p = 0; p < kPages; ++p) {
            const double c0 = CpuSeconds(), w0 = Seconds();
            if (!DecodeWithLibtiff(files[static_cast<std::size_t>(p)], rgb)) {
                std::printf("libtiff failed on page %d FAIL\n", p + 1);
                return 0;
            }
            cpu += CpuSeconds() - c0;
            wall += Seconds() - w0;
        }
        tiffCpu.push_back(cpu);
        tiffWall.push_back(wall);
    }

    // Page 1 both ways, against the pixels written.
    bool same = DecodeOurs(files[0], bitmap) && DecodeWithLibtiff(files[0], rgb) && rgb == firstPage;
    for (uint32_t y = 0; same && y < kHeight; ++y) {
        const uint8_t* row = bitmap.Row(y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint8_t* p = &firstPage[(std::size_t{y} * kWidth + x) * 3];
            if (row[3 * x] != p[2] || row[3 * x + 1] != p[1] || row[3 * x + 2] != p[0]) {
                same = false;
                break;
            }
        }
    }
    std::printf("page 1 decoded both ways: %s %s\n", same ? "same pixels, equal to the page" : "pixels differ",
                vellumark::bench::Verdict(same));

    const double ours = *std::min_element(ourCpu.begin(), ourCpu.end());
    const double theirs = *std::min_element(tiffCpu.begin(), tiffCpu.end());
    std::printf("  ours:    %.3f s cpu (median %.3f s, wall of best %.3f s), %.2f ms a page, %.0f MB/s of pixels\n", ours,
                Median(ourCpu), ourWall[static_cast<std::size_t>(std::min_element(ourCpu.begin(), ourCpu.end()) - ourCpu.begin())],
                1000 * ours / kPages, raw / ours / 1e6);
    std::printf("  libtiff: %.3f s cpu (median %.3f s, wall of best %.3f s), %.2f ms a page, %.0f MB/s of pixels\n",
                theirs, Median(tiffCpu),
                tiffWall[static_cast<std::size_t>(std::min_element(tiffCpu.begin(), tiffCpu.end()) - tiffCpu.begin())],
                1000 * theirs / kPages, raw / theirs / 1e6);
    const double ratio = ours / theirs;
    std::printf("ours vs libtiff LZW RGB decoding: %.3f s vs %.3f s: time ratio %.2f (target <= %.1f) %s\n", ours, theirs,
                ratio, kTargetRatio, vellumark::bench::Verdict(ratio <= kTargetRatio));
    return 0;
}
