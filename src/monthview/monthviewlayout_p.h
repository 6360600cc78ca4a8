#pragma once
// Computed geometry of one month view repaint: everything paintEvent needs,
// as plain data in client coordinates. Built by TCustomMonthView from its
// model; read by the painting functions only.
#include "core/color.h"
#include "core/textline.h"
#include "monthview/monthviewgeometry.h"

#include <QFont>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>

class QPainter;
class QPalette;

namespace nox::monthview
{

// A text drawn on one line, clipped to its rectangle.
struct TextRun {
    QRect rect;
    QString text;
    int flags = 0; // Qt::Alignment | Qt::TextSingleLine
    TColor color = clBlack;
    TFontStyles style = 0;
    int sizePercent = 100; // of the control's font
};

struct BarLayout {
    int item = -1;
    QRect rect; // R: the bar's filled rectangle
    bool fillBackground = true;
    TColor background = clInfoBk;
    TColor frameColor = clBlack;
    QRect markRect; // memo mark, empty when none
    QRect repeatRect; // repeat mark at the right end, empty unless an occurrence
    TColor markColor = clBlack;
    int imageIndex = -1; // drawn when >= 0
    QRect imageTarget;
    QRect imageSource; // in the image's own (logical) pixels
    TextRun time;
    TextRun text;
};

struct CellLayout {
    QRect inner;
    TColor background = clWhite;
    QRect todayFrame; // empty when not today
    int todayLineWidth = 0;
    TColor todayColor = clBlack;
    QRect focusRect; // empty when neither selected nor drop target
    TColor focusColor = clHighlight;
    TextRun holiday;
    // The calendar marks (koyomi::Mark), empty runs when off.
    TextRun seasonal;
    TextRun lunar;
    TextRun rokuyo;
    // How much lower the bars start for the line under the date row that
    // the seasonal name takes; 0 when the name shares the date row.
    int nameLineHeight = 0;
    TextRun dayText;
    QList<BarLayout> bars;
    QRect expandRect; // empty when none
    int firstItem = -1;
};

struct MonthLayout {
    QSize size;
    TColor background = clWhite;
    Grid grid;
    int lineWidth = 1;
    TColor lineColor = clSilver;
    bool headerVisible = true;
    QRect header;
    TColor headerColor = clBtnFace;
    std::array<TextRun, kColCount> weekdays;
    std::array<CellLayout, kCellCount> cells;
};

// Painting of a computed layout. `font` is the control's font (styles come
// from the runs); `images` may be nullptr. paintBar and paintText leave the
// font and pen of their last text set; the others leave the painter as they
// found it.
void paintBackgroundAndGrid(QPainter& p, const MonthLayout& layout, const QPalette& palette);
void paintHeader(QPainter& p, const MonthLayout& layout, const QFont& font, const QPalette& palette);
void paintCell(QPainter& p, const CellLayout& cell, const QFont& font, const QPalette& palette,
               const QList<QPixmap>* images);
void paintBar(QPainter& p, const BarLayout& bar, const QFont& font, const QPalette& palette,
              const QList<QPixmap>* images);
void paintExpandMarker(QPainter& p, const QRect& box, const QPalette& palette);
// `font` at `percent` of its size (point or pixel).
QFont scaledFont(const QFont& font, int percent);
// The width in logical pixels of a calendar mark's small text (六曜, old
// date) as paintCell draws it: its characters' widths rounded each.
int markTextWidth(const QString& text, const QFont& font);
// With a valid `background`, a colour too faint on it is drawn in a readable
// shade of its hue (readableOn). `ground`, when given, is the plain colour the
// run lies on (a run drawn again on it is copied from a kept picture). The
// run is clipped to its rectangle.
void paintText(QPainter& p, const TextRun& run, const QFont& font, const QPalette& palette,
               const QColor& background = QColor(), const TextGround* ground = nullptr);

} // namespace nox::monthview
