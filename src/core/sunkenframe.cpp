#include "core/sunkenframe.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QRectF>

namespace nox
{

// A one-pixel pen's line covers half a pixel either side of the line through
// the pixel centres and, with its square caps, half a pixel beyond each end:
// at a ratio of 1 the pixels themselves, at 2 the device pixels from one
// before the scaled position.
void fillEdgeLine(QPainter& p, const QPoint& a, const QPoint& b, const QColor& color)
{
    const QRect pixels(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())),
                       QPoint(qMax(a.x(), b.x()), qMax(a.y(), b.y())));
    p.fillRect(QRectF(pixels).translated(-0.5, -0.5), color);
}

void drawSunkenFrame(QPainter& p, const QRect& r, const QColor& shadow, const QColor& light)
{
    fillEdgeLine(p, r.topLeft(), r.topRight(), shadow);
    fillEdgeLine(p, r.topLeft(), r.bottomLeft(), shadow);
    fillEdgeLine(p, r.bottomLeft(), r.bottomRight(), light);
    fillEdgeLine(p, r.topRight(), r.bottomRight(), light);
}

namespace
{

// Two sides of one ring that meet at `corner`: from `from` to the corner and
// on to `to`.
void fillCorner(QPainter& p, const QPoint& from, const QPoint& corner, const QPoint& to, const QColor& color)
{
    fillEdgeLine(p, from, corner, color);
    fillEdgeLine(p, corner, to, color);
}

} // namespace

// Outer ring first, then the inner one; each ring's top-left half before its
// bottom-right half, which ends one pixel short of the top-left corners. The
// lines are one device pixel wide at any ratio, as the style draws them.
void drawWinPanel(QPainter& p, const QRect& r, const QPalette& palette, bool sunken)
{
    const qreal ratio = p.device() ? p.device()->devicePixelRatio() : 1.0;
    int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    p.save();
    if (ratio != 1.0) {
        p.scale(1 / ratio, 1 / ratio);
        x = qRound(ratio * x);
        y = qRound(ratio * y);
        w = int(ratio * w);
        h = int(ratio * h);
    }
    if (w >= 2 && h >= 2) {
        const auto color = [&](QPalette::ColorRole sunkenRole, QPalette::ColorRole raisedRole) {
            return palette.color(sunken ? sunkenRole : raisedRole);
        };
        fillCorner(p, QPoint(x, y + h - 2), QPoint(x, y), QPoint(x + w - 2, y),
                   color(QPalette::Dark, QPalette::Light));
        fillCorner(p, QPoint(x, y + h - 1), QPoint(x + w - 1, y + h - 1), QPoint(x + w - 1, y),
                   color(QPalette::Light, QPalette::Shadow));
        if (w > 4 && h > 4) {
            fillCorner(p, QPoint(x + 1, y + h - 3), QPoint(x + 1, y + 1), QPoint(x + w - 3, y + 1),
                       color(QPalette::Shadow, QPalette::Midlight));
            fillCorner(p, QPoint(x + 1, y + h - 2), QPoint(x + w - 2, y + h - 2), QPoint(x + w - 2, y + 1),
                       color(QPalette::Midlight, QPalette::Dark));
        }
    }
    p.restore();
}

} // namespace nox
