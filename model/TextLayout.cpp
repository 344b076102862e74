#include "model/TextLayout.h"

#include <algorithm>

#include "base/TextCodec.h"

namespace vellumark {

namespace {

// Widths of a font with no reader behind it: all zero.
const std::array<int32_t, 256> kNoWidths{};

// The widths the layout measures one written line with: the font's byte
// widths, or for a wide line a width for each of its UTF-16 units.
class TLineWidths {
public:
    TLineWidths(const std::array<int32_t, 256>& bytes, const std::vector<int32_t>* units)
        : bytes_(bytes), units_(units) {}
    // The width of the unit at 0-based position i of text.
    int32_t At(std::string_view text, std::size_t i) const {
        return units_ ? (*units_)[i] : bytes_[static_cast<unsigned char>(text[i])];
    }
    // The sum over text[first, first + count).
    int64_t Sum(std::string_view text, std::size_t first, std::size_t count) const {
        int64_t sum = 0;
        for (std::size_t i = first; i < first + count; ++i) sum += At(text, i);
        return sum;
    }

private:
    const std::array<int32_t, 256>& bytes_;
    const std::vector<int32_t>* units_;
};

// The widths of the added fonts, looked up in the (read-only) font list once
// for each change of font from one line to the next.
class TFontWidths {
public:
    explicit TFontWidths(const TObjList<TPDFFontRes>& fonts) : fonts_(fonts) {}
    const std::array<int32_t, 256>& Of(int32_t fontNumber) {
        if (fontNumber != number_) {
            font_ = fonts_.Get(fontNumber - kStandardFontCount);
            widths_ = font_ ? &font_->Widths : &kNoWidths;
            number_ = fontNumber;
        }
        return *widths_;
    }
    // The widths of a written line: a wide line's units are measured into
    // `units` (reused storage).
    TLineWidths OfLine(const TTextLine& line, std::vector<int32_t>& units) {
        const std::array<int32_t, 256>& bytes = Of(line.FontNumber);
        if (!line.IsWide) return TLineWidths(bytes, nullptr);
        if (font_)
            WideWidths(*font_, line.Wide, units);
        else
            units.assign(line.Wide.size(), 0);
        return TLineWidths(bytes, &units);
    }

private:
    const TObjList<TPDFFontRes>& fonts_;
    int32_t number_ = 0;  // no font has number 0
    const TPDFFontRes* font_ = nullptr;
    const std::array<int32_t, 256>* widths_ = &kNoWidths;
};

double RunWidth(const TLineWidths& widths, std::string_view text, std::size_t first, std::size_t count,
                int32_t size, double scale) {
    if (size < 1) return 0;
    return static_cast<double>(widths.Sum(text, first, count)) * size * scale / 100 / 1000;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The limit of a line in thousandths of an em; 0 or less means none. A size
// below 1 has no meaningful em: such a line is never wrapped.
double Limit(double room, int32_t size) { return size < 1 ? 0 : room * 1000 / size; }

}  // namespace

int64_t StringWidth(const std::array<int32_t, 256>& widths, std::string_view s) noexcept {
    int64_t sum = 0;
    for (char c : s) sum += widths[static_cast<unsigned char>(c)];
    return sum;
}

namespace {

// The break routine over a line whose unit widths `widthAt` gives (0-based).
// `wide` keeps a surrogate pair together when a line is cut inside a word.
template <class WidthAt>
TBreak FindBreakIn(std::string_view text, std::size_t start, WidthAt widthAt, double limit,
                   const std::u16string* wide) noexcept {
    TBreak b;
    const std::size_t n = text.size();
    auto at = [&](std::size_t pos) { return text[pos - 1]; };  // 1-based
    if (limit <= 0) {
        b.End = n;
    } else {
        double sum = 0;
        std::size_t lastSpace = 0;
        std::size_t i = start;
        // The line's last character is never measured.
        while (sum < limit && i < n) {
            sum += widthAt(i - 1);
            if (at(i) == ' ') lastSpace = i;
            ++i;
        }
        if (sum <= limit) {
            b.End = i;
        } else if (lastSpace != 0) {
            b.End = lastSpace - 1;
            while (b.End > start && at(b.End) == ' ') --b.End;
        } else {
            b.End = i - 1;
            b.Found = false;
        }
    }
    if (b.End < start) b.End = start;
    // The second unit of a pair has no width of its own: it stays with the first.
    if (wide && b.End >= 1 && b.End < n && IsHigh((*wide)[b.End - 1]) && IsLow((*wide)[b.End])) ++b.End;
    if (b.End < n) {
        bool nonSpaceBefore = false;
        for (std::size_t k = 1; k <= b.End && !nonSpaceBefore; ++k) nonSpaceBefore = at(k) != ' ';
        bool spacesAfter = true;
        for (std::size_t k = b.End + 1; k <= n && spacesAfter; ++k) spacesAfter = at(k) == ' ';
        b.RestIsBlank = nonSpaceBefore && spacesAfter;
    }
    return b;
}

}  // namespace

TBreak FindBreak(std::string_view text, std::size_t start, const std::array<int32_t, 256>& widths,
                 double limit) noexcept {
    return FindBreakIn(
        text, start, [&](std::size_t i) { return widths[static_cast<unsigned char>(text[i])]; }, limit, nullptr);
}

TWideChar WideCharAt(std::u16string_view text, std::size_t i) noexcept {
    const char16_t c = text[i];
    if (IsLow(c) && i > 0 && IsHigh(text[i - 1])) return {};
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1]))
        return {true, 0x10000 + ((uint32_t{c} - 0xD800) << 10) + (uint32_t{text[i + 1]} - 0xDC00)};
    return {true, c};
}

