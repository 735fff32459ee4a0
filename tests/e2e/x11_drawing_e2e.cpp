// The tick's drawing operations on the real server: a known picture on the
// second monitor goes through copy, stretch, pointer image and invert into the
// view's native window and is read back from the screen.
#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

#include "e2e_support.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_drawing.h"
#include "platform/x11/x11_platform.h"
#include "view/changed_part.h"

using namespace orvane::platform;
using namespace orvane::e2e;

namespace {

constexpr QRect kRight(1920, 0, 1920, 1080);
constexpr QRect kFrame(100, 100, 800, 600);

struct Feature {
    const char* name;
    bool render;
    bool shm;
};

class X11Drawing : public ::testing::TestWithParam<Feature> {
protected:
    void SetUp() override {
        x11::Options o;
        o.useRender = GetParam().render;
        o.useShm = GetParam().shm;
        std::string error;
        p = x11::createPlatform(o, error);
        ASSERT_TRUE(p) << error;
        const auto list = p->monitors().enumerate();
        ASSERT_EQ(list.size(), 2U);
        picture = patternImage(kRight.size());
        client.showImage(kRight, picture);
        monitor = p->monitors().openMonitor(list[1].deviceName);
        ASSERT_TRUE(monitor);
        frame = showFrame(kFrame);
        view = p->drawing().createView(frame.get());
        ASSERT_TRUE(view);
        processEvents(50);
    }
    void TearDown() override {
        view.reset();
        frame.reset();
    }

    // Shows the view at viewRect inside the frame and waits for the window.
    void placeView(const QRect& viewRect) {
        view->setGeometry(viewRect, frame->size());
        processEvents(50);
    }
    QImage shown() {
        settle(*p);
        return p->drawing().grab(kFrame);
    }
    // The view's visible part in frame pixels.
    QRect visible() const { return view->geometry().intersected(QRect(QPoint(0, 0), frame->size())); }

    std::unique_ptr<Platform> p;
    TestClient client;
    QImage picture;
    std::unique_ptr<MonitorContext> monitor;
    std::unique_ptr<QWidget> frame;
    std::unique_ptr<ViewSurface> view;
};

// A 16x16 pointer image of one premultiplied colour.
CursorImage squareCursor(QRgb colour, std::uint64_t serial) {
    CursorImage cur;
    cur.image = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
    cur.image.fill(colour);
    cur.serial = serial;
    return cur;
}

// Every pixel of the frame covered by the view equals expect(view x, view y).
template <typename F>
void expectView(const QImage& shot, const QRect& visibleInFrame, QPoint visibleOrigin, F expect,
                int tolerance = 0) {
    int bad = 0;
    for (int y = 0; y < visibleInFrame.height(); y += 1) {
        for (int x = 0; x < visibleInFrame.width(); x += 1) {
            const QRgb got = shot.pixel(visibleInFrame.x() + x, visibleInFrame.y() + y);
            const QRgb want = expect(visibleOrigin.x() + x, visibleOrigin.y() + y);
            if (colourDistance(got, want) > tolerance && ++bad <= 5) {
                ADD_FAILURE() << "view pixel " << visibleOrigin.x() + x << "," << visibleOrigin.y() + y
                              << " is " << std::hex << got << ", expected " << want;
            }
        }
    }
    EXPECT_EQ(bad, 0);
}

}  // namespace

TEST_P(X11Drawing, GrabReadsTheKnownPictureExactlyAndBlackOffTheScreen) {
    const QImage whole = p->drawing().grab(kRight);
    ASSERT_EQ(whole.format(), QImage::Format_RGB32);
    EXPECT_TRUE(whole == picture);
    const QImage g = p->drawing().grab(QRect(3800, 1000, 100, 100));
    ASSERT_EQ(g.size(), QSize(100, 100));
    EXPECT_EQ(g.pixel(10, 10), picture.pixel(1890, 1010));
    EXPECT_EQ(g.pixel(39, 79), picture.pixel(1919, 1079));
    EXPECT_EQ(g.pixel(40, 10), qRgb(0, 0, 0));
    EXPECT_EQ(g.pixel(10, 80), qRgb(0, 0, 0));
    const QImage off = p->drawing().grab(QRect(-50, -50, 20, 20));
    EXPECT_EQ(off.pixel(5, 5), qRgb(0, 0, 0));
}

