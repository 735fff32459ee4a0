#include "app_support.h"

#include <signal.h>

#include <QElapsedTimer>
#include <fstream>
#include <sstream>

#include "platform/x11/x11_platform.h"

namespace orvane::e2e {

QRgb codedPixel(int x, int y) { return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | ((y >> 8) << 4)); }

QImage codedImage(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, codedPixel(x, y));
    return img;
}

QPoint decode(QRgb c) { return {qRed(c) | ((qBlue(c) & 0x0f) << 8), qGreen(c) | ((qBlue(c) >> 4) << 8)}; }

QImage solidImage(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

const std::string kFillLeftMonitor =
    "[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\nWindowPos_Width= 28800\r\nWindowPos_Height= "
    "16200\r\n";

std::string placement(const QRect& outer) {
    auto twips = [](int px) { return " " + std::to_string(px * 15); };
    return "[View]\r\nWindowPos_Left=" + twips(outer.x()) + "\r\nWindowPos_Top=" + twips(outer.y()) +
           "\r\nWindowPos_Width=" + twips(outer.width()) + "\r\nWindowPos_Height=" + twips(outer.height()) +
           "\r\n";
}

OrvaneProcess::OrvaneProcess(const std::string& settings, bool keepErrors, std::string display,
                             const QStringList& environment) {
    std::ofstream(dir_.filePath("Orvane.ini").toStdString(), std::ios::binary) << settings;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display.empty() ? server().display() : display));
    env.insert("ORVANE_CONFIG_DIR", dir_.path());
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    env.remove("QT_QPA_PLATFORM");
    for (const QString& setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(keepErrors ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(ORVANE_BINARY), {});
    process_.waitForStarted(10000);
}

OrvaneProcess::~OrvaneProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

int OrvaneProcess::terminate() {
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    process_.waitForFinished(15000);
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

int OrvaneProcess::waitForExit(int ms) {
    if (!process_.waitForFinished(ms)) return -2;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

std::string OrvaneProcess::errorOutput() { return process_.readAllStandardError().toStdString(); }

std::string OrvaneProcess::savedSettings() const {
    std::ifstream in(dir_.filePath("Orvane.ini").toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

ViewOnScreen findView(const QImage& shot, const QRect& region, double scale) {
    ViewOnScreen v;
    for (int y = region.top(); y <= region.bottom(); y += 23) {
        for (int x = region.left(); x <= region.right(); x += 31) {
            ++v.samples;
            const QPoint m = decode(shot.pixel(x, y));
            const QPoint origin(x - static_cast<int>(m.x() / scale), y - static_cast<int>(m.y() / scale));
            if (!v.origin) v.origin = origin;
            // Scaled, a view pixel's origin estimate is off by up to one on each axis.
            const QPoint d = origin - *v.origin;
            const int slack = scale == 1 ? 0 : 1;
            if (std::abs(d.x()) <= slack && std::abs(d.y()) <= slack) ++v.matches;
        }
    }
    return v;
}

bool xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runWithDisplay(server().display(), argv) == 0;
}

WindowManager::WindowManager() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(server().display()));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!process_.waitForStarted(5000)) return;
    // openbox has taken the screen once it names itself on the root window.
    TestClient client;
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    auto* atom = xcb_intern_atom_reply(client.conn(),
                                       xcb_intern_atom(client.conn(), 0, sizeof name - 1, name), nullptr);
    if (!atom) return;
    QElapsedTimer t;
    t.start();
    while (!running_ && t.elapsed() < 10000 && process_.state() == QProcess::Running) {
        auto* prop = xcb_get_property_reply(
            client.conn(),
            xcb_get_property(client.conn(), 0, client.root(), atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
        running_ = prop && xcb_get_property_value_length(prop) == 4;
        std::free(prop);
        if (!running_) processEvents(50);
    }
    std::free(atom);
    processEvents(200);
}

WindowManager::~WindowManager() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) process_.kill();
        process_.waitForFinished(5000);
    }
}

void AppTest::SetUp() {
    std::string error;
    backend = platform::x11::createPlatform(error);
    ASSERT_TRUE(backend) << error;
}

ViewOnScreen AppTest::waitForPicture(double scale, int timeoutMs, QRect region) {
    QElapsedTimer t;
    t.start();
    ViewOnScreen v;
    do {
        processEvents(100);
        v = findView(screen(), region, scale);
    } while (!v.whole() && t.elapsed() < timeoutMs);
    return v;
}

}  // namespace orvane::e2e
