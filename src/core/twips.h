// Dialog layouts are given in twips (1440 a logical inch); this turns them
// into the pixels of the screen the dialog is on, and makes the pieces the
// dialogs build alike (notes, the OK and キャンセル buttons).
#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>
#include <algorithm>
#include <array>

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

// A note in a dialog: wrapped, read from its top, in the notes' font.
inline QLabel* NoteLabel(QWidget* parent, const QString& text, const QRect& rect) {
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setFont(NoteFont(parent));
    l->setGeometry(rect);
    return l;
}

// "OK" (the default button) and "キャンセル", 1095 x 435 twips each, at `top`.
inline std::array<QPushButton*, 2> OkCancelButtons(QWidget* dialog, const Twips& t, double okLeft,
                                                   double cancelLeft, double top) {
    std::array<QPushButton*, 2> buttons{
        new QPushButton(QStringLiteral("OK"), dialog),
        new QPushButton(QCoreApplication::translate("orvane::OkCancelButtons", "キャンセル"), dialog)};
    buttons[0]->setGeometry(t.rect(okLeft, top, 1095, 435));
    buttons[1]->setGeometry(t.rect(cancelLeft, top, 1095, 435));
    buttons[0]->setDefault(true);
    return buttons;
}

}  // namespace orvane
