// A Wayland compositor for the tests: outputs with pictures in memory, named through xdg-output, captured through
// image copy capture (which no compositor in Debian 12 offers) and coming and going on command. A frame gets only
// what changed since the session's previous frame and what the client says the buffer lacks.
//   mini_compositor SOCKET   prints "ready", then "done LINE" for each command on standard input:
//   add NAME X Y W H | remove NAME | fill NAME RRGGBB X Y W H   (an output's logical place; a rectangle of it)
#include <unistd.h>
#include <wayland-server.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ext-image-capture-source-server-protocol.h"
#include "ext-image-copy-capture-server-protocol.h"
#include "xdg-output-unstable-v1-server-protocol.h"

namespace {

struct Rect {
    int x, y, w, h;
};

struct Session;

struct Output {
    std::string name;
    Rect place;
    std::vector<std::uint32_t> pixels{};
    wl_global* global = nullptr;
    std::vector<Session*> sessions{};
};

// Sessions, frames and outputs stay in memory for the objects that still name them, until the test ends.
struct Frame {
    wl_resource* resource = nullptr;
    Session* session = nullptr;
    wl_resource* buffer = nullptr;
    std::vector<Rect> clientDamage{};
};

struct Session {
    wl_resource* resource = nullptr;
    Output* output = nullptr;  // null once stopped
    bool capturedOnce = false;
    std::vector<Rect> unseen{};  // changes since the session's previous frame
    Frame* waiting = nullptr;
};

wl_display* g_display = nullptr;
std::map<std::string, Output*> g_outputs;

template <typename T>
T* of(wl_resource* r) {
    return static_cast<T*>(wl_resource_get_user_data(r));
}

void destroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }

wl_resource* make(wl_client* client, const wl_interface* i, std::uint32_t version, std::uint32_t id, const void* impl,
                  void* data) {
    wl_resource* r = wl_resource_create(client, i, static_cast<int>(version), id);
    wl_resource_set_implementation(r, impl, data, nullptr);
    return r;
}

// Binds a global: a manager, or an output (its data).
template <const wl_interface* I, auto Impl>
void bindGlobal(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    make(client, I, version, id, Impl, data);
}

const struct wl_output_interface kOutputImpl = {destroy};

const struct zxdg_output_v1_interface kXdgOutputImpl = {destroy};

void getXdgOutput(wl_client* client, wl_resource*, std::uint32_t id, wl_resource* output) {
    Output* o = of<Output>(output);
    wl_resource* r = make(client, &zxdg_output_v1_interface, 2, id, &kXdgOutputImpl, o);
    zxdg_output_v1_send_logical_position(r, o->place.x, o->place.y);
    zxdg_output_v1_send_logical_size(r, o->place.w, o->place.h);
    zxdg_output_v1_send_name(r, o->name.c_str());
    zxdg_output_v1_send_done(r);
}
const struct zxdg_output_manager_v1_interface kXdgManagerImpl = {destroy, getXdgOutput};

const struct ext_image_capture_source_v1_interface kSourceImpl = {destroy};
void createSource(wl_client* client, wl_resource*, std::uint32_t id, wl_resource* output) {
    make(client, &ext_image_capture_source_v1_interface, 1, id, &kSourceImpl, of<Output>(output));
}
const struct ext_output_image_capture_source_manager_v1_interface kSourceManagerImpl = {createSource, destroy};

// Writes what changed and what the client says the buffer lacks, no more.
void complete(Frame* f, const std::vector<Rect>& changed) {
    Output* o = f->session ? f->session->output : nullptr;
    wl_shm_buffer* shm = f->buffer ? wl_shm_buffer_get(f->buffer) : nullptr;
    if (!o || !shm || wl_shm_buffer_get_width(shm) != o->place.w || wl_shm_buffer_get_height(shm) != o->place.h)
        return ext_image_copy_capture_frame_v1_send_failed(f->resource,
                                                           EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED);
    std::vector<Rect> write = changed;
    write.insert(write.end(), f->clientDamage.begin(), f->clientDamage.end());
    wl_shm_buffer_begin_access(shm);
    auto* data = static_cast<std::uint8_t*>(wl_shm_buffer_get_data(shm));
    for (const Rect& r : write)  // (the tests' rectangles lie inside the output)
        for (int y = r.y; y < r.y + r.h; ++y)
            std::memcpy(data + static_cast<std::ptrdiff_t>(y) * wl_shm_buffer_get_stride(shm) + r.x * 4,
                        &o->pixels[static_cast<std::size_t>(y) * o->place.w + r.x], static_cast<std::size_t>(r.w) * 4);
    wl_shm_buffer_end_access(shm);
    for (const Rect& d : changed) ext_image_copy_capture_frame_v1_send_damage(f->resource, d.x, d.y, d.w, d.h);
    ext_image_copy_capture_frame_v1_send_presentation_time(f->resource, 0, 0, 0);
    ext_image_copy_capture_frame_v1_send_ready(f->resource);
}

