// Painting of a computed month layout; nothing here decides geometry.
#include "monthview/monthviewlayout_p.h"

#include "core/textline.h"

#include <QPainter>
#include <QPalette>

namespace nox::monthview
{

namespace
{

void fill(QPainter& p, const QRect& r, TColor color, const QPalette& palette)
{
    if (r.isValid()) {
        p.fillRect(r, toQColor(color, palette));
    }
}

// Four strips of width w inside r: left, bottom, right, top.
void frame(QPainter& p, const QRect& r, int w, TColor color, const QPalette& palette)
{
    if (!r.isValid() || w <= 0) {
        return;
    }
    const QColor c = toQColor(color, palette);
    p.fillRect(QRect(r.left(), r.top(), qMin(w, r.width()), r.height()), c);
    p.fillRect(QRect(r.left(), r.bottom() + 1 - qMin(w, r.height()), r.width(), qMin(w, r.height())), c);
    p.fillRect(QRect(r.right() + 1 - qMin(w, r.width()), r.top(), qMin(w, r.width()), r.height()), c);
    p.fillRect(QRect(r.left(), r.top(), r.width(), qMin(w, r.height())), c);
}

} // namespace

QFont scaledFont(const QFont& font, int percent)
{
    QFont f = font;
    if (f.pointSizeF() > 0) {
        f.setPointSizeF(f.pointSizeF() * percent / 100.0);
    } else if (f.pixelSize() > 0) {
        f.setPixelSize(qMax(1, f.pixelSize() * percent / 100));
    }
    return f;
}

void paintText(QPainter& p, const TextRun& run, const QFont& font, const QPalette& palette,
               const QColor& background, const TextGround* ground)
{
    if (run.text.isEmpty() || !run.rect.isValid()) {
        return;
    }
    QFont f = font;
    applyFontStyles(f, run.style);
    if (run.sizePercent != 100) {
        f = scaledFont(f, run.sizePercent);
    }
    p.setFont(f);
    const QColor color = toQColor(run.color, palette);
    p.setPen(background.isValid() ? readableOn(color, background) : color);
    drawClippedTextLine(p, run.rect, run.flags, run.text, ground); // single lines
}

void paintBackgroundAndGrid(QPainter& p, const MonthLayout& l, const QPalette& palette)
{
    fill(p, QRect(QPoint(0, 0), l.size), l.background, palette);
    if (l.headerVisible) {
        fill(p, l.header, l.headerColor, palette);
        fill(p, QRect(0, 0, l.size.width(), l.lineWidth), l.lineColor, palette);
    }
    if (l.lineWidth <= 0) {
        return;
    }
    const QColor line = toQColor(l.lineColor, palette);
    for (int x : l.grid.x) {
        p.fillRect(QRect(x, 0, l.lineWidth, l.size.height()), line);
    }
    for (int y : l.grid.y) {
        p.fillRect(QRect(0, y, l.size.width(), l.lineWidth), line);
    }
}

void paintHeader(QPainter& p, const MonthLayout& l, const QFont& font, const QPalette& palette)
{
    if (!l.headerVisible) {
        return;
    }
    // The weekdays lie on the bar's colour, below the top grid line and
    // between the upright ones.
    const QRect below(0, l.lineWidth, l.size.width(), l.header.height() - l.lineWidth);
    p.save();
    for (const TextRun& run : l.weekdays) {
        const TextGround ground{toQColor(l.headerColor, palette), run.rect & l.header & below};
        paintText(p, run, font, palette, QColor(), &ground);
    }
    p.restore();
}

void paintExpandMarker(QPainter& p, const QRect& box, const QPalette& palette)
{
    p.fillRect(box, Qt::black);
    const QRect inside = box.adjusted(1, 1, -1, -1);
    p.fillRect(inside, toQColor(clInfoBk, palette));
    const int l = inside.left();
    const int t = inside.top();
    // The triangle as pixel rows (1..7 wide, then 5, 3, 1), exact at any
    // device pixel ratio.
    for (int row = 0; row < 4; ++row) {
        p.fillRect(QRect(l + 1 + row, t + 1 + row, 7 - 2 * row, 1), Qt::black);
    }
    for (int dx : {9, 12, 15}) {
        p.fillRect(QRect(l + dx, t + 1, 2, 2), Qt::black);
    }
}

void paintBar(QPainter& p, const BarLayout& bar, const QFont& font, const QPalette& palette,
              const QList<QPixmap>* images)
{
    if (!bar.rect.isValid()) {
        return;
    }
    if (bar.fillBackground) {
        fill(p, bar.rect, bar.background, palette);
    }
    if (images && bar.imageIndex >= 0 && bar.imageIndex < images->size()) {
        p.save();
        p.setClipRect(bar.rect, Qt::IntersectClip);
        const QPixmap& pm = images->at(bar.imageIndex);
        const qreal ratio = pm.devicePixelRatio();
        const QRectF source(bar.imageSource.x() * ratio, bar.imageSource.y() * ratio,
                            bar.imageSource.width() * ratio, bar.imageSource.height() * ratio);
        p.drawPixmap(QRectF(bar.imageTarget), pm, source);
        p.restore();
    }
    const QColor background = bar.fillBackground ? toQColor(bar.background, palette) : QColor();
    // Each run has its own part of the filled bar (the frame comes after).
    const TextGround timeGround{background, bar.time.rect & bar.rect};
    const TextGround textGround{background, bar.text.rect & bar.rect};
    paintText(p, bar.time, font, palette, background, bar.fillBackground ? &timeGround : nullptr);
    paintText(p, bar.text, font, palette, background, bar.fillBackground ? &textGround : nullptr);
    frame(p, bar.rect, 1, bar.frameColor, palette);
    fill(p, bar.markRect, bar.markColor, palette);
}

void paintCell(QPainter& p, const CellLayout& c, const QFont& font, const QPalette& palette,
               const QList<QPixmap>* images)
{
    if (!c.inner.isValid()) {
        return;
    }
    p.save();
    p.setClipRect(c.inner, Qt::IntersectClip);
    fill(p, c.inner, c.background, palette);
    frame(p, c.todayFrame, c.todayLineWidth, c.todayColor, palette);
    fill(p, c.focusRect, c.focusColor, palette);
    // The day's texts lie on the cell's colour inside today's frame, or on
    // the focus colour within the focus rectangle. The holiday's name is
    // drawn first; the day number after it has a plain ground only when there
    // is no name.
    const int w = c.todayFrame.isValid() ? c.todayLineWidth : 0;
    const QRect inside = c.inner.adjusted(w, w, -w, -w);
    const TextGround ground = c.focusRect.isValid()
                                  ? TextGround{toQColor(c.focusColor, palette), c.focusRect & inside}
                                  : TextGround{toQColor(c.background, palette), inside};
    paintText(p, c.holiday, font, palette, QColor(), &ground);
    for (const TextRun* mark : {&c.seasonal, &c.lunar, &c.rokuyo}) {
        paintText(p, *mark, font, palette, QColor(), &ground);
    }
    paintText(p, c.dayText, font, palette, QColor(), c.holiday.text.isEmpty() ? &ground : nullptr);
    for (const BarLayout& bar : c.bars) {
        paintBar(p, bar, font, palette, images);
    }
    p.restore();
    // The marker reaches past the cell by the day-text margin.
    if (c.expandRect.isValid()) {
        paintExpandMarker(p, c.expandRect, palette);
    }
}

} // namespace nox::monthview
