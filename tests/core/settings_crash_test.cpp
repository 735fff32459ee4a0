// Killing the program while it saves its settings never leaves a damaged or
// half-written file: always the old settings whole or the new ones whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <random>

#include "core/app_state.h"
#include "core/settings.h"
#include "support/temp_dir.h"
#include "tools/settings_sets.h"

namespace orvane {
namespace {

using test::readAll;

std::string savedText(const AppStateData& state, const test::TempDir& dir) {
    ::setenv("ORVANE_CONFIG_DIR", dir.path().c_str(), 1);
    AppState = state;
    SaveSettings();
    return readAll(dir.file("Orvane.ini"));
}

TEST(SettingsCrash, KilledWhileSavingLeavesTheOldOrTheNewFileWhole) {
    test::TempDir a, b;
    const std::string fileA = savedText(test::SettingsSetA(), a);
    const std::string fileB = savedText(test::SettingsSetB(), b);
    ASSERT_NE(fileA, fileB);

    test::TempDir dir;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delayUs(0, 4000);
    int sawA = 0, sawB = 0;
    for (int run = 0; run < 200; ++run) {
        QProcess saver;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANE_CONFIG_DIR", QString::fromStdString(dir.path()));
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        saver.setProcessEnvironment(env);
        saver.start(QStringLiteral(SETTINGS_SAVER), {});
        ASSERT_TRUE(saver.waitForReadyRead(10000)) << "the saver did not start";
        ::usleep(static_cast<useconds_t>(delayUs(random)));
        ::kill(static_cast<pid_t>(saver.processId()), SIGKILL);
        saver.waitForFinished(5000);
        const std::string now = readAll(dir.file("Orvane.ini"));
        ASSERT_TRUE(now == fileA || now == fileB) << "run " << run << " left:\n" << now;
        (now == fileA ? sawA : sawB)++;
    }
    // Both sets were caught, so kills landed at many points of the loop.
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    ::unsetenv("ORVANE_CONFIG_DIR");
}

}  // namespace
}  // namespace orvane
