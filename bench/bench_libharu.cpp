// The engine against libharu on the same drawing: 2,000 pages, each with 200
// lines, rectangles and circles in a fixed mix (the same coordinates, colours
// and line widths for both), page contents Flate-compressed on both sides.
// Each side is timed from an empty document through the drawing calls to the
// saved file; the two alternate over several rounds and the round with the
// least CPU time of each counts. A second pass without compression and zlib
// alone on the engine's page contents show where the time goes.
//
// Target: the engine takes at most half of libharu's time.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/HaruComparison.h"
#include "bench/ShapeMix.h"
#include "bench/ZlibAlone.h"
#include "bench/haru_shapes.h"
#include "engine/Vellumark.h"

namespace {

using vellumark::bench::CpuSeconds;
using vellumark::bench::Best;
using vellumark::bench::FileSize;
using vellumark::bench::MiB;
using vellumark::bench::Min;
using vellumark::bench::PrintSide;
using vellumark::bench::TBest;
using vellumark::bench::TRound;

constexpr int kPages = 2000;
constexpr int kShapesPerPage = 200;
constexpr int kRounds = 5;
constexpr int kPlainRounds = 3;
constexpr double kTargetRatio = 0.5;

std::vector<haru_shape> MakeShapes() { return vellumark::bench::MakeShapes(kPages, kShapesPerPage); }

// The engine side: the same calls as haru_shapes.c, through the engine API.
void DrawWithEngine(vellumark::TVellumark& engine, const std::vector<haru_shape>& shapes) {
    for (int p = 1; p <= kPages; ++p) {
        engine.AddPage(0);
        const int32_t graphic = engine.CreateGraphic();
        // A new graphic starts with a white fill and a black line of width 1.
        unsigned lineColor = 0, fillColor = 0xFFFFFF;
        int lineWidth = 1;
        const haru_shape* page = &shapes[static_cast<std::size_t>(p - 1) * kShapesPerPage];
        for (int i = 0; i < kShapesPerPage; ++i) {
            const haru_shape& s = page[i];
            if (s.line_color != lineColor) engine.SetLineColor(lineColor = s.line_color);
            if (s.fill_color != fillColor) engine.SetFillColor(fillColor = s.fill_color);
            if (s.line_width != lineWidth) engine.SetLineWidth(lineWidth = s.line_width);
            switch (s.kind) {
                case kShapeLine:
                    engine.DrawLine(s.x1, s.y1, s.x2, s.y2);
                    break;
                case kShapeRectangle:
                    engine.SetFill(s.fill != 0);
                    engine.Rectangle(s.x1, s.y1, s.x2, s.y2);
                    break;
                default:
                    engine.SetFill(s.fill != 0);
                    engine.Circle(s.x1, s.y1, s.x2);
                    break;
            }
        }
        engine.ApplyResource(p, graphic);
    }
}

TRound RunEngine(const std::vector<haru_shape>& shapes, bool compress, const std::u16string& path) {
    return vellumark::bench::TimeEngine(
        [&](vellumark::TVellumark& engine) {
            engine.CompressContents = compress;
            DrawWithEngine(engine, shapes);
        },
        path);
}

bool RunHaru(const std::vector<haru_shape>& shapes, bool compress, const std::string& path, TRound& r) {
    haru_times t{};
    if (haru_draw_and_save(shapes.data(), kPages, kShapesPerPage, compress ? 1 : 0, path.c_str(), &t) != 0)
        return false;
    r = vellumark::bench::FromHaru(t);
    return true;
}

// CPU seconds zlib alone needs for the engine's page contents of this drawing
// (one zlib stream per page, the writer's parameters); the least of a few runs.
double ZlibAloneCpu(const std::vector<haru_shape>& shapes, uint64_t& contentBytes) {
    vellumark::TVellumark engine;
    DrawWithEngine(engine, shapes);
    contentBytes = 0;
    const std::vector<std::string> contents = vellumark::bench::GraphicContents(engine, contentBytes);
    std::vector<double> times;
    for (int rep = 0; rep < 3; ++rep) {
        const double c0 = CpuSeconds();
        vellumark::bench::DeflatePages(contents);
        times.push_back(CpuSeconds() - c0);
    }
    return Min(times);
}

}  // namespace

int main() {
    const std::vector<haru_shape> shapes = MakeShapes();
    const std::string ours = "/tmp/vellumark_bench_shapes_" + std::to_string(getpid()) + ".pdf";
    const std::string theirs = "/tmp/vellumark_bench_haru_" + std::to_string(getpid()) + ".pdf";
    const std::u16string oursWide(ours.begin(), ours.end());

    std::printf("bench_libharu: %d pages x %d shapes (lines, rectangles, circles). Times are those of the round "
                "with the least CPU time; the verdict compares CPU times (user + system).\n",
                kPages, kShapesPerPage);

    // Compressed page contents (the target), then uncompressed ones to show
    // what the two spend besides zlib.
    TBest ourBest[2], haruBest[2];
    long long ourSize[2] = {-1, -1}, haruSize[2] = {-1, -1};
    for (int pass = 0; pass < 2; ++pass) {
        const bool compress = pass == 0;
        std::vector<TRound> ourRounds, haruRounds;
        for (int round = 0; round < (compress ? kRounds : kPlainRounds); ++round) {
            ourRounds.push_back(RunEngine(shapes, compress, oursWide));
            TRound h;
            if (!RunHaru(shapes, compress, theirs, h)) {
                std::printf("libharu failed to make its document FAIL\n");
                unlink(ours.c_str());
                unlink(theirs.c_str());
                return 0;
            }
            haruRounds.push_back(h);
        }
        ourBest[pass] = Best(ourRounds);
        haruBest[pass] = Best(haruRounds);
        ourSize[pass] = FileSize(ours);
        haruSize[pass] = FileSize(theirs);
        unlink(ours.c_str());
        unlink(theirs.c_str());
    }
    uint64_t contentBytes = 0;
    const double zlibCpu = ZlibAloneCpu(shapes, contentBytes);

    std::printf("compressed page contents (%d rounds):\n", kRounds);
    PrintSide("engine:", ourBest[0], ourSize[0], 1);
    PrintSide("libharu:", haruBest[0], haruSize[0], 1);
    std::printf("  zlib alone on the engine's %.1f MiB of page contents: %.3f s cpu (%.0f%% of the engine's save)\n",
                static_cast<double>(contentBytes) / 1048576.0, zlibCpu, 100 * zlibCpu / ourBest[0].best.saveCpu);
    std::printf("uncompressed page contents (%d rounds; not a target, shows the work besides zlib):\n",
                kPlainRounds);
    PrintSide("engine:", ourBest[1], ourSize[1], 1);
    PrintSide("libharu:", haruBest[1], haruSize[1], 1);
    std::printf("  uncompressed: engine vs libharu %.3f s vs %.3f s: ratio %.2f\n", ourBest[1].best.TotalCpu(),
                haruBest[1].best.TotalCpu(), ourBest[1].best.TotalCpu() / haruBest[1].best.TotalCpu());

    const double ratio = ourBest[0].best.TotalCpu() / haruBest[0].best.TotalCpu();
    std::printf("engine vs libharu (build + save, compressed): %.3f s vs %.3f s: ratio %.2f (target <= %.1f) %s\n",
                ourBest[0].best.TotalCpu(), haruBest[0].best.TotalCpu(), ratio, kTargetRatio,
                vellumark::bench::Verdict(ratio <= kTargetRatio));
    return 0;
}
