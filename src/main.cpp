// Main: works out the program folder, loads the settings, connects to the
// window system and shows the main window until it is closed.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "core/app_path.h"
#include "core/app_state.h"
#include "core/exit_signals.h"
#include "core/language.h"
#include "core/settings.h"
#include "mainwindow/frm_main.h"
#include "dialogs/icons.h"
#include "platform/backend_choice.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_mode_store.h"
#include "platform/x11/x11_platform.h"
#ifdef ORVANE_HAS_GNOME
#include "platform/gnome/gnome_platform.h"
#include "platform/portal/portal_platform.h"
#endif
#ifdef ORVANE_HAS_WAYLAND
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_platform.h"
#endif

namespace {

QtMessageHandler g_qtMessages = nullptr;

// Qt ends the program itself when its own X connection breaks; say it in
// Orvane's words as well, as the backend does when its connection breaks first.
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (g_qtMessages) g_qtMessages(type, context, text);
    if (text.contains(QLatin1String("X11 connection broke")))
        std::fprintf(stderr, "orvane: lost the connection to the X server\n");
}

#ifdef ORVANE_HAS_WAYLAND
// This session's Wayland compositor, when there is one that offers what
// Orvane needs: the connection the backend then goes on using.
std::unique_ptr<orvane::platform::wayland::Connection> UsableWayland(bool& reachable) {
    reachable = false;
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display == nullptr || *display == '\0') return nullptr;
    return orvane::platform::wayland::connectIfUsable(&reachable);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    using namespace orvane;
    // At login, where no desktop keeps display modes: apply the registered ones again.
    if ((argc == 2 || argc == 3) && std::string(argv[1]) == "--restore-display-modes") {
        std::string error;
        auto platform = platform::x11::createPlatform(platform::x11::Options{}, error);
        if (!platform) {
            std::fprintf(stderr, "orvane: %s\n", error.c_str());
            return 2;
        }
        const int failed = argc == 3 ? platform::x11::restoreStoredModes(platform->displayModes(), argv[2])
                                     : platform::x11::restoreStoredModes(platform->displayModes());
        if (failed > 0)
            std::fprintf(stderr, "orvane: %d registered display mode(s) could not be applied\n", failed);
        return failed > 0 ? 1 : 0;
    }
#ifdef ORVANE_HAS_WAYLAND
    bool waylandReachable = false;
    auto wayland = UsableWayland(waylandReachable);
    const bool waylandUsable = wayland != nullptr;
#else
    const bool waylandUsable = false;
    const bool waylandReachable = std::getenv("WAYLAND_DISPLAY") != nullptr;
#endif
    const platform::BackendChoice backend =
        platform::ChooseBackend(platform::SessionFactsFromEnvironment(waylandUsable, waylandReachable));
    if (!backend.message.empty()) std::fprintf(stderr, "%s\n", backend.message.c_str());
    if (!backend.backend) return 2;
#ifndef ORVANE_HAS_GNOME
    if (backend.backend == platform::Backend::Gnome || backend.backend == platform::Backend::Portal) {
        if (std::getenv("ORVANE_BACKEND") == nullptr && std::getenv("DISPLAY") != nullptr) {
            // Without PipeWire only XWayland is left.
            setenv("ORVANE_BACKEND", "x11", 1);
            execv("/proc/self/exe", argv);
        }
        std::fprintf(stderr, "orvane: this build has no GNOME or portal backend (built without PipeWire)\n");
        return 2;
    }
#endif
    // Both read screen casts from PipeWire and are asked once the toolkit runs.
    const bool onGnome = backend.backend == platform::Backend::Gnome || backend.backend == platform::Backend::Portal;
    const bool onWayland = backend.backend == platform::Backend::Wayland || onGnome;
    // The X11 view draws with X11 requests, so Qt's windows must be X windows
    // too. The Wayland backend draws in memory: Qt's own Wayland windows
    // serve best, its X11 ones (through XWayland) where Qt lacks the plugin.
    qputenv("QT_QPA_PLATFORM", onWayland ? "wayland;xcb" : "xcb");
    g_qtMessages = qInstallMessageHandler(qtMessage);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral(ORVANE_APP_ID));  // ties windows to the installed entry
    // No display name: Qt would append it to every window's caption, and
    // the captions already begin with the title.
    QApplication::setWindowIcon(ProgramIcon());  // every window's
    // Japanese as written, or English for a desktop that speaks another language.
    const std::unique_ptr<QTranslator> english = TranslatorFor(PreferredLanguages(QLocale::system()));
    if (english) QCoreApplication::installTranslator(english.get());

    AppState.TitleBarShown = true;
    AppState.AppPath = ProgramFolder();
    LoadSettings();

    std::string error;
    std::unique_ptr<platform::Platform> platform;
#ifdef ORVANE_HAS_WAYLAND
    if (onWayland && !onGnome) platform = platform::wayland::createPlatform(std::move(wayland));
    wayland.reset();  // not used by X11
#endif
#ifdef ORVANE_HAS_GNOME
    if (onGnome) {
        platform = backend.backend == platform::Backend::Portal ? platform::portal::createPlatform(error)
                                                                 : platform::gnome::createPlatform(error);
        // Qt already speaks Wayland here, and the X11 backend needs its X11
        // windows: start again through XWayland, unless that was asked against.
        if (!platform && std::getenv("ORVANE_BACKEND") == nullptr && std::getenv("DISPLAY") != nullptr) {
            std::fprintf(stderr, "orvane: %s; running through XWayland instead\n", error.c_str());
            setenv("ORVANE_BACKEND", "x11", 1);
            execv("/proc/self/exe", argv);
        }
    }
#endif
    if (!onWayland) platform = platform::x11::createPlatform(error);
    if (!platform) {
        std::fprintf(stderr, "orvane: %s\n", error.c_str());
        return 2;
    }

    frmMain window(*platform);
    ExitSignals exitSignals([&window](int) { window.close(); });
    window.Show();
    return QApplication::exec();
}
