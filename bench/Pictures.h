// Synthetic 24-bit pictures for the image benchmarks, the same for a given
// seed on every run:
// - photo-like: a smooth colour field (three octaves of value noise over a
//   gentle gradient, the look of sky, skin, walls and out-of-focus
//   backgrounds), with an optional uniform grain as a camera sensor adds;
// - flat colour: solid rectangles and thin rules in a dozen colours on a
//   plain background, as charts, diagrams and screenshots have.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench/BenchCommon.h"
#include "decoders/BMPImage.h"

namespace vellumark::bench {

namespace pictures_detail {

// One octave of value noise: random colours on a square lattice of `cell`
// pixels, blended with smoothstep weights.
struct TLattice {
    uint32_t cell = 0;
    uint32_t columns = 0, rows = 0;
    float amplitude = 0;
    std::vector<float> nodes;  // rows x columns x 3, centred on 0

    TLattice(uint32_t width, uint32_t height, uint32_t cellSize, float amp, TRandom& rng)
        : cell(cellSize), columns(width / cellSize + 2), rows(height / cellSize + 2), amplitude(amp) {
        nodes.resize(std::size_t{columns} * rows * 3);
        for (float& v : nodes) v = static_cast<float>(rng.Unit() - 0.5) * amp;
    }
};

inline float Smooth(float t) { return t * t * (3 - 2 * t); }

}  // namespace pictures_detail

// A photo-like picture; `grain` is the largest change noise makes to a
// component (0 for none), `detail` scales the two finer octaves (1 as a
// photograph's texture, less for softer pictures).
inline void PaintPhotoLike(TBMPImage& bitmap, uint32_t width, uint32_t height, TRandom& rng, int grain,
                           float detail = 1.0f) {
    using pictures_detail::Smooth;
    using pictures_detail::TLattice;
    bitmap.SetSize(width, height, 24);
    const uint32_t big = std::max<uint32_t>(64, std::max(width, height) / 4);
    std::vector<TLattice> octaves;
    octaves.emplace_back(width, height, big, 200.0f, rng);
    octaves.emplace_back(width, height, std::max<uint32_t>(8, big / 4), 60.0f * detail, rng);
    octaves.emplace_back(width, height, std::max<uint32_t>(4, big / 16), 18.0f * detail, rng);
    float base[3], slopeX[3], slopeY[3];
    for (int c = 0; c < 3; ++c) {
        base[c] = static_cast<float>(rng.Range(70, 180));
        slopeX[c] = static_cast<float>(rng.Range(-60, 60)) / static_cast<float>(width);
        slopeY[c] = static_cast<float>(rng.Range(-60, 60)) / static_cast<float>(height);
    }

    // Per octave: each column's lattice column and weight, worked out once.
    struct TColumns {
        std::vector<uint32_t> index;
        std::vector<float> weight;
    };
    std::vector<TColumns> columns(octaves.size());
    for (std::size_t o = 0; o < octaves.size(); ++o) {
        const uint32_t cell = octaves[o].cell;
        columns[o].index.resize(width);
        columns[o].weight.resize(width);
        for (uint32_t x = 0; x < width; ++x) {
            columns[o].index[x] = x / cell;
            columns[o].weight[x] = Smooth((static_cast<float>(x % cell) + 0.5f) / static_cast<float>(cell));
        }
    }

    std::vector<float> acc(std::size_t{width} * 3);
    std::vector<float> blended;  // one octave's lattice row, blended between two lattice rows
    const int span = 2 * grain + 1;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                acc[3 * std::size_t{x} + c] = base[c] + slopeX[c] * static_cast<float>(x) + slopeY[c] * static_cast<float>(y);
        for (std::size_t o = 0; o < octaves.size(); ++o) {
            const TLattice& l = octaves[o];
            const uint32_t r = y / l.cell;
            const float wy = Smooth((static_cast<float>(y % l.cell) + 0.5f) / static_cast<float>(l.cell));
            blended.resize(std::size_t{l.columns} * 3);
            const float* top = &l.nodes[std::size_t{r} * l.columns * 3];
            const float* bottom = top + std::size_t{l.columns} * 3;
            for (std::size_t i = 0; i < blended.size(); ++i) blended[i] = top[i] + (bottom[i] - top[i]) * wy;
            const TColumns& col = columns[o];
            for (uint32_t x = 0; x < width; ++x) {
                const float* left = &blended[std::size_t{col.index[x]} * 3];
                const float wx = col.weight[x];
                for (int c = 0; c < 3; ++c) acc[3 * std::size_t{x} + c] += left[c] + (left[c + 3] - left[c]) * wx;
            }
        }
        uint8_t* row = bitmap.Row(y);  // blue, green, red
        for (uint32_t x = 0; x < width; ++x) {
            uint64_t noise = grain > 0 ? rng.Next() : 0;
            for (int c = 0; c < 3; ++c) {
                float v = acc[3 * std::size_t{x} + c];
                if (grain > 0) {
                    v += static_cast<float>(static_cast<int>((noise & 0xFFFF) % static_cast<uint64_t>(span)) - grain);
                    noise >>= 16;
                }
                row[3 * std::size_t{x} + 2 - c] = static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
}

// A flat-colour picture.
inline void PaintFlatColour(TBMPImage& bitmap, uint32_t width, uint32_t height, TRandom& rng) {
    bitmap.SetSize(width, height, 24);
    uint8_t palette[12][3];
    for (auto& colour : palette)
        for (uint8_t& c : colour) c = static_cast<uint8_t>(rng.Below(256));
    auto fill = [&](uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, const uint8_t* rgb) {
        x1 = std::min(x1, width);
        y1 = std::min(y1, height);
        for (uint32_t y = y0; y < y1; ++y) {
            uint8_t* row = bitmap.Row(y);
            for (uint32_t x = x0; x < x1; ++x) {
                row[3 * std::size_t{x}] = rgb[2];
                row[3 * std::size_t{x} + 1] = rgb[1];
                row[3 * std::size_t{x} + 2] = rgb[0];
            }
        }
    };
    const uint8_t background[3] = {0xF4, 0xF1, 0xEA};
    fill(0, 0, width, height, background);
    const uint32_t boxes = 30 + rng.Below(30);
    for (uint32_t i = 0; i < boxes; ++i) {
        const uint32_t w = 8 + rng.Below(std::max<uint32_t>(9, width / 3));
        const uint32_t h = 8 + rng.Below(std::max<uint32_t>(9, height / 3));
        const uint32_t x = rng.Below(width), y = rng.Below(height);
        fill(x, y, x + w, y + h, palette[rng.Below(12)]);
    }
    // Rules: horizontal and vertical lines one to three pixels wide.
    const uint8_t* rule = palette[rng.Below(12)];
    for (uint32_t y = height / 20; y < height; y += height / 10 + 1) fill(0, y, width, y + 1 + rng.Below(3), rule);
    for (uint32_t x = width / 20; x < width; x += width / 8 + 1) fill(x, 0, x + 1 + rng.Below(3), height, rule);
}

}  // namespace vellumark::bench
