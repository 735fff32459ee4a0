// Loading and saving the settings: values and their rounding, the version 1
// upgrade, where the file lives and the text rules the settings depend on.
// The defaults and the whole file they write are checked by the main window's
// first run (MainWindowTest).
#include "core/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <limits>

#include "core/app_path.h"
#include "core/app_state.h"
#include "core/rounding.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::readAll;
using test::writeAll;

struct SettingsTest : ::testing::Test {
    test::TempDir dir;
    std::string file = dir.file("Orvane.ini");
    void SetUp() override {
        ::unsetenv("ORVANE_CONFIG_DIR");
        AppState = AppStateData{};
        AppState.AppPath = dir.path();
        SetPrimaryScreenTwipsSource([] { return ScreenTwips{1920 * 15.0f, 1080 * 15.0f}; });
    }
    void TearDown() override { SetPrimaryScreenTwipsSource({}); }
};

TEST_F(SettingsTest, ValuesRoundTripWithTheirRoundingAndFlagForm) {
    writeAll(file,
             "[Main]\r\nZoom= 125\r\nNoRedraw= 5\r\nDisplay=DUMMY1\r\nCursor= 9\r\n"
             "[View]\r\nWindowPos_Left=-900\r\nFullScreen=-1\r\nUnknownKey=keep me\r\n");
    LoadSettings();
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.25);
    EXPECT_TRUE(AppState.NoRedraw);
    EXPECT_TRUE(AppState.FullScreen);
    EXPECT_EQ(AppState.Cursor, 9) << "values are taken as read";
    EXPECT_EQ(AppState.WindowPos_Left, -900);

    AppState.Display = DeviceField("DUMMY1");  // a selection stores the padded field
    AppState.ZoomRate = 0.125;
    SaveSettings();
    const std::string saved = readAll(file);
    EXPECT_NE(saved.find("NoRedraw= 1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Zoom= 12\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Display=DUMMY1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("FullScreen= 1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("UnknownKey=keep me\r\n"), std::string::npos);
    AppState.ZoomRate = 0.375;
    SaveSettings();
    EXPECT_NE(readAll(file).find("Zoom= 38\r\n"), std::string::npos);

    writeAll(file, "[Main]\r\nZoom= 0\r\n");
    LoadSettings();
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 0.0);
}

TEST_F(SettingsTest, Version1FileIsUpgradedAtOnceAndCompletely) {
    struct Case {
        const char* interval;  // nullptr: no Interval key
        std::int32_t expected;
    };
    for (const Case c : {Case{" 0", 1000}, Case{" 1", 500}, Case{" 2", 100}, Case{" 3", 50}, Case{" 4", 10},
                         Case{" 7", 7}, Case{nullptr, 100}}) {
        std::string text = "[Main]\r\nSettingVersion= 1\r\n";
        if (c.interval) text += std::string("Interval=") + c.interval + "\r\n";
        writeAll(file, text);
        LoadSettings();
        EXPECT_EQ(AppState.Interval, c.expected) << (c.interval ? c.interval : "missing");
        // The file holds both the new version and the converted interval, even
        // if the program were killed now.
        const std::string after = readAll(file);
        EXPECT_NE(after.find("SettingVersion= 2\r\n"), std::string::npos);
        EXPECT_NE(after.find("Interval= " + std::to_string(c.expected) + "\r\n"), std::string::npos) << after;
        LoadSettings();
        EXPECT_EQ(AppState.Interval, c.expected) << "a second start must not convert again";
    }
    for (const char* version : {" 3", " 0", "-1"}) {
        writeAll(file, std::string("[Main]\r\nSettingVersion=") + version + "\r\nInterval= 2\r\n");
        LoadSettings();
        EXPECT_EQ(AppState.Interval, 2) << version;
        EXPECT_EQ(readAll(file).find("SettingVersion= 2"), std::string::npos);
    }
}

TEST_F(SettingsTest, WindowDefaultsFollowThePrimaryScreenInTwips) {
    SetPrimaryScreenTwipsSource([] { return ScreenTwips{20490.0f, 11520.0f}; });  // 1366 x 768
    LoadSettings();
    EXPECT_EQ(AppState.WindowPos_Left, 5122);  // 5122.5 rounds to the even neighbour
    EXPECT_EQ(AppState.WindowPos_Top, 2880);
    EXPECT_EQ(AppState.WindowPos_Width, 10245);
    EXPECT_EQ(AppState.WindowPos_Height, 5760);

    // A size that holds no number would be no window at all: the default
    // size; anything else without a number reads 0.
    writeAll(file, "[View]\r\nWindowPos_Width=abc\r\nWindowPos_Height= \r\nWindowPos_Left=x\r\nToolBar=?\r\n");
    LoadSettings();
    EXPECT_EQ(AppState.WindowPos_Width, 10245);
    EXPECT_EQ(AppState.WindowPos_Height, 5760);
    EXPECT_EQ(AppState.WindowPos_Left, 0);
    EXPECT_FALSE(AppState.ToolBar);

    SetPrimaryScreenTwipsSource({});  // Qt's screen: twips = pixels x 1440 / logical DPI
    const ScreenTwips qt = PrimaryScreenTwips();
    EXPECT_GT(qt.width, 0.0f);
    EXPECT_GT(qt.height, 0.0f);
}

TEST_F(SettingsTest, FileLivesInTheProgramFolderOrTheUsersConfigFolder) {
    EXPECT_EQ(SettingsFilePath(), dir.path() + "Orvane.ini");

    test::TempDir home;
    ::setenv("XDG_CONFIG_HOME", (home.path() + "cfg").c_str(), 1);
    AppState.AppPath = dir.path() + "no-such-folder/";  // cannot be written
    EXPECT_EQ(SettingsFilePath(), home.path() + "cfg/orvane/Orvane.ini");
    EXPECT_TRUE(QDir(QString::fromStdString(home.path() + "cfg/orvane")).exists());
    LoadSettings();
    SaveSettings();
    EXPECT_NE(readAll(home.path() + "cfg/orvane/Orvane.ini").find("[Main]\r\nNoRedraw= 0\r\n"), std::string::npos);

    // An installed program's folder, even a writable one (root's), holds no settings.
    const std::string prefix = dir.path() + "usr/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(prefix + "share/applications")));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(prefix + "bin")));
    AppState.AppPath = prefix + "bin/";
    EXPECT_EQ(SettingsFilePath(), prefix + "bin/Orvane.ini");  // built, not installed: kept beside it
    writeAll(prefix + "share/applications/" ORVANE_APP_ID ".desktop", "[Desktop Entry]\n");
    EXPECT_EQ(SettingsFilePath(), home.path() + "cfg/orvane/Orvane.ini");
    ::unsetenv("XDG_CONFIG_HOME");

    ::setenv("ORVANE_CONFIG_DIR", (home.path() + "override").c_str(), 1);
    EXPECT_EQ(SettingsFilePath(), home.path() + "override/Orvane.ini");
    ::unsetenv("ORVANE_CONFIG_DIR");
}

TEST(TextRules, RoundingLeadingNumbersAndDeviceFields) {
    // Halves go to the even neighbour; out of range saturates.
    for (const auto& [value, rounded] : std::vector<std::pair<double, std::int32_t>>{
             {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {37.5, 38}, {2.4999, 2},
             {1e300, 2147483647}, {-1e300, -2147483647 - 1}, {std::nan(""), 0}})
        EXPECT_EQ(R(value), rounded) << value;
    // The number at the start of a text; an exponent counts when a digit follows it.
    constexpr double inf = std::numeric_limits<double>::infinity();
    for (const auto& [text, number] : std::vector<std::pair<const char*, double>>{
             {"125%", 125}, {" 75%", 75}, {"0.05秒", 0.05}, {".5", 0.5}, {"-12.5x", -12.5}, {"abc", 0},
             {"", 0}, {".", 0}, {"1e2%", 100}, {"2.5E-1秒", 0.25}, {"1e+2", 100}, {"7e", 7}, {"7e-", 7},
             {"7ex", 7}, {".e5", 0}, {"1e999", inf}, {"-1e999", -inf}, {"1e-999", 0}})
        EXPECT_DOUBLE_EQ(LeadingNumber(text), number) << text;
    EXPECT_EQ(TrimNull(std::string("\0abc", 4)), "");
    EXPECT_EQ(DeviceField("DUMMY0").size(), 32u);
    EXPECT_EQ(TrimNull(DeviceField("DUMMY0")), "DUMMY0");
    EXPECT_EQ(WithTrailingSeparator("/opt/orvane"), "/opt/orvane/");
    EXPECT_EQ(WithTrailingSeparator("/opt/orvane/"), "/opt/orvane/");
}

}  // namespace
}  // namespace orvane
