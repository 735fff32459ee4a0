// Which backend a session gets, and what the user is told.
#include <gtest/gtest.h>

#include "platform/backend_choice.h"

using namespace orvane::platform;

namespace {

// A compositor answers wherever WAYLAND_DISPLAY is set, unless told otherwise.
SessionFacts session(std::string type, bool x, bool wayland, std::string forced = "", bool usable = false,
                     bool gnome = false, bool reachable = true) {
    return {std::move(type), x, wayland, std::move(forced), usable, gnome, wayland && reachable};
}

}  // namespace

TEST(BackendChoice, EachSessionGetsTheBackendThatWorksThere) {
    // An X session, or only DISPLAY: X11, nothing to say.
    for (const SessionFacts& f : {session("x11", true, false), session("", true, false), session("tty", true, false),
                                  session("x11", true, true)}) {
        const BackendChoice c = ChooseBackend(f);
        EXPECT_EQ(c.backend, Backend::X11);
        EXPECT_FALSE(c.throughXWayland);
        EXPECT_TRUE(c.message.empty()) << c.message;
    }
    // A Wayland session whose compositor offers what is needed: Wayland.
    EXPECT_EQ(ChooseBackend(session("wayland", true, true, "", true)).backend, Backend::Wayland);
    EXPECT_EQ(ChooseBackend(session("", false, true, "", true)).backend, Backend::Wayland);
    // ... and one that does not: the desktop portal (XWayland when it fails, see below).
    EXPECT_EQ(ChooseBackend(session("wayland", true, true)).backend, Backend::Portal);
    EXPECT_EQ(ChooseBackend(session("", true, true)).backend, Backend::Portal);
    EXPECT_EQ(ChooseBackend(session("wayland", false, true)).backend, Backend::Portal);
    // ... unless no compositor answers there: XWayland, or nothing without it.
    EXPECT_TRUE(ChooseBackend(session("wayland", true, true, "", false, false, false)).throughXWayland);
    const BackendChoice none = ChooseBackend(session("wayland", false, true, "", false, false, false));
    EXPECT_FALSE(none.backend);
    EXPECT_NE(none.message.find("no XWayland"), std::string::npos);
    // GNOME's Wayland session: its own services, never XWayland; GNOME on Xorg stays X11.
    EXPECT_EQ(ChooseBackend(session("wayland", true, true, "", false, true)).backend, Backend::Gnome);
    EXPECT_EQ(ChooseBackend(session("x11", true, true, "", false, true)).backend, Backend::X11);
    // The session type tells XWayland from a real X server, not DISPLAY alone.
    EXPECT_TRUE(ChooseBackend(session("", true, true, "x11")).throughXWayland);
    EXPECT_FALSE(ChooseBackend(session("x11", true, true)).throughXWayland);
    // Nothing usable: no backend and a reason.
    for (const SessionFacts& f : {session("", false, false), session("wayland", false, false), session("tty", false, false)}) {
        const BackendChoice c = ChooseBackend(f);
        EXPECT_FALSE(c.backend);
        EXPECT_FALSE(c.message.empty());
    }
}

TEST(BackendChoice, OrvaneBackendForcesOneOrSaysWhyNot) {
    // X11 in a Wayland session (also where the portal failed): XWayland, and the user is told its limits.
    const BackendChoice x = ChooseBackend(session("wayland", true, true, "x11", true));
    EXPECT_EQ(x.backend, Backend::X11);
    EXPECT_TRUE(x.throughXWayland);
    EXPECT_NE(x.message.find("XWayland"), std::string::npos);
    EXPECT_NE(x.message.find("cannot change display modes"), std::string::npos);
    EXPECT_FALSE(ChooseBackend(session("x11", false, false, "x11")).backend);
    EXPECT_EQ(ChooseBackend(session("x11", true, true, "wayland", true)).backend, Backend::Wayland);
    const BackendChoice unusable = ChooseBackend(session("wayland", true, true, "wayland", false));
    EXPECT_FALSE(unusable.backend) << "forced, so no fallback to XWayland";
    EXPECT_NE(unusable.message.find("does not offer"), std::string::npos);
    EXPECT_FALSE(ChooseBackend(session("wayland", true, false, "wayland", true)).backend);
    EXPECT_EQ(ChooseBackend(session("wayland", true, true, "gnome")).backend, Backend::Gnome);
    EXPECT_FALSE(ChooseBackend(session("x11", true, false, "gnome")).backend);
    EXPECT_EQ(ChooseBackend(session("wayland", true, true, "portal", true, true)).backend, Backend::Portal);
    EXPECT_FALSE(ChooseBackend(session("wayland", true, false, "portal")).backend);
    const BackendChoice typo = ChooseBackend(session("x11", true, false, "X11"));
    EXPECT_FALSE(typo.backend);
    EXPECT_NE(typo.message.find("\"X11\""), std::string::npos);
}