TEST_P(X11Drawing, PlainCopyOfAScrolledViewShowsTheMonitorWithOrWithoutPersistentImage) {
    // A 100 % view scrolled by (300, 500): the frame shows monitor (300, 500) up.
    placeView(QRect(-300, -500, 1920, 1080));
    ASSERT_EQ(view->visibleOrigin(), QPoint(300, 500));
    p->drawing().copy(*view, QRect(0, 0, 1920, 1080), *monitor, QPoint(0, 0));
    view->present();
    expectView(shown(), visible(), view->visibleOrigin(), [&](int x, int y) { return picture.pixel(x, y); });

    // Without a persistent image drawing goes straight to the window, unpresented.
    view->setPersistent(false);
    placeView(QRect(0, 0, 800, 600));
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *monitor, QPoint(100, 400));
    expectView(shown(), visible(), {0, 0}, [&](int x, int y) { return picture.pixel(100 + x, 400 + y); });
}

TEST_P(X11Drawing, AViewFarBeyondSixteenBitsStillMapsExactly) {
    // A 60000x40000 view scrolled to (50000, 30000): X windows and Composite
    // offsets are 16-bit, so only the visible part may ever reach the server.
    const QRect viewRect(-50000, -30000, 60000, 40000);
    placeView(viewRect);
    ASSERT_EQ(view->visibleOrigin(), QPoint(50000, 30000));
    view->setStretchMode(StretchMode::Simple);
    p->drawing().stretch(*view, QRect(QPoint(0, 0), viewRect.size()), *monitor, QRect(0, 0, 1920, 1080));
    view->present();
    const QImage shot = shown();
    int checked = 0;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 800; x += 11) {
            const double u = (50000 + x + 0.5) * 1920.0 / 60000.0;
            const double v = (30000 + y + 0.5) * 1080.0 / 40000.0;
            // Skip samples so close to a pixel edge that rounding may pick either side.
            if (u - std::floor(u) < 0.05 || u - std::floor(u) > 0.95 || v - std::floor(v) < 0.05 ||
                v - std::floor(v) > 0.95)
                continue;
            ++checked;
            EXPECT_EQ(shot.pixel(x, y), picture.pixel(static_cast<int>(u), static_cast<int>(v)))
                << x << "," << y;
        }
    }
    EXPECT_GT(checked, 1000);
}

TEST_P(X11Drawing, PersistentImageComesBackAfterBeingCovered) {
    // What the window loses is asked for again at once, as the program then
    // draws it from the monitor: only that part.
    QRegion asked;
    view->setLostPartHandler([&](const QRegion& lost) {
        asked += lost;
        for (const QRect& r : lost) p->drawing().copy(*view, r, *monitor, r.topLeft() + QPoint(500, 300));
        view->present(lost);
    });
    placeView(QRect(0, 0, 800, 600));
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *monitor, QPoint(500, 300));
    view->present();
    settle(*p);
    processEvents(200);
    asked = QRegion();
    QImage grey(300, 200, QImage::Format_RGB32);
    grey.fill(qRgb(0x80, 0x80, 0x80));
    const xcb_window_t cover = client.showImage(QRect(kFrame.x() + 100, kFrame.y() + 100, 300, 200), grey);
    EXPECT_EQ(shown().pixel(200, 200), qRgb(0x80, 0x80, 0x80));
    client.destroy(cover);
    // No tick runs: the expose alone must bring the picture back.
    processEvents(200);
    expectView(shown(), visible(), {0, 0}, [&](int x, int y) { return picture.pixel(500 + x, 300 + y); });
    EXPECT_EQ(asked.boundingRect(), QRect(100, 100, 300, 200)) << "only the part that was covered";

    // Without a persistent image the part stays lost until the next drawing.
    view->setPersistent(false);
    asked = QRegion();
    client.destroy(client.showImage(QRect(kFrame.x() + 100, kFrame.y() + 100, 300, 200), grey));
    processEvents(200);
    EXPECT_TRUE(asked.isEmpty());
}

