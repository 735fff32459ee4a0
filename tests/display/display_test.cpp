// The display-mode class against the simulated desktop's mode tables.
#include "display/display.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace orvane {
namespace {

using platform::DisplayMode;
using platform::fake::FakeMode;
using platform::fake::fakeMode;
using platform::fake::FakePlatform;
namespace DispChange = platform::DispChange;
namespace ChangeFlags = platform::ChangeFlags;

// Primary "P" and a second monitor "S" with a table of its own.
struct Desk {
    Desk() {
        fake.addMonitor({.deviceName = "P", .rect = {0, 0, 1920, 1080}, .primary = true});
        fake.addMonitor({.deviceName = "S", .rect = {1920, 0, 3840, 1080}});
    }
    FakePlatform fake;
};

TEST(Display, CreationReadsThePrimaryThenTheNamedDevice) {
    Desk desk;
    auto rejected = fakeMode(1024, 768, 32, 60);
    rejected.testResult = DispChange::BadMode;
    desk.fake.setModes("S", {fakeMode(1920, 1080, 32, 60), rejected, fakeMode(1280, 1024, 16, 75),
                             fakeMode(800, 600, 8, 56)});

    Display d(desk.fake.displayModes());
    EXPECT_EQ(d.GetDisplayModeNumber(), 1);
    EXPECT_EQ(d.GetWidth(0), 1920);
    EXPECT_EQ(d.UpdateRegistry(), 0);

    // The rejected mode is dropped; the others keep their order.
    EXPECT_EQ(d.GetDisplayMode(std::string("S")), 3);
    EXPECT_EQ(d.GetDisplayModeNumber(), 3);
    EXPECT_EQ(desk.fake.testCount("S"), 4);
    EXPECT_EQ(std::vector<int>({d.GetWidth(1), d.GetHeight(1), d.GetBit(1), d.GetFreq(1)}),
              std::vector<int>({1280, 1024, 16, 75}));

    // The record applied is the one the platform enumerated, identity and all.
    ASSERT_EQ(d.ChangeDisplayMode(2, 0, 0, 0), DispChange::Successful);
    ASSERT_EQ(desk.fake.modeChanges().size(), 1u);
    EXPECT_EQ(desk.fake.modeChanges()[0].device, "S");
    EXPECT_EQ(desk.fake.modeChanges()[0].mode, (DisplayMode{800, 600, 8, 56, 4}));

    // Back to no name: changes go to the primary's device.
    EXPECT_EQ(d.GetDisplayMode(), 1);
    EXPECT_EQ(d.ChangeDisplayMode(0, 0, 0, 0), DispChange::Successful);
    EXPECT_EQ(desk.fake.modeChanges().back().device, "P");
}

TEST(Display, GettersOutsideTheTableOrWithoutModesAnswerZeroAndMinusOneTheCurrentMode) {
    Desk desk;
    desk.fake.setModes("S", {fakeMode(1920, 1080, 32, 60), fakeMode(40000, 1024, 32, 75)}, 1);
    Display d(desk.fake.displayModes());
    d.GetDisplayMode(std::string("S"));
    ASSERT_EQ(d.GetDisplayModeNumber(), 2);
    for (std::int16_t index : {std::int16_t{2}, std::int16_t{3}, std::int16_t{1000}, std::int16_t{1001},
                               std::int16_t{32767}, std::int16_t{-2}, std::int16_t{-32768}}) {
        EXPECT_EQ(d.GetWidth(index), 0) << index;
        EXPECT_EQ(d.GetHeight(index), 0) << index;
        EXPECT_EQ(d.GetBit(index), 0) << index;
        EXPECT_EQ(d.GetFreq(index), 0) << index;
    }
    EXPECT_EQ(d.GetWidth(1), 32767) << "too wide for 16 bits: saturated, not wrapped";
    EXPECT_EQ(d.GetWidth(-1), 32767);
    EXPECT_EQ(d.GetHeight(-1), 1024);
    EXPECT_EQ(d.GetFreq(-1), 75);

    // A device the platform knows nothing about: −1 has no answer either.
    d.GetDisplayMode(std::string("GONE"));
    EXPECT_EQ(d.GetWidth(-1), 0);

    // No modes: nothing to change, the current mode still comes from the monitor.
    desk.fake.setModes("S", {});
    EXPECT_EQ(d.GetDisplayMode(std::string("S")), 0);
    EXPECT_EQ(d.GetWidth(0), 0);
    EXPECT_EQ(d.GetWidth(-1), 1920);
    EXPECT_EQ(d.ChangeDisplayMode(0, 1920, 1080, 32), DispChange::BadMode);
    EXPECT_EQ(d.ChangeDisplayMode(-1, 0, 0, 0), DispChange::BadMode);
    EXPECT_TRUE(desk.fake.modeChanges().empty());
}

TEST(Display, SearchByWidthHeightDepthTakesTheLowestIndexIgnoringRate) {
    Desk desk;
    desk.fake.setModes("S", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 75),
                             fakeMode(1280, 1024, 16, 60), fakeMode(1280, 1024, 32, 60)});
    Display d(desk.fake.displayModes());
    d.GetDisplayMode(std::string("S"));

    EXPECT_EQ(d.ChangeDisplayMode(-1, 1280, 1024, 32), DispChange::Successful);
    EXPECT_EQ(d.ChangeDisplayMode(500, 1280, 1024, 16), DispChange::Successful);
    EXPECT_EQ(d.ChangeDisplayMode(4, 1280, 1024, 32), DispChange::Successful);  // 4 = count: searched too
    const auto& changes = desk.fake.modeChanges();
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].mode->id, 2u);
    EXPECT_EQ(changes[1].mode->id, 3u);
    EXPECT_EQ(changes[2].mode->id, 2u);

    // No stored mode of that size and depth.
    EXPECT_EQ(d.ChangeDisplayMode(-1, 1280, 1024, 8), DispChange::BadMode);
    EXPECT_EQ(d.ChangeDisplayMode(-1, 1024, 768, 32), DispChange::BadMode);
    EXPECT_EQ(changes.size(), 3u);
}

