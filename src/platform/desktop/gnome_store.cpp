// The store GNOME keeps modes in: its display configuration service
// (gnome_display_config.h), handed each mode with the persistent method.
#include <QDBusInterface>
#include <QDBusVariant>

#include "platform/desktop/gnome_display_config.h"

namespace orvane::platform::desktop {

namespace {

using namespace gnome;

class GnomeStore : public DisplayStore {
public:
    [[nodiscard]] bool setsModeItself() const override { return true; }
    [[nodiscard]] bool confirmsChangeItself() const override { return true; }
    bool keep(const KeptMode& mode, std::string& why) override {
        registerTypes();
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            why = "no D-Bus session bus to reach GNOME's display settings";
            return false;
        }
        if (!allowed(bus, why)) return false;
        // The service refuses a configuration made from an older state; the
        // state changes while it takes in our own mode change, so read again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::optional<State> state = readState(bus, why);
            if (!state) return false;
            const auto layout = configKeeping(*state, mode);
            if (!layout) {
                why = "GNOME's display settings know no monitor " + mode.output + " showing " +
                      std::to_string(mode.width) + "x" + std::to_string(mode.height) + " at " +
                      std::to_string(mode.frequency) + " Hz";
                return false;
            }
            bool stale = false;
            if (applyConfig(bus, *state, *layout, kPersistent, why, stale)) return true;
            if (!stale) return false;
        }
        return false;
    }

private:
    static bool allowed(QDBusConnection& bus, std::string& why) {
        QDBusInterface props(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), bus);
        props.setTimeout(10000);
        const QDBusMessage r = props.call(QStringLiteral("Get"), QString::fromLatin1(kInterface),
                                          QStringLiteral("ApplyMonitorsConfigAllowed"));
        if (r.type() != QDBusMessage::ReplyMessage) {
            if (r.errorName() == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown") ||
                r.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply")) {
                why = "GNOME's display settings service is not running";
                return false;
            }
            return true;  // older versions lack the property and always allow
        }
        const QVariant v = r.arguments().value(0).value<QDBusVariant>().variant();
        if (v.isValid() && !v.toBool()) {
            why = "GNOME does not allow programs to change the display settings here";
            return false;
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<DisplayStore> gnomeStore() { return std::make_unique<GnomeStore>(); }

}  // namespace orvane::platform::desktop
