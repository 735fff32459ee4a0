// Starts and stops the benchmarks' Xvfb (see headless_x.h).
#include "headless_x.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <thread>

namespace orvane::bench {

namespace {

bool displayInUse(int n) {
    struct stat st {};
    const std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
    const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    return stat(sock.c_str(), &st) == 0 || stat(lock.c_str(), &st) == 0;
}

// Spread by process id, above the numbers the end-to-end tests pick.
int freeDisplay() {
    const int base = 600 + static_cast<int>(getpid() % 300);
    for (int i = 0; i < 300; ++i) {
        if (!displayInUse(base + i)) return base + i;
    }
    return -1;
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& display) {
    // Built before fork: only async-signal-safe calls between fork and exec.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("DISPLAY=", 0) != 0) env.emplace_back(*e);
    }
    if (!display.empty()) env.push_back("DISPLAY=" + display);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
}

bool waitReady(pid_t pid, const std::string& display) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return false;
        xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
        const bool ok = xcb_connection_has_error(c) == 0;
        xcb_disconnect(c);
        if (ok) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// RandR wants a physical size; 96 DPI keeps Qt's view of the screens plain.
std::string monitorGeometry(const QRect& r) {
    auto mm = [](int px) { return std::to_string(px * 254 / 960); };
    return std::to_string(r.width()) + "/" + mm(r.width()) + "x" + std::to_string(r.height()) + "/" +
           mm(r.height()) + "+" + std::to_string(r.x()) + "+" + std::to_string(r.y());
}

}  // namespace

int runWithDisplay(const std::string& display, const std::vector<std::string>& argv) {
    const pid_t pid = spawn(argv, display);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::unique_ptr<HeadlessX> HeadlessX::start(QSize screen, const std::vector<MonitorSpec>& monitors,
                                            std::string& why) {
    const int n = freeDisplay();
    if (n < 0) {
        why = "no free display number";
        return nullptr;
    }
    std::unique_ptr<HeadlessX> s(new HeadlessX);
    s->display_ = ":" + std::to_string(n);
    const std::string size = std::to_string(screen.width()) + "x" + std::to_string(screen.height()) + "x24";
    const std::vector<std::string> argv = {"Xvfb",       s->display_, "-screen",   "0",   size,
                                           "+extension", "RANDR",     "-nolisten", "tcp", "-noreset"};
    s->pid_ = spawn(argv, "");
    if (s->pid_ < 0 || !waitReady(s->pid_, s->display_)) {
        why = "Xvfb did not start on " + s->display_;
        return nullptr;
    }
    for (const MonitorSpec& m : monitors) {
        // Binding the primary to the output keeps RandR from adding an automatic monitor.
        const std::string name = (m.primary ? "*" : "") + m.name;
        if (runWithDisplay(s->display_, {"xrandr", "--setmonitor", name, monitorGeometry(m.rect),
                                         m.primary ? "screen" : "none"}) != 0) {
            why = "xrandr --setmonitor " + m.name + " failed";
            return nullptr;
        }
    }
    return s;
}

HeadlessX::~HeadlessX() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
}

}  // namespace orvane::bench
