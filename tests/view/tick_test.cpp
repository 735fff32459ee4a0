// The refresh tick on the simulated desktop: what lands in the view, by which
// path, and the pointer marker and labels drawn with it.
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>

#include "support/main_window_fixture.h"
#include "view/interval.h"
#include "view/pointer_marker.h"

namespace orvane {
namespace {

using platform::fake::FakePlatform;

struct TickTest : test::MainWindowTest {
    std::vector<std::string> calls;
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
        addMonitor("DUMMY1", {1920, 0, 2560, 480}, false);  // 640 x 480, the watched one
        fake.setPicture("DUMMY1", FakePlatform::coordinatePattern({640, 480}, 7));
        fake.setPointerPosition({100, 100});  // on the other monitor: no marker
        fake.setCallHook([this](const std::string& call) { calls.push_back(call); });
    }
    // A 400 x 300 window watching DUMMY1, no marker unless asked.
    frmMain& startWatching(const std::string& extra = "", int cursor = 4) {
        writeSettings(
            "[View]\r\nWindowPos_Width= 6000\r\nWindowPos_Height= "
            "4500\r\n[Main]\r\nDisplay=DUMMY1\r\nCursor= " +
            std::to_string(cursor) + "\r\n" + extra);
        return start();
    }
    platform::fake::FakeViewSurface& view() { return *fake.views().back(); }
    void tick() {
        calls.clear();
        window->tmrMain_Timer();
    }
    int count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
    // The monitor pixel a view pixel shows, read from the coordinate pattern.
    static QPoint sourceOf(const QImage& image, int x, int y) {
        const QRgb c = image.pixel(x, y);
        return {qRed(c), qGreen(c)};
    }
};

TEST_F(TickTest, AtFullSizeTheMonitorIsCopiedPixelExactAndPresented) {
    frmMain& w = startWatching();
    EXPECT_EQ(view().presentCount(), 1) << "start-up draws at once, not at the first tick";
    w.scrX->setValue(30);
    tick();
    EXPECT_EQ(count("Drawing::copy"), 1);
    EXPECT_EQ(count("Drawing::stretch"), 0);
    EXPECT_EQ(count("Drawing::createMemoryCopy"), 0);
    const QImage shown = view().shown();
    const QRect visible = view().visibleRect();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(visible.left(), 30);
    const QImage expected = fake.pictureOf("DUMMY1").copy(visible);
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(view().presentCount(), 2);
    EXPECT_GE(fake.flushCount(), 1);
}

// 200 % is checked where a zoom is drawn at once, below.
TEST_F(TickTest, ZoomedViewsAreStretchedFromTheWholeMonitor) {
    frmMain& w = startWatching("StretchHalftone= 1\r\n");
    typeInto(w.cmbZoom, "50");
    tick();
    EXPECT_EQ(count("Drawing::stretch"), 1);
    EXPECT_EQ(view().geometry().size(), QSize(320, 240));
    const QImage shown = view().shown();
    ASSERT_EQ(view().visibleRect().topLeft(), QPoint(0, 0));
    for (QPoint p : {QPoint(0, 0), QPoint(10, 20), QPoint(100, 110)}) {
        const QPoint s = sourceOf(shown, p.x(), p.y());
        EXPECT_NEAR(s.x(), (2 * p.x()) % 256, 1) << p.x();
        EXPECT_NEAR(s.y(), (2 * p.y()) % 256, 1) << p.y();
    }

}

TEST_F(TickTest, ThePointerImageChoosesTheBufferedPathWhenZoomed) {
    QImage arrow(8, 8, QImage::Format_ARGB32_Premultiplied);
    arrow.fill(qRgba(255, 255, 255, 255));
    fake.setCursorImage(arrow, {4, 4});
    fake.setPointerPosition({1920 + 100, 100});
    frmMain& w = startWatching();
    ASSERT_TRUE(chooseItem(w.cmbCursor, 0));

    tick();  // 100 %: straight into the view, at the image's own size
    EXPECT_EQ(count("Drawing::createMemoryCopy"), 0);
    EXPECT_EQ(count("Drawing::drawCursor"), 1);
    EXPECT_EQ(view().shown().pixel(96, 96), qRgb(255, 255, 255));
    EXPECT_NE(view().shown().pixel(95, 95), qRgb(255, 255, 255));

    typeInto(w.cmbZoom, "50");
    tick();  // the image is drawn into the monitor-scale copy and shrinks with it
    EXPECT_EQ(count("Drawing::createMemoryCopy"), 1);
    EXPECT_EQ(count("Drawing::stretch"), 1);
    EXPECT_EQ(view().shown().pixel(49, 49), qRgb(255, 255, 255));
    EXPECT_NE(view().shown().pixel(53, 53), qRgb(255, 255, 255));
    EXPECT_EQ(w.lblStatus_Cursor_All->text(), "X = 2020 Y = 100");
    EXPECT_EQ(w.lblStatus_Cursor_View->text(), "X = 100 Y = 100");

    // With the pointer on the other monitor the copy would stay untouched:
    // the picture is stretched straight from the monitor, the labels still follow.
    const QImage withCopy = view().shown();
    fake.setPointerPosition({50, 60});
    tick();
    EXPECT_EQ(count("Drawing::createMemoryCopy"), 0);
    EXPECT_EQ(count("Drawing::stretch"), 1);
    EXPECT_NE(view().shown().pixel(49, 49), qRgb(255, 255, 255)) << "no pointer image";
    EXPECT_EQ(view().shown().pixel(200, 150), withCopy.pixel(200, 150));
    EXPECT_EQ(w.lblStatus_Cursor_View->text(), "X = -1870 Y = 60");
}

TEST_F(TickTest, DotsAreInvertedSquaresAtViewScale) {
    EXPECT_EQ(DotRect({10, 20}, 2.0, 1), QRect(20, 40, 1, 1));
    EXPECT_EQ(DotRect({10, 20}, 2.0, 3), QRect(19, 39, 3, 3));
    EXPECT_EQ(DotRect({10, 20}, 2.0, 2), QRect(19, 39, 2, 2));
    EXPECT_EQ(DotRect({3, 0}, 1.5, 1).left(), 4) << "4.5 rounds to the even 4";

    fake.setPointerPosition({1920 + 10, 20});
    frmMain& w = startWatching("", 3);
    EXPECT_EQ(w.cmbCursor->currentIndex(), 3);
    tick();
    const QImage shown = view().shown();
    const QImage picture = fake.pictureOf("DUMMY1");
    EXPECT_EQ(shown.pixel(10, 20) & 0xffffff, ~picture.pixel(10, 20) & 0xffffff);
    EXPECT_EQ(shown.pixel(9, 19) & 0xffffff, ~picture.pixel(9, 19) & 0xffffff);
    EXPECT_EQ(shown.pixel(12, 20) & 0xffffff, picture.pixel(12, 20) & 0xffffff);
}

// A window without a backing image may have been painted over: every tick
// draws, straight into the window.
TEST_F(TickTest, WithoutThePersistentImageEveryTickDrawsVisiblyAtOnce) {
    startWatching("NoRedraw= 1\r\n");
    EXPECT_FALSE(view().persistent());
    tick();
    EXPECT_EQ(view().presentCount(), 0);
    EXPECT_EQ(view().shown().pixel(5, 6), fake.pictureOf("DUMMY1").pixel(5, 6));
    tick();
    EXPECT_EQ(count("Drawing::copy"), 1);
}

TEST_F(TickTest, AVanishedMonitorReadsBlackAndTheTickGoesOn) {
    frmMain& w = startWatching();
    tick();
    fake.removeMonitor("DUMMY1");
    tick();
    EXPECT_EQ(view().shown().pixel(5, 5), qRgb(0, 0, 0));
    w.MonitorDC.reset();
    tick();  // nothing to capture: nothing drawn, nothing fails
    EXPECT_EQ(count("Drawing::copy"), 0);
}

TEST_F(TickTest, WhileTheDesktopHasStoppedTheCaptureTheStatusBarSaysSo) {
    frmMain& w = startWatching();
    tick();
    EXPECT_TRUE(w.lblStatus_Capture->isHidden());
    fake.setCaptureStopped(true);
    tick();
    EXPECT_FALSE(w.lblStatus_Capture->isHidden());
    EXPECT_EQ(w.lblStatus_Capture->text(), QStringLiteral("画面の取り込みが止まっています。再開を待っています…"));
    fake.setCaptureStopped(false);
    tick();
    EXPECT_TRUE(w.lblStatus_Capture->isHidden());
}

TEST_F(TickTest, WhatChangesTheViewIsDrawnAtOnceNotAtTheNextTick) {
    frmMain& w = startWatching("Interval= 60000\r\n");  // the next tick is a minute away
    // The view shows the watched monitor where it stands now (waiting at
    // most for the event loop, never for a tick).
    auto drawn = [&] {
        return waitFor([&] {
            const QImage shown = view().shown();
            return !shown.isNull() &&
                   shown.convertToFormat(QImage::Format_RGB32) ==
                       fake.pictureOf(TrimNull(AppState.Display)).copy(view().visibleRect());
        });
    };
    EXPECT_EQ(view().presentCount(), 1) << "start-up";
    EXPECT_TRUE(drawn());

    // One click on the scroll bar's arrow.
    QTest::mouseClick(w.scrX, Qt::LeftButton, {}, QPoint(w.scrX->width() - 3, w.scrX->height() / 2));
    EXPECT_EQ(view().visibleRect().left(), 16);
    EXPECT_TRUE(drawn());
    EXPECT_EQ(view().presentCount(), 2);

    // Another monitor of the same size: nothing moves, yet the picture is another.
    addMonitor("DUMMY2", {-640, 0, 0, 480}, false);
    QTest::mouseClick(w.cmdReload, Qt::LeftButton);
    ASSERT_TRUE(chooseItem(w.cmbDisplayList, 2));
    EXPECT_EQ(TrimNull(AppState.Display), "DUMMY2");
    EXPECT_TRUE(drawn());

    // Full screen and back.
    QTest::mouseClick(w.chkFullScreen, Qt::LeftButton);
    EXPECT_TRUE(drawn());
    const int before = view().presentCount();
    QTest::mouseClick(w.chkFullScreen, Qt::LeftButton);
    EXPECT_TRUE(drawn());
    EXPECT_TRUE(waitFor([&] { return view().presentCount() > before; }));

    // A zoom: at 200 % the view shows every monitor pixel twice.
    typeInto(w.cmbZoom, "200");
    EXPECT_TRUE(waitFor([&] {
        const QRect visible = view().visibleRect();
        return sourceOf(view().shown(), 0, 0) == QPoint(visible.left() / 2, visible.top() / 2) &&
               sourceOf(view().shown(), 2, 2) == QPoint(visible.left() / 2 + 1, visible.top() / 2 + 1);
    }));
}

TEST_F(TickTest, AnUnchangedFrameIsNotDrawnAgain) {
    frmMain& w = startWatching();  // draws the first frame at once
    tick();                        // nothing changed: the persistent image already shows this frame
    EXPECT_EQ(count("Drawing::copy"), 0);
    EXPECT_EQ(count("Drawing::flush"), 0);

    fake.setPointerPosition({300, 400});  // on the other monitor: only the labels move
    tick();
    EXPECT_EQ(count("Drawing::copy"), 0);
    EXPECT_EQ(w.lblStatus_Cursor_All->text(), "X = 300 Y = 400");

    fake.setPicture("DUMMY1", FakePlatform::solid({640, 480}, qRgb(10, 200, 30)));
    tick();
    EXPECT_EQ(count("Drawing::copy"), 1);
    EXPECT_EQ(view().shown().pixel(5, 5), qRgb(10, 200, 30));

    w.scrX->setValue(40);  // another part of the view
    tick();
    EXPECT_EQ(count("Drawing::copy"), 1);
    typeInto(w.cmbZoom, "50");
    tick();
    EXPECT_EQ(count("Drawing::stretch"), 1);
    tick();
    EXPECT_EQ(count("Drawing::stretch"), 0);

    // A marker follows the pointer on the watched monitor.
    ASSERT_TRUE(choose(w.mnuView_Cursor_Select[1]));
    tick();
    EXPECT_EQ(count("Drawing::stretch"), 1) << "another marker style";
    fake.setPointerPosition({1920 + 30, 40});
    tick();
    EXPECT_EQ(count("Drawing::invert"), 1);
    fake.setPointerPosition({1920 + 31, 40});
    tick();
    EXPECT_EQ(count("Drawing::invert"), 1);
    tick();
    EXPECT_EQ(count("Drawing::invert"), 0);
}

TEST(WhatTheTickDraws, OnlyWhatChangedSinceTheKeptFrame) {
    TickInputs last;
    last.zoomRate = 1;
    TickInputs moved = last;
    moved.markerDrawn = true;
    const platform::MonitorChanges none, some{QRegion(1, 2, 3, 4), false},
        all = platform::MonitorChanges::everything();
    EXPECT_EQ(WhatTheTickDraws(true, last, last, none, false), TickDrawing::LabelsOnly);
    EXPECT_EQ(WhatTheTickDraws(true, last, last, some, false), TickDrawing::ChangedPart);
    EXPECT_EQ(WhatTheTickDraws(true, last, last, some, true), TickDrawing::WholeFrame);
    EXPECT_EQ(WhatTheTickDraws(true, last, last, all, false), TickDrawing::WholeFrame);
    EXPECT_EQ(WhatTheTickDraws(true, last, moved, none, false), TickDrawing::WholeFrame);
    EXPECT_EQ(WhatTheTickDraws(true, std::nullopt, last, none, false), TickDrawing::WholeFrame);
    EXPECT_EQ(WhatTheTickDraws(false, last, last, none, false), TickDrawing::WholeFrame);
}

// The pointer crosses onto the watched monitor while a tick draws and leaves
// it again: the tick drew what it recorded, so the next one clears the marker.
TEST_F(TickTest, TheMarkerIsDrawnFromThePointerTheTickRecorded) {
    frmMain& w = startWatching("", 1);
    int readings = -1;  // counted during the first tick only
    fake.setCallHook([&](const std::string& call) {
        calls.push_back(call);
        if (call == "Pointer::position" && readings >= 0 && ++readings == 2)
            fake.setPointerPosition({1920 + 30, 40});
    });
    w.scrX->setValue(30);  // a whole new frame
    readings = 0;
    tick();
    EXPECT_EQ(count("Pointer::position"), 1) << "one reading a tick";
    readings = -1;
    fake.setPointerPosition({100, 100});  // off the watched monitor again
    tick();
    const QImage shown = view().shown().convertToFormat(QImage::Format_RGB32);
    w.DrawFrame();
    EXPECT_EQ(shown, view().shown().convertToFormat(QImage::Format_RGB32)) << "no stale marker";
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
    const QImage partial = view().shown().convertToFormat(QImage::Format_RGB32);
    if (c.partial) {
        EXPECT_EQ(count("Drawing::stretch") + count("Drawing::createMemoryCopy"), 0);
        // One stretch of the part, or at full size a copy per rectangle of it.
        EXPECT_LE(count("Drawing::stretchPart"), 1);
        EXPECT_GE(count("Drawing::stretchPart") + count("Drawing::copy"), 1);
        const QRect shownPart = view().lastPresented().boundingRect();
        EXPECT_FALSE(shownPart.isEmpty());
        EXPECT_LT(shownPart.width() * shownPart.height(), view().visibleRect().width() * 40);
    } else {
        EXPECT_EQ(count("Drawing::createMemoryCopy"), 1) << "the pointer image scales with a copy";
    }
    if (c.cursor != 4) {
        EXPECT_EQ(count("Drawing::invert") + count("Drawing::drawCursor"), 1);
    }
    w.DrawFrame();
    EXPECT_EQ(partial, view().shown().convertToFormat(QImage::Format_RGB32));
    tick();
    EXPECT_EQ(count("Drawing::flush"), 0) << "nothing more to draw";
}

INSTANTIATE_TEST_SUITE_P(ZoomsSamplersAndMarkers, PartialRedraw,
                         ::testing::Values(PartCase{"100", false, 4, true}, PartCase{"50", false, 4, true},
                                           PartCase{"50", true, 4, true}, PartCase{"30", true, 4, true},
                                           PartCase{"200", false, 1, true}, PartCase{"200", true, 4, true},
                                           PartCase{"100", false, 0, true}, PartCase{"75", true, 1, true},
                                           PartCase{"50", false, 0, false}));

// A change outside the visible part of a zoomed view draws nothing.
TEST_F(TickTest, AChangeOutOfSightIsNotDrawn) {
    frmMain& w = startWatching();
    typeInto(w.cmbZoom, "300");
    tick();
    tick();
    const QRect visible = view().visibleRect();
    ASSERT_LT(visible.right(), 3 * 600);
    fake.paint("DUMMY1", QPoint(630, 470), FakePlatform::solid({5, 5}, qRgb(1, 2, 3)));
    tick();
    EXPECT_EQ(count("Drawing::stretchPart") + count("Drawing::stretch"), 0);
    EXPECT_EQ(count("Drawing::flush"), 0);
    EXPECT_EQ(w.lblStatus_Cursor_All->text(), "X = 100 Y = 100");
}

TEST_F(TickTest, IntervalEntryClampsAndRestartsTheTimer) {
    // What the list below is not given.
    EXPECT_EQ(SecondsText(1250), "1.25秒");
    EXPECT_EQ(TypedIntervalMs("0.001"), 10);
    EXPECT_EQ(TypedIntervalMs("abc"), 10);

    frmMain& w = startWatching("Interval= 50\r\n");
    EXPECT_EQ(w.cmbTimer->currentText(), "0.05秒");
    EXPECT_EQ(w.tmrMain.interval(), 50);
    EXPECT_TRUE(w.tmrMain.isActive());
    EXPECT_TRUE(w.mnuTool_Timer_Select[3]->isChecked());

    typeInto(w.cmbTimer, "2");
    EXPECT_EQ(w.cmbTimer->currentText(), "2秒");
    EXPECT_EQ(AppState.Interval, 2000);
    EXPECT_EQ(w.tmrMain.interval(), 2000);
    EXPECT_TRUE(w.mnuTool_Timer_Select[5]->isChecked());
    EXPECT_FALSE(w.mnuTool_Timer_Select[3]->isChecked());

    typeInto(w.cmbTimer, "0.0126");
    EXPECT_EQ(w.cmbTimer->currentText(), "0.013秒");
    EXPECT_EQ(AppState.Interval, 13);
    typeInto(w.cmbTimer, "120");
    EXPECT_EQ(AppState.Interval, 60000);

    ASSERT_TRUE(choose(w.mnuTool_Timer_Select[1]));
    EXPECT_EQ(w.cmbTimer->currentText(), "0.5秒");
    EXPECT_EQ(AppState.Interval, 500);
    EXPECT_TRUE(w.mnuTool_Timer_Select[1]->isChecked());
    EXPECT_FALSE(w.mnuTool_Timer_Select[5]->isChecked());

    inputBoxAnswer = "";
    ASSERT_TRUE(choose(w.mnuTool_Timer_Select[5]));
    EXPECT_EQ(AppState.Interval, 10);
    EXPECT_EQ(w.cmbTimer->currentText(), "0.01秒");
}

}  // namespace
}  // namespace orvane
