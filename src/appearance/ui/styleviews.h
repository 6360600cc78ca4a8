#pragma once
// A style applied to the real view controls, in the steps of applying a
// style (the caller holds both views in update mode around them, so each
// repaints once). Used by the main window and by the previews of the
// settings and style dialogs, so both show a style alike.
#include <QColor>
#include <QPalette>

#include "appearance/style.h"

class QPainter;
class QRect;

namespace nox
{

class TDateBanner;

namespace sked
{
class TSkedControl;
}
namespace monthview
{
class TMonthView;
}

// The day view's colour, font, focus, line, ruler and header-band values,
// then the ruler width and header height derived from the first column's
// font. The day view's palette takes the font colour for its texts.
void ApplyStyleToDayView(sked::TSkedControl& day, const TStyle& style);
// What the month view takes over from the day view (weekday background,
// font, focus colours, the day-kind colours) and its own keys, with the
// sizing switches and the column rates. `textPalette` (the day view's)
// resolves system text colours to the style's font colour.
void ApplyStyleToMonthView(monthview::TMonthView& month, const TStyle& style, const QPalette& textPalette);
// Visibility, colours, font (the day view's face, bold) and second size.
void ApplyStyleToHeader(TDateBanner& header, const TStyle& style);

// The corner mark of a month-view day that has a day memo: an 8-pixel
// triangle in the top right corner of the cell's rectangle.
void PaintDayMemoMark(QPainter& painter, const QRect& cell, const QColor& color);

} // namespace nox
