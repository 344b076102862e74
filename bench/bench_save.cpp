// Saving large documents: 1,000, 10,000 and 100,000 pages, each page with its
// own graphic of 50 shapes. Only the save is timed.
//
// Targets:
// - the time per page stays flat (within 1.3x) from the smallest document to
//   the largest;
// - the whole save takes at most 1.5x the time zlib alone needs to deflate the
//   same page contents (one zlib stream per page, default level, the writer's
//   parameters), measured in the same run;
// - the peak memory of a save is reported as a multiple of the file size.
//
// Every document size runs in a child process so that each starts from a
// clean heap and its memory can be read on its own: the child's peak resident
// size less the model's resident size before the first save is what saving
// needed.

#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <iterator>
#include <string>
#include <vector>

#include "base/OutputBuffer.h"
#include "bench/BenchCommon.h"
#include "bench/VectorPages.h"
#include "bench/ZlibAlone.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"

namespace {

using namespace vellumark;
using vellumark::bench::Median;
using vellumark::bench::MiB;
using vellumark::bench::Min;
using vellumark::bench::Seconds;
using vellumark::bench::TRandom;

using vellumark::bench::AddPageWithGraphic;
using vellumark::bench::kShapesPerPage;
constexpr double kFlatTarget = 1.3;
constexpr double kZlibTarget = 1.5;

struct TSizePlan {
    int32_t pages;
    int repetitions;
    bool toFile;  // also time SaveToFile
};

constexpr TSizePlan kPlans[] = {{1000, 9, true}, {10000, 3, true}, {100000, 2, false}};

// Fastest and median of the repetitions of one piece of work.
struct TTimes {
    bench::TSpan best;    // the repetition with the least CPU time
    double medianCpu = -1;
    double medianWall = -1;
    bool Valid() const { return medianCpu >= 0; }
};

TTimes Summarise(const std::vector<bench::TSpan>& spans) {
    TTimes t;
    if (spans.empty()) return t;
    std::vector<double> cpu, wall;
    t.best = spans.front();
    for (const bench::TSpan& s : spans) {
        cpu.push_back(s.cpu);
        wall.push_back(s.wall);
        if (s.cpu < t.best.cpu) t.best = s;
    }
    t.medianCpu = Median(cpu);
    t.medianWall = Median(wall);
    return t;
}

// What one child process measured for one document size; sent back whole
// through a pipe.
struct TSizeResult {
    int32_t pages = 0;
    int repetitions = 0;
    double buildSeconds = 0;
    TTimes save;  // WriteDocument into a TOutputBuffer
    TTimes zlib;  // zlib alone on the page contents
    TTimes file;  // SaveToFile
    uint64_t contentBytes = 0;  // uncompressed page contents
    uint64_t zlibBytes = 0;     // what zlib alone made of them
    uint64_t outputBytes = 0;   // the whole file
    uint64_t modelResident = 0;  // VmRSS with the model built, before any save
    uint64_t peak = 0;           // VmHWM of the child at its end
    uint64_t childrenPeak = 0;   // the same by getrusage(RUSAGE_CHILDREN) in the parent
    bool ok = false;
};

TSizeResult MeasureSize(const TSizePlan& plan) {
    TSizeResult r;
    r.pages = plan.pages;
    r.repetitions = plan.repetitions;

    TVellumark engine;
    TRandom rng(0xD0C5EEDULL + static_cast<uint64_t>(plan.pages));
    double t0 = Seconds();
    for (int32_t i = 0; i < plan.pages; ++i) AddPageWithGraphic(engine, rng);
    r.buildSeconds = Seconds() - t0;

    const std::vector<std::string> contents = bench::GraphicContents(engine, r.contentBytes);

    const std::time_t created = std::time(nullptr);
    const std::string path = "/tmp/vellumark_bench_save_" + std::to_string(getpid()) + ".pdf";
    const std::u16string wpath(path.begin(), path.end());

    // The model's memory before any save; the process's peak, read when it
    // ends, less this is what the saves needed on top of it.
    r.modelResident = bench::ResidentBytes();

    // The save and its baseline alternate, so that a change in the load of
    // the machine falls on both alike.
    std::vector<bench::TSpan> save, zlib, file;
    for (int rep = 0; rep < plan.repetitions; ++rep) {
        {
            TOutputBuffer out;
            bench::TStopwatch watch;
            WriteDocument(engine, out, created);
            save.push_back(watch.Stop());
            r.outputBytes = out.Position();
        }
        {
            bench::TStopwatch watch;
            r.zlibBytes = bench::DeflatePages(contents);
            zlib.push_back(watch.Stop());
        }
        if (plan.toFile) {
            bench::TStopwatch watch;
            engine.SaveToFile(wpath);
            file.push_back(watch.Stop());
            unlink(path.c_str());
        }
    }
    r.save = Summarise(save);
    r.zlib = Summarise(zlib);
    r.file = Summarise(file);
    // The writer compresses with libdeflate, whose streams are smaller than
    // zlib's: the file need not be larger than zlib's streams alone.
    r.ok = r.zlibBytes > 0 && r.outputBytes > 0;
    return r;
}

// MeasureSize in a child process; the result comes back through a pipe.
TSizeResult MeasureSizeInChild(const TSizePlan& plan) {
    TSizeResult r;
    int fds[2];
    if (pipe(fds) != 0) return r;
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) return r;
    if (pid == 0) {
        close(fds[0]);
        TSizeResult mine;
        try {
            mine = MeasureSize(plan);
            mine.peak = bench::PeakResidentBytes();
        } catch (const std::exception& e) {
            std::printf("error: %s\n", e.what());
            std::fflush(stdout);
        }
        ssize_t w = write(fds[1], &mine, sizeof mine);
        _exit(w == sizeof mine ? 0 : 1);
    }
    close(fds[1]);
    std::size_t got = 0;
    auto* dst = reinterpret_cast<char*>(&r);
    while (got < sizeof r) {
        ssize_t n = read(fds[0], dst + got, sizeof r - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got != sizeof r) r = TSizeResult{};
    // The largest child so far; the sizes grow, so this is the one just done.
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    r.childrenPeak = static_cast<uint64_t>(ru.ru_maxrss) * 1024;
    return r;
}

void PrintTimes(const char* what, const TTimes& t, int32_t pages) {
    std::printf("  %-14s cpu %.3f s (user %.3f + sys %.3f, %ld page faults), wall %.3f s; median cpu %.3f s, "
                "wall %.3f s = %.2f us/page\n",
                what, t.best.cpu, t.best.cpu - t.best.sys, t.best.sys, t.best.faults, t.best.wall, t.medianCpu,
                t.medianWall, t.best.cpu / pages * 1e6);
}

}  // namespace

