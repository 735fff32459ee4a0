// The simulated desktop's monitors, pointer and mode tables: the rules other
// tests lean on (fallback monitor, nearest monitor, vanishing monitors, mode
// bookkeeping).
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace orvane::platform::fake {
namespace {

TEST(FakeMonitors, EnumerationOrderAndFallback) {
    FakePlatform fake;
    auto& monitors = fake.monitors();

    // No monitor at all: one primary monitor of the default size.
    auto none = monitors.enumerate();
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].monitor, (Rect{0, 0, 1920, 1080}));
    EXPECT_TRUE(none[0].primary);
    EXPECT_EQ(none[0].deviceName, FakePlatform::kFallbackDeviceName);
    EXPECT_EQ(monitors.monitorFromRect({5000, 5000, 5100, 5100}), FakePlatform::kFallbackHandle);
    ASSERT_NE(monitors.openMonitor(FakePlatform::kFallbackDeviceName), nullptr);

    const auto right = fake.addMonitor({.deviceName = "DUMMY1", .rect = {1920, 0, 3200, 1024}});
    const auto left = fake.addMonitor({.deviceName = "DUMMY0",
                                       .rect = {0, 0, 1920, 1080},
                                       .primary = true,
                                       .work = Rect{0, 0, 1920, 1040}});
    auto two = monitors.enumerate();
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].deviceName, "DUMMY1");
    EXPECT_EQ(two[0].work, two[0].monitor);
    EXPECT_EQ(two[1].work, (Rect{0, 0, 1920, 1040}));
    EXPECT_NE(left, right);
    EXPECT_EQ(fake.screenRect(), (Rect{0, 0, 3200, 1080}));

    fake.setOrder({"DUMMY0"});
    two = monitors.enumerate();
    EXPECT_EQ(two[0].handle, left);
    EXPECT_EQ(two[1].handle, right);
    EXPECT_EQ(monitors.openMonitor("NOPE"), nullptr);
}

TEST(FakeMonitors, MonitorFromRectTakesLargestOverlapElseNearest) {
    FakePlatform fake;
    const auto a = fake.addMonitor({.deviceName = "A", .rect = {0, 0, 1920, 1080}, .primary = true});
    const auto b = fake.addMonitor({.deviceName = "B", .rect = {1920, 0, 3840, 1080}});
    auto& monitors = fake.monitors();
    EXPECT_EQ(monitors.monitorFromRect({1800, 100, 2100, 300}), b);  // 180 of 300 columns on B
    EXPECT_EQ(monitors.monitorFromRect({1700, 100, 2000, 300}), a);
    EXPECT_EQ(monitors.monitorFromRect({4000, 10, 4100, 20}), b);  // right of everything
    EXPECT_EQ(monitors.monitorFromRect({-500, -500, -400, -400}), a);
    EXPECT_EQ(monitors.monitorFromRect({2000, 50, 2000, 50}), b);  // empty rectangle on B
}

