// JPEG files through "vellumark images" against copying their bytes: 200
// photo-like JPEG files of about 1200 x 800 pixels (sizes vary, a few are
// upright), quality 90, made once at start-up in a temporary folder (the
// same files on every run). JPEG data is passed through by default, so the
// program has little to do beyond reading the files and writing them into
// the PDF; the point of comparison is a plain copy of the same 200 files
// into one file.
//
// Timed, in alternating rounds:
// - "vellumark images -o out.pdf f001.jpg ... f200.jpg" as a child process
//   (posix_spawn), its CPU time from getrusage(RUSAGE_CHILDREN) before and
//   after waiting for it, and the wall time from the spawn to the wait;
// - the copy, in this process: each file read with read() into a 128 KiB
//   buffer and written with write() to one output file, as cat does.
// Both start with their output file removed. Also shown, for reference:
// "vellumark --version" as a child (what starting the program costs), the
// images command run in this process (the same work without that start-up,
// and with memory the heap already holds from the rounds before), and the
// copy made by "cat f001.jpg ... f200.jpg > all" as a child.
//
// Checks: the program's PDF holds each of the 200 files byte for byte, in
// order, and passes qpdf --check.
//
// Target: the program's CPU time at most 2 times the copy's.
//
// Arguments: the vellumark program (default: ../vellumark next to this one);
// --keep leaves the temporary folder with the files and the PDF for a look.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/Pictures.h"
#include "decoders/BMPImage.h"
#include "decoders/JPEGImage.h"
#include "host/ImagesCommand.h"

extern char** environ;

namespace {

using vellumark::TBMPImage;
using vellumark::TJPEGImageExtra;
using vellumark::bench::DefaultProgram;
using vellumark::bench::Median;
using vellumark::bench::QpdfCheck;
using vellumark::bench::Seconds;
using vellumark::bench::TimevalSeconds;
using vellumark::bench::TRandom;
using vellumark::bench::TSpan;
using vellumark::bench::TStopwatch;

constexpr int kFiles = 200;
constexpr int kQuality = 90;
constexpr int kRounds = 15;
constexpr std::size_t kCopyBuffer = 128 * 1024;
constexpr double kTarget = 2.0;

// --- files ---------------------------------------------------------------------

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}


// The inputs: photo-like pictures (no grain, so that the set stays a few
// MB), landscape around 1200 x 800, every eighth one upright.
struct TInputs {
    std::vector<std::string> paths;
    uint64_t bytes = 0;
    uint64_t pixels = 0;
};

bool MakeInputs(const std::string& dir, TInputs& in) {
    TRandom rng(0x1A9E6F17ULL);
    TBMPImage bitmap;
    for (int i = 0; i < kFiles; ++i) {
        uint32_t w = 1040 + rng.Below(321);
        uint32_t h = 680 + rng.Below(241);
        if (i % 8 == 7) std::swap(w, h);
        vellumark::bench::PaintPhotoLike(bitmap, w, h, rng, 0);
        const std::vector<uint8_t> jpeg = TJPEGImageExtra::Encode(bitmap, false, kQuality);
        char name[32];
        std::snprintf(name, sizeof name, "/f%03d.jpg", i + 1);
        in.paths.push_back(dir + name);
        if (!WriteFile(in.paths.back(), jpeg)) return false;
        in.bytes += jpeg.size();
        in.pixels += std::uint64_t{w} * h;
    }
    return true;
}

// --- the two sides -----------------------------------------------------------------

struct TChild {
    bool ok = false;
    int status = -1;
    double user = 0, sys = 0, wall = 0;
    double Cpu() const { return user + sys; }
};

// Runs a program with its errors in `errPath` and its output in `outPath`
// (discarded when empty).
TChild RunChild(const std::vector<std::string>& args, const std::string& errPath, const std::string& outPath = {}) {
    TChild r;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outPath.empty())
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    const double w0 = Seconds();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return r;
    r.wall = Seconds() - w0;
    getrusage(RUSAGE_CHILDREN, &after);
    r.user = TimevalSeconds(after.ru_utime) - TimevalSeconds(before.ru_utime);
    r.sys = TimevalSeconds(after.ru_stime) - TimevalSeconds(before.ru_stime);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.ok = r.status == 0;
    return r;
}

