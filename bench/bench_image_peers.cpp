// "vellumark images" against other programs that put images into a PDF, each
// run as a whole process on the same files:
// - 100 photo-like RGB PNG files (about 900 x 600, written by libpng at its
//   defaults; ten pictures, each in ten files): against img2pdf, which copies the PNG data, with our PNG data
//   kept as it is (the default); and against a libharu program
//   (haru_images, beside this one), which decodes and compresses again,
//   with --no-png-passthrough;
// - one 50-page and one 1,000-page Group 4 TIFF file of fax-like text pages
//   (1728 x 2200, eight pages coded by libtiff, repeated): against tiff2pdf, which copies the
//   Group 4 strips; and the 1,000-page file's time per page against the
//   50-page file's;
// - 200 photo-like JPEG files (about 1200 x 800, quality 90; twenty
//   pictures, each in ten files): against the
//   libharu program, which copies them as we do.
// The inputs are made once in a temporary folder. Each program runs as a
// child (posix_spawn) several times (at least 15 times for the short TIFF and
// JPEG runs), the sides alternating; the figures are
// the medians of the wall time and of the CPU time (user + system, from
// wait4), and the largest peak resident memory (ru_maxrss). Every PDF of ours
// passes qpdf --check. The targets are judged on the wall time, the time a
// user waits, which the command's second thread shortens on a machine with
// more than one processor; the CPU ratio is printed beside it (run on a
// quiet machine: other work disturbs the wall time more):
//   PNG kept      at most 0.5 x img2pdf
//   PNG decoded   at most 0.6 x libharu
//   TIFF 50 pages at most 1.0 x tiff2pdf
//   TIFF 1,000    time per page at most 1.2 x that of the 50-page file
//   JPEG          at most 0.5 x libharu
//
// Arguments: --rounds N (default 5); --keep leaves the temporary folder.

#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/Process.h"
#include "bench/Pictures.h"
#include "decoders/BMPImage.h"
#include "decoders/JPEGImage.h"

