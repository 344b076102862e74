// The engine against libharu on a text report: 2,000 A4 pages, each with 60
// laid-out lines of prose in DejaVu Sans 10 pt (written lines of 60 to 200
// characters wrapped at a maximum width of 450 points, one text resource per
// page placed at the top left margin), the font embedded, page contents
// Flate-compressed on both sides.
//
// The engine is timed from an empty document through AddFont, and per page
// AddPage, CreateText, the text settings, WriteText of every written line,
// ApplyResource and Locate, to SaveToFile. libharu is timed from HPDF_New
// through HPDF_LoadTTFontFromFile (embedding), the pages (one text object
// each, TextOut per line) to HPDF_SaveToFile. libharu does no wrapping: it
// draws the very lines, at the very positions, that the engine's layout made
// of the same text; they are worked out once before any clock starts. The two
// alternate over several rounds; the round with the least CPU time of each
// counts.
//
// Targets: the engine takes at most 0.7 of libharu's time, and its file is
// at most 1.2 times the size of libharu's. The engine's file is also checked
// once with qpdf --check. Once more, untimed, with SubsetFonts on: that file
// is at most the size of libharu's.

#include <unistd.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/HaruComparison.h"
#include "bench/Prose.h"
#include "bench/haru_text.h"
#include "engine/Vellumark.h"
#include "model/TextLayout.h"

namespace {

using namespace vellumark;
using vellumark::bench::Best;
using vellumark::bench::FileSize;
using vellumark::bench::MiB;
using vellumark::bench::PrintSide;
using vellumark::bench::QpdfCheck;
using vellumark::bench::TBest;
using vellumark::bench::TRound;

constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kPages = 2000;
constexpr std::size_t kLinesPerPage = 60;
constexpr int32_t kFontSize = 10;
constexpr double kMaxWidth = 450;
constexpr double kMargin = 56.7;  // 2 cm
constexpr double kPageWidth = 595;   // A4 as the engine has it
constexpr double kPageHeight = 842;
constexpr int kRounds = 5;
constexpr double kTimeTarget = 0.7;
constexpr double kSizeTarget = 1.2;
constexpr double kSubsetSizeTarget = 1.0;

// --- the text ---------------------------------------------------------------

// Lays out one written line alone, with the report's settings, in a scratch
// engine; answers the runs' texts.
class TLineBreaker {
public:
    explicit TLineBreaker(const std::string& fontPath) {
        font_ = engine_.AddFont(bench::Widen(fontPath));
        engine_.CreateText();
        engine_.SetTextFont(font_);
        engine_.SetTextSize(kFontSize);
        engine_.SetTextMaxWidth(kMaxWidth);
    }
    bool Ok() const { return font_ != 0; }

