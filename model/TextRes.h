// TTextLine and TPDFTextRes: a block of written lines and its last layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextCodec.h"
#include "model/Resource.h"

namespace vellumark {

enum TTextAlign : uint8_t { taLeft = 0, taCenter = 1, taRight = 2 };

// One line of a text resource as written.
struct TTextLine {
    std::string Text;  // narrow (Windows-1252)
    // Wide lines (written in an added font with the document's UnicodeText
    // on) keep their UTF-16 text here; Text then holds one narrow byte for
    // each UTF-16 unit (a surrogate or a character outside Windows-1252 is
    // "?"), so that positions in either count the same units.
    std::u16string Wide;
    bool IsWide = false;
    int32_t Size = 10;  // points, as written (a size below 1 is never wrapped)
    int32_t FontNumber = 5;
    uint32_t Color = 0;
    double LineSpacing = 15.0;
    double MaxWidth = -1.0;
    double SkewX = 0;
    double SkewY = 0;
    std::string Link;
    bool LinkBorder = false;
    bool Underline = false;
    bool Continues = false;
};

// One run of the layout: a piece of one written line, drawn in that line's
// formatting. Runs refer to the line's text instead of copying it, so laying
// out a large block allocates nothing per run. Lines that are joined in a
// standard font get their joined text in the layout's JoinedTexts.
struct TTextRun {
    uint32_t Line = 0;    // index of the written line
    uint32_t Start = 0;   // first unit in the line's text (index into JoinedTexts when Joined)
    uint32_t Length = 0;  // bytes (UTF-16 units of a wide line)
    bool Continues = false;  // continues the visual line of the run before it
    bool Joined = false;
    double RunWidth = 0;         // points, at the layout's scale
    double BaselineOffset = 0;   // points down from the top of the block
    double VisualLineWidth = 0;  // points
    double XOffset = 0;          // points from the start of the visual line
};

class TPDFTextRes;

// The laid-out runs of a text resource (see LayoutText). Whoever lays a
// resource out owns the result: the resource keeps the last layout of the
// engine's measurements, the writer lays out into storage of its own.
struct TTextLayout {
    std::vector<TTextRun> Runs;
    std::vector<std::string> JoinedTexts;
    std::vector<std::u16string> JoinedWideTexts;  // the same joined texts in UTF-16

    // The text a run shows, read from the resource it was laid out from
    // (narrowed, for a run of a wide line).
    std::string_view TextOf(const TPDFTextRes& text, const TTextRun& run) const;
    // The same in UTF-16: a wide line's own units, a narrow line's bytes
    // widened.
    std::u16string WideTextOf(const TPDFTextRes& text, const TTextRun& run) const;
};

class TPDFTextRes final : public TPDFResource {
public:
    int32_t FontNumber = 5;  // Helvetica
    int32_t Size = 10;
    uint32_t Color = 0;
    double LineSpacing = 15.0;
    TTextAlign Align = taLeft;
    double MaxWidth = -1.0;
    double SkewY = 0;
    double SkewX = 0;
    int32_t LinkCount = 0;
    bool Underline = false;

    std::vector<TTextLine> Lines;  // as written
    TTextLayout Layout;            // the last layout of the engine's measurements

    const TTextLine& LineOf(const TTextRun& run) const { return Lines[run.Line]; }
};

inline std::string_view TTextLayout::TextOf(const TPDFTextRes& text, const TTextRun& run) const {
    if (run.Joined) return JoinedTexts[run.Start];
    return std::string_view(text.Lines[run.Line].Text).substr(run.Start, run.Length);
}

inline std::u16string TTextLayout::WideTextOf(const TPDFTextRes& text, const TTextRun& run) const {
    if (run.Joined) return JoinedWideTexts[run.Start];
    const TTextLine& line = text.Lines[run.Line];
    if (line.IsWide) return line.Wide.substr(run.Start, run.Length);
    return FromAnsi(TextOf(text, run));
}

}  // namespace vellumark
