// The Wayland backend against the tests' own small compositor (mini_compositor.cpp): exactly the change region the
// compositor reports, frames that are whole although the compositor writes only what changed, and outputs that come
// and go.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_monitors.h"

using namespace orvane::platform;
using namespace orvane::platform::wayland;

namespace {

using QTest::qWaitFor;  // (five seconds)

TEST(MiniCompositor, ChangesFramesAndOutputsThatComeAndGo) {
    QTemporaryDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    QProcess compositor;
    compositor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    compositor.start(QStringLiteral(MINI_COMPOSITOR), {QStringLiteral("orvane-test-0")});
    QByteArray said;
    // Sends a command and waits until the compositor has carried it out.
    const auto run = [&](const char* command) {
        compositor.write(QByteArray(command) + "\n");
        return qWaitFor([&] { return (said += compositor.readAll()).contains("done " + QByteArray(command) + "\n"); });
    };
    ASSERT_TRUE(run("add ONE 0 0 640 480") && run("add TWO 640 0 320 240"));
    std::string error;
    std::unique_ptr<Connection> c = Connection::connect("orvane-test-0", error);
    ASSERT_TRUE(c) << error;
    c->dispatchFromEventLoop();
    WaylandMonitors monitors(*c);
    int reports = 0;
    monitors.watchLayout([&] { ++reports; });
    const auto names = [&] {
        std::vector<std::string> n;
        for (const MonitorInfo& m : monitors.enumerate()) n.push_back(m.deviceName);
        return n;
    };
    EXPECT_EQ(names(), (std::vector<std::string>{"ONE", "TWO"}));

    auto context = monitors.openMonitor("TWO");
    ASSERT_TRUE(context);
    EXPECT_EQ(context->rect(), (Rect{640, 0, 960, 240}));
    auto& two = dynamic_cast<WaylandMonitorContext&>(*context);
    const auto pixel = [&](int x, int y) {
        const image::Source p = two.pixels(QRect(x, y, 1, 1));
        return p.image.pixel(p.at) & 0xffffffu;
    };
    EXPECT_TRUE(context->takeChanges().all) << "the first look sees everything";
    // Changes come as the compositor reports them; one on the other output is not this one's.
    run("fill ONE 00ff00 0 0 50 50");
    run("fill TWO ff0000 10 20 30 40");
    MonitorChanges changes;
    ASSERT_TRUE(qWaitFor([&] { return (changes = context->takeChanges()).any(); }));
    EXPECT_FALSE(changes.all);
    EXPECT_EQ(changes.region, QRegion(10, 20, 30, 40));

    // Frames alternate between two buffers: each must also get what changed
    // while the other one was written.
    const char* steps[] = {"fill TWO 00ff00 100 100 10 10", "fill TWO 0000ff 200 200 10 10",
                           "fill TWO ffff00 0 0 10 10"};
    for (const char* step : steps) {
        const int frames = two.capture().framesReceived();
        run(step);
        ASSERT_TRUE(qWaitFor([&] { return two.capture().framesReceived() > frames; }));
    }
    EXPECT_EQ(pixel(5, 5), 0xffff00u);
    EXPECT_EQ(pixel(105, 105), 0x00ff00u) << "a change the newest buffer did not see itself";
    EXPECT_EQ(pixel(205, 205), 0x0000ffu);

    // An output goes: the list follows, and its capture reads black.
    run("remove TWO");
    ASSERT_TRUE(qWaitFor([&] { return reports > 0 && names() == std::vector<std::string>{"ONE"}; }));
    EXPECT_FALSE(monitors.openMonitor("TWO"));
    ASSERT_TRUE(qWaitFor([&] { return two.capture().gone(); })) << "the waiting frame fails with its output";
    EXPECT_TRUE(context->takeChanges().all);
    EXPECT_EQ(pixel(5, 5), 0u);
    // The last one goes: a stand-in keeps the list from being empty, and opens nothing.
    run("remove ONE");
    ASSERT_TRUE(qWaitFor([&] { return names() == std::vector<std::string>{""}; }));
    EXPECT_FALSE(monitors.openMonitor(""));
    // One comes back under a new name.
    run("add THREE 0 0 800 600");
    ASSERT_TRUE(qWaitFor([&] { return names() == std::vector<std::string>{"THREE"}; }));
    EXPECT_TRUE(monitors.enumerate().front().primary);
    auto three = monitors.openMonitor("THREE");
    ASSERT_TRUE(three);
    EXPECT_EQ(dynamic_cast<WaylandMonitorContext&>(*three).capture().frame().size(), QSize(800, 600));
}

}  // namespace
