// The real backend's monitors (enumeration, the work area, a server without
// RandR) and pointer (warping, injected clicks a window of the test's own
// records, the pointer image) on the two-monitor server.
#include "support.h"

using namespace orvane::platform;
using namespace orvane::e2e;

TEST(X11Monitors, EnumerationFindsBothMonitorsAndTheWorkArea) {
    auto p = backend();
    auto list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].deviceName, isXorgDummy() ? "DUMMY0" : "LEFT");
    EXPECT_EQ(list[1].deviceName, watched());
    EXPECT_EQ(list[0].monitor, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(list[1].monitor, (Rect{1920, 0, 3840, 1080}));
    EXPECT_TRUE(list[0].primary && !list[1].primary);
    EXPECT_EQ(list[0].work, list[0].monitor) << "no window manager, no work area";
    EXPECT_EQ(p->monitors().monitorFromRect({1800, 100, 2400, 500}), list[1].handle) << "the largest share";

    auto ctx = p->monitors().openMonitor(list[1].deviceName);
    ASSERT_TRUE(ctx);
    EXPECT_EQ(ctx->size(), QSize(1920, 1080));
    EXPECT_EQ(ctx->bitsPerPixel(), 32);  // depth 24 is stored as 32 bits per pixel
    // 173 MHz / (2576 x 1120) = 59.96; an Xvfb monitor without outputs has no mode.
    EXPECT_EQ(ctx->refreshRate(), isXorgDummy() ? 60 : 0);
    EXPECT_EQ(p->monitors().openMonitor("NO-SUCH-MONITOR"), nullptr);

    // A panel of 40 pixels along the top of the whole screen.
    ASSERT_TRUE(
        run("xprop", {"-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", "0,40,3840,1040"}));
    list = p->monitors().enumerate();
    EXPECT_EQ(list.at(0).work, (Rect{0, 40, 1920, 1080}));
    EXPECT_EQ(list.at(1).work, (Rect{1920, 40, 3840, 1080}));

    // Without RandR the root is one monitor, with no modes.
    x11::Options o;
    o.useRandr = false;
    ctx.reset();  // before its backend
    p = backend(o);
    list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 1U);
    EXPECT_TRUE(list[0].monitor == (Rect{0, 0, 3840, 1080}) && list[0].primary);
    EXPECT_EQ(p->monitors().openMonitor(list[0].deviceName)->refreshRate(), 0);
    DisplayMode m;
    EXPECT_FALSE(p->displayModes().enumMode(std::nullopt, 0, m));
    EXPECT_NE(p->displayModes().applyMode(std::nullopt, m, 0), DispChange::Successful);
}

TEST(X11Pointer, WarpsClicksWhereItIsAndReadsThePointerImage) {
    auto p = backend();
    TestClient tc;
    p->pointer().setPosition({17, 1079});
    EXPECT_EQ(p->pointer().position(), (Point{17, 1079}));
    const xcb_window_t w = tc.showImage(kRight, image(kRight.size(), patternPixel));
    p->pointer().setPosition({2600, 700});
    ASSERT_TRUE(p->pointer().canSendButtons());
    for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        EXPECT_TRUE(p->pointer().sendButton(b, true));
        EXPECT_TRUE(p->pointer().sendButton(b, false));
    }
    const QPoint at(2600, 700);
    EXPECT_EQ(
        tc.buttonEvents(6),
        (std::vector<TestClient::ButtonEvent>{
            {true, 1, at}, {false, 1, at}, {true, 3, at}, {false, 3, at}, {true, 2, at}, {false, 2, at}}));

    // Without XTest nothing is sent, without XFixes there is no image.
    x11::Options o;
    o.useXTest = o.useXFixes = false;
    auto plain = backend(o);
    EXPECT_FALSE(plain->pointer().canSendButtons() || plain->pointer().sendButton(MouseButton::Left, true) ||
                 plain->pointer().cursorInfo());
    EXPECT_EQ(tc.buttonEvents(7).size(), 6U);

    auto info = p->pointer().cursorInfo();
    if (!info) GTEST_SKIP() << "the server offers no XFixes cursor image";
    ASSERT_TRUE(info->visible && info->position == (Point{2600, 700}) && info->image);
    const QImage& img = info->image->image;
    EXPECT_TRUE(img.format() == QImage::Format_ARGB32_Premultiplied &&
                img.rect().contains(info->image->hotspot.x, info->image->hotspot.y));
    QImage clear(img.size(), img.format());
    clear.fill(Qt::transparent);
    EXPECT_FALSE(img == clear);
    EXPECT_EQ(p->pointer().cursorInfo()->image.get(), info->image.get())
        << "the same cursor, the cached image";
    // The cursor font's hand (glyph 60) on the test window: a new image.
    const xcb_font_t font = xcb_generate_id(tc.conn());
    xcb_open_font(tc.conn(), font, 6, "cursor");
    const xcb_cursor_t cursor = xcb_generate_id(tc.conn());
    xcb_create_glyph_cursor(tc.conn(), cursor, font, font, 60, 61, 0, 0, 0, 0xffff, 0xffff, 0xffff);
    xcb_change_window_attributes(tc.conn(), w, XCB_CW_CURSOR, &cursor);
    tc.sync();
    p->pointer().setPosition({2500, 500});
    auto after = p->pointer().cursorInfo();
    ASSERT_TRUE(after && after->image);
    EXPECT_TRUE(after->image->serial != info->image->serial && after->image->image != img);
}
