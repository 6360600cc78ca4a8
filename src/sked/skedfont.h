#pragma once
#include "core/color.h"
#include "sked/skedtypes.h"

namespace nox::sked
{

// Colour and style of a text. Face and size always come from the owning
// control's font.
class TSkedFont
{
public:
    TSkedFont() = default;
    TSkedFont(const TSkedFont&) = delete;
    TSkedFont& operator=(const TSkedFont&) = delete;

    TColor Color() const { return m_color; }
    void setColor(TColor value);
    // fsBold | fsItalic | fsUnderline | fsStrikeOut
    TFontStyles Style() const { return m_style; }
    void setStyle(TFontStyles value);

    // Copies Color then Style through the setters.
    void Assign(const TSkedFont& source);

    // Raised by each setter when its value really changes.
    TChangeNotify OnChange;

private:
    void changed();

    TColor m_color = clBlack;
    TFontStyles m_style = 0;
};

} // namespace nox::sked
