// What the script host costs beyond the engine's own work: scripts of
// N = 10,000 and 100,000 simple call statements,
//   D.TextSize = n              (a property put with a literal)
//   D.DrawLine x1, y1, x2, y2   (a method with four variables)
// after a header that creates the document, a page and a graphic (so that
// DrawLine draws) and sets the four variables. The point of comparison is the
// same member calls made on the engine directly (TVellumark in C++).
//
// Measured:
// - in this process, the CPU time of parsing and running the script from its
//   bytes (RunScriptBytes, output discarded), minus that of the header alone,
//   against the CPU time of the N engine calls: the difference per statement
//   is the host's overhead. Each is the least over several rounds.
// - "vellumark run SCRIPT" as a child process: its CPU time and its peak
//   resident memory (wait4), minus those of the header alone, per statement;
//   and the engine's own memory for the N calls, made in a child process,
//   minus a child that makes none. The host's memory is the difference.
//   Children are started from a fresh copy of this program (--child,
//   --engine): a process's peak size counts that of the process it was
//   started from, and this one grows while it measures.
//
// Targets: at most ~1 us of overhead per statement; the host's memory at most
// ~100 bytes per statement (the script's bytes are given back once it is
// parsed, and are shown beside); the cost per statement at 100,000 statements
// within 1.2 times that at 10,000 (the host is linear).
//
// Arguments: the vellumark program (default: ../vellumark next to this one).

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "bench/Process.h"
#include "engine/Vellumark.h"
#include "host/Interpreter.h"

