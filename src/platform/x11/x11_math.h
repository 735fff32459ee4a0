// Pure arithmetic of the X11 backend, free of any X call so it can be tested
// alone: refresh rates, rectangle choice and clamping, stretch transforms,
// pixel conversion and the text form of the registered display modes.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"

namespace orvane::platform::x11 {

// Vertical refresh of a mode in Hz, rounded to the nearest integer; 0 when the
// timings are unknown. Interlaced modes show twice the fields, double-scanned half.
std::uint32_t refreshRate(std::uint32_t dotClock, std::uint32_t htotal, std::uint32_t vtotal, bool interlace,
                          bool doubleScan);
// The same, unrounded (what desktops store and match modes by).
double exactRefreshRate(std::uint32_t dotClock, std::uint32_t htotal, std::uint32_t vtotal, bool interlace,
                        bool doubleScan);


// How many exact 50 % passes each axis takes before the final bilinear step,
// so that the final step never shrinks below half: area averaging, no aliasing.
struct HalvingPlan {
    int passesX = 0;
    int passesY = 0;
    [[nodiscard]] int passes() const { return passesX > passesY ? passesX : passesY; }
};
HalvingPlan halvingPlan(QSize source, QSize destination);
// The size after one pass: each axis that still halves goes to ceil(n / 2).
QSize halvedSize(QSize size, bool halveX, bool halveY);

// True when bilinear sampling of a run of src pixels shrunk to dst pixels
// stays inside the run, with room for the 16.16 rounding of the transform.
// Enlarging always samples half a pixel past both ends.
bool bilinearStaysInside(int src, int dst);

// Source point = destination pixel centre * scale + offset, per axis; what a
// RENDER picture transform does for a Composite with a zero source offset.
struct AxisMap {
    double scale = 1.0;
    double offset = 0.0;
};
struct StretchMap {
    AxisMap x;
    AxisMap y;
};
// Maps the part `drawn` of the destination rectangle dstRect (both in the
// same coordinates) onto srcRect. levelScale divides the result, for sampling
// an image that was already halved that many times per axis.
StretchMap stretchMap(const QRect& dstRect, const QRect& srcRect, const QRect& drawn, QPointF srcOrigin = {},
                      QPointF levelScale = {1.0, 1.0});
// The pixels of srcRect that drawing the part `drawn` of dstRect samples,
// grown by margin on every side and kept inside srcRect.
QRect sourceNeeded(const QRect& dstRect, const QRect& srcRect, const QRect& drawn, int margin);
// 16.16 fixed point, saturated to the type's range.
std::int32_t toFixed(double v);

// Describes how an X image stores one pixel.
struct PixelLayout {
    int bitsPerPixel = 32;
    std::uint32_t redMask = 0xff0000;
    std::uint32_t greenMask = 0xff00;
    std::uint32_t blueMask = 0xff;
    bool lsbFirst = true;
};
// Copies a ZPixmap image into dst (RGB32) at dstPos; rows of `stride` bytes.
void convertZPixmap(const std::uint8_t* data, int width, int height, int stride, const PixelLayout& layout,
                    QImage& dst, QPoint dstPos);

// The registered mode of one output, kept on the root window between runs.
struct RegisteredMode {
    std::string output;
    std::uint32_t modeId = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t frequency = 0;
    friend bool operator==(const RegisteredMode&, const RegisteredMode&) = default;
};
// One line per output: "NAME mode=ID size=WxH rate=HZ"; unreadable lines are skipped.
std::vector<RegisteredMode> parseRegisteredModes(std::string_view text);
std::string formatRegisteredModes(const std::vector<RegisteredMode>& modes);
// Makes `mode` its output's entry (a parsed list holds one per output):
// replaces the one there is, or adds it.
void setRegisteredMode(std::vector<RegisteredMode>& modes, const RegisteredMode& mode);

// The screen size RandR needs for these CRTC rectangles (their bounding box
// from the origin), at least 1 x 1.
QSize screenSizeFor(const std::vector<QRect>& crtcs);

}  // namespace orvane::platform::x11
