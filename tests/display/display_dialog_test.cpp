// The resolution dialog: its item texts, and the dialog opened from the Tool
// menu and the tool bar, applying a mode with each method on the simulated
// desktop.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "display/display_catalogue.h"
#include "display/frm_display_setting.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using platform::fake::fakeMode;
using platform::fake::FakeMode;

// The usual texts show in the dialog tests below; these are the edges.
TEST(ResolutionTexts, PlaceholdersFillFromTheRight) {
    EXPECT_EQ(SizeItemText(15360, 8640), "15360 x 8640") << "a longer value is shown whole";
    EXPECT_EQ(DepthFrequencyItemText(8, 144), " 8bit /144hz");
    EXPECT_EQ(PlaceholderText("", 2), "  ");
}

struct DisplayDialogTest : test::MainWindowTest {
    frmMain& w() { return *window; }
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
        addMonitor("DUMMY1", {1920, 0, 3200, 1024}, false);
    }
    // DUMMY1's modes: 1280x1024 at 60 (current) and 75, 1024x768 at 60 and 75, 800x600 at 60.
    void modes(std::vector<FakeMode> extra = {}) {
        std::vector<FakeMode> m = {fakeMode(1280, 1024, 32, 60), fakeMode(1024, 768, 32, 60),
                                   fakeMode(1280, 1024, 32, 75), fakeMode(1024, 768, 32, 75),
                                   fakeMode(800, 600, 32, 60)};
        m.insert(m.end(), extra.begin(), extra.end());
        fake.setModes("DUMMY1", m, 0);
    }
    frmMain& startWatching(int method = 0) {
        writeSettings("[Main]\r\nDisplay=DUMMY1\r\nChangeDisplayType= " + std::to_string(method) +
                      "\r\n[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\nWindowPos_Width= 10500\r\n");
        start();
        fake.clearModeChanges();
        return w();
    }
    static std::vector<QString> items(QComboBox* c) {
        std::vector<QString> out;
        for (int i = 0; i < c->count(); ++i) out.push_back(c->itemText(i));
        return out;
    }
    // Opens the dialog from the Tool menu item, or else the tool bar's button.
    void openResolution(const std::function<void(frmDisplaySetting&)>& act, QAction* from = nullptr) {
        openDialog<frmDisplaySetting>(
            [&] {
                if (from) {
                    ASSERT_TRUE(choose(from));
                } else {
                    QTest::mouseClick(w().cmdChabgeSetting, Qt::LeftButton);
                }
            },
            act);
    }
};

TEST_F(DisplayDialogTest, OpensAtTheCurrentModeAndAppliesTheChosenOneWithEachMethod) {
    modes();
    for (int method : {0, 1, 2}) {
        startWatching(method);
        openResolution(
            [&](frmDisplaySetting& d) {
                EXPECT_EQ(d.windowTitle(), QStringLiteral("オルヴァン - 解像度変更"));
                EXPECT_EQ(items(d.cmbSize),
                          (std::vector<QString>{"1280 x 1024", "1024 x  768", " 800 x  600"}))
                    << "in the order of first occurrence";
                EXPECT_EQ(d.cmbSize->currentIndex(), 0);
                EXPECT_EQ(items(d.cmbSubInfo), (std::vector<QString>{"32bit /60hz", "32bit /75hz"}));
                EXPECT_EQ(d.cmbSubInfo->currentIndex(), 0);
                EXPECT_EQ(d.lblNowSetting->text(), QStringLiteral("現在の設定:1280x1024 / 32bit / 60hz"));
                // Another size keeps the depth and frequency where it offers them.
                ASSERT_TRUE(chooseItem(d.cmbSubInfo, 1));
                ASSERT_TRUE(chooseItem(d.cmbSize, 1));
                EXPECT_EQ(d.cmbSubInfo->currentText(), QStringLiteral("32bit /75hz"));
                ASSERT_TRUE(chooseItem(d.cmbSize, 2));
                EXPECT_EQ(d.cmbSubInfo->currentIndex(), 0) << "800x600 has no 75 Hz: the first entry";
                ASSERT_TRUE(chooseItem(d.cmbSize, 1));
                ASSERT_TRUE(chooseItem(d.cmbSubInfo, 1));
                QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
            },
            method == 0 ? w().mnuTool_Dev : nullptr);
        ASSERT_EQ(fake.modeChanges().size(), 1u) << method;
        const auto& change = fake.modeChanges()[0];
        EXPECT_EQ(change.device, "DUMMY1");
        ASSERT_TRUE(change.mode);
        EXPECT_EQ(change.mode->width, 1024u);
        EXPECT_EQ(change.mode->frequency, 75u);
        // Both temporary methods change without registering; the third registers for the user.
        const std::uint32_t flags[3] = {0, 0, 1};
        EXPECT_EQ(change.flags, flags[method]);
        EXPECT_EQ(AppState.ViewWidth, 1024) << "the monitors were read again";
        EXPECT_EQ(w().lblStatus_Display_Size->text(), QStringLiteral("W = 1024 H = 768 B = 32"));
        closeWindow();
        const bool restored = !fake.modeChanges().back().mode;
        EXPECT_EQ(restored, method == 0) << "only the first method undoes the change at exit";
        window.reset();
        fake.setMonitorRect("DUMMY1", {1920, 0, 3200, 1024});  // as it was before the change
        fake.setRefreshRate("DUMMY1", 60);
        freshRun();
        modes();
    }
}

