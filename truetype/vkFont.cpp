#include "truetype/vkFont.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <cstring>
#include <new>

namespace vellumark {

namespace {

// A table's directory record, or nothing when the directory has none.
std::optional<TTableRecord> Find(const std::vector<TTableRecord>& tables, std::string_view tag) noexcept {
    std::optional<TTableRecord> found;
    if (tag.size() != 4) return found;
    for (const TTableRecord& t : tables)
        if (std::memcmp(t.Tag.data(), tag.data(), 4) == 0) found = t;  // the last match wins
    return found;
}

// Offset tables and table directory records.
constexpr std::size_t kOffsetTableSize = 12;
constexpr std::size_t kDirectoryRecordSize = 16;
// Exact lengths of the two fixed-size tables we accept.
constexpr uint32_t kHeadLength = 54;
constexpr uint32_t kHheaLength = 36;
// The sfnt version of an OpenType font with PostScript outlines, "OTTO".
constexpr uint32_t kPostScriptOutlines = 0x4F54544F;

}  // namespace

int32_t MetricToThousandths(int32_t value, uint16_t unitsPerEm) noexcept {
    if (unitsPerEm == 0) return 0;
    const double v = static_cast<double>(value) * 1000.0;
    const double scaled = (value >= 0 ? v + 500.0 : v - 500.0) / static_cast<double>(unitsPerEm);
    // |value| < 2^31 and unitsPerEm >= 1 keep the quotient below 2^41; only
    // 16-bit inputs occur, whose results fit comfortably in 32 bits.
    return static_cast<int32_t>(static_cast<int64_t>(scaled));  // truncates toward zero
}

bool TvkFont::LoadFromFile(const std::string& path) noexcept {
    loaded_ = false;
    try {
        data_.LoadFromFile(path);
    } catch (...) {
        data_.Clear();
        ResetParsed();
        return false;
    }
    return ReadTables();
}

bool TvkFont::LoadFromMemory(std::span<const uint8_t> bytes) noexcept {
    loaded_ = false;
    try {
        if (bytes.size() > TFontMemoryStream::kMaxFileSize) throw EReadError();
        data_.Assign(bytes);
    } catch (...) {
        data_.Clear();
        ResetParsed();
        return false;
    }
    return ReadTables();
}

bool TvkFont::ReadTables() noexcept {
    ResetParsed();
    try {
        // Positions inside the font are kept in 32 bits.
        if (data_.Size() > TFontMemoryStream::kMaxFileSize) throw EReadError();
        ReadDirectory();
        // Each table reader runs only when the ones before it succeeded, so
        // the first failing table ends the parse.
        if (HasTrueTypeOutlines() && ReadName() && ReadHead() && ReadHhea() && ReadHmtx() && ReadCmap() &&
            ReadPost()) {
            loaded_ = true;
            ReadOptional();
            for (unsigned code = 0; code < widths_.size(); ++code) {
                // A Unicode map is asked for the byte's Windows-1252 character.
                const uint16_t key = unicodeMap_ ? FromAnsiChar(static_cast<unsigned char>(code))
                                                 : static_cast<uint16_t>(code);
                const uint16_t glyph = LookUp(key);
                uint16_t advance = 0;
                if (glyph < advanceWidths_.size())
                    advance = advanceWidths_[glyph];
                else if (!advanceWidths_.empty())
                    advance = advanceWidths_.back();  // the last long metric covers all further glyphs
                widths_[code] = MetricToThousandths(advance, unitsPerEm_);
            }
        }
    } catch (...) {
        // A read past the end of the data, or no memory for the tables.
        loaded_ = false;
    }
    if (!loaded_) ResetParsed();
    data_.SetPosition(0);
    return loaded_;
}

void TvkFont::Assign(const TvkFont& source) {
    if (this == &source) return;
    *this = source;
    data_.SetPosition(0);
}

void TvkFont::ResetParsed() noexcept {
    loaded_ = false;
    tableCount_ = 0;
    tables_.clear();
    metricsCount_ = 0;
    unitsPerEm_ = 0;
    encodingCount_ = 0;
    advanceWidths_.clear();
    segments_.clear();
    groups_.clear();
    segmentsSorted_ = false;
    glyphCount_ = 0;
    fsType_ = 0;
    glyphArrayPos_ = 0;
    segmentCount_ = 0;
    unicodeMap_ = false;
    xMin_ = yMin_ = xMax_ = yMax_ = 0;
    ascender_ = descender_ = 0;
    postScriptName_.clear();
    italicAngle_ = 0.0;
    widths_.fill(0);
}

std::optional<TTableRecord> TvkFont::FindTable(std::string_view tag) const noexcept {
    return Find(tables_, tag);
}

void TvkFont::ReadDirectory() {
    const uint64_t size = data_.Size();
    data_.SetPosition(4);  // sfnt version, not checked
    tableCount_ = ReadUInt16BE(data_);
    data_.Skip(6);  // searchRange, entrySelector, rangeShift
    if (kOffsetTableSize + uint64_t{tableCount_} * kDirectoryRecordSize > size) throw EReadError();
    tables_.reserve(tableCount_);
    for (unsigned i = 0; i < tableCount_; ++i) {
        TTableRecord t;
        data_.ReadBuffer(t.Tag.data(), 4);
        t.CheckSum = ReadUInt32BE(data_);
        t.Offset = ReadUInt32BE(data_);
        t.Length = ReadUInt32BE(data_);
        // A table that reaches past the end of the file means a damaged or
        // truncated file, which we neither parse nor embed.
        if (uint64_t{t.Offset} + t.Length > size) throw EReadError();
        tables_.push_back(t);
    }
}

bool TvkFont::HasTrueTypeOutlines() const noexcept {
    // An OpenType font with PostScript outlines says so with the signature
    // "OTTO" and keeps them in a CFF or CFF2 table; viewers do not open it as
    // a TrueType font file, and without glyf there is nothing to draw anyway.
    uint32_t version = 0;
    if (!PeekUInt32BE(data_.Bytes(), 0, version) || version == kPostScriptOutlines) return false;
    return FindTable("glyf") && FindTable("loca");
}

bool TvkFont::ReadName() {
    const auto table = FindTable("name");
    if (!table) return false;
    data_.SetPosition(uint64_t{table->Offset} + 2);  // format
    const uint16_t count = ReadUInt16BE(data_);
    const uint16_t stringOffset = ReadUInt16BE(data_);
    const uint64_t strings = uint64_t{table->Offset} + stringOffset;
    std::optional<std::pair<uint16_t, uint16_t>> windows;  // offset, length
    for (unsigned i = 0; i < count; ++i) {
        const uint16_t platformId = ReadUInt16BE(data_);
        const uint16_t encodingId = ReadUInt16BE(data_);
        const uint16_t languageId = ReadUInt16BE(data_);
        const uint16_t nameId = ReadUInt16BE(data_);
        const uint16_t length = ReadUInt16BE(data_);
        const uint16_t offset = ReadUInt16BE(data_);
        // The Macintosh Roman English PostScript name, byte for byte.
        if (platformId == 1 && encodingId == 0 && languageId == 0 && nameId == 6) {
            data_.SetPosition(strings + offset);
            std::string name(length, '\0');
            data_.ReadBuffer(name.data(), length);
            postScriptName_ = std::move(name);
            return true;
        }
        if (!windows && platformId == 3 && encodingId == 1 && languageId == 0x409 && nameId == 6)
            windows.emplace(offset, length);
    }
    // Many current fonts carry the PostScript name only in the Windows
    // English record, in UTF-16BE; a PostScript name is ASCII, so the
    // characters below 128 are kept.
    if (!windows) return false;
    data_.SetPosition(strings + windows->first);
    std::string name;
    for (unsigned i = 0; i + 1 < windows->second; i += 2) {
        const uint16_t c = ReadUInt16BE(data_);
        if (c < 128) name += static_cast<char>(c);
    }
    postScriptName_ = std::move(name);
    return true;
}

bool TvkFont::ReadHead() {
    const auto table = FindTable("head");
    if (!table || table->Length != kHeadLength) return false;
    data_.SetPosition(uint64_t{table->Offset} + 18);
    unitsPerEm_ = ReadUInt16BE(data_);
    // Every metric is divided by unitsPerEm.
    if (unitsPerEm_ == 0) return false;
    data_.SetPosition(uint64_t{table->Offset} + 36);
    xMin_ = ReadInt16BE(data_);
    yMin_ = ReadInt16BE(data_);
    xMax_ = ReadInt16BE(data_);
    yMax_ = ReadInt16BE(data_);
    return true;
}

bool TvkFont::ReadHhea() {
    const auto table = FindTable("hhea");
    if (!table || table->Length != kHheaLength) return false;
    data_.SetPosition(uint64_t{table->Offset} + 4);
    ascender_ = ReadInt16BE(data_);
    descender_ = ReadInt16BE(data_);
    data_.SetPosition(uint64_t{table->Offset} + 34);
    metricsCount_ = ReadUInt16BE(data_);
    return true;
}

bool TvkFont::ReadHmtx() {
    const auto table = FindTable("hmtx");
    if (!table || table->Length < 4 * uint64_t{metricsCount_}) return false;
    data_.SetPosition(table->Offset);
    advanceWidths_.resize(metricsCount_);
    for (uint16_t& advance : advanceWidths_) {
        advance = ReadUInt16BE(data_);
        data_.Skip(2);  // left side bearing
    }
    return true;
}

bool TvkFont::ReadCmap() {
    const auto table = FindTable("cmap");
    if (!table) return false;
    data_.SetPosition(uint64_t{table->Offset} + 2);  // version
    encodingCount_ = ReadUInt16BE(data_);
    // The first Windows Unicode BMP or Windows Symbol record, whichever
    // comes first; no other platform is accepted.
    std::optional<uint32_t> subtable;
    for (unsigned i = 0; i < encodingCount_ && !subtable; ++i) {
        const uint16_t platformId = ReadUInt16BE(data_);
        const uint16_t encodingId = ReadUInt16BE(data_);
        const uint32_t offset = ReadUInt32BE(data_);
        if (platformId == 3 && (encodingId == 1 || encodingId == 0)) {
            subtable = offset;
            unicodeMap_ = encodingId == 1;
        }
    }
    if (!subtable) return false;

    data_.SetPosition(uint64_t{table->Offset} + *subtable);
    if (ReadUInt16BE(data_) != 4) return false;  // only format 4
    ReadUInt16BE(data_);                          // length, not used
    data_.Skip(2);                                // language
    segmentCount_ = ReadUInt16BE(data_) / 2;
    data_.Skip(6);  // searchRange, entrySelector, rangeShift
    // Four arrays of segmentCount values and the reserved pad must follow.
    const uint64_t need = 8 * uint64_t{segmentCount_} + 2;
    if (data_.Position() > data_.Size() || need > data_.Size() - data_.Position()) throw EReadError();
    segments_.resize(segmentCount_);
    for (TCmapSegment& s : segments_) s.EndCode = ReadUInt16BE(data_);
    data_.Skip(2);  // reservedPad
    for (TCmapSegment& s : segments_) s.StartCode = ReadUInt16BE(data_);
    for (TCmapSegment& s : segments_) s.IdDelta = ReadUInt16BE(data_);
    for (TCmapSegment& s : segments_) s.IdRangeOffset = ReadUInt16BE(data_);
    // The file is at most kMaxFileSize bytes long, so the position fits.
    glyphArrayPos_ = static_cast<uint32_t>(data_.Position());
    return GlyphArrayInData();
}

bool TvkFont::ReadPost() {
    const auto table = FindTable("post");
    if (!table) return false;
    data_.SetPosition(uint64_t{table->Offset} + 4);
    // 16.16 fixed point: a signed integer part and an unsigned fraction.
    const int16_t whole = ReadInt16BE(data_);
    const uint16_t fraction = ReadUInt16BE(data_);
    italicAngle_ = whole + fraction / 65536.0;
    return true;
}

void TvkFont::ReadOptional() noexcept {
    segmentsSorted_ = std::is_sorted(segments_.begin(), segments_.end(),
                                     [](const TCmapSegment& a, const TCmapSegment& b) { return a.EndCode < b.EndCode; });
    if (const auto maxp = FindTable("maxp"); maxp && maxp->Length >= 6)
        PeekUInt16BE(data_.Bytes(), uint64_t{maxp->Offset} + 4, glyphCount_);
    if (const auto os2 = FindTable("OS/2"); os2 && os2->Length >= 10)
        PeekUInt16BE(data_.Bytes(), uint64_t{os2->Offset} + 8, fsType_);
    try {
        ReadFullCmap();
    } catch (...) {
        groups_.clear();
    }
}

void TvkFont::ReadFullCmap() {
    // Groups past this many are not read: a full Unicode map needs far fewer.
    constexpr uint32_t kMaxGroups = 0x110000 / 2;
    if (!unicodeMap_) return;
    const auto table = FindTable("cmap");
    if (!table) return;
    data_.SetPosition(uint64_t{table->Offset} + 4);
    std::optional<uint32_t> subtable;
    for (unsigned i = 0; i < encodingCount_ && !subtable; ++i) {
        const uint16_t platformId = ReadUInt16BE(data_);
        const uint16_t encodingId = ReadUInt16BE(data_);
        const uint32_t offset = ReadUInt32BE(data_);
        if (platformId == 3 && encodingId == 10) subtable = offset;
    }
    if (!subtable) return;
    data_.SetPosition(uint64_t{table->Offset} + *subtable);
    if (ReadUInt16BE(data_) != 12) return;
    data_.Skip(2 + 4 + 4);  // reserved, length, language
    const uint32_t count = ReadUInt32BE(data_);
    if (count > kMaxGroups || data_.Position() > data_.Size() ||
        12 * uint64_t{count} > data_.Size() - data_.Position())
        return;
    std::vector<TCmapGroup> groups(count);
    for (TCmapGroup& g : groups) {
        g.StartChar = ReadUInt32BE(data_);
        g.EndChar = ReadUInt32BE(data_);
        g.StartGlyph = ReadUInt32BE(data_);
    }
    // Groups must ascend without overlapping, as the format requires.
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].StartChar > groups[i].EndChar) return;
        if (i > 0 && groups[i].StartChar <= groups[i - 1].EndChar) return;
    }
    groups_ = std::move(groups);
}

