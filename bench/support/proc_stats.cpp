// Clocks and /proc readings for the benchmarks (see proc_stats.h).
#include "proc_stats.h"

#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvane::bench {

namespace {

double clockMs(clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace

double processCpuMs() { return clockMs(CLOCK_PROCESS_CPUTIME_ID); }
double wallMs() { return clockMs(CLOCK_MONOTONIC); }

double otherProcessCpuMs(pid_t pid) {
    // Each thread's run time in nanoseconds: /proc/<pid>/stat counts in 10 ms
    // clock ticks, too coarse for a server that wakes for a skipped tick.
    std::error_code ec;
    double runNs = 0;
    bool found = false;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream sched(task.path() / "schedstat");
        unsigned long long ns = 0;
        if (sched >> ns) {
            runNs += static_cast<double>(ns);
            found = true;
        }
    }
    return found ? runNs / 1e6 : statCpuMs(pid);
}

double statCpuMs(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return -1;
    // The command name in parentheses may hold blanks: fields count from its end.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::int64_t statusKb(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1));
    }
    return -1;
}

}  // namespace orvane::bench