namespace {

namespace fs = std::filesystem;
using vellumark::TBMPImage;
using vellumark::TJPEGImageExtra;
using vellumark::bench::DefaultProgram;
using vellumark::bench::Median;
using vellumark::bench::QpdfCheck;
using vellumark::bench::Seconds;
using vellumark::bench::TimevalSeconds;
using vellumark::bench::TRandom;
using vellumark::bench::Verdict;

// --- inputs ------------------------------------------------------------------------

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string Numbered(const std::string& dir, const char* stem, int n, const char* ext) {
    char name[64];
    std::snprintf(name, sizeof name, "/%s%03d.%s", stem, n, ext);
    return dir + name;
}

// A 24-bit bitmap (blue, green, red) as an RGB PNG file, libpng's defaults.
bool WritePng(const std::string& path, const TBMPImage& bitmap) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    std::vector<uint8_t> row(std::size_t{bitmap.Width()} * 3);
    if (ok && setjmp(png_jmpbuf(png))) ok = false;
    if (ok) {
        png_init_io(png, f);
        png_set_IHDR(png, info, bitmap.Width(), bitmap.Height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (uint32_t y = 0; y < bitmap.Height(); ++y) {
            const uint8_t* src = bitmap.Row(y);
            for (uint32_t x = 0; x < bitmap.Width(); ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 && ok;
}

// Making pictures is slow: ten different ones, each file repeated.
constexpr int kDistinct = 10;

bool CopyOf(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

std::vector<std::string> MakePngs(const std::string& dir, int count) {
    std::vector<std::string> paths;
    TRandom rng(0x5EED0001ULL);
    TBMPImage bitmap;
    for (int i = 1; i <= count; ++i) {
        paths.push_back(Numbered(dir, "p", i, "png"));
        if (i > kDistinct) {
            if (!CopyOf(paths[static_cast<std::size_t>((i - 1) % kDistinct)], paths.back())) return {};
            continue;
        }
        uint32_t w = 800 + rng.Below(201), h = 540 + rng.Below(121);
        if (i % 8 == 0) std::swap(w, h);
        vellumark::bench::PaintPhotoLike(bitmap, w, h, rng, 2);
        if (!WritePng(paths.back(), bitmap)) return {};
    }
    return paths;
}

std::vector<std::string> MakeJpegs(const std::string& dir, int count) {
    std::vector<std::string> paths;
    TRandom rng(0x1A9E6F17ULL);
    TBMPImage bitmap;
    for (int i = 1; i <= count; ++i) {
        paths.push_back(Numbered(dir, "j", i, "jpg"));
        if (i > 2 * kDistinct) {
            if (!CopyOf(paths[static_cast<std::size_t>((i - 1) % (2 * kDistinct))], paths.back())) return {};
            continue;
        }
        uint32_t w = 1040 + rng.Below(321), h = 680 + rng.Below(241);
        if (i % 8 == 7) std::swap(w, h);
        vellumark::bench::PaintPhotoLike(bitmap, w, h, rng, 0);
        if (!WriteFile(paths.back(), TJPEGImageExtra::Encode(bitmap, false, 90))) return {};
    }
    return paths;
}

constexpr uint32_t kPageWidth = 1728, kPageHeight = 2200;

void SetPageTags(TIFF* tif, int page, int pages) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kPageWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kPageHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kPageHeight);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 200.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 200.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, page, pages);
}

// Fax-like pages of 1728 x 2200 pixels (200 dpi): lines of "words" made of
// letter-like strokes, ragged line ends. Bit 1 is black (MINISWHITE).
void PaintPage(std::vector<uint8_t>& bits, uint32_t width, uint32_t height, TRandom& rng) {
    const std::size_t stride = (width + 7) / 8;
    bits.assign(stride * height, 0);
    const auto set = [&](uint32_t x, uint32_t y) { bits[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); };
    for (uint32_t top = 120; top + 40 < height - 120; top += 44) {
        uint32_t x = 150 + rng.Below(40);
        const uint32_t end = width - 150 - rng.Below(300);
        while (x + 40 < end) {
            const uint32_t letters = 2 + rng.Below(8);
            for (uint32_t l = 0; l < letters && x + 14 < end; ++l, x += 14) {
                const uint32_t shape = rng.Below(4);
                const uint32_t rise = rng.Below(3) == 0 ? 8 : 0;  // ascenders
                for (uint32_t y = top + 8 - rise; y < top + 28; ++y) {
                    set(x, y);
                    set(x + 1, y);
                    if (shape != 0) {
                        set(x + 8, y);
                        set(x + 9, y);
                    }
                }
                for (uint32_t xx = x; xx < x + 10; ++xx) {
                    if (shape != 1) set(xx, top + 8);
                    if (shape >= 2) set(xx, top + 27);
                    if (shape == 3) set(xx, top + 17);
                }
            }
            x += 16 + rng.Below(10);
        }
    }
}

// The Group 4 strips of `count` different pages, coded by libtiff once.
bool CodePages(const std::string& path, int count, std::vector<std::vector<uint8_t>>& strips) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    TRandom rng(0x7117F00DULL);
    std::vector<uint8_t> bits;
    bool ok = true;
    for (int p = 0; p < count && ok; ++p) {
        PaintPage(bits, kPageWidth, kPageHeight, rng);
        SetPageTags(tif, p, count);
        const std::size_t stride = (kPageWidth + 7) / 8;
        for (uint32_t y = 0; y < kPageHeight && ok; ++y) ok = TIFFWriteScanline(tif, bits.data() + y * stride, y, 0) == 1;
        ok = ok && TIFFWriteDirectory(tif) == 1;
    }
    TIFFClose(tif);
    tif = ok ? TIFFOpen(path.c_str(), "r") : nullptr;
    if (!tif) return false;
    strips.clear();
    do {
        const tmsize_t size = TIFFRawStripSize(tif, 0);
        std::vector<uint8_t> strip(static_cast<std::size_t>(std::max<tmsize_t>(size, 0)));
        ok = ok && size > 0 && TIFFReadRawStrip(tif, 0, strip.data(), size) == size;
        strips.push_back(std::move(strip));
    } while (ok && TIFFReadDirectory(tif));
    TIFFClose(tif);
    return ok && static_cast<int>(strips.size()) == count;
}

// A file of `pages` pages, the coded pages in turn, their strips written as
// they are.
bool MakeTiff(const std::string& path, int pages, const std::vector<std::vector<uint8_t>>& strips) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    bool ok = true;
    for (int p = 0; p < pages && ok; ++p) {
        SetPageTags(tif, p, pages);
        const std::vector<uint8_t>& strip = strips[static_cast<std::size_t>(p) % strips.size()];
        ok = TIFFWriteRawStrip(tif, 0, const_cast<uint8_t*>(strip.data()), static_cast<tmsize_t>(strip.size())) ==
                 static_cast<tmsize_t>(strip.size()) &&
             TIFFWriteDirectory(tif) == 1;
    }
    TIFFClose(tif);
    return ok;
}

