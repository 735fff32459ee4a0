// Simple line drawings: two monitors, arrows, a pointer, a frame.
#include "dialogs/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSvgRenderer>
#include <functional>

namespace orvane {
namespace {

QIcon draw(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        paint(p);
        icon.addPixmap(pixmap);
    }
    return icon;
}

void monitor(QPainter& p, const QRectF& r, const QColor& screen) {
    p.setPen(QPen(QColor(40, 40, 48), 1.0));
    p.setBrush(screen);
    p.drawRoundedRect(r, 1, 1);
    p.drawLine(QPointF(r.center().x(), r.bottom()), QPointF(r.center().x(), r.bottom() + 2));
}

}  // namespace

QIcon ReloadIcon() {
    return draw([](QPainter& p) {
        monitor(p, {1.5, 3.5, 13, 9}, QColor(120, 170, 230));
        p.setPen(QPen(Qt::white, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 5, 6, 6), 30 * 16, 280 * 16);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(10.5, 4.5), QPointF(12.5, 7.5), QPointF(9, 7.5)}));
    });
}

QIcon ResolutionIcon() {
    return draw([](QPainter& p) {
        monitor(p, {1.5, 3.5, 13, 9}, QColor(150, 200, 150));
        p.setPen(QPen(QColor(30, 60, 30), 1.2));
        p.drawLine(QPointF(4, 8), QPointF(12, 8));
        p.drawLine(QPointF(4, 8), QPointF(6, 6.5));
        p.drawLine(QPointF(4, 8), QPointF(6, 9.5));
        p.drawLine(QPointF(12, 8), QPointF(10, 6.5));
        p.drawLine(QPointF(12, 8), QPointF(10, 9.5));
    });
}

QIcon PursuitIcon() {
    return draw([](QPainter& p) {
        QPainterPath arrow;
        arrow.moveTo(4, 2);
        arrow.lineTo(4, 13);
        arrow.lineTo(6.8, 10.4);
        arrow.lineTo(8.8, 14.5);
        arrow.lineTo(10.6, 13.6);
        arrow.lineTo(8.6, 9.6);
        arrow.lineTo(12.2, 9.6);
        arrow.closeSubpath();
        p.setPen(QPen(Qt::black, 1.0));
        p.setBrush(Qt::white);
        p.drawPath(arrow);
        p.setPen(QPen(QColor(220, 60, 60), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4, 2), 2.5, 2.5);
    });
}

QIcon FullScreenIcon() {
    return draw([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 48), 1.4));
        p.setBrush(Qt::NoBrush);
        const QPointF corners[4][3] = {{{2, 6}, {2, 2}, {6, 2}},
                                       {{10, 2}, {14, 2}, {14, 6}},
                                       {{14, 10}, {14, 14}, {10, 14}},
                                       {{6, 14}, {2, 14}, {2, 10}}};
        for (const auto& c : corners) p.drawPolyline(c, 3);
        p.fillRect(QRectF(5, 5, 6, 6), QColor(120, 170, 230));
    });
}

QIcon ProgramIcon() {
    QIcon icon;
    QSvgRenderer svg(QStringLiteral(":/orvane/orvane.svg"));
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        svg.render(&p);
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace orvane
