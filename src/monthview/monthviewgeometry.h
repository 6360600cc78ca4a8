#pragma once
// Pure geometry of the month grid: month frame, rate texts, pixel shares,
// hit tests and border moves. No widgets; coordinates are client pixels with
// exclusive right and bottom edges.
#include <QDate>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>

namespace nox::monthview
{

constexpr int kColCount = 7;
constexpr int kRowCount = 6;
constexpr int kCellCount = kColCount * kRowCount;
// Least width of a column (height of a row) that border dragging leaves.
constexpr int kMinCellSize = 7;

// The 6-week frame of a month; weeks start on Sunday.
struct MonthFrame {
    QDate firstOfMonth;
    int firstCell = 0; // cell of the 1st (its weekday, Sunday = 0)
    int endCell = 0;   // first cell after the month

    QDate cellDate(int cell) const { return firstOfMonth.addDays(cell - firstCell); }
    // Whole days from the date of cell 0 to date (may lie outside 0..41).
    int cellOfDate(const QDate& date) const { return int(cellDate(0).daysTo(date)); }
    bool inMonth(int cell) const { return cell >= firstCell && cell < endCell; }
};
MonthFrame monthFrame(const QDate& anyDayOfMonth);

// Reads "2,3,3,3,3,3,2" into `count` rates: missing ones are 0, an empty or
// non-numeric piece counts 1, negative pieces count 0, extra pieces are
// ignored.
QList<int> parseRate(const QString& text, int count);
// The rates as decimal numbers joined by ",".
QString rateText(const QList<int>& rates);

// Splits `total` pixels by the rates: each part gets total * rate / sum and
// the remainder total - sum(parts) - lineWidth is spread one pixel at a time
// from the first part on, so the parts add up to total - lineWidth. Rates
// without a positive sum share equally.
QList<int> distribute(const QList<int>& rates, int total, int lineWidth);

// The grid lines: x[0..7] and y[0..6] (left/top edges of the line bars).
struct Grid {
    std::array<int, kColCount + 1> x{};
    std::array<int, kRowCount + 1> y{};
};
Grid makeGrid(const QList<int>& colRates, const QList<int>& rowRates, int width, int height, int top,
              int lineWidth);

// The cell under p, or a negative value when p is on a grid line, in the
// header or outside the grid.
int cellAt(const Grid& grid, const QPoint& p, int lineWidth);

// Zero-based bar slot under p in cell row `row`, or -1 above the first bar.
int barSlotAt(const Grid& grid, int row, const QPoint& p, int lineHeight, int dayTextMargin);

// The sizing of the grid lines with the mouse (TCustomMonthView::SizingState).
// A press in a hover state of a border makes it Pressed..., the first move
// then Moving...; a press in a zoom zone zooms at once.
enum class TSizingState {
    None = 0,
    HoverCrossing = 1, // the pointer is on a crossing of a row and a column border
    HoverRow = 2,      // on a row border
    HoverColumn = 3,   // on a column border
    PressedCrossing = 4,
    PressedRow = 5,
    PressedColumn = 6,
    MovingCrossing = 7,
    MovingRow = 8,
    MovingColumn = 9,
    ZoomColumn = 10, // in the strip along the top or bottom edge
    ZoomRow = 11,    // in the strip along the left or right edge
};

// The pressed (from a hover state) or moving (from a pressed state) state of
// the same border.
constexpr TSizingState nextSizingState(TSizingState state)
{
    return TSizingState(int(state) + 3);
}
constexpr bool isSizingHover(TSizingState state)
{
    return state >= TSizingState::HoverCrossing && state <= TSizingState::HoverColumn;
}

// Hover classification for the sizing cursors: None, a hover state or a
// zoom zone.
struct HoverZone {
    TSizingState state = TSizingState::None;
    int column = 0; // 1..7 for states 1, 3, 10
    int row = 0;    // 1..6 for states 1, 2, 11
};
HoverZone hoverZone(const Grid& grid, const QPoint& p, int lineWidth, int width, int height, bool colSizing,
                    bool rowSizing);

// Moves border `index` (1..n-1) of the boundaries b[0..n] to `pos`, pushing
// neighbours so that every part keeps kMinCellSize pixels; `floor` is b[0]'s
// lowest position (0, or the header height for rows) and `extent` the client
// width or height. Returns the n resulting part sizes.
QList<int> moveBorder(QList<int> bounds, int index, int pos, int floor, int extent, int lineWidth);

// The texts of a cell's date row with the calendar marks on, left to right:
// [holiday][seasonal] ... [lunar][rokuyo][day number]. The day number keeps
// its place at the right; the 六曜 goes left of it when it fits whole; the
// holiday name and then the seasonal name share what is left from the left
// edge (the caller elides them to their rectangles; a name narrower than
// `minName` pixels is left out); the old date ("旧3/15") is shown only
// where it fits whole in what is still free. Widths of 0 mean "no such
// text". The rectangles returned lie inside `row`, never overlap each other
// or the day number's, and are empty for texts left out.
struct DateRowWidths {
    int day = 0;
    int holiday = 0;
    int seasonal = 0;
    int lunar = 0;
    int rokuyo = 0;
};
struct DateRow {
    QRect day, holiday, seasonal, lunar, rokuyo;
};
DateRow layoutDateRow(const QRect& row, const DateRowWidths& widths, int gap, int minName);

// Rates that zoom one part (1-based) to extent - 7 * (n - 1) pixels and the
// others to 7.
QList<int> zoomRates(int count, int zoomed, int extent);

} // namespace nox::monthview