// --- running -----------------------------------------------------------------------

struct TRun {
    bool ok = false;
    double wall = 0, cpu = 0;
    double maxrssMiB = 0;
};

TRun Run(const std::vector<std::string>& args, const std::string& errPath) {
    const vellumark::bench::TChild c = vellumark::bench::Spawn(args, {}, errPath);
    return {c.ok, c.wall, c.cpu, static_cast<double>(c.maxRssKiB) / 1024.0};
}

struct TSide {
    TSide(std::string n, std::vector<std::string> a, std::string out)
        : name(std::move(n)), args(std::move(a)), output(std::move(out)) {}
    std::string name;
    std::vector<std::string> args;
    std::string output;  // the PDF it writes
    std::vector<double> wall, cpu;
    double maxrssMiB = 0;
    bool ok = true;
    double Wall() const { return Median(wall); }
    double Cpu() const { return Median(cpu); }
};

// Runs the sides in turn, `rounds` times, each with its output removed first.
void Measure(std::vector<TSide*> sides, int rounds, const std::string& dir) {
    for (int round = 0; round < rounds; ++round) {
        for (TSide* s : sides) {
            if (!s->ok) continue;
            std::remove(s->output.c_str());
            const TRun r = Run(s->args, dir + "/err.txt");
            if (!r.ok) {
                s->ok = false;
                std::printf("  %s failed; its errors are in %s/err.txt\n", s->name.c_str(), dir.c_str());
                continue;
            }
            s->wall.push_back(r.wall);
            s->cpu.push_back(r.cpu);
            s->maxrssMiB = std::max(s->maxrssMiB, r.maxrssMiB);
        }
    }
}

void Print(const TSide& s) {
    if (!s.ok) return;
    std::printf("  %-34s wall %8.3f s   cpu %8.3f s   peak memory %7.1f MiB\n", s.name.c_str(), s.Wall(), s.Cpu(),
                s.maxrssMiB);
}

// One target: ours against the peer's CPU time.
bool Judge(const char* what, const TSide& ours, const TSide& peer, double target) {
    if (!ours.ok || !peer.ok) {
        std::printf("%-44s not measured FAIL\n", what);
        return false;
    }
    const double ratio = ours.Wall() / peer.Wall();
    std::printf("%-44s wall %.2fx (target %.1fx; cpu %.2fx) %s\n", what, ratio, target, ours.Cpu() / peer.Cpu(),
                Verdict(ratio <= target));
    return ratio <= target;
}

bool Checked(const std::string& pdf) {
    std::string last;
    const int rc = QpdfCheck(pdf, last);
    if (rc != 0) std::printf("  qpdf --check %s: %s\n", pdf.c_str(), last.c_str());
    return rc == 0;
}

