// The Flate path of 24-bit images against zlib alone: ConvertBitmapToImage
// with the RGB setting cfZIP on 24-bit bitmaps, against one deflate of the
// same pixels (deflateInit2 with Z_DEFAULT_COMPRESSION, Z_DEFLATED, a 32 KB
// window, memory level 8, Z_DEFAULT_STRATEGY, the settings the engine's
// compressor uses; the whole input in one call with Z_FINISH into a buffer of
// deflateBound bytes).
//
// The pictures (the same on every run), at 800 x 600, 1920 x 1080 and
// 4000 x 3000:
// - photo-like: a smooth colour field with a grain of +-3 levels;
// - flat colour: solid rectangles and rules in a dozen colours.
// zlib gets the pixels already turned from the bitmap's blue-green-red into
// red-green-blue (the order the image stream holds), which is done before
// its clock starts; the conversion's reordering is part of its own time.
// The two sides alternate over several rounds; the round with the least CPU
// time of each counts (small pictures are run several times a round so that
// a round takes a measurable time). Both outputs are inflated and must give
// the red-green-blue pixels.
//
// Target: the conversion at most 1.2 times zlib's CPU time, for each picture.

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/Pictures.h"
#include "decoders/BMPImage.h"
#include "images/ConvertBitmap.h"
#include "model/PDFImageRes.h"

namespace {

using namespace vellumark;
using vellumark::bench::CpuSeconds;
using vellumark::bench::Median;
using vellumark::bench::Seconds;
using vellumark::bench::TRandom;

constexpr int kRounds = 5;
constexpr double kTarget = 1.2;
// Below this many pixels a round converts the picture several times.
constexpr uint64_t kPixelsPerRound = 8'000'000;

struct TSize {
    uint32_t width, height;
};
constexpr TSize kSizes[] = {{800, 600}, {1920, 1080}, {4000, 3000}};

std::vector<uint8_t> RGBBytes(const TBMPImage& bitmap) {
    std::vector<uint8_t> rgb(std::size_t{bitmap.Width()} * bitmap.Height() * 3);
    uint8_t* dst = rgb.data();
    for (uint32_t y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* src = bitmap.Row(y);
        for (uint32_t x = 0; x < bitmap.Width(); ++x, dst += 3) {
            dst[0] = src[3 * std::size_t{x} + 2];
            dst[1] = src[3 * std::size_t{x} + 1];
            dst[2] = src[3 * std::size_t{x}];
        }
    }
    return rgb;
}

// zlib alone: the compressed size, 0 on an error; the stream is kept in
// `out` when it is given.
std::size_t DeflateAlone(const std::vector<uint8_t>& rgb, std::string* out) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return 0;
    const uLong bound = deflateBound(&zs, static_cast<uLong>(rgb.size()));
    auto buffer = std::make_unique_for_overwrite<unsigned char[]>(bound);
    zs.next_in = const_cast<Bytef*>(rgb.data());
    zs.avail_in = static_cast<uInt>(rgb.size());
    zs.next_out = buffer.get();
    zs.avail_out = static_cast<uInt>(bound);
    const int rc = deflate(&zs, Z_FINISH);
    const std::size_t size = zs.total_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) return 0;
    if (out) out->assign(reinterpret_cast<const char*>(buffer.get()), size);
    return size;
}

bool InflatesTo(const std::string& stream, const std::vector<uint8_t>& expected) {
    std::vector<uint8_t> got(expected.size() + 1);
    uLongf size = static_cast<uLongf>(got.size());
    if (uncompress(got.data(), &size, reinterpret_cast<const Bytef*>(stream.data()),
                   static_cast<uLong>(stream.size())) != Z_OK)
        return false;
    return size == expected.size() && std::equal(expected.begin(), expected.end(), got.begin());
}

struct TCase {
    const char* content;
    TSize size;
    int repeats = 1;  // conversions per round
    std::size_t ourBytes = 0, zlibBytes = 0;
    bool sameOutput = false, ok = false;
    std::vector<double> ourCpu, ourWall, zlibCpu, zlibWall;  // per conversion

    static double Best(const std::vector<double>& cpu, const std::vector<double>& wall, double& wallOfBest) {
        const auto i = static_cast<std::size_t>(std::min_element(cpu.begin(), cpu.end()) - cpu.begin());
        wallOfBest = wall[i];
        return cpu[i];
    }
};

