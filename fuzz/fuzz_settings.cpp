// Loading any settings file never fails, and what is saved then loads back
// as the same settings (save, load, save again gives the same file).
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "core/app_state.h"
#include "core/settings.h"
#include "scratch.h"

using namespace orvane;

namespace {

std::string loadAndSave() {
    AppState = AppStateData{};
    AppState.TitleBarShown = true;
    LoadSettings();
    SaveSettings();
    std::ifstream f(SettingsFilePath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::mkdir(scratchPath("settings").c_str(), 0700);
    ::setenv("ORVANE_CONFIG_DIR", scratchPath("settings").c_str(), 1);
    // Placement is kept in twips of a fixed screen, so no display is needed.
    SetPrimaryScreenTwipsSource([] { return ScreenTwips{1920 * 15.0f, 1080 * 15.0f}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::ofstream(SettingsFilePath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const std::string first = loadAndSave();
    if (loadAndSave() != first) std::abort();
    return 0;
}
