#include "monthview/view.h"

namespace nox::monthview
{

TView::TView(TColor dayTextColor) : m_dayTextFont(dayTextColor, fsBold), m_focusFont(clHighlightText, fsBold)
{
    m_topBar.OnChange = [this] { changed(); };
    m_dayTextFont.OnChange = [this] { changed(); };
    m_focusFont.OnChange = [this] { changed(); };
}

void TView::Assign(const TView& s)
{
    ++m_silent;
    const bool visible = m_topBar.Visible();
    m_topBar.Assign(s.m_topBar);
    m_topBar.SetVisible(visible);
    SetLineWidth(s.m_lineWidth);
    SetLineColor(s.m_lineColor);
    SetDayTextMargin(s.m_dayTextMargin);
    SetDayTextFormat(s.m_dayTextFormat);
    SetDayTextFormat_Point(s.m_dayTextFormatPoint);
    m_dayTextFont.Assign(s.m_dayTextFont);
    SetTodayColor(s.m_todayColor);
    SetTodayLineWidth(s.m_todayLineWidth);
    SetWeekDayBKColor(s.m_weekDayBKColor);
    SetSundayBKColor(s.m_sundayBKColor);
    SetSaturdayBKColor(s.m_saturdayBKColor);
    SetOtherMonthBKColor(s.m_otherMonthBKColor);
    SetWeekDayFGColor(s.m_weekDayFGColor);
    SetSundayFGColor(s.m_sundayFGColor);
    SetSaturdayFGColor(s.m_saturdayFGColor);
    SetOtherMonthFGColor(s.m_otherMonthFGColor);
    SetFocusColor(s.m_focusColor);
    m_focusFont.Assign(s.m_focusFont);
    SetTimeViewStyle(s.m_timeViewStyle);
    SetHolidayBKColor(s.m_holidayBKColor);
    SetHolidayFGColor(s.m_holidayFGColor);
    SetItemFrameColor(s.m_itemFrameColor);
    SetMarkWidth(s.m_markWidth);
    SetMarkColor(s.m_markColor);
    --m_silent;
    if (OnChange) {
        OnChange();
    }
}

void TView::changed()
{
    if (m_silent > 0) {
        return;
    }
    if (OnChange) {
        OnChange();
    }
}

} // namespace nox::monthview