TEST(FakeMonitors, ContextOfShrunkOrVanishedMonitorReadsBlack) {
    FakePlatform fake;
    fake.addMonitor({.deviceName = "A", .rect = {0, 0, 100, 50}, .primary = true});
    fake.addMonitor({.deviceName = "B",
                     .rect = {100, 0, 200, 50},
                     .picture = FakePlatform::solid({100, 50}, qRgb(9, 8, 7))});
    auto context = fake.monitors().openMonitor("B");
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->rect(), (Rect{100, 0, 200, 50}));
    EXPECT_EQ(context->bitsPerPixel(), 32);
    EXPECT_EQ(context->refreshRate(), 60);
    const QImage before = fake.screenPicture();
    EXPECT_EQ(before.pixel(150, 10), qRgb(9, 8, 7));
    EXPECT_EQ(before.pixel(10, 10), qRgb(10, 10, 40));  // A: coordinate pattern, blue 40 × handle 1

    EXPECT_EQ(FakePlatform::imageOf(*context).pixel(99, 49), qRgb(9, 8, 7));

    // Shrunk: the lost right half reads black, the rest still shows.
    fake.setMonitorRect("B", {100, 0, 150, 50});
    QImage shrunk = FakePlatform::imageOf(*context);
    EXPECT_EQ(shrunk.size(), QSize(100, 50));
    EXPECT_EQ(shrunk.pixel(49, 10), qRgb(9, 8, 7));
    EXPECT_EQ(shrunk.pixel(50, 10), qRgb(0, 0, 0));
    EXPECT_EQ(fake.drawing().grab({140, 0, 20, 1}).pixel(9, 0), qRgb(9, 8, 7));
    EXPECT_EQ(fake.drawing().grab({140, 0, 20, 1}).pixel(10, 0), qRgb(0, 0, 0));

    // Gone: all black, even if another monitor now covers that place.
    fake.removeMonitor("B");
    fake.setMonitorRect("A", {0, 0, 200, 50});
    EXPECT_EQ(fake.screenPicture().pixel(150, 10), qRgb(150, 10, 40));
    EXPECT_EQ(FakePlatform::imageOf(*context), FakePlatform::solid({100, 50}, qRgb(0, 0, 0)));
}

TEST(FakeMonitors, ChangesReportOnlyWhatTheContextsPixelsMayShowDifferently) {
    FakePlatform fake;
    fake.addMonitor({.deviceName = "A", .rect = {0, 0, 100, 50}, .primary = true});
    fake.addMonitor({.deviceName = "B", .rect = {100, 0, 200, 50}});
    auto b = fake.monitors().openMonitor("B");
    ASSERT_NE(b, nullptr);
    // A new context has seen nothing yet.
    EXPECT_TRUE(b->takeChanges().all);
    auto changed = [&] { return b->takeChanges().any(); };
    EXPECT_FALSE(changed());
    EXPECT_FALSE(changed());

    // Painted pixels: only their area, in the monitor's own pixels, and
    // clipped to the monitor.
    fake.paint("B", QPoint(10, 20), FakePlatform::solid({3, 2}, qRgb(9, 9, 9)));
    fake.paint("B", QPoint(98, 49), FakePlatform::solid({5, 5}, qRgb(9, 9, 9)));
    const MonitorChanges painted = b->takeChanges();
    EXPECT_FALSE(painted.all);
    EXPECT_EQ(painted.region, QRegion(10, 20, 3, 2) + QRegion(98, 49, 2, 1));
    EXPECT_FALSE(changed());
    fake.paint("A", QPoint(0, 0), FakePlatform::solid({100, 50}, qRgb(9, 9, 9)));
    EXPECT_FALSE(changed());

    fake.setPicture("B", FakePlatform::solid({100, 50}, qRgb(1, 2, 3)));
    EXPECT_TRUE(changed());
    EXPECT_FALSE(changed());
    // Another monitor's picture, depth or rate: nothing B shows.
    fake.setPicture("A", FakePlatform::solid({100, 50}, qRgb(4, 5, 6)));
    fake.setBitsPerPixel("B", 16);
    EXPECT_FALSE(changed());

    fake.setMonitorRect("B", {100, 0, 150, 50});
    EXPECT_TRUE(changed());
    // A grows into the area B's context still reads (black there now).
    fake.setMonitorRect("A", {0, 0, 120, 50});
    EXPECT_TRUE(changed());
    fake.setOrder({"B", "A"});  // A now covers B where they overlap
    EXPECT_TRUE(changed());
    fake.setMonitorRect("A", {0, 0, 100, 50});
    EXPECT_TRUE(changed());

    // A mode that resizes the monitor.
    fake.setModes("B", {fakeMode(50, 50, 32, 60), fakeMode(100, 50, 32, 60)});
    EXPECT_FALSE(changed());
    DisplayMode m;
    ASSERT_TRUE(fake.displayModes().enumMode("B", 1, m));
    EXPECT_EQ(fake.displayModes().applyMode("B", m, ChangeFlags::Temporary), DispChange::Successful);
    EXPECT_TRUE(changed());
    EXPECT_FALSE(changed());

    fake.removeMonitor("B");
    EXPECT_TRUE(changed());
    EXPECT_FALSE(changed());
    fake.addMonitor({.deviceName = "B", .rect = {100, 0, 200, 50}});
    EXPECT_TRUE(changed());
    fake.removeAllMonitors();
    EXPECT_TRUE(changed());

    // Each context counts for itself.
    fake.addMonitor({.deviceName = "B", .rect = {100, 0, 200, 50}});
    auto again = fake.monitors().openMonitor("B");
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->takeChanges().any());
    EXPECT_TRUE(changed());
    EXPECT_FALSE(again->takeChanges().any());
    fake.paint("B", QPoint(1, 1), FakePlatform::solid({1, 1}, qRgb(9, 9, 9)));
    EXPECT_EQ(again->takeChanges().region, QRegion(1, 1, 1, 1));
    EXPECT_EQ(b->takeChanges().region, QRegion(1, 1, 1, 1));
}

