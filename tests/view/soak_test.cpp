// A long run on the simulated desktop: 20 000 ticks while zoom, interval,
// monitors, marker, pursuit, the pointer and the pictures change at random
// (a fixed seed, so a failure repeats). Nothing may fail under the
// sanitizers, and the live heap may not grow once it has warmed up.
#include <malloc.h>

#include <QPixmapCache>
#include <QToolButton>
#include <random>

#include "support/main_window_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // the sanitizer's allocator
#endif

namespace orvane {
namespace {

using platform::fake::FakePlatform;
using test::MainWindowTest;

TEST_F(MainWindowTest, TwentyThousandTicksOfRandomChangesLeakNothing) {
    addMonitor("DP-1", {0, 0, 800, 600}, true);
    addMonitor("HDMI-1", {800, 0, 1440, 360}, false);
    writeSettings("[Main]\r\nDisplay=HDMI-1\r\nInterval= 10\r\n");
    frmMain& w = start();
    std::mt19937 random(7);
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int ticks = 0;
    onCall = [&ticks](const std::string& call) { ticks += call == "MonitorContext::takeChanges"; };
    auto plug = [&](bool in) {
        in ? addMonitor("DP-2", {-640, 0, 0, 480}, false) : fake.removeMonitor("DP-2");
        fake.desk().layoutWatcher();
    };
    // The heap is compared in one state (100 %, no third monitor, no
    // pursuit, settled), since a larger zoom holds a larger picture.
    auto heapInOneState = [&]() -> std::size_t {
        typeInto(w.cmbZoom, "100");
        if (fake.desk().find("DP-2")) plug(false);
        if (w.chkMouse->isChecked()) QTest::mouseClick(w.chkMouse, Qt::LeftButton);
        const int counted = ticks;
        QTest::qWait(400);  // the monitor list settles
        ticks = counted;
        QPixmapCache::clear();  // Qt's style keeps pixmaps of the controls at every size they took
#if defined(__SANITIZE_ADDRESS__)
        return __sanitizer_get_current_allocated_bytes();
#else
        return mallinfo2().uordblks;
#endif
    };

    std::size_t warm = 0;
    const std::function<void()> changes[] = {
        [&] { typeInto(w.cmbZoom, QString::number(10 + pick(291))); },
        [&] { typeInto(w.cmbTimer, QString::number(0.01 * (1 + pick(100)))); },
        [&] { plug(!fake.desk().find("DP-2")); },
        [&] {
            w.cmbCursor->setFocus();
            QTest::keyClick(w.cmbCursor, pick(2) ? Qt::Key_Down : Qt::Key_Up);
        },
        [&] { QTest::mouseClick(w.chkMouse, Qt::LeftButton); },
        [&] {
            fake.setPointerPosition({pick(1440) - 640, pick(600)});
        },
        [&] {
            fake.paint("HDMI-1", {pick(600), pick(320)},
                       FakePlatform::solid({40, 40}, qRgb(pick(256), 0, 0)));
        },
    };
    for (int step = 0; ticks < 20000; ++step) {
        if (warm == 0 && ticks >= 10000) warm = heapInOneState();
        if (step % 40 == 0) {
            changes[pick(7)]();
            w.tmrMain.setInterval(0);  // ticks back to back: 20 000 take seconds, not minutes
        }
        QApplication::processEvents();
    }
    // The first half fills Qt's caches; a leak of even 100 bytes a tick
    // would add 1 MiB over the second half.
    EXPECT_LT(heapInOneState(), warm + 1024 * 1024) << "the heap grew by more than 1 MiB in the second half";
}

}  // namespace
}  // namespace orvane
