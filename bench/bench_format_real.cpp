// FormatReal against the C library: the same text from snprintf("%.15g")
// with the trimming needed to match (small magnitudes to "0", exponents laid
// out in plain notation). Both are first checked to agree on every input,
// then timed over the whole input set in interleaved rounds.
//
// Target: FormatReal at least 3 times faster than the snprintf reference.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "base/FormatReal.h"
#include "bench/BenchCommon.h"

namespace {

using vellumark::bench::TRandom;

constexpr std::size_t kValueCount = 1000000;
constexpr int kRounds = 5;
constexpr double kTargetRatio = 3.0;

// --- the inputs -------------------------------------------------------------

// A fixed mix of the numbers a document writer meets, and of the awkward ones.
std::vector<double> MakeValues() {
    TRandom rng(0x5EEDF00DULL);
    std::vector<double> v;
    v.reserve(kValueCount);
    while (v.size() < kValueCount) {
        const double u = rng.Unit();
        switch (v.size() % 8) {
            case 0:  // page coordinates with 6 decimals
                v.push_back(std::round(u * 1e9) / 1e6);
                break;
            case 1: {  // Bezier control points and rotations: cos/sin products
                const double a = rng.Range(0, 2 * std::numbers::pi);
                const double b = rng.Range(0, 2 * std::numbers::pi);
                const double r = rng.Range(1, 400);
                switch (rng.Below(3)) {
                    case 0: v.push_back(std::cos(a) * std::sin(b)); break;
                    case 1: v.push_back(300 + r * std::cos(a) - 0.55516572 * r * std::sin(a)); break;
                    default: v.push_back(r * std::sin(a) * std::cos(b)); break;
                }
                break;
            }
            case 2:  // whole numbers
                v.push_back(std::floor(u * 2e6) - 1e6);
                break;
            case 3:  // tiny magnitudes, zeros, and the edge at 0.0001
                switch (rng.Below(6)) {
                    case 0: v.push_back(u * 1e-4); break;
                    case 1: v.push_back(-u * 1e-4); break;
                    case 2: v.push_back(u * 1e-12); break;
                    case 3: v.push_back(rng.Below(2) ? 0.0 : -0.0); break;
                    case 4: v.push_back(1e-4 * (1 + (u - 0.5) * 1e-9)); break;
                    default: v.push_back(std::ldexp(u, -1060)); break;  // subnormal
                }
                break;
            case 4:  // negative values of every size
                v.push_back(-std::round(u * 1e7) / 1e3 * std::pow(10.0, static_cast<int>(rng.Below(10)) - 4));
                break;
            case 5: {  // decimal sums and fractions that have no exact binary form
                const double a = rng.Below(100), b = rng.Below(100);
                switch (rng.Below(4)) {
                    case 0: v.push_back(a * 0.1 + b * 0.2); break;
                    case 1: v.push_back((a + 1) / 3.0); break;
                    case 2: v.push_back((a + 1) / (b + 7)); break;
                    default: v.push_back(rng.Below(256) / 255.0); break;  // colour components
                }
                break;
            }
            case 6: {  // 15 and more significant digits, in every decade to 10^15
                const int decade = static_cast<int>(rng.Below(19)) - 4;
                const double x = (1 + 9 * u) * std::pow(10.0, decade);
                v.push_back(rng.Below(2) ? x : -x);
                break;
            }
            default: {  // just below a power of ten: rounds up to the next decade
                // (up to 10^15, which the C library writes as 1e+15)
                const int decade = static_cast<int>(rng.Below(19)) - 3;
                const double p = std::pow(10.0, decade);
                v.push_back(std::nextafter(p, 0.0) - p * 1e-16 * rng.Below(8));
                break;
            }
        }
    }
    return v;
}

// --- the reference ------------------------------------------------------------

// Rewrites "[-]d[.ddd]e[+-]XX" as plain decimal notation in place.
std::size_t ExpandExponent(char* buf, std::size_t n) {
    const char* e = static_cast<const char*>(std::memchr(buf, 'e', n));
    if (!e) return n;
    const int exp10 = std::atoi(e + 1);
    bool negative = buf[0] == '-';
    char digits[32];
    int nd = 0;
    for (const char* p = buf + (negative ? 1 : 0); p < e; ++p)
        if (*p != '.') digits[nd++] = *p;
    while (nd > 1 && digits[nd - 1] == '0') --nd;
    std::string out = negative ? "-" : "";
    if (exp10 < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exp10 - 1), '0');
        out.append(digits, static_cast<std::size_t>(nd));
    } else if (nd <= exp10 + 1) {
        out.append(digits, static_cast<std::size_t>(nd));
        out.append(static_cast<std::size_t>(exp10 + 1 - nd), '0');
    } else {
        out.append(digits, static_cast<std::size_t>(exp10 + 1));
        out += '.';
        out.append(digits + exp10 + 1, static_cast<std::size_t>(nd - exp10 - 1));
    }
    std::memcpy(buf, out.data(), out.size());
    return out.size();
}