TEST(FakeMonitors, CallHookCanUnplugAMonitorBetweenCalls) {
    FakePlatform fake;
    fake.addMonitor({.deviceName = "A", .rect = {0, 0, 100, 100}, .primary = true});
    fake.addMonitor({.deviceName = "B", .rect = {100, 0, 200, 100}});
    std::vector<std::string> calls;
    fake.setCallHook([&](const std::string& call) {
        calls.push_back(call);
        if (call == "Monitors::openMonitor") {
            fake.removeMonitor("B");
            (void)fake.monitors().enumerate();  // a call made from the hook does not recurse
        }
    });
    EXPECT_EQ(fake.monitors().enumerate().size(), 2u);
    EXPECT_EQ(fake.monitors().openMonitor("B"), nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"Monitors::enumerate", "Monitors::openMonitor"}));
}

TEST(FakePointer, LogsMovesAndButtonsWithPositions) {
    FakePlatform fake;
    auto& pointer = fake.pointer();
    fake.setPointerPosition({5, 6});  // the user's own move is not injected
    EXPECT_EQ(pointer.position(), (Point{5, 6}));
    pointer.setPosition({100, 200});
    pointer.sendButton(MouseButton::Right, true);
    pointer.sendButton(MouseButton::Right, false);
    pointer.setPosition({5, 6});
    const std::vector<InputEvent> expected{
        {InputEvent::Kind::Move, {100, 200}, MouseButton::Left, false},
        {InputEvent::Kind::Button, {100, 200}, MouseButton::Right, true},
        {InputEvent::Kind::Button, {100, 200}, MouseButton::Right, false},
        {InputEvent::Kind::Move, {5, 6}, MouseButton::Left, false},
    };
    EXPECT_EQ(fake.inputLog(), expected);

    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    const auto first = pointer.cursorInfo()->image->serial;
    fake.setCursorImage(image, {2, 3});
    auto info = pointer.cursorInfo();
    ASSERT_TRUE(info && info->image);
    EXPECT_NE(info->image->serial, first);
    EXPECT_EQ(info->image->hotspot, (Point{2, 3}));
    EXPECT_EQ(info->position, (Point{5, 6}));
    fake.setCursorVisible(false);
    info = pointer.cursorInfo();
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->visible);
    EXPECT_EQ(info->image, nullptr);
    fake.setCursorUnavailable(true);
    EXPECT_FALSE(pointer.cursorInfo());
}