void WideWidths(const TPDFFontRes& font, std::u16string_view text, std::vector<int32_t>& widths) {
    widths.assign(text.size(), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const TWideChar ch = WideCharAt(text, i);
        if (ch.Starts) widths[i] = font.Reader.GlyphWidth(font.Reader.GlyphOf(ch.CodePoint));
    }
}

TLayoutResult LayoutText(const TPDFTextRes& text, const TObjList<TPDFFontRes>& fonts, double scale,
                         TTextLayout& layout) {
    TLayoutResult result;
    std::vector<TTextRun>& runs = layout.Runs;
    std::vector<std::string>& joined = layout.JoinedTexts;
    std::vector<std::u16string>& joinedWide = layout.JoinedWideTexts;
    runs.clear();
    joined.clear();
    joinedWide.clear();
    if (text.Lines.empty()) return result;
    runs.reserve(text.Lines.size());

    result.AllAddedFonts = std::all_of(text.Lines.begin(), text.Lines.end(),
                                       [](const TTextLine& l) { return l.FontNumber > kStandardFontCount; });

    if (!result.AllAddedFonts) {
        // Standard fonts have no widths: lines are neither wrapped nor measured;
        // a continuing line joins the run before it.
        for (std::size_t i = 0; i < text.Lines.size(); ++i) {
            const TTextLine& line = text.Lines[i];
            if (line.Continues && i > 0) {
                TTextRun& last = runs.back();
                if (!last.Joined) {
                    joined.emplace_back(layout.TextOf(text, last));
                    joinedWide.push_back(layout.WideTextOf(text, last));
                    last.Joined = true;
                    last.Start = static_cast<uint32_t>(joined.size() - 1);
                }
                joined[last.Start] += line.Text;
                joinedWide[last.Start] += line.IsWide ? line.Wide : FromAnsi(line.Text);
                last.Length = static_cast<uint32_t>(joined[last.Start].size());
            } else {
                TTextRun run;
                run.Line = static_cast<uint32_t>(i);
                run.Length = static_cast<uint32_t>(line.Text.size());
                runs.push_back(run);
            }
        }
    } else {
        TFontWidths widthsOf(fonts);
        std::vector<int32_t> units;  // the unit widths of a wide line
        double x = 0;  // width of the visual line so far
        for (std::size_t li = 0; li < text.Lines.size(); ++li) {
            const TTextLine& line = text.Lines[li];
            const TLineWidths widths = widthsOf.OfLine(line, units);
            const std::u16string* wide = line.IsWide ? &line.Wide : nullptr;
            auto findBreak = [&](std::size_t start, double limit) {
                return FindBreakIn(
                    line.Text, start, [&](std::size_t i) { return widths.At(line.Text, i); }, limit, wide);
            };
            const std::string_view t = line.Text;
            const double m = line.MaxWidth;
            std::size_t p = 1;
            std::size_t e = 0;
            auto place = [&](std::size_t end, bool continues) {
                TTextRun run;
                run.Line = static_cast<uint32_t>(li);
                if (p <= t.size()) {
                    run.Start = static_cast<uint32_t>(p - 1);
                    run.Length = static_cast<uint32_t>(std::min(end, t.size()) - (p - 1));
                }
                run.Continues = continues;
                run.RunWidth = RunWidth(widths, t, run.Start, run.Length, line.Size, scale);
                x += run.RunWidth;
                runs.push_back(run);
            };
            do {
                TBreak b;
                if (line.Continues && x > 0 && p == 1 && (m > x || m <= 0)) {
                    b = findBreak(p, Limit(m - x, line.Size));
                    if (!b.Found) {
                        x = 0;  // no room left on this visual line: start a new one
                        continue;
                    }
                    place(b.End, true);
                } else {
                    x = 0;
                    b = findBreak(p, Limit(m, line.Size));
                    place(b.End, false);
                }
                e = b.RestIsBlank ? t.size() : b.End;
                p = e + 1;
                while (p <= t.size() && t[p - 1] == ' ') ++p;
            } while (e < t.size());
        }
        // Trailing spaces at the end of each visual line do not count; a run
        // of spaces only stays as it is.
        for (std::size_t i = 0; i < runs.size(); ++i) {
            if (i + 1 < runs.size() && runs[i + 1].Continues) continue;
            TTextRun& run = runs[i];
            const std::string_view s = layout.TextOf(text, run);
            const std::size_t keep = s.find_last_not_of(' ');
            if (keep == std::string_view::npos || keep + 1 == s.size()) continue;
            run.Length = static_cast<uint32_t>(keep + 1);
            const TTextLine& line = text.LineOf(run);
            const TLineWidths widths = widthsOf.OfLine(line, units);
            run.RunWidth = RunWidth(widths, line.Text, run.Start, keep + 1, line.Size, scale);
        }
    }

    // Visual lines: a run that does not continue and the runs that continue it.
    double above = 0;  // sum of H * (1 + s / 100) over the visual lines above
    double previousHeight = 0;
    bool first = true;
    for (std::size_t start = 0; start < runs.size();) {
        std::size_t end = start + 1;
        while (end < runs.size() && runs[end].Continues) ++end;
        double width = 0;
        double height = 0;
        for (std::size_t k = start; k < end; ++k) {
            runs[k].XOffset = width;
            width += runs[k].RunWidth;
            height = std::max(height, static_cast<double>(text.LineOf(runs[k]).Size));
        }
        if (!first) above += previousHeight * (1 + text.LineOf(runs[start]).LineSpacing / 100);
        for (std::size_t k = start; k < end; ++k) {
            runs[k].VisualLineWidth = width;
            runs[k].BaselineOffset = height + above;
        }
        result.BlockWidth = std::max(result.BlockWidth, width);
        previousHeight = height;
        first = false;
        start = end;
    }
    result.BlockHeight = runs.empty() ? 0 : runs.back().BaselineOffset;
    return result;
}

}  // namespace vellumark
