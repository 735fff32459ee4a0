// A main window on a simulated desktop, with its own settings folder: the
// fixture the widget tests start from.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>

#include "core/app_state.h"
#include "core/settings.h"
#include "mainwindow/frm_main.h"
#include "platform/fake/fake_platform.h"
#include "support/temp_dir.h"

namespace orvane::test {

class MainWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    platform::fake::FakePlatform fake;
    std::unique_ptr<frmMain> window;

    void SetUp() override {
        ::setenv("ORVANE_CONFIG_DIR", dir.path().c_str(), 1);
        AppState = AppStateData{};
        AppState.TitleBarShown = true;
        AppState.AppPath = dir.path();
        SetPrimaryScreenTwipsSource([] { return ScreenTwips{1920 * 15.0f, 1080 * 15.0f}; });
    }
    void TearDown() override {
        window.reset();
        SetPrimaryScreenTwipsSource({});
        ::unsetenv("ORVANE_CONFIG_DIR");
    }

    [[nodiscard]] std::string settingsFile() const { return dir.file("Orvane.ini"); }
    void writeSettings(const std::string& text) const { writeAll(settingsFile(), text); }

    // Main's part of the start-up: load the settings, show the window, let the
    // first activation run.
    frmMain& start() {
        LoadSettings();
        window = std::make_unique<frmMain>(fake);
        window->InputBox = [this](const QString&, const QString&, const QString&) { return inputBoxAnswer; };
        window->Show();
        QApplication::processEvents();
        return *window;
    }
    void closeWindow() {
        window->close();
        QApplication::processEvents();
    }
    QString inputBoxAnswer;

    // Types text into an editable list and presses Enter, as the user would.
    static void typeInto(QComboBox* combo, const QString& text) {
        combo->setEditText(text);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(combo->lineEdit(), &enter);
    }

    void addMonitor(const std::string& name, platform::Rect rect, bool primary, std::int32_t bits = 32) {
        platform::fake::FakeMonitor m;
        m.deviceName = name;
        m.rect = rect;
        m.primary = primary;
        m.bitsPerPixel = bits;
        fake.addMonitor(m);
    }
};

}  // namespace orvane::test
