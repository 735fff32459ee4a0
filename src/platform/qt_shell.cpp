// Opens links with QDesktopServices (see qt_shell.h).
#include "platform/qt_shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace orvane::platform {

std::string linkUrl(const std::string& target) {
    const QString t = QString::fromStdString(target).trimmed();
    if (t.isEmpty()) return {};
    if (t.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) return t.toStdString();
    const bool hasScheme = t.contains(QLatin1String("://"));
    if (!hasScheme && t.contains(QLatin1Char('@')) && !t.contains(QLatin1Char('/')))
        return "mailto:" + t.toStdString();
    return t.toStdString();
}

bool QtShell::openLink(const std::string& target) {
    const std::string url = linkUrl(target);
    if (url.empty()) return false;
    const QUrl u(QString::fromStdString(url), QUrl::TolerantMode);
    return u.isValid() && QDesktopServices::openUrl(u);
}

}  // namespace orvane::platform
