// The whole registered mode change through the X11 backend, as "設定変更" makes it, under the session's desktop
// (which keeps the mode in its own store); exit code 0 when it succeeded.
//   desktop_store_probe x11 OUTPUT WIDTH HEIGHT HZ      prints "result N"
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/x11/x11_platform.h"

int main(int argc, char** argv) {
    namespace platform = orvane::platform;
    if (argc != 6) return 2;
    const auto number = [&](int i) { return static_cast<std::uint32_t>(std::atoi(argv[i])); };
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
