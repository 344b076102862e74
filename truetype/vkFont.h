// TvkFont: the TrueType font reader.
//
// Keeps a whole TrueType file in memory (the writer embeds it unchanged) and
// reads from six of its tables what a simple TrueType font in a PDF needs:
//   name  the PostScript name, from the Macintosh Roman English record (1,0,0,6)
//   head  units per em and the font bounding box
//   hhea  ascender, descender and the number of long horizontal metrics
//   hmtx  the advance width of every glyph
//   cmap  the first Windows Unicode BMP (3,1) or Symbol (3,0) subtable, which
//         must be format 4
//   post  the italic angle
// Metrics are given out in thousandths of an em (PDF glyph space), the italic
// angle in degrees. No outlines are read and nothing is subset, but the font
// must have TrueType outlines (glyf and loca tables, and a signature other
// than "OTTO"), since the writer embeds it as a TrueType font file: an
// OpenType font with PostScript outlines (signature "OTTO", a CFF table
// instead of glyf) or a font with bitmaps only does not load.
//
// Font files are untrusted: every read is checked against the end of the
// data, and a font that cannot be read completely does not load. Such a font
// answers 0 (or an empty name) from every getter.
//
// Character codes are the bytes of the engine's narrow (Windows-1252) text.
// In a Unicode subtable a byte is looked up as the character it stands for in
// Windows-1252: byte n finds the glyph of U+00nn, except that the bytes
// 0x80..0x9F with a character of their own find it (0x80 the euro sign
// U+20AC, 0x92 the right single quotation mark U+2019, ...); PDF viewers
// reach the same glyphs through WinAnsiEncoding. In a symbol subtable code n
// is looked up unchanged.
//
// Wide text (see GlyphOf) looks characters up by their Unicode code points:
// in the same subtable for the Basic Multilingual Plane, and in a Windows
// Unicode full-repertoire subtable (3,10) of format 12 when the font has one,
// which also answers characters beyond it. A format 12 subtable that cannot
// be read completely is left unused; it never stops the font from loading.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "truetype/FontMemoryStream.h"

namespace vellumark {

// One record of the table directory, in file order.
struct TTableRecord {
    std::array<char, 4> Tag{};
    uint32_t CheckSum = 0;  // read, not verified
    uint32_t Offset = 0;    // from the start of the file
    uint32_t Length = 0;

    bool operator==(const TTableRecord&) const = default;
};

// One segment of a format 4 character map.
struct TCmapSegment {
    uint16_t EndCode = 0;
    uint16_t StartCode = 0;
    uint16_t IdDelta = 0;
    uint16_t IdRangeOffset = 0;

    bool operator==(const TCmapSegment&) const = default;
};

// One group of a format 12 character map: StartChar..EndChar map to
// StartGlyph onwards.
struct TCmapGroup {
    uint32_t StartChar = 0;
    uint32_t EndChar = 0;
    uint32_t StartGlyph = 0;
};

// A value v in font units in thousandths of an em at unitsPerEm units:
// (v * 1000 + 500) / unitsPerEm for v >= 0 and (v * 1000 - 500) / unitsPerEm
// for v < 0, computed in floating point and truncated toward zero. 500 is
// added before the division, which is not rounding to the nearest. Answers 0
// for unitsPerEm 0 (such a font never loads).
int32_t MetricToThousandths(int32_t value, uint16_t unitsPerEm) noexcept;

class TvkFont {
public:
    TvkFont() = default;
    // Copies are independent readers with their own copy of the file bytes.
    TvkFont(const TvkFont&) = default;
    TvkFont& operator=(const TvkFont&) = default;
    TvkFont(TvkFont&&) noexcept = default;
    TvkFont& operator=(TvkFont&&) noexcept = default;
    ~TvkFont() = default;

    // Reads the whole file into Data() and parses it; answers Loaded(). The
    // path is narrow, in the platform's file-name encoding (UTF-8 on Linux).
    // Never raises: a missing or unreadable file, a file that is not a
    // TrueType font this reader accepts, or running out of memory all answer
    // false.
    bool LoadFromFile(const std::string& path) noexcept;
    // The same for a font already in memory.
    bool LoadFromMemory(std::span<const uint8_t> bytes) noexcept;
    // Parses the bytes now in Data() and answers Loaded().
    bool ReadTables() noexcept;

    // Makes this reader equal to source: the file bytes and every parsed
    // value; the file is not read again.
    void Assign(const TvkFont& source);

    // True when the last load found TrueType outlines and parsed all six
    // tables.
    bool Loaded() const noexcept { return loaded_; }

