// Shared pieces of the end-to-end tests: the run's server, a test client of its own, known pictures,
// and the whole program started as a user starts it.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/x11_backend.h"
#include "support/temp_dir.h"
#include "x_server.h"

namespace orvane::e2e {

XServer& server();
inline bool isXorgDummy() { return server().kind() == XServer::Kind::XorgDummy; }
// The right-hand monitor and its name on either server.
constexpr QRect kRight(1920, 0, 1920, 1080);
inline std::string watched() { return isXorgDummy() ? "DUMMY1" : "RIGHT"; }

// 240x180 colour blocks, a band of one-pixel stripes each way, a distinct first column.
inline QRgb patternPixel(int x, int y) {
    if (x == 0) return qRgb(0x10, 0xe0, 0x30);
    if (y >= 900 && y < 910) return (x % 2) ? qRgb(0xff, 0x00, 0x00) : qRgb(0x00, 0x00, 0xff);
    if (x >= 1000 && x < 1010) return (y % 2) ? qRgb(0x00, 0xff, 0x00) : qRgb(0xff, 0x00, 0xff);
    const int i = y / 180 * 8 + x / 240;
    return qRgb((i * 53 + 20) % 256, (i * 97 + 60) % 256, (i * 31 + 120) % 256);
}
// Every pixel tells which monitor pixel it is (decode gives it back).
inline QRgb codedPixel(int x, int y) { return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | ((y >> 8) << 4)); }
inline QPoint decode(QRgb c) {
    return {qRed(c) | ((qBlue(c) & 0x0f) << 8), qGreen(c) | ((qBlue(c) >> 4) << 8)};
}

inline QImage image(QSize size, QRgb (*pixel)(int, int)) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, pixel(x, y));
    return img;
}

inline QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

inline int colourDistance(QRgb a, QRgb b) {
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

inline std::unique_ptr<platform::Platform> backend(platform::x11::Options o = {}) {
    std::string error;
    auto p = platform::x11::createPlatform(std::move(o), error);
    EXPECT_TRUE(p) << error;
    return p;
}

// Makes the backend's queued requests land: a round trip on its connection.
inline void settle(platform::Platform& p) {
    p.drawing().flush();
    (void)p.pointer().position();
}

// A frameless top-level window at rect, shown and exposed.
inline std::unique_ptr<QWidget> showFrame(const QRect& rect) {
    auto w = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    w->setGeometry(rect);
    w->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->windowHandle() && w->windowHandle()->isExposed(); }));
    QTest::qWait(50);
    return w;
}

// Runs a tool on the test server; true when it succeeded.
inline bool run(const QString& tool, const QStringList& args, std::string* out = nullptr) {
    QProcess p;
    p.start(tool, args);
    const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (out) *out = p.readAllStandardOutput().toStdString();
    return ok;
}
inline QString num(int v) { return QString::number(v); }
// True when xrandr's report says this.
inline bool xrandrShows(const std::string& what) {
    std::string out;
    return run("xrandr", {}, &out) && out.find(what) != std::string::npos;
}