TEST_F(DisplayDialogTest, TheSizeListHasTheKeysTypingChoosesASizeAndEnterAppliesIt) {
    modes();
    startWatching();
    for (int run = 0; run < 2; ++run) {  // also when the dialog opens again
        openResolution([&](frmDisplaySetting& d) {
            EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() == d.cmbSize; }));
            QTest::qWait(QApplication::keyboardInputInterval());  // a new search, not the last one's
            QTest::keyClicks(QApplication::focusWidget(), run == 0 ? "1024" : "1280");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_FALSE(d.isVisible());
        });
    }
    ASSERT_EQ(fake.modeChanges().size(), 2u);
    EXPECT_EQ(fake.modeChanges()[0].mode->width, 1024u);
    EXPECT_EQ(fake.modeChanges()[1].mode->width, 1280u);
    EXPECT_EQ(AppState.ViewWidth, 1280);
}

TEST_F(DisplayDialogTest, AFailedChangeIsReportedRestoredAndTheDialogStaysOpen) {
    FakeMode refused = fakeMode(640, 480, 32, 60);
    refused.applyResult = platform::DispChange::Failed;
    modes({refused});
    startWatching();
    QString message;
    bool stillOpen = false;
    openResolution([&](frmDisplaySetting& d) {
        ASSERT_TRUE(chooseItem(d.cmbSize, 3));
        whenDialogOpens([&](QDialog* box) {
            auto* m = qobject_cast<QMessageBox*>(box);
            ASSERT_TRUE(m);
            message = m->windowTitle() + "|" + m->text();
            QTest::keyClick(m, Qt::Key_Return);
        });
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        stillOpen = d.isVisible();
        QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
    });
    EXPECT_EQ(message, QStringLiteral("オルヴァン|解像度の変更に失敗しました。\r\n"
                                      "元の解像度または指定解像度に近い解像度に復元しました。"));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(fake.modeChanges().size(), 2u);
    EXPECT_FALSE(fake.modeChanges()[1].mode) << "the registered mode restored";
    EXPECT_EQ(AppState.ViewWidth, 1280);
}

