// Hands one mode to a desktop's display store, as the X11 backend does for a
// registered mode: desktop_store_probe gnome|kde|xfce OUTPUT WIDTH HEIGHT HZ.
// Prints "kept" or "not kept: <why>"; exit code 0 when kept.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop/desktop_display_store.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 6) {
        std::fprintf(stderr, "usage: desktop_store_probe gnome|kde|xfce OUTPUT WIDTH HEIGHT HZ\n");
        return 2;
    }
    using namespace orvane::platform::desktop;
    const Desktop desktop = desktopNamed(argv[1]);
    if (desktop == Desktop::Other) return 2;
    const auto hz = static_cast<std::uint32_t>(std::atoi(argv[5]));
    const KeptMode mode{argv[2], static_cast<std::uint32_t>(std::atoi(argv[3])),
                        static_cast<std::uint32_t>(std::atoi(argv[4])), hz, static_cast<double>(hz)};
    std::string why;
    const bool kept = storeOf(desktop)->keep(mode, why);
    std::printf(kept ? "kept\n" : "not kept: %s\n", why.c_str());
    return kept ? 0 : 1;
}
