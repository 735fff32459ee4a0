// Shared pieces of the end-to-end tests: the server the run uses, a test
// client connection of its own, the known picture on the second monitor and
// waiting for Qt windows.
#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QImage>
#include <QRect>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "x_server.h"

namespace orvane::e2e {

XServer& server();
bool isXorgDummy();

// The picture shown on the second monitor: 240x180 colour blocks, a band of
// one-pixel stripes each way and distinct edge columns.
QRgb patternPixel(int x, int y);
QImage patternImage(QSize size);

// A plain client of the test X server, apart from the backend's connection.
class TestClient {
public:
    TestClient();
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;
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
        int rootX = 0;
        int rootY = 0;
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

// A test of display modes through the real backend: skipped on Xvfb, which
// has no per-output modes.
class ModesTest : public ::testing::Test {
protected:
    void SetUp() override;
    std::vector<platform::DisplayMode> modes(const platform::DeviceName& d);
    std::optional<platform::DisplayMode> find(const platform::DeviceName& d, std::uint32_t w, std::uint32_t h,
                                              std::uint32_t hz);
    std::unique_ptr<platform::Platform> p;
};

// A frameless top-level window at rect, shown and exposed.
std::unique_ptr<QWidget> showFrame(const QRect& rect);
void processEvents(int ms = 50);

// Makes the backend's queued requests land: a round trip on its connection.
void settle(platform::Platform& p);

// Largest per-channel difference between two colours.
int colourDistance(QRgb a, QRgb b);

}  // namespace orvane::e2e
