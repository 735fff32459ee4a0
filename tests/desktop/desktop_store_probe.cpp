// Hands one mode to a desktop's display store, as the X11 backend does for a registered mode; exit code 0 when kept.
//   desktop_store_probe gnome|kde|xfce OUTPUT WIDTH HEIGHT HZ   prints "kept" or "not kept: <why>"
//   desktop_store_probe x11 OUTPUT WIDTH HEIGHT HZ              the whole registered change through the X11 backend,
//                                                               as "設定変更" makes it, under the session's desktop
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/desktop/desktop_display_store.h"
#include "platform/x11/x11_platform.h"

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    const auto number = [&](int i) { return static_cast<std::uint32_t>(std::atoi(argv[i])); };
    const std::uint32_t w = number(3), h = number(4), hz = number(5);
    // The X11 backend shares the toolkit's connection to the server.
    const bool x11 = std::string(argv[1]) == "x11";
    const std::unique_ptr<QCoreApplication> app =
        x11 ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    if (x11) {
        namespace platform = orvane::platform;
        std::string error;
        auto p = platform::x11::createPlatform(error);
        if (!p) return std::fprintf(stderr, "%s\n", error.c_str()), 2;
        const platform::DeviceName output = std::string(argv[2]);
        platform::DisplayMode m;
        for (std::uint32_t n = 0; p->displayModes().enumMode(output, n, m); ++n) {
            if (m.width != w || m.height != h || m.frequency != hz) continue;
            const std::int32_t r = p->displayModes().applyMode(output, m, platform::ChangeFlags::UpdateRegistry);
            std::printf("result %d\n", r);
            return r == platform::DispChange::Successful ? 0 : 1;
        }
        return 2;  // no such mode
    }
    using namespace orvane::platform::desktop;
    const Desktop desktop = desktopNamed(argv[1]);
    if (desktop == Desktop::Other) return 2;
    std::string why;
    const bool kept = storeOf(desktop)->keep(KeptMode{argv[2], w, h, hz, static_cast<double>(hz)}, why);
    std::printf(kept ? "kept\n" : "not kept: %s\n", why.c_str());
    return kept ? 0 : 1;
}
