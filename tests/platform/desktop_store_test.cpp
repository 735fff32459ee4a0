// Which desktop keeps display modes, and the layout handed to GNOME's
// display configuration service to keep one monitor's new mode.
#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <thread>

#include "platform/desktop/gnome_display_config.h"

using namespace orvane::platform::desktop;
using namespace orvane::platform::desktop::gnome;

namespace {

Mode mode(int w, int h, double hz, bool current = false) {
    return {.id = QStringLiteral("%1x%2@%3").arg(w).arg(h).arg(hz), .width = w, .height = h, .refresh = hz,
            .supportedScales = {}, .properties = {{QStringLiteral("is-current"), current}}};
}

void addMonitor(State& s, const QString& name, int x, int y, QList<Mode> modes, double scale = 1,
                quint32 transform = 0) {
    const MonitorId id{name, {}, {}, {}};
    s.monitors.push_back({id, std::move(modes), {}});
    s.logicalMonitors.push_back({x, y, scale, transform, false, {id}, {}});
}

QString describe(const QList<ApplyLogicalMonitor>& config) {
    QString out;
    for (const ApplyLogicalMonitor& lm : config)
        for (const ApplyMonitor& m : lm.monitors)
            out += QStringLiteral("%1@%2,%3=%4 ").arg(m.connector).arg(lm.x).arg(lm.y).arg(m.modeId);
    return out.trimmed();
}

}  // namespace

// A store that takes its time does not stop the event loop, and its answer
// comes back whole.
TEST(DesktopStores, AStoreIsWaitedForWithTheEventLoopRunning) {
    struct Slow : DisplayStore {
        bool keep(const KeptMode& mode, std::string& why) override {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            why = "refused " + mode.output;
            return false;
        }
    } slow;
    bool ticked = false;
    QTimer::singleShot(10, [&] { ticked = true; });
    std::string why;
    EXPECT_FALSE(keepWithoutBlocking(slow, {"DP-1", 800, 600, 60, 60.0}, why));
    EXPECT_EQ(why, "refused DP-1");
    EXPECT_TRUE(ticked) << "events were handled while the store worked";
}

TEST(DesktopStores, DesktopIsTakenFromTheSessionsDesktopNames) {
    // Names that merely contain a known one, and plain window managers, are others.
    for (const auto& [names, desktop] : std::vector<std::pair<const char*, Desktop>>{
             {"GNOME", Desktop::Gnome}, {"ubuntu:GNOME", Desktop::Gnome}, {"GNOME-Flashback:GNOME", Desktop::Gnome},
             {"KDE", Desktop::Kde}, {"xfce", Desktop::Xfce}, {"GNOME-Classic", Desktop::Other},
             {"X-Cinnamon", Desktop::Other}, {"openbox", Desktop::Other}, {"", Desktop::Other}, {"::", Desktop::Other}})
        EXPECT_EQ(desktopNamed(names), desktop) << names;
}

TEST(DesktopStores, GnomeLayoutKeepsTheNewModeClosesTheGapAndMeasuresScaledAndTurnedMonitors) {
    State s;
    addMonitor(s, "A", 0, 0, {mode(1920, 1080, 60, true)});
    addMonitor(s, "B", 1920, 0, {mode(1920, 1080, 60, true), mode(1280, 720, 60), mode(1280, 720, 59.94)});
    addMonitor(s, "C", 3840, 0, {mode(1280, 1024, 75, true)});
    addMonitor(s, "D", 1920, 1080, {mode(1920, 1080, 60, true)});
    // Right of B moves left by the width B lost, below B up by the height;
    // of two modes whose rate rounds alike, the exact one.
    EXPECT_EQ(describe(configKeeping(s, {"B", 1280, 720, 60, 59.94}).value()),
              "A@0,0=1920x1080@60 B@1920,0=1280x720@59.94 C@3200,0=1280x1024@75 D@1920,720=1920x1080@60");
    // Nothing to hand over that the service would not know.
    EXPECT_FALSE(configKeeping(s, {"E", 1280, 720, 60, 60}));
    EXPECT_FALSE(configKeeping(s, {"B", 1280, 720, 75, 75}));
    s.logicalMonitors.removeLast();  // D is switched off
    EXPECT_FALSE(configKeeping(s, {"D", 1920, 1080, 60, 60}));

    // Logical layout: a monitor at scale 2 takes half its pixels.
    State scaled;
    scaled.properties[QStringLiteral("layout-mode")] = QVariant::fromValue(kLayoutLogical);
    addMonitor(scaled, "A", 0, 0, {mode(3840, 2160, 60, true), mode(2560, 1440, 60)}, 2.0);
    addMonitor(scaled, "B", 1920, 0, {mode(1920, 1080, 60, true)});
    EXPECT_EQ(describe(configKeeping(scaled, {"A", 2560, 1440, 60, 60}).value()),
              "A@0,0=2560x1440@60 B@1280,0=1920x1080@60");
    // Turned a quarter: the mode's height is its width in the layout.
    State turned;
    addMonitor(turned, "A", 0, 0, {mode(1920, 1080, 60, true), mode(1280, 720, 60)}, 1.0, 1);
    addMonitor(turned, "B", 1080, 0, {mode(1920, 1080, 60, true)});
    const auto config = configKeeping(turned, {"A", 1280, 720, 60, 60});
    EXPECT_EQ(describe(config.value()), "A@0,0=1280x720@60 B@720,0=1920x1080@60");
    EXPECT_EQ(config->at(0).transform, 1U);
}
