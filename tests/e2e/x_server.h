// Starts a headless X server for the end-to-end tests (Xorg with the dummy
// driver and two monitors, or Xvfb with two RandR monitors as a fallback) and
// stops exactly the process it started.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace orvane::e2e {

class XServer {
public:
    enum class Kind { XorgDummy, Xvfb };
    // nullptr with the reason in why when no server would start.
    static std::unique_ptr<XServer> start(Kind kind, std::string& why);
    // Xorg with the two-monitor dummy configuration, else Xvfb; the environment
    // variable ORVANE_E2E_SERVER=xvfb skips Xorg.
    static std::unique_ptr<XServer> startPreferred(std::string& why);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    [[nodiscard]] const std::string& display() const { return display_; }
    [[nodiscard]] Kind kind() const { return kind_; }
    // Kills the server now (for lost-connection tests) and waits for it.
    void kill();

private:
    XServer() = default;
    pid_t pid_ = -1;
    std::string display_;
    Kind kind_ = Kind::Xvfb;
};

// Runs a command with DISPLAY set, returns its exit status; output in *out.
int runWithDisplay(const std::string& display, const std::vector<std::string>& argv,
                   std::string* out = nullptr);

}  // namespace orvane::e2e
