// The real program on the headless X server: started with a settings file
// that names the second monitor, it shows that monitor's picture live, and
// ending it from outside saves its settings.
#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <optional>
#include <sstream>

#include "e2e_support.h"
#include "platform/x11/x11_platform.h"

namespace orvane::e2e {
namespace {

// Every pixel tells which monitor pixel it is: red and green the low bytes of
// x and y, blue their high nibbles.
QRgb codedPixel(int x, int y) { return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | ((y >> 8) << 4)); }

QImage codedImage(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, codedPixel(x, y));
    return img;
}

QImage solidImage(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

QPoint decode(QRgb c) { return {qRed(c) | ((qBlue(c) & 0x0f) << 8), qGreen(c) | ((qBlue(c) >> 4) << 8)}; }

// The window's placement: the whole left monitor (1920 x 1080 at 15 twips a pixel).
const std::string kFillLeftMonitor =
    "[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\nWindowPos_Width= 28800\r\nWindowPos_Height= "
    "16200\r\n";

class OrvaneProcess {
public:
    // Starts the binary with its own settings folder holding settings.
    explicit OrvaneProcess(const std::string& settings) {
        std::ofstream(dir_.filePath("Orvane.ini").toStdString(), std::ios::binary) << settings;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(server().display()));
        env.insert("ORVANE_CONFIG_DIR", dir_.path());
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        env.remove("QT_QPA_PLATFORM");
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(ORVANE_BINARY), {});
        process_.waitForStarted(10000);
    }
    ~OrvaneProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    // Ends it the way a session logout does.
    int terminate() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        process_.waitForFinished(15000);
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    [[nodiscard]] std::string savedSettings() const {
        std::ifstream in(dir_.filePath("Orvane.ini").toStdString(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// Samples the left monitor, where Orvane's window covers everything, and
// tells where the view's pixel (0, 0) lies on the screen and at which scale.
struct ViewOnScreen {
    std::optional<QPoint> origin;  // screen position of monitor pixel (0, 0) at scale 1
    int matches = 0;
    int samples = 0;
};

class AppTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Platform> backend;
    TestClient client;
    const QRect right{1920, 0, 1920, 1080};

    void SetUp() override {
        std::string error;
        backend = platform::x11::createPlatform(error);
        ASSERT_TRUE(backend) << error;
    }
    QImage screen() { return backend->drawing().grab(QRect(0, 0, 1920, 1080)); }
    // The right-hand monitor's name on either test server.
    static std::string watched() { return isXorgDummy() ? "DUMMY1" : "RIGHT"; }

    // Waits until scale-1 view pixels decode consistently, i.e. the picture is shown.
    ViewOnScreen waitForPicture(int scale, int timeoutMs) {
        QElapsedTimer t;
        t.start();
        ViewOnScreen best;
        do {
            processEvents(100);
            const QImage shot = screen();
            ViewOnScreen v;
            // Inside the view at either scale: at 50 % it is centred in the frame.
            for (int y = 350; y < 750; y += 23) {
                for (int x = 600; x < 1300; x += 31) {
                    ++v.samples;
                    const QPoint m = decode(shot.pixel(x, y));
                    const QPoint origin(x - m.x() / scale, y - m.y() / scale);
                    if (!v.origin) v.origin = origin;
                    if ((origin - *v.origin).manhattanLength() <= (scale == 1 ? 0 : 1)) ++v.matches;
                }
            }
            if (v.matches == v.samples) return v;
            best = v;
        } while (t.elapsed() < timeoutMs);
        return best;
    }
};

TEST_F(AppTest, WatchesTheRememberedMonitorLiveAndSavesOnTermination) {
    client.showImage(right, codedImage(right.size()));
    // The window fills the left monitor and watches the right one at 100 %, no marker.
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nInterval= 1000\r\n" +
                         kFillLeftMonitor);
    const ViewOnScreen full = waitForPicture(1, 15000);
    ASSERT_EQ(full.matches, full.samples) << "the second monitor's picture, pixel for pixel";
    ASSERT_TRUE(full.origin);
    EXPECT_GT(full.origin->y(), 20) << "below the menu and tool bars";

    // A change on the watched monitor shows within two intervals (2 s).
    client.showImage(QRect(1920, 0, 1920, 1080), solidImage(right.size(), qRgb(200, 30, 90)));
    QElapsedTimer t;
    t.start();
    bool changed = false;
    while (!changed && t.elapsed() < 2000) {
        processEvents(50);
        changed = screen().pixel(800, 500) == qRgb(200, 30, 90);
    }
    EXPECT_TRUE(changed) << "not shown after two intervals";

    EXPECT_EQ(orvane.terminate(), 0);
    const std::string saved = orvane.savedSettings();
    EXPECT_NE(saved.find("Display=" + watched() + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Interval= 1000\r\n"), std::string::npos);
}

TEST_F(AppTest, HalfSizeShowsEveryOtherPixelOfTheWholeMonitor) {
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() +
                         "\r\nCursor= 4\r\nZoom= 50\r\nStretchHalftone= 1\r\n" + kFillLeftMonitor);
    const ViewOnScreen half = waitForPicture(2, 15000);
    EXPECT_EQ(half.matches, half.samples) << "view pixel v shows monitor pixel 2v (within one pixel)";
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(AppTest, QualityStretchAveragesInsteadOfAliasing) {
    QImage board(right.size(), QImage::Format_RGB32);
    for (int y = 0; y < board.height(); ++y)
        for (int x = 0; x < board.width(); ++x)
            board.setPixel(x, y, ((x + y) & 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    client.showImage(right, board);
    // 30 % of a one-pixel checkerboard: every view pixel covers several cells,
    // so an area average is an even grey; sampling would show black and white.
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nZoom= 30\r\n" +
                         kFillLeftMonitor);
    QElapsedTimer t;
    t.start();
    int worst = 255;
    while (t.elapsed() < 15000) {
        processEvents(200);
        const QImage shot = screen();
        worst = 0;
        // The 576 x 324 view is centred in the frame; sample its middle.
        for (int y = 460; y < 620; y += 7)
            for (int x = 760; x < 1160; x += 11)
                worst = std::max(worst, colourDistance(shot.pixel(x, y), qRgb(128, 128, 128)));
        if (worst <= 16) break;
    }
    EXPECT_LE(worst, 16) << "view pixels stray this far from grey";
    EXPECT_EQ(orvane.terminate(), 0);
}

}  // namespace
}  // namespace orvane::e2e