TEST_F(DisplayDialogTest, CancelAndUnusualCatalogues) {
    modes();
    startWatching();
    int enumerations = 0;
    fake.setCallHook([&](const std::string& call) { enumerations += call == "Monitors::enumerate"; });
    openResolution([&](frmDisplaySetting& d) { QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton); });
    EXPECT_TRUE(fake.modeChanges().empty());
    EXPECT_EQ(enumerations, 1) << "read again after Cancel too";

    // A current mode the catalogue lacks: nothing is chosen, so nothing can be applied.
    // Two sizes of one width are two entries.
    fake.setModes("DUMMY1", {fakeMode(1024, 768, 32, 60), fakeMode(1024, 600, 32, 60), fakeMode(800, 600, 32, 60)},
                  std::nullopt);
    fake.setModesResizeMonitors(false);
    QTest::mouseClick(w().cmdReload, Qt::LeftButton);
    openResolution([&](frmDisplaySetting& d) {
        EXPECT_EQ(items(d.cmbSize), (std::vector<QString>{"1024 x  768", "1024 x  600", " 800 x  600"}));
        EXPECT_EQ(d.cmbSize->currentIndex(), -1);
        EXPECT_EQ(d.cmbSubInfo->count(), 0);
        EXPECT_FALSE(d.cmdOkCancel[0]->isEnabled());
        ASSERT_TRUE(chooseItem(d.cmbSize, 1));
        EXPECT_EQ(d.cmbSubInfo->currentIndex(), 0);
        EXPECT_TRUE(d.cmdOkCancel[0]->isEnabled());
        QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
    });
    EXPECT_TRUE(fake.modeChanges().empty());

    // No usable mode: one empty size; OK applies nothing and closes.
    fake.setModes("DUMMY1", {}, std::nullopt);
    QTest::mouseClick(w().cmdReload, Qt::LeftButton);
    openResolution([&](frmDisplaySetting& d) {
        EXPECT_EQ(items(d.cmbSize), std::vector<QString>{"   0 x    0"});
        ASSERT_TRUE(chooseItem(d.cmbSize, 0));
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(fake.modeChanges().empty());
}

TEST_F(DisplayDialogTest, TheMonitorShowingOrvaneGoesBackUnlessTheNewModeIsKept) {
    fake.setModes("DUMMY0", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 60)}, 0);
    writeSettings("[Main]\r\nDisplay=DUMMY0\r\n[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\n");
    start();
    // Kept: the new mode stays and the dialog closes (not kept: the table below).
    fake.clearModeChanges();
    openResolution([&](frmDisplaySetting& d) {
        ASSERT_TRUE(chooseItem(d.cmbSize, 1));
        whenDialogOpens([&](QDialog* box) {
            auto* m = qobject_cast<QMessageBox*>(box);
            for (QAbstractButton* b : m->buttons())
                if (b->text() == QStringLiteral("このままにする")) QTest::mouseClick(b, Qt::LeftButton);
        });
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    });
    ASSERT_EQ(fake.modeChanges().size(), 1u);
    EXPECT_EQ(AppState.ViewWidth, 1280);
}