uint16_t TvkFont::GlyphOf(uint32_t codePoint) const noexcept {
    if (!loaded_) return 0;
    if (codePoint > 0xFFFF) {
        // Beyond the BMP only the format 12 map answers.
        auto it = std::upper_bound(groups_.begin(), groups_.end(), codePoint,
                                   [](uint32_t c, const TCmapGroup& g) { return c < g.StartChar; });
        if (it == groups_.begin()) return 0;
        --it;
        if (codePoint > it->EndChar) return 0;
        const uint64_t glyph = uint64_t{it->StartGlyph} + (codePoint - it->StartChar);
        return glyph > 0xFFFF ? 0 : static_cast<uint16_t>(glyph);
    }
    auto code = static_cast<uint16_t>(codePoint);
    if (!unicodeMap_) {
        // A symbol map is asked for the Windows-1252 byte, as narrow text is.
        const std::u16string one(1, static_cast<char16_t>(code));
        const std::string narrow = ToAnsi(one);
        if (narrow != "?" || code == u'?') code = static_cast<unsigned char>(narrow[0]);
    }
    if (segments_.empty()) return 0;
    if (!segmentsSorted_) return LookUp(code);
    // The same segment as LookUp's walk: the first whose end is not below code.
    auto it = std::lower_bound(segments_.begin(), segments_.end(), code,
                               [](const TCmapSegment& s, uint16_t c) { return s.EndCode < c; });
    const std::size_t i =
        it == segments_.end() ? segments_.size() - 1 : static_cast<std::size_t>(it - segments_.begin());
    return LookUpIn(i, code);
}

