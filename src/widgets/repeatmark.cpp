#include "widgets/repeatmark.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace nox
{

int repeatMarkWidth(const QFontMetrics& fm)
{
    // The square is as high as a capital; the gap keeps it off the text.
    const int side = std::max(7, fm.capHeight() + 2);
    return side + std::max(2, fm.height() / 6);
}

void paintRepeatMark(QPainter& p, const QRect& box, const QColor& color)
{
    const qreal side = std::min(box.width(), box.height());
    if (side < 5) {
        return;
    }
    const QRectF square(box.left() + (box.width() - side) / 2.0, box.top() + (box.height() - side) / 2.0,
                        side, side);
    const qreal pen = std::max<qreal>(1.0, side / 8.0);
    // The circle stops short at the top right, where the arrowhead points
    // on clockwise.
    const QRectF ring = square.adjusted(pen, pen * 1.5, -pen * 1.5, -pen);
    QPainterPath arc;
    arc.arcMoveTo(ring, 60);
    arc.arcTo(ring, 60, 270);
    const QPointF tip = arc.currentPosition();
    const qreal head = side * 0.32;
    QPainterPath arrow;
    arrow.moveTo(tip + QPointF(-head, -head * 0.15));
    arrow.lineTo(tip + QPointF(head * 0.35, -head * 0.55));
    arrow.lineTo(tip + QPointF(head * 0.15, head * 0.75));
    arrow.closeSubpath();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, pen, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(arrow);
    p.restore();
}

} // namespace nox