// The copy: every file read in 128 KiB pieces and written to `out`.
bool CopyAll(const std::vector<std::string>& paths, const std::string& out, uint64_t& copied) {
    const int dst = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (dst < 0) return false;
    static const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kCopyBuffer);
    bool ok = true;
    copied = 0;
    for (const std::string& path : paths) {
        const int src = ::open(path.c_str(), O_RDONLY);
        if (src < 0) {
            ok = false;
            break;
        }
        ssize_t n;
        while ((n = ::read(src, buffer.get(), kCopyBuffer)) > 0) {
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(dst, buffer.get() + done, static_cast<std::size_t>(n - done));
                if (w <= 0) {
                    ok = false;
                    break;
                }
                done += w;
            }
            copied += static_cast<uint64_t>(n);
        }
        ok = ok && n == 0;
        ::close(src);
        if (!ok) break;
    }
    return ::close(dst) == 0 && ok;
}

// --- checks ----------------------------------------------------------------------

// How many of the files appear byte for byte in the PDF, each after the one before.
int FilesFoundInOrder(const std::string& pdf, const std::vector<std::string>& paths) {
    std::size_t from = 0;
    int found = 0;
    for (const std::string& path : paths) {
        const std::string bytes = ReadFile(path);
        const std::size_t at = pdf.find(bytes, from);
        if (bytes.empty() || at == std::string::npos) break;
        from = at + bytes.size();
        ++found;
    }
    return found;
}

bool gKeep = false;

void RemoveTree(const std::string& dir, const std::vector<std::string>& files) {
    if (gKeep) {
        std::printf("kept %s\n", dir.c_str());
        return;
    }
    for (const std::string& f : files) ::unlink(f.c_str());
    ::rmdir(dir.c_str());
}

// --- figures -----------------------------------------------------------------------

struct TSeries {
    std::vector<double> cpu, user, sys, wall;
    void Add(double u, double s, double w) {
        cpu.push_back(u + s);
        user.push_back(u);
        sys.push_back(s);
        wall.push_back(w);
    }
    std::size_t Best() const {
        return static_cast<std::size_t>(std::min_element(cpu.begin(), cpu.end()) - cpu.begin());
    }
};

