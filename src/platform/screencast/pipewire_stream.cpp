// One screen-cast video stream read from PipeWire on Qt's event loop.
// The SPA builder and method macros are GNU C (statement expressions,
// compound literals): this file is compiled without -Wpedantic.
#include "platform/screencast/pipewire_stream.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include "platform/screencast/cursor_rules.h"

namespace orvane::platform::screencast {

namespace {

// Mutter 43 sends the pointer image at a fixed 384 x 384: a consumer that
// allows less gets no cursor data at all.
constexpr int kMaxCursorSide = 1024;
// How long a stream that started may go without its first picture, and how
// often it is started again for it.
constexpr int kFirstPictureWaitMs = 500;
constexpr int kFirstPictureTries = 5;
constexpr std::size_t cursorMetaSize(int w, int h) {
    return sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + static_cast<std::size_t>(w) * h * 4;
}

// One counter for every stream of the process, so that reports of different
// monitors can be ordered.
std::uint64_t nextReport() {
    static std::uint64_t n = 0;
    return ++n;
}

void initPipeWire() {
    static const bool done = [] {
        pw_init(nullptr, nullptr);
        return true;
    }();
    (void)done;
}

const spa_pod* buildFormat(spa_pod_builder* b) {
    spa_rectangle size{1920, 1080}, minSize{1, 1}, maxSize{16384, 16384};
    spa_fraction rate{0, 1}, maxRate{60, 1}, minRate{0, 1}, topRate{360, 1};
    // The pictures are read as RGB32 in place: only the 32-bit orders that
    // are RGB32 in memory are accepted, so no frame needs converting.
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &minSize, &maxSize), SPA_FORMAT_VIDEO_framerate,
        SPA_POD_Fraction(&rate), SPA_FORMAT_VIDEO_maxFramerate,
        SPA_POD_CHOICE_RANGE_Fraction(&maxRate, &minRate, &topRate)));
}

}  // namespace

struct PipeWireStream::State {
    pw_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook streamListener{};
    spa_hook coreListener{};
    std::unique_ptr<QSocketNotifier> notifier;
    spa_video_info_raw format{};
    bool streaming = false;
    bool entered = false;  // the loop is entered: this thread iterates it
    bool ended = false;
    std::string error;
    pw_buffer* held = nullptr;  // the buffer frame reads; given back when a newer one comes
    QImage frame;
    QRegion changed;
    bool allChanged = true;
    Cursor cursor;
    int frames = 0;
    std::uint32_t node = 0;
    spa_source* firstPictureTimer = nullptr;
    int restarts = 0;

    bool connectStream();
    void onFirstPictureLate();

    void onParamChanged(std::uint32_t id, const spa_pod* param);
    void onStateChanged(pw_stream_state state, const char* why);
    void onProcess();
    void onRemoveBuffer(pw_buffer* b);
    void readCursor(spa_buffer* buf);
    void addDamage(spa_buffer* buf);
    bool wrapPicture(pw_buffer* b);
    void end(const char* why) {
        ended = true;
        if (why && error.empty()) error = why;
    }
};

namespace {

const pw_stream_events kStreamEvents = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = [](void* d, pw_stream_state, pw_stream_state state, const char* why) {
        static_cast<PipeWireStream::State*>(d)->onStateChanged(state, why);
    };
    e.param_changed = [](void* d, std::uint32_t id, const spa_pod* param) {
        static_cast<PipeWireStream::State*>(d)->onParamChanged(id, param);
    };
    e.remove_buffer = [](void* d, pw_buffer* b) { static_cast<PipeWireStream::State*>(d)->onRemoveBuffer(b); };
    e.process = [](void* d) { static_cast<PipeWireStream::State*>(d)->onProcess(); };
    return e;
}();

const pw_core_events kCoreEvents = [] {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = [](void* d, std::uint32_t id, int, int res, const char* message) {
        // Errors of the core itself (PipeWire gone) end the stream; others
        // concern one object and come back through the stream's state.
        if (id == PW_ID_CORE && res == -EPIPE) static_cast<PipeWireStream::State*>(d)->end(message);
    };
    return e;
}();

}  // namespace

void PipeWireStream::State::onParamChanged(std::uint32_t id, const spa_pod* param) {
    if (!param || id != SPA_PARAM_Format) return;
    std::uint32_t mediaType = 0, mediaSubtype = 0;
    if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
        mediaSubtype != SPA_MEDIA_SUBTYPE_raw)
        return;
    spa_format_video_raw_parse(param, &format);

    std::uint8_t buffer[1024];
    spa_pod_builder b{};
    spa_pod_builder_init(&b, buffer, sizeof buffer);
    const spa_pod* params[5];
    int n = 0;
    // Shared memory only: a dma-buf would need the GPU to be read.
    params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 2, 16), SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
    params[n++] = static_cast<const spa_pod*>(
        spa_pod_builder_add_object(&b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
                                   SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_VideoCrop),
        SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_region))));
    params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_VideoDamage),
        SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(sizeof(spa_meta_region) * 16, sizeof(spa_meta_region), sizeof(spa_meta_region) * 16)));
    params[n++] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
        SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(cursorMetaSize(64, 64), cursorMetaSize(1, 1),
                                 cursorMetaSize(kMaxCursorSide, kMaxCursorSide))));
    pw_stream_update_params(stream, params, static_cast<std::uint32_t>(n));
}

