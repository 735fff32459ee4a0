#include "platform/wayland/wayland_connection.h"

#include <poll.h>
#include <wayland-client.h>

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/wayland/wayland_heads.h"
#include "ext-image-capture-source-client-protocol.h"
#include "ext-image-copy-capture-client-protocol.h"
#include "wlr-output-management-client-protocol.h"
#include "wlr-screencopy-client-protocol.h"
#include "wlr-virtual-pointer-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace orvane::platform::wayland {

struct Connection::Registry {
    wl_registry* registry = nullptr;
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr;
    std::uint32_t screencopyVersion = 0;
    zwlr_virtual_pointer_manager_v1* virtualPointers = nullptr;
    ext_output_image_capture_source_manager_v1* captureSources = nullptr;
    ext_image_copy_capture_manager_v1* imageCopyCapture = nullptr;
    std::unique_ptr<OutputHeads> heads;
    std::vector<std::unique_ptr<Output>> outputs;
    std::set<std::string>* globals = nullptr;
    std::function<void()> outputsChanged;
    bool changePending = false;
    QObject timers;  // ends a pending report with the connection

    // Reports a change once the current burst of events is handled.
    void noteChange() {
        if (!outputsChanged || changePending) return;
        changePending = true;
        QTimer::singleShot(0, &timers, [this] {
            changePending = false;
            if (outputsChanged) outputsChanged();
        });
    }
    void describe(Output& o);
};

namespace {

Output* outputOf(void* data) { return static_cast<Output*>(data); }

void outputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t) {}
void outputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                std::int32_t refresh) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    Output* o = outputOf(data);
    o->modeWidth = width;
    o->modeHeight = height;
    o->refreshMilliHz = refresh;
}
void outputDone(void* data, wl_output*);
void outputScale(void*, wl_output*, std::int32_t) {}
const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone, outputScale, nullptr, nullptr};

void xdgPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    Output* o = outputOf(data);
    const int w = o->logical.width(), h = o->logical.height();
    o->logical = {x, y, x + w, y + h};
}
void xdgSize(void* data, zxdg_output_v1*, std::int32_t w, std::int32_t h) {
    Output* o = outputOf(data);
    o->logical.right = o->logical.left + w;
    o->logical.bottom = o->logical.top + h;
}
void xdgDone(void* data, zxdg_output_v1*);
void xdgName(void* data, zxdg_output_v1*, const char* name) { outputOf(data)->name = name; }
void xdgDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgOutputListener = {xdgPosition, xdgSize, xdgDone, xdgName, xdgDescription};

// Each burst of an output's events ends with a "done" (wl_output's, or
// xdg-output's before version 3): the layout changed then.
void finishDescription(void* data) {
    Output* o = outputOf(data);
    o->described = !o->name.empty() && o->logical.width() > 0 && o->logical.height() > 0;
    if (o->described && o->changed) o->changed();
}
void outputDone(void* data, wl_output*) { finishDescription(data); }
void xdgDone(void* data, zxdg_output_v1*) { finishDescription(data); }

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    auto* r = static_cast<Connection::Registry*>(data);
    r->globals->insert(interface);
    const auto is = [interface](const wl_interface& i) { return std::strcmp(interface, i.name) == 0; };
    if (is(wl_output_interface)) {
        auto o = std::make_unique<Output>();
        o->changed = [r] { r->noteChange(); };
        o->globalName = name;
        o->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u)));
        wl_output_add_listener(o->output, &kOutputListener, o.get());
        r->describe(*o);
        r->outputs.push_back(std::move(o));
    } else if (is(zxdg_output_manager_v1_interface) && !r->xdgOutputs) {
        // Version 2 adds the output's name.
        r->xdgOutputs = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 3u)));
        for (auto& o : r->outputs) r->describe(*o);
    } else if (is(wl_shm_interface) && !r->shm) {
        r->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (is(wl_seat_interface) && !r->seat) {
        r->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (is(zwlr_screencopy_manager_v1_interface) && !r->screencopy) {
        // Version 2 reports damage, version 3 lists buffer kinds.
        r->screencopyVersion = std::min(version, 3u);
        r->screencopy = static_cast<zwlr_screencopy_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, r->screencopyVersion));
    } else if (is(zwlr_output_manager_v1_interface) && !r->heads) {
        auto* manager = static_cast<zwlr_output_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_output_manager_v1_interface, std::min(version, 2u)));
        r->heads = std::make_unique<OutputHeads>(manager, [r] { r->noteChange(); });
    } else if (is(ext_output_image_capture_source_manager_v1_interface) && !r->captureSources) {
        r->captureSources = static_cast<ext_output_image_capture_source_manager_v1*>(
            wl_registry_bind(registry, name, &ext_output_image_capture_source_manager_v1_interface, 1));
    } else if (is(ext_image_copy_capture_manager_v1_interface) && !r->imageCopyCapture) {
        r->imageCopyCapture = static_cast<ext_image_copy_capture_manager_v1*>(
            wl_registry_bind(registry, name, &ext_image_copy_capture_manager_v1_interface, 1));
    } else if (is(zwlr_virtual_pointer_manager_v1_interface) && !r->virtualPointers) {
        r->virtualPointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

void destroyOutput(Output& o) {
    if (o.xdg) zxdg_output_v1_destroy(o.xdg);
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(o.output)) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(o.output);
    else
        wl_output_destroy(o.output);
}

void globalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* r = static_cast<Connection::Registry*>(data);
    const auto before = r->outputs.size();
    std::erase_if(r->outputs, [name](const std::unique_ptr<Output>& o) {
        if (o->globalName != name) return false;
        destroyOutput(*o);
        return true;
    });
    if (r->outputs.size() != before) r->noteChange();
}
const wl_registry_listener kRegistryListener = {global, globalRemove};

}  // namespace

void Connection::Registry::describe(Output& o) {
    if (!xdgOutputs || o.xdg) return;
    o.xdg = zxdg_output_manager_v1_get_xdg_output(xdgOutputs, o.output);
    zxdg_output_v1_add_listener(o.xdg, &kXdgOutputListener, &o);
}

bool offersWhatOrvaneNeeds(const std::set<std::string>& g) {
    const bool capture = g.count("zwlr_screencopy_manager_v1") > 0 ||
                         (g.count("ext_output_image_capture_source_manager_v1") > 0 &&
                          g.count("ext_image_copy_capture_manager_v1") > 0);
    return capture && g.count("zwlr_virtual_pointer_manager_v1") > 0 && g.count("zxdg_output_manager_v1") > 0 &&
           g.count("wl_output") > 0 && g.count("wl_shm") > 0;
}

std::unique_ptr<Connection> Connection::connect(const std::string& display, std::string& error) {
    std::unique_ptr<Connection> c(new Connection);
    c->display_ = wl_display_connect(display.empty() ? nullptr : display.c_str());
    if (!c->display_) {
        error = "no Wayland compositor answers" + (display.empty() ? std::string() : " at " + display);
        return nullptr;
    }
    c->registry_ = std::make_unique<Registry>();
    c->registry_->globals = &c->globals_;
    c->registry_->registry = wl_display_get_registry(c->display_);
    wl_registry_add_listener(c->registry_->registry, &kRegistryListener, c->registry_.get());
    // The globals, then the outputs' names and places.
    if (!c->roundTrip() || !c->roundTrip()) {
        error = "the Wayland compositor closed the connection";
        return nullptr;
    }
    return c;
}

