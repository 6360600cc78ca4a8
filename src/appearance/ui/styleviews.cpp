#include "appearance/ui/styleviews.h"

#include <QPainter>
#include <QPainterPath>

#include "core/screenfont.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "widgets/datebanner.h"

namespace nox
{

void ApplyStyleToDayView(sked::TSkedControl& day, const TStyle& st)
{
    sked::TView& v = day.View();
    day.setColor(st.Color);
    const QFont font = StyleFont(st);
    day.setFont(font);
    QPalette pal = day.palette();
    pal.setColor(QPalette::WindowText, toQColor(st.FontColor, pal));
    pal.setColor(QPalette::Text, toQColor(st.FontColor, pal));
    day.setPalette(pal);
    v.FocusStyle().setColor(st.ViewFocusStyleColor);
    v.FocusStyle().Font().setColor(st.ViewFocusStyleFontColor);
    v.setLineColor(st.ViewLineColor);
    v.setLineWidth(st.ViewLineWidth);
    v.LeftBar().setColor(st.ViewLeftBarColor);
    v.LeftBar().Font().setColor(st.ViewLeftBarFontColor);
    v.LeftBar().setLineColor(st.ViewLeftBarLineColor);
    v.LeftBar().setHighlightColor(st.ViewHighlightColor);
    v.TopBar().setColor(st.ViewTopBarColor);
    v.TopBar().Font().setColor(st.ViewTopBarFontColor);
    const QFont columnFont = day.Skeds(0) ? day.Skeds(0)->font() : font;
    v.LeftBar().setWidth(LeftBarWidthFor(columnFont));
    v.TopBar().setHeight(HeaderHeightFor(columnFont));
}

void ApplyStyleToMonthView(monthview::TMonthView& month, const TStyle& st, const QPalette& textPalette)
{
    monthview::TView* mv = month.View();
    mv->SetWeekDayBKColor(st.Color);
    month.setFont(StyleFont(st));
    month.SetFontColor(st.FontColor);
    month.setPalette(textPalette);
    mv->SetFocusColor(st.ViewFocusStyleColor);
    mv->FocusFont().setColor(st.ViewFocusStyleFontColor);
    mv->SetSundayBKColor(st.DayKind.SundayBKColor);
    mv->SetSaturdayBKColor(st.DayKind.SaturdayBKColor);
    mv->SetHolidayBKColor(st.DayKind.HolidayBKColor);
    mv->SetSundayFGColor(st.DayKind.SundayFGColor);
    mv->SetSaturdayFGColor(st.DayKind.SaturdayFGColor);
    mv->SetHolidayFGColor(st.DayKind.HolidayFGColor);
    mv->SetWeekDayFGColor(st.WeekDayFGColor);
    mv->DayTextFont().setColor(st.WeekDayFGColor);
    mv->SetTodayColor(st.TodayColor);
    mv->SetLineColor(st.MVLineColor);
    mv->SetLineWidth(st.MVLineWidth);
    mv->TopBar().SetColor(st.MVTopBarColor);
    mv->TopBar().Font().setColor(st.MVTopBarFontColor);
    mv->SetOtherMonthBKColor(st.MVOtherColor);
    mv->SetOtherMonthFGColor(st.MVOtherFontColor);
    mv->SetItemFrameColor(st.SkedFrameColor);
    mv->SetMarkColor(st.MVMarkColor);
    month.SetColSizing(st.LineSizing);
    month.SetRowSizing(st.LineSizing);
    month.SetColRate(st.ColWidth);
}

void ApplyStyleToHeader(TDateBanner& header, const TStyle& st)
{
    header.setVisible(st.HeaderVisible);
    header.setColor(st.HeaderBKColor);
    QFont font(screenFamily(st.FontName));
    font.setPointSize(qMax(1, st.HeaderFontSize1));
    font.setBold(true);
    header.setFont(font);
    header.setTextColor(st.HeaderFGColor);
    header.setSecondFontSize(st.HeaderFontSize2);
}

void PaintDayMemoMark(QPainter& p, const QRect& rect, const QColor& color)
{
    QPainterPath triangle;
    triangle.moveTo(rect.right() + 1, rect.top());
    triangle.lineTo(rect.right() + 1 - 8, rect.top());
    triangle.lineTo(rect.right() + 1, rect.top() + 8);
    triangle.closeSubpath();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(triangle, color);
    p.restore();
}

} // namespace nox
