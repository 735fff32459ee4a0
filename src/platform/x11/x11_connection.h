// The backend's own X connection: which extensions the server offers, replies
// and checked requests, picture formats, and the one place that notices when
// the connection to the server is lost.
#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <QRect>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "platform/x11/x11_damage.h"

namespace orvane::platform::x11 {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// What the backend may use; tests switch features off to exercise the fallbacks.
struct Options {
    std::string display;  // empty: $DISPLAY
    bool useRandr = true;
    bool useRender = true;
    bool useShm = true;
    bool useXFixes = true;
    bool useXTest = true;
    bool useDamage = true;
    // Runs once when the connection breaks. The default prints a message on
    // stderr and ends the program with exit code 1.
    std::function<void()> onConnectionLost;
};

class Connection {
public:
    // nullptr with a reason in error when the server cannot be reached.
    static std::unique_ptr<Connection> open(Options options, std::string& error);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] xcb_connection_t* get() const { return conn_; }
    [[nodiscard]] const xcb_screen_t& screen() const { return *screen_; }
    [[nodiscard]] xcb_window_t root() const { return screen_->root; }
    [[nodiscard]] std::uint8_t rootDepth() const { return screen_->root_depth; }
    [[nodiscard]] const xcb_visualtype_t* rootVisual() const { return rootVisual_; }
    // Bits per pixel the server stores an image of this depth with (24 -> 32).
    [[nodiscard]] int bitsPerPixel(std::uint8_t depth) const;
    [[nodiscard]] bool lsbFirst() const;

    [[nodiscard]] bool hasRandr12() const { return randrMinor_ >= 2; }
    [[nodiscard]] bool hasRandr15() const { return randrMinor_ >= 5; }
    [[nodiscard]] std::uint8_t randrFirstEvent() const { return randrFirstEvent_; }
    [[nodiscard]] bool hasRender() const { return render_; }
    [[nodiscard]] bool hasShm() const { return shm_; }
    [[nodiscard]] bool hasXFixes() const { return xfixes_; }
    [[nodiscard]] bool hasXTest() const { return xtest_; }
    // DAMAGE on the root window is tracked (see damage()).
    [[nodiscard]] bool hasDamage() const { return damage_.active(); }
    // Marks watched rectangles from the damage reports and screen changes
    // that pollEvents reads.
    [[nodiscard]] DamageTracker& damage() { return damage_; }

    // The root window's extent as last reported by the server; kept current
    // from RandR screen-change events (see pollEvents).
    [[nodiscard]] QRect rootBounds() const { return rootBounds_; }
    // Asks the server for the root size now (one round trip).
    QRect refreshRootBounds();
    // Counts RandR's reports of changed screens, CRTCs and outputs read so
    // far: monitors may have come, gone or changed since it last moved.
    [[nodiscard]] std::uint64_t layoutChanges() const { return layoutChanges_; }

    // False once the connection is broken; the first time it runs the handler.
    bool alive();
    // Reads pending events without waiting: screen changes update rootBounds
    // and mark every watch, damage reports mark the watches they reach,
    // errors of unchecked requests (a window gone meanwhile) are dropped.
    void pollEvents();
    // Sends queued requests and checks the connection.
    void flush();
    // Returns once the server has handled every request sent so far.
    void sync();

    // Waits for a reply; nullptr on an X error or a lost connection.
    template <typename R, typename Cookie>
    Reply<R> reply(R* (*fn)(xcb_connection_t*, Cookie, xcb_generic_error_t**), Cookie cookie) {
        xcb_generic_error_t* err = nullptr;
        R* r = fn(conn_, cookie, &err);
        std::free(err);
        if (!r) alive();
        return Reply<R>(r);
    }
    // True when a checked request succeeded.
    bool check(xcb_void_cookie_t cookie);

    xcb_atom_t atom(const char* name, bool onlyIfExists = false);
    std::string atomName(xcb_atom_t atom);

    // RENDER picture formats (0 without RENDER or when the server has none).
    [[nodiscard]] xcb_render_pictformat_t formatForVisual(xcb_visualid_t visual) const;
    [[nodiscard]] xcb_render_pictformat_t formatForDepth(std::uint8_t depth) const;
    [[nodiscard]] xcb_render_pictformat_t argb32Format() const;
    // The root window as a RENDER source that includes every window on it.
    [[nodiscard]] xcb_render_picture_t rootPicture() const { return rootPicture_; }

private:
    Connection() = default;
    void initExtensions(const Options& options);

    xcb_connection_t* conn_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
    const xcb_visualtype_t* rootVisual_ = nullptr;
    int randrMinor_ = -1;
    std::uint8_t randrFirstEvent_ = 0;
    bool render_ = false;
    bool shm_ = false;
    bool xfixes_ = false;
    bool xtest_ = false;
    DamageTracker damage_;
    bool lost_ = false;
    QRect rootBounds_;
    std::uint64_t layoutChanges_ = 0;
    std::function<void()> onLost_;
    xcb_render_query_pict_formats_reply_t* formats_ = nullptr;
    xcb_render_picture_t rootPicture_ = 0;
};

// Qt's own connection to the X server; null when Qt does not run on X.
xcb_connection_t* qtConnection();
// Returns once the server has handled every request Qt sent on its own
// connection: a window Qt created is known to the server, a popup's grab is gone.
void syncQtConnection();

}  // namespace orvane::platform::x11
