// Dialog layouts are given in twips (1440 a logical inch); this turns them
// into the pixels of the screen the dialog is on.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>
#include <algorithm>

#include "core/rounding.h"

namespace orvane {

class Twips {
public:
    explicit Twips(const QWidget* w) {
        const QScreen* s = w->screen();
        perPixelX_ = s ? 1440.0 / s->logicalDotsPerInchX() : 15.0;
        perPixelY_ = s ? 1440.0 / s->logicalDotsPerInchY() : 15.0;
    }
    [[nodiscard]] int x(double twips) const { return R(twips / perPixelX_); }
    [[nodiscard]] int y(double twips) const { return R(twips / perPixelY_); }
    [[nodiscard]] QPoint point(double left, double top) const { return {x(left), y(top)}; }
    [[nodiscard]] QSize size(double width, double height) const { return {x(width), y(height)}; }
    [[nodiscard]] QRect rect(double left, double top, double width, double height) const {
        return {point(left, top), size(width, height)};
    }

private:
    double perPixelX_;
    double perPixelY_;
};

// The font of a dialog's notes: the layouts were made for tighter fonts than
// today's CJK fonts, and a point and a half smaller their lines fit.
inline QFont NoteFont(const QWidget* dialog) {
    QFont f = dialog->font();
    f.setPointSizeF(std::max(7.0, f.pointSizeF() - 1.5));
    return f;
}

}  // namespace orvane
