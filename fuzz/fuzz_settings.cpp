// Loading any settings file never fails, and what is saved then loads back
// as the same settings (save, load, save again gives the same file).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "core/app_state.h"
#include "core/settings.h"

using namespace orvane;

namespace {

// In memory where the system offers it: each run writes the file many times.
std::string scratchFolder() { return ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const std::string dir = scratchFolder() + "/orvane-fuzz-settings-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0700);
    ::setenv("ORVANE_CONFIG_DIR", dir.c_str(), 1);
    std::atexit([] {
        std::remove((dir + "/Orvane.ini").c_str());
        ::rmdir(dir.c_str());
    });
    // Placement is kept in twips of a fixed screen, so no display is needed.
    SetPrimaryScreenTwipsSource([] { return ScreenTwips{1920 * 15.0f, 1080 * 15.0f}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = SettingsFilePath();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    AppState = AppStateData{};
    AppState.TitleBarShown = true;
    LoadSettings();
    SaveSettings();
    const std::string first = readFile(path);
    AppState = AppStateData{};
    AppState.TitleBarShown = true;
    LoadSettings();
    SaveSettings();
    if (readFile(path) != first) std::abort();
    return 0;
}
