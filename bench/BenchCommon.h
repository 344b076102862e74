// Small helpers shared by the benchmark programs: a deterministic random
// source, a clock, statistics over repeated runs, memory readings, file sizes
// and qpdf --check.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>

namespace vellumark::bench {

// The vellumark program beside this one's folder: build/bench/x -> build/vellumark.
inline std::string DefaultProgram() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "vellumark";
    std::string path(self, static_cast<std::size_t>(n));
    path.erase(path.rfind('/'));
    const std::size_t up = path.rfind('/');
    return (up == std::string::npos ? std::string(".") : path.substr(0, up)) + "/vellumark";
}


// splitmix64: the same sequence on every platform and standard library, so
// every run and every program draws the same inputs.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() noexcept {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Unit() noexcept { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Uniform in [lo, hi).
    double Range(double lo, double hi) noexcept { return lo + (hi - lo) * Unit(); }
    // Uniform integer in [0, n).
    uint32_t Below(uint32_t n) noexcept { return static_cast<uint32_t>((Next() >> 32) % n); }

private:
    uint64_t state_;
};

inline double Seconds() {
    using clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(clock::now().time_since_epoch()).count();
}

// CPU time of this process (user and system) in seconds.
inline double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A getrusage time (ru_utime, ru_stime) in seconds.
inline double TimevalSeconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// Wall time, CPU time, system time and minor page faults of a stretch of work.
struct TSpan {
    double wall = 0, cpu = 0, sys = 0;
    long faults = 0;
};

class TStopwatch {
public:
    TStopwatch() { Read(start_); }
    TSpan Stop() const {
        TSpan now;
        Read(now);
        return {now.wall - start_.wall, now.cpu - start_.cpu, now.sys - start_.sys, now.faults - start_.faults};
    }

private:
    static void Read(TSpan& s) {
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        s.sys = TimevalSeconds(ru.ru_stime);
        s.faults = ru.ru_minflt;
        s.cpu = CpuSeconds();
        s.wall = Seconds();
    }
    TSpan start_;
};

inline double Min(std::vector<double> v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// A size field of /proc/self/status ("VmRSS:", "VmHWM:") in bytes, 0 when
// unknown.
inline uint64_t StatusBytes(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    uint64_t kb = 0;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, n) == 0) {
            kb = std::strtoull(line + n, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return kb * 1024;
}

// Resident set size of this process now, and its peak so far.
inline uint64_t ResidentBytes() { return StatusBytes("VmRSS:"); }
inline uint64_t PeakResidentBytes() { return StatusBytes("VmHWM:"); }

// A byte count in MiB.
inline double MiB(double bytes) { return bytes / 1048576.0; }

// The size of a file in bytes, -1 when it cannot be read.
inline long long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// qpdf --check on a file: its exit status (0: no problems, 3: warnings only,
// 2: errors, 127: no qpdf) and its last line of output.
inline int QpdfCheck(const std::string& path, std::string& lastLine) {
    const std::string command = "qpdf --check '" + path + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (!line.empty()) lastLine = line;
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline const char* Verdict(bool pass) { return pass ? "PASS" : "FAIL"; }

}  // namespace vellumark::bench