void attach(wl_client*, wl_resource* r, wl_resource* buffer) { of<Frame>(r)->buffer = buffer; }
void damage(wl_client*, wl_resource* r, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    of<Frame>(r)->clientDamage.push_back({x, y, w, h});
}
// The first frame of a session comes at once and whole; later ones when something changed.
void capture(wl_client*, wl_resource* r) {
    Frame* f = of<Frame>(r);
    Session* s = f->session;
    if (!s || !s->output) return complete(f, {});
    if (!std::exchange(s->capturedOnce, true)) s->unseen = {{0, 0, s->output->place.w, s->output->place.h}};
    if (s->unseen.empty())
        s->waiting = f;
    else
        complete(f, std::exchange(s->unseen, {}));
}
const struct ext_image_copy_capture_frame_v1_interface kFrameImpl = {destroy, attach, damage, capture};
void frameGone(wl_resource* r) {
    Frame* f = of<Frame>(r);
    if (f->session->waiting == f) f->session->waiting = nullptr;
}

void createFrame(wl_client* client, wl_resource* r, std::uint32_t id) {
    auto* f = new Frame{wl_resource_create(client, &ext_image_copy_capture_frame_v1_interface, 1, id), of<Session>(r)};
    wl_resource_set_implementation(f->resource, &kFrameImpl, f, frameGone);
}
const struct ext_image_copy_capture_session_v1_interface kSessionImpl = {createFrame, destroy};
void sessionGone(wl_resource* r) {
    auto* s = of<Session>(r);
    if (s->output) std::erase(s->output->sessions, s);
    s->output = nullptr;
}

void createSession(wl_client* client, wl_resource*, std::uint32_t id, wl_resource* source, std::uint32_t) {
    auto* s = new Session{wl_resource_create(client, &ext_image_copy_capture_session_v1_interface, 1, id),
                          of<Output>(source)};
    wl_resource_set_implementation(s->resource, &kSessionImpl, s, sessionGone);
    s->output->sessions.push_back(s);
    ext_image_copy_capture_session_v1_send_buffer_size(s->resource, static_cast<std::uint32_t>(s->output->place.w),
                                                       static_cast<std::uint32_t>(s->output->place.h));
    ext_image_copy_capture_session_v1_send_shm_format(s->resource, WL_SHM_FORMAT_XRGB8888);
    ext_image_copy_capture_session_v1_send_done(s->resource);
}
// No cursor sessions: Orvane asks for none.
const struct ext_image_copy_capture_manager_v1_interface kCopyManagerImpl = {createSession, nullptr, destroy};

void add(const std::string& name, Rect place) {
    Output* o = g_outputs[name] = new Output{name, place};
    o->pixels.assign(static_cast<std::size_t>(place.w) * place.h, 0xff000000u);
    o->global = wl_global_create(g_display, &wl_output_interface, 3, o, bindGlobal<&wl_output_interface, &kOutputImpl>);
}

void remove(const std::string& name) {
    Output* o = g_outputs.at(name);
    wl_global_destroy(o->global);
    for (Session* s : o->sessions) {
        s->output = nullptr;
        if (Frame* f = std::exchange(s->waiting, nullptr)) complete(f, {});
        ext_image_copy_capture_session_v1_send_stopped(s->resource);
    }
    g_outputs.erase(name);
}

void fill(Output* o, std::uint32_t colour, Rect r) {
    for (int y = r.y; y < r.y + r.h; ++y)
        std::fill_n(o->pixels.begin() + static_cast<std::ptrdiff_t>(y) * o->place.w + r.x, r.w, 0xff000000u | colour);
    for (Session* s : o->sessions) {
        s->unseen.push_back(r);
        if (Frame* f = std::exchange(s->waiting, nullptr)) complete(f, std::exchange(s->unseen, {}));
    }
}

// One command at a time: the test waits for each to be done before the next.
int command(int, std::uint32_t, void*) {
    char line[256], name[64];
    Rect r;
    unsigned colour;
    if (!std::fgets(line, sizeof line, stdin)) {
        wl_display_terminate(g_display);
        return 0;
    }
    if (std::sscanf(line, "add %63s %d %d %d %d", name, &r.x, &r.y, &r.w, &r.h) == 5)
        add(name, r);
    else if (std::sscanf(line, "remove %63s", name) == 1)
        remove(name);
    else if (std::sscanf(line, "fill %63s %x %d %d %d %d", name, &colour, &r.x, &r.y, &r.w, &r.h) == 6)
        fill(g_outputs.at(name), colour, r);
    else
        return 0;
    std::printf("done %s", line);
    wl_display_flush_clients(g_display);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    g_display = wl_display_create();
    if (argc != 2 || wl_display_add_socket(g_display, argv[1]) != 0) return 2;
    wl_display_init_shm(g_display);
    wl_global_create(g_display, &zxdg_output_manager_v1_interface, 2, nullptr,
                     bindGlobal<&zxdg_output_manager_v1_interface, &kXdgManagerImpl>);
    wl_global_create(g_display, &ext_output_image_capture_source_manager_v1_interface, 1, nullptr,
                     bindGlobal<&ext_output_image_capture_source_manager_v1_interface, &kSourceManagerImpl>);
    wl_global_create(g_display, &ext_image_copy_capture_manager_v1_interface, 1, nullptr,
                     bindGlobal<&ext_image_copy_capture_manager_v1_interface, &kCopyManagerImpl>);
    wl_event_loop_add_fd(wl_display_get_event_loop(g_display), STDIN_FILENO, WL_EVENT_READABLE, command, nullptr);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("ready\n");
    wl_display_run(g_display);
    wl_display_destroy(g_display);
    return 0;
}
