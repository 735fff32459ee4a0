// The whole program on the test server: starting it with a settings file,
// finding its view on the screen, typing and clicking with xdotool, and a
// window manager for the tests that need one.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <optional>
#include <string>

#include "e2e_support.h"
#include "platform/platform.h"

namespace orvane::e2e {

// Every pixel tells which monitor pixel it is: red and green the low bytes of
// x and y, blue their high nibbles.
QRgb codedPixel(int x, int y);
QImage codedImage(QSize size);
QPoint decode(QRgb c);
QImage solidImage(QSize size, QRgb colour);

// The window's placement: the whole left monitor (1920 x 1080 at 15 twips a pixel).
extern const std::string kFillLeftMonitor;
// Any placement in pixels, as a [View] section.
std::string placement(const QRect& outer);

class OrvaneProcess {
public:
    // Starts the binary with its own settings folder holding settings;
    // standard error is kept for errorOutput() or passed through.
    // `environment`: NAME=VALUE settings added to the program's environment.
    explicit OrvaneProcess(const std::string& settings, bool keepErrors = false, std::string display = {},
                           const QStringList& environment = {});
    ~OrvaneProcess();
    OrvaneProcess(const OrvaneProcess&) = delete;
    OrvaneProcess& operator=(const OrvaneProcess&) = delete;
    // Ends it the way a session logout does.
    int terminate();
    [[nodiscard]] std::string savedSettings() const;
    // Waits for the program to end by itself: its exit code, -1 when it
    // crashed, -2 when it is still running.
    int waitForExit(int ms);
    [[nodiscard]] std::string errorOutput();

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// Where the view's picture of a coded monitor lies on the screen: the screen
// position of monitor pixel (0, 0) at scale 1 (each view pixel shows `scale`
// monitor pixels; 0.5 at 200 %), sampled inside `region`.
struct ViewOnScreen {
    std::optional<QPoint> origin;
    int matches = 0;
    int samples = 0;
    [[nodiscard]] bool whole() const { return origin && matches == samples; }
};
ViewOnScreen findView(const QImage& shot, const QRect& region, double scale);

// A number as xdotool's argument.
inline std::string num(int v) { return std::to_string(v); }
// Runs xdotool on the test server with these arguments; true when it succeeded.
bool xdotool(const std::vector<std::string>& args);

// openbox on the test server, until destroyed.
class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    // False when openbox is missing or did not take the screen.
    [[nodiscard]] bool running() const { return running_; }

private:
    QProcess process_;
    bool running_ = false;
};

// A test of the whole program: a backend connection of the test's own for
// screenshots and a client showing pictures on the monitors.
class AppTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Platform> backend;
    TestClient client;
    const QRect right{1920, 0, 1920, 1080};

public:
    void SetUp() override;
    QImage screen() { return backend->drawing().grab(QRect(0, 0, 1920, 1080)); }
    // The right-hand monitor's name on either test server.
    static std::string watched() { return isXorgDummy() ? "DUMMY1" : "RIGHT"; }
    // Waits until the view pixels inside region decode consistently, i.e. the
    // picture is shown (the default region lies inside a view filling the
    // left monitor at either scale: at 50 % it is centred in the frame).
    ViewOnScreen waitForPicture(double scale, int timeoutMs, QRect region = QRect(600, 350, 700, 400));
};

}  // namespace orvane::e2e
