// libFuzzer target: arbitrary bytes as a TrueType font file. Loads them,
// asks every getter (the widths of all 256 narrow codes, glyph lookups for
// codes taken from the input, the metrics), and checks that a copy made with
// Assign answers the same. A loaded font is also subset over glyphs taken
// from the input, and a subset that is made must load again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include <vector>

#include "truetype/Subset.h"
#include "truetype/vkFont.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vellumark::TvkFont font;
    const bool loaded = font.LoadFromMemory(std::span<const uint8_t>(data, size));
    if (loaded != font.Loaded()) std::abort();
    if (font.DataSize() != size) std::abort();

    int64_t sum = font.Ascent() + font.Descent() + font.BBoxXMin() + font.BBoxYMin() + font.BBoxXMax() +
                  font.BBoxYMax() + static_cast<int64_t>(font.PostScriptName().size());
    for (int c = 0; c < 256; ++c) sum += font.CharWidth(static_cast<uint8_t>(c));
    // Codes beyond the narrow range, picked by the input's last bytes.
    for (size_t i = size >= 64 ? size - 64 : 0; i + 1 < size; i += 2)
        sum += font.GlyphIndex(static_cast<uint16_t>((data[i] << 8) | data[i + 1]));
    sum += font.GlyphIndex(0xFFFF);
    std::vector<uint16_t> glyphs;
    std::vector<vellumark::TCmapEntry> cmap;
    for (size_t i = size >= 64 ? size - 64 : 0; i + 2 < size; i += 3) {
        const uint32_t cp = (uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2]) % 0x110000;
        const uint16_t g = font.GlyphOf(cp);
        sum += g + font.GlyphWidth(g);
        glyphs.push_back(g);
        cmap.emplace_back(static_cast<uint16_t>(cp), g);
    }
    if (!loaded) {
        if (sum != 0 || font.ItalicAngle() != 0.0 || !font.PostScriptName().empty()) std::abort();
        return 0;
    }

    const std::vector<uint8_t> subset = vellumark::SubsetTrueType(font, glyphs, cmap);
    if (!subset.empty()) {
        vellumark::TvkFont reloaded;
        if (!reloaded.LoadFromMemory(subset)) std::abort();
    }

    vellumark::TvkFont copy;
    copy.Assign(font);
    if (!copy.Loaded() || copy.DataSize() != font.DataSize() || copy.PostScriptName() != font.PostScriptName())
        std::abort();
    for (int c = 0; c < 256; ++c)
        if (copy.CharWidth(static_cast<uint8_t>(c)) != font.CharWidth(static_cast<uint8_t>(c))) std::abort();
    return 0;
}