uint16_t TvkFont::GlyphOfByte(uint8_t code) const noexcept {
    if (!loaded_) return 0;
    return LookUp(unicodeMap_ ? FromAnsiChar(code) : code);
}

int32_t TvkFont::GlyphWidth(uint16_t glyph) const noexcept {
    if (!loaded_ || advanceWidths_.empty()) return 0;
    const uint16_t advance = glyph < advanceWidths_.size() ? advanceWidths_[glyph] : advanceWidths_.back();
    return MetricToThousandths(advance, unitsPerEm_);
}

bool TvkFont::GlyphArrayInData() const noexcept {
    const uint64_t size = data_.Size();
    const uint64_t n = segments_.size();
    for (uint64_t i = 0; i < n; ++i) {
        const TCmapSegment& s = segments_[i];
        if (s.IdRangeOffset == 0 || s.StartCode > s.EndCode) continue;  // no reads
        // The segment's own idRangeOffset word lies 2 * (n - i) bytes before
        // the glyph array; the offset counts from there.
        const uint64_t last = glyphArrayPos_ - 2 * (n - i) + s.IdRangeOffset + 2 * static_cast<uint64_t>(s.EndCode - s.StartCode);
        if (last + 2 > size) return false;
    }
    return true;
}

uint16_t TvkFont::LookUp(uint16_t code) const noexcept {
    const std::size_t n = segments_.size();
    if (n == 0) return 0;  // an empty map maps every code to the missing glyph
    std::size_t i = 0;
    while (code > segments_[i].EndCode && i + 1 < n) ++i;
    return LookUpIn(i, code);
}

