// A small Wayland compositor for the tests, showing nothing: outputs with
// pictures in memory, described through wl_output and xdg-output and captured
// through the wlroots screencopy and image copy capture, that come and go on
// command — what sway's headless outputs cannot do (they cannot be taken
// away), and what no compositor in Debian 12 offers (image copy capture).
//   mini_compositor SOCKET [--no-screencopy] [--no-copy-capture]
//                               prints "ready" once clients can connect
// Image copy capture here writes into a buffer only what changed since the
// session's previous frame and what the client says the buffer lacks, as the
// protocol allows: a client that does not keep count sees stale pixels.
// Commands on standard input, one a line:
//   add NAME X Y W H            an output of that logical place and size, black
//   remove NAME                 it goes: its globals are withdrawn
//   fill NAME RRGGBB X Y W H    paints a rectangle of it (output pixels)
#include <unistd.h>
#include <wayland-server.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ext-image-capture-source-server-protocol.h"
#include "ext-image-copy-capture-server-protocol.h"
#include "wlr-screencopy-server-protocol.h"
#include "xdg-output-unstable-v1-server-protocol.h"

namespace {

struct Rect {
    int x, y, w, h;
};

struct Frame;
struct Session;

struct Output {
    std::string name;
    int x = 0, y = 0, w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    wl_global* global = nullptr;
    std::vector<wl_resource*> outputs;     // wl_output resources
    std::vector<wl_resource*> xdgOutputs;  // their xdg-output resources
    std::vector<Frame*> waiting;           // copy_with_damage frames waiting for a change
    std::map<wl_client*, std::vector<Rect>> unseen;  // changes each client has not captured yet
    std::vector<wl_resource*> sources;  // image capture sources on it
    std::vector<Session*> sessions;
};

struct Frame {
    wl_resource* resource = nullptr;
    Output* output = nullptr;  // null once the output is gone
};

wl_display* g_display = nullptr;
std::vector<std::unique_ptr<Output>> g_outputs;
std::vector<Frame*> g_frames;

Output* find(const std::string& name) {
    for (auto& o : g_outputs)
        if (o->name == name) return o.get();
    return nullptr;
}

// --- wl_output -------------------------------------------------------------

void outputRelease(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct wl_output_interface kOutputImpl = {outputRelease};

void forgetResource(std::vector<wl_resource*>& list, wl_resource* r) { std::erase(list, r); }

void outputResourceGone(wl_resource* r) {
    if (auto* o = static_cast<Output*>(wl_resource_get_user_data(r))) forgetResource(o->outputs, r);
}

void bindOutput(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    auto* o = static_cast<Output*>(data);
    wl_resource* r = wl_resource_create(client, &wl_output_interface, static_cast<int>(std::min(version, 3u)), id);
    wl_resource_set_implementation(r, &kOutputImpl, o, outputResourceGone);
    o->outputs.push_back(r);
    wl_output_send_geometry(r, o->x, o->y, 0, 0, WL_OUTPUT_SUBPIXEL_UNKNOWN, "Orvane", "test output",
                            WL_OUTPUT_TRANSFORM_NORMAL);
    wl_output_send_mode(r, WL_OUTPUT_MODE_CURRENT, o->w, o->h, 60000);
    if (wl_resource_get_version(r) >= 2) {
        wl_output_send_scale(r, 1);
        wl_output_send_done(r);
    }
}

// --- xdg-output --------------------------------------------------------------

void xdgDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct zxdg_output_v1_interface kXdgOutputImpl = {xdgDestroy};

void xdgResourceGone(wl_resource* r) {
    if (auto* o = static_cast<Output*>(wl_resource_get_user_data(r))) forgetResource(o->xdgOutputs, r);
}

void getXdgOutput(wl_client* client, wl_resource* manager, std::uint32_t id, wl_resource* output) {
    auto* o = static_cast<Output*>(wl_resource_get_user_data(output));
    wl_resource* r = wl_resource_create(client, &zxdg_output_v1_interface, wl_resource_get_version(manager), id);
    wl_resource_set_implementation(r, &kXdgOutputImpl, o, xdgResourceGone);
    if (!o) return;  // an output already gone: no description
    o->xdgOutputs.push_back(r);
    zxdg_output_v1_send_logical_position(r, o->x, o->y);
    zxdg_output_v1_send_logical_size(r, o->w, o->h);
    if (wl_resource_get_version(r) >= 2) {
        zxdg_output_v1_send_name(r, o->name.c_str());
        zxdg_output_v1_send_description(r, "test output");
    }
    if (wl_resource_get_version(r) >= 3)
        wl_output_send_done(output);
    else
        zxdg_output_v1_send_done(r);
}
void xdgManagerDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct zxdg_output_manager_v1_interface kXdgManagerImpl = {xdgManagerDestroy, getXdgOutput};

void bindXdgManager(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource* r = wl_resource_create(client, &zxdg_output_manager_v1_interface, static_cast<int>(std::min(version, 3u)), id);
    wl_resource_set_implementation(r, &kXdgManagerImpl, nullptr, nullptr);
}

// --- screencopy ------------------------------------------------------------

// Copies the output's picture into the client's buffer and says where it changed.
void complete(Frame* f, const std::vector<Rect>& damage, wl_resource* buffer) {
    Output* o = f->output;
    wl_shm_buffer* shm = wl_shm_buffer_get(buffer);
    if (!o || !shm || wl_shm_buffer_get_width(shm) != o->w || wl_shm_buffer_get_height(shm) != o->h) {
        zwlr_screencopy_frame_v1_send_failed(f->resource);
        return;
    }
    wl_shm_buffer_begin_access(shm);
    auto* data = static_cast<std::uint8_t*>(wl_shm_buffer_get_data(shm));
    const int stride = wl_shm_buffer_get_stride(shm);
    for (int row = 0; row < o->h; ++row)
        std::memcpy(data + static_cast<std::ptrdiff_t>(row) * stride, o->pixels.data() + static_cast<std::size_t>(row) * o->w,
                    static_cast<std::size_t>(o->w) * 4);
    wl_shm_buffer_end_access(shm);
    if (wl_resource_get_version(f->resource) >= 2)
        for (const Rect& d : damage)
            zwlr_screencopy_frame_v1_send_damage(f->resource, static_cast<std::uint32_t>(d.x), static_cast<std::uint32_t>(d.y),
                                                 static_cast<std::uint32_t>(d.w), static_cast<std::uint32_t>(d.h));
    zwlr_screencopy_frame_v1_send_flags(f->resource, 0);
    zwlr_screencopy_frame_v1_send_ready(f->resource, 0, 0, 0);
}

struct Waiting {
    Frame* frame;
    wl_resource* buffer;
};
std::vector<Waiting> g_waiting;

void frameCopy(wl_client* client, wl_resource* r, wl_resource* buffer) {
    auto* f = static_cast<Frame*>(wl_resource_get_user_data(r));
    if (f->output) f->output->unseen[client].clear();
    complete(f, {}, buffer);
}
void frameCopyWithDamage(wl_client* client, wl_resource* r, wl_resource* buffer) {
    auto* f = static_cast<Frame*>(wl_resource_get_user_data(r));
    if (!f->output) {
        zwlr_screencopy_frame_v1_send_failed(r);
        return;
    }
    std::vector<Rect>& unseen = f->output->unseen[client];
    if (!unseen.empty()) {
        const std::vector<Rect> damage = std::exchange(unseen, {});
        complete(f, damage, buffer);
        return;
    }
    g_waiting.push_back({f, buffer});  // until the output changes
}
void frameDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct zwlr_screencopy_frame_v1_interface kFrameImpl = {frameCopy, frameDestroy, frameCopyWithDamage};

void frameGone(wl_resource* r) {
    auto* f = static_cast<Frame*>(wl_resource_get_user_data(r));
    std::erase_if(g_waiting, [f](const Waiting& w) { return w.frame == f; });
    std::erase(g_frames, f);
    delete f;
}

void captureOutput(wl_client* client, wl_resource* manager, std::uint32_t id, std::int32_t, wl_resource* output) {
    auto* f = new Frame;
    f->output = static_cast<Output*>(wl_resource_get_user_data(output));
    f->resource = wl_resource_create(client, &zwlr_screencopy_frame_v1_interface, wl_resource_get_version(manager), id);
    wl_resource_set_implementation(f->resource, &kFrameImpl, f, frameGone);
    g_frames.push_back(f);
    if (!f->output) {
        zwlr_screencopy_frame_v1_send_failed(f->resource);
        return;
    }
    zwlr_screencopy_frame_v1_send_buffer(f->resource, WL_SHM_FORMAT_XRGB8888, static_cast<std::uint32_t>(f->output->w),
                                         static_cast<std::uint32_t>(f->output->h), static_cast<std::uint32_t>(f->output->w * 4));
    if (wl_resource_get_version(f->resource) >= 3) zwlr_screencopy_frame_v1_send_buffer_done(f->resource);
}
void captureRegion(wl_client* client, wl_resource* manager, std::uint32_t id, std::int32_t overlay, wl_resource* output,
                   std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    captureOutput(client, manager, id, overlay, output);
}
void managerDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct zwlr_screencopy_manager_v1_interface kScreencopyImpl = {captureOutput, captureRegion, managerDestroy};

void bindScreencopy(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource* r =
        wl_resource_create(client, &zwlr_screencopy_manager_v1_interface, static_cast<int>(std::min(version, 3u)), id);
    wl_resource_set_implementation(r, &kScreencopyImpl, nullptr, nullptr);
}

// --- image copy capture ------------------------------------------------------

struct CopyFrame;

struct Session {
    wl_resource* resource = nullptr;
    Output* output = nullptr;  // null once stopped
    bool capturedOnce = false;
    std::vector<Rect> unseen;  // changes since the session's previous frame
    CopyFrame* waiting = nullptr;
    std::vector<CopyFrame*> frames;  // its frame objects, told when it goes
};

struct CopyFrame {
    wl_resource* resource = nullptr;
    Session* session = nullptr;  // null once the session is gone
    wl_resource* buffer = nullptr;
    std::vector<Rect> clientDamage;
    bool captured = false;
};

void sourceDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct ext_image_capture_source_v1_interface kSourceImpl = {sourceDestroy};
void sourceGone(wl_resource* r) {
    if (auto* o = static_cast<Output*>(wl_resource_get_user_data(r))) forgetResource(o->sources, r);
}
void createSource(wl_client* client, wl_resource* manager, std::uint32_t id, wl_resource* output) {
    auto* o = static_cast<Output*>(wl_resource_get_user_data(output));
    wl_resource* r = wl_resource_create(client, &ext_image_capture_source_v1_interface, wl_resource_get_version(manager), id);
    wl_resource_set_implementation(r, &kSourceImpl, o, sourceGone);
    if (o) o->sources.push_back(r);
}
void sourceManagerDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct ext_output_image_capture_source_manager_v1_interface kSourceManagerImpl = {createSource,
                                                                                       sourceManagerDestroy};
void bindSourceManager(wl_client* client, void*, std::uint32_t, std::uint32_t id) {
    wl_resource* r = wl_resource_create(client, &ext_output_image_capture_source_manager_v1_interface, 1, id);
    wl_resource_set_implementation(r, &kSourceManagerImpl, nullptr, nullptr);
}

// Writes what changed and what the client says the buffer lacks, no more.
void completeCopy(CopyFrame* f, const std::vector<Rect>& changed) {
    Output* o = f->session ? f->session->output : nullptr;
    wl_shm_buffer* shm = f->buffer ? wl_shm_buffer_get(f->buffer) : nullptr;
    if (!o) {
        ext_image_copy_capture_frame_v1_send_failed(f->resource, EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED);
        return;
    }
    if (!shm || wl_shm_buffer_get_width(shm) != o->w || wl_shm_buffer_get_height(shm) != o->h ||
        wl_shm_buffer_get_format(shm) != WL_SHM_FORMAT_XRGB8888) {
        ext_image_copy_capture_frame_v1_send_failed(f->resource,
                                                   EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_BUFFER_CONSTRAINTS);
        return;
    }
    std::vector<Rect> write = changed;
    write.insert(write.end(), f->clientDamage.begin(), f->clientDamage.end());
    wl_shm_buffer_begin_access(shm);
    auto* data = static_cast<std::uint8_t*>(wl_shm_buffer_get_data(shm));
    const int stride = wl_shm_buffer_get_stride(shm);
    for (const Rect& r : write) {
        const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
        const int x1 = std::min(r.x + r.w, o->w), y1 = std::min(r.y + r.h, o->h);
        for (int y = y0; y < y1; ++y)
            std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride + x0 * 4,
                        o->pixels.data() + static_cast<std::size_t>(y) * o->w + x0, static_cast<std::size_t>(x1 - x0) * 4);
    }
    wl_shm_buffer_end_access(shm);
    for (const Rect& d : changed) ext_image_copy_capture_frame_v1_send_damage(f->resource, d.x, d.y, d.w, d.h);
    ext_image_copy_capture_frame_v1_send_presentation_time(f->resource, 0, 0, 0);
    ext_image_copy_capture_frame_v1_send_ready(f->resource);
}

void copyFrameDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
void copyFrameAttach(wl_client*, wl_resource* r, wl_resource* buffer) {
    static_cast<CopyFrame*>(wl_resource_get_user_data(r))->buffer = buffer;
}
void copyFrameDamage(wl_client*, wl_resource* r, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    static_cast<CopyFrame*>(wl_resource_get_user_data(r))->clientDamage.push_back({x, y, w, h});
}
void copyFrameCapture(wl_client*, wl_resource* r) {
    auto* f = static_cast<CopyFrame*>(wl_resource_get_user_data(r));
    f->captured = true;
    Session* s = f->session;
    if (!s || !s->output) {
        completeCopy(f, {});
        return;
    }
    // The first frame of a session comes at once and whole; later ones when
    // something changed.
    if (!s->capturedOnce) {
        s->capturedOnce = true;
        s->unseen.clear();
        completeCopy(f, {{0, 0, s->output->w, s->output->h}});
        return;
    }
    if (!s->unseen.empty()) {
        completeCopy(f, std::exchange(s->unseen, {}));
        return;
    }
    s->waiting = f;
}
const struct ext_image_copy_capture_frame_v1_interface kCopyFrameImpl = {copyFrameDestroy, copyFrameAttach,
                                                                          copyFrameDamage, copyFrameCapture};
void copyFrameGone(wl_resource* r) {
    auto* f = static_cast<CopyFrame*>(wl_resource_get_user_data(r));
    if (f->session) {
        if (f->session->waiting == f) f->session->waiting = nullptr;
        std::erase(f->session->frames, f);
    }
    delete f;
}

void sessionCreateFrame(wl_client* client, wl_resource* r, std::uint32_t id) {
    auto* f = new CopyFrame;
    f->session = static_cast<Session*>(wl_resource_get_user_data(r));
    f->session->frames.push_back(f);
    f->resource = wl_resource_create(client, &ext_image_copy_capture_frame_v1_interface, 1, id);
    wl_resource_set_implementation(f->resource, &kCopyFrameImpl, f, copyFrameGone);
}
void sessionDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct ext_image_copy_capture_session_v1_interface kSessionImpl = {sessionCreateFrame, sessionDestroy};
void sessionGone(wl_resource* r) {
    auto* s = static_cast<Session*>(wl_resource_get_user_data(r));
    for (CopyFrame* f : s->frames) f->session = nullptr;
    if (s->output) std::erase(s->output->sessions, s);
    delete s;
}

void createSession(wl_client* client, wl_resource*, std::uint32_t id, wl_resource* source, std::uint32_t) {
    auto* s = new Session;
    s->output = static_cast<Output*>(wl_resource_get_user_data(source));
    s->resource = wl_resource_create(client, &ext_image_copy_capture_session_v1_interface, 1, id);
    wl_resource_set_implementation(s->resource, &kSessionImpl, s, sessionGone);
    if (!s->output) {
        ext_image_copy_capture_session_v1_send_stopped(s->resource);
        return;
    }
    s->output->sessions.push_back(s);
    ext_image_copy_capture_session_v1_send_buffer_size(s->resource, static_cast<std::uint32_t>(s->output->w),
                                                       static_cast<std::uint32_t>(s->output->h));
    ext_image_copy_capture_session_v1_send_shm_format(s->resource, WL_SHM_FORMAT_XRGB8888);
    ext_image_copy_capture_session_v1_send_done(s->resource);
}
void createCursorSession(wl_client* client, wl_resource*, std::uint32_t id, wl_resource*, wl_resource*) {
    // Not offered here: an object that never reports anything.
    wl_resource* r = wl_resource_create(client, &ext_image_copy_capture_cursor_session_v1_interface, 1, id);
    wl_resource_set_implementation(r, nullptr, nullptr, nullptr);
}
void copyManagerDestroy(wl_client*, wl_resource* r) { wl_resource_destroy(r); }
const struct ext_image_copy_capture_manager_v1_interface kCopyManagerImpl = {createSession, createCursorSession,
                                                                              copyManagerDestroy};
void bindCopyManager(wl_client* client, void*, std::uint32_t, std::uint32_t id) {
    wl_resource* r = wl_resource_create(client, &ext_image_copy_capture_manager_v1_interface, 1, id);
    wl_resource_set_implementation(r, &kCopyManagerImpl, nullptr, nullptr);
}

// --- commands ----------------------------------------------------------------

void add(const std::string& name, int x, int y, int w, int h) {
    auto o = std::make_unique<Output>();
    o->name = name;
    o->x = x, o->y = y, o->w = w, o->h = h;
    o->pixels.assign(static_cast<std::size_t>(w) * h, 0xff000000u);
    o->global = wl_global_create(g_display, &wl_output_interface, 3, o.get(), bindOutput);
    g_outputs.push_back(std::move(o));
}

void remove(const std::string& name) {
    Output* o = find(name);
    if (!o) return;
    wl_global_destroy(o->global);
    for (wl_resource* r : o->outputs) wl_resource_set_user_data(r, nullptr);
    for (wl_resource* r : o->xdgOutputs) wl_resource_set_user_data(r, nullptr);
    for (wl_resource* r : o->sources) wl_resource_set_user_data(r, nullptr);
    for (Session* s : o->sessions) {
        s->output = nullptr;
        if (CopyFrame* f = std::exchange(s->waiting, nullptr))
            ext_image_copy_capture_frame_v1_send_failed(f->resource, EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED);
        ext_image_copy_capture_session_v1_send_stopped(s->resource);
    }
    o->sessions.clear();
    for (Frame* f : g_frames)
        if (f->output == o) f->output = nullptr;
    for (auto it = g_waiting.begin(); it != g_waiting.end();) {
        if (it->frame->output != nullptr) {
            ++it;
            continue;
        }
        zwlr_screencopy_frame_v1_send_failed(it->frame->resource);
        it = g_waiting.erase(it);
    }
    std::erase_if(g_outputs, [o](const std::unique_ptr<Output>& p) { return p.get() == o; });
}

void fill(const std::string& name, std::uint32_t colour, Rect r) {
    Output* o = find(name);
    if (!o) return;
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(r.x + r.w, o->w), y1 = std::min(r.y + r.h, o->h);
    if (x0 >= x1 || y0 >= y1) return;
    for (int y = y0; y < y1; ++y)
        std::fill_n(o->pixels.begin() + static_cast<std::ptrdiff_t>(y) * o->w + x0, x1 - x0, 0xff000000u | colour);
    const Rect changed{x0, y0, x1 - x0, y1 - y0};
    for (auto& [client, unseen] : o->unseen) unseen.push_back(changed);
    // Frames waiting for a change on this output get it now.
    std::vector<Waiting> ready;
    std::erase_if(g_waiting, [&](const Waiting& w) {
        if (w.frame->output != o) return false;
        ready.push_back(w);
        return true;
    });
    for (const Waiting& w : ready) {
        wl_client* client = wl_resource_get_client(w.frame->resource);
        complete(w.frame, std::exchange(o->unseen[client], {}), w.buffer);
    }
    for (Session* s : o->sessions) {
        s->unseen.push_back(changed);
        if (CopyFrame* f = std::exchange(s->waiting, nullptr)) completeCopy(f, std::exchange(s->unseen, {}));
    }
}

int command(int fd, std::uint32_t, void*) {
    static std::string pending;
    char chunk[512];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0) {
        wl_display_terminate(g_display);
        return 0;
    }
    pending.append(chunk, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
        const std::string line = pending.substr(0, end);
        char name[64];
        int x, y, w, h;
        unsigned colour;
        if (std::sscanf(line.c_str(), "add %63s %d %d %d %d", name, &x, &y, &w, &h) == 5)
            add(name, x, y, w, h);
        else if (std::sscanf(line.c_str(), "remove %63s", name) == 1)
            remove(name);
        else if (std::sscanf(line.c_str(), "fill %63s %x %d %d %d %d", name, &colour, &x, &y, &w, &h) == 6)
            fill(name, colour, {x, y, w, h});
        else
            continue;
        std::printf("done %s\n", line.c_str());
        std::fflush(stdout);
    }
    wl_display_flush_clients(g_display);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: mini_compositor SOCKET [--no-screencopy] [--no-copy-capture]\n");
        return 2;
    }
    bool screencopy = true, copyCapture = true;
    for (int i = 2; i < argc; ++i) {
        screencopy = screencopy && std::strcmp(argv[i], "--no-screencopy") != 0;
        copyCapture = copyCapture && std::strcmp(argv[i], "--no-copy-capture") != 0;
    }
    g_display = wl_display_create();
    if (wl_display_add_socket(g_display, argv[1]) != 0) {
        std::fprintf(stderr, "mini_compositor: cannot listen on %s\n", argv[1]);
        return 1;
    }
    wl_display_init_shm(g_display);
    wl_global_create(g_display, &zxdg_output_manager_v1_interface, 3, nullptr, bindXdgManager);
    if (screencopy) wl_global_create(g_display, &zwlr_screencopy_manager_v1_interface, 3, nullptr, bindScreencopy);
    if (copyCapture) {
        wl_global_create(g_display, &ext_output_image_capture_source_manager_v1_interface, 1, nullptr, bindSourceManager);
        wl_global_create(g_display, &ext_image_copy_capture_manager_v1_interface, 1, nullptr, bindCopyManager);
    }
    wl_event_loop_add_fd(wl_display_get_event_loop(g_display), STDIN_FILENO, WL_EVENT_READABLE, command, nullptr);
    std::printf("ready\n");
    std::fflush(stdout);
    wl_display_run(g_display);
    g_outputs.clear();
    wl_display_destroy(g_display);
    return 0;
}