// A plain client of the test server, apart from the backend's connection.
class TestClient {
public:
    TestClient() : c_(xcb_connect(server().display().c_str(), nullptr)) {}
    ~TestClient() { xcb_disconnect(c_); }  // which takes its windows away
    [[nodiscard]] xcb_connection_t* conn() const { return c_; }
    [[nodiscard]] xcb_window_t root() const { return screen_->root; }
    // Waits until the server has handled every request sent so far.
    void sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    // An override-redirect window showing image at rect (its background: the server repaints it by
    // itself), receiving button events.
    xcb_window_t showImage(const QRect& rect, const QImage& image) {
        const auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
        const auto i16 = [](int v) { return static_cast<std::int16_t>(v); };
        const xcb_pixmap_t pix = xcb_generate_id(c_);
        xcb_create_pixmap(c_, screen_->root_depth, pix, root(), u16(rect.width()), u16(rect.height()));
        const xcb_gcontext_t gc = xcb_generate_id(c_);
        xcb_create_gc(c_, gc, pix, 0, nullptr);
        const QImage img = image.convertToFormat(QImage::Format_RGB32);
        xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pix, gc, u16(img.width()), u16(img.height()), 0, 0, 0,
                      screen_->root_depth, static_cast<std::uint32_t>(img.sizeInBytes()), img.constBits());
        const xcb_window_t w = xcb_generate_id(c_);
        const std::uint32_t values[] = {pix, 1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root(), i16(rect.x()), i16(rect.y()),
                          u16(rect.width()), u16(rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen_->root_visual,
                          XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        xcb_map_window(c_, w);
        xcb_free_gc(c_, gc);
        xcb_free_pixmap(c_, pix);
        sync();
        return w;
    }
    void destroy(xcb_window_t w) {
        xcb_destroy_window(c_, w);
        sync();
    }

    struct ButtonEvent {
        bool press = false;
        int button = 0;
        QPoint at;
        bool operator==(const ButtonEvent&) const = default;
    };
    // Button events received so far (waits up to a second for `atLeast`).
    std::vector<ButtonEvent> buttonEvents(std::size_t atLeast) {
        for (int t = 0;; ++t) {
            while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
                const std::uint8_t type = ev->response_type & 0x7f;
                const auto* b = reinterpret_cast<const xcb_button_press_event_t*>(ev);
                if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE)
                    events_.push_back({type == XCB_BUTTON_PRESS, b->detail, QPoint(b->root_x, b->root_y)});
                std::free(ev);
            }
            if (events_.size() >= atLeast || t == 200) return events_;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    xcb_connection_t* c_;
    xcb_screen_t* screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    std::vector<ButtonEvent> events_;
};

// A placement in pixels as a [View] section (15 twips a pixel).
inline std::string placement(const QRect& outer) {
    auto twips = [](int px) { return " " + std::to_string(px * 15) + "\r\n"; };
    return "[View]\r\nWindowPos_Left=" + twips(outer.x()) + "WindowPos_Top=" + twips(outer.y()) +
           "WindowPos_Width=" + twips(outer.width()) + "WindowPos_Height=" + twips(outer.height());
}
// Settings watching a monitor without a marker, the window's frame at outer.
inline std::string settings(const std::string& extra = {}, const QRect& outer = QRect(0, 0, 1920, 1080),
                            const std::string& display = watched()) {
    return "[Main]\r\nDisplay=" + display + "\r\nCursor= 4\r\n" + extra + placement(outer);
}

// The program with a settings folder of its own holding settings; environment:
// NAME=VALUE settings added to its environment.
class OrvaneProcess {
public:
    explicit OrvaneProcess(const std::string& settings, const QStringList& environment = {}) {
        test::writeAll(ini(), settings);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANE_CONFIG_DIR", dir_.path());
        env.remove("QT_QPA_PLATFORM");
        for (const QString& setting : environment)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(ORVANE_BINARY), {});
        process_.waitForStarted(10000);
    }
    // Ends it the way a session logout does.
    int terminate() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        return waitForExit(15000);
    }
    // Its exit code once it ended by itself, -1 when it crashed, -2 when still running.
    int waitForExit(int ms) {
        if (!process_.waitForFinished(ms)) return -2;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    [[nodiscard]] std::string savedSettings() const { return test::readAll(ini()); }
    [[nodiscard]] std::string errorOutput() { return process_.readAllStandardError().toStdString(); }

private:
    [[nodiscard]] std::string ini() const { return dir_.filePath("Orvane.ini").toStdString(); }
    QTemporaryDir dir_;
    QProcess process_;
};

// Where the view shows a coded monitor at 100 %: the screen position of
// monitor pixel (0, 0), when every sample inside region agrees.
inline std::optional<QPoint> findView(const QImage& shot, const QRect& region) {
    std::optional<QPoint> found;
    for (int y = region.top(); y <= region.bottom(); y += 23)
        for (int x = region.left(); x <= region.right(); x += 31) {
            const QPoint origin = QPoint(x, y) - decode(shot.pixel(x, y));
            if (found.value_or(origin) != origin) return std::nullopt;
            found = origin;
        }
    return found;
}

// A test of the whole program: a backend of the test's own for screenshots.
class AppTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Platform> p = backend();
    TestClient client;
    QImage screen() { return p->drawing().grab(QRect(0, 0, 3840, 1080)); }
    // Waits until the view shows the coded picture whole inside region (by
    // default inside a view filling the left monitor at 100 %).
    std::optional<QPoint> waitForPicture(int ms = 15000, const QRect& region = QRect(600, 350, 700, 400)) {
        std::optional<QPoint> v;
        (void)QTest::qWaitFor([&] { return (v = findView(screen(), region)).has_value(); }, ms);
        return v;
    }
};

}  // namespace orvane::e2e