bool PipeWireStream::State::connectStream() {
    std::uint8_t buffer[1024];
    spa_pod_builder b{};
    spa_pod_builder_init(&b, buffer, sizeof buffer);
    const spa_pod* params[] = {buildFormat(&b)};
    return pw_stream_connect(stream, PW_DIRECTION_INPUT, node,
                             static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
                             params, 1) >= 0;
}

// Mutter drops a picture that comes sooner than one refresh after the
// previous buffer and sends none later; the pointer-only buffer it sends as a
// stream starts took the place of the first picture about one time in three
// here, which would leave a still monitor black until it changes. Starting
// the stream again has mutter paint it again.
void PipeWireStream::State::onFirstPictureLate() {
    if (frames > 0 || ended || restarts >= kFirstPictureTries) return;
    ++restarts;
    streaming = false;
    pw_stream_disconnect(stream);
    if (!connectStream()) end("cannot connect to the PipeWire stream");
}

void PipeWireStream::State::onStateChanged(pw_stream_state state, const char* why) {
    if (state == PW_STREAM_STATE_STREAMING) {
        streaming = true;
        if (frames == 0 && firstPictureTimer) {
            timespec wait{0, kFirstPictureWaitMs * 1000000L};
            pw_loop_update_timer(loop, firstPictureTimer, &wait, nullptr, false);
        }
    }
    if (state == PW_STREAM_STATE_ERROR) end(why ? why : "the stream failed");
    if (state == PW_STREAM_STATE_UNCONNECTED && streaming) end("the stream was closed");
}

void PipeWireStream::State::onRemoveBuffer(pw_buffer* b) {
    // The picture lives in that buffer's memory, which goes with it: keep a
    // copy, so the last picture stays when the stream ends.
    if (b != held) return;
    frame = frame.copy();
    held = nullptr;
}

void PipeWireStream::State::readCursor(spa_buffer* buf) {
    spa_meta* meta = spa_buffer_find_meta(buf, SPA_META_Cursor);
    if (!meta || meta->size < sizeof(spa_meta_cursor)) return;
    const auto* c = static_cast<const spa_meta_cursor*>(meta->data);
    cursor.seq = nextReport();
    cursor.visible = spa_meta_cursor_is_valid(c);
    if (!cursor.visible) return;
    cursor.position = {c->position.x, c->position.y};
    cursor.hotspot = {c->hotspot.x, c->hotspot.y};
    // The image comes only when it changed.
    if (c->bitmap_offset < sizeof(spa_meta_cursor) || c->bitmap_offset + sizeof(spa_meta_bitmap) > meta->size)
        return;
    const auto* bm = SPA_PTROFF(c, c->bitmap_offset, const spa_meta_bitmap);
    const auto w = static_cast<int>(bm->size.width), h = static_cast<int>(bm->size.height);
    const std::size_t end = c->bitmap_offset + std::size_t{bm->offset} + std::size_t(bm->stride) * bm->size.height;
    if (w <= 0 || h <= 0 || bm->stride < w * 4 || bm->offset < sizeof(spa_meta_bitmap) || end > meta->size)
        return;
    QImage::Format f = QImage::Format_Invalid;
    switch (bm->format) {
    case SPA_VIDEO_FORMAT_RGBA: f = QImage::Format_RGBA8888; break;
    case SPA_VIDEO_FORMAT_BGRA: f = QImage::Format_ARGB32; break;  // B, G, R, A in memory
    default: return;
    }
    const QImage bitmap(SPA_PTROFF(bm, bm->offset, const uchar), w, h, bm->stride, f);
    cursor.image = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    cursor.imageSeq = cursor.seq;
}

void PipeWireStream::State::addDamage(spa_buffer* buf) {
    if (allChanged) return;
    spa_meta* meta = spa_buffer_find_meta(buf, SPA_META_VideoDamage);
    QRegion damage;
    if (meta) {
        spa_meta_region* r = nullptr;
        spa_meta_for_each(r, meta) {
            if (!spa_meta_region_is_valid(r)) break;
            damage += QRect(r->region.position.x, r->region.position.y, static_cast<int>(r->region.size.width),
                            static_cast<int>(r->region.size.height));
        }
    }
    // No damage known (mutter before 44.1 sends none): all of it may have changed.
    if (damage.isEmpty()) allChanged = true;
    else changed += damage;
}

