#pragma once
// Appearance of the month view (nox::monthview::TView; unrelated to the day
// view's TView). Every setter stores only a real change and then fires
// OnChange, which the owning control answers with a repaint.
#include "core/color.h"
#include "widgets/viewlook.h"
#include "monthview/monthviewtopbar.h"

#include <QString>
#include <functional>

namespace nox::monthview
{

// How an entry bar shows its times: none, "9:00", or "9:00-10:30".
enum TMonthTimeViewStyle { mtvNone, mtvStart, mtvSpan };

class TView
{
public:
    // dayTextColor: the owning control's font colour, taken as the colour of
    // DayTextFont.
    explicit TView(TColor dayTextColor = clWindowText);
    TView(const TView&) = delete;
    TView& operator=(const TView&) = delete;

    TMonthViewTopBar& TopBar() { return m_topBar; }
    const TMonthViewTopBar& TopBar() const { return m_topBar; }

    int LineWidth() const { return m_lineWidth; }
    // Values below 0 are taken as 0.
    void SetLineWidth(int value) { store(m_lineWidth, qMax(0, value)); }
    TColor LineColor() const { return m_lineColor; }
    void SetLineColor(TColor value) { store(m_lineColor, value); }
    int DayTextMargin() const { return m_dayTextMargin; }
    void SetDayTextMargin(int value) { store(m_dayTextMargin, value); }
    // Date patterns of nox::formatDateTime: d"日" and, for cell 0 and the two
    // 1sts shown, m/d"日".
    QString DayTextFormat() const { return m_dayTextFormat; }
    void SetDayTextFormat(const QString& value) { store(m_dayTextFormat, value); }
    QString DayTextFormat_Point() const { return m_dayTextFormatPoint; }
    void SetDayTextFormat_Point(const QString& value) { store(m_dayTextFormatPoint, value); }
    TViewFont& DayTextFont() { return m_dayTextFont; }
    const TViewFont& DayTextFont() const { return m_dayTextFont; }
    TColor TodayColor() const { return m_todayColor; }
    void SetTodayColor(TColor value) { store(m_todayColor, value); }
    int TodayLineWidth() const { return m_todayLineWidth; }
    void SetTodayLineWidth(int value) { store(m_todayLineWidth, value); }
    TColor WeekDayBKColor() const { return m_weekDayBKColor; }
    void SetWeekDayBKColor(TColor value) { store(m_weekDayBKColor, value); }
    TColor SundayBKColor() const { return m_sundayBKColor; }
    void SetSundayBKColor(TColor value) { store(m_sundayBKColor, value); }
    TColor SaturdayBKColor() const { return m_saturdayBKColor; }
    void SetSaturdayBKColor(TColor value) { store(m_saturdayBKColor, value); }
    TColor OtherMonthBKColor() const { return m_otherMonthBKColor; }
    void SetOtherMonthBKColor(TColor value) { store(m_otherMonthBKColor, value); }
    TColor WeekDayFGColor() const { return m_weekDayFGColor; }
    void SetWeekDayFGColor(TColor value) { store(m_weekDayFGColor, value); }
    TColor SundayFGColor() const { return m_sundayFGColor; }
    void SetSundayFGColor(TColor value) { store(m_sundayFGColor, value); }
    TColor SaturdayFGColor() const { return m_saturdayFGColor; }
    void SetSaturdayFGColor(TColor value) { store(m_saturdayFGColor, value); }
    TColor OtherMonthFGColor() const { return m_otherMonthFGColor; }
    void SetOtherMonthFGColor(TColor value) { store(m_otherMonthFGColor, value); }
    TColor FocusColor() const { return m_focusColor; }
    void SetFocusColor(TColor value) { store(m_focusColor, value); }
    TViewFont& FocusFont() { return m_focusFont; }
    const TViewFont& FocusFont() const { return m_focusFont; }
    TMonthTimeViewStyle TimeViewStyle() const { return m_timeViewStyle; }
    void SetTimeViewStyle(TMonthTimeViewStyle value) { store(m_timeViewStyle, value); }
    TColor HolidayBKColor() const { return m_holidayBKColor; }
    void SetHolidayBKColor(TColor value) { store(m_holidayBKColor, value); }
    TColor HolidayFGColor() const { return m_holidayFGColor; }
    void SetHolidayFGColor(TColor value) { store(m_holidayFGColor, value); }
    TColor ItemFrameColor() const { return m_itemFrameColor; }
    void SetItemFrameColor(TColor value) { store(m_itemFrameColor, value); }
    int MarkWidth() const { return m_markWidth; }
    void SetMarkWidth(int value) { store(m_markWidth, value); }
    TColor MarkColor() const { return m_markColor; }
    void SetMarkColor(TColor value) { store(m_markColor, value); }

    // Copies every property, the header's colour, font, alignment, layout
    // and height included but not its visibility; fires OnChange once.
    void Assign(const TView& source);

    std::function<void()> OnChange;

private:
    template <class T> void store(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            changed();
        }
    }
    void changed();

    int m_silent = 0; // > 0 while Assign copies
    TMonthViewTopBar m_topBar;
    int m_lineWidth = 1;
    TColor m_lineColor = 0x00C0C0C0;
    int m_dayTextMargin = 1;
    QString m_dayTextFormat = QStringLiteral("d\"日\"");
    QString m_dayTextFormatPoint = QStringLiteral("m/d\"日\"");
    TViewFont m_dayTextFont;
    TColor m_todayColor = 0x00FF8000;
    int m_todayLineWidth = 3;
    TColor m_weekDayBKColor = 0x00FFFFFF;
    TColor m_sundayBKColor = 0x00DDDDFF;
    TColor m_saturdayBKColor = 0x00FFF2D7;
    TColor m_otherMonthBKColor = 0x00E1E1E1;
    TColor m_weekDayFGColor = 0x00000000;
    TColor m_sundayFGColor = 0x000000FF;
    TColor m_saturdayFGColor = 0x00FF0000;
    TColor m_otherMonthFGColor = 0x00808080;
    TColor m_focusColor = clHighlight;
    TViewFont m_focusFont;
    TMonthTimeViewStyle m_timeViewStyle = mtvNone;
    TColor m_holidayBKColor = 0x00B0FFFF;
    TColor m_holidayFGColor = 0x000000FF;
    TColor m_itemFrameColor = 0x00000000;
    int m_markWidth = 4;
    TColor m_markColor = 0x00FF8000;
};

} // namespace nox::monthview
