// Stand-ins for the desktops' display stores on a private session bus, so
// tests can watch what Orvane hands to them: GNOME's display configuration
// service and XFCE's settings store. Every call is written as one line to the
// log file; "ready" is written once the name is owned. GNOME's sets a new
// mode through xrandr, as mutter would.
//
//   fake_desktop_services --gnome --log FILE --monitor NAME@X,Y:WxH@HZ*,WxH@HZ ...
//                         [--disallow] [--refuse] [--stale-once]
//   fake_desktop_services --xfce --log FILE [--active-profile NAME]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <map>

#include "platform/desktop/gnome_display_config.h"

using namespace orvane::platform::desktop::gnome;

namespace {

QFile logFile;

void log(const QString& line) {
    logFile.write(line.toUtf8() + '\n');
    logFile.flush();
}

class GnomeDisplayConfig : public QDBusVirtualObject {
public:
    State state;
    bool allowed = true;
    bool refuse = false;
    bool staleOnce = false;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        QDBusMessage reply;
        if (m.interface() == QLatin1String("org.freedesktop.DBus.Properties") && m.member() == QLatin1String("Get")) {
            if (m.arguments().value(1).toString() == QLatin1String("ApplyMonitorsConfigAllowed"))
                reply = m.createReply(QVariant::fromValue(QDBusVariant(allowed)));
            else
                reply = m.createErrorReply(QDBusError::UnknownProperty, QStringLiteral("no such property"));
        } else if (m.member() == QLatin1String("GetCurrentState")) {
            log(QStringLiteral("state %1").arg(state.serial));
            reply = m.createReply(QList<QVariant>{QVariant::fromValue(state.serial), QVariant::fromValue(state.monitors),
                                                  QVariant::fromValue(state.logicalMonitors),
                                                  QVariant::fromValue(state.properties)});
            if (staleOnce) {  // as when the service takes in a change right after answering
                staleOnce = false;
                ++state.serial;
            }
        } else if (m.member() == QLatin1String("ApplyMonitorsConfig")) {
            reply = apply(m);
        } else {
            reply = m.createErrorReply(QDBusError::UnknownMethod, m.member());
        }
        bus.send(reply);
        return true;
    }

private:
    QDBusMessage apply(const QDBusMessage& m) {
        const QList<QVariant> args = m.arguments();
        const quint32 serial = args.value(0).toUInt();
        const quint32 method = args.value(1).toUInt();
        const auto layout = qdbus_cast<QList<ApplyLogicalMonitor>>(args.value(2));
        QString line = QStringLiteral("apply %1").arg(method);
        for (const ApplyLogicalMonitor& lm : layout)
            for (const ApplyMonitor& mon : lm.monitors)
                line += QStringLiteral(" %1@%2,%3=%4").arg(mon.connector).arg(lm.x).arg(lm.y).arg(mon.modeId);
        if (serial != state.serial) {
            log(line + QStringLiteral(" stale"));
            return m.createErrorReply(QDBusError::AccessDenied,
                                      QStringLiteral("The requested configuration is based on stale information"));
        }
        if (refuse) {
            log(line + QStringLiteral(" refused"));
            return m.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("Logical monitors not adjacent"));
        }
        log(line);
        if (method != kVerify) {
            for (Monitor& mon : state.monitors)
                for (Mode& mode : mon.modes) {
                    bool current = false;
                    for (const ApplyLogicalMonitor& lm : layout)
                        for (const ApplyMonitor& a : lm.monitors)
                            current |= a.connector == mon.id.connector && a.modeId == mode.id;
                    // As mutter does, the service sets the new mode itself.
                    if (current && !mode.properties.value(QStringLiteral("is-current")).toBool())
                        QProcess::execute(
                            QStringLiteral("xrandr"),
                            {QStringLiteral("--output"), mon.id.connector, QStringLiteral("--mode"),
                             QStringLiteral("%1x%2").arg(mode.width).arg(mode.height),
                             QStringLiteral("--rate"), QString::number(mode.refresh)});
                    mode.properties[QStringLiteral("is-current")] = current;
                }
            ++state.serial;
        }
        return m.createReply();
    }
};

