#include "truetype/Subset.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace vellumark {

namespace {

// Composite glyph flags.
constexpr uint16_t kArgsAreWords = 0x0001;
constexpr uint16_t kHaveScale = 0x0008;
constexpr uint16_t kMoreComponents = 0x0020;
constexpr uint16_t kHaveXYScale = 0x0040;
constexpr uint16_t kHaveTwoByTwo = 0x0080;
// The fsType bit that forbids subsetting.
constexpr uint16_t kNoSubsetting = 0x0100;
// Entries of the new character map: one segment each, in a 16-bit length.
constexpr std::size_t kMaxCmapEntries = 8000;

// Raised inside the subsetter when a table cannot be read; caught at the top.
struct EBadTables {};

class TReader {
public:
    explicit TReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint16_t U16(uint64_t at) const {
        uint16_t v = 0;
        if (!PeekUInt16BE(bytes_, at, v)) throw EBadTables{};
        return v;
    }
    uint32_t U32(uint64_t at) const {
        uint32_t v = 0;
        if (!PeekUInt32BE(bytes_, at, v)) throw EBadTables{};
        return v;
    }
    std::span<const uint8_t> Slice(uint64_t at, uint64_t length) const {
        if (at > bytes_.size() || length > bytes_.size() - at) throw EBadTables{};
        return bytes_.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
    }

private:
    std::span<const uint8_t> bytes_;
};

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v >> 16));
    Put16(out, static_cast<uint16_t>(v));
}
void Set16(std::vector<uint8_t>& out, std::size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v >> 8);
    out[at + 1] = static_cast<uint8_t>(v);
}
void Set32(std::vector<uint8_t>& out, std::size_t at, uint32_t v) {
    Set16(out, at, static_cast<uint16_t>(v >> 16));
    Set16(out, at + 2, static_cast<uint16_t>(v));
}

uint32_t CheckSum(std::span<const uint8_t> data) {
    uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k) word = (word << 8) | (i + k < data.size() ? data[i + k] : 0);
        sum += word;
    }
    return sum;
}

TTableRecord Table(const TvkFont& font, std::string_view tag) {
    const auto t = font.FindTable(tag);
    if (!t) throw EBadTables{};
    return *t;
}

// The glyph table's layout: where each glyph's data lies.
class TGlyphs {
public:
    TGlyphs(const TvkFont& font, const TReader& reader) : reader_(reader) {
        const TTableRecord head = Table(font, "head");
        const TTableRecord maxp = Table(font, "maxp");
        loca_ = Table(font, "loca");
        glyf_ = Table(font, "glyf");
        if (head.Length < 54 || maxp.Length < 6) throw EBadTables{};
        longOffsets_ = reader.U16(uint64_t{head.Offset} + 50) != 0;
        count_ = reader.U16(uint64_t{maxp.Offset} + 4);
        if (count_ == 0) throw EBadTables{};
        const uint64_t need = (uint64_t{count_} + 1) * (longOffsets_ ? 4 : 2);
        if (loca_.Length < need) throw EBadTables{};
    }
    uint16_t Count() const noexcept { return count_; }
    bool LongOffsets() const noexcept { return longOffsets_; }
    // The bytes of glyph g inside the glyph table (empty for an empty glyph).
    std::span<const uint8_t> Data(uint16_t g) const {
        const uint64_t start = Offset(g);
        const uint64_t end = Offset(static_cast<uint32_t>(g) + 1);
        if (end < start || end > glyf_.Length) throw EBadTables{};
        return reader_.Slice(uint64_t{glyf_.Offset} + start, end - start);
    }

private:
    uint64_t Offset(uint32_t g) const {
        if (longOffsets_) return reader_.U32(uint64_t{loca_.Offset} + 4 * uint64_t{g});
        return 2 * uint64_t{reader_.U16(uint64_t{loca_.Offset} + 2 * uint64_t{g})};
    }

    const TReader& reader_;
    TTableRecord loca_;
    TTableRecord glyf_;
    uint16_t count_ = 0;
    bool longOffsets_ = false;
};

// The components a composite glyph's data names.
void AddComponents(std::span<const uint8_t> data, std::vector<uint16_t>& out) {
    const TReader r(data);
    if (data.size() < 10 || static_cast<int16_t>(r.U16(0)) >= 0) return;  // a simple glyph
    uint64_t at = 10;
    uint16_t flags = 0;
    do {
        flags = r.U16(at);
        out.push_back(r.U16(at + 2));
        at += 4 + ((flags & kArgsAreWords) ? 4 : 2);
        if (flags & kHaveScale)
            at += 2;
        else if (flags & kHaveXYScale)
            at += 4;
        else if (flags & kHaveTwoByTwo)
            at += 8;
    } while ((flags & kMoreComponents) && at < data.size());
}

