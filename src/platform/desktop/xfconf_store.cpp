// XFCE's settings daemon applies the "displays" channel of xfconf at login.
#include "platform/desktop/desktop_display_store.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusVariant>
#include <QString>

namespace orvane::platform::desktop {

namespace {

class XfconfStore : public DisplayStore {
public:
    bool keep(const KeptMode& mode, std::string& why) override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            why = "no D-Bus session bus to reach XFCE's settings";
            return false;
        }
        QDBusInterface xfconf(QStringLiteral("org.xfce.Xfconf"), QStringLiteral("/org/xfce/Xfconf"),
                              QStringLiteral("org.xfce.Xfconf"), bus);
        xfconf.setTimeout(10000);
        // Profiles other than "Default" are chosen by the monitors plugged
        // in; keep the mode in the active one too.
        QStringList profiles{QStringLiteral("Default")};
        const QDBusMessage active =
            xfconf.call(QStringLiteral("GetProperty"), QStringLiteral("displays"), QStringLiteral("/ActiveProfile"));
        if (active.type() == QDBusMessage::ReplyMessage) {
            const QString name = active.arguments().value(0).value<QDBusVariant>().variant().toString();
            if (!name.isEmpty() && !profiles.contains(name)) profiles.push_back(name);
        }
        const QString output = QString::fromStdString(mode.output);
        for (const QString& profile : profiles) {
            const QString base = QStringLiteral("/%1/%2/").arg(profile, output);
            const QString size = QStringLiteral("%1x%2").arg(mode.width).arg(mode.height);
            const double rate = mode.refresh > 0 ? mode.refresh : static_cast<double>(mode.frequency);
            for (const auto& [key, value] : {std::pair{QStringLiteral("Resolution"), QVariant(size)},
                                             std::pair{QStringLiteral("RefreshRate"), QVariant(rate)}}) {
                const QDBusMessage r = xfconf.call(QStringLiteral("SetProperty"), QStringLiteral("displays"),
                                                   base + key, QVariant::fromValue(QDBusVariant(value)));
                if (r.type() != QDBusMessage::ReplyMessage) {
                    why = "XFCE's settings refused the mode: " + r.errorMessage().toStdString();
                    return false;
                }
            }
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<DisplayStore> xfconfStore() { return std::make_unique<XfconfStore>(); }

}  // namespace orvane::platform::desktop
