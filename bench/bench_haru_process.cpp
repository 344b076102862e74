// "vellumark run" against a libharu C program, both as whole processes, on
// the two documents of the in-process comparisons:
// - vector work: bench_libharu's 2,000 pages x 200 lines, rectangles and
//   circles, page contents compressed. The script makes the same calls as
//   that benchmark's engine side (a colour, line width or fill set only when
//   it changes) with the values as literals; the C program (haru_process
//   shapes) reads the same shapes from a file a page at a time and draws them
//   with haru_shapes.c.
// - text report: bench_text_report's 2,000 A4 pages of prose in DejaVu Sans
//   10 pt, wrapped at 450 points by the engine, the font embedded. The script
//   writes the written lines (WriteText) and places each page's block; the C
//   program (haru_process text) reads the engine's laid-out lines and their
//   positions (bench_text_report --dump) a page at a time and draws them with
//   haru_text.c, as bench_text_report does.
// Each side is timed from the start of its process to its end: CPU time
// (user + system), wall time and peak resident memory (wait4). The sides
// alternate over a few rounds; the least wall time, the least CPU time and
// the least peak of each count. The time targets are judged on the wall
// time, the time a user waits, which the save's threads shorten on a
// machine with more than one processor; the CPU ratio is printed beside it
// (run on a quiet machine: other work disturbs the wall time more). Every process is started from a fresh copy of this program that is
// still small (a child's peak counts the size of the process it was started
// from).
//
// Targets: vector work at most 0.5 of libharu's time and at most 2 times
// its peak memory; text report at most 0.5 of its time and at most 1.5
// times its peak memory. The engine's files are checked with qpdf --check.
//
// Arguments: the vellumark program (default: ../vellumark next to this one);
// --keep leaves the scripts, inputs and PDF files in the temporary folder.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/Process.h"
#include "bench/ShapeMix.h"
#include "bench/haru_shapes.h"

namespace {

using vellumark::bench::Self;
using vellumark::bench::Spawn;
using vellumark::bench::TChild;

using vellumark::bench::DefaultProgram;
using vellumark::bench::TimevalSeconds;
using vellumark::bench::Verdict;

constexpr int kPages = 2000;
constexpr int kShapesPerPage = 200;
constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr double kMargin = 56.7;  // as bench_text_report
constexpr double kPageHeight = 842;
constexpr int kRounds = 3;
constexpr double kTimeTarget = 0.5;
constexpr double kShapesMemoryTarget = 2.0;
constexpr double kTextMemoryTarget = 1.5;

std::string Beside(const std::string& name) {
    const std::string self = Self();
    return self.substr(0, self.rfind('/') + 1) + name;
}

// Runs `args` from a fresh copy of this program (--measure), which prints
// "ok cpu wall maxRssKiB".
TChild Measured(const std::vector<std::string>& args, const std::string& dir) {
    const std::string outPath = dir + "/measured.txt";
    std::vector<std::string> command = {Self(), "--measure"};
    command.insert(command.end(), args.begin(), args.end());
    TChild r;
    if (!Spawn(command, outPath).ok) return r;
    std::ifstream in(outPath);
    int ok = 0;
    in >> ok >> r.cpu >> r.wall >> r.maxRssKiB;
    r.ok = in && ok == 1;
    std::remove(outPath.c_str());
    return r;
}

void AppendNumber(std::string& s, double v) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    s.append(buffer, end);
}

// The vector work as a script, the same calls as bench_libharu's engine side
// (Fill only when it changes).
std::string ShapesScript(const std::vector<haru_shape>& shapes, const std::string& pdf) {
    std::string s = "Set D = CreateObject(\"VellumarkX.PDFDoc\")\nD.CompressContents = True\n";
    bool fill = true;  // a new graphic fills
    for (int p = 1; p <= kPages; ++p) {
        s += "D.AddPage 0\ng = D.CreateGraphic\n";
        unsigned lineColor = 0, fillColor = 0xFFFFFF;
        int lineWidth = 1;
        fill = true;
        const haru_shape* page = &shapes[static_cast<std::size_t>(p - 1) * kShapesPerPage];
        for (int i = 0; i < kShapesPerPage; ++i) {
            const haru_shape& h = page[i];
            if (h.line_color != lineColor)
                s += "D.LineColor = " + std::to_string(lineColor = h.line_color) + "\n";
            if (h.fill_color != fillColor)
                s += "D.FillColor = " + std::to_string(fillColor = h.fill_color) + "\n";
            if (h.line_width != lineWidth)
                s += "D.LineWidth = " + std::to_string(lineWidth = h.line_width) + "\n";
            if (h.kind != kShapeLine && (h.fill != 0) != fill) {
                fill = h.fill != 0;
                s += fill ? "D.Fill = True\n" : "D.Fill = False\n";
            }
            s += h.kind == kShapeLine ? "D.DrawLine " : h.kind == kShapeRectangle ? "D.Rectangle " : "D.Circle ";
            AppendNumber(s, h.x1);
            s += ", ";
            AppendNumber(s, h.y1);
            s += ", ";
            AppendNumber(s, h.x2);
            if (h.kind != kShapeCircle) {
                s += ", ";
                AppendNumber(s, h.y2);
            }
            s += '\n';
        }
        s += "D.ApplyResource " + std::to_string(p) + ", g\n";
    }
    s += "D.SaveToFile \"" + pdf + "\"\n";
    return s;
}