Connection::~Connection() {
    notifier_.reset();
    if (!display_) return;
    if (registry_) {
        registry_->outputsChanged = nullptr;
        registry_->heads.reset();
        for (auto& o : registry_->outputs) destroyOutput(*o);
        if (registry_->xdgOutputs) zxdg_output_manager_v1_destroy(registry_->xdgOutputs);
        if (registry_->screencopy) zwlr_screencopy_manager_v1_destroy(registry_->screencopy);
        if (registry_->virtualPointers) zwlr_virtual_pointer_manager_v1_destroy(registry_->virtualPointers);
        if (registry_->captureSources) ext_output_image_capture_source_manager_v1_destroy(registry_->captureSources);
        if (registry_->imageCopyCapture) ext_image_copy_capture_manager_v1_destroy(registry_->imageCopyCapture);
        if (registry_->seat) wl_seat_destroy(registry_->seat);
        if (registry_->shm) wl_shm_destroy(registry_->shm);
        if (registry_->registry) wl_registry_destroy(registry_->registry);
    }
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

bool Connection::usableForOrvane() const { return offersWhatOrvaneNeeds(globals_); }

// An output the compositor keeps switched off may keep its wl_output;
// output management tells, where its report is believable.
bool Connection::shows(const Output& o) const {
    if (!o.described) return false;
    const Head* h = registry_->heads ? registry_->heads->head(o.name) : nullptr;
    return h == nullptr || h->enabled || !listsRealModes(*h);
}

std::vector<MonitorInfo> Connection::monitors() const {
    std::vector<MonitorInfo> out;
    for (const auto& o : registry_->outputs) {
        if (!shows(*o)) continue;
        MonitorInfo m;
        m.handle = o->globalName;
        m.monitor = m.work = o->logical;
        m.primary = out.empty();
        m.deviceName = o->name;
        out.push_back(m);
    }
    return out;
}

const Output* Connection::output(const std::string& name) const {
    for (const auto& o : registry_->outputs)
        if (shows(*o) && o->name == name) return o.get();
    return nullptr;
}

Rect Connection::layoutBounds() const {
    Rect b;
    bool first = true;
    for (const auto& o : registry_->outputs) {
        if (!shows(*o)) continue;
        if (first) {
            b = o->logical;
            first = false;
            continue;
        }
        b = {std::min(b.left, o->logical.left), std::min(b.top, o->logical.top), std::max(b.right, o->logical.right),
             std::max(b.bottom, o->logical.bottom)};
    }
    return b;
}

OutputHeads* Connection::heads() const { return registry_->heads.get(); }
wl_shm* Connection::shm() const { return registry_->shm; }
wl_seat* Connection::seat() const { return registry_->seat; }
zwlr_screencopy_manager_v1* Connection::screencopy() const { return registry_->screencopy; }
std::uint32_t Connection::screencopyVersion() const { return registry_->screencopyVersion; }
zwlr_virtual_pointer_manager_v1* Connection::virtualPointers() const { return registry_->virtualPointers; }
ext_output_image_capture_source_manager_v1* Connection::captureSources() const {
    return registry_->imageCopyCapture ? registry_->captureSources : nullptr;
}
ext_image_copy_capture_manager_v1* Connection::imageCopyCapture() const {
    return registry_->captureSources ? registry_->imageCopyCapture : nullptr;
}

bool Connection::alive() const { return display_ != nullptr && wl_display_get_error(display_) == 0; }

void Connection::flush() {
    if (alive()) wl_display_flush(display_);
}

bool Connection::roundTrip() { return alive() && wl_display_roundtrip(display_) >= 0; }

bool Connection::readOnce(int timeoutMs) {
    int handled = 0;
    while (wl_display_prepare_read(display_) != 0) {
        const int n = wl_display_dispatch_pending(display_);
        if (n < 0) return false;
        handled += n;
    }
    wl_display_flush(display_);
    // Events already handled are an answer: no waiting for more.
    pollfd p{wl_display_get_fd(display_), POLLIN, 0};
    const int ready = poll(&p, 1, handled > 0 ? 0 : timeoutMs);
    if (ready > 0) {
        if (wl_display_read_events(display_) < 0) return false;
    } else {
        wl_display_cancel_read(display_);
        if (ready < 0 && errno != EINTR) return false;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

bool Connection::dispatchUntil(const std::function<bool()>& done, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (!alive()) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (!readOnce(static_cast<int>(std::max<decltype(left)>(left, 0)))) return false;
        if (!done() && Clock::now() >= end) return false;
    }
    return true;
}

void Connection::readAvailable() {
    if (alive()) {
        readOnce(0);
        wl_display_flush(display_);
    }
    if (!alive() && notifier_) notifier_->setEnabled(false);
}

void Connection::dispatchFromEventLoop() {
    if (notifier_ || !display_) return;
    notifier_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readAvailable(); });
    // Events a blocking wait read but did not handle yet.
    QTimer::singleShot(0, notifier_.get(), [this] { readAvailable(); });
}

void Connection::watchOutputs(std::function<void()> changed) { registry_->outputsChanged = std::move(changed); }

}  // namespace orvane::platform::wayland
