// Pure arithmetic of the X11 backend (see x11_math.h); no X calls here.
#include "platform/x11/x11_math.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace orvane::platform::x11 {

double exactRefreshRate(std::uint32_t dotClock, std::uint32_t htotal, std::uint32_t vtotal, bool interlace,
                        bool doubleScan) {
    if (dotClock == 0 || htotal == 0 || vtotal == 0) return 0;
    double v = static_cast<double>(vtotal);
    if (interlace) v /= 2.0;
    if (doubleScan) v *= 2.0;
    return static_cast<double>(dotClock) / (static_cast<double>(htotal) * v);
}

std::uint32_t refreshRate(std::uint32_t dotClock, std::uint32_t htotal, std::uint32_t vtotal, bool interlace,
                          bool doubleScan) {
    return static_cast<std::uint32_t>(
        std::lround(exactRefreshRate(dotClock, htotal, vtotal, interlace, doubleScan)));
}

HalvingPlan halvingPlan(QSize source, QSize destination) {
    HalvingPlan plan;
    auto passes = [](int src, int dst) {
        int n = 0;
        // Halve while the final step would still shrink below 50 %.
        while (dst > 0 && src > 1 && 2 * dst < src) {
            src = (src + 1) / 2;
            ++n;
        }
        return n;
    };
    plan.passesX = passes(source.width(), destination.width());
    plan.passesY = passes(source.height(), destination.height());
    return plan;
}

QSize halvedSize(QSize size, bool halveX, bool halveY) {
    return {halveX ? (size.width() + 1) / 2 : size.width(), halveY ? (size.height() + 1) / 2 : size.height()};
}

bool bilinearStaysInside(int src, int dst) {
    if (dst <= 0 || dst >= src) return false;
    // The last sample lies (s - 1) / 2 inside the far edge, s = src / dst; the
    // fixed-point scale may be off by 2^-17 per pixel, the offset by 2^-16.
    const double s = static_cast<double>(src) / dst;
    return 0.5 * (s - 1.0) > dst / 131072.0 + 1.0 / 65536.0;
}

StretchMap stretchMap(const QRect& dstRect, const QRect& srcRect, const QRect& drawn, QPointF srcOrigin,
                      QPointF levelScale) {
    StretchMap m;
    const double sx = static_cast<double>(srcRect.width()) / dstRect.width();
    const double sy = static_cast<double>(srcRect.height()) / dstRect.height();
    m.x.scale = sx / levelScale.x();
    m.y.scale = sy / levelScale.y();
    m.x.offset = (srcOrigin.x() + srcRect.x() + (drawn.x() - dstRect.x()) * sx) / levelScale.x();
    m.y.offset = (srcOrigin.y() + srcRect.y() + (drawn.y() - dstRect.y()) * sy) / levelScale.y();
    return m;
}

QRect sourceNeeded(const QRect& dstRect, const QRect& srcRect, const QRect& drawn, int margin) {
    const double sx = static_cast<double>(srcRect.width()) / dstRect.width();
    const double sy = static_cast<double>(srcRect.height()) / dstRect.height();
    const int left = static_cast<int>(std::floor(srcRect.x() + (drawn.x() - dstRect.x()) * sx)) - margin;
    const int top = static_cast<int>(std::floor(srcRect.y() + (drawn.y() - dstRect.y()) * sy)) - margin;
    const int right =
        static_cast<int>(std::ceil(srcRect.x() + (drawn.x() + drawn.width() - dstRect.x()) * sx)) + margin;
    const int bottom =
        static_cast<int>(std::ceil(srcRect.y() + (drawn.y() + drawn.height() - dstRect.y()) * sy)) + margin;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(srcRect);
}

std::int32_t toFixed(double v) {
    const double f = std::round(v * 65536.0);
    if (f >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (f <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(f);
}

namespace {
// Spreads a channel of any width over 0..255.
std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1U) == 0) ++shift;
    const std::uint32_t m = mask >> shift;
    const std::uint32_t v = (pixel & mask) >> shift;
    return m == 0xff ? v : (v * 255U + m / 2) / m;
}
}  // namespace

void convertZPixmap(const std::uint8_t* data, int width, int height, int stride, const PixelLayout& layout,
                    QImage& dst, QPoint dstPos) {
    const QRect target = QRect(dstPos, QSize(width, height)).intersected(dst.rect());
    if (target.isEmpty()) return;
    const bool plain32 = layout.bitsPerPixel == 32 && layout.lsbFirst && layout.redMask == 0xff0000 &&
                         layout.greenMask == 0xff00 && layout.blueMask == 0xff;
    const int bytes = layout.bitsPerPixel / 8;
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const std::uint8_t* row = data + static_cast<std::ptrdiff_t>(y - dstPos.y()) * stride;
        auto* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = target.left(); x <= target.right(); ++x) {
            const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x - dstPos.x()) * bytes;
            if (plain32) {
                // The padding byte of depth 24 is undefined; RGB32 needs it 0xff.
                out[x] = 0xff000000U | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
                continue;
            }
            std::uint32_t pixel = 0;
            for (int b = 0; b < bytes; ++b) {
                const int shift = layout.lsbFirst ? 8 * b : 8 * (bytes - 1 - b);
                pixel |= std::uint32_t{p[b]} << shift;
            }
            out[x] = qRgb(static_cast<int>(channel(pixel, layout.redMask)),
                          static_cast<int>(channel(pixel, layout.greenMask)),
                          static_cast<int>(channel(pixel, layout.blueMask)));
        }
    }
}

std::vector<RegisteredMode> parseRegisteredModes(std::string_view text) {
    std::vector<RegisteredMode> out;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        RegisteredMode m;
        std::string mode, size, rate;
        if (!(words >> m.output >> mode >> size >> rate)) continue;
        unsigned long id = 0, w = 0, h = 0, hz = 0;
        char x = 0;
        if (std::sscanf(mode.c_str(), "mode=%lu", &id) != 1) continue;
        if (std::sscanf(size.c_str(), "size=%lu%c%lu", &w, &x, &h) != 3 || x != 'x') continue;
        if (std::sscanf(rate.c_str(), "rate=%lu", &hz) != 1) continue;
        m.modeId = static_cast<std::uint32_t>(id);
        m.width = static_cast<std::uint32_t>(w);
        m.height = static_cast<std::uint32_t>(h);
        m.frequency = static_cast<std::uint32_t>(hz);
        auto same = std::find_if(out.begin(), out.end(),
                                 [&](const RegisteredMode& o) { return o.output == m.output; });
        if (same != out.end())
            *same = m;
        else
            out.push_back(m);
    }
    return out;
}

void setRegisteredMode(std::vector<RegisteredMode>& modes, const RegisteredMode& mode) {
    auto it = std::find_if(modes.begin(), modes.end(),
                           [&](const RegisteredMode& x) { return x.output == mode.output; });
    if (it != modes.end())
        *it = mode;
    else
        modes.push_back(mode);
}

std::string formatRegisteredModes(const std::vector<RegisteredMode>& modes) {
    std::ostringstream s;
    for (const RegisteredMode& m : modes) {
        s << m.output << " mode=" << m.modeId << " size=" << m.width << 'x' << m.height
          << " rate=" << m.frequency << '\n';
    }
    return s.str();
}

QSize screenSizeFor(const std::vector<QRect>& crtcs) {
    int w = 1, h = 1;
    for (const QRect& r : crtcs) {
        if (r.isEmpty()) continue;
        w = std::max(w, r.x() + r.width());
        h = std::max(h, r.y() + r.height());
    }
    return {w, h};
}

}  // namespace orvane::platform::x11
