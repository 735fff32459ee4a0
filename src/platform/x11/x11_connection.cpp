// Opens the backend's own X connection, finds the extensions it will use and
// turns a broken connection into one clear message instead of a crash.
#include "platform/x11/x11_connection.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/damage.h>
#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xcb_renderutil.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstring>

namespace orvane::platform::x11 {

namespace {

// Ends at once: without a server nothing can be shown or saved, and the
// exit handlers of Qt's libraries wait for threads that may hang on the
// dead connection too.
void defaultConnectionLost() {
    std::fputs("orvane: lost the connection to the X server\n", stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

const xcb_visualtype_t* findVisual(const xcb_screen_t& screen, xcb_visualid_t id) {
    for (auto d = xcb_screen_allowed_depths_iterator(&screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == id) return v.data;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Connection> Connection::open(Options options, std::string& error) {
    std::unique_ptr<Connection> c(new Connection);
    int screenNumber = 0;
    c->conn_ = xcb_connect(options.display.empty() ? nullptr : options.display.c_str(), &screenNumber);
    if (xcb_connection_has_error(c->conn_)) {
        error = "cannot connect to the X server" +
                (options.display.empty() ? std::string() : " " + options.display);
        return nullptr;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c->conn_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        error = "the X server has no screen";
        return nullptr;
    }
    c->screen_ = it.data;
    c->rootVisual_ = findVisual(*c->screen_, c->screen_->root_visual);
    c->rootBounds_ = QRect(0, 0, c->screen_->width_in_pixels, c->screen_->height_in_pixels);
    c->onLost_ = options.onConnectionLost ? std::move(options.onConnectionLost) : defaultConnectionLost;
    c->initExtensions(options);
    c->refreshRootBounds();
    if (!c->alive()) {
        error = "the X server closed the connection";
        return nullptr;
    }
    return c;
}

void Connection::initExtensions(const Options& options) {
    // Ask for every extension at once: one round trip instead of five.
    auto present = [this](xcb_extension_t* ext) {
        const xcb_query_extension_reply_t* r = xcb_get_extension_data(conn_, ext);
        return r && r->present;
    };
    xcb_prefetch_extension_data(conn_, &xcb_randr_id);
    xcb_prefetch_extension_data(conn_, &xcb_render_id);
    xcb_prefetch_extension_data(conn_, &xcb_shm_id);
    xcb_prefetch_extension_data(conn_, &xcb_xfixes_id);
    xcb_prefetch_extension_data(conn_, &xcb_test_id);
    xcb_prefetch_extension_data(conn_, &xcb_damage_id);

    if (options.useRandr && present(&xcb_randr_id)) {
        auto v = reply(xcb_randr_query_version_reply, xcb_randr_query_version(conn_, 1, 5));
        if (v && v->major_version == 1) {
            randrMinor_ = static_cast<int>(v->minor_version);
            randrFirstEvent_ = xcb_get_extension_data(conn_, &xcb_randr_id)->first_event;
            xcb_randr_select_input(conn_, root(),
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        }
    }
    if (options.useRender && present(&xcb_render_id)) {
        auto v = reply(xcb_render_query_version_reply, xcb_render_query_version(conn_, 0, 11));
        formats_ = xcb_render_query_pict_formats_reply(conn_, xcb_render_query_pict_formats(conn_), nullptr);
        // Difference (used to invert) arrived with RENDER 0.11.
        render_ = v && formats_ && (v->major_version > 0 || v->minor_version >= 11) &&
                  formatForVisual(screen_->root_visual) != 0 && argb32Format() != 0;
        if (render_) {
            rootPicture_ = xcb_generate_id(conn_);
            const std::uint32_t includeInferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
            render_ = check(xcb_render_create_picture_checked(
                conn_, rootPicture_, root(), formatForVisual(screen_->root_visual),
                XCB_RENDER_CP_SUBWINDOW_MODE, &includeInferiors));
            if (!render_) rootPicture_ = 0;
        }
    }
    if (options.useShm && present(&xcb_shm_id)) {
        auto v = reply(xcb_shm_query_version_reply, xcb_shm_query_version(conn_));
        shm_ = v != nullptr;
    }
    int xfixesMajor = 0;
    if ((options.useXFixes || options.useDamage) && present(&xcb_xfixes_id)) {
        // XFixes answers nothing until a client has said which version it speaks.
        auto v = reply(xcb_xfixes_query_version_reply, xcb_xfixes_query_version(conn_, 4, 0));
        xfixesMajor = v ? static_cast<int>(v->major_version) : 0;
        xfixes_ = options.useXFixes && xfixesMajor >= 1;
    }
    if (options.useXTest && present(&xcb_test_id)) {
        auto v = reply(xcb_test_get_version_reply, xcb_test_get_version(conn_, 2, 2));
        xtest_ = v != nullptr;
    }
    // The damage is read through an XFixes region.
    if (options.useDamage && xfixesMajor >= 2 && present(&xcb_damage_id)) {
        // The server answers DAMAGE requests only after the version exchange.
        auto v = reply(xcb_damage_query_version_reply, xcb_damage_query_version(conn_, 1, 1));
        if (v && v->major_version >= 1)
            damage_.start(conn_, root(), xcb_get_extension_data(conn_, &xcb_damage_id)->first_event);
    }
}

Connection::~Connection() {
    if (conn_) {
        if (rootPicture_ && !lost_) xcb_render_free_picture(conn_, rootPicture_);
        if (damage_.active() && !lost_) {
            xcb_damage_destroy(conn_, damage_.damage());
            xcb_xfixes_destroy_region(conn_, damage_.region());
        }
        std::free(formats_);
        xcb_disconnect(conn_);
    }
}

int Connection::bitsPerPixel(std::uint8_t depth) const {
    const xcb_setup_t* setup = xcb_get_setup(conn_);
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == depth) return f.data->bits_per_pixel;
    }
    return depth;
}

bool Connection::lsbFirst() const {
    return xcb_get_setup(conn_)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
}

QRect Connection::refreshRootBounds() {
    auto g = reply(xcb_get_geometry_reply, xcb_get_geometry(conn_, root()));
    if (g) rootBounds_ = QRect(0, 0, g->width, g->height);
    return rootBounds_;
}

bool Connection::alive() {
    if (lost_) return false;
    if (xcb_connection_has_error(conn_) == 0) return true;
    lost_ = true;
    render_ = shm_ = xfixes_ = xtest_ = false;
    randrMinor_ = -1;
    damage_.stop();
    onLost_();
    return false;
}

void Connection::pollEvents() {
    if (!alive()) return;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(conn_)) {
        const std::uint8_t type = ev->response_type & 0x7f;
        if (randrMinor_ >= 0 && type == randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
            const auto* sc = reinterpret_cast<const xcb_randr_screen_change_notify_event_t*>(ev);
            // The event carries the unrotated size, as Xlib's XRRUpdateConfiguration knows.
            const bool turned =
                (sc->rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270)) != 0;
            rootBounds_ = turned ? QRect(0, 0, sc->height, sc->width) : QRect(0, 0, sc->width, sc->height);
            damage_.markAll();
            ++layoutChanges_;
        } else if (randrMinor_ >= 0 && type == randrFirstEvent_ + XCB_RANDR_NOTIFY) {
            ++layoutChanges_;  // a CRTC or output changed (on, off, mode, place)
        } else {
            damage_.handle(*ev);
        }
        std::free(ev);
    }
    alive();
}

void Connection::flush() {
    if (!alive()) return;
    xcb_flush(conn_);
    pollEvents();
}

void Connection::sync() {
    if (!alive()) return;
    (void)reply(xcb_get_input_focus_reply, xcb_get_input_focus(conn_));
    pollEvents();
}

bool Connection::check(xcb_void_cookie_t cookie) {
    xcb_generic_error_t* err = xcb_request_check(conn_, cookie);
    const bool ok = err == nullptr;
    std::free(err);
    return ok && alive();
}

xcb_atom_t Connection::atom(const char* name, bool onlyIfExists) {
    auto r = reply(
        xcb_intern_atom_reply,
        xcb_intern_atom(conn_, onlyIfExists ? 1 : 0, static_cast<std::uint16_t>(std::strlen(name)), name));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string Connection::atomName(xcb_atom_t atom) {
    auto r = reply(xcb_get_atom_name_reply, xcb_get_atom_name(conn_, atom));
    if (!r) return {};
    return std::string(xcb_get_atom_name_name(r.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
}

xcb_render_pictformat_t Connection::formatForVisual(xcb_visualid_t visual) const {
    if (!formats_) return 0;
    const xcb_render_pictvisual_t* pv = xcb_render_util_find_visual_format(formats_, visual);
    return pv ? pv->format : xcb_render_pictformat_t{0};
}

xcb_render_pictformat_t Connection::formatForDepth(std::uint8_t depth) const {
    if (!formats_) return 0;
    if (depth == screen_->root_depth) return formatForVisual(screen_->root_visual);
    xcb_pict_standard_t standard = XCB_PICT_STANDARD_ARGB_32;
    switch (depth) {
        case 32:
            standard = XCB_PICT_STANDARD_ARGB_32;
            break;
        case 24:
            standard = XCB_PICT_STANDARD_RGB_24;
            break;
        case 8:
            standard = XCB_PICT_STANDARD_A_8;
            break;
        default:
            return 0;
    }
    const xcb_render_pictforminfo_t* f = xcb_render_util_find_standard_format(formats_, standard);
    return f ? f->id : xcb_render_pictformat_t{0};
}

xcb_render_pictformat_t Connection::argb32Format() const { return formatForDepth(32); }

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

void syncQtConnection() {
    xcb_connection_t* q = qtConnection();
    if (!q) return;
    std::free(xcb_get_input_focus_reply(q, xcb_get_input_focus(q), nullptr));
}

}  // namespace orvane::platform::x11
