// Live capture of one output, through image copy capture where the
// compositor offers it and the wlroots screencopy otherwise: frames land in
// shared memory the compositor writes into, one frame always requested so a
// new picture arrives as soon as the output changes and a still output costs
// nothing. The latest complete frame is read in place, without a copy.
#pragma once

#include <QImage>
#include <QObject>
#include <QRegion>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/monitors.h"

struct wl_buffer;
struct zwlr_screencopy_frame_v1;
struct ext_image_capture_source_v1;
struct ext_image_copy_capture_session_v1;
struct ext_image_copy_capture_frame_v1;

namespace orvane::platform::wayland {

class Connection;

// A wl_buffer over a memory file the compositor writes frames into.
class ShmBuffer {
public:
    ShmBuffer() = default;
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;
    // Makes it hold frames of this shape; false when memory cannot be had.
    bool fit(Connection& c, std::uint32_t format, int width, int height, int stride);
    [[nodiscard]] wl_buffer* buffer() const { return buffer_; }
    [[nodiscard]] const uchar* bits() const { return static_cast<const uchar*>(data_); }
    [[nodiscard]] std::uint32_t format() const { return format_; }
    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] int stride() const { return stride_; }

private:
    void release();
    wl_buffer* buffer_ = nullptr;
    void* data_ = nullptr;
    std::size_t size_ = 0;
    std::uint32_t format_ = 0;
    int width_ = 0, height_ = 0, stride_ = 0;
};

// The picture of a frame in memory of format `format` (a wl_shm format), as
// an image of RGB32 pixels. Shares the memory when the format allows (the
// common XRGB8888/ARGB8888), converts otherwise; null for formats Orvane
// cannot read. y_invert turns it upright.
QImage frameImage(const uchar* bits, std::uint32_t format, int width, int height, int stride, bool yInvert);

class OutputCapture {
public:
    // Starts capturing the output named `output`; withCursor draws the
    // compositor's pointer into the frames.
    OutputCapture(Connection& c, std::string output, bool withCursor);
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Waits (reading the connection) until a first frame has arrived or failed.
    bool waitForFirstFrame(int timeoutMs);
    // The latest complete frame in the output's logical size; a null image
    // before the first and once the output is gone.
    [[nodiscard]] const QImage& frame() const { return frame_; }
    // What changed since the previous call, in the frame's pixels.
    [[nodiscard]] MonitorChanges takeChanges();
    [[nodiscard]] bool gone() const { return gone_; }
    // Frames received so far (for tests and measurements).
    [[nodiscard]] int framesReceived() const { return frames_; }
    // Whether the frames come through image copy capture (else screencopy).
    [[nodiscard]] bool usesImageCopyCapture() const { return copyCapture_; }

    struct Events;
    struct CopyCaptureEvents;

private:
    void request();
    void onBuffer(std::uint32_t format, int width, int height, int stride);
    void onBufferDone();
    void onDamage(const QRect& r);
    void onReady();
    void onFailed();
    void endFrame();
    // Image copy capture
    void startSession();
    void requestCopyCaptureFrame();
    void onSessionDone();
    void onCopyCaptureFailed(std::uint32_t reason);
    void onStopped();

    Connection& c_;
    std::string outputName_;
    bool withCursor_;
    Rect logical_;
    std::array<ShmBuffer, 2> buffers_;
    int shown_ = -1;  // the buffer frame_ reads; the other is written next
    zwlr_screencopy_frame_v1* pending_ = nullptr;
    bool bufferOffered_ = false;
    std::uint32_t format_ = 0;
    int width_ = 0, height_ = 0, stride_ = 0;
    bool yInvert_ = false;
    bool firstDone_ = false;
    int target_ = 0;  // the buffer the pending frame is written into
    QRegion frameDamage_;
    QImage frame_;
    QRegion changed_;
    bool allChanged_ = true;
    bool gone_ = false;
    int frames_ = 0;
    int failuresInARow_ = 0;
    // Image copy capture: the session, its frame, the buffer constraints, and
    // for each buffer what changed on the output since it was last written
    // (the compositor writes only what changed since the previous frame).
    bool copyCapture_ = false;
    ext_image_capture_source_v1* source_ = nullptr;
    ext_image_copy_capture_session_v1* session_ = nullptr;
    ext_image_copy_capture_frame_v1* copyFrame_ = nullptr;
    std::vector<std::uint32_t> offeredFormats_;
    bool constraintsKnown_ = false;
    std::array<QRegion, 2> stale_;
    QObject timers_;  // ends a pending retry with the capture
};

}  // namespace orvane::platform::wayland
