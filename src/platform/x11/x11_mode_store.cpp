#include "platform/x11/x11_mode_store.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/config_folder.h"

namespace orvane::platform::x11 {

namespace {

bool writeAtomically(const std::string& path, const std::string& text) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(text.data(), static_cast<qint64>(text.size()));
    return f.commit();
}

std::string programPath() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("orvane");
}

}  // namespace

// Without a known config folder the paths are empty: nothing is written, and
// a registered mode is then reported as not kept.
std::string modeStorePath() {
    const std::string folder = OrvaneConfigFolder();
    return folder.empty() ? folder : folder + "/display-modes";
}

std::string autostartPath() {
    const std::string home = UserConfigHome();
    return home.empty() ? home : home + "/autostart/orvane-display-modes.desktop";
}

std::vector<RegisteredMode> loadStoredModes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray text = f.read(1 << 20);
    return parseRegisteredModes(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

std::string autostartEntry(const std::string& program, const std::string& store) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvane display modes\n"
           "Name[ja]=オルヴァン 解像度の復元\n"
           "Comment=Applies the display modes registered with Orvane again at login\n"
           "Exec=\"" +
           program + "\" --restore-display-modes \"" + store +
           "\"\n"
           // These desktops keep display modes in stores of their own.
           "NotShowIn=GNOME;KDE;XFCE;\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool storeRegisteredMode(const RegisteredMode& mode) {
    std::vector<RegisteredMode> modes = loadStoredModes();
    setRegisteredMode(modes, mode);
    const bool stored = writeAtomically(modeStorePath(), formatRegisteredModes(modes));
    const std::string entry = autostartEntry(programPath(), modeStorePath());
    QFile existing(QString::fromStdString(autostartPath()));
    if (existing.open(QIODevice::ReadOnly) && existing.readAll().toStdString() == entry) return stored;
    return writeAtomically(autostartPath(), entry) && stored;
}

int restoreStoredModes(DisplayModes& modes, const std::string& store) {
    int failed = 0;
    for (const RegisteredMode& stored : loadStoredModes(store)) {
        const DeviceName device = stored.output;
        bool applied = false;
        DisplayMode m;
        for (std::uint32_t n = 0; !applied && modes.enumMode(device, n, m); ++n) {
            if (m.width == stored.width && m.height == stored.height && m.frequency == stored.frequency)
                applied = modes.applyMode(device, m, ChangeFlags::UpdateRegistry) == DispChange::Successful;
        }
        failed += applied ? 0 : 1;
    }
    return failed;
}

}  // namespace orvane::platform::x11
