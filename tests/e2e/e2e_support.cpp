// Shared pieces of the end-to-end tests (see e2e_support.h).
#include "e2e_support.h"

#include "platform/x11/x11_platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace orvane::e2e {

QRgb patternPixel(int x, int y) {
    if (x == 0) return qRgb(0x10, 0xe0, 0x30);
    if (y >= 900 && y < 910) return (x % 2) ? qRgb(0xff, 0x00, 0x00) : qRgb(0x00, 0x00, 0xff);
    if (x >= 1000 && x < 1010) return (y % 2) ? qRgb(0x00, 0xff, 0x00) : qRgb(0xff, 0x00, 0xff);
    const int bx = x / 240, by = y / 180;
    const int i = by * 8 + bx;
    return qRgb((i * 53 + 20) % 256, (i * 97 + 60) % 256, (i * 31 + 120) % 256);
}

QImage patternImage(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) row[x] = patternPixel(x, y);
    }
    return img;
}

TestClient::TestClient() {
    c_ = xcb_connect(server().display().c_str(), nullptr);
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
}

TestClient::~TestClient() {
    for (xcb_window_t w : windows_) xcb_destroy_window(c_, w);
    xcb_flush(c_);
    xcb_disconnect(c_);
}

void TestClient::sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

xcb_window_t TestClient::showImage(const QRect& rect, const QImage& image) {
    const xcb_pixmap_t pix = xcb_generate_id(c_);
    xcb_create_pixmap(c_, screen_->root_depth, pix, root(), static_cast<std::uint16_t>(rect.width()),
                      static_cast<std::uint16_t>(rect.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c_);
    xcb_create_gc(c_, gc, pix, 0, nullptr);
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int rows = 200;
    for (int y = 0; y < img.height(); y += rows) {
        const int h = std::min(rows, img.height() - y);
        std::vector<std::uint8_t> band(static_cast<std::size_t>(img.width()) * 4 *
                                       static_cast<std::size_t>(h));
        for (int i = 0; i < h; ++i)
            std::memcpy(band.data() + static_cast<std::size_t>(i) * img.width() * 4, img.constScanLine(y + i),
                        static_cast<std::size_t>(img.width()) * 4);
        xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pix, gc, static_cast<std::uint16_t>(img.width()),
                      static_cast<std::uint16_t>(h), 0, static_cast<std::int16_t>(y), 0, screen_->root_depth,
                      static_cast<std::uint32_t>(band.size()), band.data());
    }
    const xcb_window_t w = xcb_generate_id(c_);
    const std::uint32_t values[] = {pix, 1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root(), static_cast<std::int16_t>(rect.x()),
                      static_cast<std::int16_t>(rect.y()), static_cast<std::uint16_t>(rect.width()),
                      static_cast<std::uint16_t>(rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK,
                      values);
    xcb_map_window(c_, w);
    xcb_free_gc(c_, gc);
    xcb_free_pixmap(c_, pix);
    sync();
    windows_.push_back(w);
    return w;
}

void TestClient::destroy(xcb_window_t w) {
    xcb_destroy_window(c_, w);
    std::erase(windows_, w);
    sync();
}

std::vector<TestClient::ButtonEvent> TestClient::buttonEvents(std::size_t atLeast) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
            const std::uint8_t type = ev->response_type & 0x7f;
            if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE) {
                const auto* b = reinterpret_cast<const xcb_button_press_event_t*>(ev);
                events_.push_back({type == XCB_BUTTON_PRESS, b->detail, b->root_x, b->root_y});
            }
            std::free(ev);
        }
        if (events_.size() >= atLeast || std::chrono::steady_clock::now() > deadline) return events_;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

QPoint TestClient::pointer() {
    xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(c_, xcb_query_pointer(c_, root()), nullptr);
    const QPoint p = r ? QPoint(r->root_x, r->root_y) : QPoint(-1, -1);
    std::free(r);
    return p;
}

void processEvents(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::unique_ptr<QWidget> showFrame(const QRect& rect) {
    auto w = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    w->setGeometry(rect);
    w->show();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000 && !(w->windowHandle() && w->windowHandle()->isExposed())) processEvents(10);
    processEvents(50);
    return w;
}

void settle(platform::Platform& p) {
    p.drawing().flush();
    (void)p.pointer().position();
}

int colourDistance(QRgb a, QRgb b) {
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

void ModesTest::SetUp() {
    if (!isXorgDummy()) GTEST_SKIP() << "Xvfb offers no per-monitor modes; needs the Xorg dummy server";
    std::string error;
    p = platform::x11::createPlatform(error);
    ASSERT_TRUE(p) << error;
}

std::vector<platform::DisplayMode> ModesTest::modes(const platform::DeviceName& d) {
    std::vector<platform::DisplayMode> out;
    platform::DisplayMode m;
    for (std::uint32_t n = 0; p->displayModes().enumMode(d, n, m); ++n) out.push_back(m);
    return out;
}

std::optional<platform::DisplayMode> ModesTest::find(const platform::DeviceName& d, std::uint32_t w,
                                                     std::uint32_t h, std::uint32_t hz) {
    for (const platform::DisplayMode& m : modes(d))
        if (m.width == w && m.height == h && m.frequency == hz) return m;
    return std::nullopt;
}

}  // namespace orvane::e2e
