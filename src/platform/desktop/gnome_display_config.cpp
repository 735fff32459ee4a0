#include "platform/desktop/gnome_display_config.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <cmath>
#include <cstdlib>
#include <string>

using namespace orvane::platform::desktop::gnome;

QDBusArgument& operator<<(QDBusArgument& a, const MonitorId& v) {
    a.beginStructure();
    a << v.connector << v.vendor << v.product << v.serial;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, MonitorId& v) {
    a.beginStructure();
    a >> v.connector >> v.vendor >> v.product >> v.serial;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const Mode& v) {
    a.beginStructure();
    a << v.id << v.width << v.height << v.refresh << v.preferredScale << v.supportedScales << v.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, Mode& v) {
    a.beginStructure();
    a >> v.id >> v.width >> v.height >> v.refresh >> v.preferredScale >> v.supportedScales >> v.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const Monitor& v) {
    a.beginStructure();
    a << v.id << v.modes << v.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, Monitor& v) {
    a.beginStructure();
    a >> v.id >> v.modes >> v.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const LogicalMonitor& v) {
    a.beginStructure();
    a << v.x << v.y << v.scale << v.transform << v.primary << v.monitors << v.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, LogicalMonitor& v) {
    a.beginStructure();
    a >> v.x >> v.y >> v.scale >> v.transform >> v.primary >> v.monitors >> v.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const ApplyMonitor& v) {
    a.beginStructure();
    a << v.connector << v.modeId << v.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, ApplyMonitor& v) {
    a.beginStructure();
    a >> v.connector >> v.modeId >> v.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const ApplyLogicalMonitor& v) {
    a.beginStructure();
    a << v.x << v.y << v.scale << v.transform << v.primary << v.monitors;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, ApplyLogicalMonitor& v) {
    a.beginStructure();
    a >> v.x >> v.y >> v.scale >> v.transform >> v.primary >> v.monitors;
    a.endStructure();
    return a;
}