bool PipeWireStream::State::wrapPicture(pw_buffer* b) {
    const spa_data& d = b->buffer->datas[0];
    const auto width = static_cast<int>(format.size.width), height = static_cast<int>(format.size.height);
    const int stride = d.chunk->stride > 0 ? d.chunk->stride : width * 4;
    if (!d.data || width <= 0 || height <= 0 || stride < width * 4 ||
        std::size_t{d.chunk->offset} + std::size_t(stride) * height > d.maxsize)
        return false;
    QRect area(0, 0, width, height);
    if (const auto* crop = static_cast<const spa_meta_region*>(
            spa_buffer_find_meta_data(b->buffer, SPA_META_VideoCrop, sizeof(spa_meta_region)));
        crop && spa_meta_region_is_valid(crop)) {
        const QRect c(crop->region.position.x, crop->region.position.y, static_cast<int>(crop->region.size.width),
                      static_cast<int>(crop->region.size.height));
        if (area.contains(c)) area = c;
    }
    const uchar* bits = static_cast<const uchar*>(d.data) + d.chunk->offset + std::ptrdiff_t{area.top()} * stride +
                        std::ptrdiff_t{area.left()} * 4;
    frame = QImage(bits, area.width(), area.height(), stride, QImage::Format_RGB32);
    return true;
}

void PipeWireStream::State::onProcess() {
    pw_buffer* newest = nullptr;
    // Only the newest picture matters: older ones waiting are given back at once.
    while (pw_buffer* b = pw_stream_dequeue_buffer(stream)) {
        readCursor(b->buffer);
        const spa_data& d = b->buffer->datas[0];
        if (b->buffer->n_datas < 1 || !d.chunk ||
            !BufferHasPicture(d.chunk->size, (d.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) != 0)) {
            pw_stream_queue_buffer(stream, b);
            continue;
        }
        addDamage(b->buffer);
        if (newest) pw_stream_queue_buffer(stream, newest);
        newest = b;
    }
    if (newest) {
        if (wrapPicture(newest)) {
            if (held) pw_stream_queue_buffer(stream, held);
            held = newest;
            ++frames;
        } else {
            pw_stream_queue_buffer(stream, newest);
        }
    }
}

PipeWireStream::PipeWireStream(std::uint32_t node, int remoteFd) : s_(std::make_unique<State>()) {
    initPipeWire();
    State& s = *s_;
    s.loop = pw_loop_new(nullptr);
    if (!s.loop) {
        s.end("no PipeWire loop");
        if (remoteFd >= 0) close(remoteFd);
        return;
    }
    s.context = pw_context_new(s.loop, nullptr, 0);
    s.core = !s.context ? nullptr
             : remoteFd >= 0 ? pw_context_connect_fd(s.context, remoteFd, nullptr, 0)
                             : pw_context_connect(s.context, nullptr, 0);
    if (!s.core) {
        s.end(std::strerror(errno));
        s.error = "cannot connect to PipeWire: " + s.error;
        return;
    }
    pw_core_add_listener(s.core, &s.coreListener, &kCoreEvents, &s);
    s.stream = pw_stream_new(s.core, "orvane",
                             pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                               PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!s.stream) {
        s.end("cannot create a PipeWire stream");
        return;
    }
    pw_stream_add_listener(s.stream, &s.streamListener, &kStreamEvents, &s);
    s.node = node;
    s.firstPictureTimer = pw_loop_add_timer(
        s.loop, [](void* d, std::uint64_t) { static_cast<State*>(d)->onFirstPictureLate(); }, &s);
    if (!s.connectStream()) {
        s.end("cannot connect to the PipeWire stream");
        return;
    }
    pw_loop_enter(s.loop);
    s.entered = true;
    s.notifier = std::make_unique<QSocketNotifier>(pw_loop_get_fd(s.loop), QSocketNotifier::Read);
    QObject::connect(s.notifier.get(), &QSocketNotifier::activated, [&s] { pw_loop_iterate(s.loop, 0); });
}

PipeWireStream::~PipeWireStream() {
    State& s = *s_;
    s.notifier.reset();
    s.frame = QImage();  // it may read the held buffer's memory
    if (s.stream) pw_stream_destroy(s.stream);
    if (s.core) pw_core_disconnect(s.core);
    if (s.context) pw_context_destroy(s.context);
    if (s.loop) {
        if (s.entered) pw_loop_leave(s.loop);
        pw_loop_destroy(s.loop);
    }
}

bool PipeWireStream::ok() const { return s_->stream && !s_->ended; }
const std::string& PipeWireStream::error() const { return s_->error; }
const QImage& PipeWireStream::frame() const { return s_->frame; }
const PipeWireStream::Cursor& PipeWireStream::cursor() const { return s_->cursor; }
int PipeWireStream::framesReceived() const { return s_->frames; }

MonitorChanges PipeWireStream::takeChanges() {
    MonitorChanges out{s_->changed, s_->allChanged};
    s_->changed = QRegion();
    s_->allChanged = false;
    return out;
}

bool PipeWireStream::waitForFirstFrame(int timeoutMs) {
    if (!s_->loop || !s_->notifier) return false;
    QElapsedTimer t;
    t.start();
    while (s_->frames == 0 && !s_->ended && t.elapsed() < timeoutMs)
        pw_loop_iterate(s_->loop, static_cast<int>(std::max<qint64>(1, timeoutMs - t.elapsed())));
    return s_->frames > 0;
}

}  // namespace orvane::platform::screencast
