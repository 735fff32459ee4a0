// KDE Plasma keeps the layout in KScreen; its command-line client applies a
// mode through the KScreen daemon, which saves it for the next login.
#include "platform/desktop/desktop_display_store.h"

#include <QProcess>
#include <QString>

namespace orvane::platform::desktop {

namespace {

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

}  // namespace

std::unique_ptr<DisplayStore> kscreenStore() { return std::make_unique<KScreenStore>(); }

}  // namespace orvane::platform::desktop
