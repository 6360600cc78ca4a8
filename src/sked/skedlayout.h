#pragma once
// Plain geometry of a day column, computed by the layout and only read by
// painting and hit tests. Coordinates are logical pixels of the column's
// client area (the picture).
#include "sked/skedtypes.h"

#include <QFont>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

namespace nox::sked
{

// Text wrapped into a width the way item texts are: at word boundaries,
// inside words when a word is wider than the line, at line breaks.
struct WrappedText {
    QStringList lines;
    int width = 0;  // widest line
    int height = 0; // lines x line height
};
// width: the space for the text (margins already taken off); lineHeight:
// the row height, so that n lines are exactly n rows. Only a bounded start of
// a long text is laid out (kMaxWrappedChars, kMaxWrappedLines); the last
// line of a text cut short ends in "…". The item keeps its whole text.
// Called on the GUI thread only (its results are kept for the next call).
WrappedText wrapText(const QString& text, const QFont& font, int width, int lineHeight);
// More than a day column can usefully show: a longer text would only cost
// layout and painting time for rows nobody scrolls through.
constexpr qsizetype kMaxWrappedChars = 4096;
constexpr int kMaxWrappedLines = 96;
// Row height of a font: text height plus external leading, at least 1.
int rowHeightOf(const QFont& font);

// Left and right margin inside every text rectangle.
constexpr int textMargin = 2;

struct SkedBlock {
    int item = -1; // index in Items
    int level = 0;
    QRect blockRect; // the item's BlockRect
    QRect textRect;  // where the first text line starts (below the image)
    QStringList textLines;
    bool hasImage = false;
    QPoint imagePos;
    QRect repeatRect; // repeat mark right of the first text line, empty unless an occurrence
    // time bar: filled when the item spans several lines
    bool hasBar = false; // laid out and its rows known
    bool fillBar = false;
    QRect bar;
    QRect startStub;
    bool hasEndHandle = false;
    QRect endStub;
};

struct SkedCaptionCell {
    int line = -1;
    int row = -1;
    QRect rect; // caption rectangle in the ruler
    bool highlight = false;
};

struct SkedLayout {
    QSize picture;
    QRect view;
    QRect topBar;
    QRect leftBar;
    int rowHeight = 1;
    int topRow = 0;
    int visibleRows = 0;
    int imageRows = 1;
    QList<TSkedRow> rows;
    QList<SkedBlock> blocks;         // one per laid-out item, in item order
    QList<SkedCaptionCell> captions; // visible ruler captions
    bool drawContent = false;        // visible rows and something to show

    // Top of row r (may lie outside the picture).
    int rowTop(int row) const { return view.top() + (row - topRow) * rowHeight; }
    // Row at a client y; -1 above the rows or at/after RowCount.
    int rowAt(int y) const;
    // Block of an item index, nullptr when not laid out.
    const SkedBlock* blockOf(int item) const;
};

} // namespace nox::sked
