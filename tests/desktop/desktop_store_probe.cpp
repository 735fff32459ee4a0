// The whole registered mode change through the X11 backend, as "設定変更" makes it, under the session's desktop
// (which keeps the mode in its own store); exit code 0 when it succeeded.
//   desktop_store_probe x11 OUTPUT WIDTH HEIGHT HZ      prints "result N"
//   desktop_store_probe xfce OUTPUT WIDTH HEIGHT HZ     XFCE's store alone (it needs no display server)
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop/desktop_display_store.h"
#include "platform/x11/x11_platform.h"

int main(int argc, char** argv) {
    namespace platform = orvane::platform;
    if (argc != 6) return 2;
    const auto number = [&](int i) { return static_cast<std::uint32_t>(std::atoi(argv[i])); };
    if (std::string(argv[1]) == "xfce") {
        QCoreApplication app(argc, argv);
        std::string why;
        const bool kept = platform::desktop::xfconfStore()->keep(
            {argv[2], number(3), number(4), number(5), static_cast<double>(number(5))}, why);
        std::printf("%s\n", kept ? "kept" : why.c_str());
        return kept ? 0 : 1;
    }
    QGuiApplication app(argc, argv);  // the X11 backend shares the toolkit's connection to the server
    std::string error;
    auto p = platform::x11::createPlatform(error);
    if (!p) return std::fprintf(stderr, "%s\n", error.c_str()), 2;
    const platform::DeviceName output = std::string(argv[2]);
    platform::DisplayMode m;
    for (std::uint32_t n = 0; p->displayModes().enumMode(output, n, m); ++n) {
        if (m.width != number(3) || m.height != number(4) || m.frequency != number(5)) continue;
        const std::int32_t r = p->displayModes().applyMode(output, m, platform::ChangeFlags::UpdateRegistry);
        std::printf("result %d\n", r);
        return r == platform::DispChange::Successful ? 0 : 1;
    }
    return 2;  // no such mode
}