    std::vector<std::string> Runs(const std::string& line) {
        TPDFTextRes& text = *engine_.CurrentTextRes();
        text.Lines.clear();
        engine_.WriteText(bench::Widen(line));
        LayoutText(text, engine_.Fonts(), 100, layout_);
        std::vector<std::string> runs;
        for (const TTextRun& r : layout_.Runs) runs.emplace_back(layout_.TextOf(text, r));
        return runs;
    }

private:
    TVellumark engine_;
    TTextLayout layout_;
    int32_t font_ = 0;
};

// The written lines of every page: paragraphs of prose, as many as make
// kLinesPerPage laid-out lines; a paragraph that does not fit is cut after
// the last run that does, and the rest of it opens the next page.
std::vector<std::vector<std::string>> MakePages(TLineBreaker& breaker) {
    bench::TProse prose(0x7E47BEEFULL);
    std::vector<std::vector<std::string>> pages;
    std::vector<std::string> page;
    std::size_t used = 0;
    std::string pending = prose.Line(60, 200);
    while (pages.size() < static_cast<std::size_t>(kPages)) {
        const std::vector<std::string> runs = breaker.Runs(pending);
        const std::size_t room = kLinesPerPage - used;
        if (runs.size() <= room) {
            page.push_back(pending);
            used += runs.size();
            pending = prose.Line(60, 200);
        } else {
            // Where run `room - 1` ends and run `room` starts in the paragraph.
            std::size_t pos = 0, headEnd = 0;
            for (std::size_t k = 0; k <= room; ++k) {
                pos = pending.find(runs[k], pos);
                if (k + 1 == room) headEnd = pos + runs[k].size();
                if (k < room) pos += runs[k].size();
            }
            page.push_back(pending.substr(0, headEnd));
            pending = pending.substr(pos);
            used = kLinesPerPage;
        }
        if (used == kLinesPerPage) {
            pages.push_back(std::move(page));
            page.clear();
            used = 0;
        }
    }
    return pages;
}

struct TPageText {
    std::vector<std::vector<std::u16string>> written;  // the engine's input, per page
    std::vector<std::string> lineTexts;                 // libharu's lines, all pages
    std::vector<haru_text_line> lines;
    std::vector<int> pageStarts;
    uint64_t writtenChars = 0;
    std::size_t writtenLines = 0;
};

// --- the engine side ----------------------------------------------------------

void BuildWithEngine(TVellumark& engine, const std::string& fontPath,
                     const std::vector<std::vector<std::u16string>>& pages) {
    const int32_t font = engine.AddFont(bench::Widen(fontPath));
    engine.SetEmbedFont(font, true);
    int32_t p = 0;
    for (const std::vector<std::u16string>& lines : pages) {
        engine.AddPage(0);
        ++p;
        const int32_t text = engine.CreateText();
        engine.SetTextFont(font);
        engine.SetTextSize(kFontSize);
        engine.SetTextMaxWidth(kMaxWidth);
        for (const std::u16string& line : lines) engine.WriteText(line);
        const int32_t index = engine.ApplyResource(p, text);
        engine.Locate(p, index, kMargin, kPageHeight - kMargin);
    }
}

// libharu's lines: the runs the engine lays out on each page, at the
// positions its writer gives them (the placement's corner less the run's
// offsets within the block).
bool TakeEngineLines(TVellumark& engine, TPageText& text) {
    bool exact = true;
    text.lineTexts.clear();
    text.pageStarts.assign(1, 0);
    std::vector<std::pair<double, double>> at;
    TTextLayout layout;
    for (int32_t p = 1; p <= engine.Pages().Count(); ++p) {
        const TPDFObj* obj = engine.Placement(p, 1);
        auto* res = obj ? dynamic_cast<const TPDFTextRes*>(engine.Resource(obj->Resource)) : nullptr;
        if (!res) return false;
        LayoutText(*res, engine.Fonts(), obj->Scale, layout);
        for (const TTextRun& run : layout.Runs) {
            text.lineTexts.emplace_back(layout.TextOf(*res, run));
            at.emplace_back(obj->X + run.XOffset, obj->Y - run.BaselineOffset);
        }
        exact = exact && layout.Runs.size() == kLinesPerPage;
        text.pageStarts.push_back(static_cast<int>(text.lineTexts.size()));
    }
    text.lines.clear();
    for (std::size_t i = 0; i < text.lineTexts.size(); ++i)
        text.lines.push_back({text.lineTexts[i].c_str(), at[i].first, at[i].second});
    return exact;
}

// --- rounds -------------------------------------------------------------------

TRound RunEngine(const std::string& fontPath, const TPageText& text, const std::u16string& path) {
    return bench::TimeEngine([&](TVellumark& engine) { BuildWithEngine(engine, fontPath, text.written); }, path);
}

bool RunHaru(const std::string& fontPath, const TPageText& text, const std::string& path, TRound& r) {
    haru_times t{};
    if (haru_text_report(text.lines.data(), text.pageStarts.data(), static_cast<int>(text.pageStarts.size()) - 1,
                         kPageWidth, kPageHeight, fontPath.c_str(), kFontSize, path.c_str(), &t) != 0)
        return false;
    r = bench::FromHaru(t);
    return true;
}

// The font file as the engine embeds it: whole, one zlib stream at the
// default level. Answers its size, 0 when the file cannot be read.
long long CompressedFontSize(const std::string& fontPath, long long& rawSize) {
    std::ifstream in(fontPath, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    rawSize = static_cast<long long>(data.size());
    if (data.empty()) return 0;
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return 0;
    return static_cast<long long>(size);
}

// The report's text for bench_python_report: per page a line "P", its
// written lines as "W<tab>TEXT" and the engine's laid-out lines, with their
// positions in points, as "L<tab>X<tab>Y<tab>TEXT".
bool DumpText(const TPageText& text, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    for (std::size_t p = 0; p < text.written.size(); ++p) {
        std::fprintf(f, "P\n");
        for (const std::u16string& line : text.written[p])
            std::fprintf(f, "W\t%s\n", std::string(line.begin(), line.end()).c_str());
        for (int i = text.pageStarts[p]; i < text.pageStarts[p + 1]; ++i)
            std::fprintf(f, "L\t%.4f\t%.4f\t%s\n", text.lines[i].x, text.lines[i].y, text.lines[i].text);
    }
    return std::fclose(f) == 0;
}

}  // namespace

// Arguments: a font file other than DejaVu Sans; --keep leaves the two PDF
// files of the last round in /tmp for a look; --dump FILE writes the report's
// text (DumpText) and measures nothing.
int main(int argc, char** argv) {
    std::string fontPath = kDefaultFont;
    std::string dump;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep") keep = true;
        else if (std::string(argv[i]) == "--dump" && i + 1 < argc) dump = argv[++i];
        else fontPath = argv[i];
    }
    const std::string ours = "/tmp/vellumark_bench_report_" + std::to_string(getpid()) + ".pdf";
    const std::string theirs = "/tmp/vellumark_bench_report_haru_" + std::to_string(getpid()) + ".pdf";
    const std::u16string oursWide(ours.begin(), ours.end());

