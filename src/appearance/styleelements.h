#pragma once
// The elements of the style dialog's list: one line per element, section
// titles beginning with "--". Each element names the style value its colour
// button sets and the further controls shown while it is selected. Several
// captions differ only by a trailing blank ("背景色" / "背景色 "); they are
// different elements and are told apart by that blank.
#include <QString>

#include "appearance/style.h"

namespace nox
{

// Controls shown beside the colour button (bits).
enum TStyleElementControl : unsigned {
    secNone = 0,
    secFontName = 1,       // one font name for the day view, the month view and the header
    secFontSize = 2,       // day view and month view font size
    secHeaderFontSize = 4, // header font size
    secSecondSize = 8,     // the header's second size (today's date)
    secHeaderVisible = 16, // "表示する"
    secDayLineWidth = 32,  // day view line width
    secHalfFormat = 64,    // "30分表示は省略形で表示する"
    secMonthLineWidth = 128,
    secSizing = 256, // "マウスで変更可能にする" and "列幅の比率を初期値にする"
};

enum class TStyleColorAccess {
    None,          // no colour: the colour button is disabled, a double click does nothing
    Button,        // colour button and double click
    DoubleClickOnly // only a double click opens the colour dialog
};

struct TStyleElement {
    QString caption;
    bool title = false;
    TStyleColorAccess color = TStyleColorAccess::None;
    unsigned controls = secNone;
};

int StyleElementCount();
// Element `index` (0 .. count - 1); the first is the title "--------共通".
const TStyleElement& StyleElement(int index);
// Index of the element with exactly this caption (trailing blank included), -1 when none.
int StyleElementIndex(const QString& caption);
// The style value the element's colour sets; nullptr for elements without colour.
TColor* StyleElementColor(TStyle& style, int index);
TColor StyleElementColorValue(const TStyle& style, int index);

} // namespace nox