TEST_P(X11Drawing, SimpleStretchRepeatsEachPixelOrPicksOneOfEachPair) {
    view->setStretchMode(StretchMode::Simple);
    // 200 %, scrolled far into the view; the offset travels in the transform.
    placeView(QRect(-1700, -1500, 3840, 2160));
    p->drawing().stretch(*view, QRect(0, 0, 3840, 2160), *monitor, QRect(0, 0, 1920, 1080));
    view->present();
    expectView(shown(), visible(), view->visibleOrigin(),
               [&](int x, int y) { return picture.pixel(x / 2, y / 2); });

    placeView(QRect(0, 0, 960, 540));
    p->drawing().stretch(*view, QRect(0, 0, 960, 540), *monitor, QRect(0, 0, 1920, 1080));
    view->present();
    const QImage shot = shown();
    int bad = 0;
    for (int y = 0; y < 540; ++y) {
        for (int x = 0; x < 800; ++x) {
            bool ok = false;
            for (int d = 0; d < 4 && !ok; ++d) ok = shot.pixel(x, y) == picture.pixel(2 * x + d % 2, 2 * y + d / 2);
            bad += !ok;
        }
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(X11Drawing, QualityStretchAt50PercentAveragesEachBlock) {
    placeView(QRect(0, 0, 960, 540));
    view->setStretchMode(StretchMode::Quality);
    p->drawing().stretch(*view, QRect(0, 0, 960, 540), *monitor, QRect(0, 0, 1920, 1080));
    view->present();
    auto average = [&](int x, int y) {
        int r = 0, g = 0, b = 0;
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx) {
                const QRgb c = picture.pixel(2 * x + dx, 2 * y + dy);
                r += qRed(c), g += qGreen(c), b += qBlue(c);
            }
        return qRgb(r / 4, g / 4, b / 4);
    };
    // The stripes at y 900..909 average to purple: proof of area averaging
    // (nearest sampling would show pure red or blue there).
    expectView(shown(), visible(), {0, 0}, average, 2);
}

TEST_P(X11Drawing, QualityStretchNeverBlendsInTheNeighbouringMonitor) {
    // Something bright just left of the watched monitor's edge.
    QImage white(20, 1080, QImage::Format_RGB32);
    white.fill(Qt::white);
    client.showImage(QRect(1900, 0, 20, 1080), white);
    placeView(QRect(0, 0, 3840, 2160));
    view->setStretchMode(StretchMode::Quality);
    p->drawing().stretch(*view, QRect(0, 0, 3840, 2160), *monitor, QRect(0, 0, 1920, 1080));
    view->present();
    const QImage shot = shown();
    for (int y : {10, 300, 599}) EXPECT_EQ(shot.pixel(0, y), picture.pixel(0, y / 2)) << "row " << y;

    // Shrinking to 75 %: the first column mixes the monitor's columns 0 and 1
    // (weights 5/6 and 1/6) and nothing of the white beyond.
    placeView(QRect(0, 0, 1440, 810));
    p->drawing().stretch(*view, QRect(0, 0, 1440, 810), *monitor, QRect(0, 0, 1920, 1080));
    view->present();
    const QImage small = shown();
    const QRgb a = picture.pixel(0, 60), b = picture.pixel(1, 60);
    const QRgb mix =
        qRgb((5 * qRed(a) + qRed(b)) / 6, (5 * qGreen(a) + qGreen(b)) / 6, (5 * qBlue(a) + qBlue(b)) / 6);
    EXPECT_LE(colourDistance(small.pixel(0, 45), mix), 3) << std::hex << small.pixel(0, 45) << " " << mix;
}

TEST_P(X11Drawing, QualityEnlargingShowsTheSameFromTheMonitorAsFromACopy) {
    // From the monitor only the sampled part is copied into a padded pixmap;
    // a memory copy is sampled whole. Both must give the same picture.
    placeView(QRect(-3000, -1200, 5760, 3240));
    view->setStretchMode(StretchMode::Quality);
    auto mem = p->drawing().createMemoryCopy(*monitor, monitor->size());
    p->drawing().stretch(*view, QRect(0, 0, 5760, 3240), *mem, QRect(0, 0, 1920, 1080));
    view->present();
    const QImage fromCopy = shown();
    p->drawing().stretch(*view, QRect(0, 0, 5760, 3240), *monitor, QRect(0, 0, 1920, 1080));
    view->present();
    const QImage fromMonitor = shown();
    int worst = 0;
    for (int y = 0; y < fromCopy.height(); ++y)
        for (int x = 0; x < fromCopy.width(); ++x)
            worst = std::max(worst, colourDistance(fromCopy.pixel(x, y), fromMonitor.pixel(x, y)));
    EXPECT_LE(worst, 1);
    // And it is the monitor's picture: view (3000 + 450, 1200 + 300) lies in monitor (1150, 500).
    EXPECT_EQ(fromMonitor.pixel(450, 300), picture.pixel(1150, 500));
}

TEST_P(X11Drawing, MemoryCopyKeepsThePictureAndTakesThePointerImage) {
    auto mem = p->drawing().createMemoryCopy(*monitor, monitor->size());
    ASSERT_TRUE(mem);
    EXPECT_EQ(mem->size(), QSize(1920, 1080));
    // Half-transparent red, premultiplied, over the copy at (400, 300).
    CursorImage cur = squareCursor(qRgba(0x80, 0, 0, 0x80), 7);
    cur.image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    p->drawing().drawCursor(*mem, QPoint(400, 300), cur);
    placeView(QRect(-300, -250, 1920, 1080));
    p->drawing().copy(*view, QRect(0, 0, 1920, 1080), *mem, QPoint(0, 0));
    view->present();
    const QImage shot = shown();
    const QPoint o = visible().topLeft() - view->visibleOrigin();
    auto at = [&](int x, int y) { return shot.pixel(o.x() + x, o.y() + y); };
    EXPECT_EQ(at(390, 310), picture.pixel(390, 310));
    EXPECT_EQ(at(400, 300), picture.pixel(400, 300));  // fully transparent corner
    const QRgb under = picture.pixel(405, 305);
    const QRgb want = qRgb(0x80 + qRed(under) / 2, qGreen(under) / 2, qBlue(under) / 2);
    EXPECT_LE(colourDistance(at(405, 305), want), 2) << std::hex << at(405, 305);
}

TEST_P(X11Drawing, BufferedTicksOfOneSizeMakeNoPixmaps) {
    // The buffered path at 300 % quality: a monitor-sized memory copy, the
    // pointer image in it, an enlarging stretch that pads what it samples.
    placeView(QRect(-1500, -900, 5760, 3240));
    view->setStretchMode(StretchMode::Quality);
    const CursorImage cur = squareCursor(qRgba(0, 0, 0x80, 0x80), 3);
    auto tick = [&] {
        auto mem = p->drawing().createMemoryCopy(*monitor, monitor->size());
        p->drawing().drawCursor(*mem, QPoint(700, 500), cur);
        p->drawing().stretch(*view, QRect(0, 0, 5760, 3240), *mem, QRect(0, 0, 1920, 1080));
        p->drawing().stretch(*view, QRect(0, 0, 5760, 3240), *monitor, QRect(0, 0, 1920, 1080));
        view->present();
        p->drawing().flush();
    };
    tick();
    const std::uint64_t made = x11::ServerPixmap::createdCount();
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_EQ(x11::ServerPixmap::createdCount(), made);
    // What the last tick drew is still the monitor's picture.
    EXPECT_EQ(shown().pixel(450, 300), picture.pixel((1500 + 450) / 3, (900 + 300) / 3));

    // A copy still held keeps its pixels: the next one gets a pixmap of its own.
    auto held = p->drawing().createMemoryCopy(*monitor, monitor->size());
    p->drawing().drawCursor(*held, QPoint(0, 0), cur);
    auto second = p->drawing().createMemoryCopy(*monitor, monitor->size());
    EXPECT_EQ(x11::ServerPixmap::createdCount(), made + 1);
    placeView(QRect(0, 0, 800, 600));
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *held, QPoint(0, 0));
    view->present();
    EXPECT_NE(shown().pixel(5, 5), picture.pixel(5, 5));
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *second, QPoint(0, 0));
    view->present();
    EXPECT_EQ(shown().pixel(5, 5), picture.pixel(5, 5));
}

