// CPU time and memory of this process and of another one (the X server),
// read from the clocks and from /proc.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace orvane::bench {

// CPU time of this whole process (every thread), in milliseconds.
double processCpuMs();
// Wall clock, in milliseconds.
double wallMs();
// utime + stime of a process from /proc/<pid>/stat, in milliseconds (clock-tick
// resolution, usually 10 ms: accumulate over many ticks). -1 when unreadable.
double otherProcessCpuMs(pid_t pid);
// A "Vm..." line of /proc/<pid>/status (e.g. "VmHWM", "VmRSS") in KiB; -1 when missing.
std::int64_t statusKb(pid_t pid, const std::string& field);

}  // namespace orvane::bench
