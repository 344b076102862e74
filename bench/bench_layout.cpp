// Text layout throughput: one text resource of 1,000, 10,000 and 100,000
// written lines of prose (60 to 200 characters each, the same lines in every
// run), DejaVu Sans 10 pt, wrapped at a maximum width of 300 points. Timed:
// - LayoutText of the resource again and again into one layout, its run list
//   kept from the layout before (as repeated TextBlockHeight calls find the
//   resource's own layout, or the writer its layout from the text before);
// - LayoutText into an empty layout (the first layout of a resource, as the
//   first TextBlockHeight meets it); the old run list is released before the
//   clock starts;
// - TextBlockHeight through the engine (which lays the block out again).
// The written lines are made before the clocks start.
//
// Target: the cost per character stays flat (within 1.3x) from the smallest
// block to the largest, for each of the three.
//
// Small blocks are laid out many times per sample so that every sample takes
// a measurable stretch of CPU time; the sample with the least CPU time counts.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/Prose.h"
#include "engine/Vellumark.h"
#include "model/TextLayout.h"

namespace {

using namespace vellumark;
using vellumark::bench::CpuSeconds;
using vellumark::bench::Median;
using vellumark::bench::Min;
using vellumark::bench::Seconds;

constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int32_t kFontSize = 10;
constexpr double kMaxWidth = 300;
constexpr int32_t kSizes[] = {1000, 10000, 100000};
constexpr int32_t kLargest = 100000;
constexpr int kSamples = 7;
constexpr double kFlatTarget = 1.3;

// One block size: what was laid out and how long it took.
struct TSizeResult {
    int32_t lines = 0;
    uint64_t chars = 0;
    std::size_t runs = 0;
    double blockHeight = 0;
    double engineHeight = 0;
    double writeCpu = 0;       // WriteText of all the lines, once
    double firstLayoutCpu = 0; // the first LayoutText, into an empty run list
    int iterations = 0;        // layouts per sample
    std::vector<double> layoutCpu, layoutWall;  // per layout
    std::vector<double> freshCpu, freshWall;    // per layout into an empty run list
    std::vector<double> heightCpu, heightWall;  // per TextBlockHeight
    uint64_t residentBefore = 0, residentAfter = 0;
};

double NsPerChar(double seconds, uint64_t chars) { return seconds / static_cast<double>(chars) * 1e9; }

TSizeResult Measure(const std::string& fontPath, const std::vector<std::u16string>& lines, int32_t count) {
    TSizeResult r;
    r.lines = count;
    TVellumark engine;
    const int32_t font = engine.AddFont(bench::Widen(fontPath));
    if (font == 0) return r;
    engine.CreateText();
    engine.SetTextFont(font);
    engine.SetTextSize(kFontSize);
    engine.SetTextMaxWidth(kMaxWidth);
    double c0 = CpuSeconds();
    for (int32_t i = 0; i < count; ++i) engine.WriteText(lines[static_cast<std::size_t>(i)]);
    r.writeCpu = CpuSeconds() - c0;
    for (int32_t i = 0; i < count; ++i) r.chars += lines[static_cast<std::size_t>(i)].size();

    const TPDFTextRes& text = *engine.CurrentTextRes();
    TTextLayout layout;
    r.residentBefore = bench::ResidentBytes();
    c0 = CpuSeconds();
    r.blockHeight = LayoutText(text, engine.Fonts(), 100, layout).BlockHeight;
    r.firstLayoutCpu = CpuSeconds() - c0;
    r.runs = layout.Runs.size();
    r.residentAfter = bench::ResidentBytes();

    // About as many characters per sample at every size.
    r.iterations = std::max(1, kLargest / count);
    double sink = 0;
    for (int s = 0; s < kSamples; ++s) {
        double w0 = Seconds();
        c0 = CpuSeconds();
        for (int k = 0; k < r.iterations; ++k) sink += LayoutText(text, engine.Fonts(), 100, layout).BlockHeight;
        r.layoutCpu.push_back((CpuSeconds() - c0) / r.iterations);
        r.layoutWall.push_back((Seconds() - w0) / r.iterations);

        w0 = Seconds();
        c0 = CpuSeconds();
        for (int k = 0; k < r.iterations; ++k) sink += engine.TextBlockHeight();
        r.heightCpu.push_back((CpuSeconds() - c0) / r.iterations);
        r.heightWall.push_back((Seconds() - w0) / r.iterations);

        double cpu = 0, wall = 0;
        for (int k = 0; k < r.iterations; ++k) {
            layout = TTextLayout();
            w0 = Seconds();
            c0 = CpuSeconds();
            sink += LayoutText(text, engine.Fonts(), 100, layout).BlockHeight;
            cpu += CpuSeconds() - c0;
            wall += Seconds() - w0;
        }
        r.freshCpu.push_back(cpu / r.iterations);
        r.freshWall.push_back(wall / r.iterations);
    }
    r.engineHeight = engine.TextBlockHeight();
    if (sink != sink) std::printf("(never)\n");  // keeps the sums alive
    return r;
}

void PrintTimes(const char* what, const std::vector<double>& cpu, const std::vector<double>& wall,
                const TSizeResult& r) {
    std::printf("  %-17s cpu %9.3f ms (median %9.3f ms, wall %9.3f ms) = %.2f ns/char, %.0f ns/line\n", what,
                Min(cpu) * 1e3, Median(cpu) * 1e3, Min(wall) * 1e3, NsPerChar(Min(cpu), r.chars),
                Min(cpu) / r.lines * 1e9);
}

double MiB(uint64_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

}  // namespace

// The font file may be given as the first argument.
int main(int argc, char** argv) {
    const std::string fontPath = argc > 1 ? argv[1] : kDefaultFont;
    std::printf("bench_layout: written lines of 60-200 characters of prose in %s %d pt, maximum width %.0f pt, "
                "one text resource. Times are per layout, from the sample with the least CPU time (%d samples); "
                "the verdicts compare CPU times (user + system).\n\n",
                fontPath.c_str(), kFontSize, kMaxWidth, kSamples);

    bench::TProse prose(0x1A40C7EULL);
    std::vector<std::u16string> lines;
    lines.reserve(kLargest);
    for (int32_t i = 0; i < kLargest; ++i) lines.push_back(bench::Widen(prose.Line(60, 200)));

    const double start = Seconds();
    std::vector<TSizeResult> results;
    for (int32_t count : kSizes) {
        TSizeResult r = Measure(fontPath, lines, count);
        if (r.chars == 0) {
            std::printf("the font %s could not be added FAIL\n", fontPath.c_str());
            return 0;
        }
        const double expected = kFontSize + static_cast<double>(r.runs - 1) * kFontSize * 1.15;
        std::printf("%d written lines, %llu characters (%.1f per line) -> %zu runs (%.2f per line), "
                    "%d layouts per sample\n",
                    r.lines, static_cast<unsigned long long>(r.chars), static_cast<double>(r.chars) / r.lines,
                    r.runs, static_cast<double>(r.runs) / r.lines, r.iterations);
        std::printf("  block height %.1f pt (engine %.1f pt, 10 + 11.5 per further run: %.1f pt) %s\n",
                    r.blockHeight, r.engineHeight, expected,
                    std::fabs(r.blockHeight - expected) < 1e-6 * expected && r.engineHeight == r.blockHeight
                        ? "agree"
                        : "DISAGREE");
        std::printf("  WriteText of the lines %.3f ms cpu; the very first layout %.3f ms cpu; runs %.1f MiB resident "
                    "(sizeof(TTextRun) = %zu)\n",
                    r.writeCpu * 1e3, r.firstLayoutCpu * 1e3,
                    MiB(r.residentAfter > r.residentBefore ? r.residentAfter - r.residentBefore : 0),
                    sizeof(TTextRun));
        PrintTimes("LayoutText again:", r.layoutCpu, r.layoutWall, r);
        PrintTimes("LayoutText first:", r.freshCpu, r.freshWall, r);
        PrintTimes("TextBlockHeight:", r.heightCpu, r.heightWall, r);
        std::printf("\n");
        std::fflush(stdout);
        results.push_back(std::move(r));
    }

    bool consistent = true;
    for (const TSizeResult& r : results) {
        const double expected = kFontSize + static_cast<double>(r.runs - 1) * kFontSize * 1.15;
        consistent = consistent && std::fabs(r.blockHeight - expected) < 1e-6 * expected &&
                     r.engineHeight == r.blockHeight;
    }
    std::printf("block heights agree with the run counts and with TextBlockHeight %s\n",
                bench::Verdict(consistent));

    const TSizeResult& smallest = results.front();
    const TSizeResult& largest = results.back();
    auto flat = [&](const char* what, std::vector<double> TSizeResult::*times) {
        auto perChar = [&](const TSizeResult& r) { return NsPerChar(Min(r.*times), r.chars); };
        double worst = 0;
        for (const TSizeResult& r : results) worst = std::max(worst, perChar(r) / perChar(smallest));
        std::printf("%s per character: %.2f ns at %d lines, %.2f ns at %d lines: ratio %.2fx, worst size %.2fx "
                    "(target <= %.1fx) %s\n",
                    what, perChar(smallest), smallest.lines, perChar(largest), largest.lines,
                    perChar(largest) / perChar(smallest), worst, kFlatTarget, bench::Verdict(worst <= kFlatTarget));
    };
    flat("LayoutText again", &TSizeResult::layoutCpu);
    flat("LayoutText first", &TSizeResult::freshCpu);
    flat("TextBlockHeight", &TSizeResult::heightCpu);
    std::printf("bench_layout ran %.0f s\n", Seconds() - start);
    return 0;
}