namespace {

using vellumark::bench::Self;
using vellumark::bench::Spawn;
using vellumark::bench::TChild;

using vellumark::bench::CpuSeconds;
using vellumark::bench::DefaultProgram;
using vellumark::bench::Min;
using vellumark::bench::TimevalSeconds;
using vellumark::bench::Verdict;

constexpr int kSizes[] = {10000, 100000};
constexpr double kTargetMicroseconds = 1.0;
constexpr double kTargetBytes = 100.0;
constexpr double kTargetLinear = 1.2;

// Header values, the same in the script and in the direct calls.
constexpr int kX1 = 10, kY1 = 20, kX2 = 300, kY2 = 400;

enum class TKind { TextSize, DrawLine };

const char* NameOf(TKind kind) { return kind == TKind::TextSize ? "D.TextSize = n" : "D.DrawLine x1, y1, x2, y2"; }

int TextSizeOf(int i) { return 5 + i % 40; }

std::string Header() {
    char vars[128];
    std::snprintf(vars, sizeof vars, "x1 = %d: y1 = %d: x2 = %d: y2 = %d\n", kX1, kY1, kX2, kY2);
    return std::string("Set D = CreateObject(\"VellumarkX.PDFDoc\")\nD.AddPage 0\ng = D.CreateGraphic\n") + vars;
}

std::string Script(TKind kind, int n) {
    std::string s = Header();
    for (int i = 0; i < n; ++i) {
        if (kind == TKind::TextSize)
            s += "D.TextSize = " + std::to_string(TextSizeOf(i)) + "\n";
        else
            s += "D.DrawLine x1, y1, x2, y2\n";
    }
    return s;
}

// The engine side: the document as the header leaves it, then the N calls.
void EngineCalls(vellumark::TVellumark& engine, TKind kind, int n) {
    if (kind == TKind::TextSize)
        for (int i = 0; i < n; ++i) engine.SetTextSize(TextSizeOf(i));
    else
        for (int i = 0; i < n; ++i) engine.DrawLine(kX1, kY1, kX2, kY2);
}

void EngineHeader(vellumark::TVellumark& engine) {
    engine.AddPage(0);
    engine.CreateGraphic();
}

// CPU seconds of parsing and running a script in this process.
double HostSeconds(const std::string& script, bool& ok) {
    std::ostream sink(nullptr);
    std::string bytes = script;
    const double t0 = CpuSeconds();
    const int status = vellumark::host::RunScriptBytes(std::move(bytes), "bench.vbs", sink, sink);
    const double t = CpuSeconds() - t0;
    ok = ok && status == 0;
    return t;
}

double EngineSeconds(TKind kind, int n) {
    vellumark::TVellumark engine;
    EngineHeader(engine);
    const double t0 = CpuSeconds();
    EngineCalls(engine, kind, n);
    return CpuSeconds() - t0;
}

// Runs this program with `args` in a fresh process and reads the child it
// measured from its output: "ok cpu maxRssKiB".
TChild Measured(const std::vector<std::string>& args, const std::string& dir) {
    const std::string outPath = dir + "/measured.txt";
    std::vector<std::string> command = {Self()};
    command.insert(command.end(), args.begin(), args.end());
    TChild r;
    if (!Spawn(command, outPath).ok) return r;
    std::ifstream in(outPath);
    int ok = 0;
    in >> ok >> r.cpu >> r.maxRssKiB;
    r.ok = in && ok == 1;
    std::remove(outPath.c_str());
    return r;
}

// "vellumark run SCRIPT", its output discarded.
TChild RunProgram(const std::string& program, const std::string& script, const std::string& dir) {
    return Measured({"--child", program, script}, dir);
}

// The engine's N calls in a child process (n = 0: the engine and header only).
TChild EngineChild(TKind kind, int n, const std::string& dir) {
    return Measured({"--engine", kind == TKind::TextSize ? "TextSize" : "DrawLine", std::to_string(n)}, dir);
}

// The fresh processes: --child PROGRAM SCRIPT runs the program on the script;
// --engine KIND N makes the calls itself. Each prints what it measured.
int MeasuringProcess(int argc, char** argv) {
    TChild r;
    const std::string mode = argv[1];
    if (mode == "--child" && argc == 4) {
        r = Spawn({argv[2], "run", argv[3]});
    } else if (mode == "--engine" && argc == 4) {
        const TKind kind = std::string(argv[2]) == "TextSize" ? TKind::TextSize : TKind::DrawLine;
        vellumark::TVellumark engine;
        EngineHeader(engine);
        EngineCalls(engine, kind, std::atoi(argv[3]));
        // This process's own peak (getrusage would count the one it was
        // started from).
        r.ok = true;
        r.cpu = vellumark::bench::CpuSeconds();
        r.maxRssKiB = static_cast<long>(vellumark::bench::PeakResidentBytes() / 1024);
    } else {
        return 2;
    }
    std::printf("%d %.6f %ld\n", r.ok ? 1 : 0, r.cpu, r.maxRssKiB);
    return 0;
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}


struct TResult {
    double overheadUs = 0;   // in process, per statement
    double hostUs = 0;       // in process, per statement, the engine's work included
    double bytes = 0;        // the program's peak memory per statement
    double engineBytes = 0;  // the engine's own per call
    double scriptBytes = 0;  // the script's bytes per statement
    bool ok = true;
};

TResult Measure(TKind kind, int n, const std::string& program, const std::string& dir, double emptyHost,
                const TChild& emptyRun, const TChild& emptyEngine) {
    TResult r;
    const std::string script = Script(kind, n);
    const std::string path = dir + "/script_" + std::to_string(n) + ".vbs";
    r.ok = WriteFile(path, script);

    const int rounds = n <= 10000 ? 9 : 5;
    std::vector<double> host, engine;
    for (int round = 0; round < rounds; ++round) {
        host.push_back(HostSeconds(script, r.ok));
        engine.push_back(EngineSeconds(kind, n));
    }
    const double hostOnly = Min(host) - emptyHost;
    const double engineOnly = Min(engine);
    r.hostUs = hostOnly / n * 1e6;
    r.overheadUs = (hostOnly - engineOnly) / n * 1e6;

    std::vector<double> cpu;
    long rss = 0;
    for (int round = 0; round < 3; ++round) {
        const TChild c = RunProgram(program, path, dir);
        r.ok = r.ok && c.ok;
        cpu.push_back(c.cpu);
        rss = round == 0 ? c.maxRssKiB : std::min(rss, c.maxRssKiB);
    }
    const TChild eng = EngineChild(kind, n, dir);
    r.ok = r.ok && eng.ok;
    r.bytes = static_cast<double>(rss - emptyRun.maxRssKiB) * 1024.0 / n;
    r.scriptBytes = static_cast<double>(script.size() - Header().size()) / n;
    r.engineBytes = static_cast<double>(eng.maxRssKiB - emptyEngine.maxRssKiB) * 1024.0 / n;

    std::printf("%-26s N = %6d  in process: host %.3f us/statement, engine alone %.3f us/call, overhead %.3f "
                "us/statement\n",
                NameOf(kind), n, r.hostUs, engineOnly / n * 1e6, r.overheadUs);
    std::printf("%-26s             vellumark run: %.3f us/statement CPU (%.3f s in all), peak memory %.1f "
                "bytes/statement, the engine's own %.1f bytes/call, the host's %.1f bytes/statement (the script "
                "%.1f bytes/statement)\n",
                "", (Min(cpu) - emptyRun.cpu) / n * 1e6, Min(cpu), r.bytes, r.engineBytes, r.bytes - r.engineBytes,
                r.scriptBytes);
    std::remove(path.c_str());
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0] == '-' && argv[1][1] == '-') return MeasuringProcess(argc, argv);
    const std::string program = argc > 1 ? argv[1] : DefaultProgram();
    std::printf("bench_script_host: scripts of simple call statements through the script host, against the same "
                "calls on the engine; CPU times are the least over the rounds.\n");
    if (::access(program.c_str(), X_OK) != 0) {
        std::printf("the vellumark program %s was not found FAIL\n", program.c_str());
        return 0;
    }
    char dirTemplate[] = "/tmp/vellumark_bench_script.XXXXXX";
    if (!::mkdtemp(dirTemplate)) {
        std::printf("no temporary folder FAIL\n");
        return 0;
    }
    const std::string dir = dirTemplate;
    const std::string emptyPath = dir + "/empty.vbs";
    bool ok = WriteFile(emptyPath, Header());

    std::vector<double> emptyHost;
    for (int round = 0; round < 9; ++round) emptyHost.push_back(HostSeconds(Header(), ok));
    TChild emptyRun;
    for (int round = 0; round < 3; ++round) {
        const TChild c = RunProgram(program, emptyPath, dir);
        ok = ok && c.ok;
        if (round == 0 || c.cpu < emptyRun.cpu) emptyRun.cpu = c.cpu;
        emptyRun.maxRssKiB = round == 0 ? c.maxRssKiB : std::min(emptyRun.maxRssKiB, c.maxRssKiB);
    }
    std::printf("header alone: %.3f ms in process; vellumark run %.3f ms CPU, peak memory %.1f MiB\n",
                Min(emptyHost) * 1e3, emptyRun.cpu * 1e3, emptyRun.maxRssKiB / 1024.0);

    for (TKind kind : {TKind::TextSize, TKind::DrawLine}) {
        const TChild emptyEngine = EngineChild(kind, 0, dir);
        std::vector<TResult> results;
        for (int n : kSizes)
            results.push_back(Measure(kind, n, program, dir, Min(emptyHost), emptyRun, emptyEngine));
        const TResult& big = results.back();
        const double linear = big.hostUs / results.front().hostUs;
        bool runsOk = emptyEngine.ok;
        for (const TResult& r : results) runsOk = runsOk && r.ok;
        std::printf("%s: overhead %.3f us/statement at N = %d (target %.1f) %s\n", NameOf(kind), big.overheadUs,
                    kSizes[1], kTargetMicroseconds, Verdict(big.overheadUs <= kTargetMicroseconds));
        const double hostBytes = big.bytes - big.engineBytes;
        std::printf("%s: the host's memory %.1f bytes/statement at N = %d (target %.0f) %s\n", NameOf(kind),
                    hostBytes, kSizes[1], kTargetBytes, Verdict(hostBytes <= kTargetBytes));
        std::printf("%s: cost per statement at N = %d is %.2f times that at N = %d (target %.1f) %s\n", NameOf(kind),
                    kSizes[1], linear, kSizes[0], kTargetLinear, Verdict(linear <= kTargetLinear));
        std::printf("%s: every run ended normally %s\n", NameOf(kind), Verdict(runsOk && ok));
    }
    std::remove(emptyPath.c_str());
    ::rmdir(dir.c_str());
    return 0;
}
