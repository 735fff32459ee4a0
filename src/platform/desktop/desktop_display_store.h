// Where a desktop keeps its monitors' modes across logins. GNOME, KDE Plasma
// and XFCE each keep their own and apply it at login, overwriting whatever a
// program set through the display server; a mode meant to last must be handed
// to that store. Elsewhere (a plain window manager) nothing keeps it, and the
// backend falls back to a store of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvane::platform::desktop {

// A monitor's mode as desktops name it: the output (connector) name, its size
// and its refresh rate, rounded and exact.
struct KeptMode {
    std::string output;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t frequency = 0;
    double refresh = 0;
};

enum class Desktop { Other, Gnome, Kde, Xfce };

// The desktop named by $XDG_CURRENT_DESKTOP (a colon-separated list such as
// "ubuntu:GNOME"); desktop entries' OnlyShowIn/NotShowIn use the same names.
Desktop desktopNamed(std::string_view currentDesktop);
Desktop currentDesktop();

class DisplayStore {
public:
    virtual ~DisplayStore() = default;
    // Makes `mode` the one the desktop applies to its output from now on.
    // False, with `why` filled in, when the desktop refused or could not be reached.
    virtual bool keep(const KeptMode& mode, std::string& why) = 0;
    // Whether keep() sets the mode itself, laying the other monitors out anew
    // from the layout it sees (GNOME): a program must not change the mode
    // first, or the store starts from a layout that already holds the new mode
    // and loses the neighbours.
    [[nodiscard]] virtual bool setsModeItself() const { return false; }
    // Whether the desktop itself asks the user to keep a mode it keeps, and
    // goes back by itself without an answer (GNOME Shell does).
    [[nodiscard]] virtual bool confirmsChangeItself() const { return false; }
};

// store.keep on a thread of its own while this thread's event loop goes on:
// the stores wait for the desktop (up to 20 s), and the windows keep drawing
// meanwhile. Outside an application it simply waits.
bool keepWithoutBlocking(DisplayStore& store, const KeptMode& mode, std::string& why);

// The store of the desktop this session runs, or null where the desktop keeps
// no modes of its own.
std::unique_ptr<DisplayStore> storeOf(Desktop desktop);
// Each desktop's store, in a file of its own.
std::unique_ptr<DisplayStore> gnomeStore();    // gnome_store.cpp
std::unique_ptr<DisplayStore> kscreenStore();  // kscreen_store.cpp
std::unique_ptr<DisplayStore> xfconfStore();   // xfconf_store.cpp

}  // namespace orvane::platform::desktop
