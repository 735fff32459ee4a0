// The tick's drawing operations on the real server through each of the backend's paths: a known
// picture on the second monitor goes through them into the view's window and is read back.
#include "support.h"
#include "view/changed_part.h"

using namespace orvane::platform;
using namespace orvane::e2e;

namespace {

constexpr QRect kFrame(100, 100, 800, 600);

struct Feature {
    const char* name;
    bool render, shm;
};

class X11Drawing : public ::testing::TestWithParam<Feature> {
protected:
    void SetUp() override {
        x11::Options o;
        o.useRender = GetParam().render;
        o.useShm = GetParam().shm;
        p = backend(o);
        client.showImage(kRight, picture);
        monitor = p->monitors().openMonitor(watched());
        frame = showFrame(kFrame);
        view = p->drawing().createView(frame.get());
        ASSERT_TRUE(monitor && view);
    }

    void place(const QRect& viewRect) {
        view->setGeometry(viewRect, frame->size());
        QTest::qWait(50);
    }
    // The view at viewRect inside the frame, the whole of src stretched into it.
    QImage draw(const QRect& viewRect, StretchMode mode, Surface& src) {
        place(viewRect);
        view->setStretchMode(mode);
        p->drawing().stretch(*view, QRect(QPoint(0, 0), viewRect.size()), src,
                             QRect(QPoint(0, 0), src.size()));
        view->present();
        return shown();
    }
    QImage shown() {
        settle(*p);
        return p->drawing().grab(kFrame);
    }
    // Every frame pixel the view covers passes ok(got, view x, view y).
    template <typename F>
    void expectView(const QImage& shot, F ok) {
        const QRect visible = view->geometry() & QRect(QPoint(0, 0), frame->size());
        const QPoint o = view->visibleOrigin() - visible.topLeft();
        int bad = 0;
        for (int y = visible.top(); y <= visible.bottom(); ++y)
            for (int x = visible.left(); x <= visible.right(); ++x)
                bad += !ok(shot.pixel(x, y), o.x() + x, o.y() + y);
        EXPECT_EQ(bad, 0) << "view pixels wrong";
    }

    const QImage picture = image(kRight.size(), patternPixel);
    TestClient client;
    std::unique_ptr<Platform> p;
    std::unique_ptr<MonitorContext> monitor;
    std::unique_ptr<QWidget> frame;
    std::unique_ptr<ViewSurface> view;
};

}  // namespace

TEST_P(X11Drawing, GrabCopyInvertAndThePointerImageAreExact) {
    EXPECT_TRUE(p->drawing().grab(kRight) == picture);

    // A 100 % view scrolled by (300, 500), a 3x3 square of it inverted.
    place(QRect(-300, -500, 1920, 1080));
    p->drawing().copy(*view, QRect(0, 0, 1920, 1080), *monitor, QPoint(0, 0));
    const QRect inverted(320, 540, 3, 3);
    p->drawing().invert(*view, inverted);
    view->present();
    expectView(shown(), [&](QRgb got, int x, int y) {
        return got == (picture.pixel(x, y) ^ (inverted.contains(x, y) ? 0x00ffffffU : 0U));
    });

    // Half-transparent red over a memory copy at (400, 300), its corner pixel clear.
    auto mem = p->drawing().createMemoryCopy(*monitor, monitor->size());
    CursorImage cur{QImage(16, 16, QImage::Format_ARGB32_Premultiplied), {}, 7};
    cur.image.fill(qRgba(0x80, 0, 0, 0x80));
    cur.image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    p->drawing().drawCursor(*mem, QPoint(400, 300), cur);
    place(QRect(-300, -250, 1920, 1080));
    p->drawing().copy(*view, QRect(0, 0, 1920, 1080), *mem, QPoint(0, 0));
    view->present();
    expectView(shown(), [&](QRgb got, int x, int y) {
        const QRgb under = picture.pixel(x, y);
        if (!QRect(400, 300, 16, 16).contains(x, y) || (x == 400 && y == 300)) return got == under;
        return colourDistance(got, qRgb(0x80 + qRed(under) / 2, qGreen(under) / 2, qBlue(under) / 2)) <= 2;
    });

    // Without a persistent image drawing goes straight to the window, unpresented.
    view->setPersistent(false);
    place(QRect(0, 0, 800, 600));
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *monitor, QPoint(100, 400));
    expectView(shown(), [&](QRgb got, int x, int y) { return got == picture.pixel(100 + x, 400 + y); });
}

