// Main of the end-to-end tests: starts a headless two-monitor X server before
// Qt connects to anything, runs the tests against the real X11 backend on it
// and stops exactly that server afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "e2e_support.h"

namespace orvane::e2e {
namespace {
XServer* g_server = nullptr;
}
XServer& server() { return *g_server; }
bool isXorgDummy() { return g_server->kind() == XServer::Kind::XorgDummy; }
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
    // Whatever the program keeps for the user (registered display modes, an
    // autostart entry) goes to a folder of this run, never the real one.
    char configHome[] = "/tmp/orvane-e2e-config-XXXXXX";
    if (::mkdtemp(configHome) != nullptr) setenv("XDG_CONFIG_HOME", configHome, 1);
    // Nor does it reach the desktop the tests happen to run in.
    unsetenv("XDG_CURRENT_DESKTOP");
    // Tests that want a Wayland session say so themselves.
    unsetenv("XDG_SESSION_TYPE");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("ORVANE_BACKEND");
    // The program's texts are the Japanese ones, whatever language the tests' desktop speaks.
    unsetenv("LANGUAGE");
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("DISPLAY", server->display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int rc = 0;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    orvane::e2e::g_server = nullptr;
    std::filesystem::remove_all(configHome);
    return rc;
}
