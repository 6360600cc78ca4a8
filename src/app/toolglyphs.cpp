#include "app/toolglyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace nox
{

namespace
{

const QColor kInk(0x30, 0x40, 0x60);
const QColor kAccent(0x20, 0x70, 0xD0);

void arrow(QPainter& p, bool left, bool doubled)
{
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    const int offsets[2] = {doubled ? 2 : 4, 8};
    for (int i = 0; i < (doubled ? 2 : 1); ++i) {
        const int x = offsets[i];
        QPainterPath path;
        if (left) {
            path.moveTo(x + 6, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 6, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 6, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        p.drawPath(path);
    }
}

void columns(QPainter& p, int count, bool plus)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 9, 11));
    for (int i = 1; i < count; ++i) {
        const double x = 1.5 + 9.0 * i / count;
        p.drawLine(QPointF(x, 2.5), QPointF(x, 13.5));
    }
    p.setPen(QPen(plus ? QColor(0x10, 0x90, 0x30) : QColor(0xC0, 0x30, 0x30), 2));
    p.drawLine(QPointF(11, 8), QPointF(15, 8));
    if (plus) {
        p.drawLine(QPointF(13, 6), QPointF(13, 10));
    }
}

void grid(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    for (int i = 1; i < 3; ++i) {
        p.drawLine(QPointF(1.5 + 13.0 * i / 3, 2.5), QPointF(1.5 + 13.0 * i / 3, 13.5));
        p.drawLine(QPointF(1.5, 2.5 + 11.0 * i / 3), QPointF(14.5, 2.5 + 11.0 * i / 3));
    }
    p.setPen(QPen(kAccent, 2));
    p.drawArc(QRectF(5, 5, 6, 6), 30 * 16, 300 * 16);
}

void clockFace(QPainter& p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(kAccent, 1.6));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void magnifier(QPainter& p)
{
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(0xE0, 0xF0, 0xFF));
    p.drawEllipse(QRectF(2, 2, 8, 8));
    p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
}

void note(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xFF, 0xF4, 0xA0));
    QPainterPath page;
    page.moveTo(2.5, 1.5);
    page.lineTo(13.5, 1.5);
    page.lineTo(13.5, 10.5);
    page.lineTo(9.5, 14.5);
    page.lineTo(2.5, 14.5);
    page.closeSubpath();
    p.drawPath(page);
    for (int y = 5; y <= 11; y += 3) {
        p.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
    }
}

void calendar(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.fillRect(QRectF(2, 3, 12, 3), QColor(0xD0, 0x40, 0x40));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 4; ++c) {
            p.drawRect(QRectF(3 + c * 3, 7.5 + r * 3, 2, 2));
        }
    }
}

void gear(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.translate(8, 8);
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-1.5, -7.5, 3, 4));
        p.rotate(45);
    }
    p.drawEllipse(QRectF(-5.5, -5.5, 11, 11));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(-2.2, -2.2, 4.4, 4.4));
}

} // namespace

QPixmap toolGlyph(ToolGlyph glyph)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case ToolGlyph::PrevDay:
        arrow(p, true, false);
        break;
    case ToolGlyph::PrevMonth:
        arrow(p, true, true);
        break;
    case ToolGlyph::NextDay:
        arrow(p, false, false);
        break;
    case ToolGlyph::NextMonth:
        arrow(p, false, true);
        break;
    case ToolGlyph::IncreaseDays:
        columns(p, 3, true);
        break;
    case ToolGlyph::DecreaseDays:
        columns(p, 2, false);
        break;
    case ToolGlyph::ResetLines:
        grid(p);
        break;
    case ToolGlyph::TimeStyle:
        clockFace(p);
        break;
    case ToolGlyph::Search:
        magnifier(p);
        break;
    case ToolGlyph::FreeMemo:
        note(p);
        break;
    case ToolGlyph::GoToDate:
        calendar(p);
        break;
    case ToolGlyph::Settings:
        gear(p);
        break;
    }
    return pm;
}

} // namespace nox
