// The end-to-end tests' main: it starts a headless two-monitor X server
// before Qt connects to anything and stops exactly that server afterwards.
#include "support.h"

namespace orvane::e2e {
namespace {
XServer* g_server = nullptr;
}
XServer& server() { return *g_server; }
}  // namespace orvane::e2e

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery) needs no server.
    if (GTEST_FLAG_GET(list_tests)) {
        QCoreApplication app(argc, argv);
        return RUN_ALL_TESTS();
    }
    std::string why;
    auto server = orvane::e2e::XServer::startPreferred(why);
    if (!server) {
        std::fprintf(stderr, "no X server for the end-to-end tests: %s\n", why.c_str());
        return 1;
    }
    orvane::e2e::g_server = server.get();
    // What the program keeps for the user (registered modes, an autostart
    // entry) goes to a folder of this run; nor does it reach the tests' desktop.
    const QTemporaryDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "WAYLAND_DISPLAY", "ORVANE_BACKEND", "LANGUAGE"})
        unsetenv(name);
    setenv("LC_ALL", "C.UTF-8", 1);  // the program's Japanese texts, whatever the desktop speaks
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("DISPLAY", server->display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
