// Shared pieces of the end-to-end tests: the server the run uses, a test
// client of its own, known pictures, and the whole program started as a user
// starts it.
#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/x11_backend.h"
#include "x_server.h"

namespace orvane::e2e {

XServer& server();
bool isXorgDummy();
// The right-hand monitor and its name on either server.
constexpr QRect kRight(1920, 0, 1920, 1080);
inline std::string watched() { return isXorgDummy() ? "DUMMY1" : "RIGHT"; }

// 240x180 colour blocks, a band of one-pixel stripes each way, a distinct first column.
QRgb patternPixel(int x, int y);
// Every pixel tells which monitor pixel it is (decode gives it back).
QRgb codedPixel(int x, int y);
QPoint decode(QRgb c);
QImage image(QSize size, QRgb (*pixel)(int, int));
QImage solid(QSize size, QRgb colour);
int colourDistance(QRgb a, QRgb b);

std::unique_ptr<platform::Platform> backend(platform::x11::Options o = {});
// Makes the backend's queued requests land: a round trip on its connection.
void settle(platform::Platform& p);
void processEvents(int ms = 50);
// A frameless top-level window at rect, shown and exposed.
std::unique_ptr<QWidget> showFrame(const QRect& rect);
// Runs a tool on the test server; true when it succeeded.
bool run(const char* tool, const std::vector<std::string>& args, std::string* out = nullptr);
inline std::string num(int v) { return std::to_string(v); }

template <typename F>
bool eventually(F done, int ms = 3000) {
    for (int t = 0; !done(); t += 50) {
        if (t >= ms) return false;
        processEvents(50);
    }
    return true;
}

// A plain client of the test server, apart from the backend's connection.
class TestClient {
public:
    TestClient();
    ~TestClient();
    [[nodiscard]] xcb_connection_t* conn() const { return c_; }
    [[nodiscard]] xcb_window_t root() const { return screen_->root; }
    // An override-redirect window showing image at rect (its background, so
    // the server repaints it by itself), receiving button events.
    xcb_window_t showImage(const QRect& rect, const QImage& image);
    void destroy(xcb_window_t w);
    // Waits until the server has handled every request sent so far.
    void sync();
    struct ButtonEvent {
        bool press = false;
        int button = 0;
        QPoint at;
        bool operator==(const ButtonEvent&) const = default;
    };
    // Button events received so far (waits up to a second for `atLeast`).
    std::vector<ButtonEvent> buttonEvents(std::size_t atLeast);
    QPoint pointer();

private:
    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    std::vector<xcb_window_t> windows_;
    std::vector<ButtonEvent> events_;
};

// Any placement in pixels, as a [View] section (15 twips a pixel).
std::string placement(const QRect& outer);
// Settings watching a monitor without a marker, the window's frame at outer.
inline std::string settings(const std::string& extra = {}, const QRect& outer = QRect(0, 0, 1920, 1080),
                            const std::string& display = watched()) {
    return "[Main]\r\nDisplay=" + display + "\r\nCursor= 4\r\n" + extra + placement(outer);
}

// The program with its own settings folder holding settings; environment:
// NAME=VALUE settings added to its environment (DISPLAY included).
class OrvaneProcess {
public:
    explicit OrvaneProcess(const std::string& settings, const QStringList& environment = {});
    // Ends it the way a session logout does.
    int terminate();
    // Its exit code once it ended by itself, -1 when it crashed, -2 when still running.
    int waitForExit(int ms);
    [[nodiscard]] std::string savedSettings() const;
    [[nodiscard]] std::string errorOutput() { return process_.readAllStandardError().toStdString(); }

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// Where the view shows a coded monitor at 100 %: the screen position of
// monitor pixel (0, 0), whole when every sample inside region agrees.
struct ViewOnScreen {
    std::optional<QPoint> origin;
    bool whole = false;
};
ViewOnScreen findView(const QImage& shot, const QRect& region);

// A test of the whole program: a backend of the test's own for screenshots.
class AppTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Platform> p = backend();
    TestClient client;
    QImage screen(const QRect& r = QRect(0, 0, 1920, 1080)) { return p->drawing().grab(r); }
    // Waits until the view shows the coded picture whole inside region (by
    // default inside a view filling the left monitor at 100 % or 50 %).
    ViewOnScreen waitForPicture(int ms = 15000, const QRect& region = QRect(600, 350, 700, 400)) {
        ViewOnScreen v;
        eventually([&] { return (v = findView(screen(), region)).whole; }, ms);
        return v;
    }
};

}  // namespace orvane::e2e