// The report as a script from bench_text_report --dump's output: each page's
// written ("W") lines.
bool TextScript(const std::string& dumpPath, const std::string& pdf, std::string& s, std::size_t& written) {
    std::ifstream in(dumpPath);
    if (!in) return false;
    s = "Set D = CreateObject(\"VellumarkX.PDFDoc\")\nD.CompressContents = True\n";
    s += "f = D.AddFont(\"" + std::string(kFont) + "\")\nD.EmbedFont(f) = True\n";
    std::string line, place;
    int p = 0;
    written = 0;
    while (std::getline(in, line)) {
        if (line == "P") {
            s += place;
            ++p;
            s += "D.AddPage 0\nt = D.CreateText\nD.TextFont = f\nD.TextSize = 10\nD.TextMaxWidth = 450\n";
            place = "i = D.ApplyResource(" + std::to_string(p) + ", t)\nD.Locate " + std::to_string(p) + ", i, ";
            AppendNumber(place, kMargin);
            place += ", ";
            AppendNumber(place, kPageHeight - kMargin);
            place += '\n';
        } else if (line.starts_with("W\t")) {
            s += "D.WriteText \"";
            for (std::size_t k = 2; k < line.size(); ++k) {
                if (line[k] == '"') s += '"';
                s += line[k];
            }
            s += "\"\n";
            ++written;
        }
    }
    s += place;
    s += "D.SaveToFile \"" + pdf + "\"\n";
    return p == kPages;
}

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
}

struct TSide {
    TChild best;  // least CPU time; its peak is the least of the rounds
    double bestWall = 0;  // least wall time
    bool ok = true;
    void Add(const TChild& c) {
        ok = ok && c.ok;
        const bool first = best.cpu == 0;
        const long rss = first ? c.maxRssKiB : std::min(best.maxRssKiB, c.maxRssKiB);
        if (first || c.cpu < best.cpu) best = c;
        bestWall = first ? c.wall : std::min(bestWall, c.wall);
        best.maxRssKiB = rss;
    }
};

void PrintSide(const char* who, const TSide& s, const std::string& pdf) {
    std::printf("  %-14s %.3f s cpu (least wall %.3f s), peak memory %.1f MiB, file %.2f MiB%s\n", who, s.best.cpu,
                s.bestWall, s.best.maxRssKiB / 1024.0, vellumark::bench::MiB(vellumark::bench::FileSize(pdf)),
                s.ok ? "" : " (a run failed)");
}

