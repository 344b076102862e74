// What the two comparisons with libharu (bench_libharu, bench_text_report)
// share: a round of one side split into building and saving, the best round
// of several, the engine side's timing and the printing of a side.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/haru_common.h"
#include "engine/Vellumark.h"

namespace vellumark::bench {

// One side's stages in one round.
struct TRound {
    double buildWall = 0, buildCpu = 0, saveWall = 0, saveCpu = 0;
    double TotalCpu() const { return buildCpu + saveCpu; }
    double TotalWall() const { return buildWall + saveWall; }
};

// The round with the least CPU time, and the median CPU time.
struct TBest {
    TRound best;
    double medianCpu = 0;
};

inline TBest Best(const std::vector<TRound>& rounds) {
    TBest b;
    std::vector<double> cpu;
    b.best = rounds.front();
    for (const TRound& r : rounds) {
        cpu.push_back(r.TotalCpu());
        if (r.TotalCpu() < b.best.TotalCpu()) b.best = r;
    }
    b.medianCpu = Median(cpu);
    return b;
}

// The engine side of one round: the clocks start before an empty engine is
// made, `build(engine)` makes the document, then it is saved to `path`; the
// engine is freed after the clocks stop.
template <class Build>
TRound TimeEngine(Build&& build, const std::u16string& path) {
    TRound r;
    const double w0 = Seconds(), c0 = CpuSeconds();
    auto engine = std::make_unique<TVellumark>();
    build(*engine);
    const double w1 = Seconds(), c1 = CpuSeconds();
    engine->SaveToFile(path);
    const double w2 = Seconds(), c2 = CpuSeconds();
    engine.reset();
    r.buildWall = w1 - w0;
    r.buildCpu = c1 - c0;
    r.saveWall = w2 - w1;
    r.saveCpu = c2 - c1;
    return r;
}

// The libharu side's times as a round.
inline TRound FromHaru(const haru_times& t) {
    TRound r;
    r.buildWall = t.build_wall;
    r.buildCpu = t.build_cpu;
    r.saveWall = t.save_wall;
    r.saveCpu = t.save_cpu;
    return r;
}

// One side's line: its best round, its median and its file size in MiB with
// `mibDigits` decimals.
inline void PrintSide(const char* who, const TBest& b, long long fileBytes, int mibDigits) {
    std::printf("  %-8s build %.3f s + save %.3f s = %.3f s cpu (wall %.3f s; median cpu %.3f s), file %.*f MiB\n",
                who, b.best.buildCpu, b.best.saveCpu, b.best.TotalCpu(), b.best.TotalWall(), b.medianCpu, mibDigits,
                MiB(fileBytes));
}

}  // namespace vellumark::bench
