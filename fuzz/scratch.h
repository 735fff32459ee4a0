// Where a fuzz target writes: in memory where the system offers it (every
// input writes there), one place per process, removed when the run ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::string& scratchPath(const char* name) {
    static const std::string path = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/orvane-fuzz-" + name + "-" + std::to_string(::getpid());
    [[maybe_unused]] static const int removed = std::atexit([] { std::filesystem::remove_all(path); });
    return path;
}
