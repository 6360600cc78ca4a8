#pragma once
// Frames of one-pixel lines: the sunken frame of panels (status panels, the
// date banner, the clock), shadow along the top and left edges, highlight
// along the bottom and right ones; and the two-pixel panel frame around the
// day columns and the month grid. Each gives the pixels a one-pixel pen's
// lines through the edge pixels give, at any whole-number device pixel ratio.
//
// Drawn as filled rectangles, which the raster engine fills a row at a time,
// where a line is put down a pixel at a time.
#include <QColor>
#include <QRect>

class QPalette;

class QPainter;

namespace nox
{

// The line from `a` to `b` (a horizontal or a vertical one of two pixels or
// more, ends included) with a one-pixel pen of `color`: what
// QPainter::drawLine(a, b) draws.
void fillEdgeLine(QPainter& p, const QPoint& a, const QPoint& b, const QColor& color);

// The frame of `r` (two pixels or more each way): top and left in `shadow`,
// bottom and right in `light` (drawn last, so the two corners they share are
// light).
void drawSunkenFrame(QPainter& p, const QRect& r, const QColor& shadow, const QColor& light);

// The two-pixel frame of a QFrame::WinPanel around `r` (the frame's
// frameRect()), sunken or raised, in the palette's Dark, Light, Shadow and
// Midlight colours: the pixels the style draws for it, lines one device
// pixel wide.
void drawWinPanel(QPainter& p, const QRect& r, const QPalette& palette, bool sunken);

} // namespace nox
