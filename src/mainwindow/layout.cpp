// The layout rules: the horizontal decision comes first, the vertical bar may
// then force a second horizontal check, and nothing is revisited after that.
#include "mainwindow/layout.h"

#include <algorithm>

#include "core/rounding.h"

namespace orvane {

namespace {

// Centring truncates toward zero, so an odd spare pixel goes right or down.
std::int32_t centred(double frameScale, std::int32_t view) { return R(frameScale - view) / 2; }

}  // namespace

LayoutResult ComputeLayout(const LayoutInput& in) {
    LayoutResult out;
    double availWidth = R(in.clientWidth);
    double availHeight = R(in.clientHeight - (in.toolBarVisible ? in.toolBarHeight : 0) -
                           (in.statusBarVisible ? in.statusBarHeight : 0));
    const double borderX = R(in.frameBorderX);
    const double borderY = R(in.frameBorderY);

    auto& h = out.scrX;
    auto& v = out.scrY;
    const double viewWidthTwips = in.viewWidth * in.twipsPerPixelX;
    const double viewHeightTwips = in.viewHeight * in.twipsPerPixelY;

    auto horizontalCheck = [&] {
        if (viewWidthTwips > availWidth - borderX) {
            h.enabled = true;
            h.visible = in.scrollBarOption;
            if (h.visible) availHeight -= in.scrXHeight;
            return true;
        }
        return false;
    };

    const bool horizontalNeeded = horizontalCheck();
    if (viewHeightTwips > availHeight - borderY) {
        v.enabled = true;
        v.visible = in.scrollBarOption;
        if (v.visible) {
            availWidth -= in.scrYWidth;
            if (!horizontalNeeded) horizontalCheck();
        }
    }

    // A frame too small for a negative size keeps its previous geometry.
    out.frame = in.frame;
    if (availWidth >= 0 && availHeight >= 0) {
        out.frame = {0, in.toolBarVisible ? in.toolBarHeight : 0, availWidth, availHeight};
    }
    out.frameScaleWidth = std::max(0.0, (out.frame.width - borderX) / in.twipsPerPixelX);
    out.frameScaleHeight = std::max(0.0, (out.frame.height - borderY) / in.twipsPerPixelY);

    if (h.enabled) {
        h.rect = {0, out.frame.top + out.frame.height, out.frame.width, in.scrXHeight};
        h.max = std::max(0, R(in.viewWidth - out.frameScaleWidth));
        h.value = std::clamp(in.scrXValue, 0, h.max);
        out.viewLeft = -h.value;
    } else {
        h.value = in.scrXValue;
        out.viewLeft = centred(out.frameScaleWidth, in.viewWidth);
    }
    if (v.enabled) {
        v.rect = {out.frame.width, out.frame.top, in.scrYWidth, out.frame.height};
        v.max = std::max(0, R(in.viewHeight - out.frameScaleHeight));
        v.value = std::clamp(in.scrYValue, 0, v.max);
        out.viewTop = -v.value;
    } else {
        v.value = in.scrYValue;
        out.viewTop = centred(out.frameScaleHeight, in.viewHeight);
    }
    return out;
}

bool ShouldRecordPlacement(std::int32_t formState, bool fullScreen, bool switchingFullScreen) {
    return formState != 0 && !fullScreen && !switchingFullScreen;
}

}  // namespace orvane
