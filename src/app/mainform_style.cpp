// TNoxMainForm: applying a style of "style.ini" to the live views.
#include "app/clockpanel.h"
#include "app/datebanner.h"
#include "app/daymode.h"
#include "app/mainform.h"
#include "app/statuspanels.h"
#include "appearance/ui/styleviews.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "widgets/noxmemo.h"

namespace nox
{

// The current look as a style, so that keys missing from the file keep it.
TStyle TNoxMainForm::currentStyle() const
{
    TStyle st;
    sked::TView& v = m_sked->View();
    st.HeaderVisible = m_banner->isVisibleTo(m_viewArea);
    st.HeaderBKColor = m_banner->color();
    st.HeaderFGColor = m_banner->textColor();
    st.HeaderFontSize1 = m_banner->font().pointSize();
    st.HeaderFontSize2 = m_banner->secondFontSize();
    st.Color = m_sked->Color();
    st.FontColor = m_viewFontColor;
    st.FontSize = m_sked->font().pointSize() > 0 ? m_sked->font().pointSize() : st.FontSize;
    // The name the style gave, not the face it is drawn with (screenFamily).
    st.FontName = m_styleFontName.isEmpty() ? m_sked->font().family() : m_styleFontName;
    st.ViewFocusStyleColor = v.FocusStyle().Color();
    st.ViewFocusStyleFontColor = v.FocusStyle().Font().Color();
    st.ViewLineColor = v.LineColor();
    st.ViewLineWidth = v.LineWidth();
    st.ViewLeftBarColor = v.LeftBar().Color();
    st.ViewLeftBarFontColor = v.LeftBar().Font().Color();
    st.ViewLeftBarLineColor = v.LeftBar().LineColor();
    st.ViewHighlightColor = v.LeftBar().HighlightColor();
    st.ViewTopBarColor = v.TopBar().Color();
    st.ViewTopBarFontColor = v.TopBar().Font().Color();
    st.DayKind = m_dayKindColors;
    const monthview::TView* mv = m_month->View();
    st.WeekDayFGColor = mv->WeekDayFGColor();
    st.TodayColor = mv->TodayColor();
    st.MVLineColor = mv->LineColor();
    st.MVLineWidth = mv->LineWidth();
    st.MVTopBarColor = mv->TopBar().Color();
    st.MVTopBarFontColor = mv->TopBar().Font().Color();
    st.MVOtherColor = mv->OtherMonthBKColor();
    st.MVOtherFontColor = mv->OtherMonthFGColor();
    st.SkedFrameColor = mv->ItemFrameColor();
    st.MVMarkColor = mv->MarkColor();
    st.LineSizing = m_month->ColSizing();
    st.ColWidth = m_month->ColRate();
    return st;
}

void TNoxMainForm::ApplyStyle(int index)
{
    TStyle st = currentStyle();
    const int styleIndex = qBound(0, index, 2);
    const TStyleReadResult read = ReadStyle(st, styleIndex);
    noteStyleProblem(read, styleIndex);
    applyStyleValues(st);
}

// A style file that is there but does not hold the style, or holds values
// that are none, is told: the window shows the default looks instead.
void TNoxMainForm::noteStyleProblem(const TStyleReadResult& read, int index)
{
    if (!read.fileFound || (read.sectionFound && read.badKeys.isEmpty())) {
        return;
    }
    const QString path = StyleFilePath(false);
    const QString section = StyleSectionName(index);
    const QString what =
        read.sectionFound
            ? QStringLiteral("ファイル「%1」の「%2」の次の値は読めません: %3")
                  .arg(path, section, read.badKeys.join(u'、'))
            : QStringLiteral("ファイル「%1」にスタイル「%2」が見つかりません。").arg(path, section);
    NoteLoadProblem(path + section + read.badKeys.join(u','),
                    what + QStringLiteral("\nそこは既定の見た目で表示します。"));
}

// In the documented order, with both views held in update mode.
void TNoxMainForm::applyStyleValues(const TStyle& st)
{
    m_sked->BeginUpdate();
    m_month->Items()->BeginUpdate();

    // 1. day view, 3. its derived sizes
    m_viewFontColor = st.FontColor;
    m_styleFontName = st.FontName;
    ApplyStyleToDayView(*m_sked, st);
    // 2. the kinds of day
    m_dayKindColors = st.DayKind;
    // 4. month view taken over from the day view, 5. its own keys
    ApplyStyleToMonthView(*m_month, st, m_sked->palette());
    // 6. date banner
    ApplyStyleToHeader(*m_banner, st);

    for (int i = 0; i < m_month->Items()->Count(); ++i) {
        m_month->Items()->Item(i)->SetColor(m_dayKindColors.SkedBKColor);
    }
    m_month->Items()->EndUpdate();
    m_sked->EndUpdate();
    m_dayMode->colorColumns();
    m_mode->preparePanes();
    applyFreeMemoLook(); // the free memo pages look like the panes
    updateStatusColors();
    if (m_clock) {
        m_clock->setDragColors(st.ViewFocusStyleColor, st.ViewFocusStyleFontColor);
    }
    m_settings.style = qBound(0, m_settings.style, 2);
}

} // namespace nox