// "NAME@X,Y:WxH@HZ*,WxH@HZ": a monitor alone in its logical monitor, '*'
// marking its current mode.
bool addMonitor(State& s, const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^([^@]+)@(-?\\d+),(-?\\d+):(.+)$"));
    static const QRegularExpression one(QStringLiteral("^(\\d+)x(\\d+)@([0-9.]+)(\\*?)$"));
    const auto w = whole.match(text);
    if (!w.hasMatch()) return false;
    Monitor mon;
    mon.id = {w.captured(1), QStringLiteral("XXX"), QStringLiteral("Stand-in"), QStringLiteral("0")};
    for (const QString& part : w.captured(4).split(QLatin1Char(','))) {
        const auto o = one.match(part);
        if (!o.hasMatch()) return false;
        Mode mode;
        mode.width = o.captured(1).toInt();
        mode.height = o.captured(2).toInt();
        mode.refresh = o.captured(3).toDouble();
        mode.id = QStringLiteral("%1x%2@%3").arg(mode.width).arg(mode.height).arg(mode.refresh, 0, 'f', 3);
        mode.supportedScales = {1.0};
        mode.properties[QStringLiteral("is-current")] = !o.captured(4).isEmpty();
        mon.modes.push_back(mode);
    }
    LogicalMonitor lm;
    lm.x = w.captured(2).toInt();
    lm.y = w.captured(3).toInt();
    lm.primary = s.logicalMonitors.isEmpty();
    lm.monitors = {mon.id};
    s.monitors.push_back(mon);
    s.logicalMonitors.push_back(lm);
    return true;
}

class Xfconf : public QDBusVirtualObject {
public:
    std::map<QString, QVariant> values;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        const QList<QVariant> args = m.arguments();
        const QString key = args.value(0).toString() + QLatin1Char(' ') + args.value(1).toString();
        QDBusMessage reply;
        if (m.member() == QLatin1String("SetProperty")) {
            const QVariant v = args.value(2).value<QDBusVariant>().variant();
            values[key] = v;
            log(QStringLiteral("set %1 %2").arg(key, v.toString()));
            reply = m.createReply();
        } else if (m.member() == QLatin1String("GetProperty")) {
            auto it = values.find(key);
            reply = it != values.end() ? m.createReply(QVariant::fromValue(QDBusVariant(it->second)))
                                       : m.createErrorReply(QStringLiteral("org.xfce.Xfconf.Error.PropertyNotFound"),
                                                            QStringLiteral("Property does not exist"));
        } else {
            reply = m.createErrorReply(QDBusError::UnknownMethod, m.member());
        }
        bus.send(reply);
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    registerTypes();
    const QStringList args = app.arguments();
    const int logAt = static_cast<int>(args.indexOf(QStringLiteral("--log")));
    if (logAt < 0 || logAt + 1 >= args.size()) return 2;
    logFile.setFileName(args[logAt + 1]);
    if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append)) return 2;

    QDBusConnection bus = QDBusConnection::sessionBus();
    GnomeDisplayConfig gnome;
    Xfconf xfconf;
    if (args.contains(QStringLiteral("--gnome"))) {
        gnome.state.serial = 1;
        gnome.state.properties[QStringLiteral("layout-mode")] = QVariant::fromValue(kLayoutPhysical);
        for (int i = 1; i + 1 < args.size(); ++i)
            if (args[i] == QLatin1String("--monitor") && !addMonitor(gnome.state, args[i + 1])) {
                std::fprintf(stderr, "fake_desktop_services: bad monitor %s\n", qPrintable(args[i + 1]));
                return 2;
            }
        gnome.allowed = !args.contains(QStringLiteral("--disallow"));
        gnome.refuse = args.contains(QStringLiteral("--refuse"));
        gnome.staleOnce = args.contains(QStringLiteral("--stale-once"));
        if (!bus.registerVirtualObject(QString::fromLatin1(kPath), &gnome) ||
            !bus.registerService(QString::fromLatin1(kService)))
            return 3;
    } else if (args.contains(QStringLiteral("--xfce"))) {
        const int at = static_cast<int>(args.indexOf(QStringLiteral("--active-profile")));
        if (at > 0 && at + 1 < args.size()) xfconf.values[QStringLiteral("displays /ActiveProfile")] = args[at + 1];
        if (!bus.registerVirtualObject(QStringLiteral("/org/xfce/Xfconf"), &xfconf) ||
            !bus.registerService(QStringLiteral("org.xfce.Xfconf")))
            return 3;
    } else {
        return 2;
    }
    log(QStringLiteral("ready"));
    return app.exec();
}
