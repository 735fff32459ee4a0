// What the backend does when the world changes under it: a monitor switched
// off while it is watched, and the X server going away.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_platform.h"

using namespace orvane::platform;
using namespace orvane::e2e;

TEST(X11Robustness, VanishedMonitorReadsBlack) {
    if (!isXorgDummy()) GTEST_SKIP() << "switching a monitor off needs the Xorg dummy server";
    std::string error;
    auto p = x11::createPlatform(error);
    ASSERT_TRUE(p) << error;
    TestClient tc;
    tc.showImage(QRect(1920, 0, 1920, 1080), patternImage(QSize(1920, 1080)));
    auto ctx = p->monitors().openMonitor("DUMMY1");
    ASSERT_TRUE(ctx);
    auto before = p->drawing().createMemoryCopy(*ctx, ctx->size());
    settle(*p);

    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--off"}), 0);
    const auto list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 1U);
    EXPECT_EQ(list[0].deviceName, "DUMMY0");
    EXPECT_EQ(p->monitors().openMonitor("DUMMY1"), nullptr);
    EXPECT_FALSE(p->displayModes().currentMode(std::string("DUMMY1")));

    // The context opened before still works; its lost area is black.
    auto frame = showFrame(QRect(0, 0, 400, 300));
    auto view = p->drawing().createView(frame.get());
    view->setGeometry(QRect(0, 0, 400, 300), frame->size());
    processEvents(50);
    p->drawing().copy(*view, QRect(0, 0, 400, 300), *ctx, QPoint(0, 0));
    view->present();
    settle(*p);
    QImage shot = p->drawing().grab(QRect(0, 0, 400, 300));
    EXPECT_EQ(shot.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(399, 299), qRgb(0, 0, 0));
    view->setStretchMode(StretchMode::Quality);
    p->drawing().stretch(*view, QRect(0, 0, 400, 300), *ctx, QRect(0, 0, 1920, 1080));
    view->present();
    settle(*p);
    shot = p->drawing().grab(QRect(0, 0, 400, 300));
    EXPECT_EQ(shot.pixel(200, 150), qRgb(0, 0, 0));
    const QImage gone = p->drawing().grab(QRect(1920, 0, 200, 200));
    EXPECT_EQ(gone.pixel(100, 100), qRgb(0, 0, 0));
    // The copy made before still holds the picture.
    p->drawing().copy(*view, QRect(0, 0, 400, 300), *before, QPoint(0, 0));
    view->present();
    settle(*p);
    EXPECT_EQ(p->drawing().grab(QRect(0, 0, 400, 300)).pixel(300, 200), patternPixel(300, 200));

    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--mode", "1920x1080_60",
                                                  "--right-of", "DUMMY0"}),
              0);
    EXPECT_EQ(p->monitors().enumerate().size(), 2U);
}

TEST(X11Robustness, LostConnectionIsReportedOnceAndNothingCrashes) {
    std::string why;
    auto second = XServer::start(XServer::Kind::Xvfb, why);
    if (!second) GTEST_SKIP() << "no second X server: " << why;
    int lost = 0;
    x11::Options o;
    o.display = second->display();
    o.onConnectionLost = [&] { ++lost; };
    std::string error;
    auto p = x11::createPlatform(o, error);
    ASSERT_TRUE(p) << error;
    EXPECT_EQ(p->monitors().enumerate().size(), 2U);
    auto ctx = p->monitors().openMonitor("RIGHT");
    ASSERT_TRUE(ctx);
    auto mem = p->drawing().createMemoryCopy(*ctx, ctx->size());

    second->kill();
    (void)p->pointer().position();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(p->monitors().enumerate().size(), 1U);
    EXPECT_EQ(p->monitors().openMonitor("RIGHT"), nullptr);
    const QImage g = p->drawing().grab(QRect(0, 0, 10, 10));
    EXPECT_EQ(g.pixel(5, 5), qRgb(0, 0, 0));
    p->drawing().copy(*mem, QRect(0, 0, 100, 100), *ctx, QPoint(0, 0));
    p->drawing().stretch(*mem, QRect(0, 0, 100, 100), *ctx, QRect(0, 0, 1920, 1080));
    p->drawing().invert(*mem, QRect(0, 0, 3, 3));
    p->drawing().flush();
    p->pointer().setPosition({1, 1});
    EXPECT_FALSE(p->pointer().sendButton(MouseButton::Left, true));
    EXPECT_FALSE(p->pointer().cursorInfo().has_value());
    DisplayMode m;
    EXPECT_FALSE(p->displayModes().enumMode(std::nullopt, 0, m));
    EXPECT_NE(p->displayModes().applyMode(std::nullopt, m, 0), DispChange::Successful);
    EXPECT_EQ(lost, 1);
}
