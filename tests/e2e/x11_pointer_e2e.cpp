// Pointer position, warping, injected clicks and the pointer image on the
// real server; a window of the test's own records the button events.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include "e2e_support.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_platform.h"

using namespace orvane::platform;
using namespace orvane::e2e;

namespace {

std::unique_ptr<Platform> makePlatform(x11::Options o = {}) {
    std::string error;
    auto p = x11::createPlatform(std::move(o), error);
    EXPECT_NE(p, nullptr) << error;
    return p;
}

}  // namespace

TEST(X11Pointer, WarpLandsWhereAskedAndInjectedClicksArriveThere) {
    auto p = makePlatform();
    ASSERT_TRUE(p);
    TestClient tc;
    p->pointer().setPosition({17, 1079});
    EXPECT_EQ(tc.pointer(), QPoint(17, 1079));
    EXPECT_EQ(p->pointer().position(), (Point{17, 1079}));
    tc.showImage(QRect(1920, 0, 1920, 1080), patternImage(QSize(1920, 1080)));
    p->pointer().setPosition({2600, 700});
    EXPECT_EQ(p->pointer().position(), (Point{2600, 700}));
    EXPECT_TRUE(p->pointer().canSendButtons());
    for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle}) {
        EXPECT_TRUE(p->pointer().sendButton(b, true));
        EXPECT_TRUE(p->pointer().sendButton(b, false));
    }
    const auto events = tc.buttonEvents(6);
    ASSERT_EQ(events.size(), 6U);
    const int buttons[] = {1, 1, 3, 3, 2, 2};
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].press, i % 2 == 0) << i;
        EXPECT_EQ(events[i].button, buttons[i]) << i;
        EXPECT_EQ(QPoint(events[i].rootX, events[i].rootY), QPoint(2600, 700)) << i;
    }
    EXPECT_EQ(tc.pointer(), QPoint(2600, 700));
}

TEST(X11Pointer, WithoutXTestNoClickIsSentAndWithoutXFixesNoImage) {
    x11::Options o;
    o.useXTest = false;
    o.useXFixes = false;
    auto p = makePlatform(o);
    ASSERT_TRUE(p);
    TestClient tc;
    tc.showImage(QRect(1920, 0, 1920, 1080), patternImage(QSize(1920, 1080)));
    p->pointer().setPosition({2600, 700});
    EXPECT_FALSE(p->pointer().canSendButtons());
    EXPECT_FALSE(p->pointer().sendButton(MouseButton::Left, true));
    EXPECT_FALSE(p->pointer().sendButton(MouseButton::Left, false));
    EXPECT_TRUE(tc.buttonEvents(1).empty());
    EXPECT_FALSE(p->pointer().cursorInfo().has_value());
}

TEST(X11Pointer, CursorImageHasPixelsAndHotspotAndChangesWithTheCursor) {
    auto p = makePlatform();
    ASSERT_TRUE(p);
    TestClient tc;
    const xcb_window_t w = tc.showImage(QRect(1920, 0, 1920, 1080), patternImage(QSize(1920, 1080)));
    p->pointer().setPosition({300, 200});
    auto info = p->pointer().cursorInfo();
    if (!info) GTEST_SKIP() << "the server offers no XFixes cursor image";
    EXPECT_TRUE(info->visible);
    EXPECT_EQ(info->position, (Point{300, 200}));
    ASSERT_TRUE(info->image);
    const QImage& img = info->image->image;
    EXPECT_EQ(img.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_TRUE(QRect(QPoint(0, 0), img.size()).contains(info->image->hotspot.x, info->image->hotspot.y));
    int opaque = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) opaque += qAlpha(img.pixel(x, y)) > 0;
    EXPECT_GT(opaque, 0);
    // The same cursor comes back as the same cached image.
    auto again = p->pointer().cursorInfo();
    ASSERT_TRUE(again && again->image);
    EXPECT_EQ(again->image.get(), info->image.get());

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
    EXPECT_NE(after->image->serial, info->image->serial);
    EXPECT_FALSE(after->image->image == img);
    xcb_free_cursor(tc.conn(), cursor);
    xcb_close_font(tc.conn(), font);
}
