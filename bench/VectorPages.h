// The vector document of the save benchmarks: pages each with one graphic of
// kShapesPerPage shapes (lines, rectangles, circles, ellipses) in a fixed mix
// of colours and line widths, the same for a given random source.
#pragma once

#include <cmath>
#include <cstdint>

#include "bench/BenchCommon.h"
#include "engine/Vellumark.h"

namespace vellumark::bench {

inline constexpr int kShapesPerPage = 50;

inline double Coordinate(TRandom& rng, double limit) { return std::round(rng.Range(0, limit) * 100) / 100; }

inline uint32_t Colour(TRandom& rng) { return static_cast<uint32_t>(rng.Next() & 0xFFFFFF); }

// One page with one graphic of kShapesPerPage shapes in a fixed mix.
inline void AddPageWithGraphic(TVellumark& engine, TRandom& rng) {
    engine.AddPage(0);
    const int32_t page = engine.Pages().Count();
    const int32_t graphic = engine.CreateGraphic();
    for (int i = 0; i < kShapesPerPage; ++i) {
        if (i % 5 == 0) engine.SetLineColor(Colour(rng));
        if (i % 7 == 0) engine.SetFillColor(Colour(rng));
        if (i % 9 == 0) engine.SetLineWidth(1 + static_cast<int32_t>(rng.Below(4)));
        engine.SetFill(rng.Below(3) != 0);
        switch (i % 4) {
            case 0:
                engine.DrawLine(Coordinate(rng, 595), Coordinate(rng, 842), Coordinate(rng, 595), Coordinate(rng, 842));
                break;
            case 1:
                engine.Rectangle(Coordinate(rng, 595), Coordinate(rng, 842), Coordinate(rng, 595), Coordinate(rng, 842));
                break;
            case 2:
                engine.Circle(Coordinate(rng, 595), Coordinate(rng, 842), 5 + Coordinate(rng, 60));
                break;
            default:
                engine.Ellipse(Coordinate(rng, 595), Coordinate(rng, 842), 5 + Coordinate(rng, 80),
                               5 + Coordinate(rng, 40), static_cast<double>(rng.Below(12)) * 15);
                break;
        }
    }
    engine.ApplyResource(page, graphic);
}

}  // namespace vellumark::bench
