// GNOME's display configuration service (org.gnome.Mutter.DisplayConfig, also
// offered by GNOME Flashback): its D-Bus structures, and the rule that turns
// its current state into a configuration keeping one monitor's new mode.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QList>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <optional>
#include <string>

#include "platform/desktop/desktop_display_store.h"

namespace orvane::platform::desktop::gnome {

inline constexpr const char* kService = "org.gnome.Mutter.DisplayConfig";
inline constexpr const char* kPath = "/org/gnome/Mutter/DisplayConfig";
inline constexpr const char* kInterface = "org.gnome.Mutter.DisplayConfig";
// ApplyMonitorsConfig's methods; persistent also writes the user's monitors.xml.
inline constexpr quint32 kVerify = 0;
inline constexpr quint32 kTemporary = 1;
inline constexpr quint32 kPersistent = 2;
// Values of the "layout-mode" property.
inline constexpr quint32 kLayoutLogical = 1;
inline constexpr quint32 kLayoutPhysical = 2;

struct MonitorId {  // (ssss): how the service names a monitor
    QString connector, vendor, product, serial;
};
struct Mode {  // (siiddada{sv})
    QString id;
    qint32 width = 0, height = 0;
    double refresh = 0, preferredScale = 1;
    QList<double> supportedScales;
    QVariantMap properties;  // "is-current", "is-preferred"
};
struct Monitor {  // ((ssss)a(siiddada{sv})a{sv})
    MonitorId id;
    QList<Mode> modes;
    QVariantMap properties;
};
struct LogicalMonitor {  // (iiduba(ssss)a{sv})
    qint32 x = 0, y = 0;
    double scale = 1;
    quint32 transform = 0;
    bool primary = false;
    QList<MonitorId> monitors;
    QVariantMap properties;
};
struct ApplyMonitor {  // (ssa{sv})
    QString connector, modeId;
    QVariantMap properties;
};
struct ApplyLogicalMonitor {  // (iiduba(ssa{sv}))
    qint32 x = 0, y = 0;
    double scale = 1;
    quint32 transform = 0;
    bool primary = false;
    QList<ApplyMonitor> monitors;
};

struct State {
    quint32 serial = 0;
    QList<Monitor> monitors;
    QList<LogicalMonitor> logicalMonitors;
    QVariantMap properties;
};

// The current layout with `mode` on its output, every other monitor keeping
// its current mode. Monitors right of or below the changed one move by the
// change of its size, so the layout stays without gaps and overlaps, which
// the service insists on. Null when the output or a matching mode is unknown.
std::optional<QList<ApplyLogicalMonitor>> configKeeping(const State& state, const KeptMode& mode);

// The mode a monitor shows now; null when it shows none (switched off).
const Mode* currentModeOf(const Monitor& m);
// The size a mode takes in the layout's coordinates (turned, and scaled
// down in the logical layout mode).
QSize layoutSize(const Mode& mode, const LogicalMonitor& lm, quint32 layoutMode);

// The service's current state; none, and why, when it does not answer.
std::optional<State> readState(QDBusConnection& bus, std::string& why);
// Applies a layout made from `state` with the given method; `stale` tells a
// refusal because the state changed meanwhile (read it again and retry).
bool applyConfig(QDBusConnection& bus, const State& state, const QList<ApplyLogicalMonitor>& layout, quint32 method,
                 std::string& why, bool& stale);

// Registers the structures with Qt's D-Bus type system (once per process).
void registerTypes();

}  // namespace orvane::platform::desktop::gnome

QDBusArgument& operator<<(QDBusArgument& a, const orvane::platform::desktop::gnome::MonitorId& v);
const QDBusArgument& operator>>(const QDBusArgument& a, orvane::platform::desktop::gnome::MonitorId& v);
QDBusArgument& operator<<(QDBusArgument& a, const orvane::platform::desktop::gnome::Mode& v);
const QDBusArgument& operator>>(const QDBusArgument& a, orvane::platform::desktop::gnome::Mode& v);
QDBusArgument& operator<<(QDBusArgument& a, const orvane::platform::desktop::gnome::Monitor& v);
const QDBusArgument& operator>>(const QDBusArgument& a, orvane::platform::desktop::gnome::Monitor& v);
QDBusArgument& operator<<(QDBusArgument& a, const orvane::platform::desktop::gnome::LogicalMonitor& v);
const QDBusArgument& operator>>(const QDBusArgument& a, orvane::platform::desktop::gnome::LogicalMonitor& v);
QDBusArgument& operator<<(QDBusArgument& a, const orvane::platform::desktop::gnome::ApplyMonitor& v);
const QDBusArgument& operator>>(const QDBusArgument& a, orvane::platform::desktop::gnome::ApplyMonitor& v);
QDBusArgument& operator<<(QDBusArgument& a, const orvane::platform::desktop::gnome::ApplyLogicalMonitor& v);
const QDBusArgument& operator>>(const QDBusArgument& a,
                                orvane::platform::desktop::gnome::ApplyLogicalMonitor& v);

Q_DECLARE_METATYPE(orvane::platform::desktop::gnome::MonitorId)
Q_DECLARE_METATYPE(orvane::platform::desktop::gnome::Mode)
Q_DECLARE_METATYPE(orvane::platform::desktop::gnome::Monitor)
Q_DECLARE_METATYPE(orvane::platform::desktop::gnome::LogicalMonitor)
Q_DECLARE_METATYPE(orvane::platform::desktop::gnome::ApplyMonitor)
Q_DECLARE_METATYPE(orvane::platform::desktop::gnome::ApplyLogicalMonitor)