    // The glyph of a code of the character map (a code point in a Unicode
    // subtable, taken as it is); 0 (the missing glyph) when the code is not
    // mapped or the reader is not loaded.
    uint16_t GlyphIndex(uint16_t code) const noexcept;
    // The glyph of a Unicode code point (any plane); 0 (the missing glyph)
    // when the font has none or the reader is not loaded. In a symbol
    // subtable the code point is looked up unchanged.
    uint16_t GlyphOf(uint32_t codePoint) const noexcept;
    // The glyph of a byte of narrow text, as CharWidth looks it up.
    uint16_t GlyphOfByte(uint8_t code) const noexcept;
    // The advance width of a glyph in thousandths of an em; 0 when not loaded.
    int32_t GlyphWidth(uint16_t glyph) const noexcept;
    // The number of glyphs (maxp); 0 when not loaded or the font has no maxp.
    uint16_t GlyphCount() const noexcept { return glyphCount_; }
    // The embedding licence bits of the OS/2 table (fsType); 0 when the font
    // has no OS/2 table.
    uint16_t EmbeddingBits() const noexcept { return fsType_; }
    // The advance width, in thousandths of an em, of the glyph of a byte of
    // narrow text (Windows-1252 in a Unicode subtable, see above); 0 when not
    // loaded. A char argument is taken as its byte value.
    int32_t CharWidth(uint8_t code) const noexcept;
    // The sum of CharWidth over the bytes of a narrow string.
    int64_t StringWidth(std::string_view text) const noexcept;

    // Metrics in thousandths of an em; 0 when not loaded.
    int32_t Ascent() const noexcept;   // hhea ascender
    int32_t Descent() const noexcept;  // hhea descender (negative below the baseline)
    int32_t BBoxXMin() const noexcept;
    int32_t BBoxYMin() const noexcept;
    int32_t BBoxXMax() const noexcept;
    int32_t BBoxYMax() const noexcept;
    // The PostScript name's bytes as stored in the font (no decoding, spaces
    // kept); empty when not loaded.
    const std::string& PostScriptName() const noexcept { return postScriptName_; }
    // Degrees, counterclockwise from the vertical (negative leans right); 0
    // when not loaded.
    double ItalicAngle() const noexcept { return italicAngle_; }

    // The whole font file, for embedding. The caller may move the position
    // of the mutable stream; the bytes themselves must not be changed.
    std::size_t DataSize() const noexcept { return data_.Size(); }
    const TFontMemoryStream& Data() const noexcept { return data_; }
    TFontMemoryStream& Data() noexcept { return data_; }

    // The last directory record whose tag equals tag (case-sensitive).
    std::optional<TTableRecord> FindTable(std::string_view tag) const noexcept;

    // Raw values as parsed, in font units.
    uint16_t TableCount() const noexcept { return tableCount_; }
    const std::vector<TTableRecord>& Tables() const noexcept { return tables_; }
    uint16_t UnitsPerEm() const noexcept { return unitsPerEm_; }
    uint16_t NumberOfHMetrics() const noexcept { return metricsCount_; }
    const std::vector<uint16_t>& AdvanceWidths() const noexcept { return advanceWidths_; }
    uint16_t EncodingCount() const noexcept { return encodingCount_; }
    const std::vector<TCmapSegment>& Segments() const noexcept { return segments_; }
    // True when the character map is the Windows Unicode BMP subtable (3,1),
    // false for the symbol subtable (3,0) or when not loaded.
    bool UnicodeMap() const noexcept { return unicodeMap_; }

private:
    // The per-table readers; each answers false when its table is missing or
    // cannot be read completely. Reads past the data raise EReadError.
    void ReadDirectory();
    // True when the font has TrueType outlines: the directory lists glyf and
    // loca (which are not read) and the signature is not "OTTO".
    bool HasTrueTypeOutlines() const noexcept;
    bool ReadName();
    bool ReadHead();
    bool ReadHhea();
    bool ReadHmtx();
    bool ReadCmap();
    bool ReadPost();
    // The optional tables: maxp's glyph count, OS/2's licence bits and the
    // format 12 character map; what cannot be read is left unused.
    void ReadOptional() noexcept;
    void ReadFullCmap();
    // Checks that every glyph array read a lookup can make lies in the data.
    bool GlyphArrayInData() const noexcept;
    uint16_t LookUp(uint16_t code) const noexcept;
    // The glyph of code in segment i (which need not contain it).
    uint16_t LookUpIn(std::size_t i, uint16_t code) const noexcept;
    void ResetParsed() noexcept;

    TFontMemoryStream data_;
    uint16_t tableCount_ = 0;
    std::vector<TTableRecord> tables_;
    uint16_t metricsCount_ = 0;
    uint16_t unitsPerEm_ = 0;
    uint16_t encodingCount_ = 0;
    std::vector<uint16_t> advanceWidths_;
    std::vector<TCmapSegment> segments_;
    std::vector<TCmapGroup> groups_;  // format 12, sorted and disjoint
    bool segmentsSorted_ = false;     // end codes ascending: look-ups may bisect
    uint16_t glyphCount_ = 0;
    uint16_t fsType_ = 0;
    uint32_t glyphArrayPos_ = 0;
    uint16_t segmentCount_ = 0;
    bool unicodeMap_ = false;
    bool loaded_ = false;
    int16_t xMin_ = 0;
    int16_t yMin_ = 0;
    int16_t xMax_ = 0;
    int16_t yMax_ = 0;
    int16_t ascender_ = 0;
    int16_t descender_ = 0;
    std::string postScriptName_;
    double italicAngle_ = 0.0;
    // CharWidth of every code 0..255, filled when the font loads.
    std::array<int32_t, 256> widths_{};
};

}  // namespace vellumark
