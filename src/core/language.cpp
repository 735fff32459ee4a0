#include "core/language.h"

#include <QCoreApplication>

namespace orvane {

QStringList PreferredLanguages(const QLocale& locale) {
    // Qt reports C as "C" or as "en-US" depending on its version; both mean no preference here.
    if (locale.language() == QLocale::C) return {};
    return locale.uiLanguages();
}

bool WantsEnglish(const QStringList& languages) {
    bool other = false;
    for (const QString& tag : languages) {
        const QString language =
            tag.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        if (language == QLatin1String("ja")) return false;
        if (language == QLatin1String("en")) return true;
        if (!language.isEmpty() && language != QLatin1String("c") && language != QLatin1String("posix"))
            other = true;
    }
    return other;
}

std::unique_ptr<QTranslator> TranslatorFor(const QStringList& languages) {
    if (!WantsEnglish(languages)) return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/orvane_en.qm"))) return nullptr;
    return translator;
}

bool InterfaceIsTranslated() {
    // The translation names its own language.
    return QCoreApplication::translate("orvane::Language", "ja", "code of the interface's language") !=
           QLatin1String("ja");
}

}  // namespace orvane
