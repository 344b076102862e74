// Running a program as a child process and measuring it: its CPU and wall
// time and its peak resident size, as the kernel counts them (wait4).
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "bench/BenchCommon.h"

extern char** environ;

namespace vellumark::bench {

struct TChild {
    bool ok = false;  // started and exited with status 0
    double cpu = 0, wall = 0;
    long maxRssKiB = 0;
};

// Runs a program (found on PATH when its name has no slash) with its output
// in `outPath` and its errors in `errPath` (each discarded when empty), and
// waits for it.
inline TChild Spawn(const std::vector<std::string>& args, const std::string& outPath = {},
                    const std::string& errPath = {}) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outPath.empty())
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errPath.empty())
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    TChild r;
    const double w0 = Seconds();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    int status = 0;
    rusage ru{};
    if (::wait4(pid, &status, 0, &ru) != pid) return r;
    r.wall = Seconds() - w0;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    r.cpu = TimevalSeconds(ru.ru_utime) + TimevalSeconds(ru.ru_stime);
    r.maxRssKiB = ru.ru_maxrss;
    return r;
}

// The path of the running program.
inline std::string Self() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    return n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace vellumark::bench
