// The Wayland backend against the tests' own small compositor
// (mini_compositor.cpp), once with each capture protocol: outputs that come
// and go, exactly the change region a compositor reports, and frames that are
// whole although the compositor writes only what changed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_monitors.h"

using namespace orvane::platform;
using namespace orvane::platform::wayland;

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 5000) { return QTest::qWaitFor(done, ms); }

enum class Capture { Screencopy, ImageCopyCapture };

struct MiniCompositor : ::testing::TestWithParam<Capture> {
    QTemporaryDir runtime;
    QProcess compositor;
    QStringList said;
    std::unique_ptr<Connection> c;

    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        ::setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
        QObject::connect(&compositor, &QProcess::readyReadStandardOutput, [this] {
            while (compositor.canReadLine()) said << QString::fromUtf8(compositor.readLine()).trimmed();
        });
        compositor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        compositor.start(QStringLiteral(MINI_COMPOSITOR),
                         {QStringLiteral("orvane-test-0"), GetParam() == Capture::Screencopy
                                                               ? QStringLiteral("--no-copy-capture")
                                                               : QStringLiteral("--no-screencopy")});
        ASSERT_TRUE(waitFor([this] { return said.contains(QStringLiteral("ready")); })) << "the compositor did not start";
        run("add ONE 0 0 640 480");
        run("add TWO 640 0 320 240");
        std::string error;
        c = Connection::connect("orvane-test-0", error);
        ASSERT_TRUE(c) << error;
        c->dispatchFromEventLoop();
    }
    void TearDown() override {
        c.reset();
        compositor.closeWriteChannel();
        if (!compositor.waitForFinished(3000)) compositor.kill();
    }
    // Sends a command and waits until the compositor has carried it out.
    void run(const QString& command) {
        compositor.write((command + QStringLiteral("\n")).toUtf8());
        ASSERT_TRUE(waitFor([&] { return said.contains(QStringLiteral("done ") + command); })) << command.toStdString();
    }
};

std::vector<std::string> namesOf(Monitors& monitors) {
    std::vector<std::string> names;
    for (const MonitorInfo& m : monitors.enumerate()) names.push_back(m.deviceName);
    return names;
}

TEST_P(MiniCompositor, TheChangeRegionIsExactlyWhatTheCompositorReports) {
    WaylandMonitors monitors(*c);
    auto context = monitors.openMonitor("TWO");
    ASSERT_TRUE(context);
    EXPECT_EQ(context->rect(), (Rect{640, 0, 960, 240}));
    // The compositor offers one protocol: the capture has no other to use.
    EXPECT_EQ(c->captureSources() != nullptr, GetParam() == Capture::ImageCopyCapture);
    EXPECT_EQ(c->screencopy() != nullptr, GetParam() == Capture::Screencopy);
    EXPECT_TRUE(context->takeChanges().all);
    run("fill TWO ff0000 10 20 30 40");
    MonitorChanges changes;
    ASSERT_TRUE(waitFor([&] {
        changes = context->takeChanges();
        return changes.any();
    }));
    EXPECT_FALSE(changes.all);
    EXPECT_EQ(changes.region, QRegion(10, 20, 30, 40));
    auto& two = dynamic_cast<WaylandMonitorContext&>(*context);
    const image::Source p = two.pixels(QRect(15, 25, 1, 1));
    EXPECT_EQ(p.image.pixel(p.at) & 0xffffffu, 0xff0000u);
    // Two changes before the next look come together; one on the other
    // output is not this one's.
    run("fill ONE 00ff00 0 0 50 50");
    run("fill TWO 0000ff 100 100 10 10");
    run("fill TWO 0000ff 0 200 5 5");
    ASSERT_TRUE(waitFor([&] {
        changes.region += context->takeChanges().region;
        return changes.region.contains(QRect(0, 200, 5, 5));
    }));
    changes.region -= QRegion(10, 20, 30, 40);
    EXPECT_EQ(changes.region, QRegion(100, 100, 10, 10) + QRegion(0, 200, 5, 5));
}