uint16_t TvkFont::LookUpIn(std::size_t i, uint16_t code) const noexcept {
    const std::size_t n = segments_.size();
    const TCmapSegment& s = segments_[i];
    if (code > s.EndCode || code < s.StartCode) return 0;
    if (s.IdRangeOffset == 0) return static_cast<uint16_t>(code + s.IdDelta);
    const uint64_t at = glyphArrayPos_ - 2 * uint64_t{n - i} + s.IdRangeOffset + 2 * static_cast<uint64_t>(code - s.StartCode);
    uint16_t glyph = 0;
    // Checked at load time; checked again in case Data() has been changed.
    if (!PeekUInt16BE(data_.Bytes(), at, glyph) || glyph == 0) return 0;
    return static_cast<uint16_t>(glyph + s.IdDelta);
}

uint16_t TvkFont::GlyphIndex(uint16_t code) const noexcept {
    return loaded_ ? LookUp(code) : 0;
}

int32_t TvkFont::CharWidth(uint8_t code) const noexcept {
    return loaded_ ? widths_[code] : 0;
}

int64_t TvkFont::StringWidth(std::string_view text) const noexcept {
    int64_t sum = 0;
    for (const char c : text) sum += CharWidth(static_cast<uint8_t>(c));
    return sum;
}

int32_t TvkFont::Ascent() const noexcept { return loaded_ ? MetricToThousandths(ascender_, unitsPerEm_) : 0; }
int32_t TvkFont::Descent() const noexcept { return loaded_ ? MetricToThousandths(descender_, unitsPerEm_) : 0; }
int32_t TvkFont::BBoxXMin() const noexcept { return loaded_ ? MetricToThousandths(xMin_, unitsPerEm_) : 0; }
int32_t TvkFont::BBoxYMin() const noexcept { return loaded_ ? MetricToThousandths(yMin_, unitsPerEm_) : 0; }
int32_t TvkFont::BBoxXMax() const noexcept { return loaded_ ? MetricToThousandths(xMax_, unitsPerEm_) : 0; }
int32_t TvkFont::BBoxYMax() const noexcept { return loaded_ ? MetricToThousandths(yMax_, unitsPerEm_) : 0; }

}  // namespace vellumark
