// The display-mode class against the simulated desktop's mode tables.
#include "display/display.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace orvane {
namespace {

using platform::fake::FakeMode;
using platform::fake::fakeMode;
namespace DispChange = platform::DispChange;
namespace ChangeFlags = platform::ChangeFlags;

// Primary "P" and a second monitor "S" with the given modes, read by `d` once they are there.
struct Monitors {
    explicit Monitors(std::vector<FakeMode> modes) {
        fake.addMonitor({.deviceName = "P", .rect = {0, 0, 1920, 1080}, .primary = true});
        fake.addMonitor({.deviceName = "S", .rect = {1920, 0, 3840, 1080}});
        fake.setModes("S", std::move(modes));
    }
    platform::fake::FakePlatform fake;
};
struct Desk : Monitors {
    using Monitors::Monitors;
    Display d{fake.displayModes()};
    const std::vector<platform::fake::ModeChange>& changes() { return fake.modeChanges(); }
};

TEST(Display, GettersOutsideTheTableAnswerZeroAndMinusOneTheCurrentMode) {
    Desk k(std::vector<FakeMode>{});
    k.fake.setModes("S", {fakeMode(1920, 1080, 32, 60), fakeMode(40000, 1024, 32, 75)}, 1);
    ASSERT_EQ(k.d.GetDisplayMode(std::string("S")), 2);
    for (std::int16_t index : {2, 1001, -2, -32768})
        EXPECT_EQ(k.d.GetWidth(index) | k.d.GetHeight(index) | k.d.GetBit(index) | k.d.GetFreq(index), 0) << index;
    EXPECT_EQ(k.d.GetWidth(1), 32767) << "too wide for 16 bits: saturated, not wrapped";
    EXPECT_EQ(k.d.GetHeight(-1), 1024);
    k.d.GetDisplayMode(std::string("GONE"));  // a device the platform knows nothing about
    EXPECT_EQ(k.d.GetWidth(-1), 0);
    // No modes (the resolution dialog's test): the current mode still comes from the monitor.
    k.fake.setModes("S", {});
    EXPECT_EQ(k.d.GetDisplayMode(std::string("S")), 0);
    EXPECT_EQ(k.d.GetWidth(-1), 1920);
}

TEST(Display, SearchByWidthHeightDepthTakesTheLowestIndexIgnoringRate) {
    Desk k({fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 75), fakeMode(1280, 1024, 16, 60),
            fakeMode(1280, 1024, 32, 60)});
    k.d.GetDisplayMode(std::string("S"));
    EXPECT_EQ(k.d.ChangeDisplayMode(-1, 1280, 1024, 32), DispChange::Successful);
    EXPECT_EQ(k.d.ChangeDisplayMode(500, 1280, 1024, 16), DispChange::Successful);
    EXPECT_EQ(k.d.ChangeDisplayMode(4, 1280, 1024, 32), DispChange::Successful);  // 4 = count: searched too
    EXPECT_EQ(k.d.ChangeDisplayMode(-1, 1280, 1024, 8), DispChange::BadMode);
    ASSERT_EQ(k.changes().size(), 3u);
    EXPECT_EQ(std::vector<std::uint64_t>({k.changes()[0].mode->id, k.changes()[1].mode->id, k.changes()[2].mode->id}),
              std::vector<std::uint64_t>({2, 3, 2}));
}

// (A mode refused when applied: the resolution dialog's test.)
TEST(Display, ModeRefusedAtChangeTimeReportsTheFailureAndAppliesNothing) {
    FakeMode late = fakeMode(1280, 1024, 32, 75);
    late.testsBeforeChange = 1;  // passes while reading, refused afterwards
    late.laterTestResult = DispChange::Restart;
    Desk k({fakeMode(1920, 1080, 32, 60), late});
    ASSERT_EQ(k.d.GetDisplayMode(std::string("S")), 2);
    EXPECT_EQ(k.d.ChangeDisplayMode(1, 0, 0, 0), DispChange::Restart);
    EXPECT_TRUE(k.changes().empty());
}

TEST(Display, ChangeMethodsSelectFlagsAndWhatRestoreReturnsTo) {
    for (const auto& [value, flags] : std::vector<std::pair<std::int32_t, std::uint32_t>>{
             {0, ChangeFlags::Temporary}, {1, ChangeFlags::UpdateRegistry},
             {2, ChangeFlags::UpdateRegistry | ChangeFlags::Global}, {3, ChangeFlags::Temporary},
             {-1, ChangeFlags::Temporary}}) {
        Desk k({fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 75)});
        k.d.GetDisplayMode(std::string("S"));
        k.d.UpdateRegistry(value);
        EXPECT_EQ(k.d.ChangeDisplayMode(1, 0, 0, 0), DispChange::Successful) << value;
        EXPECT_EQ(k.changes().at(0).flags, flags) << value;
        // Restoring goes back to the registered mode: the old one unless the change registered itself.
        const int width = flags == ChangeFlags::Temporary ? 1920 : 1280;
        k.d.RestoreSetting();
        EXPECT_EQ(k.fake.monitors().enumerate()[1].monitor.right, 1920 + width) << value;
        EXPECT_EQ(k.d.GetWidth(-1), width) << value;
    }
}

TEST(Display, MoreModesThanTheTableHoldsKeepsTheFirst1001) {
    std::vector<FakeMode> many;
    for (std::uint32_t i = 0; i < 1500; ++i) {
        many.push_back(fakeMode(640 + i, 480, 32, 60));
        if (i % 100 == 7) many.back().testResult = DispChange::Failed;  // dropped, so it does not count
    }
    Desk k(many);
    EXPECT_EQ(k.d.GetDisplayMode(std::string("S")), 1001);
    // 11 of the first 1012 modes were rejected; reading stops once the table is full.
    EXPECT_EQ(k.d.GetWidth(1000), 640 + 1011);
    EXPECT_EQ(k.d.GetWidth(1001), 0);
    EXPECT_EQ(k.fake.testCount("S"), 1012);
    EXPECT_EQ(k.d.ChangeDisplayMode(-1, 640 + 1100, 480, 32), DispChange::BadMode);
}

}  // namespace
}  // namespace orvane
