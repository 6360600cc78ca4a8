#include "widgets/viewlook.h"

namespace nox
{

void TViewFont::setColor(TColor value)
{
    if (m_color != value) {
        m_color = value;
        changed();
    }
}

void TViewFont::setStyle(TFontStyles value)
{
    if (m_style != value) {
        m_style = value;
        changed();
    }
}

void TViewFont::Assign(const TViewFont& source)
{
    setColor(source.Color());
    setStyle(source.Style());
}

void TViewFont::changed()
{
    if (OnChange) {
        OnChange();
    }
}

} // namespace nox