TEST_P(X11Drawing, InvertFlipsEveryBitOfTheSquare) {
    placeView(QRect(0, 0, 800, 600));
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *monitor, QPoint(0, 0));
    p->drawing().invert(*view, QRect(20, 40, 3, 3));
    view->present();
    const QImage shot = shown();
    for (int y = 39; y <= 43; ++y) {
        for (int x = 19; x <= 23; ++x) {
            const bool inside = x >= 20 && x < 23 && y >= 40 && y < 43;
            const QRgb orig = picture.pixel(x, y);
            EXPECT_EQ(shot.pixel(x, y), inside ? (orig ^ 0x00ffffffU) : orig) << x << "," << y;
        }
    }
}

TEST_P(X11Drawing, RedrawingTheChangedPartEqualsAWholeNewFrame) {
    struct Case {
        QRect viewRect;
        StretchMode mode;
    };
    const Case cases[] = {
        {QRect(0, 0, 1920, 1080), StretchMode::Simple},
        {QRect(0, 0, 960, 540), StretchMode::Simple},
        {QRect(0, 0, 960, 540), StretchMode::Quality},
        {QRect(0, 0, 480, 270), StretchMode::Quality},
        {QRect(0, 0, 576, 324), StretchMode::Quality},
        {QRect(-300, -200, 1440, 810), StretchMode::Quality},
        {QRect(-1100, -500, 3840, 2160), StretchMode::Quality},
        {QRect(-1500, -600, 5760, 3240), StretchMode::Simple},
        {QRect(0, 0, 211, 119), StretchMode::Quality},
    };
    // Bright patches on the pattern: in the middle, at both corners of the
    // monitor (edges sample with padding), and two close together.
    const QRect patches[] = {QRect(700, 400, 13, 9), QRect(0, 0, 5, 5), QRect(1913, 1074, 7, 6),
                             QRect(310, 230, 3, 3), QRect(316, 236, 2, 2)};
    QImage white(64, 64, QImage::Format_RGB32);
    white.fill(Qt::white);
    std::vector<xcb_window_t> shown_;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.viewRect.width()) +
                     (c.mode == StretchMode::Quality ? " quality" : " simple"));
        for (xcb_window_t w : shown_) client.destroy(w);
        shown_.clear();
        placeView(c.viewRect);
        view->setStretchMode(c.mode);
        const QRect dst(QPoint(0, 0), c.viewRect.size());
        const QRect src(0, 0, 1920, 1080);
        p->drawing().stretch(*view, dst, *monitor, src);
        view->present();
        shown();

        QRegion changed;
        for (const QRect& r : patches) {
            shown_.push_back(
                client.showImage(r.translated(kRight.topLeft()), white.copy(QRect(QPoint(0, 0), r.size()))));
            changed += r;
        }
        client.sync();
        QRegion part = orvane::ChangedViewRegion(changed, src.size(), dst.size(), c.mode);
        part &= QRect(view->visibleOrigin(), visible().size());
        p->drawing().stretchPart(*view, dst, *monitor, src, part);
        view->present(part);
        const QImage partial = shown();
        p->drawing().stretch(*view, dst, *monitor, src);
        view->present();
        const QImage whole = shown();
        int differing = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x) differing += partial.pixel(x, y) != whole.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, X11Drawing,
                         ::testing::Values(Feature{"Render", true, true}, Feature{"NoShm", true, false},
                                           Feature{"NoRender", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });
