// Loading and saving the settings: values and their rounding, the version 1
// upgrade, where the file lives, a save killed halfway, and the text rules the
// settings depend on. The defaults and the whole file they write are checked
// by the main window's first run (MainWindowTest).
#include "core/settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <limits>
#include <random>

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
    void TearDown() override {
        SetPrimaryScreenTwipsSource({});
        ::unsetenv("ORVANE_CONFIG_DIR");
    }
    bool saved(const std::string& line) const { return readAll(file).find(line + "\r\n") != std::string::npos; }
};

TEST_F(SettingsTest, ValuesRoundTripWithTheirRoundingAndFlagForm) {
    writeAll(file, "[Main]\r\nZoom= 125\r\nNoRedraw= 5\r\nCursor= 9\r\n"
                   "[View]\r\nWindowPos_Left=-900\r\nFullScreen=-1\r\nUnknownKey=keep me\r\n");
    LoadSettings();
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.25);
    EXPECT_TRUE(AppState.NoRedraw && AppState.FullScreen);
    EXPECT_EQ(AppState.Cursor, 9) << "values are taken as read";
    EXPECT_EQ(AppState.WindowPos_Left, -900);
    AppState.Display = DeviceField("DUMMY1");  // a selection stores the padded field
    AppState.ZoomRate = 0.125;
    SaveSettings();
    for (const char* line : {"NoRedraw= 1", "Zoom= 12", "Display=DUMMY1", "FullScreen= 1", "UnknownKey=keep me"})
        EXPECT_TRUE(saved(line)) << line;
}

TEST_F(SettingsTest, Version1FileIsUpgradedAtOnceAndCompletely) {
    for (const auto& [interval, expected] : std::vector<std::pair<const char*, std::int32_t>>{
             {" 0", 1000}, {" 1", 500}, {" 2", 100}, {" 3", 50}, {" 4", 10}, {" 7", 7}, {nullptr, 100}}) {
        std::string text = "[Main]\r\nSettingVersion= 1\r\n";
        if (interval) text += std::string("Interval=") + interval + "\r\n";
        writeAll(file, text);
        LoadSettings();
        EXPECT_EQ(AppState.Interval, expected) << (interval ? interval : "missing");
        // The file holds the new version and the converted interval, even if the program were killed now.
        EXPECT_TRUE(saved("SettingVersion= 2") && saved("Interval= " + std::to_string(expected)));
        LoadSettings();
        EXPECT_EQ(AppState.Interval, expected) << "a second start must not convert again";
    }
    writeAll(file, "[Main]\r\nSettingVersion= 3\r\nInterval= 2\r\n");  // another version: taken as it is
    LoadSettings();
    EXPECT_EQ(AppState.Interval, 2);
}

TEST_F(SettingsTest, WindowDefaultsFollowThePrimaryScreenInTwips) {
    SetPrimaryScreenTwipsSource([] { return ScreenTwips{20490.0f, 11520.0f}; });  // 1366 x 768
    LoadSettings();
    EXPECT_EQ(AppState.WindowPos_Left, 5122);  // 5122.5 rounds to the even neighbour
    EXPECT_EQ(AppState.WindowPos_Height, 5760);
    // A size that holds no number would be no window at all: the default size; anything else reads 0.
    writeAll(file, "[View]\r\nWindowPos_Width=abc\r\nWindowPos_Height= \r\nWindowPos_Left=x\r\n");
    LoadSettings();
    EXPECT_EQ(AppState.WindowPos_Width, 10245);
    EXPECT_EQ(AppState.WindowPos_Height, 5760);
    EXPECT_EQ(AppState.WindowPos_Left, 0);
}

TEST_F(SettingsTest, FileLivesInTheProgramFolderOrTheUsersConfigFolder) {
    EXPECT_EQ(SettingsFilePath(), dir.path() + "Orvane.ini");
    test::TempDir home;
    ::setenv("XDG_CONFIG_HOME", (home.path() + "cfg").c_str(), 1);
    AppState.AppPath = dir.path() + "no-such-folder/";  // cannot be written
    file = home.path() + "cfg/orvane/Orvane.ini";
    EXPECT_EQ(SettingsFilePath(), file);
    LoadSettings();
    SaveSettings();
    EXPECT_TRUE(saved("[Main]\r\nNoRedraw= 0"));
    // An installed program's folder, even a writable one (root's), holds no settings.
    const std::string prefix = dir.path() + "usr/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(prefix + "share/applications")));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(prefix + "bin")));
    AppState.AppPath = prefix + "bin/";
    EXPECT_EQ(SettingsFilePath(), prefix + "bin/Orvane.ini");  // built, not installed: kept beside it
    writeAll(prefix + "share/applications/" ORVANE_APP_ID ".desktop", "[Desktop Entry]\n");
    EXPECT_EQ(SettingsFilePath(), file);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("ORVANE_CONFIG_DIR", (home.path() + "override").c_str(), 1);
    EXPECT_EQ(SettingsFilePath(), home.path() + "override/Orvane.ini");
}

// Killing the program while it saves never leaves a damaged, half-written or
// mixed file: always the old settings whole or the new ones whole.
TEST_F(SettingsTest, KilledWhileSavingLeavesTheOldOrTheNewFileWhole) {
    ::setenv("ORVANE_CONFIG_DIR", dir.path().c_str(), 1);
    const auto save = [](bool b) {
        AppState.NoRedraw = AppState.FullScreen = b;  // the first key written and the last
        SaveSettings();
    };
    std::string whole[2];
    for (bool b : {false, true}) {
        save(b);
        whole[b] = readAll(file);
    }
    std::mt19937 random(20261207);
    int seen[2] = {0, 0};
    for (int run = 0; run < 200; ++run) {
        const pid_t saver = ::fork();
        for (long i = 0; saver == 0; ++i) save(i % 2 == 1);
        ::usleep(std::uniform_int_distribution<useconds_t>(500, 5000)(random));
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
        const std::string now = readAll(file);
        ASSERT_TRUE(now == whole[0] || now == whole[1]) << now;
        ++seen[now == whole[1]];
    }
    EXPECT_TRUE(seen[0] > 0 && seen[1] > 0) << "kills landed at many points of the loop";
}

TEST(TextRules, RoundingLeadingNumbersAndFolders) {
    // Halves go to the even neighbour; out of range saturates.
    for (const auto& [value, rounded] : std::vector<std::pair<double, std::int32_t>>{
             {0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {1e300, 2147483647}, {std::nan(""), 0}})
        EXPECT_EQ(R(value), rounded) << value;
    // The number at the start of a text; an exponent counts when a digit follows it.
    constexpr double inf = std::numeric_limits<double>::infinity();
    for (const auto& [text, number] : std::vector<std::pair<const char*, double>>{
             {"125%", 125}, {" 75%", 75}, {"0.05秒", 0.05}, {".5", 0.5}, {"-12.5x", -12.5}, {"abc", 0}, {".", 0},
             {"2.5E-1秒", 0.25}, {"1e+2", 100}, {"7e-", 7}, {".e5", 0}, {"1e999", inf}, {"1e-999", 0}})
        EXPECT_DOUBLE_EQ(LeadingNumber(text), number) << text;
}

}  // namespace
}  // namespace orvane