// Where vellumark's time goes, from one run of each of two variants of the
// script: without its SaveToFile (reading, parsing and running the calls)
// and with CompressContents = False (the save without zlib on the page
// contents). The rest of the whole is zlib's.
void Breakdown(const std::string& program, const std::string& script, const std::string& dir, double whole) {
    std::ifstream in(script, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t save = text.rfind("D.SaveToFile");
    const std::size_t compress = text.find("D.CompressContents = True");
    if (save == std::string::npos || compress == std::string::npos) return;
    const std::string calls = dir + "/calls.vbs", plain = dir + "/plain.vbs";
    std::string plainText = text;
    plainText.replace(compress, std::strlen("D.CompressContents = True"), "D.CompressContents = False");
    if (!WriteFile(calls, text.data(), save) || !WriteFile(plain, plainText.data(), plainText.size())) return;
    const TChild c = Measured({program, "run", calls}, dir);
    const TChild p = Measured({program, "run", plain}, dir);
    if (c.ok && p.ok)
        std::printf("  where vellumark's %.3f s go: reading, parsing and the calls %.3f s (peak %.1f MiB), the save "
                    "without zlib on the page contents %.3f s, zlib on them about %.3f s\n",
                    whole, c.cpu, c.maxRssKiB / 1024.0, p.cpu - c.cpu, whole - p.cpu);
    std::remove(calls.c_str());
    std::remove(plain.c_str());
}

// One comparison: the rounds, the printing and the verdicts.
void Compare(const char* title, const std::vector<std::string>& ours, const std::vector<std::string>& theirs,
             const std::string& ourPdf, const std::string& theirPdf, double memoryTarget, const std::string& dir) {
    TSide our, haru;
    for (int round = 0; round < kRounds; ++round) {
        our.Add(Measured(ours, dir));
        haru.Add(Measured(theirs, dir));
    }
    std::printf("%s (%d rounds):\n", title, kRounds);
    PrintSide("vellumark run:", our, ourPdf);
    PrintSide("libharu:", haru, theirPdf);
    Breakdown(ours[0], ours[2], dir, our.best.cpu);
    std::string qpdfLine;
    const int qpdf = vellumark::bench::QpdfCheck(ourPdf, qpdfLine);
    std::printf("%s: both ran to the end and qpdf --check of vellumark's file: exit %d, \"%s\" %s\n", title, qpdf,
                qpdfLine.c_str(), Verdict(our.ok && haru.ok && qpdf == 0));
    const double time = our.bestWall / haru.bestWall;
    std::printf("%s: time %.3f s vs %.3f s wall: ratio %.2f (target <= %.1f; cpu %.3f s vs %.3f s: %.2f) %s\n",
                title, our.bestWall, haru.bestWall, time, kTimeTarget, our.best.cpu, haru.best.cpu,
                our.best.cpu / haru.best.cpu, Verdict(time <= kTimeTarget));
    const double memory = static_cast<double>(our.best.maxRssKiB) / static_cast<double>(haru.best.maxRssKiB);
    std::printf("%s: peak memory %.1f MiB vs %.1f MiB: ratio %.2f (target <= %.1f) %s\n", title,
                our.best.maxRssKiB / 1024.0, haru.best.maxRssKiB / 1024.0, memory, memoryTarget,
                Verdict(memory <= memoryTarget));
}

// --measure PROGRAM ARGS...: runs the program and prints what it measured.
int MeasuringProcess(int argc, char** argv) {
    const TChild r = Spawn(std::vector<std::string>(argv + 2, argv + argc));
    std::printf("%d %.6f %.6f %ld\n", r.ok ? 1 : 0, r.cpu, r.wall, r.maxRssKiB);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--measure") return MeasuringProcess(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string program = DefaultProgram();
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep") keep = true;
        else program = argv[i];
    }
    const std::string haru = Beside("haru_process"), textReport = Beside("bench_text_report");
    std::printf("bench_haru_process: vellumark run against a libharu C program, whole processes; the least wall time, "
                "CPU time and peak memory of the rounds count, the time targets on the wall time.\n");
    for (const std::string& p : {program, haru, textReport}) {
        if (::access(p.c_str(), X_OK) != 0) {
            std::printf("%s was not found FAIL\n", p.c_str());
            return 0;
        }
    }
    char dirTemplate[] = "/tmp/vellumark_bench_process.XXXXXX";
    if (!::mkdtemp(dirTemplate)) {
        std::printf("no temporary folder FAIL\n");
        return 0;
    }
    const std::string dir = dirTemplate;
    const std::string shapesVbs = dir + "/shapes.vbs", shapesBin = dir + "/shapes.bin";
    const std::string shapesPdf = dir + "/shapes.pdf", shapesHaru = dir + "/shapes_haru.pdf";
    const std::string textVbs = dir + "/report.vbs", textDump = dir + "/report.txt";
    const std::string textPdf = dir + "/report.pdf", textHaru = dir + "/report_haru.pdf";
    {
        const std::vector<haru_shape> shapes = vellumark::bench::MakeShapes(kPages, kShapesPerPage);
        const std::string script = ShapesScript(shapes, shapesPdf);
        const int header[2] = {kPages, kShapesPerPage};
        std::string bin(reinterpret_cast<const char*>(header), sizeof header);
        bin.append(reinterpret_cast<const char*>(shapes.data()), shapes.size() * sizeof(haru_shape));
        if (!WriteFile(shapesVbs, script.data(), script.size()) || !WriteFile(shapesBin, bin.data(), bin.size())) {
            std::printf("the vector work's inputs could not be written FAIL\n");
            return 0;
        }
        std::printf("vector work: %d pages x %d shapes; the script has %zu lines (%.1f MiB)\n", kPages,
                    kShapesPerPage, static_cast<std::size_t>(std::count(script.begin(), script.end(), '\n')),
                    vellumark::bench::MiB(static_cast<double>(script.size())));
    }
    Compare("vector work", {program, "run", shapesVbs}, {haru, "shapes", shapesBin, shapesHaru}, shapesPdf,
            shapesHaru, kShapesMemoryTarget, dir);

    std::string script;
    std::size_t written = 0;
    if (!Spawn({textReport, "--dump", textDump}).ok || !TextScript(textDump, textPdf, script, written) ||
        !WriteFile(textVbs, script.data(), script.size())) {
        std::printf("the text report's inputs could not be made FAIL\n");
        return 0;
    }
    std::printf("text report: %d pages, %zu written lines; the script has %.1f MiB\n", kPages, written,
                vellumark::bench::MiB(static_cast<double>(script.size())));
    script = std::string();
    Compare("text report", {program, "run", textVbs}, {haru, "text", kFont, textDump, textHaru}, textPdf, textHaru,
            kTextMemoryTarget, dir);

    if (keep) {
        std::printf("kept the inputs and files in %s\n", dir.c_str());
    } else {
        for (const std::string& f : {shapesVbs, shapesBin, shapesPdf, shapesHaru, textVbs, textDump, textPdf, textHaru})
            std::remove(f.c_str());
        ::rmdir(dir.c_str());
    }
    return 0;
}