TEST(Display, ModeRefusedAtChangeTimeReportsTheFailureAndStays) {
    Desk desk;
    FakeMode late = fakeMode(1280, 1024, 32, 75);
    late.testsBeforeChange = 1;  // passes while reading, refused afterwards
    late.laterTestResult = DispChange::Failed;
    FakeMode restart = fakeMode(1600, 900, 32, 60);
    restart.testsBeforeChange = 1;
    restart.laterTestResult = DispChange::Restart;
    FakeMode refusedOnApply = fakeMode(1024, 768, 32, 60);
    refusedOnApply.applyResult = DispChange::NotUpdated;
    desk.fake.setModes("S", {fakeMode(1920, 1080, 32, 60), late, restart, refusedOnApply});
    Display d(desk.fake.displayModes());
    ASSERT_EQ(d.GetDisplayMode(std::string("S")), 4);
    const DisplayMode before = *desk.fake.displayModes().currentMode("S");

    EXPECT_EQ(d.ChangeDisplayMode(1, 0, 0, 0), DispChange::Failed);
    EXPECT_EQ(d.ChangeDisplayMode(-1, 1600, 900, 32), DispChange::Restart);
    EXPECT_TRUE(desk.fake.modeChanges().empty()) << "a refused test applies nothing";

    EXPECT_EQ(d.ChangeDisplayMode(3, 0, 0, 0), DispChange::NotUpdated);
    ASSERT_EQ(desk.fake.modeChanges().size(), 1u);
    EXPECT_EQ(desk.fake.displayModes().currentMode("S"), before);
    EXPECT_EQ(desk.fake.monitors().enumerate()[1].monitor, (platform::Rect{1920, 0, 3840, 1080}));
}

TEST(Display, ChangeMethodsSelectFlagsAndWhatRestoreReturnsTo) {
    Desk desk;
    desk.fake.setModes("S", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 75)});
    const std::vector<std::pair<std::int32_t, std::uint32_t>> methods{
        {0, ChangeFlags::Temporary},
        {1, ChangeFlags::UpdateRegistry},
        {2, ChangeFlags::UpdateRegistry | ChangeFlags::Global},
        {3, ChangeFlags::Temporary},
        {-1, ChangeFlags::Temporary},
        {100, ChangeFlags::Temporary},
    };
    for (const auto& [value, flags] : methods) {
        Display d(desk.fake.displayModes());
        d.GetDisplayMode(std::string("S"));
        d.UpdateRegistry(value);
        EXPECT_EQ(d.UpdateRegistry(), value);
        desk.fake.clearModeChanges();
        EXPECT_EQ(d.ChangeDisplayMode(1, 0, 0, 0), DispChange::Successful) << value;
        ASSERT_EQ(desk.fake.modeChanges().size(), 1u);
        EXPECT_EQ(desk.fake.modeChanges()[0].flags, flags) << value;
        // Restoring goes back to the registered mode: the old one unless the change registered itself.
        const bool temporary = flags == ChangeFlags::Temporary;
        d.RestoreSetting();
        EXPECT_EQ(desk.fake.displayModes().currentMode("S")->width, temporary ? 1920u : 1280u) << value;
        EXPECT_EQ(desk.fake.monitors().enumerate()[1].monitor.right, temporary ? 3840 : 3200) << value;
        EXPECT_EQ(d.GetWidth(-1), temporary ? 1920 : 1280) << value;
        desk.fake.setModes("S", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 75)});
    }
}

TEST(Display, MoreModesThanTheTableHoldsKeepsTheFirst1001) {
    Desk desk;
    std::vector<FakeMode> many;
    for (std::uint32_t i = 0; i < 1500; ++i) {
        many.push_back(fakeMode(640 + i, 480, 32, 60));
        if (i % 100 == 7) many.back().testResult = DispChange::Failed;  // dropped, so it does not count
    }
    desk.fake.setModes("S", many);
    Display d(desk.fake.displayModes());
    EXPECT_EQ(d.GetDisplayMode(std::string("S")), Display::MaxModes);
    EXPECT_EQ(d.GetDisplayModeNumber(), 1001);
    // 11 of the first 1012 modes were rejected; reading stops once the table is full.
    EXPECT_EQ(d.GetWidth(0), 640);
    EXPECT_EQ(d.GetWidth(7), 648);
    EXPECT_EQ(d.GetWidth(1000), 640 + 1011);
    EXPECT_EQ(d.GetWidth(1001), 0);
    EXPECT_EQ(desk.fake.testCount("S"), 1012);
    EXPECT_EQ(d.ChangeDisplayMode(1000, 0, 0, 0), DispChange::Successful);
    EXPECT_EQ(desk.fake.modeChanges().back().mode->width, 640u + 1011u);
    EXPECT_EQ(d.ChangeDisplayMode(-1, 640 + 1100, 480, 32), DispChange::BadMode);
}

}  // namespace
}  // namespace orvane
