#include "sked/skedfont.h"

namespace nox::sked
{

void TSkedFont::setColor(TColor value)
{
    if (m_color != value) {
        m_color = value;
        changed();
    }
}

void TSkedFont::setStyle(TFontStyles value)
{
    if (m_style != value) {
        m_style = value;
        changed();
    }
}

void TSkedFont::Assign(const TSkedFont& source)
{
    setColor(source.Color());
    setStyle(source.Style());
}

void TSkedFont::changed()
{
    if (OnChange) {
        OnChange();
    }
}

} // namespace nox::sked
