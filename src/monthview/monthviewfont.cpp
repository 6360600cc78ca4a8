#include "monthview/monthviewfont.h"

namespace nox::monthview
{

void TMonthViewFont::SetColor(TColor color)
{
    if (m_color != color) {
        m_color = color;
        changed();
    }
}

void TMonthViewFont::SetStyle(TFontStyles style)
{
    if (m_style != style) {
        m_style = style;
        changed();
    }
}

void TMonthViewFont::Assign(const TMonthViewFont& source)
{
    SetColor(source.m_color);
    SetStyle(source.m_style);
}

void TMonthViewFont::changed()
{
    if (OnChange) {
        OnChange();
    }
}

} // namespace nox::monthview
