// A plain X client of the benchmark server, apart from Orvane's connections:
// it puts known pictures on the watched monitors and runs the client-side way
// of mirroring (SHM GetImage, scale with Qt, SHM PutImage) as a baseline.
#pragma once

#include <xcb/xcb.h>

#include <QImage>
#include <QRect>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::bench {

class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    [[nodiscard]] bool ok() const { return ok_; }
    // Waits until the server has handled everything sent so far.
    void sync();
    // An override-redirect window at rect whose background is image.
    void showImage(const QRect& rect, const QImage& image);
    // Fills a rectangle of the screen (through any window there), another
    // colour each time, as an application redrawing it would. With wait,
    // returns once the server has drawn it.
    void changeArea(const QRect& screenRect, bool wait);

    // Client-side mirroring of one frame: the monitor's rectangle source is read
    // into shared memory, scaled with QImage::scaled to the view's size (only the
    // part that shows: visible, of the zoomed size) and written into a window.
    struct Mirror {
        QRect source;  // the watched monitor on the screen
        double zoom = 1;
        QSize visible;  // the part of the zoomed picture that shows
        bool smooth = false;
    };
    // A window of the visible size for the frames to go to; false when SHM is missing.
    bool beginMirror(const Mirror& m);
    void mirrorFrame();
    void endMirror();

private:
    struct Segment {
        std::uint32_t seg = 0;
        int id = -1;
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
    };
    bool attach(Segment& s, std::size_t bytes);
    void detach(Segment& s);

    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    bool ok_ = false;
    std::vector<xcb_window_t> windows_;
    Segment in_, out_;
    Mirror m_;
    xcb_window_t target_ = 0;
    xcb_gcontext_t gc_ = 0;
    xcb_gcontext_t pixelGc_ = 0;
    std::uint32_t pixelColour_ = 0;
};

// A picture with colour blocks, gradients and one-pixel stripes, so a wrong
// scale or offset would show and no region is uniform.
QImage testPicture(QSize size);

}  // namespace orvane::bench