std::vector<uint8_t> MakeCmap(std::span<const TCmapEntry> entries, bool unicode) {
    std::map<uint16_t, uint16_t> codes;
    for (const TCmapEntry& e : entries) {
        if (codes.size() >= kMaxCmapEntries) break;
        if (e.first != 0xFFFF) codes.emplace(e.first, e.second);
    }
    const auto segments = static_cast<uint16_t>(codes.size() + 1);
    uint16_t power = 1;
    uint16_t log2 = 0;
    while (power * 2 <= segments) {
        power = static_cast<uint16_t>(power * 2);
        ++log2;
    }
    std::vector<uint8_t> out;
    Put16(out, 0);  // version
    Put16(out, 1);  // one subtable
    Put16(out, 3);
    Put16(out, unicode ? 1 : 0);
    Put32(out, 12);
    Put16(out, 4);  // format
    Put16(out, static_cast<uint16_t>(16 + 8 * segments));
    Put16(out, 0);  // language
    Put16(out, static_cast<uint16_t>(2 * segments));
    Put16(out, static_cast<uint16_t>(2 * power));
    Put16(out, log2);
    Put16(out, static_cast<uint16_t>(2 * segments - 2 * power));
    for (const auto& [code, glyph] : codes) Put16(out, code);  // end codes
    Put16(out, 0xFFFF);
    Put16(out, 0);  // reservedPad
    for (const auto& [code, glyph] : codes) Put16(out, code);  // start codes
    Put16(out, 0xFFFF);
    for (const auto& [code, glyph] : codes) Put16(out, static_cast<uint16_t>(glyph - code));  // deltas
    Put16(out, 1);
    for (std::size_t i = 0; i < segments; ++i) Put16(out, 0);  // no range offsets
    return out;
}

// A name table with the PostScript name only (Macintosh Roman, English).
std::vector<uint8_t> MakeName(const std::string& postScriptName) {
    const std::string name = postScriptName.substr(0, 63);  // a PostScript name's limit
    std::vector<uint8_t> out;
    Put16(out, 0);   // format
    Put16(out, 1);   // one record
    Put16(out, 18);  // strings follow the record
    Put16(out, 1);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 6);  // the PostScript name
    Put16(out, static_cast<uint16_t>(name.size()));
    Put16(out, 0);
    out.insert(out.end(), name.begin(), name.end());
    return out;
}

