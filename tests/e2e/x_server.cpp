// Starts and stops the test X server (see x_server.h).
#include "x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace orvane::e2e {
namespace {

// A server that dies with a test that crashed and holds nothing of it (a
// build lock's descriptor). Only async-signal-safe calls after fork: Qt's
// threads may hold locks.
pid_t spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int null = open("/dev/null", O_RDWR);
    for (int fd : {0, 1, 2}) dup2(null, fd);
    close_range(3, ~0U, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    execvp(args[0], args.data());
    _exit(127);
}

}  // namespace

std::unique_ptr<XServer> XServer::launch(Kind kind, std::vector<std::string> argv, std::string& why) {
    // A display number nobody uses, spread by process id so that parallel
    // test runs rarely try the same one.
    int n = 200 + static_cast<int>(getpid() % 300);
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
           std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
        ++n;
    auto s = std::make_unique<XServer>();
    s->display_ = ":" + std::to_string(n);
    s->kind_ = kind;
    argv.insert(argv.begin() + 1, s->display_);
    if (kind == Kind::XorgDummy)
        argv.insert(argv.end(), {"-config", std::string(ORVANE_E2E_DIR) + "/xorg-dummy-two-monitors.conf",
                                 "-noreset", "-nolisten", "tcp", "-novtswitch", "-sharevts", "-logfile",
                                 "/tmp/orvane-e2e-xorg" + std::to_string(n) + ".log"});
    s->pid_ = spawn(argv);
    for (int i = 0; i < 2000; ++i) {
        if (s->pid_ < 0 || waitpid(s->pid_, nullptr, WNOHANG) != 0) {  // the server gave up
            s->pid_ = -1;
            break;
        }
        xcb_connection_t* c = xcb_connect(s->display_.c_str(), nullptr);
        const bool ready = xcb_connection_has_error(c) == 0;
        xcb_disconnect(c);
        if (ready) return s;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    why = argv[0] + " did not start on " + s->display_;
    return nullptr;  // one that never answered is killed with s
}

std::unique_ptr<XServer> XServer::startXvfb(int width, int height, const std::vector<MonitorSpec>& monitors,
                                            std::string& why) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
    auto s =
        launch(Kind::Xvfb,
               {"Xvfb", "-screen", "0", size, "+extension", "RANDR", "-nolisten", "tcp", "-noreset"}, why);
    for (std::size_t i = 0; s && i < monitors.size(); ++i) {
        const MonitorSpec& m = monitors[i];
        // RandR wants a physical size: 96 DPI keeps Qt's view of the screens
        // plain. '*' marks the primary monitor; binding it to the output keeps
        // RandR from adding another, automatic one.
        auto mm = [](int px) { return std::to_string(px * 254 / 960); };
        const std::string geometry = std::to_string(m.width) + "/" + mm(m.width) + "x" +
                                     std::to_string(m.height) + "/" + mm(m.height) + "+" +
                                     std::to_string(m.x) + "+" + std::to_string(m.y);
        const std::string setmonitor = "xrandr -display " + s->display_ + " --setmonitor '" +
                                       (m.primary ? "*" : "") + m.name + "' " + geometry +
                                       (m.primary ? " screen" : " none");
        if (std::system(setmonitor.c_str()) != 0) {
            why = setmonitor + " failed";
            s.reset();
        }
    }
    return s;
}

std::unique_ptr<XServer> XServer::startPreferred(std::string& why) {
    // Another test process may take the same free display number at the same
    // moment; the loser tries again on the next one.
    const char* forced = std::getenv("ORVANE_E2E_SERVER");
    const bool xvfb = forced && std::string(forced) == "xvfb";
    const std::vector<MonitorSpec> halves{{"LEFT", 0, 0, 1920, 1080, true}, {"RIGHT", 1920, 0, 1920, 1080}};
    for (int attempt = xvfb ? 3 : 0; attempt < 6; ++attempt)
        if (auto s =
                attempt < 3 ? launch(Kind::XorgDummy, {"Xorg"}, why) : startXvfb(3840, 1080, halves, why))
            return s;
    return nullptr;
}

void XServer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    for (int i = 0; waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
        if (i == 500) ::kill(pid_, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
}

}  // namespace orvane::e2e
