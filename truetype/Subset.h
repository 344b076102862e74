// Font subsetting: a TrueType font file that holds only the glyphs a document
// uses, for embedding.
//
// Glyph ids are kept: the subset has glyphs 0..n-1 where n - 1 is the highest
// glyph kept, and every glyph that is not kept is empty (no outline, advance
// 0), so that text encoded with the original glyph ids (a CIDFontType2 with
// CIDToGIDMap /Identity) and the character map both stay valid without
// renumbering. The glyphs kept are the ones asked for, glyph 0 (the missing
// glyph) and every component of a composite glyph kept.
//
// The subset has the tables a PDF viewer uses from an embedded TrueType font:
// head, hhea, maxp, hmtx, loca, glyf, the hinting tables cvt, fpgm and prep
// when the font has them, OS/2 unchanged, post without glyph names (format
// 3), a name table with the PostScript name only, and a new character map holding only the given codes (a Windows
// Unicode BMP subtable, or a Windows Symbol one for a font whose map is a
// symbol map). Table checksums and the head's checksum adjustment are
// computed anew.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "truetype/vkFont.h"

namespace vellumark {

// One entry of the subset's character map: code -> glyph.
using TCmapEntry = std::pair<uint16_t, uint16_t>;

// The subset of a loaded font, or an empty vector when the font's glyph
// tables cannot be read completely (the caller then embeds the whole file).
// Codes beyond the format's room (more than 8000 entries) are left out of
// the character map.
std::vector<uint8_t> SubsetTrueType(const TvkFont& font, std::span<const uint16_t> glyphs,
                                    std::span<const TCmapEntry> cmap);

// The six capital letters that prefix a subset font's name, derived from the
// font's name and the glyphs it keeps (the same font and glyphs give the
// same tag).
std::string SubsetTag(std::string_view fontName, std::span<const uint16_t> glyphs);

// True when the font's licence bits forbid subsetting (OS/2 fsType bit 8).
bool ForbidsSubsetting(const TvkFont& font) noexcept;

}  // namespace vellumark
