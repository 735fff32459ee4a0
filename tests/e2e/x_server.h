// Starts a headless X server for the end-to-end tests and the benchmarks (Xorg
// with the dummy driver and two monitors, or Xvfb with RandR monitors) and
// stops exactly the process it started.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace orvane::e2e {

// One RandR monitor of an Xvfb layout, in screen pixels.
struct MonitorSpec {
    std::string name;
    int x = 0, y = 0, width = 0, height = 0;
    bool primary = false;
};

class XServer {
public:
    enum class Kind { XorgDummy, Xvfb };
    // nullptr with the reason in why when no server would start.
    static std::unique_ptr<XServer> startXvfb(int width, int height, const std::vector<MonitorSpec>& monitors,
                                              std::string& why);
    // Two 1920x1080 monitors side by side: Xorg's DUMMY0 and DUMMY1, else
    // Xvfb's LEFT and RIGHT (ORVANE_E2E_SERVER=xvfb skips Xorg).
    static std::unique_ptr<XServer> startPreferred(std::string& why);
    ~XServer() { kill(); }

    [[nodiscard]] const std::string& display() const { return display_; }
    [[nodiscard]] Kind kind() const { return kind_; }
    [[nodiscard]] pid_t pid() const { return pid_; }
    // Kills the server now and waits for it.
    void kill();

private:
    static std::unique_ptr<XServer> launch(Kind kind, std::vector<std::string> argv, std::string& why);
    pid_t pid_ = -1;
    std::string display_;
    Kind kind_ = Kind::Xvfb;
};

}  // namespace orvane::e2e