    std::printf("bench_text_report: %d A4 pages x %zu lines of prose in %s %d pt, wrapped at %.0f pt, font "
                "embedded, contents compressed. Times are those of the round with the least CPU time; the verdicts "
                "compare CPU times (user + system).\n",
                kPages, kLinesPerPage, fontPath.c_str(), kFontSize, kMaxWidth);

    // The text, the engine's layout of it and libharu's lines: before any clock.
    TPageText text;
    {
        TLineBreaker breaker(fontPath);
        if (!breaker.Ok()) {
            std::printf("the font %s could not be added FAIL\n", fontPath.c_str());
            return 0;
        }
        for (const std::vector<std::string>& page : MakePages(breaker)) {
            std::vector<std::u16string> wide;
            for (const std::string& line : page) {
                wide.push_back(bench::Widen(line));
                text.writtenChars += line.size();
            }
            text.writtenLines += page.size();
            text.written.push_back(std::move(wide));
        }
        TVellumark engine;
        BuildWithEngine(engine, fontPath, text.written);
        const bool exact = TakeEngineLines(engine, text);
        std::printf("text: %zu written lines (%.1f per page), %llu characters -> %zu laid-out lines%s\n",
                    text.writtenLines, static_cast<double>(text.writtenLines) / kPages,
                    static_cast<unsigned long long>(text.writtenChars), text.lines.size(),
                    exact ? "" : " (not the planned number on every page)");
        if (text.lines.empty()) {
            std::printf("the engine laid out no lines FAIL\n");
            return 0;
        }
    }
    if (!dump.empty()) return DumpText(text, dump) ? 0 : 1;

