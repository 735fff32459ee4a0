#include "platform/wayland/wayland_outputs.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include "xdg-output-unstable-v1-client-protocol.h"

namespace orvane::platform::wayland {

struct WaylandOutputs::Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    std::uint32_t globalName = 0;
    std::string name;
    Rect logical;
};

struct WaylandOutputs::Registry {
    wl_registry* registry = nullptr;
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    std::set<std::string>* globals = nullptr;
};

namespace {

void xdgPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto* o = static_cast<WaylandOutputs::Output*>(data);
    const int w = o->logical.width(), h = o->logical.height();
    o->logical = {x, y, x + w, y + h};
}
void xdgSize(void* data, zxdg_output_v1*, std::int32_t w, std::int32_t h) {
    auto* o = static_cast<WaylandOutputs::Output*>(data);
    o->logical.right = o->logical.left + w;
    o->logical.bottom = o->logical.top + h;
}
void xdgDone(void*, zxdg_output_v1*) {}
void xdgName(void* data, zxdg_output_v1*, const char* name) { static_cast<WaylandOutputs::Output*>(data)->name = name; }
void xdgDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgOutputListener = {xdgPosition, xdgSize, xdgDone, xdgName, xdgDescription};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    auto* r = static_cast<WaylandOutputs::Registry*>(data);
    r->globals->insert(interface);
    if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto o = std::make_unique<WaylandOutputs::Output>();
        o->globalName = name;
        o->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u)));
        r->outputs.push_back(std::move(o));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        // Version 2 adds the output's name.
        r->xdgOutputs = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 3u)));
    }
}
void globalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* r = static_cast<WaylandOutputs::Registry*>(data);
    std::erase_if(r->outputs, [name](const std::unique_ptr<WaylandOutputs::Output>& o) {
        if (o->globalName != name) return false;
        if (o->xdg) zxdg_output_v1_destroy(o->xdg);
        wl_output_destroy(o->output);
        return true;
    });
}
const wl_registry_listener kRegistryListener = {global, globalRemove};

}  // namespace

bool offersWhatOrvaneNeeds(const std::set<std::string>& g) {
    const bool capture = g.count("ext_image_copy_capture_manager_v1") > 0 || g.count("zwlr_screencopy_manager_v1") > 0;
    return capture && g.count("zwlr_virtual_pointer_manager_v1") > 0 && g.count("zxdg_output_manager_v1") > 0 &&
           g.count("wl_output") > 0;
}

std::unique_ptr<WaylandOutputs> WaylandOutputs::connect(const std::string& display, std::string& error) {
    std::unique_ptr<WaylandOutputs> w(new WaylandOutputs);
    w->display_ = wl_display_connect(display.empty() ? nullptr : display.c_str());
    if (!w->display_) {
        error = "no Wayland compositor answers" + (display.empty() ? std::string() : " at " + display);
        return nullptr;
    }
    w->registry_ = std::make_unique<Registry>();
    w->registry_->globals = &w->globals_;
    w->registry_->registry = wl_display_get_registry(w->display_);
    wl_registry_add_listener(w->registry_->registry, &kRegistryListener, w->registry_.get());
    w->roundTrip();  // the globals
    if (w->registry_->xdgOutputs) {
        for (auto& o : w->registry_->outputs) {
            o->xdg = zxdg_output_manager_v1_get_xdg_output(w->registry_->xdgOutputs, o->output);
            zxdg_output_v1_add_listener(o->xdg, &kXdgOutputListener, o.get());
        }
    }
    w->roundTrip();  // the outputs' names and places
    return w;
}

WaylandOutputs::~WaylandOutputs() {
    if (!display_) return;
    if (registry_) {
        for (auto& o : registry_->outputs) {
            if (o->xdg) zxdg_output_v1_destroy(o->xdg);
            wl_output_destroy(o->output);
        }
        if (registry_->xdgOutputs) zxdg_output_manager_v1_destroy(registry_->xdgOutputs);
        if (registry_->registry) wl_registry_destroy(registry_->registry);
    }
    wl_display_disconnect(display_);
}

void WaylandOutputs::roundTrip() { wl_display_roundtrip(display_); }

bool WaylandOutputs::usableForOrvane() const { return offersWhatOrvaneNeeds(globals_); }

std::vector<MonitorInfo> WaylandOutputs::monitors() const {
    std::vector<MonitorInfo> out;
    MonitorHandle handle = 1;
    for (const auto& o : registry_->outputs) {
        MonitorInfo m;
        m.handle = handle++;
        m.monitor = m.work = o->logical;
        m.primary = out.empty();
        m.deviceName = o->name;
        out.push_back(m);
    }
    return out;
}

}  // namespace orvane::platform::wayland
