#include "dialogs/fonts.h"

#include <QFont>
#include <QStringList>

namespace orvane {

void InstallFontSubstitutes() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"),
                               {QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAexMincho"),
                                QStringLiteral("IPAMincho"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(
        QStringLiteral("ＭＳ Ｐゴシック"),
        {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAexGothic"), QStringLiteral("IPAPGothic")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               {QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
}

}  // namespace orvane