std::vector<uint8_t> Subset(const TvkFont& font, std::span<const uint16_t> wanted, std::span<const TCmapEntry> cmap) {
    const TReader reader(font.Data().Bytes());
    const TGlyphs glyphs(font, reader);
    const uint16_t count = glyphs.Count();

    // The glyphs kept: those asked for, glyph 0 and the components of
    // composites, each once.
    std::vector<bool> kept(count, false);
    std::vector<uint16_t> work{0};
    for (const uint16_t g : wanted)
        if (g < count) work.push_back(g);
    while (!work.empty()) {
        const uint16_t g = work.back();
        work.pop_back();
        if (g >= count || kept[g]) continue;
        kept[g] = true;
        AddComponents(glyphs.Data(g), work);
    }
    uint16_t last = 0;
    for (uint16_t g = 0; g < count; ++g)
        if (kept[g]) last = g;
    const auto newCount = static_cast<uint16_t>(last + 1);

    // glyf and loca; every glyph starts at a multiple of four.
    std::vector<uint8_t> glyf;
    std::vector<uint32_t> offsets;
    offsets.reserve(newCount + 1u);
    for (uint16_t g = 0; g < newCount; ++g) {
        offsets.push_back(static_cast<uint32_t>(glyf.size()));
        if (!kept[g]) continue;
        const auto data = glyphs.Data(g);
        glyf.insert(glyf.end(), data.begin(), data.end());
        while (glyf.size() % 4 != 0) glyf.push_back(0);
    }
    offsets.push_back(static_cast<uint32_t>(glyf.size()));
    const bool longOffsets = glyphs.LongOffsets() || glyf.size() > 0x1FFFE;
    std::vector<uint8_t> loca;
    for (const uint32_t o : offsets) {
        if (longOffsets)
            Put32(loca, o);
        else
            Put16(loca, static_cast<uint16_t>(o / 2));
    }

    // hmtx: the metrics of the kept glyphs; the last long metric keeps its
    // advance, which every glyph after it shares.
    const TTableRecord hmtxTable = Table(font, "hmtx");
    const uint16_t metrics = font.NumberOfHMetrics();
    if (metrics == 0) throw EBadTables{};
    const auto newMetrics = std::min(metrics, newCount);
    std::vector<uint8_t> hmtx;
    for (uint16_t g = 0; g < newCount; ++g) {
        const bool keep = kept[g];
        if (g < newMetrics) {
            const uint64_t at = uint64_t{hmtxTable.Offset} + 4 * uint64_t{g};
            Put16(hmtx, keep || g + 1 == newMetrics ? reader.U16(at) : 0);
            Put16(hmtx, keep ? reader.U16(at + 2) : 0);
        } else {
            // A side bearing only; fonts may leave these out, which means 0.
            const uint64_t at = uint64_t{hmtxTable.Offset} + 4 * uint64_t{metrics} + 2 * (uint64_t{g} - metrics);
            uint16_t lsb = 0;
            if (keep && at + 2 <= uint64_t{hmtxTable.Offset} + hmtxTable.Length) lsb = reader.U16(at);
            Put16(hmtx, lsb);
        }
    }

    auto copy = [&](std::string_view tag) {
        const TTableRecord t = Table(font, tag);
        const auto data = reader.Slice(t.Offset, t.Length);
        return std::vector<uint8_t>(data.begin(), data.end());
    };
    std::vector<uint8_t> head = copy("head");
    Set32(head, 8, 0);  // checkSumAdjustment, set below
    Set16(head, 50, longOffsets ? 1 : 0);
    std::vector<uint8_t> hhea = copy("hhea");
    if (hhea.size() < 36) throw EBadTables{};
    Set16(hhea, 34, newMetrics);
    std::vector<uint8_t> maxp = copy("maxp");
    Set16(maxp, 4, newCount);

    std::map<std::string, std::vector<uint8_t>> tables;  // sorted by tag
    tables["head"] = std::move(head);
    tables["hhea"] = std::move(hhea);
    tables["maxp"] = std::move(maxp);
    tables["hmtx"] = std::move(hmtx);
    tables["loca"] = std::move(loca);
    tables["glyf"] = std::move(glyf);
    tables["cmap"] = MakeCmap(cmap, font.UnicodeMap());
    for (const char* tag : {"cvt ", "fpgm", "prep", "OS/2"})
        if (font.FindTable(tag)) tables[tag] = copy(tag);
    tables["name"] = MakeName(font.PostScriptName());
    // Always a post table, which a reader may require: a short one's missing
    // fields become 0.
    if (font.FindTable("post")) {
        std::vector<uint8_t> p = copy("post");
        p.resize(32);
        Set32(p, 0, 0x00030000);  // no glyph names
        tables["post"] = std::move(p);
    }

    // The file: offset table, directory, tables at multiples of four.
    const auto n = static_cast<uint16_t>(tables.size());
    uint16_t power = 1;
    uint16_t log2 = 0;
    while (power * 2 <= n) {
        power = static_cast<uint16_t>(power * 2);
        ++log2;
    }
    std::vector<uint8_t> out;
    Put32(out, 0x00010000);
    Put16(out, n);
    Put16(out, static_cast<uint16_t>(16 * power));
    Put16(out, log2);
    Put16(out, static_cast<uint16_t>(16 * n - 16 * power));
    std::size_t offset = 12 + 16 * std::size_t{n};
    std::size_t headOffset = 0;
    for (const auto& [tag, data] : tables) {
        out.insert(out.end(), tag.begin(), tag.end());
        Put32(out, CheckSum(data));
        Put32(out, static_cast<uint32_t>(offset));
        Put32(out, static_cast<uint32_t>(data.size()));
        if (tag == "head") headOffset = offset;
        offset += (data.size() + 3) / 4 * 4;
    }
    for (const auto& [tag, data] : tables) {
        out.insert(out.end(), data.begin(), data.end());
        while (out.size() % 4 != 0) out.push_back(0);
    }
    Set32(out, headOffset + 8, 0xB1B0AFBAu - CheckSum(out));
    return out;
}

}  // namespace

std::vector<uint8_t> SubsetTrueType(const TvkFont& font, std::span<const uint16_t> glyphs,
                                    std::span<const TCmapEntry> cmap) {
    if (!font.Loaded()) return {};
    try {
        return Subset(font, glyphs, cmap);
    } catch (const EBadTables&) {
        return {};
    }
}

std::string SubsetTag(std::string_view fontName, std::span<const uint16_t> glyphs) {
    uint64_t h = 0xCBF29CE484222325u;  // FNV-1a
    for (const char c : fontName) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
    for (const uint16_t g : glyphs) {
        h = (h ^ (g & 0xFFu)) * 0x100000001B3u;
        h = (h ^ (g >> 8)) * 0x100000001B3u;
    }
    std::string tag(6, 'A');
    for (char& c : tag) {
        c = static_cast<char>('A' + h % 26);
        h /= 26;
    }
    return tag;
}

bool ForbidsSubsetting(const TvkFont& font) noexcept { return (font.EmbeddingBits() & kNoSubsetting) != 0; }

}  // namespace vellumark
