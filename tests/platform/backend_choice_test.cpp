// Which backend a session gets, and what the user is told.
#include <gtest/gtest.h>

#include "platform/backend_choice.h"

using namespace orvane::platform;

TEST(BackendChoice, EachSessionGetsTheBackendThatWorksThereOrTheForcedOneOrAReason) {
    constexpr std::optional<Backend> none, x11 = Backend::X11, wl = Backend::Wayland, gnome = Backend::Gnome,
                                           portal = Backend::Portal;
    struct Case {
        const char* type;
        bool x, wayland;
        const char* forced;
        bool usable, gnome, reachable;  // reachable: a compositor answers at WAYLAND_DISPLAY
        std::optional<Backend> backend;
        bool throughXWayland;
        const char* message;  // a part of it; "": any reason when none, nothing otherwise; nullptr: unchecked
    };
    const Case cases[] = {
        // An X session, or only DISPLAY: X11, nothing to say.
        {"x11", true, false, "", false, false, false, x11, false, ""},
        {"x11", true, true, "", false, false, true, x11, false, ""},
        // Wayland where the compositor offers what is needed, else the portal.
        {"wayland", true, true, "", true, false, true, wl, false, nullptr},
        {"wayland", true, true, "", false, false, true, portal, false, nullptr},
        // No compositor answers: XWayland, or nothing without it.
        {"wayland", true, true, "", false, false, false, x11, true, nullptr},
        {"wayland", false, true, "", false, false, false, none, false, "no XWayland"},
        // GNOME's Wayland session: its own services; GNOME on Xorg stays X11.
        {"wayland", true, true, "", false, true, true, gnome, false, nullptr},
        {"x11", true, true, "", false, true, true, x11, false, nullptr},
        // Nothing usable.
        {"", false, false, "", false, false, false, none, false, ""},
        // Forced X11 in a Wayland session: XWayland, and the user is told its limits.
        {"", true, true, "x11", false, false, true, x11, true, nullptr},  // the session type tells, not DISPLAY
        {"wayland", true, true, "x11", true, false, true, x11, true, "cannot change display modes"},
        {"x11", false, false, "x11", false, false, false, none, false, nullptr},
        {"x11", true, true, "wayland", true, false, true, wl, false, nullptr},
        {"wayland", true, true, "wayland", false, false, true, none, false, "does not offer"},  // no fallback
        {"wayland", true, true, "gnome", false, false, true, gnome, false, nullptr},
        {"wayland", true, true, "portal", true, true, true, portal, false, nullptr},
        {"x11", true, false, "X11", false, false, false, none, false, "\"X11\""},
    };
    for (const Case& c : cases) {
        const BackendChoice choice =
            ChooseBackend({c.type, c.x, c.wayland, c.forced, c.usable, c.gnome, c.wayland && c.reachable});
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases << ": " << choice.message);
        EXPECT_EQ(choice.backend, c.backend);
        EXPECT_EQ(choice.throughXWayland, c.throughXWayland);
        EXPECT_TRUE(!c.message || (*c.message ? choice.message.find(c.message) != std::string::npos
                                              : choice.message.empty() == c.backend.has_value()));
    }
}
