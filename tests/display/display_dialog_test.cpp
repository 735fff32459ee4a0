// The resolution dialog opened from the Tool menu and the tool bar, applying
// a mode on the simulated desktop, asking to keep it and taking it back.
#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include "display/frm_display_setting.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using platform::fake::fakeMode;
using platform::fake::FakeMode;
using Items = std::vector<QString>;

struct DisplayDialogTest : test::MainWindowTest {
    frmMain& w() { return *window; }
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
        addMonitor("DUMMY1", {1920, 0, 3200, 1024}, false);
        fake.setModes("DUMMY0", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 60)}, 0);
    }
    void startWatching(int method = 0, const std::string& device = "DUMMY1") {
        writeSettings("[Main]\r\nDisplay=" + device + "\r\nChangeDisplayType= " + std::to_string(method) +
                      "\r\n[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\nWindowPos_Width= 10500\r\n");
        start();
        fake.clearModeChanges();
    }
    static Items items(QComboBox* c) {
        Items out;
        for (int i = 0; i < c->count(); ++i) out.push_back(c->itemText(i));
        return out;
    }
    // Opens the dialog from the tool bar's button (the Tool menu item: the first test).
    void openResolution(const std::function<void(frmDisplaySetting&)>& act) {
        openDialog<frmDisplaySetting>([&] { QTest::mouseClick(w().cmdChabgeSetting, Qt::LeftButton); }, act);
    }
    // Once the next message box opens: notes its text and presses Return.
    static void whenAsked(QString* text) {
        whenDialogOpens([=](QDialog* box) {
            *text = qobject_cast<QMessageBox*>(box)->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
    }
};

// DUMMY1's modes: 1280x1024 at 60 (current) and 75, 1024x768 at 60 and 75, 800x600 at 60, a
// 640x480 the desktop refuses to apply and a 1600x900 it refuses already when asked.
TEST_F(DisplayDialogTest, OffersTheCatalogueAppliesTheChosenModeAndReportsAFailure) {
    FakeMode refused = fakeMode(640, 480, 32, 60), rejected = fakeMode(1600, 900, 32, 60);
    refused.applyResult = platform::DispChange::Failed;
    rejected.testResult = platform::DispChange::BadMode;
    fake.setModes("DUMMY1", {fakeMode(1280, 1024, 32, 60), fakeMode(1024, 768, 32, 60), fakeMode(1280, 1024, 32, 75),
                             fakeMode(1024, 768, 32, 75), fakeMode(800, 600, 32, 60), refused, rejected}, 0);
    startWatching();
    openDialog<frmDisplaySetting>(
        [&] { ASSERT_TRUE(choose(w().mnuTool_Dev)); },
        [&](frmDisplaySetting& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("オルヴァン - 解像度変更"));
            EXPECT_EQ(items(d.cmbSize), (Items{"1280 x 1024", "1024 x  768", " 800 x  600", " 640 x  480"}))
                << "in the order of first occurrence, without the rejected mode";
            EXPECT_EQ(d.cmbSize->currentIndex(), 0);
            EXPECT_EQ(items(d.cmbSubInfo), (Items{"32bit /60hz", "32bit /75hz"}));
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
        });
    ASSERT_EQ(fake.modeChanges().size(), 1u);
    EXPECT_EQ(fake.modeChanges()[0].device, "DUMMY1");
    EXPECT_EQ(fake.modeChanges()[0].mode, (platform::DisplayMode{1024, 768, 32, 75, 4}));
    EXPECT_EQ(w().lblStatus_Display_Size->text(), QStringLiteral("W = 1024 H = 768 B = 32")) << "read again";

    // The size list has the keys: typing chooses a size and Enter applies it.
    openResolution([&](frmDisplaySetting& d) {
        EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() == d.cmbSize; }));
        QTest::qWait(QApplication::keyboardInputInterval());  // a new search, not the last one's
        QTest::keyClicks(QApplication::focusWidget(), "1280");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(fake.modeChanges().back().mode->width, 1280u);

    // A failed change is reported and restored, and the dialog stays open.
    fake.clearModeChanges();
    QString message;
    openResolution([&](frmDisplaySetting& d) {
        ASSERT_TRUE(chooseItem(d.cmbSize, 3));
        whenAsked(&message);
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
    });
    EXPECT_EQ(message, QStringLiteral("解像度の変更に失敗しました。\r\n"
                                      "元の解像度または指定解像度に近い解像度に復元しました。"));
    ASSERT_GE(fake.modeChanges().size(), 2u);
    EXPECT_FALSE(fake.modeChanges()[1].mode) << "the registered mode restored, then the one from before";
    EXPECT_EQ(AppState.ViewWidth, 1280);
}

TEST_F(DisplayDialogTest, CancelAndUnusualCatalogues) {
    startWatching();
    int enumerations = 0;
    onCall = [&](const std::string& call) { enumerations += call == "Monitors::enumerate"; };
    openResolution([&](frmDisplaySetting& d) { QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton); });
    EXPECT_EQ(enumerations, 1) << "read again after Cancel too";
    // A current mode the catalogue lacks: nothing is chosen, so nothing can be applied.
    // Two sizes of one width are two entries.
    fake.setModes("DUMMY1", {fakeMode(1024, 768, 32, 60), fakeMode(1024, 600, 32, 60), fakeMode(800, 600, 32, 60)},
                  std::nullopt);
    fake.setModesResizeMonitors(false);
    QTest::mouseClick(w().cmdReload, Qt::LeftButton);
    openResolution([&](frmDisplaySetting& d) {
        EXPECT_EQ(items(d.cmbSize), (Items{"1024 x  768", "1024 x  600", " 800 x  600"}));
        EXPECT_EQ(d.cmbSize->currentIndex(), -1);
        EXPECT_EQ(d.cmbSubInfo->count(), 0);
        EXPECT_FALSE(d.cmdOkCancel[0]->isEnabled());
        ASSERT_TRUE(chooseItem(d.cmbSize, 1));
        EXPECT_TRUE(d.cmdOkCancel[0]->isEnabled());
        QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
    });
    // No usable mode: one empty size; OK applies nothing and closes.
    fake.setModes("DUMMY1", {}, std::nullopt);
    QTest::mouseClick(w().cmdReload, Qt::LeftButton);
    openResolution([&](frmDisplaySetting& d) {
        EXPECT_EQ(items(d.cmbSize), Items{"   0 x    0"});
        ASSERT_TRUE(chooseItem(d.cmbSize, 0));
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(fake.modeChanges().empty());
}

// On the monitor showing Orvane the user is asked to keep the mode. Kept, it
// stays and is registered only then; taken back by "元に戻す" or in time, the
// monitor ends at the mode from before, whatever else fails then, or the user
// is told it does not.
TEST_F(DisplayDialogTest, TheMonitorShowingOrvaneGoesBackUnlessTheNewModeIsKept) {
    struct Case {
        const char* what;
        int method;
        bool turned, storeFails, allFail;
        QString answer;  // empty: no answer
    };
    for (const Case& c : {Case{"kept", 0, false, false, false, "このままにする"},
                          Case{"no answer", 0, false, false, false, {}},
                          Case{"registered, the store failing", 2, false, true, false, "元に戻す"},
                          Case{"turned output, timed out", 2, true, false, false, {}},
                          Case{"nothing can change any more", 0, false, false, true, "元に戻す"}}) {
        SCOPED_TRACE(c.what);
        const bool kept = c.answer == QStringLiteral("このままにする");
        window.reset();
        freshRun();
        fake.setStoreFails(false);
        fake.setModeChangesFail(false);
        fake.setModes("DUMMY0", {fakeMode(1920, 1080, 32, 60), fakeMode(1280, 1024, 32, 60)}, 0);
        fake.setModesResizeMonitors(!c.turned);
        fake.setMonitorRect("DUMMY0", c.turned ? platform::Rect{0, 0, 1080, 1920} : platform::Rect{0, 0, 1920, 1080});
        startWatching(c.method, "DUMMY0");
        std::optional<platform::DisplayMode> registeredWhileAsked;
        QString told, question;
        openResolution([&](frmDisplaySetting& d) {
            d.ConfirmSeconds = 1;
            ASSERT_TRUE(chooseItem(d.cmbSize, 1));
            whenDialogOpens([&](QDialog* box) {
                question = qobject_cast<QMessageBox*>(box)->text();
                registeredWhileAsked = fake.registeredMode("DUMMY0");
                fake.setStoreFails(c.storeFails);
                fake.setModeChangesFail(c.allFail);
                if (c.allFail) whenAsked(&told);
                for (QAbstractButton* b : qobject_cast<QMessageBox*>(box)->buttons())
                    if (b->text() == c.answer) QTest::mouseClick(b, Qt::LeftButton);
            });
            QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
            EXPECT_EQ(d.isVisible(), !kept);
            if (d.isVisible()) QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
        });
        EXPECT_TRUE(question.startsWith(QStringLiteral("この解像度のままにしますか？"))) << question.toStdString();
        ASSERT_TRUE(registeredWhileAsked);
        EXPECT_EQ(registeredWhileAsked->width, 1920u) << "nothing registered before the user keeps it";
        EXPECT_EQ(told, c.allFail ? QStringLiteral("解像度を元に戻せませんでした。\r\n"
                                                   "画面の設定から元の解像度に戻して下さい。")
                                  : QString());
        EXPECT_EQ(fake.displayModes().currentMode(std::string("DUMMY0"))->width, kept || c.allFail ? 1280u : 1920u);
        EXPECT_TRUE(c.allFail || kept || fake.registeredMode("DUMMY0")->width == 1920u);
        if (c.method == 0 && !c.allFail) {  // set back explicitly, not by the registered mode
            ASSERT_EQ(fake.modeChanges().size(), kept ? 1u : 2u);
            EXPECT_EQ(fake.modeChanges().back().mode->width, kept ? 1280u : 1920u);
            EXPECT_EQ(AppState.ViewWidth, kept ? 1280 : 1920);
        }
    }
}

// The desktop's store takes its time: the dialog says it waits and takes no
// second OK and no closing meanwhile. Where the desktop asks the user to keep
// the mode itself, Orvane does not ask as well.
TEST_F(DisplayDialogTest, WhileTheDesktopKeepsTheModeTheDialogWaitsAndAsksNothing) {
    fake.setStoreTakes(300);
    fake.setDesktopConfirmsRegisteredChanges(true);
    startWatching(2, "DUMMY0");
    QString shown;
    bool okEnabled = true;
    openResolution([&](frmDisplaySetting& d) {
        d.ConfirmSeconds = 1;  // were Orvane to ask, nobody answers: the mode would go back after a second
        ASSERT_TRUE(chooseItem(d.cmbSize, 1));
        QTimer::singleShot(100, &d, [&] {
            shown = d.lblNowSetting->text();
            okEnabled = d.cmdOkCancel[0]->isEnabled();
            QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        QTest::mouseClick(d.cmdOkCancel[0], Qt::LeftButton);
        EXPECT_FALSE(d.isVisible()) << "closed once the mode was kept";
        if (d.isVisible()) QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
    });
    EXPECT_EQ(shown, QStringLiteral("設定を保存しています…"));
    EXPECT_FALSE(okEnabled);
    ASSERT_EQ(fake.modeChanges().size(), 1u) << "applied once, nothing taken back";
    EXPECT_EQ(fake.modeChanges()[0].flags, platform::ChangeFlags::UpdateRegistry);
    EXPECT_EQ(fake.registeredMode("DUMMY0")->width, 1280u);
}

}  // namespace
}  // namespace orvane