// The text FormatReal must produce, the C library's way.
std::size_t ReferenceFormat(double value, char* buf) {
    if (!(std::fabs(value) >= 0.0001)) {
        buf[0] = '0';
        return 1;
    }
    auto n = static_cast<std::size_t>(std::snprintf(buf, vellumark::kMaxRealText, "%.15g", value));
    if (std::memchr(buf, 'e', n)) n = ExpandExponent(buf, n);
    if (n == 2 && buf[0] == '-' && buf[1] == '0') {
        buf[0] = '0';
        n = 1;
    }
    return n;
}

// --- the check ----------------------------------------------------------------

std::size_t CountMismatches(const std::vector<double>& values) {
    std::size_t bad = 0;
    char a[vellumark::kMaxRealText], b[vellumark::kMaxRealText];
    for (double v : values) {
        const std::size_t na = vellumark::FormatReal(v, a);
        const std::size_t nb = ReferenceFormat(v, b);
        if (na == nb && std::memcmp(a, b, na) == 0) continue;
        if (++bad <= 20)
            std::printf("mismatch: %.17g  FormatReal \"%.*s\"  reference \"%.*s\"\n", v, static_cast<int>(na), a,
                        static_cast<int>(nb), b);
    }
    return bad;
}

// --- the timing ---------------------------------------------------------------

const std::vector<double>* gValues = nullptr;

template <std::size_t (*Format)(double, char*)>
void FormatAll(benchmark::State& state) {
    char buf[vellumark::kMaxRealText];
    std::size_t total = 0;
    for (auto _ : state) {
        for (double v : *gValues) {
            total += Format(v, buf);
            benchmark::DoNotOptimize(buf);
        }
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(gValues->size()));
}

std::size_t FormatRealNoexcept(double v, char* buf) { return vellumark::FormatReal(v, buf); }

// Shows the runs as usual and keeps the CPU time per value of each (CPU time
// is what other work on the machine disturbs least).
class TKeepingReporter : public benchmark::ConsoleReporter {
public:
    TKeepingReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const std::string name = run.benchmark_name();
            const std::string kind = name.substr(0, name.find('/'));
            const double ns = run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations) /
                              static_cast<double>(gValues->size());
            perValue[kind].push_back(ns);
        }
    }
    std::map<std::string, std::vector<double>> perValue;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<double> values = MakeValues();
    gValues = &values;

    const std::size_t bad = CountMismatches(values);
    std::printf("text check: %zu values, %zu mismatches\n", values.size(), bad);

    benchmark::Initialize(&argc, argv);
    // Alternate the two so that a change in machine load hits both alike.
    for (int round = 1; round <= kRounds; ++round) {
        const std::string suffix = "/round:" + std::to_string(round);
        benchmark::RegisterBenchmark(("FormatReal" + suffix).c_str(), FormatAll<FormatRealNoexcept>)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
        benchmark::RegisterBenchmark(("snprintf" + suffix).c_str(), FormatAll<ReferenceFormat>)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
    }
    TKeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double ours = vellumark::bench::Min(reporter.perValue["FormatReal"]);
    const double ref = vellumark::bench::Min(reporter.perValue["snprintf"]);
    if (ours <= 0 || ref <= 0) {
        std::printf("FormatReal: no timing (filtered out?) FAIL\n");
        return 0;
    }
    const double ratio = ref / ours;
    std::printf("\nfastest of %d rounds over %zu values, CPU time:\n", kRounds, values.size());
    std::printf("FormatReal text check: %zu mismatches of %zu values %s\n", bad, values.size(),
                vellumark::bench::Verdict(bad == 0));
    std::printf("FormatReal: %.1f ns/value, snprintf: %.1f ns/value, ratio %.2fx (target >= %.0fx) %s\n", ours, ref,
                ratio, kTargetRatio, vellumark::bench::Verdict(ratio >= kTargetRatio && bad == 0));
    return 0;
}
