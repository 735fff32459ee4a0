// Hands one mode to GNOME's display configuration service, as the X11
// backend does for a registered mode: gnome_store_probe OUTPUT WIDTH HEIGHT HZ.
// Prints "kept" or "not kept: <why>"; exit code 0 when kept.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/desktop/desktop_display_store.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: gnome_store_probe OUTPUT WIDTH HEIGHT HZ\n");
        return 2;
    }
    using namespace orvane::platform::desktop;
    const auto hz = static_cast<std::uint32_t>(std::atoi(argv[4]));
    const KeptMode mode{argv[1], static_cast<std::uint32_t>(std::atoi(argv[2])),
                        static_cast<std::uint32_t>(std::atoi(argv[3])), hz, static_cast<double>(hz)};
    std::string why;
    const bool kept = storeOf(Desktop::Gnome)->keep(mode, why);
    std::printf(kept ? "kept\n" : "not kept: %s\n", why.c_str());
    return kept ? 0 : 1;
}
