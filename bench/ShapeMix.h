// The drawing of the libharu comparisons (bench_libharu, bench_haru_process):
// pages of lines, rectangles and circles in a fixed mix, with the colours and
// line widths they are drawn in, the same in every run.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/haru_shapes.h"

namespace vellumark::bench {

inline double ShapeCoordinate(TRandom& rng, double limit) { return std::round(rng.Range(0, limit) * 100) / 100; }

// `pages` pages of 595 x 842 points with `perPage` shapes each, page by page.
inline std::vector<haru_shape> MakeShapes(int pages, int perPage) {
    TRandom rng(0x4A12C0DEULL);
    std::vector<haru_shape> shapes(static_cast<std::size_t>(pages) * static_cast<std::size_t>(perPage));
    for (int p = 0; p < pages; ++p) {
        unsigned lineColor = 0, fillColor = 0xFFFFFF;
        int lineWidth = 1;
        for (int i = 0; i < perPage; ++i) {
            haru_shape& s = shapes[static_cast<std::size_t>(p) * static_cast<std::size_t>(perPage) +
                                   static_cast<std::size_t>(i)];
            if (rng.Below(4) == 0) lineColor = static_cast<unsigned>(rng.Next() & 0xFFFFFF);
            if (rng.Below(4) == 0) fillColor = static_cast<unsigned>(rng.Next() & 0xFFFFFF);
            if (rng.Below(8) == 0) lineWidth = 1 + static_cast<int>(rng.Below(4));
            s.line_color = lineColor;
            s.fill_color = fillColor;
            s.line_width = lineWidth;
            s.fill = rng.Below(3) != 0;
            s.kind = static_cast<int>(rng.Below(3));
            s.x1 = ShapeCoordinate(rng, 595);
            s.y1 = ShapeCoordinate(rng, 842);
            if (s.kind == kShapeCircle) {
                s.x2 = 3 + ShapeCoordinate(rng, 60);
                s.y2 = 0;
            } else {
                s.x2 = ShapeCoordinate(rng, 595);
                s.y2 = ShapeCoordinate(rng, 842);
            }
        }
    }
    return shapes;
}

}  // namespace vellumark::bench
