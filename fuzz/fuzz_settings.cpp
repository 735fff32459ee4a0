// Loading any settings file never fails, and what is saved then loads back
// as the same settings (save, load, save again gives the same file).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "core/app_state.h"
#include "core/settings.h"

using namespace orvane;

namespace {

std::string loadAndSave(const std::string& path) {
    AppState = AppStateData{};
    AppState.TitleBarShown = true;
    LoadSettings();
    SaveSettings();
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // In memory where the system offers it: each run writes the file many times.
    static const std::string dir = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                   "/orvane-fuzz-settings-" + std::to_string(::getpid());
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
    const std::string first = loadAndSave(path);
    if (loadAndSave(path) != first) std::abort();
    return 0;
}