namespace orvane::platform::desktop::gnome {

void registerTypes() {
    static const bool once = [] {
        qDBusRegisterMetaType<MonitorId>();
        qDBusRegisterMetaType<QList<MonitorId>>();
        qDBusRegisterMetaType<Mode>();
        qDBusRegisterMetaType<QList<Mode>>();
        qDBusRegisterMetaType<Monitor>();
        qDBusRegisterMetaType<QList<Monitor>>();
        qDBusRegisterMetaType<LogicalMonitor>();
        qDBusRegisterMetaType<QList<LogicalMonitor>>();
        qDBusRegisterMetaType<ApplyMonitor>();
        qDBusRegisterMetaType<QList<ApplyMonitor>>();
        qDBusRegisterMetaType<ApplyLogicalMonitor>();
        qDBusRegisterMetaType<QList<ApplyLogicalMonitor>>();
        qDBusRegisterMetaType<QList<double>>();
        return true;
    }();
    (void)once;
}

const Mode* currentModeOf(const Monitor& m) {
    for (const Mode& mode : m.modes)
        if (mode.properties.value(QStringLiteral("is-current")).toBool()) return &mode;
    return nullptr;
}

namespace {

const Monitor* monitorNamed(const State& s, const QString& connector) {
    for (const Monitor& m : s.monitors)
        if (m.id.connector == connector) return &m;
    return nullptr;
}

// Of the modes of the kept size whose rate rounds to the kept one, the one
// closest to the exact rate.
const Mode* matchingMode(const Monitor& m, const KeptMode& kept) {
    const Mode* best = nullptr;
    for (const Mode& mode : m.modes) {
        if (mode.width != static_cast<qint32>(kept.width) || mode.height != static_cast<qint32>(kept.height))
            continue;
        if (kept.frequency != 0 && std::lround(mode.refresh) != static_cast<long>(kept.frequency)) continue;
        if (!best || std::abs(mode.refresh - kept.refresh) < std::abs(best->refresh - kept.refresh)) best = &mode;
    }
    return best;
}

}  // namespace

QSize layoutSize(const Mode& mode, const LogicalMonitor& lm, quint32 layoutMode) {
    const bool turned = (lm.transform % 2) == 1;  // 90 and 270 degrees, flipped or not
    qint32 w = turned ? mode.height : mode.width;
    qint32 h = turned ? mode.width : mode.height;
    if (layoutMode == kLayoutLogical && lm.scale > 0) {
        w = static_cast<qint32>(std::lround(w / lm.scale));
        h = static_cast<qint32>(std::lround(h / lm.scale));
    }
    return {w, h};
}

std::optional<QList<ApplyLogicalMonitor>> configKeeping(const State& state, const KeptMode& kept) {
    const QString output = QString::fromStdString(kept.output);
    const Monitor* changed = monitorNamed(state, output);
    if (!changed) return std::nullopt;
    const Mode* target = matchingMode(*changed, kept);
    const Mode* before = currentModeOf(*changed);
    if (!target || !before) return std::nullopt;
    const quint32 layoutMode = state.properties.value(QStringLiteral("layout-mode"), kLayoutPhysical).toUInt();

    const LogicalMonitor* home = nullptr;
    for (const LogicalMonitor& lm : state.logicalMonitors)
        for (const MonitorId& monitor : lm.monitors)
            if (monitor.connector == output) home = &lm;
    if (!home) return std::nullopt;  // the output is off: nothing of the layout shows it
    const QSize oldSize = layoutSize(*before, *home, layoutMode);
    const QSize newSize = layoutSize(*target, *home, layoutMode);
    const qint32 oldRight = home->x + oldSize.width();
    const qint32 oldBottom = home->y + oldSize.height();

    QList<ApplyLogicalMonitor> config;
    for (const LogicalMonitor& lm : state.logicalMonitors) {
        ApplyLogicalMonitor out{lm.x, lm.y, lm.scale, lm.transform, lm.primary, {}};
        if (&lm != home) {
            if (lm.x >= oldRight) out.x += newSize.width() - oldSize.width();
            if (lm.y >= oldBottom) out.y += newSize.height() - oldSize.height();
        }
        for (const MonitorId& monitor : lm.monitors) {
            const Monitor* m = monitorNamed(state, monitor.connector);
            const Mode* mode = m == changed ? target : m ? currentModeOf(*m) : nullptr;
            if (!mode) return std::nullopt;
            out.monitors.push_back(ApplyMonitor{monitor.connector, mode->id, {}});
        }
        config.push_back(out);
    }
    return config;
}

std::optional<State> readState(QDBusConnection& bus, std::string& why) {
    registerTypes();
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCurrentState"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 4) {
        why = "GNOME's display settings did not answer: " + reply.errorMessage().toStdString();
        return std::nullopt;
    }
    State state;
    const QList<QVariant> args = reply.arguments();
    state.serial = args[0].toUInt();
    state.monitors = qdbus_cast<QList<Monitor>>(args[1]);
    state.logicalMonitors = qdbus_cast<QList<LogicalMonitor>>(args[2]);
    state.properties = qdbus_cast<QVariantMap>(args[3]);
    return state;
}

bool applyConfig(QDBusConnection& bus, const State& state, const QList<ApplyLogicalMonitor>& layout, quint32 method,
                 std::string& why, bool& stale) {
    QVariantMap properties;
    if (state.properties.value(QStringLiteral("supports-changing-layout-mode")).toBool() &&
        state.properties.contains(QStringLiteral("layout-mode")))
        properties.insert(QStringLiteral("layout-mode"),
                          QVariant::fromValue(state.properties.value(QStringLiteral("layout-mode")).toUInt()));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("ApplyMonitorsConfig"));
    call.setArguments({QVariant::fromValue(state.serial), QVariant::fromValue(method), QVariant::fromValue(layout),
                       properties});
    const QDBusMessage applied = bus.call(call, QDBus::Block, 10000);
    stale = false;
    if (applied.type() == QDBusMessage::ReplyMessage) return true;
    why = "GNOME's display settings refused the mode: " + applied.errorMessage().toStdString();
    stale = applied.errorMessage().contains(QStringLiteral("stale"));
    return false;
}

}  // namespace orvane::platform::desktop::gnome
