#include "platform/desktop/desktop_display_store.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusVariant>
#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "platform/desktop/gnome_display_config.h"

namespace orvane::platform::desktop {

Desktop desktopNamed(std::string_view currentDesktop) {
    const QStringList names = QString::fromUtf8(currentDesktop.data(), static_cast<qsizetype>(currentDesktop.size()))
                                  .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (name.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0) return Desktop::Gnome;
        if (name.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0) return Desktop::Kde;
        if (name.compare(QLatin1String("XFCE"), Qt::CaseInsensitive) == 0) return Desktop::Xfce;
    }
    return Desktop::Other;
}

Desktop currentDesktop() {
    const char* name = std::getenv("XDG_CURRENT_DESKTOP");
    return desktopNamed(name != nullptr ? name : "");
}

namespace {

// KDE Plasma keeps the layout in KScreen; its command-line client applies a
// mode through the KScreen daemon, which saves it for the next login.
class KScreenStore : public DisplayStore {
public:
    bool keep(const KeptMode& mode, std::string& why) override {
        const QString setting = QStringLiteral("output.%1.mode.%2x%3@%4")
                                 .arg(QString::fromStdString(mode.output))
                                 .arg(mode.width)
                                 .arg(mode.height)
                                 .arg(mode.frequency);
        QProcess doctor;
        doctor.start(QStringLiteral("kscreen-doctor"), {setting});
        if (!doctor.waitForStarted(5000)) {
            why = "kscreen-doctor (KDE's display settings) could not be started";
            return false;
        }
        if (!doctor.waitForFinished(15000)) {
            doctor.kill();
            doctor.waitForFinished(1000);
            why = "kscreen-doctor did not finish";
            return false;
        }
        if (doctor.exitStatus() != QProcess::NormalExit || doctor.exitCode() != 0) {
            why = "KDE's display settings refused the mode: " +
                  QString::fromLocal8Bit(doctor.readAllStandardError()).trimmed().toStdString();
            return false;
        }
        return true;
    }
};

// XFCE's settings daemon applies the "displays" channel of xfconf at login.
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

bool keepWithoutBlocking(DisplayStore& store, const KeptMode& mode, std::string& why) {
    if (QCoreApplication::instance() == nullptr) return store.keep(mode, why);
    QEventLoop loop;
    std::atomic<bool> done{false};
    bool kept = false;
    std::string reason;
    std::thread worker([&] {
        kept = store.keep(mode, reason);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done) loop.exec();
    worker.join();
    why = reason;
    return kept;
}

bool storeSetsMode(Desktop desktop) { return desktop == Desktop::Gnome; }

std::unique_ptr<DisplayStore> storeOf(Desktop desktop) {
    switch (desktop) {
        case Desktop::Gnome:
            return gnome::makeStore();
        case Desktop::Kde:
            return std::make_unique<KScreenStore>();
        case Desktop::Xfce:
            return std::make_unique<XfconfStore>();
        case Desktop::Other:
            break;
    }
    return nullptr;
}

}  // namespace orvane::platform::desktop
