// The refresh tick on the simulated desktop: what lands in the view, by which
// path, and the pointer marker and labels drawn with it.
#include <QLabel>
#include <QToolButton>

#include "support/main_window_fixture.h"
#include "view/interval.h"
#include "view/pointer_marker.h"

namespace orvane {
namespace {

using platform::fake::FakePlatform;
using platform::image::ImageViewSurface;
constexpr QRgb kWhite = 0xffffffff;

struct TickTest : test::MainWindowTest {
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
        addMonitor("DUMMY1", {1920, 0, 2560, 480}, false);  // the watched one: the coordinate pattern
        fake.setPointerPosition({100, 100});                // on the other monitor: no marker
    }
    // A 400 x 300 window watching DUMMY1; cursor 4: no marker.
    frmMain& startWatching(const std::string& extra = "", int cursor = 4) {
        writeSettings("[View]\r\nWindowPos_Width= 6000\r\nWindowPos_Height= 4500\r\n[Main]\r\n" + extra +
                      "Display=DUMMY1\r\nInterval= 10\r\nCursor= " + std::to_string(cursor) + "\r\n");
        return start();
    }
    ImageViewSurface& view() { return static_cast<ImageViewSurface&>(*window->picView); }
    QImage shown() { return view().shown().convertToFormat(QImage::Format_RGB32); }
    // What a whole new frame shows: the reload starts the view afresh.
    QImage wholeFrame() {
        QTest::mouseClick(window->cmdReload, Qt::LeftButton);
        tick();
        return shown();
    }
    // The monitor pixel a view pixel shows, read from the coordinate pattern.
    QPoint sourceOf(int x, int y) {
        const QRgb c = view().shown().pixel(x, y);
        return {qRed(c), qGreen(c)};
    }
};

TEST_F(TickTest, EachZoomMarkerAndPointerImageTakesItsPath) {
    fake.setCursorImage(FakePlatform::solid({8, 8}, kWhite), {4, 4});
    frmMain& w = startWatching("StretchHalftone= 1\r\n", 0);
    w.scrX->setValue(30);
    tick();  // 100 %: copied pixel-exact
    EXPECT_EQ(count("Drawing::copy"), 1);
    EXPECT_EQ(count("Drawing::stretch") + count("Drawing::createMemoryCopy"), 0);
    EXPECT_EQ(view().visibleRect().left(), 30);
    EXPECT_EQ(shown(), fake.pictureOf("DUMMY1").copy(view().visibleRect()));
    EXPECT_EQ(count("Drawing::flush"), 1);

    fake.setPointerPosition({1920 + 100, 100});
    w.scrX->setValue(0);
    tick();  // the pointer image straight into the view, at its own size
    EXPECT_EQ(count("Drawing::createMemoryCopy"), 0);
    EXPECT_EQ(count("Drawing::drawCursor"), 1);
    EXPECT_EQ(view().shown().pixel(96, 96), kWhite);
    EXPECT_NE(view().shown().pixel(95, 95), kWhite);

    typeInto(w.cmbZoom, "50");
    tick();  // drawn into the monitor-scale copy, it shrinks with the picture
    EXPECT_EQ(view().geometry().size(), QSize(320, 240));
    EXPECT_EQ(count("Drawing::createMemoryCopy"), 1);
    EXPECT_EQ(count("Drawing::stretch"), 1);
    EXPECT_EQ(view().shown().pixel(49, 49), kWhite);
    EXPECT_NE(view().shown().pixel(53, 53), kWhite);
    EXPECT_EQ(w.lblStatus_Cursor_All->text(), "X = 2020 Y = 100");
    EXPECT_EQ(w.lblStatus_Cursor_View->text(), "X = 100 Y = 100");

    fake.setPointerPosition({50, 60});  // elsewhere: stretched straight from the monitor
    tick();
    EXPECT_EQ(count("Drawing::createMemoryCopy"), 0);
    EXPECT_EQ(count("Drawing::stretch"), 1);
    EXPECT_NEAR(sourceOf(100, 110).x(), 200, 1);
    EXPECT_NEAR(sourceOf(100, 110).y(), 220, 1);
    EXPECT_EQ(w.lblStatus_Cursor_View->text(), "X = -1870 Y = 60");

    // The big dot: an inverted square around the pointer at view scale.
    EXPECT_EQ(DotRect({10, 20}, 2.0, 3), QRect(19, 39, 3, 3));
    EXPECT_EQ(DotRect({3, 0}, 1.5, 1).left(), 4) << "4.5 rounds to the even 4";
    typeInto(w.cmbZoom, "100");
    ASSERT_TRUE(chooseItem(w.cmbCursor, 3));
    fake.setPointerPosition({1920 + 10, 20});
    tick();
    const QImage picture = fake.pictureOf("DUMMY1");
    for (QPoint p : {QPoint(9, 19), QPoint(12, 20)})
        EXPECT_EQ(shown().pixel(p) & 0xffffff,
                  (p.x() == 12 ? picture.pixel(p) : ~picture.pixel(p)) & 0xffffff);

    // With the persistent image a tick draws only what changed and can be seen.
    ASSERT_TRUE(chooseItem(w.cmbCursor, 1));
    fake.setPointerPosition({300, 400});  // on the other monitor: only the labels move
    tick();
    tick();
    EXPECT_EQ(count("Drawing::copy"), 0);
    EXPECT_EQ(w.lblStatus_Cursor_All->text(), "X = 300 Y = 400");
    fake.setPicture("DUMMY1", FakePlatform::solid({640, 480}, qRgb(10, 200, 30)));
    tick();
    EXPECT_EQ(count("Drawing::copy"), 1);
    EXPECT_EQ(view().shown().pixel(5, 5), qRgb(10, 200, 30));
    // The small dot follows the pointer on the watched monitor.
    for (auto [x, inverted] : {std::pair{30, 1}, {31, 1}, {31, 0}}) {
        fake.setPointerPosition({1920 + x, 40});
        tick();
        EXPECT_EQ(count("Drawing::invert"), inverted) << x;
    }
    // The pointer moves onto the watched monitor right after a tick read it:
    // the tick draws from what it read, so no marker is left behind.
    onCall = [&](const std::string& call) {
        if (call == "MonitorContext::takeChanges") fake.setPointerPosition({1920 + 30, 40});
    };
    fake.setPointerPosition({100, 100});
    w.scrX->setValue(30);  // a whole new frame
    tick();
    onCall = {};
    fake.setPointerPosition({100, 100});
    tick();
    const QImage ticked = shown();
    EXPECT_EQ(ticked, wholeFrame()) << "no stale marker";

    typeInto(w.cmbZoom, "300");
    tick();
    fake.paint("DUMMY1", QPoint(630, 470), FakePlatform::solid({5, 5}, qRgb(1, 2, 3)));  // out of sight
    tick();
    EXPECT_EQ(count("Drawing::stretchPart") + count("Drawing::stretch") + count("Drawing::flush"), 0);

    fake.desk().captureStopped = true;
    tick();
    EXPECT_EQ(w.lblStatus_Capture->text(),
              QStringLiteral("画面の取り込みが止まっています。再開を待っています…"));
    EXPECT_FALSE(w.lblStatus_Capture->isHidden());
    fake.desk().captureStopped = false;
    tick();
    EXPECT_TRUE(w.lblStatus_Capture->isHidden());
}

// A window without a backing image may have been painted over: every tick
// draws, straight into the window; a vanished monitor reads black.
TEST_F(TickTest, WithoutThePersistentImageEveryTickDrawsVisiblyAtOnce) {
    startWatching("NoRedraw= 1\r\n");
    EXPECT_FALSE(view().persistent());
    tick();
    EXPECT_EQ(count("Drawing::copy"), 1);
    EXPECT_EQ(view().presentCount(), 0);
    EXPECT_EQ(view().shown().pixel(5, 6), fake.pictureOf("DUMMY1").pixel(5, 6));
    fake.removeMonitor("DUMMY1");
    tick();
    EXPECT_EQ(view().shown().pixel(5, 5), qRgb(0, 0, 0));
}

TEST_F(TickTest, WhatChangesTheViewIsDrawnAtOnceNotAtTheNextTick) {
    frmMain& w = startWatching("Interval= 60000\r\n");  // the next tick is a minute away
    auto drawn = [&] {
        return waitFor([&] {
            return !view().shown().isNull() &&
                   shown() == fake.pictureOf(TrimNull(AppState.Display)).copy(view().visibleRect());
        });
    };
    EXPECT_EQ(view().presentCount(), 1) << "start-up draws at once, not at the first tick";
    EXPECT_TRUE(drawn());
    QTest::mouseClick(w.scrX, Qt::LeftButton, {},
                      QPoint(w.scrX->width() - 3, w.scrX->height() / 2));  // arrow
    EXPECT_EQ(view().visibleRect().left(), 16);
    EXPECT_TRUE(drawn());
    EXPECT_EQ(view().presentCount(), 2);
    // Another monitor of the same size: nothing moves, yet the picture is another.
    addMonitor("DUMMY2", {-640, 0, 0, 480}, false);
    QTest::mouseClick(w.cmdReload, Qt::LeftButton);
    ASSERT_TRUE(chooseItem(w.cmbDisplayList, 2));
    EXPECT_EQ(TrimNull(AppState.Display), "DUMMY2");
    EXPECT_TRUE(drawn());
    for (int i = 0; i < 2; ++i) {  // full screen and back
        QTest::mouseClick(w.chkFullScreen, Qt::LeftButton);
        EXPECT_TRUE(drawn());
    }
    typeInto(w.cmbZoom, "200");  // every monitor pixel twice
    EXPECT_TRUE(waitFor([&] {
        const QPoint at = view().visibleRect().topLeft() / 2;
        return sourceOf(0, 0) == at && sourceOf(2, 2) == at + QPoint(1, 1);
    }));

    // The interval: typed values are rounded and clamped, the menu marks the chosen one.
    EXPECT_EQ(TypedIntervalMs("abc"), 10);
    for (auto [typed, ms, shown] : {std::tuple{"0.0126", 13, "0.013秒"},
                                    {"0.001", 10, "0.01秒"},
                                    {"120", 60000, "60秒"},
                                    {"0.05", 50, "0.05秒"}}) {
        typeInto(w.cmbTimer, typed);
        EXPECT_EQ(w.cmbTimer->currentText(), shown);
        EXPECT_EQ(w.tmrMain.interval(), ms);
    }
    EXPECT_TRUE(w.mnuTool_Timer_Select[3]->isChecked());
    ASSERT_TRUE(choose(w.mnuTool_Timer_Select[1]));
    EXPECT_EQ(w.tmrMain.interval(), 500);
    EXPECT_TRUE(w.mnuTool_Timer_Select[1]->isChecked() && !w.mnuTool_Timer_Select[3]->isChecked());
    inputBoxAnswer = "";  // cancelled
    ASSERT_TRUE(choose(w.mnuTool_Timer_Select[5]));
    EXPECT_EQ(w.tmrMain.interval(), 10);
    EXPECT_TRUE(w.tmrMain.isActive());
}

// Everything changed, or a change while the pointer image goes through a
// copy: a whole frame. The widget tests cannot make the first happen.
TEST(WhatTheTickDraws, EverythingChangedOrACopiedPointerImageDrawsAWholeFrame) {
    TickInputs last;
    last.zoomRate = 1;
    const platform::MonitorChanges all = platform::MonitorChanges::everything(),
                                   some{QRegion(1, 2, 3, 4), false};
    EXPECT_EQ(WhatTheTickDraws(true, last, last, all, false), TickDrawing::WholeFrame);
    EXPECT_EQ(WhatTheTickDraws(true, last, last, some, true), TickDrawing::WholeFrame);
}

struct PartCase {
    const char* zoom;
    bool quality;
    int cursor;  // list index: 0 pointer image, 1 small dot, 4 none
    bool partial;
};
struct PartialRedraw : TickTest, ::testing::WithParamInterface<PartCase> {};

// After a small change only the view pixels it reaches are drawn and shown,
// and they come out exactly as a whole new frame would draw them: no seams at
// any zoom or sampler, the marker neither doubled nor lost.
TEST_P(PartialRedraw, ASmallChangeRedrawsOnlyItsPartExactlyAsAWholeFrame) {
    const PartCase c = GetParam();
    QImage arrow(9, 9, QImage::Format_ARGB32_Premultiplied);
    arrow.fill(qRgba(0, 0, 0, 0));
    for (int i = 0; i < 9; ++i) arrow.setPixel(i, i, qRgba(100, 0, 0, 128));  // half transparent
    fake.setCursorImage(arrow, {2, 2});
    fake.setPointerPosition({1920 + 104, 61});  // on the patch
    frmMain& w = startWatching(c.quality ? "StretchHalftone= 1\r\n" : "", c.cursor);
    typeInto(w.cmbZoom, c.zoom);
    tick();
    tick();
    ASSERT_EQ(count("Drawing::flush"), 0) << "settled";

    fake.paint("DUMMY1", QPoint(101, 57), FakePlatform::coordinatePattern({7, 5}, 200));
    tick();
    const QImage partial = shown();
    if (c.partial) {
        EXPECT_EQ(count("Drawing::stretch") + count("Drawing::createMemoryCopy"), 0);
        const QRect part = view().lastPresented().boundingRect();
        EXPECT_LT(part.width() * part.height(), view().visibleRect().width() * 40);
    } else {
        EXPECT_EQ(count("Drawing::createMemoryCopy"), 1) << "the pointer image scales with a copy";
    }
    EXPECT_EQ(count("Drawing::invert") + count("Drawing::drawCursor"), c.cursor == 4 ? 0 : 1);
    tick();
    EXPECT_EQ(count("Drawing::flush"), 0) << "nothing more to draw";
    EXPECT_EQ(partial, wholeFrame());
}

INSTANTIATE_TEST_SUITE_P(ZoomsSamplersAndMarkers, PartialRedraw,
                         ::testing::Values(PartCase{"100", false, 4, true}, PartCase{"50", false, 4, true},
                                           PartCase{"50", true, 4, true}, PartCase{"30", true, 4, true},
                                           PartCase{"200", false, 1, true}, PartCase{"200", true, 4, true},
                                           PartCase{"100", false, 0, true}, PartCase{"75", true, 1, true},
                                           PartCase{"50", false, 0, false}));

}  // namespace
}  // namespace orvane
