#pragma once
// The small mark both views draw beside a schedule that comes from a repeat
// rule: a circle of arrow, sized with the text it stands beside.
#include <QColor>
#include <QRect>

class QFontMetrics;
class QPainter;

namespace nox
{

// Width the mark takes beside a line of text in this font, its gap before
// the text included; the mark itself is a square of the font's height less
// the gap.
int repeatMarkWidth(const QFontMetrics& fm);

// Draws the mark centred in box (the square of the box's shorter side),
// in color. Leaves the painter's state as it found it.
void paintRepeatMark(QPainter& p, const QRect& box, const QColor& color);

} // namespace nox
