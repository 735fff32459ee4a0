// A headless Xvfb for the benchmarks, with RandR monitors laid out as asked;
// stops exactly the process it started.
#pragma once

#include <sys/types.h>

#include <QRect>
#include <QSize>
#include <memory>
#include <string>
#include <vector>

namespace orvane::bench {

struct MonitorSpec {
    std::string name;
    QRect rect;
    bool primary = false;
};

class HeadlessX {
public:
    // nullptr with the reason in why when no server would start.
    static std::unique_ptr<HeadlessX> start(QSize screen, const std::vector<MonitorSpec>& monitors,
                                            std::string& why);
    ~HeadlessX();
    HeadlessX(const HeadlessX&) = delete;
    HeadlessX& operator=(const HeadlessX&) = delete;

    [[nodiscard]] const std::string& display() const { return display_; }
    [[nodiscard]] pid_t pid() const { return pid_; }

private:
    HeadlessX() = default;
    pid_t pid_ = -1;
    std::string display_;
};

// Runs a command with DISPLAY set; its exit status, -1 when it could not run.
int runWithDisplay(const std::string& display, const std::vector<std::string>& argv);

}  // namespace orvane::bench