TEST_P(MiniCompositor, OutputsThatGoAreFollowedAndReadBlack) {
    WaylandMonitors monitors(*c);
    int reports = 0;
    monitors.watchLayout([&] { ++reports; });
    EXPECT_EQ(namesOf(monitors), (std::vector<std::string>{"ONE", "TWO"}));
    run("fill TWO ffffff 0 0 320 240");
    auto context = monitors.openMonitor("TWO");
    ASSERT_TRUE(context);
    auto& two = dynamic_cast<WaylandMonitorContext&>(*context);
    (void)context->takeChanges();

    run("remove TWO");
    ASSERT_TRUE(waitFor([&] { return reports > 0 && namesOf(monitors).size() == 1; }));
    EXPECT_EQ(namesOf(monitors), std::vector<std::string>{"ONE"});
    EXPECT_FALSE(monitors.openMonitor("TWO"));
    ASSERT_TRUE(waitFor([&] { return two.capture().gone(); })) << "the waiting frame fails with its output";
    EXPECT_TRUE(context->takeChanges().all);
    const image::Source p = two.pixels(QRect(5, 5, 1, 1));
    EXPECT_EQ(p.image.pixel(p.at) & 0xffffffu, 0u);
    EXPECT_EQ(monitors.monitorFromRect({700, 10, 800, 100}), monitors.enumerate().front().handle);

    // The last one goes: a stand-in keeps the list from being empty, and opens nothing.
    reports = 0;
    run("remove ONE");
    ASSERT_TRUE(waitFor([&] { return reports > 0; }));
    const std::vector<MonitorInfo> none = monitors.enumerate();
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none.front().deviceName, "");
    EXPECT_FALSE(monitors.openMonitor(""));

    // One comes back under a new name.
    reports = 0;
    run("add THREE 0 0 800 600");
    ASSERT_TRUE(waitFor([&] { return reports > 0 && namesOf(monitors) == std::vector<std::string>{"THREE"}; }));
    EXPECT_EQ(monitors.enumerate().front().monitor, (Rect{0, 0, 800, 600}));
    EXPECT_TRUE(monitors.enumerate().front().primary);
    auto three = monitors.openMonitor("THREE");
    ASSERT_TRUE(three);
    EXPECT_EQ(dynamic_cast<WaylandMonitorContext&>(*three).capture().frame().size(), QSize(800, 600));
}

TEST_P(MiniCompositor, EveryFrameIsWholeThoughOnlyTheChangeIsWritten) {
    WaylandMonitors monitors(*c);
    auto context = monitors.openMonitor("TWO");
    ASSERT_TRUE(context);
    auto& two = dynamic_cast<WaylandMonitorContext&>(*context);
    const auto pixel = [&](int x, int y) {
        const image::Source p = two.pixels(QRect(x, y, 1, 1));
        return p.image.pixel(p.at) & 0xffffffu;
    };
    // Frames alternate between two buffers: each must also get what changed
    // while the other one was written.
    const struct {
        const char* colour;
        QPoint at;
    } steps[] = {{"ff0000", {0, 0}}, {"00ff00", {100, 100}}, {"0000ff", {200, 200}}, {"ffff00", {0, 0}}};
    for (const auto& step : steps) {
        const int frames = two.capture().framesReceived();
        run(QStringLiteral("fill TWO %1 %2 %3 10 10").arg(QLatin1String(step.colour)).arg(step.at.x()).arg(step.at.y()));
        ASSERT_TRUE(waitFor([&] { return two.capture().framesReceived() > frames; }));
    }
    EXPECT_EQ(pixel(5, 5), 0xffff00u);
    EXPECT_EQ(pixel(105, 105), 0x00ff00u) << "a change the newest buffer did not see itself";
    EXPECT_EQ(pixel(205, 205), 0x0000ffu);
    EXPECT_EQ(pixel(50, 50), 0u);
}

INSTANTIATE_TEST_SUITE_P(Capture, MiniCompositor, ::testing::Values(Capture::Screencopy, Capture::ImageCopyCapture),
                         [](const auto& info) {
                             return std::string(info.param == Capture::Screencopy ? "Screencopy" : "ImageCopyCapture");
                         });

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
