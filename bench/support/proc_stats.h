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
// CPU time of a process in milliseconds: the run time of its threads from
// /proc/<pid>/task/*/schedstat (nanoseconds), else utime + stime from
// /proc/<pid>/stat (clock ticks, usually 10 ms). -1 when unreadable.
double otherProcessCpuMs(pid_t pid);
// utime + stime of a process from /proc/<pid>/stat, threads that ended
// included, in milliseconds (clock-tick steps); -1 when unreadable.
double statCpuMs(pid_t pid);
// A "Vm..." line of /proc/<pid>/status (e.g. "VmHWM", "VmRSS") in KiB; -1 when missing.
std::int64_t statusKb(pid_t pid, const std::string& field);

}  // namespace orvane::bench