TCase Measure(const char* content, TSize size, TBMPImage& bitmap) {
    TCase c;
    c.content = content;
    c.size = size;
    const uint64_t pixels = std::uint64_t{size.width} * size.height;
    c.repeats = static_cast<int>(std::max<uint64_t>(1, kPixelsPerRound / pixels));
    const std::vector<uint8_t> rgb = RGBBytes(bitmap);
    const TCompressionSettings settings{cfGroup4, cfZIP, cfZIP, cfZIP};

    // Once each, outside the clocks: the outputs are checked.
    std::string zlibStream;
    c.zlibBytes = DeflateAlone(rgb, &zlibStream);
    {
        TPDFImageRes image;
        image.Width = size.width;
        image.Height = size.height;
        ConvertBitmapToImage(settings, bitmap, image);
        c.ourBytes = image.ImageStream.size();
        c.ok = image.Compression == cfZIP && image.BitsPerComponent == 8 && !image.Indexed &&
               InflatesTo(image.ImageStream, rgb) && c.zlibBytes > 0 && InflatesTo(zlibStream, rgb);
        c.sameOutput = image.ImageStream == zlibStream;
    }
    if (!c.ok) return c;

    for (int round = 0; round < kRounds; ++round) {
        {
            std::vector<TPDFImageRes> images(static_cast<std::size_t>(c.repeats));
            for (TPDFImageRes& image : images) {
                image.Width = size.width;
                image.Height = size.height;
            }
            const double c0 = CpuSeconds(), w0 = Seconds();
            for (TPDFImageRes& image : images) ConvertBitmapToImage(settings, bitmap, image);
            c.ourCpu.push_back((CpuSeconds() - c0) / c.repeats);
            c.ourWall.push_back((Seconds() - w0) / c.repeats);
        }
        {
            std::size_t total = 0;
            const double c0 = CpuSeconds(), w0 = Seconds();
            for (int i = 0; i < c.repeats; ++i) total += DeflateAlone(rgb, nullptr);
            c.zlibCpu.push_back((CpuSeconds() - c0) / c.repeats);
            c.zlibWall.push_back((Seconds() - w0) / c.repeats);
            if (total != c.zlibBytes * static_cast<std::size_t>(c.repeats)) c.ok = false;
        }
    }
    return c;
}

}  // namespace

int main() {
    std::printf("bench_image_flate: ConvertBitmapToImage with CompressionRGB cfZIP on 24-bit bitmaps against zlib "
                "alone (deflateInit2(Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY), one deflate "
                "call) on the same pixels in red-green-blue order. Times are per conversion, those of the round with "
                "the least CPU time (user + system), which the verdicts compare; %d rounds.\n",
                kRounds);
    const double start = Seconds();
    std::vector<TCase> cases;
    TRandom rng(0xF1A7E1A5ULL);
    for (const TSize& size : kSizes) {
        for (const char* content : {"photo-like", "flat colour"}) {
            TBMPImage bitmap;
            if (content[0] == 'p')
                bench::PaintPhotoLike(bitmap, size.width, size.height, rng, 3);
            else
                bench::PaintFlatColour(bitmap, size.width, size.height, rng);
            cases.push_back(Measure(content, size, bitmap));
            const TCase& c = cases.back();
            if (!c.ok) {
                std::printf("%s %ux%u: an output does not inflate to the pixels FAIL\n", content, size.width,
                            size.height);
                continue;
            }
            double ourWall = 0, zlibWall = 0;
            const double ours = TCase::Best(c.ourCpu, c.ourWall, ourWall);
            const double zlib = TCase::Best(c.zlibCpu, c.zlibWall, zlibWall);
            const double mb = static_cast<double>(size.width) * size.height * 3 / 1e6;
            std::printf("%s %ux%u (%.1f MB of pixels, %d a round):\n", content, size.width, size.height, mb,
                        c.repeats);
            std::printf("  conversion: cpu %8.2f ms (wall %8.2f ms; median cpu %8.2f ms), %6.1f MB/s, %10zu bytes "
                        "(%.1f%%)\n",
                        1e3 * ours, 1e3 * ourWall, 1e3 * Median(c.ourCpu), mb / ours, c.ourBytes,
                        100.0 * static_cast<double>(c.ourBytes) / (mb * 1e6));
            std::printf("  zlib alone: cpu %8.2f ms (wall %8.2f ms; median cpu %8.2f ms), %6.1f MB/s, %10zu bytes%s\n",
                        1e3 * zlib, 1e3 * zlibWall, 1e3 * Median(c.zlibCpu), mb / zlib, c.zlibBytes,
                        c.sameOutput ? " (the same stream)" : " (a different stream)");
            std::fflush(stdout);
        }
    }

    std::printf("summary:\n");
    for (const TCase& c : cases) {
        if (!c.ok) continue;
        double w = 0;
        const double ours = TCase::Best(c.ourCpu, c.ourWall, w);
        const double zlib = TCase::Best(c.zlibCpu, c.zlibWall, w);
        const double ratio = ours / zlib;
        std::printf("conversion vs zlib, %s %ux%u: %.2f ms vs %.2f ms: ratio %.2fx (target <= %.1fx) %s\n",
                    c.content, c.size.width, c.size.height, 1e3 * ours, 1e3 * zlib, ratio, kTarget,
                    bench::Verdict(ratio <= kTarget));
    }
    std::printf("bench_image_flate ran %.0f s\n", Seconds() - start);
    return 0;
}
