// The interface's language: Japanese for a Japanese desktop and for C, English
// for a desktop that asks for another language; the same settings file either way.
#include "core/language.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTranslator>

#include "support/main_window_fixture.h"

namespace orvane {
namespace {

// C (no language) and American English are started in the window test below.
TEST(Language, TheFirstOfJapaneseAndEnglishInTheDesktopsListWins) {
    EXPECT_FALSE(WantsEnglish({"de", "de-DE", "ja", "ja-JP"})) << "LANGUAGE=de:ja";
}

// No two items of the menu bar, of one menu or of one submenu share their key.
void expectOwnKeys(QWidget* menu) {
    QSet<QChar> keys;
    for (QAction* a : menu->actions()) {
        if (a->menu()) expectOwnKeys(a->menu());
        const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
        if (a->isSeparator() || amp < 0 || amp + 1 >= a->text().size()) continue;
        const QChar key = a->text().at(amp + 1).toLower();
        EXPECT_FALSE(keys.contains(key)) << a->text().toStdString();
        keys.insert(key);
    }
}

// Every text of a window is shown whole, inside its parent.
void expectNothingClipped(QWidget* top) {
    for (QWidget* c : top->findChildren<QWidget*>()) {
        if (!c->isVisibleTo(top)) continue;
        int needs = 0, has = c->width();
        if (auto* l = qobject_cast<QLabel*>(c); l && !l->text().isEmpty()) {
            needs =
                l->wordWrap() ? l->heightForWidth(l->width()) : l->fontMetrics().horizontalAdvance(l->text());
            has = l->wordWrap() ? l->height() : l->contentsRect().width();
        } else if (auto* b = qobject_cast<QAbstractButton*>(c); b && !b->text().isEmpty()) {
            const QString text = QString(b->text()).remove(QLatin1Char('&'));
            needs = qobject_cast<QPushButton*>(b) ? b->fontMetrics().horizontalAdvance(text) + 8
                                                  : b->sizeHint().width();
        } else if (auto* g = qobject_cast<QGroupBox*>(c)) {
            needs = g->fontMetrics().horizontalAdvance(g->title()) + 16;
        } else if (auto* combo = qobject_cast<QComboBox*>(c); combo && !combo->isEditable()) {
            needs = combo->sizeHint().width();
        } else {
            continue;
        }
        EXPECT_LE(needs, has) << c->metaObject()->className() << " " << c->objectName().toStdString();
        EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry())) << c->metaObject()->className();
    }
}

struct LanguageTest : test::MainWindowTest {
    std::unique_ptr<QTranslator> translator;  // takes itself out of the application after the window's end
    // A run of the program on a desktop with `locale`'s language.
    frmMain& startIn(const char* locale) {
        translator = TranslatorFor(PreferredLanguages(QLocale(QString::fromLatin1(locale))));
        if (translator) QCoreApplication::installTranslator(translator.get());
        freshRun();
        return start();
    }
};

TEST_F(LanguageTest, AnotherLanguageGetsEnglishWhileCKeepsTheJapaneseTexts) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    EXPECT_EQ(startIn("C").windowTitle(), QStringLiteral("オルヴァン")) << "no language: Japanese";
    EXPECT_EQ(translator, nullptr);
    typeInto(window->cmbTimer, QStringLiteral("2"));  // as in English below
    closeWindow();
    const std::string japaneseSettings = test::readAll(settingsFile());
    std::remove(settingsFile().c_str());

    frmMain& w = startIn("en_US");
    ASSERT_NE(translator, nullptr);
    EXPECT_TRUE(InterfaceIsTranslated());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(w.mnuView_Frame[1]->text(), QStringLiteral("Show &All Bars"));
    expectOwnKeys(w.menuBar());
    expectOwnKeys(w.mnuPopup);
    // The lists speak English, have room for it, and work as in Japanese.
    EXPECT_EQ(w.cmbDblClick->itemText(3), QStringLiteral("Double click"));
    expectNothingClipped(w.picToolBox);
    typeInto(w.cmbTimer, QStringLiteral("2"));
    EXPECT_EQ(w.cmbTimer->currentText(), QStringLiteral("2 seconds"));
    EXPECT_TRUE(w.mnuTool_Timer_Select[5]->isChecked());
    // The settings, resolution and About dialogs; each change method shows its own explanation.
    for (QAction* item : {w.mnuTool_Setting, w.mnuTool_Dev, w.mnuHelp_About})
        openDialog<QDialog>([&] { ASSERT_TRUE(choose(item)); },
                            [&](QDialog& d) {
                                EXPECT_TRUE(d.windowTitle().contains(QStringLiteral("Orvane")))
                                    << d.windowTitle().toStdString();
                                for (QRadioButton* method : d.findChildren<QRadioButton*>()) {
                                    QTest::mouseClick(method, Qt::LeftButton, {},
                                                      QPoint(6, method->height() / 2));
                                    expectNothingClipped(&d);
                                }
                                expectNothingClipped(&d);
                                QTest::keyClick(&d, Qt::Key_Escape);
                            });
    closeWindow();
    EXPECT_EQ(test::readAll(settingsFile()), japaneseSettings) << "the same keys and values in any language";
}

}  // namespace
}  // namespace orvane
