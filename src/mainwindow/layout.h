// The main window's layout computed without touching a widget: where the
// frame and the scroll bars go, which bars are needed, their ranges, and
// where the view sits inside the frame (scrolled or centred). frmMain applies
// the result in one place.
#pragma once

#include <cstdint>

namespace orvane {

// A control's rectangle in twips (left, top, width, height).
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

struct ScrollBarLayout {
    bool enabled = false;
    bool visible = false;
    TwipsRect rect;          // only meaningful when enabled
    std::int32_t max = 0;    // pixels; only set when enabled
    std::int32_t value = 0;  // kept inside 0..max
};

struct LayoutInput {
    double clientWidth = 0;   // twips
    double clientHeight = 0;  // twips
    bool toolBarVisible = false;
    double toolBarHeight = 0;
    bool statusBarVisible = false;
    double statusBarHeight = 0;
    bool scrollBarOption = true;  // AppState.ScrollBar
    double scrXHeight = 0;        // twips
    double scrYWidth = 0;         // twips
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;

    // The frame as it stands: a move it cannot take keeps this.
    TwipsRect frame;
    double frameBorderX = 0;  // twips, both sides together
    double frameBorderY = 0;

    std::int32_t viewWidth = 0;  // pixels
    std::int32_t viewHeight = 0;
    std::int32_t scrXValue = 0;  // current scroll positions
    std::int32_t scrYValue = 0;
};

struct LayoutResult {
    TwipsRect frame;
    double frameScaleWidth = 0;  // frame's inner size in pixels
    double frameScaleHeight = 0;
    ScrollBarLayout scrX;
    ScrollBarLayout scrY;
    std::int32_t viewLeft = 0;  // pixels in the frame, may be negative
    std::int32_t viewTop = 0;
};

LayoutResult ComputeLayout(const LayoutInput& in);

// Whether the layout records the window's placement now.
bool ShouldRecordPlacement(std::int32_t formState, bool fullScreen, bool switchingFullScreen);

}  // namespace orvane
