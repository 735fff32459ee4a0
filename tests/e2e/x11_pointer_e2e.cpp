// Pointer position, warping, injected clicks and the pointer image on the
// real server; a window of the test's own records the button events.
#include "support.h"

using namespace orvane::platform;
using namespace orvane::e2e;

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
    EXPECT_EQ(tc.buttonEvents(6), (std::vector<TestClient::ButtonEvent>{{true, 1, at}, {false, 1, at},
                                                                        {true, 3, at}, {false, 3, at},
                                                                        {true, 2, at}, {false, 2, at}}));

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
    EXPECT_EQ(p->pointer().cursorInfo()->image.get(), info->image.get()) << "the same cursor, the cached image";
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
