#include "monthview/monthviewtopbar.h"

namespace nox::monthview
{

TMonthViewTopBar::TMonthViewTopBar()
{
    m_font.OnChange = [this] { changed(); };
}

void TMonthViewTopBar::SetVisible(bool visible)
{
    store(m_visible, visible);
}
void TMonthViewTopBar::SetColor(TColor color)
{
    store(m_color, color);
}
void TMonthViewTopBar::SetAlignment(TAlignment alignment)
{
    store(m_alignment, alignment);
}
void TMonthViewTopBar::SetLayout(TTextLayout layout)
{
    store(m_layout, layout);
}
void TMonthViewTopBar::SetHeight(int height)
{
    store(m_height, qMax(0, height));
}

void TMonthViewTopBar::Assign(const TMonthViewTopBar& source)
{
    SetVisible(source.m_visible);
    SetColor(source.m_color);
    m_font.Assign(source.m_font);
    SetAlignment(source.m_alignment);
    SetLayout(source.m_layout);
    SetHeight(source.m_height);
}

void TMonthViewTopBar::changed()
{
    if (OnChange) {
        OnChange();
    }
}

} // namespace nox::monthview