// Taken back, by "元に戻す" or in time, the monitor ends at the mode from
// before, whatever else fails then, or the user is told it does not; a mode
// to be registered is registered only once the user keeps it.
TEST_F(DisplayDialogTest, ATakenBackModeEndsAtTheModeFromBeforeOrTheUserIsTold) {
    struct Case {
        const char* what;
        int method;
        bool turned, storeFails, allFail, answered;
    };
    for (const Case c : {Case{"no answer", 0, false, false, false, false},
                         Case{"registered, the store failing", 2, false, true, false, true},
                         Case{"turned output, timed out", 2, true, false, false, false},
                         Case{"nothing can change any more", 0, false, false, true, true}}) {
        SCOPED_TRACE(c.what);
        window.reset();
        freshRun();
        fake.setStoreFails(false);
        fake.setModeChangesFail(false);
        fake.setModes("DUMMY0", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 60)}, 0);
        fake.setModesResizeMonitors(!c.turned);
        fake.setMonitorRect("DUMMY0",
                            c.turned ? platform::Rect{0, 0, 1080, 1920} : platform::Rect{0, 0, 1920, 1080});
        writeSettings("[Main]\r\nDisplay=DUMMY0\r\nChangeDisplayType= " + std::to_string(c.method) +
                      "\r\n[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\n");
        start();
        fake.clearModeChanges();
        std::optional<platform::DisplayMode> registeredWhileAsked;
        QString told, question;
        bool stillOpen = false;
        openResolution([&](frmDisplaySetting& d) {
            d.ConfirmSeconds = 1;
            ASSERT_TRUE(chooseItem(d.cmbSize, 1));
            whenDialogOpens([&](QDialog* box) {
                question = qobject_cast<QMessageBox*>(box)->text();
                registeredWhileAsked = fake.registeredMode("DUMMY0");
                fake.setStoreFails(c.storeFails);
                fake.setModeChangesFail(c.allFail);
                if (!c.answered) return;
                for (QAbstractButton* b : qobject_cast<QMessageBox*>(box)->buttons())
                    if (b->text() == QStringLiteral("元に戻す")) QTest::mouseClick(b, Qt::LeftButton);
                if (c.allFail)
                    whenDialogOpens([&](QDialog* message) {
                        if (auto* m = qobject_cast<QMessageBox*>(message)) {
                            told = m->text();
                            QTest::keyClick(m, Qt::Key_Return);
                        }
                    });
            });
            QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
            stillOpen = d.isVisible();
            QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
        });
        EXPECT_TRUE(stillOpen);
        EXPECT_TRUE(question.startsWith(QStringLiteral("この解像度のままにしますか？"))) << question.toStdString();
        ASSERT_TRUE(registeredWhileAsked);
        EXPECT_EQ(registeredWhileAsked->width, 1920u) << "nothing registered before the user keeps it";
        const auto shown = fake.displayModes().currentMode(std::string("DUMMY0"));
        ASSERT_TRUE(shown);
        if (c.allFail) {
            EXPECT_EQ(told, QStringLiteral("解像度を元に戻せませんでした。\r\n"
                                           "画面の設定から元の解像度に戻して下さい。"));
            EXPECT_EQ(shown->width, 1280u);
        } else {
            EXPECT_EQ(told, QString()) << "nothing to tell";
            EXPECT_EQ(shown->width, 1920u) << "the mode from before";
            EXPECT_EQ(fake.registeredMode("DUMMY0")->width, 1920u);
        }
        if (c.method == 0 && !c.allFail) {  // set back explicitly, not by the registered mode
            ASSERT_EQ(fake.modeChanges().size(), 2u);
            ASSERT_TRUE(fake.modeChanges()[1].mode);
            EXPECT_EQ(fake.modeChanges()[1].mode->width, 1920u);
            EXPECT_EQ(AppState.ViewWidth, 1920);
        }
    }
}

// The desktop's store takes its time: the dialog says it waits and takes no
// second OK and no closing meanwhile.
TEST_F(DisplayDialogTest, WhileTheDesktopKeepsTheModeTheDialogWaits) {
    modes();
    fake.setStoreTakes(300);
    startWatching(2);
    QString shown;
    bool okEnabled = true;
    openResolution([&](frmDisplaySetting& d) {
        ASSERT_TRUE(chooseItem(d.cmbSize, 1));
        QTimer::singleShot(100, &d, [&] {
            shown = d.lblNowSetting->text();
            okEnabled = d.cmdOkCancel[0]->isEnabled();
            QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        EXPECT_FALSE(d.isVisible()) << "closed once the mode was kept";
    });
    EXPECT_EQ(shown, QStringLiteral("設定を保存しています…"));
    EXPECT_FALSE(okEnabled);
    ASSERT_EQ(fake.modeChanges().size(), 1u) << "applied once";
    EXPECT_EQ(fake.registeredMode("DUMMY1")->width, 1024u);
}

TEST_F(DisplayDialogTest, WhereTheDesktopAsksToKeepAModeOrvaneDoesNotAskAsWell) {
    fake.setModes("DUMMY0", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 60)}, 0);
    fake.setDesktopConfirmsRegisteredChanges(true);
    // "設定変更": the desktop keeps the mode, and asks the user itself.
    writeSettings("[Main]\r\nDisplay=DUMMY0\r\nChangeDisplayType= 2\r\n[View]\r\nWindowPos_Left= 0\r\n");
    start();
    fake.clearModeChanges();
    openResolution([&](frmDisplaySetting& d) {
        // Were Orvane to ask, nobody answers: the mode would go back after a second.
        d.ConfirmSeconds = 1;
        ASSERT_TRUE(chooseItem(d.cmbSize, 1));
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        EXPECT_FALSE(d.isVisible()) << "one question, the desktop's, is enough";
        if (d.isVisible()) QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
    });
    ASSERT_EQ(fake.modeChanges().size(), 1u) << "nothing taken back";
    EXPECT_EQ(fake.modeChanges()[0].flags, platform::ChangeFlags::UpdateRegistry);
}

}  // namespace
}  // namespace orvane
