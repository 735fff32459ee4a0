#include "platform/wayland/wayland_heads.h"

#include <wayland-client.h>

#include <algorithm>

#include "platform/wayland/wayland_connection.h"
#include "wlr-output-management-client-protocol.h"

namespace orvane::platform::wayland {

struct OutputHeads::Events {
    static void modeSize(void* data, zwlr_output_mode_v1*, std::int32_t w, std::int32_t h) {
        static_cast<HeadMode*>(data)->width = w;
        static_cast<HeadMode*>(data)->height = h;
    }
    static void modeRefresh(void* data, zwlr_output_mode_v1*, std::int32_t mHz) {
        static_cast<HeadMode*>(data)->refreshMilliHz = mHz;
    }
    static void modePreferred(void* data, zwlr_output_mode_v1*) { static_cast<HeadMode*>(data)->preferred = true; }
    static void modeFinished(void*, zwlr_output_mode_v1*) {}  // its head drops it when the head goes

    static void name(void* data, zwlr_output_head_v1*, const char* n) { static_cast<Head*>(data)->name = n; }
    static void description(void*, zwlr_output_head_v1*, const char*) {}
    static void physicalSize(void*, zwlr_output_head_v1*, std::int32_t, std::int32_t) {}
    static void mode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* m);
    static void enabled(void* data, zwlr_output_head_v1*, std::int32_t on) { static_cast<Head*>(data)->enabled = on != 0; }
    static void currentMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* m) {
        auto* head = static_cast<Head*>(data);
        head->current = m ? static_cast<HeadMode*>(zwlr_output_mode_v1_get_user_data(m)) : nullptr;
    }
    static void position(void* data, zwlr_output_head_v1*, std::int32_t x, std::int32_t y) {
        static_cast<Head*>(data)->x = x;
        static_cast<Head*>(data)->y = y;
    }
    static void transform(void* data, zwlr_output_head_v1*, std::int32_t t) { static_cast<Head*>(data)->transform = t; }
    static void scale(void* data, zwlr_output_head_v1*, wl_fixed_t s) { static_cast<Head*>(data)->scale = s; }
    static void finished(void* data, zwlr_output_head_v1*);
    static void make(void*, zwlr_output_head_v1*, const char*) {}
    static void model(void*, zwlr_output_head_v1*, const char*) {}
    static void serialNumber(void*, zwlr_output_head_v1*, const char*) {}

    static void head(void* data, zwlr_output_manager_v1*, zwlr_output_head_v1* h);
    static void done(void* data, zwlr_output_manager_v1*, std::uint32_t serial) {
        auto* self = static_cast<OutputHeads*>(data);
        self->serial_ = serial;
        if (self->changed_) self->changed_();
    }
    static void managerFinished(void*, zwlr_output_manager_v1*) {}
};

namespace {

const zwlr_output_mode_v1_listener kModeListener = {OutputHeads::Events::modeSize, OutputHeads::Events::modeRefresh,
                                                    OutputHeads::Events::modePreferred,
                                                    OutputHeads::Events::modeFinished};
const zwlr_output_head_v1_listener kHeadListener = {
    OutputHeads::Events::name,      OutputHeads::Events::description, OutputHeads::Events::physicalSize,
    OutputHeads::Events::mode,      OutputHeads::Events::enabled,     OutputHeads::Events::currentMode,
    OutputHeads::Events::position,  OutputHeads::Events::transform,   OutputHeads::Events::scale,
    OutputHeads::Events::finished,  OutputHeads::Events::make,        OutputHeads::Events::model,
    OutputHeads::Events::serialNumber};
const zwlr_output_manager_v1_listener kManagerListener = {OutputHeads::Events::head, OutputHeads::Events::done,
                                                          OutputHeads::Events::managerFinished};

void destroyHead(Head& h) {
    for (auto& m : h.modes) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m->mode));
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(h.head));
}

}  // namespace

void OutputHeads::Events::mode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* m) {
    auto* head = static_cast<Head*>(data);
    auto mode = std::make_unique<HeadMode>();
    mode->mode = m;
    zwlr_output_mode_v1_add_listener(m, &kModeListener, mode.get());
    head->modes.push_back(std::move(mode));
}

