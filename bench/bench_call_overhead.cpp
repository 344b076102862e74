// The cost of a call through the library's interfaces: one million TextSize
// puts through the C interface of libvellumark.so (vm_set_TextSize, a call
// into the shared library that runs the member table's handler and turns
// errors into a status) and through its C++ interface
// (vellumark::Document::SetTextSize), against the same puts on the engine
// directly (TVellumark::SetTextSize). The Python package's figure is
// bench_python_report's.
//
// Target: the C interface within 1.5 times the engine's time. Each side runs
// several rounds, alternating; the round with the least CPU time counts.
#include <cstdint>
#include <cstdio>
#include <vector>

#include <vellumark/vellumark.h>
#include <vellumark/vellumark.hpp>

#include "bench/BenchCommon.h"
#include "engine/Vellumark.h"

namespace {

constexpr int kCalls = 1'000'000;
constexpr int kRounds = 9;
constexpr double kTarget = 1.5;

// CPU seconds of one round of kCalls puts.
template <class Put>
double Round(Put&& put) {
    const double start = vellumark::bench::CpuSeconds();
    for (int i = 0; i < kCalls; ++i) put(8 + (i & 15));
    return vellumark::bench::CpuSeconds() - start;
}

}  // namespace

int main() {
    vellumark::TVellumark engine;
    engine.CreateText();
    vellumark::Document document;
    document.CreateText();
    vm_doc* doc = nullptr;
    int32_t text = 0;
    if (vm_create(&doc) != VM_OK || vm_CreateText(doc, &text) != VM_OK) {
        std::printf("the C interface could not make a document FAIL\n");
        return 0;
    }

    int failures = 0;
    std::vector<double> direct, c, cpp;
    for (int round = 0; round < kRounds; ++round) {
        direct.push_back(Round([&](int32_t size) { engine.SetTextSize(size); }));
        c.push_back(Round([&](int32_t size) { failures += vm_set_TextSize(doc, size) != VM_OK; }));
        cpp.push_back(Round([&](int32_t size) { document.SetTextSize(size); }));
    }
    int32_t size = 0;
    const bool same = vm_get_TextSize(doc, &size) == VM_OK && size == engine.GetTextSize() &&
                      document.GetTextSize() == size && failures == 0;
    vm_destroy(doc);

    const double e = vellumark::bench::Min(direct), ci = vellumark::bench::Min(c), cp = vellumark::bench::Min(cpp);
    std::printf("bench_call_overhead: %d TextSize puts, best of %d rounds (CPU time)\n", kCalls, kRounds);
    std::printf("  engine directly:           %.3f s, %.1f ns a call\n", e, e / kCalls * 1e9);
    std::printf("  C interface (.so):         %.3f s, %.1f ns a call\n", ci, ci / kCalls * 1e9);
    std::printf("  C++ interface (.so):       %.3f s, %.1f ns a call\n", cp, cp / kCalls * 1e9);
    std::printf("  every put arrived: %s\n", same ? "yes" : "no");
    std::printf("C interface vs engine: ratio %.2f (target <= %.1f) %s\n", ci / e, kTarget,
                vellumark::bench::Verdict(same && ci / e <= kTarget));
    std::printf("C++ interface vs engine: ratio %.2f (for reference)\n", cp / e);
    return 0;
}