void PrintSeries(const char* what, const TSeries& s, uint64_t bytes) {
    const std::size_t b = s.Best();
    std::printf("  %-22s cpu %7.2f ms (user %.2f + sys %.2f), wall %7.2f ms; median cpu %7.2f ms, wall %7.2f ms",
                what, 1e3 * s.cpu[b], 1e3 * s.user[b], 1e3 * s.sys[b], 1e3 * s.wall[b], 1e3 * Median(s.cpu),
                1e3 * Median(s.wall));
    if (bytes > 0) std::printf(", %.0f MB/s cpu", static_cast<double>(bytes) / s.cpu[b] / 1e6);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string program = DefaultProgram();
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--keep") gKeep = true;
        else program = argv[i];
    }
    std::printf("bench_jpeg_passthrough: %d photo-like JPEG files (about 1200 x 800, quality %d) through \"%s images\" "
                "against copying their bytes into one file (read/write with a %zu KiB buffer in this process). Times "
                "are those of the round with the least CPU time (user + system), which the verdict compares; %d "
                "rounds.\n",
                kFiles, kQuality, program.c_str(), kCopyBuffer / 1024, kRounds);
    if (::access(program.c_str(), X_OK) != 0) {
        std::printf("the vellumark program %s was not found FAIL\n", program.c_str());
        return 0;
    }

    char dirTemplate[] = "/tmp/vellumark_bench_jpeg.XXXXXX";
    if (!::mkdtemp(dirTemplate)) {
        std::printf("no temporary folder FAIL\n");
        return 0;
    }
    const std::string dir = dirTemplate;
    const std::string pdf = dir + "/out.pdf";
    const std::string copy = dir + "/all.jpg";
    const std::string errLog = dir + "/stderr.txt";
    const std::string inProcessPdf = dir + "/inprocess.pdf";

    TInputs in;
    const double made0 = Seconds();
    const bool made = MakeInputs(dir, in);
    std::vector<std::string> cleanup = in.paths;
    for (const std::string* extra : {&pdf, &copy, &errLog, &inProcessPdf}) cleanup.push_back(*extra);
    if (!made) {
        std::printf("the input files could not be written FAIL\n");
        RemoveTree(dir, cleanup);
        return 0;
    }
    std::printf("inputs: %d files, %.2f MB, %.1f megapixels, %.1f KB a file on average (made in %.1f s)\n", kFiles,
                static_cast<double>(in.bytes) / 1e6, static_cast<double>(in.pixels) / 1e6,
                static_cast<double>(in.bytes) / kFiles / 1e3, Seconds() - made0);

    std::vector<std::string> command = {program, "images", "-o", pdf};
    command.insert(command.end(), in.paths.begin(), in.paths.end());
    const std::vector<std::string> version = {program, "--version"};
    std::vector<std::string> cat = {"/bin/cat"};
    cat.insert(cat.end(), in.paths.begin(), in.paths.end());
    const bool haveCat = ::access(cat[0].c_str(), X_OK) == 0;

    // The in-process run: the images command's own function, arguments as the
    // program gets them.
    std::vector<std::string_view> inProcessArgs = {"-o", inProcessPdf};
    inProcessArgs.insert(inProcessArgs.end(), in.paths.begin(), in.paths.end());

    // One run of each first: the files come into the page cache and the
    // program's result is checked before any timing.
    {
        const TChild first = RunChild(command, errLog);
        if (!first.ok) {
            std::printf("vellumark images exited with %d: %s FAIL\n", first.status, ReadFile(errLog).c_str());
            RemoveTree(dir, cleanup);
            return 0;
        }
        uint64_t copied = 0;
        if (!CopyAll(in.paths, copy, copied) || copied != in.bytes) {
            std::printf("the copy failed FAIL\n");
            RemoveTree(dir, cleanup);
            return 0;
        }
    }
    const std::string pdfBytes = ReadFile(pdf);
    const int found = FilesFoundInOrder(pdfBytes, in.paths);
    std::printf("PDF: %.2f MB (%.2f MB over the JPEG data, %.0f bytes a page); %d of %d files found byte for byte, "
                "in order %s\n",
                static_cast<double>(pdfBytes.size()) / 1e6,
                (static_cast<double>(pdfBytes.size()) - static_cast<double>(in.bytes)) / 1e6,
                (static_cast<double>(pdfBytes.size()) - static_cast<double>(in.bytes)) / kFiles, found, kFiles,
                vellumark::bench::Verdict(found == kFiles));
    std::string qpdfLine;
    const int qpdf = QpdfCheck(pdf, qpdfLine);
    if (qpdf == 127)
        std::printf("qpdf --check: qpdf not found, skipped\n");
    else
        std::printf("qpdf --check: exit %d, \"%s\" %s\n", qpdf, qpdfLine.c_str(), vellumark::bench::Verdict(qpdf == 0));
    std::fflush(stdout);

    TSeries images, copier, startUp, inProcess, catChild;
    for (int round = 0; round < kRounds; ++round) {
        ::unlink(pdf.c_str());
        const TChild run = RunChild(command, errLog);
        if (!run.ok) {
            std::printf("vellumark images exited with %d in round %d: %s FAIL\n", run.status, round + 1,
                        ReadFile(errLog).c_str());
            RemoveTree(dir, cleanup);
            return 0;
        }
        images.Add(run.user, run.sys, run.wall);

        ::unlink(copy.c_str());
        uint64_t copied = 0;
        TStopwatch watch;
        const bool copiedOk = CopyAll(in.paths, copy, copied);
        const TSpan span = watch.Stop();
        if (!copiedOk || copied != in.bytes) {
            std::printf("the copy failed in round %d FAIL\n", round + 1);
            RemoveTree(dir, cleanup);
            return 0;
        }
        copier.Add(span.cpu - span.sys, span.sys, span.wall);

        const TChild v = RunChild(version, errLog);
        if (v.ok) startUp.Add(v.user, v.sys, v.wall);

        if (haveCat) {
            ::unlink(copy.c_str());
            const TChild c = RunChild(cat, errLog, copy);
            if (c.ok) catChild.Add(c.user, c.sys, c.wall);
        }

        ::unlink(inProcessPdf.c_str());
        std::ostringstream out, err;
        TStopwatch inWatch;
        const int status = vellumark::host::RunImagesCommand(inProcessArgs, out, err, false);
        const TSpan inSpan = inWatch.Stop();
        if (status == 0) inProcess.Add(inSpan.cpu - inSpan.sys, inSpan.sys, inSpan.wall);
    }
    RemoveTree(dir, cleanup);

    std::printf("%d rounds:\n", kRounds);
    PrintSeries("vellumark images:", images, in.bytes);
    PrintSeries("copy (read/write):", copier, in.bytes);
    if (!startUp.cpu.empty()) PrintSeries("vellumark --version:", startUp, 0);
    if (!inProcess.cpu.empty()) PrintSeries("images, in process:", inProcess, in.bytes);
    if (!catChild.cpu.empty()) PrintSeries("cat as a child:", catChild, in.bytes);
    const double ours = images.cpu[images.Best()];
    const double base = copier.cpu[copier.Best()];
    const double ratio = ours / base;
    std::printf("vellumark images vs copy: %.2f ms vs %.2f ms cpu (wall %.2f ms vs %.2f ms): ratio %.2fx (target <= "
                "%.1fx) %s\n",
                1e3 * ours, 1e3 * base, 1e3 * images.wall[images.Best()], 1e3 * copier.wall[copier.Best()], ratio,
                kTarget, vellumark::bench::Verdict(ratio <= kTarget));
    return 0;
}
