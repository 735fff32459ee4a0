// Live capture of one output. The protocol is chosen in one place
// (captureOutput): image copy capture where the compositor offers it, the
// wlroots screencopy otherwise. Both let the compositor write frames into shared
// memory, keep one frame always requested so a new picture arrives as soon as
// the output changes and a still output costs nothing, and read the latest
// complete frame in place, without a copy.
#pragma once

#include <QImage>
#include <QObject>
#include <QRegion>
#include <array>
#include <memory>
#include <string>

#include "platform/monitors.h"

struct wl_buffer;

namespace orvane::platform::wayland {

class Connection;

// What the monitors read of a capture, whatever carries its frames.
class OutputCapture {
public:
    virtual ~OutputCapture() = default;
    // Waits (reading the connection) until a first frame has arrived or failed.
    virtual bool waitForFirstFrame(int timeoutMs) = 0;
    // The latest complete frame in the output's logical size; a null image
    // before the first and once the output is gone.
    [[nodiscard]] virtual const QImage& frame() const = 0;
    // What changed since the previous call, in the frame's pixels.
    [[nodiscard]] virtual MonitorChanges takeChanges() = 0;
    [[nodiscard]] virtual bool gone() const = 0;
    // Frames received so far (for tests and measurements).
    [[nodiscard]] virtual int framesReceived() const = 0;
};

// Starts capturing the output named `output` with the best protocol the
// compositor offers; withCursor draws the compositor's pointer into the frames.
std::unique_ptr<OutputCapture> captureOutput(Connection& c, std::string output, bool withCursor);
// One protocol each (image_copy_capture.cpp, screencopy_capture.cpp).
std::unique_ptr<OutputCapture> imageCopyCapture(Connection& c, std::string output, bool withCursor);
std::unique_ptr<OutputCapture> screencopyCapture(Connection& c, std::string output, bool withCursor);

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

// What both protocols share: two buffers written in turn (one shown, the
// other written next), the frame being written, and the changes since the
// last look.
class ShmCapture : public OutputCapture {
public:
    ShmCapture(Connection& c, std::string output, bool withCursor);
    ShmCapture(const ShmCapture&) = delete;
    ShmCapture& operator=(const ShmCapture&) = delete;

    bool waitForFirstFrame(int timeoutMs) override;
    [[nodiscard]] const QImage& frame() const override { return frame_; }
    [[nodiscard]] MonitorChanges takeChanges() override;
    [[nodiscard]] bool gone() const override { return gone_; }
    [[nodiscard]] int framesReceived() const override { return frames_; }

protected:
    // Asks for the next frame.
    virtual void request() = 0;
    // Shows the frame just written into buffers_[target_]; damageKnown when
    // the protocol reports what changed. Returns whether the whole frame counts
    // as changed.
    bool show(bool damageKnown);
    // The output went away: no picture from now on.
    void lose();
    // Asks again a little later rather than in a tight loop, later still
    // after more failures in a row.
    void retryLater();
    void onDamage(const QRect& r) { frameDamage_ += r; }

    Connection& c_;
    std::string outputName_;
    bool withCursor_;
    Rect logical_;
    std::array<ShmBuffer, 2> buffers_;
    int shown_ = -1;  // the buffer frame_ reads; the other is written next
    int target_ = 0;  // the buffer the pending frame is written into
    std::uint32_t format_ = 0;
    int width_ = 0, height_ = 0, stride_ = 0;
    bool yInvert_ = false;
    bool firstDone_ = false;
    QRegion frameDamage_;
    int failuresInARow_ = 0;

private:
    QImage frame_;
    QRegion changed_;
    bool allChanged_ = true;
    bool gone_ = false;
    int frames_ = 0;
    QObject timers_;  // ends a pending retry with the capture
};

}  // namespace orvane::platform::wayland
