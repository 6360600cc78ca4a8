#pragma once
// Shared set-up of the month view tests.
#include "monthview/monthview.h"

#include <QDate>
#include <QPoint>
#include <QTime>
#include <memory>

namespace mvtest
{

using namespace nox;
using namespace nox::monthview;

// Japanese fonts from Noto, a fixed 12-pixel font for the views.
void setUpFonts();

// A shown, exposed view of the month of `current`, client area `size`,
// today fixed to `today` (default: 10 March 2026).
std::unique_ptr<TMonthView> makeView(const QDate& current, const QSize& size = QSize(700, 520),
                                     const QDate& today = QDate(2026, 3, 10));

TMonthViewItem* addItem(TCustomMonthView& view, const QDate& day, const QTime& start, const QTime& end,
                        const QString& text);

// Widget coordinates of a client point.
QPoint w(const TCustomMonthView& view, const QPoint& client);
// A point inside the bar of item `index`.
QPoint barPoint(const TCustomMonthView& view, int index);
// Pointer moves without a button (hover).
void hover(TCustomMonthView& view, const QPoint& client);
// A full double click: press, release, double-click press, release.
void doubleClick(TCustomMonthView& view, const QPoint& client);

// Colour of a client pixel as painted at the given pixel ratio.
QImage render(TCustomMonthView& view, qreal ratio = 1.0);
QColor pixel(const QImage& image, const TCustomMonthView& view, const QPoint& client);

// Saves a PNG of the widget into $NOX_TEST_SHOTS (when set) at 1x and 2x.
void shot(QWidget& widget, const QString& name);

} // namespace mvtest