TEST(FakeDisplayModes, TestApplyRestoreAndFlags) {
    FakePlatform fake;
    fake.addMonitor({.deviceName = "P", .rect = {0, 0, 1920, 1080}, .primary = true});
    auto lateFailure = fakeMode(800, 600, 32, 60);
    lateFailure.testsBeforeChange = 1;
    lateFailure.laterTestResult = DispChange::Restart;
    auto refused = fakeMode(640, 480, 32, 60);
    refused.applyResult = DispChange::Failed;
    fake.setModes("P", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 720, 32, 60), lateFailure, refused});
    auto& modes = fake.displayModes();

    DisplayMode m;
    ASSERT_TRUE(modes.enumMode(std::nullopt, 1, m));  // no name: the primary's device
    EXPECT_EQ(m.width, 1280u);
    EXPECT_EQ(m.id, 2u);
    EXPECT_FALSE(modes.enumMode("P", 4, m));
    EXPECT_FALSE(modes.enumMode("NONE", 0, m));

    DisplayMode late;
    ASSERT_TRUE(modes.enumMode("P", 2, late));
    EXPECT_EQ(modes.testMode("P", late), DispChange::Successful);
    EXPECT_EQ(modes.testMode("P", late), DispChange::Restart);
    EXPECT_EQ(modes.applyMode("P", late, ChangeFlags::Temporary), DispChange::Restart);
    EXPECT_EQ(fake.testCount("P"), 2);

    // Temporary: current changes, registered stays, the monitor follows.
    ASSERT_TRUE(modes.enumMode("P", 1, m));
    EXPECT_EQ(modes.applyMode("P", m, ChangeFlags::Temporary), DispChange::Successful);
    EXPECT_EQ(modes.currentMode("P"), m);
    EXPECT_EQ(fake.monitors().enumerate()[0].monitor, (Rect{0, 0, 1280, 720}));
    EXPECT_EQ(modes.restoreRegistered(std::nullopt), DispChange::Successful);
    EXPECT_EQ(modes.currentMode("P")->width, 1920u);
    EXPECT_EQ(fake.monitors().enumerate()[0].monitor, (Rect{0, 0, 1920, 1080}));

    // Registered: restore keeps it.
    EXPECT_EQ(modes.applyMode("P", m, ChangeFlags::UpdateRegistry), DispChange::Successful);
    EXPECT_EQ(fake.registeredMode("P"), m);
    EXPECT_EQ(modes.restoreRegistered("P"), DispChange::Successful);
    EXPECT_EQ(modes.currentMode("P"), m);

    DisplayMode bad;
    ASSERT_TRUE(modes.enumMode("P", 3, bad));
    EXPECT_EQ(modes.testMode("P", bad), DispChange::Successful);
    EXPECT_EQ(modes.applyMode("P", bad, ChangeFlags::Temporary), DispChange::Failed);
    EXPECT_EQ(modes.applyMode("P", m, ChangeFlags::Global), DispChange::BadFlags);
    EXPECT_EQ(modes.applyMode("P", m, 2u), DispChange::BadFlags);
    EXPECT_EQ(modes.currentMode("P"), m);

    DisplayMode foreign = m;
    foreign.id = 99;
    EXPECT_EQ(modes.testMode("P", foreign), DispChange::BadMode);
    ASSERT_EQ(fake.modeChanges().size(), 8u);
    EXPECT_EQ(fake.modeChanges()[2].device, "P");
    EXPECT_FALSE(fake.modeChanges()[2].mode);

    // A device without modes still tells its current mode from its monitor.
    fake.addMonitor({.deviceName = "Q", .rect = {1920, 0, 2944, 768}, .bitsPerPixel = 16, .refreshRate = 75});
    fake.setModes("Q", {});
    EXPECT_FALSE(modes.enumMode("Q", 0, m));
    EXPECT_EQ(modes.currentMode("Q"), (DisplayMode{1024, 768, 16, 75, 0}));
    EXPECT_FALSE(modes.currentMode("NONE"));
}

}  // namespace
}  // namespace orvane::platform::fake