void OutputHeads::Events::head(void* data, zwlr_output_manager_v1*, zwlr_output_head_v1* h) {
    auto* self = static_cast<OutputHeads*>(data);
    auto head = std::make_unique<Head>();
    head->head = h;
    head->owner = self;
    zwlr_output_head_v1_add_listener(h, &kHeadListener, head.get());
    self->heads_.push_back(std::move(head));
}

void OutputHeads::Events::finished(void* data, zwlr_output_head_v1*) {
    auto* gone = static_cast<Head*>(data);
    std::erase_if(gone->owner->heads_, [gone](const std::unique_ptr<Head>& h) {
        if (h.get() != gone) return false;
        destroyHead(*h);
        return true;
    });
}

OutputHeads::OutputHeads(zwlr_output_manager_v1* manager, std::function<void()> changed)
    : manager_(manager), changed_(std::move(changed)) {
    zwlr_output_manager_v1_add_listener(manager_, &kManagerListener, this);
}

OutputHeads::~OutputHeads() {
    for (auto& h : heads_) destroyHead(*h);
    zwlr_output_manager_v1_stop(manager_);
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(manager_));
}

bool listsRealModes(const Head& h) {
    return std::any_of(h.modes.begin(), h.modes.end(),
                       [](const std::unique_ptr<HeadMode>& m) { return m->width > 0 && m->height > 0; });
}

const Head* OutputHeads::head(const std::string& name) const {
    for (const auto& h : heads_)
        if (h->name == name) return h.get();
    return nullptr;
}

namespace {
struct Answer {
    OutputHeads::Outcome outcome = OutputHeads::Outcome::NoAnswer;
    bool answered = false;
};
void succeeded(void* data, zwlr_output_configuration_v1*) {
    *static_cast<Answer*>(data) = {OutputHeads::Outcome::Succeeded, true};
}
void failed(void* data, zwlr_output_configuration_v1*) { *static_cast<Answer*>(data) = {OutputHeads::Outcome::Failed, true}; }
void cancelled(void* data, zwlr_output_configuration_v1*) {
    *static_cast<Answer*>(data) = {OutputHeads::Outcome::Cancelled, true};
}
const zwlr_output_configuration_v1_listener kConfigurationListener = {succeeded, failed, cancelled};
}  // namespace

OutputHeads::Outcome OutputHeads::configure(Connection& c, const std::string& name, const HeadMode& mode, bool apply) {
    if (!described() || !c.alive()) return Outcome::NoAnswer;
    Answer answer;
    zwlr_output_configuration_v1* config = zwlr_output_manager_v1_create_configuration(manager_, serial_);
    zwlr_output_configuration_v1_add_listener(config, &kConfigurationListener, &answer);
    std::vector<zwlr_output_configuration_head_v1*> configured;
    // Every head must be named: the others exactly as they are.
    for (const auto& h : heads_) {
        if (!h->enabled) {
            zwlr_output_configuration_v1_disable_head(config, h->head);
            continue;
        }
        zwlr_output_configuration_head_v1* ch = zwlr_output_configuration_v1_enable_head(config, h->head);
        configured.push_back(ch);
        const HeadMode* shown = h->name == name ? &mode : h->current;
        if (shown && shown->mode)
            zwlr_output_configuration_head_v1_set_mode(ch, shown->mode);
        else if (shown)
            zwlr_output_configuration_head_v1_set_custom_mode(ch, shown->width, shown->height, shown->refreshMilliHz);
        zwlr_output_configuration_head_v1_set_position(ch, h->x, h->y);
        zwlr_output_configuration_head_v1_set_transform(ch, h->transform);
        zwlr_output_configuration_head_v1_set_scale(ch, h->scale);
    }
    if (apply)
        zwlr_output_configuration_v1_apply(config);
    else
        zwlr_output_configuration_v1_test(config);
    c.dispatchUntil([&answer] { return answer.answered; }, 5000);
    zwlr_output_configuration_v1_destroy(config);
    for (auto* ch : configured) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(ch));
    c.flush();
    return answer.outcome;
}

}  // namespace orvane::platform::wayland
