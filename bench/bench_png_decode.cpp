// PNG decoding against libpng on the same files: one hundred photo-like RGB
// pictures of one to two megapixels, encoded by libpng at its default
// settings and kept in memory (the same files in every run). Our side is
// TqzPNGImage::LoadFromStream and AssignTo (a 24-bit bitmap); libpng's side
// is png_image_begin_read_from_memory and png_image_finish_read to 8-bit RGB
// into a buffer allocated for each image. The two sides alternate over
// several rounds; the round with the least CPU time of each counts. The
// first picture must decode to the same pixels on both sides.
//
// Target: our reader takes at most 1.2 times libpng's time.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/Pictures.h"
#include "decoders/BMPImage.h"
#include "decoders/PNGImage.h"

namespace {

using vellumark::TBMPImage;
using vellumark::TqzPNGImage;
using vellumark::bench::CpuSeconds;
using vellumark::bench::Median;
using vellumark::bench::Seconds;
using vellumark::bench::TRandom;

constexpr int kImages = 100;
constexpr int kRounds = 3;
constexpr double kTargetRatio = 1.2;

// The picture as libpng's default encoding of 8-bit RGB.
std::vector<uint8_t> EncodeWithLibpng(const TBMPImage& picture) {
    std::vector<uint8_t> rgb(std::size_t{picture.Width()} * picture.Height() * 3);
    for (uint32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* s = picture.Row(y);
        uint8_t* d = rgb.data() + std::size_t{y} * picture.Width() * 3;
        for (uint32_t x = 0; x < picture.Width(); ++x, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.Width();
    image.height = picture.Height();
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return {};
    std::vector<uint8_t> file(size);
    if (!png_image_write_to_memory(&image, file.data(), &size, 0, rgb.data(), 0, nullptr)) return {};
    file.resize(size);
    return file;
}

// libpng's decoding to 8-bit RGB; empty on an error.
std::vector<uint8_t> DecodeWithLibpng(const std::vector<uint8_t>& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    return rgb;
}

}  // namespace

int main() {
    std::printf("bench_png_decode: %d photo-like RGB pictures of 1 to 2 megapixels encoded by libpng (default "
                "settings), decoded by our reader (LoadFromStream + AssignTo) and by libpng (png_image_finish_read "
                "to RGB). Times are those of the round with the least CPU time.\n",
                kImages);
    TRandom rng(0x5049C0DEULL);
    std::vector<std::vector<uint8_t>> files;
    uint64_t pixels = 0, bytes = 0;
    TBMPImage first;
    for (int i = 0; i < kImages; ++i) {
        const uint32_t megapixel = 1000000 + rng.Below(1000001);
        const uint32_t width = 1000 + rng.Below(600);
        const uint32_t height = megapixel / width;
        TBMPImage picture;
        vellumark::bench::PaintPhotoLike(picture, width, height, rng, 6);
        files.push_back(EncodeWithLibpng(picture));
        if (files.back().empty()) {
            std::printf("libpng failed to encode picture %d FAIL\n", i + 1);
            return 0;
        }
        if (i == 0) first = picture;
        pixels += uint64_t{width} * height;
        bytes += files.back().size();
    }
    std::printf("pictures made: %.1f megapixels, %.1f MiB of PNG files (%.2f bytes a pixel)\n", pixels / 1e6,
                bytes / 1048576.0, static_cast<double>(bytes) / static_cast<double>(pixels));

    std::vector<double> ourCpu, ourWall, pngCpu, pngWall;
    for (int round = 0; round < kRounds; ++round) {
        double c0 = CpuSeconds(), w0 = Seconds();
        for (const auto& file : files) {
            TqzPNGImage reader;
            reader.LoadFromStream(std::span<const uint8_t>(file.data(), file.size()));
            TBMPImage bitmap;
            reader.AssignTo(bitmap);
        }
        ourCpu.push_back(CpuSeconds() - c0);
        ourWall.push_back(Seconds() - w0);

        c0 = CpuSeconds();
        w0 = Seconds();
        for (const auto& file : files) {
            if (DecodeWithLibpng(file).empty()) {
                std::printf("libpng failed to decode FAIL\n");
                return 0;
            }
        }
        pngCpu.push_back(CpuSeconds() - c0);
        pngWall.push_back(Seconds() - w0);
    }

    // Picture 1 from both sides, and as painted.
    TqzPNGImage reader;
    reader.LoadFromStream(std::span<const uint8_t>(files[0].data(), files[0].size()));
    TBMPImage ours;
    reader.AssignTo(ours);
    const std::vector<uint8_t> theirs = DecodeWithLibpng(files[0]);
    bool same = ours.Width() == first.Width() && ours.Height() == first.Height() &&
                std::equal(ours.Pixels().begin(), ours.Pixels().end(), first.Pixels().begin(), first.Pixels().end()) &&
                theirs.size() == ours.Pixels().size();
    for (std::size_t i = 0; same && i < theirs.size(); i += 3)
        same = theirs[i] == ours.Pixels()[i + 2] && theirs[i + 1] == ours.Pixels()[i + 1] &&
               theirs[i + 2] == ours.Pixels()[i];
    std::printf("picture 1 decoded by both: %s %s\n", same ? "same pixels, equal to the picture" : "pixels differ",
                vellumark::bench::Verdict(same));

    const double ourBest = *std::min_element(ourCpu.begin(), ourCpu.end());
    const double pngBest = *std::min_element(pngCpu.begin(), pngCpu.end());
    std::printf("  ours:   %.3f s cpu (median %.3f s, best wall %.3f s), %.2f ms a picture, %.0f megapixels/s\n",
                ourBest, Median(ourCpu), *std::min_element(ourWall.begin(), ourWall.end()),
                1000 * ourBest / kImages, pixels / 1e6 / ourBest);
    std::printf("  libpng: %.3f s cpu (median %.3f s, best wall %.3f s), %.2f ms a picture, %.0f megapixels/s\n",
                pngBest, Median(pngCpu), *std::min_element(pngWall.begin(), pngWall.end()),
                1000 * pngBest / kImages, pixels / 1e6 / pngBest);
    const double ratio = ourBest / pngBest;
    std::printf("ours vs libpng PNG decoding: %.3f s vs %.3f s: ratio %.2f (target <= %.1f) %s\n", ourBest, pngBest,
                ratio, kTargetRatio, vellumark::bench::Verdict(ratio <= kTargetRatio));
    return 0;
}