std::string Beside(const char* program) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return program;
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + program;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows through a pipe
    int rounds = 5;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--keep") keep = true;
    }
    const std::string vellumark = DefaultProgram();
    const std::string haru = Beside("haru_images");
    char pattern[] = "/tmp/vellumark_peers.XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string dir = pattern;

    std::printf("making the inputs in %s ...\n", dir.c_str());
    const double t0 = Seconds();
    const std::vector<std::string> pngs = MakePngs(dir, 100);
    const double t1 = Seconds();
    const std::vector<std::string> jpegs = MakeJpegs(dir, 200);
    const double t2 = Seconds();
    std::vector<std::vector<uint8_t>> strips;
    const bool tiffs = CodePages(dir + "/coded.tif", 8, strips) && MakeTiff(dir + "/t50.tif", 50, strips) &&
                       MakeTiff(dir + "/t1000.tif", 1000, strips);
    if (pngs.empty() || jpegs.empty() || !tiffs) {
        std::printf("could not make the inputs FAIL\n");
        return 1;
    }
    uint64_t pngBytes = 0, jpegBytes = 0;
    for (const auto& p : pngs) pngBytes += fs::file_size(p);
    for (const auto& p : jpegs) jpegBytes += fs::file_size(p);
    std::printf("  %zu PNG files %.1f MiB, %zu JPEG files %.1f MiB, TIFF 50 pages %.1f MiB, 1000 pages %.1f MiB "
                "(made in %.1f, %.1f and %.1f s)\n",
                pngs.size(), pngBytes / 1048576.0, jpegs.size(), jpegBytes / 1048576.0,
                fs::file_size(dir + "/t50.tif") / 1048576.0, fs::file_size(dir + "/t1000.tif") / 1048576.0,
                t1 - t0, t2 - t1, Seconds() - t2);

    const auto with = [](std::vector<std::string> head, const std::vector<std::string>& files) {
        head.insert(head.end(), files.begin(), files.end());
        return head;
    };
    bool pass = true;

    // PNG.
    TSide pngKept{"vellumark images (PNG data kept)", with({vellumark, "images", "-o", dir + "/vk.pdf"}, pngs),
                  dir + "/vk.pdf"};
    TSide pngDecoded{"vellumark images --no-png-passthrough",
                     with({vellumark, "images", "--no-png-passthrough", "-o", dir + "/vd.pdf"}, pngs), dir + "/vd.pdf"};
    TSide img2pdf{"img2pdf", with({"img2pdf", "-o", dir + "/i2p.pdf"}, pngs), dir + "/i2p.pdf"};
    TSide haruPng{"libharu (haru_images)", with({haru, dir + "/hp.pdf"}, pngs), dir + "/hp.pdf"};
    std::printf("\n100 RGB PNG files, %d rounds:\n", rounds);
    Measure({&pngKept, &img2pdf, &pngDecoded, &haruPng}, rounds, dir);
    for (const TSide* s : {&pngKept, &img2pdf, &pngDecoded, &haruPng}) Print(*s);
    pass &= pngKept.ok && Checked(pngKept.output) && pngDecoded.ok && Checked(pngDecoded.output);
    pass &= Judge("PNG kept against img2pdf", pngKept, img2pdf, 0.5);
    pass &= Judge("PNG decoded against libharu", pngDecoded, haruPng, 0.6);

    // TIFF.
    TSide t50{"vellumark images, 50 pages", {vellumark, "images", "-o", dir + "/t50.pdf", dir + "/t50.tif"},
              dir + "/t50.pdf"};
    TSide t1000{"vellumark images, 1000 pages", {vellumark, "images", "-o", dir + "/t1000.pdf", dir + "/t1000.tif"},
                dir + "/t1000.pdf"};
    TSide tiff2pdf{"tiff2pdf, 50 pages", {"tiff2pdf", "-o", dir + "/t2p.pdf", dir + "/t50.tif"}, dir + "/t2p.pdf"};
    TSide tiff2pdf1000{"tiff2pdf, 1000 pages", {"tiff2pdf", "-o", dir + "/t2p1000.pdf", dir + "/t1000.tif"},
                       dir + "/t2p1000.pdf"};
    // The short runs take more rounds.
    const int shortRounds = std::max(rounds, 15);
    std::printf("\nGroup 4 TIFF files, %d rounds:\n", shortRounds);
    Measure({&t50, &tiff2pdf, &t1000, &tiff2pdf1000}, shortRounds, dir);
    for (const TSide* s : {&t50, &tiff2pdf, &t1000, &tiff2pdf1000}) Print(*s);
    pass &= t50.ok && Checked(t50.output) && t1000.ok && Checked(t1000.output);
    pass &= Judge("TIFF 50 pages against tiff2pdf", t50, tiff2pdf, 1.0);
    if (t50.ok && t1000.ok) {
        const double per50 = t50.Cpu() / 50, per1000 = t1000.Cpu() / 1000;
        const double ratio = per1000 / per50;
        std::printf("%-44s %.3f ms against %.3f ms: %.2fx (target 1.2x) %s\n", "TIFF time per page, 1000 against 50",
                    per1000 * 1e3, per50 * 1e3, ratio, Verdict(ratio <= 1.2));
        pass &= ratio <= 1.2;
    }

    // JPEG.
    TSide jpegOurs{"vellumark images (JPEG)", with({vellumark, "images", "-o", dir + "/vj.pdf"}, jpegs),
                   dir + "/vj.pdf"};
    TSide haruJpeg{"libharu (haru_images), JPEG", with({haru, dir + "/hj.pdf"}, jpegs), dir + "/hj.pdf"};
    std::printf("\n200 JPEG files, %d rounds:\n", shortRounds);
    Measure({&jpegOurs, &haruJpeg}, shortRounds, dir);
    for (const TSide* s : {&jpegOurs, &haruJpeg}) Print(*s);
    pass &= jpegOurs.ok && Checked(jpegOurs.output);
    pass &= Judge("JPEG against libharu", jpegOurs, haruJpeg, 0.5);

    if (keep) {
        std::printf("\nthe files are in %s\n", dir.c_str());
    } else {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::printf("image peers: %s\n", Verdict(pass));
    return pass ? 0 : 1;
}