    std::vector<TRound> ourRounds, haruRounds;
    long long ourSize = -1, haruSize = -1;
    for (int round = 0; round < kRounds; ++round) {
        ourRounds.push_back(RunEngine(fontPath, text, oursWide));
        TRound h;
        if (!RunHaru(fontPath, text, theirs, h)) {
            std::printf("libharu failed to make its document FAIL\n");
            unlink(ours.c_str());
            unlink(theirs.c_str());
            return 0;
        }
        haruRounds.push_back(h);
    }
    ourSize = FileSize(ours);
    haruSize = FileSize(theirs);
    long long subsetSize = -1;
    std::string subsetQpdfLine;
    int subsetQpdf = 127;
    {
        TVellumark engine;
        engine.SubsetFonts = true;
        BuildWithEngine(engine, fontPath, text.written);
        const std::string path = ours + ".subset.pdf";
        engine.SaveToFile(std::u16string(path.begin(), path.end()));
        subsetSize = FileSize(path);
        subsetQpdf = QpdfCheck(path, subsetQpdfLine);
        unlink(path.c_str());
    }
    std::string qpdfLine;
    const int qpdf = QpdfCheck(ours, qpdfLine);
    std::string haruQpdfLine;
    const int haruQpdf = QpdfCheck(theirs, haruQpdfLine);
    if (keep) {
        std::printf("kept %s and %s\n", ours.c_str(), theirs.c_str());
    } else {
        unlink(ours.c_str());
        unlink(theirs.c_str());
    }

    const TBest our = Best(ourRounds), haru = Best(haruRounds);
    long long fontRaw = 0;
    const long long fontCompressed = CompressedFontSize(fontPath, fontRaw);
    std::printf("%d rounds:\n", kRounds);
    PrintSide("engine:", our, ourSize, 2);
    PrintSide("libharu:", haru, haruSize, 2);
    std::printf("  the engine embeds the whole font: %.2f MiB, %.2f MiB compressed (%.0f%% of its file)\n",
                MiB(fontRaw), MiB(fontCompressed), 100.0 * static_cast<double>(fontCompressed) / ourSize);
    std::printf("  per laid-out line: engine %.2f us, libharu %.2f us cpu\n",
                our.best.TotalCpu() / static_cast<double>(text.lines.size()) * 1e6,
                haru.best.TotalCpu() / static_cast<double>(text.lines.size()) * 1e6);

    if (qpdf == 127) {
        std::printf("qpdf --check of the engine's file: qpdf not found, skipped\n");
    } else {
        std::printf("qpdf --check of the engine's file: exit %d, \"%s\" %s\n", qpdf, qpdfLine.c_str(),
                    bench::Verdict(qpdf == 0));
        std::printf("  (libharu's file, for reference: exit %d, \"%s\")\n", haruQpdf, haruQpdfLine.c_str());
    }
    const double timeRatio = our.best.TotalCpu() / haru.best.TotalCpu();
    std::printf("engine vs libharu time (build + save): %.3f s vs %.3f s: ratio %.2f (target <= %.1f) %s\n",
                our.best.TotalCpu(), haru.best.TotalCpu(), timeRatio, kTimeTarget,
                bench::Verdict(timeRatio <= kTimeTarget));
    const double sizeRatio = static_cast<double>(ourSize) / static_cast<double>(haruSize);
    std::printf("engine vs libharu file size: %.2f MiB vs %.2f MiB: ratio %.2f (target <= %.1f) %s\n", MiB(ourSize),
                MiB(haruSize), sizeRatio, kSizeTarget,
                bench::Verdict(ourSize > 0 && haruSize > 0 && sizeRatio <= kSizeTarget));
    const double subsetRatio = static_cast<double>(subsetSize) / static_cast<double>(haruSize);
    std::printf("engine with SubsetFonts vs libharu file size: %.2f MiB vs %.2f MiB: ratio %.2f (target <= %.1f), "
                "qpdf --check exit %d %s\n",
                MiB(subsetSize), MiB(haruSize), subsetRatio, kSubsetSizeTarget, subsetQpdf,
                bench::Verdict(subsetSize > 0 && haruSize > 0 && subsetRatio <= kSubsetSizeTarget && subsetQpdf == 0));
    return 0;
}
