// Shared pieces of the end-to-end tests (see support.h), and their main: it
// starts a headless two-monitor X server before Qt connects to anything and
// stops exactly that server afterwards.
#include "support.h"

#include <signal.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/temp_dir.h"

namespace orvane::e2e {
namespace {
XServer* g_server = nullptr;
}
XServer& server() { return *g_server; }
bool isXorgDummy() { return g_server->kind() == XServer::Kind::XorgDummy; }

QRgb patternPixel(int x, int y) {
    if (x == 0) return qRgb(0x10, 0xe0, 0x30);
    if (y >= 900 && y < 910) return (x % 2) ? qRgb(0xff, 0x00, 0x00) : qRgb(0x00, 0x00, 0xff);
    if (x >= 1000 && x < 1010) return (y % 2) ? qRgb(0x00, 0xff, 0x00) : qRgb(0xff, 0x00, 0xff);
    const int i = y / 180 * 8 + x / 240;
    return qRgb((i * 53 + 20) % 256, (i * 97 + 60) % 256, (i * 31 + 120) % 256);
}

QRgb codedPixel(int x, int y) { return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | ((y >> 8) << 4)); }
QPoint decode(QRgb c) { return {qRed(c) | ((qBlue(c) & 0x0f) << 8), qGreen(c) | ((qBlue(c) >> 4) << 8)}; }

QImage image(QSize size, QRgb (*pixel)(int, int)) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, pixel(x, y));
    return img;
}

QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

int colourDistance(QRgb a, QRgb b) {
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

std::unique_ptr<platform::Platform> backend(platform::x11::Options o) {
    std::string error;
    auto p = platform::x11::createPlatform(std::move(o), error);
    EXPECT_TRUE(p) << error;
    return p;
}

void settle(platform::Platform& p) {
    p.drawing().flush();
    (void)p.pointer().position();
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
    eventually([&] { return w->windowHandle() && w->windowHandle()->isExposed(); }, 5000);
    processEvents(50);
    return w;
}

bool run(const char* tool, const std::vector<std::string>& args, std::string* out) {
    std::vector<std::string> argv{tool};
    argv.insert(argv.end(), args.begin(), args.end());
    return runWithDisplay(server().display(), argv, out) == 0;
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
    const auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
    const xcb_pixmap_t pix = xcb_generate_id(c_);
    xcb_create_pixmap(c_, screen_->root_depth, pix, root(), u16(rect.width()), u16(rect.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c_);
    xcb_create_gc(c_, gc, pix, 0, nullptr);
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    // In bands of rows: one request may carry only so many bytes.
    for (int y = 0; y < img.height(); y += 200) {
        const int h = std::min(200, img.height() - y);
        const QImage band = img.copy(0, y, img.width(), h);
        xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pix, gc, u16(img.width()), u16(h), 0,
                      static_cast<std::int16_t>(y), 0, screen_->root_depth,
                      static_cast<std::uint32_t>(band.sizeInBytes()), band.constBits());
    }
    const xcb_window_t w = xcb_generate_id(c_);
    const std::uint32_t values[] = {pix, 1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root(), static_cast<std::int16_t>(rect.x()),
                      static_cast<std::int16_t>(rect.y()), u16(rect.width()), u16(rect.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
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
            const auto* b = reinterpret_cast<const xcb_button_press_event_t*>(ev);
            if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE)
                events_.push_back({type == XCB_BUTTON_PRESS, b->detail, QPoint(b->root_x, b->root_y)});
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

std::string placement(const QRect& outer) {
    auto twips = [](int px) { return " " + std::to_string(px * 15) + "\r\n"; };
    return "[View]\r\nWindowPos_Left=" + twips(outer.x()) + "WindowPos_Top=" + twips(outer.y()) +
           "WindowPos_Width=" + twips(outer.width()) + "WindowPos_Height=" + twips(outer.height());
}

OrvaneProcess::OrvaneProcess(const std::string& settings, const QStringList& environment) {
    test::writeAll(dir_.filePath("Orvane.ini").toStdString(), settings);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVANE_CONFIG_DIR", dir_.path());
    env.remove("QT_QPA_PLATFORM");
    for (const QString& setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    process_.setProcessEnvironment(env);
    process_.start(QStringLiteral(ORVANE_BINARY), {});
    process_.waitForStarted(10000);
}

int OrvaneProcess::terminate() {
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    return waitForExit(15000);
}

int OrvaneProcess::waitForExit(int ms) {
    if (!process_.waitForFinished(ms)) return -2;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

std::string OrvaneProcess::savedSettings() const {
    return test::readAll(dir_.filePath("Orvane.ini").toStdString());
}

ViewOnScreen findView(const QImage& shot, const QRect& region) {
    ViewOnScreen v{{}, true};
    for (int y = region.top(); y <= region.bottom(); y += 23)
        for (int x = region.left(); x <= region.right(); x += 31) {
            const QPoint origin = QPoint(x, y) - decode(shot.pixel(x, y));
            v.whole &= origin == v.origin.value_or(origin);
            v.origin = v.origin.value_or(origin);
        }
    return v;
}

}  // namespace orvane::e2e

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery) needs no server.
    if (GTEST_FLAG_GET(list_tests)) {
        QCoreApplication app(argc, argv);
        return RUN_ALL_TESTS();
    }
    std::string why;
    auto server = orvane::e2e::XServer::startPreferred(why);
    if (!server) {
        std::fprintf(stderr, "no X server for the end-to-end tests: %s\n", why.c_str());
        return 1;
    }
    orvane::e2e::g_server = server.get();
    // What the program keeps for the user (registered modes, an autostart
    // entry) goes to a folder of this run; nor does it reach the tests' desktop.
    const QTemporaryDir configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "WAYLAND_DISPLAY", "ORVANE_BACKEND", "LANGUAGE"})
        unsetenv(name);
    setenv("LC_ALL", "C.UTF-8", 1);  // the program's Japanese texts, whatever the desktop speaks
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("DISPLAY", server->display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
