#pragma once
// The 16 x 16 glyphs of the main window's tool bar, drawn at run time.
#include <QIcon>
#include <QPixmap>

namespace nox
{

enum class ToolGlyph {
    PrevDay,      // day view "前の日"
    PrevMonth,    // month view "前月"
    IncreaseDays, // day view "表示日数を増やす"
    ResetLines,   // month view "罫線を元の位置に戻す"
    DecreaseDays, // day view "表示日数を減らす"
    TimeStyle,    // month view "時間表示の切替"
    NextDay,
    NextMonth,
    Search,
    FreeMemo,
    GoToDate,
    Settings,
};

// The glyph on a transparent background.
QPixmap toolGlyph(ToolGlyph glyph);

} // namespace nox