TEST_P(X11Drawing, StretchingSamplesTheWatchedMonitorOnly) {
    // Simple: each view pixel shows the monitor pixel under its centre (either one on their edge),
    // also in a view far beyond the 16 bits of X window sizes and Composite offsets.
    for (const QRect& r :
         {QRect(-1700, -1500, 3840, 2160), QRect(0, 0, 960, 540), QRect(-50000, -30000, 60000, 40000)}) {
        expectView(draw(r, StretchMode::Simple, *monitor), [&](QRgb got, int x, int y) {
            const double u = (x + 0.5) * 1920 / r.width(), v = (y + 0.5) * 1080 / r.height();
            for (const double d : {-0.05, 0.05})
                for (const double e : {-0.05, 0.05})
                    if (got == picture.pixel(static_cast<int>(u + d), static_cast<int>(v + e))) return true;
            return false;
        });
    }

    // Quality at 50 % averages each 2x2 block (the stripes at y 900..909 turn purple, not red or blue).
    expectView(draw(QRect(0, 0, 960, 540), StretchMode::Quality, *monitor), [&](QRgb got, int x, int y) {
        int r = 0, g = 0, b = 0;
        for (int d = 0; d < 4; ++d) {
            const QRgb c = picture.pixel(2 * x + d % 2, 2 * y + d / 2);
            r += qRed(c), g += qGreen(c), b += qBlue(c);
        }
        return colourDistance(got, qRgb(r / 4, g / 4, b / 4)) <= 2;
    });

    // Something white just left of the watched monitor never blends in.
    client.showImage(QRect(1900, 0, 20, 1080), solid(QSize(20, 1080), qRgb(255, 255, 255)));
    const QImage big = draw(QRect(0, 0, 3840, 2160), StretchMode::Quality, *monitor);
    for (int y : {10, 300, 599}) EXPECT_EQ(big.pixel(0, y), picture.pixel(0, y / 2)) << "row " << y;
    // Enlarging pads the part it samples of the monitor, a memory copy whole: the same picture.
    auto mem = p->drawing().createMemoryCopy(*monitor, monitor->size());
    const QRect r(-3000, -1200, 5760, 3240);
    const QImage fromCopy = draw(r, StretchMode::Quality, *mem),
                 fromMonitor = draw(r, StretchMode::Quality, *monitor);
    expectView(fromMonitor, [&](QRgb got, int x, int y) {
        return colourDistance(got, fromCopy.pixel(x - 3000, y - 1200)) <= 1;
    });
    EXPECT_EQ(fromMonitor.pixel(450, 300), picture.pixel(1150, 500));
}

TEST_P(X11Drawing, PersistentImageComesBackAfterBeingCovered) {
    // What the window loses is asked for again at once (the program draws it anew): only that part.
    QRegion asked;
    view->setLostPartHandler([&](const QRegion& lost) {
        asked += lost;
        for (const QRect& r : lost) p->drawing().copy(*view, r, *monitor, r.topLeft() + QPoint(500, 300));
        view->present(lost);
    });
    place(QRect(0, 0, 800, 600));
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *monitor, QPoint(500, 300));
    view->present();
    settle(*p);
    QTest::qWait(200);
    asked = QRegion();
    const xcb_window_t cover =
        client.showImage(QRect(200, 200, 300, 200), solid(QSize(300, 200), 0xff808080));
    EXPECT_EQ(shown().pixel(200, 200), qRgb(0x80, 0x80, 0x80));
    client.destroy(cover);
    // No tick runs: the expose alone must bring the picture back.
    QTest::qWait(200);
    expectView(shown(), [&](QRgb got, int x, int y) { return got == picture.pixel(500 + x, 300 + y); });
    EXPECT_EQ(asked.boundingRect(), QRect(100, 100, 300, 200)) << "only the part that was covered";
}

TEST_P(X11Drawing, RedrawingTheChangedPartEqualsAWholeNewFrame) {
    const std::pair<QRect, StretchMode> cases[] = {{QRect(0, 0, 960, 540), StretchMode::Simple},
                                                   {QRect(-300, -200, 1440, 810), StretchMode::Quality},
                                                   {QRect(-1500, -600, 5760, 3240), StretchMode::Simple},
                                                   {QRect(0, 0, 211, 119), StretchMode::Quality}};
    // Bright patches in the middle, at both corners (edges sample with padding), two close together.
    const QRect patches[] = {QRect(700, 400, 13, 9), QRect(0, 0, 5, 5), QRect(1913, 1074, 7, 6),
                             QRect(310, 230, 3, 3), QRect(316, 236, 2, 2)};
    for (const auto& [viewRect, mode] : cases) {
        SCOPED_TRACE(viewRect.width());
        TestClient patchClient;
        draw(viewRect, mode, *monitor);
        QRegion changed;
        for (const QRect& r : patches) {
            patchClient.showImage(r.translated(kRight.topLeft()), solid(r.size(), qRgb(255, 255, 255)));
            changed += r;
        }
        const QRect dst(QPoint(0, 0), viewRect.size()), src(0, 0, 1920, 1080);
        const QRegion part = orvane::ChangedViewRegion(changed, src.size(), dst.size(), mode) &
                             QRect(view->visibleOrigin(), (view->geometry() & frame->rect()).size());
        p->drawing().stretchPart(*view, dst, *monitor, src, part);
        view->present(part);
        const QImage partial = shown();
        EXPECT_TRUE(draw(viewRect, mode, *monitor) == partial);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, X11Drawing,
                         ::testing::Values(Feature{"Render", true, true}, Feature{"NoShm", true, false},
                                           Feature{"NoRender", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });
