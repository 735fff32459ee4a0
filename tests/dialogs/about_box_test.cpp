// The About box: its rules, and the box opened from the Help menu.
#include <QLabel>
#include <QPushButton>

#include "dialogs/frm_about.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

TEST(AboutRules, VersionLinksAndTitleFitting) {
    EXPECT_EQ(VersionText(1, 2, 0), QStringLiteral("Ver.1.2.0 ")) << "one blank at the end";
    EXPECT_EQ(VersionText(10, 0, 31), QStringLiteral("Ver.10.0.31 "));
    EXPECT_EQ(WebLinkTarget("https://example.org/", "Orvane"),
              "https://example.org/cgi-bin/access.cgi?soft=Orvane");
    // A 2700 x 435 twips label at 96 dpi: 180 x 29 pixels.
    EXPECT_EQ(TitleFontPoints(180, 29, 5, 96, 96), 22)
        << "both limits give 22: height 21.75, width 30 px a character";
    EXPECT_EQ(TitleFontPoints(180, 29, 10, 96, 96), 12) << "a longer title gets a smaller font";
    EXPECT_EQ(TitleFontPoints(180, 29, 20, 96, 96), 6);
    EXPECT_EQ(TitleFontPoints(180, 29, 1, 96, 96), 22) << "the height caps a short title";
    EXPECT_EQ(TitleFontPoints(360, 58, 5, 192, 192), 22) << "the same in points at twice the density";
    EXPECT_EQ(TitleShiftPx(29, 12, 96), 6) << "(29 - 16) / 2 = 6.5, halves to even";
    EXPECT_EQ(TitleShiftPx(29, 22, 96), 0) << "(29 - 29.33) / 2 rounds to 0";
}

struct AboutBoxTest : test::MainWindowTest {
    frmMain& w() { return *window; }
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    }
    void openAbout(const std::function<void(frmAbout&)>& act) {
        openDialog<frmAbout>([&] { ASSERT_TRUE(choose(w().mnuHelp_About)); }, act);
    }
};

TEST_F(AboutBoxTest, ShowsTheProgramAndOpensItsLinks) {
    start();
    frmAbout* first = nullptr;
    openAbout([&](frmAbout& box) {
        first = &box;
        EXPECT_EQ(box.windowTitle(), QStringLiteral("オルヴァン - バージョン情報"));
        EXPECT_EQ(box.lblTitle[0]->text(), QStringLiteral("オルヴァン"));
        EXPECT_EQ(box.lblTitle[1]->text(), QStringLiteral("オルヴァン"));
        EXPECT_EQ(box.lblTitle[0]->font().pointSize(), box.lblTitle[1]->font().pointSize());
        EXPECT_EQ(box.lblTitle[0]->pos() - box.lblTitle[1]->pos(), QPoint(3, 1)) << "45 and 15 twips apart";
        EXPECT_TRUE(box.lblVersion->text().startsWith(QStringLiteral("Ver.")));
        EXPECT_TRUE(box.lblVersion->text().endsWith(QLatin1Char(' ')));
        EXPECT_EQ(box.lblComment->text(), QStringLiteral("サブモニタの内容を別画面から確認出来ます"));
        EXPECT_FALSE(box.LargeIcon.isNull());
        EXPECT_EQ(box.LargeIcon.size(), QSize(48, 48));
        EXPECT_FALSE(box.windowIcon().isNull());

        // Pressing a link turns it red, releasing blue again; the click opens it.
        const QPoint at = box.lblURL->rect().center();
        QTest::mousePress(box.lblURL, Qt::LeftButton, {}, at);
        EXPECT_EQ(box.lblURL->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QTest::mouseRelease(box.lblURL, Qt::LeftButton, {}, at);
        EXPECT_EQ(box.lblURL->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QTest::mouseClick(box.lblEmail, Qt::LeftButton, {}, box.lblEmail->rect().center());
        EXPECT_EQ(box.lblEmail->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(box.cmdOK, Qt::LeftButton);
    });
    ASSERT_EQ(fake.openedLinks().size(), 2u);
    EXPECT_EQ(fake.openedLinks()[0], std::string(ORVANE_WEB_SITE) + "cgi-bin/access.cgi?soft=Orvane");
    EXPECT_EQ(fake.openedLinks()[1], ORVANE_EMAIL);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->LargeIcon.isNull()) << "the icons go when the box closes";

    // The same box comes again, fitted and filled anew.
    openAbout([&](frmAbout& box) {
        EXPECT_EQ(&box, first);
        EXPECT_FALSE(box.LargeIcon.isNull());
        EXPECT_EQ(box.lblTitle[0]->pos() - box.lblTitle[1]->pos(), QPoint(3, 1));
        QTest::keyClick(&box, Qt::Key_Escape);
    });
}

}  // namespace
}  // namespace orvane
