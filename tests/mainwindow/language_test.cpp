// The interface's language: Japanese as written for a Japanese desktop and
// for C, English for a desktop that asks for another language; the same
// settings file either way.
#include "core/language.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTranslator>

#include "dialogs/frm_about.h"
#include "dialogs/frm_setting.h"
#include "display/frm_display_setting.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

// Japanese, C and American English are started in the window test below.
TEST(Language, TheDesktopsLanguageChoosesJapaneseOrEnglish) {
    // C and POSIX name no language (Qt 6.4 reports them as "C", later versions as "en-US").
    EXPECT_TRUE(PreferredLanguages(QLocale::c()).isEmpty());
    EXPECT_TRUE(WantsEnglish(PreferredLanguages(QLocale(QStringLiteral("de_DE"))))) << "English, not Japanese";
    EXPECT_FALSE(WantsEnglish({"de", "de-DE", "ja", "ja-JP"})) << "LANGUAGE=de:ja: Japanese comes first";
}

struct LanguageTest : test::MainWindowTest {
    std::unique_ptr<QTranslator> translator;
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        translator.reset();  // takes itself out of the application
    }
    // A run of the program on a desktop with `locale`'s language.
    frmMain& startIn(const char* locale) {
        translator = TranslatorFor(PreferredLanguages(QLocale(QString::fromLatin1(locale))));
        if (translator) QCoreApplication::installTranslator(translator.get());
        freshRun();
        return start();
    }

    // No two items of the menu bar, of one menu or of one submenu share their key.
    static void expectOwnKeys(QWidget* menu) {
        QSet<QChar> keys;
        for (QAction* a : menu->actions()) {
            if (a->menu()) expectOwnKeys(a->menu());
            const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
            if (a->isSeparator() || amp < 0 || amp + 1 >= a->text().size()) continue;
            const QChar key = a->text().at(amp + 1).toLower();
            EXPECT_FALSE(keys.contains(key))
                << menu->windowTitle().toStdString() << ": " << a->text().toStdString();
            keys.insert(key);
        }
    }
    // Every text of a window is shown whole.
    static void expectNothingClipped(QWidget* top) {
        for (QWidget* c : top->findChildren<QWidget*>()) {
            if (!c->isVisibleTo(top)) continue;
            if (auto* l = qobject_cast<QLabel*>(c); l && !l->text().isEmpty()) {
                EXPECT_TRUE(l->wordWrap() ? l->heightForWidth(l->width()) <= l->height()
                                          : l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width())
                    << l->text().toStdString();
            } else if (auto* b = qobject_cast<QAbstractButton*>(c); b && !b->text().isEmpty()) {
                const QString text = QString(b->text()).remove(QLatin1Char('&'));
                const int needs = qobject_cast<QPushButton*>(b) ? b->fontMetrics().horizontalAdvance(text) + 8
                                                                : b->sizeHint().width();
                EXPECT_LE(needs, b->width()) << text.toStdString();
            } else if (auto* g = qobject_cast<QGroupBox*>(c)) {
                EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()) + 16, g->width());
            } else if (auto* combo = qobject_cast<QComboBox*>(c); combo && !combo->isEditable()) {
                EXPECT_LE(combo->sizeHint().width(), combo->width()) << combo->itemText(0).toStdString();
            } else {
                continue;
            }
            EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry())) << c->metaObject()->className();
        }
    }
};

TEST_F(LanguageTest, AnotherLanguageGetsEnglishWhileJapaneseAndCKeepTheJapaneseTexts) {
    int japaneseToolBarEnd = 0;
    for (const char* locale : {"ja_JP", "C"}) {
        std::remove(settingsFile().c_str());
        frmMain& w = startIn(locale);
        EXPECT_EQ(translator, nullptr) << locale;
        EXPECT_EQ(w.windowTitle(), QStringLiteral("オルヴァン"));
        EXPECT_EQ(w.cmbTimer->currentText(), QStringLiteral("0.1秒"));
        // The same tool bar under both: no translation's room-making touches it.
        if (japaneseToolBarEnd == 0) japaneseToolBarEnd = w.cmbDblClick->geometry().right();
        EXPECT_EQ(w.cmbDblClick->geometry().right(), japaneseToolBarEnd) << locale;
        typeInto(w.cmbTimer, QStringLiteral("2"));
        EXPECT_EQ(w.cmbTimer->currentText(), QStringLiteral("2秒"));
        closeWindow();
    }
    const std::string japaneseSettings = test::readAll(settingsFile());
    std::remove(settingsFile().c_str());

    frmMain& w = startIn("en_US");
    ASSERT_NE(translator, nullptr);
    EXPECT_TRUE(InterfaceIsTranslated());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(w.mnuView_Frame[1]->text(), QStringLiteral("Show &All Bars"));
    for (QWidget* menu : {static_cast<QWidget*>(w.menuBar()), static_cast<QWidget*>(w.mnuPopup)})
        expectOwnKeys(menu);

    // The lists speak English, have room for it, and work as in Japanese.
    EXPECT_EQ(w.cmbDblClick->itemText(3), QStringLiteral("Double click"));
    EXPECT_EQ(w.cmbTimer->currentText(), QStringLiteral("0.1 seconds"));
    expectNothingClipped(w.picToolBox);
    typeInto(w.cmbTimer, QStringLiteral("2"));
    EXPECT_EQ(w.cmbTimer->currentText(), QStringLiteral("2 seconds"));
    EXPECT_TRUE(w.mnuTool_Timer_Select[5]->isChecked());

    openDialog<frmSetting>(
        [&] { ASSERT_TRUE(choose(w.mnuTool_Setting)); },
        [&](frmSetting& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Orvane - Settings"));
            EXPECT_EQ(d.chkView[3]->text(), QStringLiteral("Scroll bars"));
            for (QRadioButton* method : d.optMonitor) {
                QTest::mouseClick(method, Qt::LeftButton, {}, QPoint(6, method->height() / 2));
                expectNothingClipped(&d);
            }
            QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
        });
    openDialog<frmDisplaySetting>(
        [&] { ASSERT_TRUE(choose(w.mnuTool_Dev)); },
        [&](frmDisplaySetting& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Orvane - Resolution"));
            EXPECT_TRUE(d.lblNowSetting->text().startsWith(QStringLiteral("Current: 1920x1080 / ")));
            expectNothingClipped(&d);
            QTest::mouseClick(d.cmdOkCancel[1], Qt::LeftButton);
        });
    openDialog<frmAbout>([&] { ASSERT_TRUE(choose(w.mnuHelp_About)); },
                         [&](frmAbout& d) {
                             EXPECT_EQ(d.windowTitle(), QStringLiteral("About Orvane"));
                             EXPECT_EQ(d.Label1[0]->text(), QStringLiteral("Web site"));
                             expectNothingClipped(&d);
                             QTest::mouseClick(d.cmdOK, Qt::LeftButton);
                         });
    closeWindow();
    EXPECT_EQ(test::readAll(settingsFile()), japaneseSettings) << "the same keys and values in any language";
}

}  // namespace
}  // namespace orvane