// With page counts as arguments only those sizes run (for looking into one
// size); the verdicts need the three standard sizes.
int main(int argc, char** argv) {
    std::vector<TSizePlan> plans(std::begin(kPlans), std::end(kPlans));
    if (argc > 1) {
        plans.clear();
        for (int i = 1; i < argc; ++i) {
            const int32_t pages = static_cast<int32_t>(std::atol(argv[i]));
            if (pages > 0) plans.push_back({pages, pages >= 100000 ? 2 : pages >= 10000 ? 3 : 9, pages <= 10000});
        }
    }
    std::printf("bench_save: pages with one graphic of %d shapes each. Times are those of the repetition with the "
                "least CPU time; the verdicts compare CPU times (user + system), which other work on the machine "
                "disturbs far less than wall time.\n\n",
                kShapesPerPage);
    std::vector<TSizeResult> results;
    const double start = Seconds();
    for (const TSizePlan& plan : plans) {
        TSizeResult r = MeasureSizeInChild(plan);
        results.push_back(r);
        if (!r.ok) {
            std::printf("%d pages: measurement failed FAIL\n", plan.pages);
            continue;
        }
        std::printf("%d pages (model built in %.2f s, %d repetitions)\n", r.pages, r.buildSeconds, r.repetitions);
        std::printf("  content %.1f MiB, file %.1f MiB (zlib alone %.1f MiB of streams)\n", MiB(r.contentBytes),
                    MiB(r.outputBytes), MiB(r.zlibBytes));
        PrintTimes("WriteDocument:", r.save, r.pages);
        if (r.file.Valid()) PrintTimes("SaveToFile:", r.file, r.pages);
        PrintTimes("zlib alone:", r.zlib, r.pages);
        const uint64_t extra = r.childrenPeak > r.modelResident ? r.childrenPeak - r.modelResident : 0;
        std::printf("  memory: model %.1f MiB resident before saving; peak of the process %.1f MiB by getrusage "
                    "(%.1f MiB by VmHWM): the saves took +%.1f MiB = %.2fx the file\n\n",
                    MiB(r.modelResident), MiB(r.childrenPeak), MiB(r.peak), MiB(extra),
                    static_cast<double>(extra) / static_cast<double>(r.outputBytes));
        std::fflush(stdout);
    }

    bool allOk = !results.empty();
    for (const TSizeResult& r : results) allOk = allOk && r.ok;
    if (!allOk) {
        std::printf("bench_save: incomplete measurements FAIL\n");
        return 0;
    }

    const TSizeResult& smallest = results.front();
    const TSizeResult& largest = results.back();
    auto perPage = [](const TSizeResult& r) { return r.save.best.cpu / r.pages * 1e6; };
    double worst = 0;
    for (const TSizeResult& r : results) worst = std::max(worst, perPage(r) / perPage(smallest));
    std::printf("save per page: %.2f us at %d pages, %.2f us at %d pages: ratio %.2fx, worst size %.2fx "
                "(target <= %.1fx) %s\n",
                perPage(smallest), smallest.pages, perPage(largest), largest.pages,
                perPage(largest) / perPage(smallest), worst, kFlatTarget, bench::Verdict(worst <= kFlatTarget));
    for (const TSizeResult& r : results) {
        const double ratio = r.save.best.cpu / r.zlib.best.cpu;
        std::printf("save vs zlib alone, %d pages: %.3f s vs %.3f s: ratio %.2fx (target <= %.1fx) %s\n", r.pages,
                    r.save.best.cpu, r.zlib.best.cpu, ratio, kZlibTarget, bench::Verdict(ratio <= kZlibTarget));
    }
    for (const TSizeResult& r : results) {
        const uint64_t extra = r.childrenPeak > r.modelResident ? r.childrenPeak - r.modelResident : 0;
        std::printf("save peak memory, %d pages: %.2fx the file size above the model (%.1f MiB for %.1f MiB)\n",
                    r.pages, static_cast<double>(extra) / static_cast<double>(r.outputBytes), MiB(extra),
                    MiB(r.outputBytes));
    }
    std::printf("bench_save ran %.0f s\n", Seconds() - start);
    return 0;
}
